// Every picture of the shared corpus renders; damaged ones end without a crash. Skipped
// when the corpus is not beside this checkout.
#include <QPainter>

#include <gtest/gtest.h>

#include "base/errors.h"
#include "emf/player.h"
#include "image_checks.h"
#include "render/page_renderer.h"
#include "render/qpainter_device.h"
#include "support/test_paths.h"

namespace qrp::test {
namespace {

// Passes every call on and notes whether the picture asked for anything but white: text
// in glyph indices of a font that is not installed draws nothing by design, and white
// shapes leave no ink.
class InkWatch final : public emf::Device {
  public:
    explicit InkWatch(emf::Device& target) : m_target(target) {}
    bool WantsInk() const { return m_wantsInk; }

    void SetClip(const emf::Clip& clip) override { m_target.SetClip(clip); }
    void DrawPath(const emf::Path& path, const emf::Pen& pen, const emf::Brush& brush, std::uint32_t rop2) override {
        const emf::Color white{255, 255, 255};
        if ((brush.style != emf::BrushStyle::Null && (brush.style != emf::BrushStyle::Solid || brush.color != white)) ||
            (pen.style != emf::PenStyle::Null && pen.color != white))
            m_wantsInk = true;
        m_target.DrawPath(path, pen, brush, rop2);
    }
    void DrawText(const emf::TextRun& run) override {
        if (!(run.options & 0x0010))
            m_wantsInk = true;
        m_target.DrawText(run);
    }
    void DrawImage(const emf::ImageDraw& draw) override {
        m_wantsInk = true;
        m_target.DrawImage(draw);
    }

  private:
    emf::Device& m_target;
    bool m_wantsInk = false;
};

TEST(CorpusRender, EveryPictureDrawsSomethingVisible) {
    const auto files = CorpusFiles("emf");
    if (files.empty())
        GTEST_SKIP() << "no corpus";
    std::vector<std::string> blank;
    for (const auto& file : files) {
        SCOPED_TRACE(file.filename().string());
        const std::vector<std::uint8_t> bytes = ReadFileBytes(file);
        const QSize size = render::ImageSizeFor(bytes, render::RasterSize{300, 96});
        QImage image = WhiteImage(size.width(), size.height());
        QPainter painter(&image);
        bool wantsInk = false;
        {
            render::QPainterDevice device(painter);
            InkWatch watch(device);
            emf::Player(bytes).Play(watch, {0, 0, double(size.width()), double(size.height())});
            wantsInk = watch.WantsInk();
        }
        painter.end();
        if (wantsInk && InkCount(image) == 0)
            blank.push_back(file.filename().string());
    }
    std::string list;
    for (const auto& name : blank)
        list += " " + name;
    EXPECT_TRUE(blank.empty()) << blank.size() << " pictures that draw in colour stayed white:" << list;
}

TEST(CorpusRender, DamagedPicturesEndWithoutACrash) {
    const auto files = CorpusFiles("emf-malformed");
    if (files.empty())
        GTEST_SKIP() << "no corpus";
    for (const auto& file : files) {
        SCOPED_TRACE(file.filename().string());
        try {
            const QImage image = render::RenderToImage(ReadFileBytes(file), render::RasterSize{300, 96});
            EXPECT_EQ(image.width(), 300);
        } catch (const EQRError&) {
            // Not a picture at all ("Metafile is not valid"): the expected refusal.
        }
    }
}

}  // namespace
}  // namespace qrp::test
