// The printer object's contract and a whole print run, on the PDF printer: no spooler
// needed. The same QtPrinter serves the CUPS queues (cups_printer_test.cpp).
#include "print/pdf_printer.h"

#include <filesystem>
#include <fstream>
#include <regex>

#include <gtest/gtest.h>

#include "base/errors.h"
#include "print_checks.h"
#include "report/document.h"
#include "report/page_list.h"
#include "support/test_paths.h"

namespace qrp::print {
namespace {

using test::ExpectPrinterError;

using test::ReadPdf;
using test::ScratchDir;

bool HasLeftovers(const std::filesystem::path& dir) {
    for (const auto& entry : std::filesystem::directory_iterator(dir)) {
        if (entry.path().extension() == ".part")
            return true;
    }
    return false;
}

class PdfPrinting : public ::testing::Test {
  protected:
    void SetUp() override { test::WriteTextReport(m_report, 3); }

    // A document on a PDF printer writing to `out`, loaded with the text report.
    std::unique_ptr<TQRPrinter> Document(const std::filesystem::path& out) {
        auto printer = std::make_unique<PdfPrinter>(out.string());
        m_printer = printer.get();
        auto document = std::make_unique<TQRPrinter>(std::move(printer));
        document->Load(m_report.string());
        document->Title = "pdf test";
        return document;
    }

    ScratchDir m_dir;
    std::filesystem::path m_report = m_dir / "text.qrp";
    std::filesystem::path m_out = m_dir / "out.pdf";
    PdfPrinter* m_printer = nullptr;
};

// ---- the printer object's contract ----

TEST_F(PdfPrinting, SelectionAndJobCallsFailAsThePrinterObjectMust) {
    PdfPrinter printer(m_out.string());
    EXPECT_EQ(printer.Printers(), std::vector<std::string>{PdfPrinter::kPrinterName});
    EXPECT_EQ(printer.PrinterIndex(), 0);
    ExpectPrinterError([&] { printer.SetPrinterIndex(-2); }, "Printer index out of range");
    EXPECT_FALSE(printer.Printing());
    for (auto call : {&QtPrinter::NewPage, &QtPrinter::EndDoc, &QtPrinter::Abort, &QtPrinter::StartPage})
        ExpectPrinterError([&] { (printer.*call)(); }, "Printer is not currently printing");
    ExpectPrinterError([&] { printer.Canvas(); }, "Printer is not currently printing");

    printer.BeginDoc();
    EXPECT_TRUE(printer.Printing());
    ExpectPrinterError([&] { printer.BeginDoc(); }, "Printing in progress");
    ExpectPrinterError([&] { printer.SetPrinterIndex(0); }, "Printing in progress");
    ExpectPrinterError([&] { printer.SetPrinter(printer.GetPrinter()); }, "Printing in progress");
    printer.EndDoc();
    EXPECT_FALSE(printer.Printing());
    EXPECT_EQ(printer.LastJob(), m_out.string());
    EXPECT_EQ(ReadPdf(m_out).pages, 1);  // a job always has its first page
}

TEST_F(PdfPrinting, CapabilitiesAreAPdfPagesWithoutCopiesOrDuplex) {
    PdfPrinter printer(m_out.string());
    DeviceMode a4 = *printer.GetPrinter().Mode;
    a4.dmFields |= DM_PAPERSIZE;
    a4.dmPaperSize = 9;
    printer.SetPrinter({PdfPrinter::kPrinterName, "", "", a4});
    const DeviceSettings settings = printer.GetPrinter();
    EXPECT_EQ(settings.Device, PdfPrinter::kPrinterName);
    EXPECT_EQ(settings.Port, m_out.string());
    EXPECT_EQ(settings.Mode->dmFields, DM_ORIENTATION | DM_PAPERSIZE | DM_PAPERLENGTH | DM_PAPERWIDTH);
    EXPECT_EQ(printer.DriverPath(settings.Device), std::nullopt);

    const auto papers = printer.DevicePapers(settings.Device, settings.Port, &*settings.Mode);
    for (std::uint16_t id : {1, 5, 8, 9, 11})
        EXPECT_NE(std::find(papers.begin(), papers.end(), id), papers.end()) << id;
    EXPECT_EQ(std::find(papers.begin(), papers.end(), 0), papers.end());
    EXPECT_TRUE(printer.DevicePapers("no such printer", "", nullptr).empty());

    EXPECT_EQ(printer.GetDeviceCaps(DeviceCap::LOGPIXELSX), 600);
    EXPECT_EQ(printer.GetDeviceCaps(DeviceCap::PHYSICALOFFSETX), 0);
    EXPECT_EQ(printer.GetDeviceCaps(DeviceCap::PHYSICALOFFSETY), 0);
    EXPECT_NEAR(printer.GetDeviceCaps(DeviceCap::PHYSICALWIDTH), 4961, 4);  // A4 in whole points
    EXPECT_EQ(printer.PageWidth(), printer.GetDeviceCaps(DeviceCap::PHYSICALWIDTH));
    EXPECT_EQ(printer.PageHeight(), printer.GetDeviceCaps(DeviceCap::PHYSICALHEIGHT));
}

TEST_F(PdfPrinting, ANewDeviceModeReachesTheDeviceAndAnEmptyOneRestoresTheDefaults) {
    PdfPrinter printer(m_out.string());
    const DeviceMode defaults = *printer.GetPrinter().Mode;
    DeviceMode letter = defaults;
    letter.dmPaperSize = 1;
    letter.dmOrientation = DMORIENT_LANDSCAPE;
    printer.SetPrinter({PdfPrinter::kPrinterName, "", "", letter});
    EXPECT_EQ(printer.Orientation(), poLandscape);
    EXPECT_EQ(printer.GetDeviceCaps(DeviceCap::PHYSICALWIDTH), 6600);  // 11 in at 600 dpi
    EXPECT_EQ(printer.GetDeviceCaps(DeviceCap::PHYSICALHEIGHT), 5100);
    EXPECT_EQ(printer.GetPrinter().Mode->dmPaperSize, 1);

    printer.SetPrinter({PdfPrinter::kPrinterName, "", "", std::nullopt});
    EXPECT_EQ(*printer.GetPrinter().Mode, defaults);
    EXPECT_EQ(printer.Orientation(), poPortrait);
}

// ---- whole runs through the document ----

TEST_F(PdfPrinting, ARangeInLandscapeGivesThosePagesOnLandscapeSheets) {
    const auto document = Document(m_out);
    EXPECT_EQ(document->PaperSize(), TQRPaperSize::A4);
    document->SetOrientation(poLandscape);
    document->SetCopies(3);  // a file holds one copy: not offered, so ignored
    document->FirstPage = 2;
    document->LastPage = 3;
    document->Print();

    const test::PdfFacts pdf = ReadPdf(m_out);
    EXPECT_EQ(pdf.pages, 2);
    EXPECT_EQ(pdf.pageSize, "842 x 595 pts (A4)");
    const std::string text = test::PdfText(m_out);
    EXPECT_EQ(text.find("Page 1"), std::string::npos);
    EXPECT_LT(text.find("Page 2"), text.find("Page 3"));
    EXPECT_EQ(text.find("\xEF\xBF\xBD"), std::string::npos);  // no replacement characters
    EXPECT_FALSE(HasLeftovers(m_dir.Path()));
}

TEST_F(PdfPrinting, AbortedJobsLeaveNoFileAndKeepAnEarlierOne) {
    {
        PdfPrinter printer(m_out.string());
        printer.BeginDoc();
        printer.NewPage();
        printer.Abort();
        EXPECT_FALSE(printer.Printing());
        EXPECT_EQ(printer.LastJob(), "");
    }
    EXPECT_FALSE(std::filesystem::exists(m_out));

    std::ofstream(m_out) << "earlier";
    const auto document = Document(m_out);
    {
        const test::CancelWhilePrinting cancel(*document);  // stops the run after its first page
        document->Print();
    }
    EXPECT_FALSE(m_printer->Printing());
    EXPECT_EQ(std::filesystem::file_size(m_out), 7u);
    {
        PdfPrinter printer(m_out.string());
        printer.BeginDoc();
    }  // dropped with the object
    EXPECT_EQ(std::filesystem::file_size(m_out), 7u);
    EXPECT_FALSE(HasLeftovers(m_dir.Path()));
}

TEST_F(PdfPrinting, APageStartOnAStartedPageMakesNoSheet) {
    const auto document = Document(m_out);
    QtPrinter& printer = *m_printer;
    printer.BeginDoc();
    for (int n = 1; n <= 2; ++n) {
        printer.StartPage();
        printer.Canvas().StretchDraw(*document->FetchPage(n),
                                     {0, 0, printer.PageWidth() - 1, printer.PageHeight() - 1});
        if (n < 2)
            printer.NewPage();
    }
    printer.StartPage();
    printer.EndDoc();
    EXPECT_EQ(ReadPdf(m_out).pages, 2);
}

TEST_F(PdfPrinting, AnOutputThatCannotBeCreatedFailsTheJobBeforeItOpens) {
    const auto document = Document(m_dir / "missing" / "out.pdf");
    try {
        document->Print();
        ADD_FAILURE() << "no FileError";
    } catch (const FileError& error) {
        EXPECT_NE(std::string(error.what()).find("missing/out.pdf"), std::string::npos) << error.what();
    }
    EXPECT_FALSE(m_printer->Printing());
}

// ---- qrptool print --pdf ----

TEST_F(PdfPrinting, ToolWritesTheRangeAndRejectsBadArguments) {
    const auto result =
        test::Qrptool({"print", m_report.string(), "--pdf", m_out.string(), "--from", "2", "--landscape"});
    ASSERT_EQ(result.status, 0) << result.out;
    EXPECT_EQ(ReadPdf(m_out).pages, 2);
    EXPECT_EQ(ReadPdf(m_out).pageSize, "842 x 595 pts (A4)");

    EXPECT_EQ(test::Qrptool({"print", m_report.string(), "--pdf", m_out.string(), "--printer", "PDF"}).status, 2);
    EXPECT_EQ(test::Qrptool({"print", m_report.string(), "--landscape", "--portrait"}).status, 2);
    EXPECT_EQ(test::Qrptool({"print", m_report.string(), "--copies", "0"}).status, 2);
    EXPECT_EQ(test::Qrptool({"print", (m_dir / "none.qrp").string(), "--pdf", m_out.string()}).status, 1);
    EXPECT_EQ(test::Qrptool({"print", m_report.string(), "--printer", "no such printer"}).status, 1);
}

// Overlapping parts of a list print their shared pages once, in the order first listed.
TEST_F(PdfPrinting, OverlappingPageListsPrintEachPageOnce) {
    test::WriteTextReport(m_report, 6);
    const auto printedPages = [this](const std::string& list) {
        const auto result = test::Qrptool({"pdf", m_report.string(), "-o", m_out.string(), "--pages", list});
        EXPECT_EQ(result.status, 0) << list;
        const std::string text = test::PdfText(m_out);
        std::vector<int> pages;
        static const std::regex page("Page (\\d)");
        for (auto it = std::sregex_iterator(text.begin(), text.end(), page); it != std::sregex_iterator(); ++it)
            pages.push_back(std::stoi((*it)[1]));
        EXPECT_EQ(static_cast<std::size_t>(ReadPdf(m_out).pages), pages.size()) << list;
        return pages;
    };
    EXPECT_EQ(printedPages("1-3,3-5"), (std::vector<int>{1, 2, 3, 4, 5}));
    EXPECT_EQ(printedPages("5-3,1-5"), (std::vector<int>{5, 4, 3, 1, 2}));
}

TEST_F(PdfPrinting, PdfCommandTakesTheSamePath) {
    const auto result = test::Qrptool({"pdf", m_report.string(), "-o", m_out.string(), "--to", "2", "--portrait"});
    ASSERT_EQ(result.status, 0) << result.out;
    EXPECT_EQ(ReadPdf(m_out).pages, 2);
    EXPECT_EQ(ReadPdf(m_out).pageSize, "595 x 842 pts (A4)");
    EXPECT_EQ(test::Qrptool({"pdf", m_report.string()}).status, 2) << "no output named";
    EXPECT_EQ(test::Qrptool({"pdf", m_report.string(), "-o", m_out.string(), "--copies", "2"}).status, 2);
}

}  // namespace
}  // namespace qrp::print
