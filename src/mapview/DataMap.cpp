#include "mapview/DataMap.h"

#include "mapview/JpegDecoder.h"
#include "mapview/MapCursors.h"
#include "mapview/SelectionOverlay.h"
#include "mapview/SmallPreView.h"

#include "mapdata/Rounding.h"
#include "platform/Platform.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPointer>

#include <algorithm>
#include <cmath>
#include <optional>

namespace tsivor::mapview {

namespace {

constexpr size_t kDevicePointBufferSize = 150000;

bool IsUsableScale(double v) {
    return v > 0 && std::isfinite(v);
}

float FiniteOr(float v, float fallback) {
    return std::isfinite(v) ? v : fallback;
}

// The map knows three buttons; others (back, forward) are not map gestures.
std::optional<TMouseButton> MapButton(Qt::MouseButton b) {
    switch (b) {
    case Qt::LeftButton:
        return mbLeft;
    case Qt::RightButton:
        return mbRight;
    case Qt::MiddleButton:
        return mbMiddle;
    default:
        return std::nullopt;
    }
}

} // namespace

// The loader's view of the map: each step of a load that belongs to the view.
class TDataMap::TLoadHost final : public mapdata::TMapLoadHost {
public:
    explicit TLoadHost(TDataMap& map) : M(map) {}

    void ClearUndo() override { M.FEditor.ClearUndo(); }
    bool Locked() const override { return M.FOptions.mpLocked(); }
    void SetLocked(bool v) override { M.FOptions.SetmpLocked(v); }
    void BeforeLoad() override {
        if (M.OnBeforeLoad) M.OnBeforeLoad(&M);
    }
    void ClearView() override { M.ClearView(); }
    bool SwitchIndexOff() override {
        const bool wasOn = M.UseIndex();
        M.SetUseIndex(false);
        return wasOn;
    }
    void Progress(int position) override {
        if (M.OnProgress) M.OnProgress(&M, position);
    }
    bool DrawForDiagnostics(const mapdata::TORBMapObjectMem& o) override {
        return M.FRender.DrawForDiagnostics(o);
    }
    void RestoreIndex(bool wasOn) override { M.SetUseIndex(wasOn); }
    void ClearSelection() override {}
    void ApplyLoadedView() override { M.ApplyLoadedView(); }
    void MarkDirty() override { M.MarkDirty(); }
    void AfterLoad() override {
        if (M.OnAfterLoad) M.OnAfterLoad(&M);
    }
    void SyncLinkedMaps() override { M.SyncLinkedMaps(); }
    void CopyMashtabToPrinter(int32_t mashtab) override {
        if (M.MashtabToPrinter) M.MashtabToPrinter(mashtab);
    }
    void PhaseDone(const char* name) override { platform::MarkPhase(M.LoadPhases, name); }

private:
    TDataMap& M;
};

namespace {

// The type of an object a drawing tool starts; other tools give a polygon.
uint8_t ObjectTypeOfTool(TInstrument tool) {
    switch (tool) {
    case iLine:
        return mapdata::cLine;
    case iPixel:
        return mapdata::cPixel;
    case iBezier:
        return mapdata::cBezier;
    case iBezierFill:
        return mapdata::cBezierFill;
    case iEllipse:
        return mapdata::cEllipse;
    case iText:
        return mapdata::cText;
    case iBitmap:
        return mapdata::cBitmap;
    case iZametka:
        return mapdata::cZametka;
    default:
        return mapdata::cPolygon;
    }
}

} // namespace

// The view's side of every document change.
class TDataMap::TEditHost final : public mapdata::TMapEditHost {
public:
    explicit TEditHost(TDataMap& map) : M(map) {}

    mapdata::TMapDocument& Document() override { return M.Document(); }
    bool LockedOption() const override { return M.FOptions.mpLocked(); }
    int UndoLevels() const override { return M.FOptions.UndoLevels(); }
    uint8_t NewObjectType() const override { return ObjectTypeOfTool(M.Instrument()); }
    double Scale() const override { return M.Scale(); }
    void MarkDirty() override { M.MarkDirty(); }
    void SyncLinkedMaps() override { M.SyncLinkedMaps(); }
    void ClearSelection() override {
        M.FSelectedObject = false;
        M.FSelectedObjects.clear();
    }
    void AfterAppendObject() override {
        if (M.OnAfterAppendObject) M.OnAfterAppendObject(&M);
    }
    void BeforePostObject() override {
        if (M.OnBeforePostObject) M.OnBeforePostObject(&M);
    }
    void AfterPostObject() override {
        if (M.OnAfterPostObject) M.OnAfterPostObject(&M);
    }
    void BeforeDelete(const mapdata::TORBMapObjectMem& o) override {
        if (M.OnBeforeDelete) M.OnBeforeDelete(o);
    }
    void AfterDelete(const mapdata::TORBMapObjectMem& o) override {
        if (M.OnAfterDelete) M.OnAfterDelete(o);
    }
    void UndoAction(bool active) override {
        if (M.OnUndoAction) M.OnUndoAction(active);
    }

private:
    TDataMap& M;
};

TDataMap::TDataMap(QWidget* parent)
    : TMyImage(parent), FEditHost(std::make_unique<TEditHost>(*this)), FEditor(*FEditHost),
      FOptions([this] { OptionsChanged(); }) {
    FEditor.JpegSize = JpegImageSize;
    FViewport.SetSizeSource([this] { return size(); });
    FDevicePoints.resize(kDevicePointBufferSize);
    InstallTextMeasurer();
    LoadBuiltInIcons(FOwnIcons);
    FHitTest.NoteIconSize = [this](const mapdata::TORBMapObjectMem& o) {
        return FRender.Painter().NoteIcon(o).size();
    };
    FRender.Painter().IconLookup = [this](const QString& lib, const QString& pic) {
        const QImage* icon = Icons().GetIcon(lib, pic);
        return icon ? *icon : QImage();
    };
}

TDataMap::~TDataMap() {
    // The tools may reach the map while they go.
    FMouseHandler.reset();
    SetSmallView(nullptr);
    if (FOrbMapIcon) FOrbMapIcon->UnregisterClient(&FIconClient);
    if (FScanMap) FScanMap->RemoveClient(&FScanMapClient);
    // Linked maps must not keep showing a document that is about to go.
    for (TDataMap* linked : std::vector<TDataMap*>(FLinkedMaps)) linked->SetMainDataMap(nullptr);
    if (FMainDataMap) std::erase(FMainDataMap->FLinkedMaps, this);
}

// ---------------------------------------------------------------------- document

mapdata::TMapDocument& TDataMap::Document() {
    return FMainDataMap ? FMainDataMap->Document() : FOwnDocument;
}

const mapdata::TMapDocument& TDataMap::Document() const {
    return FMainDataMap ? FMainDataMap->Document() : FOwnDocument;
}

void TDataMap::SetIndexSize(int v) {
    const int size = v / 100 * 100;
    if (size <= 0 || size == IndexSize()) return;
    SpatialIndex().SetCellSize(size, size);
}

void TDataMap::SetMashtab(int32_t v) {
    if (v == Mashtab()) return;
    Document().Header.Mashtab = v;
    if (MashtabToPrinter) MashtabToPrinter(v);
}

void TDataMap::InstallTextMeasurer() {
    FOwnDocument.MeasureText = [this](const QString& text, uint8_t fontIndex, double height) {
        const QString& family = fontIndex == 1 ? FOptions.FontSystem1() : FOptions.FontSystem();
        // As drawn at one pixel per map unit: a cell of the rounded height.
        return QSizeF(
            FRender.DrawingObject().Fonts().TextCell(family, mapdata::RoundToInt(height), text));
    };
}

// ---------------------------------------------------------------------- loading

mapdata::TLoadReport TDataMap::LoadFromStream(const QByteArray& content, bool WriteErrorLog,
                                              int MaxObjects) {
    TLoadHost host(*this);
    return mapdata::LoadFromStream(content, Document(), host, WriteErrorLog, MaxObjects,
                                   ErrorLogPath);
}

bool TDataMap::MapLoad(const QString& fileName, QString* error, mapdata::TLoadReport* report) {
    TLoadHost host(*this);
    return mapdata::MapLoad(fileName, Document(), host, error, report);
}

void TDataMap::ClearView() {
    // The blink list, the draw lists and the selection are emptied by their owners here.
    FBlinker.Clear();
    FSelectedObjects.clear();
    FSelectedObject = false;
    // A new document gets a new thumbnail at the overview's next paint.
    if (FSmallView) {
        FSmallView->FRenderedSize = QSize();
        FSmallView->update();
    }
    FEditor.ForgetBuffer();
    SetOrigin(0, 0);
    SetScale(100);
    FDirty = true;
    Redraw();
    RepaintControl();
    SyncLinkedMaps();
}

void TDataMap::ApplyLoadedView() {
    const mapdata::TORBMapHeader& h = Document().Header;
    // The header's origin and scale are the view the map was saved with; damaged values
    // fall back to the origin and to Scale 100.
    SetOrigin(FiniteOr(h.XWind, 0), FiniteOr(h.YWind, 0));
    if (FOptions.mpAllMapAfterLoad()) {
        const mapdata::TMapExtent& e = MapExtent();
        ZoomToRect(e.MinX, e.MinY, e.MaxX, e.MaxY);
        return;
    }
    FViewport.StoreScale(IsUsableScale(h.Scale) ? h.Scale : 100.0);
    SetScale(Scale());
}

// ---------------------------------------------------------------------- options

void TDataMap::OptionsChanged() {
    // The 3-D reference line is refreshed here once the 3-D view exists.
    FRender.OptionsChanged();
    FDirty = true;
    Redraw();
    RepaintControl();
}

// ---------------------------------------------------------------------- viewport

void TDataMap::SetOrigin(float x, float y) {
    FViewport.SetOrigin(x, y);
}

void TDataMap::SetScale(double v) {
    if (!IsUsableScale(v)) return;
    const QPointF centre = FViewport.GetViewCenter();
    FViewport.StoreScale(v);
    if (OnChangeScale) OnChangeScale(this);
    // The handler may have changed Scale; the centre from before the first call stays.
    SetOrigin(float(centre.x() - ViewWidth() / 2.0), float(centre.y() - ViewHeight() / 2.0));
    FViewport.UpdatePixelsPerUnit();
    FDirty = true;
    UpdateSmallView();
    Redraw();
    RepaintControl();
}

void TDataMap::SetXWind(float v) {
    SetOrigin(v, YWind());
    UpdateSmallView();
    FDirty = true;
    Redraw();
    RepaintControl();
}

void TDataMap::SetYWind(float v) {
    SetOrigin(XWind(), v);
    UpdateSmallView();
    FDirty = true;
    Redraw();
    RepaintControl();
}

std::span<const QPoint> TDataMap::MapPointsToScreen(const mapdata::TORBMapPoint* pts, int count) {
    if (!pts || count <= 0) return {};
    if (FDevicePoints.size() < size_t(count)) FDevicePoints.resize(size_t(count));
    FTransform->MapPointsToScreen(pts, count, FDevicePoints.data());
    return {FDevicePoints.data(), size_t(count)};
}

std::span<const QPoint> TDataMap::MapPointsToScreenCompact(const mapdata::TORBMapPoint* pts,
                                                           int count) {
    if (!pts || count <= 0) return {};
    if (FDevicePoints.size() < size_t(count)) FDevicePoints.resize(size_t(count));
    const int n = FTransform->MapPointsToScreenCompact(pts, count, FDevicePoints.data());
    return {FDevicePoints.data(), size_t(n)};
}

void TDataMap::ZoomToRect(float X1, float Y1, float X2, float Y2) {
    const float dx = std::abs(X2 - X1), dy = std::abs(Y2 - Y1);
    const QPointF origin =
        FViewport.OriginCentredOn(std::min(X1, X2) + dx / 2, std::min(Y1, Y2) + dy / 2, Scale());
    SetOrigin(float(origin.x()), float(origin.y()));
    SetScale(FViewport.FitScale(dx, dy, 1.0f));
}

void TDataMap::ZoomToObjects(const std::vector<int>& indices, int AScale) {
    bool any = false;
    float minX = 0, minY = 0, maxX = 0, maxY = 0;
    for (int index : indices) {
        const mapdata::TORBMapObjectMem* o = Object(index);
        if (!o) continue;
        if (!any) {
            minX = o->Box[0].X, minY = o->Box[0].Y, maxX = o->Box[2].X, maxY = o->Box[2].Y;
            any = true;
            continue;
        }
        minX = std::min(minX, o->Box[0].X);
        minY = std::min(minY, o->Box[0].Y);
        maxX = std::max(maxX, o->Box[2].X);
        maxY = std::max(maxY, o->Box[2].Y);
    }
    if (!any) return;
    const float dx = maxX - minX, dy = maxY - minY;
    const QPointF origin = FViewport.OriginCentredOn(minX + dx / 2, minY + dy / 2, Scale());
    SetOrigin(float(origin.x()), float(origin.y()));
    if (AScale >= 0) {
        SetScale(AScale);
        return;
    }
    SetScale(std::min(FViewport.FitScale(dx, dy, 0.1f), double(ScaleFind())));
}

void TDataMap::ZoomAt(float X, float Y, double NewScale) {
    if (NewScale == Scale()) {
        if (const auto steps = FViewport.ScrollStepsTowards(X, Y)) {
            bool scrolled = false;
            for (const TScrollStep& s : *steps) scrolled |= ScrollBy(s.Direction, s.DX, s.DY);
            if (scrolled) {
                RepaintControl();
                UpdateSmallView();
            }
            return;
        }
    }
    if (!IsUsableScale(NewScale)) return;
    const QPointF origin = FViewport.OriginCentredOn(X, Y, NewScale);
    SetOrigin(float(origin.x()), float(origin.y()));
    FViewport.StoreScale(NewScale);
    SetScale(NewScale);
}

bool TDataMap::ScrollBy(int Direction, int DX, int DY) {
    const std::optional<QPoint> move = ScrollMovement(Direction, DX, DY);
    if (!move) return false;
    if (FOptions.LockScrollOutMap() && !FViewport.ScrollAllowed(*move, MapExtent())) return false;
    FViewport.MoveOriginByPixels(*move);
    ShiftPicture(-move->x(), -move->y());
    if (FCrossHair) *FCrossHair -= *move;
    if (!FDrawingEnabled || FRedrawing) {
        // The strips cannot be drawn now; the next full frame must replace the shifted image.
        FDirty = true;
        return true;
    }
    RedrawRects(UncoveredStrips(*move, size()));
    return true;
}

// ---------------------------------------------------------------------- mouse position

float TDataMap::MouseMapX() {
    float x = float(FMousePos.x()), y = float(FMousePos.y());
    ScreenToMap(x, y);
    FMouseMapPos = QPointF(x, y);
    return x;
}

float TDataMap::MouseMapY() {
    float x = float(FMousePos.x()), y = float(FMousePos.y());
    ScreenToMap(x, y);
    FMouseMapPos = QPointF(x, y);
    return y;
}

// ---------------------------------------------------------------------- tools and mouse

void TDataMap::SetMouseHandler(std::unique_ptr<TMapMouseHandler> handler) {
    FMouseHandler = std::move(handler);
    setMouseTracking(true); // the tools follow the pointer also without a button held
}

void TDataMap::SetInstrument(TInstrument New) {
    if (FMouseHandler) FMouseHandler->InstrumentChanging(FInstrument);
    FInstrument = New;
    SetMapCursor(New == iLinza ? crLinza : crDefault);
    if (OnChangeInstrument) OnChangeInstrument(this);
}

void TDataMap::SetMapCursor(TCursor Value) {
    TCursor cursor = Value;
    bool active = false;
    if (OnCursorChange) OnCursorChange(cursor, active);
    if (active) {
        if (cursor == FCursor) return;
    } else {
        cursor = Value;
    }
    FCursor = cursor;
    setCursor(MapCursors::Cursor(cursor));
}

void TDataMap::SetSelectedObject(bool v) {
    if (v == FSelectedObject) return;
    FSelectedObject = v;
    RepaintControl();
}

void TDataMap::mousePressEvent(QMouseEvent* event) {
    const std::optional<TMouseButton> b = MapButton(event->button());
    if (!b) return;
    const QPoint pos = event->position().toPoint();
    QPointer<TDataMap> alive(this);
    if (OnMouseDown) OnMouseDown(this, *b, event->modifiers(), pos);
    if (!alive) return;
    // The handler may run a modal gesture during which the map can be deleted: nothing of
    // the map is touched after it.
    if (FMouseHandler) FMouseHandler->MouseDown(*b, event->modifiers(), pos);
}

void TDataMap::mouseMoveEvent(QMouseEvent* event) {
    const QPoint pos = event->position().toPoint();
    QPointer<TDataMap> alive(this);
    if (OnMouseMove) OnMouseMove(this, event->modifiers(), pos);
    if (!alive) return;
    if (FMouseHandler)
        FMouseHandler->MouseMove(event->modifiers(), pos);
    else
        FMousePos = pos;
}

void TDataMap::mouseReleaseEvent(QMouseEvent* event) {
    const std::optional<TMouseButton> b = MapButton(event->button());
    if (!b) return;
    const QPoint pos = event->position().toPoint();
    QPointer<TDataMap> alive(this);
    if (OnMouseUp) OnMouseUp(this, *b, event->modifiers(), pos);
    if (!alive) return;
    if (FMouseHandler) FMouseHandler->MouseUp(*b, event->modifiers(), pos);
}

void TDataMap::mouseDoubleClickEvent(QMouseEvent* event) {
    // The toolkit sends the second press of a double click as this event: the double click
    // is handled first, then the press (which the double click may have told to ignore).
    // Only the left button makes a double click; the others count as a second press.
    QPointer<TDataMap> alive(this);
    if (event->button() == Qt::LeftButton) {
        if (OnDblClick) OnDblClick(this);
        if (!alive) return;
        if (FMouseHandler) FMouseHandler->DblClick();
        if (!alive) return;
    }
    mousePressEvent(event);
}

void TDataMap::enterEvent(QEnterEvent* event) {
    TMyImage::enterEvent(event);
    if (OnMouseEnter) OnMouseEnter(this);
}

void TDataMap::leaveEvent(QEvent* event) {
    TMyImage::leaveEvent(event);
    QPointer<TDataMap> alive(this);
    if (FMouseHandler) FMouseHandler->MouseLeave();
    if (alive && OnMouseLeave) OnMouseLeave(this);
}

// ---------------------------------------------------------------------- blinking

void TDataMap::ClearBlinkObjects() {
    FBlinker.Clear();
    FDirty = true;
    Redraw();
    RepaintControl();
}

void TDataMap::DrawCrossHair(int Index) {
    const mapdata::TORBMapObjectMem* o = Object(Index);
    if (!o || Picture().isNull()) return;
    float x = o->Box[0].X + std::abs(o->Box[1].X - o->Box[0].X) / 2;
    float y = o->Box[0].Y + std::abs(o->Box[2].Y - o->Box[0].Y) / 2;
    MapToScreen(x, y);
    const QPoint centre(mapdata::RoundToInt(x), mapdata::RoundToInt(y));
    XorCrossHair(centre, Picture().rect());
    // Drawn twice at one place it is gone.
    if (FCrossHair == centre)
        FCrossHair.reset();
    else
        FCrossHair = centre;
}

void TDataMap::XorCrossHair(QPoint centre, const QRect& clip) {
    QPainter p(&Picture());
    p.setClipRect(clip);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    p.setPen(QPen(Qt::white, 0, Qt::DotLine));
    p.setBrush(Qt::black);
    p.drawLine(centre.x(), 0, centre.x(), Picture().height());
    p.drawLine(0, centre.y(), Picture().width(), centre.y());
}

// ---------------------------------------------------------------------- drawing state

void TDataMap::LockDrawing() {
    FDrawingEnabled = false;
    for (TDataMap* linked : FLinkedMaps) linked->FDrawingEnabled = false;
}

void TDataMap::UnlockDrawing() {
    FDrawingEnabled = true;
    for (TDataMap* linked : FLinkedMaps) linked->FDrawingEnabled = true;
    Redraw();
    RepaintControl();
    SyncLinkedMaps();
}

// ---------------------------------------------------------------------- render hooks

void TDataMap::Redraw() {
    if (!FDrawingEnabled || FRedrawing) return;
    TFlagGuard guard(FRedrawing);
    if (!FDirty && PictureFitsControl()) return;
    if (DeferFrame()) return;
    FitPictureToControl();
    if (!Picture().isNull()) RenderFrame();
    ++FRedrawLog.FullFrames;
    FDirty = false;
    FFrameDeferred = false;
}

bool TDataMap::DeferFrame() {
    if (!FDeferFrames || FPainting) return false;
    FFrameDeferred = true;
    FDirty = true; // the whole frame is drawn then, also where only some rectangles changed
    return true;
}

void TDataMap::SetDeferFrames(bool v) {
    FDeferFrames = v;
    if (v || !FFrameDeferred) return;
    Redraw();
    RepaintControl();
}

void TDataMap::RedrawRects(const std::vector<QRect>& rects) {
    if (!FDrawingEnabled || FRedrawing || DeferFrame()) return;
    TFlagGuard guard(FRedrawing);
    for (const QRect& r : rects) {
        const QRect inside = r.intersected(Picture().rect());
        if (!inside.isEmpty()) RenderRect(inside);
        FRedrawLog.Strips.push_back(r);
    }
    FRender.AfterRects(Picture());
    ++FRedrawLog.RectPasses;
    FDirty = false;
}

void TDataMap::RenderFrame() {
    FRender.RenderFrame(Picture());
    FCrossHair.reset(); // a new frame replaces the cross-hair
}

void TDataMap::RenderRect(const QRect& rect) {
    FRender.RenderRect(Picture(), rect);
    // The rest of the cross-hair is still on the picture: the rebuilt part gets it back.
    if (FCrossHair) XorCrossHair(*FCrossHair, rect);
}

void TDataMap::RedrawObject(int Index) {
    if (!Object(Index)) return;
    SetClipRect(XWind(), YWind(), XWind() + ViewWidth(), YWind() + ViewHeight());
    if (!IsObjectInView(Document().Objects, Index)) return;
    const QRect r = FRender.ObjectScreenRect(Index);
    if (r.isEmpty()) return;
    RedrawRects({r});
    PaintRect(r);
}

void TDataMap::PaintRect(const QRect& rect) {
    // The overlays are drawn with the copy when the control paints.
    ++FRedrawLog.Repaints;
    update(rect);
}

void TDataMap::SetBackgroundColor(mapdata::TColor v) {
    FRender.BackgroundColor = v;
    FDirty = true;
    Redraw();
    RepaintControl();
}

void TDataMap::SetGrass(const QImage& v) {
    FRender.Grass = v.copy();
    FDirty = true;
    Redraw();
    RepaintControl();
}

void TDataMap::SetFilter(bool v) {
    // The selected object is cleared here once selection exists.
    FCategories.Filter = v;
    FDirty = true;
    Redraw();
    RepaintControl();
}

void TDataMap::SetGuideColor(mapdata::TColor v) {
    FRender.GuideColor = v;
    Redraw();
    RepaintControl();
}

void TDataMap::SetGuideStepX(int v) {
    FRender.GuideStepX = v;
    Redraw();
    RepaintControl();
}

void TDataMap::SetGuideStepY(int v) {
    FRender.GuideStepY = v;
    Redraw();
    RepaintControl();
}

void TDataMap::Paint(QPainter& canvas, const QRect& rect) {
    if (FPainting) return;
    TFlagGuard guard(FPainting);
    if (!PictureFitsControl() || FFrameDeferred) {
        Redraw();
        UpdateSmallView();
    }
    if (Picture().isNull()) return;
    canvas.drawImage(rect, Picture(), rect);
    PaintOverlays(canvas);
}

void TDataMap::PaintOverlays(QPainter& canvas) {
    canvas.save();
    if (FMouseHandler) FMouseHandler->PaintOverlays(canvas);
    canvas.restore();
    FRender.PaintGuideLines(canvas);
    canvas.save();
    PaintSelection(*this, canvas);
    canvas.restore();
    if (FMouseHandler) FMouseHandler->PaintTopOverlays(canvas);
}

void TDataMap::ControlResized() {
    // Paint notices the size change and rebuilds the whole frame.
}

// ---------------------------------------------------------------------- overview

namespace {

// The thumbnail's scale × 100 and its map origin for an overview of w × h pixels.
struct TThumbnailFit {
    double C = 0;
    double OX = 0, OY = 0;
};

std::optional<TThumbnailFit> FitThumbnail(const mapdata::TMapExtent& e, double w, double h) {
    const double dx = double(e.MaxX) - e.MinX, dy = double(e.MaxY) - e.MinY;
    if (!(dx > 0) || !(dy > 0)) return std::nullopt;
    TThumbnailFit f;
    f.C = std::min(100 / (dx / w), 100 / (dy / h));
    if (!(f.C > 0) || !std::isfinite(f.C)) return std::nullopt;
    f.OX = e.MinX + dx / 2 - w * 100 / f.C / 2;
    f.OY = e.MinY + dy / 2 - h * 100 / f.C / 2;
    return f;
}

} // namespace

void TDataMap::SetSmallView(TSmallPreView* preview) {
    if (preview == FSmallView) return;
    if (preview && preview->FMap && preview->FMap != this) {
        platform::ShowMessage(QStringLiteral("Ошибка! С компонентом ") + preview->objectName() +
                                  QStringLiteral(" уже связан другой компонент DataMap"),
                              platform::MessageKind::Error, this);
        return;
    }
    if (FSmallView) FSmallView->FMap = nullptr;
    FSmallView = preview;
    if (preview) {
        preview->FMap = this;
        preview->FRenderedSize = QSize(); // rendered at its next paint
        preview->update();
    }
}

void TDataMap::RenderSmallView() {
    if (!FSmallView) return;
    const QSize size(std::max(FSmallView->width(), 1), std::max(FSmallView->height(), 1));
    const std::optional<TThumbnailFit> fit = FitThumbnail(MapExtent(), size.width(), size.height());
    if (!fit) return;
    FThumbnail = QImage(size, QImage::Format_RGB32);
    FRender.RenderThumbnail(FThumbnail, fit->C, float(fit->OX), float(fit->OY),
                            FSmallView->ObjectView(), FSmallView->OnFilteredObject);
    FSmallView->FRenderedSize = FSmallView->size();
    UpdateSmallView();
}

void TDataMap::UpdateSmallView() {
    if (!FSmallView || ObjectCount() == 0 || FSmallView->width() <= 0 || FSmallView->height() <= 0)
        return;
    const double pw = FSmallView->width(), ph = FSmallView->height();
    const std::optional<TThumbnailFit> fit = FitThumbnail(MapExtent(), pw, ph);
    if (!fit) return;
    const double r = fit->C * 0.01;
    QImage& picture = FSmallView->Picture();
    picture =
        FThumbnail.isNull() ? QImage(FSmallView->size(), QImage::Format_RGB32) : FThumbnail.copy();
    if (FThumbnail.isNull()) picture.fill(ToQColor(BackgroundColor()));
    // The map offsets are rounded to whole units before scaling.
    const int l = mapdata::RoundToInt(mapdata::RoundToInt(XWind() - fit->OX) * r);
    const int rt = mapdata::RoundToInt(mapdata::RoundToInt(XWind() + ViewWidth() - fit->OX) * r);
    const int t = mapdata::RoundToInt(mapdata::RoundToInt(YWind() - fit->OY) * r);
    const int b = mapdata::RoundToInt(mapdata::RoundToInt(YWind() + ViewHeight() - fit->OY) * r);
    const int cx = l + std::abs(l - rt) / 2, cy = t + std::abs(t - b) / 2;
    const QColor color = ToQColor(FSmallView->Color());
    QPainter p(&picture);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(QPen(color, 0, Qt::DotLine));
    p.drawLine(cx, 0, cx, picture.height());
    p.drawLine(0, cy, picture.width(), cy);
    p.setPen(QPen(Qt::black, 0, Qt::DotLine));
    p.drawLine(cx + 1, 0, cx + 1, picture.height());
    p.drawLine(0, cy + 1, picture.width(), cy + 1);
    p.setBrush(Qt::NoBrush);
    const QRect frame(QPoint(l, t), QPoint(rt, b));
    p.setPen(QPen(Qt::black, 5));
    p.drawRect(frame);
    p.setPen(QPen(ToQColor(0x800000), 4));
    p.drawRect(frame);
    p.setPen(QPen(color, 3));
    p.drawRect(frame);
    p.end();
    FSmallView->update();
}

void TDataMap::CenterFromSmallView(int X, int Y) {
    if (!FSmallView || ObjectCount() == 0) return;
    const std::optional<TThumbnailFit> fit =
        FitThumbnail(MapExtent(), FSmallView->width(), FSmallView->height());
    if (!fit) return;
    ZoomAt(float(X * 100 / fit->C + fit->OX), float(Y * 100 / fit->C + fit->OY), Scale());
}

void TDataMap::RepaintControl() {
    ++FRedrawLog.Repaints;
    update();
}

// ---------------------------------------------------------------------- linked maps

void TDataMap::SetMainDataMap(TDataMap* main) {
    if (main == this || main == FMainDataMap) return;
    for (TDataMap* m = main; m; m = m->FMainDataMap)
        if (m == this) return; // would show itself through a cycle
    if (FMainDataMap) std::erase(FMainDataMap->FLinkedMaps, this);
    FMainDataMap = main;
    if (main && std::find(main->FLinkedMaps.begin(), main->FLinkedMaps.end(), this) ==
                    main->FLinkedMaps.end())
        main->FLinkedMaps.push_back(this);
    FViewport.UpdatePixelsPerUnit();
    FDirty = true;
    Redraw();
    RepaintControl();
}

void TDataMap::SyncLinkedMaps() {
    if (FSynchronising) return;
    TFlagGuard guard(FSynchronising);
    // Header and extent are shared through the document; the edit buffers are copied here.
    std::vector<TDataMap*> targets;
    if (FMainDataMap) targets.push_back(FMainDataMap);
    targets.insert(targets.end(), FLinkedMaps.begin(), FLinkedMaps.end());
    for (TDataMap* t : targets) {
        if (t->FSynchronising) continue;
        t->FDirty = true;
        t->Redraw();
        t->RepaintControl();
        t->SyncLinkedMaps();
    }
}

// ------------------------------------------------------------------ icons

void TDataMap::SetOrbMapIcon(mapdata::TOrbIcon* icons) {
    if (icons == &FOwnIcons) icons = nullptr;
    if (icons == FOrbMapIcon) return;
    if (FOrbMapIcon) FOrbMapIcon->UnregisterClient(&FIconClient);
    FOrbMapIcon = icons;
    if (FOrbMapIcon) FOrbMapIcon->RegisterClient(&FIconClient);
    FIconClient.IconsChanged();
}

void TDataMap::TIconClient::IconsChanged() {
    M.MarkDirty();
    M.Redraw();
    M.update();
}

void TDataMap::TIconClient::IconsDetached() {
    // The component is going away (often at shutdown): fall back to the own pictures,
    // without unregistering and without drawing now.
    M.FOrbMapIcon = nullptr;
    M.MarkDirty();
}

// ------------------------------------------------------------------ raster layer

void TDataMap::SetScanMap(mapdata::TOrbHugeBitmap* layer) {
    if (layer == FScanMap) return;
    if (FScanMap) FScanMap->RemoveClient(&FScanMapClient);
    FScanMap = layer;
    if (FScanMap) FScanMap->AddClient(&FScanMapClient);
    FScanMapClient.RasterLayerChanged();
}

void TDataMap::TScanMapClient::RasterLayerChanged() {
    M.MarkDirty();
    M.Redraw();
    M.update();
}

void TDataMap::TScanMapClient::RasterLayerDetached() {
    // The layer is being destroyed: forget it without drawing now.
    M.FScanMap = nullptr;
    M.MarkDirty();
}

// ------------------------------------------------------------------ hit testing

bool TDataMap::FindObjectsAt(float X, float Y) {
    const bool found = FHitTest.FindObjectsAt(X, Y, FoundObjects);
    if (OnAfterFind) OnAfterFind(this, found);
    return found;
}

int TDataMap::ObjectAtPoint(float X, float Y) {
    FindObjectsAt(X, Y);
    const int chosen = FHitTest.ChooseTopmost(FoundObjects);
    if (chosen >= 0)
        LoadBuffer(chosen);
    else
        FEditor.ForgetBuffer();
    if (OnAfterLocate) OnAfterLocate(this, chosen >= 0);
    return chosen;
}

// ------------------------------------------------------------------ address lookup

int TDataMap::StreetCodeOf(const QString& Name) {
    const int before = Document().Streets.Count();
    const int code = Lookup().StreetCodeOf(Name);
    if (Document().Streets.Count() != before) SyncLinkedMaps();
    return code;
}

int TDataMap::TownCodeOf(const QString& Name) {
    const int before = Document().Towns.Count();
    const int code = Lookup().TownCodeOf(Name);
    if (Document().Towns.Count() != before) SyncLinkedMaps();
    return code;
}

} // namespace tsivor::mapview
