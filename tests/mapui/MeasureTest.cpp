// Measuring: the lengths reported while the polyline is clicked, its cancel rules and its
// label.
#include "MouseTestSupport.h"

#include "mapui/MeasureTool.h"

#include <QLocale>

#include <gtest/gtest.h>

using namespace mousetest;
using tsivor::mapdata::TORBMapPoint;

namespace {

struct Measuring : ::testing::Test {
    Measuring() {
        t.map->SetInstrument(iMeasure);
        t.map->Document().Header.Mashtab = 1000;
        t.map->OnMeasure = [this](TDataMap*, double d, double last) {
            reports.push_back({d, last});
        };
    }
    const std::vector<TORBMapPoint>& Points() { return t.controller->Measure().Points(); }
    TToolMap t;
    std::vector<std::pair<double, double>> reports;
};

} // namespace

TEST(PolylineLength, GroundLengthsFollowTheMapScale) {
    const std::vector<TORBMapPoint> line{{0, 0}, {300, 400}};
    EXPECT_FLOAT_EQ(PolylineLength(line, 2000), 1000);
    EXPECT_FLOAT_EQ(PolylineLength(line, 0), 0);
    EXPECT_FLOAT_EQ(PolylineLength(std::span(line).first(1), 2000), 0);
    const std::vector<TORBMapPoint> three{{0, 0}, {3, 4}, {3, 10}};
    EXPECT_FLOAT_EQ(PolylineLength(three, 1000), 11);
}

TEST(MeasureLabel, OneDecimalWithTheSystemSeparator) {
    const QLocale saved;
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    EXPECT_EQ(MeasureLabel(1000), QStringLiteral("L= 1000,0 m"));
    EXPECT_EQ(MeasureLabel(0.04), QStringLiteral("L= 0,0 m"));
    QLocale::setDefault(QLocale::c());
    EXPECT_EQ(MeasureLabel(12.25), QStringLiteral("L= 12.3 m"));
    QLocale::setDefault(saved);
}

TEST(MeasureLabel, TheTextNeverStandsOnItsHead) {
    const QSize size(600, 400);
    // Pointing right: angle 0, centred on the middle (shifted back by half the text).
    TMeasureLabelPlace p = MeasureLabelPlace({100, 100}, {300, 100}, size, 40);
    EXPECT_DOUBLE_EQ(p.Angle, 0);
    EXPECT_EQ(p.Origin, QPointF(180, 100));
    // Pointing left: upright at 360, shifted the other way along the segment.
    p = MeasureLabelPlace({300, 100}, {100, 100}, size, 40);
    EXPECT_DOUBLE_EQ(p.Angle, 360);
    EXPECT_EQ(p.Origin, QPointF(180, 100));
    // Pointing up the screen is 90 degrees.
    p = MeasureLabelPlace({100, 300}, {100, 100}, size, 0);
    EXPECT_DOUBLE_EQ(p.Angle, 90);
}

TEST(MeasureLabel, AnOffScreenStartPutsTheLabelOnTheVisiblePart) {
    const TMeasureLabelPlace p = MeasureLabelPlace({-400, 100}, {200, 100}, {600, 400}, 0);
    EXPECT_EQ(p.Origin, QPointF(100, 100));
}

TEST_F(Measuring, OnePressMakesTwoPointsOfLengthZero) {
    t.Click(QPoint(100, 100));
    ASSERT_EQ(Points().size(), 2u);
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0], std::make_pair(0.0, 0.0));
}

TEST_F(Measuring, TheLastPointFollowsThePointer) {
    t.map->Document().Header.Mashtab = 2000;
    t.Click(QPoint(100, 100));
    t.Move(QPoint(400, 500 - 100)); // 300 right, 300 down
    t.Move(QPoint(400, 500));
    ASSERT_FALSE(reports.empty());
    EXPECT_FLOAT_EQ(float(reports.back().first), 1000); // (300, 400) units at 1:2000
    EXPECT_FLOAT_EQ(float(reports.back().second), 1000);
}

TEST_F(Measuring, ThreePointsReportTheWholeLineAndTheLastSegment) {
    t.map->SetScale(10000); // 100 pixels per unit
    t.Click(QPoint(0 + 10, 0 + 10));
    t.Move(QPoint(310, 410));
    t.Click(QPoint(310, 410));
    t.Move(QPoint(310, 1010 - 600)); // stays at the second point
    t.Move(QPoint(310, 1010));
    // Beyond the control the point still follows: (0.1,0.1) (3.1,4.1) (3.1,10.1).
    ASSERT_EQ(Points().size(), 3u);
    EXPECT_NEAR(reports.back().first, 11, 1e-4);
    EXPECT_NEAR(reports.back().second, 6, 1e-4);
}

TEST_F(Measuring, ARightPressCancelsWithoutAReport) {
    t.Click(QPoint(100, 100));
    t.Click(QPoint(200, 100));
    const size_t before = reports.size();
    t.Click(QPoint(200, 100), Qt::RightButton);
    EXPECT_TRUE(Points().empty());
    EXPECT_EQ(reports.size(), before);
}

TEST_F(Measuring, WithDoubleClicksCancellingARightPressDoesNothing) {
    t.map->Options().SetCancelAction(tsivor::mapview::orbDblClick);
    t.Click(QPoint(100, 100));
    t.Click(QPoint(200, 100), Qt::RightButton);
    EXPECT_EQ(Points().size(), 2u);
    const size_t before = reports.size();
    t.DoubleClick(QPoint(200, 100));
    EXPECT_TRUE(Points().empty());
    EXPECT_EQ(reports.size(), before + 1); // the first press of the double click only
}

TEST_F(Measuring, ADoubleClickSwallowsTheFollowingPress) {
    t.Click(QPoint(100, 100));
    t.Click(QPoint(200, 100));
    ASSERT_EQ(Points().size(), 3u);
    // Press, release, double click (the second press): the second press is swallowed.
    t.DoubleClick(QPoint(250, 100));
    EXPECT_EQ(Points().size(), 4u);
    t.Click(QPoint(300, 100));
    EXPECT_EQ(Points().size(), 5u);
}

TEST_F(Measuring, ChangingTheToolEndsTheMeasurement) {
    int changes = 0;
    t.map->OnChangeInstrument = [&](TDataMap*) { ++changes; };
    t.Click(QPoint(100, 100));
    t.map->SetInstrument(iMeasure);
    EXPECT_TRUE(Points().empty());
    EXPECT_EQ(changes, 1);
}

TEST_F(Measuring, APressInAnEdgeZoneAddsNoPoint) {
    t.Move(QPoint(3, 200));
    t.onPass = [&](int pass) {
        if (pass == 1) t.Release(QPoint(3, 200));
    };
    t.Press(QPoint(3, 200));
    EXPECT_TRUE(Points().empty());
    EXPECT_TRUE(reports.empty());
}

TEST_F(Measuring, TheLineIsDrawnOverTheFrameNotIntoIt) {
    t.map->Redraw();
    const QImage frame = t.map->Picture().copy();
    t.Click(QPoint(100, 100));
    t.Move(QPoint(300, 100));
    EXPECT_EQ(t.map->Picture(), frame);
    const QImage shown = t.map->grab().toImage();
    EXPECT_NE(shown.pixel(200, 100), frame.pixel(200, 100));
    EXPECT_EQ(shown.pixel(200, 300), frame.pixel(200, 300));
}
