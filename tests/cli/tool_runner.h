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

// arg in single quotes, for a command line of the shell.
std::string ShellQuote(const std::string& arg);

}  // namespace qrp::test
