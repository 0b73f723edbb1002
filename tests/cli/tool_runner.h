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

}  // namespace qrp::test
