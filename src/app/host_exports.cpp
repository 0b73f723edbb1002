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
#include "render/qt_start.h"
#include "report/document.h"
#include "viewer_window.h"

namespace qrp::app {
namespace {

constexpr const char* kNoWindow = "There is no viewer window: call CreateObject first";
constexpr const char* kNoWidgets = "The host's Qt application cannot show windows (it is no QApplication)";
constexpr const char* kNoDisplay =
    "There is no display to show the report on (DISPLAY and WAYLAND_DISPLAY are not set); it can be printed";
constexpr const char* kBusy = "The viewer is still busy with an earlier call";

struct HostState {
    std::unique_ptr<exporter::FilterLibraryOwner> filterLibrary;
    std::vector<std::unique_ptr<TTav_FolivexFrm>> windows;  // every window CreateObject made
    TTav_FolivexFrm* current = nullptr;
    bool headless = false;  // the application was made on the offscreen platform
    // A call that runs the event loop (a print between pages, the modal window) lets the
    // host's own events run, and they may call in again.
    bool inCall = false;
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
        State().headless = render::PrepareQtStart().headless;
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

// Marks a call that runs the event loop; one made from inside another fails instead of
// freeing or replacing what the outer one is working on.
class CallScope {
  public:
    CallScope() {
        if (State().inCall)
            throw EQRError(kBusy);
        State().inCall = true;
    }
    ~CallScope() { State().inCall = false; }
    CallScope(const CallScope&) = delete;
    CallScope& operator=(const CallScope&) = delete;
};

// Loads the report at path into a new document for one call, titled with its path as the
// viewer titles what it loads (the caption, and the print job's name).
void LoadForCall(qrp::TQRPrinter& document, const char* path) {
    const std::string file = path ? path : "";
    document.Load(file);
    document.Title = file;
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
    const int status = Guarded([] {
        const CallScope call;
        HostState& state = State();
        // The reference is cleared with the window, so a later call fails cleanly instead of
        // reaching a freed window.
        TTav_FolivexFrm* window = std::exchange(state.current, nullptr);
        std::erase_if(state.windows, [window](const auto& owned) { return owned.get() == window; });
    });
    return status == 0 ? 1 : 0;
}

extern "C" int ViewReportFile(const char* path, int landscape) {
    return Guarded([&] {
        const CallScope call;
        TTav_FolivexFrm& window = CurrentWindow();
        if (State().headless)
            throw qrp::EQRError(kNoDisplay);
        qrp::TQRPrinter document(NewDocumentPrinter());
        LoadForCall(document, path);
        window.ShowModal(document, OrientationOf(landscape));
    });
}

extern "C" int PrintReportFile(const char* path, int landscape) {
    return Guarded([&] {
        const CallScope call;
        TTav_FolivexFrm& window = CurrentWindow();
        qrp::TQRPrinter document(NewDocumentPrinter());
        LoadForCall(document, path);
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
