// Chosen report pages, spooler options and scaling, printed on the real CUPS queue "PDF"
// (scripts/start-cups.sh) and checked in the PDFs cups-pdf writes; skipped without it.
#include <filesystem>
#include <regex>
#include <unistd.h>

#include <gtest/gtest.h>

#include "print/qt_printer.h"
#include "print_checks.h"
#include "report/document.h"
#include "report/host_hooks.h"
#include "support/test_paths.h"

namespace qrp::print {
namespace {

namespace fs = std::filesystem;

// Where each text appears in the PDF's text, or npos.
std::vector<std::size_t> Positions(const fs::path& pdf, const std::vector<std::string>& texts) {
    const std::string text = test::PdfText(pdf);
    std::vector<std::size_t> found;
    for (const std::string& each : texts)
        found.push_back(text.find(each));
    return found;
}

// The left and top edge, in points, of the first word on the PDF's first page.
std::pair<double, double> FirstWordCorner(const fs::path& pdf) {
    const std::string boxes = test::Run("pdftotext -l 1 -bbox " + test::Quoted(pdf.string()) + " -").out;
    std::smatch match;
    if (!std::regex_search(boxes, match, std::regex(R"re(<word xMin="([\d.]+)" yMin="([\d.]+)")re")))
        return {-1, -1};
    return {std::stod(match[1]), std::stod(match[2])};
}

class PageOptionsOnCups : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!test::CupsPdfQueueReady())
            GTEST_SKIP() << "no CUPS scheduler with a queue named PDF";
        test::WriteTextReport(m_report, 8);
    }

    void TearDown() override {
        for (const fs::path& pdf : m_outputs)
            fs::remove(pdf);
    }

    // Prints the report with qrptool on the PDF queue; returns the job id.
    std::string Print(std::vector<std::string> options) {
        options.insert(options.begin(), {"print", m_report.string(), "--printer", "PDF"});
        const test::CommandResult result = test::Qrptool(options);
        EXPECT_EQ(result.status, 0);
        const auto id = result.out.find("PDF-");
        return id == std::string::npos ? "" : result.out.substr(id, result.out.find_first_of(" \n", id) - id);
    }

    // The report loaded in a document that prints on the PDF queue through `device`.
    std::unique_ptr<TQRPrinter> LoadedOnThePdfQueue(QtPrinter*& device) {
        auto printer = std::make_unique<QtPrinter>();
        device = printer.get();
        auto document = std::make_unique<TQRPrinter>(std::move(printer));
        const auto names = device->Printers();
        document->SetPrinterNumber(static_cast<int>(std::find(names.begin(), names.end(), "PDF") - names.begin()));
        document->Load(m_report.string());
        return document;
    }

    fs::path Output(const std::string& job) {
        const auto pdf = test::WaitForCupsPdf(job);
        EXPECT_TRUE(pdf) << "no output for '" << job << "'";
        m_outputs.push_back(pdf.value_or(fs::path()));
        return m_outputs.back();
    }

    test::ScratchDir m_dir;
    const std::string m_name = "qrp-pages-" + std::to_string(getpid());
    fs::path m_report = m_dir / (m_name + ".qrp");
    std::vector<fs::path> m_outputs;
};

TEST_F(PageOptionsOnCups, ReportPagesAreChosenBeforeTheSpoolerPutsThemOnSheets) {
    // Spooled together, so that the queue works through them while the next is sent.
    const std::string list = Print({"--pages", "1-3,7"});
    const std::string evenReversed = Print({"--pages", "1-6", "--even", "--reverse"});
    const std::string twoPerSheet = Print({"--pages", "1-3,7", "--n-up", "2"});
    const std::string copies = Print({"--odd", "--copies", "2", "--collate", "--sides", "long", "--option",
                                      "job-priority=60", "--option", "page-border=single"});

    const fs::path listPdf = Output(list);
    EXPECT_EQ(test::ReadPdf(listPdf).pages, 4);
    const auto listed = Positions(listPdf, {"Page 1", "Page 2", "Page 3", "Page 7", "Page 4"});
    EXPECT_TRUE(listed[0] < listed[1] && listed[1] < listed[2] && listed[2] < listed[3]) << test::PdfText(listPdf);
    EXPECT_EQ(listed[4], std::string::npos);
    // The job carries the report's name, not the program's.
    EXPECT_EQ(listPdf.filename().string().rfind(m_name, 0), 0u) << listPdf;

    const fs::path evenPdf = Output(evenReversed);
    EXPECT_EQ(test::ReadPdf(evenPdf).pages, 3);
    const auto even = Positions(evenPdf, {"Page 6", "Page 4", "Page 2"});
    EXPECT_TRUE(even[0] < even[1] && even[1] < even[2] && even[2] != std::string::npos) << test::PdfText(evenPdf);

    // Four report pages two to a sheet: two sheets, whatever the list's numbers.
    const fs::path sheetsPdf = Output(twoPerSheet);
    EXPECT_EQ(test::ReadPdf(sheetsPdf).pages, 2);
    EXPECT_NE(test::PdfText(sheetsPdf).find("Page 7"), std::string::npos);

    // Collated, the spooler makes the copies itself: pages 1, 3, 5, 7 and again.
    const fs::path copiesPdf = Output(copies);
    EXPECT_EQ(test::ReadPdf(copiesPdf).pages, 8);
    const std::string copiesText = test::PdfText(copiesPdf);
    EXPECT_LT(copiesText.find("Page 7"), copiesText.rfind("Page 1")) << copiesText;
    EXPECT_EQ(copiesText.find("Page 2"), std::string::npos);
    EXPECT_EQ(test::JobAttribute(copies, "copies"), "2");
    EXPECT_EQ(test::JobAttribute(copies, "collate"), "true");
    EXPECT_EQ(test::JobAttribute(copies, "sides"), "two-sided-long-edge");
    EXPECT_EQ(test::JobAttribute(copies, "job-priority"), "60");
    EXPECT_EQ(test::JobAttribute(copies, "page-border"), "single");
}

TEST_F(PageOptionsOnCups, AnA4ReportOnLetterFitsOrKeepsItsSize) {
    std::vector<std::string> jobs;
    // The last job takes Letter as the print dialog gives it, for that job only.
    for (const TQRPrintScale scale :
         {TQRPrintScale::Stretch, TQRPrintScale::Fit, TQRPrintScale::Actual, TQRPrintScale::Fit}) {
        QtPrinter* device = nullptr;
        const auto owner = LoadedOnThePdfQueue(device);
        TQRPrinter& document = *owner;
        if (jobs.size() < 3)
            document.SetPaperSize(TQRPaperSize::Letter);
        else
            device->SetJobPaper(QPageSize(QPageSize::Letter));
        document.Title = m_name;
        document.LastPage = 1;
        document.PrintScale = scale;
        document.Print();
        jobs.push_back(device->LastJob());
    }
    std::vector<std::pair<double, double>> corners;
    for (const std::string& job : jobs) {
        const fs::path pdf = Output(job);
        EXPECT_EQ(test::ReadPdf(pdf).pageSize, "612 x 792 pts (letter)");
        corners.push_back(FirstWordCorner(pdf));
    }
    // Where the word sits on the A4 page, from the stretched print (612/595.28, 792/841.89).
    const double x = corners[0].first / (612 / 595.28), y = corners[0].second / (792 / 841.89);
    // Fit: scaled by 792/841.89 both ways and centred across; actual: moved by half the difference.
    const double fit = 792 / 841.89;
    EXPECT_NEAR(corners[1].first, (612 - 595.28 * fit) / 2 + x * fit, 1.0);
    EXPECT_NEAR(corners[1].second, y * fit, 1.0);
    EXPECT_NEAR(corners[2].first, (612 - 595.28) / 2 + x, 1.0);
    EXPECT_NEAR(corners[2].second, (792 - 841.89) / 2 + y, 1.0);
    EXPECT_NEAR(corners[3].first, corners[1].first, 1.0);
    EXPECT_NEAR(corners[3].second, corners[1].second, 1.0);
}

TEST_F(PageOptionsOnCups, ACancelAfterPageTwoSendsNothingToTheQueue) {
    const std::string before = test::Run("lpstat -W all -o PDF").out;
    QtPrinter* device = nullptr;
    const auto owner = LoadedOnThePdfQueue(device);
    TQRPrinter& document = *owner;
    document.Title = m_name + "-cancelled";
    // As the progress display's Cancel: seen when page 3 is about to start.
    SetProcessMessagesHook([&document] {
        if (document.PrintPosition() == 3)
            document.Cancel();
    });
    document.Print();
    SetProcessMessagesHook({});
    EXPECT_EQ(device->LastJob(), "");
    EXPECT_EQ(test::Run("lpstat -W all -o PDF").out, before);
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(test::CupsPdfFolder(), error))
        EXPECT_EQ(entry.path().filename().string().find(document.Title), std::string::npos);
}

}  // namespace
}  // namespace qrp::print
