#include "pdf_printer.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include <QFile>
#include <QPrinter>
#include <QRandomGenerator>

#include "base/errors.h"
#include "base/messages.h"

namespace qrp::print {

namespace {

// Every sheet Qt knows, once: of sizes that share a sheet (A4 and A4 Small, Letter and
// Note) only the first in Qt's order, the common name, is offered, so that a report's
// page is taken for A4 or Letter.
QList<QPageSize> EverySheet() {
    QList<QPageSize> sizes;
    for (int id = 0; id <= QPageSize::LastPageSize; ++id) {
        const QPageSize size(static_cast<QPageSize::PageSizeId>(id));
        const auto sameSheet = [&](const QPageSize& other) { return other.sizePoints() == size.sizePoints(); };
        if (id != QPageSize::Custom && std::none_of(sizes.begin(), sizes.end(), sameSheet))
            sizes.append(size);
    }
    return sizes;
}

class PdfFileTarget : public PrintTarget {
  public:
    explicit PdfFileTarget(const std::string& output) : m_output(output) {}

    QStringList PrinterNames() override { return {PdfPrinter::kPrinterName}; }
    QString DefaultPrinterName() override { return PdfPrinter::kPrinterName; }

    std::optional<PrinterFacts> Facts(const QString& printer) override {
        if (printer != PdfPrinter::kPrinterName)
            return std::nullopt;
        return PrinterFacts{"Qt PDF", QString::fromStdString(m_output), EverySheet(), {}, {false, false, true}};
    }

    std::unique_ptr<QPrinter> OpenDevice(const QString& printer) override {
        if (printer != PdfPrinter::kPrinterName)
            return nullptr;
        auto device = std::make_unique<QPrinter>(QPrinter::HighResolution);
        device->setOutputFormat(QPrinter::PdfFormat);
        return device;
    }

    // Beside the output, so that the finished file can be renamed into place; made by
    // QFile so that it gets the user's usual permissions.
    QString CreateJobFile() override {
        QString reason;
        for (int attempt = 0; attempt < 8; ++attempt) {
            const QString name = QString::fromStdString(m_output) +
                                 QString(".%1.part").arg(QRandomGenerator::global()->generate(), 8, 16, QChar('0'));
            QFile file(name);
            if (file.open(QIODevice::WriteOnly | QIODevice::NewOnly))
                return name;
            reason = file.errorString();
        }
        throw FileError(messages::cannotCreateFile(m_output, reason.toStdString()));
    }

    std::string Deliver(const QString& jobFile, const JobTicket& /*ticket*/, const QString& /*printer*/) override {
        std::error_code error;
        std::filesystem::rename(jobFile.toStdString(), m_output, error);
        if (error)
            throw FileError(messages::cannotCreateFile(m_output, error.message()));
        return m_output;
    }

  private:
    std::string m_output;
};

}  // namespace

PdfPrinter::PdfPrinter(const std::string& outputFile) : QtPrinter(std::make_unique<PdfFileTarget>(outputFile)) {}

}  // namespace qrp::print
