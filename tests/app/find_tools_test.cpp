// Find and copy on the bundled sample report, a real recorded report of 12 table pages:
// stepping through matches across pages, marks on the glyphs at any zoom, a table copied
// in reading order, a new query cancelling a running search, and --page and --find.
#include <algorithm>
#include <fstream>

#include <QClipboard>
#include <QGuiApplication>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QScrollBar>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>

#include "app/find_bar.h"
#include "app/spin_edit.h"
#include "app/text_finder.h"
#include "app/text_selection.h"
#include "export/page_text_driver.h"
#include "preview/preview.h"
#include "preview/text_overlay.h"
#include "viewer_fixture.h"

namespace qrp::test {
namespace {

constexpr int kWaitMs = 20000;

class ReadingTools : public ViewerTest {
  protected:
    void SetUp() override {
        m_sample = BinaryDir() / "samples" / "sample.qrp";
        if (!std::filesystem::exists(m_sample))
            GTEST_SKIP() << "no sample report at " << m_sample;
    }

    app::TTav_FolivexFrm& ShowSample() {
        auto& w = ShowWindow(m_sample.string());
        w.setWindowState(Qt::WindowNoState);
        w.resize(900, 700);
        ProcessEvents();
        return w;
    }

    // Types into the find bar and waits for the whole report to be searched.
    void Find(app::TTav_FolivexFrm& w, const QString& text) {
        w.FindBar1->Open(text);
        ASSERT_TRUE(QTest::qWaitFor([&] { return !w.Finder->Searching(); }, kWaitMs));
        ProcessEvents();
    }

    // The matches the report's own search finds, page by page.
    std::vector<std::int32_t> PagesOfMatches(const std::string& text) {
        std::vector<std::int32_t> pages;
        exporter::SearchReport(exporter::PagesOf(Document()), exporter::TextQuery(text),
                               [&](std::int32_t page, const exporter::PageText&, const auto& matches) {
                                   pages.insert(pages.end(), matches.size(), page);
                                   return true;
                               });
        return pages;
    }

    std::filesystem::path m_sample;
};

TEST_F(ReadingTools, NextAndPreviousStepThroughMatchesTurningPagesAndWrapping) {
    auto& w = ShowSample();
    const std::vector<std::int32_t> pages = PagesOfMatches("silver bay");
    ASSERT_EQ(std::count(pages.begin(), pages.end(), 1), 2);
    ASSERT_GT(pages.size(), 10u);
    const QString total = QString::number(pages.size());

    Find(w, QStringLiteral("silver bay"));  // case-insensitive by default
    EXPECT_EQ(w.Finder->Matches().size(), pages.size());
    EXPECT_EQ(w.FindBar1->Counter->text(), "1 of " + total);
    EXPECT_EQ(w.QRPreview->PageNumber(), 1);

    QTest::keyClick(w.FindBar1->Field, Qt::Key_Return);
    EXPECT_EQ(w.FindBar1->Counter->text(), "2 of " + total);
    // Next from page 1's last match shows page 2's first, turned as the page buttons turn.
    QTest::keyClick(&w, Qt::Key_F3);
    EXPECT_EQ(w.FindBar1->Counter->text(), "3 of " + total);
    EXPECT_EQ(w.QRPreview->PageNumber(), 2);
    EXPECT_EQ(w.sePage->Text(), "2");
    EXPECT_TRUE(w.windowTitle().contains("12 pages")) << w.windowTitle().toStdString();

    QTest::keyClick(w.FindBar1->Field, Qt::Key_Return, Qt::ShiftModifier);
    QTest::keyClick(&w, Qt::Key_F3, Qt::ShiftModifier);
    EXPECT_EQ(w.FindBar1->Counter->text(), "1 of " + total);
    EXPECT_EQ(w.sePage->Text(), "1");
    // Back from the first match wraps to the last, on the last page that has one.
    QTest::keyClick(&w, Qt::Key_F3, Qt::ShiftModifier);
    EXPECT_EQ(w.FindBar1->Counter->text(), total + " of " + total);
    EXPECT_EQ(w.QRPreview->PageNumber(), pages.back());
    // And on from the last wraps to the first, on page 1.
    QTest::keyClick(&w, Qt::Key_F3);
    EXPECT_EQ(w.FindBar1->Counter->text(), "1 of " + total);
    EXPECT_EQ(w.QRPreview->PageNumber(), 1);

    // Escape closes the bar and takes the marks away.
    QTest::keyClick(w.FindBar1->Field, Qt::Key_Escape);
    EXPECT_FALSE(w.FindBar1->isVisible());
    EXPECT_TRUE(w.Finder->Matches().empty());
}

// The dark pixels of `shot` within `area`, as a bounding box.
QRect InkIn(const QImage& shot, const QRect& area) {
    QRect ink;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (shot.rect().contains(x, y) && qGray(shot.pixel(x, y)) < 128)
                ink |= QRect(x, y, 1, 1);
    return ink;
}

TEST_F(ReadingTools, MarksLieOnTheMatchedGlyphsAtEveryZoom) {
    auto& w = ShowSample();
    Find(w, QStringLiteral("Lotus Garden Hotel"));
    ASSERT_TRUE(w.Finder->Current());
    for (const std::int32_t zoom : {60, 100, 230}) {
        w.seZoom->SetValue(zoom);
        ProcessEvents();
        const exporter::TextMatch& match = w.Finder->Matches()[*w.Finder->Current()];
        QRectF marked;
        for (const exporter::GlyphBox& box : match.Boxes)
            marked |= w.TextMarks->OnImage(box);
        // The page drawn without the marks: the words' ink fills the marked box and no more.
        w.TextMarks->hide();
        const QImage shot = w.QRPreview->PageImage().grab().toImage();
        w.TextMarks->show();
        const QRect box = marked.toAlignedRect();
        const int h = box.height();
        // Rows stand a third of their height apart; the columns much farther.
        const QRect ink = InkIn(shot, box.adjusted(-h, -h / 3, h, h / 3));
        ASSERT_FALSE(ink.isEmpty()) << "zoom " << zoom;
        const int slack = 2 + zoom / 100;
        EXPECT_TRUE(box.adjusted(-slack, -slack, slack, slack).contains(ink))
            << "zoom " << zoom << ": ink " << ink.x() << "," << ink.y() << " " << ink.width() << "x" << ink.height()
            << " outside the mark " << box.x() << "," << box.y() << " " << box.width() << "x" << box.height();
        EXPECT_GT(ink.width(), box.width() * 8 / 10) << "zoom " << zoom;
        EXPECT_GT(ink.height(), box.height() / 2) << "zoom " << zoom;
    }
}

TEST_F(ReadingTools, ShiftDragCopiesATableInReadingOrderWithTabsBetweenColumns) {
    auto& w = ShowSample();
    w.seZoom->SetValue(100);
    ProcessEvents();
    // A rectangle from the heading's first column over two rows to the amount column.
    Find(w, QStringLiteral("Invoice"));
    QRectF heading;
    for (const exporter::GlyphBox& box : w.Finder->Matches().front().Boxes)
        heading |= w.TextMarks->OnImage(box);
    Find(w, QStringLiteral("2,970.00"));
    const QRectF amount = w.TextMarks->OnImage(w.Finder->Matches().front().Boxes.back());
    w.FindBar1->CloseButton->click();
    const QPoint from = heading.topLeft().toPoint() - QPoint(3, 3);
    const QPoint to = amount.bottomRight().toPoint() + QPoint(3, 3);

    QWidget& image = w.QRPreview->PageImage();
    QTest::mousePress(&image, Qt::LeftButton, Qt::ShiftModifier, from);
    QTest::mouseMove(&image, to);
    QTest::mouseRelease(&image, Qt::LeftButton, Qt::ShiftModifier, to);
    QGuiApplication::clipboard()->clear();
    QTest::keyClick(&w, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QGuiApplication::clipboard()->text().toStdString(),
              "Invoice\tDate\tCustomer\tQty\tUnit price\tAmount\n"
              "單號\t日期\t客戶\t數量\t單價\t金額\n"
              "Region: North\t北區\n"
              "24001\t2024-01-04\tLotus Garden Hotel\t蓮園酒店\t57\t588.50\t33,544.50\n"
              "24002\t2024-01-04\tPearl River Textiles\t珠江紡織\t20\t148.50\t2,970.00");

    // With the select tool a plain drag selects too.
    w.SelectTool->click();
    QTest::mousePress(&image, Qt::LeftButton, Qt::NoModifier, from);
    QTest::mouseMove(&image, heading.bottomRight().toPoint());
    QTest::mouseRelease(&image, Qt::LeftButton, Qt::NoModifier, heading.bottomRight().toPoint());
    EXPECT_EQ(w.Selection->Text(), "Invoice");
    w.SelectTool->click();

    // Select all takes the whole page; a page turned away leaves nothing selected to copy.
    QTest::keyClick(&w, Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(w.Selection->Text().substr(0, 13), "Formosa Tradi");
    w.sbNextPage->click();
    EXPECT_EQ(w.Selection->Text(), "");

    // Without the tool or Shift, a drag pans a page larger than the view.
    w.seZoom->SetValue(250);
    ProcessEvents();
    QScrollBar& down = *w.QRPreview->verticalScrollBar();
    ASSERT_GT(down.maximum(), 100);
    const QPoint grip(200, 300);
    QTest::mousePress(&image, Qt::LeftButton, Qt::NoModifier, grip);
    QTest::mouseMove(&image, grip - QPoint(0, 80));
    QTest::mouseRelease(&image, Qt::LeftButton, Qt::NoModifier, grip - QPoint(0, 80));
    EXPECT_EQ(down.value(), 80);
    EXPECT_EQ(w.Selection->Text(), "");
}

TEST_F(ReadingTools, ANewQueryCancelsTheRunningSearchAndLoadingWaitsForIt) {
    auto& w = ShowSample();
    const std::size_t lotus = PagesOfMatches("lotus").size();
    ASSERT_GT(lotus, 0u);
    // Typed one after the other without a pause for the first search to end: none of the
    // first query's matches may land among the second's.
    w.FindBar1->Open(QStringLiteral("silver bay"));
    w.FindBar1->Open(QStringLiteral("lotus"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !w.Finder->Searching(); }, kWaitMs));
    ProcessEvents();
    EXPECT_EQ(w.Finder->Matches().size(), lotus);
    EXPECT_EQ(w.FindBar1->Counter->text(), QStringLiteral("1 of %1").arg(lotus));

    // A load while a search runs stops it before the document changes, then searches the
    // new report.
    w.FindBar1->Open(QStringLiteral("silver bay"));
    w.LoadReport(WriteReport("blank.qrp", 3));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !w.Finder->Searching(); }, kWaitMs));
    ProcessEvents();
    EXPECT_TRUE(w.Finder->Matches().empty());
    EXPECT_EQ(w.FindBar1->Counter->text(), "No matches");
}

// What this process has read from files so far, by the kernel's count: a search reads
// each page it searches.
std::uint64_t BytesRead() {
    std::ifstream io("/proc/self/io");
    std::string key;
    std::uint64_t value = 0;
    while (io >> key >> value)
        if (key == "rchar:")
            return value;
    return 0;
}

TEST_F(ReadingTools, ANewQueryOrEscapeStopsTheRunningSearchWithoutReadingOn) {
    const std::string big = WriteReport("big.qrp", 8000);
    const std::uintmax_t size = std::filesystem::file_size(big);
    auto& w = ShowWindow(big);
    // One whole search first: from then on, searching reads nothing but the pages.
    Find(w, QStringLiteral("nowhere"));
    ASSERT_EQ(w.FindBar1->Counter->text(), "No matches");
    const std::uint64_t before = BytesRead();
    ASSERT_GT(before, 0u) << "no I/O accounting in /proc/self/io";
    w.FindBar1->Open(QStringLiteral("first"));
    w.FindBar1->Open(QStringLiteral("second"));
    QTest::keyClick(w.FindBar1->Field, Qt::Key_Escape);
    EXPECT_FALSE(w.Finder->Searching());
    // Each search stops within the page it is on, far short of the report.
    EXPECT_LT(BytesRead() - before, size / 4) << "of a report of " << size << " bytes";
}

// Stepping to another page meets the report rewritten by another program; the reload the
// user accepts searches the report again, and the step must not go on with the match it
// was showing.
TEST_F(ReadingTools, AReloadWhileSteppingToAMatchSearchesTheReloadedReport) {
    const std::filesystem::path shown = m_scratch.Path() / "sample.qrp";
    std::filesystem::copy_file(m_sample, shown);
    m_sample = shown;
    auto& w = ShowSample();
    const std::vector<std::int32_t> pages = PagesOfMatches("silver bay");
    ASSERT_EQ(std::count(pages.begin(), pages.end(), 1), 2);
    Find(w, QStringLiteral("silver bay"));
    WriteFileBytes(shown, ReadFileBytes(shown));  // in place, as another program rewrites it
    m_dialogs->ConfirmAnswers = {true};
    QTest::keyClick(&w, Qt::Key_F3);  // page 1's second match
    QTest::keyClick(&w, Qt::Key_F3);  // on to page 2, which is read from the rewritten file
    ASSERT_EQ(m_dialogs->Questions.size(), 1u);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !w.Finder->Searching(); }, kWaitMs));
    ProcessEvents();
    EXPECT_EQ(w.Finder->Matches().size(), pages.size());
    EXPECT_EQ(w.FindBar1->Counter->text(), QStringLiteral("1 of %1").arg(pages.size()));
    EXPECT_EQ(w.QRPreview->PageNumber(), 1);
}

TEST_F(ReadingTools, CommandLinePageIsClampedAndFindStartsThere) {
    auto& beyond = MakeWindow(m_sample.string());
    beyond.SetCommandLineRequests(99, {});
    beyond.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&beyond));
    ProcessEvents();
    EXPECT_EQ(beyond.sePage->Text(), "12");
    EXPECT_EQ(beyond.QRPreview->PageNumber(), 12);
    EXPECT_FALSE(beyond.FindBar1->isVisible());

    const std::vector<std::int32_t> pages = PagesOfMatches("silver bay");
    auto& w = MakeWindow(m_sample.string());
    w.SetCommandLineRequests(3, QStringLiteral("silver bay"));
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !w.Finder->Searching(); }, kWaitMs));
    ProcessEvents();
    EXPECT_TRUE(w.FindBar1->isVisible());
    EXPECT_EQ(w.FindBar1->Text(), "silver bay");
    EXPECT_EQ(w.Finder->Matches().size(), pages.size());
    // The first match shown is the first on or after page 3.
    const auto first = std::ranges::lower_bound(pages, 3);
    ASSERT_NE(first, pages.end());
    EXPECT_EQ(w.QRPreview->PageNumber(), *first);
    EXPECT_EQ(w.FindBar1->Counter->text(), QStringLiteral("%1 of %2").arg(first - pages.begin() + 1).arg(pages.size()));
}

}  // namespace
}  // namespace qrp::test
