// The cut of a frame into two bands of equal estimated work.
#include "mapview/BandCut.h"

#include <gtest/gtest.h>

using tsivor::mapview::TBandCut;

TEST(BandCut, NoWorkCutsInTheMiddle) {
    EXPECT_EQ(TBandCut(1080).EvenCut(), 540);
    EXPECT_EQ(TBandCut(301).EvenCut(), 150);
}

TEST(BandCut, WorkSpreadOverAllRowsCutsInTheMiddle) {
    TBandCut cut(1000);
    cut.Add(0, 1000, 500);
    EXPECT_EQ(cut.EvenCut(), 500);
}

TEST(BandCut, WorkInTheTopRowsCutsThere) {
    TBandCut cut(1000);
    cut.Add(0, 100, 50);
    cut.Add(20, 40, 10);
    // 60 in all: the rows [0, 40) hold 20 + 10 of it.
    EXPECT_EQ(cut.EvenCut(), 40);
}

TEST(BandCut, OnlyTheRowsWithinTheFrameCount) {
    TBandCut cut(1000);
    cut.Add(-100, 100, 10); // all of it in the rows [0, 100)
    cut.Add(900, 1400, 30); // all of it in the rows [900, 1000), 0.3 a row
    cut.Add(-50, -1, 1000);
    cut.Add(1000, 1200, 1000);
    EXPECT_EQ(cut.EvenCut(), 933);
}

TEST(BandCut, HeavyRowsAreSplitByTheirShare) {
    TBandCut cut(1000);
    cut.Add(0, 10, 3);
    cut.Add(900, 1000, 1);
    // 0.3 a row over the first ten rows: two of the four above row 7.
    EXPECT_EQ(cut.EvenCut(), 7);
}

TEST(BandCut, RowsWithoutWorkLeaveTheCutNearestTheMiddle) {
    TBandCut cut(1000);
    cut.Add(0, 100, 10);
    cut.Add(700, 1000, 10);
    EXPECT_EQ(cut.EvenCut(), 500);
    TBandCut gap(1000);
    gap.Add(0, 100, 10);
    gap.Add(300, 400, 10);
    EXPECT_EQ(gap.EvenCut(), 300);
}

TEST(BandCut, BothBandsKeepARow) {
    TBandCut top(500), bottom(500), two(2);
    top.Add(0, 0.5, 100);
    bottom.Add(499.2, 499.9, 100);
    two.Add(0, 1, 100);
    // However the work lies, no band is empty.
    for (const TBandCut* c : {&top, &bottom, &two}) {
        EXPECT_GE(c->EvenCut(), 1);
        EXPECT_LE(c->EvenCut(), c == &two ? 1 : 499);
    }
}
