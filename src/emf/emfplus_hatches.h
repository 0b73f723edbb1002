// The hatch styles GDI+ has beyond the six of GDI: 8 x 8 patterns of foreground and
// background pixels, tiled one pattern pixel per device pixel as GDI's own hatches are.
#pragma once

#include <cstdint>
#include <memory>

#include "device.h"

namespace qrp::emf::plus {

// The last hatch style GDI+ knows (solid diamond); 0 to 5 are GDI's, drawn by the device.
inline constexpr std::uint32_t kLastHatchStyle = 52;
inline constexpr std::uint32_t kLastGdiHatchStyle = 5;

// The pattern of a style from 6 to kLastHatchStyle, `fore` where it is set, `back` elsewhere.
std::shared_ptr<const Image> HatchPattern(std::uint32_t style, Color fore, Color back);

}  // namespace qrp::emf::plus
