#include "gui_app.h"

#include "render/qt_start.h"

namespace qrp::tool {

QGuiApplication& StartGui() {
    static QGuiApplication* app = [] {
        render::PrepareQtStart();
        static int argc = 1;
        static char name[] = "qrptool";
        static char* argv[] = {name, nullptr};
        return new QGuiApplication(argc, argv);
    }();
    return *app;
}

}  // namespace qrp::tool
