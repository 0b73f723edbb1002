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
// Opening or writing something that is not a plain file (a folder, a pipe, a device).
std::string notARegularFile();
// A header whose page count no chain of records in the file can satisfy.
std::string damagedPageCount(std::int32_t count);
// The report file was rewritten by someone else while it was shown; path is its full path.
std::string reportChangedOnDisk(std::string_view path);
std::string noReportToSave();
// Recording: NewPage outside a run, OpenDoc on a document that is not ready.
std::string illegalNewPage();
std::string printerNotReady();

// The system's message for an errno value.
std::string systemReason(int errnum);

// The printer object's messages.
std::string printerIndexOutOfRange();
std::string printingInProgress();
std::string printerNotPrinting();
std::string printerNotValid();
std::string noDefaultPrinter();
std::string printerNotSupported();
// The spooler did not take a finished print job; detail is its own complaint.
std::string jobNotSpooled(std::string_view detail);
// A page list or page set that leaves no page of the report; nothing was printed.
std::string noPagesSelected();

// Export filter names and descriptions, as the Save dialog shows them.
std::string abstractFilterDescription();
std::string abstractFilterName();
std::string filterMakerName();
std::string textFilterDescription();
std::string textFilterName();
std::string textFilterExtension();
std::string csvFilterDescription();
std::string csvFilterName();
std::string htmlFilterDescription();
std::string htmlFilterName();
std::string reportFileFilterName();
// An export whose base font has size 0, so no character cell can be derived from it.
std::string floatingPointDivisionByZero();

// EMF playback: a record whose fields run past its own size (type and byte offset in the picture).
std::string emfRecordDamaged(std::uint32_t type, std::uint64_t offset);
// EMF playback: a picture whose header record is missing or inconsistent; detail says what.
std::string emfHeaderDamaged(std::string_view detail);

// Page text export: a character set that iconv has no converter to.
std::string unknownEncoding(std::string_view name);
// Page text export: a page with more text items than an export takes.
std::string tooManyTextItems(std::int32_t page, std::uint64_t limit);

}  // namespace qrp::messages
