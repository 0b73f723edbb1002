// Paths, pens, brushes, ROP2 modes and clipping of the QPainter device, drawn on images.
#include <QPainter>

#include <gtest/gtest.h>

#include "device_helpers.h"

namespace qrp::test {
namespace {

using emf::Device;

// ---- fills and strokes ----

TEST(QPainterDeviceFill, SolidBrushFillsInsideOnly) {
    const QImage image = DrawOnImage(
        40, 40, [](Device& d) { d.DrawPath(RectPath(10, 10, 30, 30), NullPen(), SolidBrush(kRed), kCopyPen); });
    EXPECT_TRUE(Near(image, 20, 20, Qt::red));
    EXPECT_TRUE(Near(image, 5, 5, Qt::white));
    EXPECT_TRUE(Near(image, 35, 20, Qt::white));
    EXPECT_EQ(InkBounds(image), QRect(10, 10, 20, 20));
}

TEST(QPainterDeviceFill, FillRulesFollowThePath) {
    // Two nested squares in one path: odd-even leaves a hole, winding (same direction) does not.
    emf::Path path = RectPath(5, 5, 35, 35);
    const emf::Path inner = RectPath(15, 15, 25, 25);
    path.elements.insert(path.elements.end(), inner.elements.begin(), inner.elements.end());
    const QImage oddEven =
        DrawOnImage(40, 40, [&](Device& d) { d.DrawPath(path, NullPen(), SolidBrush(kBlack), kCopyPen); });
    path.fillRule = emf::FillRule::Winding;
    const QImage winding =
        DrawOnImage(40, 40, [&](Device& d) { d.DrawPath(path, NullPen(), SolidBrush(kBlack), kCopyPen); });
    EXPECT_TRUE(Near(oddEven, 20, 20, Qt::white));
    EXPECT_TRUE(Near(winding, 20, 20, Qt::black));
}

TEST(QPainterDeviceFill, HatchDrawsLinesAndOpaqueBackgroundFillsBetween) {
    emf::Brush hatch = SolidBrush(kBlack);
    hatch.style = emf::BrushStyle::Hatched;
    hatch.hatch = 0;  // HS_HORIZONTAL
    const QImage transparent =
        DrawOnImage(32, 32, [&](Device& d) { d.DrawPath(RectPath(0, 0, 32, 32), NullPen(), hatch, kCopyPen); });
    // Horizontal lines: some rows fully inked, the others untouched.
    int inkedRows = 0;
    for (int y = 0; y < 32; ++y)
        if (InkCount(transparent, QRect(0, y, 32, 1)) == 32)
            ++inkedRows;
    EXPECT_GE(inkedRows, 3);
    EXPECT_LE(inkedRows, 8);
    EXPECT_EQ(InkCount(transparent, QRect(0, 0, 1, 32)), inkedRows);

    hatch.opaqueBackground = true;
    hatch.backgroundColor = {0, 0, 255};
    const QImage opaque =
        DrawOnImage(32, 32, [&](Device& d) { d.DrawPath(RectPath(0, 0, 32, 32), NullPen(), hatch, kCopyPen); });
    EXPECT_EQ(InkCount(opaque), 32 * 32);
}

TEST(QPainterDeviceFill, HatchTilesKeepScreenSizeOnFinerDevices) {
    emf::Brush hatch = SolidBrush(kBlack);
    hatch.style = emf::BrushStyle::Hatched;
    hatch.hatch = 1;  // HS_VERTICAL
    const auto inkedColumns = [&](int dpi) {
        QImage image = WhiteImage(64, 4);
        image.setDotsPerMeterX(static_cast<int>(dpi / 0.0254 + 0.5));
        image.setDotsPerMeterY(static_cast<int>(dpi / 0.0254 + 0.5));
        QPainter painter(&image);
        {
            render::QPainterDevice device(painter);
            device.DrawPath(RectPath(0, 0, 64, 4), NullPen(), hatch, kCopyPen);
        }
        painter.end();
        int columns = 0;
        for (int x = 0; x < 64; ++x)
            columns += InkCount(image, QRect(x, 1, 1, 1)) > 0 ? 1 : 0;
        return columns;
    };
    EXPECT_EQ(inkedColumns(96), 8);   // a line every 8 pixels
    EXPECT_EQ(inkedColumns(192), 8);  // 16 pixels apart, 2 wide
}

TEST(QPainterDeviceFill, ForwardDiagonalHatchRunsDownToTheRight) {
    emf::Brush hatch = SolidBrush(kBlack);
    hatch.style = emf::BrushStyle::Hatched;
    hatch.hatch = 2;  // HS_FDIAGONAL
    const QImage image =
        DrawOnImage(32, 32, [&](Device& d) { d.DrawPath(RectPath(0, 0, 32, 32), NullPen(), hatch, kCopyPen); });
    // Along a "\" line every pixel is inked; find one inked pixel and follow it.
    int x0 = 0;
    while (x0 < 32 && InkCount(image, QRect(x0, 8, 1, 1)) == 0)
        ++x0;
    ASSERT_LT(x0, 24);
    for (int step = 1; step < 6; ++step)
        EXPECT_GT(InkCount(image, QRect(x0 + step, 8 + step, 1, 1)), 0) << step;
}

TEST(QPainterDeviceFill, PatternBrushTilesFromTheBrushOrigin) {
    // A 2x2 tile: red at its top-left pixel, white elsewhere.
    auto tile = std::make_shared<emf::Image>();
    tile->width = tile->height = 2;
    tile->pixels = {0xFFFF0000u, 0xFFFFFFFFu, 0xFFFFFFFFu, 0xFFFFFFFFu};
    emf::Brush brush;
    brush.style = emf::BrushStyle::Pattern;
    brush.pattern = tile;
    brush.origin = {1, 1};
    const QImage image =
        DrawOnImage(8, 8, [&](Device& d) { d.DrawPath(RectPath(0, 0, 8, 8), NullPen(), brush, kCopyPen); });
    EXPECT_TRUE(Near(image, 1, 1, Qt::red));
    EXPECT_TRUE(Near(image, 3, 5, Qt::red));
    EXPECT_TRUE(Near(image, 2, 1, Qt::white));
    EXPECT_TRUE(Near(image, 0, 0, Qt::white));
}

TEST(QPainterDeviceFill, LinearGradientRunsBetweenItsColours) {
    emf::Brush brush = SolidBrush(kBlack);
    brush.style = emf::BrushStyle::LinearGradient;
    brush.gradientStart = {0, 0};
    brush.gradientEnd = {100, 0};
    brush.gradientEndColor = {255, 255, 255};
    const QImage image =
        DrawOnImage(100, 4, [&](Device& d) { d.DrawPath(RectPath(0, 0, 100, 4), NullPen(), brush, kCopyPen); });
    EXPECT_TRUE(Near(image, 0, 2, Qt::black, 12));
    EXPECT_TRUE(Near(image, 50, 2, QColor(128, 128, 128), 12));
    EXPECT_TRUE(Near(image, 99, 2, Qt::white, 12));
}

TEST(QPainterDeviceStroke, CosmeticPenIsAHairline) {
    emf::Pen pen;
    pen.color = kBlack;
    const QImage image =
        DrawOnImage(40, 40, [&](Device& d) { d.DrawPath(LinePath(0, 20.5, 40, 20.5), pen, NullBrush(), kCopyPen); });
    EXPECT_EQ(InkCount(image, QRect(10, 0, 1, 40)), 1);
}

TEST(QPainterDeviceStroke, GeometricPenHasItsWidthAndThinOnesStayVisible) {
    emf::Pen pen;
    pen.color = kBlack;
    pen.cosmetic = false;
    pen.width = 6;
    pen.cap = emf::CapStyle::Flat;
    const QImage wide =
        DrawOnImage(40, 40, [&](Device& d) { d.DrawPath(LinePath(0, 20, 40, 20), pen, NullBrush(), kCopyPen); });
    EXPECT_EQ(InkCount(wide, QRect(10, 0, 1, 40)), 6);
    pen.width = 0.1;  // thinner than a pixel: GDI still draws one
    const QImage thin =
        DrawOnImage(40, 40, [&](Device& d) { d.DrawPath(LinePath(0, 20.5, 40, 20.5), pen, NullBrush(), kCopyPen); });
    EXPECT_EQ(InkCount(thin, QRect(10, 0, 1, 40)), 1);
    EXPECT_TRUE(Near(thin, 10, 20, Qt::black, 16));
}

TEST(QPainterDeviceStroke, DashesLeaveGapsThatOpaqueModeFills) {
    emf::Pen pen;
    pen.style = emf::PenStyle::Dash;
    pen.color = kBlack;
    pen.cosmetic = false;
    pen.width = 2;
    pen.cap = emf::CapStyle::Flat;
    pen.dashes = {10, 10};
    const QImage dashed =
        DrawOnImage(80, 10, [&](Device& d) { d.DrawPath(LinePath(0, 5, 80, 5), pen, NullBrush(), kCopyPen); });
    EXPECT_TRUE(Near(dashed, 5, 5, Qt::black, 16));
    EXPECT_TRUE(Near(dashed, 15, 5, Qt::white, 16));
    EXPECT_TRUE(Near(dashed, 25, 5, Qt::black, 16));

    pen.opaqueBackground = true;
    pen.backgroundColor = {255, 0, 0};
    const QImage opaque =
        DrawOnImage(80, 10, [&](Device& d) { d.DrawPath(LinePath(0, 5, 80, 5), pen, NullBrush(), kCopyPen); });
    EXPECT_TRUE(Near(opaque, 5, 5, Qt::black, 16));
    EXPECT_TRUE(Near(opaque, 15, 5, Qt::red, 16));
}

TEST(QPainterDeviceStroke, CapsAndJoinsReachTheirShape) {
    emf::Pen pen;
    pen.color = kBlack;
    pen.cosmetic = false;
    pen.width = 10;
    pen.cap = emf::CapStyle::Square;
    const QImage square =
        DrawOnImage(60, 40, [&](Device& d) { d.DrawPath(LinePath(20, 20, 40, 20), pen, NullBrush(), kCopyPen); });
    EXPECT_EQ(InkBounds(square), QRect(15, 15, 30, 10));
    pen.cap = emf::CapStyle::Flat;
    const QImage flat =
        DrawOnImage(60, 40, [&](Device& d) { d.DrawPath(LinePath(20, 20, 40, 20), pen, NullBrush(), kCopyPen); });
    EXPECT_EQ(InkBounds(flat), QRect(20, 15, 20, 10));

    // A right angle: the miter join fills the outer corner, the bevel join cuts it.
    emf::Path corner = LinePath(10, 30, 30, 30);
    corner.elements.push_back({emf::PathOp::LineTo, {{{30, 10}}}});
    pen.join = emf::JoinStyle::Miter;
    const QImage miter = DrawOnImage(40, 40, [&](Device& d) { d.DrawPath(corner, pen, NullBrush(), kCopyPen); });
    pen.join = emf::JoinStyle::Bevel;
    const QImage bevel = DrawOnImage(40, 40, [&](Device& d) { d.DrawPath(corner, pen, NullBrush(), kCopyPen); });
    EXPECT_TRUE(Near(miter, 34, 34, Qt::black, 16));
    EXPECT_TRUE(Near(bevel, 34, 34, Qt::white, 16));
}

// ---- ROP2 ----

TEST(QPainterDeviceRop2, NopDrawsNothing) {
    const QImage image =
        DrawOnImage(20, 20, [](Device& d) { d.DrawPath(RectPath(0, 0, 20, 20), NullPen(), SolidBrush(kBlack), 11); });
    EXPECT_EQ(InkCount(image), 0);
}

TEST(QPainterDeviceRop2, XorPenTwiceRestoresTheImage) {
    const QImage once = DrawOnImage(20, 20, [](Device& d) {
        d.DrawPath(RectPath(0, 0, 10, 20), NullPen(), SolidBrush(kRed), kCopyPen);
        d.DrawPath(RectPath(5, 0, 15, 20), NullPen(), SolidBrush({255, 255, 0}), 7);
    });
    EXPECT_TRUE(Near(once, 7, 10, Qt::green, 0));  // red ^ yellow
    EXPECT_TRUE(Near(once, 12, 10, Qt::blue, 0));  // white ^ yellow
    const QImage twice = DrawOnImage(20, 20, [](Device& d) {
        d.DrawPath(RectPath(0, 0, 10, 20), NullPen(), SolidBrush(kRed), kCopyPen);
        d.DrawPath(RectPath(5, 0, 15, 20), NullPen(), SolidBrush({255, 255, 0}), 7);
        d.DrawPath(RectPath(5, 0, 15, 20), NullPen(), SolidBrush({255, 255, 0}), 7);
    });
    EXPECT_TRUE(Near(twice, 7, 10, Qt::red, 0));
    EXPECT_TRUE(Near(twice, 12, 10, Qt::white, 0));
}

TEST(QPainterDeviceRop2, ModeStaysWithItsOwnCall) {
    auto red = MakeImage(1, 1, {0xFFFF0000u});
    emf::ImageDraw blit;
    blit.image = red;
    blit.source = {0, 0, 1, 1};
    blit.destination = {{{20, 0}, {30, 0}, {20, 10}}};
    blit.rop = 0x00CC0020;  // SRCCOPY
    emf::TextRun text;
    text.text = u"I";
    text.reference = {32, 0};
    text.font.faceName = u"Arial";
    text.font.height = 10;
    const QImage image = DrawOnImage(40, 10, [&](Device& d) {
        d.DrawPath(RectPath(0, 0, 10, 10), NullPen(), SolidBrush({255, 255, 0}), 7);  // XOR
        d.DrawPath(RectPath(10, 0, 20, 10), NullPen(), SolidBrush(kRed), kCopyPen);
        d.DrawImage(blit);
        d.DrawText(text);
    });
    EXPECT_TRUE(Near(image, 5, 5, Qt::blue, 0));
    EXPECT_TRUE(Near(image, 15, 5, Qt::red, 0));
    EXPECT_TRUE(Near(image, 25, 5, Qt::red, 0));
    EXPECT_GT(InkCount(image, QRect(30, 0, 10, 10)), 3);  // black text, not XORed away
}

TEST(QPainterDeviceRop2, NotInvertsAndBlackWhiteIgnoreTheColour) {
    const QImage image = DrawOnImage(30, 10, [](Device& d) {
        d.DrawPath(RectPath(0, 0, 10, 10), NullPen(), SolidBrush(kRed), 6);   // R2_NOT on white
        d.DrawPath(RectPath(10, 0, 20, 10), NullPen(), SolidBrush(kRed), 1);  // R2_BLACK
        d.DrawPath(RectPath(20, 0, 30, 10), NullPen(), SolidBrush(kRed), 4);  // R2_NOTCOPYPEN
    });
    EXPECT_TRUE(Near(image, 5, 5, Qt::black, 0));
    EXPECT_TRUE(Near(image, 15, 5, Qt::black, 0));
    EXPECT_TRUE(Near(image, 25, 5, Qt::cyan, 0));
}

TEST(QPainterDeviceRop2, MaskPenKeepsOnlyCommonBits) {
    const QImage image = DrawOnImage(10, 10, [](Device& d) {
        d.DrawPath(RectPath(0, 0, 10, 10), NullPen(), SolidBrush({255, 255, 0}), kCopyPen);
        d.DrawPath(RectPath(0, 0, 10, 10), NullPen(), SolidBrush({0, 255, 255}), 9);
    });
    EXPECT_TRUE(Near(image, 5, 5, Qt::green, 0));
}

// ---- clipping ----

emf::Clip ClipOf(std::initializer_list<std::pair<emf::ClipMode, emf::Path>> steps) {
    emf::Clip clip;
    for (const auto& [mode, path] : steps)
        clip.steps.push_back({mode, path});
    return clip;
}

QImage FillAfterClip(const emf::Clip& clip) {
    return DrawOnImage(40, 40, [&](Device& d) {
        d.SetClip(clip);
        d.DrawPath(RectPath(0, 0, 40, 40), NullPen(), SolidBrush(kBlack), kCopyPen);
    });
}

TEST(QPainterDeviceClip, RectanglesIntersect) {
    const QImage image = FillAfterClip(ClipOf(
        {{emf::ClipMode::Intersect, RectPath(0, 0, 30, 30)}, {emf::ClipMode::Intersect, RectPath(10, 10, 40, 40)}}));
    EXPECT_EQ(InkBounds(image), QRect(10, 10, 20, 20));
}

TEST(QPainterDeviceClip, DifferenceCutsAHole) {
    const QImage image = FillAfterClip(ClipOf({{emf::ClipMode::Difference, RectPath(10, 10, 30, 30)}}));
    EXPECT_EQ(InkCount(image), 40 * 40 - 20 * 20);
    EXPECT_TRUE(Near(image, 20, 20, Qt::white));
}

TEST(QPainterDeviceClip, UniteXorAndReplace) {
    const QImage united = FillAfterClip(
        ClipOf({{emf::ClipMode::Replace, RectPath(0, 0, 10, 10)}, {emf::ClipMode::Unite, RectPath(30, 30, 40, 40)}}));
    EXPECT_EQ(InkCount(united), 200);
    const QImage xored = FillAfterClip(
        ClipOf({{emf::ClipMode::Replace, RectPath(0, 0, 20, 20)}, {emf::ClipMode::Xor, RectPath(10, 10, 30, 30)}}));
    EXPECT_EQ(InkCount(xored), 2 * 400 - 2 * 100);
    EXPECT_TRUE(Near(xored, 15, 15, Qt::white));
    const QImage replaced = FillAfterClip(
        ClipOf({{emf::ClipMode::Intersect, RectPath(0, 0, 5, 5)}, {emf::ClipMode::Replace, RectPath(20, 20, 30, 30)}}));
    EXPECT_EQ(InkBounds(replaced), QRect(20, 20, 10, 10));
}

TEST(QPainterDeviceClip, NoStepsRemovesTheClip) {
    const QImage image = DrawOnImage(40, 40, [](Device& d) {
        d.SetClip(ClipOf({{emf::ClipMode::Intersect, RectPath(0, 0, 5, 5)}}));
        d.SetClip({});
        d.DrawPath(RectPath(0, 0, 40, 40), NullPen(), SolidBrush(kBlack), kCopyPen);
    });
    EXPECT_EQ(InkCount(image), 1600);
}

TEST(QPainterDeviceClip, EmptyIntersectionDrawsNothing) {
    const QImage image = FillAfterClip(ClipOf(
        {{emf::ClipMode::Intersect, RectPath(0, 0, 10, 10)}, {emf::ClipMode::Intersect, RectPath(20, 20, 30, 30)}}));
    EXPECT_EQ(InkCount(image), 0);
}

TEST(QPainterDeviceClip, ThePaintersOwnClipStaysAnOuterLimit) {
    QImage image = WhiteImage(40, 40);
    QPainter painter(&image);
    painter.setClipRect(QRect(0, 0, 20, 40));
    {
        render::QPainterDevice device(painter);
        device.SetClip(ClipOf({{emf::ClipMode::Intersect, RectPath(10, 0, 40, 40)}}));
        device.DrawPath(RectPath(0, 0, 40, 40), NullPen(), SolidBrush(kBlack), kCopyPen);
        device.SetClip({});
        device.DrawPath(RectPath(0, 30, 40, 40), NullPen(), SolidBrush(kBlack), kCopyPen);
    }
    // The device leaves the painter as it found it.
    EXPECT_EQ(painter.clipBoundingRect(), QRectF(0, 0, 20, 40));
    painter.end();
    EXPECT_EQ(InkBounds(image), QRect(0, 0, 20, 40));
    EXPECT_EQ(InkCount(image), 10 * 30 + 20 * 10);
}

TEST(QPainterDevice, DrawsInThePaintersCoordinates) {
    QImage image = WhiteImage(40, 40);
    QPainter painter(&image);
    painter.scale(2, 2);
    {
        render::QPainterDevice device(painter);
        device.DrawPath(RectPath(5, 5, 10, 10), NullPen(), SolidBrush(kBlack), kCopyPen);
    }
    painter.end();
    EXPECT_EQ(InkBounds(image), QRect(10, 10, 10, 10));
}

TEST(QPainterDevice, AbsurdCoordinatesAreSurvived) {
    const QImage image = DrawOnImage(20, 20, [](Device& d) {
        d.DrawPath(RectPath(-1e300, -1e300, 1e300, 1e300), NullPen(), SolidBrush(kBlack), kCopyPen);
        d.DrawPath(LinePath(0, std::nan(""), 20, 20), NullPen(), SolidBrush(kBlack), kCopyPen);
        d.DrawPath({}, NullPen(), SolidBrush(kBlack), kCopyPen);
    });
    EXPECT_TRUE(Near(image, 10, 10, Qt::black));
}

}  // namespace
}  // namespace qrp::test
