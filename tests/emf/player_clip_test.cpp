// INTERSECTCLIPRECT, EXCLUDECLIPRECT, EXTSELECTCLIPRGN, OFFSETCLIPRGN, SELECTCLIPPATH,
// SETMETARGN and how SAVEDC/RESTOREDC bring the clip back.
#include "emf/emf_format.h"
#include "play_helpers.h"

namespace qrp::emf {
namespace {

using test::Bytes;
using test::EmfBuilder;

Bytes ClipRegion(std::uint32_t mode, std::initializer_list<std::array<std::int32_t, 4>> rects) {
    Bytes b;
    b.U32(32 + 16 * static_cast<std::uint32_t>(rects.size())).U32(mode);
    b.U32(32).U32(1).U32(static_cast<std::uint32_t>(rects.size())).U32(0).I32s({0, 0, 0, 0});
    for (const auto& r : rects)
        b.I32s({r[0], r[1], r[2], r[3]});
    return b;
}

void Dot(EmfBuilder& b) {
    b.Add(kEmrSetPixelV, {1, 1, 0});
}

TEST(PlayerClip, NestedRectanglesFoldAndRestore) {
    EmfBuilder b;
    b.Add(kEmrSaveDc, {});
    b.Add(kEmrIntersectClipRect, {0, 0, 50, 50});
    Dot(b);
    b.Add(kEmrIntersectClipRect, {10, 10, 80, 80});  // folds into 10,10-50,50
    Dot(b);
    b.Add(kEmrExcludeClipRect, {20, 20, 30, 30});
    Dot(b);
    b.Add(kEmrRestoreDc, {-1});
    Dot(b);  // back to no clip
    Dot(b);  // unchanged: nothing new is sent
    const std::string text = Play(b.Finish());
    ExpectGolden("clip_rects", text);
    EXPECT_NE(text.find("clip intersect(alternate M10.00,10.00 L50.00,10.00 L50.00,50.00 L10.00,50.00 Z)\n"),
              std::string::npos);
}

TEST(PlayerClip, OnlyIntersectionsFold) {
    // A union with everything stays everything; intersecting afterwards must not shrink the
    // union's rectangle instead.
    EmfBuilder b;
    b.Add(kEmrExtSelectClipRgn, ClipRegion(kRgnOr, {{0, 0, 10, 10}})).Add(kEmrIntersectClipRect, {5, 5, 50, 50});
    Dot(b);
    const std::string text = Play(b.Finish());
    EXPECT_NE(text.find("clip unite(winding M0.00,0.00 L10.00,0.00 L10.00,10.00 L0.00,10.00 Z) "
                        "intersect(alternate M5.00,5.00"),
              std::string::npos)
        << text;
}

TEST(PlayerClip, RectanglesFollowTheMapping) {
    EmfBuilder b;
    b.Add(kEmrSetMapMode, {kMmAnisotropic}).Add(kEmrSetWindowExtEx, {10, 10}).Add(kEmrSetViewportExtEx, {20, -20});
    b.Add(kEmrSetViewportOrgEx, {0, 100}).Add(kEmrIntersectClipRect, {1, 1, 3, 2});
    Dot(b);
    b.Add(kEmrSetWorldTransform, Bytes().F32(0.7071f).F32(0.7071f).F32(-0.7071f).F32(0.7071f).F32(0).F32(0));
    b.Add(kEmrIntersectClipRect, {1, 1, 3, 2});  // rotated: a path, no folding
    Dot(b);
    ExpectGolden("clip_mapped", Play(b.Finish()));
}

TEST(PlayerClip, RegionsInEveryMode) {
    EmfBuilder b;
    for (std::uint32_t mode : {kRgnCopy, kRgnAnd, kRgnOr, kRgnXor, kRgnDiff}) {
        b.Add(kEmrExtSelectClipRgn, ClipRegion(mode, {{0, 0, 10, 10}, {20, 0, 30, 10}}));
        Dot(b);
    }
    b.Add(kEmrExtSelectClipRgn, ClipRegion(kRgnAnd, {{5, 5, 8, 8}}));  // a single rectangle
    Dot(b);
    b.Add(kEmrOffsetClipRgn, {100, 1});
    Dot(b);
    b.Add(kEmrExtSelectClipRgn, Bytes().U32(0).U32(kRgnCopy));  // no region: default clip
    Dot(b);
    b.Add(kEmrExtSelectClipRgn, Bytes().U32(48).U32(kRgnAnd).U32(32).U32(1).U32(9).U32(0));  // count past the data
    Dot(b);
    PlayStats stats;
    ExpectGolden("clip_regions", Play(b.Finish(), {0, 0, 200, 200}, &stats));
    EXPECT_EQ(stats.damaged, 1u);
}

TEST(PlayerClip, ClipPathAndMetaRegion) {
    EmfBuilder b;
    b.Add(kEmrBeginPath, {}).Add(kEmrEllipse, {0, 0, 20, 20}).Add(kEmrEndPath, {});
    b.Add(kEmrSelectClipPath, {kRgnCopy});
    Dot(b);
    b.Add(kEmrSetMetaRgn, {});
    b.Add(kEmrIntersectClipRect, {0, 0, 5, 5});
    Dot(b);
    b.Add(kEmrExtSelectClipRgn, ClipRegion(kRgnCopy, {{0, 0, 3, 3}}));  // stays inside the meta region
    Dot(b);
    b.Add(kEmrExtSelectClipRgn, Bytes().U32(0).U32(kRgnCopy));
    Dot(b);
    ExpectGolden("clip_path_meta", Play(b.Finish()));
}

}  // namespace
}  // namespace qrp::emf
