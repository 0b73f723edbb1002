// EMF+ paths and regions turned into device paths and clip steps, and the clip itself,
// kept in output coordinates as the world transform of the moment placed it.
#include <algorithm>

#include "emfplus_playback.h"
#include "path_builder.h"

namespace qrp::emf::plus {

namespace {

// Clip steps beyond this: the picture is played from its GDI records instead.
constexpr std::size_t kMaxClipSteps = 1024;
// "Everything", in output coordinates.
constexpr double kEverything = 1e6;

constexpr std::uint8_t kPointTypeMask = 0x07, kPointBezier = 3, kPointStart = 0, kPointClose = 0x80;

Path RectanglePath(const RectF& r, const Matrix& m) {
    Path path;
    PathBuilder(path, m).Rectangle(r);
    return path;
}

// The new area less the one so far: the steps so far, and the new area, xor the new area.
constexpr std::uint32_t kComplement = 5;

// How a combine operation applies the new area to the one so far (complement: its last step).
ClipMode CombineMode(std::uint32_t op) {
    switch (op) {
        case 1:
            return ClipMode::Intersect;
        case 2:
            return ClipMode::Unite;
        case 3:
        case kComplement:
            return ClipMode::Xor;
        default:
            return ClipMode::Difference;
    }
}

}  // namespace

Path Playback::ToPath(const PathDef& def, const Matrix& m, bool closeFigures) const {
    Path path;
    path.elements.reserve(def.points.size() + 1);
    bool open = false;
    for (std::size_t i = 0; i < def.points.size(); ++i) {
        const std::uint8_t type = def.types[i];
        if ((type & kPointTypeMask) == kPointBezier && open && i + 2 < def.points.size()) {
            path.elements.push_back(
                {PathOp::CubicTo, {m.Map(def.points[i]), m.Map(def.points[i + 1]), m.Map(def.points[i + 2])}});
            i += 2;
        } else if ((type & kPointTypeMask) == kPointStart || !open) {
            if (open && closeFigures)
                path.elements.push_back({PathOp::Close, {}});
            path.elements.push_back({PathOp::MoveTo, {m.Map(def.points[i])}});
            open = true;
        } else {
            path.elements.push_back({PathOp::LineTo, {m.Map(def.points[i])}});
        }
        if (def.types[i] & kPointClose) {
            path.elements.push_back({PathOp::Close, {}});
            open = false;
        }
    }
    if (open && closeFigures)
        path.elements.push_back({PathOp::Close, {}});
    return path;
}

bool Playback::RegionSteps(const RegionDef& region, std::vector<ClipStep>& steps) const {
    // Regions GDI+ writes combine an area with one shape at a time: the left operand may be
    // a combination, the right one must be a shape.
    const Matrix m = ToOutput();
    const auto leaf = [&](const RegionNode& node, std::optional<Path>& out) {
        switch (node.kind) {
            case RegionNode::Kind::Rect:
                out = RectanglePath(node.rect, m);
                return true;
            case RegionNode::Kind::Path:
                out = ToPath(node.path, m, true);
                return true;
            case RegionNode::Kind::Empty:
                out = Path{};
                return true;
            case RegionNode::Kind::Infinite:
                out = RectanglePath({-kEverything, -kEverything, kEverything, kEverything}, Matrix{});
                return true;
            case RegionNode::Kind::Combine:
                break;
        }
        return false;
    };
    std::vector<std::pair<std::uint32_t, std::size_t>> chain;  // from the root down the left side
    std::size_t index = 0;
    while (region.nodes[index].kind == RegionNode::Kind::Combine) {
        const RegionNode& node = region.nodes[index];
        if (region.nodes[node.right].kind == RegionNode::Kind::Combine)
            return false;
        chain.emplace_back(node.op, node.right);
        index = node.left;
    }
    std::optional<Path> path;
    leaf(region.nodes[index], path);
    steps.push_back({ClipMode::Replace, std::move(*path)});
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
        leaf(region.nodes[it->second], path);
        if (it->first == kComplement)
            steps.push_back({ClipMode::Intersect, *path});
        steps.push_back({CombineMode(it->first), std::move(*path)});
    }
    return true;
}

void Playback::CombineClip(std::vector<ClipStep> steps, std::uint32_t mode) {
    // `steps` describe an area from "everything" on, starting with a Replace.
    const bool onlyNarrowing = std::all_of(steps.begin() + 1, steps.end(), [](const ClipStep& s) {
        return s.mode == ClipMode::Intersect || s.mode == ClipMode::Difference;
    });
    std::vector<ClipStep>& clip = m_state.clip;
    switch (mode) {
        case 0:  // replace
            clip = std::move(steps);
            break;
        case 1:  // intersect: narrowing steps distribute over the current area
            if (clip.empty()) {
                clip = std::move(steps);
                break;
            }
            if (!onlyNarrowing) {
                Unsupported();
                return;
            }
            steps.front().mode = ClipMode::Intersect;
            clip.insert(clip.end(), std::make_move_iterator(steps.begin()), std::make_move_iterator(steps.end()));
            break;
        case 2:
        case 3:
        case 4:
            if (steps.size() != 1) {
                Unsupported();
                return;
            }
            steps.front().mode = mode == 2 ? ClipMode::Unite : mode == 3 ? ClipMode::Xor : ClipMode::Difference;
            clip.push_back(std::move(steps.front()));
            break;
        case kComplement:
            if (steps.size() != 1) {
                Unsupported();
                return;
            }
            steps.front().mode = ClipMode::Intersect;
            clip.push_back(steps.front());
            steps.front().mode = ClipMode::Xor;
            clip.push_back(std::move(steps.front()));
            break;
        default:
            Unsupported();
            return;
    }
    if (clip.size() > kMaxClipSteps)
        Unsupported();
    m_clipDirty = true;
}

void Playback::OffsetClip(PointF by) {
    for (ClipStep& step : m_state.clip) {
        for (PathElement& e : step.path.elements) {
            for (PointF& p : e.points)
                p = {p.x + by.x, p.y + by.y};
        }
    }
    m_clipDirty = true;
}

void Playback::Flush() {
    if (m_clipDirty) {
        m_device.SetClip({m_state.clip});
        m_clipDirty = false;
    }
    if (m_aaDirty) {
        m_device.SetAntialias(m_antialias);
        m_aaDirty = false;
    }
}

}  // namespace qrp::emf::plus
