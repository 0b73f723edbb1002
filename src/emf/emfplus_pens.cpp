// EMF+ pens beyond what a device stroke draws: line caps other than flat, square and round
// (or different at both ends), custom caps, compound lines and inset pens. Their geometry
// is built here in output coordinates and drawn with plain strokes and fills.
#include <algorithm>
#include <cmath>
#include <utility>

#include "emfplus_playback.h"
#include "path_builder.h"

namespace qrp::emf::plus {

namespace {

constexpr std::uint32_t kPenAlignment = 0x0200, kPenCompound = 0x0400, kPenCustomStartCap = 0x0800,
                        kPenCustomEndCap = 0x1000;
constexpr std::int32_t kAlignCenter = 0, kAlignInset = 1;
constexpr std::uint32_t kCapFillPath = 1, kCapLinePath = 2;
constexpr std::uint32_t kMaxCompoundValues = 64;

// Anchor caps are this many pen widths across: wider than the line they end, as GDI+
// draws them.
constexpr double kAnchorWidths = 2;

using Kind = LineCapDef::Kind;

std::shared_ptr<const PathDef> CapPath(Cursor& c, double scale, bool& supported) {
    const std::uint32_t length = c.U32();
    Cursor bytes(c.Take(length));
    bytes.U32();  // version
    auto path = std::make_shared<PathDef>(ReadPath(bytes, supported));
    for (PointF& p : path->points)
        p = {p.x * scale, p.y * scale};
    return path;
}

// EmfPlusCustomLineCap: an adjustable arrow, or fill and line paths of its own.
void ReadCustomCap(Cursor& c, LineCapDef& cap, bool& supported) {
    const std::uint32_t size = c.U32();
    Cursor d(c.Take(size));
    d.U32();  // version
    const std::uint32_t type = d.U32();
    cap = {};
    cap.kind = Kind::Custom;
    if (type == 1) {
        const double width = d.F32(), height = d.F32(), middle = d.F32();
        const bool filled = d.U32() != 0;
        d.Take(4, 4);  // the outline's caps, join and miter limit
        const double scale = d.F32();
        if (!std::isfinite(width * height * middle * scale) || width < 0 || height < 0 || scale < 0) {
            supported = false;
            return;
        }
        // Tip at the line's end, base `height` back, notched by the middle inset.
        const double w = width * scale / 2, h = height * scale, m = std::clamp(middle * scale, 0.0, h);
        auto arrow = std::make_shared<const PathDef>(PathDef{{{0, 0}, {-w, -h}, {0, m - h}, {w, -h}}, {0, 1, 1, 0x81}});
        (filled ? cap.fill : cap.line) = std::move(arrow);
        cap.inset = h - m;
    } else if (type == 0) {
        const std::uint32_t flags = d.U32();
        d.U32();  // the base cap: the line under the cap ends flat
        const double inset = d.F32();
        d.Take(4, 4);  // the outline's caps, join and miter limit
        const double scale = d.F32();
        d.Take(4, 4);  // hot spots, unused
        if (!std::isfinite(inset * scale) || scale < 0) {
            supported = false;
            return;
        }
        if (flags & kCapFillPath)
            cap.fill = CapPath(d, scale, supported);
        if (flags & kCapLinePath)
            cap.line = CapPath(d, scale, supported);
        cap.inset = std::max(0.0, inset * scale);
    } else {
        supported = false;
    }
}

// The cap a device stroke draws at both ends, when it can.
std::optional<CapStyle> DeviceCap(const PenDef& pen) {
    if (pen.startCap.kind != pen.endCap.kind)
        return std::nullopt;
    switch (pen.startCap.kind) {
        case Kind::Flat:
            return CapStyle::Flat;
        case Kind::Square:
            return CapStyle::Square;
        case Kind::Round:
            return CapStyle::Round;
        default:
            return std::nullopt;
    }
}

// How far the line stops short of an end with `cap`, in pen widths.
double CapInset(const LineCapDef& cap) {
    if (cap.kind == Kind::ArrowAnchor)
        return 1;  // where the arrow gets narrower than the line
    return cap.kind == Kind::Custom ? cap.inset : 0;
}

struct Figure {
    std::vector<PointF> points;  // no two in a row alike
    bool closed = false;
};

// The figures of a flattened path.
std::vector<Figure> Figures(const Path& path) {
    std::vector<Figure> figures;
    for (const PathElement& e : path.elements) {
        if (e.op == PathOp::Close) {
            if (!figures.empty() && !figures.back().closed) {
                Figure& f = figures.back();
                if (f.points.size() > 1 && f.points.back() == f.points.front())
                    f.points.pop_back();
                f.closed = true;
            }
            continue;
        }
        const PointF p = e.points[0];
        if (e.op == PathOp::MoveTo || figures.empty())
            figures.push_back({{p}});
        else if (figures.back().closed)  // a figure after Close starts where the last one did
            figures.push_back({{figures.back().points.front()}});
        if (figures.back().points.back() != p)
            figures.back().points.push_back(p);
    }
    return figures;
}

Path ToDevicePath(const std::vector<Figure>& figures) {
    Path path;
    for (const Figure& f : figures) {
        if (f.points.size() < 2)
            continue;
        path.elements.push_back({PathOp::MoveTo, {f.points.front()}});
        for (std::size_t i = 1; i < f.points.size(); ++i)
            path.elements.push_back({PathOp::LineTo, {f.points[i]}});
        if (f.closed)
            path.elements.push_back({PathOp::Close, {}});
    }
    return path;
}

PointF Direction(PointF v) {
    const double length = Length(v);
    return length > 0 ? PointF{v.x / length, v.y / length} : PointF{};
}

// The left-hand normal of a direction, as seen on the output.
PointF Normal(PointF direction) {
    return {direction.y, -direction.x};
}

// Takes `length` off the last points of `points`.
void ShortenEnd(std::vector<PointF>& points, double length) {
    while (length > 0 && points.size() > 1) {
        const PointF last = points.back(), before = points[points.size() - 2];
        const double segment = Length({last.x - before.x, last.y - before.y});
        if (segment <= length) {
            points.pop_back();
            length -= segment;
            continue;
        }
        const double t = (segment - length) / segment;
        points.back() = {before.x + (last.x - before.x) * t, before.y + (last.y - before.y) * t};
        break;
    }
}

// A figure moved `distance` along its left-hand normal, mitred at the corners.
std::vector<PointF> OffsetFigure(const Figure& f, double distance) {
    const std::size_t n = f.points.size();
    const std::size_t segments = f.closed ? n : n - 1;
    std::vector<PointF> normals(segments);
    for (std::size_t i = 0; i < segments; ++i) {
        const PointF a = f.points[i], b = f.points[(i + 1) % n];
        normals[i] = Normal(Direction({b.x - a.x, b.y - a.y}));
    }
    std::vector<PointF> out(n);
    for (std::size_t i = 0; i < n; ++i) {
        const PointF after = normals[std::min(i, segments - 1)];
        const PointF before = f.closed ? normals[(i + segments - 1) % segments] : normals[i == 0 ? 0 : i - 1];
        PointF mid = Direction({before.x + after.x, before.y + after.y});
        // Bisector length grows as the corner sharpens; past a limit it is cut.
        const double cos = mid.x * after.x + mid.y * after.y;
        if (cos < 0.25)
            mid = after;
        const double k = distance / std::max(cos, 0.25);
        out[i] = {f.points[i].x + mid.x * k, f.points[i].y + mid.y * k};
    }
    return out;
}

}  // namespace

LineCapDef::Kind CapKind(std::int32_t value, bool& supported) {
    // 0x10 is an anchor of no shape; 0xFF a custom cap whose shape follows in the custom
    // cap data, if any.
    constexpr std::pair<std::int32_t, Kind> kCaps[] = {
        {0x00, Kind::Flat},        {0x01, Kind::Square},       {0x02, Kind::Round},       {0x03, Kind::Triangle},
        {0x10, Kind::Flat},        {0x11, Kind::SquareAnchor}, {0x12, Kind::RoundAnchor}, {0x13, Kind::DiamondAnchor},
        {0x14, Kind::ArrowAnchor}, {0xFF, Kind::Custom}};
    for (const auto& [code, kind] : kCaps) {
        if (code == value)
            return kind;
    }
    supported = false;
    return Kind::Flat;
}

void ReadPenExtras(Cursor& c, std::uint32_t flags, PenDef& pen, bool& supported) {
    if (flags & kPenAlignment) {
        const std::int32_t alignment = c.I32();
        pen.inset = alignment == kAlignInset;
        if (alignment != kAlignCenter && alignment != kAlignInset)
            supported = false;
    }
    if (flags & kPenCompound) {
        const std::uint32_t count = c.U32();
        Cursor values(c.Take(count, 4));
        if (count < 2 || count % 2 || count > kMaxCompoundValues) {
            supported = false;
        } else {
            for (std::uint32_t i = 0; i < count; ++i)
                pen.compound.push_back(values.F32());
            // Stripe edges ascend from one side of the pen to the other.
            double last = 0;
            for (double v : pen.compound) {
                if (!(v >= last && v <= 1))
                    supported = false;
                last = v;
            }
        }
    }
    if (flags & kPenCustomStartCap)
        ReadCustomCap(c, pen.startCap, supported);
    else if (pen.startCap.kind == Kind::Custom)
        pen.startCap.kind = Kind::Flat;
    if (flags & kPenCustomEndCap)
        ReadCustomCap(c, pen.endCap, supported);
    else if (pen.endCap.kind == Kind::Custom)
        pen.endCap.kind = Kind::Flat;
    pen.cap = DeviceCap(pen).value_or(CapStyle::Flat);
}

void Playback::Stroke(const Path& path, const Pen& pen, const PenDef& def) {
    const bool deviceCaps = DeviceCap(def).has_value();
    if (m_check || m_failed || (deviceCaps && def.compound.empty() && !def.inset) || !IsFinite(path)) {
        Paint(path, pen, std::nullopt);
        return;
    }
    Path flat = path;
    Flatten(flat);
    std::vector<Figure> figures = Figures(flat);
    // Cap shapes are in pen widths; a hairline's caps are sized by a device pixel.
    const double unit = pen.cosmetic ? m_pixelsToOutput.MeanScale() : pen.width;
    struct End {
        PointF at, out;
        const LineCapDef* cap;
    };
    std::vector<End> ends;
    bool shortened = false;
    for (Figure& f : figures) {
        if (deviceCaps || f.closed || f.points.size() < 2)
            continue;
        std::vector<PointF>& p = f.points;
        const std::size_t n = p.size();
        ends.push_back({p[0], Direction({p[0].x - p[1].x, p[0].y - p[1].y}), &def.startCap});
        ends.push_back({p[n - 1], Direction({p[n - 1].x - p[n - 2].x, p[n - 1].y - p[n - 2].y}), &def.endCap});
        const double startInset = CapInset(def.startCap) * unit, endInset = CapInset(def.endCap) * unit;
        if (startInset > 0) {
            std::reverse(p.begin(), p.end());
            ShortenEnd(p, startInset);
            std::reverse(p.begin(), p.end());
        }
        ShortenEnd(p, endInset);
        shortened = shortened || startInset > 0 || endInset > 0;
    }
    Pen body = pen;
    body.cap = def.cap;
    // Inset pens: a stroke twice as wide, of which only the inside of the closed shape shows.
    const bool inset = def.inset && !pen.cosmetic && !figures.empty() &&
                       std::all_of(figures.begin(), figures.end(), [](const Figure& f) { return f.closed; });
    std::vector<double> stripes = def.compound;
    if (inset) {
        body.width *= 2;
        // Each stripe twice, mirrored about the outline: the clip keeps the inner one.
        std::vector<double> mirrored;
        for (std::size_t i = 0; i + 1 < stripes.size(); i += 2) {
            mirrored.insert(mirrored.end(), {0.5 - stripes[i + 1] / 2, 0.5 - stripes[i] / 2});
            mirrored.insert(mirrored.end(), {0.5 + stripes[i] / 2, 0.5 + stripes[i + 1] / 2});
        }
        stripes = std::move(mirrored);
        m_state.clip.push_back({ClipMode::Intersect, ToDevicePath(figures)});
        m_clipDirty = true;
    }
    const Path whole = shortened ? ToDevicePath(figures) : path;
    if (stripes.empty() || pen.cosmetic) {
        Paint(whole, body, std::nullopt);
    } else {
        for (std::size_t i = 0; i + 1 < stripes.size(); i += 2) {
            Pen stripe = body;
            stripe.width = (stripes[i + 1] - stripes[i]) * body.width;
            const double offset = ((stripes[i] + stripes[i + 1]) / 2 - 0.5) * body.width;
            if (!(stripe.width > 0))
                continue;
            if (std::fabs(offset) < 1e-9 * body.width) {
                Paint(whole, stripe, std::nullopt);
                continue;
            }
            std::vector<Figure> moved = figures;
            for (Figure& f : moved) {
                if (f.points.size() > 1)
                    f.points = OffsetFigure(f, offset);
            }
            Paint(ToDevicePath(moved), stripe, std::nullopt);
        }
    }
    if (inset) {
        m_state.clip.pop_back();
        m_clipDirty = true;
    }
    Brush fill = pen.paint ? *pen.paint : Brush{};
    fill.color = pen.color;
    Pen outline = pen;
    outline.style = PenStyle::Solid;
    outline.dashes.clear();
    outline.cap = CapStyle::Flat;
    for (const End& end : ends) {
        // The cap's frame: x across the line, y along it out of the end, in pen widths.
        const Matrix frame{end.out.y * unit, -end.out.x * unit, end.out.x * unit, end.out.y * unit, end.at.x, end.at.y};
        Path shape;
        shape.fillRule = FillRule::Winding;
        PathBuilder b(shape, frame);
        const double a = kAnchorWidths / 2;
        switch (end.cap->kind) {
            case Kind::Flat:
                break;
            case Kind::Square:
                b.Rectangle({-0.5, 0, 0.5, 0.5});
                break;
            case Kind::Round:
                b.Ellipse({-0.5, -0.5, 0.5, 0.5});
                break;
            case Kind::Triangle:
                b.MoveTo({-0.5, 0});
                b.LineTo({0, 0.5});
                b.LineTo({0.5, 0});
                b.Close();
                break;
            case Kind::SquareAnchor:
                b.Rectangle({-a, -a, a, a});
                break;
            case Kind::RoundAnchor:
                b.Ellipse({-a, -a, a, a});
                break;
            case Kind::DiamondAnchor:
                b.MoveTo({0, -a});
                b.LineTo({a, 0});
                b.LineTo({0, a});
                b.LineTo({-a, 0});
                b.Close();
                break;
            case Kind::ArrowAnchor:
                b.MoveTo({0, 0});
                b.LineTo({-a, -2 * a});
                b.LineTo({a, -2 * a});
                b.Close();
                break;
            case Kind::Custom:
                if (end.cap->fill) {
                    shape = ToPath(*end.cap->fill, frame, true);
                    shape.fillRule = FillRule::Winding;
                }
                break;
        }
        if (!shape.elements.empty())
            Paint(shape, std::nullopt, fill);
        if (end.cap->kind == Kind::Custom && end.cap->line)
            Paint(ToPath(*end.cap->line, frame), outline, std::nullopt);
    }
}

}  // namespace qrp::emf::plus
