// QtPrinter's selection, device mode and job bookkeeping on a made-up set of printers:
// what the system's CUPS list cannot be made to show (no default, printers leaving,
// a spooler refusing a job).
#include "print/qt_printer.h"

#include <filesystem>

#include <QFile>
#include <QPrinter>

#include <gtest/gtest.h>

#include "base/errors.h"
#include "print_checks.h"
#include "support/test_paths.h"

namespace qrp::print {
namespace {

using test::ExpectPrinterError;

// Printers that print into PDF files; Deliver keeps the file under the job's title.
class StubTarget : public PrintTarget {
  public:
    StubTarget(QStringList names, QString defaultName, std::filesystem::path dir)
        : m_names(std::move(names)), m_default(std::move(defaultName)), m_dir(std::move(dir)) {}

    QStringList PrinterNames() override { return m_names; }
    QString DefaultPrinterName() override { return m_default; }
    std::optional<PrinterFacts> Facts(const QString& printer) override {
        if (!m_names.contains(printer))
            return std::nullopt;
        // The second printer is a Letter printer with copies and 300 dpi only.
        const bool letter = printer == m_names.value(1);
        return PrinterFacts{
            printer + " driver", "port of " + printer, {}, {letter ? 300 : 1200}, {letter, false, false}};
    }
    std::unique_ptr<QPrinter> OpenDevice(const QString& printer) override {
        if (!m_names.contains(printer))
            return nullptr;
        auto device = std::make_unique<QPrinter>(QPrinter::HighResolution);
        device->setOutputFormat(QPrinter::PdfFormat);
        device->setPageSize(QPageSize(printer == m_names.value(1) ? QPageSize::Letter : QPageSize::A4));
        return device;
    }
    std::unique_ptr<FileStream> CreateJobFile() override {
        ++jobFiles;
        auto file = FileStream::CreateScratch(m_dir.string(), "job" + std::to_string(jobFiles) + "-", ".pdf");
        lastJobFile = QString::fromStdString(file->Path());
        return file;
    }
    std::string Deliver(FileStream& jobFile, const JobTicket& ticket, const QString& printer) override {
        if (refuse)
            throw PrinterError("refused");
        lastTicket = ticket;
        const std::string kept = (m_dir / (ticket.title.toStdString() + ".pdf")).string();
        QFile::copy(QString::fromStdString(jobFile.Path()), QString::fromStdString(kept));
        return printer.toStdString() + ":" + kept;
    }

    QStringList m_names;
    QString m_default;
    std::filesystem::path m_dir;
    int jobFiles = 0;
    QString lastJobFile;
    JobTicket lastTicket;
    bool refuse = false;
};

class QtPrinterStub : public ::testing::Test {
  protected:
    QtPrinter& Make(QStringList names, QString defaultName) {
        auto target = std::make_unique<StubTarget>(std::move(names), std::move(defaultName), m_dir.Path());
        m_target = target.get();
        m_printer = std::make_unique<QtPrinter>(std::move(target));
        return *m_printer;
    }

    test::ScratchDir m_dir;
    StubTarget* m_target = nullptr;
    std::unique_ptr<QtPrinter> m_printer;
};

TEST_F(QtPrinterStub, WithoutADefaultOnlyAChosenPrinterWorks) {
    QtPrinter& printer = Make({"a4", "letter"}, "");
    EXPECT_EQ(printer.Printers(), (std::vector<std::string>{"a4", "letter"}));
    const std::string none = "There is no default printer currently selected";
    ExpectPrinterError([&] { printer.PrinterIndex(); }, none);
    ExpectPrinterError([&] { printer.GetPrinter(); }, none);
    ExpectPrinterError([&] { printer.Copies(); }, none);
    ExpectPrinterError([&] { printer.BeginDoc(); }, none);
    printer.SetPrinterIndex(1);
    EXPECT_EQ(printer.PrinterIndex(), 1);
    EXPECT_EQ(printer.GetPrinter().Device, "letter");
    EXPECT_EQ(printer.GetPrinter().Driver, "letter driver");
    EXPECT_EQ(printer.GetPrinter().Port, "port of letter");
    ExpectPrinterError([&] { printer.SetPrinterIndex(2); }, "Printer index out of range");
    EXPECT_EQ(printer.PrinterIndex(), 1);
}

TEST_F(QtPrinterStub, EachPrinterStartsFromItsOwnDefaults) {
    QtPrinter& printer = Make({"a4", "letter"}, "a4");
    EXPECT_EQ(printer.PrinterIndex(), 0);
    DeviceMode changed = *printer.GetPrinter().Mode;
    EXPECT_EQ(changed.dmPaperSize, 9);
    EXPECT_EQ(changed.dmFields & DM_COPIES, 0u);
    changed.dmOrientation = DMORIENT_LANDSCAPE;
    printer.SetPrinter({"a4", "", "", changed});
    EXPECT_EQ(printer.Orientation(), poLandscape);
    EXPECT_EQ(printer.GetDeviceCaps(DeviceCap::LOGPIXELSX), 1200);  // the only one offered

    printer.SetPrinterIndex(1);
    const DeviceMode letter = *printer.GetPrinter().Mode;
    EXPECT_EQ(letter.dmPaperSize, 1);
    EXPECT_EQ(letter.dmOrientation, DMORIENT_PORTRAIT);
    EXPECT_NE(letter.dmFields & DM_COPIES, 0u);
    EXPECT_EQ(printer.GetDeviceCaps(DeviceCap::LOGPIXELSX), 300);
    EXPECT_EQ(printer.GetDeviceCaps(DeviceCap::PHYSICALWIDTH), 2550);  // 8.5 in at 300 dpi
    EXPECT_EQ(printer.PageHeight(), 3300);
}

TEST_F(QtPrinterStub, TheJobCarriesTitleCopiesAndLayoutAndItsFileIsRemoved) {
    QtPrinter& printer = Make({"a4", "letter"}, "letter");
    DeviceMode mode = *printer.GetPrinter().Mode;
    mode.dmCopies = 4;
    mode.dmOrientation = DMORIENT_LANDSCAPE;
    printer.SetPrinter({"letter", "", "", mode});
    printer.SetTitle("stub job");
    EXPECT_EQ(printer.Title(), "stub job");
    printer.BeginDoc();
    printer.NewPage();
    printer.EndDoc();
    EXPECT_EQ(printer.LastJob(), "letter:" + (m_dir / "stub job.pdf").string());
    EXPECT_EQ(m_target->lastTicket.title, "stub job");
    EXPECT_EQ(m_target->lastTicket.copies, 4);
    EXPECT_EQ(m_target->lastTicket.layout.orientation(), QPageLayout::Landscape);
    EXPECT_EQ(m_target->lastTicket.layout.pageSize().id(), QPageSize::Letter);
    EXPECT_FALSE(QFile::exists(m_target->lastJobFile));
    const test::PdfFacts pdf = test::ReadPdf(m_dir / "stub job.pdf");
    EXPECT_EQ(pdf.pages, 2);
    EXPECT_EQ(pdf.pageSize, "792 x 612 pts (letter)");
}

TEST_F(QtPrinterStub, AJobStaysOnItsPrinterWhenTheDefaultChanges) {
    QtPrinter& printer = Make({"a4", "letter"}, "a4");
    printer.BeginDoc();
    const int width = printer.PageWidth();
    m_target->m_default = "letter";
    EXPECT_EQ(printer.PageWidth(), width);
    EXPECT_EQ(printer.GetPrinter().Device, "a4");
    printer.EndDoc();
    EXPECT_EQ(printer.LastJob().rfind("a4:", 0), 0u);
    EXPECT_EQ(printer.GetPrinter().Device, "letter");  // the next job follows the default
    EXPECT_EQ(printer.GetPrinter().Mode->dmPaperSize, 1);
}

TEST_F(QtPrinterStub, ARefusedJobIsClosedAndItsFileRemoved) {
    QtPrinter& printer = Make({"a4"}, "a4");
    m_target->refuse = true;
    printer.BeginDoc();
    ExpectPrinterError([&] { printer.EndDoc(); }, "refused");
    EXPECT_FALSE(printer.Printing());
    EXPECT_FALSE(QFile::exists(m_target->lastJobFile));
    EXPECT_EQ(printer.LastJob(), "");
    m_target->refuse = false;
    printer.BeginDoc();  // the object is usable again
    printer.EndDoc();
    EXPECT_EQ(m_target->jobFiles, 2);
}

TEST_F(QtPrinterStub, APrinterThatLeftTheListIsNotValid) {
    QtPrinter& printer = Make({"a4", "letter"}, "a4");
    printer.SetPrinterIndex(1);
    m_target->m_names = {"a4"};
    EXPECT_EQ(printer.PrinterIndex(), -1);
    ExpectPrinterError([&] { printer.GetPrinter(); }, "Printer selected is not valid");
    ExpectPrinterError([&] { printer.BeginDoc(); }, "Printer selected is not valid");
    EXPECT_FALSE(printer.Printing());
    EXPECT_TRUE(printer.DevicePapers("letter", "", nullptr).empty());
    printer.SetPrinterIndex(-1);
    EXPECT_EQ(printer.GetPrinter().Device, "a4");
}

}  // namespace
}  // namespace qrp::print
