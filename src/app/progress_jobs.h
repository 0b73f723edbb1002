// The viewer's long jobs, printing and exporting, with a progress display whose Cancel
// reaches the document through Cancel. The display stays hidden while a job is short.
// A job also stops early when its StopRequest is set (the window closing asks that).
#pragma once

#include <cstdint>
#include <string>

#include "report/document.h"
#include "viewer_dialogs.h"

namespace qrp::app {

// Set while a job runs to end it after the page at hand, as its Cancel button does.
struct StopRequest {
    bool requested = false;
};

// Prints the document's FirstPage..LastPage on its own printer (TQRPrinter::Print). The
// document polls for events before every page; there the display is updated and a Cancel
// passed on.
void PrintWithProgress(TQRPrinter& document, ViewerDialogs& dialogs, const StopRequest& stop);

// Prints pages first..last (0: from the first, to the last) of a finished document into the
// PDF file `pdfPath` in the document's orientation, through a copy of its pages on a PDF
// printer. Nothing happens while the document holds no finished report.
void PrintToPdf(TQRPrinter& document, const std::string& pdfPath, std::int32_t first, std::int32_t last,
                ViewerDialogs& dialogs, const StopRequest& stop);

// The OnExport handler the viewer gives a loaded document: exports the text of its pages
// (exporter::ExportPageText). A cancelled export writes nothing: a file of the chosen name
// stays as it was. The document, the dialogs and the stop request must outlive the handler.
TQRPrinter::TQRExportEvent ExportWithProgress(TQRPrinter& document, ViewerDialogs& dialogs, const StopRequest& stop);

}  // namespace qrp::app
