// Every PDF made of a report names it and carries its date: qrptool pdf (plain and PDF/A),
// the viewer's and print's PDF printer, and qrptool render, in a zone east of UTC and in
// UTC itself. Checked with poppler, which must read the rewritten file without a fault.
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <iterator>
#include <limits>
#include <optional>
#include <sys/stat.h>

#include <gtest/gtest.h>

#include "print_checks.h"
#include "qrp_version.h"
#include "support/test_paths.h"

namespace qrp::print {
namespace {

// 2019-03-04 05:06:07 as days since 1899-12-30.
constexpr double kStamp = 43528 + (5 * 3600 + 6 * 60 + 7) / 86400.0;

std::string FileText(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), {}};
}

class ZoneSetting {
  public:
    explicit ZoneSetting(const char* zone) {
        if (const char* old = std::getenv("TZ"))
            m_old = old;
        ::setenv("TZ", zone, 1);
    }
    ~ZoneSetting() {
        if (m_old)
            ::setenv("TZ", m_old->c_str(), 1);
        else
            ::unsetenv("TZ");
    }

  private:
    std::optional<std::string> m_old;
};

TEST(PdfMetadata, EveryPdfCarriesTheReportsNameCreatorAndStamp) {
    const test::ScratchDir dir;
    const auto report = dir / "march report.qrp";
    test::WriteTextReport(report, 2);
    test::WriteReportStamp(report, kStamp);
    const auto pdf = dir / "out.pdf", archive = dir / "archive.pdf", page = dir / "page.pdf";
    // The stamp is the local time of day where the report is read.
    for (const auto& [zone, expectedDate] :
         {std::pair{"Asia/Kolkata", "2019-03-04T05:06:07+05:30"}, std::pair{"UTC", "2019-03-04T05:06:07Z"}}) {
        SCOPED_TRACE(zone);
        const std::string expected = expectedDate;
        const ZoneSetting setting(zone);
        ASSERT_EQ(test::Qrptool({"pdf", report.string(), "-o", pdf.string()}).status, 0);
        ASSERT_EQ(test::Qrptool({"pdf", "--pdfa", report.string(), "-o", archive.string()}).status, 0);
        ASSERT_EQ(test::Qrptool({"render", report.string(), "-o", page.string()}).status, 0);
        for (const auto& made : {pdf, archive, page}) {
            SCOPED_TRACE(made.filename().string());
            const std::string info = test::PdfInfo(made);
            EXPECT_EQ(info.find("Error"), std::string::npos) << info;
            EXPECT_NE(info.find("Title:           march report.qrp\n"), std::string::npos) << info;
            EXPECT_NE(info.find("Creator:         qrpview " QRP_VERSION "\n"), std::string::npos) << info;
            EXPECT_NE(info.find("CreationDate:    " + expected + "\n"), std::string::npos) << info;
            EXPECT_NE(test::PdfText(made).find("Page 1"), std::string::npos);
        }
        const std::string xmp = FileText(archive);
        EXPECT_NE(xmp.find("pdfaid:part=\"1\" pdfaid:conformance=\"B\""), std::string::npos);
        EXPECT_NE(xmp.find("/OutputIntents"), std::string::npos);
        EXPECT_NE(xmp.find("xmp:CreateDate=\"" + expected + "\""), std::string::npos);
        EXPECT_NE(xmp.find("xmp:ModifyDate=\"" + expected + "\""), std::string::npos);
        EXPECT_EQ(FileText(pdf).find("pdfaid"), std::string::npos);
    }

    // A header with no date in it: the file's own time stands in.
    const ZoneSetting utc("UTC");
    test::WriteReportStamp(report, std::numeric_limits<double>::quiet_NaN());
    const timespec noon{1262347200, 0};  // 2010-01-01 12:00 UTC
    const timespec times[2] = {noon, noon};
    ASSERT_EQ(::utimensat(AT_FDCWD, report.c_str(), times, 0), 0);
    ASSERT_EQ(test::Qrptool({"pdf", report.string(), "-o", pdf.string()}).status, 0);
    EXPECT_NE(test::PdfInfo(pdf).find("CreationDate:    2010-01-01T12:00:00Z\n"), std::string::npos)
        << test::PdfInfo(pdf);
}

}  // namespace
}  // namespace qrp::print
