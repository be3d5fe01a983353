// Smoothed closed chains of curves (ellipses, ponds) filled and outlined straight into the
// image: they must look as Qt smooths the same path, in both bands of a frame, moved, and
// reaching beyond the clip and the device.
#include "RenderTestSupport.h"

#include "mapview/DrawObject.h"
#include "mapview/DrawPrimitives.h"

#include <gtest/gtest.h>

#include <QPainter>
#include <QPainterPath>

#include <random>
#include <vector>

using namespace rendertest;
using namespace tsivor::mapview;

namespace {

const QColor kGround(60, 160, 60), kWater(150, 200, 240), kShore(20, 60, 150);

struct TRing {
    std::vector<QPoint> Chain; // 3 n + 1 points
    bool Outlined = true;
    QPointF Shift; // of the canvas
};

// The ring drawn by two canvases, each clipped to its half of the rows, as the bands of a frame
// are; by Qt's drawPath or by the drawing object.
QImage Draw(const TRing& ring, bool byQt) {
    QImage img(160, 120, QImage::Format_RGB32);
    img.fill(kGround);
    for (const QRect band : {QRect(0, 0, 160, 57), QRect(0, 57, 160, 63)}) {
        QPainter p(&img);
        p.setRenderHint(QPainter::Antialiasing, true);
        p.setClipRect(band);
        p.translate(ring.Shift);
        p.setPen(ring.Outlined ? QPen(kShore, 1) : QPen(Qt::NoPen));
        p.setBrush(kWater);
        if (byQt) {
            QPainterPath path(ring.Chain[0]);
            for (size_t i = 1; i + 2 < ring.Chain.size(); i += 3)
                path.cubicTo(ring.Chain[i], ring.Chain[i + 1], ring.Chain[i + 2]);
            path.closeSubpath();
            path.setFillRule(Qt::OddEvenFill);
            p.drawPath(path);
        } else {
            TDrawObject d;
            d.SetCanvas(&p);
            d.FillBezierPath(ring.Chain);
            d.SetCanvas(nullptr);
        }
    }
    return img;
}

// Pixels whose neighbours within two pixels all have their colour in Qt's picture, yet differ
// in the drawn one: inside the water and out on the ground nothing may change.
int SettledPixelsChanged(const QImage& drawn, const QImage& byQt) {
    int changed = 0;
    for (int y = 0; y < byQt.height(); ++y)
        for (int x = 0; x < byQt.width(); ++x) {
            const QRgb c = byQt.pixel(x, y);
            bool settled = true;
            for (int dy = -2; dy <= 2 && settled; ++dy)
                for (int dx = -2; dx <= 2 && settled; ++dx) {
                    const int u = x + dx, v = y + dy;
                    if (u >= 0 && v >= 0 && u < byQt.width() && v < byQt.height())
                        settled = byQt.pixel(u, v) == c;
                }
            if (settled && drawn.pixel(x, y) != c) ++changed;
        }
    return changed;
}

const QPointF kShifts[] = {{0, 0}, {3, -2}, {0.5, 0.5}, {-0.25, 0.75}};

// Ellipses of 3 to 60 pixels with corners off the whole pixels, some across the bands' meeting
// row, the device's sides or both.
std::vector<TRing> RandomEllipses(std::mt19937& rng) {
    std::uniform_real_distribution<double> centre(-20, 180), size(3, 60), turn(0, 3.1416);
    std::vector<TRing> rings;
    for (int i = 0; i < 60; ++i) {
        const double cx = centre(rng), cy = centre(rng) * 0.75, w = size(rng), h = size(rng);
        const double a = turn(rng), ux = std::cos(a), uy = std::sin(a);
        const QPointF u(ux * w / 2, uy * w / 2), v(-uy * h / 2, ux * h / 2), c(cx, cy);
        const QPointF corners[4] = {c - u - v, c + u - v, c + u + v, c - u + v};
        TRing ring;
        ring.Chain = TObjectPainter::EllipseQuadPoints(corners);
        ring.Outlined = i % 3 != 0;
        ring.Shift = kShifts[i % std::size(kShifts)];
        rings.push_back(std::move(ring));
    }
    return rings;
}

// Chains of one to four curves, whose last point is not the first, so the ring is closed by a
// line; they may cross themselves.
std::vector<TRing> RandomChains(std::mt19937& rng) {
    std::uniform_real_distribution<double> corner(-40, 170), extent(5, 120);
    std::uniform_int_distribution<int> curves(1, 4);
    std::vector<TRing> rings;
    for (int i = 0; i < 60; ++i) {
        const double x0 = corner(rng), y0 = corner(rng) * 0.75, e = extent(rng);
        std::uniform_real_distribution<double> along(0, e);
        TRing ring;
        const int n = 3 * curves(rng) + 1;
        for (int k = 0; k < n; ++k)
            ring.Chain.push_back(QPointF(x0 + along(rng), y0 + along(rng)).toPoint());
        ring.Outlined = i % 3 != 0;
        ring.Shift = kShifts[(i / 2) % std::size(kShifts)];
        rings.push_back(std::move(ring));
    }
    return rings;
}

// Outlines within a sixth of the contrast of water and shore (130 levels of red), bare fills
// within a sixth of that of water and ground (180 levels of blue): Qt flattens a fill coarser
// than its outline. A ring half a pixel off, an outline left open or following the curve by too
// few segments differ more.
int MostDifference(const TRing& ring) {
    return ring.Outlined ? 20 : 30;
}

void ExpectLookAsQt(const std::vector<TRing>& rings) {
    for (size_t i = 0; i < rings.size(); ++i) {
        const QImage byQt = Draw(rings[i], true), drawn = Draw(rings[i], false);
        EXPECT_LE(MaxChannelDifference(drawn, byQt), MostDifference(rings[i]))
            << "ring " << i << " outlined " << rings[i].Outlined;
        EXPECT_EQ(SettledPixelsChanged(drawn, byQt), 0)
            << "ring " << i << " outlined " << rings[i].Outlined;
    }
}

} // namespace

TEST(SmoothRings, EllipsesLookAsQtSmoothsThem) {
    std::mt19937 rng(20261210);
    ExpectLookAsQt(RandomEllipses(rng));
}

TEST(SmoothRings, ChainsOfCurvesLookAsQtSmoothsThem) {
    std::mt19937 rng(1210);
    ExpectLookAsQt(RandomChains(rng));
}
