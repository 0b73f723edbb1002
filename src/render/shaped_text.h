// Text in scripts whose letters join, reorder or run right to left (Arabic, Hebrew, Syriac,
// Thaana, N'Ko, the Indic and Southeast Asian scripts): such a run is shaped as a whole by
// Qt's text layout, and each cluster's glyphs are then moved to where the report's advances
// put that cluster, right to left where the text runs so.
#pragma once

#include <cstdint>
#include <vector>

#include <QGlyphRun>
#include <QList>
#include <QRawFont>
#include <QString>
#include <QTextLayout>

#include "device_text_p.h"

class QPaintDevice;

namespace qrp::render {

// A quick look at the code units: true when some character needs shaping or bidi order.
// Latin, Greek, Cyrillic and CJK text answers false after one comparison per unit.
bool NeedsShaping(const QString& text);

class ShapedText {
  public:
    // `clusters` in logical order; rightToLeft sets the paragraph direction (ETO_RTLREADING).
    ShapedText(const QString& text, const std::vector<Cluster>& clusters, const FontEntry& entry, QPaintDevice* device,
               bool rightToLeft);

    // The shaped width in the run's frame (the font's stretch applied).
    double Width() const;
    // Puts the clusters where the report's advances put them: each cluster as wide as its
    // advance (the next cluster's x, or `end` for the last), laid side by side in visual
    // order from the run's left edge, with its glyphs aligned at its leading edge.
    void Place(double end);
    // Without recorded advances: the shaped line moved to start at x.
    void Shift(double x);
    // Draws at `baseline` on a painter in the run's frame scaled by the font's stretch.
    void Draw(QPainter& painter, double baseline) const;
    // The characters drawn as the missing-glyph box: no installed font has them.
    std::vector<char32_t> Missing() const;

  private:
    struct Glyph {
        std::size_t font = 0;  // in m_fonts
        quint32 index = 0;
        QPointF position;  // as shaped, on a baseline at m_ascent
        std::size_t cluster = 0;
    };

    QString m_text;
    std::vector<Cluster> m_clusters;
    const FontEntry& m_entry;
    QTextLayout m_layout;
    double m_ascent = 0;
    std::vector<QRawFont> m_fonts;  // the named font and those Qt fell back to
    std::vector<Glyph> m_glyphs;
    std::vector<double> m_lead, m_trail;  // each cluster's leading and trailing edge as shaped
    std::vector<double> m_shift;          // and how far it moves
};

}  // namespace qrp::render
