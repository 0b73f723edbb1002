// Reaching page k of a 10,000-page report right after opening it (the first walk), and
// again once the walk has seen its offset.
#include <filesystem>
#include <memory>
#include <string>
#include <unistd.h>

#include <benchmark/benchmark.h>

#include "base/byte_order.h"
#include "report/page_list.h"

namespace {

constexpr int kPages = 10000;

std::vector<std::uint8_t> SmallEmf(int number) {
    std::vector<std::uint8_t> emf(108 + 20, 0);
    const std::uint32_t header[] = {1, 108, 0, 0, 793, 1122, 0, 0, 21000, 29700, 0x464D4520, 0x10000, 128, 2};
    for (std::size_t i = 0; i < std::size(header); ++i)
        qrp::StoreU32(&emf[4 * i], header[i]);
    qrp::StoreU32(&emf[72], 794);
    qrp::StoreU32(&emf[76], 1123);
    qrp::StoreU32(&emf[80], 210);
    qrp::StoreU32(&emf[84], 297);
    qrp::StoreU32(&emf[108], 14);
    qrp::StoreU32(&emf[112], 20);
    qrp::StoreU32(&emf[120], static_cast<std::uint32_t>(number));
    return emf;
}

const std::string& ReportPath() {
    static const std::string path = [] {
        const std::string file =
            (std::filesystem::temp_directory_path() / ("qrp-walk-bench-" + std::to_string(::getpid()) + ".qrp"))
                .string();
        qrp::TQRPageList list;
        list.AttachStream(std::make_unique<qrp::TQRStream>(100000));
        for (int n = 1; n <= kPages; ++n)
            list.AppendPage(*qrp::PagePicture::FromBytes(SmallEmf(n)));
        list.Finish();
        list.SaveCopy(file);
        std::atexit([] { std::filesystem::remove(ReportPath()); });
        return file;
    }();
    return path;
}

// Open, then fetch page k: the walk starts from nothing known.
void BM_OpenAndFetchPage(benchmark::State& state) {
    const auto k = static_cast<std::int32_t>(state.range(0));
    for (auto _ : state) {
        qrp::TQRPageList list;
        list.OpenReport(ReportPath());
        benchmark::DoNotOptimize(list.FetchPage(k));
    }
}

// Fetch page k again after one walk has seen every record.
void BM_FetchKnownPage(benchmark::State& state) {
    const auto k = static_cast<std::int32_t>(state.range(0));
    qrp::TQRPageList list;
    list.OpenReport(ReportPath());
    list.FetchPage(kPages / 2);
    list.FetchPage(k);
    for (auto _ : state)
        benchmark::DoNotOptimize(list.FetchPage(k));
}

// Every page in a random order once all are known: the cost of any page once its offset is known.
void BM_FetchRandomKnownPages(benchmark::State& state) {
    qrp::TQRPageList list;
    list.OpenReport(ReportPath());
    for (int n = 1; n <= kPages; ++n)
        list.FetchPage(n);
    std::uint32_t seed = 1;
    for (auto _ : state) {
        seed = seed * 1103515245u + 12345u;
        benchmark::DoNotOptimize(list.FetchPage(static_cast<std::int32_t>(seed % kPages) + 1));
    }
}

BENCHMARK(BM_OpenAndFetchPage)
    ->Arg(1)
    ->Arg(2)
    ->Arg(2500)
    ->Arg(5000)
    ->Arg(9999)
    ->Arg(10000)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FetchKnownPage)->Arg(2)->Arg(5000)->Arg(9999)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FetchRandomKnownPages)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
