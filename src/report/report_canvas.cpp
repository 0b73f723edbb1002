#include "report_canvas.h"

#include <algorithm>
#include <cstdlib>

#include "emf/emf_format.h"
#include "page_picture.h"
#include "rounding.h"

namespace qrp {

namespace {

// Objects kept per page before unused ones are deleted: a report page uses a handful.
constexpr std::size_t kMaxCachedObjects = 64;

// UTF-8 to UTF-16; a malformed sequence becomes U+FFFD. `starts` receives, per code point,
// the index of its first UTF-16 unit.
std::u16string Utf16(std::string_view text, std::vector<std::size_t>* starts) {
    std::u16string out;
    out.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        const auto lead = static_cast<unsigned char>(text[i]);
        int extra = 0;
        char32_t code = lead;
        if (lead >= 0xF0 && lead <= 0xF4) {
            extra = 3;
            code = lead & 0x07;
        } else if (lead >= 0xE0) {
            extra = lead <= 0xEF ? 2 : -1;
            code = lead & 0x0F;
        } else if (lead >= 0xC2) {
            extra = 1;
            code = lead & 0x1F;
        } else if (lead >= 0x80) {
            extra = -1;
        }
        std::size_t used = 1;
        for (int k = 0; k < extra; ++k) {
            const std::size_t at = i + 1 + static_cast<std::size_t>(k);
            if (at >= text.size() || (static_cast<unsigned char>(text[at]) & 0xC0) != 0x80) {
                extra = -1;
                break;
            }
            code = (code << 6) | (static_cast<unsigned char>(text[at]) & 0x3F);
            ++used;
        }
        // Overlong forms, surrogates and values past U+10FFFF are as malformed as a bad byte.
        const bool overlong = (extra == 2 && code < 0x800) || (extra == 3 && code < 0x10000);
        if (extra < 0 || overlong || (code >= 0xD800 && code <= 0xDFFF) || code > 0x10FFFF)
            code = 0xFFFD;
        if (starts)
            starts->push_back(out.size());
        if (code >= 0x10000) {
            code -= 0x10000;
            out.push_back(static_cast<char16_t>(0xD800 + (code >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + (code & 0x3FF)));
        } else {
            out.push_back(static_cast<char16_t>(code));
        }
        i += used;
    }
    return out;
}

std::uint32_t PenStyleBits(TPenStyle style) {
    switch (style) {
        case psDash:
            return emf::kPsDash;
        case psDot:
            return emf::kPsDot;
        case psDashDot:
            return emf::kPsDashDot;
        case psDashDotDot:
            return emf::kPsDashDotDot;
        case psInsideFrame:
            return emf::kPsInsideFrame;
        case psSolid:
        case psClear:
            break;
    }
    return emf::kPsSolid;
}

std::uint32_t Hatch(TBrushStyle style) {
    switch (style) {
        case bsHorizontal:
            return emf::kHsHorizontal;
        case bsVertical:
            return emf::kHsVertical;
        case bsFDiagonal:
            return emf::kHsFDiagonal;
        case bsBDiagonal:
            return emf::kHsBDiagonal;
        case bsCross:
            return emf::kHsCross;
        default:
            return emf::kHsDiagCross;
    }
}

std::string ColorKey(TColor c) {
    return std::to_string(c.r) + "," + std::to_string(c.g) + "," + std::to_string(c.b);
}

std::uint32_t AlignBits(THorzAlign horizontal, TVertAlign vertical) {
    const std::uint32_t h = horizontal == haRight    ? emf::kTaRight
                            : horizontal == haCenter ? emf::kTaCenter
                                                     : emf::kTaLeft;
    const std::uint32_t v = vertical == vaBaseline ? emf::kTaBaseline
                            : vertical == vaBottom ? emf::kTaBottom
                                                   : emf::kTaTop;
    return h | v;
}

}  // namespace

TQRCanvas::TQRCanvas(std::int32_t widthPx, std::int32_t heightPx, std::int32_t dpiX, std::int32_t dpiY)
    : m_page(widthPx, heightPx, emf::ReferenceDevice::AtResolution(dpiX, dpiY)),
      m_width(widthPx),
      m_height(heightPx),
      m_dpiX(dpiX),
      m_dpiY(dpiY) {
    // Report text is drawn over the bands' own shading; a background behind each string
    // would blot out rules and boxes.
    m_page.SetBkMode(emf::kTransparent);
}

TQRCanvas::~TQRCanvas() = default;

std::optional<std::uint32_t> TQRCanvas::Cached(const std::string& key) const {
    for (const CachedObject& object : m_objects) {
        if (object.key == key)
            return object.index;
    }
    return std::nullopt;
}

bool TQRCanvas::InUse(std::uint32_t index) const {
    const auto selects = [index](const DcState& dc) {
        return dc.fontObject == index || dc.penObject == index || dc.brushObject == index;
    };
    return selects(m_dc) || std::any_of(m_saved.begin(), m_saved.end(), selects);
}

void TQRCanvas::MakeRoom() {
    if (m_objects.size() < kMaxCachedObjects)
        return;
    std::erase_if(m_objects, [this](const CachedObject& object) {
        if (InUse(object.index))
            return false;
        m_page.DeleteObject(object.index);
        return true;
    });
}

void TQRCanvas::UseFont() {
    TQRFont shape = Font;
    shape.Color = clBlack;
    if (m_dc.font == shape)
        return;
    emf::LogFont font;
    font.height =
        Font.Height != 0 ? -std::abs(Font.Height) : -RoundToInt32(static_cast<long double>(Font.Size) * m_dpiY / 72);
    font.weight = Font.Weight;
    font.italic = Font.Italic;
    font.underline = Font.Underline;
    font.strikeOut = Font.StrikeOut;
    font.charset = Font.Charset;
    font.faceName = Utf16(Font.Name, nullptr);
    const std::string key = "font " + std::to_string(font.height) + " " + std::to_string(font.weight) +
                            (font.italic ? " i" : "") + (font.underline ? " u" : "") + (font.strikeOut ? " s" : "") +
                            " " + std::to_string(font.charset) + " " + Font.Name;
    std::optional<std::uint32_t> index = Cached(key);
    if (!index) {
        MakeRoom();
        index = m_page.CreateFont(font);
        m_objects.push_back({key, *index});
    }
    m_page.SelectObject(*index);
    m_dc.font = shape;
    m_dc.fontObject = *index;
}

void TQRCanvas::UsePen() {
    if (m_dc.pen == Pen)
        return;
    std::uint32_t index = 0;
    if (Pen.Style == psClear) {
        m_page.SelectStockObject(emf::kNullPen);
    } else {
        const std::string key =
            "pen " + std::to_string(Pen.Style) + " " + std::to_string(Pen.Width) + " " + ColorKey(Pen.Color);
        std::optional<std::uint32_t> found = Cached(key);
        if (!found) {
            MakeRoom();
            found = m_page.CreatePen(PenStyleBits(Pen.Style), std::max(Pen.Width, 0), Pen.Color);
            m_objects.push_back({key, *found});
        }
        index = *found;
        m_page.SelectObject(index);
    }
    m_dc.pen = Pen;
    m_dc.penObject = index;
}

void TQRCanvas::UseBrush() {
    if (m_dc.brush == Brush)
        return;
    std::uint32_t index = 0;
    if (Brush.Style == bsClear) {
        m_page.SelectStockObject(emf::kNullBrush);
    } else {
        const std::string key = "brush " + std::to_string(Brush.Style) + " " + ColorKey(Brush.Color);
        std::optional<std::uint32_t> found = Cached(key);
        if (!found) {
            MakeRoom();
            found = Brush.Style == bsSolid ? m_page.CreateBrush(emf::kBsSolid, Brush.Color)
                                           : m_page.CreateBrush(emf::kBsHatched, Brush.Color, Hatch(Brush.Style));
            m_objects.push_back({key, *found});
        }
        index = *found;
        m_page.SelectObject(index);
    }
    m_dc.brush = Brush;
    m_dc.brushObject = index;
}

void TQRCanvas::UseTextColor(TColor color) {
    if (m_dc.textColor == color)
        return;
    m_page.SetTextColor(color);
    m_dc.textColor = color;
}

void TQRCanvas::UseBkColor(TColor color) {
    if (m_dc.bkColor == color)
        return;
    m_page.SetBkColor(color);
    m_dc.bkColor = color;
}

void TQRCanvas::UseTextAlign(std::uint32_t align) {
    if (m_dc.textAlign == align)
        return;
    m_page.SetTextAlign(align);
    m_dc.textAlign = align;
}

void TQRCanvas::TextOut(std::int32_t x, std::int32_t y, std::string_view text, const TTextOptions& options) {
    UseFont();
    UseTextColor(Font.Color);
    UseTextAlign(AlignBits(options.Horizontal, options.Vertical));
    std::uint32_t flags = 0;
    TRect box{};
    if (options.Box) {
        box = *options.Box;
        if (options.Clip)
            flags |= emf::kEtoClipped;
        if (options.Opaque) {
            flags |= emf::kEtoOpaque;
            UseBkColor(Brush.Color);
        }
    }
    std::vector<std::size_t> starts;
    const std::u16string wide = Utf16(text, options.Advances.empty() ? nullptr : &starts);
    // Advances go per UTF-16 unit: a character outside the basic plane takes its advance
    // on its first unit and none on the second.
    std::vector<std::int32_t> dx;
    if (!options.Advances.empty() && options.Advances.size() == starts.size()) {
        dx.assign(wide.size(), 0);
        for (std::size_t k = 0; k < starts.size(); ++k)
            dx[starts[k]] = options.Advances[k];
    }
    m_page.ExtTextOut(x, y, wide, dx, flags, box);
}

void TQRCanvas::MoveTo(std::int32_t x, std::int32_t y) {
    m_page.MoveTo(x, y);
}

void TQRCanvas::LineTo(std::int32_t x, std::int32_t y) {
    UsePen();
    m_page.LineTo(x, y);
}

void TQRCanvas::Line(std::int32_t x1, std::int32_t y1, std::int32_t x2, std::int32_t y2) {
    MoveTo(x1, y1);
    LineTo(x2, y2);
}

void TQRCanvas::Polyline(std::span<const TPoint> points) {
    UsePen();
    m_page.Polyline(points);
}

void TQRCanvas::Polygon(std::span<const TPoint> points) {
    UsePen();
    UseBrush();
    m_page.Polygon(points);
}

void TQRCanvas::Rectangle(const TRect& box) {
    UsePen();
    UseBrush();
    m_page.Rectangle(box);
}

void TQRCanvas::RoundRect(const TRect& box, std::int32_t cornerWidth, std::int32_t cornerHeight) {
    UsePen();
    UseBrush();
    m_page.RoundRect(box, cornerWidth, cornerHeight);
}

void TQRCanvas::Ellipse(const TRect& box) {
    UsePen();
    UseBrush();
    m_page.Ellipse(box);
}

void TQRCanvas::StretchDraw(const TRect& box, const TQRBitmap& bitmap) {
    // A bitmap whose pixels do not match its size would make a record that lies about its data.
    if (bitmap.width <= 0 || bitmap.height <= 0 ||
        bitmap.pixels.size() != static_cast<std::size_t>(bitmap.width) * static_cast<std::size_t>(bitmap.height))
        return;
    m_page.StretchDIBits(box, bitmap);
}

void TQRCanvas::IntersectClipRect(const TRect& box) {
    m_page.IntersectClipRect(box);
}

void TQRCanvas::Save() {
    m_dc.userFont = Font;
    m_dc.userPen = Pen;
    m_dc.userBrush = Brush;
    m_saved.push_back(m_dc);
    m_page.SaveDC();
}

void TQRCanvas::Restore() {
    if (m_saved.empty())
        return;
    m_page.RestoreDC(-1);
    m_dc = std::move(m_saved.back());
    m_saved.pop_back();
    Font = m_dc.userFont;
    Pen = m_dc.userPen;
    Brush = m_dc.userBrush;
}

std::unique_ptr<PagePicture> TQRCanvas::Finish() {
    return PagePicture::FromBytes(m_page.Finish());
}

}  // namespace qrp
