#include "qpainter_device.h"

#include <algorithm>
#include <cmath>

#include <QPaintEngine>
#include <QPainter>

#include "device_paint_p.h"
#include "font_cache_p.h"

namespace qrp::render {

namespace {

// SETROP2 modes (the others draw as R2_COPYPEN does).
constexpr std::uint32_t kR2Black = 1;
constexpr std::uint32_t kR2NotCopyPen = 4;
constexpr std::uint32_t kR2Not = 6;
constexpr std::uint32_t kR2XorPen = 7;
constexpr std::uint32_t kR2MaskPen = 9;
constexpr std::uint32_t kR2NotXorPen = 10;
constexpr std::uint32_t kR2Nop = 11;
constexpr std::uint32_t kR2MergePen = 15;
constexpr std::uint32_t kR2White = 16;

QColor Inverted(const QColor& c) {
    return QColor(255 - c.red(), 255 - c.green(), 255 - c.blue());
}

QPainterPath RectPath(const QRectF& rect) {
    QPainterPath path;
    path.addRect(rect);
    return path;
}

}  // namespace

QPainterDevice::QPainterDevice(QPainter& painter) : m_painter(painter) {
    m_painter.save();
    m_base = m_painter.worldTransform();
    m_pixelScale = std::sqrt(std::fabs(m_base.determinant()));
    if (!std::isfinite(m_pixelScale) || m_pixelScale <= 0)
        m_pixelScale = 1;
    // Hatches and pattern brushes are 8 or so device pixels a tile in GDI; on a 1200 dpi PDF
    // that is a grey tint. Devices finer than a screen get screen-sized tiles instead.
    const double devicePixelsPerTilePixel = std::max(1.0, m_painter.device()->logicalDpiX() / 96.0);
    m_patternScale = devicePixelsPerTilePixel / m_pixelScale;
    const QPaintEngine* engine = m_painter.paintEngine();
    m_raster = engine && engine->type() == QPaintEngine::Raster;
    m_glyphRuns = m_raster || (engine && engine->type() == QPaintEngine::Pdf);
    m_blendModes = engine && engine->hasFeature(QPaintEngine::BlendModes);
    m_textures = !engine || engine->type() != QPaintEngine::SVG;
    if (m_painter.hasClipping())
        m_outerClip = m_painter.clipPath();
    const QRectF deviceRect(0, 0, m_painter.device()->width(), m_painter.device()->height());
    m_everything = m_base.inverted().mapRect(deviceRect).adjusted(-1, -1, 1, 1);
    m_painter.setRenderHint(QPainter::Antialiasing, true);
    m_painter.setRenderHint(QPainter::TextAntialiasing, true);
    m_painter.setBackgroundMode(Qt::TransparentMode);
    m_fonts = std::make_unique<FontCache>(m_painter.device());
}

QPainterDevice::~QPainterDevice() {
    m_painter.restore();
}

void QPainterDevice::SetClip(const emf::Clip& clip) {
    // Rectangles intersect as rectangles; the first other step turns the area into a path.
    std::optional<QRectF> rect;  // none with `area` unused: no clip yet ("everything")
    std::optional<QPainterPath> area;
    for (const emf::ClipStep& step : clip.steps) {
        const std::optional<QRectF> stepRect = AsRect(step.path);
        if (!area && stepRect && (step.mode == emf::ClipMode::Replace || step.mode == emf::ClipMode::Intersect)) {
            rect = step.mode == emf::ClipMode::Intersect && rect ? rect->intersected(*stepRect) : *stepRect;
            continue;
        }
        if (!area)
            area = RectPath(rect.value_or(m_everything));
        const QPainterPath path = ToPainterPath(step.path);
        switch (step.mode) {
            case emf::ClipMode::Intersect:
                *area = area->intersected(path);
                break;
            case emf::ClipMode::Unite:
                *area = area->united(path);
                break;
            case emf::ClipMode::Xor:
                *area = area->united(path).subtracted(area->intersected(path));
                break;
            case emf::ClipMode::Difference:
                *area = area->subtracted(path);
                break;
            case emf::ClipMode::Replace:
                *area = path;
                break;
        }
    }
    if (m_outerClip) {
        m_painter.setClipPath(*m_outerClip);
    } else if (!area && !rect) {
        m_painter.setClipping(false);
        return;
    }
    const Qt::ClipOperation op = m_outerClip ? Qt::IntersectClip : Qt::ReplaceClip;
    if (area) {
        m_painter.setClipPath(*area, op);
    } else if (rect) {
        m_painter.setClipRect(*rect, op);
    }
}

bool QPainterDevice::ApplyRop2(std::uint32_t rop2, QColor& overrideColor, bool& invertColors) {
    QPainter::CompositionMode mode = QPainter::CompositionMode_SourceOver;
    switch (rop2) {
        case kR2Nop:
            return false;
        case kR2Black:
            overrideColor = Qt::black;
            break;
        case kR2White:
            overrideColor = Qt::white;
            break;
        case kR2NotCopyPen:
            invertColors = true;
            break;
        case kR2Not:
            // Inverting the destination is XOR with white; without raster ops leave it out.
            if (!m_raster)
                return false;
            overrideColor = Qt::white;
            mode = QPainter::RasterOp_SourceXorDestination;
            break;
        case kR2XorPen:
            if (m_raster)
                mode = QPainter::RasterOp_SourceXorDestination;
            break;
        case kR2NotXorPen:
            if (m_raster)
                mode = QPainter::RasterOp_NotSourceXorDestination;
            break;
        case kR2MaskPen:
            if (m_raster) {
                mode = QPainter::RasterOp_SourceAndDestination;
            } else if (m_blendModes) {
                mode = QPainter::CompositionMode_Multiply;
            }
            break;
        case kR2MergePen:
            if (m_raster)
                mode = QPainter::RasterOp_SourceOrDestination;
            break;
        default:
            break;
    }
    UseComposition(mode);
    return true;
}

void QPainterDevice::UseComposition(QPainter::CompositionMode mode) {
    // Switching modes costs more than a short line takes to draw: XOR pages switch once.
    if (mode == m_painter.compositionMode())
        return;
    m_painter.setCompositionMode(mode);
    // Raster operations on antialiased edges would combine partial coverage bit by bit.
    m_painter.setRenderHint(QPainter::Antialiasing, m_antialias && mode < QPainter::RasterOp_SourceOrDestination);
}

void QPainterDevice::SetAntialias(bool on) {
    m_antialias = on;
    m_painter.setRenderHint(QPainter::Antialiasing,
                            on && m_painter.compositionMode() < QPainter::RasterOp_SourceOrDestination);
}

void QPainterDevice::DrawPath(const emf::Path& path, const emf::Pen& pen, const emf::Brush& brush, std::uint32_t rop2) {
    if (path.elements.empty())
        return;
    QColor overrideColor;
    bool invertColors = false;
    if (!ApplyRop2(rop2, overrideColor, invertColors))
        return;
    const auto recolor = [&](QColor c) {
        return overrideColor.isValid() ? overrideColor : invertColors ? Inverted(c) : c;
    };

    // One drawPath for fill and outline: pages of many small shapes spend their time in
    // painter state changes, not in the drawing.
    const QPainterPath qpath = ToPainterPath(path);
    QBrush fill = Qt::NoBrush;
    if (brush.style != emf::BrushStyle::Null) {
        QBrush background;
        fill = MakeBrush(brush, m_patternScale, m_textures, &background);
        if (overrideColor.isValid() || invertColors) {
            fill = QBrush(recolor(fill.style() == Qt::SolidPattern ? fill.color() : ToQColor(brush.color)));
            background = Qt::NoBrush;
        }
        if (background.style() != Qt::NoBrush)
            m_painter.fillPath(qpath, background);
    }
    QPen stroke = Qt::NoPen;
    if (pen.style != emf::PenStyle::Null) {
        stroke = MakePen(pen, m_pixelScale);
        stroke.setColor(recolor(stroke.color()));
        if (pen.paint && !overrideColor.isValid() && !invertColors) {
            QBrush background;
            stroke.setBrush(MakeBrush(*pen.paint, m_patternScale, m_textures, &background));
            if (background.style() != Qt::NoBrush) {
                QPen under = stroke;
                under.setBrush(background);
                m_painter.strokePath(qpath, under);
            }
        }
        if (pen.opaqueBackground && stroke.style() != Qt::SolidLine) {
            QPen gaps = MakeGapPen(pen, m_pixelScale);
            gaps.setColor(recolor(gaps.color()));
            m_painter.strokePath(qpath, gaps);
        }
    }
    m_painter.setPen(stroke);
    m_painter.setBrush(fill);
    m_painter.drawPath(qpath);
}

}  // namespace qrp::render
