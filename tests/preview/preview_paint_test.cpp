// What the page image paints: the sheet, its outline and shadow and the page on it.
#include <cstdlib>

#include <QImage>
#include <QPalette>
#include <QPixmap>
#include <QScrollBar>

#include "preview_fixture.h"
#include "preview_pages.h"

namespace qrp::test {
namespace {

QImage Grab(QWidget& widget) {
    return widget.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

bool IsBlack(QRgb pixel) {
    return qRed(pixel) < 40 && qGreen(pixel) < 40 && qBlue(pixel) < 40;
}

bool IsWhite(QRgb pixel) {
    return qRed(pixel) > 240 && qGreen(pixel) > 240 && qBlue(pixel) > 240;
}

bool IsColour(QRgb pixel, const QColor& colour) {
    return std::abs(qRed(pixel) - colour.red()) < 8 && std::abs(qGreen(pixel) - colour.green()) < 8 &&
           std::abs(qBlue(pixel) - colour.blue()) < 8;
}

class PreviewPaint : public PreviewTest {
  protected:
    PreviewPaint() {
        // A background no sheet pixel has, so that what the image leaves undrawn shows.
        QPalette palette = preview->palette();
        palette.setColor(QPalette::Window, kBackground);
        preview->setPalette(palette);
        Resize(1000, 800);
    }
    static bool IsBackground(QRgb pixel) { return IsColour(pixel, kBackground); }
    static constexpr QColor kBackground{0, 128, 255};
};

TEST_F(PreviewPaint, TheSheetHasItsOutlineShadowAndPage) {
    auto document = Document(3);
    preview->SetDocument(document.get());
    preview->SetZoom(50);  // 397 x 561 pixels of paper: 401 x 565 with the shadow
    const QImage image = Grab(preview->PageImage());
    ASSERT_EQ(image.size(), QSize(401, 565));
    const int w = image.width(), h = image.height();

    // Outline through (0, 0)..(W-3, H-3), white inside it.
    for (const QPoint& p : {QPoint(0, 0), QPoint(0, h - 3), QPoint(w - 3, h - 3), QPoint(w - 3, 0), QPoint(w / 2, 0),
                            QPoint(0, h / 2), QPoint(w - 3, h / 2), QPoint(w / 2, h - 3)})
        EXPECT_TRUE(IsBlack(image.pixel(p))) << p.x() << "," << p.y();
    for (const QPoint& p : {QPoint(1, 1), QPoint(w - 4, h - 4), QPoint(w / 2, 10)})
        EXPECT_TRUE(IsWhite(image.pixel(p))) << p.x() << "," << p.y();

    // The shadow: two pixels right and below, starting two pixels in.
    for (const QPoint& p :
         {QPoint(w - 2, 2), QPoint(w - 1, h - 1), QPoint(2, h - 2), QPoint(w - 1, h / 2), QPoint(w / 2, h - 1)})
        EXPECT_TRUE(IsBlack(image.pixel(p))) << p.x() << "," << p.y();
    for (const QPoint& p : {QPoint(w - 2, 1), QPoint(w - 1, 0), QPoint(1, h - 2), QPoint(0, h - 1)})
        EXPECT_TRUE(IsBackground(image.pixel(p))) << p.x() << "," << p.y();

    // The block of page pixels (200, 300)-(600, 800), stretched to the whole image.
    const QPoint blockCentre(400 * w / kPageWidthPx, 550 * h / kPageHeightPx);
    EXPECT_TRUE(IsColour(image.pixel(blockCentre), BlockColour(1)));
    EXPECT_TRUE(IsWhite(image.pixel(150 * w / kPageWidthPx, 550 * h / kPageHeightPx)));
}

TEST_F(PreviewPaint, NothingIsDrawnWithoutAPicture) {
    auto document = Document(0);
    preview->SetDocument(document.get());
    preview->SetZoom(50);
    const QImage image = Grab(preview->PageImage());
    for (const QPoint& p : {QPoint(0, 0), QPoint(10, 10), QPoint(image.width() - 1, image.height() - 1)})
        EXPECT_TRUE(IsBackground(image.pixel(p))) << p.x() << "," << p.y() << " " << std::hex << image.pixel(p);
}

TEST_F(PreviewPaint, ANewPageAndANewZoomArePaintedFromTheHeldPicture) {
    auto document = Document(3);
    preview->SetDocument(document.get());
    preview->SetZoom(50);
    Grab(preview->PageImage());
    preview->SetPageNumber(2);
    QImage image = Grab(preview->PageImage());
    EXPECT_TRUE(IsColour(image.pixel(400 * image.width() / kPageWidthPx, 550 * image.height() / kPageHeightPx),
                         BlockColour(2)));

    ResetFetches(*document);
    preview->SetZoom(75);
    image = Grab(preview->PageImage());
    EXPECT_FALSE(Fetched(*document));
    EXPECT_EQ(image.size(), QSize(599, 846));
    EXPECT_TRUE(IsColour(image.pixel(400 * image.width() / kPageWidthPx, 550 * image.height() / kPageHeightPx),
                         BlockColour(2)));
    EXPECT_TRUE(IsBlack(image.pixel(image.width() - 1, image.height() - 1)));
}

// 2000 % of A4 is some 15900 x 22500 pixels: too big to hold whole, so the preview keeps
// only what it shows, and still paints it.
TEST_F(PreviewPaint, AHugeZoomPaintsTheVisiblePart) {
    auto document = Document(3);
    preview->SetDocument(document.get());
    preview->SetZoom(2000);
    ASSERT_EQ(preview->PageImage().size(), QSize(15878, 22454));
    const QImage view = Grab(*preview->viewport());
    EXPECT_TRUE(IsBlack(view.pixel(0, 0)));
    EXPECT_TRUE(IsWhite(view.pixel(5, 5)));

    // Scrolled to the block's corner: page pixel (200, 300) is at 20 times that.
    preview->horizontalScrollBar()->setValue(200 * 20 - 100);
    preview->verticalScrollBar()->setValue(300 * 20 - 100);
    const QImage scrolled = Grab(*preview->viewport());
    EXPECT_TRUE(IsWhite(scrolled.pixel(50, 50)));
    EXPECT_TRUE(IsColour(scrolled.pixel(200, 200), BlockColour(1)));
}

}  // namespace
}  // namespace qrp::test
