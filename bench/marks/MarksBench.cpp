// The map and the directory pointing at each other, on a maximised 1920 x 1080 map:
// - the marks of a result of 400 organisations at 300 houses placed and drawn, the previous
//   result's marks taken away first (target under 50 ms), beside the frame alone;
// - a right click on the house with the most organisations of a directory of 100,000: its
//   address decoded, the listing read and its cards filled (target under 50 ms);
// - the status line's hit test for one pointer move (target under 1 ms with the index).
// Benchmark arg city: 0 sample, 1 large, 2 large with the spatial index (the large city:
// TSIVOR_LARGE_CITY or --large-city=DIR; without it those cases skip).
#include "../BenchCity.h"
#include "../GuiBenchMain.h"
#include "../QuietPlatform.h"
#include "SampleParts.h"
#include "app/CardFiller.h"
#include "app/CardFillerQueries.h"
#include "app/MapFind.h"
#include "app/MapPick.h"
#include "app/MapStatus.h"
#include "app/Navigator.h"
#include "app/ResultMarks.h"
#include "directory/DataModule.h"
#include "directory/Database.h"
#include "mapview/DataMap.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QMouseEvent>
#include <QTemporaryDir>

#include <sqlite3.h>

#include <benchmark/benchmark.h>

#include <map>
#include <memory>

using namespace tsivor;
using mapview::TDataMap;

namespace {

QString gLargeDir;
constexpr double kStreetScale = 60;

struct TCity {
    std::unique_ptr<TDataMap> Map;
    mapdata::TOrbIcon Icons;
};

// City 0 (sample) or 1 (large), its icons loaded and every category of the window shown;
// nullptr when the large city was not generated.
TCity* LoadCity(int which) {
    static std::unique_ptr<TCity> cities[2];
    static bool tried[2] = {false, false};
    if (!tried[which]) {
        tried[which] = true;
        const QString dir = which == 0 ? QStringLiteral(TSIVOR_DEPLOY_DIR) : gLargeDir;
        if (!dir.isEmpty() && QFileInfo::exists(dir + "/info1.db")) {
            auto c = std::make_unique<TCity>();
            c->Map = LoadBenchCity(dir + "/info1.db");
            QString error;
            if (!c->Icons.LoadIconLibrary(dir + "/tsivor.lib", &error))
                c->Icons.LoadIconLibrary(QStringLiteral(TSIVOR_DEPLOY_DIR "/tsivor.lib"), &error);
            c->Map->SetOrbMapIcon(&c->Icons);
            for (int k = 0; k <= 99; ++k) c->Map->SetCategoryVisible(k, true);
            c->Map->SetFilter(true);
            cities[which] = std::move(c);
        }
    }
    return cities[which].get();
}

// The city of the case's argument city (2: the large one with its spatial index).
TCity* City(benchmark::State& state) {
    TCity* c = LoadCity(state.range(0) == 0 ? 0 : 1);
    if (!c) {
        state.SkipWithError("large city not generated (TSIVOR_LARGE_CITY)");
        return nullptr;
    }
    c->Map->SetUseIndex(state.range(0) == 2);
    state.counters["objects"] = c->Map->ObjectCount();
    return c;
}

// Houses with a number, spread over the map.
std::vector<int> Houses(TDataMap& m, int count) {
    std::vector<int> all;
    for (int i = 0; i < m.ObjectCount(); ++i) {
        const auto* o = m.Object(i);
        if (o->HasAddress == 1 && o->Category <= 96 && !m.DecodeAddress(*o).House.isEmpty())
            all.push_back(i);
    }
    std::vector<int> out;
    if (all.empty()) return out;
    for (int k = 0; k < count; ++k) out.push_back(all[size_t(k) * all.size() / size_t(count)]);
    return out;
}

// The view of the case: the whole sample town, or the large city's centre at street scale.
void PlaceView(TDataMap& m, bool whole) {
    const auto& e = m.MapExtent();
    if (whole)
        m.ZoomToRect(e.MinX, e.MinY, e.MaxX, e.MaxY);
    else
        m.ZoomAt((e.MinX + e.MaxX) / 2, (e.MinY + e.MaxY) / 2, kStreetScale);
    m.MarkDirty();
    m.Redraw();
}

// 400 organisations at 300 houses, in the view; every tenth with a file, every third with a
// comment. Each pass replaces the marks of the pass before, as a new result does.
void BM_ResultMarks400(benchmark::State& state) {
    QuietPlatform quiet;
    TCity* c = City(state);
    if (!c) return;
    TDataMap& m = *c->Map;
    PlaceView(m, state.range(0) == 0);
    std::vector<int> inView;
    for (int h : Houses(m, m.ObjectCount())) {
        const auto* o = m.Object(h);
        if (o->CenterX > m.XWind() && o->CenterX < m.XWind() + m.ViewWidth() &&
            o->CenterY > m.YWind() && o->CenterY < m.YWind() + m.ViewHeight() &&
            (inView.empty() || inView.back() != h))
            inView.push_back(h);
    }
    if (inView.size() < 300) {
        state.SkipWithError("fewer than 300 houses in the view");
        return;
    }
    std::vector<int> houses;
    for (size_t k = 0; k < 300; ++k) houses.push_back(inView[k * inView.size() / 300]);
    app::TResultMarks marks(m);
    const int count = m.ObjectCount();
    for (auto _ : state) {
        marks.OnBeforeFill();
        for (int id = 1; id <= 400; ++id)
            marks.OnHouseMarker(houses[size_t(id) % houses.size()], id, id % 10 == 0, id % 3 == 0);
        marks.OnAfterFill();
    }
    state.counters["marks"] = double(marks.Marks().size());
    marks.OnBeforeFill();
    marks.OnAfterFill();
    if (m.ObjectCount() != count) state.SkipWithError("marks left behind");
}
BENCHMARK(BM_ResultMarks400)
    ->ArgName("city")
    ->Arg(0)
    ->Arg(1)
    ->Arg(2)
    ->Unit(benchmark::kMillisecond);

// The same view drawn without marks, for comparison.
void BM_FrameAlone(benchmark::State& state) {
    TCity* c = City(state);
    if (!c) return;
    TDataMap& m = *c->Map;
    PlaceView(m, state.range(0) == 0);
    for (auto _ : state) {
        m.MarkDirty();
        m.Redraw();
    }
}
BENCHMARK(BM_FrameAlone)->ArgName("city")->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

// A directory of 100,000 organisations and the address with the most organisations; with
// crowd, that many more organisations get an address there.
struct TLargeDirectory {
    QTemporaryDir Dir;
    QString Street, House;
    int AtHouse = 0;
    bool Ok = false;
    explicit TLargeDirectory(int crowd) {
        const QString file = QDir(Dir.path()).filePath("info.db");
        QString error;
        if (!sample::WriteLargeDirectory(file, {}, &error)) {
            std::fprintf(stderr, "large directory: %s\n", qPrintable(error));
            return;
        }
        directory::TDatabase db;
        if (!db.Open(file, directory::TDatabase::Mode::ReadWrite, &error)) return;
        const char* fullest = "SELECT Adr.Id_Street, Adr.Number, count(DISTINCT Adr.Id_Main) AS n "
                              "FROM Adr GROUP BY Adr.Id_Street, Adr.Number ORDER BY n DESC LIMIT 1";
        sqlite3_stmt* st = nullptr;
        sqlite3_prepare_v2(db.Handle(), fullest, -1, &st, nullptr);
        int street = 0;
        if (sqlite3_step(st) == SQLITE_ROW) {
            street = sqlite3_column_int(st, 0);
            House = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 1)));
            AtHouse = sqlite3_column_int(st, 2);
            Ok = true;
        }
        sqlite3_finalize(st);
        if (!Ok) return;
        // Every 400th organisation's first address moves there.
        Ok = db.Exec("UPDATE Adr SET Id_Street = ?, Number = ? WHERE Id IN (SELECT min(Id) FROM "
                     "Adr WHERE Id_Main % 400 = 7 GROUP BY Id_Main LIMIT ?)",
                     {street, House, crowd}, &error);
        sqlite3_prepare_v2(db.Handle(), "SELECT Name FROM Streets WHERE id = ?1", -1, &st, nullptr);
        sqlite3_bind_int(st, 1, street);
        if (sqlite3_step(st) == SQLITE_ROW)
            Street = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 0)));
        sqlite3_finalize(st);
        AtHouse += crowd;
    }
};

void Send(TDataMap& m, QEvent::Type type, QPoint p, Qt::MouseButton b) {
    QMouseEvent e(type, p, m.mapToGlobal(p), b, type == QEvent::MouseMove ? Qt::NoButton : b, {});
    QCoreApplication::sendEvent(&m, &e);
}

// The right click as the window runs it: the object under the pointer, the address note, the
// blink, the listing of its organisations as cards and their marks.
void BM_RightClickHouse100k(benchmark::State& state) {
    QuietPlatform quiet;
    static std::map<int, std::unique_ptr<TLargeDirectory>> directories;
    auto& slot = directories[int(state.range(0))];
    if (!slot) slot = std::make_unique<TLargeDirectory>(int(state.range(0)));
    TLargeDirectory& large = *slot;
    if (!large.Ok) {
        state.SkipWithError("large directory not written");
        return;
    }
    TCity* c = LoadCity(0);
    if (!c) {
        state.SkipWithError("no sample city");
        return;
    }
    TDataMap& m = *c->Map;
    m.SetUseIndex(false);
    // A house of the map that a click at its centre hits carries the directory's fullest
    // address.
    int h = -1;
    for (int candidate : Houses(m, 200)) {
        const auto* o = m.Object(candidate);
        if (o->ObjectType == mapdata::cPolygon &&
            m.ObjectAtPoint(o->CenterX, o->CenterY) == candidate) {
            h = candidate;
            break;
        }
    }
    if (h < 0) {
        state.SkipWithError("no house to click");
        return;
    }
    m.LoadBuffer(h);
    mapdata::TAdres a = m.BufferAddress();
    const mapdata::TAdres old = a;
    a.Street = large.Street;
    a.House = large.House;
    m.SetBufferAddress(a);
    m.PostBuffer();
    m.ZoomToObjects({h}, 400);
    m.Redraw();

    directory::Tdm dm;
    QString error;
    if (!dm.OpenDirectory(large.Dir.path(), &error)) {
        state.SkipWithError(qPrintable(error));
        return;
    }
    QWidget window;
    window.resize(288, 800);
    auto* nav = new app::TNavigator(&window);
    nav->setGeometry(0, 0, 288, 800);
    auto* wait = new app::TWaitPanel(&window);
    window.show();
    app::TCardFiller filler(*nav, wait, large.Dir.path());
    app::TResultMarks marks(m);
    filler.Hooks.OnBeforeFill = [&] { marks.OnBeforeFill(); };
    filler.Hooks.OnHouseMarker = [&](int o, int id, bool f, bool k) {
        marks.OnHouseMarker(o, id, f, k);
    };
    filler.Hooks.OnAfterFill = [&] { marks.OnAfterFill(); };
    dm.QMain.AfterOpen = [&](directory::TQuery& q) { filler.Fill(app::CardRowsOf(q)); };
    QLabel status0, streetHouse;
    app::TMapStatus status(m, &status0, &streetHouse);
    app::TMapFind find(m);
    find.StartBlink = [&](const std::vector<int>& v) { m.SetBlinkObjects(v); };
    find.ClearBlink = [&] { m.ClearBlinkObjects(); };
    app::TMapPick pick(m, status, find, dm);
    int cards = 0;
    QString key;
    pick.OnResult = [&](const directory::TDirectoryResult& r) {
        cards = r.Rows;
        key = r.Key;
    };
    float x = m.Object(h)->CenterX, y = m.Object(h)->CenterY;
    m.MapToScreen(x, y);
    const QPoint at{int(x), int(y)};
    m.setMouseTracking(true); // as in the window: moves without a button reach the map
    Send(m, QEvent::MouseMove, at, Qt::NoButton);
    for (auto _ : state) {
        pick.RightClick(at);
        QCoreApplication::processEvents();
    }
    state.counters["cards"] = cards;
    if (!key.startsWith("house_")) state.SkipWithError("the click listed nothing");
    state.counters["at_house"] = large.AtHouse;
    dm.QMain.AfterOpen = nullptr;
    marks.OnBeforeFill();
    marks.OnAfterFill();
    m.LoadBuffer(h);
    m.SetBufferAddress(old);
    m.PostBuffer();
    m.ClearBlinkObjects();
    m.setMouseTracking(false);
}
BENCHMARK(BM_RightClickHouse100k)
    ->ArgName("crowd")
    ->Arg(0)
    ->Arg(200)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(20);

// One pointer move: the topmost object and the objects under the pointer with their
// addresses in the status line, at street scale over the town's centre.
void BM_StatusPointerMove(benchmark::State& state) {
    TCity* c = City(state);
    if (!c) return;
    TDataMap& m = *c->Map;
    PlaceView(m, false);
    QLabel status0, streetHouse;
    app::TMapStatus status(m, &status0, &streetHouse);
    std::vector<QPoint> points;
    uint32_t seed = 12345;
    for (int k = 0; k < 512; ++k) {
        seed = seed * 1103515245u + 12345u;
        const int px = int((seed >> 8) % 1920u);
        seed = seed * 1103515245u + 12345u;
        points.emplace_back(px, int((seed >> 8) % 1080u));
    }
    size_t k = 0;
    int named = 0;
    for (auto _ : state) {
        status.PointerMoved(points[k++ % points.size()]);
        named += !streetHouse.text().isEmpty();
    }
    state.counters["named_share"] =
        double(named) / double(std::max<int64_t>(1, state.iterations()));
}
BENCHMARK(BM_StatusPointerMove)
    ->ArgName("city")
    ->Arg(0)
    ->Arg(1)
    ->Arg(2)
    ->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv) {
    return RunGuiBenchmarks(argc, argv, gLargeDir);
}
