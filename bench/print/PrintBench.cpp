// The whole sample city (info1.db of the sample deployment) printed on A4 pages at 1:5,000 to
// a PDF file, as tsivor-print-map --region all --mashtab 5000 does: the time of the whole job
// (loading the map included) and the file's size in the counters. Args: the PDF resolution.
#include "PrintMapJob.h"

#include <QApplication>
#include <QFileInfo>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

void BM_WholeCityToPdf(benchmark::State& state) {
    QTemporaryDir dir;
    const QString out = dir.filePath(QStringLiteral("city.pdf"));
    QString error;
    auto job = tsivor::printmap::ParseJob(
        {QStringLiteral("--region"), QStringLiteral("all"), QStringLiteral("--mashtab"),
         QStringLiteral("5000"), QStringLiteral("--numbers"), QStringLiteral("--dpi"),
         QString::number(state.range(0)), QStringLiteral(TSIVOR_DEPLOY_DIR "/info1.db"), out},
        error);
    if (!job) qFatal("%s", qPrintable(error));
    int pages = 0;
    for (auto _ : state) {
        tsivor::mapview::TDataMap map;
        if (!tsivor::printmap::RunJob(*job, map, error, &pages)) qFatal("%s", qPrintable(error));
    }
    state.counters["pages"] = pages;
    state.counters["MB"] = double(QFileInfo(out).size()) / (1024 * 1024);
}
BENCHMARK(BM_WholeCityToPdf)->Arg(600)->Arg(1200)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::benchmark::Initialize(&argc, argv);
    ::benchmark::RunSpecifiedBenchmarks();
    return 0;
}
