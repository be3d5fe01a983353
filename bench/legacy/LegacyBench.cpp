// Objects per second read from content of each group of versions (one version stands for its
// group's record layout), against the current version 14.
#include "LegacyWriter.h"
#include "TestMaps.h"

#include "mapdata/MapWriter.h"

#include <benchmark/benchmark.h>

#include <map>

using namespace tsivor::mapdata;
using namespace tsivor::mapdata::testmaps;

namespace {

constexpr int kObjects = 100'000;

// Mostly addressed houses, with street lines, labels and notes among them, as in a town.
TMapDocument Town() {
    std::vector<TOrbMapObjectPtr> objects;
    objects.reserve(kObjects);
    for (int i = 0; i < kObjects; ++i) {
        const float x = float(i % 300) * 12, y = float(i / 300) * 12;
        const int id = i + 1;
        switch (i % 20) {
        case 0:
        case 1:
            objects.push_back(PointObject(cLine, id, {{x, y}, {x + 5, y}, {x + 9, y + 2}}));
            break;
        case 2:
            objects.push_back(Text(id, x, y, QStringLiteral("улица Ленина"), 8, 30));
            break;
        case 3:
            objects.push_back(Note(id, x, y, QStringLiteral("Default"), QStringLiteral("12"),
                                   QStringLiteral("Кафе «Ромашка»")));
            break;
        default: {
            auto o = Polygon(id, {{x, y}, {x + 9, y}, {x + 9, y + 7}, {x + 4, y + 9}, {x, y + 7}});
            SetAddress(*o, 1, int16_t(1 + i % 2), QString::number(i % 200 + 1));
            objects.push_back(std::move(o));
        }
        }
    }
    return Document(std::move(objects));
}

const QByteArray& Content(int version) {
    static const TMapDocument town = Town();
    static std::map<int, QByteArray> contents;
    QByteArray& c = contents[version];
    if (c.isEmpty()) c = version == 14 ? WriteMapContent(town) : WriteLegacyContent(town, version);
    return c;
}

void BM_ReadVersion(benchmark::State& state) {
    const int version = int(state.range(0));
    const QByteArray& content = Content(version);
    TMapLoadHost host;
    int read = 0;
    for (auto _ : state) {
        TMapDocument doc;
        const TLoadReport report = LoadFromStream(content, doc, host);
        read = report.ObjectsRead;
        benchmark::DoNotOptimize(doc.ObjectCount());
    }
    if (read != kObjects) state.SkipWithError("not every object was read");
    state.SetItemsProcessed(state.iterations() * kObjects);
    state.SetBytesProcessed(state.iterations() * content.size());
}

} // namespace

// The groups of versions: 1-3, 4-6, 7, 8-10, 11, 12, 13; then 14.
BENCHMARK(BM_ReadVersion)
    ->ArgName("version")
    ->Arg(2)
    ->Arg(5)
    ->Arg(7)
    ->Arg(9)
    ->Arg(11)
    ->Arg(12)
    ->Arg(13)
    ->Arg(14)
    ->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
