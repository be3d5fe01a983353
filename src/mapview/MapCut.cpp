#include "mapview/MapCut.h"

namespace tsivor::mapview {

namespace {

// Appends [first, last), joining it to the range before when they meet.
void Keep(TKeptRanges& kept, int first, int last) {
    if (first >= last) return;
    if (!kept.empty() && kept.back().second == first)
        kept.back().second = last;
    else
        kept.emplace_back(first, last);
}

} // namespace

namespace {

// The last point j >= i such that all of i..j lie beyond one of the sides common (those of
// point i); common is narrowed to the sides they all lie beyond. Beyond a single side a point
// costs one compare.
int RunEnd(std::span<const TORBMapPoint> pts, int i, int& common, const TMapCutRect& r) {
    const int n = int(pts.size());
    int j = i;
    while (common & (common - 1)) { // beyond a corner: narrowed point by point
        if (j + 1 >= n) return j;
        const int next = common & r.Code(pts[size_t(j) + 1]);
        if (!next) return j;
        common = next;
        ++j;
    }
    switch (common) {
    case 1:
        while (j + 1 < n && pts[size_t(j) + 1].X < r.X0) ++j;
        break;
    case 2:
        while (j + 1 < n && pts[size_t(j) + 1].Y < r.Y0) ++j;
        break;
    case 4:
        while (j + 1 < n && pts[size_t(j) + 1].X > r.X1) ++j;
        break;
    case 8:
        while (j + 1 < n && pts[size_t(j) + 1].Y > r.Y1) ++j;
        break;
    default:
        break;
    }
    return j;
}

} // namespace

void KeepRunsNear(std::span<const TORBMapPoint> pts, const TMapCutRect& rect, TKeptRanges& kept) {
    kept.clear();
    const int n = int(pts.size());
    for (int i = 0; i < n;) {
        int common = rect.Code(pts[size_t(i)]);
        const int j = common ? RunEnd(pts, i, common, rect) : i;
        Keep(kept, i, i + 1);
        if (j > i) Keep(kept, j, j + 1);
        i = j + 1;
    }
}

void KeepCurvesNear(std::span<const TORBMapPoint> chain, const TMapCutRect& rect,
                    TKeptRanges& kept) {
    kept.clear();
    if (chain.empty()) return;
    const int segments = (int(chain.size()) - 1) / 3;
    const auto points = chain.first(size_t(3 * segments + 1));
    Keep(kept, 0, 1);
    for (int s = 0; s < segments;) {
        const int start = 3 * s;
        int common = rect.Code(points[size_t(start)]);
        // The whole segments from s on whose points all lie beyond one common side.
        const int run = common ? (RunEnd(points, start, common, rect) - start) / 3 : 0;
        if (run < 2) {
            Keep(kept, start + 1, start + 4);
            ++s;
            continue;
        }
        // start, start, end, end: a straight segment from the run's start to its end.
        const int end = start + 3 * run;
        Keep(kept, start, start + 1);
        Keep(kept, end, end + 1);
        Keep(kept, end, end + 1);
        s += run;
    }
}

int KeptCount(const TKeptRanges& kept) {
    int n = 0;
    for (const auto& [first, last] : kept) n += last - first;
    return n;
}

} // namespace tsivor::mapview
