#pragma once
// Rounding as the program's texts and scales use it: to the nearest integer, halves to even.

#include <cmath>

namespace tsivor::platform {

inline int RoundHalfEven(double v) {
    return int(std::nearbyint(v)); // the default rounding mode rounds halves to even
}

} // namespace tsivor::platform
