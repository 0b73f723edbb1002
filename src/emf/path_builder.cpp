#include "path_builder.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace qrp::emf {

namespace {

constexpr double kPi = std::numbers::pi;
constexpr int kFlattenSegments = 16;

RectF Normalized(const RectF& r) {
    return {std::min(r.left, r.right), std::min(r.top, r.bottom), std::max(r.left, r.right), std::max(r.top, r.bottom)};
}

}  // namespace

void PathBuilder::MoveTo(PointF p) {
    if (Full())
        return;
    m_path.elements.push_back({PathOp::MoveTo, {m_toOutput.Map(p)}});
}

void PathBuilder::LineTo(PointF p) {
    if (Full())
        return;
    m_path.elements.push_back({PathOp::LineTo, {m_toOutput.Map(p)}});
}

void PathBuilder::CubicTo(PointF c1, PointF c2, PointF end) {
    if (Full())
        return;
    m_path.elements.push_back({PathOp::CubicTo, {m_toOutput.Map(c1), m_toOutput.Map(c2), m_toOutput.Map(end)}});
}

void PathBuilder::Close() {
    if (Full())
        return;
    m_path.elements.push_back({PathOp::Close, {}});
}

void PathBuilder::Rectangle(const RectF& box) {
    const RectF r = Normalized(box);
    MoveTo({r.left, r.top});
    LineTo({r.right, r.top});
    LineTo({r.right, r.bottom});
    LineTo({r.left, r.bottom});
    Close();
}

void PathBuilder::RoundRect(const RectF& box, double cornerWidth, double cornerHeight) {
    const RectF r = Normalized(box);
    const double rx = std::min(std::fabs(cornerWidth) / 2, r.Width() / 2);
    const double ry = std::min(std::fabs(cornerHeight) / 2, r.Height() / 2);
    if (rx <= 0 || ry <= 0) {
        Rectangle(r);
        return;
    }
    auto corner = [&](double cx, double cy, double start) {
        Arc({cx - rx, cy - ry, cx + rx, cy + ry}, start, kPi / 2, true);
    };
    MoveTo({r.left + rx, r.top});
    corner(r.right - rx, r.top + ry, -kPi / 2);
    corner(r.right - rx, r.bottom - ry, 0);
    corner(r.left + rx, r.bottom - ry, kPi / 2);
    corner(r.left + rx, r.top + ry, kPi);
    Close();
}

void PathBuilder::Ellipse(const RectF& box) {
    Arc(box, 0, 2 * kPi, false);
    Close();
}

void PathBuilder::Arc(const RectF& box, double start, double sweep, bool connect) {
    const RectF r = Normalized(box);
    const double cx = (r.left + r.right) / 2, cy = (r.top + r.bottom) / 2;
    const double rx = r.Width() / 2, ry = r.Height() / 2;
    auto at = [&](double t) { return PointF{cx + rx * std::cos(t), cy + ry * std::sin(t)}; };
    if (connect) {
        LineTo(at(start));
    } else {
        MoveTo(at(start));
    }
    if (!std::isfinite(sweep) || sweep == 0)
        return;
    const int pieces = std::clamp(static_cast<int>(std::ceil(std::fabs(sweep) / (kPi / 2) - 1e-9)), 1, 4);
    const double step = sweep / pieces;
    const double k = 4.0 / 3.0 * std::tan(step / 4);
    for (int i = 0; i < pieces; ++i) {
        const double t0 = start + step * i, t1 = t0 + step;
        const PointF p0 = at(t0), p1 = at(t1);
        CubicTo({p0.x - k * rx * std::sin(t0), p0.y + k * ry * std::cos(t0)},
                {p1.x + k * rx * std::sin(t1), p1.y - k * ry * std::cos(t1)}, p1);
    }
}

double EllipseAngle(const RectF& box, PointF p) {
    const RectF r = Normalized(box);
    const double rx = r.Width() / 2, ry = r.Height() / 2;
    const double dx = p.x - (r.left + r.right) / 2, dy = p.y - (r.top + r.bottom) / 2;
    return std::atan2(ry > 0 ? dy / ry : dy, rx > 0 ? dx / rx : dx);
}

double ArcSweep(double start, double end, bool counterClockwise, bool flipped) {
    // With y growing downwards on the output, a decreasing parameter angle runs
    // counter-clockwise on screen; a mirroring mapping swaps that.
    const bool decreasing = counterClockwise != flipped;
    double sweep = end - start;
    if (decreasing) {
        while (sweep >= 0)
            sweep -= 2 * kPi;
        while (sweep < -2 * kPi)
            sweep += 2 * kPi;
    } else {
        while (sweep <= 0)
            sweep += 2 * kPi;
        while (sweep > 2 * kPi)
            sweep -= 2 * kPi;
    }
    return sweep;
}

bool IsFinite(const Path& path) {
    for (const PathElement& e : path.elements) {
        for (const PointF& p : e.points) {
            if (!std::isfinite(p.x) || !std::isfinite(p.y))
                return false;
        }
    }
    return true;
}

void Flatten(Path& path) {
    std::vector<PathElement> flat;
    flat.reserve(path.elements.size());
    PointF current;
    for (const PathElement& e : path.elements) {
        if (e.op != PathOp::CubicTo) {
            flat.push_back(e);
            if (e.op != PathOp::Close)
                current = e.points[0];
            continue;
        }
        const PointF p0 = current, c1 = e.points[0], c2 = e.points[1], p3 = e.points[2];
        for (int i = 1; i <= kFlattenSegments && flat.size() < kMaxPathElements; ++i) {
            const double t = static_cast<double>(i) / kFlattenSegments, u = 1 - t;
            const double a = u * u * u, b = 3 * u * u * t, c = 3 * u * t * t, d = t * t * t;
            flat.push_back(
                {PathOp::LineTo,
                 {PointF{a * p0.x + b * c1.x + c * c2.x + d * p3.x, a * p0.y + b * c1.y + c * c2.y + d * p3.y}}});
        }
        current = p3;
    }
    path.elements = std::move(flat);
}

}  // namespace qrp::emf
