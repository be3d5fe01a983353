#pragma once
// TMapWindow: a plain resizable window onto the city map with the application's look —
// wheel and key zoom within MinScale..MaxScale and panning by dragging. A light viewer for
// trying maps out; the main window carries the full set of tools.

#include "mapdata/OrbIcon.h"
#include "mapview/DataMap.h"

#include <QPoint>
#include <QWidget>

namespace tsivor::app {

// The map options and colours the application's map is designed with.
void ApplyViewerOptions(mapview::TDataMap& map, int fontDivisor = 100, int minScaleAddress = 200);

class TMapWindow : public QWidget {
public:
    explicit TMapWindow(QWidget* parent = nullptr);
    ~TMapWindow() override;

    mapview::TDataMap& Map() { return *FMap; }
    // Loads a map file and shows all of it; false with a Russian message in error. The icons
    // of its notes come from the built-in library and tsivor.lib beside the map.
    bool LoadMap(const QString& fileName, QString* error = nullptr);
    // The whole map; its scale becomes the lower zoom limit.
    void ZoomAll();
    // Changes Scale by delta keeping the map point under pixel in place.
    void ZoomAtPixel(QPoint pixel, double delta);
    // One wheel step (delta in eighths of a degree, 120 a notch) over pixel.
    void WheelAt(QPoint pixel, int delta);
    void ZoomIn();
    void ZoomOut();
    // Drags the map by a pixel movement (the image follows the pointer).
    void DragBy(QPoint move);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void ScaleChanged();
    bool KeyPressed(int key, Qt::KeyboardModifiers modifiers);

    mapdata::TOrbIcon FIcons; // before the map, which draws from it
    mapview::TDataMap* FMap;
    int FFontDivisor = 100;
    bool FDragging = false;
    QPoint FDragFrom;
};

} // namespace tsivor::app
