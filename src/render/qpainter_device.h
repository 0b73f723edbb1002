// An EMF device that draws on a QPainter: one player then draws on a widget, a QImage, a
// QPrinter (CUPS or PDF) and a QSvgGenerator alike. Geometry arrives in output coordinates,
// which are the painter's coordinates at the time the device is made.
//
// What depends on the paint engine: raster operations other than plain copying (XOR pens,
// SRCAND and SRCPAINT blits, ...) are exact only on raster devices (QImage, widgets; blits
// that combine the source with the brush only on a QImage); on PDF, SVG and printers the
// device approximates them as they would look on white paper.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>

#include <QColor>
#include <QPainter>
#include <QPainterPath>
#include <QTransform>

#include "emf/device.h"

namespace qrp::render {

class FontCache;

class QPainterDevice final : public emf::Device {
  public:
    // `painter` must be active and outlive the device. Its state (transform, clip, pen,
    // brush, composition mode) is saved here and restored by the destructor; the clip the
    // painter had is kept as an outer limit of every clip the picture sets.
    //
    // Between calls the painter keeps the transform it came with; every call that changes
    // it puts it back. Paths leave the composition mode of their ROP2 set for the next one.
    explicit QPainterDevice(QPainter& painter);
    ~QPainterDevice() override;
    QPainterDevice(const QPainterDevice&) = delete;
    QPainterDevice& operator=(const QPainterDevice&) = delete;

    void SetClip(const emf::Clip& clip) override;
    void DrawPath(const emf::Path& path, const emf::Pen& pen, const emf::Brush& brush, std::uint32_t rop2) override;
    void DrawText(const emf::TextRun& run) override;
    void DrawImage(const emf::ImageDraw& draw) override;
    void SetAntialias(bool on) override;
    double TextWidth(const emf::Font& font, std::u16string_view text) override;
    double LineSpacing(const emf::Font& font) override;

  private:
    // Sets a composition mode that does what `rop2` does to the pen and brush colours;
    // returns false when the mode draws nothing here.
    bool ApplyRop2(std::uint32_t rop2, QColor& overrideColor, bool& invertColors);
    // Sets `mode`, with antialiasing (when the picture wants it) unless it is a raster operation.
    void UseComposition(QPainter::CompositionMode mode);
    // A blit whose raster operation uses the pattern: `visible` part of `source` (source
    // pixels) through `map` (source pixels to output coordinates). Exact on a QImage; on
    // other devices the result is what it would be on white paper.
    void DrawPatternBlit(const emf::ImageDraw& draw, const QImage& source, const QRectF& visible,
                         const QTransform& map);

    QPainter& m_painter;
    QTransform m_base;          // output coordinates to the painter's device
    double m_pixelScale = 1;    // device pixels per output unit
    double m_patternScale = 1;  // output units per pixel of a hatch or pattern tile
    bool m_raster = false;      // raster ops available
    bool m_glyphRuns = false;   // glyph runs keep the text (not SVG's)
    bool m_blendModes = false;  // Multiply and friends available
    bool m_textures = true;     // image brushes survive (not in SVG)
    bool m_antialias = true;    // what the picture asked for last
    std::optional<QPainterPath> m_outerClip;
    QRectF m_everything;  // the device's area in output coordinates, for "no clip"
    std::unique_ptr<FontCache> m_fonts;
};

}  // namespace qrp::render
