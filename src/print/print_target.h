// Where a QtPrinter's printers come from and where its jobs go. A job is always drawn into
// a PDF file of our own first, through a device whose every write is checked; the target
// then hands it on (to the CUPS spooler, or into place as the user's PDF). Only a finished
// job is handed on, which is what makes an aborted job leave no trace.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include <QList>
#include <QPageLayout>
#include <QPageSize>
#include <QPrinter>
#include <QString>
#include <QStringList>

#include "device_mode_mapping.h"
#include "report/file_stream.h"

namespace qrp::print {

struct PrinterFacts {
    QString driver;  // make and model
    QString port;
    QList<QPageSize> pageSizes;  // the sizes the printer offers
    QList<int> resolutions;      // dpi; empty when any will do
    DeviceOffers offers;
};

// What a finished job asks of the printer, beside its pages.
struct JobTicket {
    QString title;
    QPageLayout layout;
    int copies = 1;
    QPrinter::DuplexMode duplex = QPrinter::DuplexNone;
    // The spooler's own job options ("number-up=2"), as lp -o takes them; they come after
    // and so win over the ones derived from the fields above.
    QStringList options;
};

class PrintTarget {
  public:
    virtual ~PrintTarget() = default;

    virtual QStringList PrinterNames() = 0;
    // Empty when the system has no default printer.
    virtual QString DefaultPrinterName() = 0;
    // None for a printer the target does not know (any more).
    virtual std::optional<PrinterFacts> Facts(const QString& printer) = 0;
    // A device at the driver's defaults, or null when the printer cannot be opened.
    virtual std::unique_ptr<QPrinter> OpenDevice(const QString& printer) = 0;

    // A new empty file for a job's PDF, open for writing; destroyed, it must leave nothing
    // behind. FileError when it cannot be made.
    virtual std::unique_ptr<FileStream> CreateJobFile() = 0;
    // Hands a finished job's complete file on; the caller destroys it afterwards. Returns
    // what became of the job (a spooler job id, a file path).
    virtual std::string Deliver(FileStream& jobFile, const JobTicket& ticket, const QString& printer) = 0;
};

}  // namespace qrp::print
