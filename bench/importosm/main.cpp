// Import speed on a generated town: objects per second for .osm.pbf and .osm input.
#include "OsmImport.h"
#include "TownExtract.h"

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QTemporaryDir>

#include <cstdio>

using namespace tsivor::importosm;

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const int streets = argc > 1 ? std::max(3, std::atoi(argv[1])) : 120;
    QTemporaryDir temp;
    const QString keep = qEnvironmentVariable("TSIVOR_BENCH_KEEP");
    const QDir dir(keep.isEmpty() ? temp.path() : keep);
    QDir().mkpath(dir.path());
    for (const char* suffix : {"osm.pbf", "osm"}) {
        const QString in = dir.filePath(QStringLiteral("town.%1").arg(suffix));
        const testtown::TTownFacts facts = testtown::WriteTown(in, {streets, streets, 3});
        TImportReport report;
        QString error;
        if (!ImportOsm({in, dir.filePath(QStringLiteral("out-%1").arg(suffix)), {}}, report,
                       &error)) {
            std::fprintf(stderr, "%s\n", qPrintable(error));
            return 1;
        }
        const double objects = double(facts.Nodes + facts.Ways + facts.Relations);
        const auto perSecond = [objects](qint64 ms) {
            return objects / double(std::max<qint64>(1, ms)) * 1000;
        };
        // Processor time shows the speed on a machine busy with other work, where the wall
        // clock does not.
        std::printf("%-8s %9.0f objects, %7.1f MB: read %5lld ms = %8.0f objects/s "
                    "(processor %5lld ms = %8.0f objects/s); whole import %5lld ms = %8.0f "
                    "objects/s; %d map objects, %d organisations\n",
                    suffix, objects, QFileInfo(in).size() / 1e6,
                    static_cast<long long>(report.ReadMs), perSecond(report.ReadMs),
                    static_cast<long long>(report.ReadCpuMs), perSecond(report.ReadCpuMs),
                    static_cast<long long>(report.TotalMs), perSecond(report.TotalMs),
                    report.MapObjects, report.Directory.Organisations);
    }
    return 0;
}
