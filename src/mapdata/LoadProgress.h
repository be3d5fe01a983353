#pragma once
// The objects-read counter of a load and the OnProgress calls it drives.

#include "mapdata/MapLoader.h"
#include "mapdata/Rounding.h"

#include <cmath>

namespace tsivor::mapdata {

class TLoadProgress {
public:
    // total: the number of top-level objects the reader means to read.
    TLoadProgress(TMapLoadHost& host, int64_t total) : host_(host), total_(total) {}

    // After each top-level object, kept or dropped (never after children).
    void ObjectDone() {
        ++counter_;
        if (counter_ % 100 == 0) host_.Progress(Percent(counter_, total_));
    }
    int64_t Counter() const { return counter_; }
    void SetCounter(int64_t value) { counter_ = value; }

    // round(done / total * 100) with halves to even; 100 when total <= 0, never above 100
    // (dropped records would otherwise push the last figure past the end).
    static int Percent(int64_t done, int64_t total) {
        if (total <= 0) return 100;
        const double p = NearestEven(double(done) * 100.0 / double(total));
        return p > 100 ? 100 : p < 0 ? 0 : int(p);
    }

private:
    TMapLoadHost& host_;
    int64_t total_;
    int64_t counter_ = 0;
};

} // namespace tsivor::mapdata
