// Lines, polygons, curves, box shapes, arcs, paths, pixels, regions and gradients.
#include "emf/emf_format.h"
#include "play_helpers.h"

namespace qrp::emf {
namespace {

using test::Bytes;
using test::EmfBuilder;

Bytes Poly16(std::initializer_list<std::int16_t> xy) {
    Bytes b;
    b.I32s({0, 0, 0, 0}).U32(static_cast<std::uint32_t>(xy.size() / 2));
    for (std::int16_t v : xy)
        b.I16(v);
    return b;
}

Bytes Poly32(std::initializer_list<std::int32_t> xy) {
    Bytes b;
    b.I32s({0, 0, 0, 0}).U32(static_cast<std::uint32_t>(xy.size() / 2));
    for (std::int32_t v : xy)
        b.I32(v);
    return b;
}

Bytes Region(std::initializer_list<std::array<std::int32_t, 4>> rects) {
    Bytes b;
    b.U32(32).U32(1).U32(static_cast<std::uint32_t>(rects.size())).U32(0).I32s({0, 0, 0, 0});
    for (const auto& r : rects)
        b.I32s({r[0], r[1], r[2], r[3]});
    return b;
}

TEST(PlayerShapes, LinesAndPolygons) {
    EmfBuilder b;
    b.Add(kEmrMoveToEx, {1, 1}).Add(kEmrLineTo, {9, 1}).Add(kEmrLineTo, {9, 9});  // the position moves on
    b.Add(kEmrPolyline16, Poly16({0, 0, 10, 0, 10, 10}));
    b.Add(kEmrPolyline, Poly32({0, 0, 20, 0}));
    b.Add(kEmrPolygon16, Poly16({0, 0, 10, 0, 5, 8}));
    b.Add(kEmrSetPolyFillMode, {kWinding}).Add(kEmrPolygon, Poly32({0, 0, 10, 0, 5, 8}));
    b.Add(kEmrMoveToEx, {50, 50}).Add(kEmrPolylineTo16, Poly16({60, 50, 60, 60})).Add(kEmrLineTo, {50, 60});
    b.Add(kEmrPolyBezier16, Poly16({0, 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}));  // a start and 2 curves
    b.Add(kEmrMoveToEx, {0, 0}).Add(kEmrPolyBezierTo16, Poly16({1, 1, 2, 2, 3, 3})).Add(kEmrLineTo, {4, 4});
    // Two polygons of 3 and 4 points; and polylines in 32-bit points.
    b.Add(kEmrPolyPolygon16, Bytes()
                                 .I32s({0, 0, 0, 0})
                                 .U32(2)
                                 .U32(7)
                                 .U32(3)
                                 .U32(4)
                                 .I16(0)
                                 .I16(0)
                                 .I16(5)
                                 .I16(0)
                                 .I16(5)
                                 .I16(5)
                                 .I16(10)
                                 .I16(10)
                                 .I16(20)
                                 .I16(10)
                                 .I16(20)
                                 .I16(20)
                                 .I16(10)
                                 .I16(20));
    b.Add(kEmrPolyPolyline, Bytes().I32s({0, 0, 0, 0}).U32(2).U32(4).U32(2).U32(2).I32s({0, 0, 1, 1, 2, 2, 3, 3}));
    // Counts adding up past the points: only whole polygons are drawn.
    b.Add(kEmrPolyPolygon16,
          Bytes().I32s({0, 0, 0, 0}).U32(2).U32(3).U32(3).U32(9).I16(0).I16(0).I16(5).I16(0).I16(5).I16(5));
    ExpectGolden("lines_polygons", Play(b.Finish()));
}

TEST(PlayerShapes, PolyDraw) {
    Bytes p;
    p.I32s({0, 0, 0, 0}).U32(6);
    for (std::int16_t v : {10, 0, 20, 0, 30, 10, 40, 10, 50, 20, 0, 30})
        p.I16(v);
    p.U8(kPtMoveTo).U8(kPtLineTo).U8(kPtBezierTo).U8(kPtBezierTo).U8(kPtBezierTo | kPtCloseFigure).U8(kPtLineTo);
    EmfBuilder b;
    b.Add(kEmrMoveToEx, {5, 5}).Add(kEmrPolyDraw16, p).Add(kEmrLineTo, {1, 1});
    ExpectGolden("polydraw", Play(b.Finish()));
}

TEST(PlayerShapes, BoxesAndArcs) {
    EmfBuilder b;
    b.Add(kEmrRectangle, {10, 10, 0, 0});  // corners in either order
    b.Add(kEmrRoundRect, {0, 0, 40, 20, 10, 10});
    b.Add(kEmrEllipse, {0, 0, 40, 20});
    // Quarter arcs from the right (40, 10) to the top (20, 0): counter-clockwise is short.
    b.Add(kEmrArc, {0, 0, 40, 20, 40, 10, 20, 0});
    b.Add(kEmrSetArcDirection, {kAdClockwise}).Add(kEmrArc, {0, 0, 40, 20, 40, 10, 20, 0});
    b.Add(kEmrSetArcDirection, {kAdCounterClockwise});
    b.Add(kEmrChord, {0, 0, 40, 20, 40, 10, 20, 0}).Add(kEmrPie, {0, 0, 40, 20, 40, 10, 20, 0});
    b.Add(kEmrMoveToEx, {0, 50}).Add(kEmrArcTo, {0, 0, 40, 20, 40, 10, 20, 0}).Add(kEmrLineTo, {0, 0});
    b.Add(kEmrMoveToEx, {0, 50});
    b.Add(kEmrAngleArc, Bytes().I32(50).I32(50).U32(10).F32(0).F32(90)).Add(kEmrLineTo, {0, 0});
    b.Add(kEmrArc, {0, 0, 40, 20, 30, 30, 30, 30});  // equal points: the whole ellipse
    const std::string text = Play(b.Finish());
    ExpectGolden("boxes_arcs", text);
    // ARCTO leaves the position at the arc's end (20, 0); ANGLEARC at 90 degrees up (50, 40).
    EXPECT_NE(text.find("M20.00,0.00 L0.00,0.00"), std::string::npos);
    EXPECT_NE(text.find("M50.00,40.00 L0.00,0.00"), std::string::npos);
}

TEST(PlayerShapes, ArcDirectionFollowsAMirroringMapping) {
    // With y pointing up (MM_LOMETRIC) counter-clockwise still means counter-clockwise on
    // the output: from the right to the top is the short way round.
    EmfBuilder b;
    b.Add(kEmrSetMapMode, {kMmLoMetric}).Add(kEmrArc, {-100, 100, 100, -100, 100, 0, 0, 100});
    const std::string text = Play(b.Finish());
    EXPECT_EQ(std::count(text.begin(), text.end(), 'C'), 1) << text;
}

TEST(PlayerShapes, PathBracket) {
    EmfBuilder b;
    b.Add(kEmrBeginPath, {});
    b.Add(kEmrMoveToEx, {0, 0}).Add(kEmrLineTo, {10, 0}).Add(kEmrLineTo, {10, 10}).Add(kEmrCloseFigure, {});
    b.Add(kEmrRectangle, {20, 20, 30, 30});
    b.Add(kEmrMoveToEx, {40, 40}).Add(kEmrPolyBezierTo16, Poly16({41, 41, 42, 42, 43, 43}));
    b.Add(kEmrFillPath, {0, 0, 0, 0});  // still open: refused, the path stays
    b.Add(kEmrEndPath, {});
    b.Add(kEmrSetPolyFillMode, {kWinding});
    b.Add(kEmrStrokeAndFillPath, {0, 0, 0, 0});
    b.Add(kEmrStrokePath, {0, 0, 0, 0});  // the path is gone: nothing
    b.Add(kEmrBeginPath, {}).Add(kEmrMoveToEx, {0, 0}).Add(kEmrPolyBezierTo16, Poly16({0, 10, 10, 10, 10, 0}));
    b.Add(kEmrEndPath, {}).Add(kEmrFlattenPath, {}).Add(kEmrStrokePath, {0, 0, 0, 0});
    b.Add(kEmrBeginPath, {}).Add(kEmrLineTo, {5, 5}).Add(kEmrAbortPath, {}).Add(kEmrFillPath, {0, 0, 0, 0});
    b.Add(kEmrBeginPath, {}).Add(kEmrEllipse, {0, 0, 4, 4}).Add(kEmrEndPath, {}).Add(kEmrWidenPath, {});
    b.Add(kEmrFillPath, {0, 0, 0, 0});
    ExpectGolden("path_bracket", Play(b.Finish()));
}

TEST(PlayerShapes, PixelsRegionsAndGradients) {
    EmfBuilder b;
    b.Add(kEmrSetPixelV, {3, 4, 0x0000FF});
    b.Add(kEmrCreateBrushIndirect, {1, kBsSolid, 0x00FF00, 0});
    const Bytes region = Region({{0, 0, 10, 10}, {20, 0, 30, 5}});
    b.Add(kEmrFillRgn,
          Bytes().I32s({0, 0, 30, 10}).U32(static_cast<std::uint32_t>(region.Size())).U32(1).Raw(region.Data()));
    b.Add(kEmrFrameRgn, Bytes()
                            .I32s({0, 0, 30, 10})
                            .U32(static_cast<std::uint32_t>(region.Size()))
                            .U32(1)
                            .I32s({2, 2})
                            .Raw(region.Data()));
    b.Add(kEmrPaintRgn, Bytes().I32s({0, 0, 30, 10}).U32(static_cast<std::uint32_t>(region.Size())).Raw(region.Data()));
    b.Add(kEmrInvertRgn,
          Bytes().I32s({0, 0, 30, 10}).U32(static_cast<std::uint32_t>(region.Size())).Raw(region.Data()));
    // A region that claims more rectangles than it holds: skipped.
    b.Add(kEmrPaintRgn, Bytes().I32s({0, 0, 30, 10}).U32(32).U32(32).U32(1).U32(50).U32(0).I32s({0, 0, 0, 0}));
    auto vertex = [](Bytes& p, std::int32_t x, std::int32_t y, std::uint16_t r, std::uint16_t g, std::uint16_t bl) {
        p.I32(x).I32(y).U16(r).U16(g).U16(bl).U16(0);
    };
    Bytes h;
    h.I32s({0, 0, 0, 0}).U32(2).U32(1).U32(kGradientFillRectH);
    vertex(h, 0, 0, 0xFF00, 0, 0), vertex(h, 100, 50, 0, 0, 0xFF00);
    h.U32(0).U32(1);
    b.Add(kEmrGradientFill, h);
    Bytes v;
    v.I32s({0, 0, 0, 0}).U32(3).U32(1).U32(kGradientFillTriangle);
    vertex(v, 0, 0, 0xFF00, 0, 0), vertex(v, 10, 0, 0, 0xFF00, 0), vertex(v, 0, 10, 0, 0, 0xFF00);
    v.U32(0).U32(1).U32(2);
    b.Add(kEmrGradientFill, v);
    PlayStats stats;
    ExpectGolden("pixels_regions_gradients", Play(b.Finish(), {0, 0, 100, 100}, &stats));
    EXPECT_EQ(stats.damaged, 1u);
}

}  // namespace
}  // namespace qrp::emf
