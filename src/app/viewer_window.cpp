#include "viewer_window.h"

#include <cmath>
#include <exception>
#include <filesystem>

#include <QApplication>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QEventLoop>
#include <QFile>
#include <QMimeData>
#include <QResizeEvent>
#include <QScopeGuard>
#include <QScreen>
#include <QToolButton>
#include <QUrl>
#include <QWheelEvent>

#include "application_printer.h"
#include "base/errors.h"
#include "export/csv_filter.h"
#include "export/filter_library.h"
#include "export/html_filter.h"
#include "export/text_filter.h"
#include "export/xlsx_filter.h"
#include "preview/preview.h"
#include "print/qt_printer.h"
#include "progress_jobs.h"
#include "qt_viewer_dialogs.h"
#include "read_through.h"
#include "report/document.h"
#include "report/host_hooks.h"
#include "spin_edit.h"
#include "text_finder.h"
#include "thumbnail_panel.h"
#include "viewer_settings.h"

namespace qrp::app {

namespace {

const std::string kReportFilter = "Report files (*.qrp)|*.qrp";
const std::string kCancelJobQuestion = "A print or export is running. Cancel it and close the window?";
const std::string kPdfFilter = "PDF document (*.PDF)|*.PDF";

// The report's own paper, as the print dialog names papers.
QPageSize ReportPaper(const TQRPrinter& document) {
    return QPageSize(QSizeF(document.SheetWidth() / 10.0, document.SheetLength() / 10.0), QPageSize::Millimeter);
}

// Paper whose proportions differ from the report's page by more than 1 % gets the page
// fitted, so that a report made for A4 prints undistorted on Letter; paper of the same
// shape keeps the page stretched over it as always. jobPaper: the paper chosen for this
// job instead of the report's, or an invalid size.
TQRPrintScale ScaleForPaper(TQRPrinter& document, const QPageSize& jobPaper) {
    const std::unique_ptr<PagePicture> first = document.FetchPage(1);
    if (!first || document.OrientedPaperLength() <= 0)
        return TQRPrintScale::Stretch;
    double paper = static_cast<double>(document.OrientedPaperWidth()) / document.OrientedPaperLength();
    if (jobPaper.isValid()) {
        const QSizeF size = jobPaper.size(QPageSize::Millimeter);
        paper = document.Orientation() == poLandscape ? size.height() / size.width() : size.width() / size.height();
    }
    const FrameRect frame = first->Frame();
    const double width = static_cast<double>(frame.right) - frame.left;
    const double height = static_cast<double>(frame.bottom) - frame.top;
    if (width <= 0 || height <= 0)
        return TQRPrintScale::Stretch;
    return std::abs(width / height / paper - 1) > 0.01 ? TQRPrintScale::Fit : TQRPrintScale::Stretch;
}

// "Title - 1 page", "Title - 3 pages".
QString CaptionText(const std::string& title, std::int32_t pages) {
    return QFile::decodeName(QByteArray::fromStdString(title)) + QStringLiteral(" - ") + QString::number(pages) +
           (pages == 1 ? QStringLiteral(" page") : QStringLiteral(" pages"));
}

QString StatusText(TQRDocumentStatus status) {
    switch (status) {
        case dsReady:
            return QStringLiteral(" READY");
        case dsBusy:
            return QStringLiteral(" BUSY");
        case dsFinished:
            return QStringLiteral(" FINISHED");
    }
    return {};
}

// The path with `extension` appended when its file name (not its folders) has no dot.
std::string WithExtension(const std::string& path, const std::string& extension) {
    return std::filesystem::path(path).filename().string().find('.') == std::string::npos ? path + extension : path;
}

bool FileExists(const std::string& path) {
    std::error_code ignored;
    return std::filesystem::is_regular_file(path, ignored);
}

// The one local report file a drag carries, if it carries exactly that.
std::optional<QString> DraggedReport(const QMimeData* data) {
    if (!data || !data->hasUrls() || data->urls().size() != 1)
        return std::nullopt;
    const QUrl url = data->urls().front();
    if (!url.isLocalFile() || !url.toLocalFile().endsWith(QStringLiteral(".qrp"), Qt::CaseInsensitive))
        return std::nullopt;
    return url.toLocalFile();
}

class BusyCursor {
  public:
    BusyCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~BusyCursor() { QApplication::restoreOverrideCursor(); }
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;
};

}  // namespace

TTav_FolivexFrm::TTav_FolivexFrm(std::string commandLineFile, std::unique_ptr<ViewerDialogs> dialogs, QWidget* parent)
    : QWidget(parent), m_commandLineFile(std::move(commandLineFile)), m_dialogs(std::move(dialogs)) {
    if (!m_dialogs)
        m_dialogs = std::make_unique<QtViewerDialogs>(this);
    BuildComponents();
    BuildShortcuts();
    BuildFindTools();
    // The platform tells of focus leaving for another program as the application going
    // inactive (also while it starts).
    connect(qApp, &QGuiApplication::applicationStateChanged, this, [this](Qt::ApplicationState state) {
        if (state != Qt::ApplicationActive)
            m_focusLeftProgram = true;
    });
}

TTav_FolivexFrm::~TTav_FolivexFrm() {
    ReleaseDocumentReaders();
    // The thumbnails' worker and the preview must let go of the document before it goes.
    Thumbnails->SetDocument(nullptr);
    QRPreview->SetDocument(nullptr);
}

void TTav_FolivexFrm::Guarded(const std::function<void()>& handler) {
    // One user action may fetch a page more than once (a button sets the page spin edit,
    // whose own handler runs inside); the reload is offered once per action.
    if (m_guardDepth == 0)
        m_reloadDeclined = false;
    ++m_guardDepth;
    const struct Leave {
        int& depth;
        ~Leave() { --depth; }
    } leave{m_guardDepth};
    try {
        handler();
    } catch (const ReportChangedError& error) {
        OfferReload(error.what());
    } catch (const std::exception& error) {
        m_dialogs->Message(error.what());
    }
}

void TTav_FolivexFrm::OfferReload(const std::string& message) {
    const TQRPrinter* document = QRPreview->Document();
    const TQRStream* stream = document ? document->PageStream() : nullptr;
    if (!stream || m_reloadDeclined)
        return;
    // A running print or export still holds the document: say what happened, reload later.
    if (m_jobRunning) {
        m_dialogs->Message(message);
        return;
    }
    if (!m_dialogs->Confirm(message + ". Reload it?")) {
        m_reloadDeclined = true;
        return;
    }
    const std::string path = stream->FilePath();
    Guarded([this, &path] { LoadReport(path); });
}

std::int32_t TTav_FolivexFrm::PageTotal() const {
    const TQRPrinter* document = QRPreview->Document();
    return document ? document->PageTotal() : 0;
}

void TTav_FolivexFrm::ShowModal(TQRPrinter& document, TPrinterOrientation orientation) {
    m_presented = &document;
    m_presentedOrientation = orientation;
    const bool quitOnClose = testAttribute(Qt::WA_QuitOnClose);
    setAttribute(Qt::WA_QuitOnClose, false);
    setWindowModality(Qt::ApplicationModal);
    QEventLoop loop;
    connect(this, &TTav_FolivexFrm::Closed, &loop, &QEventLoop::quit);
    // Modality takes effect when the window is shown, and only a showing presents it.
    if (isVisible())
        hide();
    show();
    activateWindow();
    if (isVisible())
        loop.exec();
    setWindowModality(Qt::NonModal);
    setAttribute(Qt::WA_QuitOnClose, quitOnClose);
    m_presented = nullptr;
}

void TTav_FolivexFrm::Init() {
    sePage->SetMaxValue(PageTotal());
    sePage->SetMinValue(1);
    sePage->SetValue(1);
    QRPreview->FitToPage();
    ZoomToFit->setChecked(true);
    seZoom->SetValue(QRPreview->Zoom());
    m_fittedZoom = QRPreview->Zoom();
}

void TTav_FolivexFrm::AttachExport(TQRPrinter& document) {
    document.OnExport = ExportWithProgress(document, *m_dialogs, m_jobStop);
}

void TTav_FolivexFrm::FormShow() {
    m_commandLineLoaded = false;
    if (m_presented) {
        m_viewerDocument = m_presented;
        QRPreview->SetDocument(m_presented);
        m_presented->SetOrientation(m_presentedOrientation);
        AttachExport(*m_presented);
        setWindowTitle(CaptionText(m_presented->Title, m_presented->PageTotal()));
    } else {
        auto document = std::make_unique<TQRPrinter>(NewDocumentPrinter());
        QRPreview->SetDocument(document.get());
        m_ownDocument = std::move(document);
        m_viewerDocument = m_ownDocument.get();
    }
    Init();
    ShowInThumbnails(m_viewerDocument);
}

void TTav_FolivexFrm::FormActivate() {
    setWindowState(windowState() | Qt::WindowMaximized);
    // Once per showing: activations that follow (a message box closing, another program's
    // window giving the focus back) must not replace a report the user opened since.
    if (m_presented || m_commandLineLoaded || (m_commandLineFile.empty() && m_commandLineFind.isEmpty()))
        return;
    m_commandLineLoaded = true;
    if (!m_commandLineFile.empty())
        LoadReport(m_commandLineFile);
    ApplyCommandLineRequests();
}

void TTav_FolivexFrm::LoadReport(const std::string& path) {
    TQRPrinter* document = QRPreview->Document();
    if (!document || m_jobRunning)
        return;
    ReleaseDocumentReaders();
    LeaveRecentReport();
    // The thumbnails' worker reads the pages Load replaces: stopped first, back on the
    // document however loading ends.
    ShowInThumbnails(nullptr);
    const auto showThumbnails = qScopeGuard([this, document] { ShowInThumbnails(document); });
    {
        const BusyCursor busy;
        document->Load(path);
    }
    // The list is read again from any working folder: it names the file by its full path.
    std::error_code ignored;
    const std::filesystem::path absolute = std::filesystem::absolute(path, ignored);
    m_recentPath = absolute.empty() ? path : absolute.lexically_normal().string();
    settings::AddRecentFile(m_recentPath, 1);
    // Load clears the export handler; without one, saving through an export format would
    // write nothing.
    AttachExport(*document);
    QRPreview->SetPageNumber(1);
    QRPreview->PageImage().LoadPage(1);
    // Each file names itself: keeping the first title would caption a later file wrongly.
    document->Title = path;
    setWindowTitle(CaptionText(document->Title, document->PageTotal()));
    Init();
    ApplyRememberedZoom();
    Finder->DocumentLoaded();
}

void TTav_FolivexFrm::LoadClick() {
    if (m_jobRunning)
        return;
    const std::optional<FileChoice> choice = m_dialogs->OpenFile(kReportFilter);
    if (!choice)
        return;
    if (!FileExists(choice->FileName)) {
        m_dialogs->Message("載入檔案錯誤!" + choice->FileName);
        return;
    }
    LoadReport(choice->FileName);
}

void TTav_FolivexFrm::SaveClick() {
    if (m_jobRunning)
        return;
    const auto& library = exporter::FilterLibrary();
    const std::vector<exporter::TQRExportFilterLibraryEntry> filters = library.Filters();
    const std::optional<FileChoice> choice = m_dialogs->SaveFile(library.BuildSaveFilter() + "|" + kPdfFilter);
    if (!choice)
        return;
    TQRPrinter* document = QRPreview->Document();
    if (!document)
        return;
    const auto exportAt = static_cast<std::size_t>(choice->FilterIndex - 2);
    if (choice->FilterIndex == 1) {
        // Only the file name decides: a dot in a folder name is no extension.
        document->Save(WithExtension(choice->FileName, ".qrp"));
    } else if (choice->FilterIndex >= 2 && exportAt < filters.size()) {
        const std::unique_ptr<exporter::TQRExportFilter> filter = filters[exportAt].FilterType(choice->FileName);
        RunJob([&] { document->Export(*filter); });
    } else if (exportAt == filters.size()) {
        RunJob([&] { PrintToPdf(*document, WithExtension(choice->FileName, ".pdf"), 0, 0, *m_dialogs, m_jobStop); });
    }
}

void TTav_FolivexFrm::PrintClick() {
    TQRPrinter* document = QRPreview->Document();
    if (!document || m_jobRunning)
        return;
    PrinterObject& printer = ApplicationPrinter();
    if (printer.Printers().empty()) {
        OfferPdfInstead(*document);
        return;
    }
    PrintDialog1.MaxPage = document->PageTotal();
    PrintDialog1.ToPage = document->PageTotal();
    const QPageSize reportPaper = ReportPaper(*document);
    PrintDialog1.Paper = reportPaper;
    if (!m_dialogs->Print(PrintDialog1, printer))
        return;
    // Reading the chosen printer's settings already lets pending events run.
    RunJob([&] {
        document->SetPrinterNumber(printer.PrinterIndex());
        document->SetCopies(printer.Copies());
        document->SetOrientation(printer.Orientation());
        if (PrintDialog1.PrintRange == prPageNums) {
            document->FirstPage = PrintDialog1.FromPage;
            document->LastPage = PrintDialog1.ToPage;
        } else {
            document->FirstPage = 0;
            document->LastPage = 0;
        }
        document->PrintPages = PrintDialog1.Pages;
        // Other paper goes to this job only: the report keeps its own, and its preview.
        const QPageSize jobPaper = PrintDialog1.Paper.isEquivalentTo(reportPaper) ? QPageSize() : PrintDialog1.Paper;
        document->PrintScale = ScaleForPaper(*document, jobPaper);
        if (auto* device = dynamic_cast<print::QtPrinter*>(&document->OwnPrinter())) {
            device->SetJobOptions(PrintDialog1.JobOptions);
            device->SetJobPaper(jobPaper);
        }
        PrintWithProgress(*document, *m_dialogs, m_jobStop);
    });
}

void TTav_FolivexFrm::OfferPdfInstead(TQRPrinter& document) {
    const std::string noPrinter = "No printer is installed.";
    if (document.Status() != dsFinished) {
        m_dialogs->Message(noPrinter);
        return;
    }
    if (!m_dialogs->Confirm(noPrinter + " Save the report as a PDF document instead?"))
        return;
    if (const std::optional<FileChoice> choice = m_dialogs->SaveFile(kPdfFilter))
        RunJob([&] { PrintToPdf(document, WithExtension(choice->FileName, ".pdf"), 0, 0, *m_dialogs, m_jobStop); });
}

void TTav_FolivexFrm::PrintSetupClick() {
    m_dialogs->PrinterSetup(ApplicationPrinter());
}

void TTav_FolivexFrm::sb_LayoutClick() {
    TQRPrinter* document = QRPreview->Document();
    if (!document || m_jobRunning)
        return;
    document->SetOrientation(document->Orientation() == poLandscape ? poPortrait : poLandscape);
    // Without any printer there is no printer orientation to keep; the page still turns.
    PrinterObject& printer = ApplicationPrinter();
    if (!printer.Printers().empty())
        SetPrinterOrientation(printer, document->Orientation());
    FitPage();
}

void TTav_FolivexFrm::GoToPage(std::int32_t page) {
    const QString before = sePage->Text();
    sePage->SetValue(page);
    // A changed text has run sePageChange, which showed the page or reported why not.
    if (sePage->Text() == before)
        QRPreview->SetPageNumber(sePage->Value());
}

void TTav_FolivexFrm::sbFirstPageClick() {
    ProcessMessages();
    GoToPage(1);
}

void TTav_FolivexFrm::sbPreviousPageClick() {
    ProcessMessages();
    if (sePage->Value() < 2)
        return;
    GoToPage(sePage->Value() - 1);
}

void TTav_FolivexFrm::sbNextPageClick() {
    ProcessMessages();
    if (sePage->Value() >= PageTotal())
        return;
    GoToPage(sePage->Value() + 1);
}

void TTav_FolivexFrm::sbLastPageClick() {
    ProcessMessages();
    GoToPage(PageTotal());
}

void TTav_FolivexFrm::sePageChange() {
    QRPreview->SetPageNumber(sePage->Value());
}

void TTav_FolivexFrm::FitPage() {
    QRPreview->FitToPage();
    seZoom->SetValue(QRPreview->Zoom());
}

void TTav_FolivexFrm::ZoomToFitClick() {
    ProcessMessages();
    FitPage();
}

void TTav_FolivexFrm::ZoomTo100Click() {
    ProcessMessages();
    QRPreview->SetZoom(100);
    seZoom->SetValue(QRPreview->Zoom());
}

void TTav_FolivexFrm::ZoomToWidthClick() {
    ProcessMessages();
    QRPreview->FitToWidth();
    seZoom->SetValue(QRPreview->Zoom());
}

void TTav_FolivexFrm::seZoomChange() {
    QRPreview->SetZoom(seZoom->Value());
}

void TTav_FolivexFrm::StepZoom(std::int32_t direction) {
    seZoom->SetValue(seZoom->Value() + direction * seZoom->Increment());
}

void TTav_FolivexFrm::QRPreviewPageAvailable(preview::TQRPreview&, std::int32_t PageNum) {
    Init();
    sePage->SetMaxValue(PageNum);
    Thumbnails->UpdatePageCount();
    const TQRPrinter* document = QRPreview->Document();
    if (!document)
        return;
    setWindowTitle(CaptionText(document->Title, PageNum) + StatusText(document->Status()));
}

void TTav_FolivexFrm::BitBtnExitClick() {
    close();
}

void TTav_FolivexFrm::FormClose() {
    ReleaseDocumentReaders();
    if (m_presented)
        m_presented->OnExport = nullptr;  // the handler would outlive the showing
    LeaveRecentReport();
    RememberWindowState();
    ShowInThumbnails(nullptr);
    QRPreview->SetDocument(nullptr);
    m_ownDocument.reset();
    m_viewerDocument = nullptr;
}

void TTav_FolivexFrm::RunJob(const std::function<void()>& job) {
    const auto enableCommands = [this](bool enabled) {
        for (QToolButton* command : {sb_Layout, Print, Load, Save})
            command->setEnabled(enabled);
    };
    m_jobStop = {};
    m_jobRunning = true;
    enableCommands(false);
    const auto ended = qScopeGuard([this, enableCommands] {
        m_jobRunning = false;
        enableCommands(true);
        // Queued: the handler that ran the job still has the document in hand.
        if (std::exchange(m_closeAfterJob, false))
            QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection);
    });
    job();
}

bool TTav_FolivexFrm::ActivatedFromWithin() {
    const bool fromWithin = m_firstActivationPending || !m_focusLeftProgram;
    m_firstActivationPending = false;
    m_focusLeftProgram = false;
    return fromWithin;
}

bool TTav_FolivexFrm::event(QEvent* event) {
    if (event->type() == QEvent::WindowActivate && ActivatedFromWithin())
        Guarded([this] { FormActivate(); });
    return QWidget::event(event);
}

void TTav_FolivexFrm::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (event->spontaneous())
        return;
    m_firstActivationPending = true;
    // Where the user left the window last time, else centred.
    if (const QScreen* shownOn = screen(); shownOn && !restoreGeometry(settings::WindowGeometry()))
        move(shownOn->availableGeometry().center() - rect().center());
    Guarded([this] { FormShow(); });
}

void TTav_FolivexFrm::closeEvent(QCloseEvent* event) {
    if (m_jobRunning) {
        // Freeing the document now would pull it from under the job.
        event->ignore();
        if (!m_closeAfterJob && m_dialogs->Confirm(kCancelJobQuestion)) {
            m_closeAfterJob = true;
            m_jobStop.requested = true;
        }
        return;
    }
    Guarded([this] { FormClose(); });
    event->accept();
    emit Closed();
}

void TTav_FolivexFrm::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() != QEvent::WindowStateChange)
        return;
    if (!isMaximized())
        m_maximising = false;
    else if (!event->spontaneous())  // our own request, not the window manager's answer
        m_maximising = true;
}

void TTav_FolivexFrm::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (!m_maximising || !event->spontaneous())
        return;
    // The page was fitted to the size the window had before the window manager maximised
    // it: fit it to the final size, unless the user has chosen another zoom since.
    if (ZoomToFit->isChecked() && QRPreview->Zoom() == m_fittedZoom) {
        Guarded([this] {
            FitPage();
            m_fittedZoom = QRPreview->Zoom();
        });
    }
    if (const QScreen* shownOn = screen(); shownOn && frameGeometry().size() == shownOn->availableGeometry().size())
        m_maximising = false;
}

void TTav_FolivexFrm::dragEnterEvent(QDragEnterEvent* event) {
    if (DraggedReport(event->mimeData()))
        event->acceptProposedAction();
}

void TTav_FolivexFrm::dropEvent(QDropEvent* event) {
    if (const std::optional<QString> path = DraggedReport(event->mimeData())) {
        event->acceptProposedAction();
        Guarded([this, &path] { LoadReport(QFile::encodeName(*path).toStdString()); });
    }
}

bool TTav_FolivexFrm::eventFilter(QObject* watched, QEvent* event) {
    if (watched == QRPreview->viewport() && event->type() == QEvent::Wheel) {
        const auto* wheel = static_cast<QWheelEvent*>(event);
        if (wheel->modifiers() & Qt::ControlModifier) {
            if (const int steps = wheel->angleDelta().y(); steps != 0)
                Guarded([this, steps] { StepZoom(steps > 0 ? +1 : -1); });
            return true;
        }
        // At either end of the page the wheel reads on into the next or previous one.
        if (m_readThrough->Wheel(wheel->angleDelta().y()))
            return true;
    }
    return QWidget::eventFilter(watched, event);
}

}  // namespace qrp::app
