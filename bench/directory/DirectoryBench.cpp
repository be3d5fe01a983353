// Typing in a search edit reopens a query on every key. Targets at 100,000 organisations and
// 2,000 rubrics (the Large benchmarks): the rubric filter under 10 ms, the counting query of
// the multi-criteria search under 50 ms. The Fts benchmarks answer the same word through
// SQLite's trigram full-text index, as the reference for the plain like scan.
#include "CityPlan.h"
#include "SampleParts.h"
#include "directory/DataModule.h"
#include "directory/JetImport.h"
#include "directory/LikeCondition.h"
#include "directory/MegaSearchQueries.h"
#include "directory/RubricQueries.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <set>

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

// The multi-criteria cases measured both ways: every criterion alone and typical combinations.
struct MegaCase {
    const char* Label;
    std::vector<std::pair<directory::TCriterion, const char*>> Texts;
    bool PhoneSubstring = false;
    bool AllKeywordColumns = false;
};

const std::vector<MegaCase>& MegaCases() {
    using C = directory::TCriterion;
    static const std::vector<MegaCase> cases = {
        {"keyword кафе, six columns", {{C::Keyword, "кафе"}}, false, true},
        {"keyword кафе", {{C::Keyword, "кафе"}}},
        {"keyword two words", {{C::Keyword, "летнее кафе"}}},
        {"name кафе", {{C::Name, "кафе"}}},
        {"name а", {{C::Name, "а"}}},
        {"name альфа/заря", {{C::Name, "альфа/заря"}}},
        {"rubric ремонт", {{C::Rubric, "ремонт"}}},
        {"street ленина", {{C::Street, "ленина"}}},
        {"house 12", {{C::House, "12"}}},
        {"house 1", {{C::House, "1"}}},
        {"phone 3321", {{C::Phone, "3321"}}},
        {"phone 332 substring", {{C::Phone, "332"}}, true},
        {"mail org12", {{C::Mail, "org12"}}},
        {"www org7", {{C::WWW, "org7"}}},
        {"street + house", {{C::Street, "ленина"}, {C::House, "12"}}},
        {"name + rubric", {{C::Name, "альфа"}, {C::Rubric, "ремонт"}}},
        {"rubric + street + house", {{C::Rubric, "магазин"}, {C::Street, "мира"}, {C::House, "1"}}},
        {"keyword + phone", {{C::Keyword, "кафе"}, {C::Phone, "5"}}},
        {"name + street + phone",
         {{C::Name, "ооо"}, {C::Street, "садовая"}, {C::Phone, "4"}},
         true},
    };
    return cases;
}

directory::TSearchCriteria CriteriaOf(const MegaCase& m) {
    directory::TSearchCriteria c;
    for (const auto& [k, t] : m.Texts) c[k] = QString::fromUtf8(t);
    c.PhoneSubstring = m.PhoneSubstring;
    if (m.AllKeywordColumns) c.KeywordColumns = {true, true, true, true, true, true};
    return c;
}

std::vector<int64_t> PlainIds(directory::Tdm& dm, const directory::TSearchCriteria& c) {
    directory::TQuery& q = dm.QStrPhone;
    q.Reopen(directory::MegaCountStatement(directory::BuildSearchCondition(c)));
    std::set<int64_t> ids;
    for (q.First(); !q.Eof(); q.Next()) ids.insert(q.FieldAsInteger("Id"));
    return {ids.begin(), ids.end()};
}

struct LargeMega {
    LargeMega() : queries(SharedLarge().dm) {
        QElapsedTimer t;
        t.start();
        queries.Index();
        std::fprintf(stderr, "search index of %d organisations built in %lld ms\n",
                     queries.Index() ? queries.Index()->Organisations() : 0,
                     static_cast<long long>(t.elapsed()));
        int same = 0;
        for (const MegaCase& m : MegaCases()) {
            const directory::TSearchCriteria c = CriteriaOf(m);
            if (queries.Find(c) == PlainIds(SharedLarge().dm, c))
                ++same;
            else
                std::fprintf(stderr, "DIFFERENT organisations for %s\n", m.Label);
        }
        std::fprintf(stderr, "fast and plain give the same organisations in %d of %d cases\n", same,
                     int(MegaCases().size()));
    }
    directory::TMegaSearchQueries queries;
};

LargeMega& SharedLargeMega() {
    static LargeMega m;
    return m;
}

void BM_LargeMegaCountFast(benchmark::State& state) {
    const MegaCase& m = MegaCases()[size_t(state.range(0))];
    const directory::TSearchCriteria c = CriteriaOf(m);
    directory::TMegaSearchQueries& q = SharedLargeMega().queries;
    int n = 0;
    for (auto _ : state) benchmark::DoNotOptimize(n = q.Count(c));
    state.SetLabel(m.Label);
    state.counters["rows"] = n;
}
BENCHMARK(BM_LargeMegaCountFast)->DenseRange(0, 18)->Unit(benchmark::kMillisecond);

void BM_LargeMegaCountPlain(benchmark::State& state) {
    const MegaCase& m = MegaCases()[size_t(state.range(0))];
    const QStringList lines =
        directory::MegaCountStatement(directory::BuildSearchCondition(CriteriaOf(m)));
    directory::TQuery& q = SharedLarge().dm.QStrPhone;
    for (auto _ : state) {
        if (!q.Reopen(lines)) state.SkipWithError(qPrintable(q.LastError()));
        benchmark::DoNotOptimize(q.RecordCount());
    }
    state.SetLabel(m.Label);
    state.counters["rows"] = q.RecordCount();
}
BENCHMARK(BM_LargeMegaCountPlain)->DenseRange(0, 18)->Unit(benchmark::kMillisecond)->Iterations(2);

// A count of 0 looks for other words; the count itself must not wait long for them.
void BM_LargeMegaSuggest(benchmark::State& state) {
    using C = directory::TCriterion;
    static const std::pair<C, const char*> typos[] = {
        {C::Name, "алфьа"},    {C::Rubric, "vfufpbys"}, {C::Keyword, "кафк"},
        {C::Street, "ленинв"}, {C::Phone, "9"},         {C::Mail, "orgg12"},
    };
    const auto& [criterion, text] = typos[state.range(0)];
    directory::TSearchCriteria c;
    c[criterion] = QString::fromUtf8(text);
    directory::TMegaSearchQueries& q = SharedLargeMega().queries;
    {
        QElapsedTimer t;
        t.start();
        q.Suggest(c); // the first call reads the words of the directory
        static bool once = false;
        if (!once)
            std::fprintf(stderr, "words of the directory read in %lld ms\n",
                         static_cast<long long>(t.elapsed()));
        once = true;
    }
    size_t offered = 0;
    QString first;
    for (auto _ : state) {
        const int n = q.Count(c);
        const auto s = n == 0 ? q.Suggest(c) : std::vector<directory::TSearchSuggestion>();
        offered = s.size();
        if (!s.empty()) first = s[0].Word;
    }
    state.SetLabel(std::string(text) + " -> " + first.toStdString());
    state.counters["offered"] = double(offered);
}
BENCHMARK(BM_LargeMegaSuggest)->DenseRange(0, 5)->Unit(benchmark::kMillisecond);

void BM_LargeMegaSearch(benchmark::State& state) {
    directory::TSearchCriteria c;
    c[directory::TCriterion::Name] = QString::fromUtf8("альфа");
    c[directory::TCriterion::Rubric] = QString::fromUtf8("ремонт");
    directory::TMegaSearchQueries& q = SharedLargeMega().queries;
    int rows = 0;
    for (auto _ : state) benchmark::DoNotOptimize(rows = q.Search(c).Rows);
    state.counters["rows"] = rows;
}
BENCHMARK(BM_LargeMegaSearch)->Unit(benchmark::kMillisecond);

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
