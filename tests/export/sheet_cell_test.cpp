#include "export/sheet_cell.h"

#include <gtest/gtest.h>

#include "export/xlsx_filter.h"

namespace qrp::exporter {
namespace {

struct NumberCase {
    const char* text;
    double value;
    const char* format;
};

TEST(SheetCell, NumbersAsShownBecomeNumbersWhoseFormatShowsTheSameText) {
    const NumberCase cases[] = {
        {"57", 57, "0"},
        {"0", 0, "0"},
        {"0.5", 0.5, "0.0"},
        {"588.50", 588.5, "0.00"},
        {"33,544.50", 33544.5, "#,##0.00"},
        {"1,234", 1234, "#,##0"},
        {"1,234,567.125", 1234567.125, "#,##0.000"},
        {"-1,234.5", -1234.5, "#,##0.0"},
        {"-57", -57, "0"},
        {"(1,234.00)", -1234, "#,##0.00;(#,##0.00)"},
        {"(57)", -57, "0;(0)"},
        {"12.5%", 0.125, "0.0%"},
        {"-3%", -0.03, "0%"},
        {"(1,234.5%)", -12.345, "#,##0.0%;(#,##0.0%)"},
        {"999,999,999,999,999", 999999999999999, "#,##0"},
        {"0.000000000000001", 1e-15, "0.000000000000000"},
    };
    for (const NumberCase& c : cases) {
        const SheetCell cell = ClassifyCell(c.text);
        EXPECT_EQ(cell.kind, SheetCell::Number) << c.text;
        EXPECT_EQ(cell.value, c.value) << c.text;
        EXPECT_EQ(cell.format, c.format) << c.text;
    }
}

TEST(SheetCell, TextsThatNoNumberFormatWouldShowAgainStayText) {
    const char* texts[] = {
        // leading zeros
        "00123",
        "01.5",
        "0,123",
        "-007",
        // more than 15 significant digits
        "1234567890123456",
        "1,234,567,890,123,456",
        "12345678901234.50",
        // mixed text and foreign forms
        "NT$ 1,200",
        "$1,200",
        "24001-A",
        "1-2",
        "12 %",
        "1.234,50",
        "1e5",
        "0x1F",
        "١٢٣",
        // signs a format would not show, or show otherwise
        "+5",
        "-0",
        "-0.00",
        "(0.00)",
        "(-5)",
        "-(5)",
        "--5",
        "- 5",
        // broken groups, points and brackets
        "12,34",
        "1,2345",
        "1234,567",
        ",123",
        "1,",
        ".5",
        "5.",
        "1.2.3",
        "(57",
        "57)",
        "()",
        "%",
        "-",
        "",
        // padding the format would drop
        " 57",
        "57 ",
        "\xC2\xA0"
        "57",
        // formulas stay text
        "=1+2",
        "+1+2",
        "-A1",
        "@SUM(A1)",
        "=SUM(A1:A3)",
    };
    for (const char* text : texts)
        EXPECT_EQ(ClassifyCell(text).kind, SheetCell::Text) << text;
}

TEST(SheetCell, OnlyRealIsoDatesFromMarch1900BecomeDates) {
    const SheetCell day = ClassifyCell("2024-01-04");
    EXPECT_EQ(day.kind, SheetCell::Date);
    EXPECT_EQ(day.value, 45295);  // the serial a spreadsheet gives 2024-01-04
    EXPECT_EQ(day.format, "yyyy-mm-dd");
    EXPECT_EQ(ClassifyCell("2024-02-29").kind, SheetCell::Date);
    EXPECT_EQ(ClassifyCell("1900-03-01").value, 61);
    EXPECT_EQ(ClassifyCell("9999-12-31").value, 2958465);
    for (const char* text :
         {"2023-02-29", "2024-13-01", "2024-00-10", "2024-04-31", "2024-01-00", "1900-02-28", "1899-12-31", "2024-1-4",
          "2024/01/04", "04-01-2024", "2024-01-04 ", "2024-01-04T10:00", "2024-01-4a"})
        EXPECT_EQ(ClassifyCell(text).kind, SheetCell::Text) << text;
}

TEST(SheetName, NamesAreValidWorksheetNames) {
    EXPECT_EQ(SheetName("sales", 1), "sales");
    EXPECT_EQ(SheetName("sales", 2), "sales (2)");
    EXPECT_EQ(SheetName("Q1/Q2 [draft]: a*b?c\\d", 1), "Q1_Q2 _draft__ a_b_c_d");
    EXPECT_EQ(SheetName("'quoted'", 1), "quoted");
    EXPECT_EQ(SheetName("", 1), "Report");
    EXPECT_EQ(SheetName("HISTORY", 1), "HISTORY_");
    const std::string longName(40, 'x');
    EXPECT_EQ(SheetName(longName, 1), std::string(31, 'x'));
    EXPECT_EQ(SheetName(longName, 12), std::string(26, 'x') + " (12)");
    // 31 characters, not bytes: 40 Chinese characters keep 31.
    std::string chinese;
    for (int i = 0; i < 40; ++i)
        chinese += "\xE8\xA1\xA8";  // 表
    EXPECT_EQ(SheetName(chinese, 1).size(), 31u * 3);
}

}  // namespace
}  // namespace qrp::exporter
