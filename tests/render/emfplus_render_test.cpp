// Pictures with EMF+ records, written by hand from the record layouts and rendered: what
// the EMF+ records draw replaces the GDI fallback, except inside GetDC sections and when
// the EMF+ part cannot be drawn whole.
#include <QImage>

#include <gtest/gtest.h>

#include "emf/emf_format.h"
#include "emfplus_pictures.h"
#include "image_checks.h"
#include "render/page_renderer.h"
#include "support/emf_builder.h"

namespace qrp::test {
namespace {

using namespace qrp::emf;

constexpr std::uint32_t kHalfRed = 0x80FF0000, kRed = 0xFFFF0000, kBlue = 0xFF0000FF, kGreen = 0xFF00FF00;
constexpr std::uint16_t kFillRects = 0x400A, kColor = 0x8000;

// The GDI fallback: a blue square over the middle.
EmfBuilder& BlueFallback(EmfBuilder& b) {
    return b.Add(kEmrCreateBrushIndirect, {1, 0, 0xFF0000, 0})
        .Add(kEmrSelectObject, {1})
        .Add(kEmrRectangle, {20, 20, 80, 80});
}

Bytes FillRect(float x, float y, float w, float h, std::uint32_t argb) {
    return Bytes().U32(argb).U32(1).F32(x).F32(y).F32(w).F32(h);
}

Bytes SolidBrush(std::uint32_t argb) {
    return Bytes().U32(0).U32(argb);
}

Bytes Pen(float width, std::uint32_t argb) {
    return Bytes().U32(0).U32(0).U32(0).F32(width).U32(0xDBC01002).Raw(SolidBrush(argb).Data());
}

// A path object of float points with the given point types.
Bytes PathObject(const std::vector<std::pair<float, float>>& points, const std::vector<std::uint8_t>& types) {
    Bytes b;
    b.U32(static_cast<std::uint32_t>(points.size())).U32(0);
    for (auto [x, y] : points)
        b.F32(x).F32(y);
    for (std::uint8_t t : types)
        b.U8(t);
    return b.Pad4();
}

TEST(EmfPlusRender, TranslucentEmfPlusReplacesTheOpaqueFallback) {
    EmfBuilder b;
    b.Plus(Start().Add(kFillRects, kColor, FillRect(20, 20, 60, 60, kHalfRed)));
    BlueFallback(b);
    const std::vector<std::uint8_t> emf = b.Finish();
    const QImage image = render::RenderToImage(emf, render::RasterSize{100, 96});
    EXPECT_TRUE(Near(image, 50, 50, QColor(255, 127, 127)));
    EXPECT_TRUE(Near(image, 10, 10, Qt::white));
    // --gdi plays the fallback on purpose.
    const QImage gdi = render::RenderToImage(emf, render::RasterSize{100, 96}, PlayOptions{.gdiOnly = true});
    EXPECT_TRUE(Near(gdi, 50, 50, Qt::blue));
}

TEST(EmfPlusRender, AnythingNotDrawnOrDamagedPlaysTheWholeFallback) {
    // After a first fill that could be drawn: a fill with a path gradient brush tiled beyond
    // its boundary (not drawn here), an unknown record, a record whose size runs past its comment.
    const Bytes pathGradient = Bytes().U32(3).Zeros(64);
    std::vector<EmfPlusRecords> later(2);
    later[0].Object(2, 1, pathGradient).Add(kFillRects, 0, Bytes().U32(2).U32(1).F32(0).F32(0).F32(10).F32(10));
    later[1].Add(0x4077, 0);
    for (std::size_t i = 0; i < 3; ++i) {
        EmfBuilder b;
        b.Plus(Start().Add(kFillRects, kColor, FillRect(0, 0, 10, 10, kRed)));
        BlueFallback(b);
        if (i < later.size())
            b.Plus(later[i]);
        else
            b.Add(kEmrComment, Bytes().U32(16).U32(0x2B464D45).U16(kFillRects).U16(kColor).U32(4096).U32(20));
        const QImage image = Render(b);
        EXPECT_TRUE(Near(image, 50, 50, Qt::blue)) << i;
        EXPECT_TRUE(Near(image, 5, 5, Qt::white)) << i;
    }
}

TEST(EmfPlusRender, GdiRecordsDrawOnlyInsideGetDcSections) {
    EmfBuilder b;
    b.Plus(Start().Add(kFillRects, kColor, FillRect(0, 0, 30, 30, kRed)).Add(0x4004, 0));
    b.Add(kEmrCreateBrushIndirect, {1, 0, 0x00FF00, 0}).Add(kEmrSelectObject, {1}).Add(kEmrRectangle, {40, 0, 70, 30});
    b.Plus(EmfPlusRecords().Add(0x401E, 0));  // any EMF+ record ends the section
    b.Add(kEmrRectangle, {0, 60, 30, 90});
    b.Plus(EmfPlusRecords().Add(kFillRects, kColor, FillRect(60, 60, 30, 30, kBlue)));
    const QImage image = Render(b);
    EXPECT_TRUE(Near(image, 15, 15, Qt::red));
    EXPECT_TRUE(Near(image, 55, 15, Qt::green));
    EXPECT_TRUE(Near(image, 15, 75, Qt::white));
    EXPECT_TRUE(Near(image, 75, 75, Qt::blue));
}

TEST(EmfPlusRender, WorldTransformRotatesAndPageUnitScales) {
    // A bar 60 long and 6 thick, turned 45 degrees about the centre.
    EmfBuilder b;
    const float c = 0.70710678f;
    b.Plus(Start()
               .Add(0x402A, 0, Bytes().F32(c).F32(c).F32(-c).F32(c).F32(50).F32(50))
               .Add(kFillRects, kColor, FillRect(-30, -3, 60, 6, kRed))
               // Then millimetres at 100 dpi: a 5 mm square at (80, 0) mm... is 19.7 pixels a side.
               .Add(0x402B, 0)
               .Add(0x4030, 6, Bytes().F32(1))
               .Add(kFillRects, kColor, FillRect(0, 20, 5, 5, kBlue)));
    BlueFallback(b);
    const QImage image = Render(b);
    EXPECT_TRUE(Near(image, 65, 65, Qt::red));
    EXPECT_TRUE(Near(image, 35, 35, Qt::red));
    EXPECT_TRUE(Near(image, 65, 50, Qt::white));
    EXPECT_TRUE(Near(image, 17, 95, Qt::blue));
    EXPECT_TRUE(Near(image, 22, 95, Qt::white));
}

TEST(EmfPlusRender, PenWidthDashesAndPaths) {
    EmfBuilder b;
    EmfPlusRecords r = Start();
    r.Object(0, 2, Pen(12, kRed));
    // DrawLines from (10, 30) to (90, 30) with the 12 px pen.
    r.Add(0x400D, 0, Bytes().U32(2).F32(10).F32(30).F32(90).F32(30));
    // A closed triangle path, filled green.
    r.Object(1, 3, PathObject({{10, 60}, {50, 95}, {90, 60}}, {0, 1, 0x81}));
    r.Add(0x4014, kColor | 1, Bytes().U32(kGreen));
    b.Plus(r);
    BlueFallback(b);
    const QImage image = Render(b);
    EXPECT_TRUE(Near(image, 50, 25, Qt::red));
    EXPECT_TRUE(Near(image, 50, 35, Qt::red));
    EXPECT_TRUE(Near(image, 50, 20, Qt::white));
    EXPECT_TRUE(Near(image, 50, 70, Qt::green));
    EXPECT_TRUE(Near(image, 15, 90, Qt::white));
}

TEST(EmfPlusRender, ClipsCombine) {
    // Clip to the left half, take a square out of it (exclude), fill everything red.
    EmfBuilder b;
    b.Plus(Start()
               .Add(0x4032, 0x0000, Bytes().F32(0).F32(0).F32(50).F32(100))
               .Add(0x4032, 0x0400, Bytes().F32(10).F32(10).F32(20).F32(20))
               .Add(kFillRects, kColor, FillRect(0, 0, 100, 100, kRed))
               .Add(0x4031, 0)
               .Add(kFillRects, kColor, FillRect(90, 90, 10, 10, kBlue)));
    const QImage image = Render(b);
    EXPECT_TRUE(Near(image, 40, 50, Qt::red));
    EXPECT_TRUE(Near(image, 20, 20, Qt::white));
    EXPECT_TRUE(Near(image, 70, 50, Qt::white));
    EXPECT_TRUE(Near(image, 95, 95, Qt::blue));
}

TEST(EmfPlusRender, LinearGradientRunsAcrossItsRectangle) {
    EmfBuilder b;
    const Bytes gradient =
        Bytes().U32(4).U32(0).I32(0).F32(0).F32(0).F32(100).F32(10).U32(kRed).U32(kBlue).U32(0).U32(0);
    b.Plus(Start().Object(3, 1, gradient).Add(kFillRects, 0, Bytes().U32(3).U32(1).F32(0).F32(0).F32(100).F32(100)));
    const QImage image = Render(b);
    const QColor left = image.pixelColor(2, 50), right = image.pixelColor(97, 50), middle = image.pixelColor(50, 80);
    EXPECT_GT(left.red(), 240);
    EXPECT_LT(left.blue(), 20);
    EXPECT_GT(right.blue(), 240);
    EXPECT_LT(right.red(), 20);
    EXPECT_NEAR(middle.red(), 128, 20);
    EXPECT_NEAR(middle.blue(), 128, 20);
}

TEST(EmfPlusRender, BitmapImageIsDrawnIntoItsRectangle) {
    // 2 x 2 pixels, 32-bit ARGB, top row red and green, bottom row blue and half-transparent red.
    EmfBuilder b;
    Bytes image;
    image.U32(1).I32(2).I32(2).I32(8).U32(0x0026200A).U32(0);
    image.U32(kRed).U32(kGreen).U32(kBlue).U32(kHalfRed);
    b.Plus(Start()
               .Object(4, 5, image)
               .Add(0x401A, 4,
                    Bytes().U32(0xFFFFFFFF).U32(2).F32(0).F32(0).F32(2).F32(2).F32(20).F32(20).F32(60).F32(60)));
    const QImage out = Render(b);
    EXPECT_TRUE(Near(out, 30, 30, Qt::red));
    EXPECT_TRUE(Near(out, 70, 30, Qt::green));
    EXPECT_TRUE(Near(out, 30, 70, Qt::blue));
    EXPECT_TRUE(Near(out, 70, 70, QColor(255, 127, 127), 12));
    EXPECT_TRUE(Near(out, 10, 10, Qt::white));
}

// 16-bit forms, each a 2 x 1 bitmap: the channels come from where each form keeps them.
TEST(EmfPlusRender, SixteenBitBitmapsKeepTheirColours) {
    struct Form {
        std::uint32_t format;
        std::uint16_t left, right;
        QColor leftColour, rightColour;
    };
    const Form forms[] = {
        {0x00021005, 0x7C00, 0x001F, Qt::red, Qt::blue},     // RGB 555
        {0x00021006, 0xF800, 0x07E0, Qt::red, Qt::green},    // RGB 565
        {0x00061007, 0x83E0, 0x7C00, Qt::green, Qt::white},  // ARGB 1555: the right one transparent
        {0x00101004, 0x0000, 0xFFFF, Qt::black, Qt::white},  // 16-bit grey levels
    };
    for (const Form& form : forms) {
        SCOPED_TRACE(form.format);
        EmfBuilder b;
        Bytes image;
        image.U32(1).I32(2).I32(1).I32(4).U32(form.format).U32(0).U32(form.left | (form.right << 16));
        b.Plus(Start()
                   .Object(4, 5, image)
                   .Add(0x401A, 4,
                        Bytes().U32(0xFFFFFFFF).U32(2).F32(0).F32(0).F32(2).F32(1).F32(20).F32(20).F32(60).F32(60)));
        const QImage out = Render(b);
        EXPECT_TRUE(Near(out, 30, 50, form.leftColour));
        EXPECT_TRUE(Near(out, 70, 50, form.rightColour));
    }
}

// GDI+'s own hatch styles tile an 8 x 8 pattern one pixel per device pixel: dark
// horizontal is two rows of the foreground, two of the background. A style past the last
// plays the fallback.
TEST(EmfPlusRender, GdiPlusHatchStylesTileTheirPattern) {
    const auto hatched = [](std::uint32_t style) {
        EmfBuilder b;
        b.Plus(Start()
                   .Object(3, 1, Bytes().U32(1).U32(style).U32(kRed).U32(kBlue))
                   .Add(kFillRects, 0, Bytes().U32(3).U32(1).F32(20).F32(20).F32(60).F32(60)));
        BlueFallback(b);
        return Render(b);
    };
    const QImage dark = hatched(29);
    int red = 0, blue = 0;
    for (int y = 24; y < 76; ++y) {
        red += Near(dark, 50, y, Qt::red, 40);
        blue += Near(dark, 50, y, Qt::blue, 40);
        EXPECT_EQ(dark.pixel(50, y), dark.pixel(50, y + 4)) << y;  // a period of four rows,
        EXPECT_NE(dark.pixel(50, y), dark.pixel(50, y + 2)) << y;  // two of each
        EXPECT_EQ(dark.pixel(50, y), dark.pixel(53, y)) << y;      // the same along each row
    }
    EXPECT_NEAR(red, 26, 2);
    EXPECT_NEAR(blue, 26, 2);
    EXPECT_TRUE(Near(dark, 10, 10, Qt::white));
    // 50 %: every other pixel, as a checker board.
    const QImage half = hatched(12);
    EXPECT_NE(half.pixel(40, 40), half.pixel(41, 40));
    EXPECT_EQ(half.pixel(40, 40), half.pixel(41, 41));
    const QImage unknown = hatched(53);
    EXPECT_TRUE(Near(unknown, 50, 50, Qt::blue));
    EXPECT_TRUE(Near(unknown, 51, 50, Qt::blue));
}

}  // namespace
}  // namespace qrp::test
