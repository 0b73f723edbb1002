#include "no_printer.h"

#include "base/errors.h"
#include "base/messages.h"

namespace qrp {

int NoPrinter::PrinterIndex() {
    throw PrinterError(messages::noDefaultPrinter());
}

void NoPrinter::SetPrinterIndex(int index) {
    if (index != -1)
        throw PrinterError(messages::printerIndexOutOfRange());
}

DeviceSettings NoPrinter::GetPrinter() {
    throw PrinterError(messages::noDefaultPrinter());
}

void NoPrinter::SetPrinter(const DeviceSettings&) {
    throw PrinterError(messages::noDefaultPrinter());
}

void NoPrinter::BeginDoc() {
    throw PrinterError(messages::printerNotValid());
}

void NoPrinter::NewPage() {
    throw PrinterError(messages::printerNotPrinting());
}

void NoPrinter::StartPage() {
    throw PrinterError(messages::printerNotPrinting());
}

void NoPrinter::EndDoc() {
    throw PrinterError(messages::printerNotPrinting());
}

void NoPrinter::Abort() {
    throw PrinterError(messages::printerNotPrinting());
}

PrinterCanvas& NoPrinter::Canvas() {
    throw PrinterError(messages::printerNotPrinting());
}

int NoPrinter::GetDeviceCaps(DeviceCap) {
    throw PrinterError(messages::noDefaultPrinter());
}

int NoPrinter::Copies() {
    throw PrinterError(messages::noDefaultPrinter());
}

TPrinterOrientation NoPrinter::Orientation() {
    throw PrinterError(messages::noDefaultPrinter());
}

}  // namespace qrp
