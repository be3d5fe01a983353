#pragma once
// TMapZoom: the main window's zooming of its map — buttons, wheel and keys within MinScale and
// MaxScale, the whole-map command, what follows every scale change, and the saved view.

#include <QPoint>
#include <QString>

#include <functional>
#include <optional>

class QKeyEvent;

namespace tsivor::mapview {
class TDataMap;
}

namespace tsivor::app {

// What a key on the map asks for.
enum class TMapKeyCommand { None, ZoomIn, ZoomOut, ZoomAll, Left, Right, Up, Down };

// Page Up / Down, + and − (keypad or main keyboard), keypad *, and the arrows with or without
// Ctrl (laptops have no keypad).
TMapKeyCommand MapKeyCommand(const QKeyEvent& e);

// The house-number font size for a scale: trunc(Scale / font); a font of 0 counts as 100.
int HouseNumberFontSize(double scale, int font);

// The ground scale of the screen, "1:N": N metres of ground for a metre of screen at dpi
// pixels an inch (one map unit is Mashtab / 1000 metres), to hundreds from 1:1 000 on and to
// tens below; empty without a nominal scale.
QString ScreenScaleText(double scale, int mashtab, double dpi);

struct TZoomSettings {
    int logo_p = 200;  // map logos (category 98) above this scale
    int logo_rub = 30; // rubric logos (category 97) above this scale
    int font = 100;    // house-number size divisor
};

class TMapZoom {
public:
    TMapZoom(mapview::TDataMap& map, TZoomSettings settings);

    // The map point under the last mouse position / at the centre stays in place.
    void ZoomAtMouse(double delta);
    void ZoomAtCentre(double delta);
    // The buttons: half the scale more or less, landing exactly on a limit.
    void ZoomIn();
    void ZoomOut();
    // The whole map in the control as it is now; MinScale becomes its scale.
    void ZoomAll();
    // Nothing has zoomed or moved the view since the last ZoomAll.
    bool ShowsWholeMap() const;
    // One wheel event at pixel pos (120 a notch): 60 % per notch within the limits.
    void Wheel(QPoint pos, int angleDelta);
    // Moves the view by 4000 / Scale map units (TMapKeyCommand Left..Down).
    void Pan(TMapKeyCommand direction);

    // OnChangeScale: clamp, logo categories, house-number size, the scale text, then one
    // redraw.
    void ScaleChanged();
    std::function<void(const QString&)> ShowScaleText;

    // The view saved at the last close, taken only when it is closer than the whole map,
    // within MaxScale and its centre lies on the map. Call after ZoomAll at the real size.
    bool RestoreView(double M1, double P1, double P2);
    static constexpr double NoSavedScale = 333; // M1 of a run that saved no view

private:
    mapview::TDataMap& FMap;
    TZoomSettings FSettings;
    bool FInScaleChange = false;
    struct TView {
        double Scale;
        float X, Y;
        bool operator==(const TView&) const = default;
    };
    TView CurrentView() const;
    std::optional<TView> FWholeMap; // the view the last ZoomAll left
};

} // namespace tsivor::app
