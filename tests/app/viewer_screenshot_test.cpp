// The window on the bundled sample report at fit-to-page, grabbed to a PNG that CI keeps
// (<build>/artifacts/viewer-fit-page.png) and checked: the sheet has the fitted size, sits
// centred in the preview, and shows the page's drawing.
#include <algorithm>
#include <cmath>

#include <QImage>
#include <QToolButton>

#include <gtest/gtest.h>

#include "app/spin_edit.h"
#include "preview/preview.h"
#include "viewer_fixture.h"

namespace qrp::test {
namespace {

bool IsDark(QRgb pixel) {
    return qGray(pixel) < 64;
}

TEST_F(ViewerTest, SampleReportAtFitToPageScreenshot) {
    const std::filesystem::path sample = BinaryDir() / "samples" / "sample.qrp";
    if (!std::filesystem::exists(sample))
        GTEST_SKIP() << "no sample report at " << sample;
    auto& w = ShowWindow(sample.string());
    w.setWindowState(Qt::WindowNoState);
    w.resize(762, 612);
    ProcessEvents();
    w.ZoomToFit->click();
    ProcessEvents();
    ASSERT_TRUE(m_dialogs->Messages.empty()) << m_dialogs->Messages.front();

    const QImage shot = w.grab().toImage().convertToFormat(QImage::Format_RGB32);
    const std::filesystem::path artifacts = BinaryDir() / "artifacts";
    std::filesystem::create_directories(artifacts);
    ASSERT_TRUE(shot.save(QString::fromStdString((artifacts / "viewer-fit-page.png").string())));

    TQRPrinter& doc = Document();
    const int previewW = w.QRPreview->width(), previewH = w.QRPreview->height();
    const std::int32_t zoom = FittedZoom();
    EXPECT_EQ(w.QRPreview->Zoom(), zoom);
    const int sheetW = doc.DevWidth(doc.OrientedPaperWidth() / 100.0L * zoom) + 4;
    const int sheetH = doc.DevHeight(doc.OrientedPaperLength() / 100.0L * zoom) + 4;
    const QWidget& image = w.QRPreview->PageImage();
    ASSERT_EQ(image.size(), QSize(sheetW, sheetH));

    // Centred horizontally (the preview is wider than the sheet, taller by the 5 per cent).
    const QPoint sheet = image.mapTo(&w, QPoint(0, 0));
    const QPoint preview = w.QRPreview->mapTo(&w, QPoint(0, 0));
    EXPECT_NEAR(sheet.x() - preview.x(), (previewW - sheetW) / 2, 2);
    EXPECT_NEAR(sheet.y() - preview.y(), (previewH - sheetH) / 2, 2);
    EXPECT_EQ(preview.y(), 25);  // below the toolbar

    // The outline in the picture: black on the sheet's left edge, the shadow at its right.
    const int middle = sheet.y() + sheetH / 2;
    EXPECT_TRUE(IsDark(shot.pixel(sheet.x(), middle)));
    EXPECT_TRUE(IsDark(shot.pixel(sheet.x() + sheetW - 1, middle)));
    EXPECT_FALSE(IsDark(shot.pixel(sheet.x() - 2, middle)));

    // Not blank: mostly white paper with the page's drawing on it.
    int ink = 0, paper = 0;
    for (int y = sheet.y() + 4; y < sheet.y() + sheetH - 6; ++y)
        for (int x = sheet.x() + 4; x < sheet.x() + sheetW - 6; ++x)
            (qGray(shot.pixel(x, y)) > 240 ? paper : ink)++;
    EXPECT_GT(ink, 200);
    EXPECT_GT(paper, 4 * ink);
}

}  // namespace
}  // namespace qrp::test
