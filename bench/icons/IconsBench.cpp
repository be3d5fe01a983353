#include "mapdata/AddressLookup.h"
#include "mapview/MapCursors.h"

#include <QGuiApplication>

#include <benchmark/benchmark.h>

using namespace tsivor;

namespace {

// A note drawn again: the picture comes from the cache.
void BM_GetIconCached(benchmark::State& state) {
    mapdata::TOrbIcon icons;
    mapview::LoadBuiltInIcons(icons);
    icons.GetIcon("Default", "12");
    for (auto _ : state) benchmark::DoNotOptimize(icons.GetIcon("Default", "12"));
}
BENCHMARK(BM_GetIconCached);

// Walking all 62 pictures by name: more than the cache holds, so every lookup decodes.
void BM_GetIconDecoding(benchmark::State& state) {
    mapdata::TOrbIcon icons;
    mapview::LoadBuiltInIcons(icons);
    int n = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(icons.GetIcon("Default", QString::number(n)));
        n = (n + 1) % 62;
    }
}
BENCHMARK(BM_GetIconDecoding);

// FindHouseLike on a map of N addressed objects over 500 streets.
void BM_FindHouseLike(benchmark::State& state) {
    mapdata::TMapDocument doc;
    mapdata::TAddressLookup lookup(doc);
    for (int s = 0; s < 500; ++s) lookup.StreetCodeOf(QStringLiteral("Улица номер %1").arg(s));
    for (int i = 0; i < state.range(0); ++i) {
        auto o = std::make_unique<mapdata::TORBMapObjectMem>();
        o->HasAddress = 1;
        o->Address = std::make_unique<mapdata::TORBMapAddress>();
        o->Address->StreetCode = int16_t(i % 500);
        o->Address->House = QByteArray::number(i % 97);
        doc.Append(std::move(o));
    }
    std::vector<int> found;
    for (auto _ : state) {
        benchmark::DoNotOptimize(lookup.FindHouseLike(-1, QString(), "12", "номер 499", found));
    }
}
BENCHMARK(BM_FindHouseLike)->Arg(20000)->Arg(1000000)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
