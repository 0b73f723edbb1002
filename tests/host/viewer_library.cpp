#include "viewer_library.h"

#include <dlfcn.h>

#include <gtest/gtest.h>

#include "app/viewer_window.h"

namespace qrp::test {

namespace {

template <typename Function>
void Bind(void* library, const char* name, Function& function) {
    function = reinterpret_cast<Function>(dlsym(library, name));
    EXPECT_NE(function, nullptr) << name << " is not exported";
}

}  // namespace

ViewerLibrary::ViewerLibrary() {
    m_handle = dlopen(QRP_VIEWER_LIBRARY, RTLD_NOW | RTLD_LOCAL);
    if (!m_handle) {
        ADD_FAILURE() << dlerror();
        return;
    }
    Bind(m_handle, "CreateObject", CreateObject);
    Bind(m_handle, "DestroyObject", DestroyObject);
    Bind(m_handle, "ViewReportFile", ViewReportFile);
    Bind(m_handle, "PrintReportFile", PrintReportFile);
    Bind(m_handle, "QrpLastError", LastError);
}

app::TTav_FolivexFrm& ViewerLibrary::Window(QrpViewerWindow* handle) {
    return *static_cast<app::TTav_FolivexFrm*>(reinterpret_cast<QWidget*>(handle));
}

}  // namespace qrp::test
