#include "export/html_filter.h"

#include <filesystem>

#include <gtest/gtest.h>

#include "base/errors.h"
#include "export_driver.h"

namespace qrp::exporter {
namespace {

using test::Item;
using test::Page;

constexpr const char* kTable = "<TABLE WIDTH=100% CELLPADDING=2 BORDER=0>";
constexpr TColor kRed = 255;
constexpr TColor kBlue = 16711680;

TFont FontOf(std::int32_t size, TColor color = 0) {
    return {"Arial", size, color};
}

// Exports to memory (empty file name) and returns the one page's table after the
// empty table every export starts with.
std::string Export(const std::vector<Page>& pages, const TFont& base = FontOf(10)) {
    TQRHTMLDocumentFilter filter("");
    test::Drive(filter, pages, base);
    const auto memory = filter.TakeMemoryStream();
    return memory ? test::Text(*memory) : "no memory stream";
}

std::string Row(const std::string& cells) {
    return "<TR>" + cells + "</TR>\r\n";
}

std::string OnePage(const std::string& rows) {
    return std::string(kTable) + "</TABLE>" + kTable + rows + "</TABLE>";
}

TEST(HtmlFilter, WorkedExampleMatchesTheGolden) {
    const std::string out =
        Export({{{100, 50, "Item", taLeftJustify, FontOf(10)}, {400, 50, "Total", taRightJustify, FontOf(14, kRed)}}});
    EXPECT_EQ(out, OnePage(Row("<TD>Item</TD><TD><FONT COLOR=\"#FF0000\" SIZE=+2>Total</FONT></TD>")));
    EXPECT_EQ(qrp::test::CompareGolden(test::Golden("html_worked_example.html"), out), "");
}

TEST(HtmlFilter, WorkedGridExampleMatchesTheGolden) {
    const std::string out = Export({{{100.2L, 50, "A"}, {300, 50, "B"}, {100.4L, 80.6L, "C"}, {300.4L, 81.4L, "D"}}});
    EXPECT_EQ(out, OnePage(Row("<TD>A</TD><TD>B</TD>") + Row("<TD>C</TD><TD>D</TD>")));
    EXPECT_EQ(qrp::test::CompareGolden(test::Golden("grid_worked_example.html"), out), "");
}

TEST(HtmlFilter, TablesByteForByte) {
    const std::string emptyTable = std::string(kTable) + "</TABLE>";
    struct Case {
        const char* name;
        std::vector<Page> pages;
        std::string expected;
    };
    const Case cases[] = {
        {"no text: two empty tables", {{}}, emptyTable + emptyTable},
        {"a table per page",
         {{{10, 10, "a"}}, {{10, 10, "b"}}},
         emptyTable + kTable + Row("<TD>a</TD>") + "</TABLE>" + kTable + Row("<TD>b</TD>") + "</TABLE>"},
        {"empty cells and empty texts are bare",
         {{{10, 10, "a"}, {20, 20, "", taLeftJustify, FontOf(30, kRed)}}},
         OnePage(Row("<TD>a</TD><TD></TD>") + Row("<TD></TD><TD></TD>"))},
        {"markup characters become entities",
         {{{10, 10, "<b>\"Fish\" & 'Chips'</b>"}}},
         OnePage(Row("<TD>&lt;b&gt;&quot;Fish&quot; &amp; 'Chips'&lt;/b&gt;</TD>"))},
        {"entities inside a font element",
         {{{10, 10, "a<b", taLeftJustify, FontOf(12)}}},
         OnePage(Row("<TD><FONT  SIZE=+1>a&lt;b</FONT></TD>"))},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Export(c.pages), c.expected) << c.name;
}

TEST(HtmlFilter, FontMarkupFollowsColourAndSizeAgainstTheBaseFont) {
    struct Case {
        TFont font;
        TFont base;
        const char* cell;
    };
    const Case cases[] = {
        {FontOf(10), FontOf(10), "<TD>t</TD>"},
        {{"Courier", 10, 0}, FontOf(10), "<TD>t</TD>"},  // the name is not written
        {FontOf(9), FontOf(10), "<TD><FONT  SIZE=+0>t</FONT></TD>"},
        {FontOf(8), FontOf(14), "<TD><FONT  SIZE=-3>t</FONT></TD>"},
        {FontOf(30), FontOf(10), "<TD><FONT  SIZE=+6>t</FONT></TD>"},
        {FontOf(10, kBlue), FontOf(10), "<TD><FONT COLOR=\"#0000FF\">t</FONT></TD>"},
        {FontOf(10, 0), FontOf(10, kRed), "<TD><FONT COLOR=\"#000000\">t</FONT></TD>"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Export({{{10, 10, "t", taLeftJustify, c.font}}}, c.base), OnePage(Row(c.cell))) << c.cell;
    }
}

TEST(HtmlFilter, FontSizeClasses) {
    const std::pair<std::int32_t, int> classes[] = {{-4, 0}, {8, 0},  {9, 1},  {10, 1}, {11, 2}, {12, 2}, {13, 3},
                                                    {14, 3}, {15, 4}, {18, 4}, {19, 5}, {24, 5}, {25, 7}, {72, 7}};
    for (const auto& [size, sizeClass] : classes)
        EXPECT_EQ(FontSizeClass(size), sizeClass) << size;
    EXPECT_EQ(RelativeFontSize(14, 10), "+2");
    EXPECT_EQ(RelativeFontSize(11, 12), "+0");
    EXPECT_EQ(RelativeFontSize(8, 14), "-3");
}

TEST(HtmlFilter, ColorToHexReversesTheColourBytes) {
    EXPECT_EQ(ColorToHex(kRed), "FF0000");
    EXPECT_EQ(ColorToHex(kBlue), "0000FF");
    EXPECT_EQ(ColorToHex(0x123456), "563412");
    EXPECT_EQ(ColorToHex(0), "000000");
    EXPECT_EQ(ColorToHex(static_cast<TColor>(0xFF000008u)), "0000FF");
    EXPECT_EQ(ColorToHex(0x1000000), "000010");
}

TEST(HtmlFilter, AnEmptyFileNameWritesToMemoryAndNoFile) {
    qrp::test::ScratchDir dir;
    const auto before = std::filesystem::current_path();
    std::filesystem::current_path(dir.Path());
    TQRHTMLDocumentFilter filter("");
    test::Drive(filter, {{{10, 10, "a"}}});
    std::filesystem::current_path(before);
    EXPECT_FALSE(filter.OwnsStream());
    EXPECT_TRUE(std::filesystem::is_empty(dir.Path()));
    ASSERT_NE(filter.Stream(), nullptr);
    const auto memory = filter.TakeMemoryStream();
    ASSERT_NE(memory, nullptr);
    EXPECT_EQ(test::Text(*memory), OnePage(Row("<TD>a</TD>")));
    EXPECT_EQ(filter.Stream(), nullptr);
}

TEST(HtmlFilter, AFileExportOwnsAndClosesItsStream) {
    const std::string out = test::ExportToFile<TQRHTMLDocumentFilter>({{{10, 10, "a"}}});
    EXPECT_EQ(out, OnePage(Row("<TD>a</TD>")));
    qrp::test::ScratchDir dir;
    TQRHTMLDocumentFilter filter((dir / "x.htm").string());
    test::Drive(filter, {});
    EXPECT_TRUE(filter.OwnsStream());
    EXPECT_EQ(filter.Stream(), nullptr);
    EXPECT_EQ(filter.TakeMemoryStream(), nullptr);
}

TEST(HtmlFilter, OutputFailuresStopTheExport) {
    qrp::test::ScratchDir dir;
    const auto path = dir / "missing" / "out.htm";
    TQRHTMLDocumentFilter noFolder(path.string());
    try {
        noFolder.BeginExport(2100, 2970, FontOf(10));
        ADD_FAILURE() << "no error";
    } catch (const FileError& error) {
        EXPECT_EQ(std::string(error.what()).rfind("Cannot create file \"" + path.string() + "\". ", 0), 0u);
    }
    EXPECT_FALSE(noFolder.Active());

    TQRHTMLDocumentFilter fullDisk("/dev/full");
    fullDisk.BeginExport(2100, 2970, FontOf(10));
    EXPECT_THROW(fullDisk.FinishPage(), StreamError);
}

TEST(HtmlFilter, AWholeReportOnOnePageStaysInOrder) {
    Page page;
    for (int line = 0; line < 2000; ++line) {
        for (int col = 0; col < 3; ++col)
            page.push_back({100.0L + col * 400, 50.0L + line * 40, std::to_string(line * 3 + col)});
    }
    const std::string out = Export({page});
    std::string rows;
    for (int line = 0; line < 2000; ++line) {
        rows += Row("<TD>" + std::to_string(line * 3) + "</TD><TD>" + std::to_string(line * 3 + 1) + "</TD><TD>" +
                    std::to_string(line * 3 + 2) + "</TD>");
    }
    EXPECT_EQ(out, OnePage(rows));
}

}  // namespace
}  // namespace qrp::exporter
