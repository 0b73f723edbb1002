// Bitmaps: the source rectangle mapped onto its destination parallelogram, with the raster
// operation turned into a composition mode where the paint engine has one.
#include <cmath>

#include <QPainter>

#include "device_paint_p.h"
#include "qpainter_device.h"

namespace qrp::render {

namespace {

constexpr std::uint32_t kSrcPaint = 0x00EE0086;
constexpr std::uint32_t kSrcAnd = 0x008800C6;
constexpr std::uint32_t kSrcInvert = 0x00660046;
constexpr std::uint32_t kSrcErase = 0x00440328;
constexpr std::uint32_t kNotSrcCopy = 0x00330008;
constexpr std::uint32_t kNotSrcErase = 0x001100A6;
constexpr std::uint32_t kMergePaint = 0x00BB0226;
constexpr std::uint32_t kDstInvert = 0x00550009;
constexpr std::uint32_t kBlackness = 0x00000042;
constexpr std::uint32_t kWhiteness = 0x00FF0062;
constexpr std::uint8_t kAcSrcAlpha = 0x01;

// What to do with the source pixels before compositing them.
enum class Prepare { None, Invert, WhiteClear, BlackClear };

struct Composition {
    QPainter::CompositionMode mode = QPainter::CompositionMode_SourceOver;
    Prepare prepare = Prepare::None;
};

// Without raster operations the classic mask pair (SRCAND a mask, then SRCPAINT or
// SRCINVERT the picture) still comes out right on white paper when the pixels that leave
// the destination unchanged (white for AND, black for OR and XOR) are made transparent.
Composition CompositionFor(std::uint32_t rop, bool raster, bool blendModes) {
    switch (rop) {
        case kSrcPaint:
            return raster ? Composition{QPainter::RasterOp_SourceOrDestination, Prepare::None}
                          : Composition{QPainter::CompositionMode_SourceOver, Prepare::BlackClear};
        case kSrcAnd:
            if (raster)
                return {QPainter::RasterOp_SourceAndDestination, Prepare::None};
            if (blendModes)
                return {QPainter::CompositionMode_Multiply, Prepare::None};
            return {QPainter::CompositionMode_SourceOver, Prepare::WhiteClear};
        case kSrcInvert:
            return raster ? Composition{QPainter::RasterOp_SourceXorDestination, Prepare::None}
                          : Composition{QPainter::CompositionMode_SourceOver, Prepare::BlackClear};
        case kSrcErase:
            if (raster)
                return {QPainter::RasterOp_SourceAndNotDestination, Prepare::None};
            break;
        case kNotSrcCopy:
            return {QPainter::CompositionMode_SourceOver, Prepare::Invert};
        case kNotSrcErase:
            if (raster)
                return {QPainter::RasterOp_NotSourceAndNotDestination, Prepare::None};
            break;
        case kMergePaint:
            if (raster)
                return {QPainter::RasterOp_NotSourceOrDestination, Prepare::None};
            break;
        default:
            break;
    }
    // SRCCOPY, and what the engine cannot do: copy, which shows at least the picture.
    // (The ROPs that combine the brush come with it and take their own way.)
    return {};
}

QImage Prepared(const QImage& image, Prepare prepare, std::optional<emf::Color> transparent) {
    if (prepare == Prepare::None && !transparent)
        return image;
    QImage result = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    if (prepare == Prepare::Invert)
        result.invertPixels(QImage::InvertRgb);
    const QRgb key = transparent ? qRgb(transparent->r, transparent->g, transparent->b) : 0;
    for (int y = 0; y < result.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(result.scanLine(y));
        for (int x = 0; x < result.width(); ++x) {
            const QRgb p = line[x] | 0xFF000000u;
            if ((transparent && p == key) || (prepare == Prepare::WhiteClear && p == 0xFFFFFFFFu) ||
                (prepare == Prepare::BlackClear && p == 0xFF000000u))
                line[x] = 0;
        }
    }
    return result;
}

}  // namespace

void QPainterDevice::DrawImage(const emf::ImageDraw& draw) {
    const auto& d = draw.destination;
    double sw = draw.source.Width(), sh = draw.source.Height();
    for (const emf::PointF& p : d)
        if (!std::isfinite(p.x) || !std::isfinite(p.y) || std::fabs(p.x) > kMaxCoordinate ||
            std::fabs(p.y) > kMaxCoordinate)
            return;
    // The source rectangle's corners onto the destination's: top-left, top-right, bottom-left.
    const QPointF p0 = ToQPoint(d[0]), ux = ToQPoint(d[1]) - p0, uy = ToQPoint(d[2]) - p0;

    UseComposition(QPainter::CompositionMode_SourceOver);
    if (!draw.image) {
        // Operations without a source fill the destination.
        QPolygonF area;
        area << p0 << p0 + ux << p0 + ux + uy << p0 + uy;
        QPainterPath path;
        path.addPolygon(area);
        path.closeSubpath();
        if (draw.rop == kBlackness || draw.rop == kWhiteness) {
            m_painter.fillPath(path, draw.rop == kBlackness ? Qt::black : Qt::white);
        } else if (draw.rop == kDstInvert && m_raster) {
            m_painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
            m_painter.fillPath(path, Qt::white);
            m_painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
        }
        return;
    }
    if (!std::isfinite(sw) || !std::isfinite(sh) || sw == 0 || sh == 0)
        return;
    const QImage image = WrapImage(*draw.image);
    if (image.isNull())
        return;
    // A JPEG or PNG may decode smaller than declared; the source counts in declared pixels.
    const double fx = static_cast<double>(image.width()) / draw.image->width;
    const double fy = static_cast<double>(image.height()) / draw.image->height;
    const double sl = draw.source.left * fx, st = draw.source.top * fy;
    sw *= fx, sh *= fy;
    const QRectF source = QRectF(sl, st, sw, sh).normalized();
    const QRectF visible = source.intersected(QRectF(image.rect()));
    if (visible.isEmpty())
        return;

    const QTransform map(ux.x() / sw, ux.y() / sw, uy.x() / sh, uy.y() / sh,
                         p0.x() - ux.x() / sw * sl - uy.x() / sh * st, p0.y() - ux.y() / sw * sl - uy.y() / sh * st);
    if (!map.isInvertible())
        return;

    if (draw.pattern && !draw.blend) {
        DrawPatternBlit(draw, image, visible, map);
        return;
    }
    Composition composition = CompositionFor(draw.rop, m_raster, m_blendModes);
    double opacity = 1;
    if (draw.blend) {
        composition = {};
        opacity = draw.blend->sourceConstantAlpha / 255.0;
    }
    QImage pixels = Prepared(image, composition.prepare, draw.transparentColor);
    if (draw.blend && !(draw.blend->alphaFormat & kAcSrcAlpha)) {
        // Without AC_SRC_ALPHA the bitmap's alpha bytes mean nothing: treat it as opaque.
        pixels = pixels.convertToFormat(QImage::Format_RGB32);
    }

    m_painter.save();
    m_painter.setTransform(map * m_base);
    m_painter.setCompositionMode(composition.mode);
    m_painter.setOpacity(opacity);
    // Shrinking averages pixels like HALFTONE; enlarging keeps them sharp like COLORONCOLOR.
    const QTransform full = map * m_base;
    const double scale = std::sqrt(std::fabs(full.determinant()));
    m_painter.setRenderHint(QPainter::SmoothPixmapTransform, scale < 1);
    m_painter.setRenderHint(QPainter::Antialiasing, composition.mode < QPainter::RasterOp_SourceOrDestination);
    m_painter.drawImage(visible, pixels, visible);
    m_painter.restore();
}

}  // namespace qrp::render
