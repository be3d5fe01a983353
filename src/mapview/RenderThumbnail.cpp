// The overview's thumbnail, built by the frame pipeline with its own rules.
#include "mapview/DataMap.h"
#include "mapview/RenderPipeline.h"

namespace tsivor::mapview {

using mapdata::cZametka;
using mapdata::TORBMapObjectMem;

void TRenderPipeline::RenderThumbnail(QImage& image, double aScale, float x0, float y0,
                                      int objectView,
                                      const mapdata::TFilteredObjectHook& filtered) {
    if (image.isNull() || !(aScale > 0)) return;
    TMapViewport& vp = FMap.FViewport;
    tOrbMapOptions& opt = FMap.Options();
    // The view and the options are put back whatever happens below; the option changes
    // notify nobody.
    struct TRestore {
        TMapViewport& Vp;
        tOrbMapOptions& Opt;
        mapdata::TCategories& Categories;
        double Scale = Vp.Scale();
        float X = Vp.XWind(), Y = Vp.YWind(), Factor = Vp.DeviceFactor();
        bool Notify = Opt.NotifyChange, Numbers = Opt.mpNumberDom(), View3D = Opt.View3D();
        int ObjectView = Opt.ObjectView();
        bool Filter = Categories.Filter;
        ~TRestore() {
            Vp.StoreScale(Scale);
            Vp.UpdatePixelsPerUnit();
            Vp.SetOrigin(X, Y);
            Vp.SetDeviceFactor(Factor);
            Opt.NotifyChange = false;
            Opt.SetmpNumberDom(Numbers);
            Opt.SetView3D(View3D);
            Opt.SetObjectView(ObjectView);
            Opt.NotifyChange = Notify;
            Categories.Filter = Filter;
        }
    } restore{vp, opt, FMap.Categories()};
    opt.NotifyChange = false;
    opt.SetmpNumberDom(false);
    opt.SetView3D(false);
    if (objectView > 0) opt.SetObjectView(objectView);
    vp.StoreScale(aScale);
    vp.UpdatePixelsPerUnit();
    vp.SetOrigin(x0, y0);
    const float x1 = float(x0 + image.width() * 100.0 / aScale);
    const float y1 = float(y0 + image.height() * 100.0 / aScale);

    TLayerLists flat, extruded;
    FMap.Categories().Filter = false; // only during the collection
    CollectVisibleObjects(x0, y0, x1, y1, true, flat, extruded);
    FMap.Categories().Filter = restore.Filter;

    QPainter canvas(&image);
    canvas.setRenderHint(QPainter::Antialiasing, Antialiased(opt.AntiAliasing()));
    FillBackground(canvas, image.rect());
    PaintBackLayer(canvas, image.size(), x0, y0, x1, y1); // not the host's background event
    vp.SetDeviceFactor(1.0f);
    const TDrawDevice device = ScreenDevice(vp, image.size());
    const mapdata::TMapDocument& doc = FMap.Document();
    FDraw.SetCanvas(&canvas);
    for (const std::vector<int>& layer : flat) {
        for (int index : layer) {
            const TORBMapObjectMem* o = doc.Object(index);
            if (!o || o->ObjectType == cZametka) continue;
            if (filtered) {
                bool visible = true;
                filtered(*o, visible);
                if (!visible) continue;
            }
            FPainter.DrawObject(*o, opt, device);
        }
    }
    FDraw.SetCanvas(nullptr);
    PaintFrontLayer(canvas, image.size(), x0, y0, x1, y1);
}

} // namespace tsivor::mapview
