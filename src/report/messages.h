// Every user-visible message text of the core, in one place. The texts are part of the
// system's interface (callers and tests match them exactly), so change none of them lightly.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace qrp::messages {

std::string streamReadError();
std::string streamWriteError();
// path is the file's full path; reason is the system's message for the error.
std::string cannotOpenFile(std::string_view path, std::string_view reason);
std::string cannotCreateFile(std::string_view path, std::string_view reason);
std::string metafileNotValid();
std::string placeableMetafileNotSupported();
std::string pageOutOfRange(std::int32_t page);
// A report file whose record chain does not lead to the page; detail says what was found.
std::string damagedReport(std::int32_t page, std::string_view detail);
std::string fileIsOpenReport();
std::string noReportToSave();

// The system's message for an errno value.
std::string systemReason(int errnum);

}  // namespace qrp::messages
