#include "app/MapZoom.h"

#include "app/AppGlobals.h"
#include "mapdata/Rounding.h"
#include "mapview/DataMap.h"

#include <QKeyEvent>

#include <cmath>

namespace tsivor::app {

using mapdata::RoundToInt;

TMapKeyCommand MapKeyCommand(const QKeyEvent& e) {
    const bool keypad = e.modifiers() & Qt::KeypadModifier;
    switch (e.key()) {
    case Qt::Key_PageUp:
    case Qt::Key_Plus:
    case Qt::Key_Equal: // + without Shift on the main keyboard
        return TMapKeyCommand::ZoomIn;
    case Qt::Key_PageDown:
    case Qt::Key_Minus:
        return TMapKeyCommand::ZoomOut;
    case Qt::Key_Asterisk:
        return keypad ? TMapKeyCommand::ZoomAll : TMapKeyCommand::None;
    case Qt::Key_Left:
        return TMapKeyCommand::Left;
    case Qt::Key_Right:
        return TMapKeyCommand::Right;
    case Qt::Key_Up:
        return TMapKeyCommand::Up;
    case Qt::Key_Down:
        return TMapKeyCommand::Down;
    default:
        return TMapKeyCommand::None;
    }
}

int HouseNumberFontSize(double scale, int font) {
    return int(std::trunc(scale / (font > 0 ? font : 100))); // a zero divisor is not a size
}

QString ScreenScaleText(double scale, int mashtab, double dpi) {
    if (mashtab <= 0 || !(scale > 0) || !(dpi > 0)) return {};
    // Metres of ground per pixel over metres of screen per pixel.
    const double n = (100.0 / scale) * (mashtab / 1000.0) / (0.0254 / dpi);
    if (!std::isfinite(n) || n > 1e12) return {};
    const qint64 step = n >= 1000 ? 100 : 10;
    const qint64 rounded = std::max<qint64>(step, qint64(mapdata::NearestEven(n / step)) * step);
    QString digits = QString::number(rounded);
    for (int k = digits.size() - 3; k > 0; k -= 3) digits.insert(k, u' ');
    return QStringLiteral("1:") + digits;
}

TMapZoom::TMapZoom(mapview::TDataMap& map, TZoomSettings settings)
    : FMap(map), FSettings(settings) {}

void TMapZoom::ZoomAtMouse(double delta) {
    mapview::TDrawingLock lock(FMap);
    const QPoint p = FMap.MousePos();
    float x0 = float(p.x()), y0 = float(p.y());
    FMap.ScreenToMap(x0, y0);
    FMap.SetScale(FMap.Scale() + delta);
    float x1 = float(p.x()), y1 = float(p.y());
    FMap.ScreenToMap(x1, y1);
    FMap.SetXWind(FMap.XWind() + (x0 - x1));
    FMap.SetYWind(FMap.YWind() + (y0 - y1));
}

void TMapZoom::ZoomAtCentre(double delta) {
    mapview::TDrawingLock lock(FMap);
    const QPointF c0 = FMap.GetViewCenter();
    FMap.SetScale(FMap.Scale() + delta);
    const QPointF c1 = FMap.GetViewCenter();
    FMap.SetXWind(FMap.XWind() + float(c0.x() - c1.x()));
    FMap.SetYWind(FMap.YWind() + float(c0.y() - c1.y()));
}

void TMapZoom::ZoomIn() {
    const double s = FMap.Scale();
    const int d = RoundToInt(s / 2);
    if (s + d > Globals().MinScale && s + d < Globals().MaxScale)
        ZoomAtCentre(d);
    else
        ZoomAtCentre(RoundToInt(Globals().MaxScale - s));
}

void TMapZoom::ZoomOut() {
    const double s = FMap.Scale();
    const int d = -RoundToInt(s / 2);
    if (s + d > Globals().MinScale && s + d < Globals().MaxScale)
        ZoomAtCentre(d);
    else
        ZoomAtCentre(RoundToInt(Globals().MinScale - s));
}

void TMapZoom::ZoomAll() {
    if (FMap.ObjectCount() == 0 || FMap.width() <= 0 || FMap.height() <= 0) return;
    const mapdata::TMapExtent& e = FMap.MapExtent();
    // The old limit belongs to the old control size: in a smaller window the whole map needs a
    // smaller scale, which the scale change would otherwise clamp back.
    Globals().MinScale = 0;
    FMap.ZoomToRect(e.MinX, e.MinY, e.MaxX, e.MaxY);
    Globals().MinScale = FMap.Scale();
    FWholeMap = CurrentView();
}

TMapZoom::TView TMapZoom::CurrentView() const {
    return {FMap.Scale(), FMap.XWind(), FMap.YWind()};
}

bool TMapZoom::ShowsWholeMap() const {
    return FWholeMap && *FWholeMap == CurrentView();
}

void TMapZoom::Wheel(QPoint pos, int angleDelta) {
    FMap.SetMousePos(pos);
    const double s = FMap.Scale();
    const double d = std::trunc(s * 0.3 * angleDelta / 60.0);
    if (s + d < Globals().MinScale)
        ZoomAtMouse(RoundToInt(Globals().MinScale - s));
    else if (s + d > Globals().MaxScale)
        ZoomAtMouse(RoundToInt(Globals().MaxScale - s));
    else
        ZoomAtMouse(d);
}

void TMapZoom::Pan(TMapKeyCommand direction) {
    const float step = float(4000.0 / FMap.Scale());
    switch (direction) {
    case TMapKeyCommand::Left:
        FMap.SetXWind(FMap.XWind() - step);
        break;
    case TMapKeyCommand::Right:
        FMap.SetXWind(FMap.XWind() + step);
        break;
    case TMapKeyCommand::Up:
        FMap.SetYWind(FMap.YWind() - step);
        break;
    case TMapKeyCommand::Down:
        FMap.SetYWind(FMap.YWind() + step);
        break;
    default:
        break;
    }
}

void TMapZoom::ScaleChanged() {
    if (FInScaleChange) return; // the clamp below changes the scale once more
    FInScaleChange = true;
    mapview::tOrbMapOptions& o = FMap.Options();
    o.NotifyChange = false;
    if (FMap.Scale() < Globals().MinScale)
        FMap.SetScale(Globals().MinScale);
    else if (FMap.Scale() > Globals().MaxScale)
        FMap.SetScale(Globals().MaxScale);
    FMap.SetCategoryVisible(98, FMap.Scale() > FSettings.logo_p);
    FMap.SetCategoryVisible(97, FMap.Scale() > FSettings.logo_rub);
    o.SetmpNumberDomSizeFont(HouseNumberFontSize(FMap.Scale(), FSettings.font));
    if (ShowScaleText)
        ShowScaleText(ScreenScaleText(FMap.Scale(), FMap.Mashtab(), FMap.logicalDpiX()));
    o.NotifyChange = true;
    FMap.SetFilter(true);
    FMap.MarkDirty();
    FInScaleChange = false;
}

bool TMapZoom::RestoreView(double M1, double P1, double P2) {
    if (M1 == NoSavedScale || !std::isfinite(M1) || !std::isfinite(P1) || !std::isfinite(P2))
        return false;
    if (!(M1 > FMap.Scale() && M1 > Globals().MinScale && M1 <= Globals().MaxScale)) return false;
    // The centre of the saved view, at the saved scale, must lie on the map.
    const double cx = P1 + FMap.width() * 50.0 / M1;
    const double cy = P2 + FMap.height() * 50.0 / M1;
    const mapdata::TMapExtent& e = FMap.MapExtent();
    if (cx < e.MinX || cx > e.MaxX || cy < e.MinY || cy > e.MaxY) return false;
    mapview::TDrawingLock lock(FMap);
    FMap.SetScale(M1);
    FMap.SetXWind(float(P1));
    FMap.SetYWind(float(P2));
    return true;
}

} // namespace tsivor::app
