// EMF+ path gradient fills, DrawString line breaking and complement clips, written by hand
// from the record layouts and rendered through the QPainter device.
#include <cmath>

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

constexpr std::uint32_t kRed = 0xFFFF0000, kBlue = 0xFF0000FF, kBlack = 0xFF000000;
constexpr std::uint16_t kFillRects = 0x400A, kDrawString = 0x401C, kSetClipRect = 0x4032, kSetAntiAliasMode = 0x401E,
                        kColor = 0x8000;

// The GDI fallback: a green square over the middle.
EmfBuilder& GreenFallback(EmfBuilder& b) {
    return b.Add(kEmrCreateBrushIndirect, {1, 0, 0x00FF00, 0})
        .Add(kEmrSelectObject, {1})
        .Add(kEmrRectangle, {20, 20, 80, 80});
}

Bytes FillWithBrush(std::uint32_t id, float x, float y, float w, float h) {
    return Bytes().U32(id).U32(1).F32(x).F32(y).F32(w).F32(h);
}

// A path gradient brush, red at (50, 50), blue on the boundary, which is given as points.
Bytes PointGradient(const std::vector<std::pair<float, float>>& boundary, std::uint32_t flags = 0,
                    std::int32_t wrap = 4) {
    Bytes b;
    b.U32(3).U32(flags).I32(wrap).U32(kRed).F32(50).F32(50).U32(1).U32(kBlue);
    b.U32(static_cast<std::uint32_t>(boundary.size()));
    for (auto [x, y] : boundary)
        b.F32(x).F32(y);
    return b;
}

const std::vector<std::pair<float, float>> kSquare = {{10, 10}, {90, 10}, {90, 90}, {10, 90}};

std::vector<std::pair<float, float>> Circle(int points) {
    std::vector<std::pair<float, float>> circle;
    for (int i = 0; i < points; ++i)
        circle.emplace_back(50 + 40 * std::cos(i * 2 * M_PI / points), 50 + 40 * std::sin(i * 2 * M_PI / points));
    return circle;
}

TEST(EmfPlusFills, PathGradientRunsFromTheBoundaryToTheCentre) {
    EmfBuilder b;
    b.Plus(Start()
               .Add(kSetAntiAliasMode, 0x0009)  // smoothed, where seams between bands would show
               .Object(2, 1, PointGradient(kSquare))
               .Add(kFillRects, 0, FillWithBrush(2, 0, 0, 100, 100)));
    GreenFallback(b);
    const std::vector<std::uint8_t> emf = b.Finish();
    const QImage image = render::RenderToImage(emf, render::RasterSize{100, 96});
    EXPECT_TRUE(Near(image, 50, 48, Qt::red, 12));
    EXPECT_TRUE(Near(image, 12, 48, Qt::blue, 24));
    EXPECT_TRUE(Near(image, 88, 30, Qt::blue, 24));
    // Half way out: half of each.
    const QColor half = image.pixelColor(70, 48);
    EXPECT_NEAR(half.red(), 128, 20);
    EXPECT_NEAR(half.blue(), 128, 20);
    // No seams between the bands (a pixel wide or more at 4:1), where the page would show through.
    const QImage large = render::RenderToImage(emf, render::RasterSize{400, 384});
    for (int x = 48; x < 352; ++x)
        EXPECT_LT(large.pixelColor(x, 124).green(), 8) << x;
    // Outside the boundary the fill leaves the page alone.
    EXPECT_TRUE(Near(image, 5, 5, Qt::white));
    EXPECT_TRUE(Near(image, 95, 50, Qt::white));

    // The boundary as a path object, a focus of half the size in the centre colour, and preset
    // colours: black on the boundary, blue at 0.5, red at the focus. The fill covers only the
    // left half of the boundary.
    Bytes path = Bytes().U32(0xDBC01002).U32(4).U32(0);
    for (auto [x, y] : kSquare)
        path.F32(x).F32(y);
    path.U8(0).U8(1).U8(1).U8(0x81);
    Bytes focused;
    focused.U32(3).U32(0x01 | 0x04 | 0x40).I32(4).U32(kRed).F32(50).F32(50).U32(1).U32(kBlue);
    focused.U32(static_cast<std::uint32_t>(path.Size())).Raw(path.Data());
    focused.U32(3).F32(0).F32(0.5f).F32(1).U32(kBlack).U32(kBlue).U32(kRed);
    focused.U32(2).F32(0.5f).F32(0.5f);
    EmfBuilder f;
    f.Plus(Start().Object(3, 1, focused).Add(kFillRects, 0, FillWithBrush(3, 0, 0, 50, 100)));
    GreenFallback(f);
    const QImage withFocus = Render(f);
    EXPECT_TRUE(Near(withFocus, 35, 48, Qt::red, 12));    // inside the focus
    EXPECT_TRUE(Near(withFocus, 20, 48, Qt::blue, 40));   // half way from boundary to focus
    EXPECT_TRUE(Near(withFocus, 11, 48, Qt::black, 40));  // at the boundary
    EXPECT_TRUE(Near(withFocus, 60, 48, Qt::white));      // outside the filled shape

    // Translucent colours: every point of the page gets one band's colour, never several.
    Bytes translucent;
    translucent.U32(3).U32(0).I32(4).U32(0x80FF0000).F32(50).F32(50).U32(1).U32(0x800000FF).U32(4);
    for (auto [x, y] : kSquare)
        translucent.F32(x).F32(y);
    EmfBuilder t;
    t.Plus(Start().Object(2, 1, translucent).Add(kFillRects, 0, FillWithBrush(2, 0, 0, 100, 100)));
    const QImage light = Render(t);
    EXPECT_TRUE(Near(light, 50, 48, QColor(255, 127, 127), 12));
    EXPECT_TRUE(Near(light, 30, 48, QColor(191, 127, 191), 16));
}

TEST(EmfPlusFills, HostileGradientsPlayTheFallback) {
    std::vector<Bytes> gradients;
    // Surrounding colours, then boundary points, counted past the record.
    gradients.push_back(Bytes().U32(3).U32(0).I32(4).U32(kRed).F32(50).F32(50).U32(0xFFFFFFFF).U32(kBlue));
    gradients.push_back(Bytes().U32(3).U32(0).I32(4).U32(kRed).F32(50).F32(50).U32(1).U32(kBlue).U32(0x7FFFFFFF));
    // No area: all boundary points on one line; a tiled gradient; a boundary path of more
    // points than a gradient may have.
    gradients.push_back(PointGradient({{10, 10}, {50, 50}, {90, 90}}));
    gradients.push_back(PointGradient(kSquare, 0, 0));
    gradients.push_back(PointGradient(Circle(5000)));
    // A colour of its own for each boundary point is not drawn here.
    Bytes perPoint = Bytes().U32(3).U32(0).I32(4).U32(kRed).F32(50).F32(50).U32(4);
    perPoint.U32(kBlue).U32(kRed).U32(kBlue).U32(kBlue).U32(4);
    for (auto [x, y] : kSquare)
        perPoint.F32(x).F32(y);
    gradients.push_back(perPoint);
    for (std::size_t i = 0; i < gradients.size(); ++i) {
        EmfBuilder b;
        b.Plus(Start().Object(2, 1, gradients[i]).Add(kFillRects, 0, FillWithBrush(2, 0, 0, 100, 100)));
        GreenFallback(b);
        EXPECT_TRUE(Near(Render(b), 50, 50, Qt::green)) << i;
    }
    // Cheap to define, dear to draw: a boundary of 4000 points filled again and again asks
    // for more bands than a picture may have, so the whole picture plays its fallback.
    EmfPlusRecords many = Start();
    many.Object(2, 1, PointGradient(Circle(4000)));
    for (int i = 0; i < 40; ++i)
        many.Add(kFillRects, 0, FillWithBrush(2, 0, 0, 100, 100));
    EmfBuilder b;
    b.Plus(many);
    GreenFallback(b);
    EXPECT_TRUE(Near(Render(b), 50, 50, Qt::green));
}

// The gradient work of pictures nested in a picture counts against one budget: a nested
// picture of one dear gradient fill draws once, but drawn again and again it cannot run
// past what the outer picture could have done itself.
TEST(EmfPlusFills, NestedGradientsShareThePicturesBudget) {
    EmfPlusRecords inner = Start();
    inner.Object(2, 1, PointGradient(Circle(4000))).Add(kFillRects, 0, FillWithBrush(2, 0, 0, 100, 100));
    EmfBuilder nested;
    nested.Plus(inner);
    const std::vector<std::uint8_t> picture = nested.Finish();
    const auto drawnTimes = [&](int times) {
        EmfPlusRecords r = Start();
        r.Object(0, 5,
                 Bytes().U32(2).U32(4).U32(static_cast<std::uint32_t>(picture.size())).Raw(picture));  // EMF+ only
        for (int i = 0; i < times; ++i)
            r.Add(0x401A, 0,
                  Bytes().U32(0xFFFFFFFF).U32(2).F32(0).F32(0).F32(100).F32(100).F32(0).F32(0).F32(100).F32(100));
        EmfBuilder b;
        b.Plus(r);
        GreenFallback(b);
        return Render(b);
    };
    EXPECT_TRUE(Near(drawnTimes(1), 50, 50, Qt::red, 60));
    EXPECT_TRUE(Near(drawnTimes(10), 50, 50, Qt::green));
}

// Along the middle row: red from x = left to right, white elsewhere.
void ExpectRedBetween(const QImage& image, int left, int right) {
    for (int x = 2; x < 100; x += 4) {
        if (std::abs(x - left) > 2 && std::abs(x - right) > 2) {
            EXPECT_TRUE(Near(image, x, 50, x > left && x < right ? QColor(Qt::red) : QColor(Qt::white))) << x;
        }
    }
}

TEST(EmfPlusFills, ComplementClipKeepsTheNewAreaLessTheOld) {
    EmfBuilder b;
    b.Plus(Start()
               .Add(kSetClipRect, 0x0000, Bytes().F32(0).F32(0).F32(50).F32(100))
               .Add(kSetClipRect, 0x0500, Bytes().F32(25).F32(0).F32(50).F32(100))
               .Add(kFillRects, kColor, Bytes().U32(kRed).U32(1).F32(0).F32(0).F32(100).F32(100)));
    GreenFallback(b);
    // Red only in (50, 0)-(75, 100): what both had is taken out, what only the old one had too.
    ExpectRedBetween(Render(b), 50, 75);

    // A region that is one rectangle's complement of another: (40, 0)-(80, 100) less the left half.
    const auto rect = [](float x, float w) { return Bytes().U32(0x10000000).F32(x).F32(0).F32(w).F32(100); };
    Bytes region = Bytes().U32(3).U32(5).Raw(rect(0, 50).Data()).Raw(rect(40, 40).Data());
    EmfBuilder r;
    r.Plus(Start().Object(6, 4, region).Add(0x4013, kColor | 6, Bytes().U32(kRed)));
    GreenFallback(r);
    ExpectRedBetween(Render(r), 50, 80);
}

// DrawString of `text` in a 12 pixel font into (10, 10)-(50, 90), with string format
// flags and horizontal alignment.
// `margin`: the format's leading and trailing margins, in ems.
QImage DrawString(const std::u16string& text, std::uint32_t formatFlags, std::uint32_t align, float margin = 0) {
    EmfPlusRecords r = Start();
    r.Object(1, 6, Bytes().F32(12).U32(2).U32(0).U32(0).U32(5).Utf16(u"Arial"));
    r.Object(4, 7, Bytes().U32(formatFlags).U32(0).U32(align).U32(0).Zeros(16).F32(margin).F32(margin).Zeros(16));
    r.Add(kDrawString, kColor | 1,
          Bytes()
              .U32(kBlack)
              .U32(4)
              .U32(static_cast<std::uint32_t>(text.size()))
              .F32(10)
              .F32(10)
              .F32(40)
              .F32(80)
              .Utf16(text)
              .Pad4());
    EmfBuilder b;
    b.Plus(r);
    return Render(b);
}

TEST(EmfPlusText, DrawStringWrapsWordsInsideItsRectangle) {
    const QRect wrapped = InkBounds(DrawString(u"Mum Mum", 0, 0));
    EXPECT_GE(wrapped.left(), 10);
    EXPECT_LE(wrapped.right(), 50);
    EXPECT_GT(wrapped.height(), 18);  // two lines
    EXPECT_LT(wrapped.height(), 30);  // not three
    // Centred: both lines about the middle of the rectangle.
    const QRect centred = InkBounds(DrawString(u"Mum Mum", 0, 1));
    EXPECT_NEAR(centred.center().x(), 30, 2);
    EXPECT_EQ(centred.height(), wrapped.height());
    // NoWrap (and NoClip): one line, running past the rectangle.
    const QRect one = InkBounds(DrawString(u"Mum Mum", 0x1000 | 0x4000, 0));
    EXPECT_LT(one.height(), 14);
    EXPECT_GT(one.right(), 50);
    // A word wider than the rectangle is broken between characters.
    const QRect broken = InkBounds(DrawString(u"WWWWWWWW", 0, 0));
    EXPECT_LE(broken.right(), 50);
    EXPECT_GT(broken.height(), 18);
}

// The format's margins keep that much of an em free at the line's ends: none in a
// typographic format, so its text starts at the rectangle's edge.
TEST(EmfPlusText, DrawStringKeepsTheFormatsMargins) {
    const int none = InkBounds(DrawString(u"I", 0, 0)).left();
    EXPECT_NEAR(InkBounds(DrawString(u"I", 0, 0, 0.5f)).left() - none, 6, 1.5);
    // Far: kept from the right edge.
    EXPECT_NEAR(InkBounds(DrawString(u"I", 0, 2)).left() - InkBounds(DrawString(u"I", 0, 2, 0.5f)).left(), 6, 1.5);
}

}  // namespace
}  // namespace qrp::test
