// The map answering the mouse on a maximised 1920 x 1080 control: one 10-pixel step of a drag
// with iDragMap (the event through the widget, the shift of the back buffer and the strip
// rebuilt) and one blink step of a found house, on the sample city and on the large one (set
// TSIVOR_LARGE_CITY or pass --large-city=DIR; without it the large cases skip).
// Benchmark arg: city (0 sample, 1 large, 2 large with the spatial index on).
#include "../BenchCity.h"
#include "../GuiBenchMain.h"
#include "mapui/MouseController.h"
#include "mapview/DataMap.h"

#include <QApplication>
#include <QFileInfo>
#include <QMouseEvent>

#include <benchmark/benchmark.h>

#include <memory>

using namespace tsivor;
using mapview::TDataMap;

namespace {

QString gLargeDir;
constexpr double kStreetScale = 60;

std::unique_ptr<TDataMap> LoadCity(const QString& file) {
    auto m = LoadBenchCity(file);
    mapui::AttachMouseTools(*m);
    m->SetInstrument(mapview::iDragMap);
    return m;
}

TDataMap* City(benchmark::State& state) {
    static std::unique_ptr<TDataMap> sample, large;
    static bool largeTried = false;
    const int which = int(state.range(0));
    TDataMap* m = nullptr;
    if (which == 0) {
        if (!sample) sample = LoadCity(QStringLiteral(TSIVOR_DEPLOY_DIR "/info1.db"));
        m = sample.get();
    } else {
        if (!largeTried) {
            largeTried = true;
            const QString file = gLargeDir + QStringLiteral("/info1.db");
            if (!gLargeDir.isEmpty() && QFileInfo::exists(file)) large = LoadCity(file);
        }
        m = large.get();
    }
    if (!m) {
        state.SkipWithError("large city not generated (TSIVOR_LARGE_CITY)");
        return nullptr;
    }
    m->SetUseIndex(which == 2);
    const auto& e = m->MapExtent();
    m->ZoomAt((e.MinX + e.MaxX) / 2, (e.MinY + e.MaxY) / 2, kStreetScale);
    m->MarkDirty();
    m->Redraw();
    state.counters["objects"] = m->ObjectCount();
    return m;
}

void Send(TDataMap& m, QEvent::Type type, QPoint p, Qt::MouseButton b, Qt::MouseButtons held) {
    QMouseEvent e(type, p, m.mapToGlobal(p), b, held, {});
    QCoreApplication::sendEvent(&m, &e);
}

// One pointer move of 10 pixels while the left button is held: the map follows.
void BM_DragStep(benchmark::State& state) {
    TDataMap* m = City(state);
    if (!m) return;
    const QPoint start(960, 540);
    Send(*m, QEvent::MouseButtonPress, start, Qt::LeftButton, Qt::LeftButton);
    int x = start.x();
    int step = 10;
    for (auto _ : state) {
        // Back and forth, so the view stays over the town.
        if (x + step > start.x() + 200 || x + step < start.x() - 200) step = -step;
        x += step;
        Send(*m, QEvent::MouseMove, QPoint(x, start.y()), Qt::NoButton, Qt::LeftButton);
    }
    Send(*m, QEvent::MouseButtonRelease, QPoint(x, start.y()), Qt::LeftButton, Qt::NoButton);
}
BENCHMARK(BM_DragStep)->ArgName("city")->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

// One tick of the blink timer with the house nearest the view centre blinking.
void BM_BlinkStep(benchmark::State& state) {
    TDataMap* m = City(state);
    if (!m) return;
    const QPointF c = m->GetViewCenter();
    int house = -1;
    double best = 1e30;
    for (int i = 0; i < m->ObjectCount(); ++i) {
        const auto* o = m->Object(i);
        // A house as the address search finds it: a polygon with a number (streets carry
        // their street's address too).
        if (o->HasAddress != 1 || o->ObjectType != mapdata::cPolygon || !o->Address ||
            o->Address->House.isEmpty())
            continue;
        const double dx = o->Box[0].X - c.x(), dy = o->Box[0].Y - c.y();
        if (dx * dx + dy * dy < best) best = dx * dx + dy * dy, house = i;
    }
    if (house < 0) {
        state.SkipWithError("no house");
        return;
    }
    m->SetBlinkObjects({house});
    for (auto _ : state) m->BlinkTimerTick();
    m->ClearBlinkObjects();
}
BENCHMARK(BM_BlinkStep)->ArgName("city")->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    return RunGuiBenchmarks(argc, argv, gLargeDir);
}
