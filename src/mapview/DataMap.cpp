#include "mapview/DataMap.h"

#include "mapview/MapCursors.h"

#include <QPainter>

#include <algorithm>
#include <cmath>

namespace tsivor::mapview {

namespace {

constexpr size_t kDevicePointBufferSize = 150000;

bool IsUsableScale(double v) {
    return v > 0 && std::isfinite(v);
}

float FiniteOr(float v, float fallback) {
    return std::isfinite(v) ? v : fallback;
}

} // namespace

// The loader's view of the map: each step of a load that belongs to the view.
class TDataMap::TLoadHost final : public mapdata::TMapLoadHost {
public:
    explicit TLoadHost(TDataMap& map) : M(map) {}

    void ClearUndo() override {} // the undo journal hooks in here
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

private:
    TDataMap& M;
};

TDataMap::TDataMap(QWidget* parent) : TMyImage(parent), FOptions([this] { OptionsChanged(); }) {
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
    if (FOrbMapIcon) FOrbMapIcon->UnregisterClient(&FIconClient);
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
        return MeasureMapText(family, text, height);
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
    FitPictureToControl();
    if (!Picture().isNull()) RenderFrame();
    ++FRedrawLog.FullFrames;
    FDirty = false;
}

void TDataMap::RedrawRects(const std::vector<QRect>& rects) {
    if (!FDrawingEnabled || FRedrawing) return;
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
}

void TDataMap::RenderRect(const QRect& rect) {
    FRender.RenderRect(Picture(), rect);
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
    if (!PictureFitsControl()) {
        Redraw();
        UpdateSmallView();
    }
    if (Picture().isNull()) return;
    canvas.drawImage(rect, Picture(), rect);
    PaintOverlays(canvas);
}

void TDataMap::PaintOverlays(QPainter& canvas) {
    // Measure polyline, region outline, scrolling marker, selection frame and lens frame
    // join the guide lines here as the tools arrive.
    FRender.PaintGuideLines(canvas);
}

void TDataMap::ControlResized() {
    // Paint notices the size change and rebuilds the whole frame.
}

void TDataMap::UpdateSmallView() {}

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

// ------------------------------------------------------------------ hit testing

bool TDataMap::FindObjectsAt(float X, float Y) {
    const bool found = FHitTest.FindObjectsAt(X, Y, FoundObjects);
    if (OnAfterFind) OnAfterFind(this, found);
    return found;
}

int TDataMap::ObjectAtPoint(float X, float Y) {
    FindObjectsAt(X, Y);
    const int chosen = FHitTest.ChooseTopmost(FoundObjects);
    // The chosen object goes into the edit buffer here (the buffer is emptied for -1).
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
