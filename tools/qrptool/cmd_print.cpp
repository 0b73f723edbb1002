// qrptool print: a report printed as one job on a printer, or into a PDF file, through
// the same document and printer object as the viewer's Print.
#include <cstdio>
#include <filesystem>
#include <limits>
#include <memory>

#include "command.h"
#include "gui_app.h"
#include "options.h"
#include "print/pdf_printer.h"
#include "print/qt_printer.h"
#include "report/document.h"
#include "report/errors.h"
#include "report/messages.h"

namespace qrp::tool {

namespace {

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

}  // namespace

int RunPrint(const Args& args) {
    const ParsedArgs parsed =
        ParseArgs(args, {"--printer", "--pdf", "--copies", "--from", "--to"}, {"--landscape", "--portrait"});
    if (parsed.positional.size() != 1)
        throw UsageError{"expected one report file"};
    const std::string printerName = parsed.Value("--printer");
    const std::string pdf = parsed.Value("--pdf");
    const std::string copies = parsed.Value("--copies");
    if (!printerName.empty() && !pdf.empty())
        throw UsageError{"give --printer or --pdf, not both"};
    if (!copies.empty() && !pdf.empty())
        throw UsageError{"a PDF holds one copy; --copies needs a printer"};
    if (parsed.Has("--landscape") && parsed.Has("--portrait"))
        throw UsageError{"give --landscape or --portrait, not both"};
    const auto copyCount =
        copies.empty() ? 0 : static_cast<std::int32_t>(ParseNumber(copies, "the copy count", 1, 9999));
    const std::int32_t first = PageOption(parsed, "--from", "the first page");
    const std::int32_t last = PageOption(parsed, "--to", "the last page");

    const auto gui = StartGui();
    std::unique_ptr<print::QtPrinter> printer =
        pdf.empty() ? std::make_unique<print::QtPrinter>() : std::make_unique<print::PdfPrinter>(pdf);
    print::QtPrinter& device = *printer;
    // Chosen before the document reads the printer's settings, so that a named printer
    // works on a system without a default one.
    if (!printerName.empty())
        device.SetPrinterIndex(IndexOf(device, printerName));
    TQRPrinter document(std::move(printer));
    if (!document.HasPrinter())
        throw PrinterError(messages::noDefaultPrinter());

    const std::string& file = parsed.positional[0];
    document.Load(file);
    document.Title = std::filesystem::path(file).filename().string();
    if (parsed.Has("--landscape"))
        document.SetOrientation(poLandscape);
    if (parsed.Has("--portrait"))
        document.SetOrientation(poPortrait);
    if (copyCount > 0)
        document.SetCopies(copyCount);
    document.FirstPage = first;
    document.LastPage = last;
    document.Print();
    std::printf("%s\n", device.LastJob().c_str());
    return 0;
}

}  // namespace qrp::tool
