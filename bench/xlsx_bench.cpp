// A text-heavy report to an Excel workbook: the time against the CSV export of the same
// report, and the peak memory of 10,000 pages against that of 1,000 (constant-memory
// writing keeps it flat). Every page is 50 rows of six columns: names, Chinese names,
// codes, amounts, dates and percentages, so that every kind of cell is written.
//   build/bench/xlsx_bench --benchmark_counters_tabular=true
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include <benchmark/benchmark.h>

#include "emf/emf_format.h"
#include "emf/recorder.h"
#include "export/csv_filter.h"
#include "export/page_text_driver.h"
#include "export/xlsx_filter.h"
#include "report/file_stream.h"
#include "report/page_list.h"

namespace {

namespace fs = std::filesystem;
using namespace qrp::exporter;

std::u16string Utf16(const std::string& ascii) {
    return {ascii.begin(), ascii.end()};
}

std::vector<std::uint8_t> SheetPage(int number) {
    using namespace qrp::emf;
    Recorder page(794, 1123, ReferenceDevice::Screen(1920, 1080, 96));
    page.SelectObject(page.CreateFont({.height = -12, .faceName = u"Arial"}));
    page.SetBkMode(kTransparent);
    for (int row = 0; row < 50; ++row) {
        const int n = number * 50 + row;
        const std::int32_t y = 60 + 20 * row;
        page.ExtTextOut(40, y, Utf16("Customer " + std::to_string(n)));
        page.ExtTextOut(160, y, u"\u5BA2\u6236\u540D\u7A31 " + Utf16(std::to_string(n % 97)));
        page.ExtTextOut(280, y, Utf16(std::to_string(24000 + n % 1000) + "-A"));
        page.ExtTextOut(380, y, Utf16(std::to_string(n % 90 + 1) + "," + std::to_string(100 + n % 900) + ".50"));
        page.ExtTextOut(500, y, Utf16("2024-0" + std::to_string(n % 9 + 1) + "-1" + std::to_string(n % 10)));
        page.ExtTextOut(620, y, Utf16(std::to_string(n % 100) + ".5%"));
    }
    return page.Finish();
}

// The report of `pages` pages, made once in the temporary folder and kept for later runs.
fs::path Report(int pages) {
    const fs::path path = fs::path(qrp::TempDirectory()) / ("qrp-xlsx-bench-" + std::to_string(pages) + ".qrp");
    if (fs::exists(path))
        return path;
    qrp::TQRPageList list;
    list.AttachStream(std::make_unique<qrp::TQRStream>(100000));
    for (int n = 1; n <= pages; ++n)
        list.AppendPage(*qrp::PagePicture::FromBytes(SheetPage(n)));
    list.Finish();
    list.SaveCopy(path.string());
    return path;
}

long StatusKiB(const char* field) {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.starts_with(field))
            return std::atol(line.c_str() + std::string_view(field).size());
    }
    return 0;
}

template <class Filter>
void ExportReport(benchmark::State& state) {
    const fs::path report = Report(static_cast<int>(state.range(0)));
    const fs::path out = fs::path(qrp::TempDirectory()) / "qrp-xlsx-bench.out";
    CSVSeparator = ',';
    long peak = 0, before = 0;
    for (auto _ : state) {
        qrp::TQRPageList list;
        list.OpenReport(report.string());
        const PageSource pages{list.PageTotal(), [&list](std::int32_t n) { return list.FetchPage(n); },
                               qrp::kFilePageScale, ReportFactsOf(list, report.filename().string())};
        // The peak from here on: writing 5 resets the high-water mark to what is resident now.
        std::ofstream("/proc/self/clear_refs") << "5";
        before = StatusKiB("VmRSS:");
        Filter filter(out.string());
        ExportPageText(pages, filter, {"UTF-8"});
        peak = StatusKiB("VmHWM:");
    }
    state.counters["pages"] = static_cast<double>(state.range(0));
    state.counters["peak_rss_kib"] = static_cast<double>(peak);
    state.counters["growth_kib"] = static_cast<double>(peak - before);
    state.counters["out_kib"] = static_cast<double>(fs::file_size(out) / 1024);
    fs::remove(out);
}

void BM_XlsxExport(benchmark::State& state) {
    ExportReport<TQRExcelWorkbookFilter>(state);
}
BENCHMARK(BM_XlsxExport)->Arg(1000)->Arg(10000)->Iterations(1)->Unit(benchmark::kMillisecond);

void BM_CsvExport(benchmark::State& state) {
    ExportReport<TQRCommaSeparatedFilter>(state);
}
BENCHMARK(BM_CsvExport)->Arg(1000)->Arg(10000)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
