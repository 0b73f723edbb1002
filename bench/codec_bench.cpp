// Throughput of the splay-tree page codec on real EMF pages, beside zlib (level 6) on the
// same pages. Pages come from $QRP_CORPUS_DIR/emf or the corpus beside the checkout.
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>
#include <zlib.h>

#include <benchmark/benchmark.h>

#include "report/memory_stream.h"
#include "report/splay_codec.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

const std::vector<Bytes>& Pages() {
    static const std::vector<Bytes> pages = [] {
        std::vector<Bytes> result;
        const char* env = std::getenv("QRP_CORPUS_DIR");
        const std::filesystem::path dir = std::filesystem::path(env && *env ? env : QRP_CORPUS_DIR) / "emf";
        if (!std::filesystem::is_directory(dir))
            return result;
        std::vector<std::filesystem::path> files;
        for (const auto& entry : std::filesystem::directory_iterator(dir))
            files.push_back(entry.path());
        std::sort(files.begin(), files.end());
        for (const auto& file : files) {
            std::ifstream in(file, std::ios::binary);
            result.emplace_back(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        }
        return result;
    }();
    return pages;
}

std::size_t TotalBytes() {
    std::size_t total = 0;
    for (const Bytes& page : Pages())
        total += page.size();
    return total;
}

Bytes Pack(const Bytes& plain) {
    qrp::MemoryStream out;
    qrp::TQRCompress codec(out, true);
    for (std::uint8_t byte : plain)
        codec.Compress(byte);
    codec.FinishCompress();
    return out.TakeData();
}

void SetUp(benchmark::State& state) {
    if (Pages().empty())
        state.SkipWithError("no EMF corpus (set QRP_CORPUS_DIR)");
}

void BM_SplayPack(benchmark::State& state) {
    SetUp(state);
    std::size_t packed = 0;
    for (auto _ : state) {
        packed = 0;
        for (const Bytes& page : Pages())
            packed += Pack(page).size();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * TotalBytes()));
    state.counters["ratio"] = static_cast<double>(packed) / static_cast<double>(TotalBytes());
}

void BM_SplayUnpack(benchmark::State& state) {
    SetUp(state);
    std::vector<Bytes> packed;
    for (const Bytes& page : Pages())
        packed.push_back(Pack(page));
    Bytes plain;
    for (auto _ : state) {
        for (std::size_t i = 0; i < packed.size(); ++i) {
            qrp::ByteViewStream in(packed[i]);
            qrp::TQRCompress codec(in, false);
            plain.resize(Pages()[i].size());
            codec.Decode(plain);
            benchmark::DoNotOptimize(plain.data());
        }
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * TotalBytes()));
}

Bytes Deflate(const Bytes& plain) {
    uLongf size = compressBound(plain.size());
    Bytes out(size);
    compress2(out.data(), &size, plain.data(), plain.size(), 6);
    out.resize(size);
    return out;
}

void BM_ZlibDeflate6(benchmark::State& state) {
    SetUp(state);
    std::size_t packed = 0;
    for (auto _ : state) {
        packed = 0;
        for (const Bytes& page : Pages())
            packed += Deflate(page).size();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * TotalBytes()));
    state.counters["ratio"] = static_cast<double>(packed) / static_cast<double>(TotalBytes());
}

void BM_ZlibInflate(benchmark::State& state) {
    SetUp(state);
    std::vector<Bytes> packed;
    for (const Bytes& page : Pages())
        packed.push_back(Deflate(page));
    Bytes plain;
    for (auto _ : state) {
        for (std::size_t i = 0; i < packed.size(); ++i) {
            plain.resize(Pages()[i].size());
            uLongf size = plain.size();
            uncompress(plain.data(), &size, packed[i].data(), packed[i].size());
            benchmark::DoNotOptimize(plain.data());
        }
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * TotalBytes()));
}

BENCHMARK(BM_SplayPack)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SplayUnpack)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ZlibDeflate6)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ZlibInflate)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
