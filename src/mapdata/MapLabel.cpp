#include "mapdata/MapLabel.h"

#include "mapdata/Rounding.h"

#include <cmath>

namespace tsivor::mapdata {

TORBMapText LabelAlong(const TMapDocument& doc, const QString& text, TORBMapPoint centre,
                       TORBMapPoint dir, float size, uint8_t font) {
    double deg = std::atan2(-dir.Y, dir.X) * 180 / M_PI;
    if (deg > 90.0001)
        deg -= 180;
    else if (deg <= -90)
        deg += 180;
    const int angle = RoundToInt(deg * 10);
    const double rad = angle / 10.0 * M_PI / 180;
    const TORBMapPoint d{float(std::cos(rad)), float(-std::sin(rad))};
    const TORBMapPoint n{float(std::sin(rad)), float(std::cos(rad))};
    const QSizeF extent = doc.MeasureText(text, font, size);
    const float w = float(extent.width()), h = float(extent.height());
    TORBMapText t;
    t.X = centre.X - d.X * w / 2 - n.X * h / 2;
    t.Y = centre.Y - d.Y * w / 2 - n.Y * h / 2;
    t.Angle = angle;
    t.FontIndex = font;
    t.Size = size;
    t.Text = text;
    return t;
}

} // namespace tsivor::mapdata
