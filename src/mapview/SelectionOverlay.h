#pragma once
// The selection as the map shows it over the frame: the dotted frame around several selected
// objects, the outline of the object in the edit buffer and its handles by edit mode. The
// pointer is tested against the same handle positions.

#include <QPainter>
#include <QPoint>

#include <array>
#include <cstdint>
#include <vector>

namespace tsivor::mapview {

class TDataMap;

// The handles of the object in the edit buffer, in control pixels.
struct TSelectionHandles {
    std::array<QPoint, 4> Corners{}; // the box quadrilateral, from its first corner
    // Resize handles clockwise from the top-left corner: corner, top middle, corner, right
    // middle, corner, bottom middle, corner, left middle.
    std::array<QPoint, 8> Resize{};
    QPoint Centre; // the rotation centre
    bool CentreShown = false;
    std::vector<QPoint> Nodes; // empty for the kinds that are not edited node by node
    bool BezierNodes = false;  // the nodes cycle through an anchor and two control points
};

// The handles of the object in the edit buffer at the current view.
TSelectionHandles SelectionHandles(const TDataMap& map);
// The object in the edit buffer is locked while mpLocked keeps locked objects as they are.
bool BufferLockedAgainstEditing(const TDataMap& map);
// The selected object shows handles: editing is on and it is not locked against editing.
bool HandlesShown(const TDataMap& map);
// A handle at handle is hit within SizeRect pixels on each axis.
bool HandleHit(QPoint handle, QPoint pos, int sizeRect);
// The kinds whose points are moved one by one.
bool HasNodeHandles(uint8_t objectType);
// An anchor of a Bézier chain (the other points are its control points).
constexpr bool IsBezierAnchor(int node) {
    return node % 3 == 0;
}

// Painted by the map over the copied back buffer, above the guide lines.
void PaintSelection(const TDataMap& map, QPainter& canvas);

} // namespace tsivor::mapview
