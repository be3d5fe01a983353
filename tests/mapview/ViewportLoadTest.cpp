// The map as the loader's host: the order of the view's steps and the view after a load.
#include "mapview/DataMap.h"

#include "mapdata/MapWriter.h"

#include <gtest/gtest.h>

#include <QStringList>

using namespace tsivor::mapview;
using namespace tsivor::mapdata;

namespace {

QByteArray SampleContent(int objects, double scale, float xWind, float yWind) {
    TMapDocument doc;
    doc.Header.Version = 14;
    doc.Header.Mashtab = 500;
    doc.Header.Scale = scale;
    doc.Header.XWind = xWind;
    doc.Header.YWind = yWind;
    for (int i = 0; i < objects; ++i) {
        auto o = std::make_unique<TORBMapObjectMem>();
        o->ID = i;
        o->ObjectType = cPolygon;
        o->Count = 2;
        o->Points = std::make_unique<TORBMapPoint[]>(2);
        o->Points[0] = {float(i * 10), 0};
        o->Points[1] = {float(i * 10 + 5), 200};
        doc.CalcObjectBox(*o);
        doc.Append(std::move(o));
    }
    return WriteMapContent(doc);
}

struct LoadedMap {
    LoadedMap() {
        map.resize(600, 400);
        map.OnBeforeLoad = [&](TDataMap*) { steps << "before"; };
        map.OnProgress = [&](TDataMap*, int p) { steps << QStringLiteral("progress %1").arg(p); };
        map.OnChangeScale = [&](TDataMap* m) {
            steps << QStringLiteral("scale %1").arg(m->Scale());
        };
        map.OnAfterLoad = [&](TDataMap*) { steps << "after"; };
        map.MashtabToPrinter = [&](int32_t v) { steps << QStringLiteral("printer %1").arg(v); };
    }
    TDataMap map;
    QStringList steps;
};

} // namespace

TEST(MapLoadHost, StepsRunInOrderAndTheHeaderGivesTheView) {
    LoadedMap l;
    l.map.SetScale(300);
    l.steps.clear();
    l.map.LoadFromStream(SampleContent(150, 250, 10, 20));
    // Intermediate progress values are the loader's business; the last one is 100.
    QStringList viewSteps = l.steps;
    viewSteps.removeIf([](const QString& s) {
        return s.startsWith("progress") && s != QLatin1String("progress 100");
    });
    EXPECT_EQ(viewSteps.join(", ").toStdString(),
              "before, scale 100, progress 100, scale 250, after, printer 500");
    EXPECT_GT(l.steps.size(), viewSteps.size()) << "progress while reading";
    EXPECT_EQ(l.map.ObjectCount(), 150);
    EXPECT_DOUBLE_EQ(l.map.Scale(), 250);
    EXPECT_FLOAT_EQ(l.map.XWind(), 10);
    EXPECT_FLOAT_EQ(l.map.YWind(), 20);
    EXPECT_DOUBLE_EQ(l.map.PixelsPerUnit(), 2.5);
    EXPECT_EQ(l.map.Mashtab(), 500);
    EXPECT_TRUE(l.map.Dirty()) << "a load leaves the view marked for the next frame";
}

TEST(MapLoadHost, WholeMapAfterLoadZoomsToTheExtent) {
    LoadedMap l;
    l.map.Options().SetmpAllMapAfterLoad(true);
    l.map.LoadFromStream(SampleContent(30, 250, 10, 20));
    const TMapExtent& e = l.map.MapExtent();
    EXPECT_FLOAT_EQ(e.MaxX, 295);
    const QPointF c = l.map.GetViewCenter();
    EXPECT_NEAR(c.x(), (e.MinX + e.MaxX) / 2, 1e-2);
    EXPECT_NEAR(c.y(), (e.MinY + e.MaxY) / 2, 1e-2);
    EXPECT_NEAR(l.map.Scale(),
                std::min(100 / ((e.MaxX - e.MinX) / 600.0), 100 / ((e.MaxY - e.MinY) / 400.0)),
                1e-6);
}

TEST(MapLoadHost, LockedOptionIsRestoredAndDamagedScaleFallsBack) {
    LoadedMap l;
    l.map.Options().SetmpLocked(true);
    l.map.LoadFromStream(SampleContent(3, 0, 5, 6));
    EXPECT_TRUE(l.map.Options().mpLocked());
    EXPECT_DOUBLE_EQ(l.map.Scale(), 100);
    EXPECT_FLOAT_EQ(l.map.XWind(), 5);
}

TEST(MapLoadHost, UnknownContentGivesAnEmptyMapWithAllEvents) {
    LoadedMap l;
    l.map.LoadFromStream(QByteArray(700, '\x7f'));
    EXPECT_EQ(l.map.ObjectCount(), 0);
    EXPECT_TRUE(l.steps.contains("before"));
    EXPECT_TRUE(l.steps.contains("progress 100"));
    EXPECT_TRUE(l.steps.contains("after"));
}

TEST(MapLoadHost, MissingFileIsReported) {
    TDataMap map;
    QString error;
    EXPECT_FALSE(map.MapLoad(QStringLiteral("/nonexistent/info1.db"), &error));
    EXPECT_FALSE(error.isEmpty());
}
