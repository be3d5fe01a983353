// Smoothed hairlines stepped straight into the image: they must look as Qt smooths the same
// outlines, stay inside the clip, and leave every state they do not reproduce to Qt.
#include "mapview/SmoothHairlines.h"
#include "mapview/DrawPrimitives.h"

#include <gtest/gtest.h>

#include <QPainter>
#include <QRegion>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <random>
#include <vector>

using namespace tsivor::mapview;

namespace {

const QColor kGround(200, 230, 180), kInk(40, 20, 160);
// The largest channel difference of ink and ground.
constexpr int kContrast = 210;

struct TFigure {
    std::vector<QPoint> Points;
    bool Closed = false;
};

// Chains of 1-6 segments of 0-200 pixels in every direction, many reaching off the image.
std::vector<TFigure> RandomFigures(int count, unsigned seed) {
    std::mt19937 rng(seed);
    std::uniform_int_distribution<int> start(-40, 200), length(0, 200), segments(1, 6);
    std::uniform_real_distribution<double> angle(0, 2 * std::numbers::pi);
    std::vector<TFigure> figures;
    for (int i = 0; i < count; ++i) {
        TFigure f;
        f.Closed = i % 2 == 1;
        f.Points.push_back(QPoint(start(rng), start(rng)));
        for (int n = segments(rng); n > 0; --n) {
            const double a = angle(rng), l = i % 7 == 0 ? length(rng) % 4 : length(rng);
            f.Points.push_back(f.Points.back() + QPoint(int(std::lround(l * std::cos(a))),
                                                        int(std::lround(l * std::sin(a)))));
        }
        figures.push_back(std::move(f));
    }
    return figures;
}

struct TSetting {
    QPen Pen;
    QPointF Shift;
    QRect Clip; // none when null
    QImage::Format Format = QImage::Format_RGB32;
};

// The figure drawn smoothed by Qt or by the stepper.
QImage Drawn(const TFigure& f, const TSetting& s, bool byQt) {
    QImage img(160, 160, s.Format);
    img.fill(kGround);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing, true);
    if (!s.Clip.isNull()) p.setClipRect(s.Clip);
    p.translate(s.Shift);
    p.setPen(s.Pen);
    const int n = int(f.Points.size());
    if (byQt) {
        if (f.Closed)
            p.drawPolygon(f.Points.data(), n);
        else
            p.drawPolyline(f.Points.data(), n);
    } else {
        auto lines = TSmoothHairlines::For(p);
        if (!lines) {
            ADD_FAILURE() << "no stepper";
            return img;
        }
        lines->Chain(f.Points, f.Closed);
    }
    return img.convertToFormat(QImage::Format_RGB32);
}

int Difference(QRgb a, QRgb b) {
    return std::max({std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)),
                     std::abs(qBlue(a) - qBlue(b))});
}

struct TComparison {
    int Max = 0;
    double Sum = 0;
    long Pixels = 0;
    int Stray = 0;       // drawn with nothing of Qt's line within a pixel
    int OutsideClip = 0; // drawn outside the clip
};

void Compare(const QImage& drawn, const QImage& byQt, const QRect& clip, TComparison& c) {
    const QRgb ground = kGround.rgb();
    for (int y = 0; y < drawn.height(); ++y)
        for (int x = 0; x < drawn.width(); ++x) {
            const QRgb mine = drawn.pixel(x, y);
            const int d = Difference(mine, byQt.pixel(x, y));
            c.Max = std::max(c.Max, d);
            c.Sum += d;
            ++c.Pixels;
            if (mine == ground) continue;
            if (!clip.isNull() && !clip.contains(x, y)) ++c.OutsideClip;
            bool near = false;
            for (int j = std::max(0, y - 1); j <= std::min(drawn.height() - 1, y + 1); ++j)
                for (int i = std::max(0, x - 1); i <= std::min(drawn.width() - 1, x + 1); ++i)
                    near = near || byQt.pixel(i, j) != ground;
            c.Stray += !near;
        }
}

} // namespace

// Every direction and slope, ends on whole and half pixels and between, outlines of width 0
// and 1 with each kind of end, on the whole image and clipped to a band of rows whose edges
// the lines cross: within an eighth of the contrast of Qt's, nowhere Qt draws nothing near,
// nothing outside the clip.
TEST(SmoothHairlines, LookAsQtSmoothsTheSameOutlines) {
    const auto figures = RandomFigures(600, 7);
    const Qt::PenCapStyle caps[] = {Qt::RoundCap, Qt::FlatCap, Qt::SquareCap};
    const QPointF shifts[] = {{0, 0}, {0.5, 0.5}, {0.3, -0.7}};
    const QRect clips[] = {QRect(), QRect(0, 53, 160, 41), QRect(37, 0, 60, 160)};
    TComparison c;
    for (size_t i = 0; i < figures.size(); ++i) {
        TSetting s;
        s.Pen = QPen(kInk, int(i / 3 % 2), Qt::SolidLine, caps[i % 3], Qt::RoundJoin);
        s.Shift = shifts[i / 5 % 3];
        s.Clip = clips[i / 2 % 3];
        if (i % 11 == 0) s.Format = QImage::Format_ARGB32_Premultiplied;
        Compare(Drawn(figures[i], s, false), Drawn(figures[i], s, true), s.Clip, c);
    }
    EXPECT_LE(c.Max, kContrast / 8);
    EXPECT_LT(c.Sum / c.Pixels, 0.1);
    EXPECT_EQ(c.Stray, 0);
    EXPECT_EQ(c.OutsideClip, 0);
}

// Where two sides of a house meet, the corner pixel is blended once for each side, as Qt
// blends it: no darker and no lighter than Qt's corner.
TEST(SmoothHairlines, CornersAreAsDarkAsQtsCorners) {
    const TFigure house{{{20, 20}, {120, 24}, {116, 90}, {24, 110}}, true};
    for (QPointF shift : {QPointF(0, 0), QPointF(0.5, 0.5)}) {
        TSetting s;
        s.Pen = QPen(kInk, 1);
        s.Shift = shift;
        const QImage drawn = Drawn(house, s, false), byQt = Drawn(house, s, true);
        for (const QPoint& corner : house.Points)
            for (int y = corner.y() - 1; y <= corner.y() + 1; ++y)
                for (int x = corner.x() - 1; x <= corner.x() + 1; ++x)
                    EXPECT_LE(Difference(drawn.pixel(x, y), byQt.pixel(x, y)), 4)
                        << x << "," << y << " shift " << shift.x();
    }
}

namespace {

// A house outlined and a street line through the drawing object, or drawn by Qt as the
// drawing object asks it to (odd widths of lines on the aliased rows).
QImage HouseAndLine(const QPen& pen, const std::function<void(QPainter&)>& setUp, bool byQt,
                    QImage::Format format = QImage::Format_RGB32) {
    QImage img(160, 120, format);
    img.fill(kGround);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing, true);
    setUp(p);
    p.setPen(pen);
    const QPoint house[] = {{20, 20}, {90, 28}, {80, 100}, {26, 90}};
    const QPoint line[] = {{5, 110}, {60, 60}, {150, 40}};
    if (byQt) {
        p.drawPolygon(house, 4, Qt::OddEvenFill);
        if (pen.width() % 2) p.translate(0.5, 0.5);
        p.drawPolyline(line, 3);
    } else {
        TDrawObject draw;
        draw.SetCanvas(&p);
        draw.Polygon(house);
        draw.Polyline(line);
        draw.SetCanvas(nullptr);
    }
    return img;
}

} // namespace

// Translucent, dashed and wider pens, a translucent canvas, a turned or scaled one, a clip of
// more than one rectangle or of parts of pixels, a non-premultiplied image: Qt draws them,
// exactly as it would by itself.
TEST(SmoothHairlines, WhatTheyDoNotReproduceIsLeftToQt) {
    const QPen ink(kInk, 1);
    auto none = [](QPainter&) {};
    QPen translucent = ink, dashed = ink, wide = ink;
    translucent.setColor(QColor(40, 20, 160, 128));
    dashed.setStyle(Qt::DashLine);
    wide.setWidth(2);
    for (const QPen& pen : {translucent, dashed, wide})
        EXPECT_EQ(HouseAndLine(pen, none, false), HouseAndLine(pen, none, true));
    const std::function<void(QPainter&)> states[] = {
        [](QPainter& p) { p.setOpacity(0.5); },
        [](QPainter& p) { p.rotate(10); },
        [](QPainter& p) { p.scale(1.5, 1.5); },
        [](QPainter& p) { p.setClipRegion(QRegion(0, 0, 160, 50) + QRegion(0, 70, 160, 50)); },
        [](QPainter& p) { p.setClipRect(QRectF(0, 10.5, 160, 60)); },
        [](QPainter& p) { p.setCompositionMode(QPainter::CompositionMode_Multiply); },
    };
    for (const auto& state : states)
        EXPECT_EQ(HouseAndLine(ink, state, false), HouseAndLine(ink, state, true));
    EXPECT_EQ(HouseAndLine(ink, none, false, QImage::Format_ARGB32),
              HouseAndLine(ink, none, true, QImage::Format_ARGB32));
}

// A rectangle redrawn under a clip gets the pixels of the whole picture: long, shallow lines,
// whose steps round a little each, are stepped from their first pixel whatever the clip.
TEST(SmoothHairlines, AClippedRedrawGivesThePixelsOfTheWholePicture) {
    std::mt19937 random(11);
    auto between = [&](double lo, double hi) {
        return std::uniform_real_distribution(lo, hi)(random);
    };
    const QRect clips[] = {QRect(300, 40, 60, 50), QRect(0, 0, 15, 200), QRect(580, 150, 20, 50)};
    for (int round = 0; round < 200; ++round) {
        const std::vector<QPoint> chain = {
            QPoint(int(between(-900, 100)), int(between(-50, 250))),
            QPoint(int(between(500, 1500)), int(between(-50, 250))),
            QPoint(int(between(-300, 900)), int(between(-600, 800)))};
        auto draw = [&](const QRect* clip) {
            QImage img(600, 200, QImage::Format_RGB32);
            img.fill(QColor(240, 235, 220));
            QPainter p(&img);
            p.setRenderHint(QPainter::Antialiasing, true);
            p.setPen(QPen(QColor(40, 40, 120), 1));
            if (clip) p.setClipRect(*clip);
            TSmoothHairlines::For(p)->Chain(chain, false);
            return img;
        };
        const QImage whole = draw(nullptr);
        for (const QRect& clip : clips) {
            const QImage part = draw(&clip);
            ASSERT_EQ(part.copy(clip), whole.copy(clip)) << "round " << round;
        }
    }
}

namespace {

// The stepper's rule written out pixel by pixel: Qt's cut of a line near the device, ends cut
// to 64ths of a pixel, a 16.16 position across stepped from the line's first pixel, the ends'
// share of their pixels, and the blend of a channel.
class TReferenceLines {
public:
    TReferenceLines(QImage& image, const QRect& clip, QPointF offset, QRgb color, bool caps)
        : FImage(image), FClip(clip & image.rect()), FOffset(offset), FColor(color), FCaps(caps) {}

    void Chain(const std::vector<QPointF>& pts, bool closed) {
        const size_t n = pts.size(), segments = n < 2 ? 0 : closed ? n : n - 1;
        for (size_t i = 0; i < segments; ++i)
            Segment(pts[i] + FOffset, pts[(i + 1) % n] + FOffset, FCaps && !closed && i == 0,
                    FCaps && !closed && i + 1 == segments);
    }

private:
    void Segment(QPointF a, QPointF b, bool capA, bool capB) {
        const QRect device = FImage.rect();
        if (!Cut(a, b, true, device.left() - 1, device.right() + 2) ||
            !Cut(a, b, false, device.top() - 1, device.bottom() + 2))
            return;
        auto sixtyFourths = [](double v) { return std::trunc(v * 64) / 64; };
        double au = sixtyFourths(a.x()), av = sixtyFourths(a.y());
        double bu = sixtyFourths(b.x()), bv = sixtyFourths(b.y());
        const bool xMajor = std::abs(bu - au) >= std::abs(bv - av);
        if (!xMajor) std::swap(au, av), std::swap(bu, bv);
        if (au == bu && av == bv) return;
        if (bu < au) std::swap(au, bu), std::swap(av, bv), std::swap(capA, capB);
        const double slope = (bv - av) / (bu - au);
        const double u0 = capA ? au - 0.5 : au, u1 = capB ? bu + 0.5 : bu;
        const double firstPixel = std::floor(u0), lastPixel = std::ceil(u1) - 1;
        const double start =
            capA ? av + slope * (std::floor(au) - au - firstPixel) : av + slope * (0.5 - au);
        const long long step = std::llround(slope * 65536.0);
        const long long v0 = std::llround((start + slope * firstPixel - 0.5) * 65536.0);
        for (double c = firstPixel; c <= lastPixel; ++c) {
            const double share = std::min(c + 1, u1) - std::max(c, u0);
            const int coverage = int(std::nearbyint(share * 255));
            const long long v = v0 + (long long)(c - firstPixel) * step;
            const int r = int(std::floor(double(v) / 65536));
            const int share256 = int((v - (long long)r * 65536) / 256); // of the second pixel
            const int second = (share256 * coverage + 128) / 256;
            Blend(xMajor, int(c), r, coverage - second);
            Blend(xMajor, int(c), r + 1, second);
        }
    }

    // Cuts the segment to the band lo..hi of x (or y), one end after the other; false when
    // nothing of it lies inside.
    static bool Cut(QPointF& a, QPointF& b, bool inX, double lo, double hi) {
        auto at = [inX](const QPointF& p) { return inX ? p.x() : p.y(); };
        for (QPointF* p : {&a, &b}) {
            const QPointF& q = p == &a ? b : a;
            double bound = 0;
            if (at(*p) < lo) {
                if (at(q) <= lo) return false;
                bound = lo;
            } else if (at(*p) > hi) {
                if (at(q) >= hi) return false;
                bound = hi;
            } else {
                continue;
            }
            if (inX)
                *p =
                    QPointF(bound, p->y() + (q.y() - p->y()) / (q.x() - p->x()) * (bound - p->x()));
            else
                *p =
                    QPointF(p->x() + (q.x() - p->x()) / (q.y() - p->y()) * (bound - p->y()), bound);
        }
        return true;
    }

    void Blend(bool xMajor, int c, int r, int coverage) {
        const int x = xMajor ? c : r, y = xMajor ? r : c;
        if (!FClip.contains(x, y)) return;
        auto* pixel = reinterpret_cast<QRgb*>(FImage.scanLine(y)) + x;
        QRgb out = 0;
        for (int shift = 0; shift < 32; shift += 8) {
            const int sum = int(FColor >> shift & 0xff) * coverage +
                            int(*pixel >> shift & 0xff) * (255 - coverage);
            out |= QRgb((sum + sum / 256 + 128) / 256) << shift;
        }
        *pixel = out;
    }

    QImage& FImage;
    const QRect FClip;
    const QPointF FOffset;
    const QRgb FColor;
    const bool FCaps;
};

// Chains of segments of every kind: very short ones, flat, steep, diagonal and level ones,
// ends on whole pixels, on 64ths and between, some far beyond the image.
std::vector<QPointF> RandomChain(std::mt19937& rng, bool whole, int width, int height) {
    auto pick = [&](int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng); };
    auto real = [&](double lo, double hi) { return std::uniform_real_distribution(lo, hi)(rng); };
    auto fix = [&](QPointF p) {
        if (whole) return QPointF(std::round(p.x()), std::round(p.y()));
        if (pick(3) == 0) return QPointF(std::round(p.x() * 64) / 64, std::round(p.y() * 64) / 64);
        return p;
    };
    std::vector<QPointF> chain{fix(QPointF(real(-6, width + 6), real(-6, height + 6)))};
    for (int n = 1 + pick(7); n > 0; --n) {
        const QPointF last = chain.back();
        QPointF next;
        switch (pick(7)) {
        case 0:
            next = last + QPointF(real(-2.5, 2.5), real(-2.5, 2.5));
            break;
        case 1:
            next = last + QPointF(real(-30, 30), real(-3, 3));
            break;
        case 2:
            next = last + QPointF(real(-3, 3), real(-30, 30));
            break;
        case 3: {
            const double d = real(-25, 25);
            next = last + QPointF(d, pick(2) ? d : -d);
            break;
        }
        case 4:
            next = pick(2) ? QPointF(last.x(), real(-6, height + 6))
                           : QPointF(real(-6, width + 6), last.y());
            break;
        case 5:
            next = QPointF(real(-40000, 40000), real(-40000, 40000));
            break;
        default:
            next = QPointF(real(-6, width + 6), real(-6, height + 6));
            break;
        }
        chain.push_back(fix(next));
    }
    return chain;
}

} // namespace

// Random chains on small images of random pixels under small clips, some of a row or column
// or empty, the canvas moved by parts of pixels: every pixel as the rule written out gives it.
TEST(SmoothHairlines, EveryPixelFollowsTheRule) {
    std::mt19937 rng(23);
    auto pick = [&](int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng); };
    long drawn = 0; // pixels the rule changes, lest the test compare nothing
    for (int round = 0; round < 20000; ++round) {
        const int width = 8 + pick(40), height = 8 + pick(40);
        const QImage::Format format =
            pick(4) ? QImage::Format_RGB32 : QImage::Format_ARGB32_Premultiplied;
        QImage ground(width, height, format);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                reinterpret_cast<QRgb*>(ground.scanLine(y))[x] =
                    format == QImage::Format_RGB32 ? 0xff000000 | rng()
                                                   : rng() | 0xff000000 >> (pick(2) * 8);
        QRect clip;
        if (pick(4)) {
            const int left = pick(width + 4) - 2, top = pick(height + 4) - 2;
            clip = QRect(left, top, pick(4) == 0 ? pick(2) : pick(width),
                         pick(4) == 0 ? pick(2) : pick(height));
        }
        const QPointF offsets[] = {{0, 0}, {0.5, 0.5}, {-0.25, 0.75}, {1.0 / 64, -3.0 / 64}};
        const QPointF offset = pick(3) ? offsets[pick(4)] : QPointF(pick(9) - 4, pick(9) - 4) / 3.0;
        const bool whole = pick(2), closed = pick(2), flat = pick(3) == 0;
        const std::vector<QPointF> chain = RandomChain(rng, whole, width, height);
        const QColor ink = QColor::fromRgb(0xff000000 | rng());

        QImage expected = ground;
        TReferenceLines(expected, clip.isNull() ? expected.rect() : clip, offset, ink.rgb(), !flat)
            .Chain(chain, closed);
        // Drawn into a larger buffer whose margin around the image must stay untouched.
        constexpr int kMargin = 3;
        constexpr QRgb kGuard = 0x5a3c96e1;
        const int stride = width + 2 * kMargin;
        std::vector<QRgb> buffer(size_t(stride) * (height + 2 * kMargin), kGuard);
        QImage mine(reinterpret_cast<uchar*>(buffer.data() + kMargin * stride + kMargin), width,
                    height, stride * 4, format);
        for (int y = 0; y < height; ++y)
            std::copy_n(reinterpret_cast<const QRgb*>(ground.constScanLine(y)), width,
                        reinterpret_cast<QRgb*>(mine.scanLine(y)));
        {
            QPainter p(&mine);
            p.setRenderHint(QPainter::Antialiasing, true);
            if (!clip.isNull()) p.setClipRect(clip);
            p.translate(offset);
            p.setPen(QPen(ink, pick(2), Qt::SolidLine, flat ? Qt::FlatCap : Qt::SquareCap));
            auto lines = TSmoothHairlines::For(p);
            if (!lines) {
                // Qt keeps the clip of nothing for itself.
                ASSERT_TRUE((clip & mine.rect()).isEmpty()) << "round " << round;
                continue;
            }
            if (whole) {
                std::vector<QPoint> points;
                for (const QPointF& q : chain) points.push_back(q.toPoint());
                lines->Chain(points, closed);
            } else {
                lines->Chain(chain, closed);
            }
        }
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                const QRgb a = reinterpret_cast<const QRgb*>(mine.constScanLine(y))[x];
                const QRgb b = reinterpret_cast<const QRgb*>(expected.constScanLine(y))[x];
                ASSERT_EQ(a, b) << "round " << round << " pixel " << x << "," << y;
                drawn += b != reinterpret_cast<const QRgb*>(ground.constScanLine(y))[x];
            }
        for (int y = -kMargin; y < height + kMargin; ++y)
            for (int x = -kMargin; x < width + kMargin; ++x) {
                if (x >= 0 && y >= 0 && x < width && y < height) continue;
                ASSERT_EQ(buffer[size_t(y + kMargin) * stride + x + kMargin], kGuard)
                    << "round " << round << " beyond the image at " << x << "," << y;
            }
    }
    EXPECT_GT(drawn, 200000);
}

// A traced ring, its coverages blended again elsewhere, gives the pixels Chain steps there;
// a ring reaching the clip's outermost pixels is not traced, since the stepper leaves out
// what falls beyond the clip.
TEST(SmoothHairlines, ATracedRingReplaysWhereverItStands) {
    std::mt19937 rng(8);
    std::uniform_int_distribution<int> at(1, 40);
    for (int round = 0; round < 200; ++round) {
        std::vector<QPoint> ring;
        for (int i = 0; i < 3 + round % 6; ++i) ring.emplace_back(at(rng), at(rng));
        const QPoint shift(50 + int(rng() % 90), 30 + int(rng() % 60));
        std::vector<QPoint> moved = ring;
        for (QPoint& p : moved) p += shift;

        QImage traced(200, 150, QImage::Format_RGB32), stepped = traced;
        traced.fill(QColor(240, 230, 200));
        stepped.fill(QColor(240, 230, 200));
        std::vector<TSmoothHairlines::TCoverPair> covers;
        {
            QPainter p(&traced);
            p.setRenderHint(QPainter::Antialiasing);
            p.setPen(QPen(QColor(120, 40, 30), 0));
            ASSERT_TRUE(TSmoothHairlines::For(p)->TraceRing(ring, QPoint(0, 0), covers));
        }
        const uint32_t pen = QColor(120, 40, 30).rgb();
        for (const auto& c : covers) {
            const int x = shift.x() + c.Dx, y = shift.y() + c.Dy;
            auto* first = reinterpret_cast<uint32_t*>(traced.scanLine(y)) + x;
            auto* second =
                c.Down ? reinterpret_cast<uint32_t*>(traced.scanLine(y + 1)) + x : first + 1;
            *first = BlendOpaque(pen, c.First, *first);
            *second = BlendOpaque(pen, c.Second, *second);
        }
        {
            QPainter p(&stepped);
            p.setRenderHint(QPainter::Antialiasing);
            p.setPen(QPen(QColor(120, 40, 30), 0));
            TSmoothHairlines::For(p)->Chain(moved, true);
        }
        ASSERT_EQ(traced, stepped) << "round " << round;
    }
    QImage img(100, 100, QImage::Format_RGB32);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(Qt::black, 0));
    std::vector<TSmoothHairlines::TCoverPair> covers;
    const std::vector<QPoint> edge = {{0, 10}, {30, 10}, {30, 40}};
    EXPECT_FALSE(TSmoothHairlines::For(p)->TraceRing(edge, QPoint(0, 0), covers));
    const std::vector<QPoint> inside = {{1, 10}, {30, 10}, {30, 40}};
    EXPECT_TRUE(TSmoothHairlines::For(p)->TraceRing(inside, QPoint(0, 0), covers));
    EXPECT_FALSE(covers.empty());
}
