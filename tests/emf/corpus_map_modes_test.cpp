// One picture saved under every map mode (corpus files l2s_041 to l2s_049, same drawing,
// different logical units and axis directions) must land on the same output geometry.
#include <algorithm>
#include <cmath>

#include <gtest/gtest.h>

#include "emf/player.h"
#include "support/test_paths.h"

namespace qrp::emf {
namespace {

// Where each call lands: the bounding box of what it draws.
class BoxDevice : public Device {
  public:
    void SetClip(const Clip&) override {}
    void DrawPath(const Path& path, const Pen&, const Brush&, std::uint32_t) override {
        RectF box{INFINITY, INFINITY, -INFINITY, -INFINITY};
        for (const PathElement& e : path.elements) {
            const int n = e.op == PathOp::CubicTo ? 3 : e.op == PathOp::Close ? 0 : 1;
            for (int i = 0; i < n; ++i)
                Grow(box, e.points[i]);
        }
        boxes.push_back(box);
    }
    void DrawText(const TextRun& run) override {
        boxes.push_back({run.reference.x, run.reference.y, run.reference.x, run.reference.y});
    }
    void DrawImage(const ImageDraw& draw) override {
        RectF box{INFINITY, INFINITY, -INFINITY, -INFINITY};
        const PointF& a = draw.destination[0];
        const PointF& b = draw.destination[1];
        const PointF& c = draw.destination[2];
        for (const PointF& p : {a, b, c, PointF{b.x + c.x - a.x, b.y + c.y - a.y}})
            Grow(box, p);
        boxes.push_back(box);
    }

    std::vector<RectF> boxes;

  private:
    static void Grow(RectF& box, const PointF& p) {
        box = {std::min(box.left, p.x), std::min(box.top, p.y), std::max(box.right, p.x), std::max(box.bottom, p.y)};
    }
};

std::vector<RectF> Boxes(const std::filesystem::path& file) {
    const auto bytes = test::ReadFileBytes(file);
    BoxDevice device;
    Player(bytes).Play(device, {0, 0, 400, 400});
    return device.boxes;
}

TEST(EmfCorpusMapModes, SamePictureInEveryMapModeDrawsAlike) {
    const auto dir = test::CorpusDir();
    if (!dir || !std::filesystem::exists(*dir / "emf" / "l2s_048.emf"))
        GTEST_SKIP() << "no EMF corpus";
    const auto reference = Boxes(*dir / "emf" / "l2s_048.emf");  // MM_TEXT
    ASSERT_GE(reference.size(), 8u);
    for (const char* name : {"l2s_041", "l2s_042", "l2s_043", "l2s_045", "l2s_046", "l2s_047", "l2s_049"}) {
        const auto boxes = Boxes(*dir / "emf" / (std::string(name) + ".emf"));
        ASSERT_EQ(boxes.size(), reference.size()) << name;
        for (std::size_t i = 0; i < boxes.size(); ++i) {
            // Logical units coarser than pixels round the corners a little.
            const double tolerance = 1.0;
            EXPECT_NEAR(boxes[i].left, reference[i].left, tolerance) << name << " call " << i;
            EXPECT_NEAR(boxes[i].top, reference[i].top, tolerance) << name << " call " << i;
            EXPECT_NEAR(boxes[i].right, reference[i].right, tolerance) << name << " call " << i;
            EXPECT_NEAR(boxes[i].bottom, reference[i].bottom, tolerance) << name << " call " << i;
        }
    }
}

}  // namespace
}  // namespace qrp::emf
