// TQRPrinter::Print: replays a finished document's print range onto its own printer as
// one job. Copies travel in the device mode; the driver makes them.
#include <algorithm>
#include <cstdint>

#include "document.h"
#include "host_hooks.h"

namespace qrp {

namespace {

// Closes a job that an error left open, keeping the first error as the one reported.
void EndJobQuietly(PrinterObject& printer) noexcept {
    try {
        if (printer.Printing())
            printer.EndDoc();
    } catch (...) {
    }
}

}  // namespace

void TQRPrinter::Print() {
    if (OwnerReport && !FLoadedFromFile) {
        OwnerReport->Post(DocumentMessage::PrintRequest, 0);
        return;
    }
    if (FStatus != dsFinished || !FHasPrinter)
        return;
    // A cancel belongs to the run it was asked for; left set, it would cut every later
    // print of this document short after one page.
    FCancelRequested = false;
    PrinterObject& printer = *FOwnPrinter;
    printer.SetTitle(Title);
    if (printer.Printing())
        printer.Abort();
    FSettings.WriteToPrinter();
    printer.BeginDoc();
    try {
        // 64-bit, so that a last page of INT32_MAX cannot make the loop overflow. There are
        // no pages below 1: a range reaching down there would only feed blank sheets.
        const std::int64_t first = std::max<std::int64_t>(FirstPage, 1);
        const std::int64_t last = LastPage != 0 ? LastPage : FPageTotal;
        for (std::int64_t i = first; i <= last; ++i) {
            const auto page = static_cast<std::int32_t>(i);
            ProcessMessages();
            SetPageNumber(page);
            // A page the document does not hold leaves its sheet blank.
            if (const std::unique_ptr<PagePicture> picture = FetchPage(page)) {
                PrinterCanvas& canvas = printer.Canvas();
                canvas.StretchDraw(*picture, {0, 0, printer.PageWidth() - 1, printer.PageHeight() - 1});
            }
            if (i < last)
                printer.NewPage();
            if (FCancelRequested) {
                printer.Abort();
                break;
            }
        }
    } catch (...) {
        EndJobQuietly(printer);
        throw;
    }
    if (printer.Printing())
        printer.EndDoc();
}

}  // namespace qrp
