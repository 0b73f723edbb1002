// Prints a text-heavy report of N pages (default 200) into a PDF through the document's
// Print path and reports pages per second and the process's memory while printing: it
// must not grow with the page count, as one page picture is held at a time.
//   print_bench [PAGES]
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <unistd.h>

#include <QGuiApplication>

#include "print/pdf_printer.h"
#include "qt_start.h"
#include "report/document.h"
#include "report/host_hooks.h"
#include "text_report.h"

namespace fs = std::filesystem;

int main(int argc, char** argv) {
    const int pages = argc > 1 ? std::atoi(argv[1]) : 200;
    const auto app = qrp::bench::StartQt<QGuiApplication>(argv[0]);

    const fs::path dir = fs::temp_directory_path() / ("qrp-print-bench-" + std::to_string(getpid()));
    fs::create_directories(dir);
    qrp::bench::WriteTextReport(dir / "report.qrp", pages);

    qrp::TQRPrinter document(std::make_unique<qrp::print::PdfPrinter>((dir / "out.pdf").string()));
    document.Load((dir / "report.qrp").string());
    long atTenth = 0, peak = 0;
    qrp::SetProcessMessagesHook([&] {
        const long now = qrp::bench::ResidentKiB();
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
