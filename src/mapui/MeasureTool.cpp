#include "mapui/MeasureTool.h"

#include "mapdata/Rounding.h"
#include "mapview/DrawPrimitives.h"

#include <QLocale>
#include <QPainterPath>

#include <cmath>
#include <numbers>

namespace tsivor::mapui {

using mapdata::TORBMapPoint;
using namespace mapview;

namespace {

QPointF ToScreen(const TDataMap& map, const TORBMapPoint& p) {
    float x = p.X, y = p.Y;
    map.MapToScreen(x, y);
    return QPointF(mapdata::NearestEven(x), mapdata::NearestEven(y));
}

} // namespace

float PolylineLength(std::span<const TORBMapPoint> points, int32_t mashtab) {
    if (points.size() < 2) return 0;
    long double sum = 0;
    for (size_t i = 1; i < points.size(); ++i) {
        const float dx = std::abs(points[i].X - points[i - 1].X);
        const float dy = std::abs(points[i].Y - points[i - 1].Y);
        sum += std::sqrt((long double)dx * dx + (long double)dy * dy);
    }
    return float(mashtab / 1000.0L * sum);
}

QString MeasureLabel(double metres) {
    QString number = QString::number(metres, 'f', 1);
    number.replace(QLatin1Char('.'), QLocale().decimalPoint());
    return QStringLiteral("L= ") + number + QStringLiteral(" m");
}

TMeasureLabelPlace MeasureLabelPlace(QPointF a, QPointF b, QSize size, double textWidth) {
    // The screen's Y axis points down: "up" is decreasing Y.
    double alpha = std::atan2(-(b.y() - a.y()), b.x() - a.x()) * 180 / std::numbers::pi;
    if (alpha < 0) alpha += 360;
    double angle = alpha, sign = -1;
    if (alpha > 90 && alpha <= 270) angle = alpha + 180, sign = 1;
    // The label stays on the visible part of the segment.
    QPointF va = a, vb = b;
    if (CutToRect(va, vb, QRectF(0, 0, size.width(), size.height()))) a = va, b = vb;
    const QPointF mid = (a + b) / 2;
    const double len = std::hypot(b.x() - a.x(), b.y() - a.y());
    QPointF origin = mid;
    if (len > 0) origin += (b - a) / len * (textWidth * sign / 2);
    return {origin, angle};
}

void TMeasureTool::Press(TMouseButton button) {
    if (button == mbRight) {
        if (FMap.Options().CancelAction() != orbRightButton) return;
        FMeasurePoints.clear();
        FMap.RepaintControl();
        return;
    }
    const TORBMapPoint p{float(FMouse.MouseMapPos.x()), float(FMouse.MouseMapPos.y())};
    if (FMeasurePoints.empty())
        FMeasurePoints.assign(2, p);
    else
        FMeasurePoints.push_back(p);
    FMap.RepaintControl();
    MeasureChanged();
}

void TMeasureTool::Move() {
    if (FMeasurePoints.size() < 2) return;
    FMeasurePoints.back() = {float(FMouse.MouseMapPos.x()), float(FMouse.MouseMapPos.y())};
    MeasureChanged();
    FMap.RepaintControl();
}

bool TMeasureTool::DoubleClick() {
    FMeasurePoints.clear();
    return true;
}

void TMeasureTool::Cancel() {
    FMeasurePoints.clear();
    FMap.RepaintControl();
}

void TMeasureTool::MeasureChanged() {
    const int32_t mashtab = FMap.Mashtab();
    const float total = PolylineLength(FMeasurePoints, mashtab);
    const float last = FMeasurePoints.size() == 2
                           ? total
                           : PolylineLength(std::span(FMeasurePoints).last(2), mashtab);
    if (FMap.OnMeasure) FMap.OnMeasure(&FMap, total, last);
}

void TMeasureTool::PaintOverlay(QPainter& canvas) {
    if (FMeasurePoints.size() < 2) return;
    std::vector<QPointF> px;
    px.reserve(FMeasurePoints.size());
    for (const TORBMapPoint& p : FMeasurePoints) px.push_back(ToScreen(FMap, p));

    canvas.setRenderHint(QPainter::Antialiasing, false);
    canvas.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    QPen pen(Qt::white, 3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    canvas.setPen(pen);
    if (px.size() > 2) canvas.drawPolyline(px.data(), int(px.size()) - 1);
    pen.setColor(ToQColor(0x0000FFFF));
    canvas.setPen(pen);
    canvas.drawLine(px[px.size() - 2], px.back());

    if (!FMap.Options().ShowMeasure()) return;
    const QString text =
        MeasureLabel(PolylineLength(std::span(FMeasurePoints).last(2), FMap.Mashtab()));
    const QFont font = MapFont(FMap.Options().FontSystem(), FMap.Options().MeasureFontSize());
    const QFontMetricsF metrics(font);
    const TMeasureLabelPlace place = MeasureLabelPlace(px[px.size() - 2], px.back(), FMap.size(),
                                                       metrics.horizontalAdvance(text));
    QPainterPath path;
    path.addText(0, metrics.ascent(), font, text);
    canvas.setCompositionMode(QPainter::CompositionMode_SourceOver);
    canvas.setRenderHint(QPainter::Antialiasing, true);
    canvas.translate(place.Origin);
    canvas.rotate(-place.Angle);
    // White letters with a black rim stay readable on any map colour.
    canvas.strokePath(path, QPen(Qt::black, 3));
    canvas.fillPath(path, Qt::white);
}

} // namespace tsivor::mapui
