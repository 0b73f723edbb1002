// TQRPrinter::Print: replays a finished document's print range onto its own printer as
// one job. Copies travel in the device mode; the driver makes them.
#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>

#include "base/errors.h"
#include "base/messages.h"
#include "document.h"
#include "host_hooks.h"

namespace qrp {

namespace {

// Closes a job that an error left open, keeping the first error as the one reported.
void EndJobQuietly(PrinterObject& printer) noexcept {
    try {
        if (!printer.Printing())
            return;
        if (printer.EndsFailedJobs())
            printer.EndDoc();
        else
            printer.Abort();
    } catch (...) {
    }
}

// Where the page goes on the printable area. Fit and actual size need the page's own size,
// which the EMF frame gives in hundredths of a millimetre; without one the page stretches.
PixelRect PageRect(const PagePicture& picture, TQRPrintScale scale, PrinterObject& printer) {
    const std::int32_t width = printer.PageWidth();
    const std::int32_t height = printer.PageHeight();
    const FrameRect frame = picture.Frame();
    const double frameWidth = static_cast<double>(frame.right) - frame.left;
    const double frameHeight = static_cast<double>(frame.bottom) - frame.top;
    if (scale == TQRPrintScale::Stretch || frameWidth <= 0 || frameHeight <= 0)
        return {0, 0, width - 1, height - 1};
    double drawnWidth = frameWidth * printer.GetDeviceCaps(DeviceCap::LOGPIXELSX) / 2540.0;
    double drawnHeight = frameHeight * printer.GetDeviceCaps(DeviceCap::LOGPIXELSY) / 2540.0;
    if (scale == TQRPrintScale::Fit) {
        const double factor = std::min(width / drawnWidth, height / drawnHeight);
        drawnWidth *= factor;
        drawnHeight *= factor;
    }
    const auto left = static_cast<std::int32_t>(std::lround((width - drawnWidth) / 2));
    const auto top = static_cast<std::int32_t>(std::lround((height - drawnHeight) / 2));
    return {left, top, left + static_cast<std::int32_t>(std::lround(drawnWidth)) - 1,
            top + static_cast<std::int32_t>(std::lround(drawnHeight)) - 1};
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
    FPrintPosition = 0;
    // The plain range keeps its old ways (a range past the report prints blank sheets);
    // a selection names report pages only, so an empty one has nothing to send.
    const bool plainRange = PrintPages.IsRange();
    const TQRPrintOrder selected(PrintPages, FirstPage, LastPage, FPageTotal);
    if (!plainRange && selected.Count() == 0)
        throw EQRError(messages::noPagesSelected());
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
        const std::int64_t last = LastPage != 0 ? LastPage : FPageTotal.load();
        const std::int64_t count = plainRange ? std::max<std::int64_t>(last - first + 1, 0) : selected.Count();
        FPrintCount = static_cast<std::int32_t>(std::min<std::int64_t>(count, INT32_MAX));
        for (std::int64_t i = 0; i < count; ++i) {
            FPrintPosition = static_cast<std::int32_t>(std::min<std::int64_t>(i + 1, INT32_MAX));
            const auto page = static_cast<std::int32_t>(plainRange ? first + i : selected.PageAt(i));
            ProcessMessages();
            SetPageNumber(page);
            // The setter has just read this page; a copy of it spares a second read, which
            // for a packed report is as long as drawing the page into a PDF.
            const std::unique_ptr<PagePicture> picture = FCurrentPagePicture && FPageNumber == page
                                                             ? std::make_unique<PagePicture>(*FCurrentPagePicture)
                                                             : FetchPage(page);
            // A page the document does not hold leaves its sheet blank.
            if (picture)
                printer.Canvas().StretchDraw(*picture, PageRect(*picture, PrintScale, printer));
            if (i < count - 1)
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
