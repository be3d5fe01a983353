// tsivor-import-osm [--name NAME] IN OUTDIR: a deployment of a real town from OpenStreetMap data
// (IN an .osm or .osm.pbf file); start the program on it with tsivor --data OUTDIR.
#include "HeadlessGui.h"
#include "OsmImport.h"

#include <QFile>
#include <QGuiApplication>
#include <QTemporaryDir>

#include <cstdio>

namespace {

void Print(FILE* to, const QString& text) {
    const QByteArray utf8 = text.toUtf8();
    std::fwrite(utf8.constData(), 1, size_t(utf8.size()), to);
}

int Usage() {
    Print(stderr,
          QStringLiteral("usage: tsivor-import-osm [--name NAME] IN.osm|IN.osm.pbf OUTDIR\n"));
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    const QTemporaryDir runtime;
    tsivor::sample::PrepareHeadlessGui(runtime);
    QGuiApplication app(argc, argv);

    tsivor::importosm::TImportOptions options;
    QStringList positional;
    const QStringList args = app.arguments().mid(1);
    for (int i = 0; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--name") && i + 1 < args.size())
            options.Name = args[++i];
        else if (args[i].startsWith(QLatin1String("--")))
            return Usage();
        else
            positional << args[i];
    }
    if (positional.size() != 2) return Usage();
    options.Input = positional[0];
    options.OutDir = positional[1];

    tsivor::importosm::TImportReport report;
    QString error;
    if (!tsivor::importosm::ImportOsm(options, report, &error)) {
        Print(stderr, QStringLiteral("tsivor-import-osm: %1\n").arg(error));
        return 1;
    }
    Print(stdout, tsivor::importosm::ReportText(report));
    return report.ReadError.isEmpty() ? 0 : 3;
}
