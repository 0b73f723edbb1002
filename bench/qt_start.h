// Benchmarks that draw start Qt the way the programs do: the project's font mapping first,
// then a headless application unless a platform was chosen.
#pragma once

#include <cstdlib>
#include <memory>

#include "render/font_setup.h"

namespace qrp::bench {

template <typename Application>
std::unique_ptr<Application> StartQt(char* program) {
    qrp::render::UseProjectFontConfig();
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    static int argc = 1;
    static char* argv[] = {program, nullptr};
    return std::make_unique<Application>(argc, argv);
}

}  // namespace qrp::bench
