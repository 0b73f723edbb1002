// qrptool export: a report's text through one of the export formats, as the viewer's
// Save through an export format writes it.
#include <algorithm>
#include <clocale>
#include <filesystem>
#include <memory>

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

// The registered extension that a --format value stands for.
std::string ExtensionOf(const std::string& format) {
    if (format == "text")
        return "TXT";
    if (format == "csv")
        return "CSV";
    if (format == "html")
        return "HTM";
    if (format == "xlsx")
        return "xlsx";
    throw UsageError{"--format must be text, csv, html or xlsx, not '" + format + "'"};
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
    const ParsedArgs parsed =
        ParseArgs(args, {"-o", "--output", "--format", "--separator", "--encoding"}, {"--sheet-per-page"});
    if (parsed.positional.size() != 1)
        throw UsageError{"expected one report file"};
    const std::string output = parsed.Output("OUT");
    const std::string format = parsed.Value("--format");
    if (format.empty())
        throw UsageError{"missing --format text|csv|html|xlsx"};
    const std::string extension = ExtensionOf(format);
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

    // The default character set is the user's, as the viewer's would be.
    std::setlocale(LC_CTYPE, "");
    TQRPageList list;
    list.OpenReport(parsed.positional[0]);
    list.RefuseAsOutput(output);
    const PageSource pages{list.PageTotal(), [&list](std::int32_t n) { return list.FetchPage(n); }, kFilePageScale,
                           ReportFactsOf(list, std::filesystem::path(parsed.positional[0]).filename().string())};
    const auto& filters = FilterLibrary().Filters();
    // Every extension ExtensionOf names is registered above.
    const auto entry = std::ranges::find(filters, extension, &TQRExportFilterLibraryEntry::Extension);
    const std::unique_ptr<TQRExportFilter> filter = entry->FilterType(output);
    if (auto* workbook = dynamic_cast<TQRExcelWorkbookFilter*>(filter.get()))
        workbook->SetSheetPerPage(sheetPerPage);
    ExportPageText(pages, *filter, {parsed.Value("--encoding")});
    return 0;
}

}  // namespace qrp::tool
