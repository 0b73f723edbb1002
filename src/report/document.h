// The report document: owns a report's finished pages and what is needed to show, save,
// export and print them. Pages come from a report file (Load) or are recorded while a
// report runs (OpenDoc, NewPage, EndDoc: recording.cpp). Lengths are in tenths of a
// millimetre.
//
// A document is used from the user-interface thread, with one exception: a host may show
// the pages of a run that records on another thread. Status, PageTotal and FetchPage may be
// called from there.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "notifications.h"
#include "page_list.h"
#include "page_picture.h"
#include "page_selection.h"
#include "page_stream.h"
#include "paper_sizes.h"
#include "printer.h"
#include "printer_settings.h"
#include "report_canvas.h"

namespace qrp::exporter {
class TQRExportFilter;
}

namespace qrp {

enum TQRDocumentStatus : std::uint8_t { dsReady = 0, dsBusy = 1, dsFinished = 2 };
enum TQRDocumentDestination : std::uint8_t { ddMetafile = 0, ddPrinter = 1 };
// How Print lays a page on the printable area: stretched over all of it, as large as fits
// keeping its proportions, or at its own size; the last two are centred.
enum class TQRPrintScale : std::uint8_t { Stretch, Fit, Actual };

// The scale of a report file's pages, pixels per 0.1 mm: 96 pixels per inch.
inline constexpr long double kFilePageScale = 96.0L / 254;

class TQRPrinter {
  public:
    using TQRAfterPrintEvent = std::function<void(TQRPrinter& sender)>;
    using TQRAfterPreviewEvent = std::function<void(TQRPrinter& sender)>;
    using TQRExportEvent = std::function<void(exporter::TQRExportFilter& filter)>;
    // sender only identifies the caller to the handler; the document never looks at it.
    using TQRSetupRequestEvent = std::function<void(const void* sender)>;

    // Takes the document's own printer (not null), which starts on the system's default
    // printer, and reads its settings when any printer is installed. Throws PrinterError
    // "There is no default printer currently selected" when printers exist but none is the
    // default; no document is made then.
    explicit TQRPrinter(std::unique_ptr<PrinterObject> ownPrinter);
    // Discards the pages and lets a preview still showing the document go of it.
    ~TQRPrinter();
    TQRPrinter(const TQRPrinter&) = delete;
    TQRPrinter& operator=(const TQRPrinter&) = delete;

    // Drops the pages and their stream and returns to dsReady; PageTotal is kept.
    void DiscardPages();
    // Opens a report file as the document's read-only page stream and derives paper size
    // and orientation from page 1. On failure the document is left in dsReady with no
    // stream and its previous PageTotal, and the error reaches the caller.
    void Load(const std::string& fileName);
    // Copies the page stream to fileName; only a finished document holding a stream writes,
    // otherwise nothing happens. A recording cut short by AbortDoc gets its header's page
    // count brought up to date first, so the file holds every page it was given.
    void Save(const std::string& fileName);
    // Hands the filter (still the caller's) to OnExport; nothing when none is assigned.
    void Export(exporter::TQRExportFilter& filter);
    void PrintSetup(const void* sender);
    // Replays the print range onto OwnPrinter as one job (print.cpp). With a page list, page
    // set or reverse order in PrintPages, only the report pages those select are printed;
    // EQRError "No pages of the report are selected to print" when none are, and no job is
    // opened then.
    void Print();
    // A new picture of page n owned by the caller, or none outside 1..PageTotal or in dsReady.
    std::unique_ptr<PagePicture> FetchPage(std::int32_t n);
    // Sends the close request to OwnerReport, when one is linked.
    void DismissPreview(const void* control);
    // Only sets CancelRequested; the running loop looks at it.
    void Cancel() { FCancelRequested = true; }

    // Recording (recording.cpp). A run: OpenDoc, then NewPage before each page, drawing on
    // Canvas() in DevX/DevY pixels, then EndDoc (or AbortDoc when the run stops early).
    // OutputRoute decides where pages go: ddMetafile into Pages, ddPrinter onto OwnPrinter
    // (only the pages of FirstPage..LastPage; the others are drawn and dropped).
    //
    // Starts a run; EQRError "QRPrinter not ready" unless dsReady. A ddPrinter run writes the
    // settings into the printer and takes its resolution and offsets; without a printer the
    // printer's error reaches the caller and the document stays ready.
    void OpenDoc();
    // Finishes the page being drawn (announcing it) and starts the next; also needed before
    // the first page. EQRError "Illegal call to NewPage" outside a run. Printer errors reach
    // the caller; the page that was being finished is gone then, and the run goes on. A
    // page the page stream cannot store (a full disk) is not counted either.
    void NewPage();
    // Finishes the last page and the run: dsFinished, the finished-page count announced (also
    // for a run without pages), the stored header rewritten (ddMetafile) or AfterPrint fired
    // (ddPrinter). Nothing outside a run.
    void EndDoc();
    // Stops the run, keeping what was recorded: the page being drawn is stored without an
    // announcement (ddMetafile) or the printer job is aborted (ddPrinter). The document is
    // dsFinished afterwards even when the printer fails. Nothing outside a run.
    void AbortDoc();
    // The surface of the page being drawn, or none outside a page. It belongs to the
    // document and is gone at the next NewPage, EndDoc or AbortDoc.
    TQRCanvas* Canvas() const { return FRecordingPage.get(); }

    // Tenths of a millimetre to device pixels, rounded half to even.
    std::int32_t DevX(long double x) const;
    std::int32_t DevY(long double y) const;
    std::int32_t DevWidth(long double x) const;
    std::int32_t DevHeight(long double y) const;
    // The paper as it lies, in tenths of a millimetre.
    std::int32_t OrientedPaperWidth() const;
    std::int32_t OrientedPaperLength() const;

    // Straight through to Settings, which ignores what the printer cannot do.
    TPrinterOrientation Orientation() const { return FSettings.Orientation(); }
    void SetOrientation(TPrinterOrientation value) { FSettings.SetOrientation(value); }
    TQRPaperSize PaperSize() const { return FSettings.PaperSize(); }
    void SetPaperSize(TQRPaperSize value) { FSettings.SetPaperSize(value); }
    std::int32_t SheetWidth() const { return FSettings.SheetWidth(); }
    void SetSheetWidth(std::int32_t value) { FSettings.SetSheetWidth(value); }
    std::int32_t SheetLength() const { return FSettings.SheetLength(); }
    void SetSheetLength(std::int32_t value) { FSettings.SetSheetLength(value); }
    void SetCopies(std::int32_t value) { FSettings.SetCopies(value); }
    void SetOutputBin(TQRBin value) { FSettings.SetOutputBin(value); }

    // Selects printer n (-1: the system default) and re-reads its settings from the
    // driver's defaults, so copies, orientation, paper and source are reset: set them after
    // the printer. Nothing without printers; "Printer index out of range" for a bad n.
    void SetPrinterNumber(std::int32_t n);
    void SetCompression(bool packed) { FPages.SetCompression(packed); }

    // n in 1..PageTotal becomes the current page and its picture is held; otherwise ignored.
    std::int32_t PageNumber() const { return FPageNumber; }
    void SetPageNumber(std::int32_t n);
    // These two post their new value to NotifyWindow when one is linked.
    std::int32_t PagesReady() const { return FPagesReady; }
    void SetPagesReady(std::int32_t n);
    std::int32_t Progress() const { return FProgress; }
    void SetProgress(std::int32_t n);
    // Going from true to false cancels a running report and fires AfterPreview; the flag
    // takes the new value even when the handler throws.
    bool PreviewShown() const { return FPreviewShown; }
    void SetPreviewShown(bool value);
    TQRDocumentDestination OutputRoute() const { return FOutputRoute; }
    void SetOutputRoute(TQRDocumentDestination value) { FOutputRoute = value; }

    TQRDocumentStatus Status() const { return FStatus; }
    std::int32_t PageTotal() const { return FPageTotal; }
    bool HasPrinter() const { return FHasPrinter; }
    bool LoadedFromFile() const { return FLoadedFromFile; }
    bool CancelRequested() const { return FCancelRequested; }
    // During Print: where the page being printed stands in the job (from 1), and the
    // job's page count, for a progress display.
    std::int32_t PrintPosition() const { return FPrintPosition; }
    std::int32_t PrintCount() const { return FPrintCount; }
    long double ScaleX() const { return FScaleX; }
    long double ScaleY() const { return FScaleY; }
    // Pixels per 0.1 mm of the pages themselves: a recording's pages are drawn at the
    // screen's scale of their run; a loaded file's pages are taken at 96 pixels per inch,
    // whatever this screen has, so that export and paper detection give the same result on
    // every screen. ScaleX stays the screen's, for showing pages.
    long double PageScale() const { return FPageScale; }
    std::int32_t PrintOffsetLeft() const { return FPrintOffsetLeft; }
    std::int32_t PrintOffsetTop() const { return FPrintOffsetTop; }
    // The stream the pages are in (owned by Pages), or none.
    TQRStream* PageStream() const { return FPages.Stream(); }
    PrinterObject& OwnPrinter() { return *FOwnPrinter; }
    TPrinterSettings& Settings() { return FSettings; }
    const TPrinterSettings& Settings() const { return FSettings; }
    TQRPageList& Pages() { return FPages; }
    // The picture the PageNumber setter holds, or none.
    const PagePicture* CurrentPagePicture() const { return FCurrentPagePicture.get(); }

    // Plain fields that callers read and write.
    std::string Title;            // print job name; the viewer's caption
    std::int32_t FirstPage = 0;   // 0: from page 1
    std::int32_t LastPage = 0;    // 0: to the last page
    TQRPageSelection PrintPages;  // the list replaces FirstPage..LastPage
    TQRPrintScale PrintScale = TQRPrintScale::Stretch;
    DocumentWindow* NotifyWindow = nullptr;  // not owned; gets page-available and progress
    DocumentWindow* OwnerReport = nullptr;   // not owned; gets print and close requests
    TQRAfterPrintEvent AfterPrint;
    TQRAfterPreviewEvent AfterPreview;
    TQRExportEvent OnExport;
    TQRSetupRequestEvent OnSetupRequest;

  private:
    void DetectPaperSize();
    bool InPrintRange() const;
    void SetScreenScales();
    void SetPrinterScales();
    void StartMetafilePage();
    void StartPrinterPage();
    // Takes the page being drawn and sends it where the route and range say, without a
    // page break; `breakAfter` adds the printer's page break of a finished range page.
    void FinishPage(bool breakAfter);
    void PlayOntoPrinter(TQRCanvas& page);
    void PostTo(DocumentWindow* window, DocumentMessage message, std::int32_t value);

    // Declared before FSettings, which points at it, so that it is destroyed after.
    std::unique_ptr<PrinterObject> FOwnPrinter;
    TPrinterSettings FSettings;
    std::int32_t FPagesReady = 0;
    bool FCancelRequested = false;
    TQRDocumentDestination FOutputRoute = ddMetafile;
    std::int32_t FPrintOffsetLeft = 0;
    std::unique_ptr<PagePicture> FCurrentPagePicture;
    std::atomic<std::int32_t> FPageTotal = 0;
    std::int32_t FPageNumber = 0;
    bool FHasPrinter = false;
    std::int32_t FProgress = 0;
    std::int32_t FPrintOffsetTop = 0;
    bool FPreviewShown = false;
    std::atomic<TQRDocumentStatus> FStatus = dsReady;
    long double FScaleX = 1.0L;  // device pixels per 0.1 mm
    long double FScaleY = 1.0L;
    long double FPageScale = 1.0L;
    TQRPageList FPages;
    bool FLoadedFromFile = false;
    // The page being drawn; its canvas is Canvas().
    std::unique_ptr<TQRCanvas> FRecordingPage;
    // AbortDoc leaves the stored header's page count behind the pages held; Save mends it.
    bool FHeaderBehind = false;
    std::int32_t FPrintPosition = 0;
    std::int32_t FPrintCount = 0;
};

}  // namespace qrp
