// Prints a text-heavy report of N pages (default 200) into a PDF through the document's
// Print path and reports pages per second and the process's memory while printing: it
// must not grow with the page count, as one page picture is held at a time.
//   print_bench [PAGES]
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <unistd.h>

#include <QGuiApplication>

#include "emf/emf_format.h"
#include "emf/recorder.h"
#include "print/pdf_printer.h"
#include "qt_start.h"
#include "report/document.h"
#include "report/host_hooks.h"
#include "report/page_list.h"

namespace {

namespace fs = std::filesystem;

// A page of 50 ruled rows of five columns, as a detail band fills it.
std::vector<std::uint8_t> TextPage(int number) {
    using namespace qrp::emf;
    Recorder page(794, 1123, ReferenceDevice::Screen(1920, 1080, 96));
    const std::uint32_t font = page.CreateFont({.height = -12, .faceName = u"Arial"});
    const std::uint32_t pen = page.CreatePen(kPsSolid, 1, {160, 160, 160});
    page.SelectObject(font);
    page.SelectObject(pen);
    page.SetBkMode(kTransparent);
    for (int row = 0; row < 50; ++row) {
        const std::int32_t y = 60 + 20 * row;
        for (int column = 0; column < 5; ++column) {
            const std::string text = "Item " + std::to_string(number * 100 + row) + "/" + std::to_string(column);
            page.ExtTextOut(50 + 140 * column, y, std::u16string(text.begin(), text.end()));
        }
        page.MoveTo(50, y + 17);
        page.LineTo(744, y + 17);
    }
    return page.Finish();
}

long ResidentKiB() {
    std::ifstream statm("/proc/self/statm");
    long size = 0, resident = 0;
    statm >> size >> resident;
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

}  // namespace

int main(int argc, char** argv) {
    const int pages = argc > 1 ? std::atoi(argv[1]) : 200;
    const auto app = qrp::bench::StartQt<QGuiApplication>(argv[0]);

    const fs::path dir = fs::temp_directory_path() / ("qrp-print-bench-" + std::to_string(getpid()));
    fs::create_directories(dir);
    {
        qrp::TQRPageList list;
        list.AttachStream(std::make_unique<qrp::TQRStream>(100000));
        for (int n = 1; n <= pages; ++n)
            list.AppendPage(*qrp::PagePicture::FromBytes(TextPage(n)));
        list.Finish();
        list.SaveCopy((dir / "report.qrp").string());
    }

    qrp::TQRPrinter document(std::make_unique<qrp::print::PdfPrinter>((dir / "out.pdf").string()));
    document.Load((dir / "report.qrp").string());
    long atTenth = 0, peak = 0;
    qrp::SetProcessMessagesHook([&] {
        const long now = ResidentKiB();
        peak = std::max(peak, now);
        if (document.PageNumber() == pages / 10)
            atTenth = now;
    });
    const auto start = std::chrono::steady_clock::now();
    document.Print();
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    qrp::SetProcessMessagesHook({});

    std::printf("pages: %d\nseconds: %.2f\npages per second: %.1f\n", pages, seconds, pages / seconds);
    std::printf("resident memory at page %d: %ld KiB, highest while printing: %ld KiB\n", pages / 10, atTenth, peak);
    std::printf("PDF size: %ju bytes\n", static_cast<std::uintmax_t>(fs::file_size(dir / "out.pdf")));
    fs::remove_all(dir);
    return 0;
}
