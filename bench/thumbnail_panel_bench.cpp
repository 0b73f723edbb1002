// The thumbnail panel on a 10,000-page text report, in a 1200 x 800 window of the panel and
// the preview side by side on the offscreen platform:
//  - open: loading the report, attaching it to the preview and the panel and painting both
//    (page 1 at fit-page zoom, the panel's rows in view), with the panel and without it;
//  - scroll: the panel scrolled through the report a screen at a time, each step painted
//    and the thumbnails rendered meanwhile taken in; longest_ms is the longest any step held
//    the GUI thread (the target is one frame, 16 ms).
#include <algorithm>
#include <chrono>
#include <filesystem>
#include <memory>

#include <QApplication>
#include <QScrollBar>
#include <QSplitter>

#include "app/thumbnail_panel.h"
#include "preview/preview.h"
#include "qt_benchmark_main.h"
#include "report/document.h"
#include "support/fake_printer.h"
#include "text_report.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kPages = 10000;

const std::filesystem::path& LongReport() {
    static const std::filesystem::path path = [] {
        auto file = std::filesystem::temp_directory_path() / "qrp-thumbnail-panel-bench.qrp";
        qrp::bench::WriteTextReport(file, kPages);
        return file;
    }();
    return path;
}

struct Window {
    Window() {
        splitter.addWidget(panel);
        splitter.addWidget(preview);
        splitter.setStretchFactor(1, 1);
        splitter.resize(1200, 800);
        splitter.show();
        QApplication::processEvents();
    }
    ~Window() {
        panel->SetDocument(nullptr);
        preview->SetDocument(nullptr);
    }
    QSplitter splitter;
    qrp::app::ThumbnailPanel* panel = new qrp::app::ThumbnailPanel;
    qrp::preview::TQRPreview* preview = new qrp::preview::TQRPreview;
};

std::unique_ptr<qrp::TQRPrinter> Open() {
    auto document = std::make_unique<qrp::TQRPrinter>(std::make_unique<qrp::test::FakePrinter>());
    document->Load(LongReport().string());
    return document;
}

void BM_OpenLongReport(benchmark::State& state) {
    const bool withPanel = state.range(0) != 0;
    LongReport();  // written once, outside the timing
    Window window;
    window.panel->setVisible(withPanel);
    for (auto _ : state) {
        const auto start = Clock::now();
        auto document = Open();
        window.preview->SetDocument(document.get());
        window.panel->SetDocument(document.get());
        window.preview->FitToPage();
        window.preview->PageImage().repaint();
        if (withPanel)
            window.panel->viewport()->repaint();
        state.SetIterationTime(std::chrono::duration<double>(Clock::now() - start).count());
        window.panel->SetDocument(nullptr);
        window.preview->SetDocument(nullptr);
    }
}
BENCHMARK(BM_OpenLongReport)->ArgName("panel")->Arg(0)->Arg(1)->UseManualTime()->Unit(benchmark::kMillisecond);

void BM_ScrollThumbnails(benchmark::State& state) {
    Window window;
    auto document = Open();
    window.preview->SetDocument(document.get());
    window.panel->SetDocument(document.get());
    QScrollBar& bar = *window.panel->verticalScrollBar();
    QApplication::processEvents();
    double longest = 0;
    for (auto _ : state) {
        const auto start = Clock::now();
        bar.setValue(bar.value() >= bar.maximum() ? 0 : bar.value() + bar.pageStep());
        window.panel->viewport()->repaint();
        QApplication::processEvents();
        const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
        longest = std::max(longest, seconds * 1000);
        state.SetIterationTime(seconds);
    }
    state.counters["longest_ms"] = longest;
}
BENCHMARK(BM_ScrollThumbnails)->Iterations(400)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    return qrp::bench::RunBenchmarks<QApplication>(argc, argv);
}
