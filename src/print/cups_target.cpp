#include "cups_target.h"

#include <algorithm>

#include <QDir>
#include <QFile>
#include <QPrinter>
#include <QPrinterInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>

#include "base/errors.h"
#include "base/messages.h"

namespace qrp::print {

namespace {

// lp only copies the file to the scheduler; a minute means the scheduler is stuck.
constexpr int kLpTimeoutMs = 60000;

QString Sides(QPrinter::DuplexMode duplex, QPageLayout::Orientation orientation) {
    switch (duplex) {
        case QPrinter::DuplexNone:
            return "one-sided";
        case QPrinter::DuplexLongSide:
            return "two-sided-long-edge";
        case QPrinter::DuplexShortSide:
            return "two-sided-short-edge";
        case QPrinter::DuplexAuto:
            break;
    }
    return orientation == QPageLayout::Portrait ? "two-sided-long-edge" : "two-sided-short-edge";
}

// The scheduler logs a job a line, its name among the fields: a newline or an escape
// sequence in a report's name would split or garble those lines.
QString JobName(QString title) {
    for (QChar& c : title)
        if (c.category() == QChar::Other_Control || c == QChar::LineSeparator || c == QChar::ParagraphSeparator)
            c = u' ';
    return title;
}

[[noreturn]] void Refused(const QString& detail) {
    throw PrinterError(messages::jobNotSpooled(detail.toStdString()));
}

}  // namespace

QStringList CupsTarget::PrinterNames() {
    return QPrinterInfo::availablePrinterNames();
}

QString CupsTarget::DefaultPrinterName() {
    // The user's default (lpoptions -d, ~/.cups/lpoptions) or else the system's; queues found
    // on the network often come with neither, and then the first queue serves.
    const QString chosen = QPrinterInfo::defaultPrinterName();
    if (!chosen.isEmpty())
        return chosen;
    return PrinterNames().value(0);
}

std::optional<PrinterFacts> CupsTarget::Facts(const QString& printer) {
    const QPrinterInfo info = QPrinterInfo::printerInfo(printer);
    if (info.isNull())
        return std::nullopt;
    PrinterFacts facts{
        info.makeAndModel(), info.location(), info.supportedPageSizes(), info.supportedResolutions(), {}};
    const QList<QPrinter::DuplexMode> duplexModes = info.supportedDuplexModes();
    facts.offers.duplex = std::any_of(duplexModes.begin(), duplexModes.end(),
                                      [](QPrinter::DuplexMode mode) { return mode != QPrinter::DuplexNone; });
    facts.offers.customSizes = info.supportsCustomPageSizes();
    return facts;
}

std::unique_ptr<QPrinter> CupsTarget::OpenDevice(const QString& printer) {
    const QPrinterInfo info = QPrinterInfo::printerInfo(printer);
    if (info.isNull())
        return nullptr;
    auto device = std::make_unique<QPrinter>(info, QPrinter::HighResolution);
    if (!device->isValid())
        return nullptr;
    return device;
}

std::unique_ptr<FileStream> CupsTarget::CreateJobFile() {
    // Private to the user: the file holds the report until the spooler has a copy.
    return FileStream::CreateScratch(QFile::encodeName(QDir::tempPath()).toStdString(), "qrp-job-", ".pdf");
}

std::string CupsTarget::Deliver(FileStream& jobFile, const JobTicket& ticket, const QString& printer) {
    const QString lp = QStandardPaths::findExecutable("lp");
    if (lp.isEmpty())
        Refused("the CUPS client lp is not installed");
    const QPageLayout& layout = ticket.layout;
    QStringList args{"-d", printer,
                     "-t", JobName(ticket.title),
                     "-n", QString::number(ticket.copies),
                     "-o", "media=" + layout.pageSize().key(),
                     "-o", "sides=" + Sides(ticket.duplex, layout.orientation())};
    if (layout.orientation() == QPageLayout::Landscape)
        args << "-o"
             << "landscape";
    for (const QString& option : ticket.options)
        args << "-o" << option;
    args << "--" << QFile::decodeName(QByteArray::fromStdString(jobFile.Path()));

    QProcess process;
    process.start(lp, args);
    if (!process.waitForFinished(kLpTimeoutMs)) {
        process.kill();
        process.waitForFinished();
        Refused("lp did not finish");
    }
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        Refused(QString::fromLocal8Bit(process.readAllStandardError()).trimmed());
    // "request id is PDF-12 (1 file(s))"
    const QString said = QString::fromLocal8Bit(process.readAllStandardOutput()).trimmed();
    const QRegularExpressionMatch match = QRegularExpression("request id is (\\S+)").match(said);
    return (match.hasMatch() ? match.captured(1) : said).toStdString();
}

}  // namespace qrp::print
