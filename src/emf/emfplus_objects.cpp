#include "emfplus_objects.h"

#include <algorithm>
#include <cmath>

#include "emfplus_format.h"
#include "emfplus_hatches.h"

namespace qrp::emf::plus {

Matrix Cursor::ReadMatrix() {
    Matrix m;
    m.m11 = F32();
    m.m12 = F32();
    m.m21 = F32();
    m.m22 = F32();
    m.dx = F32();
    m.dy = F32();
    return m;
}

std::span<const std::uint8_t> Cursor::Take(std::uint64_t count, std::size_t size) {
    const auto bytes = m_record.Array(m_at, count, size);
    m_at += bytes.size();
    return bytes;
}

Color ArgbColor(std::uint32_t argb) {
    return {static_cast<std::uint8_t>(argb >> 16), static_cast<std::uint8_t>(argb >> 8),
            static_cast<std::uint8_t>(argb), static_cast<std::uint8_t>(argb >> 24)};
}

std::uint32_t Count(Cursor& c, std::size_t limit) {
    const std::uint32_t n = c.U32();
    if (n > limit || n > c.Remaining())
        throw RecordError("EMF+ count out of range");
    return n;
}

Color Mix(Color a, Color b, double t) {
    const auto mix = [t](std::uint8_t x, std::uint8_t y) {
        return static_cast<std::uint8_t>(std::lround(x + (y - x) * std::clamp(t, 0.0, 1.0)));
    };
    return {mix(a.r, b.r), mix(a.g, b.g), mix(a.b, b.b), mix(a.a, b.a)};
}

namespace {

constexpr std::uint32_t kBrushSolid = 0, kBrushHatch = 1, kBrushTexture = 2, kBrushPath = 3, kBrushLinear = 4;
// Linear gradient data flags.
constexpr std::uint32_t kGradientTransform = 0x02;
// Path point flags.
constexpr std::uint32_t kPathRle = 0x1000;

std::shared_ptr<Image> ReadImageBits(Cursor& c, std::uint64_t& pixelBudget);

BrushDef ReadLinear(Cursor& c, bool& supported) {
    BrushDef b;
    b.kind = BrushDef::Kind::Linear;
    const std::uint32_t flags = c.U32();
    const std::int32_t wrap = c.I32();
    b.repeat = wrap == 0;  // tile; flipped tiles are drawn as plain ones
    const double x = c.F32(), y = c.F32(), w = c.F32(), h = c.F32();
    b.rect = {x, y, x + w, y + h};
    b.color = ArgbColor(c.U32());
    b.back = ArgbColor(c.U32());
    c.U32();
    c.U32();
    if (flags & kGradientTransform)
        b.transform = c.ReadMatrix();
    b.stops = ReadBlend(c, flags, b.color, b.back, supported);
    return b;
}

void ReadTypes(Cursor& c, std::uint32_t count, bool rle, std::vector<std::uint8_t>& types) {
    types.reserve(count);
    while (types.size() < count) {
        if (!rle) {
            types.push_back(c.U8());
            continue;
        }
        const std::uint8_t head = c.U8();
        const std::uint8_t type = c.U8();
        const std::size_t run = std::min<std::size_t>(head & 0x3F, count - types.size());
        if (run == 0)
            throw RecordError("EMF+ empty point type run");
        types.insert(types.end(), run, type);
    }
}

PathDef ReadPathBody(Cursor& c, bool& supported) {
    PathDef path;
    const std::uint32_t count = Count(c, kMaxPathPoints);
    const std::uint32_t flags = c.U32();
    path.points = ReadPoints(c, count, static_cast<std::uint16_t>(flags & (kFlagCompressed | kFlagRelative)));
    ReadTypes(c, count, (flags & kPathRle) != 0, path.types);
    (void)supported;
    return path;
}

RegionDef ReadRegion(Cursor& c, bool& supported) {
    RegionDef region;
    c.U32();  // the node count: the tree below says it again
    // Depth first, with an explicit stack: a hostile tree must not exhaust ours.
    region.nodes.emplace_back();
    std::vector<std::size_t> order{0};
    while (!order.empty()) {
        const std::size_t index = order.back();
        order.pop_back();
        const std::uint32_t type = c.U32();
        RegionNode node;
        switch (type) {
            case 0x10000000: {
                node.kind = RegionNode::Kind::Rect;
                const double x = c.F32(), y = c.F32(), w = c.F32(), h = c.F32();
                node.rect = {x, y, x + w, y + h};
                break;
            }
            case 0x10000001: {
                node.kind = RegionNode::Kind::Path;
                const std::uint32_t size = c.U32();
                Cursor inner(c.Take(size));
                inner.U32();  // version
                node.path = ReadPathBody(inner, supported);
                break;
            }
            case 0x10000002:
                node.kind = RegionNode::Kind::Empty;
                break;
            case 0x10000003:
                node.kind = RegionNode::Kind::Infinite;
                break;
            default:
                if (type < 1 || type > 5)
                    throw RecordError("EMF+ region node of an unknown type");
                if (region.nodes.size() + 2 > kMaxRegionNodes)
                    throw RecordError("EMF+ region too deep");
                node.kind = RegionNode::Kind::Combine;
                node.op = type;
                node.left = region.nodes.size();
                node.right = node.left + 1;
                region.nodes.emplace_back();
                region.nodes.emplace_back();
                // Left is read first: it lies on top of the stack.
                order.push_back(node.right);
                order.push_back(node.left);
                break;
        }
        region.nodes[index] = std::move(node);
    }
    return region;
}

FontDef ReadFont(Cursor& c) {
    FontDef font;
    font.emSize = c.F32();
    font.unit = c.U32();
    font.style = c.U32();
    c.U32();
    const std::uint32_t length = Count(c, 256);
    for (std::uint32_t i = 0; i < length; ++i)
        font.family.push_back(static_cast<char16_t>(c.U16()));
    return font;
}

StringFormatDef ReadStringFormat(Cursor& c) {
    StringFormatDef format;
    format.flags = c.U32();
    c.U32();  // language
    format.align = c.U32();
    format.lineAlign = c.U32();
    // Digit substitution, digit language, first tab offset and hotkey prefix come first.
    constexpr std::size_t kBeforeMargins = 16;
    if (c.Remaining() >= kBeforeMargins + 8) {
        c.Take(kBeforeMargins);
        const double leading = c.F32(), trailing = c.F32();
        // A margin of several ems is no margin GDI+ writes: keep the default for it.
        if (std::isfinite(leading) && leading >= 0 && leading <= 1)
            format.leadingMargin = leading;
        if (std::isfinite(trailing) && trailing >= 0 && trailing <= 1)
            format.trailingMargin = trailing;
    }
    return format;
}

PenDef ReadPen(Cursor& c, std::uint64_t& pixelBudget, bool& supported) {
    PenDef pen;
    c.U32();  // type, always 0
    const std::uint32_t flags = c.U32();
    pen.unit = c.U32();
    pen.width = c.F32();
    if (flags & 0x0001)
        pen.transform = c.ReadMatrix();
    if (flags & 0x0002)
        pen.startCap.kind = CapKind(c.I32(), supported);
    if (flags & 0x0004)
        pen.endCap.kind = CapKind(c.I32(), supported);
    if (flags & 0x0008) {
        const std::uint32_t join = c.U32();
        pen.join = join == 1 ? JoinStyle::Bevel : join == 2 ? JoinStyle::Round : JoinStyle::Miter;
    }
    if (flags & 0x0010)
        pen.miterLimit = c.F32();
    // A dash pattern of its own makes a custom style even where no style is given.
    std::int32_t style = (flags & 0x0100) ? 5 : 0;
    if (flags & 0x0020)
        style = c.I32();
    if (flags & 0x0040)
        c.I32();  // the cap of the dashes
    if (flags & 0x0080)
        c.F32();  // dash offset
    if (flags & 0x0100) {
        const std::uint32_t n = Count(c, 1024);
        for (std::uint32_t i = 0; i < n; ++i)
            pen.dashes.push_back(c.F32());
    }
    switch (style) {
        case 1:
            pen.dashes = {3, 1};
            break;
        case 2:
            pen.dashes = {1, 1};
            break;
        case 3:
            pen.dashes = {3, 1, 1, 1};
            break;
        case 4:
            pen.dashes = {3, 1, 1, 1, 1, 1};
            break;
        case 5:
            break;  // custom: the array read above
        default:
            pen.dashes.clear();
            break;
    }
    ReadPenExtras(c, flags, pen, supported);
    c.U32();  // the brush's version
    pen.brush = ReadBrush(c, pixelBudget, supported);
    pen.color = pen.brush.color;
    return pen;
}

// Bitmap pixel formats.
constexpr std::uint32_t kArgb32 = 0x0026200A, kPargb32 = 0x000E200B, kRgb32 = 0x00022009, kRgb24 = 0x00021808,
                        kRgb565 = 0x00021006, kRgb555 = 0x00021005, kArgb1555 = 0x00061007, kGray16 = 0x00101004,
                        kIndexed8 = 0x00030803, kIndexed4 = 0x00030402, kIndexed1 = 0x00030101;

std::uint32_t Premultiply(std::uint32_t argb) {
    const std::uint32_t a = argb >> 24;
    if (a == 255)
        return argb;
    const auto channel = [a](std::uint32_t v) { return (v * a + 127) / 255; };
    return a << 24 | channel((argb >> 16) & 0xFF) << 16 | channel((argb >> 8) & 0xFF) << 8 | channel(argb & 0xFF);
}

std::shared_ptr<Image> ReadImageBits(Cursor& c, std::uint64_t& pixelBudget) {
    const std::int32_t width = c.I32(), height = c.I32();
    const std::int32_t stride = c.I32();
    const std::uint32_t format = c.U32();
    const std::uint32_t type = c.U32();
    if (type == 1)
        return ReadCompressedImage(c.Take(c.Remaining()), width, height, pixelBudget);
    if (!ChargePixels(width, height, pixelBudget))
        return nullptr;
    auto image = std::make_shared<Image>();
    image->width = width;
    image->height = height;
    const std::uint64_t pixels = static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(height);
    std::vector<std::uint32_t> palette;
    const std::uint32_t bits = (format >> 8) & 0xFF;
    if (format == kIndexed8 || format == kIndexed4 || format == kIndexed1) {
        c.U32();  // palette flags
        const std::uint32_t n = Count(c, 256);
        for (std::uint32_t i = 0; i < n; ++i)
            palette.push_back(Premultiply(c.U32()));
    } else if (format != kArgb32 && format != kPargb32 && format != kRgb32 && format != kRgb24 && format != kRgb565 &&
               format != kRgb555 && format != kArgb1555 && format != kGray16) {
        return nullptr;
    }
    const std::uint64_t rowBytes = (static_cast<std::uint64_t>(width) * bits + 7) / 8;
    if (stride <= 0 || static_cast<std::uint64_t>(stride) < rowBytes)
        return nullptr;
    const auto data = c.Take(static_cast<std::uint64_t>(stride) * static_cast<std::uint64_t>(height - 1) + rowBytes);
    image->pixels.resize(pixels);
    for (std::int32_t y = 0; y < height; ++y) {
        const std::uint8_t* row = data.data() + static_cast<std::size_t>(stride) * static_cast<std::size_t>(y);
        std::uint32_t* out = image->pixels.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(width);
        for (std::int32_t x = 0; x < width; ++x) {
            const std::uint8_t* p = row + static_cast<std::size_t>(x) * bits / 8;
            std::uint32_t v = 0;
            switch (format) {
                case kArgb32:
                    v = Premultiply(std::uint32_t(p[3]) << 24 | std::uint32_t(p[2]) << 16 | p[1] << 8 | p[0]);
                    break;
                case kPargb32:
                    v = std::uint32_t(p[3]) << 24 | std::uint32_t(p[2]) << 16 | p[1] << 8 | p[0];
                    break;
                case kRgb32:
                case kRgb24:
                    v = 0xFF000000u | std::uint32_t(p[2]) << 16 | p[1] << 8 | p[0];
                    break;
                case kRgb565:
                case kRgb555:
                case kArgb1555: {
                    const std::uint32_t w = p[0] | p[1] << 8;
                    const bool six = format == kRgb565;
                    const std::uint32_t r = six ? (w >> 11) & 31 : (w >> 10) & 31;
                    const std::uint32_t g = six ? ((w >> 5) & 63) * 255 / 63 : ((w >> 5) & 31) * 255 / 31;
                    const std::uint32_t a = format == kArgb1555 && !(w & 0x8000) ? 0 : 0xFF000000u;
                    v = a ? a | (r * 255 / 31) << 16 | g << 8 | ((w & 31) * 255 / 31) : 0;
                    break;
                }
                case kGray16: {
                    const std::uint32_t level = p[1];  // the high byte of the 16-bit level
                    v = 0xFF000000u | level << 16 | level << 8 | level;
                    break;
                }
                default: {
                    const std::size_t bit = static_cast<std::size_t>(x) * bits % 8;
                    const std::uint32_t index = (p[0] >> (8 - bits - bit)) & ((1u << bits) - 1);
                    v = index < palette.size() ? palette[index] : 0;
                    break;
                }
            }
            out[x] = v;
        }
    }
    return image;
}

ImageDef ReadImage(Cursor& c, std::uint64_t& pixelBudget, bool& supported) {
    ImageDef def;
    const std::uint32_t type = c.U32();
    if (type == 2) {
        if (!ReadMetafile(c, def))
            supported = false;
        return def;
    }
    if (type == 1)
        def.image = ReadImageBits(c, pixelBudget);
    if (def.image)
        def.alpha = (def.image->encoding != ImageEncoding::None && def.image->encoding != ImageEncoding::Jpeg) ||
                    std::any_of(def.image->pixels.begin(), def.image->pixels.end(),
                                [](std::uint32_t p) { return (p >> 24) != 0xFF; });
    if (!def.image)
        supported = false;  // bitmap forms not decoded here
    return def;
}

}  // namespace

BrushDef ReadBrush(Cursor& c, std::uint64_t& pixelBudget, bool& supported) {
    const std::uint32_t type = c.U32();
    BrushDef b;
    switch (type) {
        case kBrushSolid:
            b.color = ArgbColor(c.U32());
            break;
        case kBrushHatch:
            b.kind = BrushDef::Kind::Hatch;
            b.hatch = c.U32();
            b.color = ArgbColor(c.U32());
            b.back = ArgbColor(c.U32());
            if (b.hatch > kLastHatchStyle)
                supported = false;
            break;
        case kBrushLinear:
            b = ReadLinear(c, supported);
            break;
        case kBrushTexture: {
            b.kind = BrushDef::Kind::Texture;
            const std::uint32_t flags = c.U32();
            c.I32();  // wrap mode
            if (flags & kGradientTransform)
                b.transform = c.ReadMatrix();
            c.U32();  // image version
            if (c.U32() == 1)
                b.texture = ReadImageBits(c, pixelBudget);
            if (!b.texture)
                supported = false;
            break;
        }
        case kBrushPath:
            b = ReadPathGradient(c, supported);
            break;
        default:
            supported = false;
            break;
    }
    return b;
}

PathDef ReadPath(Cursor& c, bool& supported) {
    return ReadPathBody(c, supported);
}

std::vector<PointF> ReadPoints(Cursor& c, std::uint32_t count, std::uint16_t flags) {
    if (count > kMaxPathPoints || count > c.Remaining())
        throw RecordError("EMF+ point count out of range");
    std::vector<PointF> points;
    points.reserve(count);
    PointF last;
    for (std::uint32_t i = 0; i < count; ++i) {
        if (flags & kFlagRelative) {
            const auto coordinate = [&c]() -> double {
                const std::uint8_t first = c.U8();
                if (!(first & 0x80))
                    return static_cast<std::int8_t>(static_cast<std::uint8_t>(first << 1)) / 2;
                const std::uint16_t v = static_cast<std::uint16_t>((first & 0x7F) << 8 | c.U8());
                return static_cast<std::int16_t>(static_cast<std::uint16_t>(v << 1)) / 2;
            };
            const double dx = coordinate();
            const double dy = coordinate();
            last = {last.x + dx, last.y + dy};
        } else if (flags & kFlagCompressed) {
            const double x = c.I16();
            last = {x, static_cast<double>(c.I16())};
        } else {
            const double x = c.F32();
            last = {x, c.F32()};
        }
        points.push_back(last);
    }
    return points;
}

RectF ReadRect(Cursor& c, bool compressed) {
    double x, y, w, h;
    if (compressed) {
        x = c.I16();
        y = c.I16();
        w = c.I16();
        h = c.I16();
    } else {
        x = c.F32();
        y = c.F32();
        w = c.F32();
        h = c.F32();
    }
    return {x, y, x + w, y + h};
}

Object ReadObject(std::uint8_t type, std::span<const std::uint8_t> bytes, std::uint64_t& pixelBudget) {
    Cursor c(bytes);
    c.U32();  // version
    bool supported = true;
    Object object;
    switch (type) {
        case kObjectBrush:
            object = ReadBrush(c, pixelBudget, supported);
            break;
        case kObjectPen:
            object = ReadPen(c, pixelBudget, supported);
            break;
        case kObjectPath:
            object = ReadPath(c, supported);
            break;
        case kObjectRegion:
            object = ReadRegion(c, supported);
            break;
        case kObjectImage:
            object = ReadImage(c, pixelBudget, supported);
            break;
        case kObjectFont:
            object = ReadFont(c);
            break;
        case kObjectStringFormat:
            object = ReadStringFormat(c);
            break;
        case kObjectImageAttributes:
            return std::monostate{};  // wrap modes and colour keys: images are drawn as they are
        default:
            supported = false;
            break;
    }
    if (!supported)
        return Unsupported{};
    return object;
}

void ObjectSlots::Define(std::uint16_t flags, std::span<const std::uint8_t> data, std::uint64_t& pixelBudget) {
    const std::uint8_t id = flags & 0xFF;
    const std::uint8_t type = (flags >> 8) & 0x7F;
    if (id >= kObjectSlots)
        throw RecordError("EMF+ object id out of range");
    if (flags & 0x8000) {
        // One part of an object too big for one record: the first four bytes give its size.
        Cursor c(data);
        const std::uint32_t total = c.U32();
        const auto part = data.subspan(4);
        if ((m_pendingFlags & 0x7FFF) != (flags & 0x7FFF) || m_pending.empty()) {
            m_pending.clear();
            m_pendingFlags = flags;
            m_pendingTotal = total;
        }
        if (total > kMaxObjectBytes || m_pending.size() + part.size() > m_pendingTotal)
            throw RecordError("EMF+ object parts exceed their total");
        m_pending.insert(m_pending.end(), part.begin(), part.end());
        if (m_pending.size() < m_pendingTotal)
            return;
        std::vector<std::uint8_t> whole;
        whole.swap(m_pending);
        m_pendingFlags = 0;
        m_slots[id] = ReadObject(type, whole, pixelBudget);
        return;
    }
    // GDI+ writes the last part without the continuation bit.
    if (!m_pending.empty() && (m_pendingFlags & 0x7FFF) == flags) {
        m_pending.insert(m_pending.end(), data.begin(), data.end());
        std::vector<std::uint8_t> whole;
        whole.swap(m_pending);
        m_pendingFlags = 0;
        m_slots[id] = ReadObject(type, whole, pixelBudget);
        return;
    }
    m_pending.clear();
    m_slots[id] = ReadObject(type, data, pixelBudget);
}

}  // namespace qrp::emf::plus
