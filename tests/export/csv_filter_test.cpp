#include "export/csv_filter.h"

#include <gtest/gtest.h>

#include "export_driver.h"
#include "report/errors.h"

namespace qrp::exporter {
namespace {

using test::ExportToFile;
using test::Page;

// Every test starts from the separator the viewer's component sets.
class CsvFilter : public ::testing::Test {
protected:
    void SetUp() override { CSVSeparator = ','; }
    std::string Export(const std::vector<Page>& pages, bool cancelled = false) {
        return ExportToFile<TQRCommaSeparatedFilter>(pages, {}, cancelled);
    }
};

TEST_F(CsvFilter, WorkedGridExampleMatchesTheGolden) {
    const std::string out = Export({{{100.2L, 50, "A"}, {300, 50, "B"}, {100.4L, 80.6L, "C"}, {300.4L, 81.4L, "D"}}});
    EXPECT_EQ(out, "\"A\",\"B\"\r\n\"C\",\"D\"\r\n");
    EXPECT_EQ(qrp::test::CompareGolden(test::Golden("grid_worked_example.csv"), out), "");
}

TEST_F(CsvFilter, AnEmptyCellIsTwoQuotes) {
    const std::string out = Export({{{100, 50, "Name"}, {300, 50, "42"}, {200, 80, "x"}}});
    EXPECT_EQ(out, "\"Name\",\"\",\"42\"\r\n\"\",\"x\",\"\"\r\n");
    EXPECT_EQ(qrp::test::CompareGolden(test::Golden("csv_worked_example.csv"), out), "");
}

TEST_F(CsvFilter, AReportWithoutTextGivesAnEmptyFile) { EXPECT_EQ(Export({{}, {}}), ""); }

TEST_F(CsvFilter, OneColumnHasNoSeparator) {
    EXPECT_EQ(Export({{{10, 10, "a"}, {10, 20, "b"}}}), "\"a\"\r\n\"b\"\r\n");
}

TEST_F(CsvFilter, PagesFollowEachOtherWithTheirOwnFieldCount) {
    EXPECT_EQ(Export({{{10, 10, "a"}, {20, 10, "b"}}, {{10, 10, "c"}}}), "\"a\",\"b\"\r\n\"c\"\r\n");
}

TEST_F(CsvFilter, ACellWithTwoItemsWritesTheFirst) {
    EXPECT_EQ(Export({{{10, 10, "first"}, {10, 10, "second"}}}), "\"first\"\r\n");
}

TEST_F(CsvFilter, AnEmptyTextAddsAColumnOfEmptyFields) {
    EXPECT_EQ(Export({{{10, 10, "a"}, {10, 20, "b"}, {90, 10, ""}}}), "\"a\",\"\"\r\n\"b\",\"\"\r\n");
}

TEST_F(CsvFilter, TextAfterTheLastPageEndIsNeverWritten) {
    EXPECT_EQ(Export({{{10, 10, "kept"}}, {{10, 10, "lost"}}}, true), "\"kept\"\r\n");
}

TEST_F(CsvFilter, DoubleQuotesInsideATextAreDoubled) {
    EXPECT_EQ(Export({{{10, 10, "say \"hi\""}, {20, 10, "\""}}}), "\"say \"\"hi\"\"\",\"\"\"\"\r\n");
}

TEST_F(CsvFilter, SeparatorsAndLineBreaksInsideATextStayInsideTheQuotes) {
    EXPECT_EQ(Export({{{10, 10, "a,b\r\nc"}}}), "\"a,b\r\nc\"\r\n");
}

TEST_F(CsvFilter, TheSeparatorIsSharedByEveryComponentAndFilter) {
    FilterLibraryOwner owner;
    TQRCSVFilter first;
    TQRCSVFilter second;
    second.SetSeparator(';');
    EXPECT_EQ(first.Separator(), ';');
    EXPECT_EQ(Export({{{10, 10, "a"}, {20, 10, "b"}}}), "\"a\";\"b\"\r\n");
}

TEST_F(CsvFilter, EveryComponentConstructionResetsTheSeparatorToComma) {
    FilterLibraryOwner owner;
    CSVSeparator = '\0';
    TQRCSVFilter first;
    first.SetSeparator('\t');
    TQRCSVFilter second;
    EXPECT_EQ(CSVSeparator, ',');
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
    explicit ShortCsvFilter(std::size_t capacity) : TQRCommaSeparatedFilter(std::string()), m_capacity(capacity) {}
    void OpenOutput(const std::string&) override { FStream = std::make_unique<test::ShortStream>(m_capacity); }

private:
    std::size_t m_capacity;
};

TEST_F(CsvFilter, AShortWriteStopsTheExportWithStreamWriteError) {
    ShortCsvFilter filter(3);
    filter.BeginExport(2100, 2970, {});
    filter.FinishPage();
    filter.BeginPage();
    filter.AddText(10, 10, {}, 0, taLeftJustify, "abcdef");
    EXPECT_THROW(
        {
            try {
                filter.FinishPage();
            } catch (const StreamError& error) {
                EXPECT_STREQ(error.what(), "Stream write error");
                throw;
            }
        },
        StreamError);
}

TEST_F(CsvFilter, AFullDiskStopsTheExport) {
    TQRCommaSeparatedFilter filter("/dev/full");
    filter.BeginExport(2100, 2970, {});
    filter.BeginPage();
    filter.AddText(10, 10, {}, 0, taLeftJustify, "abc");
    EXPECT_THROW(filter.FinishPage(), StreamError);
}

}  // namespace
}  // namespace qrp::exporter
