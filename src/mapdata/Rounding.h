#pragma once
// The one rounding rule of the map and its views: to the nearest integer, halves to the even
// neighbour (2.5 -> 2, 3.5 -> 4, -2.5 -> -2).

#include <cmath>

namespace tsivor::mapdata {

// nearbyint rounds halves to even in the default floating-point rounding mode.
inline long RoundHalfEven(double v) {
    return std::isfinite(v) ? std::lrint(v) : 0;
}

inline int RoundToInt(double v) {
    return int(RoundHalfEven(v));
}

} // namespace tsivor::mapdata
