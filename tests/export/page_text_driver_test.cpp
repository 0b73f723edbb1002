// The page text driver: the protocol it plays, the base font and sheet it chooses, the
// document's export handler, and what the three formats make of a recorded report.
#include "export/page_text_driver.h"

#include <cstdio>

#include <gtest/gtest.h>

#include "base/errors.h"
#include "emf/emf_format.h"
#include "emf/recorder.h"
#include "export/csv_filter.h"
#include "export/filter_library.h"
#include "export/html_filter.h"
#include "export/text_filter.h"
#include "export_driver.h"
#include "support/fake_printer.h"
#include "support/test_paths.h"
#include "text_report.h"

namespace qrp::exporter {
namespace {

using Pages = std::vector<std::vector<std::uint8_t>>;

std::string Number(long double value) {
    char text[64];
    std::snprintf(text, sizeof text, "%.2Lf", value);
    return text;
}

std::string Describe(const TFont& font) {
    return "'" + font.Name + "' " + std::to_string(font.Size) + "pt colour=" + std::to_string(font.Color) +
           " weight=" + std::to_string(font.Weight) + (font.Italic ? " italic" : "");
}

// Writes one line per protocol call.
class LoggingFilter : public TQRExportFilter {
  public:
    LoggingFilter() : TQRExportFilter("") {}
    void BeginExport(std::int32_t SheetWidth, std::int32_t PaperHeight, const TFont& Font) override {
        Log.push_back("BeginExport " + std::to_string(SheetWidth) + " " + std::to_string(PaperHeight) + " " +
                      Describe(Font));
        TQRExportFilter::BeginExport(SheetWidth, PaperHeight, Font);
    }
    void FinishPage() override { Log.push_back("FinishPage"); }
    void EndExport() override {
        Log.push_back("EndExport");
        TQRExportFilter::EndExport();
    }
    void BeginPage() override { Log.push_back("BeginPage"); }
    void AddText(long double X, long double Y, const TFont& Font, TColor BackColor, TAlignment Alignment,
                 const std::string& Text) override {
        const char* anchors[] = {"left", "right", "centre"};
        Log.push_back("AddText " + Number(X) + " " + Number(Y) + " " + anchors[Alignment] + " " + Describe(Font) +
                      " back=" + std::to_string(BackColor) + " [" + Text + "]");
    }

    std::string Text() const {
        std::string text;
        for (const std::string& line : Log)
            text += line + "\n";
        return text;
    }

    std::vector<std::string> Log;
};

// Pages held in memory, at 96 pixels per inch unless told otherwise.
PageSource InMemory(const Pages& pages, long double scale = 96.0L / 254) {
    return {static_cast<std::int32_t>(pages.size()),
            [&pages](std::int32_t n) { return PagePicture::FromBytes(pages.at(static_cast<std::size_t>(n - 1))); },
            scale};
}

// "F13" for an lfHeight of -13.
std::u16string FaceFor(std::int32_t height) {
    std::u16string face = u"F";
    for (const char digit : std::to_string(-height))
        face += static_cast<char16_t>(digit);
    return face;
}

// One page of 96 x 96 pixels (an inch) with a text per (lfHeight, colour), all at the top left.
std::vector<std::uint8_t> FontPage(const std::vector<std::pair<std::int32_t, emf::Color>>& texts) {
    emf::Recorder page(96, 96, {960, 960, 254, 254});
    for (const auto& [height, colour] : texts) {
        page.SelectObject(page.CreateFont({.height = height, .faceName = FaceFor(height)}));
        page.SetTextColor(colour);
        page.ExtTextOut(0, 0, u"t");
    }
    return page.Finish();
}

std::string LogOf(const Pages& pages, long double scale = 96.0L / 254) {
    LoggingFilter filter;
    ExportPageText(InMemory(pages, scale), filter);
    return filter.Text();
}

// --- the protocol -----------------------------------------------------------------------

TEST(PageTextDriver, PlaysTheProtocolInRecordOrder) {
    const Pages pages = qrp::test::SalesReportPages();
    LoggingFilter filter;
    ExportPageText(InMemory(pages), filter, {"UTF-8"});
    const std::string log = filter.Text();
    EXPECT_EQ(qrp::test::CompareGolden(test::Golden("sales_report.protocol.txt"), log), "") << log;
    ASSERT_EQ(filter.Log.size(), 21u);
    // Page 1 is 794 x 1123 pixels at 96 per inch; (10 pt, black) is used by ten items.
    EXPECT_EQ(filter.Log[0], "BeginExport 2101 2971 'Arial' 10pt colour=0 weight=400");
    // 397 pixels are 1050.40 tenths; the frame, stored in whole hundredths of a millimetre,
    // stretches the page by a hundred-thousandth.
    EXPECT_TRUE(filter.Log[3].starts_with("AddText 1050.39 105.83 centre 'Arial' 16pt colour=8388608 weight=700"));
    // The footer's baseline at 1090 pixels, less the ascent of 0.9 x 11 pixels.
    EXPECT_TRUE(filter.Log[12].starts_with("AddText 1050.39 2857.74 centre 'Times New Roman' 8pt")) << filter.Log[12];
    EXPECT_EQ(filter.Log[19], "FinishPage");
    EXPECT_EQ(filter.Log[20], "EndExport");
    EXPECT_FALSE(filter.Active());
}

TEST(PageTextDriver, NoPagesStillBeginAndEnd) {
    EXPECT_EQ(LogOf({}), "BeginExport 0 0 '' 10pt colour=0 weight=400\nFinishPage\nEndExport\n");
    // A page without text: the default base font, the page's size.
    EXPECT_EQ(LogOf({FontPage({})}),
              "BeginExport 254 254 '' 10pt colour=0 weight=400\n"
              "FinishPage\nBeginPage\nFinishPage\nEndExport\n");
}

TEST(PageTextDriver, PagesEndWhereTheSourceHasNone) {
    const Pages pages = {FontPage({{-13, {}}})};
    PageSource source = InMemory(pages);
    source.PageTotal = 3;
    source.FetchPage = [&pages](std::int32_t n) { return n == 1 ? PagePicture::FromBytes(pages[0]) : nullptr; };
    LoggingFilter filter;
    ExportPageText(source, filter);
    EXPECT_EQ(std::count(filter.Log.begin(), filter.Log.end(), "BeginPage"), 1);
}

TEST(PageTextDriver, AnActiveFilterIsNotBegunAgain) {
    LoggingFilter filter;
    filter.BeginExport(1, 2, {});
    ExportPageText(InMemory({FontPage({})}), filter);
    EXPECT_EQ(filter.Text(),
              "BeginExport 1 2 '' 10pt colour=0 weight=400\nFinishPage\nBeginPage\nFinishPage\nEndExport\n");
}

TEST(PageTextDriver, ScaleWithoutAValueIsNinetySixPerInch) {
    const Pages pages = {FontPage({{-13, {}}})};
    EXPECT_EQ(LogOf(pages, 0), LogOf(pages));
    EXPECT_EQ(LogOf(pages, std::numeric_limits<long double>::quiet_NaN()), LogOf(pages));
    // At 192 pixels per inch the same page is half as large, its text half the size.
    EXPECT_TRUE(LogOf(pages, 192.0L / 254).starts_with("BeginExport 127 127 'F13' 5pt")) << LogOf(pages, 192.0L / 254);
}

// --- the base font ----------------------------------------------------------------------

TEST(PageTextDriver, BaseFontIsTheMostUsedSizeAndColour) {
    const emf::Color red{255, 0, 0}, black{};
    // -16 px is 12 pt, -13 px 10 pt. Page 2 tips the count towards black 10 pt.
    const Pages pages = {FontPage({{-16, red}, {-13, black}, {-16, red}}), FontPage({{-13, black}, {-13, black}})};
    EXPECT_TRUE(LogOf(pages).starts_with("BeginExport 254 254 'F13' 10pt colour=0 ")) << LogOf(pages);
    // The same colour in another size, or the same size in another colour, counts apart.
    const Pages mixed = {FontPage({{-13, red}, {-16, black}, {-16, red}, {-16, red}, {-13, black}})};
    EXPECT_TRUE(LogOf(mixed).starts_with("BeginExport 254 254 'F16' 12pt colour=255 ")) << LogOf(mixed);
}

TEST(PageTextDriver, BaseFontTiesGoToTheFirstSeen) {
    const emf::Color red{255, 0, 0}, black{};
    const Pages pages = {FontPage({{-11, black}, {-16, red}, {-13, black}}), FontPage({{-13, black}, {-16, red}})};
    EXPECT_TRUE(LogOf(pages).starts_with("BeginExport 254 254 'F16' 12pt colour=255 ")) << LogOf(pages);
}

// --- failures ---------------------------------------------------------------------------

TEST(PageTextDriver, AnUnknownCharacterSetFailsBeforeTheFilterIsTouched) {
    LoggingFilter filter;
    EXPECT_THROW(ExportPageText(InMemory(qrp::test::SalesReportPages()), filter, {"NO-SUCH-CHARSET"}), EQRError);
    EXPECT_TRUE(filter.Log.empty());
}

TEST(PageTextDriver, APageWithTooManyItemsFails) {
    LoggingFilter filter;
    try {
        ExportPageText(InMemory(qrp::test::SalesReportPages()), filter, {"UTF-8", 9});
        FAIL() << "no error";
    } catch (const EQRError& error) {
        EXPECT_STREQ(error.what(), "Page 1 has more than 9 text items");
    }
    EXPECT_TRUE(filter.Log.empty());  // found while the base font is counted
}

// Regression: a text placed two billion pixels off the page once asked the plain text
// filter for a line of that many blanks.
TEST(PageTextDriver, TextFarOffThePageStaysNearIt) {
    emf::Recorder page(794, 1123, {960, 960, 254, 254});
    page.ExtTextOut(2000000000, 0, u"far");
    page.ExtTextOut(-2000000000, 0, u"before");
    page.ExtTextOut(0, 2000000000, u"below");  // a line past the page's end: never written
    qrp::test::ScratchDir dir;
    TQRAsciiExportFilter filter((dir / "far.txt").string());
    ExportPageText(InMemory({page.Finish()}), filter);
    const std::string out = test::ReadText(dir / "far.txt");
    // X is clamped to ten sheet widths (21010 tenths): about a thousand columns.
    EXPECT_LT(out.size(), 1100u);
    EXPECT_NE(out.find("far\r\n"), std::string::npos);
    EXPECT_TRUE(out.starts_with("before")) << out.substr(0, 40);
}

// --- the document's handler and the three formats -------------------------------------

class ExportReport : public ::testing::Test {
  protected:
    ExportReport() : document(std::make_unique<qrp::test::FakePrinter>(std::vector<qrp::test::FakePrinterInfo>{}, -1)) {
        qrp::test::WriteReport(report, qrp::test::SalesReportPages());
        document.Load(report.string());
    }

    // Exports through a filter of kind Filter and returns what it wrote.
    template <class Filter>
    std::string Export(const PageTextOptions& options = {"UTF-8"}) {
        const auto out = dir / "out";
        Filter filter(out.string());
        document.OnExport = MakePageTextExporter(document, options);
        document.Export(filter);
        return std::filesystem::exists(out) ? test::ReadText(out) : "(no file)";
    }

    qrp::test::ScratchDir dir;
    std::filesystem::path report = dir / "sales.qrp";
    TQRPrinter document;
};

TEST_F(ExportReport, WithoutAHandlerNothingIsWritten) {
    document.OnExport = MakePageTextExporter(document);
    document.Load(report.string());
    EXPECT_FALSE(document.OnExport);  // Load clears the handler
    TQRAsciiExportFilter filter((dir / "none.txt").string());
    document.Export(filter);
    EXPECT_FALSE(std::filesystem::exists(dir / "none.txt"));
}

TEST_F(ExportReport, PlainText) {
    const std::string text = Export<TQRAsciiExportFilter>();
    EXPECT_EQ(qrp::test::CompareGolden(test::Golden("sales_report.txt"), text), "") << text;
}

TEST_F(ExportReport, CommaSeparated) {
    FilterLibraryOwner library;
    TQRCSVFilter component;  // the separator ","
    const std::string text = Export<TQRCommaSeparatedFilter>();
    EXPECT_EQ(qrp::test::CompareGolden(test::Golden("sales_report.csv"), text), "") << text;
}

TEST_F(ExportReport, Html) {
    const std::string text = Export<TQRHTMLDocumentFilter>();
    EXPECT_EQ(qrp::test::CompareGolden(test::Golden("sales_report.htm"), text), "") << text;
    // The title is navy and 16 points against the 10-point black base font.
    EXPECT_NE(text.find("<FONT COLOR=\"#000080\" SIZE=+3>Sales report</FONT>"), std::string::npos);
}

TEST_F(ExportReport, Big5) {
    const std::string text = Export<TQRAsciiExportFilter>({"BIG5"});
    EXPECT_NE(text.find("\xA6\x58\xAD\x70\xAA\xF7\xC3\x42\r\n"), std::string::npos) << text;  // 合計金額
    EXPECT_NE(text.find("Caf?\r\n"), std::string::npos);                                      // é has no Big5 code
    EXPECT_EQ(text.find("\xE5\x90\x88"), std::string::npos);                                  // no UTF-8 left
}

}  // namespace
}  // namespace qrp::exporter
