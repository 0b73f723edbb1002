#include "gui_app.h"

#include <cstdlib>

#include "render/font_setup.h"

namespace qrp::tool {

QGuiApplication& StartGui() {
    static QGuiApplication* app = [] {
        render::UseProjectFontConfig();
        const char* platform = std::getenv("QT_QPA_PLATFORM");
        const char* display = std::getenv("DISPLAY");
        const char* wayland = std::getenv("WAYLAND_DISPLAY");
        if ((!platform || !*platform) && (!display || !*display) && (!wayland || !*wayland))
            setenv("QT_QPA_PLATFORM", "offscreen", 1);
        static int argc = 1;
        static char name[] = "qrptool";
        static char* argv[] = {name, nullptr};
        return new QGuiApplication(argc, argv);
    }();
    return *app;
}

}  // namespace qrp::tool
