// EMF+ images beyond raw pixels: compressed bitmap files (decoded here or by the device)
// and metafiles, played by the same player onto the destination parallelogram.
#include <algorithm>
#include <cstdlib>

#include "base/errors.h"
#include "dib.h"
#include "emf_header.h"
#include "emfplus_playback.h"

namespace qrp::emf::plus {

namespace {

std::uint32_t BigEndian(std::span<const std::uint8_t> b, std::size_t at, std::size_t size) {
    std::uint32_t v = 0;
    for (std::size_t i = 0; i < size; ++i)
        v = v << 8 | b[at + i];
    return v;
}

std::uint32_t LittleEndian(std::span<const std::uint8_t> b, std::size_t at, std::size_t size) {
    std::uint32_t v = 0;
    for (std::size_t i = size; i-- > 0;)
        v = v << 8 | b[at + i];
    return v;
}

bool StartsWith(std::span<const std::uint8_t> b, std::string_view magic) {
    return b.size() >= magic.size() && std::equal(magic.begin(), magic.end(), b.begin(),
                                                  [](char m, std::uint8_t v) { return std::uint8_t(m) == v; });
}

// The width and height in the first image file directory of a TIFF file.
bool TiffSize(std::span<const std::uint8_t> b, std::int32_t& width, std::int32_t& height) {
    const bool big = b[0] == 'M';
    const auto read = [&](std::size_t at, std::size_t size) {
        return big ? BigEndian(b, at, size) : LittleEndian(b, at, size);
    };
    const std::uint32_t ifd = read(4, 4);
    if (ifd > b.size() || b.size() - ifd < 2)
        return false;
    const std::uint32_t entries = read(ifd, 2);
    width = height = 0;
    for (std::uint32_t i = 0; i < entries && ifd + 2 + (i + 1) * 12 <= b.size(); ++i) {
        const std::size_t at = ifd + 2 + i * 12;
        const std::uint32_t tag = read(at, 2), type = read(at + 2, 2);
        // SHORT values sit in the first two bytes of the value field.
        const std::uint32_t value = type == 3 ? read(at + 8, 2) : type == 4 ? read(at + 8, 4) : 0;
        if (tag == 256)
            width = static_cast<std::int32_t>(value);
        else if (tag == 257)
            height = static_cast<std::int32_t>(value);
    }
    return width > 0 && height > 0;
}

// The encoding of a compressed bitmap's file and the size the file gives itself (GDI+
// records compressed bitmaps as 0 x 0).
ImageEncoding Sniff(std::span<const std::uint8_t> b, std::int32_t& width, std::int32_t& height) {
    if (StartsWith(b, "\x89PNG") && b.size() >= 24) {
        width = static_cast<std::int32_t>(BigEndian(b, 16, 4));
        height = static_cast<std::int32_t>(BigEndian(b, 20, 4));
        return ImageEncoding::Png;
    }
    if (StartsWith(b, "GIF8") && b.size() >= 10) {
        width = static_cast<std::int32_t>(LittleEndian(b, 6, 2));
        height = static_cast<std::int32_t>(LittleEndian(b, 8, 2));
        return ImageEncoding::Gif;
    }
    if ((StartsWith(b, "II*\0") || StartsWith(b, "MM\0*")) && b.size() >= 8)
        return TiffSize(b, width, height) ? ImageEncoding::Tiff : ImageEncoding::None;
    if (!StartsWith(b, "\xFF\xD8"))
        return ImageEncoding::None;
    std::size_t at = 2;
    while (at + 9 <= b.size() && b[at] == 0xFF) {
        const std::uint8_t marker = b[at + 1];
        if (marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC) {
            height = static_cast<std::int32_t>(BigEndian(b, at + 5, 2));
            width = static_cast<std::int32_t>(BigEndian(b, at + 7, 2));
            return ImageEncoding::Jpeg;
        }
        at += 2 + BigEndian(b, at + 2, 2);
    }
    return ImageEncoding::None;
}

// A BMP file: the DIB after its 14-byte file header, decoded here, opaque (the fourth byte
// of 32-bit pixels is unused, as GDI+ reads such files).
std::shared_ptr<Image> ReadBmp(std::span<const std::uint8_t> b, std::uint64_t& pixelBudget) {
    if (b.size() < 18)
        return nullptr;
    const std::uint32_t bitsAt = LittleEndian(b, 10, 4), infoSize = LittleEndian(b, 14, 4);
    if (infoSize > b.size() - 14 || bitsAt < 14 + infoSize || bitsAt > b.size())
        return nullptr;
    DibSource source;
    source.info = b.subspan(14, bitsAt - 14);
    source.bits = b.subspan(bitsAt);
    const auto info = ReadDibInfo(source.info);
    if (!info || !ChargePixels(info->width, std::abs(info->height), pixelBudget))
        return nullptr;
    return DecodeDib(source);
}

// Maps the unit square onto the parallelogram with corners p0 (origin), p1 (x) and p2 (y).
Matrix Parallelogram(PointF p0, PointF p1, PointF p2) {
    return {p1.x - p0.x, p1.y - p0.y, p2.x - p0.x, p2.y - p0.y, p0.x, p0.y};
}

bool Narrowing(const std::vector<ClipStep>& steps) {
    return std::all_of(steps.begin(), steps.end(), [](const ClipStep& s) {
        return s.mode == ClipMode::Intersect || s.mode == ClipMode::Difference;
    });
}

// The steps from the last Replace on (the ones before it do not count), that Replace
// turned into an Intersect: applied after other steps, they narrow what those left.
std::vector<ClipStep> Narrowed(std::vector<ClipStep> steps) {
    const auto replace =
        std::find_if(steps.rbegin(), steps.rend(), [](const ClipStep& s) { return s.mode == ClipMode::Replace; });
    if (replace != steps.rend()) {
        steps.erase(steps.begin(), std::prev(replace.base()));
        steps.front().mode = ClipMode::Intersect;
    }
    return steps;
}

// The device a nested picture draws on: its clip stays within the clip around it, which
// ends with the destination parallelogram.
class NestedDevice final : public Device {
  public:
    NestedDevice(Device& outer, std::vector<ClipStep> outerClip, Path destination)
        : m_outer(outer), m_destination(std::move(destination)), m_around(std::move(outerClip)) {
        m_around.push_back({m_around.empty() ? ClipMode::Replace : ClipMode::Intersect, m_destination});
        m_outer.SetClip({m_around});
        m_outer.SetAntialias(true);  // GDI pictures are drawn smoothed
    }

    void SetClip(const Clip& clip) override {
        std::vector<ClipStep> inner = Narrowed(clip.steps);
        std::vector<ClipStep> steps;
        if (Narrowing(inner)) {
            steps = m_around;
        } else {
            // The picture's own clip widens somewhere: the steps around it go after it,
            // when they can (the clip around it cannot widen then).
            steps = clip.steps;
            inner = Narrowed(m_around);
            if (!Narrowing(inner))
                inner = {{ClipMode::Intersect, m_destination}};
        }
        steps.insert(steps.end(), std::make_move_iterator(inner.begin()), std::make_move_iterator(inner.end()));
        m_outer.SetClip({std::move(steps)});
    }
    void DrawPath(const Path& path, const Pen& pen, const Brush& brush, std::uint32_t rop2) override {
        m_outer.DrawPath(path, pen, brush, rop2);
    }
    void DrawText(const TextRun& run) override { m_outer.DrawText(run); }
    void DrawImage(const ImageDraw& draw) override { m_outer.DrawImage(draw); }
    void SetAntialias(bool on) override { m_outer.SetAntialias(on); }

  private:
    Device& m_outer;
    Path m_destination;
    std::vector<ClipStep> m_around;
};

// One level deeper in the nesting for as long as it lives.
class Deeper {
  public:
    explicit Deeper(NestedWork& work) : m_work(work) { ++m_work.depth; }
    ~Deeper() { --m_work.depth; }
    Deeper(const Deeper&) = delete;
    Deeper& operator=(const Deeper&) = delete;

  private:
    NestedWork& m_work;
};

}  // namespace

bool ChargePixels(std::int32_t width, std::int32_t height, std::uint64_t& pixelBudget) {
    if (width <= 0 || height <= 0 || width > 65535 || height > 65535)
        return false;
    const std::uint64_t pixels = static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(height);
    if (pixels > pixelBudget)
        return false;
    pixelBudget -= pixels;
    return true;
}

std::shared_ptr<Image> ReadCompressedImage(std::span<const std::uint8_t> bytes, std::int32_t width, std::int32_t height,
                                           std::uint64_t& pixelBudget) {
    if (StartsWith(bytes, "BM"))
        return ReadBmp(bytes, pixelBudget);
    auto image = std::make_shared<Image>();
    std::int32_t ownWidth = 0, ownHeight = 0;
    image->encoding = Sniff(bytes, ownWidth, ownHeight);
    if (image->encoding == ImageEncoding::None || bytes.size() > kMaxEncodedBytes)
        return nullptr;
    if (width <= 0 || height <= 0) {
        width = ownWidth;
        height = ownHeight;
    }
    if (!ChargePixels(width, height, pixelBudget))
        return nullptr;
    image->width = width;
    image->height = height;
    image->encoded.assign(bytes.begin(), bytes.end());
    return image;
}

bool ReadMetafile(Cursor& c, ImageDef& def) {
    const std::uint32_t type = c.U32();
    const std::uint32_t size = c.U32();
    const auto bytes = c.Take(size);
    // Types 1 and 2 are WMF pictures, which have no player here.
    if (type < static_cast<std::uint32_t>(MetafileType::Emf) ||
        type > static_cast<std::uint32_t>(MetafileType::EmfPlusDual))
        return false;
    try {
        ReadHeader(bytes);
    } catch (const EQRError&) {
        return false;
    }
    def.metafileType = static_cast<MetafileType>(type);
    def.metafile = std::make_shared<const std::vector<std::uint8_t>>(bytes.begin(), bytes.end());
    return true;
}

void Playback::DrawMetafile(const ImageDef& def, const RectF& source, const std::array<PointF, 3>& corners) {
    if (source.Width() == 0 || source.Height() == 0)
        return;
    const std::uint64_t cost = def.metafile->size() + kNestedPlayCost;
    if (m_work.depth >= kMaxNesting || cost > m_work.bytes)
        m_work.refused = true;
    if (m_work.refused) {
        Unsupported();
        return;
    }
    m_work.bytes -= cost;
    // The source rectangle onto the parallelogram. It is in the picture's reference-device
    // pixels, the frame one pixel wider: each pixel a square around its centre, so the
    // picture's point x lies at x + 0.5 in it.
    const Matrix m = ToOutput();
    const PointF p0 = m.Map(corners[0]), p1 = m.Map(corners[1]), p2 = m.Map(corners[2]);
    const Matrix placement = Then(Then(Matrix::Translate(0.5 - source.left, 0.5 - source.top),
                                       Matrix::Scale(1 / source.Width(), 1 / source.Height())),
                                  Parallelogram(p0, p1, p2));
    if (!placement.IsFinite() || placement.Determinant() == 0)
        return;
    Path destination;
    destination.elements = {{PathOp::MoveTo, {p0}},
                            {PathOp::LineTo, {p1}},
                            {PathOp::LineTo, {PointF{p1.x + p2.x - p0.x, p1.y + p2.y - p0.y}}},
                            {PathOp::LineTo, {p2}},
                            {PathOp::Close, {}}};
    const double xs[] = {p0.x, p1.x, p2.x, p1.x + p2.x - p0.x}, ys[] = {p0.y, p1.y, p2.y, p1.y + p2.y - p0.y};
    const RectF area{*std::min_element(std::begin(xs), std::end(xs)), *std::min_element(std::begin(ys), std::end(ys)),
                     *std::max_element(std::begin(xs), std::end(xs)), *std::max_element(std::begin(ys), std::end(ys))};
    PlayStats stats;
    {
        const Deeper deeper(m_work);
        NestedDevice device(m_device, m_state.clip, std::move(destination));
        stats = PlayNested(*def.metafile, device, placement, area, m_work);
    }
    // A picture of EMF+ records only has nothing to fall back on.
    if (m_work.refused || (def.metafileType == MetafileType::EmfPlusOnly && !stats.emfPlus))
        Unsupported();
    m_clipDirty = m_aaDirty = true;
    m_drawCalls += stats.drawCalls;
}

}  // namespace qrp::emf::plus
