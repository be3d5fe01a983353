// Smoothed dashed strokes drawn straight into the image: the dashes lie where Qt's dasher puts
// them along the chain, carried over its points and moved by the pen's offset, and look as Qt
// smooths them; square- and flat-ended streets whose ends lie beyond the clip are stroked as
// round-ended ones, and every pen or chain they do not reproduce is left to Qt.
#include "mapdata/Rounding.h"
#include "mapview/DashPattern.h"
#include "mapview/DrawPrimitives.h"
#include "mapview/SmoothStrokes.h"

#include <gtest/gtest.h>

#include <QPainter>
#include <QPainterPath>

#include <cmath>
#include <random>
#include <vector>

using namespace tsivor::mapview;

namespace {

const QColor kGround(250, 245, 230), kInk(30, 60, 20);

// The dashes along the chain, each as its points.
std::vector<std::vector<QPointF>> DashesOf(const QPen& pen, const std::vector<QPointF>& chain) {
    std::vector<std::vector<QPointF>> out;
    const auto dashes = TDashPattern::Of(pen);
    if (!dashes) return out;
    dashes->Along(std::span<const QPointF>(chain), QRectF(), [&](std::span<const QPointF> dash) {
        out.emplace_back(dash.begin(), dash.end());
    });
    return out;
}

double LengthOf(const std::vector<QPointF>& chain) {
    double l = 0;
    for (size_t i = 1; i < chain.size(); ++i)
        l += std::hypot(chain[i].x() - chain[i - 1].x(), chain[i].y() - chain[i - 1].y());
    return l;
}

// The ink's share 0-255 of each pixel.
std::vector<int> Coverages(const QImage& img) {
    std::vector<int> out;
    out.reserve(size_t(img.width() * img.height()));
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            out.push_back(int(std::lround(255.0 * (kGround.red() - qRed(img.pixel(x, y))) /
                                          (kGround.red() - kInk.red()))));
    return out;
}

struct TLikeness {
    long Inked = 0;   // pixels either picture covers by half or more
    long Flipped = 0; // of them, pixels one picture covers by half or more and the other not
    long Off = 0;     // pixels whose coverages differ by more than 96 levels
};

TLikeness Compare(const QImage& a, const QImage& b) {
    const auto ca = Coverages(a), cb = Coverages(b);
    TLikeness l;
    for (size_t i = 0; i < ca.size(); ++i) {
        const bool ia = ca[i] >= 128, ib = cb[i] >= 128;
        l.Inked += ia || ib;
        l.Flipped += ia != ib;
        l.Off += std::abs(ca[i] - cb[i]) > 96;
    }
    return l;
}

enum class TBy { Qt, Object };

// The chain drawn smoothed with pen by Qt or through the drawing object, on a clip.
QImage Drawn(const std::vector<QPoint>& chain, const QPen& pen, TBy by, const QRect& clip,
             bool curves = false) {
    QImage img(240, 200, QImage::Format_RGB32);
    img.fill(kGround);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing, true);
    if (!clip.isNull()) p.setClipRect(clip);
    p.setPen(pen);
    if (by == TBy::Qt) {
        // As the drawing object places strokes of odd widths.
        if (tsivor::mapdata::RoundToInt(pen.widthF()) % 2 == 1) p.translate(0.5, 0.5);
        if (curves) {
            QPainterPath path(chain[0]);
            for (size_t i = 1; i + 2 < chain.size(); i += 3)
                path.cubicTo(chain[i], chain[i + 1], chain[i + 2]);
            p.strokePath(path, pen);
        } else {
            p.drawPolyline(chain.data(), int(chain.size()));
        }
    } else {
        TDrawObject d;
        d.SetCanvas(&p);
        if (curves)
            d.PolyBezier(chain);
        else
            d.Polyline(chain);
        d.SetCanvas(nullptr);
    }
    return img;
}

std::vector<QPoint> RandomChain(std::mt19937& rng, int points) {
    std::uniform_int_distribution<int> x(-30, 270), y(-30, 230);
    std::vector<QPoint> chain;
    for (int i = 0; i < points; ++i) chain.emplace_back(x(rng), y(rng));
    return chain;
}

QPen RandomDashedPen(std::mt19937& rng) {
    static const Qt::PenStyle styles[] = {Qt::DashLine, Qt::DotLine, Qt::DashDotLine,
                                          Qt::DashDotDotLine, Qt::CustomDashLine};
    const double widths[] = {1.5, 2, 3, 4.5, 6, 9};
    QPen pen(kInk, widths[rng() % 6], styles[rng() % 5], Qt::RoundCap, Qt::RoundJoin);
    if (pen.style() == Qt::CustomDashLine) pen.setDashPattern({3.5, 1.5, 0.5, 2.5});
    if (rng() % 3 == 0) pen.setDashOffset(double(rng() % 70) / 7);
    return pen;
}

} // namespace

// Along a straight line the dashes begin at its first point, each as long as its entry of the
// pattern times the pen's width, the spaces between them likewise; the offset moves the
// pattern on; a dash running past a point of the chain goes on round it as one dash.
TEST(SmoothDashes, LieWhereThePatternPutsThem) {
    QPen pen(kInk, 2, Qt::DashLine, Qt::RoundCap, Qt::RoundJoin); // 8 on, 4 off
    auto dashes = DashesOf(pen, {{0, 0}, {30, 0}});
    ASSERT_EQ(dashes.size(), 3u);
    EXPECT_EQ(dashes[0], (std::vector<QPointF>{{0, 0}, {8, 0}}));
    EXPECT_EQ(dashes[1], (std::vector<QPointF>{{12, 0}, {20, 0}}));
    EXPECT_EQ(dashes[2], (std::vector<QPointF>{{24, 0}, {30, 0}}));

    pen.setDashOffset(3); // six pixels on: two of the first dash are left
    dashes = DashesOf(pen, {{0, 0}, {30, 0}});
    ASSERT_EQ(dashes.size(), 3u);
    EXPECT_EQ(dashes[0], (std::vector<QPointF>{{0, 0}, {2, 0}}));
    EXPECT_EQ(dashes[1], (std::vector<QPointF>{{6, 0}, {14, 0}}));
    EXPECT_EQ(dashes[2], (std::vector<QPointF>{{18, 0}, {26, 0}}));
    pen.setDashOffset(-1); // as 5 of the pattern of 6 widths: in the space, 2 pixels before a dash
    dashes = DashesOf(pen, {{0, 0}, {30, 0}});
    ASSERT_FALSE(dashes.empty());
    EXPECT_EQ(dashes[0], (std::vector<QPointF>{{2, 0}, {10, 0}}));

    pen.setDashOffset(0);
    dashes = DashesOf(pen, {{0, 0}, {5, 0}, {5, 0}, {5, 10}, {5, 20}});
    ASSERT_EQ(dashes.size(), 3u);
    EXPECT_EQ(dashes[0], (std::vector<QPointF>{{0, 0}, {5, 0}, {5, 3}}));
    EXPECT_EQ(dashes[1], (std::vector<QPointF>{{5, 7}, {5, 10}, {5, 15}}));
    EXPECT_EQ(dashes[2], (std::vector<QPointF>{{5, 19}, {5, 20}}));

    // The dashes of any chain add up to the pattern's share of its length.
    std::mt19937 rng(3);
    for (int round = 0; round < 200; ++round) {
        std::vector<QPointF> chain;
        for (int i = 0; i < 2 + round % 9; ++i)
            chain.emplace_back(double(rng() % 4000) / 10, double(rng() % 4000) / 10);
        const QPen p = RandomDashedPen(rng);
        const auto pattern = TDashPattern::Of(p);
        ASSERT_TRUE(pattern);
        double on = 0;
        for (const auto& dash : DashesOf(p, chain)) on += LengthOf(dash);
        const double length = LengthOf(chain), cycles = length / pattern->Length();
        const double w = p.widthF();
        double share = 0; // of a whole pattern that is dash
        const QList<qreal> entries = p.dashPattern();
        for (qsizetype i = 0; i < entries.size(); i += 2) share += entries[i] * w;
        EXPECT_NEAR(on, cycles * share, share + 1e-6) << "round " << round;
    }
}

// Patterns of no length, of spaces only and of more than Qt takes are handled as Qt handles
// them, without walking for ever.
TEST(SmoothDashes, PatternsOfNoLengthAreNotDashed) {
    QPen pen(kInk, 3, Qt::CustomDashLine, Qt::RoundCap, Qt::RoundJoin);
    pen.setDashPattern({0, 0});
    EXPECT_FALSE(TDashPattern::Of(pen));
    pen.setDashPattern({0, 4});
    const auto spaces = TDashPattern::Of(pen);
    ASSERT_TRUE(spaces);
    // Dashes of no length still stand, as round dots; one at the start is passed over.
    const auto dots = DashesOf(pen, {{0, 0}, {40, 0}});
    ASSERT_EQ(dots.size(), 3u);
    EXPECT_EQ(dots[0], (std::vector<QPointF>{{12, 0}, {12, 0}}));
    EXPECT_FALSE(TDashPattern::Of(QPen(kInk, 3, Qt::SolidLine)));
}

// Random chains with every dashed style, offsets and widths, cut by clips: the dashes show
// where Qt's do and look as Qt smooths them.
TEST(SmoothDashes, LookAsQtSmoothsThem) {
    std::mt19937 rng(17);
    TLikeness all;
    for (int round = 0; round < 120; ++round) {
        const auto chain = RandomChain(rng, 2 + round % 7);
        const QPen pen = RandomDashedPen(rng);
        const QRect clip = round % 3 == 0 ? QRect(20, 30, 180, 120) : QRect();
        const QImage qt = Drawn(chain, pen, TBy::Qt, clip);
        const QImage ours = Drawn(chain, pen, TBy::Object, clip);
        const TLikeness l = Compare(qt, ours);
        printf("round %d inked %ld flipped %ld off %ld style %d w %.1f\n", round, l.Inked,
               l.Flipped, l.Off, int(pen.style()), pen.widthF());
        EXPECT_LE(l.Flipped, l.Inked / 8 + 8) << "round " << round;
        EXPECT_LE(l.Off, l.Inked / 50 + 4) << "round " << round;
        all.Inked += l.Inked, all.Flipped += l.Flipped, all.Off += l.Off;
    }
    EXPECT_LE(all.Flipped, all.Inked / 30);
    EXPECT_LE(all.Off, all.Inked / 500);
}

// Dashed curves: the dashes are measured along the whole flattened chain of curves.
TEST(SmoothDashes, CurvesLookAsQtSmoothsThem) {
    std::mt19937 rng(23);
    TLikeness all;
    for (int round = 0; round < 60; ++round) {
        const auto chain = RandomChain(rng, 4 + 3 * (round % 3));
        const QPen pen = RandomDashedPen(rng);
        const TLikeness l =
            Compare(Drawn(chain, pen, TBy::Qt, {}, true), Drawn(chain, pen, TBy::Object, {}, true));
        printf("curve %d inked %ld flipped %ld off %ld style %d w %.1f\n", round, l.Inked,
               l.Flipped, l.Off, int(pen.style()), pen.widthF());
        EXPECT_LE(l.Flipped, l.Inked / 8 + 8) << "round " << round;
        EXPECT_LE(l.Off, l.Inked / 50 + 4) << "round " << round;
        all.Inked += l.Inked, all.Flipped += l.Flipped, all.Off += l.Off;
    }
    EXPECT_LE(all.Flipped, all.Inked / 30);
    EXPECT_LE(all.Off, all.Inked / 500);
}

// A street with square or flat ends whose ends lie beyond the clip is stroked as a round-ended
// one, the caps out of sight; with an end in sight it is Qt's stroke.
TEST(SmoothDashes, StreetsWithHiddenEndsAreStrokedStraight) {
    const std::vector<QPoint> street = {{-40, 80}, {60, 70}, {140, 120}, {300, 100}};
    const std::vector<QPoint> inSight = {{20, 80}, {60, 70}, {140, 120}, {300, 100}};
    for (const Qt::PenCapStyle cap : {Qt::SquareCap, Qt::FlatCap})
        for (const double w : {3.0, 6.0, 11.0}) {
            const QPen pen(kInk, w, Qt::SolidLine, cap, Qt::RoundJoin);
            const QPen round(kInk, w, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
            EXPECT_EQ(Drawn(street, pen, TBy::Object, {}), Drawn(street, round, TBy::Object, {}));
            const TLikeness l =
                Compare(Drawn(street, pen, TBy::Qt, {}), Drawn(street, pen, TBy::Object, {}));
            EXPECT_LE(l.Flipped, l.Inked / 50 + 4) << w;
            EXPECT_EQ(Drawn(inSight, pen, TBy::Object, {}), Drawn(inSight, pen, TBy::Qt, {})) << w;
            // Its end beyond the picture but within the clip's reach of a cap: still Qt's.
            const std::vector<QPoint> nearEdge = {{-1, 80}, {60, 70}, {300, 100}};
            EXPECT_EQ(Drawn(nearEdge, pen, TBy::Object, {}), Drawn(nearEdge, pen, TBy::Qt, {}))
                << w;
        }
}

// Dashed pens the dashes do not reproduce are left to Qt: square or flat caps, other joins,
// translucent ink, one pixel wide.
TEST(SmoothDashes, OtherDashedPensAreQts) {
    const std::vector<QPoint> chain = {{10, 20}, {200, 60}, {120, 180}, {30, 150}};
    QPen square(kInk, 3, Qt::DashLine, Qt::SquareCap, Qt::RoundJoin);
    QPen bevel(kInk, 3, Qt::DotLine, Qt::RoundCap, Qt::BevelJoin);
    QPen translucent(QColor(30, 60, 20, 160), 3, Qt::DashLine, Qt::RoundCap, Qt::RoundJoin);
    QPen thin(kInk, 1, Qt::DashDotLine, Qt::RoundCap, Qt::RoundJoin);
    for (const QPen& pen : {square, bevel, translucent, thin})
        EXPECT_EQ(Drawn(chain, pen, TBy::Object, {}), Drawn(chain, pen, TBy::Qt, {}))
            << pen.style() << " " << pen.widthF();
}
