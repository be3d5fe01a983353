// Frames of a map whose drawing waits for the next paint: none is drawn before it is seen, and
// the one drawn then is the frame an immediate redraw would have drawn.
#include "mapview/DataMap.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

using namespace tsivor::mapview;
using namespace tsivor::mapdata;

namespace {

// A 300 x 200 map with two filled squares, drawn at once or deferred.
struct SquaresMap {
    explicit SquaresMap(bool deferred) {
        map.resize(300, 200);
        map.SetDeferFrames(deferred);
        map.SetBackgroundColor(0x00E0E0E0);
        AddSquare(10, 10, 0x000000FF);
        AddSquare(120, 60, 0x0000FF00);
        map.MarkDirty();
        map.Redraw();
    }
    void AddSquare(float x, float y, TColor colour) {
        auto o = std::make_unique<TORBMapObjectMem>();
        o->ObjectType = cPolygon;
        o->Count = 4;
        o->Points = std::make_unique<TORBMapPoint[]>(4);
        o->Points[0] = {x, y};
        o->Points[1] = {x + 50, y};
        o->Points[2] = {x + 50, y + 50};
        o->Points[3] = {x, y + 50};
        o->Brush = TORBMapBrush{colour, 0};
        map.Document().CalcObjectBox(*o);
        map.Document().Append(std::move(o));
    }
    TDataMap map;
};

} // namespace

TEST(DeferredFrames, NothingIsDrawnUntilTheResetWhichDrawsTheFrameOnce) {
    SquaresMap now(false), later(true);
    later.map.SetScale(100);
    later.map.RedrawRects({QRect(0, 0, 40, 40)});
    EXPECT_EQ(later.map.RedrawLog().FullFrames, 0);
    EXPECT_EQ(later.map.RedrawLog().RectPasses, 0);
    EXPECT_TRUE(later.map.Dirty());
    EXPECT_FALSE(later.map.PictureFitsControl()) << "not even the picture was made";

    later.map.SetDeferFrames(false);
    EXPECT_EQ(later.map.RedrawLog().FullFrames, 1);
    EXPECT_FALSE(later.map.Dirty());
    ASSERT_TRUE(later.map.PictureFitsControl());
    EXPECT_EQ(later.map.Picture(), now.map.Picture());
    // Nothing was waiting any more: a second reset draws nothing.
    later.map.SetDeferFrames(false);
    EXPECT_EQ(later.map.RedrawLog().FullFrames, 1);
}

TEST(DeferredFrames, APaintDrawsTheWaitingFrameAndLaterChangesWaitAgain) {
    SquaresMap now(false), later(true);
    later.map.grab(); // a paint of the control, handled at once
    EXPECT_EQ(later.map.RedrawLog().FullFrames, 1);
    EXPECT_EQ(later.map.Picture(), now.map.Picture());

    // Still deferred: a change waits for the next paint, which draws the changed view.
    later.map.SetScale(200);
    EXPECT_EQ(later.map.RedrawLog().FullFrames, 1);
    later.map.grab();
    EXPECT_EQ(later.map.RedrawLog().FullFrames, 2);
    now.map.SetScale(200);
    EXPECT_EQ(later.map.Picture(), now.map.Picture());
}
