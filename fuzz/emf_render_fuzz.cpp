// Plays arbitrary bytes as an EMF onto a small image through the QPainter device: any
// outcome but a picture or a qrp::Error ("Metafile is not valid") is a bug.
#include <cstdint>
#include <cstdlib>
#include <memory>

#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include "render/font_setup.h"
#include "render/page_renderer.h"
#include "report/errors.h"

// Fontconfig keeps the patterns of fonts it matched for the life of the process; the leak
// checker sees them as lost when a new font first shows up in an input.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libfontconfig.so\n";
}

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    qrp::render::UseProjectFontConfig();
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    static std::unique_ptr<QGuiApplication> app = std::make_unique<QGuiApplication>(*argc, *argv);
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
