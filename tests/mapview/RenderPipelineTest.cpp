// The frame pipeline: layer and list order, the culling tests, strips after a scroll and the
// exported picture.
#include "RenderTestSupport.h"

#include <QBuffer>

#include <random>

#include <gtest/gtest.h>

using namespace rendertest;
using namespace tsivor::mapview;

namespace {

constexpr TColor kRed = 0x0000FF, kBlue = 0xFF0000, kGreen = 0x00FF00;

bool Collected(const TDataMap& m, int index) {
    for (const auto& list : const_cast<TDataMap&>(m).Render().LayerLists())
        for (int i : list)
            if (i == index) return true;
    return false;
}

// A scene with shapes of several kinds that stay inside the 5-pixel margins of strips.
void FillScene(TMapDocument& doc) {
    AddRect(doc, 10, 10, 90, 60, kRed, 1);
    AddRect(doc, 50, 30, 150, 120, kBlue, 0);
    auto& line = AddPoints(doc, cLine, {{5, 140}, {100, 70}, {190, 130}}, kGreen, 0x808080);
    line.Pen.Width = 3;
    line.Pen.Flags = kPenCasing;
    doc.CalcObjectBox(line);
    auto& dashed = AddPoints(doc, cLine, {{20, 20}, {180, 100}}, 0x202020, 0);
    dashed.Pen.Style = 1;
    auto& ellipse =
        AddPoints(doc, cEllipse, {{120, 10}, {180, 10}, {180, 50}, {120, 50}}, 0x000000, 0x00FFFF);
    (void)ellipse;
}

} // namespace

TEST(RenderOrder, LowerLayersFirstAndListOrderWithinALayer) {
    TTestMap t;
    AddRect(t.Doc(), 10, 10, 60, 60, kRed, 64);    // index 0, top layer
    AddRect(t.Doc(), 20, 20, 70, 70, kBlue, -64);  // index 1, bottom layer
    AddRect(t.Doc(), 100, 10, 150, 60, kRed, 3);   // index 2
    AddRect(t.Doc(), 110, 20, 160, 70, kGreen, 3); // index 3, same layer, later
    const QImage& img = t.Frame();
    EXPECT_EQ(PixelColor(img, 30, 30), kRed); // layer 64 over layer -64
    EXPECT_EQ(PixelColor(img, 65, 65), kBlue);
    EXPECT_EQ(PixelColor(img, 120, 30), kGreen); // later in the list covers
    EXPECT_EQ(PixelColor(img, 105, 15), kRed);
    EXPECT_EQ(PixelColor(img, 190, 140), 0xFFFFFFu);
}

TEST(RenderCulling, ObjectViewDropsObjectsSmallInBothDirections) {
    TTestMap t;
    t.map.Options().SetObjectView(2);
    AddRect(t.Doc(), 10, 10, 12, 12, kRed); // 2 x 2 pixels
    AddRect(t.Doc(), 20, 10, 22, 13, kRed); // 2 x 3 pixels
    t.Frame();
    EXPECT_FALSE(Collected(t.map, 0));
    EXPECT_TRUE(Collected(t.map, 1));
}

TEST(RenderCulling, ThinLinesFollowTheMinimumLineWidth) {
    TTestMap t;
    auto& line = AddPoints(t.Doc(), cLine, {{10, 10}, {100, 10}}, kRed, 0);
    line.Pen.Width = 0.5f;
    t.Frame();
    EXPECT_TRUE(Collected(t.map, 0));
    t.map.Options().SetmpLineWidthMin(1);
    EXPECT_FALSE(Collected(t.map, 0));
}

TEST(RenderCulling, NotesNeedMinScaleIcon) {
    TTestMap t;
    auto o = std::make_unique<TORBMapObjectMem>();
    TORBMapZametka z;
    z.X = 50, z.Y = 50;
    o->SetZametka(z);
    t.Doc().CalcObjectBox(*o);
    t.Doc().Append(std::move(o));
    t.map.Options().SetMinScaleIcon(1);
    t.map.SetScale(1);
    EXPECT_TRUE(Collected(t.map, 0));
    t.map.SetScale(0.9);
    EXPECT_FALSE(Collected(t.map, 0));
}

TEST(RenderCulling, FilterDecidesOnlyWhileOn) {
    TTestMap t;
    AddRect(t.Doc(), 10, 10, 50, 50, kRed).Category = 7;
    AddRect(t.Doc(), 60, 10, 90, 50, kRed).Category = 8;
    t.map.Categories().OnFilteredObject = [](const TORBMapObjectMem& o, bool& visible) {
        if (o.Category == 7) visible = false;
    };
    t.map.SetCategoryVisible(7, true);
    t.Frame();
    EXPECT_TRUE(Collected(t.map, 0));
    EXPECT_TRUE(Collected(t.map, 1));
    t.map.SetFilter(true);
    EXPECT_FALSE(Collected(t.map, 0));
    EXPECT_FALSE(Collected(t.map, 1));
    EXPECT_EQ(PixelColor(t.map.Picture(), 30, 30), 0xFFFFFFu);
}

TEST(RenderFrames, TwoRedrawsWithoutAChangeBuildOneFrame) {
    TTestMap t;
    AddRect(t.Doc(), 10, 10, 50, 50, kRed);
    t.map.MarkDirty();
    t.map.ClearRedrawLog();
    t.map.Redraw();
    t.map.Redraw();
    EXPECT_EQ(t.map.RedrawLog().FullFrames, 1);
}

TEST(RenderFrames, BackgroundColourAndOpacity) {
    TTestMap t;
    t.map.SetBackgroundColor(0x000000);
    auto& r = AddRect(t.Doc(), 10, 10, 50, 50, 0xFFFFFF);
    r.Alpha = 128;
    const QImage& img = t.Frame();
    EXPECT_EQ(PixelColor(img, 100, 100), 0u);
    const int grey = qRed(img.pixel(30, 30));
    EXPECT_NEAR(grey, 128, 2); // blended, not opaque
    r.Alpha = 255;
    t.map.Options().SetAlphaBlending(64);
    EXPECT_NEAR(qRed(t.map.Picture().pixel(30, 30)), 64, 2);
}

TEST(RenderStrips, ScrolledImageEqualsAFullFrame) {
    for (int direction = 0; direction < 8; ++direction) {
        TTestMap scrolled;
        FillScene(scrolled.Doc());
        scrolled.map.SetScale(200); // whole pixels are exact map units here
        scrolled.map.SetXWind(-20);
        scrolled.Frame();
        ASSERT_TRUE(scrolled.map.ScrollBy(direction, 23, 17));
        TTestMap fresh;
        FillScene(fresh.Doc());
        fresh.map.SetScale(200);
        fresh.map.SetXWind(scrolled.map.XWind());
        fresh.map.SetYWind(scrolled.map.YWind());
        const QImage& full = fresh.Frame();
        int differing = 0;
        for (int y = 0; y < full.height(); ++y)
            for (int x = 0; x < full.width(); ++x)
                differing += scrolled.map.Picture().pixel(x, y) != full.pixel(x, y);
        EXPECT_EQ(differing, 0) << "direction " << direction;
    }
}

TEST(RenderExport, ImageOfTheViewEqualsTheBackBuffer) {
    TTestMap t;
    FillScene(t.Doc());
    t.map.SetScale(130);
    const QImage frame = t.Frame().copy();
    const float x1 = t.map.XWind() + t.map.ViewWidth(), y1 = t.map.YWind() + t.map.ViewHeight();
    const QImage exported = t.map.Render().RenderImage(t.map.XWind(), t.map.YWind(), x1, y1, 130);
    EXPECT_TRUE(exported == frame);
    EXPECT_DOUBLE_EQ(t.map.Scale(), 130); // the view is put back

    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    ASSERT_TRUE(t.map.RenderToStream(pf24bit, buffer, t.map.XWind(), t.map.YWind(), x1, y1, 130));
    const QImage decoded = QImage::fromData(buffer.data(), "BMP").convertToFormat(frame.format());
    EXPECT_TRUE(decoded == frame);
}

TEST(RenderExport, OnAfterRisovanIsLeftOutOfExports) {
    TTestMap t;
    t.map.Render().OnAfterRisovan = [](QPainter& c) { c.fillRect(0, 0, 5, 5, Qt::black); };
    const QImage& frame = t.Frame();
    EXPECT_EQ(PixelColor(frame, 2, 2), 0u);
    const QImage exported = t.map.Render().RenderImage(0, 0, 200, 150, 100);
    EXPECT_EQ(PixelColor(exported, 2, 2), 0xFFFFFFu);
}

TEST(RenderExport, UnusableSizesAreRefusedWithAMessage) {
    TTestMap t;
    EXPECT_THROW(t.map.Render().RenderImage(0, 0, 0, 0, 100), std::runtime_error);
    EXPECT_THROW(t.map.Render().RenderImage(0, 0, 1e6f, 1e6f, 100), std::runtime_error);
    QString error;
    EXPECT_FALSE(t.map.SaveImageToFile(pf16bit, QStringLiteral("/nonexistent/dir/x.bmp"), 0, 0, 10,
                                       10, 100, &error));
    EXPECT_FALSE(error.isEmpty());
}

TEST(RenderOverlays, GuideLabelsOnlyForStepsAbove20) {
    auto labelled = [](int step) {
        TTestMap t;
        t.map.Options().SetmpGuideLines(true);
        t.map.SetGuideColor(0x000000);
        t.map.SetGuideStepX(step);
        t.map.SetGuideStepY(1000);
        QImage img(200, 150, QImage::Format_RGB32);
        img.fill(Qt::white);
        QPainter p(&img);
        t.map.Render().PaintGuideLines(p);
        p.end();
        for (int x = 24; x < 39; ++x)
            for (int y = 1; y < 12; ++y)
                if (x != 40 && PixelColor(img, x, y) != 0xFFFFFF) return true;
        return false;
    };
    EXPECT_FALSE(labelled(20));
    EXPECT_TRUE(labelled(21));
}

TEST(RenderObjects, ScreenRectangleCoversTheObjectAndItsHandles) {
    TTestMap t;
    AddRect(t.Doc(), 40, 40, 60, 50, kRed);
    const QRect r = t.map.Render().ObjectScreenRect(0);
    EXPECT_LE(r.left(), 40 - 8);
    EXPECT_GE(r.right(), 60 + 8);
    EXPECT_TRUE(t.map.Render().ObjectScreenRect(5).isNull());
}

TEST(RenderObjects, DiagnosticDrawingSucceedsForOrdinaryObjects) {
    TTestMap t;
    FillScene(t.Doc());
    for (const auto& o : t.Doc().Objects) EXPECT_TRUE(t.map.Render().DrawForDiagnostics(*o));
}

TEST(RenderFrames, BlinkingCopiesReplaceRecordsInFramesOnly) {
    TTestMap t;
    AddRect(t.Doc(), 10, 10, 50, 50, kRed);
    TOrbMapObjectPtr copy = t.Doc().Objects[0]->Clone();
    copy->Brush.Color = copy->Pen.Color = kBlue;
    t.map.Render().BlinkSubstitute = [&](int index) { return index == 0 ? copy.get() : nullptr; };
    EXPECT_EQ(PixelColor(t.Frame(), 30, 30), kBlue);
    EXPECT_EQ(PixelColor(t.map.Render().RenderImage(0, 0, 200, 150, 100), 30, 30), kRed);
}

TEST(RenderFrames, GrassTexturesTheBackgroundOnlyWithTheTextureOption) {
    TTestMap t;
    QImage grass(2, 1, QImage::Format_RGB32);
    grass.setPixel(0, 0, qRgb(0, 255, 0));
    grass.setPixel(1, 0, qRgb(0, 0, 0));
    t.map.SetGrass(grass);
    grass.fill(Qt::red); // the setter keeps its own copy
    EXPECT_EQ(PixelColor(t.map.Picture(), 10, 10), 0xFFFFFFu);
    t.map.Options().SetTexture(true);
    EXPECT_EQ(PixelColor(t.map.Picture(), 10, 10), kGreen);
    EXPECT_EQ(PixelColor(t.map.Picture(), 11, 10), 0u);
}

TEST(RenderIndex, FramesWithTheSpatialIndexMatchTheFullScan) {
    TTestMap plain, indexed;
    for (TTestMap* t : {&plain, &indexed}) {
        FillScene(t->Doc());
        AddRect(t->Doc(), 3000, 3000, 3100, 3100, kRed); // far away, in another cell
    }
    indexed.map.SetIndexSize(250); // cells of 200: the scene spans two columns
    EXPECT_EQ(indexed.map.IndexSize(), 200);
    indexed.map.SetUseIndex(true);
    EXPECT_EQ(indexed.Frame(), plain.Frame());
    EXPECT_FALSE(Collected(indexed.map, 5)) << "outside the cells near the view";
    // An object appended past the index is still drawn: the index catches up.
    for (TTestMap* t : {&plain, &indexed}) AddRect(t->Doc(), 60, 60, 80, 80, kGreen, 5);
    EXPECT_EQ(indexed.Frame(), plain.Frame());
    EXPECT_TRUE(Collected(indexed.map, 6));
    indexed.map.SetIndexSize(1050);
    EXPECT_EQ(indexed.map.IndexSize(), 1000);
}

namespace {

// A map past the size read by two threads: small figures of every layer, lines of several
// widths and some too small to be drawn, in no order of place.
void FillLargeScene(TMapDocument& doc) {
    std::mt19937 random(11);
    std::uniform_real_distribution<float> place(0, 2000), size(0.5f, 40);
    std::uniform_int_distribution<int> layer(-70, 70), kind(0, 3);
    for (int i = 0; i < 60000; ++i) {
        const float x = place(random), y = place(random), s = size(random);
        if (kind(random) == 0) {
            auto line = MakePoints(cLine, {{x, y}, {x + s, y + s / 2}});
            line->Pen.Color = kRed;
            line->Pen.Width = float(kind(random));
            line->Layer = layer(random);
            doc.CalcObjectBox(*line);
            doc.Append(std::move(line));
        } else {
            AddRect(doc, x, y, x + s, y + s / 3, kBlue, layer(random));
        }
    }
}

std::vector<std::vector<int>> ListsOf(const TDataMap& m) {
    auto& render = const_cast<TDataMap&>(m).Render();
    std::vector<std::vector<int>> lists(render.LayerLists().begin(), render.LayerLists().end());
    lists.insert(lists.end(), render.Layer3DLists().begin(), render.Layer3DLists().end());
    return lists;
}

} // namespace

// A large map is collected by two threads; a filter hook keeps the collection on one. Both, and
// the spatial index (read whole when the town is in view), give the same lists in one order.
TEST(RenderCulling, LargeMapsGiveTheSameListsOnTwoThreadsAndThroughTheIndex) {
    TTestMap two, one, indexed;
    for (TTestMap* t : {&two, &one, &indexed}) FillLargeScene(t->Doc());
    one.map.Categories().SetAllVisible(true);
    one.map.Categories().Filter = true;
    one.map.Categories().OnFilteredObject = [](const TORBMapObjectMem&, bool&) {};
    indexed.map.SetUseIndex(true);
    for (const double scale : {10.0, 100.0, 300.0}) {
        for (TTestMap* t : {&two, &one, &indexed}) {
            t->map.SetScale(scale);
            t->Frame();
        }
        size_t collected = 0;
        for (const auto& list : ListsOf(two.map)) collected += list.size();
        EXPECT_GT(collected, 50u) << scale;
        EXPECT_EQ(ListsOf(two.map), ListsOf(one.map)) << scale;
        EXPECT_EQ(ListsOf(two.map), ListsOf(indexed.map)) << scale;
        EXPECT_EQ(two.map.Picture(), one.map.Picture()) << scale;
    }
}
