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
    FObjects.reserve(20000);
    FColumn.Reserve(20000);
    Header.Date = TodayAsDateTime();
}

TMapDocument::TMapDocument(TMapDocument&& other) noexcept
    : FObjects(std::move(other.FObjects)), Header(std::move(other.Header)),
      Streets(std::move(other.Streets)), Towns(std::move(other.Towns)), Extent(other.Extent),
      MeasureText(std::move(other.MeasureText)), Index(std::move(other.Index)),
      FStreetIndex(std::move(other.FStreetIndex)), FColumn(std::move(other.FColumn)) {
    Index.Rebind(FObjects);
    other.Index.Clear();
    other.FStreetIndex.Clear();
    other.FColumn.Clear();
}

void TMapDocument::Clear() {
    FObjects.clear();
    FColumn.Clear();
    Index.Clear();
    FStreetIndex.Clear();
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

namespace {

void FoldPoint(TMapExtent& e, float x, float y) {
    e.MinX = std::min(e.MinX, x);
    e.MinY = std::min(e.MinY, y);
    e.MaxX = std::max(e.MaxX, x);
    e.MaxY = std::max(e.MaxY, y);
}

} // namespace

void TMapDocument::RecalcExtent() {
    Extent = TMapExtent{};
    if (FObjects.empty()) return;
    const auto& b0 = FObjects.front()->Box;
    Extent = {b0[0].X, b0[0].Y, b0[0].X, b0[0].Y};
    for (const auto& o : FObjects) FoldIntoExtent(*o);
}

void TMapDocument::RecalcExtentFromColumn() {
    Extent = TMapExtent{};
    if (FColumn.Count() == 0) return;
    const TObjectColumnEntry& e0 = FColumn[0];
    Extent = {e0.X0, e0.Y0, e0.X0, e0.Y0};
    for (int i = 0; i < FColumn.Count(); ++i) {
        const TObjectColumnEntry& e = FColumn[i];
        FoldPoint(Extent, e.X0, e.Y0);
        FoldPoint(Extent, e.X2, e.Y2);
    }
}

void TMapDocument::FoldIntoExtent(const TORBMapObjectMem& o) {
    for (int k : {0, 2}) {
        const auto& p = o.Box[size_t(k)];
        FoldPoint(Extent, p.X, p.Y);
    }
}

void TMapDocument::Reserve(int count) {
    FObjects.reserve(size_t(std::max(count, 0)));
    FColumn.Reserve(count);
}

void TMapDocument::Added(int index) {
    Header.ObjectCount = ObjectCount();
    Index.AddObject(index);
    FStreetIndex.Add(index, *FObjects[size_t(index)]);
}

void TMapDocument::Removing(int index) {
    Index.RemoveFromCells(Index.CellRange(index), index);
    FStreetIndex.Remove(index, *FObjects[size_t(index)]);
}

TORBMapObjectMem& TMapDocument::Append(TOrbMapObjectPtr o) {
    FColumn.Append(*o);
    FObjects.push_back(std::move(o));
    Added(ObjectCount() - 1);
    return *FObjects.back();
}

void TMapDocument::Insert(int index, TOrbMapObjectPtr o) {
    index = std::clamp(index, 0, ObjectCount());
    if (index == ObjectCount()) {
        Append(std::move(o));
        return;
    }
    FColumn.Insert(index, *o);
    FObjects.insert(FObjects.begin() + index, std::move(o));
    Index.ShiftUp(index);
    FStreetIndex.ShiftUp(index);
    Added(index);
}

TOrbMapObjectPtr TMapDocument::Take(int index) {
    if (index < 0 || index >= ObjectCount()) return nullptr;
    Removing(index);
    TOrbMapObjectPtr o = std::move(FObjects[size_t(index)]);
    FObjects.erase(FObjects.begin() + index);
    FColumn.Erase(index);
    // The grid is walked whole to shift: the last object (a mark, a new note) needs none.
    if (index < ObjectCount()) Index.ShiftDown(index);
    FStreetIndex.ShiftDown(index);
    Header.ObjectCount = ObjectCount();
    return o;
}

void TMapDocument::Delete(int index) {
    Take(index);
}

void TMapDocument::Replace(int index, TOrbMapObjectPtr o) {
    if (index < 0 || index >= ObjectCount() || !o) return;
    // The old cells come from the stored box, before the record changes.
    Removing(index);
    FColumn.Update(index, *o);
    FObjects[size_t(index)] = std::move(o);
    Added(index);
}

TOrbMapObjectPtr TMapDocument::TakeContent(int index) {
    if (index < 0 || index >= ObjectCount()) return nullptr;
    TORBMapObjectMem& shell = *FObjects[size_t(index)];
    FStreetIndex.Remove(index, shell);
    auto content = std::make_unique<TORBMapObjectMem>();
    CopyPlainFields(shell, *content);
    content->Points = std::move(shell.Points);
    content->Block = std::move(shell.Block);
    content->Bitmap = std::move(shell.Bitmap);
    content->Children = std::move(shell.Children);
    content->Address = std::move(shell.Address);
    content->Extra = std::move(shell.Extra);
    shell.HasAddress = 0;
    shell.HasExtra = 0;
    return content;
}

void TMapDocument::MoveToEnd(int index) {
    if (index < 0 || index >= ObjectCount()) return;
    Append(Take(index));
}

void TMapDocument::MoveToStart(int index) {
    if (index < 0 || index >= ObjectCount()) return;
    Insert(0, Take(index));
}

TAdres TMapDocument::DecodeAddress(const TORBMapObjectMem& o) const {
    TAdres a;
    if (o.HasAddress != 1 || !o.Address) return a;
    const auto& ad = *o.Address;
    a.Town = Towns.NameOf(ad.TownCode);
    a.Street = Streets.NameOf(ad.StreetCode);
    a.House = ad.House.Text();
    a.Street1 = Streets.NameOf(ad.Street1Code);
    a.House1 = ad.House1.Text();
    return a;
}

} // namespace tsivor::mapdata
