// The workbook as two independent readers see it: openpyxl here (through xlsx_cells.py),
// LibreOffice in tests/cli/xlsx_libreoffice_check.sh.
#include "export/xlsx_filter.h"

#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <map>
#include <sstream>
#include <sys/stat.h>
#include <thread>

#include <gtest/gtest.h>

#include "export/page_text_driver.h"
#include "export_driver.h"
#include "report/page_list.h"
#include "support/child_process.h"
#include "text_report.h"

namespace qrp::exporter::test {
namespace {

namespace fs = std::filesystem;

// What xlsx_cells.py prints for the workbook at path.
std::string ReadBack(const fs::path& path, const char* mode = "") {
    const std::string command =
        std::string(QRP_PYTHON3) + " " + QRP_XLSX_CELLS + " " + mode + " '" + path.string() + "' 2>&1";
    std::string output;
    if (FILE* pipe = ::popen(command.c_str(), "r")) {
        char buffer[4096];
        while (const std::size_t n = std::fread(buffer, 1, sizeof buffer, pipe))
            output.append(buffer, n);
        ::pclose(pipe);
    }
    return output;
}

// The facts of a read-back keyed by their first two fields ("cell\tSheet!A1" -> "s\ttext\tGeneral").
std::map<std::string, std::string> Facts(const std::string& readBack) {
    std::map<std::string, std::string> facts;
    std::istringstream lines(readBack);
    for (std::string line; std::getline(lines, line);) {
        const auto first = line.find('\t');
        const auto second = line.find('\t', first + 1);
        facts[line.substr(0, second)] = second == std::string::npos ? "" : line.substr(second + 1);
    }
    return facts;
}

// One item per line, on `lines` lines from `from`, in one column.
Page Column(int from, int lines) {
    Page page;
    page.reserve(static_cast<std::size_t>(lines));
    for (int i = 0; i < lines; ++i)
        page.push_back({100, 10 + 10.0L * i, "r" + std::to_string(from + i)});
    return page;
}

void Export(TQRExcelWorkbookFilter& filter, const std::vector<Page>& pages, TReportFacts facts = {"sales.qrp", 0}) {
    filter.SetReport(std::move(facts));
    Drive(filter, pages);
}

TEST(XlsxFilter, ReadersSeeNumbersDatesAndTextsAsTheReportShowsThem) {
    // The report's stamp is local time: in a zone eight hours ahead, noon is 04:00 UTC.
    const char* zone = std::getenv("TZ");
    const std::string savedZone = zone ? zone : "";
    ::setenv("TZ", "XST-8", 1);
    ::tzset();
    qrp::test::ScratchDir dir;
    const fs::path path = dir / "out.xlsx";
    TQRExcelWorkbookFilter filter(path.string());
    const char* texts[] = {
        "57",          "588.50", "33,544.50", "-1,234.5", "(1,234.00)", "12.5%",      "00123",      "NT$ 1,200",
        "=SUM(A1:A3)", "+1",     "@x",        "-A1",      "24001-A",    "2024-01-04", "2024-02-30", "1234567890123456"};
    Page page;
    for (int i = 0; i < 16; ++i)
        page.push_back({100, 10 + 10.0L * i, texts[i]});
    page.push_back({900, 10, "客戶名稱"});
    page.push_back({900, 20, "Café"});
    Export(filter, {page}, {"月報 2024.qrp", 45295.5});
    if (zone)
        ::setenv("TZ", savedZone.c_str(), 1);
    else
        ::unsetenv("TZ");
    ::tzset();

    const auto facts = Facts(ReadBack(path));
    EXPECT_EQ(facts.at("title\t月報 2024.qrp"), "");
    EXPECT_EQ(facts.at("created\t2024-01-04T04:00:00"), "");
    EXPECT_EQ(facts.at("sheet\t月報 2024"), "16");
    const std::map<std::string, std::string> expected = {
        {"A1", "n\t57.0\t0"},
        {"A2", "n\t588.5\t0.00"},
        {"A3", "n\t33544.5\t#,##0.00"},
        {"A4", "n\t-1234.5\t#,##0.0"},
        {"A5", "n\t-1234.0\t#,##0.00;(#,##0.00)"},
        {"A6", "n\t0.125\t0.0%"},
        {"A7", "s\t00123\tGeneral"},
        {"A8", "s\tNT$ 1,200\tGeneral"},
        {"A9", "s\t=SUM(A1:A3)\tGeneral"},
        {"A10", "s\t+1\tGeneral"},
        {"A11", "s\t@x\tGeneral"},
        {"A12", "s\t-A1\tGeneral"},
        {"A13", "s\t24001-A\tGeneral"},
        {"A14", "d\t2024-01-04\tyyyy-mm-dd"},
        {"A15", "s\t2024-02-30\tGeneral"},
        {"A16", "s\t1234567890123456\tGeneral"},
        {"B1", "s\t客戶名稱\tGeneral"},
        {"B2", "s\tCafé\tGeneral"},
    };
    for (const auto& [cell, what] : expected)
        EXPECT_EQ(facts.at("cell\t月報 2024!" + cell), what) << cell;
    // Widths in characters, wide ones counting two, and one of room: 16 + 1 and 4 * 2 + 1.
    EXPECT_EQ(facts.at("width\t月報 2024!A").substr(0, 3), "17.");
    EXPECT_EQ(facts.at("width\t月報 2024!B").substr(0, 2), "9.");
}

// Through the driver a workbook gets Unicode even where the other formats are asked for a
// character set that holds less.
TEST(XlsxFilter, TheDriverSendsUnicodeWhateverCharacterSetTheOthersGet) {
    qrp::test::ScratchDir dir;
    qrp::test::WriteReport(dir / "sales.qrp", qrp::test::SalesReportPages());
    TQRPageList list;
    list.OpenReport((dir / "sales.qrp").string());
    const PageSource pages{list.PageTotal(), [&list](std::int32_t n) { return list.FetchPage(n); }, kFilePageScale,
                           ReportFactsOf(list, "sales.qrp")};
    TQRExcelWorkbookFilter filter((dir / "sales.xlsx").string());
    ExportPageText(pages, filter, {"ISO-8859-1"});
    const auto facts = Facts(ReadBack(dir / "sales.xlsx"));
    EXPECT_EQ(facts.at("cell\tsales!A8"), "s\tCafé\tGeneral");
    EXPECT_EQ(facts.at("cell\tsales!A9"), "s\t合計金額\tGeneral");
    EXPECT_EQ(facts.at("title\tsales.qrp"), "");
}

TEST(XlsxFilter, RowsRunOnToANewSheetAtTheRowLimitAndEachPageCanHaveItsOwn) {
    qrp::test::ScratchDir dir;
    // Eleven pages of 100,000 lines: the limit falls inside the last page.
    std::vector<Page> pages;
    for (int n = 0; n < 11; ++n)
        pages.push_back(Column(n * 100000 + 1, 100000));
    {
        TQRExcelWorkbookFilter filter((dir / "long.xlsx").string());
        Export(filter, pages, {"long.qrp", 0});
    }
    EXPECT_EQ(ReadBack(dir / "long.xlsx", "--rows"),
              "long\tA1:A1048576\t1\tr1\t1048576\tr1048576\t1048576\n"
              "long (2)\tA1:A51424\t1\tr1048577\t51424\tr1100000\t51424\n");

    TQRExcelWorkbookFilter perPage((dir / "pages.xlsx").string());
    perPage.SetSheetPerPage(true);
    Export(perPage, {Column(1, 2), {}, Column(3, 1)});
    const auto facts = Facts(ReadBack(dir / "pages.xlsx"));
    EXPECT_EQ(facts.at("sheet\tPage 1"), "2");
    EXPECT_EQ(facts.at("sheet\tPage 2"), "1");  // an empty sheet for the empty page
    EXPECT_EQ(facts.at("cell\tPage 3!A1"), "s\tr3\tGeneral");
    EXPECT_EQ(facts.count("sheet\tsales"), 0u);
}

TEST(XlsxFilter, AFullDiskKeepsTheOldFileAndLeavesNoTemporaries) {
    qrp::test::ScratchDir dir;
    const fs::path out = dir / "out" / "book.xlsx";
    const fs::path temp = dir / "tmp";
    fs::create_directories(out.parent_path());
    fs::create_directories(temp);
    const std::vector<std::uint8_t> old = {'o', 'l', 'd', '\n'};
    qrp::test::WriteFileBytes(out, old);
    std::vector<Page> pages;
    for (int n = 0; n < 4; ++n)
        pages.push_back(Column(n * 5000, 5000));
    // The full sheet's size, from a workbook written without a limit.
    {
        TQRExcelWorkbookFilter filter((dir / "free.xlsx").string());
        Export(filter, pages);
    }
    const std::string sizeCommand = std::string(QRP_PYTHON3) +
                                    " -c \"import sys, zipfile; print(zipfile.ZipFile(sys.argv[1])"
                                    ".getinfo('xl/worksheets/sheet1.xml').file_size)\" " +
                                    (dir / "free.xlsx").string();
    FILE* pipe = ::popen(sizeCommand.c_str(), "r");
    long sheetSize = 0;
    ASSERT_EQ(std::fscanf(pipe, "%ld", &sheetSize), 1);
    ::pclose(pipe);
    // A small limit stops the rows on their way to the library's temporary file; one just
    // below the sheet's size lets the rows through and stops the sheet as it is assembled
    // for the workbook. Both writes go unchecked in the library.
    for (const long limit : {64L << 10, sheetSize - 10}) {
        const std::string error = qrp::test::RunInChild({.user = std::nullopt, .fileSizeLimit = limit}, [&] {
            ::setenv("TMPDIR", temp.c_str(), 1);
            TQRExcelWorkbookFilter filter(out.string());
            Export(filter, pages);
        });
        EXPECT_NE(error.find("Cannot create file"), std::string::npos) << limit << ": " << error;
        EXPECT_EQ(qrp::test::ReadFileBytes(out), old) << limit;
        EXPECT_EQ(std::distance(fs::directory_iterator(out.parent_path()), {}), 1) << limit;
        EXPECT_TRUE(fs::is_empty(temp)) << limit;
    }
    // Without the limit the same export succeeds.
    TQRExcelWorkbookFilter filter(out.string());
    Export(filter, pages);
    EXPECT_EQ(Facts(ReadBack(out)).at("sheet\tsales"), "20000");
}

TEST(XlsxFilter, AWorkbookReachesAPipeWhole) {
    qrp::test::ScratchDir dir;
    const fs::path fifo = dir / "pipe";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    std::vector<std::uint8_t> received;
    std::thread reader([&] {
        const int fd = ::open(fifo.c_str(), O_RDONLY);
        char buffer[4096];
        for (ssize_t n; (n = ::read(fd, buffer, sizeof buffer)) > 0;)
            received.insert(received.end(), buffer, buffer + n);
        ::close(fd);
    });
    std::string error;
    try {
        TQRExcelWorkbookFilter filter(fifo.string());
        Export(filter, {Column(1, 3)});
    } catch (const std::exception& e) {
        error = e.what();
    }
    reader.join();
    ASSERT_EQ(error, "");
    qrp::test::WriteFileBytes(dir / "copy.xlsx", received);
    EXPECT_EQ(Facts(ReadBack(dir / "copy.xlsx")).at("cell\tsales!A3"), "s\tr3\tGeneral");
}

}  // namespace
}  // namespace qrp::exporter::test
