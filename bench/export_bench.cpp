// Export speed on one continuous page, as the HTML filter receives a whole report: the
// indexed grid layout through the real filters, and the layout as plain list walks
// (naive::Layout, layout and cell lookups only, no formatting) on smaller pages.
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>

#include "export/csv_filter.h"
#include "export/html_filter.h"
#include "naive_layout.h"

namespace {

using namespace qrp::exporter;

struct Item {
    long double X;
    long double Y;
    std::string Text;
    TFont Font;
};

// A report-like page: five columns, one line of items every 4 mm, positions jittered
// below the rounding step, every seventh item in red 12 points.
std::vector<Item> MakePage(int count) {
    std::mt19937 random(7);
    std::uniform_real_distribution<double> jitter(-0.3, 0.3);
    std::vector<Item> items;
    items.reserve(count);
    for (int i = 0; i < count; ++i) {
        const long double x = 100 + (i % 5) * 380 + jitter(random);
        const long double y = 50 + (i / 5) * 40 + jitter(random);
        const TFont font = i % 7 == 0 ? TFont{"Arial", 12, 255} : TFont{"Arial", 10, 0};
        items.push_back({x, y, "item " + std::to_string(i), font});
    }
    return items;
}

void Run(TQRAbstractExportFilter& filter, const std::vector<Item>& items) {
    filter.BeginExport(2100, 2970, {"Arial", 10, 0});
    filter.FinishPage();
    filter.BeginPage();
    for (const Item& item : items)
        filter.AddText(item.X, item.Y, item.Font, 0, taLeftJustify, item.Text);
    filter.FinishPage();
    filter.EndExport();
}

void BM_HtmlOnePage(benchmark::State& state) {
    const auto items = MakePage(static_cast<int>(state.range(0)));
    std::size_t bytes = 0;
    for (auto _ : state) {
        TQRHTMLDocumentFilter filter("");  // in memory
        Run(filter, items);
        bytes = filter.TakeMemoryStream()->Data().size();
    }
    state.counters["items"] = static_cast<double>(items.size());
    state.counters["out_bytes"] = static_cast<double>(bytes);
}
BENCHMARK(BM_HtmlOnePage)->Arg(2000)->Arg(8000)->Arg(100000)->Unit(benchmark::kMillisecond);

void BM_CsvOnePage(benchmark::State& state) {
    const auto items = MakePage(static_cast<int>(state.range(0)));
    CSVSeparator = ',';
    for (auto _ : state) {
        TQRCommaSeparatedFilter filter("/dev/null");
        Run(filter, items);
    }
    state.counters["items"] = static_cast<double>(items.size());
}
BENCHMARK(BM_CsvOnePage)->Arg(100000)->Unit(benchmark::kMillisecond);

void BM_NaiveLayout(benchmark::State& state) {
    std::vector<naive::Entry> entries;
    for (const Item& item : MakePage(static_cast<int>(state.range(0))))
        entries.push_back({item.X, item.Y});
    for (auto _ : state)
        benchmark::DoNotOptimize(naive::Layout(entries));
    state.counters["items"] = static_cast<double>(entries.size());
}
BENCHMARK(BM_NaiveLayout)->Arg(2000)->Arg(8000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
