#include "dib.h"

#include <algorithm>
#include <bit>
#include <cstdlib>
#include <vector>

#include "base/byte_order.h"
#include "emf_format.h"

namespace qrp::emf {

namespace {

constexpr std::uint32_t kOpaqueBlack = 0xFF000000;

std::uint32_t Opaque(std::uint8_t r, std::uint8_t g, std::uint8_t b) {
    return kOpaqueBlack | (static_cast<std::uint32_t>(r) << 16) | (static_cast<std::uint32_t>(g) << 8) | b;
}

// Extracts a channel under `mask` and scales it to 8 bits.
struct Channel {
    std::uint32_t mask = 0;
    int shift = 0;
    std::uint32_t max = 0;

    explicit Channel(std::uint32_t m) : mask(m) {
        if (m == 0)
            return;
        shift = std::countr_zero(m);
        max = m >> shift;
    }
    std::uint8_t Get(std::uint32_t value) const {
        if (max == 0)
            return 0;
        return static_cast<std::uint8_t>(((value & mask) >> shift) * 255 / max);
    }
};

struct Layout {
    DibInfo info;
    std::size_t headerSize = 0;
    std::uint32_t colorsUsed = 0;
    bool core = false;
};

std::optional<Layout> ReadLayout(std::span<const std::uint8_t> info) {
    if (info.size() < 4)
        return std::nullopt;
    Layout layout;
    layout.headerSize = LoadU32(info.data() + kBmiSize);
    if (layout.headerSize == kBmiCoreHeaderSize && info.size() >= kBmiCoreHeaderSize) {
        layout.core = true;
        layout.info.width = LoadU16(info.data() + 4);
        layout.info.height = LoadU16(info.data() + 6);
        layout.info.bitCount = LoadU16(info.data() + 10);
        return layout;
    }
    if (layout.headerSize < kBmiInfoHeaderSize || layout.headerSize > info.size())
        return std::nullopt;
    layout.info.width = LoadI32(info.data() + kBmiWidth);
    layout.info.height = LoadI32(info.data() + kBmiHeight);
    layout.info.bitCount = LoadU16(info.data() + kBmiBitCount);
    layout.info.compression = LoadU32(info.data() + kBmiCompression);
    layout.colorsUsed = LoadU32(info.data() + kBmiClrUsed);
    return layout;
}

std::vector<std::uint32_t> ReadColorTable(const Layout& layout, const DibSource& source) {
    std::vector<std::uint32_t> table;
    if (layout.info.bitCount > 8)
        return table;
    if (source.monochrome && layout.info.bitCount == 1)
        return {kOpaqueBlack, 0xFFFFFFFF};
    const std::uint32_t full = 1u << layout.info.bitCount;
    const std::uint32_t count = layout.colorsUsed != 0 && layout.colorsUsed < full ? layout.colorsUsed : full;
    std::size_t at = layout.headerSize;
    // BI_BITFIELDS masks never come with paletted depths, so the table follows the header.
    const std::size_t entrySize = source.usage == kDibPalColors ? 2 : (layout.core ? 3 : 4);
    for (std::uint32_t i = 0; i < count && at + entrySize <= source.info.size(); ++i, at += entrySize) {
        const std::uint8_t* e = source.info.data() + at;
        if (source.usage == kDibPalColors) {
            const std::uint16_t index = LoadU16(e);
            const Color c = index < source.palette.size() ? source.palette[index] : Color{};
            table.push_back(Opaque(c.r, c.g, c.b));
        } else {
            table.push_back(Opaque(e[2], e[1], e[0]));
        }
    }
    // Indexes past a short table draw black, as GDI does.
    table.resize(full, kOpaqueBlack);
    return table;
}

class Canvas {
  public:
    Canvas(Image& image, bool bottomUp) : m_image(image), m_bottomUp(bottomUp) {}
    // Row as stored in the DIB (0 = first stored row).
    std::uint32_t* Row(std::int64_t stored) {
        const std::int64_t y = m_bottomUp ? m_image.height - 1 - stored : stored;
        return m_image.pixels.data() + y * m_image.width;
    }

  private:
    Image& m_image;
    bool m_bottomUp;
};

void DecodeUncompressed(const Layout& layout, const DibSource& source, const std::vector<std::uint32_t>& table,
                        Image& image, Canvas& canvas) {
    const std::uint16_t bpp = layout.info.bitCount;
    const std::size_t stride = ((static_cast<std::size_t>(image.width) * bpp + 31) / 32) * 4;
    std::uint32_t masks[4] = {0, 0, 0, 0};
    if (bpp == 16) {
        masks[0] = 0x7C00, masks[1] = 0x03E0, masks[2] = 0x001F;
    } else if (bpp == 32) {
        masks[0] = 0x00FF0000, masks[1] = 0x0000FF00, masks[2] = 0x000000FF;
    }
    if (layout.info.compression == kBiBitfields && (bpp == 16 || bpp == 32)) {
        // Masks sit inside V4/V5 headers or right after a plain info header.
        if (kBmiInfoHeaderSize + 12 <= source.info.size()) {
            for (int i = 0; i < 3; ++i)
                masks[i] = LoadU32(source.info.data() + kBmiInfoHeaderSize + 4 * i);
        }
    }
    const Channel red(masks[0]), green(masks[1]), blue(masks[2]);
    const std::size_t rows = std::min<std::size_t>(image.height, stride ? source.bits.size() / stride : 0);
    for (std::size_t row = 0; row < rows; ++row) {
        const std::uint8_t* in = source.bits.data() + row * stride;
        std::uint32_t* out = canvas.Row(static_cast<std::int64_t>(row));
        for (std::int32_t x = 0; x < image.width; ++x) {
            switch (bpp) {
                case 1:
                    out[x] = table[(in[x >> 3] >> (7 - (x & 7))) & 1];
                    break;
                case 4:
                    out[x] = table[(in[x >> 1] >> ((x & 1) ? 0 : 4)) & 0xF];
                    break;
                case 8:
                    out[x] = table[in[x]];
                    break;
                case 16: {
                    const std::uint32_t v = LoadU16(in + 2 * x);
                    out[x] = Opaque(red.Get(v), green.Get(v), blue.Get(v));
                    break;
                }
                case 24:
                    out[x] = Opaque(in[3 * x + 2], in[3 * x + 1], in[3 * x]);
                    break;
                default: {
                    const std::uint32_t v = LoadU32(in + 4 * x);
                    if (source.keepAlpha) {
                        // Premultiplied already; clamp so that a damaged pixel stays valid.
                        const std::uint8_t a = static_cast<std::uint8_t>(v >> 24);
                        out[x] = (static_cast<std::uint32_t>(a) << 24) |
                                 (static_cast<std::uint32_t>(std::min(red.Get(v), a)) << 16) |
                                 (static_cast<std::uint32_t>(std::min(green.Get(v), a)) << 8) |
                                 std::min(blue.Get(v), a);
                    } else {
                        out[x] = Opaque(red.Get(v), green.Get(v), blue.Get(v));
                    }
                }
            }
        }
    }
}

// Run-length encoded 4 and 8 bpp bitmaps, always bottom-up. Pixels the runs skip stay
// transparent.
void DecodeRle(const Layout& layout, const DibSource& source, const std::vector<std::uint32_t>& table, Image& image,
               Canvas& canvas) {
    const bool four = layout.info.compression == kBiRle4;
    const std::span<const std::uint8_t> in = source.bits;
    std::size_t at = 0;
    std::int64_t x = 0, y = 0;
    auto put = [&](std::uint32_t index) {
        if (x < image.width && y < image.height)
            canvas.Row(y)[x] = table[index & 0xFF];
        ++x;
    };
    while (at + 2 <= in.size() && y < image.height) {
        const std::uint8_t count = in[at], value = in[at + 1];
        at += 2;
        if (count > 0) {
            for (int i = 0; i < count; ++i)
                put(four ? ((i & 1) ? value & 0xF : value >> 4) : value);
            continue;
        }
        if (value == 0) {  // end of line
            x = 0, ++y;
        } else if (value == 1) {  // end of bitmap
            break;
        } else if (value == 2) {  // delta
            if (at + 2 > in.size())
                break;
            x += in[at], y += in[at + 1];
            at += 2;
        } else {  // absolute run of `value` pixels, padded to a 16-bit boundary
            const std::size_t bytes = four ? (value + 1u) / 2 : value;
            if (at + bytes > in.size())
                break;
            for (int i = 0; i < value; ++i)
                put(four ? ((i & 1) ? in[at + i / 2] & 0xF : in[at + i / 2] >> 4) : in[at + i]);
            at += (bytes + 1) & ~std::size_t{1};
        }
    }
}

}  // namespace

std::optional<DibInfo> ReadDibInfo(std::span<const std::uint8_t> info) {
    const auto layout = ReadLayout(info);
    if (!layout)
        return std::nullopt;
    return layout->info;
}

std::shared_ptr<Image> DecodeDib(const DibSource& source) {
    const auto layout = ReadLayout(source.info);
    if (!layout)
        return nullptr;
    const DibInfo& info = layout->info;
    const std::uint32_t c = info.compression;
    const std::uint16_t bpp = info.bitCount;
    const bool rle = (c == kBiRle8 && bpp == 8) || (c == kBiRle4 && bpp == 4);
    const bool plain = c == kBiRgb || (c == kBiBitfields && (bpp == 16 || bpp == 32));
    if (!rle && !plain)
        return nullptr;
    if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32)
        return nullptr;
    if (info.width <= 0 || info.height == 0 || info.height == INT32_MIN)
        return nullptr;
    const std::int64_t height = info.height < 0 ? -static_cast<std::int64_t>(info.height) : info.height;
    if (static_cast<std::uint64_t>(info.width) * static_cast<std::uint64_t>(height) > kMaxImagePixels)
        return nullptr;

    auto image = std::make_shared<Image>();
    image->width = info.width;
    image->height = static_cast<std::int32_t>(height);
    image->pixels.assign(static_cast<std::size_t>(info.width) * height, 0u);
    Canvas canvas(*image, info.height > 0);
    const auto table = ReadColorTable(*layout, source);
    if (rle) {
        DecodeRle(*layout, source, table, *image, canvas);
    } else {
        DecodeUncompressed(*layout, source, table, *image, canvas);
    }
    return image;
}

std::shared_ptr<Image> EncodedDib(const DibSource& source) {
    const auto layout = ReadLayout(source.info);
    if (!layout || layout->core)
        return nullptr;
    const DibInfo& info = layout->info;
    const ImageEncoding encoding = info.compression == kBiJpeg  ? ImageEncoding::Jpeg
                                   : info.compression == kBiPng ? ImageEncoding::Png
                                                                : ImageEncoding::None;
    if (encoding == ImageEncoding::None || source.bits.empty() || source.bits.size() > kMaxEncodedBytes)
        return nullptr;
    // The header says which way up the bitmap counts; the file itself is always top-down.
    // (Compressed bitmaps should not be top-down, yet writers record negative heights.)
    const std::int64_t height = std::abs(static_cast<std::int64_t>(info.height));
    if (info.width <= 0 || height == 0 ||
        static_cast<std::uint64_t>(info.width) * static_cast<std::uint64_t>(height) > kMaxImagePixels)
        return nullptr;
    auto image = std::make_shared<Image>();
    image->width = info.width;
    image->height = static_cast<std::int32_t>(height);
    image->encoding = encoding;
    image->encoded.assign(source.bits.begin(), source.bits.end());
    return image;
}

}  // namespace qrp::emf
