// Plays arbitrary bytes as an EMF onto a small image through the QPainter device: any
// outcome but a picture or a qrp::Error ("Metafile is not valid") is a bug.
#include <cstdint>

#include <QImage>
#include <QPainter>

#include "base/errors.h"
#include "gui_start.h"
#include "render/page_renderer.h"

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    StartOffscreenGui(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    QImage image(64, 48, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    try {
        qrp::render::DrawPage(painter, {data, size}, QRectF(0, 0, 64, 48));
    } catch (const qrp::Error&) {
    }
    return 0;
}
