// The one selected object: its outline and handles painted over the frame, the bookkeeping of
// a pick (undo armed, editing mode) and the cursors over its handles, through real mouse
// events.
#include "MouseTestSupport.h"

#include "mapdata/MapObject.h"

#include <gtest/gtest.h>

using namespace mousetest;

namespace {

struct SelectedObject : ::testing::Test {
    SelectedObject() {
        a = t.AddBox(100, 100, 150, 150);
        b = t.AddBox(300, 100, 400, 200);
        t.map->SetInstrument(iPick);
        t.map->Redraw();
        frame = t.map->Picture().copy();
    }
    QImage Shown() { return t.map->grab().toImage(); }
    // How many pixels of the square of half-size r around c the overlays changed.
    int Changed(const QImage& shown, QPoint c, int r = 2) {
        int n = 0;
        for (int y = c.y() - r; y <= c.y() + r; ++y)
            for (int x = c.x() - r; x <= c.x() + r; ++x)
                n += shown.pixel(x, y) != frame.pixel(x, y);
        return n;
    }
    void Options(const std::function<void(tOrbMapOptions&)>& set) {
        t.map->Options().NotifyChange = false;
        set(t.map->Options());
        t.map->Options().NotifyChange = true;
    }
    TToolMap t{600, 400, false};
    int a = -1, b = -1;
    QImage frame;
};

const QPoint kCorner(100, 100), kTopMiddle(125, 100), kRightMiddle(150, 125), kCentre(125, 125);

} // namespace

TEST_F(SelectedObject, TheOutlineAndHandlesArePaintedOverTheFrameNeverIntoIt) {
    t.Click(kCentre);
    ASSERT_TRUE(t.map->SelectedObject());
    EXPECT_EQ(t.map->Picture(), frame);
    const QImage shown = Shown();
    // Resize handles on the corners and side middles, the dotted outline between them.
    for (QPoint h : {kCorner, kTopMiddle, QPoint(150, 100), kRightMiddle, QPoint(150, 150),
                     QPoint(125, 150), QPoint(100, 150), QPoint(100, 125)})
        EXPECT_GT(Changed(shown, h, 5), 24) << h.x() << "," << h.y(); // a hollow square
    EXPECT_GT(Changed(shown, QPoint(112, 100), 1), 0);
    EXPECT_EQ(Changed(shown, kCentre, 10), 0);
    EXPECT_EQ(Changed(shown, QPoint(350, 150), 60), 0);
}

TEST_F(SelectedObject, WithoutEditingOrLockedOnlyTheOutlineShows) {
    t.Click(kCentre);
    Options([](tOrbMapOptions& o) { o.SetmpEdit(false); });
    QImage shown = Shown();
    EXPECT_GT(Changed(shown, QPoint(112, 100), 1), 0);           // the outline
    EXPECT_EQ(Changed(shown, QPoint(112, 106), 3), 0);           // no handle reaches in
    EXPECT_LE(Changed(shown, kCorner), 5) << "only the outline"; // a corner of the dots

    Options([](tOrbMapOptions& o) {
        o.SetmpEdit(true);
        o.SetmpLocked(true);
    });
    t.map->BufferObject().Locked = 1;
    shown = Shown();
    EXPECT_LE(Changed(shown, kTopMiddle, 3), 7);
    // Without the outline option nothing at all is drawn.
    Options([](tOrbMapOptions& o) { o.SetBorderSelectedObject(false); });
    EXPECT_EQ(Changed(Shown(), kTopMiddle, 5), 0);
}

TEST_F(SelectedObject, EachEditModeShowsItsHandles) {
    t.Click(kCentre);
    t.map->SetEditMode(emRotate);
    QImage shown = Shown();
    EXPECT_GT(Changed(shown, kCorner, 6), 10);   // circles on the corners
    EXPECT_EQ(Changed(shown, kTopMiddle, 2), 1); // nothing on the side middles but the dots
    EXPECT_GT(Changed(shown, kCentre, 5), 8);    // the rotation centre with its cross

    t.map->SetEditMode(emNodes);
    shown = Shown();
    EXPECT_GT(Changed(shown, kCorner, 4), 8); // the points of the box
    EXPECT_EQ(Changed(shown, kCentre, 5), 0);
    EXPECT_LE(Changed(shown, kTopMiddle, 2), 1);
}

TEST_F(SelectedObject, APickArmsTheUndoAndAMissDisarmsIt) {
    t.Click(kCentre);
    EXPECT_TRUE(t.map->UndoJournal().Armed());
    EXPECT_EQ(t.map->CurrentIndex(), a);
    t.map->SetEditMode(emRotate);
    // The same object again keeps its mode; another one starts resizing.
    t.Click(QPoint(120, 130));
    EXPECT_EQ(t.map->EditMode(), emRotate);
    t.Click(QPoint(350, 150));
    EXPECT_EQ(t.map->EditMode(), emResize);
    t.map->SetEditMode(emNodes);
    t.Click(QPoint(500, 350));
    EXPECT_FALSE(t.map->UndoJournal().Armed());
    EXPECT_FALSE(t.map->SelectedObject());
    EXPECT_EQ(t.map->EditMode(), emResize);
    EXPECT_EQ(Shown(), frame);
}

TEST_F(SelectedObject, ATextStartsWithItsNodes) {
    auto& text = *t.map->Document().Objects[size_t(b)];
    const auto box = text.Box;
    tsivor::mapdata::TORBMapText attrs;
    attrs.X = 300, attrs.Y = 200, attrs.Size = 100, attrs.Text = QStringLiteral("Ж");
    text.SetText(attrs);
    text.Box = box;
    t.Click(QPoint(350, 150));
    ASSERT_EQ(t.map->CurrentIndex(), b);
    EXPECT_EQ(t.map->EditMode(), emNodes);
}

TEST_F(SelectedObject, TheCursorTellsTheHandleUnderThePointer) {
    std::vector<TCursor> asked;
    t.map->OnCursorChange = [&](TCursor& c, bool&) { asked.push_back(c); };
    t.Click(kCentre);
    const std::vector<std::pair<QPoint, TCursor>> resize{
        {kCorner, crSizeNWSE},    {kTopMiddle, crSizeNS},         {QPoint(151, 99), crSizeNESW},
        {kRightMiddle, crSizeWE}, {QPoint(148, 152), crSizeNWSE}, {QPoint(97, 151), crSizeNESW},
        {kCentre, crDefault}};
    for (const auto& [p, cursor] : resize) {
        t.Move(p);
        EXPECT_EQ(t.map->MapCursor(), cursor) << p.x() << "," << p.y();
    }
    EXPECT_EQ(asked.back(), crDefault);
    t.Move(kCorner);
    EXPECT_EQ(asked.back(), crSizeNWSE);
    EXPECT_EQ(t.map->cursor().shape(), Qt::SizeFDiagCursor);

    t.map->SetEditMode(emRotate);
    t.Move(kCorner + QPoint(3, -4));
    EXPECT_EQ(t.map->MapCursor(), crRotate);
    EXPECT_EQ(t.map->cursor().shape(), Qt::BitmapCursor);
    t.Move(kCentre);
    EXPECT_EQ(t.map->MapCursor(), crSizeAll);
    t.Move(kTopMiddle);
    EXPECT_EQ(t.map->MapCursor(), crDefault);

    t.map->SetEditMode(emNodes);
    t.Move(QPoint(150, 150));
    EXPECT_EQ(t.map->MapCursor(), crMovePixel);
    t.Move(QPoint(156, 150));
    EXPECT_EQ(t.map->MapCursor(), crDefault);
}

TEST_F(SelectedObject, LockedObjectsAndOtherToolsKeepTheirCursor) {
    t.Click(kCentre);
    Options([](tOrbMapOptions& o) { o.SetmpLocked(true); });
    t.map->BufferObject().Locked = 1;
    t.Move(kCorner);
    EXPECT_EQ(t.map->MapCursor(), crDefault);

    t.map->BufferObject().Locked = 0;
    Options([](tOrbMapOptions& o) { o.SetmpEdit(false); });
    t.Move(kTopMiddle);
    EXPECT_EQ(t.map->MapCursor(), crDefault);
    t.map->SetInstrument(iLinza);
    t.Move(kCorner);
    EXPECT_EQ(t.map->MapCursor(), crLinza);

    Options([](tOrbMapOptions& o) { o.SetmpEdit(true); });
    t.map->SetInstrument(iDragMap);
    t.Move(kCorner);
    EXPECT_EQ(t.map->MapCursor(), crOrbHand);
}
