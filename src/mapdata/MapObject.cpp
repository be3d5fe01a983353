#include "mapdata/MapObject.h"

#include "mapdata/Cp1251.h"

#include <algorithm>
#include <cstring>

namespace tsivor::mapdata {
namespace {

template <typename T> void Put(QByteArray& out, T v) {
    out.append(reinterpret_cast<const char*>(&v), sizeof v);
}
template <typename T> T Get(const uint8_t* at) {
    T v;
    std::memcpy(&v, at, sizeof v);
    return v;
}

} // namespace

const char* ObjectTypeName(int type) {
    static const char* const names[] = {"cPolygon", "cLine",      "cPixel",   "cText",
                                        "cBitmap",  "cBezier",    "cEllipse", "cZametka",
                                        "cGroup",   "cBezierFill"};
    return type >= 0 && type <= 9 ? names[type] : "";
}

void PutShortString(QByteArray& out, const QByteArray& text, int n) {
    const int len = int(std::min<qsizetype>(text.size(), n));
    out.append(char(uint8_t(len)));
    out.append(text.constData(), len);
    out.append(QByteArray(n - len, '\0'));
}

QByteArray GetShortString(const uint8_t* at, int n) {
    const int len = std::min<int>(at[0], n);
    return QByteArray(reinterpret_cast<const char*>(at + 1), len);
}

QByteArray PackText(const TORBMapText& t) {
    const QByteArray text = cp1251::FromUnicode(t.Text);
    QByteArray out;
    out.reserve(text.size() + kTextBlockHead + 1);
    Put(out, t.X);
    Put(out, t.Y);
    Put(out, t.Angle);
    Put(out, t.FontIndex);
    Put(out, t.Size);
    Put(out, int32_t(text.size()));
    out.append(text);
    out.append('\0'); // the spare byte
    return out;
}

bool UnpackText(const uint8_t* b, int size, TORBMapText& t) {
    if (!b || size < kTextBlockHead) return false;
    t.X = Get<float>(b);
    t.Y = Get<float>(b + 4);
    t.Angle = Get<int32_t>(b + 8);
    t.FontIndex = b[12];
    t.Size = Get<float>(b + 13);
    const int32_t len = Get<int32_t>(b + 17);
    // A damaged length never reads past the block.
    const int avail = size - kTextBlockHead;
    const int n = std::clamp<int32_t>(len, 0, avail);
    t.Text = cp1251::ToUnicode(reinterpret_cast<const char*>(b + kTextBlockHead), n);
    return true;
}

QByteArray PackZametka(const TORBMapZametka& z) {
    const QByteArray text = cp1251::FromUnicode(z.Text);
    QByteArray out;
    out.reserve(text.size() + kNoteBlockHead + 1);
    Put(out, z.X);
    Put(out, z.Y);
    PutShortString(out, cp1251::FromUnicode(z.NameLib), 30);
    PutShortString(out, cp1251::FromUnicode(z.NamePic), 30);
    Put(out, int32_t(text.size()));
    out.append(text);
    out.append('\0');
    return out;
}

bool UnpackZametka(const uint8_t* b, int size, TORBMapZametka& z) {
    if (!b || size < kNoteBlockHead) return false;
    z.X = Get<float>(b);
    z.Y = Get<float>(b + 4);
    z.NameLib = cp1251::ToUnicode(GetShortString(b + 8, 30));
    z.NamePic = cp1251::ToUnicode(GetShortString(b + 39, 30));
    const int32_t len = Get<int32_t>(b + 70);
    const int n = std::clamp<int32_t>(len, 0, size - kNoteBlockHead);
    z.Text = cp1251::ToUnicode(reinterpret_cast<const char*>(b + kNoteBlockHead), n);
    return true;
}

bool TORBMapObjectMem::GetPoint(int index, TORBMapPoint& p) const {
    if (!IsPointType(ObjectType) || !Points || index < 0 || index >= Count) return false;
    p = Points[index];
    return true;
}

namespace {

// Points block of count points holding the first min(count, old Count) points.
void ResizePoints(TORBMapObjectMem& o, int count) {
    auto grown = std::make_unique<TORBMapPoint[]>(size_t(count));
    if (o.Points) std::copy_n(o.Points.get(), std::min(count, o.Count), grown.get());
    o.Points = std::move(grown);
    o.Count = count;
}

} // namespace

bool TORBMapObjectMem::SetPoint(int index, TORBMapPoint p) {
    if (!IsPointType(ObjectType) || index < 0) return false;
    if (!Points || Count <= 0) {
        ResizePoints(*this, 1);
        index = 0;
    } else if (index > Count - 1) {
        index = Count;
        ResizePoints(*this, Count + 1);
    }
    Points[index] = p;
    return true;
}

bool TORBMapObjectMem::InsertPoint(int index, TORBMapPoint p) {
    const int count = Points ? Count : 0;
    if (!IsPointType(ObjectType) || index < 0 || index > count) return false;
    auto grown = std::make_unique<TORBMapPoint[]>(size_t(count) + 1);
    if (Points) {
        std::copy_n(Points.get(), index, grown.get());
        std::copy(Points.get() + index, Points.get() + count, grown.get() + index + 1);
    }
    grown[index] = p;
    Points = std::move(grown);
    Count = count + 1;
    return true;
}

bool TORBMapObjectMem::DeletePoint(int index) {
    if (!IsPointType(ObjectType) || !Points || Count <= 0 || index < 0 || index >= Count)
        return false;
    std::copy(Points.get() + index + 1, Points.get() + Count, Points.get() + index);
    --Count;
    if (Count == 0) Points.reset();
    return true;
}

bool TORBMapObjectMem::GetText(TORBMapText& t) const {
    return ObjectType == cText && UnpackText(Block.get(), Count, t);
}

static void SetBlock(TORBMapObjectMem& o, const QByteArray& packed) {
    o.Points.reset();
    o.Bitmap.reset();
    o.Children.reset();
    o.Block = std::make_unique<uint8_t[]>(size_t(packed.size()));
    std::memcpy(o.Block.get(), packed.constData(), size_t(packed.size()));
    o.Count = int32_t(packed.size());
}

void TORBMapObjectMem::SetText(const TORBMapText& t) {
    ObjectType = cText;
    SetBlock(*this, PackText(t));
}

bool TORBMapObjectMem::GetZametka(TORBMapZametka& z) const {
    return ObjectType == cZametka && UnpackZametka(Block.get(), Count, z);
}

void TORBMapObjectMem::SetZametka(const TORBMapZametka& z) {
    ObjectType = cZametka;
    SetBlock(*this, PackZametka(z));
}

int64_t DataSize(const TORBMapObjectMem& o) {
    if (IsPointType(o.ObjectType)) return int64_t(o.Count) * 8;
    switch (o.ObjectType) {
    case cText:
    case cZametka:
        return o.Count;
    case cGroup:
        return o.Count;
    case cBitmap:
        return kBitmapHeadSize + (o.Bitmap ? o.Bitmap->Image.size() : 0);
    default:
        return 0;
    }
}

void CopyPlainFields(const TORBMapObjectMem& from, TORBMapObjectMem& to) {
    to.ID = from.ID;
    to.Reserved1 = from.Reserved1;
    to.Reserved2 = from.Reserved2;
    to.Box = from.Box;
    to.CenterX = from.CenterX;
    to.CenterY = from.CenterY;
    to.Layer = from.Layer;
    to.Category = from.Category;
    to.Locked = from.Locked;
    to.ObjectType = from.ObjectType;
    to.Count = from.Count;
    to.Pen = from.Pen;
    to.Brush = from.Brush;
    to.HasAddress = from.HasAddress;
    to.HasExtra = from.HasExtra;
    to.Height = from.Height;
    to.Alpha = from.Alpha;
}

TOrbMapObjectPtr TORBMapObjectMem::Clone() const {
    auto c = std::make_unique<TORBMapObjectMem>();
    CopyPlainFields(*this, *c);
    if (Points && Count > 0) {
        c->Points = std::make_unique<TORBMapPoint[]>(size_t(Count));
        std::copy_n(Points.get(), Count, c->Points.get());
    }
    if (Block && Count > 0) {
        c->Block = std::make_unique<uint8_t[]>(size_t(Count));
        std::memcpy(c->Block.get(), Block.get(), size_t(Count));
    }
    if (Bitmap) c->Bitmap = std::make_unique<TORBMapBitmap>(*Bitmap);
    if (Children) {
        c->Children = std::make_unique<TOrbMapList>();
        c->Children->reserve(Children->size());
        for (const auto& ch : *Children) c->Children->push_back(ch->Clone());
    }
    if (Address) c->Address = std::make_unique<TORBMapAddress>(*Address);
    if (Extra) c->Extra = std::make_unique<TORBMapExtra>(*Extra);
    return c;
}

TOrbMapObjectPtr CopyWithNewIds(const TORBMapObjectMem& o, int32_t& nextId, float dx, float dy) {
    auto c = std::make_unique<TORBMapObjectMem>();
    CopyPlainFields(o, *c);
    c->ID = nextId++;
    if (o.Address) c->Address = std::make_unique<TORBMapAddress>(*o.Address);
    if (o.Extra) c->Extra = std::make_unique<TORBMapExtra>(*o.Extra);
    if (o.Children) {
        c->Children = std::make_unique<TOrbMapList>();
        c->Children->reserve(o.Children->size());
        for (const auto& ch : *o.Children)
            c->Children->push_back(CopyWithNewIds(*ch, nextId, dx, dy));
        return c;
    }
    c->CenterX += dx;
    c->CenterY += dy;
    if (o.Points && o.Count > 0) {
        c->Points = std::make_unique<TORBMapPoint[]>(size_t(o.Count));
        for (int i = 0; i < o.Count; ++i) c->Points[i] = {o.Points[i].X + dx, o.Points[i].Y + dy};
    }
    if (o.Block && o.Count > 0) {
        c->Block = std::make_unique<uint8_t[]>(size_t(o.Count));
        std::memcpy(c->Block.get(), o.Block.get(), size_t(o.Count));
        // Text and note blocks both begin with their anchor X, Y.
        if (o.Count >= 8 && (dx != 0 || dy != 0)) {
            float xy[2];
            std::memcpy(xy, c->Block.get(), sizeof xy);
            xy[0] += dx;
            xy[1] += dy;
            std::memcpy(c->Block.get(), xy, sizeof xy);
        }
    }
    if (o.Bitmap) {
        c->Bitmap = std::make_unique<TORBMapBitmap>(*o.Bitmap);
        for (TORBMapPoint& p : c->Bitmap->Corners) p = {p.X + dx, p.Y + dy};
    }
    return c;
}

} // namespace tsivor::mapdata
