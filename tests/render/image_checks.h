// Pixel checks shared by the render tests: a white canvas, ink counts and golden images.
#pragma once

#include <filesystem>
#include <functional>
#include <string>

#include <QColor>
#include <QImage>
#include <QRect>

namespace qrp::test {

// A white RGB32 image.
QImage WhiteImage(int width, int height);

// Pixels in `area` (the whole image when empty) that are not white.
int InkCount(const QImage& image, QRect area = {});
// The bounding box of the non-white pixels; empty when the image is blank.
QRect InkBounds(const QImage& image);
// True when the pixel at (x, y) is within `tolerance` of `expected` in every channel.
bool Near(const QImage& image, int x, int y, QColor expected, int tolerance = 8);

// How alike the ink of two pictures is, each cropped to its ink and `reference` scaled to
// the size of `actual`'s: both greyed and blurred by a pixel, then 1 - (pixels whose grey
// differs by more than a quarter) / (dark pixels of both), within 0..1. Blank pictures
// count as alike.
double InkSimilarity(const QImage& actual, const QImage& reference);

// Compares `actual` with the PNG golden, pixel by pixel: a pixel differs when a channel is
// off by more than 48 (antialiasing moves between Qt and FreeType versions); up to 1% of
// the pixels may differ. QRP_UPDATE_GOLDEN=1 rewrites the golden instead. Returns an
// empty string on a match, else what differs.
std::string CompareImageGolden(const std::filesystem::path& golden, const QImage& actual);

}  // namespace qrp::test
