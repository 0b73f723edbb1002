// Exports pages through the plain text, comma separated and HTML filters, the formats the
// Save dialog offers, throwing the output away. A filter's run ends at the first
// qrp::Error (no EMF, too many items on a page), as designed.
#pragma once

#include <initializer_list>

#include "base/errors.h"
#include "export/csv_filter.h"
#include "export/html_filter.h"
#include "export/page_text_driver.h"
#include "export/text_filter.h"

inline void ExportThroughEveryFilter(const qrp::exporter::PageSource& pages) {
    using namespace qrp::exporter;
    CSVSeparator = ',';
    TQRAsciiExportFilter text("/dev/null");
    TQRCommaSeparatedFilter csv("/dev/null");
    TQRHTMLDocumentFilter html("");  // in memory
    for (TQRExportFilter* filter : std::initializer_list<TQRExportFilter*>{&text, &csv, &html}) {
        try {
            // Few items per page: the grid formats lay a page out in quadratic time.
            ExportPageText(pages, *filter, {"UTF-8", 2000});
        } catch (const qrp::Error&) {
        }
    }
}
