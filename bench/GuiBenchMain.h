#pragma once
// The entry point of the benchmarks that draw: offscreen unless a platform is chosen, the large
// city taken from the command line into largeDir, then Google Benchmark under a QApplication.

#include "LargeCityArg.h"

#include <QApplication>

#include <benchmark/benchmark.h>

inline int RunGuiBenchmarks(int argc, char** argv, QString& largeDir) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    largeDir = TakeLargeCityArg(argc, argv);
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
