// The functions a host program calls (include/qrpviewer.h). They share one piece of state,
// the current viewer window; everything past the first steps is the window's and the
// document's work.
//
// A host without a Qt application gets one made here, kept until the process ends; the
// windows and the export filter library go when that application object is destroyed
// (a host's own application included), windows first, as they register with the library.
#include <exception>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include <QApplication>

#include "application_printer.h"
#include "base/errors.h"
#include "export/filter_library.h"
#include "host_setup.h"
#include "preview/preview.h"
#include "qrpviewer.h"
#include "render/font_setup.h"
#include "report/document.h"
#include "viewer_window.h"

namespace qrp::app {
namespace {

constexpr const char* kNoWindow = "There is no viewer window: call CreateObject first";
constexpr const char* kNoWidgets = "The host's Qt application cannot show windows (it is no QApplication)";

struct HostState {
    std::unique_ptr<exporter::FilterLibraryOwner> filterLibrary;
    std::vector<std::unique_ptr<TTav_FolivexFrm>> windows;  // every window CreateObject made
    TTav_FolivexFrm* current = nullptr;
};

// Reachable until the end, so a leak checker does not count what lives for the process.
HostState& State() {
    static HostState* state = new HostState;
    return *state;
}

thread_local std::string lastError;

// Runs when the application object is destroyed, while Qt is still usable.
void ReleaseHostState() {
    HostState& state = State();
    state.current = nullptr;
    state.windows.clear();
    SetApplicationPrinter(nullptr);
    state.filterLibrary.reset();
    DisconnectCoreFromQt();
}

void EnsureApplication() {
    if (QCoreApplication::instance()) {
        if (!qobject_cast<QApplication*>(QCoreApplication::instance()))
            throw EQRError(kNoWidgets);
    } else {
        render::UseProjectFontConfig();
        static int argc = 1;
        static char name[] = "qrpviewer";
        static char* argv[] = {name, nullptr};
        new QApplication(argc, argv);  // lives until the process ends
    }
    HostState& state = State();
    if (!state.filterLibrary) {
        state.filterLibrary = std::make_unique<exporter::FilterLibraryOwner>();
        ConnectCoreToQt();
        qAddPostRoutine(ReleaseHostState);
    }
}

TTav_FolivexFrm& CurrentWindow() {
    if (!State().current)
        throw EQRError(kNoWindow);
    return *State().current;
}

TPrinterOrientation OrientationOf(int landscape) {
    return landscape ? poLandscape : poPortrait;
}

// Runs one call: its error becomes the message QrpLastError gives, and a status of -1.
template <typename Call>
int Guarded(Call&& call) {
    lastError.clear();
    try {
        call();
        return 0;
    } catch (const std::exception& error) {
        lastError = error.what();
    } catch (...) {
        lastError = "Unknown error";
    }
    return -1;
}

}  // namespace
}  // namespace qrp::app

using namespace qrp::app;

extern "C" QrpViewerWindow* CreateObject(void) {
    TTav_FolivexFrm* created = nullptr;
    Guarded([&] {
        EnsureApplication();
        HostState& state = State();
        state.windows.push_back(std::make_unique<TTav_FolivexFrm>());
        created = state.current = state.windows.back().get();
    });
    // A C++ host may take the handle for the window's QWidget.
    return reinterpret_cast<QrpViewerWindow*>(static_cast<QWidget*>(created));
}

extern "C" int DestroyObject(void) {
    HostState& state = State();
    // The reference is cleared with the window, so a later call fails cleanly instead of
    // reaching a freed window. Freeing a window cannot fail here: destructors do not throw.
    TTav_FolivexFrm* window = std::exchange(state.current, nullptr);
    std::erase_if(state.windows, [window](const auto& owned) { return owned.get() == window; });
    return 1;
}

extern "C" int ViewReportFile(const char* path, int landscape) {
    return Guarded([&] {
        TTav_FolivexFrm& window = CurrentWindow();
        qrp::TQRPrinter document(NewDocumentPrinter());
        document.Load(path ? path : "");
        window.ShowModal(document, OrientationOf(landscape));
    });
}

extern "C" int PrintReportFile(const char* path, int landscape) {
    return Guarded([&] {
        TTav_FolivexFrm& window = CurrentWindow();
        qrp::TQRPrinter document(NewDocumentPrinter());
        document.Load(path ? path : "");
        window.QRPreview->SetDocument(&document);  // detached again when the document goes
        qrp::PrinterObject& printer = ApplicationPrinter();
        document.SetPrinterNumber(printer.PrinterIndex());
        document.SetCopies(printer.Copies());
        // After printer and copies: choosing the printer resets the orientation.
        document.SetOrientation(OrientationOf(landscape));
        document.Print();
    });
}

extern "C" const char* QrpLastError(void) {
    return lastError.c_str();
}
