// The window's commands: Load, Save (report file, export formats, PDF), Print, printer
// setup and orientation, and the keyboard, wheel and drop additions.
#include <algorithm>
#include <fstream>

#include <QApplication>
#include <QMimeData>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QUrl>
#include <QWheelEvent>

#include <gtest/gtest.h>

#include "app/application_printer.h"
#include "app/spin_edit.h"
#include "preview/preview.h"
#include "print/print_checks.h"
#include "report/host_hooks.h"
#include "text_report.h"
#include "viewer_fixture.h"

namespace qrp::test {
namespace {

std::string Head(const std::filesystem::path& path, std::size_t bytes) {
    std::ifstream in(path, std::ios::binary);
    std::string head(bytes, '\0');
    in.read(head.data(), static_cast<std::streamsize>(bytes));
    head.resize(static_cast<std::size_t>(in.gcount()));
    return head;
}

// The pages the fake printer drew, by the tag in each page's bounds.
int PagesDrawn(const FakePrinter& printer) {
    int drawn = 0;
    for (const std::string& line : printer.Log)
        drawn += line.rfind("StretchDraw", 0) == 0;
    return drawn;
}

TEST_F(ViewerTest, LoadingAFileThatDoesNotExistSaysSoAndKeepsTheReport) {
    const std::string path = WriteReport("kept.qrp", 2);
    auto& w = ShowWindow(path);
    const QString caption = w.windowTitle();
    const std::string missing = (m_scratch / "gone.qrp").string();
    m_dialogs->FileAnswers.push_back(app::FileChoice{missing, 1});
    w.Load->click();
    ASSERT_EQ(m_dialogs->FileFilters.back(), "Report files (*.qrp)|*.qrp");
    ASSERT_EQ(m_dialogs->Messages, std::vector<std::string>{"載入檔案錯誤!" + missing});
    EXPECT_EQ(w.windowTitle(), caption);
    EXPECT_EQ(Document().PageTotal(), 2);
}

TEST_F(ViewerTest, ADamagedReportEndsTheLoadInAMessageBox) {
    auto& w = ShowWindow();
    const std::filesystem::path damaged = m_scratch / "damaged.qrp";
    WriteFileBytes(damaged, std::vector<std::uint8_t>(40, 0x5A));
    m_dialogs->FileAnswers.push_back(app::FileChoice{damaged.string(), 1});
    w.Load->click();
    ASSERT_EQ(m_dialogs->Messages.size(), 1u);
    EXPECT_FALSE(m_dialogs->Messages[0].empty());
    EXPECT_EQ(Document().Status(), dsReady);
    EXPECT_TRUE(w.isVisible());
}

TEST_F(ViewerTest, SavingAsAReportFileLooksOnlyAtTheFileNameForAnExtension) {
    auto& w = ShowWindow(WriteReport("source.qrp", 2));
    std::filesystem::create_directory(m_scratch / "a.b");
    const std::filesystem::path bare = m_scratch / "a.b" / "report";
    const std::filesystem::path named = m_scratch / "a.b" / "copy.dat";
    m_dialogs->FileAnswers.push_back(app::FileChoice{bare.string(), 1});
    m_dialogs->FileAnswers.push_back(app::FileChoice{named.string(), 1});
    w.Save->click();
    w.Save->click();
    EXPECT_TRUE(std::filesystem::exists(bare.string() + ".qrp"));
    EXPECT_FALSE(std::filesystem::exists(bare));
    EXPECT_TRUE(std::filesystem::exists(named));
    EXPECT_EQ(ReadFileBytes(named), ReadFileBytes(m_scratch / "source.qrp"));
    EXPECT_TRUE(m_dialogs->Messages.empty());
}

TEST_F(ViewerTest, SaveOffersTheLibrarysFormatsThenPdfAndEachIndexWritesItsFormat) {
    const std::string report = WriteReport("formats.qrp", 2);
    test::WriteReportStamp(report, 43528.5);  // 2019-03-04 12:00
    auto& w = ShowWindow(report);
    const std::string library = exporter::FilterLibrary().BuildSaveFilter();
    const auto out = [this](const char* name) { return (m_scratch / name).string(); };
    m_dialogs->FileAnswers = {app::FileChoice{out("t.txt"), 2}, app::FileChoice{out("c.csv"), 3},
                              app::FileChoice{out("h.htm"), 4}, app::FileChoice{out("x.xlsx"), 5},
                              app::FileChoice{out("doc"), 6}};
    for (int i = 0; i < 5; ++i)
        w.Save->click();
    EXPECT_EQ(m_dialogs->FileFilters.front(), library + "|PDF document (*.PDF)|*.PDF");
    EXPECT_TRUE(library.ends_with("|HTML document (*.HTM)|*.HTM|Excel workbook (*.xlsx)|*.xlsx")) << library;
    EXPECT_EQ(Head(out("x.xlsx"), 2), "PK");  // a zip container
    EXPECT_TRUE(m_dialogs->Messages.empty()) << m_dialogs->Messages.front();
    // Blank pages have no text: the export files exist and stay short.
    EXPECT_TRUE(std::filesystem::exists(out("t.txt")));
    EXPECT_TRUE(std::filesystem::exists(out("c.csv")));
    EXPECT_TRUE(std::filesystem::exists(out("h.htm")));
    EXPECT_EQ(Head(out("doc.pdf"), 5), "%PDF-");
    // Named and dated after the report, not after the save.
    const std::string info = test::PdfInfo(out("doc.pdf"));
    EXPECT_NE(info.find("Title:           formats.qrp\n"), std::string::npos) << info;
    EXPECT_NE(info.find("CreationDate:    2019-03-04T12:00:00"), std::string::npos) << info;
}

// The screen's pixels per inch play no part in an export or in the paper: on a 120 dpi
// screen the viewer writes what qrptool export writes (the goldens both are held to).
TEST_F(ViewerTest, ExportAndPaperAreTheSameOnEveryScreen) {
    const std::filesystem::path report = m_scratch / "sales.qrp";
    test::WriteReport(report, test::SalesReportPages());
    SetScreenPixelsPerInch(120);
    auto& w = ShowWindow(report.string());
    EXPECT_EQ(Document().PaperSize(), TQRPaperSize::A4);
    m_dialogs->FileAnswers = {app::FileChoice{(m_scratch / "t.txt").string(), 2},
                              app::FileChoice{(m_scratch / "h.htm").string(), 4}};
    w.Save->click();
    w.Save->click();
    const auto text = [](const std::filesystem::path& path) {
        const auto bytes = ReadFileBytes(path);
        return std::string(bytes.begin(), bytes.end());
    };
    const std::filesystem::path golden = DataDir() / "golden" / "export";
    EXPECT_EQ(CompareGolden(golden / "sales_report.txt", text(m_scratch / "t.txt")), "");
    EXPECT_EQ(CompareGolden(golden / "sales_report.htm", text(m_scratch / "h.htm")), "");
}

TEST_F(ViewerTest, ACancelledExportLeavesNoFileBehind) {
    auto& w = ShowWindow(WriteReport("cancel.qrp", 4));
    m_dialogs->CancelAtProgress = 2;
    m_dialogs->FileAnswers.push_back(app::FileChoice{(m_scratch / "t.txt").string(), 2});
    w.Save->click();
    EXPECT_EQ(m_dialogs->ProgressLabels, std::vector<std::string>{"Exporting..."});
    EXPECT_FALSE(std::filesystem::exists(m_scratch / "t.txt"));
    EXPECT_TRUE(Document().CancelRequested());
    // A file the cancelled export was to replace stays as it was.
    const std::filesystem::path old = m_scratch / "old.xlsx";
    WriteFileBytes(old, {'o', 'l', 'd'});
    m_dialogs->FileAnswers.push_back(app::FileChoice{old.string(), 5});
    w.Save->click();
    EXPECT_EQ(ReadFileBytes(old), (std::vector<std::uint8_t>{'o', 'l', 'd'}));
}

// Cancelled once the output is begun: nothing is put in place, and an old file reached
// through a link keeps its bytes, and the link stays.
TEST_F(ViewerTest, ACancelledExportKeepsTheOldFileAndItsLink) {
    auto& w = ShowWindow(WriteReport("cancel.qrp", 4));
    test::WriteFileBytes(m_scratch / "real.txt", {'o', 'l', 'd'});
    std::filesystem::create_symlink("real.txt", m_scratch / "link.txt");
    m_dialogs->CancelAtProgress = 6;  // on the second pass over the pages, the one that writes
    m_dialogs->FileAnswers.push_back(app::FileChoice{(m_scratch / "link.txt").string(), 2});
    w.Save->click();
    EXPECT_TRUE(Document().CancelRequested());
    EXPECT_TRUE(std::filesystem::is_symlink(m_scratch / "link.txt"));
    EXPECT_EQ(ReadFileBytes(m_scratch / "real.txt"), (std::vector<std::uint8_t>{'o', 'l', 'd'}));
}

TEST_F(ViewerTest, NoFormatIsSavedOntoTheReportBeingShown) {
    const std::string shown = WriteReport("shown.qrp", 3);
    const auto before = ReadFileBytes(shown);
    auto& w = ShowWindow(shown);
    for (int format = 1; format <= 6; ++format)
        m_dialogs->FileAnswers.push_back(app::FileChoice{shown, format});
    for (int format = 1; format <= 6; ++format)
        w.Save->click();
    ASSERT_EQ(m_dialogs->Messages.size(), 6u);
    for (const std::string& message : m_dialogs->Messages)
        EXPECT_NE(message.find("is the report being shown"), std::string::npos) << message;
    EXPECT_EQ(ReadFileBytes(shown), before);
}

TEST_F(ViewerTest, AReportRewrittenWhileShownIsOfferedForAReload) {
    const std::string shown = WriteReport("shown.qrp", 3);
    const auto longer = ReadFileBytes(WriteReport("longer.qrp", 5));
    auto& w = ShowWindow(shown);
    WriteFileBytes(shown, longer);  // in place, as another program rewrites it
    m_dialogs->ConfirmAnswers = {false, true};
    w.sbNextPage->click();
    ASSERT_EQ(m_dialogs->Questions.size(), 1u) << "asked once for one click";
    EXPECT_NE(m_dialogs->Questions[0].find("has been changed by another program"), std::string::npos);
    EXPECT_EQ(Document().PageTotal(), 3) << "declined: the report shown stays";
    w.sbLastPage->click();
    ASSERT_EQ(m_dialogs->Questions.size(), 2u);
    EXPECT_EQ(Document().PageTotal(), 5);
    EXPECT_TRUE(m_dialogs->Messages.empty());
}

TEST_F(ViewerTest, AReportRewrittenDuringAPrintIsOnlyReportedUntilThePrintHasEnded) {
    const std::string shown = WriteReport("printing.qrp", 4);
    const auto longer = ReadFileBytes(WriteReport("longer.qrp", 6));
    auto& w = ShowWindow(shown);
    const TQRPrinter* printing = &Document();
    m_dialogs->PrintAnswers.push_back([](app::TPrintDialog&, PrinterObject&) { return true; });
    std::size_t questionsDuringThePrint = 0;
    m_dialogs->OnProgressStep = [&](const std::string& label) {
        if (label != "Printing page 2 of 4")
            return;
        WriteFileBytes(shown, longer);
        w.sbNextPage->click();  // the page turn meets the rewritten file
        questionsDuringThePrint = m_dialogs->Questions.size();
    };
    w.Print->click();
    EXPECT_EQ(questionsDuringThePrint, 0u) << "no reload may free the document being printed";
    ASSERT_FALSE(m_dialogs->Messages.empty());
    EXPECT_NE(m_dialogs->Messages[0].find("has been changed by another program"), std::string::npos);
    EXPECT_EQ(&Document(), printing);
}

TEST_F(ViewerTest, PrintCopiesTheDialogsChoicesAndARangeDoesNotStickToTheNextPrint) {
    auto& w = ShowWindow(WriteReport("print.qrp", 6));
    app::SetPrinterCopies(*m_appPrinter, 2);
    m_dialogs->PrintAnswers.push_back([](app::TPrintDialog& d, PrinterObject&) {
        EXPECT_EQ(d.MaxPage, 6);
        EXPECT_EQ(d.ToPage, 6);
        d.PrintRange = app::prPageNums;
        d.FromPage = 3;
        d.ToPage = 5;
        return true;
    });
    m_dialogs->PrintAnswers.push_back([](app::TPrintDialog& d, PrinterObject&) {
        EXPECT_EQ(d.FromPage, 3);  // the dialog's values persist
        d.PrintRange = app::prAllPages;
        return true;
    });
    w.Print->click();
    EXPECT_EQ(PagesDrawn(DocumentPrinter()), 3);
    EXPECT_EQ(Document().Settings().Copies(), 2);
    DocumentPrinter().Log.clear();
    w.Print->click();
    EXPECT_EQ(PagesDrawn(DocumentPrinter()), 6);
    EXPECT_EQ(m_dialogs->ProgressLabels, (std::vector<std::string>{"Printing...", "Printing..."}));
    EXPECT_TRUE(m_dialogs->Messages.empty());
}

TEST_F(ViewerTest, TheDialogsPageListPrintsThosePagesAndTheProgressCountsThem) {
    auto& w = ShowWindow(WriteReport("list.qrp", 8));
    m_dialogs->PrintAnswers.push_back([](app::TPrintDialog& d, PrinterObject&) {
        d.PrintRange = app::prPageNums;
        d.Pages = {*ParsePageList("7,2-3"), TQRPageSet::All, true};
        return true;
    });
    w.Print->click();
    std::vector<std::string> drawn;
    for (const std::string& line : DocumentPrinter().Log)
        if (line.rfind("StretchDraw", 0) == 0)
            drawn.push_back(line.substr(0, line.find(" into")));
    EXPECT_EQ(drawn, (std::vector<std::string>{"StretchDraw page 3", "StretchDraw page 2", "StretchDraw page 7"}));
    EXPECT_EQ(m_dialogs->ProgressSteps,
              (std::vector<std::string>{"Printing page 1 of 3", "Printing page 2 of 3", "Printing page 3 of 3"}));
}

TEST_F(ViewerTest, PaperChosenInTheDialogIsFittedForThatJobAndTheReportKeepsItsOwn) {
    auto& w = ShowWindow(WriteReport("a4.qrp", 1));
    m_dialogs->PrintAnswers.push_back([](app::TPrintDialog& d, PrinterObject&) {
        EXPECT_TRUE(d.Paper.isEquivalentTo(QPageSize(QPageSize::A4))) << "opens on the report's paper";
        d.Paper = QPageSize(QPageSize::Letter);
        return true;
    });
    m_dialogs->PrintAnswers.push_back([](app::TPrintDialog& d, PrinterObject&) {
        EXPECT_TRUE(d.Paper.isEquivalentTo(QPageSize(QPageSize::A4)));
        return true;
    });
    w.Print->click();
    EXPECT_EQ(Document().PrintScale, TQRPrintScale::Fit);
    EXPECT_EQ(Document().SheetWidth(), 2100);
    w.Print->click();
    EXPECT_EQ(Document().PrintScale, TQRPrintScale::Stretch);
}

TEST_F(ViewerTest, AReportForLetterIsFittedOnA4PaperNotStretched) {
    auto& w = ShowWindow(WriteReport("letter.qrp", 1, 215.9, 279.4));
    m_dialogs->PrintAnswers.push_back([](app::TPrintDialog&, PrinterObject&) { return true; });
    w.Print->click();
    // The fake's A4 printable area is 4760 x 6776: Letter's proportions fill its width.
    std::string drawn;
    for (const std::string& line : DocumentPrinter().Log)
        if (line.rfind("StretchDraw", 0) == 0)
            drawn = line;
    EXPECT_EQ(drawn, "StretchDraw page 1 into (0,308)-(4759,6467)");
}

TEST_F(ViewerTest, CancelOnTheProgressDisplayStopsThePrint) {
    auto& w = ShowWindow(WriteReport("stop.qrp", 8));
    m_dialogs->CancelAtProgress = 2;
    m_dialogs->PrintAnswers.push_back([](app::TPrintDialog&, PrinterObject&) { return true; });
    w.Print->click();
    EXPECT_LT(PagesDrawn(DocumentPrinter()), 8);
    EXPECT_GT(PagesDrawn(DocumentPrinter()), 0);
}

TEST_F(ViewerTest, ExitWhilePrintingAsksAndClosesOnlyOnceTheJobHasEnded) {
    auto& w = ShowWindow(WriteReport("busy.qrp", 6));
    // The user clicks Exit while the pages print (the print lets pending events run).
    bool loadEnabled = true;
    const auto printAndExit = [&](app::TPrintDialog&, PrinterObject&) {
        QTimer::singleShot(0, &w, [&] {
            loadEnabled = w.Load->isEnabled();
            w.BitBtnExit->click();
        });
        return true;
    };
    m_dialogs->PrintAnswers = {printAndExit, printAndExit};
    m_dialogs->ConfirmAnswers = {false, true};

    w.Print->click();  // "No": the job goes on to its end
    EXPECT_EQ(m_dialogs->Questions.size(), 1u);
    EXPECT_FALSE(loadEnabled);
    EXPECT_EQ(PagesDrawn(DocumentPrinter()), 6);
    ProcessEvents();
    EXPECT_TRUE(w.isVisible());
    EXPECT_TRUE(w.Load->isEnabled());

    DocumentPrinter().Log.clear();
    w.Print->click();  // "Yes": the job is cancelled and the window closes after it
    EXPECT_EQ(m_dialogs->Questions.size(), 2u);
    EXPECT_LT(PagesDrawn(DocumentPrinter()), 6);
    const std::vector<std::string>& log = DocumentPrinter().Log;
    EXPECT_NE(std::find(log.begin(), log.end(), "AbortDoc"), log.end());
    ProcessEvents();
    EXPECT_FALSE(w.isVisible());
    EXPECT_EQ(w.ViewerDocument(), nullptr);
    EXPECT_TRUE(m_dialogs->Messages.empty());
}

TEST_F(ViewerTest, ACancelledPrintDialogPrintsNothing) {
    auto& w = ShowWindow(WriteReport("no.qrp", 2));
    m_dialogs->PrintAnswers.push_back([](app::TPrintDialog&, PrinterObject&) { return false; });
    w.Print->click();
    EXPECT_EQ(PagesDrawn(DocumentPrinter()), 0);
}

TEST_F(ViewerTest, PrintingWithoutAnyPrinterSaysSoAndOffersAPdf) {
    auto& w = ShowWindow(WriteReport("pdf.qrp", 2));
    UseApplicationPrinter(std::make_unique<FakePrinter>(std::vector<FakePrinterInfo>{}, -1));
    m_dialogs->ConfirmAnswers.push_back(true);
    m_dialogs->FileAnswers.push_back(app::FileChoice{(m_scratch / "out").string(), 1});
    w.Print->click();
    ASSERT_EQ(m_dialogs->Questions.size(), 1u);
    EXPECT_EQ(m_dialogs->Questions[0].rfind("No printer is installed.", 0), 0u);
    EXPECT_EQ(m_dialogs->FileFilters.back(), "PDF document (*.PDF)|*.PDF");
    EXPECT_EQ(Head(m_scratch / "out.pdf", 5), "%PDF-");

    m_dialogs->ConfirmAnswers.push_back(false);
    w.Print->click();
    EXPECT_EQ(m_dialogs->Questions.size(), 2u);
    EXPECT_TRUE(m_dialogs->Messages.empty());
}

TEST_F(ViewerTest, ThePrintersErrorsEndTheCommandInAMessageBox) {
    auto& w = ShowWindow(WriteReport("err.qrp", 2));
    FakePrinterInfo bare;
    bare.DefaultMode.reset();  // offers no device settings
    UseApplicationPrinter(std::make_unique<FakePrinter>(std::vector<FakePrinterInfo>{bare}, 0));
    m_dialogs->PrintAnswers.push_back([](app::TPrintDialog&, PrinterObject&) { return true; });
    w.Print->click();
    EXPECT_EQ(m_dialogs->Messages, std::vector<std::string>{"Operation not supported on selected printer"});
    EXPECT_EQ(PagesDrawn(DocumentPrinter()), 0);
}

TEST_F(ViewerTest, TurningThePageTwiceReturnsAndSetsTheApplicationPrinterBothTimes) {
    auto& w = ShowWindow(WriteReport("turn.qrp", 1));
    const TPrinterOrientation start = Document().Orientation();
    w.sb_Layout->click();
    EXPECT_NE(Document().Orientation(), start);
    EXPECT_EQ(m_appPrinter->Orientation(), Document().Orientation());
    const QSize turned = w.QRPreview->PageImage().size();
    EXPECT_GT(turned.width(), turned.height());
    EXPECT_EQ(w.seZoom->Text(), QString::number(w.QRPreview->Zoom()));
    w.sb_Layout->click();
    EXPECT_EQ(Document().Orientation(), start);
    EXPECT_EQ(m_appPrinter->Orientation(), start);
    const QSize back = w.QRPreview->PageImage().size();
    EXPECT_LT(back.width(), back.height());
    EXPECT_TRUE(m_dialogs->Messages.empty());
}

TEST_F(ViewerTest, TurningThePageWorksWithoutAnyPrinter) {
    auto& w = ShowWindow(WriteReport("turn.qrp", 1));
    UseApplicationPrinter(std::make_unique<FakePrinter>(std::vector<FakePrinterInfo>{}, -1));
    w.sb_Layout->click();
    EXPECT_TRUE(m_dialogs->Messages.empty());
    const QSize turned = w.QRPreview->PageImage().size();
    EXPECT_GT(turned.width(), turned.height());
}

TEST_F(ViewerTest, PrinterSetupShowsTheDialogOnTheApplicationPrinter) {
    auto& w = ShowWindow();
    w.PrintSetup->click();
    EXPECT_EQ(m_dialogs->PrinterSetups, 1);
}

TEST_F(ViewerTest, KeysWheelAndDropDriveTheSameCommands) {
    const std::string path = WriteReport("keys.qrp", 3);
    auto& w = ShowWindow(path);
    QTest::keyClick(&w, Qt::Key_PageDown);
    EXPECT_EQ(w.QRPreview->PageNumber(), 2);
    QTest::keyClick(&w, Qt::Key_End);
    EXPECT_EQ(w.QRPreview->PageNumber(), 3);
    QTest::keyClick(&w, Qt::Key_Home);
    EXPECT_EQ(w.QRPreview->PageNumber(), 1);

    QTest::keyClick(&w, Qt::Key_0, Qt::ControlModifier);
    EXPECT_EQ(w.QRPreview->Zoom(), 100);
    EXPECT_TRUE(w.ZoomTo100->isChecked());
    QTest::keyClick(&w, Qt::Key_Minus, Qt::ControlModifier);
    EXPECT_EQ(w.QRPreview->Zoom(), 90);

    QWidget* viewport = w.QRPreview->viewport();
    const QPointF at(10, 10);
    QWheelEvent wheel(at, viewport->mapToGlobal(at), QPoint(), QPoint(0, 120), Qt::NoButton, Qt::ControlModifier,
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(viewport, &wheel);
    EXPECT_EQ(w.QRPreview->Zoom(), 100);

    const std::string other = WriteReport("dropped.qrp", 2);
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(QString::fromStdString(other))});
    QDragEnterEvent enter(QPoint(50, 50), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&w, &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(50, 50), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&w, &drop);
    EXPECT_EQ(Document().PageTotal(), 2);
    EXPECT_EQ(w.windowTitle(), QString::fromStdString(other) + " - 2 pages");

    QTest::keyClick(&w, Qt::Key_Q, Qt::ControlModifier);
    EXPECT_FALSE(w.isVisible());
}

}  // namespace
}  // namespace qrp::test
