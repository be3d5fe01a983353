// Maps linked to a main map: shared document, own viewport, synchronisation without loops.
#include "mapview/DataMap.h"

#include <gtest/gtest.h>

#include <memory>

using namespace tsivor::mapview;

namespace {

struct Maps {
    Maps() {
        for (TDataMap* m : {&main, &a, &b}) {
            m->resize(200, 100);
            m->Redraw();
        }
    }
    void ClearLogs() {
        for (TDataMap* m : {&main, &a, &b}) m->ClearRedrawLog();
    }
    TDataMap main, a, b;
};

} // namespace

TEST(LinkedMaps, LinkedMapShowsTheMainDocumentWithItsOwnView) {
    Maps m;
    m.main.SetNameMap(QStringLiteral("Заречинск"));
    m.a.SetMainDataMap(&m.main);
    EXPECT_EQ(&m.a.Document(), &m.main.Document());
    EXPECT_EQ(m.a.NameMap(), QStringLiteral("Заречинск"));
    m.a.SetScale(400);
    EXPECT_DOUBLE_EQ(m.main.Scale(), 100);
    m.a.Options().SetmpNumberDom(true);
    EXPECT_FALSE(m.main.Options().mpNumberDom());

    m.a.SetMainDataMap(nullptr);
    EXPECT_NE(&m.a.Document(), &m.main.Document());
    EXPECT_TRUE(m.a.NameMap().isEmpty());
}

TEST(LinkedMaps, ListHasNoDuplicatesAndFollowsRelinking) {
    Maps m;
    TDataMap other;
    m.a.SetMainDataMap(&m.main);
    m.a.SetMainDataMap(&m.main);
    m.b.SetMainDataMap(&m.main);
    EXPECT_EQ(m.main.LinkedMaps(), (std::vector<TDataMap*>{&m.a, &m.b}));
    m.a.SetMainDataMap(&other);
    EXPECT_EQ(m.main.LinkedMaps(), (std::vector<TDataMap*>{&m.b}));
    EXPECT_EQ(other.LinkedMaps(), (std::vector<TDataMap*>{&m.a}));
    m.a.SetMainDataMap(nullptr);
    EXPECT_TRUE(other.LinkedMaps().empty());
}

TEST(LinkedMaps, SelfAndCyclesAreRefused) {
    Maps m;
    m.main.SetMainDataMap(&m.main);
    EXPECT_EQ(m.main.MainDataMap(), nullptr);
    m.a.SetMainDataMap(&m.main);
    m.main.SetMainDataMap(&m.a);
    EXPECT_EQ(m.main.MainDataMap(), nullptr);
    EXPECT_EQ(&m.a.Document(), &m.main.Document());
}

TEST(LinkedMaps, LinkingRedrawsTheLinkedMap) {
    Maps m;
    m.ClearLogs();
    m.a.SetMainDataMap(&m.main);
    EXPECT_EQ(m.a.RedrawLog().FullFrames, 1);
    EXPECT_EQ(m.main.RedrawLog().FullFrames, 0);
}

TEST(LinkedMaps, SynchronisingReachesEveryMapOnceWithoutLooping) {
    Maps m;
    m.a.SetMainDataMap(&m.main);
    m.b.SetMainDataMap(&m.main);
    m.ClearLogs();
    m.a.SyncLinkedMaps();
    EXPECT_EQ(m.main.RedrawLog().FullFrames, 1);
    EXPECT_EQ(m.b.RedrawLog().FullFrames, 1);
    EXPECT_EQ(m.a.RedrawLog().FullFrames, 0);
}

TEST(LinkedMaps, LockingCoversTheLinkedMaps) {
    Maps m;
    m.a.SetMainDataMap(&m.main);
    m.ClearLogs();
    m.main.LockDrawing();
    EXPECT_FALSE(m.a.DrawingEnabled());
    m.a.SetScale(300);
    EXPECT_EQ(m.a.RedrawLog().FullFrames, 0);
    m.main.UnlockDrawing();
    EXPECT_TRUE(m.a.DrawingEnabled());
    EXPECT_EQ(m.a.RedrawLog().FullFrames, 1);
    EXPECT_EQ(m.main.RedrawLog().FullFrames, 0) << "nothing changed on the main map";
}

TEST(LinkedMaps, DestroyingTheMainMapUnlinks) {
    TDataMap linked;
    {
        auto main = std::make_unique<TDataMap>();
        main->SetMashtab(1000);
        linked.SetMainDataMap(main.get());
        EXPECT_EQ(linked.Mashtab(), 1000);
    }
    EXPECT_EQ(linked.MainDataMap(), nullptr);
    EXPECT_EQ(linked.Mashtab(), 0);

    TDataMap main;
    {
        TDataMap shortLived;
        shortLived.SetMainDataMap(&main);
    }
    EXPECT_TRUE(main.LinkedMaps().empty());
}
