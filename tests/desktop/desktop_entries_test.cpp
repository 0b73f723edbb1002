// What the package tells the desktop: the report type, recognised by content as well as by
// name, the thumbnailer entry, and the version the programs report.
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include <gtest/gtest.h>

#include "print/print_checks.h"
#include "qrp_version.h"
#include "support/test_paths.h"

namespace qrp::test {
namespace {

namespace fs = std::filesystem;

const fs::path kDesktopDir = fs::path(QRP_SOURCE_DIR) / "data" / "desktop";

fs::path ToolDir() {
    return BinaryDir() / "tools" / "qrptool";
}

// The content type GLib gives the file with the report type in a MIME database of its own.
std::string ContentType(const fs::path& data, const fs::path& file) {
    const CommandResult info = test::Run("XDG_DATA_DIRS=" + Quoted(data.string()) +
                                         ":/usr/share XDG_DATA_HOME=" + Quoted((data / "home").string()) +
                                         " gio info --attributes=standard::content-type " + Quoted(file.string()));
    const auto at = info.out.find("standard::content-type: ");
    return at == std::string::npos ? info.out : info.out.substr(at + 24, info.out.find('\n', at) - at - 24);
}

TEST(DesktopEntries, ReportTypeIsKnownByContentWithoutTheSuffix) {
    const ScratchDir dir;
    const fs::path data = dir / "share";
    fs::create_directories(data / "mime" / "packages");
    fs::copy_file(kDesktopDir / "qrpview-mime.xml", data / "mime" / "packages" / "qrpview.xml");
    ASSERT_EQ(test::Run("update-mime-database " + Quoted((data / "mime").string())).status, 0);

    fs::copy_file(BinaryDir() / "samples" / "sample.qrp", dir / "report");
    fs::copy_file(BinaryDir() / "samples" / "sample-packed.qrp", dir / "packed");
    fs::copy_file(BinaryDir() / "samples" / "sample.qrp", dir / "REPORT.QRP");
    // The older layout: a 124-byte header, then page 1's record.
    std::vector<std::uint8_t> legacy = {3, 0, 0x35, 1, 0, 0, 0, 0, 1};
    legacy.resize(124);
    legacy.insert(legacy.end(), {1, 0, 0, 0, 0x40, 0x10, 0, 0});
    legacy.resize(400, 0xAB);
    WriteFileBytes(dir / "legacy", legacy);
    for (const char* name : {"report", "packed", "REPORT.QRP", "legacy"})
        EXPECT_EQ(ContentType(data, dir / name), "application/x-qrp-report") << name;

    // The header's first bytes alone, without a page record behind them, are no report.
    std::vector<std::uint8_t> lookalike = {3, 0, 0x35, 1};
    lookalike.resize(400, 0x7F);
    WriteFileBytes(dir / "lookalike", lookalike);
    EXPECT_NE(ContentType(data, dir / "lookalike"), "application/x-qrp-report");
    WriteFileBytes(dir / "notes", {'t', 'e', 'x', 't', '\n'});
    EXPECT_EQ(ContentType(data, dir / "notes"), "text/plain");
}

TEST(DesktopEntries, ThumbnailerEntryRunsAsFileManagersRunIt) {
    std::ifstream entry(kDesktopDir / "qrpview.thumbnailer");
    std::string line, exec, mimeTypes;
    while (std::getline(entry, line)) {
        if (line.starts_with("Exec="))
            exec = line.substr(5);
        if (line.starts_with("MimeType="))
            mimeTypes = line.substr(9);
    }
    EXPECT_EQ(mimeTypes, "application/x-qrp-report;");
    const ScratchDir dir;
    const fs::path png = dir / "thumbnail.png";
    for (const auto& [code, value] :
         {std::pair<std::string, std::string>{"%i", Quoted((BinaryDir() / "samples" / "sample.qrp").string())},
          {"%o", Quoted(png.string())},
          {"%s", "128"}})
        exec.replace(exec.find(code), code.size(), value);
    const CommandResult run = test::Run("PATH=" + Quoted(ToolDir().string()) + ":$PATH " + exec);
    ASSERT_EQ(run.status, 0) << exec;
    const auto bytes = ReadFileBytes(png);
    ASSERT_GE(bytes.size(), 24u);
    EXPECT_EQ(bytes[1], 'P');
    const auto u32 = [&](std::size_t at) {
        return bytes[at] << 24 | bytes[at + 1] << 16 | bytes[at + 2] << 8 | bytes[at + 3];
    };
    EXPECT_NEAR(u32(16), 128 * 210.0 / 297.0, 1);  // A4 portrait, 128 pixels high
    EXPECT_EQ(u32(20), 128);
}

// Both programs answer --version and --help without a display: from a terminal over ssh,
// from a packaging script.
TEST(DesktopEntries, ProgramsSayTheProjectVersionWithoutADisplay) {
    const std::string noDisplay = "env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM ";
    const fs::path viewer = BinaryDir() / "src" / "app" / "qrpview";
    EXPECT_EQ(test::Run(noDisplay + Quoted(viewer.string()) + " --version").out, "qrpview " QRP_VERSION "\n");
    EXPECT_EQ(test::Run(noDisplay + Quoted((ToolDir() / "qrptool").string()) + " --version").out,
              "qrptool " QRP_VERSION "\n");
    const CommandResult help = test::Run(noDisplay + Quoted(viewer.string()) + " --help");
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("[options] [FILE]"), std::string::npos) << help.out;
    EXPECT_EQ(test::Run("QT_QPA_PLATFORM=offscreen " + Quoted(viewer.string()) + " --no-such-option").status, 1);
}

}  // namespace
}  // namespace qrp::test
