// Creating, selecting and resolving pens, brushes, fonts and palettes.
#include <algorithm>

#include "emf_format.h"
#include "player_p.h"

namespace qrp::emf {

namespace {

PenStyle ToPenStyle(std::uint32_t style) {
    switch (style & kPsStyleMask) {
        case kPsDash:
            return PenStyle::Dash;
        case kPsDot:
            return PenStyle::Dot;
        case kPsDashDot:
            return PenStyle::DashDot;
        case kPsDashDotDot:
            return PenStyle::DashDotDot;
        case kPsNull:
            return PenStyle::Null;
        case kPsInsideFrame:
            return PenStyle::InsideFrame;
        case kPsUserStyle:
            return PenStyle::UserStyle;
        case kPsAlternate:
            return PenStyle::Alternate;
        default:
            return PenStyle::Solid;
    }
}

// GDI's dash patterns: cosmetic pens count device pixels, geometric pens pen widths.
std::vector<double> StandardDashes(PenStyle style, bool cosmetic) {
    switch (style) {
        case PenStyle::Dash:
            return cosmetic ? std::vector<double>{18, 6} : std::vector<double>{3, 1};
        case PenStyle::Dot:
            return cosmetic ? std::vector<double>{3, 3} : std::vector<double>{1, 1};
        case PenStyle::DashDot:
            return cosmetic ? std::vector<double>{9, 6, 3, 6} : std::vector<double>{3, 1, 1, 1};
        case PenStyle::DashDotDot:
            return cosmetic ? std::vector<double>{9, 3, 3, 3, 3, 3} : std::vector<double>{3, 1, 1, 1, 1, 1};
        case PenStyle::Alternate:
            return {1, 1};
        default:
            return {};
    }
}

std::u16string ReadFaceName(const Record& r, std::size_t at) {
    std::u16string face;
    for (std::size_t i = 0; i < kLogFontFaceChars && r.Has(at + 2 * i, 2); ++i) {
        const char16_t c = r.U16(at + 2 * i);
        if (c == 0)
            break;
        face.push_back(c);
    }
    return face;
}

}  // namespace

void Playback::CreatePen(const Record& r) {
    PenObject pen;
    pen.style = r.U32(kCreatePenStyle);
    pen.width = r.I32(kCreatePenWidth);
    pen.color = ResolveColor(r.U32(kCreatePenColor));
    pen.null = (pen.style & kPsStyleMask) == kPsNull;
    // A LOGPEN wider than zero is measured in logical units, like a geometric pen.
    if (pen.width > 0)
        pen.style |= kPsGeometric;
    m_objects.Put(r.U32(kObjectIndex), std::move(pen));
}

void Playback::ExtCreatePen(const Record& r) {
    PenObject pen;
    pen.style = r.U32(kExtPenStyle);
    pen.width = r.U32(kExtPenWidth);
    pen.color = ResolveColor(r.U32(kExtPenColor));
    pen.null = (pen.style & kPsStyleMask) == kPsNull || r.U32(kExtPenBrushStyle) == kBsNull;
    const std::uint32_t entries = r.U32(kExtPenNumEntries);
    if ((pen.style & kPsStyleMask) == kPsUserStyle) {
        r.Array(kExtPenStyleEntries, entries, 4);
        for (std::uint32_t i = 0; i < entries; ++i)
            pen.userDashes.push_back(r.U32(kExtPenStyleEntries + 4 * i));
    }
    m_objects.Put(r.U32(kObjectIndex), std::move(pen));
}

void Playback::CreateBrushIndirect(const Record& r) {
    BrushObject brush;
    const std::uint32_t style = r.U32(kCreateBrushStyle);
    brush.color = ResolveColor(r.U32(kCreateBrushColor));
    brush.hatch = r.U32(kCreateBrushHatch);
    brush.style = style == kBsNull ? BrushStyle::Null : style == kBsHatched ? BrushStyle::Hatched : BrushStyle::Solid;
    m_objects.Put(r.U32(kObjectIndex), std::move(brush));
}

void Playback::CreatePatternBrush(const Record& r, bool monochrome) {
    const std::uint32_t index = r.U32(kObjectIndex);
    auto image = ReadDib(r, kPatternBrushBmi, r.U32(kPatternBrushUsage), false, monochrome);
    if (!image) {
        // GDI would not have made the brush; selecting the index then finds nothing.
        m_objects.Erase(index);
        ++m_stats.unsupported;
        return;
    }
    BrushObject brush;
    brush.style = BrushStyle::Pattern;
    brush.pattern = std::move(image);
    brush.monochrome = monochrome;
    m_objects.Put(index, std::move(brush));
}

void Playback::CreateFont(const Record& r) {
    const std::size_t at = kFontLogFont;
    FontObject font;
    font.height = r.I32(at + kLogFontHeight);
    font.width = r.I32(at + kLogFontWidth);
    font.escapement = r.I32(at + kLogFontEscapement);
    font.orientation = r.I32(at + kLogFontOrientation);
    font.weight = r.I32(at + kLogFontWeight);
    font.italic = r.U8(at + kLogFontItalic) != 0;
    font.underline = r.U8(at + kLogFontUnderline) != 0;
    font.strikeOut = r.U8(at + kLogFontStrikeOut) != 0;
    font.charset = r.U8(at + kLogFontCharSet);
    font.faceName = ReadFaceName(r, at + kLogFontFaceName);
    m_objects.Put(r.U32(kObjectIndex), std::move(font));
}

void Playback::CreatePalette(const Record& r) {
    const std::uint16_t count = r.U16(kPaletteCount);
    const auto entries = r.Array(kPaletteEntries, count, 4);
    PaletteObject palette;
    for (std::size_t i = 0; i < count; ++i)
        palette.entries.push_back({entries[4 * i], entries[4 * i + 1], entries[4 * i + 2]});
    m_objects.Put(r.U32(kObjectIndex), std::move(palette));
}

void Playback::SetPaletteEntries(const Record& r) {
    const std::uint32_t index = r.U32(kObjectIndex);
    const ObjectRef old = m_objects.Get(index);
    const auto* palette = old ? std::get_if<PaletteObject>(old.get()) : nullptr;
    if (!palette)
        return;
    const std::uint32_t start = r.U32(12), count = r.U32(16);
    const auto entries = r.Array(20, count, 4);
    PaletteObject changed = *palette;
    for (std::uint32_t i = 0; i < count && start + static_cast<std::uint64_t>(i) < changed.entries.size(); ++i) {
        changed.entries[start + i] = {entries[4 * i], entries[4 * i + 1], entries[4 * i + 2]};
    }
    m_objects.Put(index, std::move(changed));
    if (m_dc.palette == old)
        m_dc.palette = m_objects.Get(index);
}

void Playback::SelectObject(std::uint32_t index) {
    ObjectRef object = m_objects.Get(index);
    if (!object)
        return;
    switch (object->index()) {
        case 0:
            m_dc.pen = std::move(object);
            break;
        case 1:
            m_dc.brush = std::move(object);
            break;
        case 2:
            m_dc.font = std::move(object);
            break;
        default:
            m_dc.palette = std::move(object);
            break;
    }
}

// A selected object stays in use until something else is selected: the state holds its
// own reference.
void Playback::DeleteObject(std::uint32_t index) {
    m_objects.Erase(index);
}

Pen Playback::ResolvePen() {
    const PenObject& object = std::get<PenObject>(*m_dc.pen);
    Pen pen;
    pen.style = object.null ? PenStyle::Null : ToPenStyle(object.style);
    pen.color = object.color;
    pen.cosmetic = (object.style & kPsTypeMask) != kPsGeometric;
    const double scale = LogicalToOutput().MeanScale();
    const double pixel = DeviceToOutput().MeanScale();
    pen.width = pen.cosmetic ? 0 : object.width * scale;
    if (pen.style == PenStyle::UserStyle) {
        for (double d : object.userDashes)
            pen.dashes.push_back(d * (pen.cosmetic ? pixel : scale));
    } else {
        const double unit = pen.cosmetic ? pixel : std::max(pen.width, pixel);
        for (double d : StandardDashes(pen.style, pen.cosmetic))
            pen.dashes.push_back(d * unit);
    }
    switch (object.style & kPsEndCapMask) {
        case kPsEndCapSquare:
            pen.cap = CapStyle::Square;
            break;
        case kPsEndCapFlat:
            pen.cap = CapStyle::Flat;
            break;
        default:
            pen.cap = CapStyle::Round;
            break;
    }
    switch (object.style & kPsJoinMask) {
        case kPsJoinBevel:
            pen.join = JoinStyle::Bevel;
            break;
        case kPsJoinMiter:
            pen.join = JoinStyle::Miter;
            break;
        default:
            pen.join = JoinStyle::Round;
            break;
    }
    pen.miterLimit = m_dc.miterLimit;
    pen.opaqueBackground = m_dc.bkMode == kOpaque;
    pen.backgroundColor = m_dc.bkColor;
    return pen;
}

Brush Playback::ResolveBrush(const BrushObject& object) {
    Brush brush;
    brush.style = object.style;
    brush.color = object.color;
    brush.hatch = object.hatch;
    brush.pattern = object.pattern;
    brush.origin = DeviceToOutput().Map(m_dc.brushOrg);
    brush.opaqueBackground = m_dc.bkMode == kOpaque;
    brush.backgroundColor = m_dc.bkColor;
    if (object.monochrome && object.pattern) {
        const Color fg = m_dc.textColor, bg = m_dc.bkColor;
        if (m_monoSource == object.pattern && m_monoForeground == fg && m_monoBackground == bg) {
            brush.pattern = m_monoRecoloured;
            return brush;
        }
        auto recoloured = std::make_shared<Image>(*object.pattern);
        const std::uint32_t fgPixel = 0xFF000000u | (fg.r << 16) | (fg.g << 8) | fg.b;
        const std::uint32_t bgPixel = 0xFF000000u | (bg.r << 16) | (bg.g << 8) | bg.b;
        for (std::uint32_t& p : recoloured->pixels)
            p = (p & 0x00FFFFFF) == 0 ? fgPixel : bgPixel;
        m_monoSource = object.pattern;
        m_monoForeground = fg;
        m_monoBackground = bg;
        m_monoRecoloured = std::move(recoloured);
        brush.pattern = m_monoRecoloured;
    }
    return brush;
}

Brush Playback::SelectedBrush() {
    return ResolveBrush(std::get<BrushObject>(*m_dc.brush));
}

}  // namespace qrp::emf
