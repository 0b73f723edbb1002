// qrpview's command line: qrpview [--help | --version] [FILE] [--page N] [--find TEXT].
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include <QString>

namespace qrp::app {

// Answers --help and --version before the application object exists, so that they work
// without a display. Returns the exit status when the line asked for one of them.
std::optional<int> AnswerWithoutWindow(int argc, char** argv);

struct ViewerRequests {
    // The report file: the first argument that is not an option or an option's value, byte
    // for byte.
    std::string File;
    std::int32_t Page = 0;  // --page: the page to show first; 0 when not asked
    QString Find;           // --find: text to find at once; empty when not asked
};

// What the line asks, once the application has taken Qt's own options out of argv. An
// unknown option or a --page that is no number ends the program with a message (exit
// status 1).
ViewerRequests ReadViewerRequests(int argc, char** argv);

}  // namespace qrp::app
