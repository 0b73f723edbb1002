// The viewer's whole path for one file: load the bytes as a report, fetch its pages, draw
// each onto a small image through the QPainter device, and export the report through the
// plain text, comma separated and HTML filters (the page text device plays every page).
// Any outcome but pictures, files or a qrp::Error is a bug.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

#include <QImage>
#include <QPainter>

#include "export_all.h"
#include "gui_start.h"
#include "render/page_renderer.h"
#include "report/document.h"
#include "report/no_printer.h"

namespace {

// Enough pages to cross a few records of a chain; more only repeats the same work.
constexpr std::int32_t kMaxPages = 16;

// The document reads its pages from a file, as the viewer's does: one per process,
// rewritten for every input.
std::string g_reportPath;

bool WriteReport(const std::uint8_t* data, std::size_t size) {
    FILE* file = std::fopen(g_reportPath.c_str(), "wb");
    if (!file)
        return false;
    const bool written = std::fwrite(data, 1, size, file) == size;
    return std::fclose(file) == 0 && written;
}

std::vector<std::unique_ptr<qrp::PagePicture>> FetchPages(qrp::TQRPrinter& document) {
    std::vector<std::unique_ptr<qrp::PagePicture>> pages;
    const std::int32_t last = std::min(document.PageTotal(), kMaxPages);
    try {
        for (std::int32_t n = 1; n <= last; ++n) {
            auto page = document.FetchPage(n);
            if (!page)
                break;
            pages.push_back(std::move(page));
        }
    } catch (const qrp::Error&) {
        // The pages before the damaged one are shown.
    }
    return pages;
}

void Draw(const qrp::PagePicture& page) {
    QImage image(48, 64, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    try {
        qrp::render::DrawPage(painter, page.View(), QRectF(0, 0, 48, 64));
    } catch (const qrp::Error&) {
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    StartOffscreenGui(argc, argv);
    char path[] = "/tmp/viewer-path-fuzz-XXXXXX";
    const int fd = mkstemp(path);
    if (fd < 0)
        std::abort();
    close(fd);
    g_reportPath = path;
    std::atexit([] { unlink(g_reportPath.c_str()); });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (!WriteReport(data, size))
        std::abort();
    qrp::TQRPrinter document(std::make_unique<qrp::NoPrinter>());
    try {
        document.Load(g_reportPath);
    } catch (const qrp::Error&) {
        return 0;
    }
    const auto pages = FetchPages(document);
    for (const auto& page : pages)
        Draw(*page);
    ExportThroughEveryFilter(
        {static_cast<std::int32_t>(pages.size()),
         [&pages](std::int32_t n) { return qrp::PagePicture::FromBytes(pages.at(n - 1)->Bytes()); },
         document.PageScale()});
    return 0;
}
