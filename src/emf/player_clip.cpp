// The clip: rectangles, regions, the clip path and the meta region, kept as a list of
// steps in output coordinates and sent whole to the device before the next drawing.
#include <algorithm>

#include "emf_format.h"
#include "path_builder.h"
#include "player_p.h"
#include "region.h"

namespace qrp::emf {

namespace {

RectF Intersection(const RectF& a, const RectF& b) {
    RectF r{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right), std::min(a.bottom, b.bottom)};
    if (r.right < r.left)
        r.right = r.left;
    if (r.bottom < r.top)
        r.bottom = r.top;
    return r;
}

Path RectPath(const RectF& r) {
    Path path;
    PathBuilder(path, Matrix{}).Rectangle(r);
    return path;
}

ClipMode ToClipMode(std::uint32_t mode) {
    switch (mode) {
        case kRgnAnd:
            return ClipMode::Intersect;
        case kRgnOr:
            return ClipMode::Unite;
        case kRgnXor:
            return ClipMode::Xor;
        case kRgnDiff:
            return ClipMode::Difference;
        default:
            return ClipMode::Replace;
    }
}

void Translate(ClipShape& shape, PointF by) {
    for (PathElement& e : shape.path.elements) {
        for (PointF& p : e.points)
            p = {p.x + by.x, p.y + by.y};
    }
    if (shape.rect)
        *shape.rect = {shape.rect->left + by.x, shape.rect->top + by.y, shape.rect->right + by.x,
                       shape.rect->bottom + by.y};
}

}  // namespace

ClipShape Playback::ShapeOf(const RectF& logical) {
    const Matrix& m = LogicalToOutput();
    ClipShape shape;
    PathBuilder(shape.path, m).Rectangle(logical);
    if (m.KeepsAxes()) {
        const PointF a = m.Map({logical.left, logical.top}), b = m.Map({logical.right, logical.bottom});
        shape.rect = RectF{std::min(a.x, b.x), std::min(a.y, b.y), std::max(a.x, b.x), std::max(a.y, b.y)};
    }
    return shape;
}

Path Playback::RegionPath(const std::vector<RectL>& rects, const Matrix& toOutput) const {
    Path path;
    path.fillRule = FillRule::Winding;
    PathBuilder b(path, toOutput);
    for (const RectL& r : rects) {
        b.Rectangle({static_cast<double>(r.left), static_cast<double>(r.top), static_cast<double>(r.right),
                     static_cast<double>(r.bottom)});
    }
    return path;
}

void Playback::AddClip(ClipShape shape) {
    if (!IsFinite(shape.path))
        return;
    m_clipDirty = true;
    auto& clip = m_dc.clip;
    if (shape.mode == ClipMode::Replace) {
        clip.clear();
        clip.push_back(std::move(shape));
        return;
    }
    // A rectangle intersected with a rectangle stays one rectangle: the common nesting of
    // INTERSECTCLIPRECT inside SAVEDC/RESTOREDC must not grow the list.
    const ClipMode last = clip.empty() ? ClipMode::Unite : clip.back().mode;
    if (shape.mode == ClipMode::Intersect && shape.rect && clip.size() == 1 && clip.back().rect &&
        (last == ClipMode::Intersect || last == ClipMode::Replace)) {
        const RectF both = Intersection(*clip.back().rect, *shape.rect);
        clip.back().rect = both;
        clip.back().path = RectPath(both);
        return;
    }
    if (clip.size() < kMaxClipSteps)
        clip.push_back(std::move(shape));
}

void Playback::ClipRect(const Record& r, ClipMode mode) {
    const RectL rect = r.Rect(8);
    ClipShape shape = ShapeOf({static_cast<double>(rect.left), static_cast<double>(rect.top),
                               static_cast<double>(rect.right), static_cast<double>(rect.bottom)});
    shape.mode = mode;
    AddClip(std::move(shape));
}

void Playback::ExtSelectClipRgn(const Record& r) {
    const std::uint32_t size = r.U32(8);
    const ClipMode mode = ToClipMode(r.U32(kSelectClipRgnMode));
    if (mode == ClipMode::Replace && size < kRgnDataHeaderSize) {
        // RGN_COPY without a region: back to the default clip (everything).
        m_dc.clip.clear();
        m_clipDirty = true;
        return;
    }
    r.Array(kSelectClipRgnData, size, 1);
    const auto rects = ReadRegion(r, kSelectClipRgnData, size);
    // Clip regions are in device units of the reference device: no logical mapping.
    ClipShape shape;
    shape.mode = mode;
    shape.path = RegionPath(rects, DeviceToOutput());
    if (rects.size() == 1) {
        const RectL& d = rects.front();
        const PointF a = DeviceToOutput().Map({double(d.left), double(d.top)});
        const PointF b = DeviceToOutput().Map({double(d.right), double(d.bottom)});
        shape.rect = RectF{std::min(a.x, b.x), std::min(a.y, b.y), std::max(a.x, b.x), std::max(a.y, b.y)};
    }
    AddClip(std::move(shape));
}

void Playback::OffsetClip(PointF offset) {
    for (ClipShape& shape : m_dc.clip)
        Translate(shape, offset);
    m_clipDirty = true;
}

void Playback::SelectClipPath(std::uint32_t mode) {
    if (m_inPath)
        return;
    ClipShape shape;
    shape.mode = ToClipMode(mode);
    shape.path = std::move(m_path);
    shape.path.fillRule = NewPath().fillRule;
    m_path = NewPath();
    AddClip(std::move(shape));
}

// The meta region becomes the intersection of itself and the clip; the clip resets.
void Playback::SetMetaRgn() {
    auto& meta = m_dc.metaClip;
    for (ClipShape& shape : m_dc.clip) {
        if (shape.mode == ClipMode::Replace)
            shape.mode = ClipMode::Intersect;
        if (meta.size() < kMaxClipSteps)
            meta.push_back(std::move(shape));
    }
    m_dc.clip.clear();
    m_clipDirty = true;
}

void Playback::FlushClip() {
    if (!m_clipDirty)
        return;
    m_clipDirty = false;
    const bool empty = m_dc.metaClip.empty() && m_dc.clip.empty();
    if (empty && !m_clipSent)
        return;  // still the initial "no clip"
    Clip clip;
    for (const auto* list : {&m_dc.metaClip, &m_dc.clip}) {
        for (const ClipShape& shape : *list) {
            ClipStep step{shape.mode, shape.path};
            // Under a meta region a replacing clip still stays inside the meta region.
            if (list == &m_dc.clip && step.mode == ClipMode::Replace && !m_dc.metaClip.empty()) {
                step.mode = ClipMode::Intersect;
            }
            clip.steps.push_back(std::move(step));
        }
    }
    m_device.SetClip(clip);
    m_clipSent = !empty;
}

}  // namespace qrp::emf
