// qrptool text and find: the reading-order text of a page and of the report, grep's exit
// statuses, and an output that would overwrite the report.
#include <gtest/gtest.h>

#include "support/test_paths.h"
#include "text_report.h"
#include "tool_runner.h"

namespace qrp {
namespace {

using test::RunQrptool;

const std::string kSample = QRP_SAMPLE_DIR "/sample.qrp";

TEST(TextCommand, WritesPagesInReadingOrderEachEndedByAFormFeed) {
    test::ScratchDir dir;
    const auto report = dir / "sales.qrp";
    test::WriteReport(report, test::SalesReportPages());

    const auto all = RunQrptool({"text", report.string()});
    EXPECT_EQ(all.status, 0) << all.err;
    EXPECT_EQ(all.out,
              "Sales report\nItem\tPrice\nApples\t1.50\nPears\t12.25\nPlums\t0.75\nPage 1\n\f"
              "Total\t14.50\nCafé\n合計金額\n\f");

    const auto out = dir / "page2.txt";
    EXPECT_EQ(RunQrptool({"text", report.string(), "--page", "2", "-o", out.string()}).status, 0);
    const auto bytes = test::ReadFileBytes(out);
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), "Total\t14.50\nCafé\n合計金額\n\f");

    const auto ontoReport = RunQrptool({"text", report.string(), "-o", report.string()});
    EXPECT_EQ(ontoReport.status, 1);
    EXPECT_TRUE(ontoReport.err.starts_with("qrptool: ")) << ontoReport.err;
    EXPECT_EQ(RunQrptool({"text", report.string()}).out, all.out);  // the report is intact

    EXPECT_EQ(RunQrptool({"text", report.string(), "--page", "3"}).err, "qrptool: Page number 3 is out of range\n");
    EXPECT_EQ(RunQrptool({"text", report.string(), "--page", "0"}).status, 2);
}

TEST(FindCommand, PrintsEachLineHoldingTheTextAndExitsAsGrepDoes) {
    const auto found = RunQrptool({"find", kSample, "Grand total"});
    EXPECT_EQ(found.status, 0) << found.err;
    EXPECT_EQ(found.out, "12: Grand total\t總金額\t7,976,305.25\n");

    // Letter case matters unless asked otherwise; a match may cross the columns of a line.
    EXPECT_EQ(RunQrptool({"find", kSample, "grand TOTAL"}).status, 1);
    EXPECT_EQ(RunQrptool({"find", kSample, "grand TOTAL 總金額", "--ignore-case"}).out, found.out);
    EXPECT_EQ(RunQrptool({"find", kSample, "總金額"}).out, found.out);

    const auto none = RunQrptool({"find", kSample, "no such customer"});
    EXPECT_EQ(none.status, 1);
    EXPECT_EQ(none.out, "");
    EXPECT_EQ(none.err, "");

    const auto missing = RunQrptool({"find", "/nonexistent/report.qrp", "x"});
    EXPECT_EQ(missing.status, 2);
    EXPECT_TRUE(missing.err.starts_with("qrptool: ")) << missing.err;
    EXPECT_EQ(RunQrptool({"find", kSample}).status, 2);
}

}  // namespace
}  // namespace qrp
