// The reading tools beside the Part's commands: thumbnails rendered only for the pages in
// view and turning the page when clicked, the wheel and Space reading on across pages, and
// the state a second start of the viewer finds where the first left it.
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <set>

#include <QApplication>
#include <QMenu>
#include <QScrollBar>
#include <QTest>
#include <QToolButton>
#include <QWheelEvent>

#include <gtest/gtest.h>

#include "app/spin_edit.h"
#include "app/thumbnail_panel.h"
#include "app/viewer_settings.h"
#include "preview/preview.h"
#include "viewer_fixture.h"

namespace qrp::test {
namespace {

constexpr int kWaitMs = 10000;

void Wheel(QWidget* viewport, int delta) {
    const QPointF at(10, 10);
    QWheelEvent wheel(at, viewport->mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(viewport, &wheel);
}

// The rows of the panel whose rectangles meet its viewport.
std::set<std::int32_t> PagesInView(app::ThumbnailPanel& panel) {
    std::set<std::int32_t> pages;
    for (int row = 0; row < panel.model()->rowCount(); ++row)
        if (panel.visualRect(panel.model()->index(row, 0)).intersects(panel.viewport()->rect()))
            pages.insert(row + 1);
    return pages;
}

TEST_F(ViewerTest, ThumbnailsOfPagesScrolledAwayAreNeverRendered) {
    auto& w = ShowWindow(WriteReport("long.qrp", 2000));
    std::set<std::int32_t> rendered;
    QObject::connect(&w.Thumbnails->Renderer(), &app::ThumbnailRenderer::Rendered,
                     [&rendered](std::int32_t page, const QImage& image) {
                         EXPECT_FALSE(image.isNull()) << "page " << page;
                         rendered.insert(page);
                     });
    // The worker waits on the page list while the panel opens at page 1 and is scrolled to
    // the end at once: of the first pages only the one already in its hands may be drawn.
    Document().Pages().AcquireList();
    w.sbThumbnails->click();
    ASSERT_TRUE(w.Thumbnails->isVisible());
    ProcessEvents();
    const std::set<std::int32_t> first = PagesInView(*w.Thumbnails);
    ASSERT_GT(first.size(), 1U);
    w.Thumbnails->scrollToBottom();
    ProcessEvents();
    const std::set<std::int32_t> last = PagesInView(*w.Thumbnails);
    Document().Pages().ReleaseList();
    ASSERT_TRUE(QTest::qWaitFor([&] { return std::ranges::includes(rendered, last); }, kWaitMs));
    QTest::qWait(50);

    EXPECT_LE(std::ranges::count_if(rendered, [&first](std::int32_t page) { return first.contains(page); }), 1);
    EXPECT_EQ(rendered.size(), last.size() + (rendered.contains(*first.begin()) ? 1 : 0));

    // Loading another report while pages are drawn stops the worker first, and no image of
    // the old report reaches the new one's rows.
    w.Thumbnails->scrollToTop();
    rendered.clear();
    w.LoadReport(WriteReport("short.qrp", 3));
    ASSERT_TRUE(QTest::qWaitFor([&] { return rendered.size() == 3; }, kWaitMs));
    EXPECT_EQ(rendered, (std::set<std::int32_t>{1, 2, 3}));
    EXPECT_EQ(w.Thumbnails->model()->rowCount(), 3);

    // A report that fails to load leaves the panel empty, not rows of pages that are gone.
    const std::filesystem::path damaged = m_scratch / "damaged.qrp";
    std::ofstream(damaged) << std::string(40, 'Z');
    EXPECT_ANY_THROW(w.LoadReport(damaged.string()));
    EXPECT_EQ(w.Thumbnails->model()->rowCount(), 0);
}

TEST_F(ViewerTest, ClickingAThumbnailTurnsThePageAndTheShownPageStaysMarkedInView) {
    auto& w = ShowWindow(WriteReport("pages.qrp", 40));
    QTest::keyClick(&w, Qt::Key_F4);
    ProcessEvents();
    ASSERT_TRUE(w.sbThumbnails->isChecked());

    const QModelIndex third = w.Thumbnails->model()->index(2, 0);
    QTest::mouseClick(w.Thumbnails->viewport(), Qt::LeftButton, {}, w.Thumbnails->visualRect(third).center());
    EXPECT_EQ(w.sePage->Value(), 3);
    EXPECT_EQ(w.QRPreview->PageNumber(), 3);

    w.sbLastPage->click();
    ProcessEvents();
    const QModelIndex lastRow = w.Thumbnails->model()->index(39, 0);
    EXPECT_EQ(w.Thumbnails->currentIndex(), lastRow);
    EXPECT_TRUE(w.Thumbnails->viewport()->rect().contains(w.Thumbnails->visualRect(lastRow)));
}

TEST_F(ViewerTest, WheelAndSpaceReadOnAcrossPageEnds) {
    auto& w = ShowWindow(WriteReport("read.qrp", 3));
    w.ZoomTo100->click();
    ProcessEvents();
    QScrollBar& bar = *w.QRPreview->verticalScrollBar();
    ASSERT_GT(bar.maximum(), 0) << "the page must be taller than the view";
    QWidget* viewport = w.QRPreview->viewport();

    // Within the page the wheel only scrolls.
    bar.setValue(bar.maximum() / 2);
    Wheel(viewport, -120);
    EXPECT_EQ(w.sePage->Value(), 1);
    // At the bottom it goes on to the top of the next page, at the top back to the bottom.
    bar.setValue(bar.maximum());
    Wheel(viewport, -120);
    EXPECT_EQ(w.sePage->Value(), 2);
    EXPECT_EQ(w.QRPreview->PageNumber(), 2);
    EXPECT_EQ(bar.value(), 0);
    Wheel(viewport, 120);
    EXPECT_EQ(w.QRPreview->PageNumber(), 1);
    EXPECT_EQ(bar.value(), bar.maximum());
    // A touchpad's small steps turn the page once a notch's worth has pushed at the end.
    Wheel(viewport, -60);
    EXPECT_EQ(w.QRPreview->PageNumber(), 1);
    Wheel(viewport, -60);
    EXPECT_EQ(w.QRPreview->PageNumber(), 2);

    // Space: a screen down, then on at the end; Shift+Space back.
    w.QRPreview->setFocus();
    QTest::keyClick(&w, Qt::Key_Space);
    EXPECT_EQ(bar.value(), std::min(bar.pageStep(), bar.maximum()));
    bar.setValue(bar.maximum());
    QTest::keyClick(&w, Qt::Key_Space);
    EXPECT_EQ(w.QRPreview->PageNumber(), 3);
    QTest::keyClick(&w, Qt::Key_Space, Qt::ShiftModifier);
    EXPECT_EQ(w.QRPreview->PageNumber(), 2);
    EXPECT_EQ(bar.value(), bar.maximum());
    EXPECT_EQ(w.sePage->Value(), 2);
    EXPECT_TRUE(m_dialogs->Messages.empty());
}

TEST_F(ViewerTest, ASecondStartFindsTheStateTheFirstLeft) {
    const std::string report = WriteReport("ten.qrp", 10);
    const std::string gone = WriteReport("gone.qrp", 2);
    {
        auto& w = ShowWindow();
        w.LoadReport(gone);
        // Opened by a name relative to the working folder, listed by its full path.
        const auto folder = std::filesystem::current_path();
        std::filesystem::current_path(std::filesystem::path(report).parent_path());
        w.LoadReport("ten.qrp");
        std::filesystem::current_path(folder);
        w.sePage->SetValue(7);
        w.ZoomToWidth->click();
        w.sbThumbnails->click();
        w.setWindowState(Qt::WindowNoState);
        w.setGeometry(40, 50, 700, 500);
        ProcessEvents();
        w.close();
    }
    std::filesystem::remove(gone);

    auto& w = ShowWindow();
    EXPECT_EQ(w.normalGeometry().size(), QSize(700, 500));
    EXPECT_TRUE(w.Thumbnails->isVisible());

    const std::vector<app::RecentFile> recent = app::settings::RecentFiles();
    ASSERT_EQ(recent.size(), 2U);
    EXPECT_EQ(recent[0].path, report);
    EXPECT_EQ(recent[0].page, 7);

    // The recent list brings the report back at its page, in the zoom mode left.
    QMenu& menu = *w.sbRecent->menu();
    emit menu.aboutToShow();
    ASSERT_EQ(menu.actions().size(), 2);
    menu.actions()[0]->trigger();
    EXPECT_EQ(w.sePage->Value(), 7);
    EXPECT_EQ(w.QRPreview->PageNumber(), 7);
    EXPECT_TRUE(w.ZoomToWidth->isChecked());
    EXPECT_EQ(w.Thumbnails->currentIndex().row(), 6);
    // Load keeps page 1.
    w.LoadReport(report);
    EXPECT_EQ(w.QRPreview->PageNumber(), 1);

    // A report that has gone is reported and dropped from the list.
    emit menu.aboutToShow();
    menu.actions()[1]->trigger();
    ASSERT_EQ(m_dialogs->Messages.size(), 1U);
    EXPECT_EQ(m_dialogs->Messages[0], "載入檔案錯誤!" + gone);
    EXPECT_EQ(app::settings::RecentFiles().size(), 1U);

    // Ten at most, the latest first.
    for (int i = 0; i < 12; ++i)
        app::settings::AddRecentFile("/reports/" + std::to_string(i) + ".qrp", 1);
    const std::vector<app::RecentFile> ten = app::settings::RecentFiles();
    ASSERT_EQ(ten.size(), 10U);
    EXPECT_EQ(ten.front().path, "/reports/11.qrp");
    EXPECT_EQ(ten.back().path, "/reports/2.qrp");
}

}  // namespace
}  // namespace qrp::test
