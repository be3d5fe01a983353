// tsivor-samplecity [--large] <folder>: writes the sample deployment of Заречинск into the folder.
// tsivor-samplecity --large-directory <file>: writes only a large generated directory (info.db
// schema, 100,000 organisations, 2,000 rubrics) for measuring the searches.
#include "CityPlan.h"
#include "HeadlessGui.h"
#include "SampleParts.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QTemporaryDir>

#include <cstdio>

namespace {

int Usage() {
    std::fprintf(stderr, "usage: tsivor-samplecity [--large] <folder>\n"
                         "       tsivor-samplecity --large-directory <file>\n");
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    const QTemporaryDir runtime;
    tsivor::sample::PrepareHeadlessGui(runtime);
    QGuiApplication app(argc, argv);

    bool large = false;
    QString dir;
    const QStringList args = app.arguments().mid(1);
    if (args.size() == 2 && args[0] == QLatin1String("--large-directory")) {
        QElapsedTimer timer;
        timer.start();
        QString error;
        if (!tsivor::sample::WriteLargeDirectory(args[1], {}, &error)) {
            std::fprintf(stderr, "tsivor-samplecity: %s\n", qPrintable(error));
            return 1;
        }
        std::printf("%s: large directory in %lld ms\n", qPrintable(args[1]),
                    static_cast<long long>(timer.elapsed()));
        return 0;
    }
    for (const QString& a : args) {
        if (a == QLatin1String("--large"))
            large = true;
        else if (a.startsWith(QLatin1Char('-')) || !dir.isEmpty())
            return Usage();
        else
            dir = a;
    }
    if (dir.isEmpty()) return Usage();
    if (!QDir().mkpath(dir)) {
        std::fprintf(stderr, "cannot create folder %s\n", qPrintable(dir));
        return 1;
    }

    using namespace tsivor::sample;
    QElapsedTimer timer;
    timer.start();
    const CityPlan plan = MakeCityPlan(large);
    QString times = QStringLiteral("plan %1 ms").arg(timer.elapsed());
    QString error;
    struct Step {
        const char* Name;
        bool (*Write)(const CityPlan&, const QString&, QString*);
    };
    const Step steps[] = {
        {"map", WriteSampleMap},
        {"tsivor.ini", WriteSampleIni},
        {"pictures", WriteSamplePictures},
        {"icon library", WriteSampleIconLibrary},
        {"directory", WriteSampleDirectory},
        {"help files", WriteSampleHelp},
    };
    for (const Step& s : steps) {
        QElapsedTimer stepTimer;
        stepTimer.start();
        if (!s.Write(plan, dir, &error)) {
            std::fprintf(stderr, "tsivor-samplecity: %s: %s\n", s.Name, qPrintable(error));
            return 1;
        }
        times +=
            QStringLiteral(", %1 %2 ms").arg(QString::fromLatin1(s.Name)).arg(stepTimer.elapsed());
    }
    std::printf("%s: %zu streets, %zu houses in %lld ms (%s)\n", qPrintable(dir),
                plan.Streets.size(), plan.Houses.size(), static_cast<long long>(timer.elapsed()),
                qPrintable(times));
    return 0;
}
