// The part of the GDI device context that SAVEDC saves and RESTOREDC brings back, and the
// page-space mapping (map mode, window and viewport) computed from it.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "device.h"
#include "emf_format.h"
#include "object_table.h"
#include "transform.h"

namespace qrp::emf {

// One step of the clip in output coordinates. `rect` is set when the shape is an
// axis-aligned rectangle, so that nested rectangle intersections fold into one.
struct ClipShape {
    ClipMode mode = ClipMode::Intersect;
    Path path;
    std::optional<RectF> rect;
};

struct DcState {
    std::uint32_t mapMode = kMmText;
    PointF windowOrg, windowExt{1, 1}, viewportOrg, viewportExt{1, 1};
    Matrix world;
    PointF position;  // current position, logical units

    std::uint32_t textAlign = 0;
    Color textColor{0, 0, 0};
    std::uint32_t bkMode = kOpaque;
    Color bkColor{255, 255, 255};
    std::uint32_t rop2 = kR2CopyPen;
    std::uint32_t polyFillMode = kAlternate;
    std::uint32_t arcDirection = kAdCounterClockwise;
    double miterLimit = 10;
    std::uint32_t layout = 0;
    PointF brushOrg;  // device units

    ObjectRef pen = ObjectTable::Stock(kBlackPen);
    ObjectRef brush = ObjectTable::Stock(kWhiteBrush);
    ObjectRef font = ObjectTable::Stock(kSystemFont);
    ObjectRef palette = ObjectTable::Stock(kDefaultPalette);

    std::vector<ClipShape> clip;      // applied after the meta region
    std::vector<ClipShape> metaClip;  // SETMETARGN
};

// Page space (after the world transform) to reference-device pixels for `state`'s map
// mode, window and viewport.
Matrix PageToDevice(const DcState& state);

// SETMAPMODE: switches the mode and gives the window and viewport the extents the mode
// implies (fixed modes, and MM_ISOTROPIC which starts from MM_LOMETRIC's).
void SetMapMode(DcState& state, std::uint32_t mode, PointF pixelsPerMm);

// True for MM_ISOTROPIC and MM_ANISOTROPIC, the modes whose extents records may change.
inline bool ExtentsSettable(std::uint32_t mode) {
    return mode == kMmIsotropic || mode == kMmAnisotropic;
}

}  // namespace qrp::emf
