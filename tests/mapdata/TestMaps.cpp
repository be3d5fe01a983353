#include "TestMaps.h"

#include "LegacyWriter.h"

#include "mapdata/Cp1251.h"
#include "mapdata/MapWriter.h"

#include <cstring>

namespace tsivor::mapdata::testmaps {
namespace {

template <typename T> void Put(QByteArray& out, T v) {
    out.append(reinterpret_cast<const char*>(&v), sizeof v);
}

TOrbMapObjectPtr Base(int type, int id) {
    auto o = std::make_unique<TORBMapObjectMem>();
    o->ID = id;
    o->ObjectType = uint8_t(type);
    o->Layer = 1;
    o->Pen = {0x000000FF, 0, 2.0f, 0};
    o->Brush = {0x00C0C0C0, 0};
    return o;
}

} // namespace

TOrbMapObjectPtr PointObject(int type, int id, std::vector<TORBMapPoint> points) {
    auto o = Base(type, id);
    o->Count = int32_t(points.size());
    if (!points.empty()) {
        o->Points = std::make_unique<TORBMapPoint[]>(points.size());
        std::copy(points.begin(), points.end(), o->Points.get());
    }
    return o;
}

TOrbMapObjectPtr Text(int id, float x, float y, const QString& text, float size, int angle) {
    auto o = Base(cText, id);
    TORBMapText t;
    t.X = x;
    t.Y = y;
    t.Angle = angle;
    t.FontIndex = 0;
    t.Size = size;
    t.Text = text;
    o->SetText(t);
    return o;
}

TOrbMapObjectPtr Note(int id, float x, float y, const QString& lib, const QString& pic,
                      const QString& text) {
    auto o = Base(cZametka, id);
    o->SetZametka(TORBMapZametka{x, y, lib, pic, text});
    return o;
}

TOrbMapObjectPtr Bitmap(int id, const QByteArray& image, std::array<TORBMapPoint, 4> corners) {
    auto o = Base(cBitmap, id);
    o->Count = kBitmapHeadSize;
    o->Bitmap = std::make_unique<TORBMapBitmap>();
    o->Bitmap->Corners = corners;
    o->Bitmap->Format = 0;
    o->Bitmap->Transparent = 1;
    o->Bitmap->TransparentColor = 0x00FFFFFF;
    o->Bitmap->Image = image;
    return o;
}

TOrbMapObjectPtr Group(int id, std::vector<TOrbMapObjectPtr> children) {
    auto o = Base(cGroup, id);
    o->Count = int32_t(children.size());
    o->Children = std::make_unique<TOrbMapList>();
    for (auto& c : children) o->Children->push_back(std::move(c));
    return o;
}

void SetAddress(TORBMapObjectMem& o, int16_t town, int16_t street, const QString& house,
                int16_t street1, const QString& house1) {
    o.HasAddress = 1;
    o.Address = std::make_unique<TORBMapAddress>(TORBMapAddress{
        town, street, street1, cp1251::FromUnicode(house), cp1251::FromUnicode(house1)});
}

TMapDocument Document(std::vector<TOrbMapObjectPtr> objects) {
    TMapDocument doc;
    doc.Header.Caption = "Tsivor";
    doc.Header.Version = 14;
    doc.Header.NameMap = QStringLiteral("Заречинск");
    doc.Header.CreatedBy = QStringLiteral("тест");
    doc.Header.Mashtab = 500;
    doc.Header.Date = 45000.5;
    doc.Header.Scale = 150;
    doc.Header.XWind = 10;
    doc.Header.YWind = 20;
    doc.Header.NextStreetCode = 3;
    doc.Header.NextTownCode = 2;
    doc.Streets.Add(QStringLiteral("ЛЕНИНА"), 1);
    doc.Streets.Add(QStringLiteral("САДОВАЯ"), 2);
    doc.Towns.Add(QStringLiteral("ЗАРЕЧИНСК"), 1);
    for (auto& o : objects) doc.Append(std::move(o));
    doc.Header.NextId = doc.ObjectCount() + 1;
    return doc;
}

TMapDocument ManySquares(int n) {
    std::vector<TOrbMapObjectPtr> objects;
    objects.reserve(size_t(n));
    for (int i = 0; i < n; ++i) {
        const float x = float(i % 100) * 10, y = float(i / 100) * 10;
        auto o = Polygon(i + 1, {{x, y}, {x + 8, y}, {x + 8, y + 8}, {x, y + 8}});
        SetAddress(*o, 1, int16_t(1 + i % 2), QString::number(i + 1));
        objects.push_back(std::move(o));
    }
    return Document(std::move(objects));
}

TMapDocument EveryType() {
    std::vector<TOrbMapObjectPtr> v;
    auto poly = Polygon(1, {{0, 0}, {10, 0}, {10, 10}});
    SetAddress(*poly, 1, 1, QStringLiteral("12А"), 2, "3");
    poly->Reserved1 = -7;
    poly->Reserved2 = 9;
    poly->HasExtra = 1;
    poly->Extra = std::make_unique<TORBMapExtra>();
    for (int i = 0; i < kExtraSize; ++i) (*poly->Extra)[size_t(i)] = uint8_t(i * 5);
    v.push_back(std::move(poly));
    v.push_back(PointObject(cLine, 2, {{1, 1}, {5, 7}}));
    v.push_back(PointObject(cPixel, 3, {{3, 3}}));
    v.push_back(Text(4, 20, 20, QStringLiteral("Улица"), 12, 450));
    v.push_back(Bitmap(5, QByteArray("BM\x10\x00", 4), {{{30, 30}, {40, 30}, {40, 40}, {30, 40}}}));
    v.push_back(PointObject(cBezier, 6, {{0, 0}, {1, 2}, {3, 4}, {5, 6}}));
    v.push_back(PointObject(cEllipse, 7, {{50, 50}, {60, 50}, {60, 60}, {50, 60}}));
    v.push_back(Note(8, 70, 70, "DEFAULT", "17", QStringLiteral("Аптека")));
    std::vector<TOrbMapObjectPtr> kids;
    kids.push_back(Polygon(10, {{80, 80}, {90, 90}}));
    kids.push_back(PointObject(cLine, 11, {{85, 70}, {95, 75}}));
    v.push_back(Group(9, std::move(kids)));
    v.push_back(PointObject(cBezierFill, 12, {{0, 5}, {5, 0}, {10, 5}, {5, 10}}));
    auto odd = PointObject(cPolygon, 13, {});
    odd->ObjectType = 42; // an unknown code carries no data
    v.push_back(std::move(odd));
    return Document(std::move(v));
}

QByteArray HeaderBytes(int32_t version, int32_t objectCount, int32_t streetCount,
                       int32_t townCount) {
    TMapDocument doc;
    QByteArray h = WriteMapContent(doc);
    std::memcpy(h.data() + 41, &version, 4);
    std::memcpy(h.data() + 574, &objectCount, 4);
    std::memcpy(h.data() + 598, &streetCount, 4);
    std::memcpy(h.data() + 606, &townCount, 4);
    return h;
}

QByteArray NameEntry(int16_t code, const QByteArray& name) {
    QByteArray e;
    Put(e, code);
    PutShortString(e, name, 40);
    return e;
}

std::vector<std::pair<QString, QByteArray>> SeedCorpus() {
    std::vector<std::pair<QString, QByteArray>> files;
    files.emplace_back("empty", WriteMapContent(Document()));
    {
        // One file per object, so that each type is a short seed of its own.
        TMapDocument all = EveryType();
        for (const auto& o : all.Objects) {
            TMapDocument one = Document();
            one.Append(o->Clone());
            files.emplace_back(QStringLiteral("type%1").arg(o->ObjectType), WriteMapContent(one));
        }
    }
    files.emplace_back("every_type", WriteMapContent(EveryType()));
    {
        std::vector<TOrbMapObjectPtr> inner;
        inner.push_back(Polygon(3, {{0, 0}, {1, 1}}));
        inner.push_back(Polygon(4, {{2, 2}, {3, 3}}));
        std::vector<TOrbMapObjectPtr> outer;
        outer.push_back(Polygon(2, {{5, 5}}));
        outer.push_back(Group(5, std::move(inner)));
        outer.push_back(Text(6, 1, 1, "ab"));
        std::vector<TOrbMapObjectPtr> top;
        top.push_back(Group(1, std::move(outer)));
        files.emplace_back("nested_group", WriteMapContent(Document(std::move(top))));
    }
    files.emplace_back("squares", WriteMapContent(ManySquares(12)));
    for (int v = 1; v <= 13; ++v) {
        // What each old version could hold: pictures from 12 on, groups from 4 on.
        TMapDocument doc = EveryType();
        for (int i = doc.ObjectCount() - 1; i >= 0; --i) {
            const int type = doc.Object(i)->ObjectType;
            if ((type == cBitmap && v < 12) || (type == cGroup && v < 4)) doc.Delete(i);
        }
        for (int i = 0; i < doc.ObjectCount(); ++i) doc.CalcObjectBox(*doc.Object(i));
        files.emplace_back(QStringLiteral("legacy_v%1").arg(v, 2, 10, QLatin1Char('0')),
                           WriteLegacyContent(doc, v));
    }
    return files;
}

} // namespace tsivor::mapdata::testmaps
