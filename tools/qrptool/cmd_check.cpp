// qrptool check: load every page; the first problem is the error.
#include <cstdio>

#include "command.h"
#include "options.h"
#include "report/page_list.h"

namespace qrp::tool {

int RunCheck(const Args& args) {
    const ParsedArgs parsed = ParseArgs(args, {}, {});
    if (parsed.positional.size() != 1)
        throw UsageError{"expected one report file"};
    TQRPageList list;
    list.OpenReport(parsed.positional[0]);
    for (std::int32_t n = 1; n <= list.PageTotal(); ++n) {
        try {
            list.FetchPage(n);
        } catch (const std::exception& error) {
            std::fprintf(stderr, "qrptool: page %d: %s\n", n, error.what());
            return 1;
        }
    }
    std::printf("%s: %d pages, all valid\n", parsed.positional[0].c_str(), list.PageTotal());
    return 0;
}

}  // namespace qrp::tool
