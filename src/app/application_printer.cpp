#include "application_printer.h"

#include "base/errors.h"
#include "base/messages.h"
#include "print/qt_printer.h"

namespace qrp::app {

namespace {

std::unique_ptr<PrinterObject>& ApplicationPrinterSlot() {
    static std::unique_ptr<PrinterObject> printer;
    return printer;
}

PrinterFactory& DocumentPrinterFactory() {
    static PrinterFactory factory;
    return factory;
}

template <class Change>
void ChangeDeviceMode(PrinterObject& printer, Change change) {
    DeviceSettings settings = printer.GetPrinter();
    if (!settings.Mode)
        throw PrinterError(messages::printerNotSupported());
    change(*settings.Mode);
    printer.SetPrinter(settings);
}

}  // namespace

PrinterObject& ApplicationPrinter() {
    auto& printer = ApplicationPrinterSlot();
    if (!printer)
        printer = std::make_unique<print::QtPrinter>();
    return *printer;
}

void SetApplicationPrinter(std::unique_ptr<PrinterObject> printer) {
    ApplicationPrinterSlot() = std::move(printer);
}

std::unique_ptr<PrinterObject> NewDocumentPrinter() {
    if (const PrinterFactory& factory = DocumentPrinterFactory())
        return factory();
    return std::make_unique<print::QtPrinter>();
}

void SetDocumentPrinterFactory(PrinterFactory factory) {
    DocumentPrinterFactory() = std::move(factory);
}

void SetPrinterCopies(PrinterObject& printer, int copies) {
    ChangeDeviceMode(printer, [copies](DeviceMode& mode) {
        mode.dmCopies = static_cast<std::int16_t>(copies);
        mode.dmFields |= DM_COPIES;
    });
}

void SetPrinterOrientation(PrinterObject& printer, TPrinterOrientation orientation) {
    ChangeDeviceMode(printer, [orientation](DeviceMode& mode) {
        mode.dmOrientation = orientation == poLandscape ? DMORIENT_LANDSCAPE : DMORIENT_PORTRAIT;
        mode.dmFields |= DM_ORIENTATION;
    });
}

}  // namespace qrp::app
