// Drawing a whole page picture: stretched into a rectangle of any painter (preview and
// printing), or rendered to a PNG-ready image, an SVG or a PDF file.
//
// A page is stretched independently in x and y from its frame rectangle onto the target,
// as the reports were made to be played back. Every function throws qrp::EQRError
// ("Metafile is not valid: ...") for bytes that are no EMF; damaged records inside a valid
// picture are skipped.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include <QImage>
#include <QRectF>
#include <QSizeF>

#include "emf/player.h"
#include "pdf_metadata.h"

class QPainter;

namespace qrp::render {

using EmfBytes = std::span<const std::uint8_t>;

// Draws the picture stretched into `target` (in the painter's current coordinates).
// `options` choose how a picture with EMF+ records is played (the renderings below too).
emf::PlayStats DrawPage(QPainter& painter, EmfBytes emf, const QRectF& target, const emf::PlayOptions& options = {});

// The page's frame in millimetres (at least 0.01 mm each way).
QSizeF FrameSizeMm(EmfBytes emf);

// How big a raster rendering is: `width` pixels (height from the frame's aspect), or the
// frame's size at `dpi` when width is 0. Each side is at least one pixel.
struct RasterSize {
    int width = 0;
    double dpi = 96;
};
QSize ImageSizeFor(EmfBytes emf, const RasterSize& size);

// The page on white, RGB32. Throws EQRError when the image is too large to allocate.
QImage RenderToImage(EmfBytes emf, const RasterSize& size, const emf::PlayOptions& options = {});

// An SVG whose user units are pixels of `size` (viewBox of that size), put in place of
// fileName when complete (FileStream::Create). Throws FileError when it cannot be written.
void RenderToSvg(EmfBytes emf, const RasterSize& size, const std::string& fileName,
                 const emf::PlayOptions& options = {});

// A one-page PDF of the frame's physical size, vector graphics and real text, with the
// metadata's title, creator and date; written as RenderToSvg writes.
void RenderToPdf(EmfBytes emf, const std::string& fileName, const PdfMetadata& metadata = {},
                 const emf::PlayOptions& options = {});

}  // namespace qrp::render
