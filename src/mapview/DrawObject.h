#pragma once
// TObjectPainter: draws one map object record onto a canvas — pen and brush from the record,
// coordinates through the viewport transform, the host's adjustments, the figure through
// TDrawObject, then the object's house number.

#include "mapdata/MapObject.h"
#include "mapview/DrawPrimitives.h"
#include "mapview/HouseNumbers.h"
#include "mapview/MapCut.h"
#include "mapview/MapOptions.h"
#include "mapview/View3D.h"
#include "mapview/Viewport.h"

#include <QBrush>
#include <QImage>
#include <QPen>
#include <QSize>

#include <array>
#include <functional>
#include <map>
#include <tuple>
#include <vector>

namespace tsivor::mapview {

using mapdata::TORBMapObjectMem;

// The host may change the canvas pen and brush and the object's alpha before the figure.
using TPaintObjectEvent = std::function<void(const TORBMapObjectMem& MapObject, uint8_t& Alpha,
                                             QPen& Pen, QBrush& Brush)>;
// One pixel of a host-drawn line (pen flags -1); NumberPixel counts from 0 per segment.
using TPixelLineEvent = std::function<void(const TORBMapObjectMem& MapObject, int X, int Y,
                                           int NumberPixel, double Koef, QPainter& Canvas)>;
// The picture of a note from the icon library; a null image when the library lacks it.
using TIconLookup = std::function<QImage(const QString& NameLib, const QString& NamePic)>;

// Pixel rows [Top, Bottom) of a frame drawn by one thread; objects that cannot reach them are
// left to the other.
struct TRowBand {
    int Top = 0, Bottom = 0;
    const TMapTransform* Transform = nullptr; // the drawing's
    double K = 1;                             // pixels per map unit
    bool Blocks = false;                      // polygons may be drawn extruded
    // Whether o may change a pixel of the rows; extruded says it is drawn as a block.
    bool Reaches(const TORBMapObjectMem& o, bool extruded = false) const;
};

// The device a drawing pass draws on.
struct TDrawDevice {
    const TMapTransform* Transform = nullptr;
    const TMapViewport* Clip = nullptr; // clip rectangle of group members
    double Scale = 100;
    double PixelsPerUnit = 1; // FPixelsPerUnit
    float DeviceFactor = 1;
    QSize Size; // the control (or picture) rectangle host-drawn lines clip to
    bool Printing = false;
    bool ConturOnly = false; // printing: polygons, texts and filled curves lose their fill
    double PixelSize = 1;    // printing: note icons are enlarged by it
    bool PrintNumberDom = false;
    int LogicalDpi = 96;
    const TRowBand* Rows = nullptr; // the rows this pass draws; nullptr all
    double K() const { return double(float(PixelsPerUnit * DeviceFactor)); }
};

class TObjectPainter {
public:
    explicit TObjectPainter(TDrawObject& draw);

    TPaintObjectEvent OnPaintObject;
    TPixelLineEvent OnPixelLineEvent;
    TIconLookup IconLookup;
    THeightObject OnHeightObject; // the 3-D view's height of a polygon
    THouseNumberPainter HouseNumbers;
    float FPixelRadius = 0; // map-unit radius of the dots of a cPixel object
    // Figures of many points reaching far beyond the drawn rectangle are cut in map units
    // before their points are converted; the pixels stay the same. Off only to check exactly
    // that.
    bool CutInMapUnits = true;

    // Draws one record on the drawing object's canvas.
    void DrawObject(const TORBMapObjectMem& o, const tOrbMapOptions& options,
                    const TDrawDevice& device);

    // The 32 × 32 picture shown for a note whose icon is missing.
    const QImage& ErrorIcon() const { return FErrorIcon; }
    // The icon a note shows: from the library, or the error icon.
    QImage NoteIcon(const TORBMapObjectMem& o) const;

    // The pen for the current record; extraWidth > 0 gives the casing in the brush colour.
    static QPen MakePen(const TORBMapObjectMem& o, double k, int extraWidth);
    static QBrush MakeBrush(uint32_t color, uint8_t style);
    // The 13 points of the Bézier chain of an ellipse inscribed in a quadrilateral.
    static std::vector<QPoint> EllipseQuadPoints(const QPointF corners[4]);
    // The same chain unrounded; wholePixels rounds corners and side lengths as drawing does.
    static std::array<QPointF, 13> EllipseChain(const QPointF corners[4], bool wholePixels);

private:
    void DrawFigure(const TORBMapObjectMem& o, const tOrbMapOptions& options,
                    const TDrawDevice& device, QPainter& canvas);
    void DrawHostLine(const TORBMapObjectMem& o, const TDrawDevice& device, QPainter& canvas);
    void DrawText(const TORBMapObjectMem& o, const tOrbMapOptions& options,
                  const TDrawDevice& device, QPainter& canvas, QPen& pen, QBrush& brush,
                  uint8_t& alpha);
    void DrawBitmap(const TORBMapObjectMem& o, const TDrawDevice& device, QPainter& canvas);
    void DrawNote(const TORBMapObjectMem& o, const tOrbMapOptions& options,
                  const TDrawDevice& device, QPainter& canvas);
    void DrawGroup(const TORBMapObjectMem& o, const tOrbMapOptions& options,
                   const TDrawDevice& device);
    // Runs OnPaintObject and applies pen, brush and opacity for the figure.
    void BeforeFigure(const TORBMapObjectMem& o, QPainter& canvas, QPen& pen, QBrush& brush,
                      uint8_t& alpha, const tOrbMapOptions& options);
    // Pens and brushes repeat from figure to figure: each is built once and shared, so that
    // the canvas tells an unchanged one by its pointer.
    QPen Pen(const TORBMapObjectMem& o, double k, int extraWidth);
    QBrush Brush(uint32_t color, uint8_t style);
    std::span<const QPoint> Convert(const TORBMapObjectMem& o, const TDrawDevice& device,
                                    bool compact);
    // The points of o for figure drawn with the canvas pen and brush as they are, and with
    // casing too when given: runs far beyond the drawn rectangle are shortened in map units
    // first where that changes no pixel.
    std::span<const QPoint> ConvertNear(const TORBMapObjectMem& o, const TDrawDevice& device,
                                        TDrawObject::TFigure figure, const QPen* casing = nullptr);
    // A decoded picture, kept while its bytes are unchanged.
    const QImage& Picture(const mapdata::TORBMapBitmap& b, int reduction);

    TDrawObject& FDraw;
    TExtruder FExtruder;
    float FHeight = 0; // the extrusion height of the object being drawn, map units
    QImage FErrorIcon;
    std::vector<QPoint> FDevicePoints; // grows for objects with more points
    TKeptRanges FKept;
    struct TCachedPicture {
        QByteArray Bytes; // keeps the data alive, so its address identifies it
        QImage Image;
    };
    std::map<std::tuple<const char*, qsizetype, int>, TCachedPicture> FPictures;
    std::map<std::tuple<mapdata::TColor, uint8_t, float, int32_t, double, int>, QPen> FPens;
    std::map<std::pair<uint32_t, uint8_t>, QBrush> FBrushes;
};

} // namespace tsivor::mapview
