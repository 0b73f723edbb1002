// Recording a running report's pages: TQRPrinter's OpenDoc, NewPage, EndDoc and AbortDoc.
//
// Every page is drawn on a TQRCanvas, which records it as a page picture, whatever the
// destination. A ddMetafile run stores the picture in Pages. A ddPrinter run records its
// range pages at the printer's resolution and printable size (one canvas pixel is one
// printer pixel, the origin at the printable corner, which is what DevX and DevY give with
// the printer's offsets) and, when the page is finished, plays the picture onto the
// printer's page 1:1. So there is one drawing implementation, and the printer gets
// exactly what a preview of the same run shows.
#include <utility>

#include "base/errors.h"
#include "base/messages.h"
#include "document.h"
#include "host_hooks.h"

namespace qrp {

namespace {

// The memory a recording keeps before its pages move to a temporary file.
constexpr std::int32_t kRecordingSpillLimit = 100000;

}  // namespace

bool TQRPrinter::InPrintRange() const {
    return !(FirstPage > 0 && FPageTotal < FirstPage) && !(LastPage > 0 && FPageTotal > LastPage);
}

void TQRPrinter::SetScreenScales() {
    FScaleY = static_cast<long double>(ScreenPixelsPerInch()) / 254;
    FScaleX = FScaleY;
    FPageScale = FScaleX;
}

void TQRPrinter::SetPrinterScales() {
    FScaleX = static_cast<long double>(FOwnPrinter->GetDeviceCaps(DeviceCap::LOGPIXELSX)) / 254;
    FScaleY = static_cast<long double>(FOwnPrinter->GetDeviceCaps(DeviceCap::LOGPIXELSY)) / 254;
}

void TQRPrinter::OpenDoc() {
    if (FStatus != dsReady)
        throw EQRError(messages::printerNotReady());
    const bool direct = FOutputRoute == ddPrinter;
    // The printer is asked first, so that a failing printer leaves the document ready.
    if (direct) {
        FSettings.WriteToPrinter();
        SetPrinterScales();
    }
    FRecordingPage.reset();
    FPagesReady = 0;
    FCancelRequested = false;
    FPrintOffsetTop = direct ? FSettings.PhysTop() : 0;
    FPrintOffsetLeft = direct ? FSettings.PhysLeft() : 0;
    FPageNumber = 0;
    FPageTotal = 0;
    FHeaderBehind = false;
    if (!direct) {
        FPages.AttachStream(std::make_unique<TQRStream>(kRecordingSpillLimit));
        SetScreenScales();
    }
    FStatus = dsBusy;
}

void TQRPrinter::NewPage() {
    if (FStatus != dsBusy)
        throw EQRError(messages::illegalNewPage());
    if (FPageNumber > 0) {
        // The range's last page gets no break: EndDoc closes the job after it.
        FinishPage(FPageTotal != LastPage);
        SetPagesReady(FPagesReady + 1);
    }
    ++FPageTotal;
    ++FPageNumber;
    if (FOutputRoute == ddPrinter && InPrintRange())
        StartPrinterPage();
    else
        StartMetafilePage();
}

// Also the throw-away page of a direct run: its size comes from the scale in force before
// the screen's is set, as a page outside the range always had it.
void TQRPrinter::StartMetafilePage() {
    const std::int32_t width = DevWidth(OrientedPaperWidth());
    const std::int32_t height = DevHeight(OrientedPaperLength());
    const int screen = ScreenPixelsPerInch();
    FRecordingPage = std::make_unique<TQRCanvas>(width, height, screen, screen);
    SetScreenScales();
}

// The job is opened by its first page; every later page only starts a device page, which
// has no effect on the page that the break before it already started.
void TQRPrinter::StartPrinterPage() {
    PrinterObject& printer = *FOwnPrinter;
    if (printer.Printing()) {
        printer.StartPage();
    } else {
        printer.SetTitle(Title);
        printer.BeginDoc();
    }
    SetPrinterScales();
    FRecordingPage = std::make_unique<TQRCanvas>(DevWidth(OrientedPaperWidth()), DevHeight(OrientedPaperLength()),
                                                 printer.GetDeviceCaps(DeviceCap::LOGPIXELSX),
                                                 printer.GetDeviceCaps(DeviceCap::LOGPIXELSY));
}

// The page leaves FRecordingPage before anything can fail, so a failed store or print is
// never stored or printed twice.
void TQRPrinter::FinishPage(bool breakAfter) {
    const std::unique_ptr<TQRCanvas> page = std::move(FRecordingPage);
    if (FOutputRoute == ddMetafile) {
        if (!page)
            return;
        try {
            FPages.AppendPage(*page->Finish());
        } catch (const StreamError&) {
            // Not stored (a full disk): the document counts only the pages it holds.
            FPageTotal = FPages.PageTotal();
            throw;
        }
        return;
    }
    if (!InPrintRange())
        return;  // a throw-away page
    if (page)
        PlayOntoPrinter(*page);
    if (breakAfter && FOwnPrinter->Printing())
        FOwnPrinter->NewPage();
}

void TQRPrinter::PlayOntoPrinter(TQRCanvas& page) {
    if (!FOwnPrinter->Printing())
        return;
    const std::unique_ptr<PagePicture> picture = page.Finish();
    FOwnPrinter->Canvas().StretchDraw(*picture, {0, 0, page.Width() - 1, page.Height() - 1});
}

void TQRPrinter::EndDoc() {
    if (FStatus != dsBusy)
        return;
    if (FOutputRoute == ddPrinter) {
        if (FPageTotal > 0)
            FinishPage(false);
        if (FOwnPrinter->Printing())
            FOwnPrinter->EndDoc();
    } else if (FPageTotal > 0) {
        FinishPage(false);
    }
    FStatus = dsFinished;
    // A handler that runs now may discard or replace the pages; the header is rewritten
    // only in the stream this run recorded.
    TQRStream* const recorded = PageStream();
    ProcessMessages();
    SetPagesReady(FPagesReady + 1);
    if (FOutputRoute == ddMetafile) {
        if (recorded && PageStream() == recorded)
            FPages.Finish();
    } else if (AfterPrint) {
        AfterPrint(*this);
    }
}

void TQRPrinter::AbortDoc() {
    if (FStatus != dsBusy)
        return;
    // The run is over whatever the printer says.
    struct Finished {
        TQRPrinter& document;
        ~Finished() { document.FStatus = dsFinished; }
    } finished{*this};
    if (FOutputRoute == ddPrinter) {
        FRecordingPage.reset();
        if (FOwnPrinter->Printing())
            FOwnPrinter->Abort();
        return;
    }
    FHeaderBehind = true;
    if (FRecordingPage)
        FinishPage(false);
}

}  // namespace qrp
