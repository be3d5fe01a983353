// Targets: typing in a search edit reopens a query on every key, so the rubric filter and the
// counting query should each stay well under 50 ms on the sample directory.
#include "CityPlan.h"
#include "SampleParts.h"
#include "directory/DataModule.h"
#include "directory/JetImport.h"
#include "directory/LikeCondition.h"
#include "directory/RubricQueries.h"

#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstdio>

using namespace tsivor;

namespace {

struct Sample {
    Sample() {
        QString error;
        const sample::CityPlan plan = sample::MakeCityPlan();
        if (!sample::WriteSampleMap(plan, dir.path(), &error) ||
            !sample::WriteSampleDirectory(plan, dir.path(), &error) ||
            !dm.OpenDirectory(dir.path(), &error))
            std::fprintf(stderr, "sample directory: %s\n", qPrintable(error));
        houses.Open(QDir(dir.path()).filePath("houses/houses.db"),
                    directory::TDatabase::Mode::ReadOnly, &error);
    }
    QTemporaryDir dir;
    directory::Tdm dm;
    directory::TDatabase houses;
};

Sample& Shared() {
    static Sample s;
    return s;
}

void BM_RubricFilter(benchmark::State& state) {
    directory::TRubricQueries rubrics(Shared().dm);
    for (auto _ : state)
        benchmark::DoNotOptimize(rubrics.FilterRubrics(QString::fromUtf8("ап/ка")));
}
BENCHMARK(BM_RubricFilter)->Unit(benchmark::kMillisecond);

void BM_LoadThreeRubrics(benchmark::State& state) {
    directory::TRubricQueries rubrics(Shared().dm);
    for (auto _ : state) benchmark::DoNotOptimize(rubrics.LoadRubrics("471/468/718", ""));
}
BENCHMARK(BM_LoadThreeRubrics)->Unit(benchmark::kMillisecond);

void BM_CountKeyword(benchmark::State& state) {
    directory::TQuery& q = Shared().dm.QStrPhone;
    const QString fields = "Main.MEMO Main.Title Topics.Name Streets.Name Adr.Number Phones.Phone ";
    const QString condition =
        " and ( " + directory::BuildLikeCondition(fields, QString::fromUtf8("кафе"), "and", true) +
        " )";
    const QStringList lines = {"SELECT DISTINCTrow Main.Id, Main.Title",
                               "FROM Topics INNER JOIN (Streets INNER JOIN",
                               " ((Main INNER JOIN (Adr LEFT JOIN Phones ON Adr.Id",
                               " = Phones.Id_Adr) ON Main.Id = Adr.Id_Main) INNER JOIN",
                               " Jumps ON Main.Id = Jumps.Id_Main) ON Streets.id = Adr.Id_Street)",
                               " ON Topics.id = Jumps.Id_Topic",
                               "WHERE 1=1" + condition,
                               "order by Main.Title"};
    for (auto _ : state) {
        q.Reopen(lines);
        benchmark::DoNotOptimize(q.RecordCount());
    }
}
BENCHMARK(BM_CountKeyword)->Unit(benchmark::kMillisecond);

void BM_RealEstateSearch(benchmark::State& state) {
    directory::TQuery q(&Shared().houses);
    const QString sql = directory::Tdm::BuildHousesStatement(
        "( (Operation=1) ) and ( (District=1) or  (District=2) or  (District=3))",
        "Base.Operation, Base.District, Base.Rooms;");
    for (auto _ : state) {
        q.Reopen({sql});
        benchmark::DoNotOptimize(q.RecordCount());
    }
}
BENCHMARK(BM_RealEstateSearch)->Unit(benchmark::kMillisecond);

void BM_ImportJet4(benchmark::State& state) {
    QTemporaryDir out;
    const QString in = QStringLiteral(TSIVOR_SOURCE_DIR "/../shared/testdata/jet/unicode-jet4.mdb");
    for (auto _ : state) {
        QString error;
        benchmark::DoNotOptimize(
            directory::ImportJetDatabase(in, QDir(out.path()).filePath("u.sqlite"), &error));
    }
}
BENCHMARK(BM_ImportJet4)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
