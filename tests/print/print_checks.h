// Helpers of the printing tests: small reports with text, running the poppler and CUPS
// command-line tools, and finding what the cups-pdf queue made of a job.
#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace qrp {
class TQRPrinter;
}

namespace qrp::test {

// Cancels the document from the host's event hook, as a cancel button does while a print
// runs; the hook is removed again with this object.
class CancelWhilePrinting {
  public:
    explicit CancelWhilePrinting(TQRPrinter& document);
    ~CancelWhilePrinting();
    CancelWhilePrinting(const CancelWhilePrinting&) = delete;
    CancelWhilePrinting& operator=(const CancelWhilePrinting&) = delete;
};

struct CommandResult {
    int status = -1;
    std::string out;
};

// Runs a shell command; stderr is dropped.
CommandResult Run(const std::string& command);
std::string Quoted(const std::string& text);

// A report of A4 portrait pages at 96 dpi; page n says "Page n" in large letters.
void WriteTextReport(const std::filesystem::path& path, int pages);

// Puts a stamp (days since 1899-12-30, local time) in a written report's header.
void WriteReportStamp(const std::filesystem::path& report, double stamp);
// pdfinfo -isodates's whole report, its complaints included.
std::string PdfInfo(const std::filesystem::path& pdf);

// pdfinfo's "Pages" and "Page size" ("595 x 842 pts (A4)"); pages -1 when unreadable.
struct PdfFacts {
    int pages = -1;
    std::string pageSize;
};
PdfFacts ReadPdf(const std::filesystem::path& pdf);
std::string PdfText(const std::filesystem::path& pdf);
// The words (three letters or more) pdftotext finds running down the page, not across.
int VerticalWords(const std::filesystem::path& pdf);

// The built qrptool with these arguments (each quoted).
CommandResult Qrptool(const std::vector<std::string>& args);

// Whether a CUPS scheduler runs with a queue named PDF that cups-pdf serves.
bool CupsPdfQueueReady();
// Waits (up to 30 s) for a job id such as "PDF-12" to complete and returns the PDF the
// cups-pdf queue wrote for it.
std::optional<std::filesystem::path> WaitForCupsPdf(const std::string& job);
// The job's attribute as ipptool prints it ("copies" -> "2"; quotes in text come
// escaped), or none. Asks the scheduler CUPS_SERVER names, else the machine's.
std::optional<std::string> JobAttribute(const std::string& job, const std::string& name);
// Folder where cups-pdf puts this user's jobs.
std::filesystem::path CupsPdfFolder();

// Runs call and expects a PrinterError with exactly this message.
void ExpectPrinterError(const std::function<void()>& call, const std::string& message);

}  // namespace qrp::test
