#include "mapdata/MapContentReader.h"

#include "mapdata/Cp1251.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace tsivor::mapdata {
namespace {

QString ShortStringAt(const uint8_t* at, int n) {
    return cp1251::ToUnicode(GetShortString(at, n));
}

// Header fields shared by every layout up to Mashtab.
void DecodeHeaderHead(const uint8_t* h, TORBMapHeader& out) {
    out.Caption = ShortStringAt(h, 40);
    out.Version = I32(h + 41);
    out.NameMap = ShortStringAt(h + 45, 255);
    out.CreatedBy = ShortStringAt(h + 301, 255);
    out.Reserved3 = I32(h + 557);
    out.Mashtab = I32(h + 562);
    out.Date = F64(h + 566);
    out.ObjectCount = I32(h + 574);
    out.NextId = I32(h + 578);
}

} // namespace

int32_t PeekVersion(TByteReader& r) {
    const uint8_t* at = r.Peek(kVersionPeekSize);
    return at ? I32(at + 41) : 0;
}

bool ReadHeader(TByteReader& r, int32_t version, TORBMapHeader& out) {
    TORBMapHeader h;
    if (version >= 10 && version <= 14) {
        const uint8_t* at = r.Take(kHeaderSize);
        if (!at) return false;
        DecodeHeaderHead(at, h);
        h.Reserved4 = at[561];
        h.Scale = F64(at + 582);
        h.XWind = F32(at + 590);
        h.YWind = F32(at + 594);
        h.StreetCount = I32(at + 598);
        h.NextStreetCode = I32(at + 602);
        h.TownCount = I32(at + 606);
        h.NextTownCode = I32(at + 610);
        h.Reserved5 = at[614];
    } else if (version >= 1 && version <= 9) {
        const uint8_t* at = r.Take(version == 9 ? kOldHeader9Size : kOldHeaderSize);
        if (!at) return false;
        DecodeHeaderHead(at, h);
        h.Scale = 100; // the old layout's field at 582 is not taken over
        h.XWind = F32(at + 586);
        h.YWind = F32(at + 590);
        h.StreetCount = I32(at + 594);
        h.NextStreetCode = I32(at + 598);
        if (version == 9) {
            h.TownCount = I32(at + 602);
            h.NextTownCode = I32(at + 606);
        }
    } else {
        return false;
    }
    // A damaged view position must not reach the viewport as a division by zero or NaN.
    if (!std::isfinite(h.Scale) || h.Scale <= 0) h.Scale = 100;
    if (!std::isfinite(h.XWind)) h.XWind = 0;
    if (!std::isfinite(h.YWind)) h.YWind = 0;
    out = std::move(h);
    return true;
}

bool ReadNameTable(TByteReader& r, int32_t count, TNameTable& table) {
    if (count <= 0) return true;
    table.Reserve(int(std::min<int64_t>(count, int64_t(r.Remaining() / kNameEntrySize))));
    for (int32_t i = 0; i < count; ++i) {
        const uint8_t* e = r.Take(kNameEntrySize);
        if (!e) return false;
        table.Add(ShortStringAt(e + 2, kNameMaxLength), I16(e));
    }
    return true;
}

void DecodeFixedPart(const uint8_t* f, TORBMapObjectMem& o) {
    o.ID = I32(f);
    o.Reserved1 = I32(f + 4);
    o.Reserved2 = f[8];
    o.CenterX = F32(f + 9);
    o.CenterY = F32(f + 13);
    // One draw list per layer: a layer outside -64..64 from a damaged file goes to the edge.
    o.Layer = std::clamp<int32_t>(I32(f + 17), -64, 64);
    o.Category = I32(f + 21);
    o.Locked = f[25];
    o.ObjectType = f[26];
    o.Count = I32(f + 27);
    o.Alpha = f[31];
    o.Pen.Color = U32(f + 32);
    o.Pen.Style = f[36];
    o.Pen.Width = F32(f + 37);
    o.Pen.Flags = I32(f + 41);
    o.Brush.Color = U32(f + 45);
    o.Brush.Style = f[49];
    o.HasAddress = f[50];
    o.HasExtra = f[51];
    o.Height = F32(f + 52);
}

std::unique_ptr<TORBMapAddress> DecodeAddressBlock(const uint8_t* a) {
    auto ad = std::make_unique<TORBMapAddress>();
    ad->TownCode = I16(a);
    ad->StreetCode = I16(a + 2);
    ad->House = GetShortString(a + 4, 12);
    ad->Street1Code = I16(a + 17);
    ad->House1 = GetShortString(a + 19, 12);
    return ad;
}

namespace {

TReadStatus ReadBitmap(TByteReader& r, TORBMapObjectMem& o) {
    const uint8_t* h = r.Take(kBitmapHeadSize);
    if (!h) return TReadStatus::EndOfStream;
    auto bm = std::make_unique<TORBMapBitmap>();
    for (int k = 0; k < 4; ++k) bm->Corners[size_t(k)] = {F32(h + 8 * k), F32(h + 8 * k + 4)};
    bm->Format = h[32];
    bm->Transparent = h[33];
    bm->TransparentColor = U32(h + 34);
    const int32_t length = I32(h + 38);
    if (length < 0) return TReadStatus::Dropped;
    const uint8_t* img = r.Take(length);
    if (!img) return TReadStatus::EndOfStream;
    if (length > 0) bm->Image = QByteArray(reinterpret_cast<const char*>(img), length);
    o.Bitmap = std::move(bm);
    return TReadStatus::Ok;
}

TReadStatus ReadGroup(TByteReader& r, TORBMapObjectMem& o, int depth) {
    if (o.Count < 0) return TReadStatus::Dropped;
    if (depth >= kMaxGroupDepth) {
        const TReadStatus skipped = SkipObjectsV14(r, o.Count);
        return skipped == TReadStatus::EndOfStream ? skipped : TReadStatus::Dropped;
    }
    auto children = std::make_unique<TOrbMapList>();
    children->reserve(
        size_t(std::min<int64_t>(o.Count, int64_t(r.Remaining() / kRecordFixedSize))));
    for (int32_t i = 0; i < o.Count; ++i) {
        TOrbMapObjectPtr child;
        const TReadStatus st = ReadObjectV14(r, child, depth + 1);
        if (st == TReadStatus::EndOfStream) return st;
        if (st == TReadStatus::Ok) children->push_back(std::move(child));
    }
    o.Count = int32_t(children->size());
    o.Children = std::move(children);
    return TReadStatus::Ok;
}

} // namespace

TReadStatus ReadObjectV14(TByteReader& r, TOrbMapObjectPtr& out, int depth) {
    out.reset();
    const uint8_t* f = r.Take(kRecordFixedSize);
    if (!f) return TReadStatus::EndOfStream;
    auto o = std::make_unique<TORBMapObjectMem>();
    DecodeFixedPart(f, *o);
    if (o->HasAddress == 1) {
        const uint8_t* a = r.Take(kAddressSize);
        if (!a) return TReadStatus::EndOfStream;
        o->Address = DecodeAddressBlock(a);
    }
    if (o->HasExtra == 1) {
        const uint8_t* e = r.Take(kExtraSize);
        if (!e) return TReadStatus::EndOfStream;
        o->Extra = std::make_unique<TORBMapExtra>();
        std::memcpy(o->Extra->data(), e, kExtraSize);
    }

    if (IsPointType(o->ObjectType)) {
        // Without a point there is no box to compute: such a record is dropped.
        if (o->Count <= 0) return TReadStatus::Dropped;
        const uint8_t* p = r.Take(int64_t(o->Count) * 8);
        if (!p) return TReadStatus::EndOfStream;
        o->Points = std::make_unique_for_overwrite<TORBMapPoint[]>(size_t(o->Count));
        std::memcpy(o->Points.get(), p, size_t(o->Count) * 8);
    } else {
        switch (o->ObjectType) {
        case cText:
        case cZametka: {
            if (o->Count < 0) return TReadStatus::Dropped;
            if (o->Count == 0) break;
            const uint8_t* b = r.Take(o->Count);
            if (!b) return TReadStatus::EndOfStream;
            o->Block = std::make_unique_for_overwrite<uint8_t[]>(size_t(o->Count));
            std::memcpy(o->Block.get(), b, size_t(o->Count));
            break;
        }
        case cBitmap: {
            const TReadStatus st = ReadBitmap(r, *o);
            if (st != TReadStatus::Ok) return st;
            break;
        }
        case cGroup: {
            const TReadStatus st = ReadGroup(r, *o, depth);
            if (st != TReadStatus::Ok) return st;
            break;
        }
        default:
            break; // codes 10..255 carry no data
        }
    }
    out = std::move(o);
    return TReadStatus::Ok;
}

TReadStatus SkipObjectsV14(TByteReader& r, int64_t count) {
    // Records still to skip per open group level; each entry stands for at least 56 bytes
    // consumed, so the list stays bounded by the content size.
    std::vector<int64_t> pending{count};
    while (!pending.empty()) {
        if (pending.back() <= 0) {
            pending.pop_back();
            continue;
        }
        --pending.back();
        const uint8_t* f = r.Take(kRecordFixedSize);
        if (!f) return TReadStatus::EndOfStream;
        // Read before the next take, which may move what f points into.
        const int type = f[26];
        const int32_t n = I32(f + 27);
        const bool address = f[50] == 1, extra = f[51] == 1;
        if (address && !r.Skip(kAddressSize)) return TReadStatus::EndOfStream;
        if (extra && !r.Skip(kExtraSize)) return TReadStatus::EndOfStream;
        if (IsPointType(type)) {
            if (n > 0 && !r.Skip(int64_t(n) * 8)) return TReadStatus::EndOfStream;
        } else if (type == cText || type == cZametka) {
            if (n > 0 && !r.Skip(n)) return TReadStatus::EndOfStream;
        } else if (type == cBitmap) {
            const uint8_t* h = r.Take(kBitmapHeadSize);
            if (!h) return TReadStatus::EndOfStream;
            const int32_t length = I32(h + 38);
            if (length > 0 && !r.Skip(length)) return TReadStatus::EndOfStream;
        } else if (type == cGroup && n > 0) {
            pending.push_back(n);
        }
    }
    return TReadStatus::Ok;
}

} // namespace tsivor::mapdata
