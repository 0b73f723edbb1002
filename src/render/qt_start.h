// What every program of the project does before its Qt application object exists (the
// viewer, the viewer library inside a host, qrptool): Qt reads all of this once, when the
// application object is made.
#pragma once

namespace qrp::render {

struct QtStart {
    // No display to connect to and no platform asked for: Qt runs on the offscreen
    // platform, where pages can be drawn and printed but a window is never seen.
    bool headless = false;
};

// Points fontconfig at the project's configuration (font_setup.h), gives Qt a private
// runtime folder when the session names none, and chooses the offscreen platform when
// there is no display and QT_QPA_PLATFORM is unset. Settings already in the environment
// are kept.
QtStart PrepareQtStart();

}  // namespace qrp::render
