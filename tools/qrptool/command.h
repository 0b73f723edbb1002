// The command-line tool's commands. Each command is one function in its own file; the
// table in main.cpp lists them. A command returns the exit status: 0 success, 1 an error
// in the input or output (printed as "qrptool: <message>"), 2 a usage error. A command
// whose 1 means "nothing found", as grep's does, reports errors as 2.
#pragma once

#include <string>
#include <vector>

namespace qrp::tool {

using Args = std::vector<std::string>;

struct Command {
    const char* name;
    const char* summary;
    const char* usage;  // full help text, printed by "qrptool NAME --help"
    int (*run)(const Args& args);
    int errorStatus = 1;  // the exit status of an error in the input or output
};

// Thrown by a command for a usage error (exit status 2).
struct UsageError {
    std::string message;
};

int RunInfo(const Args& args);
int RunPage(const Args& args);
int RunMake(const Args& args);
int RunCheck(const Args& args);
int RunExport(const Args& args);
int RunText(const Args& args);
int RunFind(const Args& args);
// Only in builds with the Qt parts (QRP_WITH_RENDER).
int RunRender(const Args& args);
int RunThumbnail(const Args& args);
// In the printing module (print_module.h).
int RunPrint(const Args& args);
int RunPdf(const Args& args);
int RunPrinters(const Args& args);

}  // namespace qrp::tool
