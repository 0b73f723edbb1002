#include "emf/path_builder.h"

#include <cmath>
#include <numbers>

#include <gtest/gtest.h>

#include "emf/emf_format.h"
#include "emf/object_table.h"

namespace qrp::emf {
namespace {

constexpr double kPi = std::numbers::pi;

TEST(ArcSweep, DirectionAndMirroring) {
    // Right (0) to top (-pi/2 in a y-down parameter): counter-clockwise is a quarter turn back.
    EXPECT_NEAR(ArcSweep(0, -kPi / 2, true, false), -kPi / 2, 1e-12);
    EXPECT_NEAR(ArcSweep(0, -kPi / 2, false, false), 3 * kPi / 2, 1e-12);
    // A mirroring mapping turns the other way in the parameter.
    EXPECT_NEAR(ArcSweep(0, kPi / 2, true, true), kPi / 2, 1e-12);
    // Equal angles: the full ellipse.
    EXPECT_NEAR(ArcSweep(1, 1, true, false), -2 * kPi, 1e-12);
    EXPECT_NEAR(ArcSweep(1, 1, false, false), 2 * kPi, 1e-12);
}

TEST(EllipseAngle, RaysMeetTheEllipseNotTheCircle) {
    const RectF box{0, 0, 40, 20};
    EXPECT_NEAR(EllipseAngle(box, {40, 10}), 0, 1e-12);
    EXPECT_NEAR(EllipseAngle(box, {20, 0}), -kPi / 2, 1e-12);
    // The corner direction is 45 degrees in the unit circle the ellipse is stretched from.
    EXPECT_NEAR(EllipseAngle(box, {40, 20}), kPi / 4, 1e-12);
}

TEST(PathBuilder, MapsEveryPointAndBoundsThePath) {
    Path path;
    PathBuilder b(path, Matrix{2, 0, 0, 3, 1, 1});
    b.MoveTo({1, 1});
    b.CubicTo({2, 2}, {3, 3}, {4, 4});
    ASSERT_EQ(path.elements.size(), 2u);
    EXPECT_EQ(path.elements[0].points[0], (PointF{3, 4}));
    EXPECT_EQ(path.elements[1].points[2], (PointF{9, 13}));
    path.elements.resize(kMaxPathElements);
    b.LineTo({0, 0});
    EXPECT_EQ(path.elements.size(), kMaxPathElements);
}

TEST(PathBuilder, ArcEndsWhereTheSweepSays) {
    Path path;
    PathBuilder(path, Matrix{}).Arc({0, 0, 20, 20}, 0, kPi, false);
    ASSERT_EQ(path.elements.size(), 3u);  // move and two quarter curves
    EXPECT_NEAR(path.elements.back().points[2].x, 0, 1e-9);
    EXPECT_NEAR(path.elements.back().points[2].y, 10, 1e-9);
}

TEST(Flatten, CurvesBecomeLinesEndingAtTheCurveEnd) {
    Path path;
    PathBuilder b(path, Matrix{});
    b.MoveTo({0, 0});
    b.CubicTo({0, 10}, {10, 10}, {10, 0});
    b.Close();
    Flatten(path);
    ASSERT_EQ(path.elements.size(), 18u);
    EXPECT_EQ(path.elements[16].op, PathOp::LineTo);
    EXPECT_NEAR(path.elements[16].points[0].x, 10, 1e-12);
    EXPECT_NEAR(path.elements[8].points[0].y, 7.5, 1e-12);  // the midpoint of the curve
    EXPECT_EQ(path.elements[17].op, PathOp::Close);
}

TEST(ObjectTable, IndexesAndStockObjects) {
    ObjectTable table;
    table.Put(0, FontObject{});            // the picture's own index
    table.Put(kMaxObjects, FontObject{});  // past the limit
    EXPECT_FALSE(table.Get(0));
    EXPECT_FALSE(table.Get(kMaxObjects));
    table.Put(3, PaletteObject{});
    ASSERT_TRUE(table.Get(3));
    EXPECT_TRUE(std::holds_alternative<PaletteObject>(*table.Get(3)));
    table.Erase(3);
    EXPECT_FALSE(table.Get(3));
    const auto pen = table.Get(kStockObjectFlag | kNullPen);
    ASSERT_TRUE(pen);
    EXPECT_TRUE(std::get<PenObject>(*pen).null);
    EXPECT_FALSE(table.Get(kStockObjectFlag | 9));  // no stock object 9
    EXPECT_FALSE(table.Get(kStockObjectFlag | 99));
}

}  // namespace
}  // namespace qrp::emf
