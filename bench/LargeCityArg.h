#pragma once
// The large generated city of the benchmarks: TSIVOR_LARGE_CITY, or --large-city=DIR, which is
// taken out of argv before Google Benchmark sees it. Empty when neither is given.

#include <QString>

#include <algorithm>
#include <cstring>

inline QString TakeLargeCityArg(int& argc, char** argv) {
    QString dir = qEnvironmentVariable("TSIVOR_LARGE_CITY");
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], "--large-city=", 13) == 0) {
            dir = QString::fromLocal8Bit(argv[i] + 13);
            std::copy(argv + i + 1, argv + argc, argv + i);
            --argc;
            --i;
        }
    }
    return dir;
}
