// The document's posted page-available and progress messages, as the preview turns them
// into its events.
#include <vector>

#include "preview_fixture.h"
#include "preview_pages.h"

namespace qrp::test {
namespace {

using preview::TQRPreview;
using preview::zmFitWidth;

class PreviewMessages : public PreviewTest {
  protected:
    PreviewMessages() {
        preview->OnPageAvailable = [this](TQRPreview& sender, std::int32_t page) {
            EXPECT_EQ(&sender, preview);
            pages.push_back(page);
        };
        preview->OnProgressUpdate = [this](TQRPreview& sender, std::int32_t progress) {
            EXPECT_EQ(&sender, preview);
            progresses.push_back(progress);
        };
        Resize(1000, 800);
    }
    std::vector<std::int32_t> pages;
    std::vector<std::int32_t> progresses;
};

// The document has no pages yet when it is attached (as when a report starts); its page 1
// arrives later.
TEST_F(PreviewMessages, TheAwaitedPageIsShownAtPageWidthWhenItArrives) {
    auto document = Document(0);
    preview->SetDocument(document.get());
    EXPECT_FALSE(preview->PageImage().HasPicture());
    WriteReport(scratch / "late.qrp", 2, BlockPage);
    document->Load((scratch / "late.qrp").string());
    document->SetPagesReady(1);
    // Handled from the event loop, never inside the document's call.
    EXPECT_TRUE(pages.empty());
    EXPECT_FALSE(preview->PageImage().HasPicture());
    RunPostedEvents();
    EXPECT_EQ(pages, std::vector<std::int32_t>{1});
    EXPECT_TRUE(preview->PageImage().HasPicture());
    EXPECT_EQ(preview->ZoomMode(), zmFitWidth);
    EXPECT_EQ(preview->Zoom(), 113);  // round(1000/794*90)
}

TEST_F(PreviewMessages, OtherPagesOnlyRaiseTheEvent) {
    auto document = Document(0);
    preview->SetDocument(document.get());
    WriteReport(scratch / "late.qrp", 2, BlockPage);
    document->Load((scratch / "late.qrp").string());
    document->SetPagesReady(2);
    RunPostedEvents();
    EXPECT_EQ(pages, std::vector<std::int32_t>{2});
    EXPECT_FALSE(preview->PageImage().HasPicture());
    EXPECT_EQ(preview->Zoom(), 100);
}

TEST_F(PreviewMessages, APageShownAlreadyIsNotLoadedAgain) {
    auto document = Document(2);
    preview->SetDocument(document.get());
    ResetFetches(*document);
    document->SetPagesReady(1);
    RunPostedEvents();
    EXPECT_EQ(pages, std::vector<std::int32_t>{1});
    EXPECT_FALSE(Fetched(*document));
    EXPECT_EQ(preview->Zoom(), 100);
}

TEST_F(PreviewMessages, ValuesArriveAsTheirLowSixteenBits) {
    auto document = Document(0);
    preview->SetDocument(document.get());
    document->SetPagesReady(0x10001);
    document->SetPagesReady(-1);
    document->SetProgress(0x12345);
    document->SetProgress(70);
    RunPostedEvents();
    EXPECT_EQ(pages, (std::vector<std::int32_t>{1, 65535}));
    EXPECT_EQ(progresses, (std::vector<std::int32_t>{0x2345, 70}));
}

TEST_F(PreviewMessages, EmptyEventsAreSkipped) {
    preview->OnPageAvailable = nullptr;
    preview->OnProgressUpdate = nullptr;
    auto document = Document(2);
    preview->SetDocument(document.get());
    document->SetPagesReady(2);
    document->SetProgress(5);
    RunPostedEvents();
    EXPECT_TRUE(preview->PageImage().HasPicture());
}

// A message still queued when its document is replaced is handled against the document
// attached by then.
TEST_F(PreviewMessages, AMessageOutlivingItsDocumentTouchesOnlyTheCurrentOne) {
    auto first = Document(0);
    preview->SetDocument(first.get());
    first->SetPagesReady(1);
    preview->SetDocument(nullptr);
    first.reset();
    RunPostedEvents();
    EXPECT_EQ(pages, std::vector<std::int32_t>{1});
    EXPECT_FALSE(preview->PageImage().HasPicture());
}

TEST_F(PreviewMessages, APreviewGoneBeforeItsMessagesDropsThem) {
    auto document = Document(2);
    preview->SetDocument(document.get());
    document->SetPagesReady(1);
    delete preview;
    RunPostedEvents();
    EXPECT_TRUE(pages.empty());
}

}  // namespace
}  // namespace qrp::test
