// Blits whose raster operation combines the source with the selected brush (MERGECOPY,
// PSDPxax and the other pattern ROP3s): computed pixel by pixel, since no composition mode
// takes three inputs.
#include <algorithm>
#include <cmath>

#include <QPaintDevice>
#include <QPainter>

#include "device_paint_p.h"
#include "qpainter_device.h"

namespace qrp::render {

namespace {

constexpr std::uint32_t kRgbMask = 0x00FFFFFF;
constexpr std::uint32_t kOpaque = 0xFF000000;
// Source pixels at least this opaque take part; fainter antialiased edges do not.
constexpr int kCoveredAlpha = 128;

// The average colour of a pattern brush, or the brush's own colour.
QRgb FlatColor(const emf::Brush& brush) {
    if (brush.style != emf::BrushStyle::Pattern || !brush.pattern || brush.pattern->pixels.empty())
        return qRgb(brush.color.r, brush.color.g, brush.color.b);
    std::uint64_t r = 0, g = 0, b = 0;
    for (std::uint32_t p : brush.pattern->pixels)
        r += qRed(p), g += qGreen(p), b += qBlue(p);
    const std::size_t n = brush.pattern->pixels.size();
    return qRgb(static_cast<int>(r / n), static_cast<int>(g / n), static_cast<int>(b / n));
}

}  // namespace

void QPainterDevice::DrawPatternBlit(const emf::ImageDraw& draw, const QImage& source, const QRectF& visible,
                                     const QTransform& map) {
    const bool readable = m_raster && m_painter.device()->devType() == QInternal::Image;
    if (!readable) {
        // No destination to read: the result as it comes out on white paper, with the pixels
        // that would keep the destination whatever it is left transparent.
        const QRect part = visible.toAlignedRect();
        QImage pixels = source.copy(part).convertToFormat(QImage::Format_ARGB32);
        const std::uint32_t pattern = FlatColor(*draw.pattern) & kRgbMask;
        for (int y = 0; y < pixels.height(); ++y) {
            auto* line = reinterpret_cast<QRgb*>(pixels.scanLine(y));
            for (int x = 0; x < pixels.width(); ++x) {
                const std::uint32_t s = line[x] & kRgbMask;
                const std::uint32_t onBlack = emf::ApplyRop3(draw.rop, pattern, s, 0) & kRgbMask;
                const std::uint32_t onWhite = emf::ApplyRop3(draw.rop, pattern, s, kRgbMask) & kRgbMask;
                const bool keepsDestination = onBlack == 0 && onWhite == kRgbMask;
                line[x] = qAlpha(line[x]) < kCoveredAlpha || keepsDestination ? 0 : kOpaque | onWhite;
            }
        }
        m_painter.save();
        m_painter.setTransform(map * m_base);
        m_painter.drawImage(part.topLeft(), pixels);
        m_painter.restore();
        return;
    }

    // The destination's pixels under the blit, in device pixels.
    const QTransform toDevice = map * m_base;
    auto* target = static_cast<QImage*>(m_painter.device());
    QRect area = toDevice.mapRect(visible).toAlignedRect().intersected(target->rect());
    if (m_painter.hasClipping())
        area = area.intersected(m_base.mapRect(m_painter.clipBoundingRect()).toAlignedRect());
    if (area.isEmpty())
        return;
    const QTransform toArea = QTransform::fromTranslate(-area.left(), -area.top());

    QImage sourceLayer(area.size(), QImage::Format_ARGB32_Premultiplied);
    sourceLayer.fill(Qt::transparent);
    {
        QPainter p(&sourceLayer);
        p.setTransform(toDevice * toArea);
        p.drawImage(visible, source, visible);
    }
    // A solid brush is one colour; hatches and patterns are tiled from the brush origin.
    QImage patternLayer(area.size(), QImage::Format_RGB32);
    if (draw.pattern->style == emf::BrushStyle::Solid) {
        patternLayer.fill(ToQColor(draw.pattern->color));
    } else {
        QPainter q(&patternLayer);
        q.setTransform(m_base * toArea);
        QBrush background;
        const QBrush brush = MakeBrush(*draw.pattern, m_patternScale, true, &background);
        const QRectF everywhere = (m_base * toArea).inverted().mapRect(QRectF(patternLayer.rect()));
        if (background.style() != Qt::NoBrush)
            q.fillRect(everywhere, background);
        q.fillRect(everywhere, brush);
    }
    const QImage destination = target->copy(area).convertToFormat(QImage::Format_RGB32);
    QImage result(area.size(), QImage::Format_ARGB32);
    for (int y = 0; y < area.height(); ++y) {
        const auto* s = reinterpret_cast<const QRgb*>(sourceLayer.constScanLine(y));
        const auto* p = reinterpret_cast<const QRgb*>(patternLayer.constScanLine(y));
        const auto* d = reinterpret_cast<const QRgb*>(destination.constScanLine(y));
        auto* out = reinterpret_cast<QRgb*>(result.scanLine(y));
        for (int x = 0; x < area.width(); ++x) {
            out[x] =
                qAlpha(s[x]) < kCoveredAlpha ? 0 : kOpaque | (emf::ApplyRop3(draw.rop, p[x], s[x], d[x]) & kRgbMask);
        }
    }
    // The painter's clip still applies: it is kept in device pixels.
    m_painter.save();
    m_painter.resetTransform();
    m_painter.drawImage(area.topLeft(), result);
    m_painter.restore();
}

}  // namespace qrp::render
