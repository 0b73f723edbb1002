// The thumbnail panel on the bundled sample report, on a real X display: the window grabbed
// to <build>/artifacts/thumbnail-panel.png once the thumbnails in view are drawn, and
// checked to show the pages' drawing beside the preview.
#include <filesystem>
#include <set>

#include <QGuiApplication>
#include <QScreen>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>

#include "app/thumbnail_panel.h"
#include "preview/preview.h"
#include "viewer_fixture.h"

namespace qrp::test {
namespace {

TEST_F(ViewerTest, ThumbnailPanelOnTheSampleReportScreenshot) {
    if (QGuiApplication::platformName() != "xcb")
        GTEST_SKIP() << "needs the X display of tests/support/with_desktop.sh";
    const std::filesystem::path sample = BinaryDir() / "samples" / "sample.qrp";
    if (!std::filesystem::exists(sample))
        GTEST_SKIP() << "no sample report at " << sample;
    auto& w = ShowWindow(sample.string());
    std::set<std::int32_t> rendered;
    QObject::connect(&w.Thumbnails->Renderer(), &app::ThumbnailRenderer::Rendered,
                     [&rendered](std::int32_t page, const QImage&) { rendered.insert(page); });
    w.sbThumbnails->click();
    const auto pages = w.Thumbnails->model()->rowCount();
    ASSERT_GT(pages, 0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !rendered.empty(); }, 10000));
    QTest::qWait(500);  // the rest in view, and the window manager's frame

    const QImage shot = w.screen()->grabWindow(w.winId()).toImage().convertToFormat(QImage::Format_RGB32);
    const std::filesystem::path artifacts = BinaryDir() / "artifacts";
    std::filesystem::create_directories(artifacts);
    ASSERT_TRUE(shot.save(QString::fromStdString((artifacts / "thumbnail-panel.png").string())));

    // The second thumbnail (the first is marked as the page shown) holds the page's drawing:
    // ink on white paper.
    const QRect row = w.Thumbnails->visualRect(w.Thumbnails->model()->index(1, 0));
    const QPoint centre = w.Thumbnails->viewport()->mapTo(&w, row.center());
    const QRect sheet(centre - QPoint(40, 55), QSize(80, 100));
    int ink = 0, paper = 0;
    for (int y = sheet.top(); y <= sheet.bottom(); ++y)
        for (int x = sheet.left(); x <= sheet.right(); ++x)
            (qGray(shot.pixel(x, y)) > 240 ? paper : ink)++;
    EXPECT_GT(ink, 50);
    EXPECT_GT(paper, ink);
    // The preview keeps its place below the toolbar, right of the panel.
    EXPECT_EQ(w.QRPreview->mapTo(&w, QPoint(0, 0)).y(), 25);
    EXPECT_GE(w.QRPreview->mapTo(&w, QPoint(0, 0)).x(), w.Thumbnails->width());
}

}  // namespace
}  // namespace qrp::test
