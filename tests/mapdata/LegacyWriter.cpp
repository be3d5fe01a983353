#include "LegacyWriter.h"

#include "mapdata/Cp1251.h"
#include "mapdata/MapWriter.h"

#include <cstring>

namespace tsivor::mapdata::testmaps {
namespace {

template <typename T> void Put(QByteArray& out, T v) {
    out.append(reinterpret_cast<const char*>(&v), sizeof v);
}

void PutText(QByteArray& out, const QString& text, int n) {
    PutShortString(out, cp1251::FromUnicode(text), n);
}

// Versions 1 to 9: the old header; 602 bytes, 610 with the town fields of version 9.
void WriteOldHeader(QByteArray& out, const TMapDocument& doc, int version) {
    const TORBMapHeader& h = doc.Header;
    PutText(out, h.Caption, 40);
    Put<int32_t>(out, version);
    PutText(out, h.NameMap, 255);
    PutText(out, h.CreatedBy, 255);
    Put(out, h.Reserved3);
    Put<uint8_t>(out, 0xEE); // byte 561: never read
    Put(out, h.Mashtab);
    Put(out, h.Date);
    Put<int32_t>(out, doc.ObjectCount());
    Put(out, h.NextId);
    Put<int32_t>(out, 0x7777); // 582: not taken over
    Put(out, h.XWind);
    Put(out, h.YWind);
    Put<int32_t>(out, doc.Streets.Count());
    Put(out, h.NextStreetCode);
    if (version == 9) {
        Put<int32_t>(out, doc.Towns.Count());
        Put(out, h.NextTownCode);
    }
}

// The Count field as the old record held it: fixed record sizes for old texts and notes, the
// children for a group.
int32_t StoredCount(const TORBMapObjectMem& o, int version) {
    if (o.ObjectType == cText && version <= 7) return 88;
    if (o.ObjectType == cZametka && version <= 4) return 272;
    if (o.ObjectType == cZametka && version <= 7) return 330;
    if (o.ObjectType == cGroup) return o.Children ? int32_t(o.Children->size()) : 0;
    return o.Count;
}

void PutBox(QByteArray& out, const TORBMapObjectMem& o) {
    for (const TORBMapPoint& p : o.Box) {
        Put(out, p.X);
        Put(out, p.Y);
    }
}

void PutPen(QByteArray& out, const TORBMapPen& p, bool intWidth) {
    Put(out, p.Color);
    Put(out, p.Style);
    if (intWidth)
        Put<int32_t>(out, int32_t(p.Width));
    else
        Put(out, p.Width);
    Put(out, p.Flags);
}

void PutBrushAndFlags(QByteArray& out, const TORBMapObjectMem& o) {
    Put(out, o.Brush.Color);
    Put(out, o.Brush.Style);
    Put(out, o.HasAddress);
    Put(out, o.HasExtra);
}

// The head of a record in each group of versions: which fields it holds, in the order of
// today's record.
struct THeadLayout {
    bool Reserved, Box, Centre, Alpha, IntPenWidth, Height;
};

THeadLayout HeadOf(int version) {
    if (version <= 3) return {false, true, false, false, true, false};         // 70 bytes
    if (version <= 7) return {true, true, true, false, version <= 6, false};   // 83 bytes
    if (version <= 11) return {true, false, true, false, true, version == 11}; // 51, 55 bytes
    return {true, false, true, true, version == 12, true};                     // 56 bytes
}

void WriteRecordHead(QByteArray& out, const TORBMapObjectMem& o, int version) {
    const THeadLayout l = HeadOf(version);
    Put(out, o.ID);
    if (l.Reserved) {
        Put(out, o.Reserved1);
        Put(out, o.Reserved2);
    }
    if (l.Box) PutBox(out, o);
    if (l.Centre) {
        Put(out, o.CenterX);
        Put(out, o.CenterY);
    }
    Put(out, o.Layer);
    Put(out, o.Category);
    Put(out, o.Locked);
    Put(out, o.ObjectType);
    Put(out, StoredCount(o, version));
    if (l.Alpha) Put(out, o.Alpha);
    PutPen(out, o.Pen, l.IntPenWidth);
    PutBrushAndFlags(out, o);
    if (l.Height) Put(out, o.Height);
}

void WriteAddress(QByteArray& out, const TORBMapAddress& a, int version) {
    if (version >= 9) Put(out, a.TownCode);
    Put(out, a.StreetCode);
    PutShortString(out, a.House, version <= 3 ? 4 : 6);
    if (version >= 7) {
        Put(out, a.Street1Code);
        PutShortString(out, a.House1, 6);
    }
}

void WriteText(QByteArray& out, const TORBMapObjectMem& o, int version) {
    TORBMapText t;
    o.GetText(t);
    if (version >= 8) {
        QByteArray block = PackText(t);
        if (version <= 12) {
            const int32_t size = int32_t(t.Size);
            std::memcpy(block.data() + 13, &size, 4);
        }
        out += block;
        return;
    }
    Put(out, t.X);
    Put(out, t.Y);
    Put(out, t.Angle);
    Put(out, t.FontIndex);
    Put<int32_t>(out, int32_t(t.Size));
    PutText(out, t.Text, 70);
}

void WriteNote(QByteArray& out, const TORBMapObjectMem& o, int version) {
    TORBMapZametka z;
    o.GetZametka(z);
    if (version >= 8) {
        out += PackZametka(z);
        return;
    }
    Put(out, z.X);
    Put(out, z.Y);
    if (version <= 4) {
        Put<int32_t>(out, z.NamePic.toInt());
        Put<int32_t>(out, 0x5A5A5A5A);
    } else {
        PutText(out, z.NameLib, 30);
        PutText(out, z.NamePic, 30);
        Put<int32_t>(out, 0x5A5A5A5A);
    }
    PutText(out, z.Text, 255);
}

void WriteBitmap(QByteArray& out, const TORBMapObjectMem& o, int version) {
    const TORBMapBitmap b = o.Bitmap ? *o.Bitmap : TORBMapBitmap{};
    for (const TORBMapPoint& p : b.Corners) {
        Put(out, p.X);
        Put(out, p.Y);
    }
    Put(out, b.Format);
    if (version <= 11) {
        out += QByteArray(kBitmapHeadSize - 33, '\x11');
        return;
    }
    if (version == 13) {
        Put(out, b.Transparent);
        Put(out, b.TransparentColor);
    }
    Put<int32_t>(out, int32_t(b.Image.size()));
    out += b.Image;
}

void WriteObject(QByteArray& out, const TORBMapObjectMem& o, int version) {
    WriteRecordHead(out, o, version);
    if (o.HasAddress == 1) WriteAddress(out, o.Address ? *o.Address : TORBMapAddress{}, version);
    if (o.HasExtra == 1) {
        const TORBMapExtra extra = o.Extra ? *o.Extra : TORBMapExtra{};
        out.append(reinterpret_cast<const char*>(extra.data()), kExtraSize);
    }
    if (IsPointType(o.ObjectType)) {
        if (o.Count > 0 && o.Points)
            out.append(reinterpret_cast<const char*>(o.Points.get()), qsizetype(o.Count) * 8);
        return;
    }
    switch (o.ObjectType) {
    case cText:
        WriteText(out, o, version);
        break;
    case cZametka:
        WriteNote(out, o, version);
        break;
    case cBitmap:
        WriteBitmap(out, o, version);
        break;
    case cGroup:
        if (version >= 4 && o.Children)
            for (const auto& c : *o.Children) WriteObject(out, *c, version);
        break;
    default:
        break;
    }
}

} // namespace

QByteArray WriteLegacyContent(const TMapDocument& doc, int version) {
    QByteArray out;
    if (version <= 9)
        WriteOldHeader(out, doc, version);
    else
        WriteMapHeader(out, doc, version); // the header of today with the old version number
    if (doc.ObjectCount() == 0) return out;
    WriteNameTable(out, doc.Streets);
    if (version >= 9) WriteNameTable(out, doc.Towns);
    for (const auto& o : doc.Objects) WriteObject(out, *o, version);
    return out;
}

} // namespace tsivor::mapdata::testmaps
