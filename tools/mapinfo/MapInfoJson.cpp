#include "MapInfoJson.h"

#include <QJsonArray>

#include <charconv>
#include <cmath>
#include <cstdlib>

namespace tsivor::mapinfo {

using namespace mapdata;

namespace {

// A Single as the shortest decimal that reads back as it (16.4, not 16.399999618530273).
double F(float v) {
    if (!std::isfinite(v)) return double(v);
    char buf[32];
    const auto res = std::to_chars(buf, buf + sizeof buf - 1, v);
    *res.ptr = '\0';
    return std::strtod(buf, nullptr);
}

QJsonArray Point(const TORBMapPoint& p) {
    return QJsonArray{F(p.X), F(p.Y)};
}

QJsonArray Corners(const std::array<TORBMapPoint, 4>& c) {
    QJsonArray a;
    for (const auto& p : c) a.append(Point(p));
    return a;
}

QJsonArray NameList(const TNameTable& table) {
    QJsonArray a;
    for (const TNameEntry& e : table.Entries())
        a.append(QJsonObject{{"code", e.Code}, {"name", e.Name}});
    return a;
}

} // namespace

QJsonObject AddressToJson(const TAdres& a) {
    return QJsonObject{{"Town", a.Town},
                       {"Street", a.Street},
                       {"House", a.House},
                       {"Street1", a.Street1},
                       {"House1", a.House1}};
}

QJsonObject ObjectToJson(const TMapDocument& doc, const TORBMapObjectMem& o) {
    QJsonObject j{
        {"ID", o.ID},
        {"ObjectType", o.ObjectType},
        {"Layer", o.Layer},
        {"Category", o.Category},
        {"Count", o.Count},
        {"Locked", o.Locked},
        {"Alpha", o.Alpha},
        {"Height", F(o.Height)},
        {"CenterX", F(o.CenterX)},
        {"CenterY", F(o.CenterY)},
        {"Box", Corners(o.Box)},
        {"Pen", QJsonObject{{"Color", qint64(o.Pen.Color)},
                            {"Style", o.Pen.Style},
                            {"Width", F(o.Pen.Width)},
                            {"Flags", o.Pen.Flags}}},
        {"Brush", QJsonObject{{"Color", qint64(o.Brush.Color)}, {"Style", o.Brush.Style}}},
    };
    if (o.HasAddress == 1) j["Address"] = AddressToJson(doc.DecodeAddress(o));
    TORBMapText t;
    if (o.GetText(t)) {
        j["Text"] = QJsonObject{{"X", F(t.X)},       {"Y", F(t.Y)},
                                {"Angle", t.Angle},  {"FontIndex", t.FontIndex},
                                {"Size", F(t.Size)}, {"Text", t.Text}};
    }
    TORBMapZametka z;
    if (o.GetZametka(z)) {
        j["Zametka"] = QJsonObject{{"X", F(z.X)},
                                   {"Y", F(z.Y)},
                                   {"NameLib", z.NameLib},
                                   {"NamePic", z.NamePic},
                                   {"Text", z.Text}};
    }
    if (o.ObjectType == cBitmap && o.Bitmap) {
        const TORBMapBitmap& b = *o.Bitmap;
        j["Bitmap"] = QJsonObject{{"Corners", Corners(b.Corners)},
                                  {"Format", b.Format},
                                  {"Transparent", b.Transparent},
                                  {"TransparentColor", qint64(b.TransparentColor)},
                                  {"ImageLength", qint64(b.Image.size())}};
    }
    if (o.ObjectType == cGroup && o.Children) {
        QJsonArray children;
        for (const auto& c : *o.Children) children.append(ObjectToJson(doc, *c));
        j["children"] = children;
    }
    return j;
}

QJsonObject MapToJson(const TMapDocument& doc) {
    const TORBMapHeader& h = doc.Header;
    QJsonObject j{
        {"Caption", h.Caption},
        {"Version", h.Version},
        {"NameMap", h.NameMap},
        {"CreatedBy", h.CreatedBy},
        {"Mashtab", h.Mashtab},
        {"Date", h.Date},
        {"ObjectCount", h.ObjectCount},
        {"NextId", h.NextId},
        {"Scale", h.Scale},
        {"XWind", F(h.XWind)},
        {"YWind", F(h.YWind)},
        {"StreetCount", h.StreetCount},
        {"NextStreetCode", h.NextStreetCode},
        {"TownCount", h.TownCount},
        {"NextTownCode", h.NextTownCode},
    };
    const TMapExtent& e = doc.Extent;
    j["extent"] = QJsonArray{F(e.MinX), F(e.MinY), F(e.MaxX), F(e.MaxY)};
    j["streets"] = NameList(doc.Streets);
    j["towns"] = NameList(doc.Towns);
    QJsonArray objects;
    for (const auto& o : doc.Objects) objects.append(ObjectToJson(doc, *o));
    j["objects"] = objects;
    return j;
}

} // namespace tsivor::mapinfo
