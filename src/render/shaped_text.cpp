#include "shaped_text.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>
#include <set>
#include <tuple>

#include <QPaintEngine>
#include <QPainter>
#include <QPainterPath>
#include <QRawFont>
#include <QTextOption>

namespace qrp::render {

namespace {

bool Between(char16_t c, char16_t first, char16_t last) {
    return c >= first && c <= last;
}

}  // namespace

bool NeedsShaping(const QString& text) {
    for (const QChar q : text) {
        const char16_t c = q.unicode();
        if (c < 0x0590)
            continue;
        if (c < 0x1C50) {
            // Hebrew to Myanmar; Khmer, Mongolian and the scripts of Southeast Asia after it.
            if (c < 0x10A0 || c >= 0x1780)
                return true;
            continue;
        }
        if (Between(c, 0x200C, 0x200F) || Between(c, 0x202A, 0x202E) || Between(c, 0x2066, 0x2069) ||
            Between(c, 0xA800, 0xABFF) || Between(c, 0xFB1D, 0xFDFF) || Between(c, 0xFE70, 0xFEFE) ||
            // Surrogates of the right-to-left and Brahmic blocks of the supplementary planes.
            Between(c, 0xD802, 0xD807) || Between(c, 0xD83A, 0xD83B))
            return true;
    }
    return false;
}

ShapedText::ShapedText(const QString& text, const std::vector<Cluster>& clusters, const FontEntry& entry,
                       QPaintDevice* device, bool rightToLeft)
    : m_text(text), m_clusters(clusters), m_entry(entry), m_layout(text, entry.font, device) {
    QTextOption option;
    option.setWrapMode(QTextOption::NoWrap);
    option.setTextDirection(rightToLeft ? Qt::RightToLeft : Qt::LeftToRight);
    option.setFlags(QTextOption::IncludeTrailingSpaces);
    m_layout.setTextOption(option);
    m_layout.setCacheEnabled(true);
    m_layout.beginLayout();
    QTextLine line = m_layout.createLine();
    if (line.isValid())
        line.setLineWidth(std::numeric_limits<int>::max() / 4);
    m_layout.endLayout();
    if (!line.isValid())
        return;
    m_ascent = line.ascent();

    // Each cluster's glyphs as the layout shaped them in context; a glyph two clusters
    // share (a ligature) goes with the first.
    const std::size_t n = m_clusters.size();
    m_lead.resize(n);
    m_trail.resize(n);
    m_shift.assign(n, 0);
    std::set<std::tuple<std::size_t, quint32, double, double>> seen;
    for (std::size_t c = 0; c < n; ++c) {
        const int start = static_cast<int>(m_clusters[c].start), length = static_cast<int>(m_clusters[c].length);
        // Without glyphs of its own, a cluster stands where the cursor does.
        const double cursorLead = line.cursorToX(start, QTextLine::Leading);
        const double cursorTrail = line.cursorToX(start + length - 1, QTextLine::Trailing);
        double left = std::numeric_limits<double>::infinity(), right = -left;
        for (const QGlyphRun& run : line.glyphRuns(start, length)) {
            const QRawFont raw = run.rawFont();
            auto font = std::find(m_fonts.begin(), m_fonts.end(), raw);
            if (font == m_fonts.end())
                font = m_fonts.insert(m_fonts.end(), raw);
            const auto f = static_cast<std::size_t>(font - m_fonts.begin());
            const QList<quint32> indexes = run.glyphIndexes();
            const QList<QPointF> positions = run.positions();
            const QList<QPointF> advances = raw.advancesForGlyphIndexes(indexes);
            for (qsizetype g = 0; g < indexes.size(); ++g) {
                if (!seen.emplace(f, indexes[g], positions[g].x(), positions[g].y()).second)
                    continue;
                m_glyphs.push_back({f, indexes[g], positions[g], c});
                const double advance = g < advances.size() ? advances[g].x() : 0;
                left = std::min(left, positions[g].x());
                right = std::max(right, positions[g].x() + advance);
            }
        }
        if (left > right)
            left = right = cursorLead;
        const bool rightToLeft = cursorLead > cursorTrail;
        m_lead[c] = rightToLeft ? right : left;
        m_trail[c] = rightToLeft ? left : right;
    }
}

double ShapedText::Width() const {
    return m_layout.lineCount() ? m_layout.lineAt(0).naturalTextWidth() * m_entry.xScale : 0;
}

void ShapedText::Place(double end) {
    const std::size_t n = m_clusters.size();
    if (n == 0)
        return;
    std::vector<double> width(n);
    for (std::size_t c = 0; c < n; ++c)
        width[c] = (c + 1 < n ? m_clusters[c + 1].x : end) - m_clusters[c].x;
    std::vector<std::size_t> visual(n);
    std::iota(visual.begin(), visual.end(), 0);
    std::stable_sort(visual.begin(), visual.end(), [&](std::size_t a, std::size_t b) {
        return std::min(m_lead[a], m_trail[a]) < std::min(m_lead[b], m_trail[b]);
    });
    // The advances add up to the same extent whatever the order: it starts at the first
    // cluster's origin (or at `end` when the advances run leftwards).
    double x = std::min(m_clusters.front().x, end);
    for (std::size_t c : visual) {
        const double left = x, right = x + std::abs(width[c]);
        x = right;
        const bool rightToLeft = m_lead[c] > m_trail[c];
        m_shift[c] = (rightToLeft ? right : left) / m_entry.xScale - m_lead[c];
    }
}

void ShapedText::Shift(double x) {
    std::fill(m_shift.begin(), m_shift.end(), x / m_entry.xScale);
}

void ShapedText::Draw(QPainter& painter, double baseline) const {
    std::vector<QList<quint32>> indexes(m_fonts.size());
    std::vector<QList<QPointF>> positions(m_fonts.size());
    for (const Glyph& glyph : m_glyphs) {
        indexes[glyph.font].append(glyph.index);
        positions[glyph.font].append(QPointF(glyph.position.x() + m_shift[glyph.cluster],
                                             glyph.position.y() - m_ascent + baseline + m_clusters[glyph.cluster].y));
    }
    // SVG writes text items as text, which a glyph run has none of: it gets outlines too.
    const QPaintEngine* engine = painter.paintEngine();
    const bool outlines = DrawAsOutlines(painter, m_entry) || (engine && engine->type() == QPaintEngine::SVG);
    QPainterPath path;
    for (std::size_t f = 0; f < m_fonts.size(); ++f) {
        if (outlines) {
            for (qsizetype g = 0; g < indexes[f].size(); ++g)
                path.addPath(m_fonts[f].pathForGlyph(indexes[f][g]).translated(positions[f][g]));
            continue;
        }
        QGlyphRun run;
        run.setRawFont(m_fonts[f]);
        run.setGlyphIndexes(indexes[f]);
        run.setPositions(positions[f]);
        painter.drawGlyphRun(QPointF(0, 0), run);
    }
    if (outlines)
        painter.fillPath(path, painter.pen().color());
}

std::vector<char32_t> ShapedText::Missing() const {
    std::vector<char32_t> missing;
    for (const Glyph& glyph : m_glyphs) {
        if (glyph.index != 0)
            continue;
        const Cluster& cluster = m_clusters[glyph.cluster];
        for (const char32_t c : m_text.mid(cluster.start, cluster.length).toUcs4())
            if (c > 0x20 && !QChar::isSpace(c) && QChar::category(c) != QChar::Other_Format)
                missing.push_back(c);
    }
    return missing;
}

}  // namespace qrp::render
