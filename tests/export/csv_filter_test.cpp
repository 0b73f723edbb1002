#include "export/csv_filter.h"

#include <gtest/gtest.h>

#include "base/errors.h"
#include "export_driver.h"

namespace qrp::exporter {
namespace {

using test::Page;

// Every test starts from the separator the viewer's component sets.
class CsvFilter : public ::testing::Test {
  protected:
    void SetUp() override { CSVSeparator = ','; }
    static std::string Export(const std::vector<Page>& pages, bool cancelled = false) {
        return test::ExportToFile<TQRCommaSeparatedFilter>(pages, {}, cancelled);
    }
};

TEST_F(CsvFilter, WorkedExamplesMatchTheGoldens) {
    const std::string grid = Export({{{100.2L, 50, "A"}, {300, 50, "B"}, {100.4L, 80.6L, "C"}, {300.4L, 81.4L, "D"}}});
    EXPECT_EQ(grid, "\"A\",\"B\"\r\n\"C\",\"D\"\r\n");
    EXPECT_EQ(qrp::test::CompareGolden(test::Golden("grid_worked_example.csv"), grid), "");
    const std::string record = Export({{{100, 50, "Name"}, {300, 50, "42"}, {200, 80, "x"}}});
    EXPECT_EQ(record, "\"Name\",\"\",\"42\"\r\n\"\",\"x\",\"\"\r\n");
    EXPECT_EQ(qrp::test::CompareGolden(test::Golden("csv_worked_example.csv"), record), "");
}

TEST_F(CsvFilter, RecordsByteForByte) {
    struct Case {
        const char* name;
        std::vector<Page> pages;
        const char* expected;
        bool cancelled = false;
    };
    const Case cases[] = {
        {"no text: empty file", {{}, {}}, ""},
        {"one column: no separator", {{{10, 10, "a"}, {10, 20, "b"}}}, "\"a\"\r\n\"b\"\r\n"},
        {"pages follow, own field count",
         {{{10, 10, "a"}, {20, 10, "b"}}, {{10, 10, "c"}}},
         "\"a\",\"b\"\r\n\"c\"\r\n"},
        {"two items in a cell: the first", {{{10, 10, "first"}, {10, 10, "second"}}}, "\"first\"\r\n"},
        {"empty text adds a column", {{{10, 10, "a"}, {10, 20, "b"}, {90, 10, ""}}}, "\"a\",\"\"\r\n\"b\",\"\"\r\n"},
        {"cancelled: last page lost", {{{10, 10, "kept"}}, {{10, 10, "lost"}}}, "\"kept\"\r\n", true},
        {"quotes doubled", {{{10, 10, "say \"hi\""}, {20, 10, "\""}}}, "\"say \"\"hi\"\"\",\"\"\"\"\r\n"},
        {"separator and line break stay quoted", {{{10, 10, "a,b\r\nc"}}}, "\"a,b\r\nc\"\r\n"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Export(c.pages, c.cancelled), c.expected) << c.name;
}

TEST_F(CsvFilter, TheSeparatorIsSharedAndEveryComponentResetsItToComma) {
    FilterLibraryOwner owner;
    TQRCSVFilter first;
    TQRCSVFilter second;
    second.SetSeparator(';');
    EXPECT_EQ(first.Separator(), ';');
    EXPECT_EQ(Export({{{10, 10, "a"}, {20, 10, "b"}}}), "\"a\";\"b\"\r\n");
    TQRCSVFilter third;
    EXPECT_EQ(first.Separator(), ',');
}

TEST_F(CsvFilter, AnEmptyFileNameFailsToCreateTheFile) {
    TQRCommaSeparatedFilter filter("");
    try {
        filter.BeginExport(2100, 2970, {});
        FAIL() << "no error";
    } catch (const FileError& error) {
        EXPECT_EQ(std::string(error.what()).rfind("Cannot create file \"/", 0), 0u) << error.what();
    }
    EXPECT_FALSE(filter.Active());
}

// Writes go to a stream that takes only the first few bytes.
class ShortCsvFilter : public TQRCommaSeparatedFilter {
  public:
    ShortCsvFilter() : TQRCommaSeparatedFilter(std::string()) {}
    void OpenOutput(const std::string&) override { FStream = std::make_unique<test::ShortStream>(3); }
};

TEST_F(CsvFilter, AShortOrFailedWriteStopsTheExport) {
    ShortCsvFilter shortStream;
    TQRCommaSeparatedFilter fullDisk("/dev/full");
    for (TQRCommaSeparatedFilter* filter : {static_cast<TQRCommaSeparatedFilter*>(&shortStream), &fullDisk}) {
        filter->BeginExport(2100, 2970, {});
        filter->FinishPage();
        filter->BeginPage();
        filter->AddText(10, 10, {}, 0, taLeftJustify, "abcdef");
        try {
            filter->FinishPage();
            ADD_FAILURE() << "no error";
        } catch (const StreamError& error) {
            EXPECT_STREQ(error.what(), "Stream write error");
        }
    }
}

}  // namespace
}  // namespace qrp::exporter
