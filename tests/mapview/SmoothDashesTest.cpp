// Smoothed dashed strokes drawn straight into the image: the dashes lie where Qt's dasher puts
// them along the chain, carried over its points and moved by the pen's offset, and look as Qt
// smooths them; square- and flat-ended streets whose ends lie beyond the clip are stroked as
// round ones but at their ends, and every pen they do not reproduce is left to Qt.
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

    // Adds the comparison of one picture with Qt's, which must be alike: thin edges flip
    // at half cover for a small difference, a dash out of place is far off.
    void Add(const TLikeness& l, int round) {
        EXPECT_LE(l.Flipped, l.Inked / 8 + 8) << "round " << round;
        EXPECT_LE(l.Off, l.Inked / 50 + 4) << "round " << round;
        Inked += l.Inked, Flipped += l.Flipped, Off += l.Off;
    }
    // All pictures added together.
    void ExpectAlike() const {
        EXPECT_LE(Flipped, Inked / 30);
        EXPECT_LE(Off, Inked / 500);
    }
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

// Qt, the drawing object, or TSmoothStrokes alone.
enum class TBy { Qt, Object, Strokes };

// The chain drawn smoothed with pen, on a clip.
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
    } else if (by == TBy::Strokes) {
        if (const auto strokes = TSmoothStrokes::For(p))
            strokes->Chain(std::span<const QPoint>(chain));
        else
            ADD_FAILURE() << "no strokes";
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
    static const Qt::PenCapStyle caps[] = {Qt::RoundCap, Qt::SquareCap, Qt::FlatCap};
    QPen pen(kInk, widths[rng() % 6], styles[rng() % 5], caps[rng() % 3], Qt::RoundJoin);
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
        all.Add(l, round);
    }
    all.ExpectAlike();
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
        all.Add(l, round);
    }
    all.ExpectAlike();
}

// Square and flat caps end a street straight across: a straight street along the rows or
// columns covers of each pixel exactly the share of its square within the rectangle of the
// pen's width around it, half the width longer at each end for square caps.
TEST(SmoothDashes, StraightEndsCoverTheShareOfTheirRectangle) {
    std::mt19937 rng(29);
    std::uniform_real_distribution<double> at(20, 180), length(0, 60), width(1.2, 14);
    int worst = 0;
    for (int round = 0; round < 300; ++round) {
        const bool square = round % 2 == 0, alongRows = round % 4 < 2;
        const double w = width(rng), x = at(rng), y = at(rng), l = length(rng);
        const QPointF a(x, y), b = alongRows ? QPointF(x + l, y) : QPointF(x, y + l);
        QImage img(240, 240, QImage::Format_RGB32);
        img.fill(kGround);
        {
            QPainter p(&img);
            p.setRenderHint(QPainter::Antialiasing, true);
            p.setPen(
                QPen(kInk, w, Qt::SolidLine, square ? Qt::SquareCap : Qt::FlatCap, Qt::RoundJoin));
            const auto strokes = TSmoothStrokes::For(p);
            ASSERT_TRUE(strokes);
            const std::vector<QPointF> chain = {a, b};
            strokes->Chain(std::span<const QPointF>(chain));
        }
        const double beyond = square ? w / 2 : 0;
        QRectF rect = alongRows ? QRectF(QPointF(a.x() - beyond, a.y() - w / 2),
                                         QPointF(b.x() + beyond, b.y() + w / 2))
                                : QRectF(QPointF(a.x() - w / 2, a.y() - beyond),
                                         QPointF(b.x() + w / 2, b.y() + beyond));
        if (!square && l == 0) rect = QRectF();
        const auto coverage = Coverages(img);
        for (int py = 0; py < 240; ++py)
            for (int px = 0; px < 240; ++px) {
                const QRectF pixel(px, py, 1, 1);
                const QRectF in = rect.intersected(pixel);
                const int expected =
                    in.isEmpty() ? 0 : int(std::lround(in.width() * in.height() * 255));
                const int diff = std::abs(coverage[size_t(py * 240 + px)] - expected);
                worst = std::max(worst, diff);
            }
    }
    // A level of rounding, and the blend's own rounding of the ink's channels.
    EXPECT_LE(worst, 2);
}

// Random streets with square and flat ends, cut by clips: they look as Qt smooths them, and
// away from their ends they are the round-ended streets.
TEST(SmoothDashes, StraightEndedStreetsLookAsQtSmoothsThem) {
    std::mt19937 rng(31);
    TLikeness all;
    for (int round = 0; round < 120; ++round) {
        const auto chain = RandomChain(rng, 2 + round % 6);
        const double w = 1.5 + double(rng() % 20) / 2;
        const QPen pen(kInk, w, Qt::SolidLine, round % 2 ? Qt::SquareCap : Qt::FlatCap,
                       Qt::RoundJoin);
        const QRect clip = round % 3 == 0 ? QRect(20, 30, 180, 120) : QRect();
        const QImage ours = Drawn(chain, pen, TBy::Object, clip);
        const TLikeness l = Compare(Drawn(chain, pen, TBy::Qt, clip), ours);
        all.Add(l, round);
        // The drawing object strokes a round-ended street cut to the runs that reach the
        // picture: the whole chain is stroked here for both.
        QPen round_ = pen;
        round_.setCapStyle(Qt::RoundCap);
        const QImage straight = Drawn(chain, pen, TBy::Strokes, clip),
                     rounded = Drawn(chain, round_, TBy::Strokes, clip);
        const double reach = w + 3;
        int differ = 0;
        for (int y = 0; y < straight.height(); ++y)
            for (int x = 0; x < straight.width(); ++x) {
                const QPointF c(x + 0.5, y + 0.5);
                if (std::hypot(c.x() - chain.front().x(), c.y() - chain.front().y()) < reach ||
                    std::hypot(c.x() - chain.back().x(), c.y() - chain.back().y()) < reach)
                    continue;
                differ += std::abs(qRed(straight.pixel(x, y)) - qRed(rounded.pixel(x, y))) > 1;
            }
        EXPECT_EQ(differ, 0) << "round " << round;
    }
    all.ExpectAlike();
}

// Dashed pens the dashes do not reproduce are left to Qt: other joins, translucent ink, one
// pixel wide.
TEST(SmoothDashes, OtherDashedPensAreQts) {
    const std::vector<QPoint> chain = {{10, 20}, {200, 60}, {120, 180}, {30, 150}};
    QPen bevel(kInk, 3, Qt::DotLine, Qt::RoundCap, Qt::BevelJoin);
    QPen translucent(QColor(30, 60, 20, 160), 3, Qt::DashLine, Qt::RoundCap, Qt::RoundJoin);
    QPen thin(kInk, 1, Qt::DashDotLine, Qt::RoundCap, Qt::RoundJoin);
    for (const QPen& pen : {bevel, translucent, thin})
        EXPECT_EQ(Drawn(chain, pen, TBy::Object, {}), Drawn(chain, pen, TBy::Qt, {}))
            << pen.style() << " " << pen.widthF();
}
