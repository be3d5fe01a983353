// The edit operations of the map on the sample city (info1.db of the sample deployment) and on
// the large generated city (TSIVOR_LARGE_CITY or --large-city=DIR, see bench_render), with the
// spatial index on and off: posting into an existing object, appending and deleting, deleting
// in the middle after copying it to the end, moving to the end and to the start, grouping and
// ungrouping, and recording an undo entry. Each iteration leaves as many objects as it found.
// Benchmark args: city (0 sample, 1 large), then index (1 kept current, 0 off).
#include "../BenchCity.h"
#include "../GuiBenchMain.h"
#include "mapdata/UndoJournal.h"
#include "mapview/DataMap.h"

#include <QApplication>
#include <QFileInfo>

#include <benchmark/benchmark.h>

#include <memory>

using tsivor::mapview::TDataMap;

namespace {

QString gLargeDir;

TDataMap* City(int which) {
    static std::unique_ptr<TDataMap> sample, large;
    static bool largeTried = false;
    if (which == 0) {
        if (!sample) sample = LoadBenchCity(QStringLiteral(TSIVOR_DEPLOY_DIR "/info1.db"));
        return sample.get();
    }
    if (!largeTried) {
        largeTried = true;
        const QString file = gLargeDir + QStringLiteral("/info1.db");
        if (!gLargeDir.isEmpty() && QFileInfo::exists(file)) large = LoadBenchCity(file);
    }
    return large.get();
}

TDataMap* CityFor(benchmark::State& state) {
    TDataMap* m = City(int(state.range(0)));
    if (!m) {
        state.SkipWithError("large city not generated (TSIVOR_LARGE_CITY)");
        return nullptr;
    }
    m->SetUseIndex(state.range(1) != 0);
    state.counters["objects"] = m->ObjectCount();
    return m;
}

// The first plain polygon at or after the middle of the list: what the operations change.
int MiddlePolygon(TDataMap& m) {
    for (int i = m.ObjectCount() / 2; i < m.ObjectCount(); ++i) {
        const auto* o = m.Object(i);
        if (o && o->ObjectType == tsivor::mapdata::cPolygon && o->Locked == 0 && o->Count >= 3)
            return i;
    }
    return 0;
}

void ArgsOfEveryCity(benchmark::internal::Benchmark* b) {
    b->ArgNames({"city", "index"})->ArgsProduct({{0, 1}, {1, 0}})->Unit(benchmark::kMicrosecond);
}

// LoadBuffer, one point moved by a unit and back on alternate iterations, PostBuffer.
void BM_PostExisting(benchmark::State& state) {
    TDataMap* m = CityFor(state);
    if (!m) return;
    const int index = MiddlePolygon(*m);
    float step = 1;
    for (auto _ : state) {
        m->LoadBuffer(index);
        float x = 0, y = 0;
        m->GetBufferPoint(0, x, y);
        m->SetBufferPoint(0, x + step, y);
        m->PostBuffer();
        step = -step;
    }
}
BENCHMARK(BM_PostExisting)->Apply(ArgsOfEveryCity);

// A new square appended through ClearBuffer and PostBuffer, then deleted again (the last one).
void BM_AppendAndDeleteLast(benchmark::State& state) {
    TDataMap* m = CityFor(state);
    if (!m) return;
    const auto* near = m->Object(MiddlePolygon(*m));
    const float x = near->Box[0].X, y = near->Box[0].Y;
    for (auto _ : state) {
        m->ClearBuffer();
        m->BufferObject().ObjectType = tsivor::mapdata::cPolygon;
        m->SetBufferPoint(0, x, y);
        m->InsertBufferPoint(1, x + 10, y);
        m->InsertBufferPoint(2, x + 10, y + 10);
        m->InsertBufferPoint(3, x, y + 10);
        m->PostBuffer();
        m->DeleteObject(m->ObjectCount() - 1, false);
    }
}
BENCHMARK(BM_AppendAndDeleteLast)->Apply(ArgsOfEveryCity);

// The object in the middle of the list copied to the end (CloneBuffer), then deleted.
void BM_CloneAndDeleteInTheMiddle(benchmark::State& state) {
    TDataMap* m = CityFor(state);
    if (!m) return;
    const int index = MiddlePolygon(*m);
    for (auto _ : state) {
        m->LoadBuffer(index);
        m->CloneBuffer(0, 0);
        m->DeleteObject(index, false);
    }
}
BENCHMARK(BM_CloneAndDeleteInTheMiddle)->Apply(ArgsOfEveryCity);

// An object in the middle moved to the end of the list, then the last one to the start.
void BM_MoveToEndAndStart(benchmark::State& state) {
    TDataMap* m = CityFor(state);
    if (!m) return;
    const int index = MiddlePolygon(*m);
    for (auto _ : state) {
        m->LoadBuffer(index);
        m->MoveObjectToEnd(index);
        m->LoadBuffer(m->ObjectCount() - 1);
        m->MoveObjectToStart(m->ObjectCount() - 1);
    }
}
BENCHMARK(BM_MoveToEndAndStart)->Apply(ArgsOfEveryCity);

// Three neighbouring objects grouped (the group goes to the end), then the group ungrouped.
void BM_GroupAndUngroup(benchmark::State& state) {
    TDataMap* m = CityFor(state);
    if (!m) return;
    const int index = MiddlePolygon(*m);
    for (auto _ : state) {
        m->GroupObjects({index, index + 1, index + 2});
        m->LoadBuffer(m->ObjectCount() - 1);
        m->UngroupBuffer();
    }
}
BENCHMARK(BM_GroupAndUngroup)->Apply(ArgsOfEveryCity);

// One armed undo entry of a change: the deep copy of the object into the journal.
void BM_RecordUndo(benchmark::State& state) {
    TDataMap* m = CityFor(state);
    if (!m) return;
    const int index = MiddlePolygon(*m);
    for (auto _ : state) {
        m->ArmUndo();
        m->RecordUndo(index, tsivor::mapdata::uoChange);
    }
    m->ClearUndo();
}
BENCHMARK(BM_RecordUndo)->Apply(ArgsOfEveryCity);

} // namespace

int main(int argc, char** argv) {
    return RunGuiBenchmarks(argc, argv, gLargeDir);
}
