#include "mapview/RenderPipeline.h"

#include "mapdata/Rounding.h"
#include "mapview/BandCut.h"
#include "mapview/DataMap.h"
#include "mapview/RasterLayerPainter.h"
#include "platform/AtomicFile.h"

#include <QFontMetricsF>
#include <QLocale>

#include <cmath>
#include <numbers>
#include <stdexcept>

namespace tsivor::mapview {

using mapdata::NearestEven;
using mapdata::RoundToInt;

using namespace mapdata;

namespace {

constexpr int kMaxExportSide = 20000; // pixels; larger pictures are refused, not attempted

// Sets the device factor for a pass and puts the old one back.
class TDeviceFactorScope {
public:
    TDeviceFactorScope(TMapViewport& vp, float factor) : FVp(vp), FSaved(vp.DeviceFactor()) {
        FVp.SetDeviceFactor(factor);
    }
    ~TDeviceFactorScope() { FVp.SetDeviceFactor(FSaved); }
    TDeviceFactorScope(const TDeviceFactorScope&) = delete;
    TDeviceFactorScope& operator=(const TDeviceFactorScope&) = delete;

private:
    TMapViewport& FVp;
    float FSaved;
};

void ClearLists(TLayerLists& lists) {
    for (auto& l : lists) l.clear();
}

int LayerSlot(int32_t layer) {
    return std::clamp(layer, -64, 64) + 64;
}

} // namespace

TRenderPipeline::TRenderPipeline(TDataMap& map) : FMap(map), FPainter(FDraw) {
    for (auto& l : FLayerLists) l.reserve(500);
    for (auto& l : F3DLayerLists) l.reserve(500);
    OptionsChanged();
}

bool TRenderPipeline::View3DActive(double scale) const {
    return View3DApplies(FMap.Options(), scale);
}

void TRenderPipeline::Widen3D(double scale, float& x0, float& y0, float& x1, float& y1) const {
    if (!View3DActive(scale)) return;
    // 200 pixels towards the side houses whose roofs reach into the view stand on.
    const QPointF d = ExtrusionVector(20000.0 / scale, FMap.Options().View3DAngle());
    const float dx = float(d.x()), dy = float(d.y());
    if (dy >= 0)
        y0 -= dy;
    else
        y1 -= dy;
    if (dx >= 0)
        x0 -= dx;
    else
        x1 -= dx;
}

TDrawDevice TRenderPipeline::ScreenDevice(const TMapViewport& vp, QSize size) const {
    TDrawDevice d;
    d.Transform = &vp;
    d.Clip = &vp;
    d.Scale = vp.Scale();
    d.PixelsPerUnit = vp.PixelsPerUnit();
    d.DeviceFactor = vp.DeviceFactor();
    d.Size = size;
    return d;
}

// ---------------------------------------------------------------------- collection

void TRenderPipeline::CollectVisibleObjects(float x0, float y0, float x1, float y1, bool fullTests,
                                            TLayerLists& flat, TLayerLists& extruded, bool clear) {
    TMapViewport& vp = FMap.FViewport;
    Collect(vp, View3DActive(vp.Scale()), x0, y0, x1, y1, fullTests, flat, extruded, clear);
}

void TRenderPipeline::Collect(TMapViewport& vp, bool view3D, float x0, float y0, float x1, float y1,
                              bool fullTests, TLayerLists& flat, TLayerLists& extruded,
                              bool clear) {
    if (FCollecting) return;
    TFlagGuard guard(FCollecting);
    if (clear) {
        ClearLists(flat);
        ClearLists(extruded);
    }
    vp.SetClipRect(x0, y0, x1, y1);
    const TMapDocument& doc = FMap.Document();
    const tOrbMapOptions& opt = FMap.Options();
    const double ppu = vp.PixelsPerUnit();
    const double scale = vp.Scale();
    const mapdata::TCategories& categories = FMap.Categories();
    // With the spatial index only the objects listed in the cells the rectangle touches are
    // visited, in list order: every object whose box meets it is among them. Every change of
    // the document keeps the index current. When the cells list as many entries as there are
    // objects (the whole town in view), reading every object costs less.
    const std::vector<int32_t>* nearby = nullptr;
    mapdata::TOrbMapIndex& index = FMap.SpatialIndex();
    if (index.Active()) {
        Q_ASSERT(index.MatchesRebuild());
        if (index.ListedTouching(x0, y0, x1, y1) < size_t(doc.ObjectCount()))
            nearby = &index.QueryTouching(x0, y0, x1, y1);
    }
    const int count = nearby ? int(nearby->size()) : doc.ObjectCount();
    // The tests read the document's column; the record is fetched only for objects that pass
    // the view and category tests, and then, on a large map far apart in memory, a few ahead.
    const TObjectColumn& column = doc.Column();
    Q_ASSERT(column.Matches(doc.Objects));
    auto collect = [&](int from, int to, TLayerLists& flatTo, TLayerLists& extrudedTo) {
        int previous = -1;
        for (int k = from; k < to; ++k) {
            const int i = nearby ? (*nearby)[size_t(k)] : k;
            if (i == previous) continue;
            previous = i;
            if (!vp.IsObjectInView(doc, i)) continue;
            const TObjectColumnEntry& e = column[i];
            const TORBMapObjectMem& o = *doc.Objects[size_t(i)]; // only a reference: not read yet
            const TCategories::TDrawStep step = categories.DrawStepOf(e.Category);
            if (step == TCategories::TDrawStep::Hide) continue;
            if (step == TCategories::TDrawStep::AskHook && !categories.PassesDrawFilter(o))
                continue;
            const int slot = LayerSlot(e.Layer);
            if (fullTests) {
                if (e.ObjectType == cLine && e.PenWidth > 0) {
                    if (e.PenWidth * ppu >= opt.mpLineWidthMin()) flatTo[size_t(slot)].push_back(i);
                    continue;
                }
                if (e.ObjectType == cZametka) {
                    if (scale >= opt.MinScaleIcon()) flatTo[size_t(slot)].push_back(i);
                    continue;
                }
                const double w = std::abs(e.X0 - e.X2) * ppu;
                const double h = std::abs(e.Y0 - e.Y2) * ppu;
                if (w <= opt.ObjectView() && h <= opt.ObjectView()) continue;
            }
            const bool extrude =
                view3D && IsExtruded(o, ObjectHeight(o, opt, FPainter.OnHeightObject));
            if (extrude)
                extrudedTo[size_t(slot)].push_back(i);
            else
                flatTo[size_t(slot)].push_back(i);
        }
    };
    // A large map is read by two threads, each half of the objects into lists of its own, the
    // second half's lists then appended: the same lists in the same order. Not when a host hook
    // would be called from the other thread.
    const bool hooks =
        (categories.Filter && categories.OnFilteredObject) || (view3D && FPainter.OnHeightObject);
    if (count < kTwoThreadCollection || hooks) {
        collect(0, count, flat, extruded);
    } else {
        if (!FWorker) FWorker = std::make_unique<platform::TWorkerThread>();
        const int half = count / 2;
        ClearLists(FSecondFlat);
        ClearLists(FSecondExtruded);
        FWorker->Start([&] { collect(half, count, FSecondFlat, FSecondExtruded); });
        std::exception_ptr error;
        try {
            collect(0, half, flat, extruded);
        } catch (...) {
            error = std::current_exception();
        }
        FWorker->Wait(); // rethrows the other thread's failure
        if (error) std::rethrow_exception(error);
        for (size_t slot = 0; slot < kLayerCount; ++slot) {
            flat[slot].insert(flat[slot].end(), FSecondFlat[slot].begin(), FSecondFlat[slot].end());
            extruded[slot].insert(extruded[slot].end(), FSecondExtruded[slot].begin(),
                                  FSecondExtruded[slot].end());
        }
    }
    if (view3D)
        for (auto& list : extruded) SortByDepth(list, doc, FReferenceLine, FDepthScratch);
}

// ---------------------------------------------------------------------- drawing

void TRenderPipeline::FillBackground(QPainter& canvas, const QRect& rect) {
    if (FMap.Options().Texture() && !Grass.isNull())
        canvas.fillRect(rect, QBrush(Grass));
    else
        canvas.fillRect(rect, ToQColor(BackgroundColor));
}

void TRenderPipeline::FillFrameBackground(QPainter& canvas, QImage& buffer) {
    // Filling a whole frame's memory costs as much as a tenth of drawing it: the lower rows are
    // filled by the other thread meanwhile.
    if (!BandsApply(buffer)) {
        FillBackground(canvas, buffer.rect());
        return;
    }
    if (!FWorker) FWorker = std::make_unique<platform::TWorkerThread>();
    const int cut = buffer.height() / 2;
    QImage lowerRows(buffer.bits(), buffer.width(), buffer.height(), buffer.bytesPerLine(),
                     buffer.format());
    lowerRows.setDevicePixelRatio(buffer.devicePixelRatio());
    FWorker->Start([&] {
        QPainter painter(&lowerRows);
        FillBackground(painter, QRect(0, cut, buffer.width(), buffer.height() - cut));
    });
    std::exception_ptr error;
    try {
        FillBackground(canvas, QRect(0, 0, buffer.width(), cut));
    } catch (...) {
        error = std::current_exception();
    }
    FWorker->Wait(); // rethrows the other thread's failure
    if (error) std::rethrow_exception(error);
}

void TRenderPipeline::PaintBackgroundLayer(QPainter& canvas, QSize size, float x0, float y0,
                                           float x1, float y1, bool anyLayerType) {
    if (OnPaintBackground) {
        OnPaintBackground(canvas, x0, y0, x1, y1);
        return;
    }
    PaintBackLayer(canvas, size, x0, y0, x1, y1, anyLayerType);
}

void TRenderPipeline::PaintBackLayer(QPainter& canvas, QSize size, float x0, float y0, float x1,
                                     float y1, bool anyLayerType) {
    mapdata::TOrbHugeBitmap* layer = FMap.ScanMap();
    if (layer && (anyLayerType || layer->LayerType() == mapdata::orbBack))
        DrawRasterLayer(FDraw, canvas, *layer, size, x0, y0, x1, y1,
                        FMap.Viewport().PixelsPerUnit());
}

void TRenderPipeline::PaintFrontLayer(QPainter& canvas, QSize size, float x0, float y0, float x1,
                                      float y1) {
    mapdata::TOrbHugeBitmap* layer = FMap.ScanMap();
    if (layer && layer->LayerType() == mapdata::orbFront)
        DrawRasterLayer(FDraw, canvas, *layer, size, x0, y0, x1, y1,
                        FMap.Viewport().PixelsPerUnit());
}

void TRenderPipeline::PaintPrintLayer(QPainter& canvas, const TMapViewport& window,
                                      mapdata::TLayerType type) {
    mapdata::TOrbHugeBitmap* layer = FMap.ScanMap();
    if (!layer || layer->LayerType() != type) return;
    const double k = window.PixelsPerUnit() * window.DeviceFactor();
    if (!(k > 0)) return;
    const QRect area = canvas.hasClipping() ? canvas.clipBoundingRect().toAlignedRect()
                                            : QRect(QPoint(0, 0), window.ControlSize());
    DrawRasterLayerOver(FDraw, canvas, *layer, area, float(window.XWind() + area.left() / k),
                        float(window.YWind() + area.top() / k),
                        float(window.XWind() + (area.left() + area.width()) / k),
                        float(window.YWind() + (area.top() + area.height()) / k));
}

void TRenderPipeline::DrawLists(QPainter& canvas, const TLayerLists& flat,
                                const TLayerLists& extruded, const TDrawDevice& device,
                                const TMapViewport& clip, bool with3D, TObjectPainter& painter,
                                TDrawObject& draw) {
    const TMapDocument& doc = FMap.Document();
    // The drawing object lets go of the canvas also when a drawing fails.
    struct TCanvasScope {
        TDrawObject& Draw;
        ~TCanvasScope() { Draw.SetCanvas(nullptr); }
    } scope{draw};
    draw.SetCanvas(&canvas);
    draw.Stamps().KeepFor(device.Scale);
    auto drawList = [&](const std::vector<int>& list, bool extrudedList) {
        for (int index : list) {
            const TORBMapObjectMem* o = doc.Object(index);
            if (!o) continue;
            if (o->ObjectType != cZametka && !clip.IsObjectInView(doc, index)) continue;
            if (!device.Rows)
                DrawFrameObject(index, *o, device);
            else if (device.Rows->Reaches(*o, extrudedList))
                painter.DrawObject(*o, FMap.Options(), device);
        }
    };
    for (int k = 0; k < kLayerCount; ++k) {
        drawList(flat[size_t(k)], false);
        if (with3D) drawList(extruded[size_t(k)], true);
    }
}

void TRenderPipeline::DropStamps() {
    FDraw.Stamps().Clear();
    if (FBand) FBand->Draw.Stamps().Clear();
}

bool TRenderPipeline::BandsApply(const QImage& buffer) const {
    // Smoothed edges cut by a band's clip differ by a few levels at most; small frames gain
    // nothing.
    if (buffer.height() < 64) return false;
    // Host code runs on this thread only.
    if (FPainter.OnPaintObject || FPainter.OnPixelLineEvent || FPainter.OnHeightObject ||
        FPainter.HouseNumbers.OnPaintAddress)
        return false;
    return !Substitutes();
}

bool TRenderPipeline::Substitutes() const {
    if (!BlinkSubstitute) return false;
    for (const TLayerLists* lists : {&FLayerLists, &F3DLayerLists})
        for (const auto& list : *lists)
            for (int index : list)
                if (BlinkSubstitute(index)) return true;
    return false;
}

void TRenderPipeline::DrawFrameLists(QPainter& canvas, QImage& buffer, const TDrawDevice& device,
                                     const TMapViewport& clip, bool with3D) {
    if (!BandsApply(buffer)) {
        DrawLists(canvas, FLayerLists, F3DLayerLists, device, clip, with3D, FPainter, FDraw);
        return;
    }
    if (!FBand) FBand = std::make_unique<TBandPainter>();
    if (!FWorker) FWorker = std::make_unique<platform::TWorkerThread>();
    TBandPainter& other = *FBand;
    other.Draw.Opacity = FDraw.Opacity;
    other.Draw.ClipToTarget = FDraw.ClipToTarget;
    other.Draw.SquareCaps = FDraw.SquareCaps;
    other.Draw.ReuseShapes = FDraw.ReuseShapes;
    other.Draw.UseStamps = FDraw.UseStamps;
    other.Draw.PlainFills = FDraw.PlainFills;
    other.Draw.SetUseGDIPlus(FDraw.UseGDIPlus());
    other.Painter.FPixelRadius = FPainter.FPixelRadius;
    // Notes ask the icon library: one thread at a time, this one's lookup put back after.
    const TIconLookup lookup = FPainter.IconLookup;
    TIconLookup locked;
    if (lookup)
        locked = [this, lookup](const QString& lib, const QString& pic) {
            std::lock_guard guard(FIconMutex);
            return lookup(lib, pic);
        };
    other.Painter.IconLookup = locked;
    struct TLookupScope {
        TObjectPainter& Painter;
        TIconLookup Saved;
        ~TLookupScope() { Painter.IconLookup = std::move(Saved); }
    } lookupScope{FPainter, lookup};
    FPainter.IconLookup = locked;

    // The other thread paints the lower rows through a second picture on the same pixels;
    // each painter is clipped to its rows, so no pixel is written by both.
    const int cut = EvenCut(device, buffer.height(), with3D);
    const TRowBand upper{0, cut, device.Transform, device.K(), View3DActive(device.Scale)};
    const TRowBand lower{cut, buffer.height(), device.Transform, device.K(), upper.Blocks};
    TDrawDevice upperDevice = device, lowerDevice = device;
    upperDevice.Rows = &upper;
    lowerDevice.Rows = &lower;
    QImage lowerRows(buffer.bits(), buffer.width(), buffer.height(), buffer.bytesPerLine(),
                     buffer.format());
    lowerRows.setDevicePixelRatio(buffer.devicePixelRatio());
    const QTransform transform = canvas.worldTransform();
    const qreal opacity = canvas.opacity();
    const QPainter::RenderHints hints = canvas.renderHints(); // smoothing among them
    FWorker->Start([&, transform, opacity, hints] {
        QPainter painter(&lowerRows);
        painter.setRenderHints(hints);
        painter.setWorldTransform(transform);
        painter.setOpacity(opacity);
        painter.setClipRect(QRect(0, lower.Top, buffer.width(), lower.Bottom - lower.Top),
                            Qt::ReplaceClip);
        DrawLists(painter, FLayerLists, F3DLayerLists, lowerDevice, clip, with3D, other.Painter,
                  other.Draw);
    });
    std::exception_ptr error;
    try {
        canvas.setClipRect(QRect(0, upper.Top, buffer.width(), upper.Bottom - upper.Top));
        DrawLists(canvas, FLayerLists, F3DLayerLists, upperDevice, clip, with3D, FPainter, FDraw);
    } catch (...) {
        error = std::current_exception();
    }
    canvas.setClipping(false);
    FWorker->Wait(); // rethrows the other thread's failure
    if (error) std::rethrow_exception(error);
}

int TRenderPipeline::EvenCut(const TDrawDevice& device, int height, bool with3D) const {
    // An object costs a little for being drawn at all and more with every row it covers: the
    // costs of a frame's objects measured one by one follow that well enough to split the
    // work within a few per cent, where the middle row is often 10 % off and, with a few large
    // areas in view, far more. The box is read from the document's column: the records are
    // not touched before they are drawn.
    constexpr double kObjectCost = 10, kRowCost = 1;
    const TObjectColumn& column = FMap.Document().Column();
    const double k = device.K();
    TBandCut estimate(height);
    auto add = [&](const std::vector<int>& list) {
        for (int index : list) {
            if (index < 0 || index >= column.Count()) continue;
            const TObjectColumnEntry& e = column[index];
            float x0 = 0, y0 = e.Y0, x1 = 0, y1 = e.Y2;
            device.Transform->MapToScreen(x0, y0);
            device.Transform->MapToScreen(x1, y1);
            const double reach = std::max(0.0f, e.PenWidth) * k / 2 + 1;
            const double top = std::min(y0, y1) - reach, bottom = std::max(y0, y1) + reach;
            const double rows = std::min(bottom, double(height)) - std::max(top, 0.0);
            if (rows >= 0) estimate.Add(top, bottom, kObjectCost + kRowCost * rows);
        }
    };
    for (size_t slot = 0; slot < kLayerCount; ++slot) {
        add(FLayerLists[slot]);
        if (with3D) add(F3DLayerLists[slot]);
    }
    return estimate.EvenCut();
}

void TRenderPipeline::DrawFrameObject(int index, const TORBMapObjectMem& o,
                                      const TDrawDevice& device) {
    const TORBMapObjectMem* substitute = BlinkSubstitute ? BlinkSubstitute(index) : nullptr;
    FPainter.DrawObject(substitute ? *substitute : o, FMap.Options(), device);
}

void TRenderPipeline::RenderFrame(QImage& buffer) {
    if (buffer.isNull()) return;
    TMapViewport& vp = FMap.FViewport;
    const double scale = vp.Scale();
    const float x0 = vp.XWind(), y0 = vp.YWind();
    const float x1 = float(vp.XWind() + buffer.width() * 100.0 / scale);
    const float y1 = float(vp.YWind() + buffer.height() * 100.0 / scale);
    float cx0 = x0, cy0 = y0, cx1 = x1, cy1 = y1;
    Widen3D(scale, cx0, cy0, cx1, cy1);
    const float margin = float(500.0 / scale);
    CollectVisibleObjects(cx0 - margin, cy0 - margin, cx1 + margin, cy1 + margin, true, FLayerLists,
                          F3DLayerLists);
    vp.SetClipRect(cx0 - 3, cy0 - 3, cx1 + 3, cy1 + 3);

    QPainter canvas(&buffer);
    canvas.setRenderHint(QPainter::Antialiasing, Antialiased(FMap.Options().AntiAliasing()));
    FillFrameBackground(canvas, buffer);
    PaintBackgroundLayer(canvas, buffer.size(), x0, y0, x1, y1);
    TDeviceFactorScope factor(vp, 1.0f);
    TDrawDevice device = ScreenDevice(vp, buffer.size());
    device.Transform = &FMap.Transform();
    DrawFrameLists(canvas, buffer, device, vp, View3DActive(scale));
    PaintFrontLayer(canvas, buffer.size(), x0, y0, x1, y1);
    if (OnAfterRisovan) OnAfterRisovan(canvas);
}

void TRenderPipeline::RenderRect(QImage& buffer, const QRect& rect) {
    if (buffer.isNull() || rect.isEmpty()) return;
    TMapViewport& vp = FMap.FViewport;
    const double scale = vp.Scale();
    const double unit = 100.0 / scale;
    float rx0 = float(vp.XWind() + rect.left() * unit);
    float ry0 = float(vp.YWind() + rect.top() * unit);
    float rx1 = float(vp.XWind() + (rect.left() + rect.width()) * unit);
    float ry1 = float(vp.YWind() + (rect.top() + rect.height()) * unit);
    // Thin strips need a wider margin so objects straddling the strip edge are found.
    const int marginPixels = rect.width() < 30 && rect.height() < 30 ? 20 : 15;
    const float margin = float(marginPixels * unit);
    Widen3D(scale, rx0, ry0, rx1, ry1);
    CollectVisibleObjects(rx0 - margin, ry0 - margin, rx1 + margin, ry1 + margin, true, FLayerLists,
                          F3DLayerLists);
    vp.SetClipRect(rx0 - margin, ry0 - margin, rx1 + margin, ry1 + margin);

    QPainter canvas(&buffer);
    canvas.setRenderHint(QPainter::Antialiasing, Antialiased(FMap.Options().AntiAliasing()));
    canvas.setClipRect(rect);
    FillBackground(canvas, rect);
    // The layers are composed for the whole view and clipped to the rectangle.
    const float vx1 = float(vp.XWind() + buffer.width() * unit);
    const float vy1 = float(vp.YWind() + buffer.height() * unit);
    PaintBackgroundLayer(canvas, buffer.size(), vp.XWind(), vp.YWind(), vx1, vy1);
    TDeviceFactorScope factor(vp, 1.0f);
    TDrawDevice device = ScreenDevice(vp, buffer.size());
    device.Transform = &FMap.Transform();
    DrawLists(canvas, FLayerLists, F3DLayerLists, device, vp, View3DActive(scale), FPainter, FDraw);
    PaintFrontLayer(canvas, buffer.size(), vp.XWind(), vp.YWind(), vx1, vy1);
}

void TRenderPipeline::DrawPrintWindow(QPainter& canvas, TMapViewport& window, float x0, float y0,
                                      float x1, float y1, const TPrintPass& pass) {
    // Paper shows everything in the window: the screen's size limits do not apply. Extruded
    // houses follow the screen's scale, as on the screen the print was asked from.
    const bool view3D = View3DActive(FMap.Viewport().Scale());
    TLayerLists flat, extruded;
    Collect(window, view3D, std::min(x0, x1), std::min(y0, y1), std::max(x0, x1), std::max(y0, y1),
            false, flat, extruded, true);
    TDrawDevice device = ScreenDevice(window, window.ControlSize());
    device.Transform = &FMap.Transform();
    device.Printing = true;
    device.ConturOnly = pass.ConturOnly;
    device.PrintNumberDom = pass.NumberDom;
    device.PixelSize = pass.PixelSize;
    device.LogicalDpi = pass.Dpi;
    // A page of outlines only keeps the paper; otherwise the raster layer lies under or over
    // the objects as on the screen.
    if (!pass.ConturOnly) PaintPrintLayer(canvas, window, mapdata::orbBack);
    DrawLists(canvas, flat, extruded, device, window, view3D, FPainter, FDraw);
    if (!pass.ConturOnly) PaintPrintLayer(canvas, window, mapdata::orbFront);
}

void TRenderPipeline::AfterRects(QImage& buffer) {
    if (!OnAfterRisovan || buffer.isNull()) return;
    QPainter canvas(&buffer);
    OnAfterRisovan(canvas);
}

// ---------------------------------------------------------------------- overlays

void TRenderPipeline::PaintGuideLines(QPainter& canvas) {
    if (!FMap.Options().mpGuideLines() || GuideStepX <= 0 || GuideStepY <= 0) return;
    const TMapViewport& vp = FMap.Viewport();
    const int w = vp.Width(), h = vp.Height();
    const double unit = 100.0 / vp.Scale();
    canvas.save();
    canvas.setRenderHint(QPainter::Antialiasing, false);
    canvas.setPen(QPen(ToQColor(GuideColor), 1, Qt::DotLine));
    canvas.setBrush(Qt::NoBrush);
    for (int i = 0; i <= w / GuideStepX; ++i) {
        const int x = i * GuideStepX;
        canvas.drawLine(x, 0, x, h);
    }
    for (int j = 1; j <= h / GuideStepY; ++j) {
        const int y = j * GuideStepY;
        canvas.drawLine(0, y, w, y);
    }
    InstallMapFontSubstitutes();
    QFont font(FMap.Options().FontSystem());
    font.setPixelSize(9); // 7 points on a 96-dpi canvas
    canvas.setFont(font);
    canvas.setPen(ToQColor(GuideColor));
    const QFontMetrics metrics(font);
    const QLocale locale;
    if (GuideStepX > 20)
        for (int i = 0; i <= w / GuideStepX; ++i) {
            const int x = i * GuideStepX;
            const double mapX = i * GuideStepX * unit + vp.XWind();
            canvas.drawText(x + 2, 1 + metrics.ascent(), locale.toString(mapX, 'f', 2));
        }
    if (GuideStepY > 20)
        for (int j = 1; j <= h / GuideStepY; ++j) {
            const int y = j * GuideStepY;
            const double mapY = j * GuideStepY * unit + vp.YWind();
            canvas.drawText(2, y + 2 + metrics.ascent(), locale.toString(mapY, 'f', 2));
        }
    canvas.restore();
}

// ---------------------------------------------------------------------- objects

namespace {

// The map box of an object widened by what its drawing reaches beyond its points.
QRectF MapExtentOf(const TORBMapObjectMem& o) {
    float x0 = o.Box[0].X, y0 = o.Box[0].Y, x1 = o.Box[2].X, y1 = o.Box[2].Y;
    switch (o.ObjectType) {
    case cText:
        x0 -= 10, y0 -= 5, x1 += 30, y1 += 10;
        break;
    case cBezier:
    case cBezierFill:
    case cEllipse:
        if (o.Points && o.Count > 0) {
            x0 = x1 = o.Points[0].X;
            y0 = y1 = o.Points[0].Y;
            for (int i = 1; i < o.Count; ++i) {
                x0 = std::min(x0, o.Points[size_t(i)].X), x1 = std::max(x1, o.Points[size_t(i)].X);
                y0 = std::min(y0, o.Points[size_t(i)].Y), y1 = std::max(y1, o.Points[size_t(i)].Y);
            }
        }
        {
            const float half = std::max(0.0f, o.Pen.Width) / 2;
            x0 -= half, y0 -= half, x1 += half, y1 += half;
        }
        break;
    case cLine:
        if (o.Pen.Flags & kPenSquareEnds) {
            const float w = std::max(0.0f, o.Pen.Width);
            x0 -= w, y0 -= w, x1 += w, y1 += w;
        }
        break;
    default:
        break;
    }
    return QRectF(QPointF(x0, y0), QPointF(x1, y1));
}

} // namespace

QRect TRenderPipeline::ObjectScreenRect(int index) {
    const TORBMapObjectMem* o = FMap.Document().Object(index);
    if (!o) return {};
    const TMapTransform& t = FMap.Transform();
    const int grow = FMap.Options().SizeRect() + 4;
    std::function<QRect(const TORBMapObjectMem&)> rectOf = [&](const TORBMapObjectMem& m) {
        if (m.ObjectType == cZametka) {
            TORBMapZametka z;
            if (!m.GetZametka(z)) return QRect();
            float x = z.X, y = z.Y;
            t.MapToScreen(x, y);
            const QImage icon = FPainter.NoteIcon(m);
            const int w = RoundToInt(icon.width() * FMap.DeviceFactor()) + 40;
            const int h = RoundToInt(icon.height() * FMap.DeviceFactor()) + 40;
            return QRect(QPoint(int(x) - w, int(y) - h), QPoint(int(x) + w, int(y) + h));
        }
        QRectF e = MapExtentOf(m);
        if (View3DActive(FMap.Viewport().Scale())) {
            const float h = ObjectHeight(m, FMap.Options(), FPainter.OnHeightObject);
            if (IsExtruded(m, h))
                e = e.united(e.translated(ExtrusionVector(h + 1.0, FMap.Options().View3DAngle())));
        }
        float x0 = float(e.left()), y0 = float(e.top()), x1 = float(e.right()),
              y1 = float(e.bottom());
        t.MapToScreen(x0, y0);
        t.MapToScreen(x1, y1);
        QRect r(QPoint(int(std::floor(std::min(x0, x1))), int(std::floor(std::min(y0, y1)))),
                QPoint(int(std::ceil(std::max(x0, x1))), int(std::ceil(std::max(y0, y1)))));
        r.adjust(-grow, -grow, grow, grow);
        if (m.HasAddress == 1) {
            const QSize label(int(std::ceil(FLargestLabel.width())),
                              int(std::ceil(FLargestLabel.height())));
            if (r.width() < label.width() || r.height() < label.height()) {
                const QPoint c = r.center();
                const QSize s(std::max(r.width(), label.width()),
                              std::max(r.height(), label.height()));
                r = QRect(c.x() - s.width() / 2, c.y() - s.height() / 2, s.width(), s.height());
            }
        }
        if (m.ObjectType == cGroup && m.Children)
            for (const auto& child : *m.Children)
                if (child && (child->ObjectType == cZametka || child->ObjectType == cGroup))
                    r = r.united(rectOf(*child));
        return r;
    };
    return rectOf(*o).intersected(QRect(QPoint(0, 0), FMap.size()));
}

void TRenderPipeline::OptionsChanged() {
    const tOrbMapOptions& opt = FMap.Options();
    const QPointF centre = FMap.Viewport().GetViewCenter();
    FReferenceLine.Set(centre.x(), centre.y(), opt.View3DAngle());
    FDraw.SetUseGDIPlus(opt.UseGDIPlus());
    FDraw.Opacity = opt.AlphaBlending();
    InstallMapFontSubstitutes();
    QFont font(opt.FontSystem());
    font.setPixelSize(std::max(1, (opt.mpNumberDomSizeFont() * 96 + 36) / 72));
    const QFontMetricsF metrics(font);
    FLargestLabel =
        QSizeF(metrics.horizontalAdvance(QStringLiteral("WWWWWWWWWWWWW")), metrics.height());
}

bool TRenderPipeline::DrawForDiagnostics(const TORBMapObjectMem& o) {
    try {
        QImage picture(500, 500, QImage::Format_RGB32);
        picture.fill(Qt::white);
        QPainter canvas(&picture);
        FDraw.SetCanvas(&canvas);
        TDrawDevice device = ScreenDevice(FMap.Viewport(), picture.size());
        device.Transform = &FMap.Transform();
        FPainter.DrawObject(o, FMap.Options(), device);
        FDraw.SetCanvas(nullptr);
        return true;
    } catch (const std::exception&) {
        FDraw.SetCanvas(nullptr);
        return false;
    }
}

// ---------------------------------------------------------------------- export

QImage TRenderPipeline::RenderImage(float x0, float y0, float x1, float y1, double aScale) {
    if (!(aScale > 0) || !std::isfinite(aScale))
        throw std::runtime_error("Неверный масштаб изображения");
    const double w = NearestEven(std::abs(double(x1) - x0) * aScale / 100.0);
    const double h = NearestEven(std::abs(double(y1) - y0) * aScale / 100.0);
    if (!(w >= 1 && h >= 1) || w > kMaxExportSide || h > kMaxExportSide)
        throw std::runtime_error("Неверный размер изображения");
    QImage image(int(w), int(h), QImage::Format_RGB32);
    if (image.isNull()) throw std::runtime_error("Недостаточно памяти для изображения");

    // The control's view is saved and put back whatever happens below.
    TMapViewport& vp = FMap.FViewport;
    const double savedScale = vp.Scale();
    const float savedX = vp.XWind(), savedY = vp.YWind();
    struct TRestore {
        TMapViewport& Vp;
        double Scale;
        float X, Y;
        ~TRestore() {
            Vp.StoreScale(Scale);
            Vp.UpdatePixelsPerUnit();
            Vp.SetOrigin(X, Y);
        }
    } restore{vp, savedScale, savedX, savedY};
    const float ox = std::min(x0, x1), oy = std::min(y0, y1);
    const float ex = std::max(x0, x1), ey = std::max(y0, y1);
    vp.StoreScale(aScale);
    vp.UpdatePixelsPerUnit();
    vp.SetOrigin(ox, oy);

    TLayerLists flat, extruded;
    CollectVisibleObjects(ox, oy, ex, ey, true, flat, extruded);
    QPainter canvas(&image);
    canvas.setRenderHint(QPainter::Antialiasing, Antialiased(FMap.Options().AntiAliasing()));
    FillBackground(canvas, image.rect());
    PaintBackgroundLayer(canvas, image.size(), ox, oy, ex, ey, true);
    TDeviceFactorScope factor(vp, 1.0f);
    TDrawDevice device = ScreenDevice(vp, image.size());
    const TMapDocument& doc = FMap.Document();
    FDraw.SetCanvas(&canvas);
    const bool with3D = aScale >= FMap.Options().MinScale3D();
    for (int k = 0; k < kLayerCount; ++k) {
        for (int index : flat[size_t(k)])
            if (const TORBMapObjectMem* o = doc.Object(index))
                FPainter.DrawObject(*o, FMap.Options(), device);
        if (!with3D) continue;
        for (int index : extruded[size_t(k)]) {
            const TORBMapObjectMem* o = doc.Object(index);
            if (o && (o->ObjectType == cZametka || vp.IsObjectInView(doc, index)))
                FPainter.DrawObject(*o, FMap.Options(), device);
        }
    }
    FDraw.SetCanvas(nullptr);
    canvas.end();
    return image;
}

bool TRenderPipeline::RenderToStream(TPixelFormat format, QIODevice& stream, float x0, float y0,
                                     float x1, float y1, double aScale) {
    const QImage image = RenderImage(x0, y0, x1, y1, aScale);
    return WriteBmp(stream, image, format);
}

bool TRenderPipeline::SaveImageToFile(TPixelFormat format, const QString& fileName, float x0,
                                      float y0, float x1, float y1, double aScale, QString* error) {
    platform::TAtomicFile file(fileName);
    if (!file.Open()) {
        if (error) *error = file.ErrorText();
        return false;
    }
    try {
        if (!RenderToStream(format, file.Device(), x0, y0, x1, y1, aScale)) {
            if (error) *error = QStringLiteral("Ошибка записи файла %1").arg(fileName);
            return false;
        }
    } catch (const std::exception& e) {
        if (error) *error = QString::fromUtf8(e.what());
        return false;
    }
    if (!file.Commit()) {
        if (error) *error = file.ErrorText();
        return false;
    }
    return true;
}

} // namespace tsivor::mapview
