// Typing in a search edit reopens a query on every key. Targets at 100,000 organisations and
// 2,000 rubrics (the Large benchmarks): the rubric filter under 10 ms, the counting query of
// the multi-criteria search under 50 ms. The Fts benchmarks answer the same word through
// SQLite's trigram full-text index, as the reference for the plain like scan.
#include "CityPlan.h"
#include "SampleParts.h"
#include "directory/DataModule.h"
#include "directory/JetImport.h"
#include "directory/LikeCondition.h"
#include "directory/RubricQueries.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
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

// The counting query's statement with a search condition ("" or " and ...").
QStringList CountStatement(const QString& condition) {
    return {"SELECT DISTINCTrow Main.Id, Main.Title",
            "FROM Topics INNER JOIN (Streets INNER JOIN",
            " ((Main INNER JOIN (Adr LEFT JOIN Phones ON Adr.Id",
            " = Phones.Id_Adr) ON Main.Id = Adr.Id_Main) INNER JOIN",
            " Jumps ON Main.Id = Jumps.Id_Main) ON Streets.id = Adr.Id_Street)",
            " ON Topics.id = Jumps.Id_Topic",
            "WHERE 1=1" + condition,
            "order by Main.Title"};
}

// Criteria as the multi-criteria search joins them: "( clause )" with " and " between.
QString Criteria(const std::vector<QString>& clauses) {
    QStringList parts;
    for (const QString& c : clauses)
        if (!c.isEmpty()) parts << "( " + c + " )";
    return parts.isEmpty() ? QString() : " and " + parts.join(" and ");
}

const QString kKeywordFields =
    "Main.MEMO Main.Title Topics.Name Streets.Name Adr.Number Phones.Phone ";

struct Large {
    Large() {
        QString error;
        QElapsedTimer t;
        t.start();
        if (!sample::WriteLargeDirectory(QDir(dir.path()).filePath("info.db"), {}, &error))
            std::fprintf(stderr, "large directory: %s\n", qPrintable(error));
        const qint64 written = t.restart();
        {
            // The reference index: organisation names and comments as trigrams.
            directory::TDatabase db;
            if (!db.Open(QDir(dir.path()).filePath("info.db"),
                         directory::TDatabase::Mode::ReadWrite, &error) ||
                !db.Exec("CREATE VIRTUAL TABLE MainText USING fts5(Title, Memo, content='Main', "
                         "content_rowid='Id', tokenize='trigram');"
                         "INSERT INTO MainText(MainText) VALUES ('rebuild');",
                         &error))
                std::fprintf(stderr, "full-text index: %s\n", qPrintable(error));
        }
        if (!dm.OpenDirectory(dir.path(), &error))
            std::fprintf(stderr, "large directory: %s\n", qPrintable(error));
        std::fprintf(stderr, "large directory written in %lld ms, full-text index in %lld ms\n",
                     static_cast<long long>(written), static_cast<long long>(t.elapsed()));
    }
    QTemporaryDir dir;
    directory::Tdm dm;
};

Large& SharedLarge() {
    static Large l;
    return l;
}

void RunCount(benchmark::State& state, const QString& condition) {
    directory::TQuery& q = SharedLarge().dm.QStrPhone;
    const QStringList lines = CountStatement(condition);
    for (auto _ : state) {
        if (!q.Reopen(lines)) state.SkipWithError(qPrintable(q.LastError()));
        benchmark::DoNotOptimize(q.RecordCount());
    }
    state.counters["rows"] = q.RecordCount();
}

void BM_LargeRubricFilter(benchmark::State& state) {
    static const char* const filters[] = {"а", "ап/ка", "ремонт мебели", "ремонт мебели (2)"};
    const QString filter = QString::fromUtf8(filters[state.range(0)]);
    directory::TRubricQueries rubrics(SharedLarge().dm);
    for (auto _ : state) benchmark::DoNotOptimize(rubrics.FilterRubrics(filter));
    state.SetLabel(filters[state.range(0)]);
    state.counters["rows"] = SharedLarge().dm.QJumps.RecordCount();
}
BENCHMARK(BM_LargeRubricFilter)->DenseRange(0, 3)->Unit(benchmark::kMillisecond);

void BM_LargeRubricListAtStart(benchmark::State& state) {
    directory::TRubricQueries rubrics(SharedLarge().dm);
    for (auto _ : state) benchmark::DoNotOptimize(rubrics.OpenRubricLists());
    state.counters["rows"] = SharedLarge().dm.QJumpsAll.RecordCount();
}
BENCHMARK(BM_LargeRubricListAtStart)->Unit(benchmark::kMillisecond);

void BM_LargeLoadRubric(benchmark::State& state) {
    // Rubric 1 is one of the large ones; 1/2/3 lists three of them.
    const QString ids = state.range(0) == 0 ? "1" : "1/2/3";
    directory::TRubricQueries rubrics(SharedLarge().dm);
    for (auto _ : state) benchmark::DoNotOptimize(rubrics.LoadRubrics(ids, ""));
    state.SetLabel(qPrintable(ids));
    state.counters["rows"] = SharedLarge().dm.QMain.RecordCount();
}
BENCHMARK(BM_LargeLoadRubric)->DenseRange(0, 1)->Unit(benchmark::kMillisecond);

void BM_LargeCountName(benchmark::State& state) {
    RunCount(state, Criteria({directory::BuildLikeCondition("Main.Title", QString::fromUtf8("кафе"),
                                                            "and", true)}));
}
BENCHMARK(BM_LargeCountName)->Unit(benchmark::kMillisecond);

void BM_LargeCountStreetHouse(benchmark::State& state) {
    RunCount(state, Criteria({directory::BuildLikeCondition(
                                  "Streets.Name", QString::fromUtf8("ленина"), "and", true),
                              directory::BuildLikeCondition("Adr.Number", "12", "and", false)}));
}
BENCHMARK(BM_LargeCountStreetHouse)->Unit(benchmark::kMillisecond);

void BM_LargeCountPhone(benchmark::State& state) {
    RunCount(state,
             Criteria({directory::BuildLikeCondition("Phones.Phone", "3321", "and", false)}));
}
BENCHMARK(BM_LargeCountPhone)->Unit(benchmark::kMillisecond);

void BM_LargeCountRubricAndName(benchmark::State& state) {
    RunCount(state, Criteria({directory::BuildLikeCondition(
                                  "Main.Title", QString::fromUtf8("альфа"), "and", true),
                              directory::BuildLikeCondition(
                                  "Topics.Name", QString::fromUtf8("ремонт"), "and", true)}));
}
BENCHMARK(BM_LargeCountRubricAndName)->Unit(benchmark::kMillisecond);

void BM_LargeCountKeyword(benchmark::State& state) {
    RunCount(state, Criteria({directory::BuildLikeCondition(
                        kKeywordFields, QString::fromUtf8("кафе"), "and", true)}));
}
BENCHMARK(BM_LargeCountKeyword)->Unit(benchmark::kMillisecond);

// The name criterion answered by the trigram index instead of the like scan.
void BM_LargeCountNameFts(benchmark::State& state) {
    RunCount(state, " and ( Main.Id IN (SELECT rowid FROM MainText WHERE MainText MATCH "
                    "\"Title:кафе\") )");
}
BENCHMARK(BM_LargeCountNameFts)->Unit(benchmark::kMillisecond);

// The bare scans: every name and comment through like, against the index.
void BM_LargeScanLike(benchmark::State& state) {
    directory::TQuery q(&SharedLarge().dm.ADOConnection1);
    const QStringList lines = {
        "SELECT Main.Id FROM Main WHERE (Main.Title like \"%кафе%\") or (Main.Memo like "
        "\"%кафе%\")"};
    for (auto _ : state) {
        q.Reopen(lines);
        benchmark::DoNotOptimize(q.RecordCount());
    }
    state.counters["rows"] = q.RecordCount();
}
BENCHMARK(BM_LargeScanLike)->Unit(benchmark::kMillisecond);

void BM_LargeScanFts(benchmark::State& state) {
    directory::TQuery q(&SharedLarge().dm.ADOConnection1);
    const QStringList lines = {"SELECT rowid FROM MainText WHERE MainText MATCH \"кафе\""};
    for (auto _ : state) {
        q.Reopen(lines);
        benchmark::DoNotOptimize(q.RecordCount());
    }
    state.counters["rows"] = q.RecordCount();
}
BENCHMARK(BM_LargeScanFts)->Unit(benchmark::kMillisecond);

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
