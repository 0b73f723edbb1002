// qrptool export: a report's text through one of the export formats, as the viewer's
// Save through an export format writes it.
#include <algorithm>
#include <cctype>
#include <clocale>
#include <filesystem>
#include <memory>

#include "batch_convert.h"
#include "command.h"
#include "export/csv_filter.h"
#include "export/filter_library.h"
#include "export/html_filter.h"
#include "export/page_text_driver.h"
#include "export/text_filter.h"
#include "export/xlsx_filter.h"
#include "options.h"
#include "report/document.h"
#include "report/page_list.h"

namespace qrp::tool {

namespace {

using namespace qrp::exporter;

// A --format value names a registered format by its extension in lower case ("csv"); the
// text and HTML formats also by their long names, which are the suffixes of their outputs
// in a conversion of many reports.
struct FormatName {
    std::string name;
    std::string suffix;
};

FormatName NameOf(const TQRExportFilterLibraryEntry& entry) {
    std::string name = entry.Extension;
    std::ranges::transform(name, name.begin(), [](unsigned char c) { return std::tolower(c); });
    if (name == "txt")
        return {"text", "txt"};
    if (name == "htm")
        return {"html", "html"};
    return {name, name};
}

const TQRExportFilterLibraryEntry& FormatEntry(const std::string& format) {
    std::string names;
    for (const TQRExportFilterLibraryEntry& entry : FilterLibrary().Filters()) {
        if (NameOf(entry).name == format)
            return entry;
        names += (names.empty() ? "" : "|") + NameOf(entry).name;
    }
    throw UsageError{"--format must be " + names + ", not '" + format + "'"};
}

// Returns the pages exported.
std::int32_t ExportReport(const std::string& report, const std::string& output,
                          const TQRExportFilterLibraryEntry& entry, const std::string& encoding, bool sheetPerPage) {
    TQRPageList list;
    list.OpenReport(report);
    list.RefuseAsOutput(output);
    const PageSource pages{list.PageTotal(), [&list](std::int32_t n) { return list.FetchPage(n); }, kFilePageScale,
                           ReportFactsOf(list, std::filesystem::path(report).filename().string())};
    const std::unique_ptr<TQRExportFilter> filter = entry.FilterType(output);
    if (auto* workbook = dynamic_cast<TQRExcelWorkbookFilter*>(filter.get()))
        workbook->SetSheetPerPage(sheetPerPage);
    ExportPageText(pages, *filter, {encoding});
    return list.PageTotal();
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
    const bool many = WantsOutputDir(args);
    const ParsedArgs parsed =
        many ? ParseArgs(args, {"--format", "--separator", "--encoding", QRP_BATCH_VALUE_OPTIONS},
                         {"--sheet-per-page", QRP_BATCH_FLAG_OPTIONS})
             : ParseArgs(args, {"-o", "--output", "--format", "--separator", "--encoding"}, {"--sheet-per-page"});
    if (!many && parsed.positional.size() != 1)
        throw UsageError{"expected one report file"};
    const std::string output = many ? std::string() : parsed.Output("OUT");
    const std::string format = parsed.Value("--format");
    if (format.empty())
        throw UsageError{"missing --format text|csv|html|xlsx"};
    const std::string separator = parsed.Value("--separator");
    if (!separator.empty() && format != "csv")
        throw UsageError{"--separator applies to --format csv only"};
    // A workbook holds Unicode: its text needs no character set.
    if (!parsed.Value("--encoding").empty() && format == "xlsx")
        throw UsageError{"--encoding does not apply to --format xlsx"};
    const bool sheetPerPage = parsed.Has("--sheet-per-page");
    if (sheetPerPage && format != "xlsx")
        throw UsageError{"--sheet-per-page applies to --format xlsx only"};

    // As at the viewer's start: the library first, then the formats in the order the
    // Save dialog lists them.
    FilterLibraryOwner library;
    TQRTextFilter textFormat;
    TQRCSVFilter csvFormat;
    TQRHTMLFilter htmlFormat;
    TQRXLSXFilter xlsxFormat;
    if (!separator.empty())
        csvFormat.SetSeparator(SeparatorOf(separator));
    const TQRExportFilterLibraryEntry& entry = FormatEntry(format);
    const std::string encoding = parsed.Value("--encoding");

    // The default character set is the user's, as the viewer's would be.
    std::setlocale(LC_CTYPE, "");
    if (many) {
        return RunBatch(parsed, {NameOf(entry).suffix, [&](const std::string& report, const std::string& out) {
                                     return ExportReport(report, out, entry, encoding, sheetPerPage);
                                 }});
    }
    ExportReport(parsed.positional[0], output, entry, encoding, sheetPerPage);
    return 0;
}

}  // namespace qrp::tool
