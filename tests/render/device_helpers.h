// Building blocks for tests that call the QPainter device directly.
#pragma once

#include <functional>
#include <memory>
#include <vector>

#include <QImage>
#include <QPainter>

#include "emf/device.h"
#include "image_checks.h"
#include "render/qpainter_device.h"

namespace qrp::test {

// Draws with a fresh device on a white image of the given size.
inline QImage DrawOnImage(int width, int height, const std::function<void(emf::Device&)>& draw) {
    QImage image = WhiteImage(width, height);
    QPainter painter(&image);
    {
        render::QPainterDevice device(painter);
        draw(device);
    }
    painter.end();
    return image;
}

inline emf::Path RectPath(double left, double top, double right, double bottom) {
    emf::Path path;
    path.elements = {{emf::PathOp::MoveTo, {{{left, top}}}},
                     {emf::PathOp::LineTo, {{{right, top}}}},
                     {emf::PathOp::LineTo, {{{right, bottom}}}},
                     {emf::PathOp::LineTo, {{{left, bottom}}}},
                     {emf::PathOp::Close, {}}};
    return path;
}

inline emf::Path LinePath(double x0, double y0, double x1, double y1) {
    emf::Path path;
    path.elements = {{emf::PathOp::MoveTo, {{{x0, y0}}}}, {emf::PathOp::LineTo, {{{x1, y1}}}}};
    return path;
}

inline emf::Pen NullPen() {
    emf::Pen pen;
    pen.style = emf::PenStyle::Null;
    return pen;
}

inline emf::Brush NullBrush() {
    emf::Brush brush;
    brush.style = emf::BrushStyle::Null;
    return brush;
}

inline emf::Brush SolidBrush(emf::Color color) {
    emf::Brush brush;
    brush.color = color;
    return brush;
}

// A decoded bitmap of these pixels (0xAARRGGBB, premultiplied).
inline std::shared_ptr<emf::Image> MakeImage(int width, int height, std::vector<std::uint32_t> pixels) {
    auto image = std::make_shared<emf::Image>();
    image->width = width;
    image->height = height;
    image->pixels = std::move(pixels);
    return image;
}

inline constexpr std::uint32_t kCopyPen = 13;  // R2_COPYPEN
inline constexpr emf::Color kBlack{0, 0, 0};
inline constexpr emf::Color kRed{255, 0, 0};
inline constexpr emf::Color kBlue{0, 0, 255};

}  // namespace qrp::test
