#include "mapdata/MapLegacyReader.h"

#include "mapdata/Cp1251.h"
#include "mapdata/MapContentReader.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace tsivor::mapdata {
namespace {

constexpr int kNone = -1;

// Offsets of the fields in the fixed record of one group of versions; kNone where the field is
// not stored and takes its conversion default.
struct TRecordLayout {
    int Size;
    int Reserved1; // Reserved2 follows it at +4; absent: -1 and 0
    int Box;       // four stored corners (32 bytes)
    int Center;    // CenterX, CenterY; absent: from the stored box
    int Layer, Category, Locked, ObjectType, Count;
    int Alpha; // absent: 255
    int PenColor, PenStyle, PenWidth;
    bool PenWidthIsInt;
    int PenFlags, BrushColor, BrushStyle, HasAddress, HasExtra;
    int Height; // absent: 0
};

struct TAddressLayout {
    int Size;
    int Town; // absent: -1
    int Street;
    int House, HouseLength;
    int Street1, House1; // absent: -1 and empty
};

enum class TTextForm { Old88, BlockIntSize, Block };
enum class TNoteForm { Old272, Old330, Block };
enum class TBitmapForm { None, Head37, Head42 };

struct TLegacyFormat {
    TRecordLayout Record;
    TAddressLayout Address;
    bool TakeStoredBox;
    bool CenterFromBox;
    TTextForm Text;
    bool AngleInDegrees;
    TNoteForm Note;
    TBitmapForm Bitmap;
    bool Groups;
    bool TwoPointEllipse; // an ellipse of two opposite corners becomes four points
    bool ReadToEnd;       // records until the content ends, not ObjectCount of them
};

// clang-format off
constexpr TRecordLayout kRecord1to3 {70, kNone, 4, kNone, 36, 40, 44, 45, 46, kNone,
                                     50, 54, 55, true, 59, 63, 67, 68, 69, kNone};
constexpr TRecordLayout kRecord4to6 {83, 4, kNone, 41, 49, 53, 57, 58, 59, kNone,
                                     63, 67, 68, true, 72, 76, 80, 81, 82, kNone};
constexpr TRecordLayout kRecord7    {83, 4, 9, 41, 49, 53, 57, 58, 59, kNone,
                                     63, 67, 68, false, 72, 76, 80, 81, 82, kNone};
constexpr TRecordLayout kRecord8to10{51, 4, kNone, 9, 17, 21, 25, 26, 27, kNone,
                                     31, 35, 36, true, 40, 44, 48, 49, 50, kNone};
constexpr TRecordLayout kRecord11   {55, 4, kNone, 9, 17, 21, 25, 26, 27, kNone,
                                     31, 35, 36, true, 40, 44, 48, 49, 50, 51};
constexpr TRecordLayout kRecord12   {56, 4, kNone, 9, 17, 21, 25, 26, 27, 31,
                                     32, 36, 37, true, 41, 45, 49, 50, 51, 52};
constexpr TRecordLayout kRecord13   {56, 4, kNone, 9, 17, 21, 25, 26, 27, 31,
                                     32, 36, 37, false, 41, 45, 49, 50, 51, 52};

constexpr TAddressLayout kAddress1to3 {7, kNone, 0, 2, 4, kNone, kNone};
constexpr TAddressLayout kAddress4to6 {9, kNone, 0, 2, 6, kNone, kNone};
constexpr TAddressLayout kAddress7to8 {18, kNone, 0, 2, 6, 9, 11};
constexpr TAddressLayout kAddress9to13{20, 0, 2, 4, 6, 11, 13};
// clang-format on

TLegacyFormat FormatOf(int32_t v) {
    TLegacyFormat f{};
    f.Record = v <= 3    ? kRecord1to3
               : v <= 6  ? kRecord4to6
               : v == 7  ? kRecord7
               : v <= 10 ? kRecord8to10
               : v == 11 ? kRecord11
               : v == 12 ? kRecord12
                         : kRecord13;
    f.Address = v <= 3   ? kAddress1to3
                : v <= 6 ? kAddress4to6
                : v <= 8 ? kAddress7to8
                         : kAddress9to13;
    // Versions 4 to 6 store a box but never kept it up to date: it is computed instead.
    f.TakeStoredBox = v <= 3 || v == 7;
    f.CenterFromBox = v <= 3;
    f.Text = v <= 7 ? TTextForm::Old88 : v <= 12 ? TTextForm::BlockIntSize : TTextForm::Block;
    f.AngleInDegrees = v <= 5;
    f.Note = v <= 4 ? TNoteForm::Old272 : v <= 7 ? TNoteForm::Old330 : TNoteForm::Block;
    f.Bitmap = v <= 11 ? TBitmapForm::None : v == 12 ? TBitmapForm::Head37 : TBitmapForm::Head42;
    f.Groups = v >= 4;
    f.TwoPointEllipse = v <= 11;
    f.ReadToEnd = v <= 3;
    return f;
}

constexpr int kOldTextSize = 88;
constexpr int kOldNote272Size = 272;
constexpr int kOldNote330Size = 330;
constexpr int kBitmapHead12Size = 37;
constexpr TColor kWhite = 0x00FFFFFF;

QString ShortStringAt(const uint8_t* at, int n) {
    return cp1251::ToUnicode(GetShortString(at, n));
}

bool BoxIsFinite(const std::array<TORBMapPoint, 4>& box) {
    return std::all_of(box.begin(), box.end(),
                       [](TORBMapPoint p) { return std::isfinite(p.X) && std::isfinite(p.Y); });
}

void DecodeRecord(const uint8_t* f, const TRecordLayout& l, TORBMapObjectMem& o) {
    o.ID = I32(f);
    if (l.Reserved1 != kNone) {
        o.Reserved1 = I32(f + l.Reserved1);
        o.Reserved2 = f[l.Reserved1 + 4];
    } else {
        o.Reserved1 = -1;
        o.Reserved2 = 0;
    }
    if (l.Box != kNone)
        for (int k = 0; k < 4; ++k)
            o.Box[size_t(k)] = {F32(f + l.Box + 8 * k), F32(f + l.Box + 8 * k + 4)};
    if (l.Center != kNone) {
        o.CenterX = F32(f + l.Center);
        o.CenterY = F32(f + l.Center + 4);
    }
    o.Layer = std::clamp<int32_t>(I32(f + l.Layer), -64, 64);
    o.Category = I32(f + l.Category);
    o.Locked = f[l.Locked];
    o.ObjectType = f[l.ObjectType];
    o.Count = I32(f + l.Count);
    o.Alpha = l.Alpha != kNone ? f[l.Alpha] : 255;
    o.Pen.Color = U32(f + l.PenColor);
    o.Pen.Style = f[l.PenStyle];
    o.Pen.Width = l.PenWidthIsInt ? float(I32(f + l.PenWidth)) : F32(f + l.PenWidth);
    o.Pen.Flags = I32(f + l.PenFlags);
    o.Brush.Color = U32(f + l.BrushColor);
    o.Brush.Style = f[l.BrushStyle];
    o.HasAddress = f[l.HasAddress];
    o.HasExtra = f[l.HasExtra];
    o.Height = l.Height != kNone ? F32(f + l.Height) : 0.0f;
}

std::unique_ptr<TORBMapAddress> DecodeAddress(const uint8_t* a, const TAddressLayout& l) {
    auto ad = std::make_unique<TORBMapAddress>();
    if (l.Town != kNone) ad->TownCode = I16(a + l.Town);
    ad->StreetCode = I16(a + l.Street);
    ad->House = GetShortString(a + l.House, l.HouseLength);
    if (l.Street1 != kNone) {
        ad->Street1Code = I16(a + l.Street1);
        ad->House1 = GetShortString(a + l.House1, l.HouseLength);
    }
    return ad;
}

// The centre of versions 1 to 3: a text turns about its anchor, everything else about the
// middle of its box.
void CenterFromBox(TORBMapObjectMem& o) {
    const TORBMapPoint lo = o.Box[0], hi = o.Box[2];
    if (o.ObjectType == cText) {
        o.CenterX = lo.X;
        o.CenterY = lo.Y;
        return;
    }
    o.CenterX = lo.X + std::abs(lo.X - hi.X) / 2;
    o.CenterY = lo.Y + std::abs(lo.Y - hi.Y) / 2;
}

class TLegacyRecordReader {
public:
    TLegacyRecordReader(TByteReader& r, const TLegacyFormat& f, const TMapDocument& doc)
        : r_(r), f_(f), doc_(doc) {}

    TReadStatus Read(TOrbMapObjectPtr& out, int depth) {
        out.reset();
        const uint8_t* rec = r_.Take(f_.Record.Size);
        if (!rec) return TReadStatus::EndOfStream;
        auto o = std::make_unique<TORBMapObjectMem>();
        DecodeRecord(rec, f_.Record, *o);
        if (o->HasAddress == 1) {
            const uint8_t* a = r_.Take(f_.Address.Size);
            if (!a) return TReadStatus::EndOfStream;
            o->Address = DecodeAddress(a, f_.Address);
        }
        if (o->HasExtra == 1) {
            const uint8_t* e = r_.Take(kExtraSize);
            if (!e) return TReadStatus::EndOfStream;
            o->Extra = std::make_unique<TORBMapExtra>();
            std::memcpy(o->Extra->data(), e, kExtraSize);
        }
        const TReadStatus st = ReadTypeData(*o, depth);
        if (st != TReadStatus::Ok) return st;
        if (f_.CenterFromBox) CenterFromBox(*o);
        // A group's box takes its children in, so computing once at the top is enough. A stored
        // box that is not a number would poison the extent and the index.
        if (f_.TakeStoredBox ? !BoxIsFinite(o->Box) : depth == 0) doc_.CalcObjectBox(*o);
        out = std::move(o);
        return TReadStatus::Ok;
    }

private:
    TReadStatus ReadTypeData(TORBMapObjectMem& o, int depth) {
        if (IsPointType(o.ObjectType)) return ReadPoints(o);
        switch (o.ObjectType) {
        case cText:
            return f_.Text == TTextForm::Old88 ? ReadOldText(o) : ReadBlock(o);
        case cZametka:
            return f_.Note == TNoteForm::Block ? ReadBlock(o) : ReadOldNote(o);
        case cBitmap:
            return ReadBitmap(o);
        case cGroup:
            return ReadGroup(o, depth);
        default:
            return TReadStatus::Ok; // codes 10..255 carry no data
        }
    }

    TReadStatus ReadPoints(TORBMapObjectMem& o) {
        if (o.Count <= 0) return TReadStatus::Dropped;
        const uint8_t* p = r_.Take(int64_t(o.Count) * 8);
        if (!p) return TReadStatus::EndOfStream;
        if (o.ObjectType == cEllipse && o.Count == 2 && f_.TwoPointEllipse) {
            const float x0 = F32(p), y0 = F32(p + 4), x1 = F32(p + 8), y1 = F32(p + 12);
            o.Count = 4;
            o.Points = std::make_unique<TORBMapPoint[]>(4);
            o.Points[0] = {x0, y0};
            o.Points[1] = {x1, y0};
            o.Points[2] = {x1, y1};
            o.Points[3] = {x0, y1};
            return TReadStatus::Ok;
        }
        o.Points = std::make_unique_for_overwrite<TORBMapPoint[]>(size_t(o.Count));
        std::memcpy(o.Points.get(), p, size_t(o.Count) * 8);
        return TReadStatus::Ok;
    }

    // A text or note block stored as it is kept (versions 8 on).
    TReadStatus ReadBlock(TORBMapObjectMem& o) {
        if (o.Count < 0) return TReadStatus::Dropped;
        if (o.Count == 0) return TReadStatus::Ok;
        const uint8_t* b = r_.Take(o.Count);
        if (!b) return TReadStatus::EndOfStream;
        o.Block = std::make_unique_for_overwrite<uint8_t[]>(size_t(o.Count));
        std::memcpy(o.Block.get(), b, size_t(o.Count));
        if (o.ObjectType == cText && f_.Text == TTextForm::BlockIntSize &&
            o.Count >= kTextBlockHead) {
            const float size = float(I32(b + 13));
            std::memcpy(o.Block.get() + 13, &size, 4);
        }
        return TReadStatus::Ok;
    }

    TReadStatus ReadOldText(TORBMapObjectMem& o) {
        const uint8_t* b = r_.Take(kOldTextSize);
        if (!b) return TReadStatus::EndOfStream;
        TORBMapText t;
        t.X = F32(b);
        t.Y = F32(b + 4);
        t.Angle = I32(b + 8);
        if (f_.AngleInDegrees) t.Angle = int32_t(int64_t(t.Angle) * 10); // wraps like the old
        t.FontIndex = b[12];
        t.Size = float(I32(b + 13));
        t.Text = cp1251::Trim(ShortStringAt(b + 17, 70));
        o.SetText(t);
        return TReadStatus::Ok;
    }

    TReadStatus ReadOldNote(TORBMapObjectMem& o) {
        TORBMapZametka z;
        if (f_.Note == TNoteForm::Old272) {
            const uint8_t* b = r_.Take(kOldNote272Size);
            if (!b) return TReadStatus::EndOfStream;
            z.X = F32(b);
            z.Y = F32(b + 4);
            // The icon's number names a picture of the built-in library.
            z.NameLib = QStringLiteral("DEFAULT");
            z.NamePic = QString::number(I32(b + 8));
            z.Text = ShortStringAt(b + 16, 255);
        } else {
            const uint8_t* b = r_.Take(kOldNote330Size);
            if (!b) return TReadStatus::EndOfStream;
            z.X = F32(b);
            z.Y = F32(b + 4);
            z.NameLib = ShortStringAt(b + 8, 30);
            z.NamePic = ShortStringAt(b + 39, 30);
            z.Text = ShortStringAt(b + 74, 255);
        }
        o.SetZametka(z);
        return TReadStatus::Ok;
    }

    TReadStatus ReadBitmap(TORBMapObjectMem& o) {
        if (f_.Bitmap == TBitmapForm::None) {
            // The old readers took a bare 42-byte head with no picture: nothing to show.
            return r_.Skip(kBitmapHeadSize) ? TReadStatus::Dropped : TReadStatus::EndOfStream;
        }
        const bool head37 = f_.Bitmap == TBitmapForm::Head37;
        const uint8_t* h = r_.Take(head37 ? kBitmapHead12Size : kBitmapHeadSize);
        if (!h) return TReadStatus::EndOfStream;
        auto bm = std::make_unique<TORBMapBitmap>();
        for (int k = 0; k < 4; ++k) bm->Corners[size_t(k)] = {F32(h + 8 * k), F32(h + 8 * k + 4)};
        bm->Format = h[32];
        int32_t length = 0;
        if (head37) {
            bm->Transparent = 0;
            bm->TransparentColor = kWhite;
            length = I32(h + 33);
        } else {
            bm->Transparent = h[33];
            bm->TransparentColor = U32(h + 34);
            length = I32(h + 38);
        }
        if (length < 0) return TReadStatus::Dropped;
        const uint8_t* img = r_.Take(length);
        if (!img) return TReadStatus::EndOfStream;
        if (length > 0) bm->Image = QByteArray(reinterpret_cast<const char*>(img), length);
        o.Count = kBitmapHeadSize;
        o.Bitmap = std::move(bm);
        return TReadStatus::Ok;
    }

    TReadStatus ReadGroup(TORBMapObjectMem& o, int depth) {
        // Before version 4 there were no groups: where the children end is unknown.
        if (!f_.Groups || depth >= kMaxGroupDepth) return TReadStatus::EndOfStream;
        if (o.Count < 0) return TReadStatus::Dropped;
        auto children = std::make_unique<TOrbMapList>();
        children->reserve(
            size_t(std::min<int64_t>(o.Count, int64_t(r_.Remaining() / f_.Record.Size))));
        for (int32_t i = 0; i < o.Count; ++i) {
            TOrbMapObjectPtr child;
            const TReadStatus st = Read(child, depth + 1);
            if (st == TReadStatus::EndOfStream) return st;
            if (st == TReadStatus::Ok) children->push_back(std::move(child));
        }
        o.Count = int32_t(children->size());
        o.Children = std::move(children);
        return TReadStatus::Ok;
    }

    TByteReader& r_;
    const TLegacyFormat& f_;
    const TMapDocument& doc_;
};

} // namespace

void ReadLegacyObjects(TByteReader& r, int32_t version, TMapDocument& doc, TLoadProgress& progress,
                       TLoadReport& report) {
    const TLegacyFormat format = FormatOf(version);
    TLegacyRecordReader reader(r, format, doc);
    const int64_t announced = std::max<int32_t>(doc.Header.ObjectCount, 0);
    for (int64_t k = 0; format.ReadToEnd ? !r.AtEnd() : k < announced; ++k) {
        TOrbMapObjectPtr o;
        const TReadStatus st = reader.Read(o, 0);
        if (st == TReadStatus::EndOfStream) {
            report.Truncated = true;
            break;
        }
        if (st == TReadStatus::Ok)
            doc.Append(std::move(o));
        else
            ++report.ObjectsDropped;
        progress.ObjectDone();
    }
}

} // namespace tsivor::mapdata
