// qrptool export: a report's text through one of the export formats, as the viewer's
// Save through an export format writes it.
#include <algorithm>
#include <clocale>
#include <memory>

#include "command.h"
#include "export/csv_filter.h"
#include "export/filter_library.h"
#include "export/html_filter.h"
#include "export/page_text_driver.h"
#include "export/text_filter.h"
#include "options.h"
#include "report/document.h"
#include "report/page_list.h"

namespace qrp::tool {

namespace {

using namespace qrp::exporter;

// The registered extension that a --format value stands for.
std::string ExtensionOf(const std::string& format) {
    if (format == "text")
        return "TXT";
    if (format == "csv")
        return "CSV";
    if (format == "html")
        return "HTM";
    throw UsageError{"--format must be text, csv or html, not '" + format + "'"};
}

char SeparatorOf(const std::string& text) {
    if (text == "\\t" || text == "tab")
        return '\t';
    if (text.size() != 1)
        throw UsageError{"--separator takes one character (or \\t), not '" + text + "'"};
    return text[0];
}

}  // namespace

int RunExport(const Args& args) {
    const ParsedArgs parsed = ParseArgs(args, {"-o", "--output", "--format", "--separator", "--encoding"}, {});
    if (parsed.positional.size() != 1)
        throw UsageError{"expected one report file"};
    const std::string output = parsed.Output("OUT");
    const std::string format = parsed.Value("--format");
    if (format.empty())
        throw UsageError{"missing --format text|csv|html"};
    const std::string extension = ExtensionOf(format);
    const std::string separator = parsed.Value("--separator");
    if (!separator.empty() && format != "csv")
        throw UsageError{"--separator applies to --format csv only"};

    // As at the viewer's start: the library first, then the formats in the order the
    // Save dialog lists them.
    FilterLibraryOwner library;
    TQRTextFilter textFormat;
    TQRCSVFilter csvFormat;
    TQRHTMLFilter htmlFormat;
    if (!separator.empty())
        csvFormat.SetSeparator(SeparatorOf(separator));

    // The default character set is the user's, as the viewer's would be.
    std::setlocale(LC_CTYPE, "");
    TQRPageList list;
    list.OpenReport(parsed.positional[0]);
    list.RefuseAsOutput(output);
    const PageSource pages{list.PageTotal(), [&list](std::int32_t n) { return list.FetchPage(n); }, kFilePageScale};
    const auto& filters = FilterLibrary().Filters();
    // Every extension ExtensionOf names is registered above.
    const auto entry = std::ranges::find(filters, extension, &TQRExportFilterLibraryEntry::Extension);
    const std::unique_ptr<TQRExportFilter> filter = entry->FilterType(output);
    ExportPageText(pages, *filter, {parsed.Value("--encoding")});
    return 0;
}

}  // namespace qrp::tool
