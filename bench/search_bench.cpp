// Finding text in a 1,000-page text-heavy report read from its file, plain and packed:
// the time until the first match is in hand (its first occurrence is on page 10, as a
// customer further down a report would be) and the time to count every match.
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <unistd.h>

#include <benchmark/benchmark.h>

#include "emf/emf_format.h"
#include "emf/recorder.h"
#include "export/report_search.h"
#include "report/page_list.h"

namespace {

using namespace qrp;

constexpr int kPages = 1000;
constexpr int kRowsPerPage = 50;
constexpr int kFirstPageWithTarget = 10;
const char16_t* const kCustomers[] = {u"Lotus Garden Hotel",    u"Pearl River Textiles", u"Phoenix Logistics",
                                      u"Golden Dragon Trading", u"White Crane Pharmacy", u"Summit Machinery"};
constexpr const char* kTarget = "silver bay fisheries";

std::u16string Utf16(const std::string& ascii) {
    return {ascii.begin(), ascii.end()};
}

// An invoice list: a heading and 50 rows of six columns, every run with its advances, as
// a report engine records them.
std::vector<std::uint8_t> InvoicePage(int number) {
    emf::Recorder page(794, 1123, emf::ReferenceDevice{960, 960, 254, 254});
    page.SelectObject(page.CreateFont({.height = -12, .faceName = u"Arial"}));
    page.SetBkMode(emf::kTransparent);
    const auto text = [&page](std::int32_t x, std::int32_t y, const std::u16string& s) {
        page.ExtTextOut(x, y, s, std::vector<std::int32_t>(s.size(), 6));
    };
    text(40, 30, u"Invoices, page " + Utf16(std::to_string(number)));
    for (int row = 0; row < kRowsPerPage; ++row) {
        const int invoice = number * kRowsPerPage + row;
        const bool target = number >= kFirstPageWithTarget && row == number % kRowsPerPage;
        const std::int32_t y = 60 + 20 * row;
        text(40, y, Utf16(std::to_string(24000 + invoice)));
        text(110, y, u"2024-01-04");
        text(190, y, target ? u"Silver Bay Fisheries" : kCustomers[invoice % std::size(kCustomers)]);
        text(420, y, u"57");
        text(480, y, u"588.50");
        text(600, y, u"33,544.50");
    }
    return page.Finish();
}

const std::string& ReportPath(bool packed) {
    static std::string paths[2];
    std::string& path = paths[packed];
    if (path.empty()) {
        path = (std::filesystem::temp_directory_path() /
                ("qrp-search-bench-" + std::to_string(::getpid()) + (packed ? "-packed" : "") + ".qrp"))
                   .string();
        TQRPageList list;
        list.SetCompression(packed);
        list.AttachStream(std::make_unique<TQRStream>(100000));
        for (int n = 1; n <= kPages; ++n)
            list.AppendPage(*PagePicture::FromBytes(InvoicePage(n)));
        list.Finish();
        list.SaveCopy(path);
        std::atexit([] {
            for (const std::string& made : paths)
                if (!made.empty())
                    std::filesystem::remove(made);
        });
    }
    return path;
}

// Opens the report and searches it; stops at the first match when firstOnly.
std::uint64_t Search(const std::string& path, bool firstOnly) {
    TQRPageList list;
    list.OpenReport(path);
    const exporter::PageSource pages{list.PageTotal(), [&list](std::int32_t n) { return list.FetchPage(n); },
                                     96.0L / 254};
    return exporter::SearchReport(
        pages, exporter::TextQuery(kTarget),
        [firstOnly](std::int32_t, const exporter::PageText&, const std::vector<exporter::TextMatch>& matches) {
            return !(firstOnly && !matches.empty());
        });
}

void BM_TimeToFirstMatch(benchmark::State& state) {
    const std::string& path = ReportPath(state.range(0) != 0);
    for (auto _ : state)
        benchmark::DoNotOptimize(Search(path, true));
}
BENCHMARK(BM_TimeToFirstMatch)->ArgName("packed")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_CountAllMatches(benchmark::State& state) {
    const std::string& path = ReportPath(state.range(0) != 0);
    std::uint64_t matches = 0;
    for (auto _ : state)
        matches = Search(path, false);
    state.counters["matches"] = static_cast<double>(matches);
    state.counters["pages"] = kPages;
}
BENCHMARK(BM_CountAllMatches)->ArgName("packed")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
