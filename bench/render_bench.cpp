// Rendering speed on real pictures: every corpus EMF drawn at 1000 px width on white, in
// one process (fonts stay loaded, as in the viewer). Each page is drawn three times and
// its fastest time counts; prints the median and the 95th percentile over the pages and
// the slowest pages. Usage: render_bench [CORPUS_EMF_DIR] [WIDTH]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <QGuiApplication>

#include "base/errors.h"
#include "qt_start.h"
#include "render/page_renderer.h"

namespace {

struct Timing {
    double ms = 0;
    std::string name;
};

std::vector<std::uint8_t> ReadAll(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

double Percentile(const std::vector<Timing>& sorted, double p) {
    const auto at = static_cast<std::size_t>(p * static_cast<double>(sorted.size() - 1) + 0.5);
    return sorted[at].ms;
}

}  // namespace

int main(int argc, char** argv) {
    const auto app = qrp::bench::StartQt<QGuiApplication>(argv[0]);
    const std::filesystem::path dir = argc > 1 ? argv[1] : QRP_CORPUS_DIR "/emf";
    const int width = argc > 2 ? std::atoi(argv[2]) : 1000;
    if (!std::filesystem::is_directory(dir)) {
        std::fprintf(stderr, "render_bench: no folder %s\n", dir.c_str());
        return 1;
    }
    std::vector<std::filesystem::path> files;
    for (const auto& entry : std::filesystem::directory_iterator(dir))
        if (entry.path().extension() == ".emf")
            files.push_back(entry.path());
    std::sort(files.begin(), files.end());

    std::vector<Timing> timings;
    int failed = 0;
    for (const auto& file : files) {
        const std::vector<std::uint8_t> bytes = ReadAll(file);
        double best = 1e300;
        try {
            for (int run = 0; run < 3; ++run) {
                const auto start = std::chrono::steady_clock::now();
                const QImage image = qrp::render::RenderToImage(bytes, {width, 96});
                const std::chrono::duration<double, std::milli> took = std::chrono::steady_clock::now() - start;
                best = std::min(best, took.count());
            }
        } catch (const qrp::Error& error) {
            std::fprintf(stderr, "%s: %s\n", file.filename().c_str(), error.what());
            ++failed;
            continue;
        }
        timings.push_back({best, file.filename().string()});
    }
    if (timings.empty())
        return 1;
    std::sort(timings.begin(), timings.end(), [](const Timing& a, const Timing& b) { return a.ms < b.ms; });
    double total = 0;
    for (const Timing& t : timings)
        total += t.ms;
    std::printf("pages %zu (failed %d) at %d px: median %.2f ms, p95 %.2f ms, mean %.2f ms, max %.2f ms\n",
                timings.size(), failed, width, Percentile(timings, 0.5), Percentile(timings, 0.95),
                total / static_cast<double>(timings.size()), timings.back().ms);
    std::printf("slowest:\n");
    for (std::size_t i = timings.size(); i > 0 && i + 5 > timings.size(); --i)
        std::printf("  %8.2f ms  %s\n", timings[i - 1].ms, timings[i - 1].name.c_str());
    return 0;
}
