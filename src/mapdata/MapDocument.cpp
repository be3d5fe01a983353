#include "mapdata/MapDocument.h"

#include "mapdata/Cp1251.h"

#include <QDateTime>

#include <algorithm>
#include <cmath>

namespace tsivor::mapdata {

QSizeF EstimateTextSize(const QString& text, uint8_t, double height) {
    return QSizeF(0.6 * height * double(text.size()), height);
}

double TodayAsDateTime() {
    const QDate epoch(1899, 12, 30);
    return double(epoch.daysTo(QDate::currentDate()));
}

TMapDocument::TMapDocument() {
    Objects.reserve(20000);
    Header.Date = TodayAsDateTime();
}

void TMapDocument::Clear() {
    Objects.clear();
    Streets.Clear();
    Towns.Clear();
    Header = TORBMapHeader{};
    Header.Scale = 100;
    Extent = TMapExtent{};
}

namespace {

void SetMinMaxBox(TORBMapObjectMem& o, float minX, float minY, float maxX, float maxY) {
    o.Box = {TORBMapPoint{minX, minY}, TORBMapPoint{maxX, minY}, TORBMapPoint{maxX, maxY},
             TORBMapPoint{minX, maxY}};
}

} // namespace

void TMapDocument::CalcObjectBox(TORBMapObjectMem& o) const {
    const float w = o.Pen.Width / 2;
    if (IsPointType(o.ObjectType)) {
        if (!o.Points || o.Count < 1) return;
        float minX = o.Points[0].X, maxX = minX, minY = o.Points[0].Y, maxY = minY;
        for (int i = 1; i < o.Count; ++i) {
            minX = std::min(minX, o.Points[i].X);
            maxX = std::max(maxX, o.Points[i].X);
            minY = std::min(minY, o.Points[i].Y);
            maxY = std::max(maxY, o.Points[i].Y);
        }
        SetMinMaxBox(o, minX - w, minY - w, maxX + w, maxY + w);
        return;
    }
    switch (o.ObjectType) {
    case cBitmap: {
        if (!o.Bitmap) return;
        const auto& c = o.Bitmap->Corners;
        float minX = c[0].X, maxX = minX, minY = c[0].Y, maxY = minY;
        for (const auto& p : c) {
            minX = std::min(minX, p.X);
            maxX = std::max(maxX, p.X);
            minY = std::min(minY, p.Y);
            maxY = std::max(maxY, p.Y);
        }
        SetMinMaxBox(o, minX, minY, maxX, maxY);
        return;
    }
    case cZametka: {
        TORBMapZametka z;
        if (!o.GetZametka(z)) return;
        o.Box.fill(TORBMapPoint{z.X, z.Y});
        return;
    }
    case cGroup: {
        if (!o.Children || o.Children->empty()) return;
        bool first = true;
        float minX = 0, maxX = 0, minY = 0, maxY = 0;
        for (const auto& ch : *o.Children) {
            CalcObjectBox(*ch);
            for (const auto& p : ch->Box) {
                if (first) {
                    minX = maxX = p.X;
                    minY = maxY = p.Y;
                    first = false;
                }
                minX = std::min(minX, p.X);
                maxX = std::max(maxX, p.X);
                minY = std::min(minY, p.Y);
                maxY = std::max(maxY, p.Y);
            }
        }
        SetMinMaxBox(o, minX - w, minY - w, maxX + w, maxY + w);
        return;
    }
    case cText: {
        TORBMapText t;
        if (!o.GetText(t)) return;
        const double f = t.Size >= 10 ? 1.0 : 100.0;
        const QSizeF sz = MeasureText ? MeasureText(t.Text, t.FontIndex, t.Size * f)
                                      : EstimateTextSize(t.Text, t.FontIndex, t.Size * f);
        const double tw = sz.width() / f, th = sz.height() / f;
        // Rotating about the anchor so that the polar angle decreases by Angle/10 degrees
        // (Y grows downwards, so this turns the text anticlockwise on screen).
        const double a = -double(t.Angle) / 10.0 * M_PI / 180.0;
        const double ca = std::cos(a), sa = std::sin(a);
        auto rot = [&](double dx, double dy) {
            return TORBMapPoint{float(t.X + dx * ca - dy * sa), float(t.Y + dx * sa + dy * ca)};
        };
        o.Box = {TORBMapPoint{t.X, t.Y}, rot(tw, 0), rot(tw, th), rot(0, th)};
        return;
    }
    default:
        return;
    }
}

void TMapDocument::RecalcExtent() {
    Extent = TMapExtent{};
    if (Objects.empty()) return;
    const auto& b0 = Objects.front()->Box;
    Extent = {b0[0].X, b0[0].Y, b0[0].X, b0[0].Y};
    for (const auto& o : Objects) FoldIntoExtent(*o);
}

void TMapDocument::FoldIntoExtent(const TORBMapObjectMem& o) {
    for (int k : {0, 2}) {
        const auto& p = o.Box[size_t(k)];
        Extent.MinX = std::min(Extent.MinX, p.X);
        Extent.MinY = std::min(Extent.MinY, p.Y);
        Extent.MaxX = std::max(Extent.MaxX, p.X);
        Extent.MaxY = std::max(Extent.MaxY, p.Y);
    }
}

TORBMapObjectMem& TMapDocument::Append(TOrbMapObjectPtr o) {
    Objects.push_back(std::move(o));
    Header.ObjectCount = ObjectCount();
    return *Objects.back();
}

void TMapDocument::Delete(int index) {
    if (index < 0 || index >= ObjectCount()) return;
    Objects.erase(Objects.begin() + index);
    Header.ObjectCount = ObjectCount();
}

TAdres TMapDocument::DecodeAddress(const TORBMapObjectMem& o) const {
    TAdres a;
    if (o.HasAddress != 1 || !o.Address) return a;
    const auto& ad = *o.Address;
    a.Town = Towns.NameOf(ad.TownCode);
    a.Street = Streets.NameOf(ad.StreetCode);
    a.House = cp1251::ToUnicode(ad.House);
    a.Street1 = Streets.NameOf(ad.Street1Code);
    a.House1 = cp1251::ToUnicode(ad.House1);
    return a;
}

} // namespace tsivor::mapdata
