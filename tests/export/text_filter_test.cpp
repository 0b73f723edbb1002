#include "export/text_filter.h"

#include <filesystem>

#include <gtest/gtest.h>

#include "base/errors.h"
#include "export/display_columns.h"
#include "export_driver.h"

namespace qrp::exporter {
namespace {

using test::Page;

constexpr long double kCell = 10 * 127.0L / 36;  // character cell of a 10-point base font

std::string Blanks(std::size_t count) {
    return std::string(count, ' ');
}

std::string Export(const std::vector<Page>& pages, std::int32_t baseSize = 10, bool cancelled = false) {
    return test::ExportToFile<TQRAsciiExportFilter>(pages, {"Arial", baseSize, 0}, cancelled);
}

TEST(TextFilter, WorkedExampleMatchesTheGolden) {
    const std::string out = Export({{{250, 300, "Total"}, {900, 300, "42.00", taRightJustify}}});
    EXPECT_EQ(out, Blanks(11) + "Total" + Blanks(21) + "42.00\r\n");
    EXPECT_EQ(qrp::test::CompareGolden(test::Golden("text_worked_example.txt"), out), "");
}

TEST(TextFilter, LinesByteForByte) {
    const long double small = 3 * 127.0L / 36;  // 3 points: 281 lines on a 2970 page
    struct Case {
        const char* name;
        std::vector<Page> pages;
        std::string expected;
        std::int32_t baseSize = 10;
        bool cancelled = false;
    };
    const Case cases[] = {
        {"no text: empty file", {{}, {}}, ""},
        {"a later item overwrites what it covers", {{{0, 0, "abcdefgh"}, {3 * kCell / 1.7L, 0, "XY"}}}, "abXYefgh\r\n"},
        {"right-aligned before column 1 inserts", {{{0, 0, "abc"}, {10, 0, "XYZ", taRightJustify}}}, "XYZabc\r\n"},
        {"shared line, gaps vanish", {{{0, 100, "a"}, {100, 110, "b"}, {0, 1500, "c"}}}, "a   b\r\nc\r\n"},
        {"line order, not arrival order", {{{0, 1000, "late"}, {0, 100, "early"}}}, "early\r\nlate\r\n"},
        {"pages follow without markers", {{{0, 100, "one"}}, {{0, 100, "two"}}}, "one\r\ntwo\r\n"},
        {"empty text makes a line of blanks", {{{250, 300, ""}}}, Blanks(12) + "\r\n"},
        {"empty text extends a shorter line", {{{0, 0, "ab"}, {250, 0, ""}}}, "ab" + Blanks(10) + "\r\n"},
        {"exact halves pick the even line", {{{0, 8.5L * kCell, "a"}, {0, 9.5L * kCell, "b"}}}, "a\r\nb\r\n"},
        {"lines from LinesUsed on are not written", {{{0, 100, "in"}, {0, 84 * 35.28L, "out"}}}, "in\r\n"},
        {"cancelled: last page lost", {{{0, 100, "kept"}}, {{0, 100, "lost"}}}, "kept\r\n", 10, true},
        {"lines beyond 200 are kept",
         {{{0, 250 * small, "deep"}, {0, 280 * small, "last"}, {0, 281 * small, "off"}}},
         "deep\r\nlast\r\n",
         3},
        {"an item far right of any page is left out", {{{0, 0, "kept"}, {1e15L, 0, "far"}}}, "kept\r\n"},
        {"lines above the page come first",
         {{{0, 0, "top"}, {0, -5000, "above"}, {0, -60, "near"}}},
         "above\r\nnear\r\ntop\r\n"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Export(c.pages, c.baseSize, c.cancelled), c.expected) << c.name;
}

// A wide character is two columns whatever its bytes: UTF-8 lays out as CP950 does, and an
// item never cuts another's character in half.
TEST(TextFilter, WideCharactersTakeTwoColumnsInEveryCharacterSet) {
    const auto exportIn = [](const std::string& encoding, const std::vector<test::Item>& items) {
        qrp::test::ScratchDir dir;
        TQRAsciiExportFilter filter((dir / "out.txt").string());
        filter.SetTextEncoding(encoding);
        test::Drive(filter, {items}, {"Arial", 10, 0});
        return test::ReadText(dir / "out.txt");
    };
    const std::string name = "\xE5\xAE\xA2\xE6\x88\xB6\xE5\x90\x8D\xE7\xA8\xB1";  // 客戶名稱
    const std::string big5Name = "\xAB\xC8\xA4\xE1\xA6\x57\xBA\xD9";
    EXPECT_EQ(exportIn("UTF-8", {{21, 0, name}, {228, 0, "Total"}}), name + "  Total\r\n");
    EXPECT_EQ(exportIn("CP950", {{21, 0, big5Name}, {228, 0, "Total"}}), big5Name + "  Total\r\n");
    // Right-aligned at the same anchor: both end in the same column.
    EXPECT_EQ(exportIn("UTF-8", {{900, 0, name, taRightJustify}, {900, 35, "12345678", taRightJustify}}),
              Blanks(34) + name + "\r\n" + Blanks(34) + "12345678\r\n");
    // "ab" over the right half of 戶 and the left half of 名: the halves become blanks.
    EXPECT_EQ(exportIn("UTF-8", {{0, 0, name}, {4 * kCell / 1.7L, 0, "ab"}}), "\xE5\xAE\xA2 ab \xE7\xA8\xB1\r\n");
    // In CP950 a byte stays a column, as it always was.
    EXPECT_EQ(exportIn("CP950", {{0, 0, big5Name}, {4 * kCell / 1.7L, 0, "ab"}}),
              "\xAB\xC8\xA4"
              "ab\x57\xBA\xD9\r\n");
}

// Both ends of the wide ranges, and a point inside each block: a table of ranges loses its
// edges or a block without any test noticing otherwise.
TEST(TextFilter, DisplayWidthOfEveryWideBlockAndItsEdges) {
    struct Case {
        char32_t c;
        int width;
    };
    const Case cases[] = {
        {U'\uAC00', 2},     {U'\uD7A3', 2},     {U'\uD7A4', 1},  // Hangul syllables, first, last, after
        {U'\uFF01', 2},     {U'\uFF60', 2},     {U'\uFF61', 1},  // fullwidth forms; halfwidth after them
        {U'\U0001F600', 2}, {U'\u2B50', 2},     {U'\u2B51', 1},  // emoji; a wide range of one
        {U'\U00020000', 2}, {U'\U0003FFFD', 2}, {U'\U0003FFFE', 1}, {U'\u4E00', 2},
        {U'A', 1},          {U'\u00E9', 1},     {U'\u10FF', 1},     {U'\u1100', 2},
    };
    for (const Case& c : cases)
        EXPECT_EQ(DisplayWidth(c.c), c.width) << std::hex << static_cast<std::uint32_t>(c.c);

    // A Hangul line in UTF-8: four syllables fill eight columns.
    qrp::test::ScratchDir dir;
    TQRAsciiExportFilter filter((dir / "out.txt").string());
    filter.SetTextEncoding("UTF-8");
    const std::string total = "\xED\x95\xA9\xEA\xB3\x84\xEA\xB8\x88\xEC\x95\xA1";  // 합계금액
    test::Drive(filter, {{{21, 0, total}, {228, 0, "Total"}}}, {"Arial", 10, 0});
    EXPECT_EQ(test::ReadText(dir / "out.txt"), total + "  Total\r\n");
}

TEST(TextFilter, CellAndLinesUsedComeFromTheBaseFont) {
    qrp::test::ScratchDir dir;
    TQRAsciiExportFilter filter((dir / "out.txt").string());
    filter.BeginExport(2100, 2970, {"Arial", 10, 0});
    EXPECT_NEAR(static_cast<double>(filter.CellWidth()), 35.2777, 1e-4);
    EXPECT_EQ(filter.CellHeight(), filter.CellWidth());
    EXPECT_EQ(filter.LinesUsed(), 84);
    EXPECT_FALSE(filter.Active());
    filter.BeginPage();
    filter.AddText(0, 90 * kCell, {}, 0, taLeftJustify, "below");
    filter.FinishPage();
    EXPECT_EQ(filter.Lines().at(90), "below");  // kept, though never written
    filter.BeginPage();
    EXPECT_TRUE(filter.Lines().empty());
    filter.EndExport();
    EXPECT_EQ(test::ReadText(dir / "out.txt"), "");
}

TEST(TextFilter, OutputFailuresStopTheExport) {
    qrp::test::ScratchDir dir;
    TQRAsciiExportFilter zeroFont((dir / "out.txt").string());
    EXPECT_THROW(zeroFont.BeginExport(2100, 2970, {"Arial", 0, 0}), Error);
    EXPECT_FALSE(std::filesystem::exists(dir / "out.txt"));  // a failed export leaves no file

    TQRAsciiExportFilter noFolder((dir / "missing" / "out.txt").string());
    EXPECT_THROW(noFolder.BeginExport(2100, 2970, {}), FileError);

    TQRAsciiExportFilter fullDisk("/dev/full");
    fullDisk.BeginExport(2100, 2970, {});
    fullDisk.BeginPage();
    fullDisk.AddText(0, 100, {}, 0, taLeftJustify, "abc");
    try {
        fullDisk.FinishPage();
        ADD_FAILURE() << "no error";
    } catch (const StreamError& error) {
        EXPECT_STREQ(error.what(), "Stream write error");
    }
}

}  // namespace
}  // namespace qrp::exporter
