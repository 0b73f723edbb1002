// Text runs: the vertical alignment the player leaves to the device, and each glyph drawn
// at the origin the report recorded for it, whatever font stands in for the one it named.
// Runs that need shaping go through shaped_text; a character the font lacks comes from
// any installed font that has it.
#include <algorithm>
#include <cmath>
#include <optional>

#include <QGlyphRun>
#include <QPaintEngine>
#include <QPainter>
#include <QPainterPath>

#include "device_paint_p.h"
#include "device_text_p.h"
#include "missing_glyphs.h"
#include "qpainter_device.h"
#include "shaped_text.h"

namespace qrp::render {

namespace {

constexpr std::uint32_t kTaRight = 2;
constexpr std::uint32_t kTaCenter = 6;
constexpr std::uint32_t kTaBottom = 8;
constexpr std::uint32_t kTaBaseline = 24;
constexpr std::uint32_t kTaRtlReading = 256;
constexpr std::uint32_t kEtoGlyphIndex = 0x0010;
constexpr std::uint32_t kEtoRtlReading = 0x0080;

std::vector<Cluster> Clusters(const QString& text) {
    std::vector<Cluster> clusters;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        const bool joins = c.isLowSurrogate() || c.category() == QChar::Mark_NonSpacing ||
                           c.category() == QChar::Mark_Enclosing || c.category() == QChar::Mark_SpacingCombining;
        if (joins && !clusters.empty()) {
            ++clusters.back().length;
        } else {
            clusters.push_back({i, 1, 0});
        }
    }
    return clusters;
}

// One cluster per unit: glyph indices stand alone.
std::vector<Cluster> Units(const QString& text) {
    std::vector<Cluster> units;
    for (qsizetype i = 0; i < text.size(); ++i)
        units.push_back({i, 1, 0});
    return units;
}

// Glyphs at most this many device pixels long either way may go through Qt's glyph cache.
constexpr double kMaxCachedGlyphExtent = 256;

// The painter is in the run's frame, scaled by the font's stretch; `glyphs` holds one
// glyph per cluster, 0 for one that draws nothing.
void DrawGlyphRun(QPainter& painter, const FontEntry& entry, const QList<quint32>& glyphs,
                  const std::vector<Cluster>& clusters, double baseline) {
    QList<quint32> drawn;
    QList<QPointF> positions;
    for (std::size_t i = 0; i < clusters.size(); ++i) {
        if (glyphs[static_cast<qsizetype>(i)] == 0)
            continue;
        drawn.append(glyphs[static_cast<qsizetype>(i)]);
        positions.append(QPointF(clusters[i].x / entry.xScale, baseline + clusters[i].y));
    }
    if (DrawAsOutlines(painter, entry)) {
        QPainterPath outlines;
        for (qsizetype i = 0; i < drawn.size(); ++i)
            outlines.addPath(entry.raw->pathForGlyph(drawn[i]).translated(positions[i]));
        painter.fillPath(outlines, painter.pen().color());
        return;
    }
    QGlyphRun run;
    run.setRawFont(*entry.raw);
    run.setGlyphIndexes(drawn);
    run.setPositions(positions);
    painter.drawGlyphRun(QPointF(0, 0), run);
}

// The glyphs of `text` when the raw font has every character (no fallback needed) and
// there is one cluster per unit; empty otherwise. Control characters get glyph 0.
QList<quint32> LookUpGlyphs(const QString& text, const std::vector<Cluster>& clusters, const QRawFont& raw) {
    if (clusters.size() != static_cast<std::size_t>(text.size()))
        return {};
    QList<quint32> glyphs = raw.glyphIndexesForString(text);
    if (glyphs.size() != text.size())
        return {};
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i].unicode() < 0x20)
            glyphs[i] = 0;
        else if (glyphs[i] == 0)  // the font lacks it: another font has to stand in
            return {};
    }
    return glyphs;
}

// Each cluster as text, so that PDF and SVG keep real text and Qt finds a font for every
// character.
void DrawTextClusters(QPainter& painter, const QString& text, const std::vector<Cluster>& clusters,
                      const FontEntry& entry, double baseline) {
    painter.setFont(entry.font);
    const bool outlines = DrawAsOutlines(painter, entry);
    QPainterPath path;
    for (const Cluster& c : clusters) {
        if (text[c.start].unicode() <= 0x20)
            continue;
        const QPointF origin(c.x / entry.xScale, baseline + c.y);
        if (outlines)
            path.addText(origin, entry.font, text.mid(c.start, c.length));
        else
            painter.drawText(origin, text.mid(c.start, c.length));
    }
    if (outlines)
        painter.fillPath(path, painter.pen().color());
}

}  // namespace

// Qt caches a glyph as an image when the transform's area scale is small, however far one
// side is stretched: text squeezed flat and drawn very wide (a world transform, a wide
// font) would ask for glyph images of hundreds of megabytes. Such text is filled as
// outlines, which the rasterizer clips to the device. Vector devices (PDF, SVG) keep text.
bool DrawAsOutlines(const QPainter& painter, const FontEntry& entry) {
    if (!painter.paintEngine() || painter.paintEngine()->type() != QPaintEngine::Raster)
        return false;
    const QTransform m = painter.combinedTransform();
    const double stretch = std::max(std::hypot(m.m11(), m.m12()), std::hypot(m.m21(), m.m22()));
    return !(entry.metrics.height() * stretch <= kMaxCachedGlyphExtent);
}

void QPainterDevice::DrawText(const emf::TextRun& run) {
    if (run.text.empty())
        return;
    const FontEntry& entry = m_fonts->Resolve(run.font);
    // Glyph indices refer to the font the report was made with; a substitute's differ, so
    // they are drawn only when that very font is here.
    const bool glyphIndex = run.options & kEtoGlyphIndex;
    if (glyphIndex && !(entry.raw && entry.exactFace))
        return;
    const QString text = QString::fromStdU16String(run.text);

    // The run's frame: x along the baseline from the reference point, y downwards.
    const double angle = std::isfinite(run.font.escapement) ? run.font.escapement : 0;
    QTransform local = QTransform::fromTranslate(run.reference.x, run.reference.y);
    if (angle != 0)
        local.rotate(-angle);
    const QTransform toLocal = local.inverted();

    std::vector<Cluster> clusters = glyphIndex ? Units(text) : Clusters(text);
    const auto advance = [&](const Cluster& c) {
        if (glyphIndex) {
            const auto advances = entry.raw->advancesForGlyphIndexes(QList<quint32>{text[c.start].unicode()});
            return advances.isEmpty() ? 0.0 : advances[0].x() * entry.xScale;
        }
        return entry.Advance(QStringView(text).mid(c.start, c.length)) * entry.xScale;
    };
    const bool positioned = run.origins.size() >= static_cast<std::size_t>(text.size());
    if (positioned) {
        for (Cluster& c : clusters) {
            const QPointF origin = toLocal.map(ToQPoint(run.origins[static_cast<std::size_t>(c.start)]));
            c.x = origin.x();
            c.y = origin.y();
        }
    }
    const auto alignmentShift = [&](double width) {
        return (run.align & kTaCenter) == kTaCenter ? -width / 2 : (run.align & kTaRight) ? -width : 0;
    };
    std::optional<ShapedText> shaped;
    double left = 0, right = 0;
    if (!glyphIndex && NeedsShaping(text)) {
        const bool rightToLeft = (run.options & kEtoRtlReading) || (run.align & kTaRtlReading);
        shaped.emplace(text, clusters, entry, m_painter.device(), rightToLeft);
        if (positioned) {
            const double end = toLocal.map(ToQPoint(run.end)).x();
            shaped->Place(end);
            left = std::min(clusters.front().x, end);
            right = std::max(clusters.front().x, end);
        } else {
            left = alignmentShift(shaped->Width());
            right = left + shaped->Width();
            shaped->Shift(left);
        }
    } else {
        double end = 0;
        if (positioned) {
            end = clusters.back().x + advance(clusters.back());
        } else {
            for (Cluster& c : clusters) {
                c.x = end;
                end += advance(c);
            }
            const double shift = alignmentShift(end);
            for (Cluster& c : clusters)
                c.x += shift;
            end += shift;
        }
        left = right = end;
        for (const Cluster& c : clusters) {
            left = std::min(left, c.x);
            right = std::max(right, c.x);
        }
    }

    const double ascent = entry.metrics.ascent(), descent = entry.metrics.descent();
    double baseline = ascent;  // TA_TOP
    if ((run.align & kTaBaseline) == kTaBaseline) {
        baseline = 0;
    } else if (run.align & kTaBottom) {
        baseline = -descent;
    }

    UseComposition(QPainter::CompositionMode_SourceOver);
    // Saving the whole painter state costs more than a short run takes to draw (and writes
    // it into every PDF page): only a clip needs it; the transform goes back by hand, and
    // whatever draws next sets its own pen.
    if (run.clip) {
        m_painter.save();
        m_painter.setClipPath(ToPainterPath(*run.clip), Qt::IntersectClip);
    }
    m_painter.setTransform(local * m_base);
    if (run.opaqueBackground)
        m_painter.fillRect(QRectF(left, baseline - ascent, right - left, ascent + descent),
                           ToQColor(run.backgroundColor));
    // Decorations span the whole run, gaps between spaced-out glyphs included.
    const QColor color = ToQColor(run.color);
    if (run.font.underline)
        m_painter.fillRect(QRectF(left, baseline + entry.metrics.underlinePos(), right - left, entry.lineWidth), color);
    if (run.font.strikeOut)
        m_painter.fillRect(QRectF(left, baseline - entry.metrics.strikeOutPos(), right - left, entry.lineWidth), color);
    m_painter.setPen(color);
    m_painter.scale(entry.xScale, 1);
    if (glyphIndex) {
        QList<quint32> glyphs;
        for (const QChar c : text)
            glyphs.append(c.unicode());
        DrawGlyphRun(m_painter, entry, glyphs, clusters, baseline);
    } else if (shaped) {
        shaped->Draw(m_painter, baseline);
        NoteMissingCharacters(shaped->Missing());
    } else if (const QList<quint32> glyphs =
                   m_glyphRuns && entry.raw ? LookUpGlyphs(text, clusters, *entry.raw) : QList<quint32>();
               !glyphs.isEmpty()) {
        // One glyph run skips text layout, which is most of the time text takes; SVG would
        // lose the text, so it gets the layout.
        DrawGlyphRun(m_painter, entry, glyphs, clusters, baseline);
    } else {
        NoteUnsupportedCharacters(entry.font, entry.raw ? &*entry.raw : nullptr, text);
        DrawTextClusters(m_painter, text, clusters, entry, baseline);
    }
    if (run.clip)
        m_painter.restore();
    else
        m_painter.setTransform(m_base);
}

double QPainterDevice::TextWidth(const emf::Font& font, std::u16string_view text) {
    const FontEntry& entry = m_fonts->Resolve(font);
    const QString string = QString::fromStdU16String(std::u16string(text));
    double width = 0;
    for (const Cluster& c : Clusters(string))
        width += entry.Advance(string.mid(c.start, c.length));
    return width * entry.xScale;
}

double QPainterDevice::LineSpacing(const emf::Font& font) {
    return m_fonts->Resolve(font).metrics.lineSpacing();
}

}  // namespace qrp::render
