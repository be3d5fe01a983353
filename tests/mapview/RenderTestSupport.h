#pragma once
// Small documents and pixel helpers of the rendering tests.

#include "mapdata/MapDocument.h"
#include "mapview/DataMap.h"

#include <QImage>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <initializer_list>
#include <memory>

namespace rendertest {

using namespace tsivor::mapdata;
using tsivor::mapview::TDataMap;

// A record of a point type, not yet in a document.
inline std::unique_ptr<TORBMapObjectMem> MakePoints(uint8_t type,
                                                    std::initializer_list<TORBMapPoint> pts) {
    auto o = std::make_unique<TORBMapObjectMem>();
    o->ObjectType = type;
    o->Count = int(pts.size());
    o->Points = std::make_unique<TORBMapPoint[]>(pts.size());
    int i = 0;
    for (const TORBMapPoint& p : pts) o->Points[size_t(i++)] = p;
    return o;
}

inline TORBMapObjectMem& AddPoints(TMapDocument& doc, uint8_t type,
                                   std::initializer_list<TORBMapPoint> pts, TColor pen,
                                   TColor brush, int layer = 0) {
    auto o = MakePoints(type, pts);
    o->Pen.Color = pen;
    o->Brush.Color = brush;
    o->Layer = layer;
    doc.CalcObjectBox(*o);
    return doc.Append(std::move(o));
}

// An axis-parallel filled rectangle with a 0-width pen in the fill colour.
inline TORBMapObjectMem& AddRect(TMapDocument& doc, float x0, float y0, float x1, float y1,
                                 TColor color, int layer = 0) {
    return AddPoints(doc, cPolygon, {{x0, y0}, {x1, y0}, {x1, y1}, {x0, y1}}, color, color, layer);
}

// The tests set fields of the record AddPoints returns, in the list: every record changed so
// is taken out and put back at its place, the same record, so that the document's column and
// indexes see the change and the test's reference stays good.
inline void RepostChanged(TMapDocument& doc) {
    for (int i = 0; i < doc.ObjectCount(); ++i)
        if (!TObjectColumnEntry::Of(*doc.Object(i)).SameAs(doc.Column()[i]))
            doc.Insert(i, doc.Take(i));
    EXPECT_TRUE(doc.Column().Matches(doc.Objects));
}

inline void SetAddress(TORBMapObjectMem& o, const QByteArray& house, const QByteArray& house1) {
    o.HasAddress = 1;
    o.Address = std::make_unique<TORBMapAddress>();
    o.Address->House = house;
    o.Address->House1 = house1;
}

// 0x00BBGGRR of a pixel.
inline TColor PixelColor(const QImage& img, int x, int y) {
    const QRgb c = img.pixel(x, y);
    return TColor(qRed(c)) | (TColor(qGreen(c)) << 8) | (TColor(qBlue(c)) << 16);
}

// The largest difference of one colour channel between two pictures of one size.
inline int MaxChannelDifference(const QImage& a, const QImage& b) {
    if (a.size() != b.size()) return 256;
    int most = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            most = std::max({most, std::abs(qRed(p) - qRed(q)), std::abs(qGreen(p) - qGreen(q)),
                             std::abs(qBlue(p) - qBlue(q))});
        }
    return most;
}

// A map control of the given size at Scale 100 and origin 0, with the view's own options
// reduced to what the tests look at (no guide lines, no numbers, white background).
struct TTestMap {
    explicit TTestMap(int w = 200, int h = 150) {
        map.resize(w, h);
        map.Options().NotifyChange = false;
        map.Options().SetmpGuideLines(false);
        map.Options().SetObjectView(0);
        map.Options().NotifyChange = true;
        map.Render().BackgroundColor = 0xFFFFFF;
        map.MarkDirty();
        map.Redraw();
    }
    TMapDocument& Doc() { return map.Document(); }
    const QImage& Frame() {
        RepostChanged(Doc());
        map.MarkDirty();
        map.Redraw();
        return map.Picture();
    }
    TDataMap map;
};

} // namespace rendertest
