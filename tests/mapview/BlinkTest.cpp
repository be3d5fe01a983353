// Blinking: the timer inverts only the listed objects and rebuilds only their rectangles; the
// cross-hair is an XOR mark of the back buffer.
#include "RenderTestSupport.h"

#include <gtest/gtest.h>

using namespace rendertest;
using tsivor::mapdata::TORBMapBrush;
using tsivor::mapdata::TORBMapPen;

namespace {

constexpr TColor kBlack = 0x000000, kWhite = 0xFFFFFF, kRed = 0x0000FF, kGreen = 0x00FF00;

struct Blinking : ::testing::Test {
    Blinking() {
        // A black-rimmed white house and a green one beside it.
        TORBMapObjectMem& house = AddRect(t.Doc(), 20, 20, 60, 60, kWhite);
        house.Pen.Color = kBlack;
        house.Pen.Width = 4;
        AddRect(t.Doc(), 100, 20, 140, 60, kGreen);
        t.Frame();
        t.map.ClearRedrawLog();
    }
    TTestMap t;
};

} // namespace

TEST_F(Blinking, TheTimerStartsAt750Milliseconds) {
    EXPECT_EQ(t.map.TimerInterval(), 750);
    t.map.SetTimerInterval(300);
    EXPECT_EQ(t.map.TimerInterval(), 300);
}

TEST_F(Blinking, TheOnPhaseInvertsOnlyTheListedObject) {
    t.map.SetBlinkObjects({0});
    EXPECT_EQ(t.map.RedrawLog().RectPasses, 0); // nothing until the tick
    t.map.BlinkTimerTick();
    EXPECT_TRUE(t.map.BlinkPhase());
    EXPECT_EQ(PixelColor(t.map.Picture(), 40, 40), kBlack);  // white fill turned black
    EXPECT_EQ(PixelColor(t.map.Picture(), 20, 40), kWhite);  // black pen turned white
    EXPECT_EQ(PixelColor(t.map.Picture(), 120, 40), kGreen); // not listed
    // Only the object's rectangle was rebuilt, not the frame.
    EXPECT_EQ(t.map.RedrawLog().FullFrames, 0);
    ASSERT_EQ(t.map.RedrawLog().Strips.size(), 1u);
    EXPECT_FALSE(t.map.RedrawLog().Strips[0].contains(120, 40));
    t.map.BlinkTimerTick();
    EXPECT_FALSE(t.map.BlinkPhase());
    EXPECT_EQ(PixelColor(t.map.Picture(), 40, 40), kWhite);
}

TEST_F(Blinking, TheHostMayRecolourTheOnPhase) {
    t.map.OnBlinkObject() = [](const TORBMapObjectMem&, TORBMapPen&, TORBMapBrush& brush) {
        brush.Color = kRed;
    };
    t.map.SetBlinkObjects({1});
    t.map.BlinkTimerTick();
    EXPECT_EQ(PixelColor(t.map.Picture(), 120, 40), kRed);
    t.map.BlinkTimerTick();
    EXPECT_EQ(PixelColor(t.map.Picture(), 120, 40), kGreen);
}

TEST_F(Blinking, AnEmptyListStopsWithoutARedrawAndClearingRedraws) {
    t.map.SetBlinkObjects({0});
    t.map.BlinkTimerTick();
    t.map.SetBlinkObjects({});
    t.map.ClearRedrawLog();
    t.map.BlinkTimerTick();
    EXPECT_EQ(t.map.RedrawLog().RectPasses, 0);
    EXPECT_EQ(PixelColor(t.map.Picture(), 40, 40), kBlack); // the last phase stays
    t.map.ClearBlinkObjects();
    EXPECT_EQ(t.map.RedrawLog().FullFrames, 1);
    EXPECT_EQ(PixelColor(t.map.Picture(), 40, 40), kWhite);
    // The phase goes on from where it was.
    EXPECT_TRUE(t.map.BlinkPhase());
}

TEST_F(Blinking, AnObjectOutsideTheViewCostsNoDrawing) {
    AddRect(t.Doc(), 1000, 1000, 1040, 1040, kGreen);
    t.map.SetBlinkObjects({2});
    t.map.BlinkTimerTick();
    EXPECT_EQ(t.map.RedrawLog().RectPasses, 0);
}

TEST_F(Blinking, NotesNeverBlink) {
    auto note = std::make_unique<TORBMapObjectMem>();
    TORBMapZametka z;
    z.X = 170, z.Y = 100;
    z.NameLib = "Default";
    note->SetZametka(z);
    t.Doc().CalcObjectBox(*note);
    t.Doc().Append(std::move(note));
    const QImage before = t.Frame().copy();
    t.map.SetBlinkObjects({2});
    t.map.BlinkTimerTick();
    EXPECT_EQ(t.map.Picture(), before);
}

TEST_F(Blinking, AnEmptyDocumentEmptiesTheList) {
    t.map.SetBlinkObjects({0, 1});
    while (t.map.ObjectCount() > 0) t.map.DeleteObject(0, false);
    t.map.BlinkTimerTick();
    EXPECT_TRUE(t.map.BlinkObjects().empty());
}

TEST_F(Blinking, TheCrossHairErasesItself) {
    const QImage before = t.map.Picture().copy();
    t.map.DrawCrossHair(0);
    // Through the centre (40, 40) of the house, not elsewhere.
    EXPECT_NE(t.map.Picture().copy(40, 0, 1, 150), before.copy(40, 0, 1, 150));
    EXPECT_NE(t.map.Picture().copy(0, 40, 200, 1), before.copy(0, 40, 200, 1));
    EXPECT_EQ(t.map.Picture().copy(45, 0, 10, 30), before.copy(45, 0, 10, 30));
    t.map.DrawCrossHair(0);
    EXPECT_EQ(t.map.Picture(), before);
    t.map.DrawCrossHair(-1);
    EXPECT_EQ(t.map.Picture(), before);
}

TEST_F(Blinking, TheCrossHairStaysThroughTheBlinking) {
    t.map.DrawCrossHair(0);
    const QImage marked = t.map.Picture().copy();
    t.map.SetBlinkObjects({0});
    t.map.BlinkTimerTick();
    t.map.BlinkTimerTick();
    EXPECT_EQ(t.map.Picture(), marked);
    // A new frame replaces it.
    t.Frame();
    t.map.DrawCrossHair(0);
    EXPECT_EQ(t.map.Picture(), marked);
}
