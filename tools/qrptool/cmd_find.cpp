// qrptool find: the lines of reports that hold a text, as grep prints them.
#include <algorithm>
#include <cstdio>
#include <string>

#include "command.h"
#include "options.h"
#include "report_find.h"

namespace qrp::tool {

int RunFind(const Args& args) {
    const ParsedArgs parsed =
        ParseArgs(args, {"-j", "--jobs"},
                  {"--ignore-case", "-i", "-r", "--recursive", "-l", "--files-with-matches", "-c", "--count"});
    if (parsed.positional.size() < 2)
        throw UsageError{"expected a report file and the text to find"};
    if (parsed.positional.back().empty())
        throw UsageError{"the text to find is empty"};
    const exporter::TextQuery query(parsed.positional.back(),
                                    {.MatchCase = !parsed.Has("--ignore-case") && !parsed.Has("-i")});
    const bool single = parsed.positional.size() == 2 && parsed.values.empty() &&
                        std::ranges::all_of(parsed.flags, [](const std::string& flag) {
                            return flag == "-i" || flag == "--ignore-case";
                        });
    if (!single)
        return FindInReports(parsed, query);

    // One report: its lines as they are found.
    const auto found = FindInReport(parsed.positional[0], query, {}, false,
                                    [](const std::string& line) { std::fputs(line.c_str(), stdout); });
    return found ? 0 : 1;
}

}  // namespace qrp::tool
