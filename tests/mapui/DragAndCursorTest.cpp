// The tool state machine seen through real mouse events: panning, cursors, tool changes and
// double clicks.
#include "MouseTestSupport.h"

#include <gtest/gtest.h>

using namespace mousetest;

namespace {

struct DragMap : ::testing::Test {
    DragMap() { t.map->SetInstrument(iDragMap); }
    TToolMap t;
};

} // namespace

TEST_F(DragMap, ThePointUnderThePointerStaysUnderIt) {
    t.map->SetScale(250);
    const QPointF centre = t.map->GetViewCenter();
    const QPoint from(200, 150);
    const QPointF grabbed = t.MapPoint(from);
    t.Press(from);
    for (QPoint p : {QPoint(203, 151), QPoint(217, 160), QPoint(230, 150), QPoint(180, 120),
                     QPoint(261, 199)}) {
        t.Move(p);
        const QPointF under = t.MapPoint(p);
        EXPECT_NEAR(under.x(), grabbed.x(), 1e-3) << p.x() << "," << p.y();
        EXPECT_NEAR(under.y(), grabbed.y(), 1e-3) << p.x() << "," << p.y();
    }
    t.Release(QPoint(261, 199));
    EXPECT_NEAR(t.map->GetViewCenter().x(), centre.x() - 61 * 100.0 / 250, 1e-3);
    EXPECT_NEAR(t.map->GetViewCenter().y(), centre.y() - 49 * 100.0 / 250, 1e-3);
    // After the release moves no longer pan.
    t.Move(QPoint(300, 300));
    EXPECT_NEAR(t.map->GetViewCenter().x(), centre.x() - 61 * 100.0 / 250, 1e-3);
}

TEST_F(DragMap, ThirtyPixelsRightMoveThePictureRight) {
    t.map->Redraw();
    const QImage before = t.map->Picture().copy();
    const QPointF centre = t.map->GetViewCenter();
    t.Press(QPoint(200, 200));
    t.Move(QPoint(230, 200));
    t.Release(QPoint(230, 200));
    EXPECT_NEAR(t.map->GetViewCenter().x(), centre.x() - 30, 1e-4);
    // The frame was shifted, not rebuilt: the strip uncovered on the left is all that changed.
    EXPECT_EQ(t.map->Picture().copy(100, 0, 100, 400), before.copy(70, 0, 100, 400));
}

TEST_F(DragMap, ThePanStaysInsideTheMapWithTheScrollLimit) {
    t.map->ZoomAt(20, 500, 100);
    t.map->Options().SetLockScrollOutMap(true);
    const QPointF centre = t.map->GetViewCenter();
    ASSERT_NEAR(centre.x(), 20, 1e-3);
    t.Press(QPoint(300, 200));
    // 40 pixels right would put the centre at x = -20: no move at all, not even along y.
    t.Move(QPoint(340, 230));
    EXPECT_EQ(t.map->GetViewCenter(), centre);
    t.Move(QPoint(200, 230));
    EXPECT_NEAR(t.map->GetViewCenter().x(), centre.x() + 100, 1e-4);
    EXPECT_NEAR(t.map->GetViewCenter().y(), centre.y() - 30, 1e-4);
    t.Release(QPoint(200, 230));
}

TEST_F(DragMap, MovesInsideAnEdgeZoneDoNotPan) {
    t.Press(QPoint(200, 200));
    t.Move(QPoint(210, 200));
    const QPointF centre = t.map->GetViewCenter();
    t.Move(QPoint(5, 200)); // the left zone
    EXPECT_EQ(t.map->GetViewCenter(), centre);
    EXPECT_EQ(t.map->MapCursor(), crOrbLeft);
    t.Release(QPoint(5, 200));
}

TEST_F(DragMap, TheHandShowsAtTheFirstMoveAndTheZonesShowArrows) {
    EXPECT_EQ(t.map->MapCursor(), crDefault); // the hand waits for the pointer
    t.Move(QPoint(300, 200));
    EXPECT_EQ(t.map->MapCursor(), crOrbHand);
    EXPECT_EQ(t.map->cursor().shape(), Qt::BitmapCursor);
    t.Move(QPoint(300, 5));
    EXPECT_EQ(t.map->MapCursor(), crOrbUp);
    t.Move(QPoint(595, 395));
    EXPECT_EQ(t.map->MapCursor(), crOrbRightDown);
    t.map->Options().SetmpNoScroll(true);
    t.Move(QPoint(2, 200));
    EXPECT_EQ(t.map->MapCursor(), crOrbHand);
}

TEST(ToolChange, WritingTheToolFiresTheEventAndSetsTheCursor) {
    TToolMap t;
    int changes = 0;
    t.map->OnChangeInstrument = [&](TDataMap*) { ++changes; };
    t.map->SetInstrument(iLinza);
    EXPECT_EQ(t.map->MapCursor(), crLinza);
    t.map->SetInstrument(iLinza);
    EXPECT_EQ(changes, 2); // also when the tool does not change
    t.map->SetInstrument(iDragMap);
    EXPECT_EQ(t.map->MapCursor(), crDefault);
}

TEST(ToolChange, AHostCursorReplacesTheMapsOwn) {
    TToolMap t;
    std::vector<TCursor> asked;
    t.map->OnCursorChange = [&](TCursor& c, bool& active) {
        asked.push_back(c);
        if (c == crLinza) {
            c = crCross;
            active = true;
        }
    };
    t.map->SetInstrument(iLinza);
    EXPECT_EQ(t.map->MapCursor(), crCross);
    EXPECT_EQ(t.map->cursor().shape(), Qt::CrossCursor);
    t.Move(QPoint(300, 200));
    EXPECT_EQ(t.map->MapCursor(), crCross);
    EXPECT_EQ(asked.back(), crLinza);
}

TEST(ToolChange, NoToolAndPixelIgnoreTheMouse) {
    for (TInstrument tool : {iNone, iPixel, iPolygon, iRectangle, iText, iZametka}) {
        TToolMap t;
        t.map->SetInstrument(tool);
        const QPointF centre = t.map->GetViewCenter();
        const double scale = t.map->Scale();
        t.Click(QPoint(300, 200));
        t.Click(QPoint(300, 200), Qt::RightButton);
        t.Move(QPoint(320, 220));
        EXPECT_EQ(t.map->GetViewCenter(), centre) << int(tool);
        EXPECT_EQ(t.map->Scale(), scale) << int(tool);
    }
}

TEST(ToolChange, TheMapsOwnEventsSeeThePressFirst) {
    TToolMap t;
    t.map->SetInstrument(iMeasure);
    size_t pointsSeen = 99;
    TMouseButton button = mbMiddle;
    t.map->OnMouseDown = [&](TDataMap*, TMouseButton b, Qt::KeyboardModifiers, QPoint) {
        pointsSeen = t.controller->Measure().Points().size();
        button = b;
    };
    t.Click(QPoint(100, 100));
    EXPECT_EQ(pointsSeen, 0u);
    EXPECT_EQ(button, mbLeft);
    EXPECT_TRUE(t.map->hasFocus() || !t.map->isActiveWindow());
}
