// Bitmaps on the QPainter device: source rectangles onto parallelograms, raster operations,
// constant alpha and transparent colours.
#include <QBuffer>
#include <QPicture>

#include <gtest/gtest.h>

#include "device_helpers.h"

namespace qrp::test {
namespace {

using emf::Device;

constexpr std::uint32_t kSrcCopy = 0x00CC0020, kSrcAnd = 0x008800C6, kSrcPaint = 0x00EE0086, kSrcInvert = 0x00660046,
                        kNotSrcCopy = 0x00330008, kBlackness = 0x00000042, kWhiteness = 0x00FF0062,
                        kDstInvert = 0x00550009;

// 2x2: red, green / blue, black.
std::shared_ptr<emf::Image> Quad() {
    auto image = std::make_shared<emf::Image>();
    image->width = image->height = 2;
    image->pixels = {0xFFFF0000u, 0xFF00FF00u, 0xFF0000FFu, 0xFF000000u};
    return image;
}

emf::ImageDraw Blit(std::shared_ptr<const emf::Image> image, double x, double y, double w, double h,
                    std::uint32_t rop = kSrcCopy) {
    emf::ImageDraw draw;
    draw.image = std::move(image);
    draw.source = {0, 0, 2, 2};
    draw.destination = {{{x, y}, {x + w, y}, {x, y + h}}};
    draw.rop = rop;
    return draw;
}

// `picture` saved as a file of `format`, declared as `declared` pixels (its own size when empty).
std::shared_ptr<emf::Image> Encoded(const QImage& picture, const char* format, QSize declared = {}) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    EXPECT_TRUE(picture.save(&buffer, format, 100));
    auto image = std::make_shared<emf::Image>();
    declared = declared.isEmpty() ? picture.size() : declared;
    image->width = declared.width();
    image->height = declared.height();
    image->encoding = QByteArray(format) == "JPEG" ? emf::ImageEncoding::Jpeg : emf::ImageEncoding::Png;
    image->encoded.assign(bytes.begin(), bytes.end());
    return image;
}

QImage QuadPicture() {
    QImage picture(2, 2, QImage::Format_RGB32);
    picture.setPixel(0, 0, qRgb(255, 0, 0));
    picture.setPixel(1, 0, qRgb(0, 255, 0));
    picture.setPixel(0, 1, qRgb(0, 0, 255));
    picture.setPixel(1, 1, qRgb(0, 0, 0));
    return picture;
}

QImage DrawImages(std::initializer_list<emf::ImageDraw> draws, const emf::Brush* background = nullptr) {
    return DrawOnImage(40, 40, [&](Device& d) {
        if (background)
            d.DrawPath(RectPath(0, 0, 40, 40), NullPen(), *background, kCopyPen);
        for (const auto& draw : draws)
            d.DrawImage(draw);
    });
}

TEST(DeviceImages, SourceStretchesOntoTheDestination) {
    const QImage image = DrawImages({Blit(Quad(), 0, 0, 40, 40)});
    EXPECT_TRUE(Near(image, 10, 10, Qt::red));
    EXPECT_TRUE(Near(image, 30, 10, Qt::green));
    EXPECT_TRUE(Near(image, 10, 30, Qt::blue));
    EXPECT_TRUE(Near(image, 30, 30, Qt::black));
    // Enlarged pixels stay sharp: no blend at the seam.
    EXPECT_TRUE(Near(image, 19, 10, Qt::red));
    EXPECT_TRUE(Near(image, 20, 10, Qt::green));
}

TEST(DeviceImages, PartOfTheSourceAndMirroredDestinations) {
    emf::ImageDraw part = Blit(Quad(), 0, 0, 40, 40);
    part.source = {1, 0, 2, 1};  // green only
    EXPECT_TRUE(Near(DrawImages({part}), 5, 35, Qt::green));

    // Top-right corner left of top-left: mirrored in x.
    emf::ImageDraw mirrored = Blit(Quad(), 40, 0, -40, 40);
    const QImage image = DrawImages({mirrored});
    EXPECT_TRUE(Near(image, 10, 10, Qt::green));
    EXPECT_TRUE(Near(image, 30, 10, Qt::red));
}

TEST(DeviceImages, ParallelogramRotatesTheSource) {
    // Source x runs down the page, source y to the left: a quarter turn clockwise.
    emf::ImageDraw draw = Blit(Quad(), 0, 0, 0, 0);
    draw.destination = {{{40, 0}, {40, 40}, {0, 0}}};
    const QImage image = DrawImages({draw});
    EXPECT_TRUE(Near(image, 30, 10, Qt::red));
    EXPECT_TRUE(Near(image, 30, 30, Qt::green));
    EXPECT_TRUE(Near(image, 10, 10, Qt::blue));
}

TEST(DeviceImages, SourceBeyondTheImageIsTransparent) {
    emf::ImageDraw draw = Blit(Quad(), 0, 0, 40, 40);
    draw.source = {0, 0, 4, 4};  // the image covers the top-left quarter
    const QImage image = DrawImages({draw});
    EXPECT_TRUE(Near(image, 5, 5, Qt::red));
    EXPECT_TRUE(Near(image, 30, 30, Qt::white));
}

TEST(DeviceImages, AndThenPaintMakesTheClassicMask) {
    // Mask: black where the picture goes, white elsewhere; picture: red there, black elsewhere.
    auto mask = MakeImage(2, 1, {0xFF000000u, 0xFFFFFFFFu});
    auto picture = MakeImage(2, 1, {0xFFFF0000u, 0xFF000000u});
    emf::ImageDraw first = Blit(mask, 0, 0, 40, 40, kSrcAnd);
    first.source = {0, 0, 2, 1};
    emf::ImageDraw second = Blit(picture, 0, 0, 40, 40, kSrcPaint);
    second.source = {0, 0, 2, 1};
    const emf::Brush blue = SolidBrush(kBlue);
    const QImage image = DrawImages({first, second}, &blue);
    EXPECT_TRUE(Near(image, 10, 20, Qt::red));
    EXPECT_TRUE(Near(image, 30, 20, Qt::blue));  // the background shows through
}

TEST(DeviceImages, InvertingOperations) {
    const emf::Brush blue = SolidBrush(kBlue);
    const QImage xored = DrawImages({Blit(Quad(), 0, 0, 40, 40, kSrcInvert)}, &blue);
    EXPECT_TRUE(Near(xored, 10, 10, Qt::magenta));  // red ^ blue
    EXPECT_TRUE(Near(xored, 30, 30, Qt::blue));     // black ^ blue
    const QImage negative = DrawImages({Blit(Quad(), 0, 0, 40, 40, kNotSrcCopy)});
    EXPECT_TRUE(Near(negative, 10, 10, Qt::cyan));
    EXPECT_TRUE(Near(negative, 30, 30, Qt::white));
}

TEST(DeviceImages, OperationsWithoutASource) {
    emf::ImageDraw black = Blit(nullptr, 0, 0, 20, 40, kBlackness);
    emf::ImageDraw white = Blit(nullptr, 20, 0, 20, 40, kWhiteness);
    emf::ImageDraw invert = Blit(nullptr, 10, 0, 20, 40, kDstInvert);
    const emf::Brush red = SolidBrush(kRed);
    const QImage image = DrawImages({black, white, invert}, &red);
    EXPECT_TRUE(Near(image, 5, 5, Qt::black));
    EXPECT_TRUE(Near(image, 15, 5, Qt::white));  // black inverted
    EXPECT_TRUE(Near(image, 25, 5, Qt::black));  // white inverted
    EXPECT_TRUE(Near(image, 35, 5, Qt::white));
}

TEST(DeviceImages, ConstantAlphaBlends) {
    emf::ImageDraw draw = Blit(Quad(), 0, 0, 40, 40);
    draw.blend = emf::BlendFunction{0, 0, 128, 0};
    const QImage image = DrawImages({draw});
    EXPECT_TRUE(Near(image, 30, 30, QColor(127, 127, 127), 4));
    EXPECT_TRUE(Near(image, 10, 10, QColor(255, 127, 127), 4));
}

TEST(DeviceImages, PerPixelAlphaOnlyWithSourceAlpha) {
    // Half-transparent black, premultiplied.
    auto image = MakeImage(1, 1, {0x80000000u});
    emf::ImageDraw draw = Blit(image, 0, 0, 40, 40);
    draw.source = {0, 0, 1, 1};
    draw.blend = emf::BlendFunction{0, 0, 255, 1};
    EXPECT_TRUE(Near(DrawImages({draw}), 20, 20, QColor(127, 127, 127), 4));
    draw.blend->alphaFormat = 0;
    EXPECT_TRUE(Near(DrawImages({draw}), 20, 20, Qt::black, 4));
}

TEST(DeviceImages, TransparentColourIsSkipped) {
    emf::ImageDraw draw = Blit(Quad(), 0, 0, 40, 40);
    draw.transparentColor = emf::Color{0, 255, 0};
    const emf::Brush blue = SolidBrush(kBlue);
    const QImage image = DrawImages({draw}, &blue);
    EXPECT_TRUE(Near(image, 10, 10, Qt::red));
    EXPECT_TRUE(Near(image, 30, 10, Qt::blue));
}

TEST(DeviceImages, BrokenDrawsAreIgnored) {
    emf::ImageDraw empty = Blit(Quad(), 0, 0, 40, 40);
    empty.source = {0, 0, 0, 2};
    emf::ImageDraw flat = Blit(Quad(), 0, 0, 40, 0);
    emf::ImageDraw infinite = Blit(Quad(), 0, 0, 1e300, 40);
    auto shortImage = MakeImage(4, 4, {0xFF000000u});
    const QImage image = DrawImages({empty, flat, infinite, Blit(shortImage, 0, 0, 40, 40)});
    EXPECT_EQ(InkCount(image), 0);
}

TEST(DeviceImages, JpegAndPngAreDecodedAtTheirDeclaredSize) {
    const QImage png = DrawImages({Blit(Encoded(QuadPicture(), "PNG"), 0, 0, 40, 40)});
    EXPECT_TRUE(Near(png, 10, 10, Qt::red));
    EXPECT_TRUE(Near(png, 30, 10, Qt::green));
    EXPECT_TRUE(Near(png, 10, 30, Qt::blue));
    EXPECT_TRUE(Near(png, 30, 30, Qt::black));

    QImage redPicture(16, 16, QImage::Format_RGB32);
    redPicture.fill(Qt::red);
    emf::ImageDraw jpeg = Blit(Encoded(redPicture, "JPEG"), 0, 0, 40, 40);
    jpeg.source = {0, 0, 16, 16};
    EXPECT_TRUE(Near(DrawImages({jpeg}), 20, 20, Qt::red, 24));

    // Declared twice its size: the source rectangle counts in declared pixels, so the
    // declared 2 x 2 source is the red pixel, and the small file is not scaled up first.
    const QImage declared = DrawImages({Blit(Encoded(QuadPicture(), "PNG", {4, 4}), 0, 0, 40, 40)});
    EXPECT_TRUE(Near(declared, 5, 5, Qt::red));
    EXPECT_TRUE(Near(declared, 35, 35, Qt::red));
    // Declared half its size: decoded down to it.
    QImage large(4, 4, QImage::Format_RGB32);
    large.fill(Qt::blue);
    EXPECT_TRUE(Near(DrawImages({Blit(Encoded(large, "PNG", {2, 2}), 0, 0, 40, 40)}), 20, 20, Qt::blue));
}

TEST(DeviceImages, DamagedOrOversizedEncodedImagesDrawNothing) {
    auto damaged = Encoded(QuadPicture(), "PNG");
    damaged->encoded.resize(20);
    auto garbage = std::make_shared<emf::Image>(*damaged);
    garbage->encoded.assign(64, 0xAB);
    // A 64 x 64 file that says it is 2 x 2: a small header must not buy a large allocation.
    QImage large(64, 64, QImage::Format_RGB32);
    large.fill(Qt::red);
    const QImage image = DrawImages(
        {Blit(damaged, 0, 0, 40, 40), Blit(garbage, 0, 0, 40, 40), Blit(Encoded(large, "PNG", {2, 2}), 0, 0, 40, 40)});
    EXPECT_TRUE(Near(image, 10, 10, Qt::white));
    EXPECT_TRUE(Near(image, 30, 30, Qt::white));
}

// Source: white left half, black right half; a red brush; the destination blue above y 20.
// PSDPxax keeps the destination under white source pixels and paints the brush under black
// ones; MERGECOPY is brush AND source.
void DrawPatternBlits(Device& d) {
    d.DrawPath(RectPath(0, 0, 40, 20), NullPen(), SolidBrush(kBlue), kCopyPen);
    emf::ImageDraw psdp = Blit(MakeImage(2, 1, {0xFFFFFFFFu, 0xFF000000u}), 0, 0, 40, 40, 0x00B8074A);
    psdp.source = {0, 0, 2, 1};
    psdp.pattern = SolidBrush(kRed);
    d.DrawImage(psdp);
    emf::ImageDraw merge = psdp;
    merge.rop = 0x00C000CA;
    merge.destination = {{{0, 40}, {40, 40}, {0, 60}}};
    d.DrawImage(merge);
}

TEST(DeviceImages, PatternRopsCombineBrushSourceAndDestinationOnAnImage) {
    const QImage image = DrawOnImage(40, 60, DrawPatternBlits);
    EXPECT_TRUE(Near(image, 10, 10, Qt::blue));   // white source: destination kept
    EXPECT_TRUE(Near(image, 10, 30, Qt::white));  // the same on white
    EXPECT_TRUE(Near(image, 30, 10, Qt::red));    // black source: the brush
    EXPECT_TRUE(Near(image, 30, 30, Qt::red));
    EXPECT_TRUE(Near(image, 10, 50, Qt::red));    // red AND white
    EXPECT_TRUE(Near(image, 30, 50, Qt::black));  // red AND black
}

TEST(DeviceImages, PatternRopsWithoutADestinationToReadComeOutAsOnWhitePaper) {
    // A QPicture records for a paint engine that cannot read back (like PDF and SVG).
    QPicture picture;
    {
        QPainter painter(&picture);
        render::QPainterDevice device(painter);
        DrawPatternBlits(device);
    }
    QImage image = WhiteImage(40, 60);
    QPainter painter(&image);
    painter.drawPicture(0, 0, picture);
    painter.end();
    EXPECT_TRUE(Near(image, 10, 10, Qt::blue));  // kept: left transparent
    EXPECT_TRUE(Near(image, 30, 10, Qt::red));
    EXPECT_TRUE(Near(image, 10, 50, Qt::red));
    EXPECT_TRUE(Near(image, 30, 50, Qt::black));
}

}  // namespace
}  // namespace qrp::test
