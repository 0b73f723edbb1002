// qrptool printers: the installed printers as the viewer's print dialog sees them.
#include <cstdio>
#include <string>

#include <QPageSize>

#include "base/errors.h"
#include "command.h"
#include "gui_app.h"
#include "options.h"
#include "print/qt_printer.h"
#include "print/queue_options.h"

namespace qrp::tool {

namespace {

std::string PaperNames(const std::vector<std::uint16_t>& ids) {
    std::string names;
    for (std::uint16_t id : ids) {
        const QPageSize size(QPageSize::id(id));
        if (!size.isValid())
            continue;
        names += (names.empty() ? "" : ", ") + size.name().toStdString();
    }
    return names.empty() ? "none reported" : names;
}

// The choices of the queue's option `name`, its default marked with *; `fallback` when the
// driver has no such option.
std::string Choices(const std::vector<print::QueueOption>& options, const char* name, const char* fallback) {
    for (const print::QueueOption& option : options) {
        if (option.name != name)
            continue;
        QStringList marked;
        for (const QString& choice : option.choices)
            marked << (choice == option.chosen ? choice + "*" : choice);
        return marked.join(", ").toStdString();
    }
    return fallback;
}

}  // namespace

int RunPrinters(const Args& args) {
    const ParsedArgs parsed = ParseArgs(args, {}, {});
    if (!parsed.positional.empty())
        throw UsageError{"expected no arguments"};
    StartGui();
    print::QtPrinter printer;
    std::string defaultName;
    try {
        defaultName = printer.GetPrinter().Device;
    } catch (const PrinterError&) {
        // No default printer: none is marked.
    }
    const std::vector<std::string> names = printer.Printers();
    if (names.empty()) {
        std::printf("no printers installed\n");
        return 0;
    }
    for (std::size_t i = 0; i < names.size(); ++i) {
        printer.SetPrinterIndex(static_cast<int>(i));
        const DeviceSettings settings = printer.GetPrinter();
        const bool duplex = settings.Mode && (settings.Mode->dmFields & DM_DUPLEX) != 0;
        std::printf("%s %s\n", names[i] == defaultName ? "*" : " ", names[i].c_str());
        std::printf("    driver:     %s\n", settings.Driver.c_str());
        std::printf("    resolution: %d x %d dpi\n", printer.GetDeviceCaps(DeviceCap::LOGPIXELSX),
                    printer.GetDeviceCaps(DeviceCap::LOGPIXELSY));
        std::printf("    duplex:     %s\n", duplex ? "yes" : "no");
        std::printf("    papers:     %s\n", PaperNames(printer.DevicePapers(settings.Device, settings.Port,
                                                                            settings.Mode ? &*settings.Mode : nullptr))
                                                .c_str());
        // The driver's own options; * marks what the queue uses by default.
        const std::vector<print::QueueOption> options = print::QueueOptions(QString::fromStdString(names[i]));
        std::printf("    sides:      %s\n", Choices(options, "Duplex", "None*").c_str());
        std::printf("    trays:      %s\n", Choices(options, "InputSlot", "none offered").c_str());
        std::printf("    resolutions: %s\n", Choices(options, "Resolution", "none offered").c_str());
    }
    return 0;
}

}  // namespace qrp::tool
