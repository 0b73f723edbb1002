// qrptool find: the lines of a report that hold a text, as grep prints them.
#include <cstdio>
#include <string>

#include "command.h"
#include "export/report_search.h"
#include "options.h"
#include "report/document.h"
#include "report/page_list.h"

namespace qrp::tool {

int RunFind(const Args& args) {
    const ParsedArgs parsed = ParseArgs(args, {}, {"--ignore-case", "-i"});
    if (parsed.positional.size() != 2)
        throw UsageError{"expected a report file and the text to find"};
    if (parsed.positional[1].empty())
        throw UsageError{"the text to find is empty"};
    const exporter::TextQuery query(parsed.positional[1],
                                    {.MatchCase = !parsed.Has("--ignore-case") && !parsed.Has("-i")});

    TQRPageList list;
    list.OpenReport(parsed.positional[0]);
    const exporter::PageSource pages{list.PageTotal(), [&list](std::int32_t n) { return list.FetchPage(n); },
                                     kFilePageScale};
    const auto found = exporter::SearchReport(
        pages, query,
        [](std::int32_t page, const exporter::PageText& text, const std::vector<exporter::TextMatch>& matches) {
            // A line with several matches is printed once, as grep prints it.
            std::size_t printed = text.Lines.size();
            for (const exporter::TextMatch& match : matches) {
                if (match.Line == printed)
                    continue;
                printed = match.Line;
                std::printf("%d: %s\n", page, text.Lines[match.Line].Text.c_str());
            }
            return true;
        });
    return found ? 0 : 1;
}

}  // namespace qrp::tool
