// How fast the preview shows pages, in a 1000 x 800 preview at fit-page zoom on the
// offscreen platform:
//  - next page: from assigning the next page number of a text-heavy A4 report until the
//    page image has repainted;
//  - open: loading a 10,000-page report into a new document, attaching it, fitting the
//    page and painting page 1.
// Prints the median and the 95th percentile of each. Usage: preview_bench [ROUNDS]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <vector>

#include <QApplication>
#include <QWindow>

#include "preview/preview.h"
#include "preview/preview_pages.h"
#include "qt_start.h"
#include "report/document.h"
#include "support/fake_printer.h"

namespace {

using Clock = std::chrono::steady_clock;

double Milliseconds(Clock::time_point from) {
    return std::chrono::duration<double, std::milli>(Clock::now() - from).count();
}

void Report(const char* what, std::vector<double> times) {
    std::sort(times.begin(), times.end());
    const auto at = [&times](double p) {
        return times[static_cast<std::size_t>(p * static_cast<double>(times.size() - 1) + 0.5)];
    };
    std::printf("%-40s median %7.2f ms  p95 %7.2f ms  (%zu runs)\n", what, at(0.5), at(0.95), times.size());
}

std::unique_ptr<qrp::TQRPrinter> Open(const std::filesystem::path& report) {
    auto document = std::make_unique<qrp::TQRPrinter>(std::make_unique<qrp::test::FakePrinter>());
    document->Load(report.string());
    return document;
}

std::vector<double> NextPage(qrp::preview::TQRPreview& preview, const std::filesystem::path& report, int pages,
                             int rounds) {
    auto document = Open(report);
    preview.SetDocument(document.get());
    preview.FitToPage();
    preview.PageImage().repaint();
    std::vector<double> times;
    for (int i = 0; i < rounds; ++i) {
        const auto start = Clock::now();
        preview.SetPageNumber(preview.PageNumber() % pages + 1);
        preview.PageImage().repaint();
        times.push_back(Milliseconds(start));
    }
    preview.SetDocument(nullptr);
    return times;
}

std::vector<double> OpenLongReport(qrp::preview::TQRPreview& preview, const std::filesystem::path& report, int rounds) {
    std::vector<double> times;
    for (int i = 0; i < rounds; ++i) {
        const auto start = Clock::now();
        auto document = Open(report);
        preview.SetDocument(document.get());
        preview.FitToPage();
        preview.PageImage().repaint();
        times.push_back(Milliseconds(start));
        preview.SetDocument(nullptr);
    }
    return times;
}

}  // namespace

int main(int argc, char** argv) {
    const auto app = qrp::bench::StartQt<QApplication>(argv[0]);
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 100;

    const auto folder = std::filesystem::temp_directory_path() / "qrp_preview_bench";
    std::filesystem::create_directories(folder);
    const auto textReport = folder / "text.qrp";
    const auto longReport = folder / "long.qrp";
    constexpr int kTextPages = 12;
    qrp::test::WriteReport(textReport, kTextPages, qrp::test::TextPage);
    // Text on page 1, small pages after it: the length is in the page count, not the bytes.
    const qrp::test::PageBytes first = qrp::test::TextPage(1);
    qrp::test::WriteReport(longReport, 10000, [&first](int n) { return n == 1 ? first : qrp::test::BlockPage(n); });

    QWidget window;
    window.resize(1000, 800);
    auto* preview = new qrp::preview::TQRPreview(&window);
    preview->resize(1000, 800);
    window.show();
    // Paints reach a window only once it is exposed.
    while (!window.windowHandle()->isExposed())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 10);

    Report("next page, text A4 at fit page", NextPage(*preview, textReport, kTextPages, rounds));
    Report("open 10,000 pages to page 1 painted", OpenLongReport(*preview, longReport, std::max(1, rounds / 5)));
    std::filesystem::remove_all(folder);
    return 0;
}
