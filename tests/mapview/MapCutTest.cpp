// Figures reaching far beyond a redrawn rectangle are cut in map units before their points are
// converted: the runs kept, and the pixels of frames, redrawn rectangles and blinking houses,
// which must be those of drawing every point.
#include "RenderTestSupport.h"

#include "mapview/DrawObject.h"
#include "mapview/MapCut.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <vector>

using namespace rendertest;
using namespace tsivor::mapview;

namespace {

std::vector<TORBMapPoint> KeptPoints(std::span<const TORBMapPoint> pts, const TKeptRanges& kept) {
    std::vector<TORBMapPoint> out;
    for (const auto& [first, last] : kept)
        for (int i = first; i < last; ++i) out.push_back(pts[size_t(i)]);
    return out;
}

} // namespace

TEST(MapCut, RunsBeyondOneSideKeepTheirEnds) {
    const TMapCutRect rect{0, 0, 100, 100};
    const std::vector<TORBMapPoint> pts = {{50, 50},   {-10, 20},  {-300, 40}, {-200, 900},
                                           {-50, 500}, {-20, 60},  {150, 150}, {500, 140},
                                           {600, 160}, {400, -10}, {60, -5},   {100, 100}};
    TKeptRanges kept;
    KeepRunsNear(pts, rect, kept);
    // {-10,20}..{-20,60} all left; {150,150}..{400,-10} all right; a point on a side is in.
    EXPECT_EQ(KeptPoints(pts, kept),
              (std::vector<TORBMapPoint>{
                  {50, 50}, {-10, 20}, {-20, 60}, {150, 150}, {400, -10}, {60, -5}, {100, 100}}));
    EXPECT_EQ(KeptCount(kept), 7);
    EXPECT_EQ(kept.front(), std::make_pair(0, 2)); // neighbouring points share a range
}

TEST(MapCut, CurvesBeyondOneSideBecomeOneStraightSegment) {
    const TMapCutRect rect{0, 0, 100, 100};
    // Four segments: in, beyond the left, beyond the left and above, back in.
    const std::vector<TORBMapPoint> chain = {
        {50, 50},   {20, 20},   {-10, 40}, {-20, 50}, {-30, 60}, {-40, 70}, {-50, -10},
        {-60, -20}, {-70, -30}, {-5, -40}, {30, 30},  {60, 60},  {70, 70}};
    TKeptRanges kept;
    KeepCurvesNear(chain, rect, kept);
    // The second and third segments lie beyond the left side together.
    EXPECT_EQ(KeptPoints(chain, kept), (std::vector<TORBMapPoint>{{50, 50},
                                                                  {20, 20},
                                                                  {-10, 40},
                                                                  {-20, 50},
                                                                  {-20, 50},
                                                                  {-5, -40},
                                                                  {-5, -40},
                                                                  {30, 30},
                                                                  {60, 60},
                                                                  {70, 70}}));
    // A single segment beyond a side stays as it is; a surplus point is left out.
    std::vector<TORBMapPoint> one(chain.begin(), chain.begin() + 8);
    KeepCurvesNear(one, rect, kept);
    EXPECT_EQ(KeptPoints(one, kept), std::vector<TORBMapPoint>(chain.begin(), chain.begin() + 7));
}

TEST(MapCut, TheViewportsMapRectangleHoldsWhatLandsInTheDeviceRectangle) {
    TMapViewport vp;
    vp.StoreScale(37);
    vp.UpdatePixelsPerUnit();
    vp.SetOrigin(1000.25f, -333.5f);
    const QRect device(-40, 13, 171, 29);
    TMapCutRect r;
    ASSERT_TRUE(vp.MapRectAround(device, r.X0, r.Y0, r.X1, r.Y1));
    // Points just beyond a side of the map rectangle land beyond that side of the device's.
    for (int i = 0; i < 2000; ++i) {
        const float t = float(i) / 1999;
        const TORBMapPoint beyond[] = {{std::nextafter(r.X0, -1e9f), r.Y0 + t * (r.Y1 - r.Y0)},
                                       {std::nextafter(r.X1, 1e9f), r.Y0 + t * (r.Y1 - r.Y0)},
                                       {r.X0 + t * (r.X1 - r.X0), std::nextafter(r.Y0, -1e9f)},
                                       {r.X0 + t * (r.X1 - r.X0), std::nextafter(r.Y1, 1e9f)}};
        QPoint px[4];
        vp.MapPointsToScreen(beyond, 4, px);
        EXPECT_LT(px[0].x(), device.left());
        EXPECT_GT(px[1].x(), device.right());
        EXPECT_LT(px[2].y(), device.top());
        EXPECT_GT(px[3].y(), device.bottom());
    }
    vp.StoreScale(0);
    vp.UpdatePixelsPerUnit();
    EXPECT_FALSE(vp.MapRectAround(device, r.X0, r.Y0, r.X1, r.Y1));
}

namespace {

constexpr TColor kHouse = 0x2060C0, kDistrict = 0xC0E0F0, kWater = 0xC08040, kStreet = 0xF0F0F0,
                 kCasing = 0x404040, kBank = 0x208020, kBlock = 0x9090A0;

TORBMapObjectMem& AddFigure(TMapDocument& doc, uint8_t type, const std::vector<TORBMapPoint>& pts,
                            TORBMapPen pen, TORBMapBrush brush, int layer) {
    auto o = std::make_unique<TORBMapObjectMem>();
    o->ObjectType = type;
    o->Count = int(pts.size());
    o->Points = std::make_unique<TORBMapPoint[]>(pts.size());
    std::copy(pts.begin(), pts.end(), o->Points.get());
    o->Pen = pen;
    o->Brush = brush;
    o->Layer = layer;
    doc.CalcObjectBox(*o);
    return doc.Append(std::move(o));
}

// A ragged ring of radius about r around (cx, cy).
std::vector<TORBMapPoint> Ring(float cx, float cy, float r, int n) {
    std::vector<TORBMapPoint> pts;
    for (int i = 0; i < n; ++i) {
        const double a = i * 2 * std::numbers::pi / n;
        const double q = r * (1 + 0.04 * std::sin(i * 0.7));
        pts.push_back({float(cx + q * std::cos(a)), float(cy + q * std::sin(a))});
    }
    return pts;
}

// A wavy line from x0 to x1 about y, crossing itself once on the way back; with a spur, half
// way it runs out far to the left and back on its own track.
std::vector<TORBMapPoint> Wave(float x0, float x1, float y, int n, bool spur = false) {
    std::vector<TORBMapPoint> pts;
    for (int i = 0; i <= n; ++i) {
        const TORBMapPoint p{x0 + (x1 - x0) * float(i) / float(n),
                             float(y + 40 * std::sin(i * 0.37))};
        pts.push_back(p);
        if (spur && i == n / 2)
            pts.insert(pts.end(), {{-1500, p.Y}, {-4000, p.Y + 20}, {-1500, p.Y}, p});
    }
    pts.push_back({(x0 + x1) / 2 + 7, y - 900});
    pts.push_back({(x0 + x1) / 2 - 9, y + 1100});
    return pts;
}

// A river: a closed chain of curves along one bank, across and back along the other.
std::vector<TORBMapPoint> RiverBody(float x0, float x1, float y, float half, int segments) {
    std::vector<TORBMapPoint> pts{{x0, y - half}};
    const float step = (x1 - x0) / float(segments);
    auto bank = [&](float side, float from, float dir) {
        for (int i = 0; i < segments; ++i) {
            const float x = from + dir * step * float(i);
            const float bend = float(30 * std::sin(i * 0.3));
            pts.push_back({x + dir * step / 3, y + side * half + bend});
            pts.push_back({x + dir * 2 * step / 3, y + side * half - bend});
            pts.push_back({x + dir * step, y + side * half});
        }
    };
    bank(-1, x0, 1);
    pts.push_back({x1 + 20, y - half / 2});
    pts.push_back({x1 + 20, y + half / 2});
    pts.push_back({x1, y + half});
    bank(1, x1, -1);
    return pts;
}

// An open chain of curves along y.
std::vector<TORBMapPoint> Bank(float x0, float x1, float y, int segments) {
    std::vector<TORBMapPoint> pts{{x0, y}};
    const float step = (x1 - x0) / float(segments);
    for (int i = 0; i < segments; ++i) {
        const float x = x0 + step * float(i);
        pts.push_back({x + step / 3, y + 25});
        pts.push_back({x + 2 * step / 3, y - 25});
        pts.push_back({x + step, y});
    }
    return pts;
}

// A town of large figures around the house in the middle of a 400 x 300 view at Scale 100:
// a district, a hatched one, a river with its banks, long streets (one with a casing), a
// block with a wide outline, a thin-outlined ring and a dashed line, each far beyond the view.
struct TTown {
    explicit TTown(bool spur) : t(400, 300) {
        TMapDocument& doc = t.Doc();
        AddFigure(doc, cPolygon, Ring(180, 150, 2600, 2400), {0, 5, 0, 0}, {kDistrict, 0}, -60);
        AddFigure(doc, cPolygon, Ring(-2400, 150, 2650, 1800), {0, 5, 0, 0}, {kBlock, 5}, -59);
        AddFigure(doc, cBezierFill, RiverBody(-8000, 9000, 150, 60, 1200), {kWater, 5, 0, 0},
                  {kWater, 0}, -30);
        AddFigure(doc, cBezier, Bank(-8000, 9000, 88, 1200), {kBank, 0, 3, 0}, {kWater, 1}, -29);
        AddFigure(doc, cBezier, Bank(-8000, 9000, 212, 900), {kBank, 0, 0, 0}, {kWater, 1}, -29);
        AddFigure(doc, cPolygon, Ring(200, 2300, 2230, 1500), {kCasing, 0, 9, 0}, {kBlock, 0}, -20);
        AddFigure(doc, cPolygon, Ring(210, -2200, 2300, 1600), {kCasing, 0, 0, 0}, {kBlock, 0},
                  -20);
        AddFigure(doc, cLine, Wave(-9000, 9000, 160, 1239, spur), {kStreet, 0, 14, kPenCasing},
                  {kCasing, 0}, 2);
        AddFigure(doc, cLine, Wave(-7000, 8000, 140, 900), {kStreet, 0, 5, kPenSquareEnds},
                  {kCasing, 0}, 1);
        AddFigure(doc, cLine, Wave(-7000, 8000, 120, 700), {kCasing, 1, 3, 0}, {0, 1}, 3);
        TORBMapObjectMem& h = AddPoints(
            doc, cPolygon, {{175, 140}, {225, 140}, {225, 162}, {175, 162}}, 0x101010, kHouse, 5);
        h.Pen.Width = 2;
        house = doc.ObjectCount() - 1;
        t.Frame();
    }
    void Smooth(bool on) {
        t.map.Options().SetAntiAliasing(on ? orbSmoothingModeAntiAlias : orbSmoothingModeNone);
    }
    void CutInMapUnits(bool on) { t.map.Render().Painter().CutInMapUnits = on; }
    // The frame, then the rectangles rebuilt on it.
    QImage Drawn(const std::vector<QRect>& rects) {
        t.map.MarkDirty();
        t.map.Redraw();
        if (!rects.empty()) t.map.RedrawRects(rects);
        return t.map.Picture().copy();
    }
    TTestMap t;
    int house = -1;
};

int DifferentPixels(const QImage& a, const QImage& b, const QRect& region) {
    int n = 0;
    for (int y = region.top(); y <= region.bottom(); ++y)
        for (int x = region.left(); x <= region.right(); ++x) n += a.pixel(x, y) != b.pixel(x, y);
    return n;
}

// Rectangles like a blinking house's and the strips of scroll steps, some at the view's edge.
const QRect kRedrawn[] = {QRect(160, 130, 135, 32), QRect(0, 0, 400, 10),
                          QRect(390, 0, 10, 300),   QRect(0, 140, 12, 40),
                          QRect(40, 60, 60, 70),    QRect(250, 280, 150, 20)};

} // namespace

TEST(MapCut, FramesAndRedrawnRectanglesKeepEveryPixel) {
    TTown town(true);
    for (const bool smooth : {false, true}) {
        SCOPED_TRACE(smooth);
        town.Smooth(smooth);
        town.CutInMapUnits(false);
        const QImage whole = town.Drawn({});
        town.CutInMapUnits(true);
        EXPECT_EQ(DifferentPixels(whole, town.Drawn({}), whole.rect()), 0);
        for (const QRect& r : kRedrawn) {
            SCOPED_TRACE(r.x());
            town.CutInMapUnits(false);
            const QImage all = town.Drawn({r});
            town.CutInMapUnits(true);
            EXPECT_EQ(DifferentPixels(all, town.Drawn({r}), all.rect()), 0);
        }
    }
}

// A smoothed wide street is stroked in pieces measured from where its cut begins, which is
// not the same in a rectangle and in a whole frame: a street running far off and back on its
// own track can bring the end of a piece into the rectangle, a few edge pixels blended twice.
// The town here has none.
TEST(MapCut, ABlinkingHouseShowsThePixelsOfAWholeFrame) {
    TTown town(false);
    for (const bool smooth : {false, true}) {
        SCOPED_TRACE(smooth);
        town.Smooth(smooth);
        const QImage before = town.Drawn({});
        town.t.map.SetBlinkObjects({town.house});
        for (const bool phase : {true, false}) {
            town.t.map.BlinkTimerTick();
            ASSERT_EQ(town.t.map.BlinkPhase(), phase);
            const QRect r = town.t.map.Render().ObjectScreenRect(town.house);
            ASSERT_FALSE(r.isEmpty());
            const QImage blinked = town.t.map.Picture().copy();
            EXPECT_EQ(DifferentPixels(blinked, before, r) > 0, phase);
            // The whole frame drawn with the same phase.
            const QImage frame = town.Drawn({});
            EXPECT_EQ(DifferentPixels(blinked, frame, r), 0);
        }
        town.t.map.ClearBlinkObjects();
    }
}

// Smoothed frames of the town from other places and scales, the view drawn in its bands of
// rows: the figures shortened to what reaches each band leave every pixel as it was.
TEST(MapCut, SmoothedFramesElsewhereKeepEveryPixel) {
    TTown town(true);
    town.Smooth(true);
    const struct {
        int X, Y;
        double Factor;
    } views[] = {{200, 150, 1}, {40, 260, 1.7}, {350, 20, 0.45}, {120, 90, 3.1}, {300, 200, 0.8}};
    for (const auto& v : views) {
        SCOPED_TRACE(v.X);
        town.t.map.ZoomAt(float(v.X), float(v.Y), town.t.map.Scale() * v.Factor);
        town.CutInMapUnits(false);
        const QImage whole = town.Drawn({});
        town.CutInMapUnits(true);
        EXPECT_EQ(DifferentPixels(whole, town.Drawn({}), whole.rect()), 0);
    }
}
