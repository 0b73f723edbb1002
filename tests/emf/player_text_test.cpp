// Text records: alignment, Dx advances, the current position, escapement, fonts in
// different mappings, opaque and clipped rectangles, code pages.
#include <cmath>

#include "emf/emf_format.h"
#include "play_helpers.h"

namespace qrp::emf {
namespace {

using test::Bytes;
using test::EmfBuilder;

TEST(PlayerText, AlignmentsAndAdvances) {
    EmfBuilder b;
    b.Font(1, -12, u"Arial").Add(kEmrSelectObject, {1}).Add(kEmrSetTextColor, {0x0000FF});
    b.Add(kEmrSetBkMode, {kTransparent});
    for (std::int32_t align : {kTaLeft | kTaTop, kTaRight | kTaBaseline, kTaCenter | kTaBottom}) {
        b.Add(kEmrSetTextAlign, {align}).TextW(50, 20, u"abc", {4, 5, 6});
    }
    b.TextW(50, 40, u"no dx", {});  // the device lays it out
    const std::string text = Play(b.Finish());
    ExpectGolden("text_align", text);
    EXPECT_NE(text.find("origins=[50.00,20.00 54.00,20.00 59.00,20.00]"), std::string::npos);  // left
    EXPECT_NE(text.find("origins=[35.00,20.00 39.00,20.00 44.00,20.00]"), std::string::npos);  // right: 15 back
    EXPECT_NE(text.find("origins=[42.50,20.00 46.50,20.00 51.50,20.00]"), std::string::npos);  // centre
}

TEST(PlayerText, UpdateCurrentPosition) {
    EmfBuilder b;
    b.Add(kEmrSetTextAlign, {kTaUpdateCp}).Add(kEmrMoveToEx, {10, 10});
    b.TextW(0, 0, u"ab", {3, 4});  // the reference point is ignored: drawn at 10,10
    b.TextW(0, 0, u"c", {5});      // at 17,10
    b.Add(kEmrSetTextAlign, {kTaUpdateCp | kTaRight}).TextW(0, 0, u"d", {6});  // ends at 22, moves to 16
    b.Add(kEmrLineTo, {0, 0});
    const std::string text = Play(b.Finish());
    ExpectGolden("text_update_cp", text);
    EXPECT_NE(text.find("M16.00,10.00 L0.00,0.00"), std::string::npos);
}

TEST(PlayerText, PdyEscapementAndMapping) {
    EmfBuilder b;
    b.Font(1, 20, u"Serif", 900).Add(kEmrSelectObject, {1});  // positive height: cell height; 90 degrees
    b.TextW(10, 50, u"up", {10, 10});
    b.Add(kEmrSetMapMode, {kMmLoMetric});  // y up, 0.1 mm units
    b.Font(2, -100, u"Serif").Add(kEmrSelectObject, {2});
    b.TextW(100, -100, u"xy", {100, 100});
    b.TextW(100, -200, u"pd", {100, 50, 100, -50}, kEtoPdy);
    b.Add(kEmrSetMapMode, {kMmText}).Add(kEmrSetWorldTransform, Bytes().F32(0).F32(-2).F32(2).F32(0).F32(0).F32(0));
    b.TextW(0, 0, u"rot", {1, 1, 1});
    ExpectGolden("text_mapping", Play(b.Finish()));
}

// A mapping turned part way or mirrored turns the baseline with it; only an upright one
// leaves the escapement as the font gave it.
TEST(PlayerText, TurnedAndMirroredMappingsTurnTheBaseline) {
    const auto escapement = [](const Bytes& world) {
        EmfBuilder b;
        b.Font(1, -20, u"Serif").Add(kEmrSelectObject, {1});
        b.Add(kEmrSetWorldTransform, world);
        b.TextW(10, 10, u"a", {10});
        const std::string log = Play(b.Finish());
        const auto at = log.find(" esc=");
        return at == std::string::npos ? std::string("none") : log.substr(at + 5, log.find(' ', at + 5) - at - 5);
    };
    const double c = std::sqrt(0.5);
    EXPECT_EQ(escapement(Bytes().F32(1).F32(0).F32(0).F32(1).F32(0).F32(0)), "0.00");
    EXPECT_EQ(escapement(Bytes().F32(c).F32(-c).F32(c).F32(c).F32(0).F32(0)), "45.00");
    EXPECT_EQ(escapement(Bytes().F32(-1).F32(0).F32(0).F32(1).F32(0).F32(0)), "-180.00");
}

TEST(PlayerText, OpaqueClippedAndEmptyRuns) {
    EmfBuilder b;
    b.Add(kEmrSetBkColor, {0x00FFFF}).Add(kEmrSetBkMode, {kOpaque});
    b.TextW(5, 5, u"", {}, kEtoOpaque, {0, 0, 30, 10});  // only the rectangle: a fill
    b.TextW(5, 5, u"cut", {3, 3, 3}, kEtoClipped | kEtoOpaque, {0, 0, 6, 10});
    b.Add(kEmrSmallTextOut,
          Bytes().I32(1).I32(2).U32(2).U32(kEtoNoRect | kEtoSmallChars).U32(1).F32(1).F32(1).U8('h').U8('i').Pad4());
    b.Add(kEmrSmallTextOut,
          Bytes().I32(1).I32(2).U32(1).U32(kEtoClipped).U32(1).F32(1).F32(1).I32s({0, 0, 5, 5}).U16(0x263A).Pad4());
    ExpectGolden("text_opaque_clipped", Play(b.Finish()));
}

TEST(PlayerText, AnsiTextByTheFontCharset) {
    EmfBuilder b;
    b.Font(1, -12, u"Ming", 0, kChineseBig5Charset).Add(kEmrSelectObject, {1});
    // 中文 in Big5 with one advance per byte: each character gets the sum of its bytes.
    b.TextA(0, 0, {0xA4, 0xA4, 0xA4, 0xE5, 'A'}, {8, 4, 8, 4, 6});
    b.Font(2, -12, u"Latin").Add(kEmrSelectObject, {2});
    b.TextA(0, 20, {'c', 0x80, 0xE9}, {5, 5, 5});
    const std::string text = Play(b.Finish());
    ExpectGolden("text_ansi", text);
    EXPECT_NE(text.find("text \"中文A\""), std::string::npos);
    EXPECT_NE(text.find("origins=[0.00,0.00 12.00,0.00 24.00,0.00]"), std::string::npos);
    EXPECT_NE(text.find("text \"c€é\""), std::string::npos);
}

TEST(PlayerText, SymbolFontCodesBecomeTheCharactersTheyShow) {
    EmfBuilder b;
    b.Font(1, -12, u"Symbol", 0, kSymbolCharset).Add(kEmrSelectObject, {1});
    b.TextA(0, 0, {'a', 'b', 0xA3, '1', 0xFE}, {});  // bytes: U+F0xx by the symbol charset
    b.TextW(0, 10, u"\uF070W", {});                  // Unicode: the font's own range or plain
    b.Font(2, -12, u"WINGDINGS", 0, kSymbolCharset).Add(kEmrSelectObject, {2});
    b.TextW(0, 20, u"\uF0FE\uF0A8\uF06C\uF081\uF024", {3, 3, 3, 3, 3});  // the last has no BMP character
    b.TextW(0, 30, u"\u00FC", {});
    b.Font(3, -12, u"Arial").Add(kEmrSelectObject, {3}).TextW(0, 40, u"\uF061a", {});  // not a symbol font
    b.Font(4, -12, u"Wingdings", 0, kSymbolCharset).Add(kEmrSelectObject, {4});
    Bytes glyphs;  // glyph indices are the font's own business
    glyphs.I32s({0, 0, 0, 0}).U32(1).F32(1).F32(1).I32(0).I32(50).U32(1).U32(76).U32(kEtoGlyphIndex);
    glyphs.I32s({0, 0, 0, 0}).U32(0).U32(0x00FC);
    b.Add(kEmrExtTextOutW, glyphs);
    const std::string text = Play(b.Finish());
    EXPECT_NE(text.find("text \"αβ≤1⎭\""), std::string::npos) << text;
    EXPECT_NE(text.find("text \"πΩ\""), std::string::npos) << text;
    EXPECT_NE(text.find("text \"☑◻●①\uF024\""), std::string::npos) << text;  // U+F024 kept
    EXPECT_NE(text.find("origins=[0.00,20.00 3.00,20.00 6.00,20.00 9.00,20.00 12.00,20.00]"), std::string::npos);
    EXPECT_NE(text.find("text \"✓\""), std::string::npos) << text;
    EXPECT_NE(text.find("text \"\uF061a\""), std::string::npos) << text;  // U+F061 a, as drawn
    EXPECT_NE(text.find("text \"ü\""), std::string::npos) << text;        // glyph 0xFC
}

TEST(PlayerText, HeightZeroIsTwelvePointsOnTheReferenceDevice) {
    // 12 pt on the builder's 100 dpi device is 16.67 device pixels, whatever the mapping.
    EmfBuilder b;
    b.Font(1, 0, u"Sans").Add(kEmrSelectObject, {1}).TextW(0, 0, u"a", {});
    b.Add(kEmrSetMapMode, {kMmLoMetric}).TextW(0, 0, u"b", {});
    const std::string text = Play(b.Finish(), {0, 0, 200, 200});
    const std::size_t first = text.find("h=33.33 lfh=0");
    ASSERT_NE(first, std::string::npos) << text;
    EXPECT_NE(text.find("h=33.33 lfh=0", first + 1), std::string::npos) << text;
}

TEST(PlayerText, DamagedTextIsSkipped) {
    EmfBuilder b;
    Bytes p;
    p.I32s({0, 0, 0, 0}).U32(1).F32(1).F32(1).I32(0).I32(0).U32(1000).U32(76).U32(0).I32s({0, 0, 0, 0}).U32(0);
    b.Add(kEmrExtTextOutW, p);  // 1000 characters announced, none there
    b.TextW(0, 0, u"ab", {1, 1});
    auto bytes = b.Finish();
    PlayStats stats;
    const std::string text = Play(bytes, {0, 0, 100, 100}, &stats);
    EXPECT_EQ(stats.damaged, 1u);
    EXPECT_EQ(stats.drawCalls, 1u);
}

}  // namespace
}  // namespace qrp::emf
