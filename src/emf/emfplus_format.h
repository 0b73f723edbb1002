// Numbers of the EMF+ records and objects that ride in EMR_COMMENT records.
#pragma once

#include <cstdint>

namespace qrp::emf::plus {

// "EMF+" at the start of an EMR_COMMENT's data.
inline constexpr std::uint32_t kCommentSignature = 0x2B464D45;

enum RecordType : std::uint16_t {
    kHeader = 0x4001,
    kEndOfFile = 0x4002,
    kComment = 0x4003,
    kGetDc = 0x4004,
    kObject = 0x4008,
    kClear = 0x4009,
    kFillRects = 0x400A,
    kDrawRects = 0x400B,
    kFillPolygon = 0x400C,
    kDrawLines = 0x400D,
    kFillEllipse = 0x400E,
    kDrawEllipse = 0x400F,
    kFillPie = 0x4010,
    kDrawPie = 0x4011,
    kDrawArc = 0x4012,
    kFillRegion = 0x4013,
    kFillPath = 0x4014,
    kDrawPath = 0x4015,
    kFillClosedCurve = 0x4016,
    kDrawClosedCurve = 0x4017,
    kDrawCurve = 0x4018,
    kDrawBeziers = 0x4019,
    kDrawImage = 0x401A,
    kDrawImagePoints = 0x401B,
    kDrawString = 0x401C,
    kSetRenderingOrigin = 0x401D,
    kSetAntiAliasMode = 0x401E,
    kSetTextRenderingHint = 0x401F,
    kSetTextContrast = 0x4020,
    kSetInterpolationMode = 0x4021,
    kSetPixelOffsetMode = 0x4022,
    kSetCompositingMode = 0x4023,
    kSetCompositingQuality = 0x4024,
    kSave = 0x4025,
    kRestore = 0x4026,
    kBeginContainer = 0x4027,
    kBeginContainerNoParams = 0x4028,
    kEndContainer = 0x4029,
    kSetWorldTransform = 0x402A,
    kResetWorldTransform = 0x402B,
    kMultiplyWorldTransform = 0x402C,
    kTranslateWorldTransform = 0x402D,
    kScaleWorldTransform = 0x402E,
    kRotateWorldTransform = 0x402F,
    kSetPageTransform = 0x4030,
    kResetClip = 0x4031,
    kSetClipRect = 0x4032,
    kSetClipPath = 0x4033,
    kSetClipRegion = 0x4034,
    kOffsetClip = 0x4035,
    kDrawDriverString = 0x4036,
    kSerializableObject = 0x4038,
};

enum ObjectType : std::uint8_t {
    kObjectBrush = 1,
    kObjectPen = 2,
    kObjectPath = 3,
    kObjectRegion = 4,
    kObjectImage = 5,
    kObjectFont = 6,
    kObjectStringFormat = 7,
    kObjectImageAttributes = 8,
};

inline constexpr std::size_t kObjectSlots = 64;

// Record flag bits shared by the drawing records.
inline constexpr std::uint16_t kFlagColor = 0x8000;       // S: the brush field is an ARGB colour
inline constexpr std::uint16_t kFlagCompressed = 0x4000;  // C: 16-bit integer coordinates
inline constexpr std::uint16_t kFlagRelative = 0x0800;    // P: relative 7/15-bit coordinates
inline constexpr std::uint16_t kFlagAppend = 0x2000;      // A: transform applied after the world transform
inline constexpr std::uint16_t kFlagClosed = 0x2000;      // L on DrawLines; W (winding) on FillClosedCurve

// Units of the page transform, pens and fonts.
enum Unit : std::uint32_t {
    kUnitWorld,
    kUnitDisplay,
    kUnitPixel,
    kUnitPoint,
    kUnitInch,
    kUnitDocument,
    kUnitMillimeter
};

}  // namespace qrp::emf::plus
