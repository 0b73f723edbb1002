// Plays arbitrary bytes as an EMF onto a device that only touches what it is given, so
// that the sanitizers see every path, pen, text run and image the player makes.
#include <cstddef>
#include <cstdint>
#include <span>

#include "base/errors.h"
#include "emf/player.h"

namespace {

class TouchingDevice : public qrp::emf::Device {
  public:
    void SetClip(const qrp::emf::Clip& clip) override {
        for (const auto& step : clip.steps)
            m_sum += step.path.elements.size();
    }
    void DrawPath(const qrp::emf::Path& path, const qrp::emf::Pen& pen, const qrp::emf::Brush& brush,
                  std::uint32_t) override {
        for (const auto& e : path.elements)
            m_sum += e.points[0].x + e.points[2].y;
        m_sum += pen.width + pen.dashes.size();
        if (brush.pattern)
            m_sum += brush.pattern->pixels.empty() ? 0 : brush.pattern->pixels.back();
        for (const auto& stop : brush.stops)
            m_sum += stop.position + stop.color.a;
    }
    void DrawText(const qrp::emf::TextRun& run) override {
        m_sum += run.text.size() + run.origins.size() + run.font.height;
        if (!run.origins.empty())
            m_sum += run.origins.back().x;
    }
    void DrawImage(const qrp::emf::ImageDraw& draw) override {
        // Decoded images claim width x height pixels; reading the last one checks the
        // claim. A JPEG or PNG image has no pixels, only its file's bytes.
        const auto& image = *draw.image;
        if (image.encoding != qrp::emf::ImageEncoding::None) {
            m_sum += image.encoded.empty() ? 0 : image.encoded.back();
        } else if (image.width > 0 && image.height > 0) {
            m_sum += image.pixels.at(static_cast<std::size_t>(image.width) * image.height - 1);
        }
    }
    double Sum() const { return m_sum; }

  private:
    double m_sum = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    try {
        const qrp::emf::Player player(std::span<const std::uint8_t>(data, size));
        TouchingDevice device;
        player.Play(device, {0, 0, 850, 1100});
        volatile double sink = device.Sum();
        (void)sink;
    } catch (const qrp::EQRError&) {
        // Not an EMF header: the only failure playback may report.
    }
    return 0;
}
