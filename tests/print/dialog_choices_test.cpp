// What the viewer's print dialog leaves on a CUPS printer reaches the job: page lists,
// page sets and order as report pages, the rest as spooler options.
#include "print/dialog_choices.h"

#include <QPageRanges>
#include <QPrintEngine>
#include <QPrinter>
#include <QPrinterInfo>

#include <gtest/gtest.h>

#include "print_checks.h"

namespace qrp::print {
namespace {

TEST(DialogChoices, PagesGoToTheDocumentAndTheRestToTheSpooler) {
    if (!test::CupsPdfQueueReady())
        GTEST_SKIP() << "no CUPS scheduler with a queue named PDF";
    QPrinter device(QPrinterInfo::printerInfo("PDF"));
    QPageRanges ranges;
    ranges.addRange(1, 3);
    ranges.addPage(7);
    device.setPageRanges(ranges);
    device.setPageOrder(QPrinter::LastPageFirst);
    device.setDuplex(QPrinter::DuplexShortSide);
    device.setCopyCount(2);
    device.setCollateCopies(true);
    // As Qt's CUPS dialog stores pages per sheet, the page set and a printer option.
    device.printEngine()->setProperty(
        QPrintEngine::PrintEnginePropertyKey(0xfe00),
        QStringList{"number-up", "2", "page-set", "even", "page-ranges", "1-3,7", "job-priority", "60"});
    const DialogChoices choices = ReadDialogChoices(device);
    EXPECT_EQ(choices.pages.List, (std::vector<PageSpan>{{1, 3}, {7, 7}}));
    EXPECT_EQ(choices.pages.Set, TQRPageSet::Even);
    EXPECT_TRUE(choices.pages.Reverse);
    // cups-pdf cannot print both sides, so Qt keeps no duplex and the job asks for none.
    EXPECT_EQ(choices.jobOptions.join(' ').toStdString(), "number-up=2 job-priority=60 collate=true");
}

}  // namespace
}  // namespace qrp::print
