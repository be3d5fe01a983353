// Maps linked to a main map: shared document, own viewport, synchronisation without loops.
#include "mapview/DataMap.h"

#include <gtest/gtest.h>

#include <memory>

using namespace tsivor::mapview;

namespace {

struct Maps {
    Maps() {
        for (TDataMap* m : {&main, &a, &b}) m->resize(200, 100);
        a.SetMainDataMap(&main);
        b.SetMainDataMap(&main);
        for (TDataMap* m : {&main, &a, &b}) {
            m->Redraw();
            m->ClearRedrawLog();
        }
    }
    TDataMap main, a, b;
};

} // namespace

TEST(LinkedMaps, SharedDocumentOwnViewAndNoDuplicates) {
    Maps m;
    m.main.SetNameMap(QStringLiteral("Заречинск"));
    EXPECT_EQ(m.a.NameMap(), QStringLiteral("Заречинск"));
    m.a.SetScale(400);
    m.a.Options().SetmpNumberDom(true);
    EXPECT_DOUBLE_EQ(m.main.Scale(), 100);
    EXPECT_FALSE(m.main.Options().mpNumberDom());
    EXPECT_EQ(m.a.RedrawLog().FullFrames, 2);

    m.a.SetMainDataMap(&m.main);
    EXPECT_EQ(m.main.LinkedMaps(), (std::vector<TDataMap*>{&m.a, &m.b}));
    TDataMap other;
    m.a.SetMainDataMap(&other);
    EXPECT_EQ(m.main.LinkedMaps(), (std::vector<TDataMap*>{&m.b}));
    m.a.SetMainDataMap(nullptr);
    EXPECT_TRUE(other.LinkedMaps().empty());
    EXPECT_TRUE(m.a.NameMap().isEmpty()) << "its own document again";
}

TEST(LinkedMaps, SelfAndCyclesAreRefused) {
    Maps m;
    m.main.SetMainDataMap(&m.main);
    m.main.SetMainDataMap(&m.a);
    EXPECT_EQ(m.main.MainDataMap(), nullptr);
    EXPECT_EQ(&m.a.Document(), &m.main.Document());
}

TEST(LinkedMaps, SynchronisingReachesEveryOtherMapWithoutLooping) {
    Maps m;
    m.a.SyncLinkedMaps();
    EXPECT_EQ(m.main.RedrawLog().FullFrames, 1);
    EXPECT_EQ(m.b.RedrawLog().FullFrames, 1);
    EXPECT_EQ(m.a.RedrawLog().FullFrames, 0);
}

TEST(LinkedMaps, LockingCoversTheLinkedMaps) {
    Maps m;
    m.main.LockDrawing();
    EXPECT_FALSE(m.a.DrawingEnabled());
    m.a.SetScale(300);
    EXPECT_EQ(m.a.RedrawLog().FullFrames, 0);
    m.main.UnlockDrawing();
    EXPECT_TRUE(m.a.DrawingEnabled());
    EXPECT_EQ(m.a.RedrawLog().FullFrames, 1);
}

TEST(LinkedMaps, DestroyingEitherSideUnlinks) {
    TDataMap linked;
    {
        auto main = std::make_unique<TDataMap>();
        main->SetMashtab(1000);
        linked.SetMainDataMap(main.get());
        EXPECT_EQ(linked.Mashtab(), 1000);
    }
    EXPECT_EQ(linked.MainDataMap(), nullptr);
    EXPECT_EQ(linked.Mashtab(), 0);
    {
        TDataMap shortLived;
        shortLived.SetMainDataMap(&linked);
    }
    EXPECT_TRUE(linked.LinkedMaps().empty());
}
