#include "messages.h"

#include <cstring>

namespace qrp::messages {

std::string streamReadError() { return "Stream read error"; }

std::string streamWriteError() { return "Stream write error"; }

std::string cannotOpenFile(std::string_view path, std::string_view reason) {
    return "Cannot open file \"" + std::string(path) + "\". " + std::string(reason);
}

std::string cannotCreateFile(std::string_view path, std::string_view reason) {
    return "Cannot create file \"" + std::string(path) + "\". " + std::string(reason);
}

std::string metafileNotValid() { return "Metafile is not valid"; }

std::string placeableMetafileNotSupported() {
    return "Metafile is not valid: placeable Windows metafiles are not supported as report pages";
}

std::string pageOutOfRange(std::int32_t page) { return "Page number " + std::to_string(page) + " is out of range"; }

std::string damagedReport(std::int32_t page, std::string_view detail) {
    return "The report file is damaged: page " + std::to_string(page) + " cannot be reached (" + std::string(detail) +
           ")";
}

std::string fileIsOpenReport() { return "The file is the report being shown; save to another file."; }

std::string noReportToSave() { return "There is no report to save"; }

std::string systemReason(int errnum) {
    char buffer[256];
    // GNU strerror_r may return a static string instead of filling the buffer.
    const char* text = strerror_r(errnum, buffer, sizeof buffer);
    return text ? std::string(text) : std::string("Unknown error");
}

}  // namespace qrp::messages
