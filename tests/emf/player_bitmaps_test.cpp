// Bitmap records of every depth and kind, pattern brushes and blits without a bitmap.
#include "emf/emf_format.h"
#include "play_helpers.h"

namespace qrp::emf {
namespace {

using test::BitmapInfo;
using test::Bytes;
using test::EmfBuilder;

// A 2 x 2 bitmap of the given depth whose top row is red, blue and bottom row green, white.
std::pair<Bytes, Bytes> TwoByTwo(std::uint16_t bpp) {
    const std::vector<std::uint32_t> palette = {0xFF0000, 0x0000FF, 0x00FF00, 0xFFFFFF};
    Bytes bits;
    switch (bpp) {
        case 1:  // only two colours: red and blue, as a checkerboard
            bits.U8(0b01000000).Zeros(3).U8(0b10000000).Zeros(3);
            return {BitmapInfo(2, 2, 1, kBiRgb, {0xFF0000, 0x0000FF}), bits};
        case 4:
            bits.U8(0x23).Zeros(3).U8(0x01).Zeros(3);
            break;
        case 8:
            bits.U8(2).U8(3).Zeros(2).U8(0).U8(1).Zeros(2);
            break;
        case 16:
            bits.U16(0x03E0).U16(0x7FFF).U16(0x7C00).U16(0x001F);
            break;
        case 24:
            bits.U8(0).U8(255).U8(0).U8(255).U8(255).U8(255).Zeros(2).U8(0).U8(0).U8(255).U8(255).U8(0).U8(0).Zeros(2);
            break;
        default:
            bits.U32(0x00FF00).U32(0xFFFFFF).U32(0xFF0000).U32(0x0000FF);
            break;
    }
    return {BitmapInfo(2, 2, bpp, kBiRgb, bpp <= 8 ? palette : std::vector<std::uint32_t>{}), bits};
}

TEST(PlayerBitmaps, StretchDiBitsOfEveryDepth) {
    EmfBuilder b;
    std::int32_t x = 0;
    for (std::uint16_t bpp : {1, 4, 8, 16, 24, 32}) {
        const auto [info, bits] = TwoByTwo(bpp);
        b.StretchDiBits({x, 0, 10, 10}, {0, 0, 2, 2}, info, bits);
        x += 10;
    }
    const std::string text = Play(b.Finish());
    ExpectGolden("bitmaps_depths", text);
    // From 4 bpp on, every depth decodes to the same pixels.
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 6);
    const std::string same = "pixels=[FFFF0000 FF0000FF FF00FF00 FFFFFFFF]";
    std::size_t found = 0;
    for (std::size_t at = text.find(same); at != std::string::npos; at = text.find(same, at + 1))
        ++found;
    EXPECT_EQ(found, 5u) << text;
}

TEST(PlayerBitmaps, SourceRectangleOfABottomUpDibCountsFromTheBottom) {
    const auto [info, bits] = TwoByTwo(24);
    EmfBuilder b;
    b.StretchDiBits({0, 0, 10, 5}, {0, 0, 2, 1}, info, bits);  // the bottom row
    const std::string text = Play(b.Finish());
    EXPECT_NE(text.find("src=0.00,1.00 2.00,2.00"), std::string::npos) << text;
}

TEST(PlayerBitmaps, BltFamily) {
    const auto [info, bits] = TwoByTwo(32);
    EmfBuilder b;
    b.Blt(kEmrBitBlt, {0, 0, 2, 2}, {0, 0, 0, 0}, kSrcCopy, info, bits);
    b.Blt(kEmrStretchBlt, {10, 0, 20, 20}, {1, 0, 1, 2}, kSrcAnd, info, bits);
    Bytes alphaBits;  // premultiplied: opaque red, half blue, transparent, half grey
    alphaBits.U32(0xFFFF0000).U32(0x80000080).U32(0).U32(0x80404040);
    b.Blt(kEmrAlphaBlend, {30, 0, 4, 4}, {0, 0, 2, 2}, 0x01800000, BitmapInfo(2, -2, 32, kBiRgb), alphaBits);
    b.Blt(kEmrTransparentBlt, {40, 0, 4, 4}, {0, 0, 2, 2}, 0x00FFFFFF, info, bits);
    b.Blt(kEmrStretchBlt, {0, 50, 8, 8}, {5, 5, 2, 2}, kSrcCopy, info, bits);  // source outside: taken from 0,0
    // No bitmap: PATCOPY fills with the brush, BLACKNESS and WHITENESS with black and white.
    b.Add(kEmrSelectObject, {static_cast<std::int32_t>(kStockObjectFlag | kGrayBrush)});
    b.Blt(kEmrBitBlt, {0, 20, 5, 5}, {0, 0, 0, 0}, kPatCopy, Bytes(), Bytes());
    b.Blt(kEmrBitBlt, {0, 30, 5, 5}, {0, 0, 0, 0}, kBlackness, Bytes(), Bytes());
    b.Blt(kEmrBitBlt, {0, 40, 5, 5}, {0, 0, 0, 0}, kWhiteness, Bytes(), Bytes());
    b.Blt(kEmrBitBlt, {0, 40, 5, 5}, {0, 0, 0, 0}, kDstInvert, Bytes(), Bytes());
    b.Blt(kEmrBitBlt, {0, 40, 5, 5}, {0, 0, 0, 0}, kDestinationOnly, Bytes(), Bytes());  // leaves the page alone
    b.Blt(kEmrBitBlt, {0, 40, 5, 5}, {0, 0, 0, 0}, 0x00B8074A, Bytes(), Bytes());        // unsupported: skipped
    PlayStats stats;
    ExpectGolden("bitmaps_blt", Play(b.Finish(), {0, 0, 100, 100}, &stats));
    EXPECT_EQ(stats.unsupported, 1u);
}

TEST(PlayerBitmaps, MaskBltPlgBltAndSetDiBitsToDevice) {
    const auto [info, bits] = TwoByTwo(8);
    const Bytes maskInfo = BitmapInfo(2, 2, 1, kBiRgb, {0x000000, 0xFFFFFF});
    Bytes maskBits;
    maskBits.U8(0b10000000).Zeros(3).U8(0b01000000).Zeros(3);  // set on the diagonal from the bottom left
    EmfBuilder b;
    // MASKBLT: shared prefix, then xMask, yMask, iUsageMask and the mask DIB.
    const std::uint32_t srcInfoAt = 128, srcBitsAt = srcInfoAt + static_cast<std::uint32_t>(info.Size());
    const std::uint32_t maskInfoAt = srcBitsAt + static_cast<std::uint32_t>(bits.Size());
    const std::uint32_t maskBitsAt = maskInfoAt + static_cast<std::uint32_t>(maskInfo.Size());
    Bytes m;
    m.I32s({0, 0, 9, 9, 0, 0, 10, 10}).U32(0xAACC0020).I32s({0, 0});
    m.F32(1).F32(0).F32(0).F32(1).F32(0).F32(0).U32(0).U32(0);
    m.U32(srcInfoAt)
        .U32(static_cast<std::uint32_t>(info.Size()))
        .U32(srcBitsAt)
        .U32(static_cast<std::uint32_t>(bits.Size()));
    m.I32s({0, 0}).U32(0).U32(maskInfoAt).U32(static_cast<std::uint32_t>(maskInfo.Size())).U32(maskBitsAt);
    m.U32(static_cast<std::uint32_t>(maskBits.Size()));
    m.Raw(info.Data()).Raw(bits.Data()).Raw(maskInfo.Data()).Raw(maskBits.Data());
    b.Add(kEmrMaskBlt, m);
    // PLGBLT onto a sheared parallelogram, no mask.
    Bytes p;
    p.I32s({0, 0, 0, 0, 20, 0, 30, 0, 25, 10}).I32s({0, 0, 2, 2});
    p.F32(1).F32(0).F32(0).F32(1).F32(0).F32(0).U32(0).U32(0);
    p.U32(140).U32(static_cast<std::uint32_t>(info.Size())).U32(140 + static_cast<std::uint32_t>(info.Size()));
    p.U32(static_cast<std::uint32_t>(bits.Size())).I32s({0, 0}).U32(0).U32(0).U32(0).U32(0).U32(0);
    p.Raw(info.Data()).Raw(bits.Data());
    b.Add(kEmrPlgBlt, p);
    // SETDIBITSTODEVICE of the whole bitmap at 50, 50.
    Bytes s;
    s.I32s({0, 0, 0, 0, 50, 50, 0, 0, 2, 2}).U32(76).U32(static_cast<std::uint32_t>(info.Size()));
    s.U32(76 + static_cast<std::uint32_t>(info.Size()))
        .U32(static_cast<std::uint32_t>(bits.Size()))
        .U32(0)
        .U32(0)
        .U32(2);
    s.Raw(info.Data()).Raw(bits.Data());
    b.Add(kEmrSetDiBitsToDevice, s);
    const std::string text = Play(b.Finish());
    ExpectGolden("bitmaps_mask_plg_setdi", text);
    // The mask hides the top-left and bottom-right pixels.
    EXPECT_NE(text.find("pixels=[00000000 FF0000FF FF00FF00 00000000]"), std::string::npos) << text;
}

TEST(PlayerBitmaps, PatternBrushes) {
    const auto [info, bits] = TwoByTwo(24);
    const Bytes monoInfo = BitmapInfo(2, 2, 1, kBiRgb, {0x000000, 0xFFFFFF});
    Bytes monoBits;
    monoBits.U8(0b01000000).Zeros(3).U8(0b10000000).Zeros(3);
    EmfBuilder b;
    b.Add(kEmrCreateDibPatternBrushPt, Bytes()
                                           .U32(1)
                                           .U32(kDibRgbColors)
                                           .U32(32)
                                           .U32(static_cast<std::uint32_t>(info.Size()))
                                           .U32(32 + static_cast<std::uint32_t>(info.Size()))
                                           .U32(static_cast<std::uint32_t>(bits.Size()))
                                           .Raw(info.Data())
                                           .Raw(bits.Data()));
    b.Add(kEmrCreateMonoBrush, Bytes()
                                   .U32(2)
                                   .U32(kDibPalColors)
                                   .U32(32)
                                   .U32(static_cast<std::uint32_t>(monoInfo.Size()))
                                   .U32(32 + static_cast<std::uint32_t>(monoInfo.Size()))
                                   .U32(static_cast<std::uint32_t>(monoBits.Size()))
                                   .Raw(monoInfo.Data())
                                   .Raw(monoBits.Data()));
    b.Add(kEmrSetBrushOrgEx, {3, 4});
    b.Add(kEmrSelectObject, {1}).Add(kEmrRectangle, {0, 0, 10, 10});
    // Monochrome patterns take the text and background colours when they are used.
    b.Add(kEmrSetTextColor, {0x0000FF}).Add(kEmrSetBkColor, {0x00FF00});
    b.Add(kEmrSelectObject, {2}).Add(kEmrRectangle, {0, 0, 10, 10});
    ExpectGolden("bitmaps_pattern_brushes", Play(b.Finish()));
}

TEST(PlayerBitmaps, JpegAndPngBlitsReachTheDeviceUndecoded) {
    Bytes png, jpeg;
    png.U8(0x89).U8('P').U8('N').U8('G').Zeros(28);
    jpeg.U8(0xFF).U8(0xD8).U8(0xFF).U8(0xE0).Zeros(12);
    EmfBuilder b;
    b.StretchDiBits({0, 0, 40, 20}, {0, 0, 4, 2}, BitmapInfo(4, 2, 0, kBiPng), png);
    b.Blt(kEmrStretchBlt, {0, 50, 10, 10}, {0, 0, 3, 3}, kSrcCopy, BitmapInfo(3, 3, 24, kBiJpeg), jpeg);
    b.StretchDiBits({0, 0, 40, 20}, {0, 0, 4, 2}, BitmapInfo(0, 2, 0, kBiPng), png);  // damaged: no width
    PlayStats stats;
    const std::string text = Play(b.Finish(), {0, 0, 100, 100}, &stats);
    EXPECT_NE(text.find("image 4x2 png bytes=32 head=89504E47 src=0.00,0.00 4.00,2.00"), std::string::npos) << text;
    EXPECT_NE(text.find("image 3x3 jpeg bytes=16 head=FFD8FFE0"), std::string::npos) << text;
    EXPECT_EQ(stats.drawCalls, 2u);
    EXPECT_EQ(stats.unsupported, 1u);
}

TEST(PlayerBitmaps, RopsThatUseThePatternCarryTheSelectedBrush) {
    const auto [info, bits] = TwoByTwo(24);
    EmfBuilder b;
    b.Add(kEmrCreateBrushIndirect, {1, 0, 0x0000FF, 0}).Add(kEmrSelectObject, {1});
    b.StretchDiBits({0, 0, 10, 10}, {0, 0, 2, 2}, info, bits, 0x00B8074A);  // PSDPxax
    b.Blt(kEmrBitBlt, {0, 0, 2, 2}, {0, 0, 0, 0}, kMergeCopy, info, bits);
    b.StretchDiBits({0, 0, 10, 10}, {0, 0, 2, 2}, info, bits, kSrcCopy);
    const std::string text = Play(b.Finish());
    const std::string brush = "pattern=(brush=solid #FF0000)";
    const std::size_t first = text.find(brush);
    ASSERT_NE(first, std::string::npos) << text;
    const std::size_t second = text.find(brush, first + 1);
    ASSERT_NE(second, std::string::npos) << text;
    EXPECT_EQ(text.find("pattern=", second + 1), std::string::npos) << text;  // not with SRCCOPY
}

}  // namespace
}  // namespace qrp::emf
