// The system printer object against a real CUPS scheduler with the cups-pdf queue "PDF"
// (scripts/start-cups.sh); skipped when there is none. cups-pdf always writes sheets of
// the job's media in portrait, so landscape shows as text running down the page.
#include <chrono>
#include <filesystem>
#include <thread>
#include <unistd.h>

#include <QPrinterInfo>

#include <gtest/gtest.h>

#include "print/qt_printer.h"
#include "print_checks.h"
#include "report/document.h"
#include "support/test_paths.h"

namespace qrp::print {
namespace {

using test::ReadPdf;

int IndexOf(PrinterObject& printer, const std::string& name) {
    const auto names = printer.Printers();
    const auto found = std::find(names.begin(), names.end(), name);
    return found == names.end() ? -1 : static_cast<int>(found - names.begin());
}

std::string UniqueTitle(const std::string& what) {
    return "qrp-" + what + "-" + std::to_string(getpid());
}

class CupsPrinting : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!test::CupsPdfQueueReady())
            GTEST_SKIP() << "no CUPS scheduler with a queue named PDF";
        test::WriteTextReport(m_report, 3);
    }

    // A document on the system printer object with the PDF queue selected.
    std::unique_ptr<TQRPrinter> Document() {
        auto printer = std::make_unique<QtPrinter>();
        m_printer = printer.get();
        auto document = std::make_unique<TQRPrinter>(std::move(printer));
        document->SetPrinterNumber(IndexOf(*m_printer, "PDF"));
        document->Load(m_report.string());
        return document;
    }

    test::ScratchDir m_dir;
    std::filesystem::path m_report = m_dir / "text.qrp";
    QtPrinter* m_printer = nullptr;
};

TEST_F(CupsPrinting, ThePdfQueueIsListedAndIsTheDefault) {
    QtPrinter printer;
    const int index = IndexOf(printer, "PDF");
    ASSERT_GE(index, 0);
    EXPECT_EQ(printer.PrinterIndex(), index);
    const DeviceSettings settings = printer.GetPrinter();
    EXPECT_EQ(settings.Device, "PDF");
    EXPECT_NE(settings.Driver.find("CUPS-PDF"), std::string::npos) << settings.Driver;
    printer.SetPrinterIndex(index);
    EXPECT_EQ(printer.PrinterIndex(), index);
}

TEST_F(CupsPrinting, ThePrintersCommandMarksTheDefaultAndListsItsPapers) {
    const auto result = test::Qrptool({"printers"});
    ASSERT_EQ(result.status, 0) << result.out;
    EXPECT_NE(result.out.find("* PDF\n"), std::string::npos) << result.out;
    EXPECT_NE(result.out.find("duplex:     no"), std::string::npos) << result.out;
    EXPECT_NE(result.out.find("A4"), std::string::npos) << result.out;
    EXPECT_NE(result.out.find(" dpi"), std::string::npos) << result.out;
    // The queue's own choices, its defaults marked: cups-pdf prints one side from no tray.
    EXPECT_NE(result.out.find("sides:      None*\n"), std::string::npos) << result.out;
    EXPECT_NE(result.out.find("trays:      none offered\n"), std::string::npos) << result.out;
    const std::string resolutions = result.out.substr(result.out.find("resolutions: "));
    EXPECT_LT(resolutions.find("dpi*"), resolutions.find('\n')) << result.out;
}

TEST_F(CupsPrinting, CapabilitiesComeFromTheQueue) {
    QtPrinter printer;
    TPrinterSettings settings;
    settings.AttachPrinter(&printer);
    EXPECT_EQ(settings.Device(), "PDF");
    EXPECT_EQ(settings.DotsPerInchX(), 600);  // the queue offers 150 to 2400
    EXPECT_EQ(settings.DotsPerInchY(), 600);
    EXPECT_EQ(settings.PhysLeft(), 0);
    EXPECT_EQ(settings.PhysTop(), 0);
    EXPECT_EQ(settings.PaperSize(), TQRPaperSize::A4);  // the queue's default
    EXPECT_EQ(settings.SheetWidth(), 2100);
    EXPECT_EQ(settings.Copies(), 1);
    EXPECT_FALSE(settings.Duplex());
    EXPECT_TRUE(settings.HasPaperSize(TQRPaperSize::A4));
    EXPECT_TRUE(settings.HasPaperSize(TQRPaperSize::Letter));
    EXPECT_TRUE(settings.HasPaperSize(TQRPaperSize::Legal));
    EXPECT_TRUE(settings.HasCapability(DM_COPIES | DM_ORIENTATION | DM_PAPERSIZE));
    EXPECT_FALSE(settings.HasCapability(DM_DUPLEX));  // cups-pdf has no duplex
    EXPECT_FALSE(settings.HasCapability(DM_DEFAULTSOURCE));
    EXPECT_EQ(printer.PageWidth(), printer.GetDeviceCaps(DeviceCap::PHYSICALWIDTH));
    EXPECT_NEAR(printer.PageWidth(), 4961, 4);  // A4 in whole points
}

TEST_F(CupsPrinting, ARangeInLandscapeWithCopiesIsOneJobOfThosePages) {
    const auto document = Document();
    document->Title = UniqueTitle("range");
    document->SetOrientation(poLandscape);
    document->SetCopies(2);
    document->FirstPage = 2;
    document->LastPage = 3;
    document->Print();
    const std::string job = m_printer->LastJob();
    ASSERT_EQ(job.rfind("PDF-", 0), 0u) << job;

    const auto pdf = test::WaitForCupsPdf(job);
    ASSERT_TRUE(pdf) << "no output for " << job;
    EXPECT_EQ(ReadPdf(*pdf).pages, 2);  // cups-pdf leaves the copies to the device
    EXPECT_EQ(ReadPdf(*pdf).pageSize, "595 x 842 pts (A4)");
    const std::string text = test::PdfText(*pdf);
    EXPECT_EQ(text.find("Page 1"), std::string::npos);
    EXPECT_NE(text.find("Page 2"), std::string::npos);
    EXPECT_NE(text.find("Page 3"), std::string::npos);
    EXPECT_GT(test::VerticalWords(*pdf), 0);

    EXPECT_EQ(test::JobAttribute(job, "copies"), "2");
    EXPECT_EQ(test::JobAttribute(job, "landscape"), "true");
    EXPECT_EQ(test::JobAttribute(job, "media"), "A4");
    // cups-pdf names its file after the job.
    EXPECT_EQ(pdf->filename().string().rfind(document->Title, 0), 0u) << *pdf;
    std::filesystem::remove(*pdf);
}

TEST_F(CupsPrinting, TheToolPrintsInPortraitByDefault) {
    const auto result = test::Qrptool({"print", m_report.string(), "--printer", "PDF", "--to", "1"});
    ASSERT_EQ(result.status, 0);
    const auto id = result.out.find("PDF-");
    ASSERT_NE(id, std::string::npos) << result.out;
    const std::string job = result.out.substr(id, result.out.find_first_of(" \n)", id) - id);

    const auto pdf = test::WaitForCupsPdf(job);
    ASSERT_TRUE(pdf) << "no output for " << job;
    EXPECT_EQ(ReadPdf(*pdf).pages, 1);
    EXPECT_EQ(ReadPdf(*pdf).pageSize, "595 x 842 pts (A4)");
    EXPECT_NE(test::PdfText(*pdf).find("Page 1"), std::string::npos);
    EXPECT_EQ(test::VerticalWords(*pdf), 0);
    EXPECT_EQ(test::JobAttribute(job, "copies"), "1");
    std::filesystem::remove(*pdf);
}

TEST_F(CupsPrinting, AnAbortedJobNeverReachesTheSpooler) {
    const std::string title = UniqueTitle("abort");
    // Job files go to the temporary folder; a private one shows that the job's is removed.
    const test::ScratchDir jobFolder;
    const QString oldTemp = qEnvironmentVariable("TMPDIR");
    qputenv("TMPDIR", jobFolder.Path().string().c_str());
    const auto count = [&] {
        return std::distance(std::filesystem::directory_iterator(jobFolder.Path()),
                             std::filesystem::directory_iterator());
    };
    const std::string before = test::Run("lpstat -W all -o PDF").out;
    {
        const auto document = Document();
        document->Title = title;
        const test::CancelWhilePrinting cancel(*document);
        document->Print();
        EXPECT_FALSE(m_printer->Printing());
        EXPECT_EQ(m_printer->LastJob(), "");
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    EXPECT_EQ(test::Run("lpstat -W all -o PDF").out, before);
    EXPECT_EQ(count(), 0);  // the job's file is gone too
    if (oldTemp.isEmpty())
        qunsetenv("TMPDIR");
    else
        qputenv("TMPDIR", oldTemp.toLocal8Bit());
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(test::CupsPdfFolder(), error))
        EXPECT_EQ(entry.path().filename().string().find(title), std::string::npos);
}

}  // namespace
}  // namespace qrp::print
