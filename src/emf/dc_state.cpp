#include "dc_state.h"

#include <cmath>

namespace qrp::emf {

namespace {

// Logical units per millimetre of the fixed map modes; y grows upwards in all of them.
double UnitsPerMm(std::uint32_t mode) {
    switch (mode) {
        case kMmLoMetric:
            return 10;
        case kMmHiMetric:
            return 100;
        case kMmLoEnglish:
            return 100 / 25.4;
        case kMmHiEnglish:
            return 1000 / 25.4;
        case kMmTwips:
            return 1440 / 25.4;
        default:
            return 0;
    }
}

double SafeRatio(double numerator, double denominator) {
    return denominator == 0 ? 1 : numerator / denominator;
}

}  // namespace

void SetMapMode(DcState& state, std::uint32_t mode, PointF pixelsPerMm) {
    if (mode < kMmText || mode > kMmAnisotropic)
        return;
    // Selecting the scalable mode already in force keeps the extents set for it.
    if (mode == state.mapMode && ExtentsSettable(mode))
        return;
    state.mapMode = mode;
    if (mode == kMmText) {
        state.windowExt = state.viewportExt = {1, 1};
        return;
    }
    const double units = UnitsPerMm(mode == kMmIsotropic ? kMmLoMetric : mode);
    if (units == 0)
        return;  // MM_ANISOTROPIC keeps the extents it finds
    // One millimetre of window is pixelsPerMm of viewport.
    state.windowExt = {units, units};
    state.viewportExt = {pixelsPerMm.x, -pixelsPerMm.y};
}

Matrix PageToDevice(const DcState& state) {
    double sx = SafeRatio(state.viewportExt.x, state.windowExt.x);
    double sy = SafeRatio(state.viewportExt.y, state.windowExt.y);
    if (state.mapMode == kMmIsotropic) {
        // Both axes take the smaller scale and keep their own direction.
        const double s = std::min(std::fabs(sx), std::fabs(sy));
        sx = std::copysign(s, sx);
        sy = std::copysign(s, sy);
    }
    return {sx, 0, 0, sy, state.viewportOrg.x - state.windowOrg.x * sx, state.viewportOrg.y - state.windowOrg.y * sy};
}

}  // namespace qrp::emf
