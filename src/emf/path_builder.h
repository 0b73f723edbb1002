// Builds device paths in output coordinates from shapes given in logical units: the
// transform is applied point by point, and arcs and ellipses become cubic Béziers first
// (affine maps keep Béziers Béziers, so this is exact up to the arc approximation).
#pragma once

#include <cstddef>

#include "device.h"
#include "transform.h"

namespace qrp::emf {

// A path never holds more elements than this; further ones are dropped, so that a picture
// that never ends its path bracket cannot grow one without bound.
inline constexpr std::size_t kMaxPathElements = 1u << 22;

class PathBuilder {
  public:
    // Appends to `path`, which must outlive the builder. `toOutput` maps logical units.
    PathBuilder(Path& path, const Matrix& toOutput) : m_path(path), m_toOutput(toOutput) {}

    void MoveTo(PointF p);
    void LineTo(PointF p);
    void CubicTo(PointF c1, PointF c2, PointF end);
    void Close();

    void Rectangle(const RectF& box);
    void RoundRect(const RectF& box, double cornerWidth, double cornerHeight);
    void Ellipse(const RectF& box);
    // An elliptic arc of the ellipse inscribed in `box`, from parameter angle `start`
    // through `sweep` radians (point(t) = centre + (rx cos t, ry sin t)). It continues the
    // current figure with a line to its start when `connect`, else it starts a new one.
    void Arc(const RectF& box, double start, double sweep, bool connect);

  private:
    bool Full() const { return m_path.elements.size() >= kMaxPathElements; }

    Path& m_path;
    Matrix m_toOutput;
};

// Parameter angle of the point where the ray from the centre of `box` towards `p` meets
// the inscribed ellipse.
double EllipseAngle(const RectF& box, PointF p);

// The sweep from `start` to `end` going counter-clockwise (as seen on the output) when
// `counterClockwise`, else clockwise. `flipped` tells that the logical to output mapping
// mirrors (negative determinant). Equal angles give a full turn.
double ArcSweep(double start, double end, bool counterClockwise, bool flipped);

// False when a point is infinite or NaN (a mapping that overflowed): such paths never
// reach a device.
bool IsFinite(const Path& path);

// Replaces every curve by line segments (FLATTENPATH).
void Flatten(Path& path);

}  // namespace qrp::emf
