#pragma once
// TRenderPipeline: builds the map's back buffer. A frame is a collection pass that sorts the
// visible objects into 129 per-layer lists and a drawing pass that walks them from layer -64
// to 64; strips of a scrolled image and exported pictures are built the same way.

#include "mapdata/Categories.h"
#include "mapdata/OrbHugeBitmap.h"
#include "mapview/BmpWriter.h"
#include "mapview/DrawObject.h"
#include "mapview/DrawPrimitives.h"
#include "mapview/View3D.h"
#include "platform/WorkerThread.h"

#include <QIODevice>
#include <QImage>
#include <QPainter>
#include <QRect>
#include <QSizeF>

#include <array>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

namespace tsivor::mapview {

class TDataMap;

constexpr int kLayerCount = 129; // layers -64 .. 64

using TLayerLists = std::array<std::vector<int>, kLayerCount>;

// What a printed page asks of the object drawing besides its transform.
struct TPrintPass {
    bool ConturOnly = false; // areas without fill
    bool NumberDom = false;  // house numbers whatever the scale
    double PixelSize = 0.2;  // millimetres of paper per pixel of a note's icon
    int Dpi = 600;           // of the printer, for sizes given in points
};

// Paints under the objects instead of the raster layer; X, Y, X1, Y1 is the map rectangle.
using TPaintBackgroundEvent =
    std::function<void(QPainter& Canvas, float X, float Y, float X1, float Y1)>;
// Runs after all objects of a frame, on the back buffer.
using TAfterRisovanEvent = std::function<void(QPainter& Canvas)>;

class TRenderPipeline {
public:
    explicit TRenderPipeline(TDataMap& map);

    // --- properties (the map's setters store here, then mark dirty and redraw)
    mapdata::TColor BackgroundColor = 0x008000;
    QImage Grass; // background brush while Options.Texture is set
    mapdata::TColor GuideColor = 0xC0C0C0;
    int GuideStepX = 50, GuideStepY = 50;

    // --- events
    TPaintBackgroundEvent OnPaintBackground;
    TAfterRisovanEvent OnAfterRisovan;
    // Frames (not exports) draw what this returns instead of the record of index: the
    // blinking keeps a recoloured copy of a blinking object here. nullptr draws the record.
    std::function<const mapdata::TORBMapObjectMem*(int index)> BlinkSubstitute;
    TObjectPainter& Painter() { return FPainter; }
    TDrawObject& DrawingObject() { return FDraw; }

    // --- frames
    // The whole back buffer (already sized to the control); OnAfterRisovan follows.
    void RenderFrame(QImage& buffer);
    // One pixel rectangle of the back buffer; the caller fires AfterRects once at the end.
    void RenderRect(QImage& buffer, const QRect& rect);
    void AfterRects(QImage& buffer);
    // Forgets the stamps of small polygons on both threads: the next frame makes them anew.
    void DropStamps();
    // Sorts the visible objects of the map rectangle into the lists (cleared first when
    // asked); fullTests adds the size tests and the 3-D split.
    void CollectVisibleObjects(float x0, float y0, float x1, float y1, bool fullTests,
                               TLayerLists& flat, TLayerLists& extruded, bool clear = true);
    const TLayerLists& LayerLists() const { return FLayerLists; }
    // Printing: draws the objects of the map rectangle onto canvas through the map's current
    // transform, which the caller has swapped for the printer's; window is that transform and
    // also tests what is visible. Uses lists of its own: the screen's stay as they are.
    void DrawPrintWindow(QPainter& canvas, TMapViewport& window, float x0, float y0, float x1,
                         float y1, const TPrintPass& pass);
    const TLayerLists& Layer3DLists() const { return F3DLayerLists; }
    // Orders extruded houses; set from the view centre by OptionsChanged.
    const TReferenceLine& ReferenceLine() const { return FReferenceLine; }

    // --- overlays painted on the control
    void PaintGuideLines(QPainter& canvas);

    // --- objects
    // The pixel rectangle an object covers on the control, clipped to it.
    QRect ObjectScreenRect(int index);
    // The house-number label size is measured here; called by the map's OptionsChanged.
    void OptionsChanged();
    QSizeF LargestLabel() const { return FLargestLabel; }
    // Draws one object on a 500 × 500 picture; false when drawing it failed.
    bool DrawForDiagnostics(const mapdata::TORBMapObjectMem& o);

    // --- overview thumbnail
    // The map at aScale from (x0, y0) into image, flat, without numbers and notes; objects
    // smaller than objectView pixels (> 0; else the option) are left out, and so are those
    // that filtered hides. The category filter does not apply.
    void RenderThumbnail(QImage& image, double aScale, float x0, float y0, int objectView,
                         const mapdata::TFilteredObjectHook& filtered);

    // --- export
    // Renders the map rectangle at aScale into a new picture without touching the view.
    // Throws std::runtime_error with a Russian message for sizes that cannot be made.
    QImage RenderImage(float x0, float y0, float x1, float y1, double aScale);
    // RenderImage written as an uncompressed bitmap file; false when the device fails.
    bool RenderToStream(TPixelFormat format, QIODevice& stream, float x0, float y0, float x1,
                        float y1, double aScale);
    // Creates or overwrites the file; false with a Russian message on failure.
    bool SaveImageToFile(TPixelFormat format, const QString& fileName, float x0, float y0, float x1,
                         float y1, double aScale, QString* error = nullptr);

private:
    TDrawDevice ScreenDevice(const TMapViewport& vp, QSize size) const;
    bool View3DActive(double scale) const;
    void Collect(TMapViewport& vp, bool view3D, float x0, float y0, float x1, float y1,
                 bool fullTests, TLayerLists& flat, TLayerLists& extruded, bool clear);
    // The collection rectangle widened towards the side extruded objects reach in from.
    void Widen3D(double scale, float& x0, float& y0, float& x1, float& y1) const;
    void FillBackground(QPainter& canvas, const QRect& rect);
    // The whole frame's background, in two halves on two threads where the frame is banded.
    void FillFrameBackground(QPainter& canvas, QImage& buffer);
    // The background event, or else the raster layer when it lies under the objects (or of
    // any type: exports); the view is the map rectangle shown on size pixels.
    void PaintBackgroundLayer(QPainter& canvas, QSize size, float x0, float y0, float x1, float y1,
                              bool anyLayerType = false);
    // The raster layer when it lies under the objects (or of any type).
    void PaintBackLayer(QPainter& canvas, QSize size, float x0, float y0, float x1, float y1,
                        bool anyLayerType = false);
    // The raster layer when it lies over the objects.
    void PaintFrontLayer(QPainter& canvas, QSize size, float x0, float y0, float x1, float y1);
    // The raster layer when it is of the type, on a printed page: over the canvas's clip (or
    // the window's control) at the window's transform.
    void PaintPrintLayer(QPainter& canvas, const TMapViewport& window, mapdata::TLayerType type);
    // The drawing state of the second thread of a frame.
    struct TBandPainter {
        TDrawObject Draw;
        TObjectPainter Painter{Draw};
    };

    // Draws the lists; clipTest applies the visibility test to every object but notes. With
    // the device's rows only the objects reaching them are drawn, by painter and without
    // substitutes.
    void DrawLists(QPainter& canvas, const TLayerLists& flat, const TLayerLists& extruded,
                   const TDrawDevice& device, const TMapViewport& clip, bool with3D,
                   TObjectPainter& painter, TDrawObject& draw);
    // The drawing of a frame's objects: in two bands of rows on two threads where that draws
    // the same pixels and no host code can be called, else on this thread. The bands are cut
    // where the collected objects' estimated work splits evenly.
    void DrawFrameLists(QPainter& canvas, QImage& buffer, const TDrawDevice& device,
                        const TMapViewport& clip, bool with3D);
    bool BandsApply(const QImage& buffer) const;
    // The first row of the lower band of a frame of height rows: the estimated work of the
    // collected objects split evenly.
    int EvenCut(const TDrawDevice& device, int height, bool with3D) const;
    // Whether BlinkSubstitute replaces any collected object of the frame.
    bool Substitutes() const;
    // Draws one collected object of a frame, or its blinking substitute.
    void DrawFrameObject(int index, const mapdata::TORBMapObjectMem& o, const TDrawDevice& device);

    TDataMap& FMap;
    TDrawObject FDraw;
    TObjectPainter FPainter;
    TLayerLists FLayerLists;
    TLayerLists F3DLayerLists;
    bool FCollecting = false;
    QSizeF FLargestLabel;
    TReferenceLine FReferenceLine;
    std::vector<std::pair<long long, int>> FDepthScratch;
    std::unique_ptr<TBandPainter> FBand;
    std::unique_ptr<platform::TWorkerThread> FWorker;
    // The second half of a large map's collection, appended to the lists after.
    static constexpr int kTwoThreadCollection = 50000;
    TLayerLists FSecondFlat, FSecondExtruded;
    std::mutex FIconMutex; // the icon library is asked by one thread at a time
};

} // namespace tsivor::mapview
