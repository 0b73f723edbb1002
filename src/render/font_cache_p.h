// The fonts of one playback: an EMF font turned into a QFont at the size the page asks for,
// with the metrics that text placement needs, kept while the page draws.
#pragma once

#include <memory>
#include <optional>
#include <vector>

#include <QFont>
#include <QFontMetricsF>
#include <QHash>
#include <QRawFont>

#include "emf/device.h"

class QPaintDevice;

namespace qrp::render {

struct FontEntry {
    FontEntry(const emf::Font& key, const QFont& font, const QPaintDevice* device);

    // The unstretched advance of one cluster; single units are remembered, since measuring
    // lays the text out each time and a page asks for the same letters over and over.
    double Advance(QStringView cluster) const;

    emf::Font key;
    QFont font;
    QFontMetricsF metrics;
    std::optional<QRawFont> raw;  // for glyph runs, which skip text layout
    bool exactFace = false;       // the named font itself, not a substitute: its glyph indices hold
    double xScale = 1;            // horizontal stretch asked for by a non-zero average width
    double lineWidth = 1;         // underline and strike-out thickness

  private:
    mutable QHash<char16_t, double> m_advances;
};

class FontCache {
  public:
    // Fonts are sized for `device` (its logical DPI).
    explicit FontCache(const QPaintDevice* device) : m_device(device) {}

    // The entry stays valid until the next call.
    const FontEntry& Resolve(const emf::Font& font);

  private:
    const QPaintDevice* m_device;
    std::vector<std::unique_ptr<FontEntry>> m_entries;
};

}  // namespace qrp::render
