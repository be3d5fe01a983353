#include "mapview/SmallPreView.h"

#include "mapview/DataMap.h"

#include <QMouseEvent>

namespace tsivor::mapview {

TSmallPreView::TSmallPreView(QWidget* parent) : TMyImage(parent) {}

TSmallPreView::~TSmallPreView() {
    if (FMap) FMap->SetSmallView(nullptr);
}

void TSmallPreView::SetColor(mapdata::TColor v) {
    if (v == FColor) return;
    FColor = v;
    if (FMap) FMap->UpdateSmallView();
}

void TSmallPreView::SetObjectView(int v) {
    if (v < 0 || v == FObjectView) return;
    FObjectView = v;
    if (FMap) FMap->RenderSmallView();
}

void TSmallPreView::Paint(QPainter& canvas, const QRect& rect) {
    if (FRendering) return;
    if (FMap && size() != FRenderedSize) {
        TFlagGuard guard(FRendering);
        FMap->RenderSmallView();
        FRenderedSize = size();
    }
    TMyImage::Paint(canvas, rect);
}

void TSmallPreView::MoveMapTo(QPoint p) {
    if (!FMap) return;
    FMap->CenterFromSmallView(p.x(), p.y());
    FMap->UpdateSmallView();
}

void TSmallPreView::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    FDragging = true;
    MoveMapTo(event->position().toPoint());
}

void TSmallPreView::mouseMoveEvent(QMouseEvent* event) {
    if (!FDragging) return;
    MoveMapTo(event->position().toPoint());
    update();
}

void TSmallPreView::mouseReleaseEvent(QMouseEvent* /*event*/) {
    FDragging = false;
}

} // namespace tsivor::mapview
