// Runs qrptool as a user would and captures what it says.
#pragma once

#include <string>
#include <vector>

namespace qrp::test {

struct ToolResult {
    int status = -1;
    std::string out;
    std::string err;
};

// Runs the built qrptool with the arguments (each quoted for the shell).
ToolResult RunQrptool(const std::vector<std::string>& args);

// The pieces of it, for running the tool another way (as another user, on a terminal).
std::string ShellQuote(const std::string& arg);
// "timeout 120 <qrptool> <args quoted>".
std::string QrptoolCommand(const std::vector<std::string>& args);
// Runs a shell command with no input, capturing its output.
ToolResult RunShell(const std::string& command);

}  // namespace qrp::test
