// Records a page as an Enhanced Metafile: a GDI-style canvas whose calls become EMF
// records, in device pixels (MM_TEXT), with the header's bounds, frame, reference device
// and counts filled in by Finish. What it writes plays back through our player and is
// read by other EMF readers.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "device.h"
#include "record_reader.h"

namespace qrp::emf {

// The device a recording refers to, as GetDeviceCaps gives it: its size in pixels
// (HORZRES, VERTRES) and in millimetres (HORZSIZE, VERTSIZE).
struct ReferenceDevice {
    std::int32_t widthPx = 1920, heightPx = 1080;
    std::int32_t widthMm = 508, heightMm = 286;

    // A screen of the given size at `dpi` pixels per inch, millimetres rounded.
    static ReferenceDevice Screen(std::int32_t widthPx, std::int32_t heightPx, double dpi);
    // A device ten inches square at the given resolutions: its millimetres are whole, so a
    // page's frame is its true size and reads back as exactly the pixels it was recorded at.
    static ReferenceDevice AtResolution(std::int32_t dpiX, std::int32_t dpiY);
};

// The font attributes a report uses (a LOGFONTW).
struct LogFont {
    std::int32_t height = 0;  // negative: character height in pixels; positive: cell height
    std::int32_t width = 0;
    std::int32_t escapement = 0;  // tenths of a degree
    std::int32_t weight = 400;
    bool italic = false, underline = false, strikeOut = false;
    std::uint8_t charset = 1;  // DEFAULT_CHARSET
    std::u16string faceName;   // at most 31 UTF-16 units are kept
};

// A bitmap in memory for StretchDIBits: rows top-down, pixels 0x00RRGGBB.
struct Bitmap {
    std::int32_t width = 0, height = 0;
    std::vector<std::uint32_t> pixels;
};

class Recorder {
  public:
    // A page of widthPx x heightPx pixels. The frame in 0.01 mm is the size times the
    // reference device's millimetres x 100 divided by its pixels, rounded.
    Recorder(std::int32_t widthPx, std::int32_t heightPx, const ReferenceDevice& reference);

    // Objects: each Create returns the object's table index, the lowest free one.
    std::uint32_t CreatePen(std::uint32_t style, std::int32_t width, Color color);
    std::uint32_t CreateBrush(std::uint32_t style, Color color, std::uint32_t hatch = 0);
    std::uint32_t CreateFont(const LogFont& font);
    void SelectObject(std::uint32_t index);
    // A stock object by its GDI number (WHITE_BRUSH, NULL_PEN, ...).
    void SelectStockObject(std::uint32_t stock);
    void DeleteObject(std::uint32_t index);

    // State.
    void SetTextColor(Color color);
    void SetBkColor(Color color);
    void SetBkMode(std::uint32_t mode);
    void SetTextAlign(std::uint32_t align);
    void SetPolyFillMode(std::uint32_t mode);
    void SaveDC();
    void RestoreDC(std::int32_t relative = -1);
    void IntersectClipRect(const RectL& rect);

    // Drawing. Rectangles are GDI boxes: right and bottom are exclusive.
    void MoveTo(std::int32_t x, std::int32_t y);
    void LineTo(std::int32_t x, std::int32_t y);
    void Polyline(std::span<const PointL> points);
    void Polygon(std::span<const PointL> points);
    void Rectangle(const RectL& box);
    void RoundRect(const RectL& box, std::int32_t cornerWidth, std::int32_t cornerHeight);
    void Ellipse(const RectL& box);
    // Text at (x, y) by the current alignment. dx, when given, holds one advance per UTF-16
    // unit so the text lands where it was laid out whatever font the reader has; options
    // are ETO_* flags, with `rect` the ETO_OPAQUE / ETO_CLIPPED rectangle.
    void ExtTextOut(std::int32_t x, std::int32_t y, const std::u16string& text, std::span<const std::int32_t> dx = {},
                    std::uint32_t options = 0, const RectL& rect = {});
    void StretchDIBits(const RectL& destination, const Bitmap& bitmap, std::uint32_t rop = 0x00CC0020);

    // Adds EOF and fills in the header; the recorder is spent afterwards.
    std::vector<std::uint8_t> Finish();

  private:
    void Begin(std::uint32_t type, std::size_t size);
    void Put32(std::uint32_t value);
    void PutI32(std::int32_t value) { Put32(static_cast<std::uint32_t>(value)); }
    void PutRect(const RectL& rect);
    void Simple(std::uint32_t type, std::initializer_list<std::uint32_t> values);
    void Include(std::int32_t x, std::int32_t y);
    void Include(const RectL& rect);
    void PolyRecord(std::uint32_t type16, std::uint32_t type32, std::span<const PointL> points);
    std::uint32_t AllocateObject();

    std::vector<std::uint8_t> m_bytes;
    std::uint32_t m_records = 0;
    std::vector<bool> m_used;  // object table slots; slot 0 is reserved
    std::optional<RectL> m_bounds;
    PointL m_position;
    std::uint32_t m_textAlign = 0;
};

}  // namespace qrp::emf
