// Full frames of a maximised 1920 x 1080 map drawn plain and smoothed (the AntiAliasing
// option), on the sample city and on the large generated city with the spatial index on
// (TSIVOR_LARGE_CITY or --large-city=DIR; without it the large cases skip).
// Benchmark args: city (0 sample, 1 large with the index), scale (0 = the whole map), smooth.
// BM_SmoothRatio draws the two by turns, so that both meet the same load of a shared machine,
// and prints smoothed over plain from the frames' means and from their fastest.
#include "../BenchCity.h"
#include "../GuiBenchMain.h"
#include "mapview/DataMap.h"

#include <QApplication>
#include <QFileInfo>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <limits>
#include <memory>

using tsivor::mapview::TDataMap;

namespace {

QString gLargeDir;

constexpr int kStreetScale = 60; // streets and blocks, no numbers

// nullptr for the large city when it has not been generated.
TDataMap* City(int which) {
    TDataMap* m = BenchCityOnce(which, QStringLiteral(TSIVOR_DEPLOY_DIR "/info1.db"), gLargeDir);
    if (m) m->SetUseIndex(which != 0);
    return m;
}

// The city of args(0) at the scale of args(1).
TDataMap* ViewFor(benchmark::State& state) {
    TDataMap* m = City(int(state.range(0)));
    if (!m) {
        state.SkipWithError("large city not generated (TSIVOR_LARGE_CITY)");
        return nullptr;
    }
    const auto& e = m->MapExtent();
    if (state.range(1) == 0)
        m->ZoomToRect(e.MinX, e.MinY, e.MaxX, e.MaxY);
    else
        m->ZoomAt((e.MinX + e.MaxX) / 2, (e.MinY + e.MaxY) / 2, double(state.range(1)));
    state.counters["objects"] = m->Document().ObjectCount();
    return m;
}

void BM_SmoothFrame(benchmark::State& state) {
    TDataMap* m = ViewFor(state);
    if (!m) return;
    m->Options().SetAntiAliasing(state.range(2) ? tsivor::mapview::orbSmoothingModeAntiAlias
                                                : tsivor::mapview::orbSmoothingModeNone);
    for (auto _ : state) {
        m->MarkDirty();
        m->Redraw();
    }
    m->Options().SetAntiAliasing(tsivor::mapview::orbSmoothingModeNone);
}
BENCHMARK(BM_SmoothFrame)
    ->ArgNames({"city", "scale", "smooth"})
    ->ArgsProduct({{0, 1}, {0, kStreetScale}, {0, 1}})
    ->Unit(benchmark::kMillisecond);

// Milliseconds of one full frame at the given smoothing.
double TimedFrame(TDataMap& m, bool smooth) {
    m.Options().SetAntiAliasing(smooth ? tsivor::mapview::orbSmoothingModeAntiAlias
                                       : tsivor::mapview::orbSmoothingModeNone);
    const auto start = std::chrono::steady_clock::now();
    m.MarkDirty();
    m.Redraw();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
        .count();
}

void BM_SmoothRatio(benchmark::State& state) {
    TDataMap* m = ViewFor(state);
    if (!m) return;
    // Stamps and caches made for both before the turns are counted.
    TimedFrame(*m, false);
    TimedFrame(*m, true);
    double sum[2] = {0, 0};
    double fastest[2] = {std::numeric_limits<double>::max(), std::numeric_limits<double>::max()};
    for (auto _ : state) {
        double both = 0;
        for (int smooth = 0; smooth < 2; ++smooth) {
            const double ms = TimedFrame(*m, smooth != 0);
            sum[smooth] += ms;
            fastest[smooth] = std::min(fastest[smooth], ms);
            both += ms;
        }
        state.SetIterationTime(both / 1000);
    }
    m->Options().SetAntiAliasing(tsivor::mapview::orbSmoothingModeNone);
    const double n = double(std::max<int64_t>(state.iterations(), 1));
    state.counters["plain_ms"] = sum[0] / n;
    state.counters["smooth_ms"] = sum[1] / n;
    state.counters["ratio"] = sum[1] / std::max(sum[0], 1e-9);
    state.counters["ratio_fastest"] = fastest[1] / std::max(fastest[0], 1e-9);
}
BENCHMARK(BM_SmoothRatio)
    ->ArgNames({"city", "scale"})
    ->ArgsProduct({{0, 1}, {0, kStreetScale}})
    ->UseManualTime()
    ->MinTime(2)
    ->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    return RunGuiBenchmarks(argc, argv, gLargeDir);
}
