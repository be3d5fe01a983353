#pragma once
// The map's tools, mouse buttons and cursor numbers, and the seam through which the mouse
// tools of the interaction layer drive the map control: the map forwards its mouse events to
// one installed TMapMouseHandler, which chooses the gesture by the current tool.

#include <QPainter>
#include <QPoint>

#include <cstdint>

namespace tsivor::mapview {

enum TInstrument : uint8_t {
    iNone = 0,
    iMeasure = 1,
    iPick = 2,
    iPolygon = 3,
    iRectangle = 4,
    iLine = 5,
    iPixel = 6,
    iBezier = 7,
    iBezierFill = 8,
    iEllipse = 9,
    iText = 10,
    iBitmap = 11,
    iZametka = 12,
    iLinza = 13,
    iRegion = 14,
    iRegionRect = 15,
    iDragMap = 16,
};
constexpr int kInstrumentCount = 17;

// The editing mode of the selected object: which handles it shows.
enum TEditMode : int { emResize = 0, emNodes = 1, emRotate = 2 };

enum TMouseButton : uint8_t { mbLeft = 0, mbRight = 1, mbMiddle = 2 };

// A cursor number: the toolkit's standard cursors (0 and below) or one the map registers.
using TCursor = int;
constexpr TCursor crDefault = 0;
constexpr TCursor crNone = -1;
constexpr TCursor crArrow = -2;
constexpr TCursor crCross = -3;
constexpr TCursor crIBeam = -4;
constexpr TCursor crSizeNESW = -6;
constexpr TCursor crSizeNS = -7;
constexpr TCursor crSizeNWSE = -8;
constexpr TCursor crSizeWE = -9;
constexpr TCursor crUpArrow = -10;
constexpr TCursor crHourGlass = -11;
constexpr TCursor crNo = -18;
constexpr TCursor crHandPoint = -21;
constexpr TCursor crSizeAll = -22;
// The map's own cursors.
constexpr TCursor crOrbLeft = 1000; // edge zones 1000..1007, in the order of TScrollDirection
constexpr TCursor crOrbUp = 1001;
constexpr TCursor crOrbRight = 1002;
constexpr TCursor crOrbDown = 1003;
constexpr TCursor crOrbLeftUp = 1004;
constexpr TCursor crOrbRightUp = 1005;
constexpr TCursor crOrbRightDown = 1006;
constexpr TCursor crOrbLeftDown = 1007;
constexpr TCursor crLinza = 1008;
constexpr TCursor crRotate = 1009;
constexpr TCursor crMovePixel = 1010;
constexpr TCursor crScrLeft = 1011; // middle-button scrolling 1011..1018
constexpr TCursor crScrUp = 1012;
constexpr TCursor crScrRight = 1013;
constexpr TCursor crScrDown = 1014;
constexpr TCursor crScrLeftUp = 1015;
constexpr TCursor crScrRightUp = 1016;
constexpr TCursor crScrRightDown = 1017;
constexpr TCursor crScrLeftDown = 1018;
constexpr TCursor crEyeDropper = 1019;
constexpr TCursor crOrbHand = 1020;

// What the map asks of its mouse tools. Positions are control pixels.
class TMapMouseHandler {
public:
    virtual ~TMapMouseHandler() = default;

    // May run a modal loop that lets events through; the map may be gone when it returns.
    virtual void MouseDown(TMouseButton button, Qt::KeyboardModifiers shift, QPoint pos) = 0;
    virtual void MouseMove(Qt::KeyboardModifiers shift, QPoint pos) = 0;
    virtual void MouseUp(TMouseButton button, Qt::KeyboardModifiers shift, QPoint pos) = 0;
    virtual void DblClick() = 0;
    virtual void MouseLeave() = 0;
    // The tool is about to change from old: its multi-press gesture ends.
    virtual void InstrumentChanging(TInstrument old) = 0;
    // Painted over the copied back buffer, below the selection outline.
    virtual void PaintOverlays(QPainter& canvas) = 0;
    // Painted last, above the selection outline (the lens frame).
    virtual void PaintTopOverlays(QPainter& canvas) = 0;
};

} // namespace tsivor::mapview
