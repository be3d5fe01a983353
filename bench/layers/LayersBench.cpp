// Full frames of a maximised 1920 x 1080 map drawn plain and smoothed (the AntiAliasing
// option), on the sample city and on the large generated city with the spatial index on
// (TSIVOR_LARGE_CITY or --large-city=DIR; without it the large cases skip).
// Benchmark args: city (0 sample, 1 large with the index), scale (0 = the whole map), smooth.
#include "../BenchCity.h"
#include "../GuiBenchMain.h"
#include "mapview/DataMap.h"

#include <QApplication>
#include <QFileInfo>

#include <benchmark/benchmark.h>

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

} // namespace

int main(int argc, char** argv) {
    return RunGuiBenchmarks(argc, argv, gLargeDir);
}
