#include <algorithm>
#include <cmath>

#include <QFontInfo>
#include <QPaintDevice>
#include <QRawFont>

#include "font_cache_p.h"

namespace qrp::render {

namespace {

// A font height of 0 asks for the device's default font; a dozen output units is about
// what a screen's default looks like at the scale reports are made at.
constexpr double kDefaultFontHeight = 12;
constexpr double kMinFontHeight = 0.05;
constexpr double kMaxFontHeight = 20000;
// A page uses a handful of fonts; a damaged one that makes thousands starts over now and then.
constexpr std::size_t kMaxCachedFonts = 64;

bool SameFont(const emf::Font& a, const emf::Font& b) {
    return a.faceName == b.faceName && a.height == b.height && (a.logicalHeight > 0) == (b.logicalHeight > 0) &&
           a.width == b.width && a.weight == b.weight && a.italic == b.italic && a.charset == b.charset;
}

QFont MakeFont(const emf::Font& font, double pixelSize, const QPaintDevice* device) {
    QFont result(QString::fromStdU16String(font.faceName));
    // Point sizes take fractions where pixel sizes do not; the device's DPI turns them back.
    result.setPointSizeF(pixelSize * 72.0 / std::max(1, device->logicalDpiY()));
    result.setWeight(static_cast<QFont::Weight>(std::clamp(font.weight <= 0 ? 400 : font.weight, 1, 1000)));
    result.setItalic(font.italic);
    // The report placed every glyph itself: neither hinting nor kerning may move them.
    result.setHintingPreference(QFont::PreferNoHinting);
    result.setKerning(false);
    return result;
}

}  // namespace

double FontEntry::Advance(QStringView cluster) const {
    if (cluster.size() != 1)
        return metrics.horizontalAdvance(cluster.toString());
    auto known = m_advances.constFind(cluster[0].unicode());
    if (known == m_advances.cend())
        known = m_advances.insert(cluster[0].unicode(), metrics.horizontalAdvance(QString(cluster[0])));
    return *known;
}

FontEntry::FontEntry(const emf::Font& key, const QFont& font, const QPaintDevice* device)
    : key(key), font(font), metrics(font, device) {}

const FontEntry& FontCache::Resolve(const emf::Font& font) {
    for (const auto& entry : m_entries)
        if (SameFont(entry->key, font))
            return *entry;
    if (m_entries.size() >= kMaxCachedFonts)
        m_entries.clear();

    double height = std::isfinite(font.height) && font.height > 0 ? font.height : kDefaultFontHeight;
    height = std::clamp(height, kMinFontHeight, kMaxFontHeight);
    double pixelSize = height;
    if (font.logicalHeight > 0) {
        // A cell height: the size at which ascent + descent come to `height`.
        const QFontMetricsF probe(MakeFont(font, height, m_device), m_device);
        const double cell = probe.ascent() + probe.descent();
        if (cell > 0)
            pixelSize = std::clamp(height * height / cell, kMinFontHeight, kMaxFontHeight);
    }
    auto entry = std::make_unique<FontEntry>(font, MakeFont(font, pixelSize, m_device), m_device);
    entry->lineWidth = std::max(entry->metrics.lineWidth(), pixelSize / 20);
    const double average = entry->metrics.averageCharWidth();
    if (std::isfinite(font.width) && font.width > 0 && average > 0)
        entry->xScale = std::clamp(font.width / average, 0.01, 100.0);
    QRawFont raw = QRawFont::fromFont(entry->font);
    if (raw.isValid()) {
        const QString asked = entry->font.family();
        entry->exactFace = !asked.isEmpty() && QFontInfo(entry->font).family().compare(asked, Qt::CaseInsensitive) == 0;
        // Resizing can fail (an extreme size): then there is no raw font to draw with.
        raw.setPixelSize(pixelSize);
        if (raw.isValid())
            entry->raw = raw;
    }
    m_entries.push_back(std::move(entry));
    return *m_entries.back();
}

}  // namespace qrp::render
