// The selection tools without editing: picking with and without Shift, and the polygonal and
// rectangular selection regions with their events.
#include "MouseTestSupport.h"

#include <gtest/gtest.h>

using namespace mousetest;

namespace {

struct Selecting : ::testing::Test {
    Selecting() {
        a = t.AddBox(100, 100, 150, 150);
        b = t.AddBox(200, 100, 250, 150);
        c = t.AddBox(300, 100, 350, 150);
        t.map->OnRegion = [this](TDataMap*, const std::vector<int>& s) { regions.push_back(s); };
        t.map->OnAfterRegion = [this](TDataMap*, const std::vector<int>& s) {
            finished.push_back(s);
        };
    }
    const std::vector<int>& Selection() { return t.map->SelectedObjects(); }
    TToolMap t{600, 400, false};
    int a = -1, b = -1, c = -1;
    std::vector<std::vector<int>> regions, finished;
};

} // namespace

TEST_F(Selecting, APickSelectsTheObjectUnderThePointer) {
    t.map->SetInstrument(iPick);
    t.Click(QPoint(120, 120));
    EXPECT_EQ(Selection(), std::vector<int>{a});
    EXPECT_TRUE(t.map->SelectedObject());
    ASSERT_EQ(regions.size(), 1u);
    EXPECT_EQ(regions[0], std::vector<int>{a});
    // Without Shift the selection becomes the one object.
    t.Click(QPoint(220, 120));
    EXPECT_EQ(Selection(), std::vector<int>{b});
}

TEST_F(Selecting, ShiftAddsAndRemoves) {
    t.map->SetInstrument(iPick);
    t.Click(QPoint(120, 120));
    t.Press(QPoint(220, 120), Qt::LeftButton, Qt::ShiftModifier);
    t.Release(QPoint(220, 120), Qt::LeftButton, Qt::ShiftModifier);
    EXPECT_EQ(Selection(), (std::vector<int>{a, b}));
    t.Press(QPoint(120, 120), Qt::LeftButton, Qt::ShiftModifier);
    t.Release(QPoint(120, 120), Qt::LeftButton, Qt::ShiftModifier);
    EXPECT_EQ(Selection(), std::vector<int>{b});
}

TEST_F(Selecting, ARightPickKeepsTheSelectionAndAMissClearsIt) {
    t.map->SetInstrument(iPick);
    t.Click(QPoint(120, 120));
    t.Click(QPoint(220, 120), Qt::RightButton);
    EXPECT_EQ(Selection(), std::vector<int>{a});
    EXPECT_EQ(regions.size(), 1u);
    t.Click(QPoint(500, 300));
    EXPECT_TRUE(Selection().empty());
    EXPECT_FALSE(t.map->SelectedObject());
}

TEST_F(Selecting, ARegionFollowsThePointerAndARightPressFinishesIt) {
    t.map->SetInstrument(iRegion);
    t.Click(QPoint(50, 50));
    ASSERT_EQ(regions.size(), 1u);
    auto& region = static_cast<TRegionTool&>(t.controller->Tool(iRegion));
    t.Move(QPoint(400, 50));
    ASSERT_EQ(region.Points().size(), 3u);
    EXPECT_FLOAT_EQ(region.Points()[2].X, 400);
    EXPECT_EQ(regions.size(), 2u);
    t.Click(QPoint(400, 50));
    t.Move(QPoint(400, 200));
    t.Click(QPoint(400, 200));
    t.Move(QPoint(50, 200));
    EXPECT_EQ(Selection(), (std::vector<int>{a, b, c}));
    t.Click(QPoint(50, 200), Qt::RightButton);
    ASSERT_EQ(finished.size(), 1u);
    EXPECT_EQ(finished[0], (std::vector<int>{a, b, c}));
    EXPECT_TRUE(region.Points().empty());
}

TEST_F(Selecting, ADraggedRectangleSelectsOnRelease) {
    t.map->SetInstrument(iRegionRect);
    auto& region = static_cast<TRegionRectTool&>(t.controller->Tool(iRegionRect));
    t.Press(QPoint(90, 90));
    t.Move(QPoint(260, 160));
    ASSERT_EQ(region.Points().size(), 4u);
    EXPECT_FLOAT_EQ(region.Points()[1].X, 260);
    EXPECT_FLOAT_EQ(region.Points()[1].Y, 90);
    EXPECT_FLOAT_EQ(region.Points()[3].X, 90);
    EXPECT_FLOAT_EQ(region.Points()[3].Y, 160);
    EXPECT_TRUE(regions.empty());
    t.Release(QPoint(260, 160));
    ASSERT_EQ(regions.size(), 1u);
    EXPECT_EQ(regions[0], (std::vector<int>{a, b}));
    ASSERT_EQ(finished.size(), 1u);
    EXPECT_TRUE(region.Points().empty());
}

TEST_F(Selecting, OnlyTheMinimumAndMaximumCornersAreTested) {
    // A slanted band along the diagonal holds (100, 100) and (150, 150) only.
    t.map->SetInstrument(iRegion);
    t.Click(QPoint(90, 95));
    t.Move(QPoint(105, 90));
    t.Click(QPoint(105, 90));
    t.Move(QPoint(160, 155));
    t.Click(QPoint(160, 155));
    t.Move(QPoint(145, 160));
    EXPECT_EQ(Selection(), std::vector<int>{a});
}

TEST_F(Selecting, TheIndexGivesTheSameSelection) {
    t.map->SetUseIndex(true);
    t.map->SetInstrument(iRegionRect);
    t.Press(QPoint(190, 90));
    t.Move(QPoint(360, 160));
    t.Release(QPoint(360, 160));
    EXPECT_EQ(regions.back(), (std::vector<int>{b, c}));
}

TEST_F(Selecting, SeveralSelectedObjectsAreFramedOverTheFrame) {
    t.map->SetInstrument(iRegionRect);
    t.map->Redraw();
    const QImage frame = t.map->Picture().copy();
    t.Press(QPoint(90, 90));
    t.Move(QPoint(260, 160));
    t.Release(QPoint(260, 160));
    EXPECT_EQ(t.map->Picture(), frame);
    const QImage shown = t.map->grab().toImage();
    // The dotted frame runs along y = 100 from x = 100 to 250.
    EXPECT_NE(shown.copy(100, 100, 150, 1), frame.copy(100, 100, 150, 1));
}

TEST_F(Selecting, ChangingTheToolEndsTheRegion) {
    t.map->SetInstrument(iRegion);
    t.Click(QPoint(50, 50));
    auto& region = static_cast<TRegionTool&>(t.controller->Tool(iRegion));
    t.map->SetInstrument(iDragMap);
    EXPECT_TRUE(region.Points().empty());
}
