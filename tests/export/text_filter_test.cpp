#include "export/text_filter.h"

#include <filesystem>

#include <gtest/gtest.h>

#include "export_driver.h"
#include "report/errors.h"

namespace qrp::exporter {
namespace {

using test::ExportToFile;
using test::Page;

std::string Blanks(std::size_t count) { return std::string(count, ' '); }

std::string Export(const std::vector<Page>& pages, std::int32_t baseSize = 10, bool cancelled = false) {
    return ExportToFile<TQRAsciiExportFilter>(pages, {"Arial", baseSize, 0}, cancelled);
}

TEST(TextFilter, WorkedExampleMatchesTheGolden) {
    const std::string out = Export({{{250, 300, "Total"}, {900, 300, "42.00", taRightJustify}}});
    EXPECT_EQ(out, Blanks(11) + "Total" + Blanks(21) + "42.00\r\n");
    EXPECT_EQ(qrp::test::CompareGolden(test::Golden("text_worked_example.txt"), out), "");
}

TEST(TextFilter, CellAndLinesUsedComeFromTheBaseFont) {
    qrp::test::ScratchDir dir;
    TQRAsciiExportFilter filter((dir / "out.txt").string());
    filter.BeginExport(2100, 2970, {"Arial", 10, 0});
    EXPECT_NEAR(static_cast<double>(filter.CellWidth()), 35.2777, 1e-4);
    EXPECT_EQ(filter.CellHeight(), filter.CellWidth());
    EXPECT_EQ(filter.LinesUsed(), 84);
    EXPECT_FALSE(filter.Active());
    filter.EndExport();
}

TEST(TextFilter, AReportWithoutTextGivesAnEmptyFile) { EXPECT_EQ(Export({{}, {}}), ""); }

TEST(TextFilter, ALaterItemOverwritesOnlyTheCharactersItCovers) {
    // "abcdefgh" starts at column 1 (X 0); "XY" at column 3 (c = 2.5 * 1.7 / 1.7).
    const long double column3 = 3 * 35.27777777777777777L / 1.7L;
    EXPECT_EQ(Export({{{0, 0, "abcdefgh"}, {column3, 0, "XY"}}}), "abXYefgh\r\n");
}

TEST(TextFilter, ARightAlignedItemBeforeColumnOneIsInsertedAtTheStart) {
    EXPECT_EQ(Export({{{0, 0, "abc"}, {10, 0, "XYZ", taRightJustify}}}), "XYZabc\r\n");
}

TEST(TextFilter, LinesRoundTogetherAndVerticalGapsVanish) {
    EXPECT_EQ(Export({{{0, 100, "a"}, {100, 110, "b"}, {0, 1500, "c"}}}), "a    b\r\n" "c\r\n");
}

TEST(TextFilter, LinesAreWrittenInLineOrderNotArrivalOrder) {
    EXPECT_EQ(Export({{{0, 1000, "late"}, {0, 100, "early"}}}), "early\r\nlate\r\n");
}

TEST(TextFilter, PagesFollowEachOtherWithoutMarkers) {
    EXPECT_EQ(Export({{{0, 100, "one"}}, {{0, 100, "two"}}}), "one\r\ntwo\r\n");
}

TEST(TextFilter, AnEmptyTextStillExtendsItsLineWithBlanks) {
    EXPECT_EQ(Export({{{250, 300, ""}}}), Blanks(12) + "\r\n");
    EXPECT_EQ(Export({{{0, 0, "ab"}, {250, 0, ""}}}), "ab" + Blanks(10) + "\r\n");
}

TEST(TextFilter, ExactHalvesPickTheEvenLine) {
    const long double cell = 35.27777777777777777L;
    EXPECT_EQ(Export({{{0, 8.5L * cell, "a"}, {0, 9.5L * cell, "b"}}}), "a\r\nb\r\n");
}

TEST(TextFilter, LinesAtOrBeyondLinesUsedAreNotWritten) {
    EXPECT_EQ(Export({{{0, 100, "in"}, {0, 84 * 35.28L, "out"}}}), "in\r\n");
}

TEST(TextFilter, TextAfterTheLastPageEndIsNeverWritten) {
    EXPECT_EQ(Export({{{0, 100, "kept"}}, {{0, 100, "lost"}}}, 10, true), "kept\r\n");
}

TEST(TextFilter, LinesBeyondTwoHundredAreKeptOnALongPage) {
    // A 3-point base font on a 2970 page gives 281 lines.
    const long double cell = 3 * 127.0L / 36;
    EXPECT_EQ(Export({{{0, 250 * cell, "deep"}, {0, 280 * cell, "last"}, {0, 281 * cell, "off"}}}, 3),
              "deep\r\nlast\r\n");
}

TEST(TextFilter, LinesAboveThePageTopAreKeptBeforeLineZero) {
    EXPECT_EQ(Export({{{0, 0, "top"}, {0, -5000, "above"}, {0, -60, "near"}}}), "above\r\nnear\r\ntop\r\n");
}

TEST(TextFilter, ABaseFontOfSizeZeroFailsAfterCreatingTheFile) {
    qrp::test::ScratchDir dir;
    TQRAsciiExportFilter filter((dir / "out.txt").string());
    EXPECT_THROW(filter.BeginExport(2100, 2970, {"Arial", 0, 0}), Error);
    EXPECT_TRUE(std::filesystem::exists(dir / "out.txt"));
}

TEST(TextFilter, AFullDiskStopsTheExport) {
    TQRAsciiExportFilter filter("/dev/full");
    filter.BeginExport(2100, 2970, {"Arial", 10, 0});
    filter.BeginPage();
    filter.AddText(0, 100, {}, 0, taLeftJustify, "abc");
    try {
        filter.FinishPage();
        FAIL() << "no error";
    } catch (const StreamError& error) {
        EXPECT_STREQ(error.what(), "Stream write error");
    }
}

TEST(TextFilter, AFileThatCannotBeCreatedStopsBeginExport) {
    qrp::test::ScratchDir dir;
    TQRAsciiExportFilter filter((dir / "missing" / "out.txt").string());
    EXPECT_THROW(filter.BeginExport(2100, 2970, {}), FileError);
}

}  // namespace
}  // namespace qrp::exporter
