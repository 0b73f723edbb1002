// qrptool page: one page's EMF bytes, expanded when the report is packed.
#include <limits>

#include "base/errors.h"
#include "base/messages.h"
#include "command.h"
#include "options.h"
#include "report/file_stream.h"
#include "report/page_list.h"

namespace qrp::tool {

int RunPage(const Args& args) {
    const ParsedArgs parsed = ParseArgs(args, {"-o", "--output"}, {});
    if (parsed.positional.size() != 2)
        throw UsageError{"expected a report file and a page number"};
    const std::string output = parsed.Output("OUT.emf");
    const auto n = static_cast<std::int32_t>(
        ParseNumber(parsed.positional[1], "the page number", 1, std::numeric_limits<std::int32_t>::max()));
    TQRPageList list;
    list.OpenReport(parsed.positional[0]);
    list.RefuseAsOutput(output);
    const auto picture = list.FetchPage(n);
    if (!picture)
        throw EQRError(messages::pageOutOfRange(n));
    auto out = FileStream::Create(output);
    picture->WriteTo(*out);
    out->Close();
    return 0;
}

}  // namespace qrp::tool
