#include "recorder.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "base/byte_order.h"
#include "emf_format.h"

namespace qrp::emf {

namespace {
// The header record with the pixel format and micrometre fields that current readers expect.
constexpr std::size_t kHeaderRecordSize = 108;
constexpr std::size_t kLogFontBytes = 92;
constexpr std::uint32_t kEmfVersion = 0x10000;

std::uint32_t ColorRef(Color c) {
    return c.r | (c.g << 8) | (c.b << 16);
}

std::int32_t MulDivRound(std::int64_t value, std::int64_t mul, std::int64_t div) {
    if (div == 0)
        return 0;
    return static_cast<std::int32_t>(std::llround(static_cast<double>(value * mul) / static_cast<double>(div)));
}

bool FitsIn16(const PointL& p) {
    return p.x >= std::numeric_limits<std::int16_t>::min() && p.x <= std::numeric_limits<std::int16_t>::max() &&
           p.y >= std::numeric_limits<std::int16_t>::min() && p.y <= std::numeric_limits<std::int16_t>::max();
}
}  // namespace

ReferenceDevice ReferenceDevice::Screen(std::int32_t widthPx, std::int32_t heightPx, double dpi) {
    ReferenceDevice device;
    device.widthPx = widthPx;
    device.heightPx = heightPx;
    device.widthMm = static_cast<std::int32_t>(std::lround(widthPx * 25.4 / dpi));
    device.heightMm = static_cast<std::int32_t>(std::lround(heightPx * 25.4 / dpi));
    return device;
}

ReferenceDevice ReferenceDevice::AtResolution(std::int32_t dpiX, std::int32_t dpiY) {
    return {dpiX * 10, dpiY * 10, 254, 254};
}

Recorder::Recorder(std::int32_t widthPx, std::int32_t heightPx, const ReferenceDevice& reference) {
    m_used.push_back(true);
    Begin(kEmrHeader, kHeaderRecordSize);
    PutRect({0, 0, -1, -1});  // bounds, filled in by Finish
    PutRect({0, 0, MulDivRound(widthPx, reference.widthMm * 100, reference.widthPx),
             MulDivRound(heightPx, reference.heightMm * 100, reference.heightPx)});
    Put32(kEmfSignature);
    Put32(kEmfVersion);
    Put32(0);  // nBytes
    Put32(0);  // nRecords
    Put32(0);  // nHandles, sReserved
    Put32(0);  // nDescription
    Put32(0);  // offDescription
    Put32(0);  // nPalEntries
    PutI32(reference.widthPx);
    PutI32(reference.heightPx);
    PutI32(reference.widthMm);
    PutI32(reference.heightMm);
    Put32(0);  // cbPixelFormat
    Put32(0);  // offPixelFormat
    Put32(0);  // bOpenGL
    PutI32(reference.widthMm * 1000);
    PutI32(reference.heightMm * 1000);
}

void Recorder::Begin(std::uint32_t type, std::size_t size) {
    Put32(type);
    Put32(static_cast<std::uint32_t>(size));
    ++m_records;
}

void Recorder::Put32(std::uint32_t value) {
    const std::size_t at = m_bytes.size();
    m_bytes.resize(at + 4);
    StoreU32(&m_bytes[at], value);
}

void Recorder::PutRect(const RectL& rect) {
    PutI32(rect.left);
    PutI32(rect.top);
    PutI32(rect.right);
    PutI32(rect.bottom);
}

void Recorder::Simple(std::uint32_t type, std::initializer_list<std::uint32_t> values) {
    Begin(type, kRecordHeaderSize + 4 * values.size());
    for (std::uint32_t value : values)
        Put32(value);
}

void Recorder::Include(std::int32_t x, std::int32_t y) {
    Include(RectL{x, y, x, y});
}

void Recorder::Include(const RectL& rect) {
    // Bounds are inclusive device pixels.
    const RectL r{std::min(rect.left, rect.right), std::min(rect.top, rect.bottom), std::max(rect.left, rect.right),
                  std::max(rect.top, rect.bottom)};
    if (!m_bounds) {
        m_bounds = r;
        return;
    }
    m_bounds->left = std::min(m_bounds->left, r.left);
    m_bounds->top = std::min(m_bounds->top, r.top);
    m_bounds->right = std::max(m_bounds->right, r.right);
    m_bounds->bottom = std::max(m_bounds->bottom, r.bottom);
}

std::uint32_t Recorder::AllocateObject() {
    const auto free = std::find(m_used.begin(), m_used.end(), false);
    if (free != m_used.end()) {
        *free = true;
        return static_cast<std::uint32_t>(free - m_used.begin());
    }
    m_used.push_back(true);
    return static_cast<std::uint32_t>(m_used.size() - 1);
}

std::uint32_t Recorder::CreatePen(std::uint32_t style, std::int32_t width, Color color) {
    const std::uint32_t index = AllocateObject();
    Simple(kEmrCreatePen, {index, style, static_cast<std::uint32_t>(width), 0, ColorRef(color)});
    return index;
}

std::uint32_t Recorder::CreateBrush(std::uint32_t style, Color color, std::uint32_t hatch) {
    const std::uint32_t index = AllocateObject();
    Simple(kEmrCreateBrushIndirect, {index, style, ColorRef(color), hatch});
    return index;
}

std::uint32_t Recorder::CreateFont(const LogFont& font) {
    const std::uint32_t index = AllocateObject();
    Begin(kEmrExtCreateFontIndirectW, kRecordHeaderSize + 4 + kLogFontBytes);
    Put32(index);
    PutI32(font.height);
    PutI32(font.width);
    PutI32(font.escapement);
    PutI32(font.escapement);  // orientation follows the escapement
    PutI32(font.weight);
    // italic, underline, strike-out, charset; out precision, clip precision, quality, pitch and family
    Put32((font.italic ? 1u : 0u) | (font.underline ? 1u << 8 : 0u) | (font.strikeOut ? 1u << 16 : 0u) |
          (static_cast<std::uint32_t>(font.charset) << 24));
    Put32(0);
    std::u16string face = font.faceName.substr(0, 31);
    face.resize(32, u'\0');
    for (std::size_t i = 0; i < face.size(); i += 2)
        Put32(face[i] | (static_cast<std::uint32_t>(face[i + 1]) << 16));
    return index;
}

void Recorder::SelectObject(std::uint32_t index) {
    Simple(kEmrSelectObject, {index});
}

void Recorder::SelectStockObject(std::uint32_t stock) {
    Simple(kEmrSelectObject, {kStockObjectFlag | stock});
}

void Recorder::DeleteObject(std::uint32_t index) {
    Simple(kEmrDeleteObject, {index});
    if (index < m_used.size() && index != 0)
        m_used[index] = false;
}

void Recorder::SetTextColor(Color color) {
    Simple(kEmrSetTextColor, {ColorRef(color)});
}

void Recorder::SetBkColor(Color color) {
    Simple(kEmrSetBkColor, {ColorRef(color)});
}

void Recorder::SetBkMode(std::uint32_t mode) {
    Simple(kEmrSetBkMode, {mode});
}

void Recorder::SetTextAlign(std::uint32_t align) {
    Simple(kEmrSetTextAlign, {align});
    m_textAlign = align;
}

void Recorder::SetPolyFillMode(std::uint32_t mode) {
    Simple(kEmrSetPolyFillMode, {mode});
}

void Recorder::SaveDC() {
    Simple(kEmrSaveDc, {});
}

void Recorder::RestoreDC(std::int32_t relative) {
    Simple(kEmrRestoreDc, {static_cast<std::uint32_t>(relative)});
}

void Recorder::IntersectClipRect(const RectL& rect) {
    Begin(kEmrIntersectClipRect, 24);
    PutRect(rect);
}

void Recorder::MoveTo(std::int32_t x, std::int32_t y) {
    Simple(kEmrMoveToEx, {static_cast<std::uint32_t>(x), static_cast<std::uint32_t>(y)});
    m_position = {x, y};
}

void Recorder::LineTo(std::int32_t x, std::int32_t y) {
    Simple(kEmrLineTo, {static_cast<std::uint32_t>(x), static_cast<std::uint32_t>(y)});
    Include(m_position.x, m_position.y);
    Include(x, y);
    m_position = {x, y};
}

void Recorder::PolyRecord(std::uint32_t type16, std::uint32_t type32, std::span<const PointL> points) {
    if (points.empty())
        return;
    RectL box{points[0].x, points[0].y, points[0].x, points[0].y};
    bool small = true;
    for (const PointL& p : points) {
        box = {std::min(box.left, p.x), std::min(box.top, p.y), std::max(box.right, p.x), std::max(box.bottom, p.y)};
        small = small && FitsIn16(p);
    }
    const std::size_t pointBytes = small ? 4 : 8;
    Begin(small ? type16 : type32, kAfterBounds + 4 + pointBytes * points.size());
    PutRect(box);
    Put32(static_cast<std::uint32_t>(points.size()));
    for (const PointL& p : points) {
        if (small) {
            Put32(static_cast<std::uint16_t>(p.x) |
                  (static_cast<std::uint32_t>(static_cast<std::uint16_t>(p.y)) << 16));
        } else {
            PutI32(p.x);
            PutI32(p.y);
        }
    }
    Include(box);
}

void Recorder::Polyline(std::span<const PointL> points) {
    PolyRecord(kEmrPolyline16, kEmrPolyline, points);
}

void Recorder::Polygon(std::span<const PointL> points) {
    PolyRecord(kEmrPolygon16, kEmrPolygon, points);
}

void Recorder::Rectangle(const RectL& box) {
    Begin(kEmrRectangle, 24);
    PutRect(box);
    Include({box.left, box.top, box.right - 1, box.bottom - 1});
}

void Recorder::RoundRect(const RectL& box, std::int32_t cornerWidth, std::int32_t cornerHeight) {
    Begin(kEmrRoundRect, 32);
    PutRect(box);
    PutI32(cornerWidth);
    PutI32(cornerHeight);
    Include({box.left, box.top, box.right - 1, box.bottom - 1});
}

void Recorder::Ellipse(const RectL& box) {
    Begin(kEmrEllipse, 24);
    PutRect(box);
    Include({box.left, box.top, box.right - 1, box.bottom - 1});
}

void Recorder::ExtTextOut(std::int32_t x, std::int32_t y, const std::u16string& text, std::span<const std::int32_t> dx,
                          std::uint32_t options, const RectL& rect) {
    // EMREXTTEXTOUTW: bounds, graphics mode, scales, then the EMRTEXT; string and advances
    // follow, each padded to 4 bytes.
    constexpr std::size_t kFixed = 76;
    const std::size_t chars = text.size();
    const std::size_t stringBytes = (chars * 2 + 3) & ~std::size_t{3};
    const bool haveDx = dx.size() == chars && chars > 0;
    const std::size_t size = kFixed + stringBytes + (haveDx ? 4 * chars : 0);
    std::int64_t advance = 0;
    for (std::int32_t d : dx)
        advance += d;
    Begin(kEmrExtTextOutW, size);
    // The bounds are an estimate: the advances placed by the horizontal alignment, one line high.
    std::int64_t left = x;
    if ((m_textAlign & kTaHorizontalMask) == kTaRight)
        left = x - advance;
    if ((m_textAlign & kTaHorizontalMask) == kTaCenter)
        left = x - advance / 2;
    const RectL bounds{static_cast<std::int32_t>(left), y, static_cast<std::int32_t>(left + advance), y};
    PutRect(bounds);
    Put32(kGmCompatible);
    Put32(0);  // exScale (unused in GM_COMPATIBLE)
    Put32(0);  // eyScale
    PutI32(x);
    PutI32(y);
    Put32(static_cast<std::uint32_t>(chars));
    Put32(static_cast<std::uint32_t>(kFixed));  // offString
    Put32(options);
    PutRect(rect);
    Put32(haveDx ? static_cast<std::uint32_t>(kFixed + stringBytes) : 0);  // offDx
    const std::size_t at = m_bytes.size();
    m_bytes.resize(at + stringBytes, 0);
    for (std::size_t i = 0; i < chars; ++i)
        StoreU16(&m_bytes[at + 2 * i], text[i]);
    if (haveDx)
        for (std::int32_t d : dx)
            PutI32(d);
    Include(bounds);
    if (options & (kEtoOpaque | kEtoClipped))
        Include({rect.left, rect.top, rect.right - 1, rect.bottom - 1});
}

void Recorder::StretchDIBits(const RectL& destination, const Bitmap& bitmap, std::uint32_t rop) {
    // 24-bit bottom-up DIB, rows padded to 4 bytes: what every reader takes.
    constexpr std::size_t kFixed = 80;
    constexpr std::size_t kInfoBytes = 40;
    const auto width = static_cast<std::size_t>(std::max(bitmap.width, 0));
    const auto height = static_cast<std::size_t>(std::max(bitmap.height, 0));
    const std::size_t stride = (width * 3 + 3) & ~std::size_t{3};
    const std::size_t bitsBytes = stride * height;
    Begin(kEmrStretchDiBits, kFixed + kInfoBytes + bitsBytes);
    const RectL bounds{destination.left, destination.top, destination.right - 1, destination.bottom - 1};
    PutRect(bounds);
    PutI32(destination.left);
    PutI32(destination.top);
    Put32(0);  // xSrc
    Put32(0);  // ySrc
    Put32(static_cast<std::uint32_t>(width));
    Put32(static_cast<std::uint32_t>(height));
    Put32(kFixed);  // offBmiSrc
    Put32(kInfoBytes);
    Put32(kFixed + kInfoBytes);  // offBitsSrc
    Put32(static_cast<std::uint32_t>(bitsBytes));
    Put32(kDibRgbColors);
    Put32(rop);
    PutI32(destination.right - destination.left);
    PutI32(destination.bottom - destination.top);
    // BITMAPINFOHEADER
    Put32(kInfoBytes);
    Put32(static_cast<std::uint32_t>(width));
    Put32(static_cast<std::uint32_t>(height));
    Put32(1 | (24u << 16));  // planes, bit count
    Put32(kBiRgb);
    Put32(static_cast<std::uint32_t>(bitsBytes));
    Put32(2835);  // 72 dpi, in pixels per metre
    Put32(2835);
    Put32(0);
    Put32(0);
    const std::size_t at = m_bytes.size();
    m_bytes.resize(at + bitsBytes, 0);
    for (std::size_t row = 0; row < height; ++row) {
        std::uint8_t* out = &m_bytes[at + (height - 1 - row) * stride];
        for (std::size_t col = 0; col < width; ++col) {
            const std::uint32_t pixel = bitmap.pixels[row * width + col];
            out[3 * col] = static_cast<std::uint8_t>(pixel);
            out[3 * col + 1] = static_cast<std::uint8_t>(pixel >> 8);
            out[3 * col + 2] = static_cast<std::uint8_t>(pixel >> 16);
        }
    }
    Include(bounds);
}

std::vector<std::uint8_t> Recorder::Finish() {
    Simple(kEmrEof, {0, 16, 20});  // no palette; nSizeLast repeats the record size
    const RectL bounds = m_bounds.value_or(RectL{0, 0, -1, -1});
    StoreI32(&m_bytes[kHeaderBounds], bounds.left);
    StoreI32(&m_bytes[kHeaderBounds + 4], bounds.top);
    StoreI32(&m_bytes[kHeaderBounds + 8], bounds.right);
    StoreI32(&m_bytes[kHeaderBounds + 12], bounds.bottom);
    StoreU32(&m_bytes[kHeaderBytes], static_cast<std::uint32_t>(m_bytes.size()));
    StoreU32(&m_bytes[kHeaderRecords], m_records);
    StoreU16(&m_bytes[kHeaderHandles], static_cast<std::uint16_t>(m_used.size()));
    return std::move(m_bytes);
}

}  // namespace qrp::emf
