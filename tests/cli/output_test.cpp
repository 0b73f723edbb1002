// Where qrptool's outputs go and what they leave behind: pipes, devices and the standard
// output receive the bytes themselves; a full disk, an interrupt or a range without end
// leave the old file as it was and nothing beside it.
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include <gtest/gtest.h>

#include "support/test_paths.h"
#include "tool_runner.h"

namespace qrp {
namespace {

namespace fs = std::filesystem;
using test::RunQrptool;
using test::ShellQuote;

const std::string kSample = QRP_SAMPLE_DIR "/sample.qrp";
const std::vector<std::uint8_t> kOld = {'o', 'l', 'd'};

std::string Text(const fs::path& path) {
    const auto bytes = test::ReadFileBytes(path);
    return {bytes.begin(), bytes.end()};
}

bool IsWholePdf(const std::string& pdf) {
    return pdf.starts_with("%PDF-") && pdf.find("%%EOF", pdf.size() > 16 ? pdf.size() - 16 : 0) != std::string::npos;
}

// The exit status of a shell command line; a timeout inside it ends a tool that hangs.
int Shell(const std::string& script) {
    const int raw = std::system(("sh -c " + ShellQuote(script)).c_str());
    return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
}

std::vector<std::string> Names(const fs::path& dir) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

TEST(QrptoolOutputs, PipesDevicesAndTheStandardOutputReceiveTheBytes) {
    test::ScratchDir dir;
    const std::string tool = ShellQuote(QRPTOOL_PATH), sample = ShellQuote(kSample);
    const fs::path fifo = dir / "fifo", got = dir / "got.pdf";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_EQ(Shell("timeout 30 cat " + ShellQuote(fifo) + " >" + ShellQuote(got) + " & timeout 60 " + tool + " pdf " +
                    sample + " -o " + ShellQuote(fifo) + " >/dev/null; s=$?; wait; exit $s"),
              0);
    EXPECT_TRUE(IsWholePdf(Text(got)));
    for (const char* out : {"-", "/dev/stdout"}) {
        const fs::path piped = dir / "piped.pdf", status = dir / "status";
        Shell("{ timeout 60 " + tool + " pdf " + sample + " -o " + out + "; echo $? >" + ShellQuote(status) +
              "; } | cat >" + ShellQuote(piped));
        EXPECT_EQ(Text(status), "0\n") << out;
        EXPECT_TRUE(IsWholePdf(Text(piped))) << out;
    }
    const auto toNull = RunQrptool({"pdf", kSample, "-o", "/dev/null"});
    EXPECT_EQ(toNull.status, 0);
    EXPECT_EQ(toNull.err, "");

    // Every command that writes a file writes "-" to the standard output, the same bytes,
    // into a pipe as into a file.
    const std::vector<std::vector<std::string>> commands = {
        {"page", kSample, "2"},
        {"text", kSample},
        {"export", kSample, "--format", "csv"},
        {"export", kSample, "--format", "text"},
        {"render", kSample, "--format", "svg"},
    };
    for (auto args : commands) {
        const fs::path file = dir / (args[0] + ".out"), piped = dir / (args[0] + ".piped"), status = dir / "status";
        args.insert(args.end(), {"-o", file.string()});
        ASSERT_EQ(RunQrptool(args).status, 0) << args[0];
        args.back() = "-";
        const auto result = RunQrptool(args);
        EXPECT_EQ(result.status, 0) << args[0] << ": " << result.err;
        EXPECT_EQ(result.out, Text(file)) << args[0];
        std::string line = "timeout 60 " + tool;
        for (const std::string& arg : args)
            line += " " + ShellQuote(arg);
        Shell("{ " + line + "; echo $? >" + ShellQuote(status) + "; } | cat >" + ShellQuote(piped));
        EXPECT_EQ(Text(status), "0\n") << args[0] << " " << args.back();
        EXPECT_EQ(Text(piped), Text(file)) << args[0] << " into a pipe";
    }
}

// A small file system of its own, unmounted at the end.
class SmallDisk {
  public:
    SmallDisk(const fs::path& at, const char* size) : m_at(at) {
        fs::create_directory(at);
        m_mounted = ::mount("tmpfs", at.c_str(), "tmpfs", 0, (std::string("size=") + size).c_str()) == 0;
    }
    ~SmallDisk() {
        if (m_mounted)
            ::umount2(m_at.c_str(), MNT_DETACH);
    }
    bool Mounted() const { return m_mounted; }

  private:
    fs::path m_at;
    bool m_mounted = false;
};

TEST(QrptoolOutputs, AFullDiskEndsInTheSystemsWordsAndKeepsTheOldFile) {
    test::ScratchDir dir;
    const SmallDisk disk(dir / "disk", "64k");
    if (!disk.Mounted())
        GTEST_SKIP() << "mounting a tmpfs needs root";
    const std::vector<std::vector<std::string>> commands = {
        {"pdf", kSample, "-o", "x.pdf"},
        {"render", kSample, "--dpi", "300", "-o", "x.png"},
        {"render", kSample, "-o", "y.pdf"},
        {"render", kSample, "-o", "x.svg"},
    };
    for (auto args : commands) {
        const fs::path out = dir / "disk" / args.back();
        test::WriteFileBytes(out, kOld);
        args.back() = out.string();
        const auto result = RunQrptool(args);
        EXPECT_EQ(result.status, 1) << args[0] << " " << args.back();
        EXPECT_EQ(result.err, "qrptool: Cannot create file \"" + out.string() + "\". No space left on device\n");
        EXPECT_EQ(test::ReadFileBytes(out), kOld) << args.back();
    }
    EXPECT_EQ(Names(dir / "disk"), (std::vector<std::string>{"x.pdf", "x.png", "x.svg", "y.pdf"}));
}

// The pid's open file under folder (its output, by whatever name), if any.
bool WritesInto(pid_t pid, const fs::path& folder, const fs::path& input) {
    std::error_code error;
    for (const auto& entry : fs::directory_iterator("/proc/" + std::to_string(pid) + "/fd", error)) {
        const std::string target = fs::read_symlink(entry.path(), error).string();
        if (target.starts_with(folder.string() + "/") && target != input.string())
            return true;
    }
    return false;
}

TEST(QrptoolOutputs, AnInterruptedPdfLeavesTheOldFileAndNothingElse) {
    test::ScratchDir dir;
    const fs::path page = dir / "page.emf", big = dir / "big.qrp", out = dir / "out.pdf";
    ASSERT_EQ(RunQrptool({"page", kSample, "1", "-o", page}).status, 0);
    std::vector<std::string> make = {"make", big};
    make.insert(make.end(), 3000, page.string());
    ASSERT_EQ(RunQrptool(make).status, 0);
    fs::remove(page);
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
        test::WriteFileBytes(out, kOld);
        const pid_t pid = ::fork();
        if (pid == 0) {
            std::freopen("/dev/null", "w", stdout);
            ::execl(QRPTOOL_PATH, "qrptool", "pdf", big.c_str(), "-o", out.c_str(), nullptr);
            ::_exit(127);
        }
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        while (!WritesInto(pid, dir.Path(), big) && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        ::kill(pid, signal);
        int status = 0;
        ::waitpid(pid, &status, 0);
        ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal)
            << "signal " << signal << " came too late to interrupt the pdf";
        EXPECT_EQ(test::ReadFileBytes(out), kOld) << signal;
        EXPECT_EQ(Names(dir.Path()), (std::vector<std::string>{"big.qrp", "out.pdf"})) << signal;
    }
}

TEST(QrptoolOutputs, ARangeMayPassTheLastPageButNotWithoutEnd) {
    test::ScratchDir dir;
    const fs::path out = dir / "out.pdf";
    const auto endless = RunQrptool({"pdf", kSample, "-o", out, "--to", "2000000000"});
    EXPECT_EQ(endless.status, 2);
    EXPECT_TRUE(
        endless.err.starts_with("qrptool pdf: the last page must be a whole number from 1 to 999, "
                                "not '2000000000'\n"))
        << endless.err;
    EXPECT_FALSE(fs::exists(out));
    EXPECT_EQ(RunQrptool({"pdf", kSample, "-o", out, "--from", "998", "--to", "999"}).status, 0);
    EXPECT_TRUE(IsWholePdf(Text(out)));
}

// Seen from the system calls: the process's umask is never touched (other threads create
// files meanwhile), a new file's mode follows it, and the folder is synced after the
// rename that puts a file in place.
TEST(QrptoolOutputs, ReplacingLeavesTheUmaskAloneAndSyncsTheFolder) {
    if (Shell("command -v strace >/dev/null") != 0)
        GTEST_SKIP() << "strace is not installed";
    test::ScratchDir dir;
    const fs::path out = dir / "out.txt", fresh = dir / "new.txt", log = dir / "calls";
    test::WriteFileBytes(out, kOld);
    const std::string tool = ShellQuote(QRPTOOL_PATH), sample = ShellQuote(kSample);
    const std::string both = tool + " text " + sample + " -o " + ShellQuote(out) + " && " + tool + " text " + sample +
                             " -o " + ShellQuote(fresh);
    // The leak checker of a sanitizer build cannot run under a tracer.
    ASSERT_EQ(Shell("umask 027; ASAN_OPTIONS=\"${ASAN_OPTIONS:-}:detect_leaks=0\" strace -f -qq -o " + ShellQuote(log) +
                    " -e trace=umask,rename,renameat,renameat2,openat,fsync sh -c " + ShellQuote(both)),
              0);
    EXPECT_EQ(fs::status(fresh).permissions(), fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    std::ifstream calls(log);
    bool renamed = false, synced = false;
    std::string folderFd;
    for (std::string line; std::getline(calls, line);) {
        EXPECT_EQ(line.find("umask("), std::string::npos) << line;
        if (line.find("rename") != std::string::npos && line.find(out.string()) != std::string::npos)
            renamed = line.ends_with("= 0");
        else if (renamed && line.find("openat(") != std::string::npos && line.find("O_DIRECTORY") != std::string::npos)
            folderFd = line.substr(line.rfind("= ") + 2);
        else if (!folderFd.empty() && line.find("fsync(" + folderFd + ")") != std::string::npos)
            synced = line.ends_with("= 0");
    }
    EXPECT_TRUE(renamed);
    EXPECT_TRUE(synced) << "no fsync of the folder after the rename";
}

}  // namespace
}  // namespace qrp
