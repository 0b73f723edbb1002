// EMF+ pens a plain device stroke cannot draw (line caps, custom arrow and path caps,
// compound lines, inset pens), written by hand from the record layouts and rendered 1:1;
// and damaged pen data, which must leave the picture to its GDI fallback.
#include <limits>

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

constexpr std::uint32_t kRed = 0xFFFF0000;
constexpr std::uint16_t kDrawLines = 0x400D, kDrawRects = 0x400B, kFillRects = 0x400A, kColor = 0x8000;
constexpr std::uint32_t kStartCap = 0x02, kEndCap = 0x04, kAlignment = 0x0200, kCompound = 0x0400,
                        kCustomStart = 0x0800, kCustomEnd = 0x1000;

// A pen object: `flags` says which optional fields `optional` holds, in their order.
Bytes Pen(float width, std::uint32_t flags, const Bytes& optional) {
    return Bytes().U32(0).U32(flags).U32(0).F32(width).Raw(optional.Data()).U32(0xDBC01002).U32(0).U32(kRed);
}

// EmfPlusCustomLineCap of the adjustable arrow kind, with its size field in front.
Bytes ArrowCap(float width, float height, float middleInset, bool filled) {
    Bytes cap;
    cap.U32(0xDBC01002).U32(1).F32(width).F32(height).F32(middleInset).U32(filled);
    cap.U32(0).U32(0).U32(0).F32(10).F32(1).F32(0).F32(0).F32(0).F32(0);
    return Bytes().U32(static_cast<std::uint32_t>(cap.Size())).Raw(cap.Data());
}

// EmfPlusCustomLineCap with a fill path; `pathLength` overrides the path's size field.
Bytes PathCap(const std::vector<std::pair<float, float>>& points, std::uint32_t pathLength = 0) {
    Bytes path;
    path.U32(0xDBC01002).U32(static_cast<std::uint32_t>(points.size())).U32(0);
    for (auto [x, y] : points)
        path.F32(x).F32(y);
    for (std::size_t i = 0; i < points.size(); ++i)
        path.U8(i == 0 ? 0 : i + 1 == points.size() ? 0x81 : 1);
    path.Pad4();
    Bytes cap;
    cap.U32(0xDBC01002).U32(0).U32(1).U32(0).F32(0).U32(0).U32(0).U32(0).F32(10).F32(1).Zeros(16);
    cap.U32(pathLength ? pathLength : static_cast<std::uint32_t>(path.Size())).Raw(path.Data());
    return Bytes().U32(static_cast<std::uint32_t>(cap.Size())).Raw(cap.Data());
}

Bytes Line(float x0, float y0, float x1, float y1) {
    return Bytes().U32(2).F32(x0).F32(y0).F32(x1).F32(y1);
}

// A picture of just these EMF+ records, rendered.
QImage Render(const EmfPlusRecords& records) {
    EmfBuilder b;
    b.Plus(records);
    return Render(b);
}

bool Ink(const QImage& image, int x, int y) {
    return Near(image, x, y, Qt::red, 60);
}

bool Blank(const QImage& image, int x, int y) {
    return Near(image, x, y, Qt::white, 60);
}

TEST(EmfPlusPens, ArrowAndPathCapsSitAtTheEndsPointingOutwards) {
    // A 4 px pen: an arrow 3 widths wide and long ends the line at x = 60 (tip there, base at
    // 48); a square path cap 2 widths out of its start at x = 10; an arrow starts a vertical
    // line, pointing up from (80, 20).
    EmfPlusRecords r = Start();
    r.Object(0, 2,
             Pen(4, kCustomStart | kCustomEnd,
                 Bytes().Raw(PathCap({{-1, 0}, {1, 0}, {1, 2}, {-1, 2}}).Data()).Raw(ArrowCap(3, 3, 0, true).Data())));
    r.Add(kDrawLines, 0, Line(10, 50, 60, 50));
    r.Object(1, 2, Pen(4, kCustomStart, ArrowCap(3, 3, 0, true)));
    r.Add(kDrawLines, 1, Line(80, 20, 80, 80));
    const QImage image = Render(r);
    EXPECT_TRUE(Ink(image, 30, 50));
    EXPECT_TRUE(Blank(image, 30, 46));  // the line itself is 4 px
    EXPECT_TRUE(Ink(image, 50, 46));    // the arrow is wider near its base...
    EXPECT_TRUE(Blank(image, 57, 46));  // ...and narrows to the tip
    EXPECT_TRUE(Ink(image, 58, 50));
    EXPECT_TRUE(Blank(image, 59, 48));  // the line stops at the arrow's base
    EXPECT_TRUE(Blank(image, 62, 50));
    EXPECT_TRUE(Ink(image, 4, 47));  // the square before the start
    EXPECT_TRUE(Blank(image, 4, 44));
    EXPECT_TRUE(Ink(image, 76, 30));
    EXPECT_TRUE(Blank(image, 77, 22));
    EXPECT_TRUE(Blank(image, 80, 17));
}

TEST(EmfPlusPens, UnfilledArrowCapIsOutlinedWithThePen) {
    // A 4 px pen ending at (60, 50) in an open arrow 4 widths wide and long, notched by one:
    // its outline is drawn, its inside stays blank, and the line runs into the notch.
    const QImage image = Render(
        Start().Object(0, 2, Pen(4, kCustomEnd, ArrowCap(4, 4, 1, false))).Add(kDrawLines, 0, Line(10, 50, 60, 50)));
    EXPECT_TRUE(Ink(image, 56, 48));
    EXPECT_TRUE(Ink(image, 45, 43));
    EXPECT_TRUE(Ink(image, 40, 50));
    EXPECT_TRUE(Blank(image, 52, 50));
}

TEST(EmfPlusPens, AnchorCapsAreWiderThanThePen) {
    // 4 px pens: round anchor at the start, square anchor at the end; an arrow anchor and a
    // triangle on a second line.
    EmfPlusRecords r = Start();
    r.Object(0, 2, Pen(4, kStartCap | kEndCap, Bytes().I32(0x12).I32(0x11)));
    r.Add(kDrawLines, 0, Line(20, 50, 80, 50));
    r.Object(1, 2, Pen(4, kStartCap | kEndCap, Bytes().I32(0x03).I32(0x14)));
    r.Add(kDrawLines, 1, Line(20, 20, 80, 20));
    const QImage image = Render(r);
    EXPECT_TRUE(Blank(image, 50, 47));
    EXPECT_TRUE(Ink(image, 20, 47));  // round anchor, 8 px across
    EXPECT_TRUE(Blank(image, 15, 50));
    EXPECT_TRUE(Ink(image, 83, 47));  // square anchor: a corner
    EXPECT_TRUE(Blank(image, 85, 50));
    EXPECT_TRUE(Ink(image, 74, 17));  // the arrow anchor's tip is the line's end...
    EXPECT_TRUE(Blank(image, 81, 20));
    EXPECT_TRUE(Blank(image, 79, 18));  // ...and the line stops short of its narrow part
    EXPECT_TRUE(Ink(image, 19, 20));    // the triangle: half a width out, narrowing
    EXPECT_TRUE(Blank(image, 19, 17));
    EXPECT_TRUE(Blank(image, 16, 20));
}

TEST(EmfPlusPens, CompoundLineLeavesItsGapsUnpainted) {
    // A 12 px pen of two stripes, each a quarter of the width, across a line and a rectangle.
    EmfPlusRecords r = Start();
    r.Object(0, 2, Pen(12, kCompound, Bytes().U32(4).F32(0).F32(0.25f).F32(0.75f).F32(1)));
    r.Add(kDrawLines, 0, Line(10, 20, 90, 20));
    r.Add(kDrawRects, 0, Bytes().U32(1).F32(30).F32(50).F32(40).F32(40));
    const QImage image = Render(r);
    EXPECT_TRUE(Ink(image, 50, 15));
    EXPECT_TRUE(Ink(image, 50, 24));
    EXPECT_TRUE(Blank(image, 50, 20));
    EXPECT_TRUE(Blank(image, 50, 13));
    EXPECT_TRUE(Ink(image, 25, 70));  // the rectangle's left side: stripes at 24..27 and 33..36
    EXPECT_TRUE(Ink(image, 34, 70));
    EXPECT_TRUE(Blank(image, 30, 70));
    EXPECT_TRUE(Blank(image, 50, 70));
}

TEST(EmfPlusPens, DashPatternWithoutLineStyleStillDashes) {
    // 4 px pen, dashes of 2 widths on and 2 off from x = 10: ink 10..18, a gap 18..26.
    EmfPlusRecords r = Start();
    r.Object(0, 2, Pen(4, 0x0100 | kCompound, Bytes().U32(2).F32(2).F32(2).U32(2).F32(0).F32(1)));
    r.Add(kDrawLines, 0, Line(10, 50, 90, 50));
    const QImage image = Render(r);
    EXPECT_TRUE(Ink(image, 14, 50));
    EXPECT_TRUE(Blank(image, 22, 50));
    EXPECT_TRUE(Ink(image, 30, 50));
}

TEST(EmfPlusPens, HatchedPenPaintsItsPatternInsideTheStroke) {
    // A 20 px pen of a horizontal hatch, red on blue, along y = 50: both colours within
    // 40..60, nothing outside.
    Bytes pen = Bytes().U32(0).U32(0).U32(0).F32(20).U32(0xDBC01002).U32(1).U32(0).U32(kRed).U32(0xFF0000FF);
    const QImage image = Render(Start().Object(0, 2, pen).Add(kDrawLines, 0, Line(10, 50, 90, 50)));
    int red = 0, blue = 0;
    for (int y = 41; y < 59; ++y) {
        red += Near(image, 50, y, Qt::red, 60);
        blue += Near(image, 50, y, Qt::blue, 60);
    }
    EXPECT_GT(red, 0);
    EXPECT_GT(blue, 8);
    EXPECT_TRUE(Blank(image, 50, 37));
    EXPECT_TRUE(Blank(image, 50, 62));
}

TEST(EmfPlusPens, InsetPenStaysInsideTheShape) {
    // A 10 px inset pen around (30, 30)-(70, 70): ink from 30 to 40 inward, none outside;
    // the clip it needs is gone afterwards.
    EmfPlusRecords r = Start();
    r.Object(0, 2, Pen(10, kAlignment, Bytes().I32(1)));
    r.Add(kDrawRects, 0, Bytes().U32(1).F32(30).F32(30).F32(40).F32(40));
    r.Add(kFillRects, kColor, Bytes().U32(kRed).U32(1).F32(0).F32(0).F32(10).F32(10));
    const QImage image = Render(r);
    EXPECT_TRUE(Ink(image, 31, 50));
    EXPECT_TRUE(Ink(image, 38, 50));
    EXPECT_TRUE(Blank(image, 28, 50));
    EXPECT_TRUE(Blank(image, 50, 27));
    EXPECT_TRUE(Blank(image, 45, 50));
    EXPECT_TRUE(Ink(image, 5, 5));
}

TEST(EmfPlusPens, DamagedPenDataPlaysTheFallback) {
    const std::vector<std::pair<std::uint32_t, Bytes>> pens = {
        {kCompound, Bytes().U32(0xFFFFFFFF)},                                 // count far beyond the record
        {kCompound, Bytes().U32(3).F32(0).F32(0.5f).F32(1)},                  // an odd number of edges
        {kCompound, Bytes().U32(2).F32(0.8f).F32(0.2f)},                      // edges not ascending
        {kCustomEnd, Bytes().U32(4000).Raw(ArrowCap(3, 3, 0, true).Data())},  // cap size too large
        {kCustomEnd, Bytes().U32(8).U32(0xDBC01002).U32(7)},                  // unknown cap type
        {kCustomEnd, PathCap({{0, 0}, {1, 1}}, 0x7FFFFFF0)},                  // path beyond its cap
        {kCustomEnd, ArrowCap(std::numeric_limits<float>::quiet_NaN(), 3, 0, true)},
        {kStartCap, Bytes().I32(0x15)},  // no such cap
        {kAlignment, Bytes().I32(2)},    // left alignment is not drawn
    };
    for (std::size_t i = 0; i < pens.size(); ++i) {
        EmfBuilder b;
        b.Plus(Start().Object(0, 2, Pen(4, pens[i].first, pens[i].second)).Add(kDrawLines, 0, Line(10, 10, 90, 10)));
        b.Add(kEmrCreateBrushIndirect, {1, 0, 0xFF0000, 0})
            .Add(kEmrSelectObject, {1})
            .Add(kEmrRectangle, {20, 20, 80, 80});
        const QImage image = Render(b);
        EXPECT_TRUE(Near(image, 50, 50, Qt::blue)) << i;
        EXPECT_TRUE(Blank(image, 50, 10)) << i;
    }
}

TEST(EmfPlusPens, FontSizesInPixelsFollowThePageScale) {
    // Pixel page units at half scale: a 40 pixel font draws 20 pixels high, like its
    // world-unit twin beside it.
    const auto font = [](std::uint32_t unit) {
        return Bytes().F32(40).U32(unit).I32(0).U32(0).U32(10).Utf16(u"DejaVu Sans");
    };
    const auto text = [](float x) {
        return Bytes().U32(0xFF000000).U32(0xFFFFFFFF).U32(2).F32(x).F32(20).F32(0).F32(0).Utf16(u"HH");
    };
    EmfPlusRecords r = Start();
    r.Add(0x4030, 2, Bytes().F32(0.5f));
    r.Object(0, 6, font(2)).Add(0x401C, kColor | 0, text(10));
    r.Object(1, 6, font(0)).Add(0x401C, kColor | 1, text(110));
    const QImage image = Render(r);
    const QRect pixels = InkBounds(image.copy(0, 0, 50, 96)), world = InkBounds(image.copy(50, 0, 50, 96));
    EXPECT_GT(pixels.height(), 10);
    EXPECT_LT(pixels.height(), 20);
    EXPECT_NEAR(pixels.height(), world.height(), 1);
}

}  // namespace
}  // namespace qrp::test
