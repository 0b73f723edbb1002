// Text runs to export items: anchors, the top of the line from baseline and bottom
// alignment, font sizes from character and cell heights, the three text records, and the
// guards against hostile pages.
#include "export/page_text_device.h"

#include <cmath>
#include <limits>

#include <gtest/gtest.h>

#include "base/errors.h"
#include "emf/emf_format.h"
#include "emf/player.h"
#include "export/text_encoding.h"
#include "support/emf_builder.h"

namespace qrp::exporter {
namespace {

using namespace qrp::emf;
using test::Bytes;
using test::EmfBuilder;

// The builder's page: 100 x 100 pixels at 100 per inch, so a pixel is 2.54 tenths of a mm.
constexpr long double kScale = 100.0L / 254;
constexpr long double kTenthsPerPixel = 2.54L;

std::vector<PageTextItem> Items(const std::vector<std::uint8_t>& emf, PageGeometry geometry = {kScale, 1e6L, 1e6L},
                                std::uint64_t maxItems = 100) {
    TextEncoder encoder("UTF-8");
    std::vector<PageTextItem> items;
    PageTextDevice device(geometry, encoder, 1, maxItems, [&](const PageTextItem& item) { items.push_back(item); });
    Player(emf).Play(device, {0, 0, 100, 100});
    EXPECT_EQ(device.Items(), items.size());
    return items;
}

TEST(PageTextDevice, TheAnchorIsTheReferencePointWhateverTheAlignment) {
    EmfBuilder b;
    b.Font(1, -20, u"Arial").Add(kEmrSelectObject, {1});
    for (std::int32_t align : {kTaLeft, kTaRight, kTaCenter, kTaRight | kTaRtlReading}) {
        b.Add(kEmrSetTextAlign, {align}).TextW(40, 10, u"abc", {4, 5, 6});
        b.TextW(40, 10, u"no dx", {});
    }
    const auto items = Items(b.Finish());
    ASSERT_EQ(items.size(), 8u);
    const TAlignment expected[] = {taLeftJustify, taRightJustify, taCenter, taRightJustify};
    for (std::size_t i = 0; i < items.size(); ++i) {
        EXPECT_NEAR(items[i].X, 40 * kTenthsPerPixel, 1e-9) << i;
        EXPECT_NEAR(items[i].Y, 10 * kTenthsPerPixel, 1e-9) << i;
        EXPECT_EQ(items[i].Alignment, expected[i / 2]) << i;
    }
    EXPECT_EQ(items[0].Text, "abc");
    EXPECT_EQ(items[1].Text, "no dx");
}

TEST(PageTextDevice, BaselineAndBottomBecomeTheTopOfTheLine) {
    EmfBuilder b;
    // An em of 20 pixels asked for directly, then as a cell of 22 (1.1 em).
    for (std::int32_t height : {-20, 22}) {
        b.Font(1, height, u"Arial").Add(kEmrSelectObject, {1});
        for (std::int32_t align : {kTaTop, kTaBaseline, kTaBottom})
            b.Add(kEmrSetTextAlign, {align}).TextW(0, 50, u"x", {});
    }
    const auto items = Items(b.Finish());
    ASSERT_EQ(items.size(), 6u);
    for (std::size_t i = 0; i < 6; i += 3) {
        EXPECT_NEAR(items[i].Y, 50 * kTenthsPerPixel, 1e-6);
        EXPECT_NEAR(items[i + 1].Y, (50 - 0.9 * 20) * kTenthsPerPixel, 1e-6);  // ascent 0.9 em
        EXPECT_NEAR(items[i + 2].Y, (50 - 1.1 * 20) * kTenthsPerPixel, 1e-6);  // plus descent 0.2 em
        EXPECT_EQ(items[i].Font.Size, 14);                                     // 20 px at 100 dpi: 14.4 pt
    }
}

TEST(PageTextDevice, FontSizeColourFaceAndStyle) {
    EmfBuilder b;
    b.Font(1, -25, u"Courier New", 0, 0, 700).Add(kEmrSelectObject, {1}).Add(kEmrSetTextColor, {0x0000FF});
    b.TextW(0, 0, u"bold red", {});
    b.Font(2, 0, u"Default").Add(kEmrSelectObject, {2}).Add(kEmrSetTextColor, {0xFF8000});
    b.TextW(0, 0, u"default size", {});
    b.Font(3, -1, u"Tiny").Add(kEmrSelectObject, {3});
    b.TextW(0, 0, u"tiny", {});
    const auto items = Items(b.Finish());
    ASSERT_EQ(items.size(), 3u);
    EXPECT_EQ(items[0].Font.Size, 18);  // 25 px x 72 / 100
    EXPECT_EQ(items[0].Font.Color, 255);
    EXPECT_EQ(items[0].Font.Name, "Courier New");
    EXPECT_EQ(items[0].Font.Weight, 700);
    EXPECT_FALSE(items[0].Font.Italic);
    EXPECT_EQ(items[1].Font.Size, 10);  // lfHeight 0 asks for the default size
    EXPECT_EQ(items[1].Font.Color, 0xFF8000);
    EXPECT_EQ(items[2].Font.Size, 1);  // 0.72 pt is kept at one point
}

TEST(PageTextDevice, EmfPlusStringsReplaceTheirFallbackText) {
    // A 25 pixel bold font; DrawString in a rectangle, DrawDriverString at a baseline point.
    test::EmfPlusRecords plus;
    plus.Header().Object(2, 6, Bytes().F32(25).U32(2).U32(1).U32(0).U32(5).Utf16(u"Arial"));
    plus.Add(0x401C, 0x8002,
             Bytes().U32(0xFF0000FF).U32(0xFFFFFFFF).U32(5).F32(10).F32(20).F32(80).F32(30).Utf16(u"Total"));
    // 36 points at 100 dpi are 50 pixels, halved by the world transform like the positions.
    plus.Object(3, 6, Bytes().F32(36).U32(3).U32(0).U32(0).U32(5).Utf16(u"Arial"));
    plus.Add(0x402E, 0, Bytes().F32(0.5f).F32(0.5f));
    const Bytes sum = Bytes().U32(0xFF000000).U32(1).U32(0).U32(3).Utf16(u"Sum");
    plus.Add(0x4036, 0x8003, Bytes(sum).F32(60).F32(160).F32(90).F32(160).F32(120).F32(160));
    EmfBuilder b;
    b.Plus(plus).Font(1, -20, u"Arial").Add(kEmrSelectObject, {1}).TextW(0, 0, u"fallback", {});
    const auto items = Items(b.Finish());
    ASSERT_EQ(items.size(), 2u);
    EXPECT_EQ(items[0].Text, "Total");
    EXPECT_EQ(items[0].Font.Size, 18);  // 25 px x 72 / 100
    EXPECT_EQ(items[0].Font.Weight, 700);
    EXPECT_EQ(items[0].Font.Color, 0xFF0000);
    EXPECT_NEAR(items[0].X, (10 + 25.0 / 6) * kTenthsPerPixel, 1e-6);
    EXPECT_NEAR(items[0].Y, 20 * kTenthsPerPixel, 1e-6);
    EXPECT_EQ(items[1].Text, "Sum");
    EXPECT_EQ(items[1].Font.Size, 18);
    EXPECT_NEAR(items[1].X, 30 * kTenthsPerPixel, 1e-6);
    EXPECT_NEAR(items[1].Y, (80 - kAscentPerEm * 25) * kTenthsPerPixel, 1e-6);
}

TEST(PageTextDevice, WrappedEmfPlusStringGivesOneItemPerLine) {
    // A 10 pixel font (words of 5 letters estimated 25 pixels wide) in a 60 pixel rectangle:
    // two words fit a line, the third goes below, a line spacing further down.
    test::EmfPlusRecords plus;
    plus.Header().Object(2, 6, Bytes().F32(10).U32(2).U32(0).U32(0).U32(5).Utf16(u"Arial"));
    plus.Add(
        0x401C, 0x8002,
        Bytes().U32(0xFF000000).U32(0xFFFFFFFF).U32(16).F32(10).F32(20).F32(60).F32(50).Utf16(u"alpha beta gamma"));
    EmfBuilder b;
    b.Plus(plus);
    const auto items = Items(b.Finish());
    ASSERT_EQ(items.size(), 2u);
    EXPECT_EQ(items[0].Text, "alpha beta");
    EXPECT_EQ(items[1].Text, "gamma");
    EXPECT_NEAR(items[1].X, items[0].X, 1e-6);
    EXPECT_NEAR(items[1].Y - items[0].Y, 11.5 * kTenthsPerPixel, 1e-6);
}

TEST(PageTextDevice, WorldTransformScalesPositionAndSize) {
    EmfBuilder b;
    b.Font(1, -10, u"Arial").Add(kEmrSelectObject, {1});
    b.Add(kEmrSetWorldTransform, Bytes().F32(2).F32(0).F32(0).F32(2).F32(5).F32(0));
    b.TextW(10, 10, u"big", {});
    const auto items = Items(b.Finish());
    ASSERT_EQ(items.size(), 1u);
    EXPECT_NEAR(items[0].X, 25 * kTenthsPerPixel, 1e-6);
    EXPECT_NEAR(items[0].Y, 20 * kTenthsPerPixel, 1e-6);
    EXPECT_EQ(items[0].Font.Size, 14);  // 20 px
}

TEST(PageTextDevice, AnsiSmallAndGlyphIndexRecords) {
    EmfBuilder b;
    b.TextA(1, 2, {'H', 'i'}, {5, 5});
    b.Add(kEmrSmallTextOut,
          Bytes().I32(3).I32(4).U32(2).U32(kEtoNoRect | kEtoSmallChars).U32(1).F32(1).F32(1).U8('o').U8('k').Pad4());
    b.Add(kEmrSmallTextOut, Bytes().I32(5).I32(6).U32(1).U32(kEtoNoRect).U32(1).F32(1).F32(1).U16(0x263A).Pad4());
    b.TextW(7, 8, u"\x0024\x0025", {5, 5}, kEtoGlyphIndex);
    const auto items = Items(b.Finish());
    ASSERT_EQ(items.size(), 4u);
    EXPECT_EQ(items[0].Text, "Hi");
    EXPECT_EQ(items[1].Text, "ok");
    EXPECT_NEAR(items[1].X, 3 * kTenthsPerPixel, 1e-9);
    EXPECT_EQ(items[2].Text, "\xE2\x98\xBA");
    // Glyph indices are no characters: the item keeps its place without text.
    EXPECT_EQ(items[3].Text, "");
    EXPECT_NEAR(items[3].Y, 8 * kTenthsPerPixel, 1e-9);
}

TEST(PageTextDevice, HostileCoordinatesAreClampedOrLeftOut) {
    EmfBuilder b;
    b.TextW(2000000000, -2000000000, u"far", {});
    b.Add(kEmrSetWorldTransform, Bytes().F32(3e38f).F32(0).F32(0).F32(3e38f).F32(0).F32(0));
    b.TextW(1000000, 1000000, u"overflow", {1});
    const auto items = Items(b.Finish(), {kScale, 500, 700});
    ASSERT_GE(items.size(), 1u);
    EXPECT_EQ(items[0].X, 500);
    EXPECT_EQ(items[0].Y, -700);
    for (const PageTextItem& item : items) {
        EXPECT_LE(std::fabs(item.X), 500);
        EXPECT_LE(std::fabs(item.Y), 700);
    }

    // What the player lets through as finite may still overflow on the way to points.
    TextEncoder encoder("UTF-8");
    int sent = 0;
    PageTextDevice device({kScale, 500, 700}, encoder, 1, 10, [&](const PageTextItem&) { ++sent; });
    TextRun run;
    run.text = u"x";
    run.reference = {std::numeric_limits<double>::infinity(), 0};
    device.DrawText(run);
    run.reference = {0, 0};
    run.font.logicalHeight = -1;
    run.font.height = std::numeric_limits<double>::max();
    device.DrawText(run);
    EXPECT_EQ(sent, 0);
    EXPECT_EQ(device.Items(), 0u);
}

TEST(PageTextDevice, TooManyItemsOnOnePageFail) {
    const auto threeTexts = [] {
        EmfBuilder b;
        for (int i = 0; i < 3; ++i)
            b.TextW(i, i, u"t", {});
        return b.Finish();
    };
    EXPECT_EQ(Items(threeTexts(), {kScale, 1e6L, 1e6L}, 3).size(), 3u);

    TextEncoder encoder("UTF-8");
    int sent = 0;
    PageTextDevice device({kScale, 1e6L, 1e6L}, encoder, 7, 2, [&](const PageTextItem&) { ++sent; });
    try {
        Player(threeTexts()).Play(device, {0, 0, 100, 100});
        FAIL() << "no error";
    } catch (const EQRError& error) {
        EXPECT_STREQ(error.what(), "Page 7 has more than 2 text items");
    }
    EXPECT_EQ(sent, 2);
}

}  // namespace
}  // namespace qrp::exporter
