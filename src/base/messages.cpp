#include "messages.h"

#include <cstring>

namespace qrp::messages {

std::string streamReadError() {
    return "Stream read error";
}

std::string streamWriteError() {
    return "Stream write error";
}

std::string cannotOpenFile(std::string_view path, std::string_view reason) {
    return "Cannot open file \"" + std::string(path) + "\". " + std::string(reason);
}

std::string cannotCreateFile(std::string_view path, std::string_view reason) {
    return "Cannot create file \"" + std::string(path) + "\". " + std::string(reason);
}

std::string metafileNotValid() {
    return "Metafile is not valid";
}

std::string placeableMetafileNotSupported() {
    return "Metafile is not valid: placeable Windows metafiles are not supported as report pages";
}

std::string pageOutOfRange(std::int32_t page) {
    return "Page number " + std::to_string(page) + " is out of range";
}

std::string damagedReport(std::int32_t page, std::string_view detail) {
    return "The report file is damaged: page " + std::to_string(page) + " cannot be reached (" + std::string(detail) +
           ")";
}

std::string fileIsOpenReport() {
    return "The file is the report being shown; save to another file.";
}

std::string notARegularFile() {
    return "Not a regular file";
}

std::string damagedPageCount(std::int32_t count) {
    return "The report file is damaged: its header counts " + std::to_string(count) +
           " pages, which the file cannot hold";
}

std::string reportChangedOnDisk(std::string_view path) {
    return "The report file \"" + std::string(path) + "\" has been changed by another program since it was opened";
}

std::string noReportToSave() {
    return "There is no report to save";
}

std::string illegalNewPage() {
    return "Illegal call to NewPage";
}

std::string printerNotReady() {
    return "QRPrinter not ready";
}

std::string systemReason(int errnum) {
    char buffer[256];
    // GNU strerror_r may return a static string instead of filling the buffer.
    const char* text = strerror_r(errnum, buffer, sizeof buffer);
    return text ? std::string(text) : std::string("Unknown error");
}

std::string printerIndexOutOfRange() {
    return "Printer index out of range";
}

std::string printingInProgress() {
    return "Printing in progress";
}

std::string printerNotPrinting() {
    return "Printer is not currently printing";
}

std::string printerNotValid() {
    return "Printer selected is not valid";
}

std::string noDefaultPrinter() {
    return "There is no default printer currently selected";
}

std::string printerNotSupported() {
    return "Operation not supported on selected printer";
}

std::string jobNotSpooled(std::string_view detail) {
    return "The print job was not accepted: " + std::string(detail);
}

std::string noPagesSelected() {
    return "No pages of the report are selected to print";
}

std::string abstractFilterDescription() {
    return "Abstract non-working export filter";
}

std::string abstractFilterName() {
    return "Abstract filter";
}

std::string filterMakerName() {
    return "qrpview";
}

std::string textFilterDescription() {
    return "Text export (ASCII) filter";
}

std::string textFilterName() {
    return "Text file";
}

std::string textFilterExtension() {
    return "TXT";
}

std::string csvFilterDescription() {
    return "Comma separated text file";
}

std::string csvFilterName() {
    return "Comma Separated";
}

std::string htmlFilterDescription() {
    return "HTML document for web publishing";
}

std::string htmlFilterName() {
    return "HTML document";
}

std::string reportFileFilterName() {
    return "Report file";
}

std::string floatingPointDivisionByZero() {
    return "Floating point division by zero";
}

std::string emfRecordDamaged(std::uint32_t type, std::uint64_t offset) {
    return "EMF record of type " + std::to_string(type) + " at offset " + std::to_string(offset) + " is damaged";
}

std::string emfHeaderDamaged(std::string_view detail) {
    return metafileNotValid() + ": " + std::string(detail);
}

std::string unknownEncoding(std::string_view name) {
    return "Unknown character set \"" + std::string(name) + "\"";
}

std::string tooManyTextItems(std::int32_t page, std::uint64_t limit) {
    return "Page " + std::to_string(page) + " has more than " + std::to_string(limit) + " text items";
}

}  // namespace qrp::messages
