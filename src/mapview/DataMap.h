#pragma once
// TDataMap: the map component. It owns the map document and its options, keeps the viewport
// and the back buffer, and is the host the loader reports to. The viewport maths live in
// TMapViewport; this class adds the events, the dirty/redraw protocol and linked maps.

#include "mapdata/AddressLookup.h"
#include "mapdata/Categories.h"
#include "mapdata/MapDocument.h"
#include "mapdata/MapEditor.h"
#include "mapdata/MapIndex.h"
#include "mapdata/MapLoader.h"
#include "mapdata/OrbHugeBitmap.h"
#include "mapdata/OrbIcon.h"
#include "mapview/HitTest.h"
#include "mapview/MapBlinker.h"
#include "mapview/MapMouse.h"
#include "mapview/MapOptions.h"
#include "mapview/MapTools.h"
#include "mapview/RenderPipeline.h"
#include "mapview/Viewport.h"
#include "platform/PhaseTimes.h"

#include <QByteArray>
#include <QPoint>
#include <QPointF>
#include <QRect>
#include <QString>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <vector>

namespace tsivor::mapview {

class TDataMap;
class TSmallPreView;
using TNotifyEvent = std::function<void(TDataMap* Sender)>;
using TProgressEvent = std::function<void(TDataMap* Sender, int Position)>;
// Value: something was found (OnAfterFind) or chosen (OnAfterLocate).
using TFindEvent = std::function<void(TDataMap* Sender, bool Value)>;
// Before every cursor change of the map: with Active set, Cursor replaces the map's choice.
using TCursorChangeEvent = std::function<void(TCursor& Cursor, bool& Active)>;
using TRegionEvent = std::function<void(TDataMap* Sender, const std::vector<int>& SelectedObjects)>;
// Ground lengths in metres of the whole measured polyline and of its last segment.
using TMeasureEvent = std::function<void(TDataMap* Sender, double Dlina, double LastSegment)>;
using TDragObjectEvent = std::function<void(TDataMap* Sender, double Dlina)>;
using TMouseButtonEvent = std::function<void(TDataMap* Sender, TMouseButton Button,
                                             Qt::KeyboardModifiers Shift, QPoint Pos)>;
using TMouseMoveEvent =
    std::function<void(TDataMap* Sender, Qt::KeyboardModifiers Shift, QPoint Pos)>;

// What the back buffer was asked to rebuild; lets callers and tests see a frame's cost.
struct TRedrawLog {
    int FullFrames = 0;        // completed full rebuilds (Redraw)
    int RectPasses = 0;        // completed RedrawRects calls
    std::vector<QRect> Strips; // every rectangle RedrawRects rebuilt, in order
    int Repaints = 0;          // repaint requests of the control
};

class TDataMap : public TMyImage {
public:
    explicit TDataMap(QWidget* parent = nullptr);
    ~TDataMap() override;
    TDataMap(const TDataMap&) = delete;
    TDataMap& operator=(const TDataMap&) = delete;

    // ------------------------------------------------------------------ document
    // The shown document: the own one, or the main map's while linked.
    mapdata::TMapDocument& Document();
    const mapdata::TMapDocument& Document() const;
    int ObjectCount() const { return Document().ObjectCount(); }
    // Read-only: changes go through the edit buffer below.
    const mapdata::TORBMapObjectMem* Object(int index) const { return Document().Object(index); }
    const mapdata::TMapExtent& MapExtent() const { return Document().Extent; }
    QString NameMap() const { return Document().Header.NameMap; }
    void SetNameMap(const QString& v) { Document().Header.NameMap = v; }
    QString CreatedBy() const { return Document().Header.CreatedBy; }
    void SetCreatedBy(const QString& v) { Document().Header.CreatedBy = v; }
    QString FileName() const { return FFileName; }
    void SetFileName(const QString& v) { FFileName = v.trimmed(); }
    // Scale denominator 1:Mashtab; a change is copied to the printer settings.
    int32_t Mashtab() const { return Document().Header.Mashtab; }
    void SetMashtab(int32_t v);
    // Printing installs here where a new Mashtab goes (its custom scale).
    std::function<void(int32_t)> MashtabToPrinter;
    // Where the stages of the next loads are timed; none when not set.
    platform::TPhaseTimes* LoadPhases = nullptr;

    // ------------------------------------------------------------------ editing
    // The edit buffer and the undo journal (TMapEditor): every change of the document.
    void ClearBuffer() { FEditor.ClearBuffer(); }
    void LoadBuffer(int Index) { FEditor.LoadBuffer(Index); }
    void PostBuffer() { FEditor.PostBuffer(); }
    void DeleteObject(int Index, bool RecalcExtent) { FEditor.DeleteObject(Index, RecalcExtent); }
    void CloneBuffer(float DX, float DY) { FEditor.CloneBuffer(DX, DY); }
    bool GetBufferPoint(int Index, float& X, float& Y) const {
        return FEditor.GetBufferPoint(Index, X, Y);
    }
    void SetBufferPoint(int Index, float X, float Y) { FEditor.SetBufferPoint(Index, X, Y); }
    void InsertBufferPoint(int Index, float X, float Y) { FEditor.InsertBufferPoint(Index, X, Y); }
    void DeleteBufferPoint(int Index) { FEditor.DeleteBufferPoint(Index); }
    bool GetBufferText(mapdata::TORBMapText& T) const { return FEditor.GetBufferText(T); }
    void SetBufferText(const mapdata::TORBMapText& T) { FEditor.SetBufferText(T); }
    bool GetBufferNote(mapdata::TORBMapZametka& Z) const { return FEditor.GetBufferNote(Z); }
    void SetBufferNote(const mapdata::TORBMapZametka& Z) { FEditor.SetBufferNote(Z); }
    bool GetBufferBitmap(mapdata::TORBMapBitmap& B) const { return FEditor.GetBufferBitmap(B); }
    void SetBufferBitmap(const mapdata::TORBMapBitmap& B) { FEditor.SetBufferBitmap(B); }
    void FitBitmapToImage(mapdata::TORBMapBitmap& B) const { FEditor.FitBitmapToImage(B); }
    // Town, Street, House, Street1, House1 posted with the buffer object.
    const mapdata::TAdres& BufferAddress() const { return FEditor.Buffer().Address; }
    void SetBufferAddress(const mapdata::TAdres& A) { FEditor.SetBufferAddress(A); }
    void CalcObjectBox() { FEditor.CalcBufferBox(); }
    // The buffer's record (layer, category, pen, brush...); points and blocks through the
    // operations above.
    mapdata::TORBMapObjectMem& BufferObject() { return FEditor.Buffer().Object; }
    const mapdata::TORBMapObjectMem& BufferObject() const { return FEditor.Buffer().Object; }
    int CurrentIndex() const { return FEditor.Buffer().CurrentIndex; }
    bool BufferLoaded() const { return FEditor.Buffer().Loaded; }
    void MoveObjectToEnd(int Index) { FEditor.MoveObjectToEnd(Index); }
    void MoveObjectToStart(int Index) { FEditor.MoveObjectToStart(Index); }
    void GroupObjects(const std::vector<int>& Indices) { FEditor.GroupObjects(Indices); }
    void UngroupBuffer() { FEditor.UngroupBuffer(); }
    void ArmUndo() { FEditor.ArmUndo(); }
    void DisarmUndo() { FEditor.DisarmUndo(); }
    void RecordUndo(int Index, int Operation) { FEditor.RecordUndo(Index, Operation); }
    void RecordUndo(const std::vector<int>& Indices, int Operation) {
        FEditor.RecordUndo(Indices, Operation);
    }
    void ClearUndo() { FEditor.ClearUndo(); }
    const mapdata::TUndoJournal& UndoJournal() { return FEditor.Journal(); }
    TNotifyEvent OnAfterAppendObject; // by ClearBuffer
    TNotifyEvent OnBeforePostObject;
    TNotifyEvent OnAfterPostObject;
    std::function<void(const mapdata::TORBMapObjectMem& MapObject)> OnBeforeDelete;
    std::function<void(const mapdata::TORBMapObjectMem& MapObject)> OnAfterDelete; // fields only
    std::function<void(bool Active)> OnUndoAction;

    // ------------------------------------------------------------------ loading
    // Plain (unscrambled) content; MaxObjects >= 1 limits the objects read. The report tells
    // what was dropped on the way.
    mapdata::TLoadReport LoadFromStream(const QByteArray& content, bool WriteErrorLog = false,
                                        int MaxObjects = 0);
    // A whole map file with its envelope; false with a Russian message in error on failure.
    bool MapLoad(const QString& fileName, QString* error = nullptr,
                 mapdata::TLoadReport* report = nullptr);
    QString ErrorLogPath = QStringLiteral("errors.log"); // where WriteErrorLog writes
    TNotifyEvent OnBeforeLoad;
    TProgressEvent OnProgress; // percent of objects read
    TNotifyEvent OnAfterLoad;

    // ------------------------------------------------------------------ options
    tOrbMapOptions& Options() { return FOptions; }
    const tOrbMapOptions& Options() const { return FOptions; }
    // Called by the redrawing option setters.
    void OptionsChanged();

    // ------------------------------------------------------------------ viewport
    double Scale() const { return FViewport.Scale(); }
    // Keeps the view centre; OnChangeScale may change Scale again (e.g. clamp it).
    // Values that are not positive finite numbers are ignored.
    void SetScale(double v);
    float XWind() const { return FViewport.XWind(); }
    void SetXWind(float v);
    float YWind() const { return FViewport.YWind(); }
    void SetYWind(float v);
    float ViewWidth() const { return FViewport.ViewWidth(); }
    float ViewHeight() const { return FViewport.ViewHeight(); }
    double PixelsPerUnit() const { return FViewport.PixelsPerUnit(); }
    float DeviceFactor() const { return FViewport.DeviceFactor(); }
    void SetDeviceFactor(float f) { FViewport.SetDeviceFactor(f); }
    int ScaleFind() const { return FViewport.ScaleFind(); }
    void SetScaleFind(int v) { FViewport.SetScaleFind(v); }
    const TMapViewport& Viewport() const { return FViewport; }

    void ScreenToMap(float& x, float& y) const { FViewport.ScreenToMap(x, y); }
    // The three map-to-device conversions go through Transform(), so printing can swap it.
    void MapToScreen(float& x, float& y) const { FTransform->MapToScreen(x, y); }
    // Converts into the map's device point buffer, valid until the next conversion.
    std::span<const QPoint> MapPointsToScreen(const mapdata::TORBMapPoint* pts, int count);
    std::span<const QPoint> MapPointsToScreenCompact(const mapdata::TORBMapPoint* pts, int count);
    const TMapTransform& Transform() const { return *FTransform; }
    // Not owned; nullptr restores the screen transform of the viewport.
    void SetTransform(const TMapTransform* t) { FTransform = t ? t : &FViewport; }

    QPointF GetViewCenter() const { return FViewport.GetViewCenter(); }
    void ZoomToRect(float X1, float Y1, float X2, float Y2);
    // Fits the objects' boxes within ScaleFind; AScale >= 0 asks for that scale instead.
    void ZoomToObjects(const std::vector<int>& indices, int AScale = -1);
    // Centres (X, Y) at NewScale; at an unchanged scale a near target is scrolled to.
    void ZoomAt(float X, float Y, double NewScale);
    // Moves the view by pixels (TScrollDirection) and redraws the uncovered strips; false when
    // LockScrollOutMap refuses the move. Neither repaints nor fires the scroll events.
    bool ScrollBy(int Direction, int DX, int DY);
    TNotifyEvent OnChangeScale;
    TNotifyEvent OnBeforeScroll; // fired by the automatic scrolling loops
    TNotifyEvent OnAfterScroll;

    // ------------------------------------------------------------------ mouse position
    // Recorded by the mouse handling.
    void SetMousePos(QPoint p) { FMousePos = p; }
    QPoint MousePos() const { return FMousePos; }
    float MouseMapX();
    float MouseMapY();

    // ------------------------------------------------------------------ tools and mouse
    // The mouse tools (from the interaction layer); without them the map only reports its
    // mouse events. The map owns the handler.
    void SetMouseHandler(std::unique_ptr<TMapMouseHandler> handler);
    TMapMouseHandler* MouseHandler() const { return FMouseHandler.get(); }
    TInstrument Instrument() const { return FInstrument; }
    // Ends the old tool's measurement or region, sets the tool cursor and fires
    // OnChangeInstrument, also when the tool does not change.
    void SetInstrument(TInstrument New);
    // Every cursor change of the map goes through here and OnCursorChange.
    void SetMapCursor(TCursor Value);
    TCursor MapCursor() const { return FCursor; }
    // An object is selected: its outline (and, while editing, its handles) are shown.
    bool SelectedObject() const { return FSelectedObject; }
    void SetSelectedObject(bool v);
    // The handles the selected object shows (TEditMode); kept by the pick and editing tools.
    TEditMode EditMode() const { return FEditMode; }
    void SetEditMode(TEditMode v) { FEditMode = v; }
    // The objects chosen by the selection tools, in the order chosen.
    const std::vector<int>& SelectedObjects() const { return FSelectedObjects; }
    std::vector<int>& SelectedObjectsRef() { return FSelectedObjects; }
    // Repaints the control from the back buffer with the overlays.
    void RepaintControl();
    // The overview control follows the view.
    void UpdateSmallView();
    TNotifyEvent OnChangeInstrument;
    TCursorChangeEvent OnCursorChange;
    TMeasureEvent OnMeasure;
    TRegionEvent OnRegion;      // while a selection region is drawn; after a pick click
    TRegionEvent OnAfterRegion; // when a selection region is finished
    TDragObjectEvent OnDragObject;
    TNotifyEvent OnEndDragObject;
    // The control's own mouse events, fired before the tools see them.
    TMouseButtonEvent OnMouseDown;
    TMouseMoveEvent OnMouseMove;
    TMouseButtonEvent OnMouseUp;
    TNotifyEvent OnDblClick;
    TNotifyEvent OnMouseEnter;
    TNotifyEvent OnMouseLeave;

    // ------------------------------------------------------------------ overview
    TSmallPreView* SmallView() const { return FSmallView; }
    // Links the overview both ways; nullptr unlinks. An overview linked to another map is
    // refused with a message.
    void SetSmallView(TSmallPreView* preview);
    // Renders the whole map into the thumbnail at the overview's size.
    void RenderSmallView();
    // Moves the view so that the overview pixel (X, Y) becomes its centre.
    void CenterFromSmallView(int X, int Y);
    const QImage& Thumbnail() const { return FThumbnail; }

    // ------------------------------------------------------------------ blinking
    // Replaces the blink list; the next timer tick shows it.
    void SetBlinkObjects(const std::vector<int>& Indices) { FBlinker.SetObjects(Indices); }
    // Empties the blink list and redraws at once.
    void ClearBlinkObjects();
    const std::vector<int>& BlinkObjects() const { return FBlinker.Objects(); }
    bool BlinkPhase() const { return FBlinker.Phase(); }
    // The blink timer's handler: toggles the phase and redraws the blinking objects only.
    void BlinkTimerTick() { FBlinker.Tick(); }
    int TimerInterval() const { return FBlinker.Interval(); }
    void SetTimerInterval(int ms) { FBlinker.SetInterval(ms); }
    // Lets the host recolour a blinking object during the on-phase.
    TBlinkObjectEvent& OnBlinkObject() { return FBlinker.OnBlinkObject; }
    // Dotted XOR cross-hair through the centre of an object's box, into the back buffer; a
    // second call at the same place erases it. It stays through blinking and scrolling until
    // the next full frame.
    void DrawCrossHair(int Index);

    // ------------------------------------------------------------------ clipping
    void SetClipRect(float X0, float Y0, float X1, float Y1) {
        FViewport.SetClipRect(X0, Y0, X1, Y1);
    }
    int ClipCode(float X, float Y) const { return FViewport.ClipCode(X, Y); }
    bool IsObjectInView(const mapdata::TOrbMapList& list, int index) const {
        return FViewport.IsObjectInView(list, index);
    }

    // ------------------------------------------------------------------ drawing state
    // Suspends drawing of this map and its linked maps; not counted: one Unlock resumes.
    void LockDrawing();
    void UnlockDrawing();
    bool DrawingEnabled() const { return FDrawingEnabled; }
    bool Dirty() const { return FDirty; }
    void MarkDirty() { FDirty = true; }
    // While set, Redraw and RedrawRects only note that a frame is wanted; the control's next
    // paint draws it, and so does the reset. A window still being laid out draws nothing unseen.
    void SetDeferFrames(bool v);
    bool FramesDeferred() const { return FDeferFrames; }

    // ------------------------------------------------------------------ render hooks
    // Rebuilds the whole back buffer when dirty or resized.
    void Redraw();
    // Rebuilds only the given pixel rectangles; the caller repaints.
    void RedrawRects(const std::vector<QRect>& rects);
    const TRedrawLog& RedrawLog() const { return FRedrawLog; }
    void ClearRedrawLog() { FRedrawLog = {}; }
    // Rebuilds and repaints only the screen rectangle of one object.
    void RedrawObject(int Index);
    // Repaints one rectangle of the control from the back buffer.
    void PaintRect(const QRect& rect);

    // ------------------------------------------------------------------ rendering
    // The frame builder with its events (OnPaintObject, OnPixelLineEvent, OnPaintAddress
    // through Render().Painter(); OnPaintBackground, OnAfterRisovan).
    TRenderPipeline& Render() { return FRender; }
    mapdata::TColor BackgroundColor() const { return FRender.BackgroundColor; }
    void SetBackgroundColor(mapdata::TColor v);
    const QImage& Grass() const { return FRender.Grass; }
    void SetGrass(const QImage& v);
    // While on, drawing and hit testing ask Categories(): bits and OnFilteredObject.
    bool Filter() const { return FCategories.Filter; }
    void SetFilter(bool v);
    mapdata::TColor GuideColor() const { return FRender.GuideColor; }
    void SetGuideColor(mapdata::TColor v);
    int GuideStepX() const { return FRender.GuideStepX; }
    void SetGuideStepX(int v);
    int GuideStepY() const { return FRender.GuideStepY; }
    void SetGuideStepY(int v);
    // The map rectangle at AScale as an uncompressed bitmap file, without touching the view.
    bool RenderToStream(TPixelFormat PixelFormat, QIODevice& Stream, float X0, float Y0, float X1,
                        float Y1, double AScale) {
        return FRender.RenderToStream(PixelFormat, Stream, X0, Y0, X1, Y1, AScale);
    }
    bool SaveImageToFile(TPixelFormat PixelFormat, const QString& FileName, float X0, float Y0,
                         float X1, float Y1, double AScale, QString* error = nullptr) {
        return FRender.SaveImageToFile(PixelFormat, FileName, X0, Y0, X1, Y1, AScale, error);
    }

    // ------------------------------------------------------------------ icons
    // Notes are drawn from OrbMapIcon when it is set, else from the map's own component with
    // the built-in library "Default". Not owned; nullptr returns to the own component.
    mapdata::TOrbIcon* OrbMapIcon() const { return FOrbMapIcon; }
    void SetOrbMapIcon(mapdata::TOrbIcon* icons);
    mapdata::TOrbIcon& Icons() { return FOrbMapIcon ? *FOrbMapIcon : FOwnIcons; }
    mapdata::TOrbIcon& OwnIcons() { return FOwnIcons; }

    // ------------------------------------------------------------------ raster layer
    // Drawn under the objects (orbBack) or over them (orbFront); not owned. A new layer
    // redraws the map; nullptr detaches.
    mapdata::TOrbHugeBitmap* ScanMap() const { return FScanMap; }
    void SetScanMap(mapdata::TOrbHugeBitmap* layer);

    // ------------------------------------------------------------------ categories
    // The filter's bits; all clear at creation. Changing them redraws nothing.
    void SetCategoryVisible(int Code, bool Visible) {
        FCategories.SetCategoryVisible(Code, Visible);
    }
    bool IsCategoryVisible(int Code) const { return FCategories.IsCategoryVisible(Code); }
    // The one category filter of drawing and hit testing, with its OnFilteredObject.
    mapdata::TCategories& Categories() { return FCategories; }
    const mapdata::TCategories& Categories() const { return FCategories; }
    static void GetCategoryNames(std::vector<mapdata::TCategoryName>& Strings) {
        mapdata::GetCategoryNames(Strings);
    }

    // ------------------------------------------------------------------ address lookup
    int FindStreetCode(const QString& Name) { return Lookup().FindStreetCode(Name); }
    int FindTownCode(const QString& Name) { return Lookup().FindTownCode(Name); }
    int FindStreetCodeLike(const QString& Name) { return Lookup().FindStreetCodeLike(Name); }
    int FindTownCodeLike(const QString& Name) { return Lookup().FindTownCodeLike(Name); }
    // Get-or-add; a new name is shown by the linked maps too.
    int StreetCodeOf(const QString& Name);
    int TownCodeOf(const QString& Name);
    QString StreetNameOf(int16_t Code) { return Lookup().StreetNameOf(Code); }
    QString TownNameOf(int16_t Code) { return Lookup().TownNameOf(Code); }
    std::vector<mapdata::TNamedCode> GetStreets() { return Lookup().GetStreets(); }
    std::vector<mapdata::TNamedCode> GetTowns() { return Lookup().GetTowns(); }
    mapdata::TAdres DecodeAddress(const mapdata::TORBMapObjectMem& o) {
        return Lookup().DecodeAddress(o);
    }
    // Fill FoundObjects in list order and return its first element, or -1.
    int FindHouse(int Category, const QString& Town, const QString& House, const QString& Street) {
        return Lookup().FindHouse(Category, Town, House, Street, FoundObjects);
    }
    int FindHouseLike(int Category, const QString& Town, const QString& House,
                      const QString& Street) {
        return Lookup().FindHouseLike(Category, Town, House, Street, FoundObjects);
    }
    // Result of the last house search or hit test.
    std::vector<int> FoundObjects;

    // ------------------------------------------------------------------ hit testing
    // Fills FoundObjects with the objects under map point (X, Y), bottom of the drawing
    // order first; fires OnAfterFind.
    bool FindObjectsAt(float X, float Y);
    // The topmost drawn object under (X, Y), loaded into the edit buffer, or -1; fires
    // OnAfterLocate.
    int ObjectAtPoint(float X, float Y);
    // Index when object Index of List (the document's or a group's members) is hit, else -1.
    int HitTestObject(float X, float Y, int Index, const mapdata::TOrbMapList& List) {
        return FHitTest.HitTestObject(X, Y, Index, List);
    }
    TFindEvent OnAfterFind;
    TFindEvent OnAfterLocate;

    // ------------------------------------------------------------------ linked maps
    // Shows the main map's document with this map's own viewport and options; nullptr
    // unlinks. Linking to itself or into a cycle is refused.
    TDataMap* MainDataMap() const { return FMainDataMap; }
    void SetMainDataMap(TDataMap* main);
    const std::vector<TDataMap*>& LinkedMaps() const { return FLinkedMaps; }
    // After a change of the shared document: redraws the main map and the linked maps.
    void SyncLinkedMaps();

    // ------------------------------------------------------------------ spatial index
    // Off in the application; on a large map drawing then visits only the nearby objects.
    bool UseIndex() const { return SpatialIndex().Active(); }
    void SetUseIndex(bool v) { SpatialIndex().SetActive(v); }
    int IndexSize() const { return SpatialIndex().CellWidth(); }
    // Rounded down to a multiple of 100; a new size rebuilds the grid.
    void SetIndexSize(int v);
    // The main map's index when linked, like the document.
    mapdata::TOrbMapIndex& SpatialIndex() { return Document().Index; }
    const mapdata::TOrbMapIndex& SpatialIndex() const { return Document().Index; }

protected:
    void Paint(QPainter& canvas, const QRect& rect) override;
    void ControlResized() override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    class TLoadHost;
    class TEditHost;
    friend class TRenderPipeline;
    friend class TMapBlinker;

    // The render pipeline draws a full frame / one rectangle of the back buffer here.
    void RenderFrame();
    bool DeferFrame(); // true: the frame is left to the next paint
    void RenderRect(const QRect& rect);
    // Overlays painted on the control above the copied back buffer.
    void PaintOverlays(QPainter& canvas);
    void XorCrossHair(QPoint centre, const QRect& clip);
    void SetOrigin(float x, float y);
    void ClearView();
    void ApplyLoadedView();
    void InstallTextMeasurer();

    mapdata::TMapDocument FOwnDocument;
    std::unique_ptr<TEditHost> FEditHost;
    mapdata::TMapEditor FEditor;
    tOrbMapOptions FOptions;
    TMapViewport FViewport;
    const TMapTransform* FTransform = &FViewport;
    std::vector<QPoint> FDevicePoints;
    QString FFileName;
    QPoint FMousePos;
    QPointF FMouseMapPos;

    bool FDirty = true;
    bool FDrawingEnabled = true;
    bool FDeferFrames = false;
    bool FFrameDeferred = false; // a frame was asked for while deferred
    bool FRedrawing = false;
    bool FPainting = false;
    bool FSynchronising = false;
    TRedrawLog FRedrawLog;

    TInstrument FInstrument = iPick;
    TCursor FCursor = crDefault;
    bool FSelectedObject = false;
    TEditMode FEditMode = emResize;
    std::vector<int> FSelectedObjects;
    std::unique_ptr<TMapMouseHandler> FMouseHandler;
    TSmallPreView* FSmallView = nullptr;
    QImage FThumbnail;
    std::optional<QPoint> FCrossHair; // where the cross-hair is on the back buffer

    TDataMap* FMainDataMap = nullptr;
    std::vector<TDataMap*> FLinkedMaps;
    // Tells the map when its icon component changes or goes away.
    struct TIconClient : mapdata::TOrbIconClient {
        explicit TIconClient(TDataMap& map) : M(map) {}
        void IconsChanged() override;
        void IconsDetached() override;
        TDataMap& M;
    };
    mapdata::TAddressLookup Lookup() { return mapdata::TAddressLookup(Document()); }
    mapdata::TOrbIcon FOwnIcons;
    mapdata::TOrbIcon* FOrbMapIcon = nullptr;
    TIconClient FIconClient{*this};
    // Tells the map when its raster layer changes or goes away.
    struct TScanMapClient : mapdata::TOrbHugeBitmapClient {
        explicit TScanMapClient(TDataMap& map) : M(map) {}
        void RasterLayerChanged() override;
        void RasterLayerDetached() override;
        TDataMap& M;
    };
    mapdata::TOrbHugeBitmap* FScanMap = nullptr;
    TScanMapClient FScanMapClient{*this};
    mapdata::TCategories FCategories;
    TRenderPipeline FRender{*this}; // it reads the options when made
    TMapHitTest FHitTest{*this};
    TMapBlinker FBlinker{*this}; // after the pipeline, whose frames it recolours
};

// Brackets a compound view change so one frame is drawn instead of several.
class TDrawingLock {
public:
    explicit TDrawingLock(TDataMap& map) : FMap(map) { FMap.LockDrawing(); }
    ~TDrawingLock() { FMap.UnlockDrawing(); }
    TDrawingLock(const TDrawingLock&) = delete;
    TDrawingLock& operator=(const TDrawingLock&) = delete;

private:
    TDataMap& FMap;
};

} // namespace tsivor::mapview
