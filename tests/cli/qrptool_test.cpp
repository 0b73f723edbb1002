#include <filesystem>
#include <stdexcept>
#include <sys/stat.h>

#include <gtest/gtest.h>

#include "base/byte_order.h"
#include "support/child_process.h"
#include "support/test_paths.h"
#include "tool_runner.h"

namespace qrp {
namespace {

namespace fs = std::filesystem;
using test::RunQrptool;

const std::string kSample = QRP_SAMPLE_DIR "/sample.qrp";

TEST(Qrptool, InfoOfTheSample) {
    const auto text = RunQrptool({"info", kSample});
    ASSERT_EQ(text.status, 0) << text.err;
    EXPECT_NE(text.out.find("pages:       12"), std::string::npos) << text.out;
    EXPECT_NE(text.out.find("page 12: "), std::string::npos);

    const auto json = RunQrptool({"info", QRP_SAMPLE_DIR "/sample-packed.qrp", "--json"});
    ASSERT_EQ(json.status, 0) << json.err;
    for (const char* key : {"\"pages\": 12", "\"header_size\": 128", "\"compressed\": true", "\"stamp\": \"20",
                            "\"page_list\": [{\"number\": 1, \"bytes\": ", "\"width_px\": 794, \"height_px\": 1123}"})
        EXPECT_NE(json.out.find(key), std::string::npos) << key << " in " << json.out;
}

TEST(Qrptool, ErrorsAndUsage) {
    const auto missing = RunQrptool({"info", "/nonexistent.qrp"});
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(missing.err, "qrptool: Cannot open file \"/nonexistent.qrp\". No such file or directory\n");

    EXPECT_EQ(RunQrptool({}).status, 2);
    EXPECT_EQ(RunQrptool({"frobnicate"}).status, 2);
    EXPECT_EQ(RunQrptool({"info"}).status, 2);
    EXPECT_EQ(RunQrptool({"page", kSample, "0", "-o", "/tmp/x.emf"}).status, 2);
    EXPECT_EQ(RunQrptool({"info", kSample, "--bogus"}).status, 2);

    const auto beyond = RunQrptool({"page", kSample, "13", "-o", "/tmp/never.emf"});
    EXPECT_EQ(beyond.status, 1);
    EXPECT_EQ(beyond.err, "qrptool: Page number 13 is out of range\n");

    for (const char* command : {"info", "page", "make", "check"}) {
        const auto help = RunQrptool({command, "--help"});
        EXPECT_EQ(help.status, 0) << command;
        EXPECT_TRUE(help.out.starts_with(std::string("usage: qrptool ") + command)) << help.out;
    }
    EXPECT_EQ(RunQrptool({"--help"}).status, 0);
}

// lp would split a job option at a blank or a line break into options of its own.
TEST(Qrptool, JobOptionsThatLpWouldSplitAreUsageErrors) {
    for (const auto& [option, named] : {std::pair{"a=1 b=2", "a=1 b=2"}, std::pair{"a=1\nsides=one-sided", "a=1"}}) {
        const auto result = RunQrptool({"print", kSample, "--printer", "no such printer", "--option", option});
        EXPECT_EQ(result.status, 2) << option;
        EXPECT_NE(result.err.find(named), std::string::npos) << result.err;
        EXPECT_NE(result.err.find("--option"), std::string::npos) << result.err;
    }
    // Letters beyond ASCII are no separators: the job reaches the printer (here, none such).
    const auto accented = RunQrptool({"print", kSample, "--printer", "no such printer", "--option", "job-name=Café"});
    EXPECT_EQ(accented.status, 1) << accented.err;
}

TEST(Qrptool, CheckFindsTheFirstBadPage) {
    test::ScratchDir dir;
    EXPECT_EQ(RunQrptool({"check", kSample}).status, 0);
    auto bytes = test::ReadFileBytes(kSample);
    // Spoil the second record's EMF signature.
    const std::int32_t second = LoadI32(&bytes[132]);
    bytes[static_cast<std::size_t>(second) + 8 + 40] = 'X';
    test::WriteFileBytes(dir / "bad.qrp", bytes);
    const auto bad = RunQrptool({"check", (dir / "bad.qrp").string()});
    EXPECT_EQ(bad.status, 1);
    EXPECT_EQ(bad.err, "qrptool: page 2: Metafile is not valid\n");
}

TEST(Qrptool, MakeRefusesAnInputThatIsNoEmfAndWritesNothing) {
    test::ScratchDir dir;
    test::WriteFileBytes(dir / "junk.emf", {1, 2, 3, 4, 5});
    const auto result = RunQrptool({"make", (dir / "out.qrp").string(), (dir / "junk.emf").string()});
    EXPECT_EQ(result.status, 1);
    EXPECT_FALSE(fs::exists(dir / "out.qrp"));
}

// Each tool run costs a sanitizer build a quarter second to start; it checks a sample.
#if defined(__SANITIZE_ADDRESS__)
constexpr std::size_t kCorpusStride = 8;
#else
constexpr std::size_t kCorpusStride = 1;
#endif

// Every real-world EMF survives make (plain and packed) and page byte for byte.
TEST(Qrptool, CorpusRoundTrip) {
    const auto files = test::CorpusFiles("emf");
    if (files.empty())
        GTEST_SKIP() << "no EMF corpus beside this checkout";
    test::ScratchDir dir;
    for (const char* mode : {"plain", "--compress"}) {
        std::vector<std::string> args = {"make", (dir / "corpus.qrp").string()};
        for (const auto& file : files)
            args.push_back(file.string());
        if (std::string(mode) == "--compress")
            args.push_back(mode);
        const auto made = RunQrptool(args);
        ASSERT_EQ(made.status, 0) << made.err;
        for (std::size_t i = 0; i < files.size(); i += kCorpusStride) {
            const fs::path out = dir / "page.emf";
            const auto page = RunQrptool({"page", (dir / "corpus.qrp").string(), std::to_string(i + 1), "-o", out});
            ASSERT_EQ(page.status, 0) << files[i] << ": " << page.err;
            // A page is the EMF by its stated length; a few files carry bytes after it.
            auto expected = test::ReadFileBytes(files[i]);
            expected.resize(std::min<std::size_t>(expected.size(), LoadU32(&expected[48])));
            ASSERT_EQ(test::ReadFileBytes(out), expected) << files[i] << " (" << mode << ")";
        }
    }
}

// Never over its input, never waiting on a pipe, never losing an old output to a full disk.
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
