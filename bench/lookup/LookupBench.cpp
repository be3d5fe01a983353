// Address lookups on the large generated city (set TSIVOR_LARGE_CITY to the folder written by
// `tsivor-samplecity --large DIR`, or pass --large-city=DIR; without it those cases are
// skipped), the tolerant street lookup among 5000 streets, and point conversion throughput.
#include "../LargeCityArg.h"
#include "mapdata/AddressLookup.h"
#include "mapdata/MapLoader.h"
#include "mapview/Viewport.h"

#include <QCoreApplication>
#include <QFileInfo>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <random>

using namespace tsivor;

namespace {

QString gLargeDir;

struct TLargeCity {
    mapdata::TMapDocument Doc;
    bool Loaded = false;
    // A real address from the middle of the list, so the search cannot stop early.
    QString Street, House;
};

TLargeCity& Large() {
    static std::unique_ptr<TLargeCity> city = [] {
        auto c = std::make_unique<TLargeCity>();
        const QString file = gLargeDir + QStringLiteral("/info1.db");
        if (gLargeDir.isEmpty() || !QFileInfo::exists(file)) return c;
        mapdata::TMapLoadHost host;
        QString error;
        if (!mapdata::MapLoad(file, c->Doc, host, &error)) qFatal("%s", qPrintable(error));
        c->Loaded = true;
        mapdata::TAddressLookup lookup(c->Doc);
        const int n = c->Doc.ObjectCount();
        for (int i = n / 2; i < n; ++i) {
            const auto& o = *c->Doc.Objects[size_t(i)];
            if (o.HasAddress != 1 || !o.Address || o.Address->House.isEmpty()) continue;
            const mapdata::TAdres a = lookup.DecodeAddress(o);
            if (a.Street.isEmpty()) continue;
            c->Street = a.Street;
            c->House = a.House;
            break;
        }
        return c;
    }();
    return *city;
}

bool NeedLarge(benchmark::State& state) {
    if (Large().Loaded) {
        state.counters["objects"] = Large().Doc.ObjectCount();
        state.counters["streets"] = Large().Doc.Streets.Count();
        return true;
    }
    state.SkipWithError("large city not generated (TSIVOR_LARGE_CITY)");
    return false;
}

void BM_FindHouseLarge(benchmark::State& state) {
    if (!NeedLarge(state)) return;
    TLargeCity& c = Large();
    mapdata::TAddressLookup lookup(c.Doc);
    std::vector<int> found;
    for (auto _ : state)
        benchmark::DoNotOptimize(lookup.FindHouse(-1, QString(), c.House, c.Street, found));
    state.counters["found"] = double(found.size());
}
BENCHMARK(BM_FindHouseLarge)->Unit(benchmark::kMillisecond);

void BM_FindHouseLikeLarge(benchmark::State& state) {
    if (!NeedLarge(state)) return;
    TLargeCity& c = Large();
    mapdata::TAddressLookup lookup(c.Doc);
    // The last word of the street name alone: the exact lookup misses, the scan finds it.
    const QString typed = c.Street.section(QChar(' '), -1);
    std::vector<int> found;
    for (auto _ : state)
        benchmark::DoNotOptimize(lookup.FindHouseLike(-1, QString(), c.House, typed, found));
    state.counters["found"] = double(found.size());
}
BENCHMARK(BM_FindHouseLikeLarge)->Unit(benchmark::kMillisecond);

// The large city's own street table, typed as an abbreviated name that matches no entry:
// every name is tested.
void BM_StreetLikeLargeMiss(benchmark::State& state) {
    if (!NeedLarge(state)) return;
    mapdata::TAddressLookup lookup(Large().Doc);
    for (auto _ : state)
        benchmark::DoNotOptimize(lookup.FindStreetCodeLike(QStringLiteral("ПР НЕТТАКОЙ")));
}
BENCHMARK(BM_StreetLikeLargeMiss)->Unit(benchmark::kMicrosecond);

// A table of 5000 streets named like real ones; the typed words match the last entry only
// (arg 0) or nothing (arg 1): the worst cases of the tolerant lookup.
void BM_StreetLike5000(benchmark::State& state) {
    mapdata::TMapDocument doc;
    mapdata::TAddressLookup lookup(doc);
    static const char* const kinds[] = {"УЛИЦА", "ПРОСПЕКТ", "ПЕРЕУЛОК", "ПРОЕЗД", "БУЛЬВАР"};
    for (int s = 0; s < 5000; ++s)
        lookup.StreetCodeOf(
            QStringLiteral("%1 Садовая %2-я").arg(QString::fromUtf8(kinds[s % 5])).arg(s));
    const QString typed =
        state.range(0) == 0 ? QStringLiteral("ПР садовая 4999") : QStringLiteral("ПР садовая 5000");
    for (auto _ : state) benchmark::DoNotOptimize(lookup.FindStreetCodeLike(typed));
    state.counters["streets"] = doc.Streets.Count();
}
BENCHMARK(BM_StreetLike5000)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

// MapPointsToScreenCompact on a long wavy line; items/s are points per second.
void BM_MapPointsToScreenCompact(benchmark::State& state) {
    mapview::TMapViewport v;
    v.SetControlSize({1920, 1080});
    v.StoreScale(double(state.range(1)));
    v.UpdatePixelsPerUnit();
    v.SetOrigin(0, 0);
    const int n = int(state.range(0));
    std::vector<mapdata::TORBMapPoint> pts(static_cast<size_t>(n));
    std::mt19937 rng(7);
    std::uniform_real_distribution<float> step(0.f, 3.f);
    float x = 0, y = 500;
    for (auto& p : pts) {
        x += step(rng);
        y += step(rng) - 1.5f;
        p.X = x;
        p.Y = y;
    }
    std::vector<QPoint> out(static_cast<size_t>(n));
    int written = 0;
    for (auto _ : state) {
        written = v.MapPointsToScreenCompact(pts.data(), n, out.data());
        benchmark::DoNotOptimize(out.data());
    }
    state.SetItemsProcessed(state.iterations() * n);
    state.counters["written"] = written;
}
BENCHMARK(BM_MapPointsToScreenCompact)->Args({1000, 20})->Args({1000, 200})->Args({100000, 200});

} // namespace

int main(int argc, char** argv) {
    gLargeDir = TakeLargeCityArg(argc, argv);
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
