#include "image_checks.h"

#include <cstdlib>
#include <cstring>

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
