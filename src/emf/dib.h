// Decodes device-independent bitmaps (BITMAPINFO + bits, as EMF records carry them) into
// premultiplied ARGB images: 1, 4, 8, 16, 24 and 32 bits per pixel, BI_RGB, BI_BITFIELDS,
// BI_RLE4 and BI_RLE8, top-down and bottom-up, with colour tables of RGB quads or, for
// DIB_PAL_COLORS, indexes into a logical palette.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>

#include "device.h"

namespace qrp::emf {

// Bitmaps above this many pixels are not decoded (a damaged header could ask for gigabytes).
inline constexpr std::uint64_t kMaxImagePixels = 64ull << 20;
// And JPEG or PNG files above this many bytes are not kept.
inline constexpr std::size_t kMaxEncodedBytes = 64u << 20;

struct DibSource {
    std::span<const std::uint8_t> info;  // BITMAPINFOHEADER (or BITMAPCOREHEADER) + colour table
    std::span<const std::uint8_t> bits;
    std::uint32_t usage = 0;         // DIB_RGB_COLORS or DIB_PAL_COLORS
    std::span<const Color> palette;  // the selected logical palette, for DIB_PAL_COLORS
    // Keep 32-bpp alpha (ALPHABLEND with AC_SRC_ALPHA); otherwise every pixel is opaque.
    bool keepAlpha = false;
    // 1 bpp only: decode index 0 as black and 1 as white whatever the colour table says
    // (monochrome brushes take their colours from the DC when used).
    bool monochrome = false;
};

struct DibInfo {
    std::int32_t width = 0, height = 0;  // height as recorded: positive for bottom-up
    std::uint16_t bitCount = 0;
    std::uint32_t compression = 0;
};

// The header fields, or nothing when the header is too short or of an unknown size.
std::optional<DibInfo> ReadDibInfo(std::span<const std::uint8_t> info);

// Nothing when the header is damaged, the format unsupported (JPEG, PNG, odd bit counts) or
// the bitmap too large. Bits missing at the end of the data leave those pixels transparent:
// some writers cut the last scan line short.
std::shared_ptr<Image> DecodeDib(const DibSource& source);

// A JPEG or PNG bitmap (BI_JPEG, BI_PNG) as an undecoded Image: the bits are the file.
// Nothing for other compressions, an empty or oversized file, or an empty or too large
// size.
std::shared_ptr<Image> EncodedDib(const DibSource& source);

}  // namespace qrp::emf
