#include "page_renderer.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <sys/mman.h>

#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSvgGenerator>

#include "base/errors.h"
#include "base/messages.h"
#include "output_device.h"
#include "qpainter_device.h"
#include "report/file_stream.h"

namespace qrp::render {

namespace {

// Larger renderings are refused rather than attempted (a page at 4800 dpi is ~40000 px).
constexpr int kMaxImageSide = 32767;

constexpr std::size_t kHugePage = 2u << 20;

emf::RectF ToRectF(const QRectF& r) {
    return {r.left(), r.top(), r.right(), r.bottom()};
}

// A page image is megabytes. Backed by huge pages where the kernel offers them (Linux's
// transparent huge pages on request), filling it costs a few page faults instead of one per
// 4 KiB; in a virtual machine those faults take longer than drawing a simple page.
QImage AllocateImage(QSize size) {
    const std::size_t stride = static_cast<std::size_t>(size.width()) * 4;
    const std::size_t bytes = stride * static_cast<std::size_t>(size.height());
    if (bytes < kHugePage)
        return QImage(size, QImage::Format_RGB32);
    const std::size_t rounded = (bytes + kHugePage - 1) / kHugePage * kHugePage;
    void* data = std::aligned_alloc(kHugePage, rounded);
    if (!data)
        return {};
    madvise(data, rounded, MADV_HUGEPAGE);
    return QImage(
        static_cast<uchar*>(data), size.width(), size.height(), static_cast<qsizetype>(stride), QImage::Format_RGB32,
        [](void* p) { std::free(p); }, data);
}

// Paints onto a writer whose output goes to file through device, and puts the file in place
// only when every byte was written.
void PaintAndClose(QPaintDevice& writer, FileStream& file, OutputDevice& device,
                   const std::function<void(QPainter&)>& paint) {
    QPainter painter;
    const bool begun = painter.begin(&writer);
    if (begun)
        paint(painter);
    const bool ended = begun && painter.end();
    device.Finish();
    device.ThrowIfFailed();
    if (!ended)
        throw FileError(messages::cannotCreateFile(file.Path(), "the file could not be written"));
    file.Close();
}

}  // namespace

emf::PlayStats DrawPage(QPainter& painter, EmfBytes emf, const QRectF& target, const emf::PlayOptions& options) {
    const emf::Player player(emf);
    QPainterDevice device(painter);
    return player.Play(device, ToRectF(target), options);
}

QSizeF FrameSizeMm(EmfBytes emf) {
    const emf::Header header = emf::ReadHeader(emf);
    const double width = (static_cast<double>(header.frame.right) - header.frame.left) / 100.0;
    const double height = (static_cast<double>(header.frame.bottom) - header.frame.top) / 100.0;
    return {std::max(std::fabs(width), 0.01), std::max(std::fabs(height), 0.01)};
}

QSize ImageSizeFor(EmfBytes emf, const RasterSize& size) {
    const QSizeF mm = FrameSizeMm(emf);
    double width = size.width > 0 ? size.width : mm.width() / 25.4 * size.dpi;
    double height = size.width > 0 ? size.width * mm.height() / mm.width() : mm.height() / 25.4 * size.dpi;
    const auto side = [](double v) {
        return static_cast<int>(std::clamp(std::round(std::isfinite(v) ? v : 1.0), 1.0, double{kMaxImageSide}));
    };
    return {side(width), side(height)};
}

QImage RenderToImage(EmfBytes emf, const RasterSize& size, const emf::PlayOptions& options) {
    const QSize pixels = ImageSizeFor(emf, size);
    QImage image = AllocateImage(pixels);
    if (image.isNull())
        throw Error("Not enough memory for a " + std::to_string(pixels.width()) + " x " +
                    std::to_string(pixels.height()) + " pixel image");
    image.fill(Qt::white);
    QPainter painter(&image);
    DrawPage(painter, emf, QRectF(QPointF(0, 0), QSizeF(pixels)), options);
    return image;
}

void RenderToSvg(EmfBytes emf, const RasterSize& size, const std::string& fileName, const emf::PlayOptions& options) {
    const QSize pixels = ImageSizeFor(emf, size);
    const auto file = FileStream::Create(fileName);
    OutputDevice device(*file);
    QSvgGenerator svg;
    svg.setOutputDevice(&device);
    svg.setSize(pixels);
    svg.setViewBox(QRect(QPoint(0, 0), pixels));
    PaintAndClose(svg, *file, device,
                  [&](QPainter& painter) { DrawPage(painter, emf, QRectF(QPointF(0, 0), QSizeF(pixels)), options); });
}

void RenderToPdf(EmfBytes emf, const std::string& fileName, const PdfMetadata& metadata,
                 const emf::PlayOptions& options) {
    const QSizeF mm = FrameSizeMm(emf);
    const auto file = FileStream::Create(fileName);
    OutputDevice device(*file);
    QPdfWriter pdf(&device);
    ApplyPdfMetadata(pdf, metadata);
    StampDatesAsWritten(device, metadata.Created);
    pdf.setPageLayout(QPageLayout(QPageSize(mm, QPageSize::Millimeter), QPageLayout::Portrait, QMarginsF()));
    PaintAndClose(pdf, *file, device,
                  [&](QPainter& painter) { DrawPage(painter, emf, QRectF(0, 0, pdf.width(), pdf.height()), options); });
}

}  // namespace qrp::render
