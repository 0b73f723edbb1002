// qrpview [FILE]: the report is the first argument that is not an option, exactly as typed.
#include "app/viewer_command_line.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace qrp::test {
namespace {

std::string ReportFile(std::vector<std::string> args) {
    std::vector<char*> argv;
    for (std::string& arg : args)
        argv.push_back(arg.data());
    argv.push_back(nullptr);
    return app::ReportFileArgument(static_cast<int>(args.size()), argv.data());
}

TEST(ViewerCommandLine, ReportIsTheFirstArgumentByteForByte) {
    EXPECT_EQ(ReportFile({"qrpview"}), "");
    EXPECT_EQ(ReportFile({"qrpview", "report.qrp"}), "report.qrp");
    EXPECT_EQ(ReportFile({"qrpview", "first.qrp", "second.qrp"}), "first.qrp");
    EXPECT_EQ(ReportFile({"qrpview", "--", "-dash.qrp"}), "-dash.qrp");
    // A Big5 file name on a UTF-8 system is no valid UTF-8, and still names its file.
    EXPECT_EQ(ReportFile({"qrpview", "\xb3\xf8\xaa\xed.qrp"}), "\xb3\xf8\xaa\xed.qrp");
}

}  // namespace
}  // namespace qrp::test
