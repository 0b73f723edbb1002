// EXTTEXTOUTW, EXTTEXTOUTA and SMALLTEXTOUT: text decoding, glyph positions from the Dx
// advances, alignment, the current position and the font mapped to output units.
#include <cmath>
#include <numbers>

#include "emf_format.h"
#include "path_builder.h"
#include "player_p.h"
#include "symbol_fonts.h"

namespace qrp::emf {

namespace {

constexpr double kDegrees = std::numbers::pi / 180;
// A font asked for with height 0 gets GDI's default size: 12 points on the reference
// device, whatever the mapping (the default is chosen in device units).
constexpr double kDefaultFontPoints = 12;
constexpr double kMmPerPoint = 25.4 / 72;

PointF Add(PointF a, PointF b) {
    return {a.x + b.x, a.y + b.y};
}
PointF Scaled(PointF a, double s) {
    return {a.x * s, a.y * s};
}

// Turns an output vector counter-clockwise as seen on the output (y grows downwards).
PointF RotateOnOutput(PointF v, double radians) {
    const double c = std::cos(radians), s = std::sin(radians);
    return {v.x * c + v.y * s, -v.x * s + v.y * c};
}

}  // namespace

Font Playback::ResolveFont(const FontObject& object) {
    const Matrix& m = LogicalToOutput();
    const PointF ux = m.MapVector({1, 0}), uy = m.MapVector({0, 1});
    Font font;
    font.faceName = object.faceName;
    font.logicalHeight = object.height;
    font.height = std::fabs(static_cast<double>(object.height)) * Length(uy);
    if (object.height == 0) {
        const double devicePixels = kDefaultFontPoints * kMmPerPoint * PixelsPerMm().y;
        font.height = devicePixels * Length(DeviceToOutput().MapVector({0, 1}));
    }
    font.width = std::fabs(static_cast<double>(object.width)) * Length(ux);
    font.weight = object.weight;
    font.italic = object.italic;
    font.underline = object.underline;
    font.strikeOut = object.strikeOut;
    font.charset = object.charset;
    // Unrotated mappings, nearly every page, spare an arc tangent per run.
    const double mappingAngle = ux.y == 0 && ux.x > 0 ? 0 : std::atan2(-ux.y, ux.x) / kDegrees;
    font.escapement = object.escapement / 10.0 + mappingAngle;
    font.orientation = object.orientation / 10.0 + mappingAngle;
    return font;
}

void Playback::ExtTextOut(const Record& r, bool wide) {
    const std::size_t t = kExtTextOutText;
    const PointL ref = r.Point32(t + kTextReference);
    const std::uint32_t chars = r.U32(t + kTextChars);
    const std::uint32_t stringAt = r.U32(t + kTextStringOffset);
    const std::uint32_t options = r.U32(t + kTextOptions);
    const RectL rect = r.Rect(t + kTextRect);
    const std::uint32_t dxAt = r.U32(t + kTextDxOffset);

    const bool pdy = (options & kEtoPdy) != 0;
    std::vector<std::int32_t> dx;
    if (dxAt != 0 && chars != 0) {
        const std::uint64_t entries = static_cast<std::uint64_t>(chars) * (pdy ? 2 : 1);
        r.Array(dxAt, entries, 4);
        dx.reserve(static_cast<std::size_t>(entries));
        for (std::uint64_t i = 0; i < entries; ++i)
            dx.push_back(r.I32(dxAt + 4 * i));
    }
    auto advance = [&](std::size_t i) {
        return pdy ? PointF{double(dx[2 * i]), double(dx[2 * i + 1])} : PointF{double(dx[i]), 0};
    };

    std::u16string text;
    std::vector<PointF> advances;
    if (wide) {
        const auto bytes = r.Array(stringAt, chars, 2);
        for (std::size_t i = 0; i < chars; ++i)
            text.push_back(static_cast<char16_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8)));
        if (!dx.empty()) {
            for (std::size_t i = 0; i < chars; ++i)
                advances.push_back(advance(i));
        }
    } else {
        const auto bytes = r.Array(stringAt, chars, 1);
        DecodedText decoded = m_textDecoder.Decode(bytes, std::get<FontObject>(*m_dc.font).charset);
        text = std::move(decoded.text);
        // A double-byte character advances by the sum of its bytes' entries.
        if (!dx.empty()) {
            for (std::size_t u = 0; u < text.size(); ++u) {
                PointF sum;
                const std::size_t first = decoded.firstByte[u];
                if (u == 0 || decoded.firstByte[u - 1] != first) {
                    const std::size_t end = u + 1 < text.size() ? decoded.firstByte[u + 1] : bytes.size();
                    for (std::size_t b = first; b < end && b < chars; ++b)
                        sum = Add(sum, advance(b));
                }
                advances.push_back(sum);
            }
        }
    }
    DrawTextRun({double(ref.x), double(ref.y)}, std::move(text), std::move(advances), options, &rect);
}

void Playback::SmallTextOut(const Record& r) {
    const PointL ref = r.Point32(kSmallTextOutX);
    const std::uint32_t chars = r.U32(kSmallTextOutChars);
    const std::uint32_t options = r.U32(kSmallTextOutOptions);
    std::size_t at = kSmallTextOutClip;
    RectL rect;
    const bool hasRect = (options & kEtoNoRect) == 0;
    if (hasRect) {
        rect = r.Rect(at);
        at += 16;
    }
    std::u16string text;
    if (options & kEtoSmallChars) {
        // One byte per character: the low byte of each UTF-16 unit.
        for (std::uint8_t b : r.Array(at, chars, 1))
            text.push_back(b);
    } else {
        const auto bytes = r.Array(at, chars, 2);
        for (std::size_t i = 0; i < chars; ++i)
            text.push_back(static_cast<char16_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8)));
    }
    DrawTextRun({double(ref.x), double(ref.y)}, std::move(text), {}, options, hasRect ? &rect : nullptr);
}

void Playback::DrawTextRun(PointF reference, std::u16string text, std::vector<PointF> advances, std::uint32_t options,
                           const RectL* rect) {
    const Matrix& m = LogicalToOutput();
    std::optional<Path> rectPath;
    if (rect) {
        Path path;
        PathBuilder(path, m).Rectangle(
            {double(rect->left), double(rect->top), double(rect->right), double(rect->bottom)});
        rectPath = std::move(path);
    }
    if (rectPath && (options & kEtoOpaque)) {
        Brush fill;
        fill.color = m_dc.bkColor;
        Pen none;
        none.style = PenStyle::Null;
        Draw(*rectPath, none, fill);
    }
    if (text.empty())
        return;

    const FontObject& fontObject = std::get<FontObject>(*m_dc.font);
    TextRun run;
    run.font = ResolveFont(fontObject);
    const bool updateCp = (m_dc.textAlign & kTaUpdateCp) != 0;
    const PointF origin = updateCp ? m_dc.position : reference;
    run.reference = m.Map(origin);
    run.align = m_dc.textAlign;
    run.options = options;
    run.color = m_dc.textColor;
    run.opaqueBackground = m_dc.bkMode == kOpaque;
    run.backgroundColor = m_dc.bkColor;
    if (rectPath && (options & kEtoClipped))
        run.clip = std::move(rectPath);

    if (!advances.empty()) {
        const double escapement = fontObject.escapement / 10.0 * kDegrees;
        PointF total, logicalTotal;
        std::vector<PointF> offsets;
        offsets.reserve(advances.size());
        // The second value of an ETO_PDY pair moves the next glyph up the page, whichever
        // way the mapping turns y.
        const double rise = Length(m.MapVector({0, 1}));
        for (const PointF& a : advances) {
            offsets.push_back(total);
            const PointF along = m.MapVector({a.x, 0});
            total = Add(total, RotateOnOutput({along.x, along.y - a.y * rise}, escapement));
            logicalTotal = Add(logicalTotal, a);
        }
        const std::uint32_t horizontal = m_dc.textAlign & kTaHorizontalMask;
        const double shift = horizontal == kTaCenter ? -0.5 : horizontal == kTaRight ? -1 : 0;
        const PointF start = Add(run.reference, Scaled(total, shift));
        for (const PointF& o : offsets)
            run.origins.push_back(Add(start, o));
        run.end = Add(start, total);
        if (updateCp && horizontal != kTaCenter) {
            m_dc.position = Add(origin, Scaled(logicalTotal, horizontal == kTaRight ? -1 : 1));
        }
    }
    if ((options & kEtoGlyphIndex) == 0)
        MapSymbolText(SymbolFontOf(fontObject.faceName), text, run.origins);
    run.text = std::move(text);
    bool finite = std::isfinite(run.font.height) && std::isfinite(run.font.width) &&
                  std::isfinite(run.font.escapement) && std::isfinite(run.end.x) && std::isfinite(run.end.y);
    for (const PointF& p : run.origins)
        finite = finite && std::isfinite(p.x) && std::isfinite(p.y);
    if (!finite || !std::isfinite(run.reference.x) || !std::isfinite(run.reference.y))
        return;
    FlushClip();
    m_device.DrawText(run);
    ++m_stats.drawCalls;
}

}  // namespace qrp::emf
