#include "mapview/BandCut.h"

#include <algorithm>
#include <cmath>

namespace tsivor::mapview {

TBandCut::TBandCut(int height) : FHeight(std::max(2, height)), FSlope(size_t(FHeight) + 1, 0.0) {}

void TBandCut::Add(double top, double bottom, double cost) {
    if (!(cost > 0) || !(bottom >= top) || bottom < 0 || top >= FHeight) return;
    top = std::max(0.0, top);
    bottom = std::min(double(FHeight), bottom);
    const int first = int(std::floor(top));
    const int end = std::max(first + 1, int(std::ceil(bottom)));
    const double perRow = cost / (end - first);
    FSlope[size_t(first)] += perRow;
    FSlope[size_t(end)] -= perRow;
}

int TBandCut::EvenCut() const {
    std::vector<double> above(size_t(FHeight) + 1, 0.0); // the work of the rows [0, r)
    double perRow = 0;
    for (int r = 0; r < FHeight; ++r) {
        perRow += FSlope[size_t(r)];
        above[size_t(r) + 1] = above[size_t(r)] + perRow;
    }
    const double total = above[size_t(FHeight)];
    const int middle = FHeight / 2;
    if (!(total > 0)) return middle;
    // Rows without work give cuts of equal worth, told apart by their distance to the middle;
    // sums that differ by rounding alone count as equal.
    const double tolerance = total * 1e-9;
    int best = middle;
    double bestGap = std::abs(2 * above[size_t(middle)] - total);
    for (int r = 1; r < FHeight; ++r) {
        const double gap = std::abs(2 * above[size_t(r)] - total);
        if (gap < bestGap - tolerance ||
            (gap <= bestGap + tolerance && std::abs(r - middle) < std::abs(best - middle))) {
            best = r;
            bestGap = gap;
        }
    }
    return best;
}

} // namespace tsivor::mapview
