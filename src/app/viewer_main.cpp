// The viewer as an application: qrpview's whole program, kept in the library so that the
// program and host programs share one copy of the viewer. Opens the report file named by
// the first argument, if any, when the window first becomes active.
//
// Start-up order matters: the environment Qt reads (qt_start.h) before Qt starts, the
// export filter library before the window whose filter components register with it;
// teardown runs in reverse.
#include <cstdio>
#include <exception>
#include <string>

#include <QApplication>

#include "application_printer.h"
#include "export/filter_library.h"
#include "host_setup.h"
#include "qrp_version.h"
#include "qrpviewer.h"
#include "render/qt_start.h"
#include "viewer_command_line.h"
#include "viewer_window.h"

extern "C" int QrpViewerMain(int argc, char** argv) {
    if (const auto status = qrp::app::AnswerWithoutWindow(argc, argv))
        return *status;
    if (qrp::render::PrepareQtStart().headless) {
        std::fputs("qrpview: there is no display to show the window on (DISPLAY and WAYLAND_DISPLAY are not set)\n",
                   stderr);
        return 1;
    }
    QApplication app(argc, argv);  // takes Qt's own options out of argv
    QApplication::setApplicationName(QStringLiteral("qrpview"));
    QApplication::setApplicationVersion(QStringLiteral(QRP_VERSION));
    const qrp::app::ViewerRequests requests = qrp::app::ReadViewerRequests(argc, argv);
    qrp::app::ConnectCoreToQt();
    int status = 1;
    try {
        const qrp::exporter::FilterLibraryOwner filterLibrary;
        {
            qrp::app::TTav_FolivexFrm window(requests.File);
            window.SetCommandLineRequests(requests.Page, requests.Find);
            // Maximised before it is first shown, so that a window manager maps it at its
            // final size and the command-line report is first fitted to that size.
            window.showMaximized();
            // Without a window manager (a bare virtual display) nothing else activates it.
            window.activateWindow();
            status = QApplication::exec();
        }
        qrp::app::SetApplicationPrinter(nullptr);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "qrpview: %s\n", error.what());
    }
    qrp::app::DisconnectCoreFromQt();
    return status;
}
