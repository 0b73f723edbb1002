// The surface a running report draws one page on, whatever the destination: GDI-style,
// with a font, a pen and a brush in force that the drawing calls use. Coordinates are
// the page's pixels (what DevX, DevY, DevWidth and DevHeight give). Every call becomes an
// EMF record, so the page can be stored, previewed, saved, and played onto a printer
// exactly as it was drawn. Text is UTF-8 and is recorded as UTF-16, so any script works.
//
// Font, Pen and Brush are plain values: change them freely, they take effect at the next
// call that uses them. The GDI objects behind them are made once per page and reused.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "emf/recorder.h"

namespace qrp {

class PagePicture;

using TColor = emf::Color;
using TRect = emf::RectL;  // right and bottom exclusive, as GDI boxes are
using TPoint = emf::PointL;
using TQRBitmap = emf::Bitmap;

inline constexpr TColor clBlack{0, 0, 0};
inline constexpr TColor clWhite{255, 255, 255};

inline constexpr std::uint8_t DEFAULT_CHARSET = 1;
inline constexpr std::uint8_t CHINESEBIG5_CHARSET = 136;

enum TPenStyle : std::uint8_t { psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear, psInsideFrame };
enum TBrushStyle : std::uint8_t {
    bsSolid,
    bsClear,
    bsHorizontal,
    bsVertical,
    bsFDiagonal,
    bsBDiagonal,
    bsCross,
    bsDiagCross
};

struct TQRFont {
    std::string Name = "Arial";  // face name, UTF-8
    double Size = 10;            // points; used when Height is 0
    std::int32_t Height = 0;     // character height in pixels, when not 0
    std::int32_t Weight = 400;   // 700 is bold
    bool Italic = false;
    bool Underline = false;
    bool StrikeOut = false;
    TColor Color = clBlack;
    std::uint8_t Charset = DEFAULT_CHARSET;

    bool operator==(const TQRFont&) const = default;
};

struct TQRPen {
    TColor Color = clBlack;
    std::int32_t Width = 1;  // pixels
    TPenStyle Style = psSolid;

    bool operator==(const TQRPen&) const = default;
};

struct TQRBrush {
    TColor Color = clWhite;
    TBrushStyle Style = bsSolid;

    bool operator==(const TQRBrush&) const = default;
};

enum THorzAlign : std::uint8_t { haLeft, haRight, haCenter };
enum TVertAlign : std::uint8_t { vaTop, vaBaseline, vaBottom };

struct TTextOptions {
    THorzAlign Horizontal = haLeft;  // where x is on the text
    TVertAlign Vertical = vaTop;     // where y is on the text
    // The box that Clip cuts the text at and that Opaque fills with the brush colour first.
    std::optional<TRect> Box = std::nullopt;
    bool Clip = false;
    bool Opaque = false;
    // One advance in pixels per character (code point), so the text lands where the report
    // laid it out whatever font the reader has; empty lets the reader's font decide.
    std::span<const std::int32_t> Advances = {};
};

class TQRCanvas {
  public:
    // A page of widthPx x heightPx pixels at the given resolution (which turns font points
    // into pixels). Text starts transparent, the font, pen and brush at their defaults.
    TQRCanvas(std::int32_t widthPx, std::int32_t heightPx, std::int32_t dpiX, std::int32_t dpiY);
    ~TQRCanvas();
    TQRCanvas(const TQRCanvas&) = delete;
    TQRCanvas& operator=(const TQRCanvas&) = delete;

    std::int32_t Width() const { return m_width; }
    std::int32_t Height() const { return m_height; }
    std::int32_t PixelsPerInchX() const { return m_dpiX; }
    std::int32_t PixelsPerInchY() const { return m_dpiY; }

    TQRFont Font;
    TQRPen Pen;
    TQRBrush Brush;

    void TextOut(std::int32_t x, std::int32_t y, std::string_view text, const TTextOptions& options = {});

    // The pen's line from the current position; MoveTo sets the position without drawing.
    void MoveTo(std::int32_t x, std::int32_t y);
    void LineTo(std::int32_t x, std::int32_t y);
    void Line(std::int32_t x1, std::int32_t y1, std::int32_t x2, std::int32_t y2);
    void Polyline(std::span<const TPoint> points);
    // Shapes are outlined with the pen and filled with the brush.
    void Polygon(std::span<const TPoint> points);
    void Rectangle(const TRect& box);
    void RoundRect(const TRect& box, std::int32_t cornerWidth, std::int32_t cornerHeight);
    void Ellipse(const TRect& box);
    // The bitmap stretched to fill the box.
    void StretchDraw(const TRect& box, const TQRBitmap& bitmap);

    // Drawing is cut to the intersection of the boxes given since the last Save.
    void IntersectClipRect(const TRect& box);
    // Save keeps the clip, font, pen, brush and position that Restore brings back; a
    // Restore without a Save is ignored.
    void Save();
    void Restore();

    // Completes the page. Called by the document that owns the canvas; the canvas takes no
    // more drawing afterwards.
    std::unique_ptr<PagePicture> Finish();

  private:
    // What the page's device context holds: the values its selected objects were made
    // from (none until first selected) and their table indices; and, for Restore, the
    // Font, Pen and Brush in force when it was saved.
    struct DcState {
        std::optional<TQRFont> font;  // colour left out: it is the text colour's business
        std::optional<TQRPen> pen;
        std::optional<TQRBrush> brush;
        std::uint32_t fontObject = 0, penObject = 0, brushObject = 0;
        std::optional<TColor> textColor;
        std::optional<TColor> bkColor;
        std::uint32_t textAlign = 0;
        TQRFont userFont;
        TQRPen userPen;
        TQRBrush userBrush;
    };
    struct CachedObject {
        std::string key;
        std::uint32_t index;
    };

    void UseFont();
    void UsePen();
    void UseBrush();
    void UseTextColor(TColor color);
    void UseBkColor(TColor color);
    void UseTextAlign(std::uint32_t align);
    std::optional<std::uint32_t> Cached(const std::string& key) const;
    // Called before an object is made: past the cap, deletes the objects that neither the
    // device context nor a saved state has selected.
    void MakeRoom();
    bool InUse(std::uint32_t index) const;

    emf::Recorder m_page;
    std::int32_t m_width, m_height, m_dpiX, m_dpiY;
    DcState m_dc;
    std::vector<DcState> m_saved;
    std::vector<CachedObject> m_objects;
};

}  // namespace qrp
