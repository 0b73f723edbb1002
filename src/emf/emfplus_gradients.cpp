// EMF+ gradient blends, and path gradient brushes: read from their bytes, and drawn as a
// series of copies of the boundary shrunk toward the centre point, each in the colour of
// its distance from the boundary, clipped to the shape being filled. Bands one colour
// level apart are invisible, so the number of bands follows the change of colour.
#include <algorithm>
#include <cmath>

#include "emfplus_objects.h"
#include "emfplus_playback.h"

namespace qrp::emf::plus {

namespace {

// Brush data flags.
constexpr std::uint32_t kDataPath = 0x01, kDataTransform = 0x02, kDataPresetColors = 0x04, kDataBlendH = 0x08,
                        kDataBlendV = 0x10, kDataFocusScales = 0x40;
constexpr std::int32_t kWrapClamp = 4;
constexpr std::size_t kMaxBlendPositions = 4096;
// Boundaries with more points than this are played from the GDI records.
constexpr std::size_t kMaxBoundaryPoints = 4096;
constexpr std::uint8_t kPointLine = 1, kPointClose = 0x80;
// More bands than colour levels show nothing more; nor do bands thinner than a quarter unit.
constexpr double kMaxBands = 256;
constexpr double kBandsPerUnit = 4;

// Twice the signed area of the polygon through the points (control points included).
double Area(const std::vector<PointF>& p) {
    double sum = 0;
    for (std::size_t i = 0; i < p.size(); ++i) {
        const PointF& a = p[i];
        const PointF& b = p[(i + 1) % p.size()];
        sum += a.x * b.y - b.x * a.y;
    }
    return sum;
}

int ChannelStep(Color a, Color b) {
    return std::max({std::abs(a.r - b.r), std::abs(a.g - b.g), std::abs(a.b - b.b), std::abs(a.a - b.a)});
}

}  // namespace

std::vector<GradientStop> ReadBlend(Cursor& c, std::uint32_t flags, Color from, Color to, bool& supported) {
    std::vector<GradientStop> stops;
    if (flags & (kDataPresetColors | kDataBlendH)) {
        const std::uint32_t n = Count(c, kMaxBlendPositions);
        std::vector<double> positions(n);
        for (double& p : positions)
            p = c.F32();
        for (double p : positions)
            stops.push_back({p, (flags & kDataPresetColors) ? ArgbColor(c.U32()) : Mix(from, to, c.F32())});
    } else if (flags & kDataBlendV) {
        supported = false;  // a second falloff across the first
    }
    if (!std::is_sorted(stops.begin(), stops.end(),
                        [](const GradientStop& l, const GradientStop& r) { return l.position < r.position; }) ||
        !std::all_of(stops.begin(), stops.end(), [](const GradientStop& s) { return std::isfinite(s.position); }))
        supported = false;
    return stops;
}

BrushDef ReadPathGradient(Cursor& c, bool& supported) {
    auto g = std::make_shared<PathGradientDef>();
    const std::uint32_t flags = c.U32();
    const std::int32_t wrap = c.I32();
    g->center = ArgbColor(c.U32());
    const double x = c.F32();
    g->centerPoint = {x, c.F32()};
    const std::uint32_t surrounding = Count(c, kMaxBoundaryPoints);
    for (std::uint32_t i = 0; i < surrounding; ++i) {
        const Color color = ArgbColor(c.U32());
        if (i == 0)
            g->surround = color;
        else if (color != g->surround)
            supported = false;  // a colour per boundary point
    }
    if (flags & kDataPath) {
        Cursor path(c.Take(c.U32()));
        path.U32();  // version
        g->boundary = ReadPath(path, supported);
    } else {
        const std::uint32_t count = Count(c, kMaxBoundaryPoints);
        g->boundary.points = ReadPoints(c, count, 0);
        g->boundary.types.assign(count, kPointLine);
        if (count > 0) {
            g->boundary.types.front() = 0;
            g->boundary.types.back() |= kPointClose;
        }
    }
    if (flags & kDataTransform)
        g->transform = c.ReadMatrix();
    g->stops = ReadBlend(c, flags, g->surround, g->center, supported);
    if (flags & kDataFocusScales) {
        if (c.U32() != 2)
            throw RecordError("EMF+ focus scales need two values");
        g->focusX = c.F32();
        g->focusY = c.F32();
    }
    const double area = Area(g->boundary.points);
    // Tiles beyond the boundary are not drawn here; nor is a boundary without an inside.
    if (wrap != kWrapClamp || surrounding == 0 || g->boundary.points.size() > kMaxBoundaryPoints ||
        !std::isfinite(area) || area == 0 || !std::isfinite(g->centerPoint.x) || !std::isfinite(g->centerPoint.y) ||
        !(g->focusX >= 0 && g->focusX <= 1 && g->focusY >= 0 && g->focusY <= 1) || !g->transform.IsFinite() ||
        g->transform.Determinant() == 0)
        supported = false;
    BrushDef b;
    b.kind = BrushDef::Kind::PathGradient;
    b.color = g->center;
    b.pathGradient = std::move(g);
    return b;
}

const PathGradientDef* Playback::PathGradientFor(std::uint16_t flags, std::uint32_t value) const {
    if ((flags & kFlagColor) || value >= kObjectSlots)
        return nullptr;
    const auto* def = std::get_if<BrushDef>(&ObjectAt(static_cast<std::uint8_t>(value)));
    return def ? def->pathGradient.get() : nullptr;
}

void Playback::FillPathGradient(const Path& shape, const PathGradientDef& g) {
    const Matrix m = Then(g.transform, ToOutput());
    const PointF centre = m.Map(g.centerPoint);
    double extent = 0;
    for (const PointF& p : g.boundary.points) {
        const PointF q = m.Map(p);
        extent = std::max(extent, Length({q.x - centre.x, q.y - centre.y}));
    }
    // The colour at t, 0 on the boundary and 1 at the centre (the focus shape).
    const auto colourAt = [&g](double t) {
        if (g.stops.empty())
            return Mix(g.surround, g.center, t);
        const auto after =
            std::find_if(g.stops.begin(), g.stops.end(), [t](const GradientStop& s) { return s.position > t; });
        if (after == g.stops.begin())
            return after->color;
        if (after == g.stops.end())
            return g.stops.back().color;
        const GradientStop& before = *(after - 1);
        return Mix(before.color, after->color, (t - before.position) / (after->position - before.position));
    };
    int change = ChannelStep(g.surround, g.center);
    bool opaque = g.surround.a == 255 && g.center.a == 255;
    if (!g.stops.empty()) {
        change = 0;
        for (std::size_t i = 0; i < g.stops.size(); ++i) {
            change += i > 0 ? ChannelStep(g.stops[i - 1].color, g.stops[i].color) : 0;
            opaque = opaque && g.stops[i].color.a == 255;
        }
    }
    if (!std::isfinite(extent)) {
        Unsupported();
        return;
    }
    const auto bands = static_cast<std::size_t>(
        std::clamp(std::ceil(std::min<double>(change, extent * kBandsPerUnit)), 1.0, kMaxBands));
    // Every band is a ring of two copies of the boundary: a picture gets so much of that work in all.
    // The look-ahead pass, which every playing has, counts it; counting again while drawing
    // would charge a nested picture twice for the same fills.
    if (m_check) {
        const std::uint64_t work = (bands + 1) * 2 * (g.boundary.points.size() + 1);
        if (work > m_work.gradientElements)
            Unsupported();
        else
            m_work.gradientElements -= work;
        return;
    }
    if (m_failed)
        return;
    // The boundary shrunk toward the centre point: at t = 1 down to the focus scales.
    const auto shrunk = [&](double t, Path& out) {
        const double sx = 1 - t * (1 - g.focusX), sy = 1 - t * (1 - g.focusY);
        PathDef def = g.boundary;
        for (PointF& p : def.points)
            p = {g.centerPoint.x + (p.x - g.centerPoint.x) * sx, g.centerPoint.y + (p.y - g.centerPoint.y) * sy};
        const Path part = ToPath(def, m, true);
        out.elements.insert(out.elements.end(), part.elements.begin(), part.elements.end());
    };
    const std::vector<ClipStep> saved = m_state.clip;
    CombineClip({{ClipMode::Replace, shape}}, 1);
    Brush brush;
    for (std::size_t i = 0; i <= bands; ++i) {
        // Each ring reaches into the next one, which is drawn over it: smoothed edges then
        // leave no seams, and no pixel is painted more than twice. Translucent rings only
        // touch, so that no colour lies over another.
        Path band;
        shrunk(static_cast<double>(i) / static_cast<double>(bands), band);
        if (i == bands) {
            if (g.focusX == 0 || g.focusY == 0)
                break;
            brush.color = colourAt(1);
        } else {
            brush.color = colourAt((static_cast<double>(i) + 0.5) / static_cast<double>(bands));
            if (const std::size_t hole = opaque ? i + 2 : i + 1; hole <= bands)
                shrunk(static_cast<double>(hole) / static_cast<double>(bands), band);
        }
        Paint(band, std::nullopt, brush);
    }
    m_state.clip = saved;
    m_clipDirty = true;
}

}  // namespace qrp::emf::plus
