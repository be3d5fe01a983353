#include "app/Config.h"

#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

using namespace tsivor::app;

namespace {

// A full tsivor.ini as a deployment carries it, with comments, in cp1251.
QString WriteSampleIni(const QTemporaryDir& dir) {
    QByteArray text = "; release\r\n[Main]\r\nYear=2009\r\nMonth=9\r\nCity=\xC7\xE0\xF0\xE5\xF7\r\n"
                      "PhoneS=22-33-44\r\nPhoneM=8-900\r\nWWW=zarechinsk.example\r\nHelp=3\r\n"
                      "[Mas]\r\nmin_3=70\r\nmin_adr=200\r\nlogo_p=200\r\nlogo_rub=30\r\n"
                      "font=100\r\nscale_find=600\r\nMashtab=4520\r\n[Map]\r\nnedv=1\r\nPan=0\r\n"
                      "P1=1200,5\r\nP2=800,25\r\nM1=950\r\n[Buttons]\r\n3d=1\r\nMini=1\r\n"
                      "[FindTools]\r\nComment=1\r\nTitle=1\r\nRubrica=1\r\nStreet=0\r\n"
                      "House=0\r\nPhone=0\r\nPreview=1\r\n[zhilinfo]\r\nlastdate=01.02.2009\r\n";
    const QString path = dir.filePath("tsivor.ini");
    QFile f(path);
    if (f.open(QIODevice::WriteOnly)) f.write(text);
    return path;
}

void BM_LoadConfiguration(benchmark::State& state) {
    QTemporaryDir dir;
    const TIniFile ini(WriteSampleIni(dir));
    for (auto _ : state) {
        TTsivorConfig c;
        c.Load(ini);
        benchmark::DoNotOptimize(c);
    }
}
BENCHMARK(BM_LoadConfiguration)->Unit(benchmark::kMicrosecond);

void BM_SaveViewAtExit(benchmark::State& state) {
    QTemporaryDir dir;
    TIniFile ini(WriteSampleIni(dir));
    double x = 0;
    for (auto _ : state) {
        TMapSettings::SaveView(ini, x += 1, 800.25, 950);
        TButtonSettings{}.Save(ini);
    }
}
BENCHMARK(BM_SaveViewAtExit)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
