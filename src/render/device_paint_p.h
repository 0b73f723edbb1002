// Conversions from the EMF device's types to Qt's, shared by the device's source files.
#pragma once

#include <optional>

#include <QBrush>
#include <QColor>
#include <QImage>
#include <QPainterPath>
#include <QPen>
#include <QRectF>

#include "emf/device.h"

namespace qrp::render {

inline QColor ToQColor(emf::Color c) {
    return QColor(c.r, c.g, c.b, c.a);
}
inline QPointF ToQPoint(emf::PointF p) {
    return {p.x, p.y};
}

// Coordinates beyond this are clamped: a damaged record can ask for 1e300, which Qt's
// rasterizer turns into very long loops.
inline constexpr double kMaxCoordinate = 1e7;

QPainterPath ToPainterPath(const emf::Path& path);
// The axis-aligned rectangle `path` outlines, when it is one (clip rectangles mostly are:
// Qt clips to a rectangle far faster than to a path).
std::optional<QRectF> AsRect(const emf::Path& path);

// A QImage over the image's pixels, without a copy: `image` must outlive it. A JPEG or PNG
// image is decoded instead, at most at its declared size (so possibly smaller than `image`
// says); it is null when the bytes are damaged or the file is far larger than declared
// (hostile bytes must not make us allocate at will).
QImage WrapImage(const emf::Image& image);

// `pixelScale` is device pixels per output unit: geometric pens thinner than a pixel are
// drawn one pixel wide, as GDI draws them.
QPen MakePen(const emf::Pen& pen, double pixelScale);
// The pen that fills the gaps of a dashed pen in OPAQUE background mode.
QPen MakeGapPen(const emf::Pen& pen, double pixelScale);
// The brush; for a hatch in OPAQUE mode, `background` receives the brush to fill first.
// Hatches and patterns are drawn `patternScale` output units per pattern pixel. Without
// `textures` (SVG output keeps no image brushes) hatches are Qt's pattern brushes and
// bitmap patterns their average colour.
QBrush MakeBrush(const emf::Brush& brush, double patternScale, bool textures, QBrush* background);

}  // namespace qrp::render
