#include "emf/dib.h"

#include <gtest/gtest.h>

#include "emf/emf_format.h"
#include "support/emf_builder.h"

namespace qrp::emf {
namespace {

using test::BitmapInfo;
using test::Bytes;

constexpr std::uint32_t kRed = 0xFFFF0000, kGreen = 0xFF00FF00, kBlue = 0xFF0000FF, kWhite = 0xFFFFFFFF,
                        kBlack = 0xFF000000;

std::shared_ptr<Image> Decode(const Bytes& info, const Bytes& bits, std::uint32_t usage = kDibRgbColors,
                              std::span<const Color> palette = {}, bool keepAlpha = false) {
    DibSource source;
    source.info = info.Data();
    source.bits = bits.Data();
    source.usage = usage;
    source.palette = palette;
    source.keepAlpha = keepAlpha;
    return DecodeDib(source);
}

std::vector<std::uint32_t> Pixels(const std::shared_ptr<Image>& image) {
    return image ? image->pixels : std::vector<std::uint32_t>{};
}

TEST(Dib, OneBitBottomUpWithPalette) {
    // 3 x 2: rows padded to 4 bytes; the first stored row is the bottom one.
    Bytes bits;
    bits.U8(0b10100000).Zeros(3).U8(0b01000000).Zeros(3);
    const auto image = Decode(BitmapInfo(3, 2, 1, kBiRgb, {0x000000, 0xFFFFFF}), bits);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->width, 3);
    EXPECT_EQ(image->height, 2);
    EXPECT_EQ(Pixels(image), (std::vector<std::uint32_t>{kBlack, kWhite, kBlack, kWhite, kBlack, kWhite}));
}

TEST(Dib, FourAndEightBitIndexes) {
    Bytes bits4;
    bits4.U8(0x12).Zeros(3);
    EXPECT_EQ(Pixels(Decode(BitmapInfo(2, -1, 4, kBiRgb, {0, 0xFF0000, 0x00FF00}), bits4)),
              (std::vector<std::uint32_t>{kRed, kGreen}));
    Bytes bits8;
    bits8.U8(2).U8(1).U8(0).U8(0);
    EXPECT_EQ(Pixels(Decode(BitmapInfo(3, -1, 8, kBiRgb, {0x0000FF, 0xFF0000, 0x00FF00}), bits8)),
              (std::vector<std::uint32_t>{kGreen, kRed, kBlue}));
}

TEST(Dib, IndexesPastAShortTableAreBlack) {
    Bytes bits;
    bits.U8(5).Zeros(3);
    EXPECT_EQ(Pixels(Decode(BitmapInfo(1, 1, 8, kBiRgb, {0xFFFFFF}), bits)), (std::vector<std::uint32_t>{kBlack}));
}

TEST(Dib, PaletteIndexesIntoTheLogicalPalette) {
    Bytes info = BitmapInfo(2, 1, 8, kBiRgb);
    info.U16(1).U16(0);  // DIB_PAL_COLORS: 16-bit indexes instead of quads, here swapped
    Bytes bits;
    bits.U8(0).U8(1).Zeros(2);
    const std::vector<Color> palette = {{0, 0, 255}, {255, 0, 0}};
    // The header says 256 colours; entries past the data draw black.
    EXPECT_EQ(Pixels(Decode(info, bits, kDibPalColors, palette)), (std::vector<std::uint32_t>{kRed, kBlue}));
}

TEST(Dib, SixteenBit555And565) {
    Bytes bits;
    bits.U16(0x7C00).U16(0x001F);
    EXPECT_EQ(Pixels(Decode(BitmapInfo(2, 1, 16, kBiRgb), bits)), (std::vector<std::uint32_t>{kRed, kBlue}));
    Bytes info = BitmapInfo(2, 1, 16, kBiBitfields);
    info.U32(0xF800).U32(0x07E0).U32(0x001F);
    Bytes bits565;
    bits565.U16(0x07E0).U16(0xF800);
    EXPECT_EQ(Pixels(Decode(info, bits565)), (std::vector<std::uint32_t>{kGreen, kRed}));
}

TEST(Dib, TwentyFourBitRowsArePadded) {
    Bytes bits;
    bits.U8(0).U8(0).U8(255).Zeros(1);  // bottom row: red, padded to 4
    bits.U8(255).U8(0).U8(0).Zeros(1);  // top row: blue
    EXPECT_EQ(Pixels(Decode(BitmapInfo(1, 2, 24, kBiRgb), bits)), (std::vector<std::uint32_t>{kBlue, kRed}));
}

TEST(Dib, ThirtyTwoBitAlphaOnlyWhenAsked) {
    Bytes bits;
    bits.U8(0x20).U8(0x40).U8(0x60).U8(0x80);
    bits.U8(0xFF).U8(0xFF).U8(0xFF).U8(0x10);  // invalid premultiplied: clamped to alpha
    EXPECT_EQ(Pixels(Decode(BitmapInfo(2, -1, 32, kBiRgb), bits)),
              (std::vector<std::uint32_t>{0xFF604020, 0xFFFFFFFF}));
    EXPECT_EQ(Pixels(Decode(BitmapInfo(2, -1, 32, kBiRgb), bits, kDibRgbColors, {}, true)),
              (std::vector<std::uint32_t>{0x80604020, 0x10101010}));
}

TEST(Dib, Rle8RunsDeltasAndAbsoluteRuns) {
    // 4 x 2, bottom-up: row 0 = run of 2 x index1, absolute [2, 1]; end of line;
    // row 1 = delta (1, 0) then one pixel of index 2; end of bitmap.
    Bytes bits;
    bits.U8(2).U8(1).U8(0).U8(3).U8(2).U8(1).U8(2).U8(0).U8(0).U8(0);
    bits.U8(0).U8(2).U8(1).U8(0).U8(1).U8(2).U8(0).U8(1);
    const auto image = Decode(BitmapInfo(4, 2, 8, kBiRle8, {0, 0xFF0000, 0x00FF00}), bits);
    ASSERT_TRUE(image);
    // Top row is row 1: skipped pixel transparent, then green.
    EXPECT_EQ(Pixels(image), (std::vector<std::uint32_t>{0, kGreen, 0, 0, kRed, kRed, kGreen, kRed}));
}

TEST(Dib, Rle4AlternatesNibbles) {
    Bytes bits;
    bits.U8(3).U8(0x12).U8(0).U8(1);
    EXPECT_EQ(Pixels(Decode(BitmapInfo(3, 1, 4, kBiRle4, {0, 0xFF0000, 0x00FF00}), bits)),
              (std::vector<std::uint32_t>{kRed, kGreen, kRed}));
}

TEST(Dib, ShortBitsLeaveTransparentRows) {
    Bytes bits;
    bits.U8(0).U8(0).U8(255).Zeros(1);  // only the bottom row
    EXPECT_EQ(Pixels(Decode(BitmapInfo(1, 2, 24, kBiRgb), bits)), (std::vector<std::uint32_t>{0, kRed}));
}

TEST(Dib, RefusesWhatItCannotDecode) {
    Bytes none;
    EXPECT_FALSE(Decode(BitmapInfo(1, 1, 24, kBiJpeg), none));
    EXPECT_FALSE(Decode(BitmapInfo(1, 1, 7, kBiRgb), none));
    EXPECT_FALSE(Decode(BitmapInfo(0, 1, 24, kBiRgb), none));
    EXPECT_FALSE(Decode(BitmapInfo(1, INT32_MIN, 24, kBiRgb), none));
    EXPECT_FALSE(Decode(BitmapInfo(100000, 100000, 1, kBiRgb), none));  // 10^10 pixels
    Bytes shortHeader;
    shortHeader.U32(40).U32(1);
    EXPECT_FALSE(Decode(shortHeader, none));
    EXPECT_FALSE(ReadDibInfo(shortHeader.Data()));
}

TEST(Dib, CoreHeader) {
    Bytes info;
    info.U32(12).U16(2).U16(1).U16(1).U16(1);
    info.U8(0).U8(0).U8(255).U8(255).U8(0).U8(0);  // RGB triples: red, blue
    Bytes bits;
    bits.U8(0b01000000).Zeros(3);
    EXPECT_EQ(Pixels(Decode(info, bits)), (std::vector<std::uint32_t>{kRed, kBlue}));
}

TEST(Dib, JpegAndPngAreKeptForTheDeviceOthersAreNot) {
    Bytes file;
    file.U8(0x89).U8('P').U8('N').U8('G').Zeros(12);
    const auto encoded = [&](const Bytes& info) {
        DibSource source;
        source.info = info.Data();
        source.bits = file.Data();
        return EncodedDib(source);
    };
    const auto png = encoded(BitmapInfo(30, 20, 0, kBiPng));
    ASSERT_TRUE(png);
    EXPECT_EQ(png->encoding, ImageEncoding::Png);
    EXPECT_EQ(png->width, 30);
    EXPECT_EQ(png->height, 20);
    EXPECT_TRUE(png->pixels.empty());
    EXPECT_EQ(png->encoded, std::vector<std::uint8_t>(file.Data().begin(), file.Data().end()));
    const auto jpeg = encoded(BitmapInfo(1, 1, 24, kBiJpeg));
    ASSERT_TRUE(jpeg);
    EXPECT_EQ(jpeg->encoding, ImageEncoding::Jpeg);

    EXPECT_FALSE(encoded(BitmapInfo(2, 2, 24, kBiRgb)));  // decoded by DecodeDib instead
    EXPECT_FALSE(encoded(BitmapInfo(0, 20, 0, kBiPng)));  // no size
    EXPECT_FALSE(encoded(BitmapInfo(30, 0, 0, kBiPng)));
    // Compressed bitmaps should not be top-down; writers make them so all the same.
    const auto topDown = encoded(BitmapInfo(30, -20, 0, kBiPng));
    ASSERT_TRUE(topDown);
    EXPECT_EQ(topDown->height, 20);
    EXPECT_FALSE(encoded(BitmapInfo(100000, 100000, 0, kBiJpeg)));  // declared far too large
    EXPECT_FALSE(Decode(BitmapInfo(30, 20, 0, kBiPng), file));      // and never decoded here
    file = Bytes();
    EXPECT_FALSE(encoded(BitmapInfo(30, 20, 0, kBiPng)));  // no file
}

}  // namespace
}  // namespace qrp::emf
