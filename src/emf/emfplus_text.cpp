// EMF+ text: DrawString lays out lines in a rectangle as its string format says;
// DrawDriverString places glyphs where the record says. Both reach the device as text runs,
// so text export and search see them like GDI text.
#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>

#include "emf_format.h"
#include "emfplus_format.h"
#include "emfplus_layout.h"
#include "emfplus_playback.h"
#include "path_builder.h"

namespace qrp::emf::plus {

namespace {

constexpr std::uint32_t kTaLeft = 0, kTaRight = 2, kTaCenter = 6, kTaTop = 0, kTaBaseline = 24;
constexpr std::uint32_t kEtoGlyphIndex = 0x0010;
constexpr std::uint32_t kFormatNoClip = 0x4000, kFormatVertical = 0x0002, kFormatNoWrap = 0x1000;
constexpr std::uint32_t kDriverCmapLookup = 1, kDriverVertical = 2, kDriverRealizedAdvance = 4;

}  // namespace

std::optional<Font> Playback::FontAt(std::uint8_t id, const Matrix& glyphTransform) {
    const auto* def = std::get_if<FontDef>(&ObjectAt(id));
    if (!def || !(def->emSize > 0) || !std::isfinite(def->emSize)) {
        Unsupported();
        return std::nullopt;
    }
    // The size in its unit, scaled and turned by the world transform like everything else.
    // Sizes in pixels follow the page scale too: the GDI records GDI+ writes beside them do.
    const Matrix sized = Then(glyphTransform, UnitToOutput(def->unit == kUnitPixel ? kUnitWorld : def->unit));
    const PointF ux = sized.MapVector({1, 0});
    Font font;
    font.faceName = def->family;
    font.height = def->emSize * Length(sized.MapVector({0, 1}));
    font.logicalHeight = -1;  // an em height
    font.weight = (def->style & 1) ? 700 : 400;
    font.italic = def->style & 2;
    font.underline = def->style & 4;
    font.strikeOut = def->style & 8;
    font.charset = 1;  // DEFAULT_CHARSET: the text is Unicode
    font.escapement = font.orientation = std::atan2(-ux.y, ux.x) * 180 / std::numbers::pi;
    return font;
}

void Playback::DrawString(std::uint16_t flags, Cursor& c) {
    const std::optional<Brush> brush = BrushFor(flags, c.U32());
    const std::uint32_t formatId = c.U32();
    const std::uint32_t length = c.U32();
    const RectF layout = ReadRect(c, false);
    std::u16string text;
    for (const std::uint8_t *p = c.Take(length, 2).data(), *end = p + std::size_t{length} * 2; p < end; p += 2)
        text.push_back(static_cast<char16_t>(p[0] | p[1] << 8));
    const Matrix m = ToOutput();
    const std::optional<Font> font = FontAt(flags & 0xFF, Matrix{});
    StringFormatDef format;
    if (formatId < kObjectSlots) {
        if (const auto* f = std::get_if<StringFormatDef>(&ObjectAt(static_cast<std::uint8_t>(formatId))))
            format = *f;
    }
    if (!brush || !font)
        return;
    if (brush->style != BrushStyle::Solid || (format.flags & kFormatVertical)) {
        Unsupported();
        return;
    }
    if (m_check || m_failed)
        return;
    // Sizes in world units, so that lines stack along the rotated page.
    const double scale = Length(m.MapVector({0, 1}));
    const double em = scale > 0 ? font->height / scale : 0;
    const double lead = em * format.leadingMargin, trail = em * format.trailingMargin;
    const double across = Length(m.MapVector({1, 0}));
    const bool wrap = !(format.flags & kFormatNoWrap) && layout.Width() > 0 && across > 0;
    const std::vector<std::u16string> lines =
        LayOutLines(text, wrap ? std::max(layout.Width() - lead - trail, std::numeric_limits<double>::min()) : 0,
                    [&](std::u16string_view piece) { return m_device.TextWidth(*font, piece) / across; });
    const double lineHeight = scale > 0 ? m_device.LineSpacing(*font) / scale : 0;
    const double block = lineHeight * static_cast<double>(lines.size());
    double top = layout.top;
    if (format.lineAlign == 1)
        top += (layout.Height() - block) / 2;
    else if (format.lineAlign == 2)
        top += layout.Height() - block;
    std::optional<Path> clip;
    if (!(format.flags & kFormatNoClip) && layout.Width() > 0 && layout.Height() > 0) {
        clip.emplace();
        PathBuilder(*clip, m).Rectangle(layout);
    }
    Flush();
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (lines[i].empty())
            continue;
        TextRun run;
        run.text = lines[i];
        run.font = *font;
        run.color = brush->color;
        run.clip = clip;
        double x = layout.left + lead;
        run.align = kTaLeft | kTaTop;
        if (format.align == 1) {
            x = (layout.left + layout.right) / 2;
            run.align = kTaCenter | kTaTop;
        } else if (format.align == 2) {
            x = layout.right - trail;
            run.align = kTaRight | kTaTop;
        }
        if (layout.Width() <= 0 && format.align != 1)
            x = format.align == 2 ? layout.left - trail : layout.left + lead;
        run.reference = m.Map({x, top + lineHeight * static_cast<double>(i)});
        m_device.DrawText(run);
        ++m_drawCalls;
    }
}

void Playback::DrawDriverString(std::uint16_t flags, Cursor& c) {
    const std::optional<Brush> brush = BrushFor(flags, c.U32());
    const std::uint32_t options = c.U32();
    const std::uint32_t matrixPresent = c.U32();
    const std::uint32_t count = c.U32();
    const auto glyphs = c.Take(count, 2);
    const auto positions = c.Take(count, 8);
    const Matrix glyphTransform = matrixPresent ? c.ReadMatrix() : Matrix{};
    const Matrix m = Then(glyphTransform, ToOutput());
    const std::optional<Font> font = FontAt(flags & 0xFF, glyphTransform);
    if (!brush || !font)
        return;
    if (brush->style != BrushStyle::Solid || (options & kDriverVertical) || !m.IsFinite()) {
        Unsupported();
        return;
    }
    if (m_check || m_failed || count == 0)
        return;
    TextRun run;
    run.font = *font;
    run.color = brush->color;
    run.align = kTaLeft | kTaBaseline;
    if (!(options & kDriverCmapLookup))
        run.options = kEtoGlyphIndex;
    Cursor p(positions);
    for (std::uint32_t i = 0; i < count; ++i) {
        run.text.push_back(static_cast<char16_t>(glyphs[2 * i] | glyphs[2 * i + 1] << 8));
        const double x = p.F32();
        const PointF origin = m.Map({x, p.F32()});
        if (i == 0)
            run.reference = origin;
        if (!(options & kDriverRealizedAdvance))
            run.origins.push_back(origin);
    }
    Flush();
    m_device.DrawText(run);
    ++m_drawCalls;
}

}  // namespace qrp::emf::plus
