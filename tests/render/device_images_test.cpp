// Bitmaps on the QPainter device: source rectangles onto parallelograms, raster operations,
// constant alpha and transparent colours.
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
    auto mask = std::make_shared<emf::Image>(emf::Image{2, 1, {0xFF000000u, 0xFFFFFFFFu}});
    auto picture = std::make_shared<emf::Image>(emf::Image{2, 1, {0xFFFF0000u, 0xFF000000u}});
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
    auto image = std::make_shared<emf::Image>(emf::Image{1, 1, {0x80000000u}});
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
    auto shortImage = std::make_shared<emf::Image>(emf::Image{4, 4, {0xFF000000u}});
    const QImage image = DrawImages({empty, flat, infinite, Blit(shortImage, 0, 0, 40, 40)});
    EXPECT_EQ(InkCount(image), 0);
}

}  // namespace
}  // namespace qrp::test
