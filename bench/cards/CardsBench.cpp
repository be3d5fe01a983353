// Cards: 400 filled (target under 150 ms), 400 expanded with details from the database
// (under 1.5 s), and the main window from creation to ready on the sample city (under 1 s).

#include "../QuietPlatform.h"
#include "app/CardFiller.h"
#include "app/CardFillerQueries.h"
#include "app/MainForm.h"
#include "app/Navigator.h"
#include "directory/DataModule.h"
#include "directory/DirectorySchema.h"
#include "mapview/DataMap.h"
#include "platform/Platform.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstdio>

using namespace tsivor;
using namespace tsivor::app;

namespace {

const QString Words[] = {
    "Городская",    "поликлиника", "Торговый", "дом",          "Аптека",
    "Гостиница",    "Общество",    "с",        "ограниченной", "ответственностью",
    "Строительная", "компания",    "Приречье", "Север",        "Ремонт",
    "обуви",        "и",           "часов"};

QString Phrase(int seed, int words) {
    QString s;
    for (int i = 0; i < words; ++i) {
        if (i) s += u' ';
        s += Words[(seed * 7 + i * 13) % std::size(Words)];
    }
    return s;
}

std::vector<TCardRow> Rows(int n) {
    std::vector<TCardRow> rows;
    for (int i = 1; i <= n; ++i) {
        TCardRow r;
        r.Id = i;
        r.Title = Phrase(i, 2 + i % 5);
        r.Memo = i % 3 ? Phrase(i + 1, 12) : QString();
        r.File = i % 10 == 0 ? QStringLiteral("guide") : QString();
        r.Color = i % 17 == 0;
        r.ids = QString::number(i) + u';';
        rows.push_back(r);
    }
    return rows;
}

// An info.db of n organisations, each with two rubrics, two addresses and two phones each.
bool WriteDirectory(const QString& dir, int n) {
    directory::TDatabase db;
    QString e;
    if (!db.Open(dir + "/info.db", directory::TDatabase::Mode::Create, &e) ||
        !directory::CreateSchema(db, directory::DirectoryTables(), &e))
        return false;
    db.Exec("BEGIN");
    for (int t = 1; t <= 20; ++t)
        db.Exec("INSERT INTO Topics (id, Name) VALUES (?, ?)", {t, Phrase(t, 2)});
    db.Exec("INSERT INTO Streets (id, Name) VALUES (1, 'Лесная'), (2, 'Приреченск')");
    int jump = 0, adr = 0, phone = 0;
    for (const TCardRow& r : Rows(n)) {
        db.Exec("INSERT INTO Main (Id, Title, Memo, www, Mail, File, Header, Color, AutoLoad, ids) "
                "VALUES (?, ?, ?, ?, ?, ?, '', ?, 1, ?)",
                {r.Id, r.Title, r.Memo, "www.org" + QString::number(r.Id) + ".example",
                 "info@org" + QString::number(r.Id) + ".example", r.File, r.Color, r.ids});
        for (int k = 0; k < 2; ++k) {
            db.Exec("INSERT INTO Jumps (Id, Id_Topic, Id_Main) VALUES (?, ?, ?)",
                    {++jump, 1 + (r.Id + k * 7) % 20, r.Id});
            db.Exec("INSERT INTO Adr (Id, Id_Main, Id_Street, Adr_Pre, Number, Adr_Post, id_map) "
                    "VALUES (?, ?, 1, 'пр.', ?, 'оф. 3', ?)",
                    {++adr, r.Id, QString::number(k + 1), k ? -1 : r.Id});
            for (int p = 0; p < 2; ++p)
                db.Exec("INSERT INTO Phones (Id, Id_Adr, Kind, Phone, Comment) VALUES (?, ?, "
                        "'тел', ?, ?)",
                        {++phone, adr, QString::number(500000 + phone), p ? "приёмная" : ""});
        }
    }
    return db.Exec("COMMIT");
}

struct CardsWindow {
    QWidget window;
    TNavigator* nav;
    TWaitPanel* wait;
    CardsWindow() {
        window.resize(288, 800);
        nav = new TNavigator(&window);
        nav->setGeometry(0, 0, 288, 800);
        wait = new TWaitPanel(&window);
        window.show();
        QCoreApplication::processEvents();
    }
};

void BM_FillCards400(benchmark::State& state) {
    QuietPlatform quiet;
    CardsWindow w;
    TCardFiller filler(*w.nav, w.wait, QString());
    const std::vector<TCardRow> rows = Rows(400);
    filler.Fill(rows); // the cards beyond the first 200 are made once
    for (auto _ : state) {
        filler.Fill(rows);
        QCoreApplication::processEvents();
    }
}
BENCHMARK(BM_FillCards400)->Unit(benchmark::kMillisecond);

void BM_ExpandAll400(benchmark::State& state) {
    QuietPlatform quiet;
    QTemporaryDir dir;
    if (!WriteDirectory(dir.path(), 400)) {
        state.SkipWithError("cannot write the directory");
        return;
    }
    directory::Tdm dm;
    QString error;
    if (!dm.OpenDirectory(dir.path(), &error)) {
        state.SkipWithError(qPrintable(error));
        return;
    }
    CardsWindow w;
    TCardFiller filler(*w.nav, w.wait, dir.path());
    TQueryCardDetails details(dm);
    w.nav->Hooks.FillCardDetails = [&](TNavigatorItem& c, int id) {
        filler.FillDetails(c, id, details);
    };
    dm.QMain.AfterOpen = [&](directory::TQuery& q) { filler.Fill(CardRowsOf(q)); };
    for (auto _ : state) {
        state.PauseTiming();
        dm.QMain.Reopen({"SELECT * FROM Main", "order by title"});
        state.ResumeTiming();
        w.nav->RunBulk(true, w.wait);
    }
}
BENCHMARK(BM_ExpandAll400)->Unit(benchmark::kMillisecond);

// Creation, first show and the first drawn frame of the main window on a deployment.
void StartToReady(benchmark::State& state, const QString& deploy) {
    if (!QFileInfo::exists(deploy + "/info.db") || !QFileInfo::exists(deploy + "/info1.db")) {
        state.SkipWithError("no deployment");
        return;
    }
    QuietPlatform quiet;
    for (auto _ : state) {
        directory::Tdm dm;
        TMainFormSettings s;
        s.ExeDir = deploy;
        TFMainForm form(s, dm);
        form.resize(1400, 900);
        QString error;
        if (!form.FormCreate(&error)) {
            state.SkipWithError(qPrintable(error));
            break;
        }
        form.setWindowState(Qt::WindowNoState);
        form.resize(1400, 900);
        form.show();
        QElapsedTimer guard;
        guard.start();
        while (!form.Ready() && guard.elapsed() < 10000) QCoreApplication::processEvents();
        form.grab(); // the map's frame is drawn at its final size
        state.PauseTiming();
        form.hide();
        state.ResumeTiming();
    }
}

void BM_StartToReadySample(benchmark::State& state) {
    StartToReady(state, QStringLiteral(TSIVOR_DEPLOY_DIR));
}
BENCHMARK(BM_StartToReadySample)->Unit(benchmark::kMillisecond)->Iterations(5);

QString LargeCity() {
    static QTemporaryDir dir;
    static bool made = false;
    if (!made) {
        made = true;
        const QString tool = QStringLiteral(TSIVOR_DEPLOY_DIR) + "/tsivor-samplecity";
        if (QFileInfo::exists(tool)) QProcess::execute(tool, {"--large", dir.path()});
    }
    return dir.path();
}

void BM_StartToReadyLarge(benchmark::State& state) {
    StartToReady(state, LargeCity());
}
BENCHMARK(BM_StartToReadyLarge)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
