// tsivor-bench-mapload [OBJECTS | FILE]
//
// Without FILE, generates a city of OBJECTS objects (default 1,000,000: mostly addressed 4-8
// point houses, some street lines and labels) into a scrambled file in a temporary folder. Then
// measures the time to read and unscramble the file, the time of the whole MapLoad, their
// ratio, and the memory the loaded document takes per object.
//
// On a virtual machine first-touch page faults can cost more than the parsing itself; run with
// GLIBC_TUNABLES=glibc.malloc.hugetlb=1 to see the load with transparent huge pages.

#include "mapdata/Cp1251.h"
#include "mapdata/MapEnvelope.h"
#include "mapdata/MapLoader.h"
#include "mapdata/MapWriter.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <random>
#include <string>
#include <sys/resource.h>
#include <vector>

using namespace tsivor::mapdata;
using Clock = std::chrono::steady_clock;

namespace {

long StatusKb(const char* field) {
    std::ifstream in("/proc/self/status");
    std::string line;
    const size_t n = std::strlen(field);
    while (std::getline(in, line))
        if (line.compare(0, n, field) == 0) return std::stol(line.substr(n + 1));
    return -1;
}

// Starts a new peak so that VmHWM tells the peak of what follows (Linux 4.0 and later).
void ResetPeak() {
    std::ofstream("/proc/self/clear_refs") << "5";
}

double Seconds(Clock::time_point a, Clock::time_point b) {
    return std::chrono::duration<double>(b - a).count();
}

// Writes the content record by record, so the generator never holds a million objects.
QByteArray GenerateCity(int n) {
    TMapDocument doc;
    doc.Header.NameMap = QStringLiteral("Большой город");
    doc.Header.Mashtab = 1000;
    const int streets = 3000;
    for (int s = 1; s <= streets; ++s)
        doc.Streets.Add(QStringLiteral("УЛИЦА %1").arg(s), int16_t(s));
    doc.Towns.Add(QStringLiteral("ГОРОД"), 1);
    doc.Header.NextStreetCode = streets + 1;
    doc.Header.NextTownCode = 2;
    doc.Header.NextId = n + 1;
    auto seed = std::make_unique<TORBMapObjectMem>();
    seed->Count = 1;
    seed->Points = std::make_unique<TORBMapPoint[]>(1);
    doc.Append(std::move(seed));
    // Header and tables as the writer makes them; the objects follow one by one.
    QByteArray out = WriteMapContent(doc);
    QByteArray seedRecord;
    WriteObjectRecord(seedRecord, *doc.Object(0));
    out.truncate(out.size() - seedRecord.size());
    std::memcpy(out.data() + 574, &n, 4);
    out.reserve(out.size() + qsizetype(n) * 140);

    std::mt19937 rng(12345);
    const int side = int(std::sqrt(double(n))) + 1;
    // One reusable record per kind of object.
    TORBMapObjectMem house, street, label;
    house.ObjectType = cPolygon;
    house.Layer = 5;
    house.Pen = TORBMapPen{0, 0, 0.5f, 0};
    house.Brush = TORBMapBrush{0x00B0C4DE, 0};
    house.Points = std::make_unique<TORBMapPoint[]>(8);
    house.HasAddress = 1;
    house.Address = std::make_unique<TORBMapAddress>();
    house.Address->TownCode = 1;
    street.ObjectType = cLine;
    street.Pen = TORBMapPen{0x00FFFFFF, 0, 3, 0};
    street.Points = std::make_unique<TORBMapPoint[]>(8);
    label.Layer = 20;
    for (int i = 0; i < n; ++i) {
        const float x = float(i % side) * 20, y = float(i / side) * 20;
        const int kind = int(rng() % 100);
        if (kind < 85) {
            house.ID = i + 1;
            house.Count = 4 + int(rng() % 5);
            for (int k = 0; k < house.Count; ++k) {
                const double a = 2 * M_PI * k / house.Count;
                house.Points[k] = {x + 8 + float(7 * std::cos(a)), y + 8 + float(7 * std::sin(a))};
            }
            house.Address->StreetCode = int16_t(1 + i % streets);
            house.Address->House = QByteArray::number(1 + i % 150);
            WriteObjectRecord(out, house);
        } else if (kind < 95) {
            street.ID = i + 1;
            street.Count = 2 + int(rng() % 5);
            for (int k = 0; k < street.Count; ++k)
                street.Points[k] = {x + 4 * float(k), y + float(k % 2)};
            WriteObjectRecord(out, street);
        } else {
            label.ID = i + 1;
            TORBMapText t;
            t.X = x;
            t.Y = y;
            t.Size = 4;
            t.Text = QStringLiteral("ул. Улица %1").arg(1 + i % streets);
            label.SetText(t);
            WriteObjectRecord(out, label);
        }
    }
    return out;
}

// Process times and first-touch page faults so far.
struct TUsage {
    double user = 0, sys = 0;
    long faults = 0;
    static TUsage Now() {
        rusage u{};
        getrusage(RUSAGE_SELF, &u);
        return {double(u.ru_utime.tv_sec) + double(u.ru_utime.tv_usec) / 1e6,
                double(u.ru_stime.tv_sec) + double(u.ru_stime.tv_usec) / 1e6, u.ru_minflt};
    }
    TUsage operator-(const TUsage& o) const {
        return {user - o.user, sys - o.sys, faults - o.faults};
    }
};

bool WriteCity(const QString& path, int n) {
    const auto t0 = Clock::now();
    const QByteArray content = GenerateCity(n);
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(Scramble(content)) < 0) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return false;
    }
    std::printf("generated %d objects, %.1f MB of content in %.2f s\n", n,
                double(content.size()) / 1e6, Seconds(t0, Clock::now()));
    return true;
}

struct TPhase {
    double wall = 0;
    TUsage usage;
};

struct TRun {
    TPhase read, load;
};

void PrintPhase(const char* name, const TPhase& p) {
    std::printf("  %-18s %.3f s wall, %.3f s user, %.3f s sys, %ld page faults\n", name, p.wall,
                p.usage.user, p.usage.sys, p.usage.faults);
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    int n = 1000000;
    QString path;
    QTemporaryDir tmp;
    if (args.size() >= 2 && args[0] == "--generate") {
        return WriteCity(args[1], args.size() > 2 ? args[2].toInt() : n) ? 0 : 1;
    }
    if (!args.isEmpty()) {
        bool isNumber = false;
        const int v = args[0].toInt(&isNumber);
        if (isNumber)
            n = v;
        else
            path = args[0];
    }
    if (path.isEmpty()) {
        path = tmp.filePath("big.db");
        if (!WriteCity(path, n)) return 1;
    }

    const int runs = 3;
    std::vector<TRun> results;
    long hwmDelta = 0, rssDelta = 0;
    int objects = 0;
    for (int r = 0; r < runs; ++r) {
        TRun run;
        {
            const auto t0 = Clock::now();
            const TUsage u0 = TUsage::Now();
            QFile f(path);
            if (!f.open(QIODevice::ReadOnly)) return 1;
            const QByteArray content = Unscramble(f.readAll());
            run.read = {Seconds(t0, Clock::now()), TUsage::Now() - u0};
            if (content.isEmpty()) return 1;
        }
        {
            TMapDocument doc;
            TMapLoadHost host;
            ResetPeak();
            const long hwm0 = StatusKb("VmHWM:"), rss0 = StatusKb("VmRSS:");
            const auto t0 = Clock::now();
            const TUsage u0 = TUsage::Now();
            QString error;
            if (!MapLoad(path, doc, host, &error)) {
                std::fprintf(stderr, "%s\n", qPrintable(error));
                return 1;
            }
            run.load = {Seconds(t0, Clock::now()), TUsage::Now() - u0};
            if (r == 0) { // later runs reuse the memory the first one freed
                hwmDelta = StatusKb("VmHWM:") - hwm0;
                rssDelta = StatusKb("VmRSS:") - rss0;
            }
            objects = doc.ObjectCount();
        }
        results.push_back(run);
        std::printf("run %d:\n", r + 1);
        PrintPhase("read+unscramble", run.read);
        PrintPhase("MapLoad", run.load);
    }
    const TRun& cold = results.front();
    double bestRead = 1e9, bestLoad = 1e9;
    for (const TRun& r : results) {
        bestRead = std::min(bestRead, r.read.wall);
        bestLoad = std::min(bestLoad, r.load.wall);
    }
    const double per = 1e6 / std::max(1, objects);
    std::printf("objects loaded:                 %d\n", objects);
    std::printf("MapLoad, first run:             %.3f s (%.3f s per 1,000,000; target < 1 s)\n",
                cold.load.wall, cold.load.wall * per);
    std::printf("MapLoad, best run:              %.3f s\n", bestLoad);
    std::printf("read + unscramble, first/best:  %.3f / %.3f s\n", cold.read.wall, bestRead);
    std::printf("ratio MapLoad / read, first:    %.2f (target <= 5)\n",
                cold.load.wall / cold.read.wall);
    std::printf("ratio of user time, first:      %.2f\n",
                cold.load.usage.user / cold.read.usage.user);
    std::printf("peak memory of the load:        %.0f bytes per object (content buffer included)\n",
                double(hwmDelta) * 1024 / std::max(1, objects));
    std::printf("document after the load:        %.0f bytes per object\n",
                double(rssDelta) * 1024 / std::max(1, objects));
    return 0;
}
