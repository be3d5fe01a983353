// A frame drawn in two bands of rows on two threads must show the same pixels as one drawn on
// the calling thread alone; host code is called on the calling thread only.
#include "RenderTestSupport.h"
#include "mapview/DataMap.h"

#include <QImage>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <set>
#include <stdexcept>
#include <thread>
#include <utility>

using namespace rendertest;

namespace {

constexpr TColor kRed = 0x0000FF, kBlue = 0xFF0000, kGreen = 0x00A000, kGrey = 0x808080;

TORBMapObjectMem& AddLine(TMapDocument& doc, std::initializer_list<TORBMapPoint> pts, TColor color,
                          float width, uint8_t style = 0, int32_t flags = 0) {
    TORBMapObjectMem& o = AddPoints(doc, cLine, pts, color, kGreen);
    o.Pen.Width = width;
    o.Pen.Style = style;
    o.Pen.Flags = flags;
    return o;
}

void AddNote(TMapDocument& doc, float x, float y) {
    auto o = std::make_unique<TORBMapObjectMem>();
    TORBMapZametka z;
    z.X = x, z.Y = y, z.NameLib = QStringLiteral("LIB"), z.NamePic = QStringLiteral("flag");
    o->SetZametka(z);
    doc.CalcObjectBox(*o);
    doc.Append(std::move(o));
}

void AddText(TMapDocument& doc, float x, float y, float size, const QString& text) {
    auto o = std::make_unique<TORBMapObjectMem>();
    TORBMapText t;
    t.X = x, t.Y = y, t.Size = size, t.Angle = 150;
    t.Text = text;
    o->SetText(t);
    o->Pen.Color = kBlue;
    o->Brush.Style = 1;
    doc.CalcObjectBox(*o);
    doc.Append(std::move(o));
}

// Figures around the middle row (150) of a 400 × 300 frame at one pixel per map unit: boxes
// ending just above or starting just below it, wide strokes whose centre lines stay on one
// side while the pen reaches over, square ends reaching past the box, slanted and dashed lines, a
// text, an ellipse and a group.
void AddFiguresAroundTheMiddle(TMapDocument& doc) {
    AddRect(doc, 0, 0, 400, 300, kGrey, -5);
    AddRect(doc, 10, 120, 40, 149, kRed);
    AddRect(doc, 45, 151, 80, 180, kBlue);
    AddRect(doc, 85, 140, 120, 150, kRed);
    AddRect(doc, 125, 150, 160, 170, kBlue);
    TORBMapObjectMem& star = AddPoints(doc, cPolygon,
                                       {{200, 100},
                                        {212, 135},
                                        {250, 137},
                                        {219, 157},
                                        {231, 193},
                                        {200, 171},
                                        {169, 193},
                                        {181, 157},
                                        {150, 137},
                                        {188, 135}},
                                       kBlue, kRed);
    star.Pen.Width = 3;
    AddLine(doc, {{10, 144}, {390, 144}}, kBlue, 12);
    AddLine(doc, {{10, 157}, {390, 157}}, kRed, 11, 1);
    AddLine(doc, {{300, 60}, {300, 146}}, kGreen, 10, 0, kPenSquareEnds);
    AddLine(doc, {{320, 154}, {320, 250}}, kRed, 9, 0, kPenSquareEnds);
    AddLine(doc, {{10, 146}, {200, 147}, {390, 148}}, kRed, 4, 0, kPenCasing);
    // Square ends of slanted wide lines reach past the box by their corners.
    AddLine(doc, {{240, 94}, {270, 124}}, kBlue, 40, 0, kPenSquareEnds);
    AddLine(doc, {{100, 175}, {130, 205}}, kGreen, 40, 0, kPenSquareEnds);
    AddLine(doc, {{3, 20}, {397, 281}}, kBlue, 0);
    AddLine(doc, {{13, 290}, {377, 7}}, kRed, 0, 2);
    AddLine(doc, {{0, 149}, {400, 151}}, kGreen, 0);
    TORBMapObjectMem& ellipse =
        AddPoints(doc, cEllipse, {{260, 130}, {300, 130}, {300, 170}, {260, 170}}, kRed, kBlue);
    ellipse.Pen.Width = 2;
    AddText(doc, 40, 135, 22, QStringLiteral("Заречная"));

    auto group = std::make_unique<TORBMapObjectMem>();
    group->ObjectType = cGroup;
    group->Children = std::make_unique<TOrbMapList>();
    TMapDocument scratch;
    AddRect(scratch, 330, 130, 345, 149, kBlue);
    AddRect(scratch, 350, 151, 365, 170, kRed);
    AddRect(scratch, 370, 140, 385, 160, kGreen);
    while (scratch.ObjectCount() > 0) group->Children->push_back(scratch.Take(0));
    group->Count = 3;
    doc.CalcObjectBox(*group);
    doc.Append(std::move(group));
}

int DifferentPixels(const QImage& a, const QImage& b) {
    int n = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) n += a.pixel(x, y) != b.pixel(x, y);
    return n;
}

QImage FlagIcon() {
    QImage icon(16, 16, QImage::Format_ARGB32);
    icon.fill(QColor(0, 160, 0));
    return icon;
}

} // namespace

TEST(FrameBands, TwoThreadsDrawTheSamePixelsAsOne) {
    for (const bool view3D : {false, true}) {
        TTestMap t(400, 300);
        AddFiguresAroundTheMiddle(t.Doc());
        AddNote(t.Doc(), 100, 60);
        AddNote(t.Doc(), 100, 240);
        if (view3D) {
            t.map.Options().SetView3DAngle(80);
            t.map.Options().SetMinScale3D(0);
            t.map.Options().SetView3D(true);
        }
        std::mutex mutex;
        std::set<std::thread::id> askedBy;
        t.map.Render().Painter().IconLookup = [&](const QString&, const QString&) {
            std::lock_guard guard(mutex);
            askedBy.insert(std::this_thread::get_id());
            return FlagIcon();
        };
        const QImage banded = t.Frame().copy();
        // Each band draws the notes reaching it: the frame was drawn by two threads.
        EXPECT_EQ(askedBy.size(), 2u);

        // A host hook keeps the whole frame on this thread.
        t.map.Render().Painter().OnPaintObject = [](const TORBMapObjectMem&, uint8_t&, QPen&,
                                                    QBrush&) {};
        askedBy.clear();
        const QImage single = t.Frame().copy();
        EXPECT_EQ(askedBy.size(), 1u);
        EXPECT_EQ(DifferentPixels(banded, single), 0) << "view3D " << view3D;
        EXPECT_NE(PixelColor(single, 300, 150), 0xFFFFFFu);
    }
}

// Smoothed pixels at the edge of a clip may differ by a little from those drawn without one.
TEST(FrameBands, SmoothedFramesInBandsLookAsOneFrame) {
    TTestMap t(400, 300);
    AddFiguresAroundTheMiddle(t.Doc());
    t.map.Options().SetAntiAliasing(tsivor::mapview::orbSmoothingModeAntiAlias);
    std::set<std::thread::id> drawnBy;
    t.map.Render().Painter().IconLookup = [&](const QString&, const QString&) {
        static std::mutex mutex;
        std::lock_guard guard(mutex);
        drawnBy.insert(std::this_thread::get_id());
        return FlagIcon();
    };
    AddNote(t.Doc(), 100, 60);
    AddNote(t.Doc(), 100, 240);
    const QImage banded = t.Frame().copy();
    EXPECT_EQ(drawnBy.size(), 2u);

    t.map.Render().Painter().OnPaintObject = [](const TORBMapObjectMem&, uint8_t&, QPen&, QBrush&) {
    };
    const QImage single = t.Frame().copy();
    // Both bands smooth: an unsmoothed edge differs by far more.
    EXPECT_LE(MaxChannelDifference(banded, single), 32);
    EXPECT_LT(DifferentPixels(banded, single), banded.width() * banded.height() / 100);
}

TEST(FrameBands, HostCodeRunsOnTheCallingThread) {
    TTestMap t(400, 300);
    AddFiguresAroundTheMiddle(t.Doc());
    std::set<std::thread::id> calledOn;
    t.map.Render().Painter().OnPaintObject = [&](const TORBMapObjectMem&, uint8_t&, QPen&,
                                                 QBrush&) {
        calledOn.insert(std::this_thread::get_id());
    };
    t.Frame();
    ASSERT_EQ(calledOn.size(), 1u);
    EXPECT_EQ(*calledOn.begin(), std::this_thread::get_id());
}

TEST(FrameBands, TheIconLibraryIsAskedByOneThreadAtATime) {
    TTestMap t(400, 300);
    for (int i = 0; i < 8; ++i) AddNote(t.Doc(), 20 + 45 * i, 150);
    std::atomic<int> inside = 0, most = 0, asked = 0;
    t.map.Render().Painter().IconLookup = [&](const QString&, const QString&) {
        const int now = ++inside;
        most = std::max(most.load(), now);
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
        --inside;
        ++asked;
        return FlagIcon();
    };
    const QImage& frame = t.Frame();
    EXPECT_GE(asked.load(), 16); // every note by both bands
    EXPECT_EQ(most.load(), 1);
    EXPECT_EQ(PixelColor(frame, 20, 144), 0x00A000u);
    EXPECT_EQ(PixelColor(frame, 20, 156), 0x00A000u);
}

// The background is filled in two halves on two threads: plain or textured, with an odd
// number of rows, it is the background one thread fills.
TEST(FrameBands, TheBackgroundIsFilledAsByOneThread) {
    QImage grass(3, 2, QImage::Format_RGB32);
    for (int x = 0; x < 3; ++x)
        for (int y = 0; y < 2; ++y) grass.setPixel(x, y, qRgb(40 * x, 200 - 50 * y, 30));
    for (const bool texture : {false, true}) {
        TTestMap t(400, 301);
        AddLine(t.Doc(), {{20, 20}, {380, 280}}, kRed, 3);
        t.map.SetGrass(grass);
        t.map.Options().SetTexture(texture);
        const QImage banded = t.Frame().copy();
        t.map.Render().Painter().OnPaintObject = [](const TORBMapObjectMem&, uint8_t&, QPen&,
                                                    QBrush&) {};
        const QImage single = t.Frame().copy();
        EXPECT_EQ(DifferentPixels(banded, single), 0) << "texture " << texture;
        EXPECT_EQ(PixelColor(banded, 5, 299) == PixelColor(banded, 6, 299), !texture);
    }
}

namespace {

// A single-threaded frame of the same map: a host hook keeps the drawing on this thread.
QImage OneThreadFrame(TTestMap& t) {
    t.map.Render().Painter().OnPaintObject = [](const TORBMapObjectMem&, uint8_t&, QPen&, QBrush&) {
    };
    QImage frame = t.Frame().copy();
    t.map.Render().Painter().OnPaintObject = nullptr;
    return frame;
}

// Figures within the rows [top, bottom) of a frame at one pixel per map unit, all crossing each
// other's rows, so that wherever the bands are cut among them figures straddle the cut; a
// half-transparent area over them shows a row drawn twice.
void AddFiguresInRows(TMapDocument& doc, float top, float bottom) {
    const float h = bottom - top;
    for (int i = 0; i < 12; ++i) {
        const float y0 = top + h * float(i % 4) / 5, y1 = y0 + h * 2 / 5;
        AddRect(doc, 10 + 30 * i, y0, 35 + 30 * i, y1, i % 2 ? kRed : kBlue);
    }
    AddLine(doc, {{5, top + 1}, {395, bottom - 2}}, kGreen, 5);
    AddLine(doc, {{5, bottom - 2}, {395, top + 1}}, kRed, 0, 2);
    AddLine(doc, {{20, top + h / 2}, {380, top + h / 2 + 1}}, kBlue, 3, 0, kPenCasing);
    AddText(doc, 30, top + h / 3, std::min(22.0f, h / 2), QStringLiteral("Заречная"));
    TORBMapObjectMem& veil = AddRect(doc, 0, top, 400, bottom, kGrey, 5);
    veil.Alpha = 128;
}

} // namespace

TEST(FrameBands, AFrameDrawnAgainKeepsItsPixels) {
    for (const bool smooth : {false, true}) {
        TTestMap t(400, 300);
        AddFiguresAroundTheMiddle(t.Doc());
        AddFiguresInRows(t.Doc(), 20, 90);
        AddNote(t.Doc(), 100, 60);
        t.map.Render().Painter().IconLookup = [](const QString&, const QString&) {
            return FlagIcon();
        };
        if (smooth) t.map.Options().SetAntiAliasing(tsivor::mapview::orbSmoothingModeAntiAlias);
        const QImage first = t.Frame().copy();
        for (int i = 0; i < 3; ++i)
            EXPECT_EQ(DifferentPixels(t.Frame(), first), 0) << "smooth " << smooth;
    }
}

// All the work in a few rows at the top or the bottom: the cut moves there, and the pixels
// stay those of one thread.
TEST(FrameBands, WorkInTheTopOrBottomRowsDrawsThePixelsOfOneThread) {
    for (const bool view3D : {false, true})
        for (const auto& [top, bottom] : {std::pair{0.0f, 40.0f}, std::pair{255.0f, 300.0f}}) {
            TTestMap t(400, 300);
            AddFiguresInRows(t.Doc(), top, bottom);
            if (view3D) {
                t.map.Options().SetView3DAngle(80);
                t.map.Options().SetMinScale3D(0);
                t.map.Options().SetView3D(true);
            }
            const QImage banded = t.Frame().copy();
            const QImage single = OneThreadFrame(t);
            EXPECT_EQ(DifferentPixels(banded, single), 0) << "rows " << top << ".." << bottom;
            EXPECT_NE(PixelColor(single, 200, int(top + bottom) / 2), 0xFFFFFFu);
        }
}

// Below 64 rows a frame is drawn on one thread; at and above, in bands, odd heights too.
TEST(FrameBands, FramesOfAnyHeightDrawThePixelsOfOneThread) {
    for (const int height : {1, 2, 40, 63, 64, 65, 101, 299, 301}) {
        TTestMap t(400, height);
        AddFiguresAroundTheMiddle(t.Doc());
        AddFiguresInRows(t.Doc(), 0, float(height));
        const QImage banded = t.Frame().copy();
        const QImage single = OneThreadFrame(t);
        EXPECT_EQ(DifferentPixels(banded, single), 0) << "height " << height;
    }
}

// A failure while one band is drawn reaches the caller whichever thread it happened on, and the
// next frame is drawn whole by both threads again.
TEST(FrameBands, AFailingBandIsRethrownAndTheNextFrameIsWhole) {
    TTestMap t(400, 300);
    AddFiguresAroundTheMiddle(t.Doc());
    AddNote(t.Doc(), 100, 60);
    AddNote(t.Doc(), 100, 240);
    const std::thread::id caller = std::this_thread::get_id();
    enum class TFail { Nowhere, Caller, Other, Both };
    TFail fail = TFail::Nowhere;
    std::set<std::thread::id> askedBy;
    std::mutex mutex;
    t.map.Render().Painter().IconLookup = [&](const QString&, const QString&) {
        std::lock_guard guard(mutex);
        const bool here = std::this_thread::get_id() == caller;
        askedBy.insert(std::this_thread::get_id());
        if (fail == TFail::Both || (fail == TFail::Caller && here) ||
            (fail == TFail::Other && !here))
            throw std::runtime_error("icon library");
        return FlagIcon();
    };
    const QImage expected = t.Frame().copy();
    ASSERT_EQ(askedBy.size(), 2u);
    for (const TFail where : {TFail::Other, TFail::Caller, TFail::Both, TFail::Other}) {
        fail = where;
        EXPECT_THROW(t.Frame(), std::runtime_error);
        fail = TFail::Nowhere;
        askedBy.clear();
        EXPECT_EQ(DifferentPixels(t.Frame(), expected), 0);
        EXPECT_EQ(askedBy.size(), 2u);
    }
}

// Curves, filled curves and ellipses are placed in the bands by their boxes: ones ending just
// above or starting just below the cut, with wide pens reaching over it, give the pixels of one
// thread, plain and smoothed.
TEST(FrameBands, CurvesAndEllipsesNearTheCutAreDrawnInTheirBands) {
    for (const bool smooth : {false, true}) {
        TTestMap t(400, 300);
        TMapDocument& doc = t.Doc();
        for (int i = 0; i < 12; ++i) {
            const float x = 10 + 32 * i, y = 120 + 5 * i;
            auto& curve = AddPoints(
                doc, cBezier, {{x, y}, {x + 10, y - 30}, {x + 20, y + 30}, {x + 28, y}}, kRed, 0);
            curve.Pen.Width = float(1 + i % 4 * 3);
            doc.CalcObjectBox(curve);
            auto& ellipse = AddPoints(doc, cEllipse,
                                      {{x, y + 4}, {x + 25, y + 4}, {x + 25, y + 26}, {x, y + 26}},
                                      kBlue, kGreen);
            ellipse.Pen.Width = float(i % 3);
            doc.CalcObjectBox(ellipse);
            AddPoints(doc, cBezierFill,
                      {{x, y - 20}, {x + 30, y - 40}, {x + 30, y + 10}, {x, y - 20}}, kGrey, kRed);
        }
        t.map.Options().SetAntiAliasing(smooth ? tsivor::mapview::orbSmoothingModeAntiAlias
                                               : tsivor::mapview::orbSmoothingModeNone);
        const QImage banded = t.Frame().copy();
        t.map.Render().Painter().OnPaintObject = [](const TORBMapObjectMem&, uint8_t&, QPen&,
                                                    QBrush&) {};
        const QImage single = t.Frame().copy();
        if (smooth)
            EXPECT_LE(MaxChannelDifference(banded, single), 32);
        else
            EXPECT_EQ(DifferentPixels(banded, single), 0);
    }
}
