// Finding a text in one report and in many: the lines that hold it, as grep prints them.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "export/report_search.h"
#include "options.h"

namespace qrp::tool {

// Searches one report in page order and hands each line that holds the text, formatted as
// "<prefix>PAGE: LINE\n", to `line` (none when it is empty). Stops after the first such
// line when firstOnly. Returns the number of lines; throws what reading the report throws.
std::uint64_t FindInReport(const std::string& path, const exporter::TextQuery& query, const std::string& prefix,
                           bool firstOnly, const std::function<void(const std::string&)>& line);

// find over several reports, folders (-r), or with -l, -c or -j: the reports searched on
// -j threads, the output in the order of the walk. 0 found, 1 not found, 2 when a report
// could not be read.
int FindInReports(const ParsedArgs& parsed, const exporter::TextQuery& query);

}  // namespace qrp::tool
