#include "mapview/HouseNumbers.h"

#include "mapview/View3D.h"

#include "mapdata/Cp1251.h"
#include "mapdata/Rounding.h"

#include <QFontMetrics>

#include <algorithm>
#include <cmath>
#include <limits>

namespace tsivor::mapview {

using mapdata::RoundToInt;

QString HouseNumberText(const mapdata::TORBMapObjectMem& o) {
    if (!o.Address) return {};
    QString text = o.Address->House.Text();
    if (!o.Address->House1.isEmpty()) text += QLatin1Char('/') + o.Address->House1.Text();
    return text;
}

TColor HouseNumberFontColor(TColor fill) {
    const int r = int(fill & 0xFF), g = int((fill >> 8) & 0xFF), b = int((fill >> 16) & 0xFF);
    return std::max({r, g, b}) >= 150 ? 0x000000 : 0xFFFFFF;
}

bool PointInPolygon(const mapdata::TORBMapObjectMem& o, float x, float y) {
    if (!o.Points || o.Count < 3) return false;
    bool inside = false;
    const mapdata::TORBMapPoint* p = o.Points.get();
    for (int i = 0, j = o.Count - 1; i < o.Count; j = i++) {
        if ((p[i].Y > y) != (p[j].Y > y) &&
            x < (p[j].X - p[i].X) * (y - p[i].Y) / (p[j].Y - p[i].Y) + p[i].X)
            inside = !inside;
    }
    return inside;
}

QPointF HouseNumberAnchor(const mapdata::TORBMapObjectMem& o) {
    const auto& box = o.Box;
    const float cx = box[0].X + std::abs(box[2].X - box[0].X) / 2;
    const float cy = box[0].Y + std::abs(box[2].Y - box[0].Y) / 2;
    if (o.ObjectType != mapdata::cPolygon || PointInPolygon(o, cx, cy)) return QPointF(cx, cy);
    const float sx = std::abs(box[1].X - box[0].X) / 7;
    const float sy = std::abs(box[3].Y - box[0].Y) / 7;
    QPointF best(cx, cy);
    double bestDistance = std::numeric_limits<double>::max();
    for (int r = 0; r <= 6; ++r) {
        const float y = box[0].Y + r * sy;
        for (int c = 1; c <= 7; ++c) {
            const float x = box[0].X + c * sx;
            if (!PointInPolygon(o, x, y)) continue;
            const double d = double(x - cx) * (x - cx) + double(y - cy) * (y - cy);
            if (d < bestDistance) { // the first in grid order wins ties
                bestDistance = d;
                best = QPointF(x, y);
            }
        }
    }
    return best;
}

bool THouseNumberPainter::Gate(const mapdata::TORBMapObjectMem& o, const tOrbMapOptions& options,
                               const THouseNumberDevice& device) const {
    if (o.HasAddress != 1 || !o.Address) return false;
    if (device.Printing) return device.PrintNumberDom;
    return device.Scale > options.MinScaleAddress() && options.mpNumberDom();
}

void THouseNumberPainter::Draw(const mapdata::TORBMapObjectMem& o, const tOrbMapOptions& options,
                               const THouseNumberDevice& device, TDrawObject& draw,
                               float height) const {
    QPainter* canvas = draw.Canvas();
    if (!canvas || !device.Transform || !Gate(o, options, device)) return;
    const QString text = HouseNumberText(o);
    const QString measured = text.trimmed();
    if (measured.isEmpty()) return;

    const QPointF anchor = HouseNumberAnchor(o);
    float ax = float(anchor.x()), ay = float(anchor.y());
    device.Transform->MapToScreen(ax, ay);

    const TColor objectColor = o.Brush.Color;
    TColor background = o.Brush.Color;
    TColor fontColor = HouseNumberFontColor(o.Brush.Color);

    InstallMapFontSubstitutes();
    QFont font(options.FontSystem());
    // Points to pixels on this canvas, as the old canvas turned a font size into a height.
    font.setPixelSize(std::max(1, (options.mpNumberDomSizeFont() * device.LogicalDpi + 36) / 72));
    font.setBold(options.mpNumberDomBold());
    const QFontMetrics metrics(font);
    const int w = metrics.horizontalAdvance(measured), h = metrics.height();
    int x = RoundToInt(ax - w / 2.0), y = RoundToInt(ay - h / 2.0);

    if (OnPaintAddress) OnPaintAddress(x, y, objectColor, fontColor, background);
    // On an extruded house the number sits on the roof.
    if (View3DApplies(options, device.Scale) && height > kMinExtrudedHeight) {
        const QPointF shift = ExtrusionVector(height * device.PixelsPerUnit, options.View3DAngle());
        x += RoundToInt(shift.x());
        y += RoundToInt(shift.y());
    }

    canvas->save();
    canvas->setBrush(options.mpNumberDomFill() ? QBrush(ToQColor(background)) : QBrush());
    if (options.UseGDIPlus()) {
        draw.TextFontName = options.FontSystem();
        draw.TextHeight = (options.mpNumberDomSizeFont() * device.LogicalDpi + 36) / 72 + 2;
        draw.TextColor = ToQColor(fontColor);
        draw.TextBold = options.mpNumberDomBold();
        draw.TextOut(x, y, text, 0);
    } else {
        if (options.mpNumberDomFill())
            canvas->fillRect(QRect(x, y, metrics.horizontalAdvance(text), h), ToQColor(background));
        canvas->setFont(font);
        canvas->setPen(ToQColor(fontColor));
        canvas->drawText(x, y + metrics.ascent(), text);
    }
    canvas->restore();
}

} // namespace tsivor::mapview
