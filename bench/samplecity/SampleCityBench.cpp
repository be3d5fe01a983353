// The sample deployment is made at every build and must stay quick: the normal town well under
// two seconds, the large city of a million objects under half a minute.
#include "CityPlan.h"
#include "SampleMap.h"
#include "SampleParts.h"

#include "mapdata/MapEnvelope.h"
#include "mapdata/MapWriter.h"

#include <QGuiApplication>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

using namespace tsivor::sample;

void BM_PlanSample(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(MakeCityPlan(false));
}
BENCHMARK(BM_PlanSample)->Unit(benchmark::kMillisecond);

void BM_MapSample(benchmark::State& state) {
    const CityPlan plan = MakeCityPlan(false);
    for (auto _ : state) {
        tsivor::mapdata::TMapDocument doc;
        BuildSampleMap(plan, doc);
        benchmark::DoNotOptimize(tsivor::mapdata::Scramble(tsivor::mapdata::WriteMapContent(doc)));
    }
}
BENCHMARK(BM_MapSample)->Unit(benchmark::kMillisecond);

void BM_PicturesSample(benchmark::State& state) {
    const CityPlan plan = MakeCityPlan(false);
    QTemporaryDir dir;
    QString error;
    for (auto _ : state) benchmark::DoNotOptimize(WriteSamplePictures(plan, dir.path(), &error));
}
BENCHMARK(BM_PicturesSample)->Unit(benchmark::kMillisecond);

void BM_PlanAndMapLarge(benchmark::State& state) {
    for (auto _ : state) {
        const CityPlan plan = MakeCityPlan(true);
        tsivor::mapdata::TMapDocument doc;
        BuildSampleMap(plan, doc);
        state.counters["objects"] = doc.ObjectCount();
        benchmark::DoNotOptimize(tsivor::mapdata::WriteMapContent(doc).size());
    }
}
BENCHMARK(BM_PlanAndMapLarge)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv); // the pictures are drawn with fonts
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
