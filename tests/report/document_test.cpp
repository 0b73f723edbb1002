#include "report/document.h"

#include <climits>
#include <filesystem>

#include <gtest/gtest.h>

#include "base/byte_order.h"
#include "base/errors.h"
#include "document_fixtures.h"
#include "report/host_hooks.h"
#include "support/fake_printer.h"
#include "support/test_paths.h"

namespace qrp {
namespace {

using test::FakePrinter;
using test::FakePrinterInfo;

FakePrinterInfo Offering(std::vector<std::uint16_t> papers) {
    FakePrinterInfo info;
    info.Papers = std::move(papers);
    return info;
}

std::unique_ptr<FakePrinter> Fake(std::vector<FakePrinterInfo> printers = {FakePrinterInfo{}}, int defaultIndex = 0) {
    return std::make_unique<FakePrinter>(std::move(printers), defaultIndex);
}

// A document over a fake printer that the test can still look at.
struct Doc {
    explicit Doc(std::unique_ptr<FakePrinter> printer = Fake()) : fake(*printer), doc(std::move(printer)) {}
    FakePrinter& fake;
    TQRPrinter doc;
};

class DocumentFiles : public ::testing::Test {
  protected:
    std::string Report(const std::string& name, int pages, double widthMm = 210, double lengthMm = 297) {
        const auto path = scratch / name;
        test::WriteReportFile(path, pages, widthMm, lengthMm);
        return path.string();
    }
    test::ScratchDir scratch;
};

// Keeps the screen resolution a test sets from leaking into the next.
struct ScreenPixels {
    explicit ScreenPixels(int ppi) { SetScreenPixelsPerInch(ppi); }
    ~ScreenPixels() { SetScreenPixelsPerInch(kDefaultScreenPixelsPerInch); }
};

// --- creation --------------------------------------------------------------------------

TEST(DocumentCreate, ReadsThePrinterAndTakesItsOffsets) {
    Doc d;
    EXPECT_TRUE(d.doc.HasPrinter());
    EXPECT_EQ(d.doc.Status(), dsReady);
    EXPECT_EQ(d.doc.PrintOffsetLeft(), 42);
    EXPECT_EQ(d.doc.PrintOffsetTop(), 51);
    EXPECT_EQ(d.doc.PageTotal(), 0);
    EXPECT_EQ(d.doc.PageStream(), nullptr);
    EXPECT_EQ(d.doc.DevWidth(2100), 2100);  // ScaleX 1.0 until a report is loaded
}

TEST(DocumentCreate, WithoutPrintersNothingIsReadAndNothingChanges) {
    Doc d(Fake({}, -1));
    EXPECT_FALSE(d.doc.HasPrinter());
    EXPECT_EQ(d.fake.Log, std::vector<std::string>{"Printers"});
    d.doc.SetCopies(2);
    d.doc.SetPrinterNumber(0);
    EXPECT_EQ(d.doc.PaperSize(), TQRPaperSize::A4);
    EXPECT_EQ(d.fake.Log.size(), 1u);
}

// Without a printer the paper and orientation still follow the report, so a landscape
// Letter report is not framed as A4 portrait.
TEST_F(DocumentFiles, WithoutPrintersPaperAndOrientationFollowPageOne) {
    Doc d(Fake({}, -1));
    d.doc.Load(Report("letter.qrp", 1, 279.4, 215.9));
    // Every size is on offer, so the last match of the same dimensions wins (Note).
    EXPECT_EQ(d.doc.PaperSize(), TQRPaperSize::Note);
    EXPECT_NEAR(d.doc.OrientedPaperWidth(), 2794, 5);
    EXPECT_NEAR(d.doc.OrientedPaperLength(), 2159, 5);
    EXPECT_EQ(d.doc.Orientation(), poLandscape);
    d.doc.SetOrientation(poPortrait);
    EXPECT_EQ(d.doc.Orientation(), poPortrait);
}

TEST(DocumentCreate, NoDefaultPrinterAmongInstalledOnesFails) {
    try {
        TQRPrinter doc(Fake({FakePrinterInfo{}}, -1));
        FAIL() << "created";
    } catch (const PrinterError& error) {
        EXPECT_STREQ(error.what(), "There is no default printer currently selected");
    }
}

// --- load, save, fetch -----------------------------------------------------------------

TEST_F(DocumentFiles, LoadFinishesTheDocument) {
    Doc d;
    d.doc.Title = "kept";
    d.doc.FirstPage = 2;
    d.doc.OnExport = [](exporter::TQRExportFilter&) {};
    d.doc.OnSetupRequest = [](const void*) {};
    d.doc.Load(Report("a.qrp", 3));
    EXPECT_EQ(d.doc.Status(), dsFinished);
    EXPECT_EQ(d.doc.PageTotal(), 3);
    EXPECT_TRUE(d.doc.LoadedFromFile());
    EXPECT_NE(d.doc.PageStream(), nullptr);
    EXPECT_EQ(d.doc.PageStream(), d.doc.Pages().Stream());
    EXPECT_EQ(d.doc.ScaleX(), 96.0L / 254);
    EXPECT_EQ(d.doc.ScaleY(), d.doc.ScaleX());
    EXPECT_EQ(d.doc.Title, "kept");
    EXPECT_EQ(d.doc.FirstPage, 2);
    EXPECT_EQ(d.doc.PageNumber(), 0);
    EXPECT_FALSE(d.doc.OnExport);
    EXPECT_FALSE(d.doc.OnSetupRequest);
}

TEST_F(DocumentFiles, SaveWritesTheLoadedReportByteForByte) {
    Doc d;
    const std::string source = Report("a.qrp", 3);
    d.doc.Load(source);
    const auto copy = scratch / "copy.qrp";
    d.doc.Save(copy.string());
    EXPECT_EQ(test::ReadFileBytes(copy), test::ReadFileBytes(source));

    Doc fresh;
    fresh.doc.Save((scratch / "nothing.qrp").string());
    EXPECT_FALSE(std::filesystem::exists(scratch / "nothing.qrp"));
}

TEST_F(DocumentFiles, BuiltSampleRoundTrips) {
    const auto sample = test::BinaryDir() / "samples" / "sample.qrp";
    if (!std::filesystem::exists(sample))
        GTEST_SKIP() << "the samples are not built";
    Doc d;
    d.doc.Load(sample.string());
    EXPECT_EQ(d.doc.PageTotal(), 12);
    EXPECT_EQ(d.doc.PaperSize(), TQRPaperSize::A4);
    d.doc.Save((scratch / "sample.qrp").string());
    EXPECT_EQ(test::ReadFileBytes(scratch / "sample.qrp"), test::ReadFileBytes(sample));
}

TEST_F(DocumentFiles, FetchPageOnlyWithinTheReport) {
    Doc d;
    EXPECT_EQ(d.doc.FetchPage(1), nullptr);  // dsReady
    d.doc.Load(Report("a.qrp", 3));
    EXPECT_EQ(d.doc.FetchPage(0), nullptr);
    EXPECT_EQ(d.doc.FetchPage(4), nullptr);
    const auto page = d.doc.FetchPage(3);
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(LoadI32(&page->Bytes()[8]), 3);
}

TEST_F(DocumentFiles, PageNumberSetterHoldsThePictureAndIgnoresOutOfRange) {
    Doc d;
    d.doc.Load(Report("a.qrp", 3));
    d.doc.SetPageNumber(2);
    ASSERT_NE(d.doc.CurrentPagePicture(), nullptr);
    EXPECT_EQ(LoadI32(&d.doc.CurrentPagePicture()->Bytes()[8]), 2);
    d.doc.SetPageNumber(4);
    d.doc.SetPageNumber(0);
    EXPECT_EQ(d.doc.PageNumber(), 2);
}

TEST_F(DocumentFiles, LoadingASecondFileReplacesTheFirst) {
    Doc d;
    d.doc.Load(Report("a.qrp", 3));
    d.doc.Title = "a.qrp";
    const std::string second = Report("b.qrp", 5);
    d.doc.Load(second);
    EXPECT_EQ(d.doc.PageStream()->FilePath(), second);
    EXPECT_EQ(d.doc.PageTotal(), 5);
    EXPECT_EQ(d.doc.Title, "a.qrp");
}

TEST_F(DocumentFiles, FailedLoadLeavesACleanDocumentWithTheOldCount) {
    Doc d;
    d.doc.Load(Report("a.qrp", 3));
    EXPECT_THROW(d.doc.Load((scratch / "missing.qrp").string()), FileError);
    EXPECT_EQ(d.doc.Status(), dsReady);
    EXPECT_EQ(d.doc.PageStream(), nullptr);
    EXPECT_EQ(d.doc.PageTotal(), 3);
    EXPECT_EQ(d.doc.FetchPage(1), nullptr);
}

TEST_F(DocumentFiles, HeaderOnlyReportFailsWithStreamReadError) {
    const auto path = scratch / "empty.qrp";
    test::WriteFileBytes(path, std::vector<std::uint8_t>(128, 0));
    Doc d;
    try {
        d.doc.Load(path.string());
        FAIL() << "loaded";
    } catch (const StreamError& error) {
        EXPECT_STREQ(error.what(), "Stream read error");
    }
    EXPECT_EQ(d.doc.Status(), dsReady);
}

TEST_F(DocumentFiles, ReportSayingNoPagesLoadsAndKeepsThePaper) {
    Doc d(Fake({Offering({1, 9})}));
    auto bytes = test::ReadFileBytes(Report("a.qrp", 1, 215.9, 279.4));
    StoreI32(&bytes[8], 0);
    test::WriteFileBytes(scratch / "zero.qrp", bytes);
    d.doc.Load((scratch / "zero.qrp").string());
    EXPECT_EQ(d.doc.Status(), dsFinished);
    EXPECT_EQ(d.doc.PageTotal(), 0);
    EXPECT_EQ(d.doc.PaperSize(), TQRPaperSize::A4);
}

// A first page that is no picture used to leave the document half-loaded, holding the file.
TEST_F(DocumentFiles, UnreadableFirstPageLeavesNoStreamBehind) {
    auto bytes = test::ReadFileBytes(Report("a.qrp", 2));
    StoreU32(&bytes[136], 7);  // page 1's EMF record type
    test::WriteFileBytes(scratch / "bad.qrp", bytes);
    Doc d;
    EXPECT_THROW(d.doc.Load((scratch / "bad.qrp").string()), EQRError);
    EXPECT_EQ(d.doc.Status(), dsReady);
    EXPECT_EQ(d.doc.PageStream(), nullptr);
    EXPECT_EQ(d.doc.Pages().Stream(), nullptr);
    EXPECT_EQ(d.doc.PageTotal(), 0);
}

// --- paper size and orientation from page 1 --------------------------------------------

struct PaperCase {
    const char* name;
    double widthMm, lengthMm;
    std::vector<std::uint16_t> offered;
    TQRPaperSize size;
    TPrinterOrientation orientation;
};

class PaperFromPageOne : public DocumentFiles, public ::testing::WithParamInterface<PaperCase> {};

TEST_P(PaperFromPageOne, LastOfferedMatchWins) {
    const PaperCase& c = GetParam();
    DeviceMode mode = *FakePrinterInfo{}.DefaultMode;
    mode.dmOrientation = c.orientation == poPortrait ? DMORIENT_LANDSCAPE : DMORIENT_PORTRAIT;
    FakePrinterInfo info = Offering(c.offered);
    info.DefaultMode = mode;
    Doc d(Fake({info}));
    d.doc.Load(Report("p.qrp", 1, c.widthMm, c.lengthMm));
    EXPECT_EQ(d.doc.PaperSize(), c.size);
    EXPECT_EQ(d.doc.Orientation(), c.orientation);
}

INSTANTIATE_TEST_SUITE_P(Cases, PaperFromPageOne,
                         ::testing::Values(
                             // Letter, LetterSmall and Note are all 53 x 69 units of 4 mm.
                             PaperCase{"LetterOfferingAll", 215.9, 279.4, {1, 2, 18}, TQRPaperSize::Note, poPortrait},
                             PaperCase{
                                 "LetterWithoutNote", 215.9, 279.4, {1, 2}, TQRPaperSize::LetterSmall, poPortrait},
                             PaperCase{"LetterOnly", 215.9, 279.4, {1}, TQRPaperSize::Letter, poPortrait},
                             PaperCase{"LetterNotOffered", 215.9, 279.4, {9}, TQRPaperSize::A4, poPortrait},
                             PaperCase{"A4", 210, 297, {9}, TQRPaperSize::A4, poPortrait},
                             PaperCase{"A4SmallWins", 210, 297, {9, 10}, TQRPaperSize::A4Small, poPortrait},
                             PaperCase{"A4Landscape", 297, 210, {9}, TQRPaperSize::A4, poLandscape},
                             PaperCase{"SquareIsLandscape", 100, 100, {24}, TQRPaperSize::CSheet, poLandscape}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(DocumentFiles, OrientationStaysWithoutTheDevicesOrientationSetting) {
    DeviceMode mode = *FakePrinterInfo{}.DefaultMode;
    mode.dmFields &= ~DM_ORIENTATION;
    FakePrinterInfo info;
    info.DefaultMode = mode;
    Doc d(Fake({info}));
    d.doc.Load(Report("p.qrp", 1, 297, 210));
    EXPECT_EQ(d.doc.PaperSize(), TQRPaperSize::A4);
    EXPECT_EQ(d.doc.Orientation(), poPortrait);
}

// --- conversions and dimensions --------------------------------------------------------

TEST(DocumentUnits, HalvesRoundToEven) {
    Doc d;  // ScaleX 1.0, offsets 42 and 51
    EXPECT_EQ(d.doc.DevWidth(2.5L), 2);
    EXPECT_EQ(d.doc.DevWidth(3.5L), 4);
    EXPECT_EQ(d.doc.DevHeight(-2.5L), -2);
    EXPECT_EQ(d.doc.DevX(42.5L), 0);
    EXPECT_EQ(d.doc.DevX(43.5L), 2);
    EXPECT_EQ(d.doc.DevY(53.5L), 2);
}

// A file's pages are 96 pixels per inch whatever the screen: a Legal report is Legal on
// a 120 dpi screen too, and only the showing scale follows the screen.
TEST_F(DocumentFiles, PaperFollowsThePagesNotTheScreen) {
    Doc d(Fake({}, -1));
    const ScreenPixels screen(120);
    d.doc.Load(Report("legal.qrp", 1, 215.9, 355.6));
    EXPECT_EQ(d.doc.PaperSize(), TQRPaperSize::Legal);
    EXPECT_EQ(d.doc.Orientation(), poPortrait);
    EXPECT_EQ(d.doc.PageScale(), 96.0L / 254);
    EXPECT_EQ(d.doc.ScaleX(), 120.0L / 254);
}

TEST_F(DocumentFiles, ScaleComesFromTheScreenAtLoad) {
    Doc d;
    {
        ScreenPixels screen(127);  // 0.5 pixel per 0.1 mm
        d.doc.Load(Report("a.qrp", 1));
    }
    EXPECT_EQ(d.doc.DevWidth(5), 2);
    EXPECT_EQ(d.doc.DevWidth(7), 4);
    d.doc.Load(Report("b.qrp", 1));
    EXPECT_EQ(d.doc.DevWidth(2100), 794);
    EXPECT_EQ(d.doc.DevHeight(2970), 1123);
}

// Out-of-range results used to be an undefined conversion.
TEST(DocumentUnits, HugeValuesSaturate) {
    Doc d;
    EXPECT_EQ(d.doc.DevWidth(1e30L), INT32_MAX);
    EXPECT_EQ(d.doc.DevHeight(-1e30L), INT32_MIN);
}

TEST(DocumentUnits, OrientedPaperFollowsOrientation) {
    Doc d;
    EXPECT_EQ(d.doc.OrientedPaperWidth(), 2100);
    EXPECT_EQ(d.doc.OrientedPaperLength(), 2970);
    d.doc.SetOrientation(poLandscape);
    EXPECT_EQ(d.doc.OrientedPaperWidth(), 2970);
    EXPECT_EQ(d.doc.OrientedPaperLength(), 2100);
    d.doc.SetPaperSize(TQRPaperSize::Custom);
    d.doc.SetSheetWidth(1000);
    d.doc.SetSheetLength(2000);
    EXPECT_EQ(d.doc.OrientedPaperWidth(), 2000);
    EXPECT_EQ(d.doc.OrientedPaperLength(), 1000);
    d.doc.SetOrientation(poPortrait);
    d.doc.SetPaperSize(TQRPaperSize::Letter);
    EXPECT_EQ(d.doc.OrientedPaperWidth(), 2159);
    EXPECT_EQ(d.doc.OrientedPaperLength(), 2794);
}

// --- printer selection -----------------------------------------------------------------

std::vector<FakePrinterInfo> TwoPrinters() {
    FakePrinterInfo inkjet;
    inkjet.Name = "Inkjet";
    inkjet.DefaultMode->dmPaperSize = 1;
    return {FakePrinterInfo{}, inkjet};
}

TEST(DocumentPrinterNumber, SelectsResetsAndRereads) {
    Doc d(Fake(TwoPrinters()));
    d.doc.SetCopies(3);
    d.doc.Settings().WriteToPrinter();
    d.fake.Log.clear();
    d.doc.SetPrinterNumber(1);
    ASSERT_GE(d.fake.Log.size(), 4u);
    EXPECT_EQ(d.fake.Log[0], "SetPrinterIndex 1");
    EXPECT_EQ(d.fake.Log[1], "GetPrinter");
    EXPECT_EQ(d.fake.Log[2], "SetPrinter Inkjet none");
    EXPECT_EQ(d.fake.Log[3], "GetPrinter");
    EXPECT_EQ(d.doc.Settings().Device(), "Inkjet");
    EXPECT_EQ(d.doc.PaperSize(), TQRPaperSize::Letter);
    EXPECT_EQ(d.doc.Settings().Copies(), 1);
}

TEST_F(DocumentFiles, PrinterChangeAfterLoadResetsThePaper) {
    Doc d(Fake(TwoPrinters()));
    d.doc.Load(Report("l.qrp", 1, 279.4, 215.9));
    ASSERT_EQ(d.doc.PaperSize(), TQRPaperSize::Letter);
    ASSERT_EQ(d.doc.Orientation(), poLandscape);
    d.doc.SetPrinterNumber(0);
    EXPECT_EQ(d.doc.PaperSize(), TQRPaperSize::A4);
    // Reading the settings never reads the orientation: it stays the document's own, and
    // WriteToPrinter always writes it.
    EXPECT_EQ(d.doc.Orientation(), poLandscape);
}

TEST(DocumentPrinterNumber, OutOfRangeIsAPrinterError) {
    Doc d(Fake(TwoPrinters()));
    try {
        d.doc.SetPrinterNumber(2);
        FAIL() << "selected";
    } catch (const PrinterError& error) {
        EXPECT_STREQ(error.what(), "Printer index out of range");
    }
    EXPECT_NO_THROW(d.doc.SetPrinterNumber(-1));
}

// --- notifications and events ----------------------------------------------------------

struct RecordingWindow : DocumentWindow {
    void Post(DocumentMessage message, std::int32_t value) override {
        posted.emplace_back(static_cast<std::uint32_t>(message), value);
    }
    void Send(DocumentMessage message, TQRPrinter& document) override {
        sent.push_back(static_cast<std::uint32_t>(message));
        sentWith = &document;
    }
    void DocumentDestroyed(TQRPrinter& document) override { destroyed = &document; }
    std::vector<std::pair<std::uint32_t, std::int32_t>> posted;
    std::vector<std::uint32_t> sent;
    TQRPrinter* sentWith = nullptr;
    TQRPrinter* destroyed = nullptr;
};

TEST(DocumentNotify, PagesReadyAndProgressArePosted) {
    RecordingWindow window;
    Doc d;
    d.doc.SetPagesReady(1);  // no window yet: stored only
    d.doc.NotifyWindow = &window;
    d.doc.SetPagesReady(3);
    d.doc.SetProgress(40);
    const std::vector<std::pair<std::uint32_t, std::int32_t>> expected = {{1025, 3}, {1024, 40}};
    EXPECT_EQ(window.posted, expected);
    EXPECT_EQ(d.doc.PagesReady(), 3);
    EXPECT_EQ(d.doc.Progress(), 40);
}

TEST(DocumentNotify, LettingGoOfThePreviewFiresAfterPreviewOnce) {
    Doc d;
    int fired = 0;
    d.doc.AfterPreview = [&](TQRPrinter&) { ++fired; };
    d.doc.SetPreviewShown(false);
    d.doc.SetPreviewShown(true);
    d.doc.SetPreviewShown(false);
    EXPECT_EQ(fired, 1);
    EXPECT_FALSE(d.doc.CancelRequested());  // nothing was running
}

TEST(DocumentNotify, PreviewFlagTakesItsValueWhenTheHandlerThrows) {
    Doc d;
    d.doc.AfterPreview = [](TQRPrinter&) { throw Error("handler"); };
    d.doc.SetPreviewShown(true);
    EXPECT_THROW(d.doc.SetPreviewShown(false), Error);
    EXPECT_FALSE(d.doc.PreviewShown());
}

TEST(DocumentNotify, OwnerAndPreviewRequests) {
    RecordingWindow owner, preview;
    {
        Doc d;
        d.doc.OwnerReport = &owner;
        d.doc.NotifyWindow = &preview;
        d.doc.DismissPreview(nullptr);
        EXPECT_EQ(owner.sent, std::vector<std::uint32_t>{1028});
        EXPECT_EQ(owner.sentWith, &d.doc);
        d.doc.Print();  // not loaded from a file: the owner prints itself
        EXPECT_EQ(owner.posted, (std::vector<std::pair<std::uint32_t, std::int32_t>>{{1026, 0}}));
    }
    EXPECT_NE(preview.destroyed, nullptr);
}

}  // namespace
}  // namespace qrp
