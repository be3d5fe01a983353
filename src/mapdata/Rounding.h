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
    return std::nearbyint(v); // the default rounding mode rounds halves to even
}

// The rounded value as an int; values beyond the range saturate, NaN and infinities give 0.
inline int RoundToInt(double v) {
    if (!std::isfinite(v)) return 0;
    return int(std::clamp(NearestEven(v), double(INT_MIN), double(INT_MAX)));
}

} // namespace tsivor::mapdata
