#pragma once
// TSmallPreView: a small companion control showing the whole map as a thumbnail with a frame
// around the part its map currently shows; clicking or dragging in it moves the map's view.
// Linked through TDataMap::SetSmallView; the map renders the thumbnail with its own drawing.

#include "mapdata/Categories.h"
#include "mapdata/MapObject.h"
#include "mapview/MapTools.h"
#include "mapview/RenderPipeline.h"

#include <QSize>

namespace tsivor::mapview {

class TDataMap;

class TSmallPreView : public TMyImage {
public:
    explicit TSmallPreView(QWidget* parent = nullptr);
    ~TSmallPreView() override;

    // Colour of the view frame and the cross lines.
    mapdata::TColor Color() const { return FColor; }
    void SetColor(mapdata::TColor v);
    // Smallest object size in pixels drawn in the thumbnail; 0 takes the map's own.
    int ObjectView() const { return FObjectView; }
    void SetObjectView(int v); // negative values are ignored
    // May hide objects from the thumbnail.
    mapdata::TFilteredObjectHook OnFilteredObject;

    TDataMap* DataMap() const { return FMap; }
    QSize RenderedSize() const { return FRenderedSize; }

protected:
    void Paint(QPainter& canvas, const QRect& rect) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    friend class TDataMap;
    void MoveMapTo(QPoint p);

    mapdata::TColor FColor = 0xFFFFFF;
    int FObjectView = 0;
    TDataMap* FMap = nullptr;
    QSize FRenderedSize;
    bool FRendering = false;
    bool FDragging = false;
};

} // namespace tsivor::mapview
