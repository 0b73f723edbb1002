// The window itself: its toolbar, Init, the show and activation handlers, zoom and page
// spin edits, the page-available event, and the modal showing.
#include "app/viewer_window.h"

#include <cmath>

#include <QButtonGroup>
#include <QFontInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>

#include <gtest/gtest.h>

#include "app/application_printer.h"
#include "app/spin_edit.h"
#include "base/byte_order.h"
#include "preview/preview.h"
#include "report/qrp_format.h"
#include "viewer_fixture.h"

namespace qrp::test {
namespace {

using preview::zmFitPage;
using preview::zmFitWidth;
using preview::zmFree;

TEST_F(ViewerTest, ToolbarHasItsControlsAtTheirPlacesWithTheirHints) {
    auto& w = MakeWindow();
    EXPECT_EQ(w.size(), QSize(762, 612));
    struct Expected {
        QWidget* control;
        int left, width, height;
        const char* tip;
    };
    const Expected controls[] = {
        {w.sePage, 37, 41, 24, "跳頁"},
        {w.sbFirstPage, 88, 24, 23, "Go to the first page"},
        {w.sbPreviousPage, 112, 25, 23, "Go to the previous page"},
        {w.sbNextPage, 137, 26, 23, "Go to the next page"},
        {w.sbLastPage, 163, 25, 23, "Go to the last page"},
        {w.Label3, 195, 40, 17, "Zoom to the specified percentage"},
        {w.seZoom, 234, 45, 24, "Zoom to the specified percentage"},
        {w.ZoomToFit, 291, 26, 23, "Zoom to fit"},
        {w.ZoomTo100, 317, 24, 23, "Zoom to 100%"},
        {w.ZoomToWidth, 344, 25, 23, "Zoom to page width"},
        {w.sb_Layout, 371, 25, 23, "Landscape or Portrait"},
        {w.PrintSetup, 397, 26, 23, "Printer setup"},
        {w.Print, 424, 25, 23, "Print"},
        {w.Load, 451, 26, 23, ""},
        {w.Save, 478, 26, 23, ""},
        {w.BitBtnExit, 519, 57, 23, "Exit the report preview"},
    };
    for (const Expected& e : controls) {
        SCOPED_TRACE(e.tip);
        EXPECT_EQ(e.control->parentWidget(), w.Panel1);
        EXPECT_EQ(e.control->x(), e.left);
        EXPECT_EQ(e.control->width(), e.width);
        EXPECT_EQ(e.control->height(), e.height);
        EXPECT_EQ(e.control->toolTip(), QString::fromUtf8(e.tip));
    }
    EXPECT_EQ(w.Panel1->height(), 25);
    EXPECT_EQ(w.Label1->text(), "頁:");
    EXPECT_EQ(w.Label3->text(), "縮放:");
    EXPECT_EQ(w.Label2->text(), "Ver. 70");
    EXPECT_EQ(w.BitBtnExit->text(), "E&xit");
    EXPECT_TRUE(w.Label2->font().bold());
    EXPECT_EQ(w.Label2->palette().color(w.Label2->foregroundRole()), QColor(Qt::red));  // the colour it draws in
    // Every toolbar button shows its icon from the compiled-in resources.
    for (QToolButton* b : {w.sbFirstPage, w.sbPreviousPage, w.sbNextPage, w.sbLastPage, w.ZoomToFit, w.ZoomTo100,
                           w.ZoomToWidth, w.sb_Layout, w.PrintSetup, w.Print, w.Load, w.Save})
        EXPECT_FALSE(b->icon().pixmap(b->iconSize()).isNull()) << b->toolTip().toStdString();
    EXPECT_FALSE(w.BitBtnExit->icon().pixmap(QSize(20, 20), QIcon::Disabled).isNull());
    EXPECT_EQ(w.sbFirstPage->focusPolicy(), Qt::NoFocus);
    EXPECT_TRUE(w.ZoomTo100->isChecked());
    EXPECT_TRUE(w.ZoomGroup->exclusive());
}

// The next widget the Tab key reaches from `from`.
QWidget* NextTabStop(QWidget* from) {
    for (QWidget* w = from->nextInFocusChain(); w != from; w = w->nextInFocusChain())
        if ((w->focusPolicy() & Qt::TabFocus) && w->isVisible() && w->isEnabled() && !w->focusProxy())
            return w;
    return from;
}

TEST_F(ViewerTest, TabGoesFromThePageToTheZoomToExitAndThenToThePreview) {
    auto& w = ShowWindow();
    EXPECT_EQ(NextTabStop(&w.sePage->Editor()), &w.seZoom->Editor());
    EXPECT_EQ(NextTabStop(&w.seZoom->Editor()), w.BitBtnExit);
    EXPECT_EQ(NextTabStop(w.BitBtnExit), w.QRPreview);
}

TEST_F(ViewerTest, ChineseFacesResolveThroughTheProjectFontConfiguration) {
    auto& w = MakeWindow();
    EXPECT_EQ(QFontInfo(w.Label1->font()).family(), "AR PL UMing TW");
    EXPECT_EQ(QFontInfo(w.sePage->font()).family(), "AR PL UMing TW");
    EXPECT_EQ(QFontInfo(w.Label2->font()).family(), "AR PL UKai TW");
    EXPECT_EQ(QFontInfo(w.font()).family(), "Liberation Sans");
}

TEST_F(ViewerTest, ShowingMakesAnEmptyDocumentAndInitLeavesThePageSpinEditAtZero) {
    auto& w = ShowWindow();
    ASSERT_NE(w.ViewerDocument(), nullptr);
    EXPECT_EQ(w.QRPreview->Document(), w.ViewerDocument());
    EXPECT_EQ(w.sePage->Text(), "0");
    EXPECT_EQ(w.sePage->MinValue(), 1);
    EXPECT_EQ(w.sePage->MaxValue(), 0);
    EXPECT_TRUE(w.ZoomToFit->isChecked());
    EXPECT_EQ(w.seZoom->Text(), QString::number(w.QRPreview->Zoom()));
    EXPECT_TRUE(w.isMaximized());
}

TEST_F(ViewerTest, AOnePageReportLetsTheSpinEditShowTwoWhileThePreviewStaysOnPageOne) {
    auto& w = ShowWindow(WriteReport("one.qrp", 1));
    EXPECT_EQ(w.sePage->Text(), "1");
    w.sePage->UpButton().click();
    EXPECT_EQ(w.sePage->Text(), "2");
    EXPECT_EQ(w.QRPreview->PageNumber(), 1);
    w.sbNextPage->click();
    EXPECT_EQ(w.sePage->Text(), "2");
    EXPECT_EQ(w.QRPreview->PageNumber(), 1);
}

TEST_F(ViewerTest, NavigationStopsAtTheFirstAndLastPage) {
    auto& w = ShowWindow(WriteReport("three.qrp", 3));
    w.sbPreviousPage->click();
    EXPECT_EQ(w.sePage->Text(), "1");
    w.sbNextPage->click();
    EXPECT_EQ(w.QRPreview->PageNumber(), 2);
    w.sbLastPage->click();
    EXPECT_EQ(w.sePage->Text(), "3");
    EXPECT_EQ(w.QRPreview->PageNumber(), 3);
    w.sbNextPage->click();
    EXPECT_EQ(w.sePage->Text(), "3");
    EXPECT_EQ(w.QRPreview->PageNumber(), 3);
    w.sbFirstPage->click();
    EXPECT_EQ(w.QRPreview->PageNumber(), 1);
    Type(*w.sePage, QStringLiteral("\b2"));
    EXPECT_EQ(w.QRPreview->PageNumber(), 2);
    EXPECT_TRUE(m_dialogs->Messages.empty());
}

TEST_F(ViewerTest, TypedZoomsReachThePreviewAtOnceAndLeavingTheFieldClampsThem) {
    auto& w = ShowWindow(WriteReport("zoom.qrp", 2));
    w.seZoom->Editor().clear();
    Type(*w.seZoom, QStringLiteral("5"));
    EXPECT_EQ(w.QRPreview->Zoom(), 5);
    LeaveField(*w.seZoom);
    EXPECT_EQ(w.seZoom->Text(), "10");
    EXPECT_EQ(w.QRPreview->Zoom(), 10);

    w.seZoom->Editor().clear();  // empty reads as 10: the preview stays
    Type(*w.seZoom, QStringLiteral("5000"));
    EXPECT_EQ(w.QRPreview->Zoom(), 500);  // 5000 is out of the preview's range
    LeaveField(*w.seZoom);
    EXPECT_EQ(w.seZoom->Text(), "300");
    EXPECT_EQ(w.QRPreview->Zoom(), 300);
    EXPECT_EQ(w.QRPreview->ZoomMode(), zmFree);
    EXPECT_TRUE(w.ZoomToFit->isChecked());  // typing leaves the buttons alone
}

TEST_F(ViewerTest, ZoomButtonsAreOneExclusiveGroupAndAButtonAlreadyDownRunsAgain) {
    auto& w = ShowWindow(WriteReport("modes.qrp", 2));
    w.ZoomTo100->click();
    EXPECT_EQ(w.QRPreview->Zoom(), 100);
    EXPECT_EQ(w.seZoom->Text(), "100");
    EXPECT_TRUE(w.ZoomTo100->isChecked());
    EXPECT_FALSE(w.ZoomToFit->isChecked());

    w.ZoomToWidth->click();
    // 90 per cent of the preview's width; the new text of seZoom then frees the zoom mode.
    const double pageWidth = Document().DevWidth(Document().OrientedPaperWidth());
    const auto widthZoom = static_cast<std::int32_t>(std::nearbyint(w.QRPreview->width() / pageWidth * 90));
    EXPECT_EQ(w.QRPreview->Zoom(), widthZoom);
    EXPECT_EQ(w.QRPreview->ZoomMode(), zmFree);
    EXPECT_EQ(w.seZoom->Text(), QString::number(widthZoom));
    EXPECT_FALSE(w.ZoomTo100->isChecked());

    w.seZoom->SetValue(50);
    EXPECT_EQ(w.QRPreview->Zoom(), 50);
    w.ZoomToWidth->click();
    EXPECT_TRUE(w.ZoomToWidth->isChecked());
    EXPECT_EQ(w.QRPreview->Zoom(), widthZoom);

    w.ZoomToFit->click();
    EXPECT_TRUE(w.ZoomToFit->isChecked());
    EXPECT_EQ(w.ZoomGroup->checkedButton(), w.ZoomToFit);
}

TEST_F(ViewerTest, AfterInitTheZoomIsFreeSoResizingKeepsItAndOnlyCentresThePage) {
    auto& w = ShowWindow(WriteReport("resize.qrp", 1));
    w.setWindowState(Qt::WindowNoState);
    w.resize(762, 612);
    ProcessEvents();
    w.ZoomTo100->click();
    w.ZoomToFit->click();
    ASSERT_EQ(w.QRPreview->ZoomMode(), zmFree);  // the fitted zoom went through seZoom
    const std::int32_t zoom = w.QRPreview->Zoom();
    w.resize(1000, 700);
    ProcessEvents();
    EXPECT_EQ(w.QRPreview->Zoom(), zoom);
    const QWidget& sheet = w.QRPreview->PageImage();
    EXPECT_EQ(sheet.x(), (w.QRPreview->width() - sheet.width()) / 2);
}

TEST_F(ViewerTest, FittingOutsideTheSpinEditsRangeAssignsTheClampedZoomUnlessTheTextStays) {
    auto& w = ShowWindow(WriteReport("small.qrp", 1));
    w.setWindowState(Qt::WindowNoState);
    w.resize(300, 100);
    ProcessEvents();
    const double pageHeight = Document().DevHeight(Document().OrientedPaperLength());
    const auto fit = static_cast<std::int32_t>(std::nearbyint(w.QRPreview->height() / pageHeight * 95));
    ASSERT_LT(fit, 10);
    ASSERT_GE(fit, 2);
    w.ZoomTo100->click();
    w.ZoomToFit->click();  // the fit is clamped by seZoom, whose change hands 10 on
    EXPECT_EQ(w.seZoom->Text(), "10");
    EXPECT_EQ(w.QRPreview->Zoom(), 10);
    w.ZoomToFit->click();  // "10" again: no change event, the preview keeps the fit
    EXPECT_EQ(w.seZoom->Text(), "10");
    EXPECT_EQ(w.QRPreview->Zoom(), fit);
    EXPECT_EQ(w.QRPreview->ZoomMode(), zmFitPage);
}

TEST_F(ViewerTest, ADamagedPageIsReportedOncePerClick) {
    const std::string path = WriteReport("damaged.qrp", 3);
    std::vector<std::uint8_t> bytes = ReadFileBytes(path);
    const std::int32_t page2 = LoadI32(&bytes[kHeaderSize + 4]);
    StoreI32(&bytes[page2 + kRecordHeadSize], -1);  // no EMF record type
    WriteFileBytes(path, bytes);
    auto& w = ShowWindow(path);
    ASSERT_TRUE(m_dialogs->Messages.empty());
    w.sbNextPage->click();
    ASSERT_EQ(m_dialogs->Messages.size(), 1u);
    EXPECT_EQ(m_dialogs->Messages[0], "Metafile is not valid");
    w.sbPreviousPage->click();
    w.sbNextPage->click();
    EXPECT_EQ(m_dialogs->Messages.size(), 2u);
    EXPECT_EQ(w.QRPreview->PageNumber(), 1);
}

TEST_F(ViewerTest, CaptionNamesTheFileAndCountsItsPages) {
    const std::string one = WriteReport("one.qrp", 1);
    auto& w = ShowWindow(one);
    EXPECT_EQ(w.windowTitle(), QString::fromStdString(one) + " - 1 page");
    const std::string three = WriteReport("three.qrp", 3);
    m_dialogs->FileAnswers.push_back(app::FileChoice{three, 1});
    w.Load->click();
    EXPECT_EQ(w.windowTitle(), QString::fromStdString(three) + " - 3 pages");
}

TEST_F(ViewerTest, PageAvailableResetsThePageSpinEditAndCaptionsWithTheStatus) {
    const std::string path = WriteReport("avail.qrp", 3);
    auto& w = ShowWindow(path);
    w.sbLastPage->click();
    // Announcing a page the document does not hold (yet): the spin edit may go up to it.
    Document().SetPagesReady(5);
    ProcessEvents();
    EXPECT_EQ(w.sePage->Text(), "1");
    EXPECT_EQ(w.sePage->MaxValue(), 5);
    EXPECT_EQ(w.windowTitle(), QString::fromStdString(path) + " - 5 pages FINISHED");
    EXPECT_EQ(w.QRPreview->PageNumber(), 1);
    w.sePage->SetValue(5);  // beyond PageTotal: the preview ignores it
    EXPECT_EQ(w.QRPreview->PageNumber(), 1);

    w.QRPreviewPageAvailable(*w.QRPreview, 1);
    EXPECT_EQ(w.windowTitle(), QString::fromStdString(path) + " - 1 page FINISHED");
}

TEST_F(ViewerTest, ClosingFreesTheDocumentAndHidesTheWindowForAnotherShowing) {
    auto& w = ShowWindow(WriteReport("close.qrp", 2));
    w.BitBtnExit->click();
    EXPECT_FALSE(w.isVisible());
    EXPECT_EQ(w.ViewerDocument(), nullptr);
    EXPECT_EQ(w.QRPreview->Document(), nullptr);
    w.show();
    ProcessEvents();
    ASSERT_NE(w.ViewerDocument(), nullptr);
    EXPECT_EQ(m_documentPrinters.size(), 2u);  // a new document for the new showing
}

TEST_F(ViewerTest, ActivationLoadsTheCommandLineFileOnlyOncePerShowing) {
    const std::string first = WriteReport("first.qrp", 2);
    const std::string second = WriteReport("second.qrp", 4);
    auto& w = ShowWindow(first);
    EXPECT_EQ(Document().PageTotal(), 2);
    m_dialogs->FileAnswers.push_back(app::FileChoice{second, 1});
    w.Load->click();
    // A message box closing, or another window giving the focus back, activates the window
    // again; the report the user opened stays.
    w.FormActivate();
    EXPECT_EQ(Document().PageTotal(), 4);
    EXPECT_EQ(w.windowTitle(), QString::fromStdString(second) + " - 4 pages");
}

TEST_F(ViewerTest, ACommandLineFileThatCannotBeLoadedIsReportedAndTheWindowCarriesOn) {
    auto& w = ShowWindow((m_scratch / "missing.qrp").string());
    ASSERT_EQ(m_dialogs->Messages.size(), 1u);
    EXPECT_NE(m_dialogs->Messages[0].find("missing.qrp"), std::string::npos);
    EXPECT_TRUE(w.isVisible());
    EXPECT_EQ(Document().PageTotal(), 0);
}

TEST_F(ViewerTest, ShowModalPresentsTheCallersDocumentInItsOrientationAndReturnsOnClose) {
    const std::string commandLine = WriteReport("cmdline.qrp", 2);
    const std::string path = WriteReport("hosted.qrp", 3);
    auto& w = MakeWindow(commandLine);
    TQRPrinter document(std::make_unique<FakePrinter>());
    document.Load(path);
    document.Title = path;
    bool sawIt = false;
    QTimer::singleShot(0, &w, [&] {
        sawIt = w.isVisible() && w.isModal() && w.QRPreview->Document() == &document && w.ViewerDocument() == &document;
        w.close();
    });
    w.ShowModal(document, poLandscape);
    EXPECT_TRUE(sawIt);
    EXPECT_EQ(document.Orientation(), poLandscape);
    EXPECT_EQ(document.PageTotal(), 3);  // the command-line file was not loaded into it
    EXPECT_FALSE(w.isVisible());
    EXPECT_EQ(w.QRPreview->Document(), nullptr);
    EXPECT_EQ(w.ViewerDocument(), nullptr);
    EXPECT_TRUE(m_documentPrinters.empty());  // no document of its own
    EXPECT_TRUE(m_dialogs->Messages.empty());
}

}  // namespace
}  // namespace qrp::test
