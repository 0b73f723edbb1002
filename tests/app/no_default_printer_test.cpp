// Printers installed but none of them the default, as printers found on the network often
// leave a machine: run beside a print scheduler of its own that holds the queues Alpha and
// Beta and no default (tests/support/with_private_cups.sh). The user's default, else the
// first queue, serves wherever the default printer is asked for. Beta can print both sides,
// which the shared PDF queue cannot.
#include <cstdlib>
#include <fstream>

#include <QPrintEngine>
#include <QPrinterInfo>
#include <QToolButton>

#include <gtest/gtest.h>

#include "app/application_printer.h"
#include "print/cups_target.h"
#include "print/dialog_choices.h"
#include "print/print_checks.h"
#include "print/qt_printer.h"
#include "viewer_fixture.h"

namespace qrp::test {
namespace {

class NoDefaultPrinter : public ViewerTest {
  protected:
    void SetUp() override {
        if (!std::getenv("CUPS_SERVER"))
            GTEST_SKIP() << "needs the scheduler of tests/support/with_private_cups.sh";
        // The system's printers, not the fixture's fakes.
        app::SetApplicationPrinter(nullptr);
        app::SetDocumentPrinterFactory(nullptr);
    }
};

TEST_F(NoDefaultPrinter, TheUsersDefaultElseTheFirstQueueIsTheDefaultPrinter) {
    print::CupsTarget cups;
    ASSERT_EQ(cups.PrinterNames(), (QStringList{"Alpha", "Beta"}));
    EXPECT_EQ(cups.DefaultPrinterName(), "Alpha");

    const std::string report = WriteReport("tool.qrp", 2);
    const CommandResult first = Qrptool({"print", report});
    EXPECT_EQ(first.status, 0);
    EXPECT_EQ(first.out.rfind("Alpha-", 0), 0u) << first.out;

    // lpoptions -d Beta, as a user sets a default of their own.
    const std::filesystem::path options = std::filesystem::path(std::getenv("HOME")) / ".cups" / "lpoptions";
    std::filesystem::create_directories(options.parent_path());
    std::ofstream(options) << "Default Beta\n";
    const CommandResult chosen = Qrptool({"print", report});
    std::filesystem::remove(options);
    EXPECT_EQ(chosen.status, 0);
    EXPECT_EQ(chosen.out.rfind("Beta-", 0), 0u) << chosen.out;
}

TEST_F(NoDefaultPrinter, TheViewerOpensTurnsAndPrintsTheReport) {
    auto& w = ShowWindow(WriteReport("window.qrp", 3));
    EXPECT_TRUE(m_dialogs->Messages.empty()) << m_dialogs->Messages.front();
    ASSERT_NE(w.ViewerDocument(), nullptr);
    EXPECT_EQ(Document().PageTotal(), 3);
    w.sb_Layout->click();
    EXPECT_EQ(app::ApplicationPrinter().Orientation(), poLandscape);

    m_dialogs->PrintAnswers.push_back([](app::TPrintDialog&, PrinterObject&) { return true; });
    w.Print->click();
    EXPECT_TRUE(m_dialogs->Messages.empty()) << m_dialogs->Messages.front();
    const auto& printer = dynamic_cast<print::QtPrinter&>(Document().OwnPrinter());
    EXPECT_EQ(printer.LastJob().rfind("Alpha-", 0), 0u) << printer.LastJob();
}

TEST_F(NoDefaultPrinter, BothSidesAndATrayChosenForADuplexPrinterGoToTheSpooler) {
    QPrinter device(QPrinterInfo::printerInfo("Beta"));
    device.setDuplex(QPrinter::DuplexLongSide);
    // The tray, as the dialog's printer options store it.
    device.printEngine()->setProperty(QPrintEngine::PrintEnginePropertyKey(0xfe00), QStringList{"InputSlot", "Manual"});
    EXPECT_EQ(print::ReadDialogChoices(device).jobOptions.join(' ').toStdString(),
              "InputSlot=Manual sides=two-sided-long-edge");
}

}  // namespace
}  // namespace qrp::test
