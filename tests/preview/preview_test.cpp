// Attaching documents, page numbers, zooms, fits and layout of the preview.
#include <stdexcept>

#include <QScrollBar>

#include "preview_fixture.h"
#include "report/host_hooks.h"

namespace qrp::test {
namespace {

using preview::TQRPreview;
using preview::zmFitPage;
using preview::zmFitWidth;
using preview::zmFree;

// Keeps the screen resolution a test sets from leaking into the next.
struct ScreenPixels {
    explicit ScreenPixels(int ppi) { SetScreenPixelsPerInch(ppi); }
    ~ScreenPixels() { SetScreenPixelsPerInch(kDefaultScreenPixelsPerInch); }
};

// --- creation and documents ------------------------------------------------------------

TEST_F(PreviewTest, StartsEmptyAtHundredPerCent) {
    TQRPreview fresh;
    EXPECT_EQ(fresh.size(), QSize(250, 250));
    EXPECT_EQ(fresh.Zoom(), 100);
    EXPECT_EQ(fresh.ZoomMode(), zmFree);
    EXPECT_EQ(fresh.PageNumber(), 1);
    EXPECT_EQ(fresh.Document(), nullptr);
    EXPECT_TRUE(fresh.horizontalScrollBar()->hasTracking());
    EXPECT_TRUE(fresh.verticalScrollBar()->hasTracking());
    EXPECT_EQ(fresh.PageImage().geometry(), QRect(0, 0, 100, 50));
    EXPECT_EQ(fresh.PageImage().PageNumber(), 1);
    EXPECT_FALSE(fresh.PageImage().HasPicture());
}

TEST_F(PreviewTest, AttachingLinksTheDocumentAndShowsPageOne) {
    auto document = Document();
    const QRect laidOut = preview->PageImage().geometry();
    preview->SetDocument(document.get());
    EXPECT_EQ(document->NotifyWindow, preview);
    EXPECT_TRUE(document->PreviewShown());
    EXPECT_EQ(preview->PageImage().Document(), document.get());
    EXPECT_TRUE(preview->PageImage().HasPicture());
    // Not resized by the attach: the next layout does that.
    EXPECT_EQ(preview->PageImage().geometry(), laidOut);

    preview->SetDocument(nullptr);
    EXPECT_EQ(document->NotifyWindow, nullptr);
    EXPECT_FALSE(document->PreviewShown());
    EXPECT_FALSE(preview->PageImage().HasPicture());
}

TEST_F(PreviewTest, ReattachingTheSameDocumentTogglesPreviewShownAndFetchesPageOneAgain) {
    auto document = Document();
    preview->SetDocument(document.get());
    int afterPreview = 0;
    document->AfterPreview = [&](TQRPrinter&) { ++afterPreview; };
    ResetFetches(*document);
    preview->SetDocument(document.get());
    EXPECT_EQ(afterPreview, 1);
    EXPECT_TRUE(document->PreviewShown());
    EXPECT_TRUE(Fetched(*document));
    EXPECT_EQ(preview->PageNumber(), 1);
}

TEST_F(PreviewTest, AnotherDocumentReplacesTheFirstOnPageOne) {
    auto first = Document(3);
    auto second = Document(2);
    preview->SetDocument(first.get());
    preview->SetPageNumber(3);
    preview->SetDocument(second.get());
    EXPECT_EQ(first->NotifyWindow, nullptr);
    EXPECT_FALSE(first->PreviewShown());
    EXPECT_EQ(preview->PageNumber(), 1);
    EXPECT_EQ(preview->PageImage().PageNumber(), 1);
    EXPECT_TRUE(preview->PageImage().HasPicture());
}

// Letting go of a document whose AfterPreview handler throws still takes on the new one,
// so the preview never keeps a document that would not tell it of its destruction.
TEST_F(PreviewTest, AThrowingAfterPreviewStillSwitchesDocuments) {
    auto first = Document();
    auto second = Document();
    preview->SetDocument(first.get());
    first->AfterPreview = [](TQRPrinter&) { throw std::runtime_error("handler failed"); };
    EXPECT_THROW(preview->SetDocument(second.get()), std::runtime_error);
    EXPECT_EQ(preview->Document(), second.get());
    EXPECT_EQ(first->NotifyWindow, nullptr);
    EXPECT_FALSE(first->PreviewShown());
    EXPECT_EQ(second->NotifyWindow, preview);
    first.reset();  // must not reach the preview any more
    EXPECT_EQ(preview->Document(), second.get());
}

TEST_F(PreviewTest, ADestroyedDocumentLeavesThePreview) {
    auto document = Document();
    preview->SetDocument(document.get());
    int afterPreview = 0;
    document->AfterPreview = [&](TQRPrinter&) { ++afterPreview; };
    document->SetPagesReady(2);  // a message still queued when the document goes
    document.reset();
    EXPECT_EQ(afterPreview, 1);
    EXPECT_EQ(preview->Document(), nullptr);
    EXPECT_EQ(preview->PageImage().Document(), nullptr);
    EXPECT_FALSE(preview->PageImage().HasPicture());
    RunPostedEvents();
    preview->FitToPage();
    preview->SetPageNumber(2);
    EXPECT_EQ(preview->PageNumber(), 1);
}

TEST_F(PreviewTest, DestroyingThePreviewDetachesItsDocument) {
    auto document = Document();
    preview->SetDocument(document.get());
    delete preview;
    EXPECT_EQ(document->NotifyWindow, nullptr);
    EXPECT_FALSE(document->PreviewShown());
}

// --- page numbers --------------------------------------------------------------------------

TEST_F(PreviewTest, PageNumbersOutsideTheDocumentAreIgnored) {
    auto document = Document(3);
    preview->SetDocument(document.get());
    ResetFetches(*document);
    for (int n : {0, -1, 4, 1000})
        preview->SetPageNumber(n);
    EXPECT_EQ(preview->PageNumber(), 1);
    EXPECT_FALSE(Fetched(*document));

    preview->SetPageNumber(3);
    EXPECT_EQ(preview->PageNumber(), 3);
    EXPECT_EQ(preview->PageImage().PageNumber(), 3);
    EXPECT_TRUE(Fetched(*document));
}

TEST_F(PreviewTest, PageNumbersWithoutADocumentAreIgnored) {
    preview->SetPageNumber(2);
    EXPECT_EQ(preview->PageNumber(), 1);
}

TEST_F(PreviewTest, ThePageShownIsNotLoadedAgainNorScrolled) {
    auto document = Document(3);
    Resize(400, 300);
    preview->SetDocument(document.get());
    preview->SetZoom(300);
    preview->horizontalScrollBar()->setValue(50);
    preview->verticalScrollBar()->setValue(60);
    ResetFetches(*document);
    preview->SetPageNumber(1);
    EXPECT_FALSE(Fetched(*document));
    EXPECT_EQ(preview->horizontalScrollBar()->value(), 50);
    EXPECT_EQ(preview->verticalScrollBar()->value(), 60);

    preview->SetPageNumber(2);
    EXPECT_EQ(preview->horizontalScrollBar()->value(), 0);
    EXPECT_EQ(preview->verticalScrollBar()->value(), 0);
}

// --- zoom and layout -------------------------------------------------------------------

TEST_F(PreviewTest, ZoomAcceptsTwoToTwoThousand) {
    preview->FitToPage();
    const int fitted = preview->Zoom();
    preview->SetZoom(1);
    preview->SetZoom(2001);
    EXPECT_EQ(preview->Zoom(), fitted);
    EXPECT_EQ(preview->ZoomMode(), zmFitPage);
    preview->SetZoom(2);
    EXPECT_EQ(preview->Zoom(), 2);
    EXPECT_EQ(preview->ZoomMode(), zmFree);
    preview->SetZoom(2000);
    EXPECT_EQ(preview->Zoom(), 2000);
}

TEST_F(PreviewTest, WithoutADocumentTheLetterSheetStandsIn) {
    Resize(250, 250);
    preview->LayoutPage();
    // 215.9 and 279.4 round to 216 and 279, plus 4 for the shadow.
    EXPECT_EQ(preview->PageImage().geometry(), QRect(15, 0, 220, 283));
}

TEST_F(PreviewTest, ASheetNarrowerThanThePreviewIsCentred) {
    const ScreenPixels screen(120);
    auto document = Document();
    preview->SetDocument(document.get());
    Resize(754, 600);
    preview->SetZoom(50);  // A4 at 120 dpi and 50 %: 496 pixels wide
    EXPECT_EQ(preview->PageImage().geometry(), QRect(127, 0, 500, 706));
    Resize(755, 1000);
    EXPECT_EQ(preview->PageImage().geometry(), QRect(127, 147, 500, 706));
}

TEST_F(PreviewTest, ALayoutScrollsBackToTheOrigin) {
    auto document = Document();
    preview->SetDocument(document.get());
    Resize(400, 300);
    preview->SetZoom(200);
    preview->horizontalScrollBar()->setValue(100);
    preview->verticalScrollBar()->setValue(100);
    preview->SetZoom(250);
    EXPECT_EQ(preview->horizontalScrollBar()->value(), 0);
    EXPECT_EQ(preview->verticalScrollBar()->value(), 0);
    EXPECT_EQ(preview->PageImage().pos(), QPoint(0, 0));
}

TEST_F(PreviewTest, FitToPageTakesTheSmallerOfBothFits) {
    auto document = Document();
    preview->SetDocument(document.get());
    Resize(1000, 800);
    preview->FitToPage();
    // A4 at 96 dpi is 794 x 1123 pixels: min(round(1000/794*95), round(800/1123*95)).
    EXPECT_EQ(preview->Zoom(), 68);
    EXPECT_EQ(preview->ZoomMode(), zmFitPage);

    preview->SetDocument(nullptr);
    preview->FitToPage();
    EXPECT_EQ(preview->Zoom(), 272);  // min(round(1000/215.9*95), round(800/279.4*95))
}

TEST_F(PreviewTest, FitToWidthUsesNinetyPerCentWithADocumentAndNinetyFiveWithout) {
    Resize(1000, 800);
    preview->FitToWidth();
    EXPECT_EQ(preview->Zoom(), 440);  // round(1000/215.9*95)
    EXPECT_EQ(preview->ZoomMode(), zmFitWidth);

    auto document = Document();
    preview->SetDocument(document.get());
    preview->FitToWidth();
    EXPECT_EQ(preview->Zoom(), 113);               // round(1000/794*90)
    EXPECT_EQ(preview->PageImage().width(), 901);  // 897 pixels of paper, about 90 %
}

TEST_F(PreviewTest, AFitOutsideTheZoomRangeKeepsTheZoomButTakesTheMode) {
    auto document = Document();
    preview->SetDocument(document.get());
    preview->SetZoom(150);
    Resize(2, 2);
    preview->FitToPage();
    EXPECT_EQ(preview->Zoom(), 150);
    EXPECT_EQ(preview->ZoomMode(), zmFitPage);
}

// A custom paper of no width converts to no pixels: fitting it leaves the zoom alone.
TEST_F(PreviewTest, APaperOfNoPixelsIsNotFitted) {
    auto document = Document();
    document->SetPaperSize(TQRPaperSize::Custom);
    document->SetSheetWidth(0);
    ASSERT_EQ(document->OrientedPaperWidth(), 0);
    preview->SetDocument(document.get());
    preview->SetZoom(150);
    preview->FitToPage();
    EXPECT_EQ(preview->Zoom(), 150);
    preview->FitToWidth();
    EXPECT_EQ(preview->Zoom(), 150);
    EXPECT_EQ(preview->ZoomMode(), zmFitWidth);
}

TEST_F(PreviewTest, AResizeRefitsInTheFitModesAndOnlyCentresOtherwise) {
    auto document = Document();
    preview->SetDocument(document.get());
    Resize(1000, 800);
    preview->FitToPage();
    Resize(1000, 1200);
    EXPECT_EQ(preview->Zoom(), 102);  // min(120, round(1200/1123*95))
    EXPECT_EQ(preview->ZoomMode(), zmFitPage);

    preview->FitToWidth();
    Resize(500, 1200);
    EXPECT_EQ(preview->Zoom(), 57);  // round(500/794*90)

    preview->SetZoom(80);  // 639 x 902 with the shadow
    Resize(900, 1000);
    EXPECT_EQ(preview->Zoom(), 80);
    EXPECT_EQ(preview->ZoomMode(), zmFree);
    EXPECT_EQ(preview->PageImage().geometry(), QRect(130, 49, 639, 902));
}

TEST_F(PreviewTest, AnOrientationSwitchLaysTheSheetOutCrosswiseWithoutFetching) {
    auto document = Document();
    preview->SetDocument(document.get());
    Resize(1000, 800);
    preview->SetZoom(100);
    EXPECT_EQ(preview->PageImage().size(), QSize(798, 1127));
    ResetFetches(*document);
    document->SetOrientation(poLandscape);
    preview->SetZoom(100);
    EXPECT_EQ(preview->PageImage().size(), QSize(1127, 798));
    preview->FitToPage();
    EXPECT_EQ(preview->Zoom(), 85);  // min(round(1000/1123*95), round(800/794*95))
    EXPECT_GT(preview->PageImage().width(), preview->PageImage().height());
    EXPECT_TRUE(preview->PageImage().HasPicture());
    EXPECT_FALSE(Fetched(*document));
}

}  // namespace
}  // namespace qrp::test
