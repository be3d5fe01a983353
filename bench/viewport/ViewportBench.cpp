// Costs of the per-object conversion and of a scroll step (image shift plus strips).
#include "mapview/DataMap.h"

#include <QApplication>

#include <benchmark/benchmark.h>

#include <vector>

using namespace tsivor::mapview;

static void BM_MapPointsToScreen(benchmark::State& state) {
    TMapViewport v;
    v.SetControlSize(QSize(1024, 768));
    v.StoreScale(250);
    v.UpdatePixelsPerUnit();
    std::vector<TORBMapPoint> pts(size_t(state.range(0)));
    for (size_t i = 0; i < pts.size(); ++i) pts[i] = {float(i % 3000) * 0.37f, float(i) * 0.01f};
    std::vector<QPoint> out(pts.size());
    for (auto _ : state) {
        v.MapPointsToScreen(pts.data(), int(pts.size()), out.data());
        benchmark::DoNotOptimize(out.data());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_MapPointsToScreen)->Arg(1000)->Arg(150000);

// A line of 400 points a few map units apart seen from the whole town: runs of its points fall
// on one pixel and are kept once.
static void BM_MapPointsToScreenCompact(benchmark::State& state) {
    TMapViewport v;
    v.SetControlSize(QSize(1920, 1080));
    v.StoreScale(double(state.range(0)) / 100);
    v.UpdatePixelsPerUnit();
    std::vector<TORBMapPoint> pts(400);
    float x = 1000, y = 2000;
    for (size_t i = 0; i < pts.size(); ++i) {
        x += float((i * 7919) % 13) - 4, y += float((i * 104729) % 11) - 3;
        pts[i] = {x, y};
    }
    std::vector<QPoint> out(pts.size());
    int kept = 0;
    for (auto _ : state) {
        kept = v.MapPointsToScreenCompact(pts.data(), int(pts.size()), out.data());
        benchmark::DoNotOptimize(out.data());
    }
    state.counters["kept"] = kept;
    state.SetItemsProcessed(state.iterations() * int64_t(pts.size()));
}
BENCHMARK(BM_MapPointsToScreenCompact)->Arg(233)->Arg(6000);

static void BM_ScrollStep(benchmark::State& state) {
    TDataMap map;
    map.resize(1024, 768);
    map.Redraw();
    int i = 0;
    for (auto _ : state) map.ScrollBy((i++ % 2) ? sdLeftUp : sdRightDown, 50, 50);
}
BENCHMARK(BM_ScrollStep);

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
