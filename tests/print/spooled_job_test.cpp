// What a job carries to a print scheduler of the test's own (with_private_cups.sh): the
// report's name and the print dialog's choices arrive as they were meant, whatever
// characters they hold.
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <regex>
#include <sstream>
#include <thread>

#include <QPrintEngine>
#include <QPrinter>
#include <QPrinterInfo>

#include <gtest/gtest.h>

#include "print/dialog_choices.h"
#include "print/qt_printer.h"
#include "print_checks.h"
#include "report/document.h"
#include "support/test_paths.h"

namespace qrp::print {
namespace {

class SpooledJob : public ::testing::Test {
  protected:
    void SetUp() override {
        const char* server = std::getenv("CUPS_SERVER");
        if (!server || server[0] != '/')
            GTEST_SKIP() << "run by with_private_cups.sh";
        m_log = std::filesystem::path(server).parent_path() / "log" / "page_log";
        test::WriteTextReport(m_report, 1);
    }

    // Prints the report on the queue Alpha and returns the job's id ("Alpha-3").
    std::string Print(const std::string& title, const QStringList& jobOptions = {}) {
        auto owned = std::make_unique<QtPrinter>();
        QtPrinter& printer = *owned;
        TQRPrinter document(std::move(owned));
        const auto names = printer.Printers();
        document.SetPrinterNumber(
            static_cast<std::int32_t>(std::find(names.begin(), names.end(), "Alpha") - names.begin()));
        document.Load(m_report.string());
        document.Title = title;
        printer.SetJobOptions(jobOptions);
        document.Print();
        return printer.LastJob();
    }

    // The scheduler's page log once it tells of the finished job: one line a job.
    std::string PageLogWith(const std::string& job) {
        const std::regex line("(^|\\n)Alpha \\S+ " + job.substr(job.rfind('-') + 1) + " \\[");
        std::string log;
        for (int tries = 0; tries < 150 && !std::regex_search(log, line); ++tries) {
            std::this_thread::sleep_for(std::chrono::milliseconds(200));
            const std::vector<std::uint8_t> bytes = test::ReadFileBytes(m_log);
            log.assign(bytes.begin(), bytes.end());
        }
        return log;
    }

    test::ScratchDir m_dir;
    std::filesystem::path m_report = m_dir / "text.qrp";
    std::filesystem::path m_log;
};

TEST_F(SpooledJob, ControlCharactersInTheTitleNeverReachTheScheduler) {
    const std::string job = Print("/reports/March\nsales\x1b[2J\ttotal\r.qrp");
    ASSERT_EQ(job.rfind("Alpha-", 0), 0u) << job;
    const std::string log = PageLogWith(job);
    ASSERT_NE(log.find(" total "), std::string::npos) << log;
    std::istringstream lines(log);
    for (std::string line; std::getline(lines, line);)
        EXPECT_EQ(line.rfind("Alpha ", 0), 0u) << "a line of the log split off: " << line;
    EXPECT_NE(log.find(" /reports/March sales [2J total .qrp "), std::string::npos) << log;
}

TEST_F(SpooledJob, DialogChoicesWithSpacesAndQuotesArriveWhole) {
    // The billing text as ipptool shows what arrived: quotes and backslashes escaped.
    const std::pair<QString, std::string> billings[] = {
        {"Dept 7 North", "Dept 7 North"}, {R"(Dept 7 "North" it's C:\ledger)", R"(Dept 7 \"North\" it's C:\\ledger)"}};
    for (const auto& [billing, arrived] : billings) {
        QPrinter device(QPrinterInfo::printerInfo("Alpha"));
        // As Qt's CUPS dialog keeps them: the billing text and a two-valued banner choice.
        device.printEngine()->setProperty(QPrintEngine::PrintEnginePropertyKey(0xfe00),
                                          QStringList{"job-billing", billing, "job-sheets", "standard,none"});
        const std::string job = Print("billing", ReadDialogChoices(device).jobOptions);
        ASSERT_EQ(job.rfind("Alpha-", 0), 0u) << job;
        EXPECT_EQ(test::JobAttribute(job, "job-billing"), arrived);
        EXPECT_EQ(test::JobAttribute(job, "job-sheets"), "standard,none");
    }
}

}  // namespace
}  // namespace qrp::print
