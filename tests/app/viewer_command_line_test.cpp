// qrpview [FILE] [--page N] [--find TEXT]: the report is the first argument that is not an
// option or an option's value, exactly as typed.
#include "app/viewer_command_line.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace qrp::test {
namespace {

// Calls `function` with `args` as argc and argv.
template <typename Function>
auto WithArgv(std::vector<std::string> args, Function function) {
    std::vector<char*> argv;
    for (std::string& arg : args)
        argv.push_back(arg.data());
    argv.push_back(nullptr);
    return function(static_cast<int>(args.size()), argv.data());
}

std::string ReportFile(std::vector<std::string> args) {
    return WithArgv(std::move(args), app::ReadViewerRequests).File;
}

TEST(ViewerCommandLine, ReportIsTheFirstArgumentByteForByte) {
    EXPECT_EQ(ReportFile({"qrpview"}), "");
    EXPECT_EQ(ReportFile({"qrpview", "report.qrp"}), "report.qrp");
    EXPECT_EQ(ReportFile({"qrpview", "first.qrp", "second.qrp"}), "first.qrp");
    EXPECT_EQ(ReportFile({"qrpview", "--", "-dash.qrp"}), "-dash.qrp");
    // A Big5 file name on a UTF-8 system is no valid UTF-8, and still names its file.
    EXPECT_EQ(ReportFile({"qrpview", "\xb3\xf8\xaa\xed.qrp"}), "\xb3\xf8\xaa\xed.qrp");
}

TEST(ViewerCommandLine, PageAndFindTakeTheirValuesWhereverTheyStand) {
    const app::ViewerRequests both =
        WithArgv({"qrpview", "--page", "3", "--find", "Silver Bay", "report.qrp"}, app::ReadViewerRequests);
    EXPECT_EQ(both.File, "report.qrp");
    EXPECT_EQ(both.Page, 3);
    EXPECT_EQ(both.Find, "Silver Bay");
    const app::ViewerRequests joined =
        WithArgv({"qrpview", "report.qrp", "--page=0", "-find", "x.qrp"}, app::ReadViewerRequests);
    EXPECT_EQ(joined.File, "report.qrp");
    EXPECT_EQ(joined.Page, 1);  // clamped as the page spin edit clamps
    EXPECT_EQ(joined.Find, "x.qrp");
    EXPECT_EQ(ReportFile({"qrpview", "-page", "7"}), "");
}

// --help and --version are answered before Qt starts; Qt's own options are left for it, also
// those whose letters include an h or a v.
TEST(ViewerCommandLine, OnlyHelpAndVersionAreAnsweredBeforeTheWindow) {
    EXPECT_EQ(WithArgv({"qrpview", "--version"}, app::AnswerWithoutWindow), 0);
    EXPECT_EQ(WithArgv({"qrpview", "-h"}, app::AnswerWithoutWindow), 0);
    for (const char* qtOption : {"-reverse", "-stylesheet", "-platformtheme"})
        EXPECT_EQ(WithArgv({"qrpview", qtOption, "report.qrp"}, app::AnswerWithoutWindow), std::nullopt) << qtOption;
    EXPECT_EQ(WithArgv({"qrpview", "report.qrp"}, app::AnswerWithoutWindow), std::nullopt);
}

}  // namespace
}  // namespace qrp::test
