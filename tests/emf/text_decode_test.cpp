#include "emf/text_decode.h"

#include <gtest/gtest.h>

#include "emf/emf_format.h"

namespace qrp::emf {
namespace {

DecodedText Decode(std::vector<std::uint8_t> bytes, std::uint8_t charset) {
    TextDecoder decoder;
    return decoder.Decode(bytes, charset);
}

TEST(TextDecode, AnsiIsCp1252) {
    const auto d = Decode({'A', 0x80, 0xE9, 0x93}, kAnsiCharset);
    EXPECT_EQ(d.text, u"A\u20AC\u00E9\u201C");
    EXPECT_EQ(d.firstByte, (std::vector<std::size_t>{0, 1, 2, 3}));
    EXPECT_EQ(Decode({0x80}, kDefaultCharset).text, u"\u20AC");
}

TEST(TextDecode, Big5DoubleBytesMapToOneUnitEach) {
    // 中文 in Big5 between two ASCII letters.
    const auto d = Decode({'a', 0xA4, 0xA4, 0xA4, 0xE5, 'b'}, kChineseBig5Charset);
    EXPECT_EQ(d.text, u"a\u4E2D\u6587b");
    EXPECT_EQ(d.firstByte, (std::vector<std::size_t>{0, 1, 3, 5}));
}

TEST(TextDecode, OtherCodePages) {
    EXPECT_EQ(Decode({0x82, 0xA0}, kShiftJisCharset).text, u"\u3042");       // あ
    EXPECT_EQ(Decode({0xC0, 0xE0}, kRussianCharset).text, u"\u0410\u0430");  // Аа
    EXPECT_EQ(Decode({0xE1}, kGreekCharset).text, u"\u03B1");                // α
    EXPECT_EQ(Decode({0xD6, 0xD0}, kGb2312Charset).text, u"\u4E2D");         // 中
    EXPECT_EQ(Decode({0xB0, 0xA1}, kHangulCharset).text, u"\uAC00");         // 가
}

TEST(TextDecode, SymbolFontsUseThePrivateArea) {
    EXPECT_EQ(Decode({0x41, 0xB7}, kSymbolCharset).text, u"\uF041\uF0B7");
}

TEST(TextDecode, BrokenSequencesBecomeReplacementCharacters) {
    // A lead byte at the end and a byte that is no Big5 lead.
    const auto d = Decode({0xFF, 'x', 0xA4}, kChineseBig5Charset);
    EXPECT_EQ(d.text, u"\uFFFDx\uFFFD");
    EXPECT_EQ(d.firstByte, (std::vector<std::size_t>{0, 1, 2}));
}

TEST(TextDecode, CodePageNames) {
    EXPECT_EQ(CodePageForCharset(kChineseBig5Charset), "CP950");
    EXPECT_EQ(CodePageForCharset(kAnsiCharset), "CP1252");
    EXPECT_EQ(CodePageForCharset(kEastEuropeCharset), "CP1250");
    EXPECT_EQ(CodePageForCharset(kSymbolCharset), "");
}

}  // namespace
}  // namespace qrp::emf
