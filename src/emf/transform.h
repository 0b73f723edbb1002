// Affine transforms in the XFORM convention: x' = x*m11 + y*m21 + dx, y' = x*m12 + y*m22 + dy.
#pragma once

#include <cmath>

#include "device.h"

namespace qrp::emf {

struct Matrix {
    double m11 = 1, m12 = 0, m21 = 0, m22 = 1, dx = 0, dy = 0;

    PointF Map(PointF p) const { return {p.x * m11 + p.y * m21 + dx, p.x * m12 + p.y * m22 + dy}; }
    PointF MapVector(PointF v) const { return {v.x * m11 + v.y * m21, v.x * m12 + v.y * m22}; }
    double Determinant() const { return m11 * m22 - m12 * m21; }
    // How much the transform scales lengths on average (the square root of the area scale).
    double MeanScale() const { return std::sqrt(std::fabs(Determinant())); }
    bool IsFinite() const {
        return std::isfinite(m11) && std::isfinite(m12) && std::isfinite(m21) && std::isfinite(m22) &&
               std::isfinite(dx) && std::isfinite(dy);
    }
    // True when axis-aligned rectangles stay axis-aligned.
    bool KeepsAxes() const { return m12 == 0 && m21 == 0; }

    static Matrix Scale(double sx, double sy) { return {sx, 0, 0, sy, 0, 0}; }
    static Matrix Translate(double tx, double ty) { return {1, 0, 0, 1, tx, ty}; }
};

// `first` applied, then `second` (CombineTransform order).
inline Matrix Then(const Matrix& first, const Matrix& second) {
    return {first.m11 * second.m11 + first.m12 * second.m21,
            first.m11 * second.m12 + first.m12 * second.m22,
            first.m21 * second.m11 + first.m22 * second.m21,
            first.m21 * second.m12 + first.m22 * second.m22,
            first.dx * second.m11 + first.dy * second.m21 + second.dx,
            first.dx * second.m12 + first.dy * second.m22 + second.dy};
}

inline double Length(PointF v) {
    return std::hypot(v.x, v.y);
}

}  // namespace qrp::emf
