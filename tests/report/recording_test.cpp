// Recording a run through the real document: into pages (ddMetafile) and straight onto the
// logging fake printer (ddPrinter), with the announcements a preview sees.
#include <gtest/gtest.h>

#include "base/errors.h"
#include "report/document.h"
#include "report/host_hooks.h"
#include "support/fake_printer.h"
#include "support/test_paths.h"

namespace qrp {
namespace {

using test::FakePrinter;
using Lines = std::vector<std::string>;

// Logs what the document posts.
class Window : public DocumentWindow {
  public:
    void Post(DocumentMessage message, std::int32_t value) override {
        Log.push_back((message == DocumentMessage::PageAvailable ? "page " : "progress ") + std::to_string(value));
    }
    void Send(DocumentMessage, TQRPrinter&) override {}
    void DocumentDestroyed(TQRPrinter&) override {}
    Lines Log;
};

// A document over a fake printer, linked to a window that logs its posts.
struct Doc {
    explicit Doc(TQRDocumentDestination route = ddMetafile) {
        auto owned = std::make_unique<FakePrinter>();
        fake = owned.get();
        doc = std::make_unique<TQRPrinter>(std::move(owned));
        doc->NotifyWindow = &window;
        doc->SetOutputRoute(route);
        doc->Title = "Run";
        fake->Log.clear();
    }

    // Starts page n and tags it: the left edge of its drawing is n, which the fake printer
    // logs as the page's number.
    void Page(int n) {
        doc->NewPage();
        doc->Canvas()->Rectangle({n, 10, n + 5, 20});
    }

    void Run(int pages) {
        doc->OpenDoc();
        for (int n = 1; n <= pages; ++n)
            Page(n);
        doc->EndDoc();
    }

    // What reached the device: job lines and drawings, without the queries around them.
    Lines Device() const {
        Lines lines;
        for (const std::string& line : fake->Log) {
            for (const char* kind : {"StartDoc", "StartPage", "StretchDraw", "EndPage", "EndDoc", "AbortDoc"}) {
                if (line.rfind(kind, 0) == 0)
                    lines.push_back(line);
            }
        }
        return lines;
    }

    // The page count in the stored header of the page stream.
    std::int32_t StoredPageTotal() const {
        TQRStream& stream = *doc->PageStream();
        stream.SetPosition(8);
        const std::int32_t total = stream.ReadI32();
        stream.Seek(0, SeekOrigin::End);
        return total;
    }

    Window window;
    FakePrinter* fake = nullptr;
    std::unique_ptr<TQRPrinter> doc;
};

void ExpectError(const std::function<void()>& call, const std::string& message) {
    try {
        call();
        ADD_FAILURE() << "no error, expected " << message;
    } catch (const Error& error) {
        EXPECT_EQ(error.what(), message);
    }
}

// --- runs into pages -------------------------------------------------------------------

// The count of finished pages is announced even when there is no page.
TEST(RecordMetafile, RunWithoutPagesAnnouncesOne) {
    Doc d;
    d.doc->OpenDoc();
    EXPECT_EQ(d.doc->Status(), dsBusy);
    EXPECT_EQ(d.doc->Canvas(), nullptr);
    d.doc->EndDoc();
    EXPECT_EQ(d.doc->Status(), dsFinished);
    EXPECT_EQ(d.doc->PageTotal(), 0);
    EXPECT_EQ(d.window.Log, (Lines{"page 1"}));
    EXPECT_EQ(d.StoredPageTotal(), 0);
    EXPECT_EQ(d.doc->FetchPage(1), nullptr);
}

TEST(RecordMetafile, AnnouncesEachPageWhenTheNextBeginsAndTheLastAtTheEnd) {
    Doc d;
    d.doc->OpenDoc();
    d.Page(1);
    EXPECT_EQ(d.window.Log, Lines{});
    d.Page(2);
    EXPECT_EQ(d.window.Log, (Lines{"page 1"}));
    EXPECT_EQ(d.doc->PageNumber(), 2);
    // A preview may read the finished page while the next is drawn.
    ASSERT_NE(d.doc->FetchPage(1), nullptr);
    EXPECT_EQ(d.doc->FetchPage(2), nullptr);
    d.Page(3);
    EXPECT_EQ(d.StoredPageTotal(), 1) << "the header is written with the first page";
    d.doc->EndDoc();
    EXPECT_EQ(d.window.Log, (Lines{"page 1", "page 2", "page 3"}));
    EXPECT_EQ(d.StoredPageTotal(), 3);
    EXPECT_EQ(d.doc->PagesReady(), 3);
    EXPECT_EQ(d.doc->Pages().PageTotal(), 3);
    EXPECT_EQ(d.doc->Canvas(), nullptr);
}

// 2100 x 96 / 254 and 2970 x 96 / 254, rounded; no unprintable offsets on a picture.
TEST(RecordMetafile, A4PageAt96DpiIs794By1123) {
    Doc d;
    d.doc->OpenDoc();
    EXPECT_EQ(d.doc->ScaleX(), 96.0L / 254);
    EXPECT_EQ(d.doc->ScaleY(), d.doc->ScaleX());
    EXPECT_EQ(d.doc->PrintOffsetLeft(), 0);
    EXPECT_EQ(d.doc->PrintOffsetTop(), 0);
    d.Page(1);
    EXPECT_EQ(d.doc->Canvas()->Width(), 794);
    EXPECT_EQ(d.doc->Canvas()->Height(), 1123);
    EXPECT_EQ(d.doc->DevX(2100), 794);
    d.doc->EndDoc();
    const auto page = d.doc->FetchPage(1);
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(page->WidthPx(), 794);
    EXPECT_EQ(page->HeightPx(), 1123);

    Doc landscape;
    landscape.doc->SetOrientation(poLandscape);
    landscape.Run(1);
    EXPECT_EQ(landscape.doc->FetchPage(1)->WidthPx(), 1123);
}

TEST(RecordMetafile, RecordedPagesSaveAndLoadAsAReport) {
    test::ScratchDir scratch;
    Doc d;
    d.doc->SetCompression(true);
    d.Run(4);
    d.doc->Save((scratch / "run.qrp").string());

    Doc loaded;
    loaded.doc->SetCompression(true);
    loaded.doc->Load((scratch / "run.qrp").string());
    EXPECT_EQ(loaded.doc->PageTotal(), 4);
    EXPECT_EQ(loaded.doc->PaperSize(), TQRPaperSize::A4);
    EXPECT_EQ(loaded.doc->FetchPage(4)->Bytes(), d.doc->FetchPage(4)->Bytes());
}

// --- calls out of turn -----------------------------------------------------------------

TEST(RecordCalls, OpenDocTwiceRaisesAndChangesNothing) {
    Doc d;
    d.doc->OpenDoc();
    d.Page(1);
    ExpectError([&] { d.doc->OpenDoc(); }, "QRPrinter not ready");
    EXPECT_EQ(d.doc->Status(), dsBusy);
    EXPECT_NE(d.doc->Canvas(), nullptr);
    d.doc->EndDoc();
    ExpectError([&] { d.doc->OpenDoc(); }, "QRPrinter not ready");
    EXPECT_EQ(d.doc->Pages().PageTotal(), 1);
    // After DiscardPages a new run may begin.
    d.doc->DiscardPages();
    d.Run(2);
    EXPECT_EQ(d.doc->Pages().PageTotal(), 2);
}

TEST(RecordCalls, NewPageOutsideARunRaises) {
    Doc d;
    ExpectError([&] { d.doc->NewPage(); }, "Illegal call to NewPage");
    d.Run(1);
    ExpectError([&] { d.doc->NewPage(); }, "Illegal call to NewPage");
    EXPECT_EQ(d.doc->PageTotal(), 1);
    // EndDoc and AbortDoc outside a run change nothing.
    d.doc->EndDoc();
    d.doc->AbortDoc();
    EXPECT_EQ(d.window.Log, (Lines{"page 1"}));
    EXPECT_EQ(d.doc->Status(), dsFinished);
    Doc fresh;
    fresh.doc->AbortDoc();
    EXPECT_EQ(fresh.doc->Status(), dsReady);
}

TEST(RecordCalls, SaveWhileBusyWritesNothing) {
    test::ScratchDir scratch;
    Doc d;
    d.doc->OpenDoc();
    d.Page(1);
    d.Page(2);
    d.doc->Save((scratch / "busy.qrp").string());
    EXPECT_FALSE(std::filesystem::exists(scratch / "busy.qrp"));
}

// Discarding a busy run cancels it and drops the page being drawn.
TEST(RecordCalls, DiscardingABusyRunDropsItsPage) {
    Doc d;
    d.doc->OpenDoc();
    d.Page(1);
    d.doc->DiscardPages();
    EXPECT_TRUE(d.doc->CancelRequested());
    EXPECT_EQ(d.doc->Canvas(), nullptr);
    EXPECT_EQ(d.doc->PageStream(), nullptr);
    d.doc->OpenDoc();
    EXPECT_FALSE(d.doc->CancelRequested());
}

// --- abort -----------------------------------------------------------------------------

TEST(RecordAbort, KeepsWhatWasRecordedWithoutAnnouncingIt) {
    Doc d;
    d.doc->OpenDoc();
    d.Page(1);
    d.Page(2);
    d.Page(3);
    d.doc->Cancel();
    d.doc->AbortDoc();
    EXPECT_EQ(d.doc->Status(), dsFinished);
    EXPECT_EQ(d.doc->Pages().PageTotal(), 3);
    EXPECT_EQ(d.doc->PagesReady(), 2);
    EXPECT_EQ(d.window.Log, (Lines{"page 1", "page 2"}));
    EXPECT_EQ(d.StoredPageTotal(), 1) << "the header still says what the first page wrote";
    EXPECT_NE(d.doc->FetchPage(3), nullptr);
    d.doc->AbortDoc();
    EXPECT_EQ(d.doc->Pages().PageTotal(), 3) << "a second abort appends nothing";
}

// Saved with the header as the abort left it, the file would load as one page.
TEST(RecordAbort, SavedCopyHoldsEveryPage) {
    test::ScratchDir scratch;
    Doc d;
    d.doc->OpenDoc();
    d.Page(1);
    d.Page(2);
    d.Page(3);
    d.doc->AbortDoc();
    d.doc->Save((scratch / "aborted.qrp").string());
    Doc loaded;
    loaded.doc->Load((scratch / "aborted.qrp").string());
    EXPECT_EQ(loaded.doc->PageTotal(), 3);
    EXPECT_NE(loaded.doc->FetchPage(3), nullptr);
}

// --- runs straight to the printer ------------------------------------------------------

// Pages 1, 4 and 5 are drawn and dropped; 2 and 3 are one job with one page break. The
// device page start after the break has no effect.
TEST(RecordPrinter, RangeTwoToThreeOfFiveIsOneJobWithOneBreak) {
    Doc d(ddPrinter);
    d.doc->FirstPage = 2;
    d.doc->LastPage = 3;
    int afterPrint = 0;
    d.doc->AfterPrint = [&](TQRPrinter& sender) {
        EXPECT_EQ(&sender, d.doc.get());
        ++afterPrint;
    };
    d.Run(5);
    // A4 at 600 dpi: 4961 x 7016 printer pixels, played 1:1 from the printable corner.
    EXPECT_EQ(d.Device(),
              (Lines{"StartDoc Run", "StartPage", "StretchDraw page 2 into (0,0)-(4960,7015)", "EndPage", "StartPage",
                     "StartPage (already started)", "StretchDraw page 3 into (0,0)-(4960,7015)", "EndPage", "EndDoc"}));
    EXPECT_EQ(d.window.Log, (Lines{"page 1", "page 2", "page 3", "page 4", "page 5"}));
    EXPECT_EQ(afterPrint, 1);
    EXPECT_EQ(d.doc->Status(), dsFinished);
    EXPECT_EQ(d.doc->PageStream(), nullptr) << "a direct run holds no pages";
}

// The settings go to the printer before anything else; each page takes the scale of
// where it goes: the printer's with its offsets inside the range, the screen's outside.
TEST(RecordPrinter, ScalesAndOffsetsFollowThePage) {
    Doc d(ddPrinter);
    d.doc->SetCopies(2);
    d.doc->LastPage = 1;
    d.doc->OpenDoc();
    ASSERT_FALSE(d.fake->Log.empty());
    EXPECT_EQ(d.fake->Log[0], "GetPrinter");
    EXPECT_EQ(d.fake->Log[1].rfind("SetPrinter Laser", 0), 0u);
    EXPECT_NE(d.fake->Log[1].find("copies=2"), std::string::npos);
    EXPECT_EQ(d.doc->ScaleX(), 600.0L / 254);
    EXPECT_EQ(d.doc->PrintOffsetLeft(), 42);
    EXPECT_EQ(d.doc->PrintOffsetTop(), 51);
    d.Page(1);
    EXPECT_EQ(d.doc->ScaleY(), 600.0L / 254);
    EXPECT_EQ(d.doc->Canvas()->PixelsPerInchX(), 600);
    EXPECT_EQ(d.doc->DevX(42), 0) << "the printable corner is the origin";
    d.Page(2);
    EXPECT_EQ(d.doc->ScaleX(), 96.0L / 254);
    EXPECT_EQ(d.doc->PrintOffsetLeft(), 42);
    EXPECT_EQ(d.doc->Canvas()->Width(), 4961) << "sized at the scale before the screen's";
    d.doc->EndDoc();
    EXPECT_EQ(d.Device(),
              (Lines{"StartDoc Run", "StartPage", "StretchDraw page 1 into (0,0)-(4960,7015)", "EndPage", "EndDoc"}));
}

TEST(RecordPrinter, WholeRunBreaksBetweenPagesOnly) {
    Doc d(ddPrinter);
    d.Run(3);
    EXPECT_EQ(d.Device(),
              (Lines{"StartDoc Run", "StartPage", "StretchDraw page 1 into (0,0)-(4960,7015)", "EndPage", "StartPage",
                     "StartPage (already started)", "StretchDraw page 2 into (0,0)-(4960,7015)", "EndPage", "StartPage",
                     "StartPage (already started)", "StretchDraw page 3 into (0,0)-(4960,7015)", "EndPage", "EndDoc"}));
}

TEST(RecordPrinter, WithoutPrintersADirectRunDoesNotStart) {
    auto none = std::make_unique<FakePrinter>(std::vector<test::FakePrinterInfo>{}, -1);
    TQRPrinter doc(std::move(none));
    doc.SetOutputRoute(ddPrinter);
    ExpectError([&] { doc.OpenDoc(); }, "There is no default printer currently selected");
    EXPECT_EQ(doc.Status(), dsReady);
}

// An abort before the range began has no job to abort: the run still ends.
TEST(RecordPrinter, AbortEndsTheRunWithOrWithoutAJob) {
    Doc before(ddPrinter);
    before.doc->FirstPage = 3;
    before.doc->OpenDoc();
    before.Page(1);
    before.doc->AbortDoc();
    EXPECT_EQ(before.doc->Status(), dsFinished);
    EXPECT_EQ(before.Device(), Lines{});

    Doc during(ddPrinter);
    during.doc->OpenDoc();
    during.Page(1);
    during.Page(2);
    during.doc->AbortDoc();
    EXPECT_EQ(during.doc->Status(), dsFinished);
    EXPECT_EQ(during.Device(), (Lines{"StartDoc Run", "StartPage", "StretchDraw page 1 into (0,0)-(4960,7015)",
                                      "EndPage", "StartPage", "StartPage (already started)", "AbortDoc", "EndPage"}));
    EXPECT_EQ(during.doc->Canvas(), nullptr);
}

// A printer that cannot start the job fails the page; the engine's abort then ends the run
// cleanly, and a run that goes on instead tries the job again.
TEST(RecordPrinter, PrinterFailuresLeaveTheRunUsable) {
    Doc d(ddPrinter);
    d.fake->FailCreateDC = true;
    d.doc->OpenDoc();
    ExpectError([&] { d.doc->NewPage(); }, "Printer selected is not valid");
    EXPECT_EQ(d.doc->Canvas(), nullptr);
    d.fake->FailCreateDC = false;
    d.Page(2);
    d.doc->EndDoc();
    EXPECT_EQ(d.Device(),
              (Lines{"StartDoc Run", "StartPage", "StretchDraw page 2 into (0,0)-(4960,7015)", "EndPage", "EndDoc"}));

    Doc failing(ddPrinter);
    failing.fake->FailDrawNumber = 1;
    failing.doc->OpenDoc();
    failing.Page(1);
    ExpectError([&] { failing.doc->NewPage(); }, "Drawing failed");
    failing.doc->AbortDoc();
    EXPECT_EQ(failing.doc->Status(), dsFinished);
    EXPECT_FALSE(failing.fake->Printing());
}

}  // namespace
}  // namespace qrp
