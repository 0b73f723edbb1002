// The one rounding rule of the export filters: nearest whole number, exact halves to the
// even neighbour, in 64-bit integers.
#pragma once

#include <cmath>
#include <cstdint>
#include <limits>

namespace qrp::exporter {

// Values beyond the 64-bit range saturate and NaN gives 0, so that any coordinate a
// driver sends has a well-defined place instead of undefined behaviour.
inline std::int64_t RoundHalfEven(long double value) {
    constexpr long double kTwoTo63 = 9223372036854775808.0L;
    if (std::isnan(value))
        return 0;
    const long double floor = std::floor(value);
    const long double fraction = value - floor;  // exact: the low bits of value
    long double rounded = floor;
    if (fraction > 0.5L || (fraction == 0.5L && std::fmod(floor, 2.0L) != 0.0L))
        rounded = floor + 1.0L;
    if (rounded >= kTwoTo63)
        return std::numeric_limits<std::int64_t>::max();
    if (rounded < -kTwoTo63)
        return std::numeric_limits<std::int64_t>::min();
    return static_cast<std::int64_t>(rounded);
}

}  // namespace qrp::exporter
