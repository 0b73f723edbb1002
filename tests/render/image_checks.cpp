#include "image_checks.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace qrp::test {

QImage WhiteImage(int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::white);
    return image;
}

int InkCount(const QImage& image, QRect area) {
    if (area.isEmpty())
        area = image.rect();
    area &= image.rect();
    int count = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if ((image.pixel(x, y) & 0xFFFFFF) != 0xFFFFFF)
                ++count;
    return count;
}

QRect InkBounds(const QImage& image) {
    QRect bounds;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if ((image.pixel(x, y) & 0xFFFFFF) != 0xFFFFFF)
                bounds |= QRect(x, y, 1, 1);
    return bounds;
}

namespace {

// Grey values, blurred over each pixel's 3 x 3 neighbourhood.
std::vector<int> BlurredGrey(const QImage& image) {
    const int w = image.width(), h = image.height();
    std::vector<int> grey(static_cast<std::size_t>(w * h)), blurred(grey.size());
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            grey[static_cast<std::size_t>(y * w + x)] = qGray(image.pixel(x, y));
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            int sum = 0, count = 0;
            for (int dy = -1; dy <= 1; ++dy)
                for (int dx = -1; dx <= 1; ++dx)
                    if (x + dx >= 0 && x + dx < w && y + dy >= 0 && y + dy < h) {
                        sum += grey[static_cast<std::size_t>((y + dy) * w + x + dx)];
                        ++count;
                    }
            blurred[static_cast<std::size_t>(y * w + x)] = sum / count;
        }
    }
    return blurred;
}

}  // namespace

double InkSimilarity(const QImage& actual, const QImage& reference) {
    const QRect a = InkBounds(actual), r = InkBounds(reference);
    if (a.isEmpty() || r.isEmpty())
        return a.isEmpty() && r.isEmpty() ? 1 : 0;
    const QImage ours = actual.copy(a).convertToFormat(QImage::Format_RGB32);
    const QImage theirs = reference.copy(r)
                              .convertToFormat(QImage::Format_RGB32)
                              .scaled(a.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    const std::vector<int> g1 = BlurredGrey(ours), g2 = BlurredGrey(theirs);
    long dark = 0, differing = 0;
    for (std::size_t i = 0; i < g1.size(); ++i) {
        dark += (g1[i] < 230) + (g2[i] < 230);
        differing += std::abs(g1[i] - g2[i]) > 64;
    }
    return dark == 0 ? 1 : std::clamp(1.0 - static_cast<double>(differing) / static_cast<double>(dark), 0.0, 1.0);
}

bool Near(const QImage& image, int x, int y, QColor expected, int tolerance) {
    const QColor c = image.pixelColor(x, y);
    return std::abs(c.red() - expected.red()) <= tolerance && std::abs(c.green() - expected.green()) <= tolerance &&
           std::abs(c.blue() - expected.blue()) <= tolerance;
}

std::string CompareImageGolden(const std::filesystem::path& golden, const QImage& actual) {
    const QString path = QString::fromStdString(golden.string());
    if (const char* update = std::getenv("QRP_UPDATE_GOLDEN"); update && std::strcmp(update, "1") == 0) {
        std::filesystem::create_directories(golden.parent_path());
        return actual.save(path, "PNG") ? std::string() : "cannot write " + golden.string();
    }
    const QImage expected(path);
    if (expected.isNull())
        return "missing golden " + golden.string() + " (QRP_UPDATE_GOLDEN=1 writes it)";
    if (expected.size() != actual.size())
        return "size " + std::to_string(actual.width()) + "x" + std::to_string(actual.height()) + ", golden " +
               std::to_string(expected.width()) + "x" + std::to_string(expected.height());
    int differing = 0;
    for (int y = 0; y < actual.height(); ++y) {
        for (int x = 0; x < actual.width(); ++x) {
            const QColor a = actual.pixelColor(x, y), e = expected.pixelColor(x, y);
            if (std::abs(a.red() - e.red()) > 48 || std::abs(a.green() - e.green()) > 48 ||
                std::abs(a.blue() - e.blue()) > 48)
                ++differing;
        }
    }
    const int allowed = actual.width() * actual.height() / 100;
    if (differing <= allowed)
        return {};
    return std::to_string(differing) + " pixels differ from " + golden.string() + " (at most " +
           std::to_string(allowed) + " may)";
}

}  // namespace qrp::test
