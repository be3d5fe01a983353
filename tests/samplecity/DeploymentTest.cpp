// What the build generates next to the program: the program starts from these files.
#include "directory/Database.h"
#include "directory/Query.h"
#include "mapdata/Cp1251.h"
#include "mapdata/MapLoader.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPolygonF>
#include <QRectF>
#include <QSettings>

#include <gtest/gtest.h>

#include <cmath>

namespace {

QString Deployed(const QString& relative) {
    return QDir(QStringLiteral(TSIVOR_DEPLOY_DIR)).filePath(relative);
}

TEST(Deployment, HoldsEveryFileTheProgramLooksFor) {
    if (!QFileInfo::exists(Deployed("info1.db")))
        GTEST_SKIP() << "the sample deployment has not been generated";
    for (const char* f : {"info1.db", "tsivor.ini", "logo/logo.ini", "logo/logo_p.ini",
                          "logo/logo_r.ini", "start/st_1.gif", "start/st_4.gif"})
        EXPECT_TRUE(QFileInfo(Deployed(f)).size() > 0) << f;
    EXPECT_FALSE(QDir(Deployed("banner")).entryList({"*.bmp"}).isEmpty());
    EXPECT_FALSE(QDir(Deployed("panel")).entryList({"panel_*.gif"}).isEmpty());
    EXPECT_FALSE(QDir(Deployed("panel")).entryList({"panelr_*.gif"}).isEmpty());
    EXPECT_FALSE(QDir(Deployed("header")).entryList(QDir::Files).isEmpty());
    QSettings logos(Deployed("logo/logo.ini"), QSettings::IniFormat);
    for (int i = 0; i < logos.value("Main/Count").toInt(); ++i)
        EXPECT_TRUE(QFileInfo::exists(Deployed(
            QString("logo/logo_%1.bmp").arg(logos.value(QString("Logo%1/P9").arg(i)).toInt()))));
}

QRectF Bounds(const tsivor::mapdata::TORBMapObjectMem& o) {
    QPolygonF box;
    for (const auto& p : o.Box) box << QPointF(p.X, p.Y);
    return box.boundingRect();
}

// The logos that the program puts on the map cover none of its names, notes or houses: a
// picture or icon logo no house (nor its number, on the roof in 3-D) at the scales that show
// numbers, a rubric logo no name or note at the whole-town view the map opens with.
TEST(Deployment, LogosStandClearOfNamesNotesAndHouses) {
    if (!QFileInfo::exists(Deployed("info1.db")))
        GTEST_SKIP() << "the sample deployment has not been generated";
    namespace mapdata = tsivor::mapdata;
    mapdata::TMapDocument doc;
    mapdata::TMapLoadHost host;
    ASSERT_TRUE(mapdata::MapLoad(Deployed("info1.db"), doc, host));
    const double k = doc.Header.Scale / 100.0; // pixels per map unit at the whole-town view
    const double iconHalf = 16 / k;
    std::vector<QRectF> houses, names, shownNames;
    std::vector<QPointF> notes;
    for (int i = 0; i < doc.ObjectCount(); ++i) {
        const mapdata::TORBMapObjectMem& o = *doc.Object(i);
        mapdata::TORBMapText t;
        if (o.GetText(t)) {
            names.push_back(Bounds(o));
            if (t.Size * k >= 5) shownNames.push_back(Bounds(o));
        } else if (o.ObjectType == mapdata::cZametka) {
            notes.emplace_back(o.Box[0].X, o.Box[0].Y);
        } else if (o.ObjectType == mapdata::cPolygon && !doc.DecodeAddress(o).House.isEmpty()) {
            // With its roof as the program raises it, towards 80 degrees.
            const QRectF base = Bounds(o);
            houses.push_back(base | base.translated(o.Height * std::cos(80 * M_PI / 180),
                                                    -o.Height * std::sin(80 * M_PI / 180)));
        }
    }
    ASSERT_FALSE(houses.empty());
    QSettings pictures(Deployed("logo/logo.ini"), QSettings::IniFormat);
    for (int i = 0; i < pictures.value("Main/Count").toInt(); ++i) {
        pictures.beginGroup(QString("Logo%1").arg(i));
        const QRectF r(QPointF(pictures.value("P1").toInt(), pictures.value("P2").toInt()),
                       QPointF(pictures.value("P3").toInt(), pictures.value("P4").toInt()));
        pictures.endGroup();
        for (const QRectF& h : houses) EXPECT_FALSE(r.intersects(h)) << "picture logo " << i;
        for (const QRectF& n : names) EXPECT_FALSE(r.intersects(n)) << "picture logo " << i;
    }
    // Icon logos from the scale that shows house numbers on.
    const QSettings ini(Deployed("tsivor.ini"), QSettings::IniFormat);
    const double numbersHalf = 16 / (ini.value("Mas/min_adr").toInt() / 100.0);
    ASSERT_GT(numbersHalf, 0);
    QSettings icons(Deployed("logo/logo_p.ini"), QSettings::IniFormat);
    for (int i = 0; i < icons.value("Main/Count").toInt(); ++i) {
        icons.beginGroup(QString("Logo%1").arg(i));
        const QPointF c(icons.value("P1").toInt(), icons.value("P2").toInt());
        icons.endGroup();
        const QRectF icon(c - QPointF(numbersHalf, numbersHalf),
                          c + QPointF(numbersHalf, numbersHalf));
        for (const QRectF& h : houses) EXPECT_FALSE(icon.intersects(h)) << "icon logo " << i;
    }
    QSettings rubric(Deployed("logo/logo_r.ini"), QSettings::IniFormat);
    for (int i = 0; i < rubric.value("Main/Count").toInt(); ++i) {
        rubric.beginGroup(QString("Logo%1").arg(i));
        for (int j = 0; j < rubric.value("count").toInt(); ++j) {
            const QStringList xy = rubric.value(QString("p%1").arg(j)).toString().split(' ');
            ASSERT_EQ(xy.size(), 2);
            const QPointF c(xy[0].toInt(), xy[1].toInt());
            const QRectF icon(c - QPointF(iconHalf, iconHalf), c + QPointF(iconHalf, iconHalf));
            for (const QRectF& n : shownNames)
                EXPECT_FALSE(icon.intersects(n)) << "rubric logo " << i << " point " << j;
            for (const QPointF& n : notes)
                EXPECT_FALSE(icon.adjusted(-iconHalf, -iconHalf, iconHalf, iconHalf).contains(n))
                    << "rubric logo " << i << " point " << j;
        }
        rubric.endGroup();
    }
}

// A compiled help file begins with the signature "ITSF".
bool IsCompiledHelp(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) && file.read(4) == "ITSF";
}

TEST(Deployment, ShipsTheHelpAndEveryAttachedFileAsCompiledHelp) {
    if (!QFileInfo::exists(Deployed("info.db")))
        GTEST_SKIP() << "the sample deployment has not been generated";
    using tsivor::directory::TDatabase;
    TDatabase db;
    QString error;
    ASSERT_TRUE(db.Open(Deployed("info.db"), TDatabase::Mode::ReadOnly, &error))
        << error.toStdString();
    tsivor::directory::TQuery q(&db);
    ASSERT_TRUE(q.Reopen({"SELECT File FROM Main"})) << q.LastError().toStdString();
    int attached = 0;
    for (; !q.Eof(); q.Next()) {
        const QString name = q.FieldAsString("File");
        if (name.size() <= 1) continue; // no file
        ++attached;
        const QString file = "chm/" + name.left(20) + ".chm";
        EXPECT_TRUE(IsCompiledHelp(Deployed(file))) << file.toStdString();
    }
    EXPECT_GT(attached, 0);
    // The help button's file, one per start page tile, and the real-estate help.
    QSettings ini(Deployed("tsivor.ini"), QSettings::IniFormat);
    const QString help = "chm/chm_" + ini.value("Main/Help").toString() + ".chm";
    EXPECT_TRUE(IsCompiledHelp(Deployed(help))) << help.toStdString();
    for (const QString& tile : QDir(Deployed("start")).entryList({"st_*.gif"})) {
        const QString file = "chm/chm_" + tile.section('_', 1).section('.', 0, 0) + ".chm";
        EXPECT_TRUE(IsCompiledHelp(Deployed(file))) << file.toStdString();
    }
    EXPECT_TRUE(IsCompiledHelp(Deployed("chm/zhilinfo.chm")));
}

} // namespace
