// Find in the viewer on a 1,000-page text-heavy report (bench/text_report.h), with the
// find bar, the search thread, the marks and a 1000 x 800 preview at fit page on the
// offscreen platform:
//  - first match shown: from the query typed (the typing pause included) until the page of
//    its first match, on page 10, is painted with the match marked;
//  - all matches counted: until the search has been through every page (50,000 matches),
//    in the report saved plain and packed;
//  - next page after a search: turning to the next page, marks and all, until it is painted.
// The search reads pages on every core the process may run on ("threads"): compare cores
// with `taskset -c 0` and `taskset -c 0,1`.
#include <ctime>
#include <memory>
#include <unistd.h>

#include <QApplication>
#include <QLineEdit>
#include <QThread>
#include <QTimer>
#include <QToolButton>
#include <QWindow>

#include "app/find_bar.h"
#include "app/text_finder.h"
#include "preview/preview.h"
#include "preview/text_overlay.h"
#include "qt_benchmark_main.h"
#include "report/document.h"
#include "support/fake_printer.h"
#include "text_report.h"

namespace {

using namespace qrp;

constexpr int kPages = 1000;

class FindView {
  public:
    explicit FindView(bool packed)
        : m_report(std::filesystem::temp_directory_path() /
                   ("qrp-find-bench-" + std::to_string(getpid()) + (packed ? "-packed" : ""))) {
        bench::WriteTextReport(m_report, kPages, packed);
        m_document = std::make_unique<TQRPrinter>(std::make_unique<test::FakePrinter>());
        m_document->Load(m_report.string());
        m_window.resize(1000, 840);
        Preview = new preview::TQRPreview(&m_window);
        Preview->setGeometry(0, 0, 1000, 800);
        Bar = new app::FindBar(&m_window);
        Bar->setGeometry(0, 800, 1000, 40);
        Overlay = new preview::TextOverlay(Preview->PageImage());
        Finder =
            new app::TextFinder(*Preview, *Overlay, *Bar, [this](std::int32_t page) { Preview->SetPageNumber(page); });
        Preview->SetDocument(m_document.get());
        Preview->FitToPage();
        m_window.show();
        while (!m_window.windowHandle()->isExposed())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 10);
    }
    ~FindView() {
        Bar->CloseButton->click();
        Preview->SetDocument(nullptr);
        std::filesystem::remove(m_report);
    }

    // Sleeps between events as the window's own loop does; processEvents with a time limit
    // would spin and take a core from the search it is timing. A 1 ms tick wakes it to look.
    template <typename Condition>
    static void WaitFor(Condition condition) {
        QTimer tick;
        tick.start(1);
        while (!condition())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }

    // Back on page 1 with no search.
    void Reset() {
        Bar->CloseButton->click();
        Bar->Field->clear();
        Preview->SetPageNumber(1);
        Preview->PageImage().repaint();
    }

    preview::TQRPreview* Preview = nullptr;
    app::FindBar* Bar = nullptr;
    preview::TextOverlay* Overlay = nullptr;
    app::TextFinder* Finder = nullptr;

  private:
    std::filesystem::path m_report;
    std::unique_ptr<TQRPrinter> m_document;
    QWidget m_window;
};

double ProcessSeconds() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

// One view at a time: the plain report's, or the packed one's.
FindView& View(bool packed = false) {
    static std::unique_ptr<FindView> view;
    static bool viewPacked = false;
    if (!view || viewPacked != packed) {
        view.reset();
        view = std::make_unique<FindView>(packed);
        viewPacked = packed;
    }
    return *view;
}

// Times, from page 1 without a search, a query until `done` holds.
// "cpu_s" is the processor time of every thread of the process: the work, whatever the load.
template <typename Done>
void TimeQuery(benchmark::State& state, FindView& view, const QString& query, Done done) {
    double cpu = 0;
    for (auto _ : state) {
        state.PauseTiming();
        view.Reset();
        const double start = ProcessSeconds();
        state.ResumeTiming();
        // Typed: the search starts once the typing pause has passed.
        view.Bar->Open();
        view.Bar->Field->setText(query);
        FindView::WaitFor(done);
        cpu += ProcessSeconds() - start;
    }
    state.counters["cpu_s"] = benchmark::Counter(cpu, benchmark::Counter::kAvgIterations);
}

void BM_FirstMatchShown(benchmark::State& state) {
    FindView& view = View();
    TimeQuery(state, view, QStringLiteral("item 1049/"), [&] {
        if (!view.Finder->Current())
            return false;
        view.Preview->PageImage().repaint();
        return true;
    });
    state.counters["page"] = view.Preview->PageNumber();
}
BENCHMARK(BM_FirstMatchShown)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_AllMatchesCounted(benchmark::State& state) {
    FindView& view = View(state.range(0) != 0);
    TimeQuery(state, view, QStringLiteral("/3"),
              [&] { return !view.Finder->Matches().empty() && !view.Finder->Searching(); });
    state.counters["matches"] = static_cast<double>(view.Finder->Matches().size());
    state.counters["threads"] = QThread::idealThreadCount();
}
BENCHMARK(BM_AllMatchesCounted)->ArgName("packed")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_NextPageAfterSearch(benchmark::State& state) {
    FindView& view = View();
    view.Reset();
    view.Bar->Open(QStringLiteral("/3"));
    FindView::WaitFor([&] { return !view.Finder->Searching(); });
    for (auto _ : state) {
        view.Preview->SetPageNumber(view.Preview->PageNumber() % kPages + 1);
        view.Preview->PageImage().repaint();
    }
    state.counters["marks per page"] = static_cast<double>(view.Finder->Matches().size()) / kPages;
}
BENCHMARK(BM_NextPageAfterSearch)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
    return qrp::bench::RunBenchmarks<QApplication>(argc, argv);
}
