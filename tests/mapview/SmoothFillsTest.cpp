// Smoothed fills computed straight into the image: they must look as Qt smooths the same
// figures by the odd-even rule, stay inside the clip, and leave what they do not reproduce to
// Qt.
#include "mapview/SmoothFills.h"

#include <gtest/gtest.h>

#include <QPainter>
#include <QRegion>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

using namespace tsivor::mapview;

namespace {

const QColor kGround(200, 230, 180), kInk(40, 20, 160);

struct TSetting {
    QPointF Shift;
    QRect Clip; // none when null
    QImage::Format Format = QImage::Format_RGB32;
};

QImage Filled(const std::vector<QPoint>& ring, const TSetting& s, bool byQt) {
    QImage img(160, 160, s.Format);
    img.fill(kGround);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing, true);
    if (!s.Clip.isNull()) p.setClipRect(s.Clip);
    p.translate(s.Shift);
    p.setPen(Qt::NoPen);
    p.setBrush(kInk);
    if (byQt) {
        p.drawPolygon(ring.data(), int(ring.size()), Qt::OddEvenFill);
    } else {
        const auto fills = TSmoothFills::For(p);
        if (!fills) {
            ADD_FAILURE() << "no fills";
            return img;
        }
        fills->OddEven(ring);
    }
    return img.convertToFormat(QImage::Format_RGB32);
}

int Difference(QRgb a, QRgb b) {
    return std::max({std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)),
                     std::abs(qBlue(a) - qBlue(b))});
}

// Rings of 3-40 points: small houses, long thin slivers, stars crossing themselves, and
// large figures reaching far off the image.
std::vector<std::vector<QPoint>> RandomRings(int count, unsigned seed) {
    std::mt19937 rng(seed);
    std::uniform_int_distribution<int> points(3, 40), kind(0, 3);
    std::vector<std::vector<QPoint>> rings;
    for (int i = 0; i < count; ++i) {
        const int k = kind(rng);
        const int spread = k == 0 ? 20 : k == 1 ? 160 : 2000;
        std::uniform_int_distribution<int> centre(-20, 180), offset(-spread, spread);
        const QPoint c(centre(rng), centre(rng));
        std::vector<QPoint> ring;
        for (int n = points(rng); n > 0; --n) {
            ring.push_back(c + QPoint(offset(rng), offset(rng)));
            if (k == 3 && n % 3 == 0) ring.push_back(ring.back() + QPoint(1, 0)); // slivers
        }
        rings.push_back(std::move(ring));
    }
    return rings;
}

} // namespace

// Every kind of edge, figures crossing themselves, shifts of whole, half and other parts of
// pixels, clipped to bands of rows and columns: within a few levels of Qt's pixels, nothing
// outside the clip.
TEST(SmoothFills, LookAsQtSmoothsTheSameFigures) {
    const auto rings = RandomRings(400, 3);
    const QPointF shifts[] = {{0, 0}, {0.5, 0.5}, {0.3, -0.7}};
    const QRect clips[] = {QRect(), QRect(0, 53, 160, 41), QRect(37, 0, 60, 160),
                           QRect(0, 80, 160, 80)};
    int max = 0, outside = 0;
    double sum = 0;
    long pixels = 0;
    for (size_t i = 0; i < rings.size(); ++i) {
        TSetting s;
        s.Shift = shifts[i / 3 % 3];
        s.Clip = clips[i % 4];
        if (i % 7 == 0) s.Format = QImage::Format_ARGB32_Premultiplied;
        const QImage mine = Filled(rings[i], s, false), qt = Filled(rings[i], s, true);
        for (int y = 0; y < mine.height(); ++y)
            for (int x = 0; x < mine.width(); ++x) {
                const int d = Difference(mine.pixel(x, y), qt.pixel(x, y));
                max = std::max(max, d);
                sum += d, ++pixels;
                if (mine.pixel(x, y) != kGround.rgb() && !s.Clip.isNull() && !s.Clip.contains(x, y))
                    ++outside;
            }
    }
    EXPECT_LE(max, 8);
    EXPECT_LT(sum / pixels, 0.05);
    EXPECT_EQ(outside, 0);
}
