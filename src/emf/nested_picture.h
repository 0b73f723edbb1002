// Pictures nested in a picture: EMF+ images that are metafiles, played by the same player
// onto the same device. What they may cost is shared down the whole nesting, so that a
// picture drawn many times, or nested in a picture nested in a picture, runs out of budget
// instead of multiplying the work.
#pragma once

#include <cstdint>
#include <span>

#include "device.h"
#include "player.h"
#include "transform.h"

namespace qrp::emf {

// Levels of nesting played; a picture nested deeper is refused.
inline constexpr std::uint32_t kMaxNesting = 4;
// Record bytes the nested pictures of one picture may play in all, each playing charged
// its size plus kNestedPlayCost (every one costs a look-ahead, a clip and a device state).
inline constexpr std::uint64_t kMaxNestedBytes = 1ull << 20;
inline constexpr std::uint64_t kNestedPlayCost = 16u << 10;
// Bitmap pixels they may decode in all.
inline constexpr std::uint64_t kMaxNestedPixels = 1ull << 26;
// Path elements of path-gradient bands a picture, its nested ones included, may fill.
inline constexpr std::uint64_t kMaxGradientElements = 1ull << 22;

struct NestedWork {
    std::uint32_t depth = 0;  // nested pictures being played right now, one inside the other
    std::uint64_t bytes = kMaxNestedBytes;
    std::uint64_t pixels = kMaxNestedPixels;
    std::uint64_t gradientElements = kMaxGradientElements;
    // Some nested picture went past a limit: the outermost picture plays its GDI records.
    bool refused = false;
};

// Plays `emf` with its reference-device pixels mapped to output coordinates by
// `pixelsToOutput`; `area` is what an EMF+ Clear fills. The picture's bitmaps are charged
// to `work`. Throws EQRError when `emf` has no EMF header.
PlayStats PlayNested(std::span<const std::uint8_t> emf, Device& device, const Matrix& pixelsToOutput, const RectF& area,
                     NestedWork& work);

}  // namespace qrp::emf
