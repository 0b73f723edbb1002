// The desktop search: Recoll, given the package's configuration folder, indexes a report
// through qrptool text and finds it, and the page, by a word printed on its page 7.
#include <filesystem>
#include <fstream>
#include <string>

#include <gtest/gtest.h>

#include "emf/recorder.h"
#include "print/print_checks.h"
#include "report/page_list.h"
#include "support/test_paths.h"

namespace qrp::test {
namespace {

namespace fs = std::filesystem;

// Nine invoice pages; page n carries invoice number "INV" n "0815" and page 7 alone the
// customer "Quillfeather".
void WriteInvoices(const fs::path& path) {
    TQRPageList list;
    list.AttachStream(std::make_unique<TQRStream>(100000));
    for (int n = 1; n <= 9; ++n) {
        emf::Recorder page(794, 1123, emf::ReferenceDevice::Screen(1920, 1080, 96));
        page.SelectObject(page.CreateFont({.height = -16, .faceName = u"Arial"}));
        const std::string number = "INV" + std::to_string(n) + "0815";
        page.ExtTextOut(50, 60, std::u16string(number.begin(), number.end()));
        page.ExtTextOut(50, 100, n == 7 ? u"Customer Quillfeather" : u"Customer Smith");
        list.AppendPage(*PagePicture::FromBytes(page.Finish()));
    }
    list.Finish();
    list.SaveCopy(path.string());
}

TEST(DesktopSearch, RecollFindsAReportAndItsPageByAWordOnIt) {
    if (test::Run("command -v recollindex && command -v recollq").status != 0)
        GTEST_SKIP() << "recoll is not installed";
    const ScratchDir dir;
    const fs::path reports = dir / "archive", config = dir / "recoll";
    fs::create_directories(reports);
    fs::create_directories(config);
    WriteInvoices(reports / "march.qrp");
    std::ofstream(reports / "notes.txt") << "nothing about customers\n";
    std::ofstream(config / "recoll.conf") << "topdirs = " << reports.string() << "\n";

    const std::string environment =
        "RECOLL_CONFMID=" + Quoted((fs::path(QRP_SOURCE_DIR) / "data" / "recoll").string()) +
        " PATH=" + Quoted((BinaryDir() / "tools" / "qrptool").string()) + ":\"$PATH\" ";
    const std::string withConfig = " -c " + Quoted(config.string()) + " ";
    ASSERT_EQ(test::Run(environment + "recollindex" + withConfig).status, 0);

    const CommandResult found = test::Run(environment + "recollq" + withConfig + "-b quillfeather");
    EXPECT_EQ(found.out, "file://" + (reports / "march.qrp").string() + "\n");
    // The snippets name the page of the match: page 7, as the viewer numbers it.
    const CommandResult page = test::Run(environment + "recollq" + withConfig + "-A -p 1 quillfeather");
    EXPECT_NE(page.out.find("application/x-qrp-report"), std::string::npos) << page.out;
    EXPECT_NE(page.out.find("\n7 : "), std::string::npos) << page.out;
    EXPECT_EQ(test::Run(environment + "recollq" + withConfig + "-b inv30815").out,
              "file://" + (reports / "march.qrp").string() + "\n");
}

}  // namespace
}  // namespace qrp::test
