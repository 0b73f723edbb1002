#include <algorithm>
#include <cmath>

#include <QBuffer>
#include <QImageReader>
#include <QLinearGradient>
#include <QPainter>

#include "device_paint_p.h"

namespace qrp::render {

namespace {

QPointF Clamped(emf::PointF p) {
    const auto clamp = [](double v) { return std::isfinite(v) ? std::clamp(v, -kMaxCoordinate, kMaxCoordinate) : 0.0; };
    return {clamp(p.x), clamp(p.y)};
}

Qt::PenCapStyle ToQt(emf::CapStyle cap) {
    switch (cap) {
        case emf::CapStyle::Square:
            return Qt::SquareCap;
        case emf::CapStyle::Flat:
            return Qt::FlatCap;
        case emf::CapStyle::Round:
            break;
    }
    return Qt::RoundCap;
}

Qt::PenJoinStyle ToQt(emf::JoinStyle join) {
    switch (join) {
        case emf::JoinStyle::Bevel:
            return Qt::BevelJoin;
        case emf::JoinStyle::Miter:
            return Qt::MiterJoin;
        case emf::JoinStyle::Round:
            break;
    }
    return Qt::RoundJoin;
}

Qt::BrushStyle HatchStyle(std::uint32_t hatch) {
    switch (hatch) {
        case 0:
            return Qt::HorPattern;  // HS_HORIZONTAL
        case 1:
            return Qt::VerPattern;  // HS_VERTICAL
        case 2:
            return Qt::FDiagPattern;  // HS_FDIAGONAL, "\\\\"
        case 3:
            return Qt::BDiagPattern;  // HS_BDIAGONAL, "////"
        case 4:
            return Qt::CrossPattern;  // HS_CROSS
        case 5:
            return Qt::DiagCrossPattern;
        default:
            return Qt::SolidPattern;  // GDI fills unknown hatches solid too
    }
}

// The pen's base: width, caps, joins; `pixelScale` decides between hairline and geometric.
QPen BasePen(const emf::Pen& pen, const QColor& color, double pixelScale) {
    QPen result(color);
    const bool hairline = pen.cosmetic || pen.width * pixelScale < 1.0 || !std::isfinite(pen.width);
    result.setWidthF(hairline ? 0.0 : std::min(pen.width, kMaxCoordinate));
    result.setCosmetic(hairline);
    result.setCapStyle(ToQt(pen.cap));
    result.setJoinStyle(ToQt(pen.join));
    // GDI measures the miter length across the whole join, Qt from its centre.
    result.setMiterLimit(std::isfinite(pen.miterLimit) ? std::max(pen.miterLimit, 1.0) / 2 : 5);
    return result;
}

QColor AverageColor(const QImage& tile) {
    const QImage small = tile.scaled(1, 1, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    return QColor::fromRgba(small.pixel(0, 0)).toRgb();
}

}  // namespace

QPainterPath ToPainterPath(const emf::Path& path) {
    QPainterPath result;
    result.setFillRule(path.fillRule == emf::FillRule::Winding ? Qt::WindingFill : Qt::OddEvenFill);
    for (const emf::PathElement& e : path.elements) {
        switch (e.op) {
            case emf::PathOp::MoveTo:
                result.moveTo(Clamped(e.points[0]));
                break;
            case emf::PathOp::LineTo:
                result.lineTo(Clamped(e.points[0]));
                break;
            case emf::PathOp::CubicTo:
                result.cubicTo(Clamped(e.points[0]), Clamped(e.points[1]), Clamped(e.points[2]));
                break;
            case emf::PathOp::Close:
                result.closeSubpath();
                break;
        }
    }
    return result;
}

std::optional<QRectF> AsRect(const emf::Path& path) {
    const auto& e = path.elements;
    std::size_t n = e.size();
    if (n > 0 && e[n - 1].op == emf::PathOp::Close)
        --n;
    if (n == 5 && e[4].op == emf::PathOp::LineTo && e[4].points[0] == e[0].points[0])
        --n;
    if (n != 4 || e[0].op != emf::PathOp::MoveTo)
        return std::nullopt;
    QPointF p[4];
    for (std::size_t i = 0; i < 4; ++i) {
        if (i > 0 && e[i].op != emf::PathOp::LineTo)
            return std::nullopt;
        p[i] = Clamped(e[i].points[0]);
    }
    // Either edge order: horizontal first or vertical first.
    const bool hFirst = p[0].y() == p[1].y() && p[1].x() == p[2].x() && p[2].y() == p[3].y() && p[3].x() == p[0].x();
    const bool vFirst = p[0].x() == p[1].x() && p[1].y() == p[2].y() && p[2].x() == p[3].x() && p[3].y() == p[0].y();
    if (!hFirst && !vFirst)
        return std::nullopt;
    return QRectF(p[0], p[2]).normalized();
}

namespace {

// A declared size may be a little off (rounding, thumbnails); more than this many times the
// declared area is not a mistake.
constexpr qint64 kMaxEncodedOversize = 4;

const char* Format(emf::ImageEncoding encoding) {
    switch (encoding) {
        case emf::ImageEncoding::Jpeg:
            return "jpeg";
        case emf::ImageEncoding::Gif:
            return "gif";
        case emf::ImageEncoding::Tiff:
            return "tiff";
        default:
            return "png";
    }
}

QImage DecodeImage(const emf::Image& image) {
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(image.encoded.data()),
                                                     static_cast<qsizetype>(image.encoded.size()));
    QBuffer buffer;
    buffer.setData(bytes);
    if (!buffer.open(QIODevice::ReadOnly))
        return {};
    QImageReader reader(&buffer, Format(image.encoding));
    const QSize size = reader.size();
    const qint64 declared = static_cast<qint64>(image.width) * image.height;
    if (!size.isValid() || size.isEmpty() ||
        static_cast<qint64>(size.width()) * size.height() > declared * kMaxEncodedOversize)
        return {};
    // Larger than declared: decoded down to the declared size. Smaller: kept as it is, never
    // scaled up (a few bytes could otherwise ask for the largest image allowed).
    const QSize target = size.boundedTo(QSize(image.width, image.height));
    if (size != target)
        reader.setScaledSize(target);
    QImage decoded;
    if (!reader.read(&decoded) || decoded.size() != target)
        return {};
    return decoded.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

}  // namespace

QImage WrapImage(const emf::Image& image) {
    if (image.encoding != emf::ImageEncoding::None)
        return image.width > 0 && image.height > 0 ? DecodeImage(image) : QImage();
    if (image.width <= 0 || image.height <= 0 ||
        image.pixels.size() < static_cast<std::size_t>(image.width) * static_cast<std::size_t>(image.height))
        return {};
    return QImage(reinterpret_cast<const uchar*>(image.pixels.data()), image.width, image.height,
                  static_cast<qsizetype>(image.width) * 4, QImage::Format_ARGB32_Premultiplied);
}

QPen MakePen(const emf::Pen& pen, double pixelScale) {
    QPen result = BasePen(pen, ToQColor(pen.color), pixelScale);
    if (pen.dashes.empty())
        return result;
    // Qt measures dashes in pen widths, a hairline's width being one device pixel.
    const double unit = result.isCosmetic() ? 1.0 / pixelScale : result.widthF();
    QList<qreal> pattern;
    double total = 0;
    for (double d : pen.dashes) {
        const double v = std::isfinite(d) ? std::clamp(d / unit, 0.01, 1e4) : 1.0;
        pattern.append(v);
        total += v;
    }
    // An odd pattern repeats with dashes and gaps swapped, as GDI repeats it.
    if (pattern.size() % 2 == 1)
        pattern.append(QList<qreal>(pattern));
    if (pattern.size() > 256 || total <= 0.02 * static_cast<double>(pattern.size()))
        return result;
    result.setDashPattern(pattern);
    return result;
}

QPen MakeGapPen(const emf::Pen& pen, double pixelScale) {
    return BasePen(pen, ToQColor(pen.backgroundColor), pixelScale);
}

QBrush MakeBrush(const emf::Brush& brush, double patternScale, bool textures, QBrush* background) {
    const QTransform tiling =
        QTransform::fromScale(patternScale, patternScale) * QTransform::fromTranslate(brush.origin.x, brush.origin.y);
    switch (brush.style) {
        case emf::BrushStyle::Null:
            return Qt::NoBrush;
        case emf::BrushStyle::Solid:
            return ToQColor(brush.color);
        case emf::BrushStyle::Hatched: {
            const Qt::BrushStyle style = HatchStyle(brush.hatch);
            if (style == Qt::SolidPattern)
                return ToQColor(brush.color);
            if (background && brush.opaqueBackground)
                *background = ToQColor(brush.backgroundColor);
            if (!textures) {
                QBrush result(ToQColor(brush.color), style);
                result.setTransform(tiling);
                return result;
            }
            // As a tile rather than a Qt pattern brush: PDF output ignores the scale of those.
            QImage tile(8, 8, QImage::Format_ARGB32_Premultiplied);
            tile.fill(Qt::transparent);
            QPainter painter(&tile);
            painter.fillRect(tile.rect(), QBrush(ToQColor(brush.color), style));
            painter.end();
            QBrush result(tile);
            result.setTransform(tiling);
            return result;
        }
        case emf::BrushStyle::Pattern: {
            if (!brush.pattern)
                return ToQColor(brush.color);
            const QImage tile = WrapImage(*brush.pattern);
            if (tile.isNull())
                return ToQColor(brush.color);
            if (!textures)
                return AverageColor(tile);
            // A deep copy: the brush may outlive the call (a printer engine records it).
            QBrush result(tile.copy());
            result.setTransform(tiling);
            return result;
        }
        case emf::BrushStyle::LinearGradient: {
            QLinearGradient gradient(Clamped(brush.gradientStart), Clamped(brush.gradientEnd));
            if (brush.stops.empty()) {
                gradient.setColorAt(0, ToQColor(brush.color));
                gradient.setColorAt(1, ToQColor(brush.gradientEndColor));
            }
            for (const emf::GradientStop& stop : brush.stops)
                gradient.setColorAt(std::clamp(stop.position, 0.0, 1.0), ToQColor(stop.color));
            gradient.setSpread(brush.repeat ? QGradient::RepeatSpread : QGradient::PadSpread);
            return gradient;
        }
    }
    return Qt::NoBrush;
}

}  // namespace qrp::render
