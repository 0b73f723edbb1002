#include "progress_jobs.h"

#include <algorithm>
#include <memory>

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>

#include "base/errors.h"
#include "base/messages.h"
#include "export/page_text_driver.h"
#include "host_setup.h"
#include "print/pdf_printer.h"
#include "render/pdf_metadata.h"
#include "report/host_hooks.h"

namespace qrp::app {

namespace {

// Ends an export from inside its page source, so that the filter never reaches EndExport
// and its output is never put in place.
struct ExportCancelled {};

bool Stopped(ProgressMonitor& monitor, const StopRequest& stop) {
    return monitor.Cancelled() || stop.requested;
}

// While it lives, the core's event polls step the display and pass a Cancel on.
class PrintPolling {
  public:
    PrintPolling(TQRPrinter& document, ProgressMonitor& monitor, const StopRequest& stop) {
        SetProcessMessagesHook([&document, &monitor, &stop, polls = 0]() mutable {
            monitor.SetValue(polls++);
            if (document.PrintPosition() > 0)
                monitor.SetLabel("Printing page " + std::to_string(document.PrintPosition()) + " of " +
                                 std::to_string(document.PrintCount()));
            QCoreApplication::processEvents();
            if (Stopped(monitor, stop))
                document.Cancel();
        });
    }
    ~PrintPolling() { ConnectCoreToQt(); }
    PrintPolling(const PrintPolling&) = delete;
    PrintPolling& operator=(const PrintPolling&) = delete;
};

}  // namespace

void PrintWithProgress(TQRPrinter& document, ViewerDialogs& dialogs, const StopRequest& stop) {
    const std::int32_t first = std::max(document.FirstPage, 1);
    const std::int32_t last = document.LastPage != 0 ? document.LastPage : document.PageTotal();
    const auto monitor = dialogs.Progress("Printing...", std::max(last - first + 1, 1));
    const PrintPolling polling(document, *monitor, stop);
    document.Print();
}

void PrintToPdf(TQRPrinter& document, const std::string& pdfPath, std::int32_t first, std::int32_t last,
                ViewerDialogs& dialogs, const StopRequest& stop) {
    if (document.Status() != dsFinished || !document.PageStream())
        return;
    document.Pages().RefuseAsOutput(pdfPath);
    const QTemporaryDir folder;
    if (!folder.isValid())
        throw FileError(messages::cannotCreateFile(folder.path().toStdString(), folder.errorString().toStdString()));
    const std::string copy = QFile::encodeName(folder.filePath(QStringLiteral("report.qrp"))).toStdString();
    document.Save(copy);
    auto printer = std::make_unique<print::PdfPrinter>(pdfPath);
    printer->SetPdfMetadata(render::ReportPdfMetadata(document.Title, document.Pages().Header().StampTime));
    TQRPrinter pdf(std::move(printer));
    pdf.Load(copy);
    pdf.Title = document.Title;
    pdf.SetOrientation(document.Orientation());
    pdf.FirstPage = first;
    pdf.LastPage = last;
    PrintWithProgress(pdf, dialogs, stop);
}

TQRPrinter::TQRExportEvent ExportWithProgress(TQRPrinter& document, ViewerDialogs& dialogs, const StopRequest& stop) {
    return [&document, &dialogs, &stop](exporter::TQRExportFilter& filter) {
        document.Pages().RefuseAsOutput(filter.FileName());
        exporter::PageSource pages = exporter::PagesOf(document);
        // Every page is played twice: once for the base font, once for its text.
        const auto monitor = dialogs.Progress("Exporting...", std::max(2 * pages.PageTotal, 1));
        pages.FetchPage = [&, fetch = pages.FetchPage, fetched = 0](std::int32_t n) mutable {
            monitor->SetValue(fetched++);
            if (Stopped(*monitor, stop)) {
                document.Cancel();
                throw ExportCancelled{};
            }
            return fetch(n);
        };
        // The unfinished output goes with the filter: the old file stays as it was.
        try {
            exporter::ExportPageText(pages, filter);
        } catch (const ExportCancelled&) {
        }
    };
}

}  // namespace qrp::app
