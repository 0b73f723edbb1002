#include "support/recording_device.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace qrp::test {

namespace {

using namespace qrp::emf;

std::string Hex(std::uint32_t v, int digits) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%0*X", digits, v);
    return buffer;
}

std::string FormatColor(const Color& c) {
    return "#" + Hex((c.r << 16) | (c.g << 8) | c.b, 6);
}

const char* PenStyleName(PenStyle s) {
    static const char* const kNames[] = {"solid", "dash",        "dot",       "dashdot",  "dashdotdot",
                                         "null",  "insideframe", "userstyle", "alternate"};
    return kNames[static_cast<int>(s)];
}

std::string FormatPen(const Pen& pen) {
    if (pen.style == PenStyle::Null)
        return "pen=null";
    static const char* const kCaps[] = {"round", "square", "flat"};
    static const char* const kJoins[] = {"round", "bevel", "miter"};
    std::string s = "pen=" + std::string(PenStyleName(pen.style)) + " " + FormatColor(pen.color) +
                    " w=" + FormatNumber(pen.width) + (pen.cosmetic ? " cosmetic" : "") +
                    " cap=" + kCaps[static_cast<int>(pen.cap)] + " join=" + kJoins[static_cast<int>(pen.join)];
    if (pen.join == JoinStyle::Miter)
        s += " miter=" + FormatNumber(pen.miterLimit);
    if (!pen.dashes.empty()) {
        s += " dashes=[";
        for (std::size_t i = 0; i < pen.dashes.size(); ++i)
            s += (i ? " " : "") + FormatNumber(pen.dashes[i]);
        s += "]";
    }
    return s;
}

std::uint64_t Fnv(const std::vector<std::uint32_t>& pixels) {
    std::uint64_t h = 1469598103934665603ull;
    for (std::uint32_t p : pixels) {
        for (int i = 0; i < 4; ++i)
            h = (h ^ ((p >> (8 * i)) & 0xFF)) * 1099511628211ull;
    }
    return h;
}

std::string FormatImage(const Image& image) {
    std::string s = std::to_string(image.width) + "x" + std::to_string(image.height);
    if (image.encoding != ImageEncoding::None) {
        // The bytes as they came: their size and first bytes (the file's signature).
        s += image.encoding == ImageEncoding::Jpeg ? " jpeg" : " png";
        s += " bytes=" + std::to_string(image.encoded.size()) + " head=";
        for (std::size_t i = 0; i < std::min<std::size_t>(4, image.encoded.size()); ++i)
            s += Hex(image.encoded[i], 2);
        return s;
    }
    if (image.pixels.size() <= 16) {
        s += " pixels=[";
        for (std::size_t i = 0; i < image.pixels.size(); ++i)
            s += (i ? " " : "") + Hex(image.pixels[i], 8);
        return s + "]";
    }
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, " hash=%016llx", static_cast<unsigned long long>(Fnv(image.pixels)));
    return s + buffer;
}

std::string FormatBrush(const Brush& brush) {
    switch (brush.style) {
        case BrushStyle::Null:
            return "brush=null";
        case BrushStyle::Solid:
            return "brush=solid " + FormatColor(brush.color);
        case BrushStyle::Hatched:
            return "brush=hatch" + std::to_string(brush.hatch) + " " + FormatColor(brush.color) +
                   (brush.opaqueBackground ? " bk=" + FormatColor(brush.backgroundColor) : " bk=transparent");
        case BrushStyle::Pattern:
            return "brush=pattern " + (brush.pattern ? FormatImage(*brush.pattern) : std::string("none")) +
                   " origin=" + FormatPoint(brush.origin);
        case BrushStyle::LinearGradient:
            return "brush=gradient " + FormatColor(brush.color) + "@" + FormatPoint(brush.gradientStart) + " " +
                   FormatColor(brush.gradientEndColor) + "@" + FormatPoint(brush.gradientEnd);
    }
    return "brush=?";
}

const char* ClipModeName(ClipMode mode) {
    static const char* const kNames[] = {"intersect", "unite", "xor", "difference", "replace"};
    return kNames[static_cast<int>(mode)];
}

}  // namespace

std::string FormatNumber(double v) {
    if (std::fabs(v) < 0.005)
        v = 0;  // no "-0.00"
    char buffer[48];
    std::snprintf(buffer, sizeof buffer, "%.2f", v);
    return buffer;
}

std::string FormatPoint(const PointF& p) {
    return FormatNumber(p.x) + "," + FormatNumber(p.y);
}

std::string FormatPath(const Path& path, std::size_t detailLimit) {
    std::string s = path.fillRule == FillRule::Winding ? "winding" : "alternate";
    if (path.elements.size() > detailLimit) {
        double l = INFINITY, t = INFINITY, r = -INFINITY, b = -INFINITY;
        for (const PathElement& e : path.elements) {
            const int n = e.op == PathOp::CubicTo ? 3 : e.op == PathOp::Close ? 0 : 1;
            for (int i = 0; i < n; ++i) {
                l = std::min(l, e.points[i].x), r = std::max(r, e.points[i].x);
                t = std::min(t, e.points[i].y), b = std::max(b, e.points[i].y);
            }
        }
        return s + " " + std::to_string(path.elements.size()) + " elements in " + FormatPoint({l, t}) + " " +
               FormatPoint({r, b});
    }
    for (const PathElement& e : path.elements) {
        switch (e.op) {
            case PathOp::MoveTo:
                s += " M" + FormatPoint(e.points[0]);
                break;
            case PathOp::LineTo:
                s += " L" + FormatPoint(e.points[0]);
                break;
            case PathOp::CubicTo:
                s += " C" + FormatPoint(e.points[0]) + " " + FormatPoint(e.points[1]) + " " + FormatPoint(e.points[2]);
                break;
            case PathOp::Close:
                s += " Z";
                break;
        }
    }
    return s;
}

std::string ToUtf8(const std::u16string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        std::uint32_t c = text[i];
        if (c >= 0xD800 && c < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] < 0xE000) {
            c = 0x10000 + ((c - 0xD800) << 10) + (text[++i] - 0xDC00);
        }
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (c >> 18));
            out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

void RecordingDevice::Emit(std::string line) {
    if (m_keepLines)
        m_lines.push_back(std::move(line));
}

std::string RecordingDevice::Text() const {
    std::string s;
    for (const std::string& line : m_lines)
        s += line + "\n";
    return s;
}

void RecordingDevice::SetClip(const Clip& clip) {
    if (clip.steps.empty()) {
        Emit("clip none");
        return;
    }
    std::string s = "clip";
    for (const ClipStep& step : clip.steps) {
        s += std::string(" ") + ClipModeName(step.mode) + "(" + FormatPath(step.path, m_pathDetailLimit) + ")";
    }
    Emit(s);
}

void RecordingDevice::DrawPath(const Path& path, const Pen& pen, const Brush& brush, std::uint32_t rop2) {
    ++m_paths;
    if (!m_keepLines)
        return;
    std::string s = "path " + FormatPen(pen) + " " + FormatBrush(brush);
    if (rop2 != 13)
        s += " rop2=" + std::to_string(rop2);
    Emit(s + " | " + FormatPath(path, m_pathDetailLimit));
}

void RecordingDevice::DrawText(const TextRun& run) {
    ++m_texts;
    if (!m_keepLines)
        return;
    const Font& f = run.font;
    std::string s =
        "text \"" + ToUtf8(run.text) + "\" at " + FormatPoint(run.reference) + " align=" + std::to_string(run.align) +
        " font=\"" + ToUtf8(f.faceName) + "\" h=" + FormatNumber(f.height) + " lfh=" + std::to_string(f.logicalHeight) +
        " w=" + FormatNumber(f.width) + " wt=" + std::to_string(f.weight) + (f.italic ? " italic" : "") +
        (f.underline ? " underline" : "") + (f.strikeOut ? " strike" : "") + " cs=" + std::to_string(f.charset) +
        " esc=" + FormatNumber(f.escapement) + " " + FormatColor(run.color);
    if (run.opaqueBackground)
        s += " bk=" + FormatColor(run.backgroundColor);
    if (run.options)
        s += " eto=" + std::to_string(run.options);
    if (run.clip)
        s += " clip=(" + FormatPath(*run.clip) + ")";
    if (!run.origins.empty()) {
        s += " origins=[";
        for (std::size_t i = 0; i < run.origins.size(); ++i)
            s += (i ? " " : "") + FormatPoint(run.origins[i]);
        s += "]";
    }
    Emit(s);
}

void RecordingDevice::DrawImage(const ImageDraw& draw) {
    ++m_images;
    if (!m_keepLines)
        return;
    std::string s = "image " + (draw.image ? FormatImage(*draw.image) : std::string("none")) +
                    " src=" + FormatPoint({draw.source.left, draw.source.top}) + " " +
                    FormatPoint({draw.source.right, draw.source.bottom}) + " dst=" + FormatPoint(draw.destination[0]) +
                    " " + FormatPoint(draw.destination[1]) + " " + FormatPoint(draw.destination[2]) +
                    " rop=" + Hex(draw.rop, 8);
    if (draw.blend) {
        s +=
            " blend=" + std::to_string(draw.blend->sourceConstantAlpha) + "/" + std::to_string(draw.blend->alphaFormat);
    }
    if (draw.transparentColor)
        s += " transparent=" + FormatColor(*draw.transparentColor);
    if (draw.pattern)
        s += " pattern=(" + FormatBrush(*draw.pattern) + ")";
    Emit(s);
}

}  // namespace qrp::test
