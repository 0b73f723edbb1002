// qrptool print: a report printed as one job on a printer, or into a PDF file, through
// the same document and printer object as the viewer's Print.
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <limits>
#include <memory>
#include <optional>
#include <unistd.h>

#include <QPrinter>

#include "base/errors.h"
#include "base/messages.h"
#include "batch_convert.h"
#include "command.h"
#include "gui_app.h"
#include "options.h"
#include "print/pdf_printer.h"
#include "print/qt_printer.h"
#include "print_options.h"
#include "render/pdf_metadata.h"
#include "report/document.h"
#include "report/file_identity.h"
#include "report/host_hooks.h"

namespace qrp::tool {

namespace {

// The highest page a range may reach past the report's end, as in the print dialog: a
// range past the last page gives blank sheets, but not without end.
constexpr std::int32_t kMaxRangePage = 999;

std::int32_t PageOption(const ParsedArgs& parsed, const char* option, const char* what) {
    const std::string text = parsed.Value(option);
    return text.empty()
               ? 0
               : static_cast<std::int32_t>(ParseNumber(text, what, 1, std::numeric_limits<std::int32_t>::max()));
}

int IndexOf(print::QtPrinter& printer, const std::string& name) {
    const std::vector<std::string> names = printer.Printers();
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (names[i] == name)
            return static_cast<int>(i);
    }
    throw PrinterError(messages::printerNotValid() + ": " + name);
}

// What one print or pdf command asks for.
struct PrintRequest {
    std::string file;
    std::string printerName;
    std::string pdf;
    bool pdfA = false;  // PDF/A-1b
    std::int32_t copies = 0;
    std::int32_t first = 0;
    std::int32_t last = 0;
    std::optional<TPrinterOrientation> orientation;
    PageOptions pageOptions;
    QStringList jobOptions;
};

std::optional<TPrinterOrientation> OrientationOption(const ParsedArgs& parsed) {
    if (parsed.Has("--landscape") && parsed.Has("--portrait"))
        throw UsageError{"give --landscape or --portrait, not both"};
    if (parsed.Has("--landscape"))
        return poLandscape;
    if (parsed.Has("--portrait"))
        return poPortrait;
    return std::nullopt;
}

// One line on stderr per page, overwritten in place, when a person is watching.
void ShowProgress(const TQRPrinter& document) {
    SetProcessMessagesHook([&document] {
        std::fprintf(stderr, "\rprinting page %d of %d", document.PageNumber(), document.PageTotal());
        std::fflush(stderr);
    });
}

// What became of a printed report: the spooler's job id or the PDF's path, and its pages.
struct Printed {
    std::string job;
    std::int32_t pages = 0;
};

// The document path of the viewer's Print: printer, then copies, orientation and range.
// Shows each page on a terminal when pageProgress.
Printed PrintReport(const PrintRequest& request, bool pageProgress) {
    StartGui();
    std::unique_ptr<print::QtPrinter> printer =
        request.pdf.empty() ? std::make_unique<print::QtPrinter>() : std::make_unique<print::PdfPrinter>(request.pdf);
    print::QtPrinter& device = *printer;
    // Chosen before the document reads the printer's settings, so that a named printer
    // works on a system without a default one.
    if (!request.printerName.empty())
        device.SetPrinterIndex(IndexOf(device, request.printerName));
    TQRPrinter document(std::move(printer));
    if (!document.HasPrinter())
        throw PrinterError(messages::noDefaultPrinter());

    document.Load(request.file);
    const std::int32_t lastAllowed = std::max(document.PageTotal(), kMaxRangePage);
    if (request.last > lastAllowed)
        throw UsageError{"the last page must be a whole number from 1 to " + std::to_string(lastAllowed) + ", not '" +
                         std::to_string(request.last) + "'"};
    if (!request.pdf.empty())
        document.Pages().RefuseAsOutput(request.pdf);
    document.Title = std::filesystem::path(request.file).filename().string();
    if (!request.pdf.empty()) {
        render::PdfMetadata metadata = render::ReportPdfMetadata(request.file, document.Pages().Header().StampTime);
        metadata.Archival = request.pdfA;
        device.SetPdfMetadata(metadata);
    }
    if (request.orientation)
        document.SetOrientation(*request.orientation);
    if (request.copies > 0)
        document.SetCopies(request.copies);
    document.FirstPage = request.first;
    document.LastPage = request.last;
    document.PrintPages = request.pageOptions.pages;
    document.PrintScale = request.pageOptions.scale;
    device.SetJobOptions(request.jobOptions);
    const bool progress = pageProgress && ::isatty(STDERR_FILENO) && document.PageTotal() > 1;
    if (progress)
        ShowProgress(document);
    try {
        document.Print();
    } catch (...) {
        SetProcessMessagesHook({});
        throw;
    }
    if (progress) {
        SetProcessMessagesHook({});
        std::fputc('\n', stderr);
    }
    return {device.LastJob(), document.PageTotal()};
}

int PrintOne(const PrintRequest& request) {
    const Printed printed = PrintReport(request, true);
    // A PDF sent to the standard output is the output: nothing may follow it there.
    const bool toStdout = request.pdf == "-" || (!request.pdf.empty() && IdentityOfPath(request.pdf) &&
                                                 IdentityOfPath(request.pdf) == IdentityOfDescriptor(STDOUT_FILENO));
    if (!toStdout)
        std::printf("%s\n", printed.job.c_str());
    return 0;
}

}  // namespace

int RunPrint(const Args& args) {
    const ParsedArgs parsed = ParseArgs(
        args, {"--printer", "--pdf", "--copies", "--from", "--to", QRP_PAGE_VALUE_OPTIONS, QRP_JOB_VALUE_OPTIONS},
        {"--landscape", "--portrait", QRP_PAGE_FLAG_OPTIONS, QRP_JOB_FLAG_OPTIONS});
    if (parsed.positional.size() != 1)
        throw UsageError{"expected one report file"};
    PrintRequest request;
    request.file = parsed.positional[0];
    request.printerName = parsed.Value("--printer");
    request.pdf = parsed.Value("--pdf");
    const std::string copies = parsed.Value("--copies");
    if (!request.printerName.empty() && !request.pdf.empty())
        throw UsageError{"give --printer or --pdf, not both"};
    if (!copies.empty() && !request.pdf.empty())
        throw UsageError{"a PDF holds one copy; --copies needs a printer"};
    request.orientation = OrientationOption(parsed);
    request.copies = copies.empty() ? 0 : static_cast<std::int32_t>(ParseNumber(copies, "the copy count", 1, 9999));
    request.first = PageOption(parsed, "--from", "the first page");
    request.last = PageOption(parsed, "--to", "the last page");
    request.pageOptions = ReadPageOptions(parsed);
    request.jobOptions = ReadJobOptions(parsed);
    if (!request.jobOptions.isEmpty() && !request.pdf.empty())
        throw UsageError{"a PDF file has no spooler; --sides, --n-up, --collate and --option need a printer"};
    return PrintOne(request);
}

int RunPdf(const Args& args) {
    const bool many = WantsOutputDir(args);
    const ParsedArgs parsed =
        many ? ParseArgs(args, {"--from", "--to", QRP_PAGE_VALUE_OPTIONS, QRP_BATCH_VALUE_OPTIONS},
                         {"--landscape", "--portrait", "--pdfa", QRP_PAGE_FLAG_OPTIONS, QRP_BATCH_FLAG_OPTIONS})
             : ParseArgs(args, {"-o", "--output", "--from", "--to", QRP_PAGE_VALUE_OPTIONS},
                         {"--landscape", "--portrait", "--pdfa", QRP_PAGE_FLAG_OPTIONS});
    if (!many && parsed.positional.size() != 1)
        throw UsageError{"expected one report file"};
    PrintRequest request;
    if (!many) {
        request.file = parsed.positional[0];
        request.pdf = parsed.Output("OUT.pdf");
    }
    request.pdfA = parsed.Has("--pdfa");
    request.orientation = OrientationOption(parsed);
    request.first = PageOption(parsed, "--from", "the first page");
    request.last = PageOption(parsed, "--to", "the last page");
    request.pageOptions = ReadPageOptions(parsed);
    if (!many)
        return PrintOne(request);
    // Qt's application and its printing plugin are made once, here, before the workers
    // share them; each report then has its own document, printer and PDF writer.
    StartGui();
    QPrinter{};
    return RunBatch(parsed, {"pdf", [&request](const std::string& report, const std::string& output) {
                                 PrintRequest one = request;
                                 one.file = report;
                                 one.pdf = output;
                                 return PrintReport(one, false).pages;
                             }});
}

}  // namespace qrp::tool
