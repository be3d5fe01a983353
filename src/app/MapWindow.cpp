#include "app/MapWindow.h"

#include "app/MapDesign.h"

#include "app/AppGlobals.h"
#include "mapview/MapCursors.h"

#include <QDir>
#include <QFileInfo>

#include <QKeyEvent>
#include <QMouseEvent>
#include <QVBoxLayout>
#include <QWheelEvent>

#include <cmath>

namespace tsivor::app {

void ApplyViewerOptions(mapview::TDataMap& map, int fontDivisor, int minScaleAddress) {
    ApplyDesignOptions(map);
    mapview::tOrbMapOptions& o = map.Options();
    o.NotifyChange = false;
    o.SetMinScaleAddress(minScaleAddress);
    o.SetmpNumberDomSizeFont(int(map.Scale() / std::max(1, fontDivisor)));
    o.NotifyChange = true;
    map.SetBackgroundColor(237 | (211 << 8) | (174 << 16));
}

TMapWindow::TMapWindow(QWidget* parent) : QWidget(parent), FMap(new mapview::TDataMap(this)) {
    setWindowTitle(QStringLiteral("Карта города"));
    setMinimumSize(320, 240);
    resize(1000, 700);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(FMap);
    FMap->setMouseTracking(true);
    FMap->installEventFilter(this);
    FFontDivisor = Globals().Mas.font > 0 ? Globals().Mas.font : 100;
    ApplyViewerOptions(*FMap, FFontDivisor, Globals().Mas.min_adr);
    FMap->OnChangeScale = [this](mapview::TDataMap*) { ScaleChanged(); };
    FMap->SetOrbMapIcon(&FIcons);
}

TMapWindow::~TMapWindow() {
    // The map outlives the icons by a moment: it is deleted with the window's children.
    FMap->SetOrbMapIcon(nullptr);
}

bool TMapWindow::LoadMap(const QString& fileName, QString* error) {
    if (!FMap->MapLoad(fileName, error)) return false;
    FIcons.ClearLibraries();
    mapview::LoadBuiltInIcons(FIcons);
    // A missing or damaged library leaves its notes with the error icon.
    const QString library = QFileInfo(fileName).dir().filePath(QStringLiteral("tsivor.lib"));
    if (QFileInfo::exists(library)) FIcons.LoadIconLibrary(library);
    ZoomAll();
    return true;
}

void TMapWindow::ScaleChanged() {
    mapview::tOrbMapOptions& o = FMap->Options();
    o.NotifyChange = false;
    const double minScale = Globals().MinScale, maxScale = Globals().MaxScale;
    if (FMap->Scale() < minScale)
        FMap->SetScale(minScale);
    else if (FMap->Scale() > maxScale)
        FMap->SetScale(maxScale);
    o.SetmpNumberDomSizeFont(int(FMap->Scale() / FFontDivisor));
    o.NotifyChange = true;
    FMap->Render().OptionsChanged();
    FMap->MarkDirty();
}

void TMapWindow::ZoomAll() {
    const mapdata::TMapExtent& e = FMap->MapExtent();
    mapview::TDrawingLock lock(*FMap);
    // The whole map is the lower limit, so the limit may not stop the fit itself.
    Globals().MinScale = 0;
    FMap->ZoomToRect(e.MinX, e.MinY, e.MaxX, e.MaxY);
    Globals().MinScale = FMap->Scale();
}

void TMapWindow::ZoomAtPixel(QPoint pixel, double delta) {
    mapview::TDrawingLock lock(*FMap);
    FMap->SetMousePos(pixel);
    const float mx = FMap->MouseMapX(), my = FMap->MouseMapY();
    FMap->SetScale(FMap->Scale() + delta);
    float ax = float(pixel.x()), ay = float(pixel.y());
    FMap->ScreenToMap(ax, ay);
    FMap->SetXWind(FMap->XWind() + (mx - ax));
    FMap->SetYWind(FMap->YWind() + (my - ay));
}

// At a limit the step is the exact remainder, not a rounded one, so that the zoom lands on the
// limit itself even from a fractional scale.
void TMapWindow::WheelAt(QPoint pixel, int delta) {
    const double scale = FMap->Scale();
    const double d = std::trunc(scale * 0.3 * delta / 60);
    const double minScale = Globals().MinScale, maxScale = Globals().MaxScale;
    if (scale + d < minScale)
        ZoomAtPixel(pixel, minScale - scale);
    else if (scale + d > maxScale)
        ZoomAtPixel(pixel, maxScale - scale);
    else
        ZoomAtPixel(pixel, d);
}

void TMapWindow::ZoomIn() {
    const double scale = FMap->Scale(), d = std::round(scale / 2);
    const QPoint centre(FMap->width() / 2, FMap->height() / 2);
    if (scale + d > Globals().MinScale && scale + d < Globals().MaxScale)
        ZoomAtPixel(centre, d);
    else
        ZoomAtPixel(centre, Globals().MaxScale - scale);
}

void TMapWindow::ZoomOut() {
    const double scale = FMap->Scale(), d = -std::round(scale / 2);
    const QPoint centre(FMap->width() / 2, FMap->height() / 2);
    if (scale + d > Globals().MinScale && scale + d < Globals().MaxScale)
        ZoomAtPixel(centre, d);
    else
        ZoomAtPixel(centre, Globals().MinScale - scale);
}

void TMapWindow::DragBy(QPoint move) {
    // The image follows the pointer: the window moves the other way.
    const int dx = move.x(), dy = move.y();
    if (dx == 0 && dy == 0) return;
    int direction = 0;
    if (dy == 0)
        direction = dx > 0 ? mapview::sdLeft : mapview::sdRight;
    else if (dx == 0)
        direction = dy > 0 ? mapview::sdUp : mapview::sdDown;
    else if (dx > 0)
        direction = dy > 0 ? mapview::sdLeftUp : mapview::sdLeftDown;
    else
        direction = dy > 0 ? mapview::sdRightUp : mapview::sdRightDown;
    if (FMap->ScrollBy(direction, std::abs(dx), std::abs(dy))) FMap->update();
}

bool TMapWindow::KeyPressed(int key, Qt::KeyboardModifiers modifiers) {
    const bool keypad = modifiers & Qt::KeypadModifier;
    if (key == Qt::Key_PageUp || (keypad && key == Qt::Key_Plus)) {
        ZoomIn();
    } else if (key == Qt::Key_PageDown || (keypad && key == Qt::Key_Minus)) {
        ZoomOut();
    } else if (keypad && key == Qt::Key_Asterisk) {
        ZoomAll();
    } else if (modifiers & Qt::ControlModifier) {
        const float step = float(4000 / FMap->Scale());
        switch (key) {
        case Qt::Key_Left:
            FMap->SetXWind(FMap->XWind() - step);
            break;
        case Qt::Key_Right:
            FMap->SetXWind(FMap->XWind() + step);
            break;
        case Qt::Key_Up:
            FMap->SetYWind(FMap->YWind() - step);
            break;
        case Qt::Key_Down:
            FMap->SetYWind(FMap->YWind() + step);
            break;
        default:
            return false;
        }
    } else {
        return false;
    }
    return true;
}

bool TMapWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched != FMap) return QWidget::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::Wheel: {
        auto* e = static_cast<QWheelEvent*>(event);
        WheelAt(e->position().toPoint(), e->angleDelta().y());
        return true;
    }
    case QEvent::KeyPress: {
        auto* e = static_cast<QKeyEvent*>(event);
        return KeyPressed(e->key(), e->modifiers());
    }
    case QEvent::MouseButtonPress: {
        auto* e = static_cast<QMouseEvent*>(event);
        if (e->button() != Qt::LeftButton) return false;
        FDragging = true;
        FDragFrom = e->position().toPoint();
        return true;
    }
    case QEvent::MouseMove: {
        auto* e = static_cast<QMouseEvent*>(event);
        FMap->SetMousePos(e->position().toPoint());
        if (!FDragging) return false;
        const QPoint now = e->position().toPoint();
        DragBy(now - FDragFrom);
        FDragFrom = now;
        return true;
    }
    case QEvent::MouseButtonRelease:
        FDragging = false;
        return false;
    default:
        return false;
    }
}

} // namespace tsivor::app
