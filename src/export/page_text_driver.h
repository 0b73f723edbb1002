// Exports the text of a finished document's pages through an export filter: each saved
// page is one page of the filter protocol, and every text record of its picture one
// AddText, in record order. The pages are laid out already, so ContinuousLayout plays no
// part. See page_text_device.h for how a text run becomes an item.
//
// A program that shows documents attaches MakePageTextExporter's handler (or its own around
// ExportPageText: the viewer's shows progress) as the document's OnExport after every Load
// (Load clears it), so a Save through an export format writes the file.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "export_filter.h"
#include "report/document.h"
#include "report/page_list.h"
#include "report/page_picture.h"

namespace qrp::exporter {

struct PageTextOptions {
    // iconv's name of the character set the filters receive; empty: LocaleEncoding().
    std::string Encoding;
    // A page with more text items fails the export (EQRError), as no report has them.
    std::uint64_t MaxItemsPerPage = 1'000'000;
};

// The pages a driver reads: pages 1 to PageTotal, each on demand (none ends the pages
// early), and the recording's scale in page pixels per tenth of a millimetre.
struct PageSource {
    std::int32_t PageTotal = 0;
    std::function<std::unique_ptr<PagePicture>(std::int32_t n)> FetchPage;
    // Not positive or not finite: a screen of 96 pixels per inch.
    long double ScaleX = 0;
    // ScaleX as the pages are read: with that screen in place of a scale that is none.
    long double Scale() const;
    // Handed to the filter before BeginExport.
    TReportFacts Report = {};
};

// The facts of a report in `pages` titled `title`. Its stamp is the header's; a header
// whose stamp is no date (0 from a careless writer) gives the report file's modification
// time instead, and a report in memory the current time.
TReportFacts ReportFactsOf(const TQRPageList& pages, std::string title);

// The document's pages at their own scale (PageScale), titled with its Title; the document
// must outlive the source.
PageSource PagesOf(TQRPrinter& document);

// Plays the protocol: BeginExport (unless the filter is Active already) with page 1's
// size rounded to tenths of a millimetre and the base font, then per page FinishPage,
// BeginPage and its AddText calls, then FinishPage and EndExport. The base font is the
// (size, colour) that the most items of the report use, ties going to the one seen
// first, with the face and style of its first item; 10 points black without text.
// Every page is played twice, once to find the base font, once to send the items.
// The text goes in the character set the filter names for itself (TextEncoding), if any,
// else in options.Encoding. Throws what the pages, the encoder and the filter throw; the
// filter stays the caller's.
void ExportPageText(const PageSource& pages, TQRExportFilter& filter, const PageTextOptions& options = {});

// The OnExport handler that exports `document` with these options; the document must
// outlive the handler.
TQRPrinter::TQRExportEvent MakePageTextExporter(TQRPrinter& document, PageTextOptions options = {});

}  // namespace qrp::exporter
