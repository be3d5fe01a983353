// Frame costs on the sample city (info1.db of the sample deployment).
#include "mapview/DataMap.h"

#include <QApplication>

#include <benchmark/benchmark.h>

#include <memory>

using tsivor::mapview::TDataMap;

namespace {

// One map control with the sample city, sized like a maximised map area.
TDataMap& City() {
    static std::unique_ptr<TDataMap> map = [] {
        auto m = std::make_unique<TDataMap>();
        m->resize(1280, 900);
        m->Options().NotifyChange = false;
        m->Options().SetmpGuideLines(false);
        m->Options().SetmpNumberDom(true);
        m->Options().SetmpNumberDomFill(false);
        m->Options().SetMinScaleAddress(150);
        m->Options().SetObjectView(2);
        m->Options().NotifyChange = true;
        QString error;
        if (!m->MapLoad(QStringLiteral(TSIVOR_DEPLOY_DIR "/info1.db"), &error))
            qFatal("sample city missing: %s", qPrintable(error));
        return m;
    }();
    return *map;
}

void CentreAt(TDataMap& m, double scale) {
    const auto& e = m.MapExtent();
    m.ZoomAt((e.MinX + e.MaxX) / 2, (e.MinY + e.MaxY) / 2, scale);
}

void BM_FullFrameWholeMap(benchmark::State& state) {
    TDataMap& m = City();
    const auto& e = m.MapExtent();
    m.ZoomToRect(e.MinX, e.MinY, e.MaxX, e.MaxY);
    for (auto _ : state) {
        m.MarkDirty();
        m.Redraw();
    }
    state.counters["scale"] = m.Scale();
}
BENCHMARK(BM_FullFrameWholeMap)->Unit(benchmark::kMillisecond);

void BM_FullFrameAtScale(benchmark::State& state) {
    TDataMap& m = City();
    CentreAt(m, double(state.range(0)));
    for (auto _ : state) {
        m.MarkDirty();
        m.Redraw();
    }
}
BENCHMARK(BM_FullFrameAtScale)->Arg(200)->Arg(400)->Arg(1000)->Unit(benchmark::kMillisecond);

void BM_ScrollStrip(benchmark::State& state) {
    TDataMap& m = City();
    CentreAt(m, 400);
    m.MarkDirty();
    m.Redraw();
    int direction = 0;
    for (auto _ : state) {
        // Back and forth, so the view stays over the town.
        m.ScrollBy(direction, int(state.range(0)), 0);
        direction = 2 - direction;
    }
}
BENCHMARK(BM_ScrollStrip)->Arg(10)->Arg(50)->Unit(benchmark::kMillisecond);

void BM_ExportWholeMap(benchmark::State& state) {
    TDataMap& m = City();
    const auto& e = m.MapExtent();
    for (auto _ : state) {
        QImage img = m.Render().RenderImage(e.MinX, e.MinY, e.MaxX, e.MaxY, 150);
        benchmark::DoNotOptimize(img.bits());
    }
}
BENCHMARK(BM_ExportWholeMap)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
