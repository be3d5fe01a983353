// The lens, the edge zones with their scroll loop and middle-button scrolling, including a
// window that goes away while a loop runs.
#include "MouseTestSupport.h"

#include "mapui/AutoScroller.h"
#include "mapui/EdgeScroller.h"

#include <gtest/gtest.h>

using namespace mousetest;

namespace {

struct Lens : ::testing::Test {
    Lens() { t.map->SetInstrument(iLinza); }
    TToolMap t;
};

} // namespace

TEST_F(Lens, AClickZoomsInAroundTheClickedPoint) {
    const QPointF p = t.MapPoint(QPoint(150, 100));
    t.Click(QPoint(150, 100));
    EXPECT_DOUBLE_EQ(t.map->Scale(), 150);
    EXPECT_NEAR(t.map->GetViewCenter().x(), p.x(), 1e-3);
    EXPECT_NEAR(t.map->GetViewCenter().y(), p.y(), 1e-3);
}

TEST_F(Lens, DoubledStepsAndTheirLimits) {
    t.map->Options().SetmpLinzaDouble(true);
    t.Click(QPoint(300, 200));
    EXPECT_DOUBLE_EQ(t.map->Scale(), 200);
    t.Click(QPoint(300, 200), Qt::RightButton);
    EXPECT_DOUBLE_EQ(t.map->Scale(), 100);
    t.map->SetScale(15000);
    t.Click(QPoint(300, 200));
    EXPECT_DOUBLE_EQ(t.map->Scale(), 20000);
}

TEST_F(Lens, ARightClickZoomsOutAtThePress) {
    t.Press(QPoint(300, 200), Qt::RightButton);
    EXPECT_DOUBLE_EQ(t.map->Scale(), 50);
    t.Release(QPoint(300, 200), Qt::RightButton);
    EXPECT_DOUBLE_EQ(t.map->Scale(), 50);
}

TEST_F(Lens, AZeroStepOnlyCentresTheClickedPoint) {
    t.map->Options().SetStepLinza(0);
    const QPointF p = t.MapPoint(QPoint(350, 220));
    t.Click(QPoint(350, 220));
    EXPECT_DOUBLE_EQ(t.map->Scale(), 100);
    EXPECT_NEAR(t.map->GetViewCenter().x(), p.x(), 1e-3);
    EXPECT_NEAR(t.map->GetViewCenter().y(), p.y(), 1e-3);
    // A zoom-out to zero is skipped.
    t.map->Options().SetStepLinza(99.99);
    t.map->Options().SetmpLinzaDouble(false);
    t.Click(QPoint(300, 200), Qt::RightButton);
    EXPECT_GT(t.map->Scale(), 0);
}

TEST_F(Lens, ADraggedFrameIsZoomedTo) {
    t.Press(QPoint(100, 100));
    t.Move(QPoint(200, 150));
    EXPECT_TRUE(t.controller->Lens().Dragging());
    // The frame is an overlay: the back buffer does not change.
    t.map->Redraw();
    const QImage frame = t.map->Picture().copy();
    t.Move(QPoint(250, 200));
    EXPECT_EQ(t.map->Picture(), frame);
    EXPECT_NE(t.map->grab().toImage().pixel(175, 100), frame.pixel(175, 100));
    t.Release(QPoint(250, 200));
    EXPECT_FALSE(t.controller->Lens().Dragging());
    // 150 × 100 units fill 600 × 400 pixels at Scale 400.
    EXPECT_NEAR(t.map->Scale(), 400, 1e-6);
    EXPECT_NEAR(t.map->GetViewCenter().x(), 175, 1e-3);
    EXPECT_NEAR(t.map->GetViewCenter().y(), 150, 1e-3);
}

TEST_F(Lens, ADragNarrowerThanThreeUnitsIsAClick) {
    t.Press(QPoint(100, 100));
    t.Move(QPoint(102, 300));
    t.Release(QPoint(102, 300));
    EXPECT_DOUBLE_EQ(t.map->Scale(), 150);
    EXPECT_NEAR(t.map->GetViewCenter().x(), 102, 1e-3); // around the release point
    EXPECT_NEAR(t.map->GetViewCenter().y(), 300, 1e-3);
}

TEST_F(Lens, ADoubleClickZoomsInTwice) {
    t.DoubleClick(QPoint(300, 200));
    EXPECT_DOUBLE_EQ(t.map->Scale(), 225);
}

TEST(EdgeZones, TheZonesAndTheirOrder) {
    EXPECT_EQ(EdgeZoneAt(600, 300, 30, 10, 150), crOrbLeft);
    EXPECT_EQ(EdgeZoneAt(600, 300, 30, 10, 50), crOrbLeftUp);
    EXPECT_EQ(EdgeZoneAt(600, 300, 30, 300, 10), crOrbUp);
    EXPECT_EQ(EdgeZoneAt(600, 300, 30, 150, 10), crOrbLeftUp);
    EXPECT_EQ(EdgeZoneAt(600, 300, 30, 250, 10), crOrbUp);
    EXPECT_EQ(EdgeZoneAt(600, 300, 30, 30, 100), crOrbLeft); // on both borders: left first
    EXPECT_EQ(EdgeZoneAt(600, 300, 30, 590, 150), crOrbRight);
    EXPECT_EQ(EdgeZoneAt(600, 300, 30, 300, 290), crOrbDown);
    EXPECT_EQ(EdgeZoneAt(600, 300, 30, 590, 20), crOrbRightUp);
    EXPECT_EQ(EdgeZoneAt(600, 300, 30, 590, 290), crOrbRightDown);
    EXPECT_EQ(EdgeZoneAt(600, 300, 30, 10, 290), crOrbLeftDown);
    EXPECT_EQ(EdgeZoneAt(600, 300, 30, 300, 150), 0);
}

TEST(EdgeScroll, HoldingTheButtonInAZoneScrollsUntilTheRelease) {
    TToolMap t;
    t.map->SetInstrument(iDragMap);
    t.map->Options().SetDelayScroll(20);
    int before = 0, after = 0;
    t.map->OnBeforeScroll = [&](TDataMap*) { ++before; };
    t.map->OnAfterScroll = [&](TDataMap*) { ++after; };
    const float x0 = t.map->XWind();
    t.Move(QPoint(595, 200));
    t.onPass = [&](int pass) {
        if (pass == 3) t.Release(QPoint(595, 200));
    };
    t.Press(QPoint(595, 200));
    EXPECT_EQ(t.waits, (std::vector<int>{20, 20, 20}));
    EXPECT_FLOAT_EQ(t.map->XWind(), x0 + 150); // three steps of 50 pixels to the right
    EXPECT_EQ(before, 1);
    EXPECT_EQ(after, 1);
    EXPECT_FALSE(t.controller->Mouse().EdgeScrolling);
    EXPECT_FALSE(t.controller->Drag().Dragging()); // the press never reached the tool
}

TEST(EdgeScroll, LeavingTheZonePausesAndAnotherZoneTurns) {
    TToolMap t;
    t.Move(QPoint(595, 200));
    const float x0 = t.map->XWind(), y0 = t.map->YWind();
    t.onPass = [&](int pass) {
        if (pass == 1) t.Move(QPoint(300, 200)); // out of the zones: pause
        if (pass == 3) t.Move(QPoint(300, 395)); // the bottom zone
        if (pass == 4) t.Release(QPoint(300, 395));
    };
    t.Press(QPoint(595, 200));
    EXPECT_FLOAT_EQ(t.map->XWind(), x0 + 50);
    EXPECT_FLOAT_EQ(t.map->YWind(), y0 + 50);
}

TEST(EdgeScroll, EscEndsTheLoop) {
    TToolMap t;
    t.Move(QPoint(300, 3));
    t.onPass = [&](int pass) {
        if (pass == 2) QTest::keyClick(t.map, Qt::Key_Escape);
        ASSERT_LT(pass, 10);
    };
    t.Press(QPoint(300, 3));
    EXPECT_EQ(t.waits.size(), 2u);
    t.Release(QPoint(300, 3));
}

TEST(EdgeScroll, HidingTheMapEndsTheLoop) {
    TToolMap t;
    t.Move(QPoint(3, 200));
    t.onPass = [&](int pass) {
        if (pass == 2) t.map->hide();
        ASSERT_LT(pass, 10);
    };
    t.Press(QPoint(3, 200));
    EXPECT_EQ(t.waits.size(), 2u);
}

TEST(EdgeScroll, AWindowClosedDuringTheLoopDoesNotCrash) {
    TToolMap t;
    t.map->setAttribute(Qt::WA_DeleteOnClose);
    t.Move(QPoint(3, 200));
    t.onPass = [&](int pass) {
        if (pass == 2) t.map->close();
        ASSERT_LT(pass, 10);
    };
    t.Press(QPoint(3, 200));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(t.map.isNull());
}

TEST(EdgeScroll, AMapDeletedDuringTheLoopDoesNotCrash) {
    TToolMap t;
    t.Move(QPoint(3, 200));
    t.onPass = [&](int pass) {
        if (pass == 2) delete t.map.data();
        ASSERT_LT(pass, 10);
    };
    t.Press(QPoint(3, 200));
    EXPECT_TRUE(t.map.isNull());
}

TEST(AutoScroll, TheStepFollowsThePointersOffset) {
    auto s = AutoScrollStepFor({300, 200}, {330, 200});
    ASSERT_TRUE(s);
    EXPECT_EQ(s->Cursor, crScrRight);
    EXPECT_EQ(s->Step, (TScrollStep{sdRight, 30, 30}));
    s = AutoScrollStepFor({300, 200}, {330, 170}); // equal offsets: diagonal
    EXPECT_EQ(s->Cursor, crScrRightUp);
    EXPECT_EQ(s->Step, (TScrollStep{sdRightUp, 42, 42}));
    s = AutoScrollStepFor({300, 200}, {290, 240}); // mostly down
    EXPECT_EQ(s->Cursor, crScrDown);
    EXPECT_EQ(s->Step.DY, 40);
    s = AutoScrollStepFor({300, 200}, {260, 230});
    EXPECT_EQ(s->Cursor, crScrLeftDown);
    EXPECT_FALSE(AutoScrollStepFor({300, 200}, {300, 200}));
}

TEST(AutoScroll, TheMiddleButtonScrollsTowardsThePointerUntilReleased) {
    TToolMap t;
    t.map->SetInstrument(iLinza);
    const float x0 = t.map->XWind();
    TCursor during = crDefault;
    bool markerShown = false;
    t.onPass = [&](int pass) {
        if (pass == 1) t.Move(QPoint(330, 200));
        if (pass == 3) {
            during = t.map->MapCursor();
            markerShown = t.controller->Mouse().AutoScrolling;
            t.Release(QPoint(330, 200), Qt::MiddleButton);
        }
    };
    t.Press(QPoint(300, 200), Qt::MiddleButton);
    EXPECT_EQ(t.waits.size(), 3u);
    EXPECT_FLOAT_EQ(t.map->XWind(), x0 + 60); // two passes of 30 pixels
    EXPECT_EQ(during, crScrRight);
    EXPECT_TRUE(markerShown);
    EXPECT_EQ(t.map->MapCursor(), crLinza);
    // No press reached the lens.
    EXPECT_DOUBLE_EQ(t.map->Scale(), 100);
}

TEST(AutoScroll, AMapDeletedDuringTheScrollingDoesNotCrash) {
    TToolMap t;
    t.onPass = [&](int pass) {
        if (pass == 1) t.Move(QPoint(330, 200));
        if (pass == 2) delete t.map.data();
        ASSERT_LT(pass, 10);
    };
    t.Press(QPoint(300, 200), Qt::MiddleButton);
    EXPECT_TRUE(t.map.isNull());
}

TEST(AutoScroll, EscEndsTheScrolling) {
    TToolMap t;
    t.onPass = [&](int pass) {
        if (pass == 1) QTest::keyClick(t.map, Qt::Key_Escape);
        ASSERT_LT(pass, 10);
    };
    t.Press(QPoint(300, 200), Qt::MiddleButton);
    EXPECT_FALSE(t.controller->Mouse().AutoScrolling);
}
