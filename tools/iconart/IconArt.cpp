#include "IconArt.h"

#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <array>
#include <cmath>

namespace tsivor::iconart {
namespace {

enum class Shape { Pin, Flag, Circle, Square, Diamond, Triangle, Shield, Octagon };
enum class Glyph {
    None,
    Text,
    Cross,
    Cart,
    Fuel,
    Bus,
    Cup,
    Envelope,
    Phone,
    House,
    Tree,
    Drop,
    Star,
    Car,
    Train,
    Plane,
    Anchor,
    Bed,
    Book,
    Church,
    Factory,
    Wrench,
    Fire,
    Film,
    Ball,
    Columns,
    Fork,
    Arrow,
    Dot
};

struct Design {
    Shape shape;
    QColor fill;
    Glyph glyph;
    const char* text = "";
    QColor ink = Qt::white;
};

const QColor kRed(210, 40, 40), kBlue(30, 90, 200), kGreen(30, 150, 60), kYellow(240, 200, 30),
    kOrange(240, 130, 20), kPurple(130, 60, 170), kBrown(140, 90, 50), kTeal(20, 140, 150),
    kNavy(20, 40, 120), kBlack(40, 40, 40), kGrey(120, 120, 120), kPink(220, 80, 150),
    kWhite(250, 250, 250);

const std::array<Design, kDefaultIconCount> kDesigns = {{
    {Shape::Pin, kRed, Glyph::Dot},
    {Shape::Pin, kBlue, Glyph::Dot},
    {Shape::Pin, kGreen, Glyph::Dot},
    {Shape::Pin, kYellow, Glyph::Dot, "", kBlack},
    {Shape::Pin, kOrange, Glyph::Dot},
    {Shape::Pin, kPurple, Glyph::Dot},
    {Shape::Flag, kRed, Glyph::None},
    {Shape::Flag, kBlue, Glyph::None},
    {Shape::Flag, kGreen, Glyph::None},
    {Shape::Flag, kYellow, Glyph::None},
    {Shape::Flag, kBlack, Glyph::None},
    {Shape::Flag, kWhite, Glyph::None},
    {Shape::Square, kBlue, Glyph::Text, "i"},
    {Shape::Square, kBlue, Glyph::Text, "P"},
    {Shape::Circle, kRed, Glyph::Cross},
    {Shape::Square, kGreen, Glyph::Cross},
    {Shape::Square, kOrange, Glyph::Cart},
    {Shape::Square, kBlack, Glyph::Fuel},
    {Shape::Square, kBlue, Glyph::Bus},
    {Shape::Circle, kBrown, Glyph::Cup},
    {Shape::Square, kNavy, Glyph::Envelope},
    {Shape::Square, kTeal, Glyph::Phone},
    {Shape::Square, kBrown, Glyph::House},
    {Shape::Circle, kGreen, Glyph::Tree},
    {Shape::Circle, kBlue, Glyph::Drop},
    {Shape::Circle, kYellow, Glyph::Star, "", kRed},
    {Shape::Square, kGrey, Glyph::Car},
    {Shape::Square, kNavy, Glyph::Train},
    {Shape::Circle, kBlue, Glyph::Plane},
    {Shape::Circle, kNavy, Glyph::Anchor},
    {Shape::Square, kPurple, Glyph::Bed},
    {Shape::Square, kGreen, Glyph::Book},
    {Shape::Square, kYellow, Glyph::Church, "", kBrown},
    {Shape::Square, kGrey, Glyph::Factory},
    {Shape::Circle, kGrey, Glyph::Wrench},
    {Shape::Triangle, kRed, Glyph::Fire},
    {Shape::Square, kBlack, Glyph::Film},
    {Shape::Circle, kGreen, Glyph::Ball},
    {Shape::Square, kBrown, Glyph::Columns},
    {Shape::Circle, kOrange, Glyph::Fork},
    {Shape::Shield, kNavy, Glyph::Star, "", kYellow},
    {Shape::Triangle, kYellow, Glyph::Text, "!", kBlack},
    {Shape::Octagon, kRed, Glyph::Text, "STOP"},
    {Shape::Circle, kRed, Glyph::Text, "—"},
    {Shape::Diamond, kYellow, Glyph::None},
    {Shape::Circle, kBlue, Glyph::Arrow},
    {Shape::Square, kYellow, Glyph::Text, "T", kBlack},
    {Shape::Square, kBlue, Glyph::Text, "WC"},
    {Shape::Square, kGreen, Glyph::Text, "₽"},
    {Shape::Circle, kTeal, Glyph::Text, "?"},
    {Shape::Square, kRed, Glyph::Text, "М"},
    {Shape::Circle, kPink, Glyph::Text, "♥"},
    {Shape::Square, kGreen, Glyph::Text, "@"},
    {Shape::Circle, kBlack, Glyph::Text, "1"},
    {Shape::Circle, kBlack, Glyph::Text, "2"},
    {Shape::Circle, kBlack, Glyph::Text, "3"},
    {Shape::Circle, kBlack, Glyph::Text, "4"},
    {Shape::Circle, kBlack, Glyph::Text, "5"},
    {Shape::Diamond, kRed, Glyph::None},
    {Shape::Diamond, kBlue, Glyph::None},
    {Shape::Diamond, kGreen, Glyph::None},
    {Shape::Shield, kRed, Glyph::Cross},
}};

QImage Blank() {
    QImage img(32, 32, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    return img;
}

QPen Outline(const QColor& fill) {
    return QPen(fill.darker(170), 1.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

QPolygonF Regular(QPointF c, double r, int n, double startDeg) {
    QPolygonF p;
    for (int i = 0; i < n; ++i) {
        const double a = (startDeg + 360.0 * i / n) * M_PI / 180.0;
        p << QPointF(c.x() + r * std::cos(a), c.y() + r * std::sin(a));
    }
    return p;
}

QPolygonF StarPolygon(QPointF c, double outer, double inner) {
    QPolygonF p;
    for (int i = 0; i < 10; ++i) {
        const double r = i % 2 ? inner : outer;
        const double a = (-90 + 36.0 * i) * M_PI / 180.0;
        p << QPointF(c.x() + r * std::cos(a), c.y() + r * std::sin(a));
    }
    return p;
}

// Draws the shape and returns the box the glyph goes into.
QRectF DrawShape(QPainter& p, Shape shape, const QColor& fill) {
    p.setPen(Outline(fill));
    p.setBrush(fill);
    switch (shape) {
    case Shape::Pin: {
        QPainterPath path;
        path.moveTo(16, 31);
        path.cubicTo(12, 22, 5, 18, 5, 11.5);
        path.arcTo(QRectF(5, 1, 22, 22), 180, -180);
        path.cubicTo(27, 18, 20, 22, 16, 31);
        p.drawPath(path);
        return QRectF(8, 4, 16, 16);
    }
    case Shape::Flag: {
        p.setPen(QPen(kBlack, 2, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(7, 3), QPointF(7, 30));
        p.setPen(Outline(fill == kWhite ? kGrey : fill));
        QPainterPath cloth;
        cloth.moveTo(8, 4);
        cloth.cubicTo(14, 1, 19, 7, 28, 4);
        cloth.lineTo(28, 17);
        cloth.cubicTo(19, 20, 14, 14, 8, 17);
        cloth.closeSubpath();
        p.drawPath(cloth);
        return QRectF(10, 5, 16, 11);
    }
    case Shape::Circle:
        p.drawEllipse(QRectF(2, 2, 28, 28));
        return QRectF(7, 7, 18, 18);
    case Shape::Square:
        p.drawRoundedRect(QRectF(2, 2, 28, 28), 5, 5);
        return QRectF(6, 6, 20, 20);
    case Shape::Diamond:
        p.drawPolygon(Regular(QPointF(16, 16), 14.5, 4, -90));
        return QRectF(10, 10, 12, 12);
    case Shape::Triangle: {
        p.drawPolygon(QPolygonF{QPointF(16, 2), QPointF(30.5, 29), QPointF(1.5, 29)});
        return QRectF(9, 11, 14, 15);
    }
    case Shape::Shield: {
        QPainterPath path;
        path.moveTo(4, 4);
        path.lineTo(28, 4);
        path.lineTo(28, 15);
        path.cubicTo(28, 23, 21, 28, 16, 31);
        path.cubicTo(11, 28, 4, 23, 4, 15);
        path.closeSubpath();
        p.drawPath(path);
        return QRectF(8, 7, 16, 16);
    }
    case Shape::Octagon:
        p.drawPolygon(Regular(QPointF(16, 16), 15, 8, 22.5));
        return QRectF(4, 9, 24, 14);
    }
    return QRectF(8, 8, 16, 16);
}

void DrawText(QPainter& p, const QRectF& box, const QString& text, const QColor& ink) {
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setBold(true);
    font.setPixelSize(text.size() <= 1 ? int(box.height() * 0.95) : text.size() == 2 ? 11 : 8);
    p.setFont(font);
    p.setPen(ink);
    p.drawText(box, Qt::AlignCenter, text);
}

void DrawGlyph(QPainter& p, const QRectF& b, Glyph g, const QString& text, const QColor& ink) {
    const double x = b.x(), y = b.y(), w = b.width(), h = b.height();
    auto P = [&](double fx, double fy) { return QPointF(x + fx * w, y + fy * h); };
    auto R = [&](double fx, double fy, double fw, double fh) {
        return QRectF(x + fx * w, y + fy * h, fw * w, fh * h);
    };
    p.setPen(QPen(ink, 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    switch (g) {
    case Glyph::None:
        return;
    case Glyph::Text:
        DrawText(p, b, text, ink);
        return;
    case Glyph::Dot:
        p.setPen(Qt::NoPen);
        p.setBrush(ink);
        p.drawEllipse(R(0.3, 0.3, 0.4, 0.4));
        return;
    case Glyph::Cross:
        p.setPen(Qt::NoPen);
        p.setBrush(ink);
        p.drawRect(R(0.35, 0.1, 0.3, 0.8));
        p.drawRect(R(0.1, 0.35, 0.8, 0.3));
        return;
    case Glyph::Cart:
        p.drawPolyline(QPolygonF{P(0.0, 0.15), P(0.2, 0.15), P(0.35, 0.65), P(0.9, 0.65),
                                 P(1.0, 0.3), P(0.25, 0.3)});
        p.setBrush(ink);
        p.drawEllipse(P(0.4, 0.85), 1.5, 1.5);
        p.drawEllipse(P(0.85, 0.85), 1.5, 1.5);
        return;
    case Glyph::Fuel:
        p.setBrush(ink);
        p.drawRect(R(0.1, 0.1, 0.5, 0.85));
        p.setBrush(Qt::NoBrush);
        p.drawPolyline(QPolygonF{P(0.6, 0.35), P(0.85, 0.35), P(0.85, 0.8), P(0.95, 0.8),
                                 P(0.95, 0.2), P(0.8, 0.05)});
        return;
    case Glyph::Bus:
        p.setBrush(ink);
        p.drawRoundedRect(R(0.1, 0.05, 0.8, 0.75), 2, 2);
        p.setBrush(QColor(170, 210, 255));
        p.setPen(Qt::NoPen);
        p.drawRect(R(0.2, 0.15, 0.6, 0.3));
        p.setBrush(ink);
        p.drawEllipse(P(0.3, 0.9), 2, 2);
        p.drawEllipse(P(0.7, 0.9), 2, 2);
        return;
    case Glyph::Cup:
        p.setBrush(ink);
        p.drawRoundedRect(R(0.1, 0.3, 0.6, 0.55), 2, 2);
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(R(0.62, 0.38, 0.3, 0.3));
        p.drawLine(P(0.3, 0.0), P(0.3, 0.15));
        p.drawLine(P(0.5, 0.0), P(0.5, 0.15));
        return;
    case Glyph::Envelope:
        p.setBrush(ink);
        p.drawRect(R(0.0, 0.2, 1.0, 0.6));
        p.setPen(QPen(ink.darker(200), 1.5));
        p.drawPolyline(QPolygonF{P(0.0, 0.2), P(0.5, 0.55), P(1.0, 0.2)});
        return;
    case Glyph::Phone: {
        p.setBrush(ink);
        QPainterPath path;
        path.moveTo(P(0.1, 0.35));
        path.cubicTo(P(0.1, 0.0), P(0.9, 0.0), P(0.9, 0.35));
        path.lineTo(P(0.7, 0.45));
        path.lineTo(P(0.65, 0.3));
        path.lineTo(P(0.35, 0.3));
        path.lineTo(P(0.3, 0.45));
        path.closeSubpath();
        p.drawPath(path);
        p.drawRect(R(0.2, 0.55, 0.6, 0.35));
        return;
    }
    case Glyph::House:
        p.setBrush(ink);
        p.drawPolygon(QPolygonF{P(0.5, 0.0), P(1.0, 0.45), P(0.85, 0.45), P(0.85, 1.0),
                                P(0.15, 1.0), P(0.15, 0.45), P(0.0, 0.45)});
        return;
    case Glyph::Tree:
        p.setBrush(QColor(110, 70, 30));
        p.setPen(Qt::NoPen);
        p.drawRect(R(0.42, 0.65, 0.16, 0.35));
        p.setBrush(ink);
        p.drawPolygon(QPolygonF{P(0.5, 0.0), P(0.9, 0.7), P(0.1, 0.7)});
        return;
    case Glyph::Drop: {
        p.setBrush(ink);
        QPainterPath path;
        path.moveTo(P(0.5, 0.0));
        path.cubicTo(P(0.7, 0.35), P(0.9, 0.55), P(0.9, 0.7));
        path.arcTo(R(0.1, 0.4, 0.8, 0.6), 0, -180);
        path.cubicTo(P(0.1, 0.55), P(0.3, 0.35), P(0.5, 0.0));
        p.drawPath(path);
        return;
    }
    case Glyph::Star:
        p.setBrush(ink);
        p.setPen(Qt::NoPen);
        p.drawPolygon(StarPolygon(b.center(), w * 0.55, w * 0.23));
        return;
    case Glyph::Car:
        p.setBrush(ink);
        p.drawPolygon(QPolygonF{P(0.0, 0.75), P(0.0, 0.5), P(0.2, 0.45), P(0.35, 0.2), P(0.7, 0.2),
                                P(0.85, 0.45), P(1.0, 0.5), P(1.0, 0.75)});
        p.drawEllipse(P(0.25, 0.8), 2, 2);
        p.drawEllipse(P(0.75, 0.8), 2, 2);
        return;
    case Glyph::Train:
        p.setBrush(ink);
        p.drawRoundedRect(R(0.15, 0.0, 0.7, 0.75), 3, 3);
        p.setPen(QPen(ink, 1.5));
        p.drawLine(P(0.25, 0.8), P(0.1, 1.0));
        p.drawLine(P(0.75, 0.8), P(0.9, 1.0));
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(170, 210, 255));
        p.drawRect(R(0.25, 0.12, 0.5, 0.28));
        return;
    case Glyph::Plane:
        p.setBrush(ink);
        p.setPen(Qt::NoPen);
        p.drawPolygon(QPolygonF{P(0.5, 0.0), P(0.58, 0.35), P(1.0, 0.6), P(0.58, 0.52),
                                P(0.56, 0.82), P(0.72, 0.95), P(0.28, 0.95), P(0.44, 0.82),
                                P(0.42, 0.52), P(0.0, 0.6), P(0.42, 0.35)});
        return;
    case Glyph::Anchor:
        p.drawEllipse(P(0.5, 0.1), 2, 2);
        p.drawLine(P(0.5, 0.2), P(0.5, 0.95));
        p.drawLine(P(0.25, 0.35), P(0.75, 0.35));
        p.drawArc(R(0.1, 0.45, 0.8, 0.5), 180 * 16, 180 * 16);
        return;
    case Glyph::Bed:
        p.setBrush(ink);
        p.drawRect(R(0.0, 0.5, 1.0, 0.25));
        p.drawEllipse(R(0.05, 0.25, 0.25, 0.22));
        p.drawLine(P(0.0, 0.2), P(0.0, 0.95));
        p.drawLine(P(1.0, 0.75), P(1.0, 0.95));
        return;
    case Glyph::Book:
        p.setBrush(ink);
        p.drawPolygon(QPolygonF{P(0.5, 0.2), P(0.0, 0.05), P(0.0, 0.8), P(0.5, 0.95), P(1.0, 0.8),
                                P(1.0, 0.05)});
        p.setPen(QPen(ink.darker(250), 1));
        p.drawLine(P(0.5, 0.2), P(0.5, 0.95));
        return;
    case Glyph::Church:
        p.setBrush(ink);
        p.drawLine(P(0.5, 0.0), P(0.5, 0.3));
        p.drawLine(P(0.35, 0.12), P(0.65, 0.12));
        p.drawEllipse(R(0.3, 0.3, 0.4, 0.3));
        p.drawRect(R(0.2, 0.55, 0.6, 0.45));
        return;
    case Glyph::Factory:
        p.setBrush(ink);
        p.setPen(Qt::NoPen);
        p.drawPolygon(QPolygonF{P(0.0, 1.0), P(0.0, 0.45), P(0.33, 0.65), P(0.33, 0.45),
                                P(0.66, 0.65), P(0.66, 0.0), P(0.85, 0.0), P(0.85, 0.45),
                                P(1.0, 0.45), P(1.0, 1.0)});
        return;
    case Glyph::Wrench:
        p.setPen(QPen(ink, 3.5, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(P(0.2, 0.8), P(0.6, 0.4));
        p.setPen(QPen(ink, 2.5));
        p.drawArc(R(0.5, 0.05, 0.45, 0.45), 200 * 16, 270 * 16);
        return;
    case Glyph::Fire: {
        p.setBrush(ink);
        QPainterPath path;
        path.moveTo(P(0.5, 1.0));
        path.cubicTo(P(0.0, 1.0), P(0.1, 0.5), P(0.4, 0.0));
        path.cubicTo(P(0.5, 0.4), P(0.7, 0.3), P(0.7, 0.2));
        path.cubicTo(P(1.0, 0.5), P(1.0, 1.0), P(0.5, 1.0));
        p.drawPath(path);
        return;
    }
    case Glyph::Film:
        p.setBrush(ink);
        p.drawRect(R(0.1, 0.0, 0.8, 1.0));
        p.setPen(Qt::NoPen);
        p.setBrush(kBlack);
        for (int i = 0; i < 4; ++i) {
            p.drawRect(R(0.15, 0.08 + i * 0.24, 0.12, 0.12));
            p.drawRect(R(0.73, 0.08 + i * 0.24, 0.12, 0.12));
        }
        p.setBrush(QColor(170, 210, 255));
        p.drawRect(R(0.35, 0.15, 0.3, 0.7));
        return;
    case Glyph::Ball:
        p.setBrush(ink);
        p.drawEllipse(b);
        p.setPen(QPen(kBlack, 1));
        p.setBrush(kBlack);
        p.drawPolygon(Regular(b.center(), w * 0.22, 5, -90));
        return;
    case Glyph::Columns:
        p.setBrush(ink);
        p.drawPolygon(QPolygonF{P(0.5, 0.0), P(1.0, 0.25), P(0.0, 0.25)});
        p.drawRect(R(0.0, 0.88, 1.0, 0.12));
        for (int i = 0; i < 3; ++i) p.drawRect(R(0.1 + i * 0.32, 0.35, 0.14, 0.48));
        return;
    case Glyph::Fork:
        p.drawLine(P(0.3, 0.0), P(0.3, 1.0));
        p.drawLine(P(0.15, 0.0), P(0.15, 0.3));
        p.drawLine(P(0.45, 0.0), P(0.45, 0.3));
        p.drawArc(R(0.15, 0.15, 0.3, 0.3), 180 * 16, 180 * 16);
        p.setBrush(ink);
        p.drawChord(R(0.6, 0.0, 0.3, 0.9), 90 * 16, 180 * 16);
        p.drawLine(P(0.75, 0.4), P(0.75, 1.0));
        return;
    case Glyph::Arrow:
        p.setBrush(ink);
        p.setPen(Qt::NoPen);
        p.drawPolygon(QPolygonF{P(0.0, 0.35), P(0.5, 0.35), P(0.5, 0.05), P(1.0, 0.5), P(0.5, 0.95),
                                P(0.5, 0.65), P(0.0, 0.65)});
        return;
    }
}

QImage Sign(const Design& d) {
    QImage img = Blank();
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF box = DrawShape(p, d.shape, d.fill);
    DrawGlyph(p, box, d.glyph, QString::fromUtf8(d.text), d.ink);
    return img;
}

// An arrow pointing along the angle (0 = right, 90 = down), tip at the hot spot.
QImage ArrowCursor(double angleDeg, bool hollow, QPoint* hot) {
    QImage img = Blank();
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.translate(16, 16);
    p.rotate(angleDeg);
    const QPolygonF arrow{QPointF(14, 0),  QPointF(2, -10), QPointF(2, -4), QPointF(-12, -4),
                          QPointF(-12, 4), QPointF(2, 4),   QPointF(2, 10)};
    p.setPen(
        QPen(hollow ? Qt::black : Qt::white, 1.5, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    p.setBrush(hollow ? QColor(Qt::white) : QColor(Qt::black));
    p.drawPolygon(arrow);
    const double a = angleDeg * M_PI / 180.0;
    if (hot)
        *hot = QPoint(int(std::lround(16 + 14 * std::cos(a))),
                      int(std::lround(16 + 14 * std::sin(a))));
    return img;
}

QImage LensCursor(QPoint* hot) {
    QImage img = Blank();
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(Qt::black, 4, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(19, 19), QPointF(29, 29));
    p.setPen(QPen(Qt::black, 2));
    p.setBrush(QColor(200, 230, 255, 200));
    p.drawEllipse(QRectF(2, 2, 20, 20));
    p.setPen(QPen(Qt::white, 1));
    p.drawArc(QRectF(6, 6, 12, 12), 100 * 16, 70 * 16);
    if (hot) *hot = QPoint(12, 12);
    return img;
}

QImage RotateCursor(QPoint* hot) {
    QImage img = Blank();
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    for (int pass = 0; pass < 2; ++pass) {
        p.setPen(QPen(pass ? Qt::black : Qt::white, pass ? 2 : 4, Qt::SolidLine, Qt::RoundCap));
        p.setBrush(Qt::NoBrush);
        p.drawArc(QRectF(5, 5, 22, 22), 30 * 16, 280 * 16);
        p.setBrush(pass ? Qt::black : Qt::white);
        p.drawPolygon(QPolygonF{QPointF(26, 4), QPointF(27, 13), QPointF(19, 10)});
    }
    if (hot) *hot = QPoint(16, 16);
    return img;
}

QImage MovePixelCursor(QPoint* hot) {
    QImage img = Blank();
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    for (int pass = 0; pass < 2; ++pass) {
        p.setPen(QPen(pass ? Qt::black : Qt::white, pass ? 1.5 : 3.5));
        p.drawLine(QPointF(16, 3), QPointF(16, 29));
        p.drawLine(QPointF(3, 16), QPointF(29, 16));
    }
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(Qt::black);
    p.drawPolygon(QPolygonF{QPointF(16, 1), QPointF(12, 6), QPointF(20, 6)});
    p.drawPolygon(QPolygonF{QPointF(16, 31), QPointF(12, 26), QPointF(20, 26)});
    p.drawPolygon(QPolygonF{QPointF(1, 16), QPointF(6, 12), QPointF(6, 20)});
    p.drawPolygon(QPolygonF{QPointF(31, 16), QPointF(26, 12), QPointF(26, 20)});
    p.setBrush(Qt::white);
    p.drawRect(QRectF(13, 13, 6, 6));
    if (hot) *hot = QPoint(16, 16);
    return img;
}

QImage EyedropperCursor(QPoint* hot) {
    QImage img = Blank();
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(Qt::black, 1.5));
    p.setBrush(Qt::white);
    p.drawPolygon(QPolygonF{QPointF(1, 31), QPointF(3, 25), QPointF(17, 11), QPointF(21, 15),
                            QPointF(7, 29)});
    p.setBrush(Qt::black);
    p.drawEllipse(QRectF(18, 3, 11, 11));
    p.drawLine(QPointF(15, 9), QPointF(23, 17));
    if (hot) *hot = QPoint(1, 30);
    return img;
}

QImage HandCursor(QPoint* hot) {
    QImage img = Blank();
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath hand;
    hand.addRoundedRect(QRectF(8, 14, 17, 15), 5, 5);
    for (int i = 0; i < 4; ++i)
        hand.addRoundedRect(QRectF(8.5 + i * 4.2, 5 - (i == 1 || i == 2 ? 2 : 0), 4, 14), 2, 2);
    hand.addRoundedRect(QRectF(3, 15, 9, 4.5), 2, 2);
    p.setPen(QPen(Qt::black, 1.3));
    p.setBrush(Qt::white);
    p.drawPath(hand.simplified());
    if (hot) *hot = QPoint(16, 16);
    return img;
}

} // namespace

QImage DefaultIcon(int n) {
    if (n < 0 || n >= kDefaultIconCount) return Blank();
    return Sign(kDesigns[size_t(n)]);
}

QImage MarkIcon(char kind, bool selected) {
    const QColor fill = kind == '!' ? kRed : kind == 'I' ? kOrange : kBlue;
    QImage img = Blank();
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    if (selected) {
        // A glow round the mark so the chosen house stands out among the others.
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(255, 235, 0));
        p.drawEllipse(QRectF(0, 0, 32, 26));
        p.drawPolygon(QPolygonF{QPointF(8, 20), QPointF(24, 20), QPointF(16, 32)});
    }
    const QColor body = selected ? fill.lighter(120) : fill;
    const QRectF box = DrawShape(p, Shape::Pin, body);
    if (kind == 'F') {
        p.setPen(Qt::NoPen);
        p.setBrush(Qt::white);
        p.drawEllipse(box.adjusted(4, 4, -4, -4));
    } else {
        DrawText(p, box, kind == '!' ? QStringLiteral("!") : QStringLiteral("i"), Qt::white);
    }
    return img;
}

QImage LogoIcon(int number, const QString& name) {
    static const std::array<QColor, 10> colours = {kRed,  kBlue,  kGreen, kOrange, kPurple,
                                                   kTeal, kBrown, kNavy,  kPink,   kBlack};
    const QColor fill = colours[size_t(std::abs(number) % int(colours.size()))];
    QString initials;
    for (const QString& w : name.split(QChar(' '), Qt::SkipEmptyParts)) {
        // The first letter of each word, past any opening quote.
        const auto c = std::find_if(w.begin(), w.end(), [](QChar ch) { return ch.isLetter(); });
        if (c != w.end()) initials += c->toUpper();
        if (initials.size() == 2) break;
    }
    if (initials.isEmpty()) initials = QString::number(number);
    QImage img = Blank();
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(Qt::white, 2));
    p.setBrush(fill);
    p.drawRoundedRect(QRectF(1.5, 1.5, 29, 29), 7, 7);
    p.setPen(QPen(fill.lighter(160), 1));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(QRectF(4, 4, 24, 24), 5, 5);
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setBold(true);
    font.setPixelSize(initials.size() > 1 ? 13 : 18);
    p.setFont(font);
    p.setPen(Qt::white);
    p.drawText(QRectF(0, 0, 32, 32), Qt::AlignCenter, initials);
    return img;
}

std::vector<int> CursorNumbers() {
    std::vector<int> n;
    for (int i = 1000; i <= 1020; ++i) n.push_back(i);
    return n;
}

QImage CursorImage(int number, QPoint* hotSpot) {
    // Edge zones: left, up, right, down, left-up, right-up, right-down, left-down.
    static const std::array<double, 8> edge = {180, 270, 0, 90, 225, 315, 45, 135};
    // Middle-button scrolling: left, up, right, down, left-up, right-up, right-down, left-down.
    static const std::array<double, 8> scroll = {180, 270, 0, 90, 225, 315, 45, 135};
    if (number >= 1000 && number <= 1007)
        return ArrowCursor(edge[size_t(number - 1000)], false, hotSpot);
    if (number >= 1011 && number <= 1018)
        return ArrowCursor(scroll[size_t(number - 1011)], true, hotSpot);
    switch (number) {
    case 1008:
        return LensCursor(hotSpot);
    case 1009:
        return RotateCursor(hotSpot);
    case 1010:
        return MovePixelCursor(hotSpot);
    case 1019:
        return EyedropperCursor(hotSpot);
    case 1020:
        return HandCursor(hotSpot);
    default:
        if (hotSpot) *hotSpot = QPoint(0, 0);
        return Blank();
    }
}

QImage ScrollMarker() {
    QImage img = Blank();
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(Qt::black, 1.5));
    p.setBrush(QColor(255, 255, 255, 230));
    p.drawEllipse(QRectF(2, 2, 28, 28));
    p.setBrush(Qt::black);
    p.setPen(Qt::NoPen);
    p.drawPolygon(QPolygonF{QPointF(16, 5), QPointF(12, 10), QPointF(20, 10)});
    p.drawPolygon(QPolygonF{QPointF(16, 27), QPointF(12, 22), QPointF(20, 22)});
    p.drawPolygon(QPolygonF{QPointF(5, 16), QPointF(10, 12), QPointF(10, 20)});
    p.drawPolygon(QPolygonF{QPointF(27, 16), QPointF(22, 12), QPointF(22, 20)});
    p.drawEllipse(QRectF(14, 14, 4, 4));
    return img;
}

} // namespace tsivor::iconart
