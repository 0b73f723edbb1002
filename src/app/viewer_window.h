// The viewer window: a toolbar of page, zoom, orientation, print, load, save and exit
// commands over the preview control, which shows one page of the window's report document.
//
// The window keeps a document only while it is shown: showing it makes a new empty one (or
// presents the caller's, see ShowModal) and closing it frees that document and hides the
// window, which can then be shown again. The report file named on the command line is
// loaded at the first activation of each showing, never again while it lasts, so that a
// report the user opened since is not replaced.
//
// Handlers are public and named after their control and event; called directly they let
// their errors out. Wired to the controls, an error that escapes a handler is shown in a
// message box with its text and the window carries on.
//
// While a print or an export runs (pending events run between its pages), the commands
// that would replace or free the document are disabled, and closing the window asks
// whether to cancel the job: the window closes once the job has ended.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include <QWidget>

#include "progress_jobs.h"
#include "report/printer.h"
#include "viewer_dialogs.h"

class QButtonGroup;
class QLabel;
class QPushButton;
class QSplitter;
class QToolButton;

namespace qrp {
class TQRPrinter;
}

namespace qrp::exporter {
class TQRTextFilter;
class TQRCSVFilter;
class TQRHTMLFilter;
class TQRXLSXFilter;
}  // namespace qrp::exporter

namespace qrp::preview {
class TQRPreview;
class TextOverlay;
}  // namespace qrp::preview

namespace qrp::app {

class FindBar;
class TextFinder;
class TextSelection;
class TSpinEdit;
class ThumbnailPanel;
class ReadThrough;
struct RecentFile;

class TTav_FolivexFrm : public QWidget {
    Q_OBJECT
  public:
    // commandLineFile: the report file the first activation loads; empty for none.
    // dialogs: null for Qt's own dialogs. The process's export filter library must exist
    // (the window's filter components register with it) and outlive the window.
    explicit TTav_FolivexFrm(std::string commandLineFile = {}, std::unique_ptr<ViewerDialogs> dialogs = nullptr,
                             QWidget* parent = nullptr);
    ~TTav_FolivexFrm() override;
    TTav_FolivexFrm(const TTav_FolivexFrm&) = delete;
    TTav_FolivexFrm& operator=(const TTav_FolivexFrm&) = delete;

    // The document the window shows: the one made when the window was shown, or the one
    // ShowModal presents; none while the window is hidden.
    TQRPrinter* ViewerDocument() const { return m_viewerDocument; }

    // Shows the window application-modally presenting `document` (the caller's; it is not
    // freed here) in `orientation`, and returns when the window has been closed: it is
    // hidden then and the preview has no document. This showing makes no document of its
    // own and does not load the command-line file; the caption follows the caption rule with
    // the document's Title. Closing it does not end the program. The window must not be
    // shown modally already.
    void ShowModal(TQRPrinter& document, TPrinterOrientation orientation);

    // Loads a report file into the document the preview shows and presents its page 1: what
    // the Load command does once a file has been chosen.
    void LoadReport(const std::string& path);

    // What the command line asks of the first activation besides its file: the page to
    // show (0: page 1; clamped as the page spin edit clamps) and text to find (empty: none).
    void SetCommandLineRequests(std::int32_t page, const QString& find);

    // Page spin edit to the document's pages, fit the page, ZoomToFit down, zoom to seZoom.
    void Init();

    void FormShow();
    void FormActivate();
    void FormClose();
    void LoadClick();
    void SaveClick();
    void PrintClick();
    void PrintSetupClick();
    void sb_LayoutClick();
    void sbFirstPageClick();
    void sbPreviousPageClick();
    void sbNextPageClick();
    void sbLastPageClick();
    void sePageChange();
    void ZoomToFitClick();
    void ZoomTo100Click();
    void ZoomToWidthClick();
    void seZoomChange();
    void QRPreviewPageAvailable(preview::TQRPreview& sender, std::int32_t PageNum);
    void BitBtnExitClick();

    // Components, owned by the window.
    QWidget* Panel1 = nullptr;
    preview::TQRPreview* QRPreview = nullptr;
    QLabel* Label1 = nullptr;
    TSpinEdit* sePage = nullptr;
    QToolButton* sbFirstPage = nullptr;
    QToolButton* sbPreviousPage = nullptr;
    QToolButton* sbNextPage = nullptr;
    QToolButton* sbLastPage = nullptr;
    QLabel* Label3 = nullptr;
    TSpinEdit* seZoom = nullptr;
    QToolButton* ZoomToFit = nullptr;
    QToolButton* ZoomTo100 = nullptr;
    QToolButton* ZoomToWidth = nullptr;
    QToolButton* sb_Layout = nullptr;
    QToolButton* PrintSetup = nullptr;
    QToolButton* Print = nullptr;
    QToolButton* Load = nullptr;
    QToolButton* Save = nullptr;
    QPushButton* BitBtnExit = nullptr;
    QLabel* Label2 = nullptr;
    QButtonGroup* ZoomGroup = nullptr;  // group 1: ZoomToFit, ZoomTo100, ZoomToWidth
    // Reading tools after the toolbar's own commands (viewer_reading_tools.cpp).
    QToolButton* sbThumbnails = nullptr;  // F4: the thumbnail panel left of the preview
    QToolButton* sbRecent = nullptr;      // the recent reports, each back at its page
    QSplitter* Splitter = nullptr;
    ThumbnailPanel* Thumbnails = nullptr;
    // The reading tools, after the toolbar's own commands: text selection and find.
    QToolButton* SelectTool = nullptr;
    FindBar* FindBar1 = nullptr;
    preview::TextOverlay* TextMarks = nullptr;
    TextFinder* Finder = nullptr;
    TextSelection* Selection = nullptr;
    TPrintDialog PrintDialog1;

  signals:
    // The window has been closed (and hidden).
    void Closed();

  protected:
    bool event(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void BuildComponents();
    void BuildShortcuts();
    // The thumbnail panel beside the preview (returned: the splitter holding both), its
    // buttons and the state the last run left (viewer_page_tools.cpp).
    QWidget* BuildPageTools();
    void ShowThumbnails(bool shown);
    // Space (+1) and Shift+Space (-1): a screen on, or on to the next page.
    void ReadOn(int direction);
    void FillRecentMenu();
    void OpenRecent(const RecentFile& file);
    // Shows the window's document in the thumbnail panel, or nothing, after cancelling the
    // rendering of the one it showed.
    void ShowInThumbnails(TQRPrinter* document);
    // Notes the page the recent report shown is left at, before it is replaced or closed.
    void LeaveRecentReport();
    // What the user chose last (ZoomToWidth, ZoomTo100) over Init's fit.
    void ApplyRememberedZoom();
    void RememberWindowState();
    // The select tool, the find bar and the marks over the page (viewer_find_tools.cpp).
    void BuildFindTools();
    // Stops what reads the shown document (a search, the page text) before it is freed or
    // replaced.
    void ReleaseDocumentReaders();
    void ApplyCommandLineRequests();
    // Runs a handler as the controls do: an error that escapes it goes to a message box;
    // a report file rewritten by another program is offered for a reload instead.
    void Guarded(const std::function<void()>& handler);
    void OfferReload(const std::string& message);
    void Wire(QToolButton* button, void (TTav_FolivexFrm::*handler)());
    // Steps seZoom as its buttons do (the zoom keys and Ctrl+wheel).
    void StepZoom(std::int32_t direction);
    // Fits the page to the preview and shows the zoom in seZoom.
    void FitPage();
    // Writes a page number into sePage and shows that page: through sePageChange when the
    // text changes, else directly, so that a page that fails is reported once.
    void GoToPage(std::int32_t page);
    // Gives the document the viewer's export handler (loading a report clears it).
    void AttachExport(TQRPrinter& document);
    // Runs a print or an export with the document commands disabled, then carries out a
    // close that was asked for meanwhile.
    void RunJob(const std::function<void()>& job);
    // Activation by focus coming from another window of the program (or the first one of a
    // showing), not from another program.
    bool ActivatedFromWithin();
    std::int32_t PageTotal() const;
    void OfferPdfInstead(TQRPrinter& document);

    std::string m_commandLineFile;
    std::unique_ptr<ViewerDialogs> m_dialogs;
    std::unique_ptr<TQRPrinter> m_ownDocument;  // the document FormShow made
    TQRPrinter* m_viewerDocument = nullptr;     // m_ownDocument or the presented one
    TQRPrinter* m_presented = nullptr;          // set while ShowModal presents a document
    TPrinterOrientation m_presentedOrientation = poPortrait;
    bool m_commandLineLoaded = false;
    std::int32_t m_commandLinePage = 0;
    QString m_commandLineFind;
    bool m_jobRunning = false;
    bool m_closeAfterJob = false;
    StopRequest m_jobStop;
    // Asked to maximise, and the window manager has not yet given it that size: until then a
    // page still at Init's fit is fitted again to each new size.
    bool m_maximising = false;
    std::int32_t m_fittedZoom = 0;  // the zoom of Init's fit
    bool m_firstActivationPending = false;
    bool m_focusLeftProgram = false;
    int m_guardDepth = 0;           // handlers running, one inside another
    bool m_reloadDeclined = false;  // in the user action that runs
    std::unique_ptr<ReadThrough> m_readThrough;
    std::string m_recentPath;  // the report loaded last, as the recent list names it
    std::unique_ptr<exporter::TQRTextFilter> QRTextFilter1;
    std::unique_ptr<exporter::TQRCSVFilter> QRCSVFilter1;
    std::unique_ptr<exporter::TQRHTMLFilter> QRHTMLFilter1;
    std::unique_ptr<exporter::TQRXLSXFilter> QRXLSXFilter1;
};

}  // namespace qrp::app
