// qrptool text: a report's or one page's text in reading order, for indexers and grep.
#include <cstdio>
#include <limits>
#include <memory>
#include <string>

#include "base/errors.h"
#include "base/messages.h"
#include "batch_convert.h"
#include "command.h"
#include "export/page_text_model.h"
#include "options.h"
#include "report/document.h"
#include "report/file_stream.h"
#include "report/page_list.h"

namespace qrp::tool {

namespace {

// Pages first to last in reading order, each ended by a form feed as other text extractors
// end them.
std::string ReadingText(TQRPageList& list, std::int32_t first, std::int32_t last) {
    const double pixelsPerInch = static_cast<double>(kFilePageScale * 254);
    std::string text;
    for (std::int32_t n = first; n <= last; ++n) {
        const std::unique_ptr<PagePicture> picture = list.FetchPage(n);
        if (!picture)
            throw EQRError(messages::pageOutOfRange(n));
        text += exporter::ReadPageText(*picture, pixelsPerInch, n).ReadingText() + '\f';
    }
    return text;
}

void WriteTextFile(const std::string& output, const std::string& text) {
    auto out = FileStream::Create(output);
    out->WriteBuffer(text.data(), text.size());
    out->Close();
}

}  // namespace

int RunText(const Args& args) {
    if (WantsOutputDir(args)) {
        return RunBatch(ParseArgs(args, {QRP_BATCH_VALUE_OPTIONS}, {QRP_BATCH_FLAG_OPTIONS}),
                        {"txt", [](const std::string& report, const std::string& output) {
                             TQRPageList list;
                             list.OpenReport(report);
                             list.RefuseAsOutput(output);
                             WriteTextFile(output, ReadingText(list, 1, list.PageTotal()));
                             return list.PageTotal();
                         }});
    }
    const ParsedArgs parsed = ParseArgs(args, {"-o", "--output", "--page"}, {});
    if (parsed.positional.size() != 1)
        throw UsageError{"expected one report file"};
    const std::string pageText = parsed.Value("--page");
    const std::int32_t only = pageText.empty()
                                  ? 0
                                  : static_cast<std::int32_t>(ParseNumber(pageText, "the page number", 1,
                                                                          std::numeric_limits<std::int32_t>::max()));
    std::string output = parsed.Value("-o");
    if (output.empty())
        output = parsed.Value("--output");

    TQRPageList list;
    list.OpenReport(parsed.positional[0]);
    if (!output.empty())
        list.RefuseAsOutput(output);
    if (only > list.PageTotal())
        throw EQRError(messages::pageOutOfRange(only));
    const std::string text = ReadingText(list, only ? only : 1, only ? only : list.PageTotal());

    if (output.empty()) {
        if (std::fwrite(text.data(), 1, text.size(), stdout) != text.size() || std::fflush(stdout) != 0)
            throw EQRError("cannot write the text to the standard output");
        return 0;
    }
    WriteTextFile(output, text);
    return 0;
}

}  // namespace qrp::tool
