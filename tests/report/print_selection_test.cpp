// Printing chosen report pages (a page list, odd or even pages, reverse order) and laying
// a page on paper of other proportions.
#include <climits>

#include <gtest/gtest.h>

#include "base/errors.h"
#include "document_fixtures.h"
#include "report/document.h"
#include "support/fake_printer.h"
#include "support/test_paths.h"

namespace qrp {
namespace {

using Pages = std::vector<std::int32_t>;

Pages Select(const std::string& list, TQRPageSet set, bool reverse, std::int32_t total, std::int32_t first = 0,
             std::int32_t last = 0) {
    const auto spans = ParsePageList(list);
    EXPECT_TRUE(spans) << list;
    const TQRPrintOrder order({spans.value_or(std::vector<PageSpan>{}), set, reverse}, first, last, total);
    Pages pages;
    for (std::int64_t i = 0; i < std::min<std::int64_t>(order.Count(), 100); ++i)
        pages.push_back(order.PageAt(i));
    return pages;
}

TEST(PageSelection, ListsSelectReportPagesInListOrderOnceEachWithinTheReport) {
    EXPECT_EQ(Select("1-3,7", TQRPageSet::All, false, 10), (Pages{1, 2, 3, 7}));
    EXPECT_EQ(Select(" 7, 1-3 ,2", TQRPageSet::All, false, 10), (Pages{7, 1, 2, 3}));
    EXPECT_EQ(Select("3-1,9-,-2", TQRPageSet::All, false, 10), (Pages{3, 2, 1, 9, 10}));
    // Parts outside the report are dropped, and a huge span costs no more than the report.
    EXPECT_EQ(Select("2-2000000000,40", TQRPageSet::All, false, 3), (Pages{2, 3}));
    EXPECT_EQ(Select("12-20", TQRPageSet::All, false, 10), Pages{});
    // Page sets and reverse order apply to report pages, after the list or the range.
    EXPECT_EQ(Select("1-3,7", TQRPageSet::Odd, true, 10), (Pages{7, 3, 1}));
    EXPECT_EQ(Select("9-2,4-12,1", TQRPageSet::Even, false, 12), (Pages{8, 6, 4, 2, 10, 12}));
    EXPECT_EQ(Select("3-5,1-8", TQRPageSet::All, true, 8), (Pages{8, 7, 6, 2, 1, 5, 4, 3}));
    // A report claiming the most pages a header can: counted, never laid out page by page.
    const TQRPrintOrder huge({{}, TQRPageSet::Odd, true}, 0, 0, INT32_MAX);
    EXPECT_EQ(huge.Count(), 1073741824);
    EXPECT_EQ(huge.PageAt(0), INT32_MAX);
    EXPECT_EQ(huge.PageAt(huge.Count() - 1), 1);
    EXPECT_EQ(Select("", TQRPageSet::Even, false, 7), (Pages{2, 4, 6}));
    EXPECT_EQ(Select("", TQRPageSet::All, true, 9, 3, 5), (Pages{5, 4, 3}));
    EXPECT_EQ(Select("", TQRPageSet::Odd, false, 5, 2, 9), (Pages{3, 5}));
    for (const char* bad : {"a", "1-2-3", "0", "1,,2", "2,", "-", "3x", "-0", "99999999999"})
        EXPECT_FALSE(ParsePageList(bad)) << bad;
}

class PrintSelection : public ::testing::Test {
  protected:
    void Load(int pages, double widthMm = 210, double lengthMm = 297) {
        auto printer = std::make_unique<test::FakePrinter>();
        fake = printer.get();
        doc = std::make_unique<TQRPrinter>(std::move(printer));
        test::WriteReportFile(scratch / "report.qrp", pages, widthMm, lengthMm);
        doc->Load((scratch / "report.qrp").string());
        fake->Log.clear();
    }

    std::vector<std::string> Drawn() const {
        std::vector<std::string> lines;
        for (const std::string& line : fake->Log)
            if (line.rfind("StretchDraw", 0) == 0 || line.rfind("EndPage", 0) == 0 || line.rfind("StartDoc", 0) == 0)
                lines.push_back(line);
        return lines;
    }

    test::ScratchDir scratch;
    test::FakePrinter* fake = nullptr;
    std::unique_ptr<TQRPrinter> doc;
};

TEST_F(PrintSelection, AListPrintsItsPagesAsOneJobAndAnEmptyOneOpensNoJob) {
    Load(8);
    doc->PrintPages.List = *ParsePageList("7,2");
    doc->Print();
    const std::vector<std::string> expected = {"StartDoc ", "StretchDraw page 7 into (0,0)-(4759,6775)", "EndPage",
                                               "StretchDraw page 2 into (0,0)-(4759,6775)", "EndPage"};
    EXPECT_EQ(Drawn(), expected);

    fake->Log.clear();
    doc->PrintPages = {*ParsePageList("9-12"), TQRPageSet::All, false};
    try {
        doc->Print();
        ADD_FAILURE() << "an empty selection printed";
    } catch (const EQRError& error) {
        EXPECT_STREQ(error.what(), "No pages of the report are selected to print");
    }
    EXPECT_TRUE(Drawn().empty());
}

TEST_F(PrintSelection, FitKeepsProportionsAndActualSizeIsCentred) {
    Load(1, 100, 150);  // on the fake's A4 at 600 dpi, printable 4760 x 6776
    doc->PrintScale = TQRPrintScale::Fit;
    doc->Print();
    doc->PrintScale = TQRPrintScale::Actual;
    doc->Print();
    const std::vector<std::string> expected = {
        "StartDoc ", "StretchDraw page 1 into (121,0)-(4637,6775)",     "EndPage",
        "StartDoc ", "StretchDraw page 1 into (1199,1616)-(3560,5158)", "EndPage"};
    EXPECT_EQ(Drawn(), expected);
}

}  // namespace
}  // namespace qrp
