// House-number labels: text, gate, contrast colour and the anchor inside L-shaped houses.
#include "RenderTestSupport.h"

#include "mapview/HouseNumbers.h"

#include <gtest/gtest.h>

using namespace rendertest;
using namespace tsivor::mapview;

TEST(HouseNumberText, SecondHouseNumberJoinsWithASlash) {
    TORBMapObjectMem o;
    SetAddress(o, "12", "3\xC0"); // "3А" in code page 1251
    EXPECT_EQ(HouseNumberText(o), QStringLiteral("12/3А"));
    SetAddress(o, "7", "");
    EXPECT_EQ(HouseNumberText(o), QStringLiteral("7"));
}

TEST(HouseNumberColour, ContrastsWithTheFill) {
    EXPECT_EQ(HouseNumberFontColor(0x000080), 0xFFFFFFu); // dark red
    EXPECT_EQ(HouseNumberFontColor(0xC0FFC0), 0x000000u); // pale green
    EXPECT_EQ(HouseNumberFontColor(0xFF0000), 0x000000u); // pure blue
    EXPECT_EQ(HouseNumberFontColor(0x959595), 0xFFFFFFu); // 149 is still dark
}

TEST(HouseNumberGate, ScaleAboveTheMinimumOrPrinterSwitch) {
    TORBMapObjectMem o;
    SetAddress(o, "1", "");
    tOrbMapOptions options;
    options.SetmpNumberDom(true);
    options.SetMinScaleAddress(150);
    THouseNumberPainter painter;
    THouseNumberDevice device;
    device.Scale = 150;
    EXPECT_FALSE(painter.Gate(o, options, device));
    device.Scale = 150.01;
    EXPECT_TRUE(painter.Gate(o, options, device));
    options.SetmpNumberDom(false);
    EXPECT_FALSE(painter.Gate(o, options, device));
    device.Printing = true;
    device.Scale = 1;
    device.PrintNumberDom = true;
    EXPECT_TRUE(painter.Gate(o, options, device));
    o.HasAddress = 0;
    EXPECT_FALSE(painter.Gate(o, options, device));
}

TEST(HouseNumberAnchor, LShapedHouseUsesTheNearestInsideGridPoint) {
    TMapDocument doc;
    // An L: the box is 0..80 x 0..70, its centre (40, 35) lies in the cut-out corner.
    auto& house =
        AddPoints(doc, cPolygon, {{0, 0}, {25, 0}, {25, 45}, {80, 45}, {80, 70}, {0, 70}}, 0, 0);
    const QPointF a = HouseNumberAnchor(house);
    EXPECT_TRUE(PointInPolygon(house, float(a.x()), float(a.y())));
    // Columns every 80/7, rows every 10: the row y = 50 holds the nearest inside points,
    // 3 * 80/7 and 4 * 80/7 about equally far; the first in grid order wins.
    EXPECT_NEAR(a.x(), 3 * 80.0 / 7, 1e-3);
    EXPECT_NEAR(a.y(), 50, 1e-4);
    auto& square = AddRect(doc, 0, 0, 10, 10, 0);
    EXPECT_EQ(HouseNumberAnchor(square), QPointF(5, 5));
}

TEST(HouseNumberDrawing, LabelGetsTheContrastColourAndCanBeMoved) {
    TTestMap t;
    auto& house = AddRect(t.Doc(), 20, 20, 120, 80, 0x000080);
    SetAddress(house, "12", "");
    t.map.Options().SetMinScaleAddress(99);
    t.map.Options().SetmpNumberDomFill(false);
    t.map.Options().SetmpNumberDom(true);
    TColor seenFont = 1, seenObject = 1;
    int seenX = 0;
    t.map.Render().Painter().HouseNumbers.OnPaintAddress = [&](int& x, int&, TColor object,
                                                               TColor& font, TColor& back) {
        seenFont = font, seenObject = object, seenX = x;
        EXPECT_EQ(back, 0x000080u);
    };
    const QImage& img = t.Frame();
    EXPECT_EQ(seenFont, 0xFFFFFFu);
    EXPECT_EQ(seenObject, 0x000080u);
    EXPECT_GT(seenX, 55);
    EXPECT_LT(seenX, 70);
    int white = 0;
    for (int y = 40; y < 60; ++y)
        for (int x = 55; x < 85; ++x) white += qGreen(img.pixel(x, y)) > 128; // light letters
    EXPECT_GT(white, 5);
}

TEST(HouseNumberDrawing, LaterObjectsCoverEarlierNumbers) {
    TTestMap t;
    auto& house = AddRect(t.Doc(), 20, 20, 120, 80, 0x000080);
    SetAddress(house, "12", "");
    AddRect(t.Doc(), 0, 0, 200, 150, 0x00FF00); // a later object over everything
    t.map.Options().SetMinScaleAddress(99);
    t.map.Options().SetmpNumberDom(true);
    const QImage& img = t.Frame();
    for (int y = 0; y < img.height(); y += 7)
        for (int x = 0; x < img.width(); x += 7) ASSERT_EQ(PixelColor(img, x, y), 0x00FF00u);
}
