// qrpview's command line: qrpview [--help | --version] [FILE].
#pragma once

#include <optional>
#include <string>

namespace qrp::app {

// Answers --help and --version before the application object exists, so that they work
// without a display. Returns the exit status when the line asked for one of them.
std::optional<int> AnswerWithoutWindow(int argc, char** argv);

// The report file the line names, empty when none: the first argument that is not an
// option, byte for byte, once the application has taken Qt's own options out of argv.
// An unknown option ends the program with the parser's message (exit status 1).
std::string ReportFileArgument(int argc, char** argv);

}  // namespace qrp::app
