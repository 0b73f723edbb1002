#include "tool_runner.h"

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sys/wait.h>

#include "support/test_paths.h"

namespace qrp::test {

std::string ShellQuote(const std::string& arg) {
    std::string quoted = "'";
    for (char c : arg) {
        if (c == '\'')
            quoted += "'\\''";
        else
            quoted += c;
    }
    return quoted + "'";
}

namespace {
std::string Slurp(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}
}  // namespace

std::string QrptoolCommand(const std::vector<std::string>& args) {
    // A tool that hangs fails its test instead of stalling the run.
    std::string command = "timeout 120 " + ShellQuote(QRPTOOL_PATH);
    for (const std::string& arg : args)
        command += " " + ShellQuote(arg);
    return command;
}

ToolResult RunQrptool(const std::vector<std::string>& args) {
    return RunShell(QrptoolCommand(args));
}

ToolResult RunShell(const std::string& command) {
    ScratchDir dir;
    const std::string redirected = "(" + command + ") >" + ShellQuote((dir / "out").string()) + " 2>" +
                                   ShellQuote((dir / "err").string()) + " </dev/null";
    const int raw = std::system(redirected.c_str());
    ToolResult result;
    result.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
    result.out = Slurp(dir / "out");
    result.err = Slurp(dir / "err");
    return result;
}

}  // namespace qrp::test
