// qrptool never writes over the report it reads, refuses inputs that are no files
// without waiting on them, and leaves an old output as it was when the disk fills up.
#include <filesystem>
#include <stdexcept>
#include <sys/stat.h>

#include <gtest/gtest.h>

#include "support/child_process.h"
#include "support/test_paths.h"
#include "tool_runner.h"

namespace qrp {
namespace {

namespace fs = std::filesystem;
using test::RunQrptool;

const std::string kSample = QRP_SAMPLE_DIR "/sample.qrp";

TEST(QrptoolFiles, NeverWritesOntoItsInput) {
    test::ScratchDir dir;
    const fs::path report = dir / "same.qrp", asPdf = dir / "same.pdf", emf = dir / "page.emf";
    fs::copy_file(kSample, report);
    fs::copy_file(kSample, asPdf);
    fs::create_symlink("same.qrp", dir / "alias.qrp");
    fs::create_hard_link(report, dir / "twin.txt");
    ASSERT_EQ(RunQrptool({"page", kSample, "1", "-o", emf}).status, 0);
    const auto sample = test::ReadFileBytes(kSample);
    const auto page = test::ReadFileBytes(emf);
    const std::vector<std::vector<std::string>> commands = {
        {"export", report, "--format", "csv", "-o", report},
        {"export", report, "--format", "text", "-o", dir / "alias.qrp"},
        {"export", report, "--format", "html", "-o", dir / "twin.txt"},
        {"page", report, "3", "-o", report},
        {"render", asPdf, "-o", asPdf},
        {"pdf", asPdf, "-o", asPdf},
        {"make", emf, emf},
    };
    for (const auto& args : commands) {
        const auto result = RunQrptool(args);
        EXPECT_EQ(result.status, 1) << args[0] << ": " << result.err;
        EXPECT_NE(result.err.find("is the report being shown"), std::string::npos) << args[0] << ": " << result.err;
    }
    EXPECT_EQ(test::ReadFileBytes(report), sample);
    EXPECT_EQ(test::ReadFileBytes(asPdf), sample);
    EXPECT_EQ(test::ReadFileBytes(emf), page);
}

TEST(QrptoolFiles, InputsThatAreNoFilesEndAtOnce) {
    test::ScratchDir dir;
    const fs::path pipe = dir / "pipe.qrp";
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    const auto fromPipe = RunQrptool({"info", pipe});
    EXPECT_EQ(fromPipe.status, 1);
    EXPECT_EQ(fromPipe.err, "qrptool: Cannot open file \"" + pipe.string() + "\". Not a regular file\n");
    const auto fromFolder = RunQrptool({"info", dir.Path()});
    EXPECT_EQ(fromFolder.err, "qrptool: Cannot open file \"" + dir.Path().string() + "\". Is a directory\n");
}

TEST(QrptoolFiles, DiskFullWhileExportingLeavesTheOldOutput) {
    test::ScratchDir dir;
    fs::permissions(dir.Path(), fs::perms::all);
    const fs::path out = dir / "out.htm";
    test::WriteFileBytes(out, {'o', 'l', 'd'});
    for (const char* format : {"html", "text"}) {
        const std::string said = test::RunInChild({std::nullopt, 2048}, [&] {
            const auto result = RunQrptool({"export", kSample, "--format", format, "-o", out});
            throw std::runtime_error(std::to_string(result.status) + " " + result.err);
        });
        EXPECT_EQ(said, "1 qrptool: Stream write error\n") << format;
    }
    EXPECT_EQ(test::ReadFileBytes(out), (std::vector<std::uint8_t>{'o', 'l', 'd'}));
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.Path()), fs::directory_iterator()), 1);
}

}  // namespace
}  // namespace qrp
