#include "mapview/DrawPrimitives.h"

#include <QFontMetricsF>
#include <QPainterPath>

#include <cmath>
#include <cstdlib>

namespace tsivor::mapview {

void InstallMapFontSubstitutes() {
    static const bool installed = [] {
        const QString sans = QStringLiteral("Liberation Sans");
        const QString serif = QStringLiteral("Liberation Serif");
        for (const char* name : {"Arial Cyr", "Arial", "MS Sans Serif"})
            QFont::insertSubstitution(QString::fromLatin1(name), sans);
        for (const char* name : {"Times New Roman Cyr", "Times New Roman"})
            QFont::insertSubstitution(QString::fromLatin1(name), serif);
        QFont::insertSubstitution(QStringLiteral("Courier New Cyr"),
                                  QStringLiteral("Liberation Mono"));
        QFont::insertSubstitution(QStringLiteral("Courier New"), QStringLiteral("Liberation Mono"));
        return true;
    }();
    (void)installed;
}

QFont TCellFonts::Font(const QString& family, int cellHeight, bool bold) {
    InstallMapFontSubstitutes();
    auto it = FCellPerEm.find(family);
    if (it == FCellPerEm.end()) {
        QFont probe(family);
        probe.setPixelSize(100);
        const QFontMetricsF m(probe);
        const double cell = m.ascent() + m.descent();
        it = FCellPerEm.insert(family, cell > 0 ? cell / 100 : 1.0);
    }
    QFont font(family);
    font.setPixelSize(std::max(1, int(std::lround(cellHeight / it.value()))));
    font.setBold(bold);
    font.setHintingPreference(QFont::PreferFullHinting);
    return font;
}

QColor ToQColor(uint32_t c) {
    return QColor(int(c & 0xFF), int((c >> 8) & 0xFF), int((c >> 16) & 0xFF));
}

uint32_t FromQColor(const QColor& c) {
    return uint32_t(c.red()) | (uint32_t(c.green()) << 8) | (uint32_t(c.blue()) << 16);
}

class TDrawObject::TOpacityScope {
public:
    TOpacityScope(QPainter& p, uint8_t opacity) : FPainter(p), FSaved(p.opacity()) {
        if (opacity != 255) FPainter.setOpacity(FSaved * opacity / 255.0);
    }
    ~TOpacityScope() { FPainter.setOpacity(FSaved); }
    TOpacityScope(const TOpacityScope&) = delete;
    TOpacityScope& operator=(const TOpacityScope&) = delete;

private:
    QPainter& FPainter;
    qreal FSaved;
};

void TDrawObject::Polygon(std::span<const QPoint> pts) {
    if (!FCanvas || pts.empty()) return;
    TOpacityScope scope(*FCanvas, Opacity);
    FCanvas->drawPolygon(pts.data(), int(pts.size()), Qt::OddEvenFill);
}

void TDrawObject::Polyline(std::span<const QPoint> pts) {
    if (!FCanvas || pts.empty()) return;
    TOpacityScope scope(*FCanvas, Opacity);
    FCanvas->drawPolyline(pts.data(), int(pts.size()));
}

namespace {

QPainterPath BezierChain(std::span<const QPoint> pts) {
    QPainterPath path;
    if (pts.empty()) return path;
    path.moveTo(pts[0]);
    for (size_t i = 1; i + 2 < pts.size(); i += 3) path.cubicTo(pts[i], pts[i + 1], pts[i + 2]);
    return path;
}

} // namespace

void TDrawObject::PolyBezier(std::span<const QPoint> pts) {
    if (!FCanvas || pts.size() < 4) return;
    TOpacityScope scope(*FCanvas, Opacity);
    FCanvas->strokePath(BezierChain(pts), FCanvas->pen());
}

void TDrawObject::FillBezierPath(std::span<const QPoint> pts) {
    if (!FCanvas || pts.size() < 4) return;
    TOpacityScope scope(*FCanvas, Opacity);
    QPainterPath path = BezierChain(pts);
    path.closeSubpath();
    path.setFillRule(Qt::OddEvenFill);
    FCanvas->drawPath(path);
}

void TDrawObject::Ellipse(int x1, int y1, int x2, int y2) {
    if (!FCanvas) return;
    TOpacityScope scope(*FCanvas, Opacity);
    // The old canvas excluded the right and bottom edges of the bounding rectangle.
    FCanvas->drawEllipse(QRect(QPoint(x1, y1), QPoint(x2 - 1, y2 - 1)));
}

void TDrawObject::TextOut(int x, int y, const QString& text, int escapement) {
    if (!FCanvas || text.isEmpty() || TextHeight <= 0) return;
    TOpacityScope scope(*FCanvas, Opacity);
    const QFont font = FFonts.Font(TextFontName, TextHeight, TextBold);
    const QFontMetrics metrics(font);
    FCanvas->save();
    FCanvas->translate(x, y);
    if (escapement != 0) FCanvas->rotate(-escapement / 10.0); // counter-clockwise on screen
    const QRect cell(0, 0, metrics.horizontalAdvance(text), metrics.ascent() + metrics.descent());
    if (FCanvas->brush().style() == Qt::SolidPattern) FCanvas->fillRect(cell, FCanvas->brush());
    FCanvas->setFont(font);
    FCanvas->setPen(TextColor);
    FCanvas->drawText(0, metrics.ascent(), text);
    FCanvas->restore();
}

void TDrawObject::DrawGraphic(int x, int y, const QImage& graphic) {
    if (!FCanvas || graphic.isNull()) return;
    TOpacityScope scope(*FCanvas, Opacity);
    FCanvas->drawImage(x, y, graphic);
}

void TDrawObject::StretchTransparent(const QRect& rect, const QImage& bitmap) {
    if (!FCanvas || bitmap.isNull() || rect.isEmpty()) return;
    TOpacityScope scope(*FCanvas, Opacity);
    FCanvas->drawImage(rect, bitmap);
}

void TDrawObject::StretchDraw(int x1, int y1, int x2, int y2, const QImage& graphic) {
    if (!FCanvas || graphic.isNull()) return;
    TOpacityScope scope(*FCanvas, Opacity);
    FCanvas->drawImage(QRect(QPoint(std::min(x1, x2), std::min(y1, y2)),
                             QSize(std::abs(x2 - x1), std::abs(y2 - y1))),
                       graphic);
}

// ---------------------------------------------------------------------- host-drawn lines

int OutCode(QPoint p, int w, int h) {
    int code = 0;
    if (p.x() < 0)
        code |= 1;
    else if (p.x() > w)
        code |= 4;
    if (p.y() < 0)
        code |= 2;
    else if (p.y() > h)
        code |= 8;
    return code;
}

std::optional<TSegment> ClipSegment(QPoint a, QPoint b, int w, int h) {
    // Doubles, so that long segments far off the control cannot overflow.
    double x1 = a.x(), y1 = a.y(), x2 = b.x(), y2 = b.y();
    int c1 = OutCode(a, w, h), c2 = OutCode(b, w, h);
    auto code = [&](double x, double y) {
        int c = 0;
        if (x < 0)
            c |= 1;
        else if (x > w)
            c |= 4;
        if (y < 0)
            c |= 2;
        else if (y > h)
            c |= 8;
        return c;
    };
    for (int guard = 0; guard < 8; ++guard) {
        if ((c1 | c2) == 0)
            return TSegment{QPoint(int(std::lround(x1)), int(std::lround(y1))),
                            QPoint(int(std::lround(x2)), int(std::lround(y2)))};
        if (c1 & c2) return std::nullopt;
        const int out = c1 ? c1 : c2;
        double x = 0, y = 0;
        if (out & 8) {
            x = x1 + (x2 - x1) * (h - y1) / (y2 - y1);
            y = h;
        } else if (out & 2) {
            x = x1 + (x2 - x1) * (0 - y1) / (y2 - y1);
            y = 0;
        } else if (out & 4) {
            y = y1 + (y2 - y1) * (w - x1) / (x2 - x1);
            x = w;
        } else {
            y = y1 + (y2 - y1) * (0 - x1) / (x2 - x1);
            x = 0;
        }
        // Intersections fall on whole pixels.
        x = std::round(x);
        y = std::round(y);
        if (out == c1) {
            x1 = x, y1 = y, c1 = code(x1, y1);
        } else {
            x2 = x, y2 = y, c2 = code(x2, y2);
        }
    }
    return std::nullopt;
}

void StepLine(QPoint a, QPoint b, const std::function<void(int, int)>& visit) {
    // Bresenham: one pixel per step along the major axis.
    int x = a.x(), y = a.y();
    const int dx = std::abs(b.x() - x), dy = std::abs(b.y() - y);
    const int sx = b.x() >= x ? 1 : -1, sy = b.y() >= y ? 1 : -1;
    const int steps = std::max(dx, dy);
    if (dx >= dy) {
        int err = 2 * dy - dx;
        for (int i = 0; i < steps; ++i) {
            visit(x, y);
            if (err > 0) {
                y += sy;
                err -= 2 * dx;
            }
            err += 2 * dy;
            x += sx;
        }
    } else {
        int err = 2 * dx - dy;
        for (int i = 0; i < steps; ++i) {
            visit(x, y);
            if (err > 0) {
                x += sx;
                err -= 2 * dy;
            }
            err += 2 * dx;
            y += sy;
        }
    }
}

} // namespace tsivor::mapview
