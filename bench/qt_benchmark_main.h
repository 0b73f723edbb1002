// Google Benchmark programs that draw share this main().
#pragma once

#include <benchmark/benchmark.h>

#include "qt_start.h"

namespace qrp::bench {

// main() of a Google Benchmark program that draws.
template <typename Application>
int RunBenchmarks(int argc, char** argv) {
    const auto app = StartQt<Application>(argv[0]);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

}  // namespace qrp::bench
