// The printers of the viewer: the one application-wide printer, whose selection, copies and
// orientation the print and page setup dialogs change, and the printer object each new
// report document gets. Both are the system's printers (QtPrinter) unless replaced, which
// the tests do.
#pragma once

#include <functional>
#include <memory>

#include "report/printer.h"

namespace qrp::app {

// Made on first use. Program end releases it (SetApplicationPrinter(nullptr)) while the
// application object still exists.
PrinterObject& ApplicationPrinter();
// Replaces the application-wide printer; null drops it until the next use.
void SetApplicationPrinter(std::unique_ptr<PrinterObject> printer);

using PrinterFactory = std::function<std::unique_ptr<PrinterObject>()>;
// A new printer object for a new document.
std::unique_ptr<PrinterObject> NewDocumentPrinter();
// Null restores the system's printers.
void SetDocumentPrinterFactory(PrinterFactory factory);

// The device settings of the selected printer with copies or orientation changed. Throw
// "Operation not supported on selected printer" for a printer without device settings.
void SetPrinterCopies(PrinterObject& printer, int copies);
void SetPrinterOrientation(PrinterObject& printer, TPrinterOrientation orientation);

}  // namespace qrp::app
