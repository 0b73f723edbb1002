#include "pdf_printer.h"

#include <algorithm>

#include <QPrinter>

#include "base/errors.h"
#include "base/messages.h"
#include "report/file_stream.h"

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
        // Read for its defaults only: no page is ever drawn on it (qt_printer.h).
        auto device = std::make_unique<QPrinter>(QPrinter::HighResolution);
        device->setOutputFormat(QPrinter::PdfFormat);
        return device;
    }

    // The new content of the output, put in place only once the job is complete, as a
    // saved report is: an output this user may not write is refused before any page.
    std::unique_ptr<FileStream> CreateJobFile() override { return FileStream::Create(m_output); }

    std::string Deliver(FileStream& jobFile, const JobTicket& /*ticket*/, const QString& /*printer*/) override {
        jobFile.Close();
        return m_output;
    }

  private:
    std::string m_output;
};

}  // namespace

PdfPrinter::PdfPrinter(const std::string& outputFile) : QtPrinter(std::make_unique<PdfFileTarget>(outputFile)) {}

}  // namespace qrp::print
