// qrptool over many reports: find and the conversions walking folders (reports known by
// their first bytes, a damaged report, a folder another user cannot read, a link loop, a
// file that is no report), output in walk order whatever -j, --update after an
// interrupted run, shards that split an archive, and the status line on a terminal only.
#include <algorithm>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <map>
#include <set>
#include <sys/stat.h>

#include <gtest/gtest.h>

#include "support/test_paths.h"
#include "text_report.h"
#include "tool_runner.h"

namespace qrp {
namespace {

namespace fs = std::filesystem;
using test::RunQrptool;

// Every file below dir, as paths relative to it.
std::set<std::string> FilesBelow(const fs::path& dir) {
    std::set<std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(dir))
        if (!entry.is_directory())
            files.insert(fs::relative(entry.path(), dir).string());
    return files;
}

std::string Slurp(const fs::path& path) {
    const auto bytes = test::ReadFileBytes(path);
    return {bytes.begin(), bytes.end()};
}

class ManyReports : public ::testing::Test {
  protected:
    ManyReports() {
        fs::permissions(dir.Path(), fs::perms::owner_all | fs::perms::group_exec | fs::perms::others_exec);
        fs::create_directories(archive / "01");
        fs::create_directories(archive / "02");
        test::WriteReport(archive / "01" / "sales.qrp", test::SalesReportPages());
        // Page 1 intact, page 2 cut short.
        test::WriteReport(archive / "01" / "damaged.qrp", test::SalesReportPages());
        fs::resize_file(archive / "01" / "damaged.qrp", fs::file_size(archive / "01" / "damaged.qrp") - 40);
        test::WriteReport(archive / "02" / "scan", test::SalesReportPages());  // a report without the suffix
        test::WriteFileBytes(archive / "notes.txt", {'A', 'p', 'p', 'l', 'e', 's', '\n'});
    }

    test::ScratchDir dir;
    fs::path archive = dir / "archive";
};

TEST_F(ManyReports, FindWalksFoldersInNameOrderWhateverTheJobsAndExitsAsGrep) {
    fs::create_directory_symlink("..", archive / "02" / "loop");
    fs::create_directories(archive / "locked");
    test::WriteReport(archive / "locked" / "hidden.qrp", test::SalesReportPages());
    fs::permissions(archive / "locked", fs::perms::none);
    const std::string a = archive.string();

    // As another user: root would read the locked folder.
    const auto asNobody = [&](std::vector<std::string> args) {
        return test::RunShell("runuser -u nobody -- " + test::QrptoolCommand(args));
    };
    const auto one = asNobody({"find", "-r", "-j", "1", a, "Apples"});
    EXPECT_EQ(one.status, 2);
    EXPECT_EQ(one.out, a + "/01/damaged.qrp:1: Apples\t1.50\n" + a + "/01/sales.qrp:1: Apples\t1.50\n" + a +
                           "/02/scan:1: Apples\t1.50\n");
    const std::vector<std::string> errors = {
        a + "/01/damaged.qrp: ", a + "/02/loop: ", a + "/locked: Permission denied"};
    std::size_t at = 0;
    for (const std::string& error : errors) {
        at = one.err.find("qrptool: " + error, at);
        EXPECT_NE(at, std::string::npos) << error << " in order in:\n" << one.err;
    }
    EXPECT_EQ(std::count(one.err.begin(), one.err.end(), '\n'), 3) << one.err;
    const auto four = asNobody({"find", "-r", "-j", "4", a, "Apples"});
    EXPECT_EQ(four.out, one.out);
    EXPECT_EQ(four.err, one.err);
    EXPECT_EQ(four.status, 2);

    fs::permissions(archive / "locked", fs::perms::owner_all);
    fs::remove(archive / "01" / "damaged.qrp");
    fs::remove(archive / "02" / "loop");
    EXPECT_EQ(RunQrptool({"find", "-r", "-l", a, "apples", "-i"}).out,
              a + "/01/sales.qrp\n" + a + "/02/scan\n" + a + "/locked/hidden.qrp\n");
    const auto counted = RunQrptool({"find", "-c", a + "/01/sales.qrp", a + "/02/scan", "Plums"});
    EXPECT_EQ(counted.out, a + "/01/sales.qrp:1\n" + a + "/02/scan:1\n");
    EXPECT_EQ(counted.status, 0);
    EXPECT_EQ(RunQrptool({"find", "-r", a, "no such customer"}).status, 1);
    // Named on the command line, a file that is no report is an error; so is a folder without -r.
    const auto named = RunQrptool({"find", (archive / "notes.txt").string(), a + "/01/sales.qrp", "Apples"});
    EXPECT_EQ(named.status, 2);
    EXPECT_EQ(named.out, a + "/01/sales.qrp:1: Apples\t1.50\n");
    EXPECT_EQ(named.err, "qrptool: " + a + "/notes.txt: not a report file\n");
    EXPECT_EQ(RunQrptool({"find", a, "x", "Apples"}).status, 2);
}

TEST_F(ManyReports, ConversionsKeepTheFoldersAndListDamagedReportsAtTheEnd) {
    const fs::path out = dir / "out";
    const auto text = RunQrptool({"text", "-r", archive.string(), "--output-dir", out.string(), "-j", "3"});
    EXPECT_EQ(text.status, 1);
    EXPECT_EQ(text.out, "");
    // Nothing of the damaged report, and no temporary file left behind.
    EXPECT_EQ(FilesBelow(out), (std::set<std::string>{"01/sales.txt", "02/scan.txt"}));
    EXPECT_EQ(Slurp(out / "01" / "sales.txt"), RunQrptool({"text", (archive / "01" / "sales.qrp").string()}).out);
    EXPECT_TRUE(
        text.err.starts_with("qrptool: 1 of 3 reports failed:\n  " + (archive / "01" / "damaged.qrp").string() + ": "))
        << text.err;

    for (const auto& [format, suffix] : {std::pair{"csv", "csv"}, {"html", "html"}}) {
        const auto exported =
            RunQrptool({"export", "-r", archive.string(), "--format", format, "--output-dir", (out / format).string()});
        EXPECT_EQ(exported.status, 1) << exported.err;
        EXPECT_TRUE(fs::exists(out / format / "02" / (std::string("scan.") + suffix))) << format;
    }
    const auto pdf = RunQrptool({"pdf", "-r", archive.string(), "--output-dir", (out / "pdf").string()});
    EXPECT_EQ(pdf.status, 1);
    EXPECT_EQ(FilesBelow(out / "pdf"), (std::set<std::string>{"01/sales.pdf", "02/scan.pdf"}));
    EXPECT_TRUE(Slurp(out / "pdf" / "02" / "scan.pdf").starts_with("%PDF"));
    // Nor does the single-report form put half a PDF over the old one.
    const auto single =
        RunQrptool({"pdf", (archive / "01" / "damaged.qrp").string(), "-o", (out / "01" / "sales.txt").string()});
    EXPECT_EQ(single.status, 1);
    EXPECT_EQ(Slurp(out / "01" / "sales.txt"), RunQrptool({"text", (archive / "01" / "sales.qrp").string()}).out);
}

TEST_F(ManyReports, UpdateAfterAnInterruptedRunConvertsOnlyWhatIsMissing) {
    fs::remove(archive / "01" / "damaged.qrp");
    for (int i = 0; i < 30; ++i)
        fs::copy_file(QRP_SAMPLE_DIR "/sample.qrp", archive / "01" / ("sample-" + std::to_string(10 + i) + ".qrp"));
    const fs::path out = dir / "out";
    const std::vector<std::string> run = {"pdf", "-r", "-j", "1", archive.string(), "--output-dir", out.string()};
    // Stopped as soon as its first output is in place, however fast the machine.
    const auto stopped = test::RunShell(test::QrptoolCommand(run) + " & pid=$!; until [ -n \"$(find " + out.string() +
                                        " -name '*.pdf' -print -quit 2>/dev/null)\" ] || ! kill -0 $pid 2>/dev/null;" +
                                        " do sleep 0.01; done; kill -TERM $pid; wait $pid");
    EXPECT_EQ(stopped.status, 128 + SIGTERM) << "the run did not end by the signal: " << stopped.err;
    // Whatever was under way when the signal came is finished or gone, never half there.
    std::set<std::string> before = FilesBelow(out);
    EXPECT_LT(before.size(), 32u) << "the run ended before it was stopped";
    for (const std::string& file : before) {
        EXPECT_TRUE(file.ends_with(".pdf")) << file;
        EXPECT_NE(Slurp(out / file).rfind("%%EOF"), std::string::npos) << file;
    }
    // One output older than its report is made again, as are the missing ones; the rest stay.
    const auto outdated = out / "02" / "scan.pdf";
    std::map<std::string, fs::file_time_type> kept;
    for (const std::string& file : before)
        if (out / file != outdated)
            kept[file] = fs::last_write_time(out / file);
    if (before.contains("02/scan.pdf"))
        fs::last_write_time(archive / "02" / "scan", fs::last_write_time(outdated) + std::chrono::seconds(5));

    std::vector<std::string> update = run;
    update.push_back("--update");
    EXPECT_EQ(RunQrptool(update).status, 0);
    EXPECT_EQ(FilesBelow(out).size(), 32u);
    for (const auto& [file, time] : kept)
        EXPECT_EQ(fs::last_write_time(out / file), time) << file << " was converted again";
    EXPECT_GT(fs::last_write_time(outdated), fs::last_write_time(archive / "02" / "scan"));
}

TEST_F(ManyReports, ThreeShardsCoverTheArchiveExactlyOnce) {
    fs::remove(archive / "01" / "damaged.qrp");
    for (int i = 0; i < 12; ++i) {
        fs::create_directories(archive / std::to_string(i % 3));
        test::WriteReport(archive / std::to_string(i % 3) / ("r" + std::to_string(i) + ".qrp"),
                          test::SalesReportPages());
    }
    const fs::path out = dir / "out";
    std::multiset<std::string> all;
    for (int k = 0; k < 3; ++k) {
        const fs::path shardOut = out / std::to_string(k);
        EXPECT_EQ(RunQrptool({"text", "-r", archive.string(), "--output-dir", shardOut.string(), "--shard",
                              std::to_string(k) + "/3"})
                      .status,
                  0);
        const std::set<std::string> files = fs::exists(shardOut) ? FilesBelow(shardOut) : std::set<std::string>{};
        EXPECT_FALSE(files.empty()) << "shard " << k;
        all.insert(files.begin(), files.end());
    }
    RunQrptool({"text", "-r", archive.string(), "--output-dir", (dir / "whole").string()});
    const std::set<std::string> whole = FilesBelow(dir / "whole");
    EXPECT_EQ(whole.size(), 14u);
    EXPECT_EQ(all, std::multiset<std::string>(whole.begin(), whole.end()));
    EXPECT_EQ(RunQrptool({"text", archive.string(), "--output-dir", out.string(), "--shard", "3/3"}).status, 2);
}

TEST_F(ManyReports, StatusLineOnlyOnATerminal) {
    fs::remove(archive / "01" / "damaged.qrp");
    const std::vector<std::string> run = {"text", "-r", archive.string(), "--output-dir", (dir / "out").string()};
    // script gives the command a terminal and copies what it shows to its own output.
    const auto onTerminal = [&](std::vector<std::string> args) {
        return test::RunShell("script -qec " + test::ShellQuote(test::QrptoolCommand(args)) + " /dev/null").out;
    };
    EXPECT_NE(onTerminal(run).find("2/2 reports, "), std::string::npos);
    EXPECT_EQ(RunQrptool(run).err, "");
    std::vector<std::string> quiet = run, forced = run;
    quiet.push_back("--quiet");
    forced.push_back("--progress");
    EXPECT_EQ(onTerminal(quiet).find("reports, "), std::string::npos);
    EXPECT_NE(RunQrptool(forced).err.find("2/2 reports, "), std::string::npos);
}

}  // namespace
}  // namespace qrp
