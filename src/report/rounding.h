// Real-to-whole conversion as the report library does it everywhere: to the nearest
// integer, exact halves to the even neighbour.
#pragma once

#include <cmath>
#include <cstdint>
#include <limits>

namespace qrp {

// Saturates at the int32 range (NaN gives 0) instead of leaving an out-of-range
// conversion undefined.
inline std::int32_t RoundToInt32(long double value) {
    if (std::isnan(value))
        return 0;
    // nearbyint honours the current rounding mode; ours is never changed from to-nearest-even.
    const long double rounded = std::nearbyint(value);
    if (rounded >= static_cast<long double>(std::numeric_limits<std::int32_t>::max()))
        return std::numeric_limits<std::int32_t>::max();
    if (rounded <= static_cast<long double>(std::numeric_limits<std::int32_t>::min()))
        return std::numeric_limits<std::int32_t>::min();
    return static_cast<std::int32_t>(rounded);
}

}  // namespace qrp
