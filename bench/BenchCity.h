#pragma once
// A maximised 1920 x 1080 map of a city file with the options the application's main window
// sets, for the benchmarks of the map view and its tools.

#include "mapview/DataMap.h"

#include <QFileInfo>

#include <memory>

inline std::unique_ptr<tsivor::mapview::TDataMap> LoadBenchCity(const QString& file) {
    auto m = std::make_unique<tsivor::mapview::TDataMap>();
    m->resize(1920, 1080);
    m->Options().NotifyChange = false;
    m->Options().SetmpGuideLines(false);
    m->Options().SetmpNumberDom(true);
    m->Options().SetmpNumberDomFill(false);
    m->Options().SetMinScaleAddress(150);
    m->Options().SetObjectView(2);
    m->Options().NotifyChange = true;
    QString error;
    if (!m->MapLoad(file, &error)) qFatal("%s: %s", qPrintable(file), qPrintable(error));
    return m;
}

// The sample city (which 0) from sampleFile, or else the large city in largeDir, each loaded
// once for the whole run; nullptr when the large city has not been generated.
inline tsivor::mapview::TDataMap* BenchCityOnce(int which, const QString& sampleFile,
                                                const QString& largeDir) {
    static std::unique_ptr<tsivor::mapview::TDataMap> sample, large;
    static bool largeTried = false;
    if (which == 0) {
        if (!sample) sample = LoadBenchCity(sampleFile);
        return sample.get();
    }
    if (!largeTried) {
        largeTried = true;
        const QString file = largeDir + QStringLiteral("/info1.db");
        if (!largeDir.isEmpty() && QFileInfo::exists(file)) large = LoadBenchCity(file);
    }
    return large.get();
}
