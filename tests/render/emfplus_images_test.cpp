// EMF+ images beyond raw pixels, written by hand from the record layouts and rendered:
// metafiles nested in a picture, and bitmaps recorded as GIF, BMP or TIFF files.
#include <QBuffer>
#include <QImage>
#include <QImageWriter>

#include <gtest/gtest.h>

#include "emf/emf_format.h"
#include "image_checks.h"
#include "render/page_renderer.h"
#include "support/emf_builder.h"

namespace qrp::test {
namespace {

using namespace qrp::emf;

constexpr std::uint16_t kFillRects = 0x400A, kColor = 0x8000, kDrawImage = 0x401A, kDrawImagePoints = 0x401B;
constexpr std::uint32_t kEmf = 3, kEmfPlusOnly = 4, kWmfPlaceable = 2;

QImage Render(const std::vector<std::uint8_t>& emf) {
    return render::RenderToImage(emf, render::RasterSize{100, 96});
}

// The outer picture's GDI fallback: a blue square over the middle.
EmfBuilder& BlueFallback(EmfBuilder& b) {
    return b.Add(kEmrCreateBrushIndirect, {1, 0, 0xFF0000, 0})
        .Add(kEmrSelectObject, {1})
        .Add(kEmrRectangle, {20, 20, 80, 80});
}

Bytes MetafileImage(std::uint32_t type, const std::vector<std::uint8_t>& picture) {
    return Bytes().U32(2).U32(type).U32(static_cast<std::uint32_t>(picture.size())).Raw(picture);
}

// DrawImagePoints of image `id`: its (0, 0, 100, 100) source onto the parallelogram whose
// top-left, top-right and bottom-left corners are given.
Bytes OntoPoints(float x0, float y0, float x1, float y1, float x2, float y2) {
    return Bytes()
        .U32(0xFFFFFFFF)
        .U32(2)
        .F32(0)
        .F32(0)
        .F32(100)
        .F32(100)
        .U32(3)
        .F32(x0)
        .F32(y0)
        .F32(x1)
        .F32(y1)
        .F32(x2)
        .F32(y2);
}

// A picture of EMF+ records only that draws `inner` (when given) over all of itself, or
// fills itself red.
std::vector<std::uint8_t> PlusOnly(const std::vector<std::uint8_t>& inner = {}) {
    EmfPlusRecords r;
    r.Header();
    if (inner.empty())
        r.Add(kFillRects, kColor, Bytes().U32(0xFFFF0000).U32(1).F32(0).F32(0).F32(100).F32(100));
    else
        r.Object(0, 5, MetafileImage(kEmfPlusOnly, inner)).Add(kDrawImagePoints, 0, OntoPoints(0, 0, 100, 0, 0, 100));
    EmfBuilder b;
    b.Plus(r);
    return b.Finish();
}

// A dual picture drawing `image` (object 0) with `draw`, then a blue square as its fallback.
std::vector<std::uint8_t> Outer(const Bytes& image, std::uint16_t drawType, const Bytes& draw,
                                const EmfPlusRecords& before = {}) {
    EmfPlusRecords r;
    r.Header();
    r.Object(0, 5, image);
    EmfBuilder b;
    b.Plus(r).Plus(before).Plus(EmfPlusRecords().Add(drawType, 0, draw));
    BlueFallback(b);
    return b.Finish();
}

TEST(EmfPlusImages, NestedPictureFillsItsParallelogramAndNothingElse) {
    // A GDI picture: red far beyond its frame, blue in a strip down its left. Its own clip
    // is set far wider than its frame, reset to "everything", widened by a union: each must
    // still stay inside the destination.
    EmfBuilder inner;
    inner
        .Add(kEmrSelectObject, {static_cast<std::int32_t>(0x80000008)})  // NULL_PEN
        .Add(kEmrCreateBrushIndirect, {1, 0, 0x0000FF, 0})
        .Add(kEmrSelectObject, {1})
        .Add(kEmrExtSelectClipRgn, {48, 5, 32, 1, 1, 16, -50, -50, 150, 150, -50, -50, 150, 150})
        .Add(kEmrRectangle, {-50, -50, 150, 150})
        .Add(kEmrExtSelectClipRgn, {0, 5})
        .Add(kEmrRectangle, {-50, -50, 150, 150})
        .Add(kEmrExtSelectClipRgn, {48, 2, 32, 1, 1, 16, -50, -50, 150, 150, -50, -50, 150, 150})  // RGN_OR
        .Add(kEmrRectangle, {-50, -50, 150, 150})
        .Add(kEmrCreateBrushIndirect, {2, 0, 0xFF0000, 0})
        .Add(kEmrSelectObject, {2})
        .Add(kEmrRectangle, {0, 0, 25, 100});
    const Bytes image = MetafileImage(kEmf, inner.Finish());
    // Sheared: corners (20, 20), (60, 20), (40, 80).
    const Bytes draw = OntoPoints(20, 20, 60, 20, 40, 80);
    const QImage out = Render(Outer(image, kDrawImagePoints, draw));
    // Inner (12, 50) and (75, 25), (50, 12) and (50, 88).
    EXPECT_TRUE(Near(out, 35, 50, Qt::blue));
    EXPECT_TRUE(Near(out, 55, 35, Qt::red));
    EXPECT_TRUE(Near(out, 42, 27, Qt::red));
    EXPECT_TRUE(Near(out, 57, 73, Qt::red));
    for (auto [x, y] : {std::pair{25, 75}, {70, 25}, {10, 10}, {90, 90}, {15, 50}, {75, 60}})
        EXPECT_TRUE(Near(out, x, y, Qt::white)) << x << "," << y;

    // With the outer clip of the moment: the top half only.
    const QImage clipped = Render(
        Outer(image, kDrawImagePoints, draw, EmfPlusRecords().Add(0x4032, 0, Bytes().F32(0).F32(0).F32(100).F32(50))));
    EXPECT_TRUE(Near(clipped, 33, 44, Qt::blue));
    EXPECT_TRUE(Near(clipped, 45, 55, Qt::white));
    EXPECT_TRUE(Near(clipped, 25, 75, Qt::white));

    // An outer clip that widens too (a union): still nothing outside the destination.
    const QImage widened = Render(Outer(image, kDrawImagePoints, draw,
                                        EmfPlusRecords()
                                            .Add(0x4032, 0, Bytes().F32(0).F32(0).F32(100).F32(50))
                                            .Add(0x4032, 0x0200, Bytes().F32(90).F32(90).F32(10).F32(10))));
    EXPECT_TRUE(Near(widened, 33, 44, Qt::blue));
    for (auto [x, y] : {std::pair{25, 75}, {70, 25}, {95, 95}})
        EXPECT_TRUE(Near(widened, x, y, Qt::white)) << x << "," << y;
}

TEST(EmfPlusImages, NestingDeeperThanTheLimitPlaysTheFallback) {
    for (int levels : {4, 5}) {
        std::vector<std::uint8_t> picture = PlusOnly();
        for (int i = 1; i < levels; ++i)
            picture = PlusOnly(picture);
        const QImage out =
            Render(Outer(MetafileImage(kEmfPlusOnly, picture), kDrawImagePoints, OntoPoints(0, 0, 100, 0, 0, 100)));
        const QColor expected = levels <= 4 ? Qt::red : Qt::blue;
        EXPECT_TRUE(Near(out, 50, 50, expected)) << levels;
        EXPECT_TRUE(Near(out, 10, 10, levels <= 4 ? Qt::red : Qt::white)) << levels;
    }
}

TEST(EmfPlusImages, NestedPicturesThatCannotBeDrawnOrCostTooMuchPlayTheFallback) {
    // EMF+ records only, one of them unknown: nothing to fall back on inside.
    EmfPlusRecords unknown;
    unknown.Header().Add(kFillRects, kColor, Bytes().U32(0xFFFF0000).U32(1).F32(0).F32(0).F32(100).F32(100));
    unknown.Add(0x4077, 0);
    EmfBuilder broken;
    broken.Plus(unknown);
    // A picture of 4 KB drawn again and again: 80 times are past the budget, 30 are not.
    EmfBuilder big;
    big.Add(kEmrComment, Bytes().U32(4 << 10).Zeros(4 << 10));
    big.Add(kEmrCreateBrushIndirect, {1, 0, 0x0000FF, 0})
        .Add(kEmrSelectObject, {1})
        .Add(kEmrRectangle, {0, 0, 100, 100});
    const Bytes bigImage = MetafileImage(kEmf, big.Finish());
    const auto drawnTimes = [&](int times) {
        EmfPlusRecords draws;
        for (int i = 0; i < times; ++i)
            draws.Add(kDrawImagePoints, 0, OntoPoints(0, 0, 100, 0, 0, 100));
        return Outer(bigImage, kDrawImagePoints, OntoPoints(0, 0, 100, 0, 0, 100), draws);
    };
    EXPECT_TRUE(Near(Render(drawnTimes(30)), 10, 10, Qt::red));
    EXPECT_TRUE(Near(Render(drawnTimes(80)), 10, 10, Qt::white));

    const std::vector<Bytes> fallbacks = {
        MetafileImage(kEmfPlusOnly, broken.Finish()),
        MetafileImage(kWmfPlaceable, PlusOnly()),               // no WMF player: never played as anything else
        MetafileImage(kEmf, std::vector<std::uint8_t>(64, 0)),  // no EMF header
        Bytes().U32(2).U32(kEmf).U32(1000).Zeros(64),           // size past the record
    };
    for (std::size_t i = 0; i < fallbacks.size(); ++i) {
        const QImage out = Render(Outer(fallbacks[i], kDrawImagePoints, OntoPoints(0, 0, 100, 0, 0, 100)));
        EXPECT_TRUE(Near(out, 50, 50, Qt::blue)) << i;
        EXPECT_TRUE(Near(out, 10, 10, Qt::white)) << i;
    }
}

// A compressed bitmap as GDI+ records one: 0 x 0, its size in the file.
Bytes CompressedBitmap(const std::vector<std::uint8_t>& file) {
    return Bytes().U32(1).I32(0).I32(0).I32(0).U32(0).U32(1).Raw(file);
}

// Red and blue on the first row, blue and red on the second.
const std::vector<std::uint8_t> kGif = {0x47, 0x49, 0x46, 0x38, 0x39, 0x61, 0x02, 0x00, 0x02, 0x00, 0xf0,
                                        0x00, 0x00, 0xff, 0x00, 0x00, 0x00, 0x00, 0xff, 0x21, 0xf9, 0x04,
                                        0x00, 0x00, 0x00, 0x00, 0x00, 0x2c, 0x00, 0x00, 0x00, 0x00, 0x02,
                                        0x00, 0x02, 0x00, 0x00, 0x02, 0x03, 0x44, 0x02, 0x05, 0x00, 0x3b};

std::vector<std::uint8_t> Bmp() {
    // Bottom-up 32-bit rows, the fourth byte 0 as in most such files: blue red, then red blue.
    const Bytes bits = Bytes().U32(0x000000FF).U32(0x00FF0000).U32(0x00FF0000).U32(0x000000FF);
    const Bytes info = BitmapInfo(2, 2, 32, 0);
    return Bytes()
        .U8('B')
        .U8('M')
        .U32(static_cast<std::uint32_t>(14 + info.Size() + bits.Size()))
        .U32(0)
        .U32(static_cast<std::uint32_t>(14 + info.Size()))
        .Raw(info.Data())
        .Raw(bits.Data())
        .Data();
}

std::vector<std::uint8_t> Tiff() {
    QImage image(2, 2, QImage::Format_RGB32);
    image.setPixelColor(0, 0, Qt::red);
    image.setPixelColor(1, 1, Qt::red);
    image.setPixelColor(1, 0, Qt::blue);
    image.setPixelColor(0, 1, Qt::blue);
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, "tiff"))
        return {};
    return {buffer.data().begin(), buffer.data().end()};
}

TEST(EmfPlusImages, GifBmpAndTiffBitmapsAreDrawn) {
    const Bytes draw = Bytes().U32(0xFFFFFFFF).U32(2).F32(0).F32(0).F32(2).F32(2).F32(20).F32(20).F32(60).F32(60);
    const std::vector<std::uint8_t> tiff = Tiff();
    ASSERT_FALSE(tiff.empty()) << "Qt's TIFF plugin (qt6-image-formats-plugins) is missing";
    for (const auto& file : {kGif, Bmp(), tiff}) {
        const QImage out = Render(Outer(CompressedBitmap(file), kDrawImage, draw));
        EXPECT_TRUE(Near(out, 30, 30, Qt::red)) << file[0];
        EXPECT_TRUE(Near(out, 70, 30, Qt::blue)) << file[0];
        EXPECT_TRUE(Near(out, 30, 70, Qt::blue)) << file[0];
        EXPECT_TRUE(Near(out, 70, 70, Qt::red)) << file[0];
        EXPECT_TRUE(Near(out, 10, 10, Qt::white)) << file[0];
    }
    // Damaged files: GIF without its size, BMP bits past the end, TIFF directory past the end.
    std::vector<std::uint8_t> bmp = Bmp(), badTiff = tiff;
    bmp[10] = 0xF0;
    badTiff[4] = badTiff[5] = 0x7F;
    for (const auto& file : {std::vector<std::uint8_t>(kGif.begin(), kGif.begin() + 8), bmp, badTiff}) {
        const QImage out = Render(Outer(CompressedBitmap(file), kDrawImage, draw));
        EXPECT_TRUE(Near(out, 50, 50, Qt::blue)) << file[0];
    }
}

}  // namespace
}  // namespace qrp::test
