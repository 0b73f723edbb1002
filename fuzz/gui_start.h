// What the fuzz targets that draw through Qt share: one offscreen application for the
// process, with the project's font configuration.
#pragma once

#include <cstdlib>
#include <memory>

#include <QGuiApplication>

#include "render/font_setup.h"

// Fontconfig keeps the patterns of fonts it matched for the life of the process; the leak
// checker sees them as lost when a new font first shows up in an input.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libfontconfig.so\n";
}

inline void StartOffscreenGui(int* argc, char*** argv) {
    qrp::render::UseProjectFontConfig();
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    static std::unique_ptr<QGuiApplication> app = std::make_unique<QGuiApplication>(*argc, *argv);
}
