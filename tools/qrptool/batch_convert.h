// Converting many reports at once (pdf, export and text with --output-dir): every report
// named or found under the named folders (-r) goes to DIR/<its path below the folder> with
// the output's suffix, N at a time (-j) in one process. --update skips outputs newer than
// their report, so an interrupted run resumes; --shard K/N takes one machine's share. A
// report that fails does not stop the run: the failures are listed at the end, exit 1.
// Each output is put in place whole (file_replacement.h), so a failure, cancel or signal
// never leaves half a file; on SIGINT, SIGTERM or SIGHUP no further report starts, those
// under way finish, and the process ends by the signal.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "command.h"
#include "options.h"

namespace qrp::tool {

// The options a conversion of many reports adds to the command's own, for ParseArgs.
#define QRP_BATCH_VALUE_OPTIONS "--output-dir", "-j", "--jobs", "--shard"
#define QRP_BATCH_FLAG_OPTIONS "-r", "--recursive", "--update", "--progress", "--quiet"

struct BatchConversion {
    std::string suffix;  // of the outputs, without the dot ("pdf")
    // Converts one report into output; returns the pages done. Runs on worker threads, each
    // call with its own objects. Throws what fails.
    std::function<std::int32_t(const std::string& report, const std::string& output)> convert;
};

// True when the command line asks for --output-dir (the form of many reports).
bool WantsOutputDir(const Args& args);

// Runs the conversion over the reports the positional arguments name.
int RunBatch(const ParsedArgs& parsed, const BatchConversion& conversion);

}  // namespace qrp::tool
