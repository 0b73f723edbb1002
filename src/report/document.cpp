#include "document.h"

#include <stdexcept>
#include <utility>

#include "host_hooks.h"
#include "rounding.h"

namespace qrp {

TQRPrinter::TQRPrinter(std::unique_ptr<PrinterObject> ownPrinter) : FOwnPrinter(std::move(ownPrinter)) {
    if (!FOwnPrinter)
        throw std::invalid_argument("TQRPrinter needs a printer object");
    FHasPrinter = !FOwnPrinter->Printers().empty();
    if (FHasPrinter) {
        FSettings.AttachPrinter(FOwnPrinter.get());
        ProcessMessages();
    }
    FPrintOffsetTop = FSettings.PhysTop();
    FPrintOffsetLeft = FSettings.PhysLeft();
}

TQRPrinter::~TQRPrinter() {
    if (FStatus != dsReady)
        DiscardPages();
    if (!NotifyWindow)
        return;
    // A preview's handlers may throw while it lets go; nothing may leave a destructor.
    try {
        NotifyWindow->DocumentDestroyed(*this);
    } catch (...) {
    }
}

void TQRPrinter::DiscardPages() {
    if (FStatus == dsBusy)
        Cancel();
    // A page still being drawn belongs to the run that is thrown away.
    FRecordingPage.reset();
    FHeaderBehind = false;
    FPages.DetachStream();
    FPages.Clear();
    FStatus = dsReady;
}

void TQRPrinter::Load(const std::string& fileName) {
    if (FStatus != dsReady)
        DiscardPages();
    FPages.OpenReport(fileName);
    const std::int32_t previousTotal = FPageTotal;
    FPageTotal = FPages.PageTotal();
    SetScreenScales();
    FPageScale = kFilePageScale;
    if (FPageTotal > 0) {
        // A first page that cannot be read leaves no half-loaded document behind.
        try {
            DetectPaperSize();
        } catch (...) {
            FPages.DetachStream();
            FPages.Clear();
            FPageTotal = previousTotal;
            throw;
        }
    }
    FStatus = dsFinished;
    OnSetupRequest = nullptr;
    OnExport = nullptr;
    FLoadedFromFile = true;
}

// The page's size in units of 4 mm against every named paper: a later match replaces an
// earlier one and, for a square paper, landscape wins. The setters refuse sizes the
// printer does not offer, so an unmatched page keeps the size it had.
void TQRPrinter::DetectPaperSize() {
    std::int64_t width = 0, height = 0;
    {
        const std::unique_ptr<PagePicture> first = FPages.FetchPage(1);
        if (!first)
            return;
        width = static_cast<std::int64_t>(first->WidthPx() / FPageScale / 40);
        height = static_cast<std::int64_t>(first->HeightPx() / FPageScale / 40);
    }
    for (int i = static_cast<int>(TQRPaperSize::Letter); i <= static_cast<int>(TQRPaperSize::ESheet); ++i) {
        const auto size = static_cast<TQRPaperSize>(i);
        const auto tableWidth = static_cast<std::int64_t>(PaperInfo(size).widthMm / 4);
        const auto tableLength = static_cast<std::int64_t>(PaperInfo(size).lengthMm / 4);
        if (width == tableWidth && height == tableLength) {
            SetPaperSize(size);
            SetOrientation(poPortrait);
        }
        if (height == tableWidth && width == tableLength) {
            SetPaperSize(size);
            SetOrientation(poLandscape);
        }
    }
}

void TQRPrinter::Save(const std::string& fileName) {
    if (FStatus != dsFinished || !PageStream())
        return;
    // An aborted recording's header still counts the pages of its first write; saved like
    // that, a loaded copy would show only those and hide every later page.
    if (FHeaderBehind) {
        FPages.Finish();
        FHeaderBehind = false;
    }
    FPages.SaveCopy(fileName);
}

void TQRPrinter::Export(exporter::TQRExportFilter& filter) {
    if (OnExport)
        OnExport(filter);
}

void TQRPrinter::PrintSetup(const void* sender) {
    if (OnSetupRequest)
        OnSetupRequest(sender);
}

std::unique_ptr<PagePicture> TQRPrinter::FetchPage(std::int32_t n) {
    // On a host's thread while a run records, status and count may change meanwhile: the
    // list answers only for pages it holds, under its own lock.
    const TQRDocumentStatus status = FStatus;
    if ((status != dsBusy && status != dsFinished) || n < 1 || n > FPageTotal)
        return nullptr;
    return FPages.FetchPage(n);
}

void TQRPrinter::DismissPreview(const void* /*control*/) {
    if (OwnerReport)
        OwnerReport->Send(DocumentMessage::CloseRequest, *this);
}

std::int32_t TQRPrinter::DevX(long double x) const {
    return RoundToInt32((x - FPrintOffsetLeft) * FScaleX);
}

std::int32_t TQRPrinter::DevY(long double y) const {
    return RoundToInt32((y - FPrintOffsetTop) * FScaleY);
}

std::int32_t TQRPrinter::DevWidth(long double x) const {
    return RoundToInt32(x * FScaleX);
}

std::int32_t TQRPrinter::DevHeight(long double y) const {
    return RoundToInt32(y * FScaleY);
}

// SheetWidth and SheetLength already give the table's dimensions for a named paper and
// the stored ones for Default and Custom.
std::int32_t TQRPrinter::OrientedPaperWidth() const {
    return Orientation() == poLandscape ? SheetLength() : SheetWidth();
}

std::int32_t TQRPrinter::OrientedPaperLength() const {
    return Orientation() == poLandscape ? SheetWidth() : SheetLength();
}

void TQRPrinter::SetPrinterNumber(std::int32_t n) {
    if (!FHasPrinter)
        return;
    FOwnPrinter->SetPrinterIndex(n);
    ResetDeviceMode(*FOwnPrinter);
    FSettings.ReadPrinterSettings();
}

void TQRPrinter::SetPageNumber(std::int32_t n) {
    if (n < 1 || n > FPageTotal)
        return;
    FCurrentPagePicture.reset();
    FCurrentPagePicture = FetchPage(n);
    FPageNumber = n;
}

void TQRPrinter::PostTo(DocumentWindow* window, DocumentMessage message, std::int32_t value) {
    if (window)
        window->Post(message, value);
}

void TQRPrinter::SetPagesReady(std::int32_t n) {
    FPagesReady = n;
    PostTo(NotifyWindow, DocumentMessage::PageAvailable, n);
}

void TQRPrinter::SetProgress(std::int32_t n) {
    FProgress = n;
    PostTo(NotifyWindow, DocumentMessage::Progress, n);
}

void TQRPrinter::SetPreviewShown(bool value) {
    if (FPreviewShown && !value) {
        try {
            if (FStatus == dsBusy)
                Cancel();
            if (AfterPreview)
                AfterPreview(*this);
        } catch (...) {
            FPreviewShown = value;
            throw;
        }
    }
    FPreviewShown = value;
}

}  // namespace qrp
