// libqrpviewer.so loaded as a host loads it, with its functions found by name.
#pragma once

#include <string>

#include "qrpviewer.h"

namespace qrp::app {
class TTav_FolivexFrm;
}

namespace qrp::test {

class ViewerLibrary {
  public:
    // Loads the built library; the test fails when it or one of its functions is missing.
    ViewerLibrary();

    QrpViewerWindow* (*CreateObject)() = nullptr;
    int (*DestroyObject)() = nullptr;
    int (*ViewReportFile)(const char*, int) = nullptr;
    int (*PrintReportFile)(const char*, int) = nullptr;
    const char* (*LastError)() = nullptr;

    // The window behind a handle, for looking at it (its inline members and Qt's).
    static app::TTav_FolivexFrm& Window(QrpViewerWindow* handle);
    std::string Error() const { return LastError(); }

  private:
    void* m_handle = nullptr;  // kept loaded: the Qt application it made lives on
};

}  // namespace qrp::test
