// Lines, polygons, curves, rectangles, ellipses, arcs, regions, gradients and the path
// bracket (BEGINPATH ... ENDPATH and the records that use its path).
#include <algorithm>
#include <cmath>
#include <numbers>

#include "emf_format.h"
#include "path_builder.h"
#include "player_p.h"
#include "region.h"

namespace qrp::emf {

namespace {

constexpr double kDegrees = std::numbers::pi / 180;

// POLY* records: bounds, point count, points (POINTL or POINTS).
constexpr std::size_t kPolyCount = 24;
constexpr std::size_t kPolyPoints = 28;
// POLYPOLY* records: bounds, polygon count, total point count, counts, points.
constexpr std::size_t kPolyPolyCount = 24;
constexpr std::size_t kPolyPolyTotal = 28;
constexpr std::size_t kPolyPolyCounts = 32;

std::vector<PointF> ReadPoints(const Record& r, std::size_t at, std::uint64_t count, bool points16) {
    r.Array(at, count, points16 ? 4 : 8);
    std::vector<PointF> points;
    points.reserve(static_cast<std::size_t>(count));
    for (std::size_t i = 0; i < count; ++i) {
        const PointL p = points16 ? r.Point16(at + 4 * i) : r.Point32(at + 8 * i);
        points.push_back({static_cast<double>(p.x), static_cast<double>(p.y)});
    }
    return points;
}

RectF ToRectF(const RectL& r) {
    return {static_cast<double>(r.left), static_cast<double>(r.top), static_cast<double>(r.right),
            static_cast<double>(r.bottom)};
}

Pen NullPen() {
    Pen pen;
    pen.style = PenStyle::Null;
    return pen;
}

Brush SolidBrush(Color color) {
    Brush brush;
    brush.color = color;
    return brush;
}

Brush NullBrush() {
    Brush brush;
    brush.style = BrushStyle::Null;
    return brush;
}

}  // namespace

Path Playback::NewPath() const {
    Path path;
    path.fillRule = m_dc.polyFillMode == kWinding ? FillRule::Winding : FillRule::OddEven;
    return path;
}

void Playback::Draw(const Path& path, Paint paint) {
    if (m_inPath) {
        const std::size_t room = kMaxPathElements - std::min(kMaxPathElements, m_path.elements.size());
        const std::size_t n = std::min(room, path.elements.size());
        m_path.elements.insert(m_path.elements.end(), path.elements.begin(), path.elements.begin() + n);
        return;
    }
    Draw(path, paint == Paint::Fill ? NullPen() : ResolvePen(), paint == Paint::Stroke ? NullBrush() : SelectedBrush());
}

void Playback::Draw(const Path& path, const Pen& pen, const Brush& brush) {
    if (path.elements.empty() || m_dc.rop2 == kR2Nop)
        return;
    if (pen.style == PenStyle::Null && brush.style == BrushStyle::Null)
        return;
    if (!IsFinite(path) || !std::isfinite(pen.width))
        return;
    FlushClip();
    m_device.DrawPath(path, pen, brush, m_dc.rop2);
    ++m_stats.drawCalls;
}

// In a path bracket, "...To" shapes continue the open figure, or start one at the current
// position (figures open lazily, so that MOVETOEX alone adds nothing).
void Playback::EnsureFigure() {
    if (m_figureOpen)
        return;
    PathBuilder(m_path, LogicalToOutput()).MoveTo(m_dc.position);
    m_figureOpen = true;
}

void Playback::MoveTo(PointF p) {
    m_dc.position = p;
    m_figureOpen = false;
}

void Playback::LineTo(PointF p) {
    if (m_inPath) {
        EnsureFigure();
        PathBuilder(m_path, LogicalToOutput()).LineTo(p);
    } else {
        Path path = NewPath();
        PathBuilder b(path, LogicalToOutput());
        b.MoveTo(m_dc.position);
        b.LineTo(p);
        Draw(path, Paint::Stroke);
    }
    m_dc.position = p;
}

void Playback::Polyline(const Record& r, bool points16, std::uint32_t type) {
    const auto points = ReadPoints(r, kPolyPoints, r.U32(kPolyCount), points16);
    if (points.empty())
        return;
    const bool fromCurrent = type == kEmrPolylineTo || type == kEmrPolyBezierTo;
    const bool bezier = type == kEmrPolyBezier || type == kEmrPolyBezierTo;
    Path own = NewPath();
    Path& target = m_inPath ? m_path : own;
    PathBuilder b(target, LogicalToOutput());
    std::size_t i = 0;
    if (fromCurrent) {
        if (m_inPath) {
            EnsureFigure();
        } else {
            b.MoveTo(m_dc.position);
        }
    } else {
        b.MoveTo(points[i++]);
    }
    if (bezier) {
        for (; i + 3 <= points.size(); i += 3)
            b.CubicTo(points[i], points[i + 1], points[i + 2]);
    } else {
        for (; i < points.size(); ++i)
            b.LineTo(points[i]);
    }
    if (type == kEmrPolygon)
        b.Close();
    m_figureOpen = m_inPath && type != kEmrPolygon;
    if (fromCurrent)
        m_dc.position = points.back();
    if (!m_inPath)
        Draw(own, type == kEmrPolygon ? Paint::FillAndStroke : Paint::Stroke);
}

void Playback::PolyPoly(const Record& r, bool points16, bool polygon) {
    const std::uint32_t polys = r.U32(kPolyPolyCount);
    const std::uint32_t total = r.U32(kPolyPolyTotal);
    r.Array(kPolyPolyCounts, polys, 4);
    const auto points = ReadPoints(r, kPolyPolyCounts + 4 * static_cast<std::size_t>(polys), total, points16);
    Path own = NewPath();
    Path& target = m_inPath ? m_path : own;
    PathBuilder b(target, LogicalToOutput());
    std::size_t next = 0;
    for (std::uint32_t k = 0; k < polys; ++k) {
        const std::uint32_t count = r.U32(kPolyPolyCounts + 4 * k);
        if (count > points.size() - next)
            break;  // counts that add up past the points: draw what is there
        if (count == 0)
            continue;
        b.MoveTo(points[next]);
        for (std::uint32_t i = 1; i < count; ++i)
            b.LineTo(points[next + i]);
        if (polygon)
            b.Close();
        next += count;
    }
    m_figureOpen = false;
    if (!m_inPath)
        Draw(own, polygon ? Paint::FillAndStroke : Paint::Stroke);
}

void Playback::PolyDraw(const Record& r, bool points16) {
    const std::uint32_t count = r.U32(kPolyCount);
    const auto points = ReadPoints(r, kPolyPoints, count, points16);
    const auto types = r.Array(kPolyPoints + points.size() * (points16 ? 4 : 8), count, 1);
    Path own = NewPath();
    Path& target = m_inPath ? m_path : own;
    PathBuilder b(target, LogicalToOutput());
    // Lines and curves before the first PT_MOVETO start at the current position.
    if (!types.empty() && (types[0] & ~kPtCloseFigure) != kPtMoveTo) {
        if (m_inPath) {
            EnsureFigure();
        } else {
            b.MoveTo(m_dc.position);
        }
    }
    for (std::size_t i = 0; i < points.size(); ++i) {
        const std::uint8_t type = types[i] & ~kPtCloseFigure;
        if (type == kPtMoveTo) {
            b.MoveTo(points[i]);
        } else if (type == kPtBezierTo && i + 2 < points.size()) {
            b.CubicTo(points[i], points[i + 1], points[i + 2]);
            i += 2;
        } else {
            b.LineTo(points[i]);
        }
        if (types[i] & kPtCloseFigure)
            b.Close();
        m_dc.position = points[i];
    }
    m_figureOpen = m_inPath;
    if (!m_inPath)
        Draw(own, Paint::Stroke);
}

void Playback::BoxShape(const Record& r) {
    const RectF box = ToRectF(r.Rect(8));
    Path own = NewPath();
    PathBuilder b(m_inPath ? m_path : own, LogicalToOutput());
    if (r.Type() == kEmrRectangle) {
        b.Rectangle(box);
    } else if (r.Type() == kEmrRoundRect) {
        const PointL corner = r.Point32(24);
        b.RoundRect(box, corner.x, corner.y);
    } else {
        b.Ellipse(box);
    }
    m_figureOpen = false;
    if (!m_inPath)
        Draw(own, Paint::FillAndStroke);
}

void Playback::ArcShape(const Record& r) {
    const RectF box = ToRectF(r.Rect(8));
    const PointL p1 = r.Point32(24), p2 = r.Point32(32);
    const double start = EllipseAngle(box, {static_cast<double>(p1.x), static_cast<double>(p1.y)});
    const double end = EllipseAngle(box, {static_cast<double>(p2.x), static_cast<double>(p2.y)});
    const double sweep = ArcSweep(start, end, m_dc.arcDirection != kAdClockwise, LogicalToOutput().Determinant() < 0);
    Path own = NewPath();
    PathBuilder b(m_inPath ? m_path : own, LogicalToOutput());
    const std::uint32_t type = r.Type();
    if (type == kEmrArcTo) {
        if (m_inPath) {
            EnsureFigure();
        } else {
            b.MoveTo(m_dc.position);
        }
        b.Arc(box, start, sweep, true);
        const double cx = (box.left + box.right) / 2, cy = (box.top + box.bottom) / 2;
        m_dc.position = {cx + std::fabs(box.Width()) / 2 * std::cos(start + sweep),
                         cy + std::fabs(box.Height()) / 2 * std::sin(start + sweep)};
    } else if (type == kEmrPie) {
        b.MoveTo({(box.left + box.right) / 2, (box.top + box.bottom) / 2});
        b.Arc(box, start, sweep, true);
        b.Close();
    } else {
        b.Arc(box, start, sweep, false);
        if (type == kEmrChord)
            b.Close();
    }
    m_figureOpen = m_inPath && (type == kEmrArcTo || type == kEmrArc);
    if (!m_inPath)
        Draw(own, type == kEmrArc || type == kEmrArcTo ? Paint::Stroke : Paint::FillAndStroke);
}

void Playback::AngleArc(const Record& r) {
    const PointL centre = r.Point32(8);
    const double radius = r.U32(16);
    const double start = r.F32(20) * kDegrees;
    const double sweep = std::clamp(static_cast<double>(r.F32(24)), -360.0, 360.0) * kDegrees;
    if (!std::isfinite(start) || !std::isfinite(sweep))
        return;
    const RectF box{centre.x - radius, centre.y - radius, centre.x + radius, centre.y + radius};
    Path own = NewPath();
    PathBuilder b(m_inPath ? m_path : own, LogicalToOutput());
    if (m_inPath) {
        EnsureFigure();
    } else {
        b.MoveTo(m_dc.position);
    }
    // Angles count counter-clockwise with y pointing up, so they run the other way in
    // the ellipse parameter (which has y pointing down).
    b.Arc(box, -start, -sweep, true);
    m_dc.position = {centre.x + radius * std::cos(start + sweep), centre.y - radius * std::sin(start + sweep)};
    m_figureOpen = m_inPath;
    if (!m_inPath)
        Draw(own, Paint::Stroke);
}

void Playback::SetPixel(const Record& r) {
    const PointL p = r.Point32(8);
    Path path = NewPath();
    PathBuilder(path, LogicalToOutput()).Rectangle({double(p.x), double(p.y), p.x + 1.0, p.y + 1.0});
    Draw(path, NullPen(), SolidBrush(ResolveColor(r.U32(16))));
}

void Playback::RegionPaint(const Record& r) {
    const std::uint32_t size = r.U32(24);
    const std::uint32_t type = r.Type();
    const std::size_t at = type == kEmrFillRgn ? kFillRgnData : type == kEmrFrameRgn ? kFrameRgnData : kInvertRgnData;
    r.Array(at, size, 1);
    Path path = RegionPath(ReadRegion(r, at, size), LogicalToOutput());
    path.fillRule = FillRule::Winding;
    if (type == kEmrPaintRgn) {
        Draw(path, NullPen(), SelectedBrush());
        return;
    }
    if (type == kEmrInvertRgn) {
        const std::uint32_t rop2 = m_dc.rop2;
        m_dc.rop2 = kR2Not;
        Draw(path, NullPen(), SolidBrush({0, 0, 0}));
        m_dc.rop2 = rop2;
        return;
    }
    const ObjectRef object = m_objects.Get(r.U32(kFillRgnBrush));
    const auto* brushObject = object ? std::get_if<BrushObject>(object.get()) : nullptr;
    if (!brushObject)
        return;
    Brush brush = ResolveBrush(*brushObject);
    if (type == kEmrFillRgn) {
        Draw(path, NullPen(), brush);
        return;
    }
    // FRAMERGN: the outline as wide as the stroke size, in the brush's colour.
    Pen pen;
    pen.color = brush.color;
    pen.cosmetic = false;
    pen.width = std::max(1, r.I32(32)) * LogicalToOutput().MeanScale();
    pen.join = JoinStyle::Miter;
    Draw(path, pen, NullBrush());
}

void Playback::GradientFill(const Record& r) {
    const std::uint32_t vertexCount = r.U32(kGradientVertexCount);
    const std::uint32_t count = r.U32(kGradientVertexCount + 4);
    const std::uint32_t mode = r.U32(kGradientVertexCount + 8);
    r.Array(kGradientVertices, vertexCount, kTriVertexSize);
    const std::size_t meshAt = kGradientVertices + static_cast<std::size_t>(vertexCount) * kTriVertexSize;
    const std::size_t entrySize = mode == kGradientFillTriangle ? 12 : 8;
    r.Array(meshAt, count, entrySize);
    auto vertex = [&](std::uint32_t i) {
        const PointL p = r.Point32(kGradientVertices + kTriVertexSize * i);
        return PointF{static_cast<double>(p.x), static_cast<double>(p.y)};
    };
    auto colour = [&](std::uint32_t i) {
        const std::size_t at = kGradientVertices + kTriVertexSize * i + 8;
        return Color{static_cast<std::uint8_t>(r.U16(at) >> 8), static_cast<std::uint8_t>(r.U16(at + 2) >> 8),
                     static_cast<std::uint8_t>(r.U16(at + 4) >> 8)};
    };
    const Matrix& m = LogicalToOutput();
    for (std::uint32_t k = 0; k < count; ++k) {
        const std::size_t at = meshAt + entrySize * k;
        const std::uint32_t a = r.U32(at), b = r.U32(at + 4);
        const std::uint32_t c = mode == kGradientFillTriangle ? r.U32(at + 8) : 0;
        if (a >= vertexCount || b >= vertexCount || c >= vertexCount)
            continue;
        Path path = NewPath();
        PathBuilder builder(path, m);
        const PointF va = vertex(a), vb = vertex(b);
        if (mode == kGradientFillTriangle) {
            // Flat triangles in the mean colour: devices have no Gouraud shading.
            const PointF vc = vertex(c);
            const Color ca = colour(a), cb = colour(b), cc = colour(c);
            builder.MoveTo(va);
            builder.LineTo(vb);
            builder.LineTo(vc);
            builder.Close();
            Draw(path, NullPen(),
                 SolidBrush({static_cast<std::uint8_t>((ca.r + cb.r + cc.r) / 3),
                             static_cast<std::uint8_t>((ca.g + cb.g + cc.g) / 3),
                             static_cast<std::uint8_t>((ca.b + cb.b + cc.b) / 3)}));
            continue;
        }
        builder.Rectangle({va.x, va.y, vb.x, vb.y});
        Brush brush = SolidBrush(colour(a));
        brush.style = BrushStyle::LinearGradient;
        brush.gradientEndColor = colour(b);
        brush.gradientStart = m.Map(va);
        brush.gradientEnd = m.Map(mode == kGradientFillRectV ? PointF{va.x, vb.y} : PointF{vb.x, va.y});
        Draw(path, NullPen(), brush);
    }
}

void Playback::PathRecord(const Record& r) {
    switch (r.Type()) {
        case kEmrBeginPath:
            m_path = NewPath();
            m_inPath = true;
            m_figureOpen = false;
            m_pathWidened = false;
            return;
        case kEmrEndPath:
            m_inPath = false;
            return;
        case kEmrAbortPath:
            m_path = NewPath();
            m_inPath = false;
            return;
        case kEmrCloseFigure:
            if (m_inPath && m_figureOpen)
                PathBuilder(m_path, LogicalToOutput()).Close();
            m_figureOpen = false;
            return;
        case kEmrFlattenPath:
            Flatten(m_path);
            return;
        // Widening is not computed; the widened path is drawn as a stroke of the original.
        case kEmrWidenPath:
            m_pathWidened = true;
            return;
        default:
            break;
    }
    if (m_inPath)
        return;  // GDI refuses to draw a path that is still open
    Path path = std::move(m_path);
    m_path = NewPath();
    path.fillRule = NewPath().fillRule;
    const bool fill = r.Type() != kEmrStrokePath;
    const bool stroke = r.Type() != kEmrFillPath;
    if (m_pathWidened && fill) {
        Pen outline = ResolvePen();
        outline.style = PenStyle::Solid;
        outline.color = SelectedBrush().color;
        Draw(path, outline, NullBrush());
    } else {
        Draw(path, stroke ? ResolvePen() : NullPen(), fill ? SelectedBrush() : NullBrush());
    }
    m_pathWidened = false;
}

}  // namespace qrp::emf
