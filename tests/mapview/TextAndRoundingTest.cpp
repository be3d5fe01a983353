// Text boxes against the drawn text, and the ties of the one rounding rule in drawing.

#include "RenderTestSupport.h"

#include "mapdata/Rounding.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

namespace {

using namespace rendertest;
using tsivor::mapdata::NearestEven;
using tsivor::mapdata::RoundToInt;

constexpr TColor kWhite = 0xFFFFFF;
constexpr TColor kBlack = 0x000000;

// The rectangle of pixels that are not white.
QRect InkRect(const QImage& img) {
    QRect r;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if (PixelColor(img, x, y) != kWhite) r |= QRect(x, y, 1, 1);
    return r;
}

// A text on an opaque black cell, so that the drawn cell is the ink.
TORBMapObjectMem& AddText(TMapDocument& doc, float x, float y, float size, const QString& text) {
    auto o = std::make_unique<TORBMapObjectMem>();
    TORBMapText t;
    t.X = x, t.Y = y, t.Size = size;
    t.Text = text;
    o->SetText(t);
    o->Pen.Color = kBlack;
    o->Brush.Color = kBlack;
    o->Brush.Style = 0;
    doc.CalcObjectBox(*o);
    return doc.Append(std::move(o));
}

TEST(RoundingRule, HalvesGoToTheEvenNeighbour) {
    EXPECT_EQ(RoundToInt(2.5), 2);
    EXPECT_EQ(RoundToInt(3.5), 4);
    EXPECT_EQ(RoundToInt(-2.5), -2);
    EXPECT_EQ(RoundToInt(2.51), 3);
    EXPECT_EQ(RoundToInt(1e300), INT_MAX);
    EXPECT_EQ(RoundToInt(std::nan("")), 0);
    EXPECT_EQ(NearestEven(4.5), 4.0);
    EXPECT_EQ(NearestEven(1e15 + 0.5), 1e15);
}

TEST(RoundingRule, AgreesWithTheLibraryRoundingEverywhere) {
    // Ties, their neighbours, signed zeros and the edges of the fast range.
    std::vector<double> values = {0.0,
                                  -0.0,
                                  0.5,
                                  -0.5,
                                  1.5,
                                  -1.5,
                                  0.49999999999999994,
                                  -0.49999999999999994,
                                  2251799813685247.5,
                                  -2251799813685247.5,
                                  2251799813685248.0,
                                  4503599627370495.5,
                                  1e300,
                                  -1e300,
                                  std::numeric_limits<double>::denorm_min(),
                                  INFINITY,
                                  -INFINITY};
    for (int i = -3000; i <= 3000; ++i) {
        values.push_back(i / 4.0);
        values.push_back(std::nextafter(i / 2.0, INFINITY));
        values.push_back(std::nextafter(i / 2.0, -INFINITY));
        values.push_back(i * 1234567.891);
    }
    for (const double v : values) {
        const double expected = std::nearbyint(v);
        const double got = NearestEven(v);
        EXPECT_EQ(got, expected) << v;
        EXPECT_EQ(std::signbit(got), std::signbit(expected)) << v;
    }
    EXPECT_TRUE(std::isnan(NearestEven(std::nan(""))));
}

TEST(TextBox, EnclosesTheDrawnTextTightly) {
    for (const double scale : {100.0, 250.0, 60.0}) {
        for (const QString& text : {QStringLiteral("Улица Гагарина"), QStringLiteral("Мир")}) {
            TTestMap t(600, 200);
            const TORBMapObjectMem& o = AddText(t.Doc(), 10, 10, 20, text);
            t.map.SetScale(scale);
            t.map.SetXWind(0);
            t.map.SetYWind(0);
            const QRect ink = InkRect(t.Frame());
            ASSERT_FALSE(ink.isEmpty()) << scale;
            const double k = scale / 100.0;
            const QRectF box(QPointF(o.Box[0].X * k, o.Box[0].Y * k),
                             QPointF(o.Box[2].X * k, o.Box[2].Y * k));
            // Exact at one pixel per unit; at other scales within the steps of font sizes.
            const double slack = scale == 100 ? 1.0 : 1.0 + 0.06 * box.width();
            const double slackY = scale == 100 ? 1.0 : 1.0 + 0.06 * box.height();
            SCOPED_TRACE(QStringLiteral("%1 at %2").arg(text).arg(scale).toStdString());
            EXPECT_NEAR(box.left(), ink.left(), 1.0);
            EXPECT_NEAR(box.top(), ink.top(), 1.0);
            EXPECT_NEAR(box.right(), ink.right() + 1, slack);
            EXPECT_NEAR(box.bottom(), ink.bottom() + 1, slackY);
        }
    }
}

TEST(TextBox, RotatedBoxHoldsTheRotatedText) {
    TTestMap t(300, 300);
    auto& o = AddText(t.Doc(), 150, 150, 20, QStringLiteral("Набережная"));
    TORBMapText text;
    ASSERT_TRUE(o.GetText(text));
    text.Angle = 450;
    o.SetText(text);
    o.Brush.Style = 0;
    t.Doc().CalcObjectBox(o);
    const QImage& frame = t.Frame();
    // Every drawn pixel lies in the box or within a pixel of its edge (the aliased fill of
    // the turned cell takes whole pixels); the box reaches no further than a pixel beyond.
    const float cx = (o.Box[0].X + o.Box[2].X) / 2, cy = (o.Box[0].Y + o.Box[2].Y) / 2;
    auto nearBox = [&](float x, float y) {
        const float dx = cx - x, dy = cy - y, d = std::hypot(dx, dy);
        return tsivor::mapview::PointInPolygon(o.Box.data(), 3, x, y) ||
               tsivor::mapview::PointInPolygon(o.Box.data(), 3, x + dx / d, y + dy / d);
    };
    int ink = 0, far = 0;
    for (int y = 0; y < frame.height(); ++y)
        for (int x = 0; x < frame.width(); ++x) {
            if (PixelColor(frame, x, y) == kWhite) continue;
            ++ink;
            far += !nearBox(float(x) + 0.5f, float(y) + 0.5f);
        }
    EXPECT_GT(ink, 1000);
    EXPECT_EQ(far, 0);
    // The box holds no more than the ink and its one-pixel rim.
    int boxPixels = 0;
    for (int y = 0; y < frame.height(); ++y)
        for (int x = 0; x < frame.width(); ++x)
            boxPixels +=
                tsivor::mapview::PointInPolygon(o.Box.data(), 3, float(x) + 0.5f, float(y) + 0.5f);
    EXPECT_LT(std::abs(boxPixels - ink), ink / 20);
}

TEST(RoundingTies, TextOfFourAndAHalfAtScaleHundredIsNotDrawn) {
    TTestMap t;
    AddText(t.Doc(), 10, 10, 4.5f, QStringLiteral("Мост"));
    EXPECT_TRUE(InkRect(t.Frame()).isEmpty());
    // 5.5 rounds to 6: drawn.
    TTestMap u;
    AddText(u.Doc(), 10, 10, 5.5f, QStringLiteral("Мост"));
    EXPECT_FALSE(InkRect(u.Frame()).isEmpty());
}

TEST(RoundingTies, PenOfTwoAndAHalfAtOnePixelPerUnitIsTwoPixels) {
    TTestMap t;
    TORBMapObjectMem& line = AddPoints(t.Doc(), cLine, {{20, 50.5f}, {150, 50.5f}}, kBlack, 0);
    line.Pen.Width = 2.5f;
    t.Doc().CalcObjectBox(line);
    const QImage& frame = t.Frame();
    int column = 0;
    for (int y = 0; y < frame.height(); ++y) column += PixelColor(frame, 80, y) != kWhite;
    EXPECT_EQ(column, 2);
    EXPECT_EQ(tsivor::mapview::TObjectPainter::MakePen(line, 1.0, 0).width(), 2);
    line.Pen.Width = 3.5f;
    EXPECT_EQ(tsivor::mapview::TObjectPainter::MakePen(line, 1.0, 0).width(), 4);
}

} // namespace
