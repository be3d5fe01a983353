// Frame costs of a maximised 1920 x 1080 map on the sample city (info1.db of the sample
// deployment) and on the large generated city: set TSIVOR_LARGE_CITY to the folder written by
// `tsivor-samplecity --large DIR`, or pass --large-city=DIR; without it the large cases skip.
// Benchmark args: city (0 sample, 1 large, 2 large with the spatial index on), then the scale
// (0 = the whole map).
// --frames=DIR writes the frames of BM_Frame and BM_Frame3D, and the flat ones smoothed, as PNG
// files into DIR instead of measuring, so that a change meant to be faster can be checked to draw
// the same pixels; each frame is drawn a second time, which must not change it.
#include "../BenchCity.h"
#include "../LargeCityArg.h"
#include "mapview/DataMap.h"

#include <QApplication>
#include <QBuffer>
#include <QFileInfo>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>

using tsivor::mapview::TDataMap;

namespace {

QString gLargeDir;

constexpr int kHouseScale = 200; // above the application's MinScaleAddress: numbers drawn
constexpr int kStreetScale = 60; // streets and blocks, no numbers

// nullptr for the large city when it has not been generated.
TDataMap* City(int which) {
    return BenchCityOnce(which, QStringLiteral(TSIVOR_DEPLOY_DIR "/info1.db"), gLargeDir);
}

TDataMap* CityFor(benchmark::State& state) {
    const int which = int(state.range(0));
    TDataMap* m = City(which);
    if (!m) {
        state.SkipWithError("large city not generated (TSIVOR_LARGE_CITY)");
        return nullptr;
    }
    m->SetUseIndex(which == 2);
    state.counters["objects"] = m->Document().ObjectCount();
    return m;
}

void CentreAt(TDataMap& m, double scale) {
    const auto& e = m.MapExtent();
    m.ZoomAt((e.MinX + e.MaxX) / 2, (e.MinY + e.MaxY) / 2, scale);
}

// The view of BM_Frame: the whole map for scale 0, else centred at scale.
void ShowFrameView(TDataMap& m, int scale) {
    if (scale == 0) {
        const auto& e = m.MapExtent();
        m.ZoomToRect(e.MinX, e.MinY, e.MaxX, e.MaxY);
    } else {
        CentreAt(m, double(scale));
    }
}

void SetView3D(TDataMap& m, bool on) {
    tsivor::mapview::tOrbMapOptions& o = m.Options();
    o.SetView3DAngle(80);
    o.SetMinScale3D(0);
    o.SetView3D(on);
}

void SetSmooth(TDataMap& m, bool on) {
    m.Options().SetAntiAliasing(on ? tsivor::mapview::orbSmoothingModeAntiAlias
                                   : tsivor::mapview::orbSmoothingModeNone);
}

// A full rebuild of the back buffer.
void BM_Frame(benchmark::State& state) {
    TDataMap* m = CityFor(state);
    if (!m) return;
    ShowFrameView(*m, int(state.range(1)));
    for (auto _ : state) {
        m->MarkDirty();
        m->Redraw();
    }
    state.counters["scale"] = m->Scale();
    int collected = 0;
    for (const auto& list : m->Render().LayerLists()) collected += int(list.size());
    state.counters["collected"] = collected;
}
BENCHMARK(BM_Frame)
    ->ArgNames({"city", "scale"})
    ->ArgsProduct({{0, 1, 2}, {0, kHouseScale, kStreetScale}})
    ->Unit(benchmark::kMillisecond);

// BM_Frame without the stamps of small polygons kept from the frame before: each frame makes
// them anew, as the first frame at a new scale does.
void BM_FrameCold(benchmark::State& state) {
    TDataMap* m = CityFor(state);
    if (!m) return;
    ShowFrameView(*m, int(state.range(1)));
    for (auto _ : state) {
        m->Render().DropStamps();
        m->MarkDirty();
        m->Redraw();
    }
}
BENCHMARK(BM_FrameCold)
    ->ArgNames({"city", "scale"})
    ->ArgsProduct({{0, 1, 2}, {0, kHouseScale, kStreetScale}})
    ->Unit(benchmark::kMillisecond);

// The same 1920 x 1080 view of the sample city drawn flat (view3d 0) and with the houses
// extruded (view3d 1, the application's angle of 80 degrees, 3-D at any scale).
void BM_Frame3D(benchmark::State& state) {
    TDataMap* m = CityFor(state);
    if (!m) return;
    SetView3D(*m, state.range(2) != 0);
    CentreAt(*m, double(state.range(1)));
    for (auto _ : state) {
        m->MarkDirty();
        m->Redraw();
    }
    int extruded = 0;
    for (const auto& list : m->Render().Layer3DLists()) extruded += int(list.size());
    state.counters["extruded"] = extruded;
    SetView3D(*m, false);
}
BENCHMARK(BM_Frame3D)
    ->ArgNames({"city", "scale", "view3d"})
    ->ArgsProduct({{0}, {kStreetScale, kHouseScale}, {0, 1}})
    ->Unit(benchmark::kMillisecond);

// ScrollBy of args(2) pixels: the buffer shifts, the uncovered strip is rebuilt. Back and
// forth, so the view stays over the town.
void BM_ScrollBy(benchmark::State& state) {
    TDataMap* m = CityFor(state);
    if (!m) return;
    CentreAt(*m, double(state.range(1)));
    m->MarkDirty();
    m->Redraw();
    const int px = int(state.range(2));
    int direction = 0;
    int refused = 0;
    for (auto _ : state) {
        if (!m->ScrollBy(direction, px, px)) ++refused;
        direction = 2 - direction;
    }
    state.counters["refused"] = refused;
}
BENCHMARK(BM_ScrollBy)
    ->ArgNames({"city", "scale", "px"})
    ->ArgsProduct({{0, 1, 2}, {kStreetScale, kHouseScale}, {10, 50}})
    ->Unit(benchmark::kMillisecond);

// RenderToStream of the whole map into a 4000 x 4000 bitmap (a square around the extent), in
// the 16-bit format of the export command, written to memory.
void BM_RenderToStream4000(benchmark::State& state) {
    TDataMap* m = CityFor(state);
    if (!m) return;
    const auto& e = m->MapExtent();
    const float side = std::max(e.MaxX - e.MinX, e.MaxY - e.MinY);
    const float cx = (e.MinX + e.MaxX) / 2, cy = (e.MinY + e.MaxY) / 2;
    const double scale = 4000.0 * 100.0 / side;
    QByteArray bytes;
    for (auto _ : state) {
        bytes.clear();
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        if (!m->RenderToStream(tsivor::mapview::pf16bit, buffer, cx - side / 2, cy - side / 2,
                               cx + side / 2, cy + side / 2, scale))
            state.SkipWithError("RenderToStream failed");
    }
    state.counters["scale"] = scale;
    state.counters["MB"] = double(bytes.size()) / 1e6;
}
BENCHMARK(BM_RenderToStream4000)
    ->ArgNames({"city"})
    ->Arg(0)
    ->Arg(1)
    ->Arg(2)
    ->Unit(benchmark::kMillisecond);

// The frames of BM_Frame (flat), BM_Frame3D (extruded) and the flat ones smoothed as
// DIR/frame-CITY-SCALE[-3d|-aa].png.
int WriteFrames(const QString& dir) {
    int written = 0;
    for (int city : {0, 1, 2}) {
        TDataMap* m = City(city);
        if (!m) continue;
        m->SetUseIndex(city == 2);
        for (int scale : {0, kHouseScale, kStreetScale})
            for (int variant : {0, 1, 2}) { // flat, extruded, smoothed
                if (variant == 1 && scale == 0) continue;
                SetView3D(*m, variant == 1);
                SetSmooth(*m, variant == 2);
                ShowFrameView(*m, scale);
                m->MarkDirty();
                m->Redraw();
                static const char* const kSuffix[] = {"", "-3d", "-aa"};
                const QString file = QStringLiteral("%1/frame-%2-%3%4.png")
                                         .arg(dir)
                                         .arg(city)
                                         .arg(scale)
                                         .arg(QLatin1String(kSuffix[variant]));
                if (!m->Picture().save(file)) {
                    std::fprintf(stderr, "cannot write %s\n", qPrintable(file));
                    return 1;
                }
                // Drawn again from what the first frame kept, it must not change.
                const QImage first = m->Picture().copy();
                m->MarkDirty();
                m->Redraw();
                if (m->Picture() != first) {
                    std::fprintf(stderr, "%s differs when drawn again\n", qPrintable(file));
                    return 1;
                }
                ++written;
            }
        SetView3D(*m, false);
        SetSmooth(*m, false);
    }
    std::printf("%d frames written to %s\n", written, qPrintable(dir));
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    gLargeDir = TakeLargeCityArg(argc, argv);
    QApplication app(argc, argv);
    for (int i = 1; i < argc; ++i)
        if (std::strncmp(argv[i], "--frames=", 9) == 0)
            return WriteFrames(QString::fromLocal8Bit(argv[i] + 9));
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
