// The four functions as a host calls them: through dlopen, with the library making the Qt
// application itself (no test environment makes one here).
#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <set>
#include <string>

#include <QApplication>
#include <QFileDialog>
#include <QTimer>
#include <QToolButton>

#include <gtest/gtest.h>

#include "app/viewer_window.h"
#include "preview/preview.h"
#include "print/print_checks.h"
#include "report/document.h"
#include "support/test_paths.h"
#include "viewer_library.h"

namespace qrp::test {
namespace {

namespace fs = std::filesystem;

class HostLibrary : public ::testing::Test {
  protected:
    void SetUp() override {
        if (HasFailure())
            GTEST_SKIP();
        report = scratch / "host-report.qrp";
        WriteTextReport(report, 3);
    }

    // Runs `check` once the window shows, then closes it, as a user would.
    void WhenShown(app::TTav_FolivexFrm& window, std::function<void()> check) {
        auto* timer = new QTimer(qApp);
        QObject::connect(timer, &QTimer::timeout, [timer, &window, check] {
            if (!window.isVisible())
                return;
            timer->deleteLater();
            timer->stop();
            check();
            window.close();
        });
        timer->start(20);
    }

    ScratchDir scratch;
    ViewerLibrary viewer;
    fs::path report;
};

TEST_F(HostLibrary, DestroyObjectWithoutAWindowSucceeds) {
    EXPECT_EQ(viewer.DestroyObject(), 1);
    EXPECT_EQ(viewer.Error(), "");
}

TEST_F(HostLibrary, CallsWithoutAWindowFailWithAMessage) {
    EXPECT_EQ(viewer.ViewReportFile(report.c_str(), 0), -1);
    EXPECT_EQ(viewer.Error(), "There is no viewer window: call CreateObject first");

    // Destroying the window forgets it: the next call fails instead of reaching freed memory.
    ASSERT_NE(viewer.CreateObject(), nullptr);
    EXPECT_EQ(viewer.DestroyObject(), 1);
    EXPECT_EQ(viewer.PrintReportFile(report.c_str(), 0), -1);
    EXPECT_EQ(viewer.Error(), "There is no viewer window: call CreateObject first");
    EXPECT_EQ(viewer.DestroyObject(), 1);
}

TEST_F(HostLibrary, AMissingFileReachesTheCallerAndShowsNothing) {
    QrpViewerWindow* handle = viewer.CreateObject();
    ASSERT_NE(handle, nullptr);
    const std::string missing = (scratch / "no-such-report.qrp").string();
    EXPECT_EQ(viewer.ViewReportFile(missing.c_str(), 0), -1);
    EXPECT_NE(viewer.Error().find(missing), std::string::npos) << viewer.Error();
    EXPECT_FALSE(ViewerLibrary::Window(handle).isVisible());
    EXPECT_EQ(viewer.PrintReportFile(missing.c_str(), 0), -1);
    EXPECT_NE(viewer.Error().find(missing), std::string::npos) << viewer.Error();

    // A failure does not stick to the next call.
    WhenShown(ViewerLibrary::Window(handle), [] {});
    EXPECT_EQ(viewer.ViewReportFile(report.c_str(), 0), 0);
    EXPECT_EQ(viewer.Error(), "");
    viewer.DestroyObject();
}

TEST_F(HostLibrary, ViewReportFileShowsTheLoadedReportUntilClosedAndCanShowAgain) {
    QrpViewerWindow* handle = viewer.CreateObject();
    ASSERT_NE(handle, nullptr);
    app::TTav_FolivexFrm& window = ViewerLibrary::Window(handle);
    EXPECT_FALSE(window.isVisible());

    bool checked = false;
    WhenShown(window, [&] {
        preview::TQRPreview& preview = *window.QRPreview;
        ASSERT_NE(preview.Document(), nullptr);
        EXPECT_EQ(preview.Document()->PageTotal(), 3);
        EXPECT_EQ(preview.Document()->Orientation(), poLandscape);
        EXPECT_TRUE(preview.PageImage().HasPicture());
        EXPECT_GT(preview.PageImage().width(), preview.PageImage().height());  // the sheet lies
        EXPECT_EQ(window.windowTitle().toStdString(), report.string() + " - 3 pages");
        checked = true;
    });
    ASSERT_EQ(viewer.ViewReportFile(report.c_str(), 1), 0) << viewer.Error();
    EXPECT_TRUE(checked);
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(window.QRPreview->Document(), nullptr);

    checked = false;
    WhenShown(window, [&] {
        ASSERT_NE(window.QRPreview->Document(), nullptr);
        EXPECT_EQ(window.QRPreview->Document()->Orientation(), poPortrait);
        checked = true;
    });
    ASSERT_EQ(viewer.ViewReportFile(report.c_str(), 0), 0) << viewer.Error();
    EXPECT_TRUE(checked);
    EXPECT_EQ(viewer.DestroyObject(), 1);
}

TEST_F(HostLibrary, AShownReportSavesItsTextThroughAnExportFormat) {
    app::TTav_FolivexFrm& window = ViewerLibrary::Window(viewer.CreateObject());
    const fs::path text = scratch / "hosted.txt";
    WhenShown(window, [&] {
        QTimer::singleShot(0, [&] {
            if (auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget())) {
                dialog->selectNameFilter(dialog->nameFilters().value(1));  // the plain text format
                dialog->selectFile(QString::fromStdString(text.string()));
                QMetaObject::invokeMethod(dialog, "accept");  // as the Save button does
            }
        });
        window.Save->click();
    });
    ASSERT_EQ(viewer.ViewReportFile(report.c_str(), 0), 0) << viewer.Error();
    std::ifstream in(text);
    const std::string written((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    for (const char* page : {"Page 1", "Page 2", "Page 3"})
        EXPECT_NE(written.find(page), std::string::npos) << page;
    viewer.DestroyObject();
}

TEST_F(HostLibrary, CallsFromTheHostsEventsDuringAShowingFailInsteadOfFreeingItsWindow) {
    app::TTav_FolivexFrm& window = ViewerLibrary::Window(viewer.CreateObject());
    int destroyed = -1, shown = 0, printed = 0;
    std::string busy;
    WhenShown(window, [&] {
        destroyed = viewer.DestroyObject();
        busy = viewer.Error();
        shown = viewer.ViewReportFile(report.c_str(), 0);
        printed = viewer.PrintReportFile(report.c_str(), 0);
        EXPECT_TRUE(window.isVisible());
    });
    ASSERT_EQ(viewer.ViewReportFile(report.c_str(), 0), 0) << viewer.Error();
    EXPECT_EQ(destroyed, 0);
    EXPECT_EQ(busy, "The viewer is still busy with an earlier call");
    EXPECT_EQ(shown, -1);
    EXPECT_EQ(printed, -1);
    EXPECT_EQ(viewer.DestroyObject(), 1);
    EXPECT_EQ(viewer.Error(), "");
}

TEST_F(HostLibrary, TwoWindowsRegisterEveryExportFormatTwice) {
    ASSERT_NE(viewer.CreateObject(), nullptr);
    QrpViewerWindow* second = viewer.CreateObject();
    ASSERT_NE(second, nullptr);
    app::TTav_FolivexFrm& window = ViewerLibrary::Window(second);

    // The later calls use the second window.
    QStringList filters;
    WhenShown(window, [&] {
        QTimer::singleShot(0, [&] {
            if (auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget())) {
                filters = dialog->nameFilters();
                dialog->reject();
            }
        });
        window.Save->click();
    });
    ASSERT_EQ(viewer.ViewReportFile(report.c_str(), 0), 0) << viewer.Error();
    ASSERT_FALSE(filters.isEmpty());
    std::multiset<std::string> names;
    for (const QString& filter : filters)
        names.insert(filter.toStdString());
    for (const QString& filter : filters) {
        if (filter.startsWith("Report file") || filter.startsWith("PDF"))
            EXPECT_EQ(names.count(filter.toStdString()), 1u) << filter.toStdString();
        else
            EXPECT_EQ(names.count(filter.toStdString()), 2u) << filter.toStdString();
    }
    EXPECT_EQ(filters.size(), 1 + 4 * 2 + 1);  // report file, four formats twice, PDF
    viewer.DestroyObject();
}

// The newest job the PDF queue has seen, as "PDF-12"; empty when there is none.
std::string NewestJob() {
    const std::string listing = Run("lpstat -W all -o PDF").out;
    int newest = 0;
    for (auto at = listing.find("PDF-"); at != std::string::npos; at = listing.find("PDF-", at + 1))
        newest = std::max(newest, std::atoi(listing.c_str() + at + 4));
    return newest ? "PDF-" + std::to_string(newest) : std::string();
}

TEST_F(HostLibrary, PrintReportFilePrintsEveryPageInTheFlagsOrientationWithoutAWindow) {
    if (!CupsPdfQueueReady())
        GTEST_SKIP() << "no CUPS queue named PDF (scripts/start-cups.sh starts one)";
    QrpViewerWindow* handle = viewer.CreateObject();
    ASSERT_NE(handle, nullptr);
    app::TTav_FolivexFrm& window = ViewerLibrary::Window(handle);

    // Turn the application-wide printer to landscape the way a user does: the layout button.
    WhenShown(window, [&] { window.sb_Layout->click(); });
    ASSERT_EQ(viewer.ViewReportFile(report.c_str(), 0), 0) << viewer.Error();

    for (const bool landscape : {false, true}) {
        const std::string before = NewestJob();
        ASSERT_EQ(viewer.PrintReportFile(report.c_str(), landscape ? 1 : 0), 0) << viewer.Error();
        EXPECT_FALSE(window.isVisible());
        const std::string job = NewestJob();
        ASSERT_NE(job, before) << "no job reached the queue";
        const auto pdf = WaitForCupsPdf(job);
        ASSERT_TRUE(pdf) << job;
        const PdfFacts facts = ReadPdf(*pdf);
        EXPECT_EQ(facts.pages, 3);
        // cups-pdf lays the job's media in portrait: landscape shows as text running down.
        EXPECT_EQ(facts.pageSize, "595 x 842 pts (A4)");
        if (landscape)
            EXPECT_GT(VerticalWords(*pdf), 0);
        else
            EXPECT_EQ(VerticalWords(*pdf), 0);
        const std::string text = PdfText(*pdf);
        for (const char* page : {"Page 1", "Page 2", "Page 3"})
            EXPECT_NE(text.find(page), std::string::npos) << page;
    }
    EXPECT_EQ(window.QRPreview->Document(), nullptr);
    viewer.DestroyObject();
}

// The example host in C, as a user runs it.
CommandResult RunHost(const std::string& arguments) {
    return Run("{ " + Quoted((BinaryDir() / "examples/host/qrpview-host").string()) + " --library " +
               Quoted(QRP_VIEWER_LIBRARY) + " " + arguments + " 2>&1; }");
}

// A program run as on a machine without a display or a session's runtime folder, its
// stderr with its stdout (a sanitizer build's leak check keeps its summary to itself).
CommandResult RunWithoutDisplay(const std::string& command) {
    return Run(
        "{ LSAN_OPTIONS=\"$LSAN_OPTIONS:print_suppressions=0\" env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "
        "-u XDG_RUNTIME_DIR " +
        command + " 2>&1; }");
}

TEST_F(HostLibrary, WithoutADisplayTheProgramsPrintAndSayOnlyTheirOwnWords) {
    const std::string host = Quoted((BinaryDir() / "examples/host/qrpview-host").string()) + " --library " +
                             Quoted(QRP_VIEWER_LIBRARY) + " ";
    const CommandResult view = RunWithoutDisplay(host + Quoted(report.string()));
    EXPECT_EQ(view.status, 1);
    EXPECT_EQ(view.out,
              "qrpview-host: There is no display to show the report on (DISPLAY and WAYLAND_DISPLAY are not set); "
              "it can be printed\n");
    const CommandResult program =
        RunWithoutDisplay(Quoted((BinaryDir() / "src/app/qrpview").string()) + " " + Quoted(report.string()));
    EXPECT_EQ(program.status, 1);
    EXPECT_EQ(program.out,
              "qrpview: there is no display to show the window on (DISPLAY and WAYLAND_DISPLAY are not set)\n");
    const std::string pdf = (scratch / "bare.pdf").string();
    const CommandResult tool = RunWithoutDisplay(Quoted((BinaryDir() / "tools/qrptool/qrptool").string()) + " print " +
                                                 Quoted(report.string()) + " --pdf " + Quoted(pdf));
    EXPECT_EQ(tool.status, 0);
    EXPECT_EQ(tool.out, pdf + "\n");

    if (!CupsPdfQueueReady())
        GTEST_SKIP() << "no CUPS queue named PDF (scripts/start-cups.sh starts one)";
    const std::string before = NewestJob();
    const CommandResult printed = RunWithoutDisplay(host + "--print " + Quoted(report.string()));
    EXPECT_EQ(printed.status, 0);
    EXPECT_EQ(printed.out, "");
    EXPECT_NE(NewestJob(), before);
}

TEST_F(HostLibrary, TheExampleHostPrintsAndReportsErrors) {
    const CommandResult missing = RunHost(Quoted((scratch / "missing.qrp").string()));
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.out.find("qrpview-host: Cannot open file"), std::string::npos) << missing.out;
    EXPECT_EQ(RunHost("--bogus x.qrp").status, 2);

    if (!CupsPdfQueueReady())
        GTEST_SKIP() << "no CUPS queue named PDF (scripts/start-cups.sh starts one)";
    const std::string before = NewestJob();
    const CommandResult printed = RunHost("--print " + Quoted(report.string()));
    EXPECT_EQ(printed.status, 0) << printed.out;
    const std::string job = NewestJob();
    ASSERT_NE(job, before);
    const auto pdf = WaitForCupsPdf(job);
    ASSERT_TRUE(pdf) << job;
    EXPECT_EQ(ReadPdf(*pdf).pages, 3);
}

}  // namespace
}  // namespace qrp::test
