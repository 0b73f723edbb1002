// EMF+ shapes, region fills and images: brushes and pens resolved for the transform of the
// moment, geometry mapped to output coordinates, one device call per shape.
#include <algorithm>
#include <cmath>
#include <numbers>

#include "emf_format.h"
#include "emfplus_format.h"
#include "emfplus_hatches.h"
#include "emfplus_playback.h"
#include "path_builder.h"

namespace qrp::emf::plus {

namespace {

constexpr std::uint32_t kCopyPen = 13;  // R2_COPYPEN
constexpr std::uint32_t kSrcCopy = 0x00CC0020;
constexpr double kDegrees = std::numbers::pi / 180;

double ArcParameter(const RectF& box, double degrees) {
    const PointF centre{(box.left + box.right) / 2, (box.top + box.bottom) / 2};
    return EllipseAngle(box, {centre.x + std::cos(degrees * kDegrees), centre.y + std::sin(degrees * kDegrees)});
}

// The parameter sweep of an arc of `sweep` degrees from `start` degrees (angles measured
// on the ellipse, clockwise on the page).
double ArcSweepParameter(const RectF& box, double start, double sweep) {
    if (std::fabs(sweep) >= 360)
        return sweep > 0 ? 2 * std::numbers::pi : -2 * std::numbers::pi;
    double d = ArcParameter(box, start + sweep) - ArcParameter(box, start);
    if (sweep > 0)
        while (d < 0)
            d += 2 * std::numbers::pi;
    if (sweep < 0)
        while (d > 0)
            d -= 2 * std::numbers::pi;
    return d;
}

// A cardinal spline through `points` as Béziers; `closed` joins the last point to the first.
void Curve(PathBuilder& b, const std::vector<PointF>& p, double tension, bool closed, std::size_t first,
           std::size_t segments) {
    const std::size_t n = p.size();
    const double k = tension / 3;
    const auto at = [&](std::ptrdiff_t i) {
        if (closed)
            return p[static_cast<std::size_t>((i % std::ptrdiff_t(n) + std::ptrdiff_t(n)) % std::ptrdiff_t(n))];
        return p[static_cast<std::size_t>(std::clamp<std::ptrdiff_t>(i, 0, std::ptrdiff_t(n) - 1))];
    };
    b.MoveTo(p[first]);
    for (std::size_t s = 0; s < segments; ++s) {
        const auto i = static_cast<std::ptrdiff_t>(first + s);
        const PointF p0 = at(i - 1), p1 = at(i), p2 = at(i + 1), p3 = at(i + 2);
        b.CubicTo({p1.x + (p2.x - p0.x) * k, p1.y + (p2.y - p0.y) * k},
                  {p2.x - (p3.x - p1.x) * k, p2.y - (p3.y - p1.y) * k}, p2);
    }
    if (closed)
        b.Close();
}

}  // namespace

std::optional<Brush> Playback::BrushFor(std::uint16_t flags, std::uint32_t value, const BrushDef* own) {
    Brush brush;
    if (flags & kFlagColor) {
        brush.color = ArgbColor(value);
        return brush;
    }
    const auto* def = own                    ? own
                      : value < kObjectSlots ? std::get_if<BrushDef>(&ObjectAt(static_cast<std::uint8_t>(value)))
                                             : nullptr;
    if (!def) {
        Unsupported();
        return std::nullopt;
    }
    const Matrix m = ToOutput();
    brush.color = def->color;
    switch (def->kind) {
        case BrushDef::Kind::Solid:
            break;
        case BrushDef::Kind::Hatch:
            brush.origin = m_pixelsToOutput.Map(m_renderingOrigin);
            if (def->hatch > kLastGdiHatchStyle) {
                brush.style = BrushStyle::Pattern;
                brush.pattern = HatchPattern(def->hatch, def->color, def->back);
                break;
            }
            brush.style = BrushStyle::Hatched;
            brush.hatch = def->hatch;
            brush.opaqueBackground = def->back.a != 0;
            brush.backgroundColor = def->back;
            break;
        case BrushDef::Kind::Texture:
            brush.style = BrushStyle::Pattern;
            brush.pattern = def->texture;
            brush.origin = Then(def->transform, m).Map({0, 0});
            break;
        case BrushDef::Kind::PathGradient:
            Unsupported();  // only shape and region fills draw them
            return std::nullopt;
        case BrushDef::Kind::Linear: {
            // The colour changes along the rectangle's width; its lines of equal colour are the
            // images of vertical lines, so the gradient's axis is their normal on the output.
            const Matrix full = Then(def->transform, m);
            const PointF start = full.Map({def->rect.left, def->rect.top});
            const PointF end = full.Map({def->rect.right, def->rect.top});
            const PointF along = full.MapVector({0, 1});
            const double length = Length(along);
            PointF normal{1, 0};
            if (length > 0)
                normal = {along.y / length, -along.x / length};
            const double distance = (end.x - start.x) * normal.x + (end.y - start.y) * normal.y;
            brush.style = BrushStyle::LinearGradient;
            brush.gradientStart = start;
            brush.gradientEnd = {start.x + normal.x * distance, start.y + normal.y * distance};
            brush.gradientEndColor = def->back;
            brush.stops = def->stops;
            brush.repeat = def->repeat;
            break;
        }
    }
    return brush;
}

std::optional<Pen> Playback::PenAt(std::uint8_t id) {
    const auto* def = std::get_if<PenDef>(&ObjectAt(id));
    if (!def) {
        Unsupported();
        return std::nullopt;
    }
    Pen pen;
    pen.color = def->color;
    if (def->brush.kind != BrushDef::Kind::Solid) {
        const std::optional<Brush> paint = BrushFor(0, 0, &def->brush);
        if (!paint)
            return std::nullopt;
        pen.paint = std::make_shared<const Brush>(*paint);
    }
    pen.cap = def->cap;
    pen.join = def->join;
    pen.miterLimit = def->miterLimit;
    pen.width = def->width * Then(def->transform, UnitToOutput(def->unit)).MeanScale();
    pen.cosmetic = !(pen.width > 0);
    if (!std::isfinite(pen.width))
        pen.width = 0;
    if (!def->dashes.empty()) {
        pen.style = PenStyle::UserStyle;
        const double unit = pen.cosmetic ? m_pixelsToOutput.MeanScale() : pen.width;
        for (double d : def->dashes)
            pen.dashes.push_back(d * unit);
    }
    return pen;
}

void Playback::Paint(const Path& path, const std::optional<Pen>& pen, const std::optional<Brush>& brush) {
    if (m_check || m_failed || !IsFinite(path))
        return;
    Flush();
    Pen stroke;
    stroke.style = PenStyle::Null;
    Brush fill;
    fill.style = BrushStyle::Null;
    m_device.DrawPath(path, pen.value_or(stroke), brush.value_or(fill), kCopyPen);
    ++m_drawCalls;
}

void Playback::DrawShape(std::uint16_t type, std::uint16_t flags, Cursor& c) {
    const bool fill = type == kClear || type == kFillRects || type == kFillPolygon || type == kFillEllipse ||
                      type == kFillPie || type == kFillPath || type == kFillClosedCurve;
    std::uint8_t penId = 0;
    std::optional<Brush> brush;
    std::optional<Pen> pen;
    const PathGradientDef* gradient = nullptr;
    if (type == kClear) {
        brush.emplace();
        brush->color = ArgbColor(c.U32());
        if (brush->color.a == 0)
            return;  // the page is blank already
    } else if (fill) {
        const std::uint32_t value = c.U32();
        gradient = PathGradientFor(flags, value);
        if (!gradient)
            brush = BrushFor(flags, value);
    } else if (type == kDrawPath) {
        const std::uint32_t id = c.U32();
        if (id >= kObjectSlots)
            throw RecordError("EMF+ pen id out of range");
        penId = static_cast<std::uint8_t>(id);
        pen = PenAt(penId);
    } else {
        penId = flags & 0xFF;
        pen = PenAt(penId);
    }
    if (!brush && !pen && !gradient)
        return;
    const Matrix m = ToOutput();
    const bool compressed = flags & kFlagCompressed;
    Path path;
    PathBuilder b(path, m);
    switch (type) {
        case kClear:
            PathBuilder(path, Matrix{}).Rectangle(m_area);
            break;
        case kFillRects:
        case kDrawRects: {
            const std::uint32_t count = c.U32();
            if (count > c.Remaining() / (compressed ? 8 : 16))
                throw RecordError("EMF+ rectangle count out of range");
            for (std::uint32_t i = 0; i < count; ++i)
                b.Rectangle(ReadRect(c, compressed));
            break;
        }
        case kFillPolygon:
        case kDrawLines:
        case kDrawBeziers: {
            const std::vector<PointF> points = ReadPoints(c, c.U32(), flags & (kFlagCompressed | kFlagRelative));
            if (points.empty())
                return;
            b.MoveTo(points[0]);
            for (std::size_t i = 1; i < points.size(); ++i) {
                if (type == kDrawBeziers && i + 2 < points.size()) {
                    b.CubicTo(points[i], points[i + 1], points[i + 2]);
                    i += 2;
                } else {
                    b.LineTo(points[i]);
                }
            }
            if (type == kFillPolygon || (type == kDrawLines && (flags & kFlagClosed)))
                b.Close();
            break;
        }
        case kFillEllipse:
        case kDrawEllipse:
            b.Ellipse(ReadRect(c, compressed));
            break;
        case kFillPie:
        case kDrawPie:
        case kDrawArc: {
            const double start = c.F32(), sweep = c.F32();
            const RectF box = ReadRect(c, compressed);
            if (type != kDrawArc)
                b.MoveTo({(box.left + box.right) / 2, (box.top + box.bottom) / 2});
            b.Arc(box, ArcParameter(box, start), ArcSweepParameter(box, start, sweep), type != kDrawArc);
            if (type != kDrawArc)
                b.Close();
            break;
        }
        case kFillPath:
        case kDrawPath: {
            const auto* def = std::get_if<PathDef>(&ObjectAt(flags & 0xFF));
            if (!def) {
                Unsupported();
                return;
            }
            path = ToPath(*def, m, type == kFillPath);
            break;
        }
        case kFillClosedCurve:
        case kDrawClosedCurve:
        case kDrawCurve: {
            const double tension = c.F32();
            std::uint32_t first = 0, segments = 0;
            if (type == kDrawCurve) {
                first = c.U32();
                segments = c.U32();
            }
            const std::vector<PointF> points = ReadPoints(c, c.U32(), flags & (kFlagCompressed | kFlagRelative));
            if (points.size() < 2 || !std::isfinite(tension))
                return;
            if (type != kDrawCurve)
                segments = static_cast<std::uint32_t>(points.size());
            else if (first >= points.size() || segments > points.size() - 1 - first)
                throw RecordError("EMF+ curve segments out of range");
            Curve(b, points, tension, type != kDrawCurve, first, segments);
            if (type == kFillClosedCurve && (flags & kFlagClosed))
                path.fillRule = FillRule::Winding;
            break;
        }
        default:
            break;
    }
    if (gradient)
        FillPathGradient(path, *gradient);
    else if (pen)
        Stroke(path, *pen, std::get<PenDef>(ObjectAt(penId)));
    else
        Paint(path, pen, brush);
}

void Playback::FillRegion(std::uint16_t flags, Cursor& c) {
    const std::uint32_t value = c.U32();
    const PathGradientDef* gradient = PathGradientFor(flags, value);
    const std::optional<Brush> brush = gradient ? std::optional<Brush>(Brush{}) : BrushFor(flags, value);
    const auto* region = std::get_if<RegionDef>(&ObjectAt(flags & 0xFF));
    std::vector<ClipStep> steps;
    if (!brush || !region || !RegionSteps(*region, steps)) {
        Unsupported();
        return;
    }
    // The region as a clip over the current one, filled everywhere.
    const std::vector<ClipStep> saved = m_state.clip;
    CombineClip(std::move(steps), 1);
    Path everything;
    PathBuilder(everything, Matrix{}).Rectangle(m_area);
    if (gradient)
        FillPathGradient(everything, *gradient);
    else
        Paint(everything, std::nullopt, brush);
    m_state.clip = saved;
    m_clipDirty = true;
}

void Playback::DrawImage(std::uint16_t type, std::uint16_t flags, Cursor& c) {
    const auto* def = std::get_if<ImageDef>(&ObjectAt(flags & 0xFF));
    c.U32();  // image attributes: wrap modes and colour keys are not applied
    const std::uint32_t unit = c.U32();
    const RectF source = ReadRect(c, false);
    if (!def || (unit != kUnitPixel && unit != kUnitWorld)) {
        Unsupported();
        return;
    }
    std::array<PointF, 3> corners;
    if (type == kDrawImage) {
        const RectF dest = ReadRect(c, flags & kFlagCompressed);
        corners = {PointF{dest.left, dest.top}, PointF{dest.right, dest.top}, PointF{dest.left, dest.bottom}};
    } else {
        const std::uint32_t count = c.U32();
        if (count != 3)
            throw RecordError("EMF+ image needs three points");
        const std::vector<PointF> points = ReadPoints(c, 3, flags & (kFlagCompressed | kFlagRelative));
        corners = {points[0], points[1], points[2]};
    }
    if (def->metafile) {
        if (!m_failed)
            DrawMetafile(*def, source, corners);
        return;
    }
    if (m_check || m_failed)
        return;
    const Matrix m = ToOutput();
    ImageDraw draw;
    draw.image = def->image;
    draw.source = source;
    draw.destination = {m.Map(corners[0]), m.Map(corners[1]), m.Map(corners[2])};
    draw.rop = kSrcCopy;
    if (def->alpha)
        draw.blend = BlendFunction{0, 0, 255, 1};
    Flush();
    m_device.DrawImage(draw);
    ++m_drawCalls;
}

}  // namespace qrp::emf::plus
