#pragma once
// The one rounding rule of the program: to the nearest integer, halves to the even neighbour
// (2.5 -> 2, 3.5 -> 4, -2.5 -> -2). Every conversion to whole pixels, cells, scales and figures
// uses it.

#include <algorithm>
#include <climits>
#include <cmath>

namespace tsivor::mapdata {

// The rounded value, kept as a double for values beyond the int range.
inline double NearestEven(double v) {
    // Below 2^51, adding and taking away 1.5 * 2^52 leaves the nearest integer, halves to even
    // in the default rounding mode: nearbyint's result without its library call, which every
    // point of a frame would pay.
    constexpr double kShift = 6755399441055744.0;
    if (std::fabs(v) < 2251799813685248.0)
        return std::copysign((std::fabs(v) + kShift) - kShift, v);
    return std::nearbyint(v); // whole already, or NaN and infinities
}

// The same for a value known to lie strictly within the int range (not NaN): no branch, so
// that loops over many points can be vectorised.
inline int RoundInRange(double v) {
    return int((v + 6755399441055744.0) - 6755399441055744.0);
}

// The rounded value as an int; values beyond the range saturate, NaN and infinities give 0.
inline int RoundToInt(double v) {
    if (std::fabs(v) < 2147483646.0) return RoundInRange(v);
    if (!std::isfinite(v)) return 0;
    return int(std::clamp(NearestEven(v), double(INT_MIN), double(INT_MAX)));
}

} // namespace tsivor::mapdata
