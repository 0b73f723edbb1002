// The system's printers: the CUPS destinations as Qt lists them. The default printer is
// the user's or the system's default, else the first queue: only a system without any queue
// has none. Jobs are spooled with the
// CUPS `lp` client, with the options Qt's own CUPS engine would send (media, copies,
// sides, landscape). Qt's engine cannot withdraw a job once painting started (its abort
// does nothing and ending the painter spools), so jobs are spooled here instead.
//
// The port is the queue's location text and the driver its make and model: Qt shows
// neither the device URI nor the PPD.
#pragma once

#include "print_target.h"

namespace qrp::print {

class CupsTarget : public PrintTarget {
  public:
    QStringList PrinterNames() override;
    QString DefaultPrinterName() override;
    std::optional<PrinterFacts> Facts(const QString& printer) override;
    std::unique_ptr<QPrinter> OpenDevice(const QString& printer) override;
    std::unique_ptr<FileStream> CreateJobFile() override;
    // Returns the spooler's job id ("PDF-12"). PrinterError with lp's complaint when the
    // spooler does not take the job.
    std::string Deliver(FileStream& jobFile, const JobTicket& ticket, const QString& printer) override;
};

}  // namespace qrp::print
