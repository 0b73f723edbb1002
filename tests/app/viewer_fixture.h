// A viewer window on scripted dialogs and fake printers, and report files to show in it.
#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include <QString>

#include <gtest/gtest.h>

#include "app/viewer_window.h"
#include "export/filter_library.h"
#include "report/document.h"
#include "scripted_dialogs.h"
#include "support/fake_printer.h"
#include "support/test_paths.h"

namespace qrp::test {

// Types into a spin edit as a user does, one key at a time.
void Type(app::TSpinEdit& edit, const QString& keys);
// The spin edit's field loses the focus.
void LeaveField(app::TSpinEdit& edit);

class ViewerTest : public ::testing::Test {
  protected:
    ViewerTest();
    ~ViewerTest() override;

    // The window, hidden, with the scripted dialogs.
    app::TTav_FolivexFrm& MakeWindow(const std::string& commandLineFile = {});
    // Shows the window at its designed size and lets the show and activation handlers run.
    app::TTav_FolivexFrm& ShowWindow(const std::string& commandLineFile = {});
    // A report file of `pages` blank pages in the scratch folder.
    std::string WriteReport(const std::string& name, int pages, double widthMm = 210, double lengthMm = 297);
    // The printer of the document made last.
    FakePrinter& DocumentPrinter() { return *m_documentPrinters.back(); }
    TQRPrinter& Document() { return *m_window->ViewerDocument(); }
    // The zoom that fits the shown page into the preview at its present size: the whole page
    // in 95 per cent of it, within seZoom's range.
    std::int32_t FittedZoom();
    // Replaces the application-wide printer.
    FakePrinter& UseApplicationPrinter(std::unique_ptr<FakePrinter> printer);

    static void ProcessEvents();

    exporter::FilterLibraryOwner m_library;
    ScratchDir m_scratch;
    FakePrinter* m_appPrinter = nullptr;
    std::vector<FakePrinter*> m_documentPrinters;
    ScriptedDialogs* m_dialogs = nullptr;
    std::unique_ptr<app::TTav_FolivexFrm> m_window;
};

}  // namespace qrp::test
