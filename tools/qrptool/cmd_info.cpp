// qrptool info: what a report file holds, as text or JSON.
#include <cstdio>
#include <string>

#include "command.h"
#include "options.h"
#include "report/page_list.h"

namespace qrp::tool {

namespace {
struct PageInfo {
    std::int32_t number;
    std::size_t bytes;
    std::int32_t width;
    std::int32_t height;
};
}  // namespace

int RunInfo(const Args& args) {
    const ParsedArgs parsed = ParseArgs(args, {}, {"--json"});
    if (parsed.positional.size() != 1)
        throw UsageError{"expected one report file"};
    TQRPageList list;
    list.OpenReport(parsed.positional[0]);
    std::vector<PageInfo> pages;
    for (std::int32_t n = 1; n <= list.PageTotal(); ++n) {
        const auto picture = list.FetchPage(n);
        pages.push_back({n, picture->Bytes().size(), picture->WidthPx(), picture->HeightPx()});
    }
    const std::string stamp = StampTimeToIso(list.Header().StampTime);
    if (parsed.Has("--json")) {
        std::printf("{\"pages\": %d, \"header_size\": %d, \"compressed\": %s, \"stamp\": \"%s\", \"page_list\": [",
                    list.PageTotal(), list.HeaderSize(), list.Compression() ? "true" : "false", stamp.c_str());
        for (std::size_t i = 0; i < pages.size(); ++i) {
            const PageInfo& p = pages[i];
            std::printf("%s{\"number\": %d, \"bytes\": %zu, \"width_px\": %d, \"height_px\": %d}", i ? ", " : "",
                        p.number, p.bytes, p.width, p.height);
        }
        std::printf("]}\n");
        return 0;
    }
    std::printf("pages:       %d\nheader size: %d\ncompressed:  %s\nstamp:       %s\n", list.PageTotal(),
                list.HeaderSize(), list.Compression() ? "yes" : "no", stamp.c_str());
    for (const PageInfo& p : pages)
        std::printf("page %d: %zu bytes, %d x %d px\n", p.number, p.bytes, p.width, p.height);
    return 0;
}

}  // namespace qrp::tool
