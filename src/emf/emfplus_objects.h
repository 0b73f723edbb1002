// The objects EMF+ records define (brushes, pens, paths, regions, images, fonts, string
// formats) as read from their bytes, in world coordinates. Reading throws RecordError for
// bytes that run short; a form the player cannot draw becomes an Unsupported object, so
// that the picture falls back to its GDI records when one is used.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <variant>
#include <vector>

#include "device.h"
#include "emfplus_format.h"
#include "record_reader.h"
#include "transform.h"

namespace qrp::emf::plus {

// Bounds-checked reading from the start of some bytes onwards.
class Cursor {
  public:
    explicit Cursor(std::span<const std::uint8_t> bytes, std::size_t at = 0) : m_record(0, bytes, 0), m_at(at) {}
    std::uint8_t U8() { return m_record.U8(Advance(1)); }
    std::uint16_t U16() { return m_record.U16(Advance(2)); }
    std::int16_t I16() { return m_record.I16(Advance(2)); }
    std::uint32_t U32() { return m_record.U32(Advance(4)); }
    std::int32_t I32() { return m_record.I32(Advance(4)); }
    double F32() { return m_record.F32(Advance(4)); }
    Matrix ReadMatrix();
    std::span<const std::uint8_t> Take(std::uint64_t count, std::size_t size = 1);
    std::size_t Position() const { return m_at; }
    std::size_t Remaining() const { return m_record.Size() - std::min(m_at, m_record.Size()); }

  private:
    std::size_t Advance(std::size_t n) {
        const std::size_t at = m_at;
        m_at += n;
        return at;
    }
    Record m_record;
    std::size_t m_at;
};

// 0xAARRGGBB as stored.
Color ArgbColor(std::uint32_t argb);
// a at t = 0, b at t = 1 (t is clamped), channel by channel.
Color Mix(Color a, Color b, double t);
// A count read from the data, throwing RecordError beyond `limit` or beyond the bytes left.
std::uint32_t Count(Cursor& c, std::size_t limit);

struct PathDef {
    std::vector<PointF> points;
    std::vector<std::uint8_t> types;
};

// A path gradient: colour runs from the boundary (`surround`) to `center` at `centerPoint`,
// along the lines from the centre point to the boundary. Outside the boundary it paints nothing.
struct PathGradientDef {
    Color center, surround;
    PointF centerPoint;
    PathDef boundary;
    Matrix transform;
    // By ascending position, 0 at the boundary and 1 at the centre; empty: straight from
    // surround to center.
    std::vector<GradientStop> stops;
    // The centre colour fills the boundary shrunk by these factors; the blend runs outside it.
    double focusX = 0, focusY = 0;
};

struct BrushDef {
    enum class Kind : std::uint8_t { Solid, Hatch, Linear, Texture, PathGradient } kind = Kind::Solid;
    Color color, back;  // Solid; Hatch fore and back; Linear start and end
    std::uint32_t hatch = 0;
    RectF rect;  // Linear: the gradient runs from its left edge to its right edge
    Matrix transform;
    std::vector<GradientStop> stops;
    bool repeat = true;
    std::shared_ptr<const Image> texture;
    std::shared_ptr<const PathGradientDef> pathGradient;
};

struct PathDef;

// How one end of an open figure is drawn. Shapes are in pen widths, in a frame whose origin
// is the figure's end and whose y axis points along the line out of it.
struct LineCapDef {
    enum class Kind : std::uint8_t {
        Flat,
        Square,
        Round,
        Triangle,
        SquareAnchor,
        RoundAnchor,
        DiamondAnchor,
        ArrowAnchor,
        Custom
    } kind = Kind::Flat;
    // Custom: filled with the pen's colour; stroked with the pen. Either may be absent.
    std::shared_ptr<const PathDef> fill, line;
    double inset = 0;  // the line stops this many pen widths short of its end
};

struct PenDef {
    double width = 0;
    std::uint32_t unit = 0;
    Matrix transform;
    // The cap both ends get from the device when they agree and it can draw it.
    CapStyle cap = CapStyle::Flat;
    LineCapDef startCap, endCap;
    // Compound line: ascending pairs of stripe edges across the width, from 0 to 1.
    std::vector<double> compound;
    bool inset = false;  // closed figures are stroked inside their outline
    JoinStyle join = JoinStyle::Miter;
    double miterLimit = 10;
    std::vector<double> dashes;  // in pen widths
    Color color;
    BrushDef brush;  // what the stroke is painted with; `color` is its colour
};

struct RegionNode {
    enum class Kind : std::uint8_t { Combine, Rect, Path, Empty, Infinite } kind = Kind::Empty;
    std::uint32_t op = 0;  // Combine: 1 and, 2 union, 3 xor, 4 exclude, 5 complement
    RectF rect;
    PathDef path;
    std::size_t left = 0, right = 0;  // Combine: indices of the operands
};

struct RegionDef {
    std::vector<RegionNode> nodes;  // nodes[0] is the root
};

// EmfPlusMetafile types played here: a plain EMF, or one with EMF+ records only or both.
enum class MetafileType : std::uint32_t { Emf = 3, EmfPlusOnly = 4, EmfPlusDual = 5 };

struct ImageDef {
    std::shared_ptr<const Image> image;
    bool alpha = false;  // some pixels are not opaque (or may not be: PNG)
    // Or a metafile: the bytes of the EMF file it holds.
    std::shared_ptr<const std::vector<std::uint8_t>> metafile;
    MetafileType metafileType = MetafileType::Emf;
};

struct FontDef {
    double emSize = 0;
    std::uint32_t unit = 0;
    std::uint32_t style = 0;  // 1 bold, 2 italic, 4 underline, 8 strikeout
    std::u16string family;
};

struct StringFormatDef {
    std::uint32_t flags = 0;
    std::uint32_t align = 0, lineAlign = 0;  // 0 near, 1 centre, 2 far
    // Space before and after each line, in ems: a sixth unless the format says otherwise
    // (typographic formats say 0).
    double leadingMargin = 1.0 / 6, trailingMargin = 1.0 / 6;
};

struct Unsupported {};

using Object =
    std::variant<std::monostate, Unsupported, BrushDef, PenDef, PathDef, RegionDef, ImageDef, FontDef, StringFormatDef>;

// Objects beyond these sizes are not kept.
inline constexpr std::size_t kMaxObjectBytes = 64u << 20;
inline constexpr std::size_t kMaxPathPoints = 1u << 22;
inline constexpr std::size_t kMaxRegionNodes = 4096;

Object ReadObject(std::uint8_t type, std::span<const std::uint8_t> bytes, std::uint64_t& pixelBudget);
BrushDef ReadBrush(Cursor& c, std::uint64_t& pixelBudget, bool& supported);
// emfplus_gradients.cpp
BrushDef ReadPathGradient(Cursor& c, bool& supported);
// The preset colours or blend factors the brush data flags announce, as stops from `from`
// (position 0) to `to` (position 1).
std::vector<GradientStop> ReadBlend(Cursor& c, std::uint32_t flags, Color from, Color to, bool& supported);
PathDef ReadPath(Cursor& c, bool& supported);

// emfplus_images.cpp
// Charges a width x height bitmap to the budget; false when it is empty, too large or over it.
bool ChargePixels(std::int32_t width, std::int32_t height, std::uint64_t& pixelBudget);
// A compressed bitmap's file: BMP decoded here; PNG, JPEG, GIF and TIFF kept for the device
// to decode at the size recorded, or the file's own when none is. Nothing for other forms.
std::shared_ptr<Image> ReadCompressedImage(std::span<const std::uint8_t> bytes, std::int32_t width, std::int32_t height,
                                           std::uint64_t& pixelBudget);
// The EmfPlusMetafile after an image's type into `def`; false for a form not played here.
bool ReadMetafile(Cursor& c, ImageDef& def);

// Points of a drawing record: `count` points as floats, 16-bit integers (C) or relative (P).
std::vector<PointF> ReadPoints(Cursor& c, std::uint32_t count, std::uint16_t flags);
RectF ReadRect(Cursor& c, bool compressed);

// emfplus_pens.cpp: LineCap values, and the pen data after the dash pattern (alignment,
// compound line, custom caps), which sets `supported` false for forms not drawn.
LineCapDef::Kind CapKind(std::int32_t value, bool& supported);
void ReadPenExtras(Cursor& c, std::uint32_t flags, PenDef& pen, bool& supported);

// The 64 slots, with the reassembly of objects written over several records.
class ObjectSlots {
  public:
    // One EmfPlusObject record's flags and data.
    void Define(std::uint16_t flags, std::span<const std::uint8_t> data, std::uint64_t& pixelBudget);
    const Object& At(std::uint8_t id) const { return m_slots[id % kObjectSlots]; }

  private:
    std::array<Object, kObjectSlots> m_slots;
    std::vector<std::uint8_t> m_pending;
    std::uint16_t m_pendingFlags = 0;
    std::uint32_t m_pendingTotal = 0;
};

}  // namespace qrp::emf::plus
