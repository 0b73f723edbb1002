// qrptool export: the same files as the page text driver writes through the document,
// the separator and character set options, and its usage errors.
#include <cstdio>
#include <iconv.h>

#include <gtest/gtest.h>

#include "support/test_paths.h"
#include "text_report.h"
#include "tool_runner.h"

namespace qrp {
namespace {

using test::RunQrptool;

class ExportCommand : public ::testing::Test {
  protected:
    ExportCommand() { test::WriteReport(report, test::SalesReportPages()); }

    // Runs the export and returns the file it wrote.
    std::string Export(std::vector<std::string> options) {
        std::vector<std::string> args = {"export", report.string(), "-o", out.string()};
        args.insert(args.end(), options.begin(), options.end());
        const auto result = RunQrptool(args);
        EXPECT_EQ(result.status, 0) << result.err;
        EXPECT_EQ(result.err, "");
        const auto bytes = test::ReadFileBytes(out);
        return {bytes.begin(), bytes.end()};
    }

    static std::filesystem::path Golden(const std::string& name) {
        return test::DataDir() / "golden" / "export" / name;
    }

    test::ScratchDir dir;
    std::filesystem::path report = dir / "sales.qrp";
    std::filesystem::path out = dir / "out";
};

TEST_F(ExportCommand, WritesWhatTheViewerWrites) {
    EXPECT_EQ(test::CompareGolden(Golden("sales_report.txt"), Export({"--format", "text"})), "");
    EXPECT_EQ(test::CompareGolden(Golden("sales_report.csv"), Export({"--format", "csv"})), "");
    EXPECT_EQ(test::CompareGolden(Golden("sales_report.htm"), Export({"--format=html", "--encoding", "UTF-8"})), "");
}

TEST_F(ExportCommand, SeparatorAndCharacterSet) {
    const std::string csv = Export({"--format", "csv", "--separator", ";"});
    EXPECT_NE(csv.find("\"Item\";\"\";\"Price\"\r\n"), std::string::npos) << csv;
    EXPECT_NE(Export({"--format", "csv", "--separator", "\\t"}).find("\"Item\"\t\"\"\t\"Price\"\r\n"),
              std::string::npos);
    const std::string big5 = Export({"--format", "text", "--encoding", "CP950"});
    EXPECT_NE(big5.find("\xA6\x58\xAD\x70\xAA\xF7\xC3\x42\r\n"), std::string::npos) << big5;  // 合計金額
}

// The sample report's columns line up in UTF-8 as in CP950, where a byte is a column: its
// UTF-8 export is its CP950 export in the other character set.
TEST_F(ExportCommand, WideCharactersKeepTheColumnsInUtf8) {
    report = QRP_SAMPLE_DIR "/sample.qrp";
    const std::string utf8 = Export({"--format", "text", "--encoding", "UTF-8"});
    const std::string big5 = Export({"--format", "text", "--encoding", "CP950"});
    iconv_t converter = iconv_open("UTF-8", "CP950");
    ASSERT_NE(converter, reinterpret_cast<iconv_t>(-1));
    std::string converted(big5.size() * 2, '\0');
    char* in = const_cast<char*>(big5.data());
    char* out = converted.data();
    std::size_t inLeft = big5.size(), outLeft = converted.size();
    ASSERT_NE(iconv(converter, &in, &inLeft, &out, &outLeft), static_cast<std::size_t>(-1));
    iconv_close(converter);
    converted.resize(converted.size() - outLeft);
    EXPECT_EQ(converted, utf8);
    // Quantities end in column 76 (the line of invoice 24008 has a five-character name).
    EXPECT_NE(utf8.find("\xE8\x98\xAD\xE8\x8A\xB1\xE5\x8C\x96\xE5\xA6\x9D\xE5\x93\x81          56  "),
              std::string::npos);
}

TEST_F(ExportCommand, ErrorsAndUsage) {
    const std::string base[] = {"export", report.string(), "-o", out.string()};
    const auto run = [&](std::vector<std::string> extra) {
        std::vector<std::string> args(std::begin(base), std::end(base));
        args.insert(args.end(), extra.begin(), extra.end());
        return RunQrptool(args);
    };
    EXPECT_EQ(run({}).status, 2);  // no --format
    EXPECT_EQ(run({"--format", "pdf"}).status, 2);
    EXPECT_EQ(run({"--format", "csv", "--separator", ";;"}).status, 2);
    EXPECT_EQ(run({"--format", "text", "--separator", ";"}).status, 2);
    EXPECT_EQ(RunQrptool({"export", report.string(), "--format", "text"}).status, 2);  // no -o

    const auto unknown = run({"--format", "text", "--encoding", "NO-SUCH-CHARSET"});
    EXPECT_EQ(unknown.status, 1);
    EXPECT_EQ(unknown.err, "qrptool: Unknown character set \"NO-SUCH-CHARSET\"\n");
    EXPECT_FALSE(std::filesystem::exists(out));  // found before the file is made

    const auto missing = RunQrptool({"export", "/nonexistent.qrp", "--format", "csv", "-o", out.string()});
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(missing.err, "qrptool: Cannot open file \"/nonexistent.qrp\". No such file or directory\n");

    const auto help = RunQrptool({"export", "--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_TRUE(help.out.starts_with("usage: qrptool export FILE --format text|csv|html|xlsx -o OUT")) << help.out;

    EXPECT_EQ(run({"--format", "xlsx", "--encoding", "CP950"}).status, 2);  // a workbook is Unicode
    EXPECT_EQ(run({"--format", "csv", "--sheet-per-page"}).status, 2);
}

// The workbook holds the CSV's cells, in Unicode whatever the locale, numbers as numbers.
TEST_F(ExportCommand, WorkbookCellsAreTheCsvCells) {
    out = dir / "sales.xlsx";  // the reader goes by the extension
    Export({"--format", "xlsx"});
    const std::string command = std::string(QRP_PYTHON3) + " " + QRP_XLSX_CELLS + " '" + out.string() + "' 2>&1";
    const auto readBack = [&] {
        std::string text;
        FILE* pipe = ::popen(command.c_str(), "r");
        char buffer[4096];
        while (const std::size_t n = std::fread(buffer, 1, sizeof buffer, pipe))
            text.append(buffer, n);
        ::pclose(pipe);
        return text;
    };
    const std::string cells = readBack();
    for (const char* line : {"title\tsales.qrp\n", "sheet\tsales\t9\n", "cell\tsales!B1\ts\tSales report\tGeneral\n",
                             "cell\tsales!C3\tn\t1.5\t0.00\n", "cell\tsales!B7\tn\t14.5\t0.00\n",
                             "cell\tsales!A8\ts\tCafé\tGeneral\n", "cell\tsales!A9\ts\t合計金額\tGeneral\n"})
        EXPECT_NE(cells.find(line), std::string::npos) << line << cells;
    Export({"--format", "xlsx", "--sheet-per-page"});
    const std::string pages = readBack();
    EXPECT_NE(pages.find("sheet\tPage 1\t6\n"), std::string::npos) << pages;
    EXPECT_NE(pages.find("cell\tPage 2!A3\ts\t合計金額\tGeneral\n"), std::string::npos) << pages;
}

}  // namespace
}  // namespace qrp
