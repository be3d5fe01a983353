#include "mapdata/MapWriter.h"

#include "mapdata/Cp1251.h"
#include "mapdata/MapContentReader.h"
#include "mapdata/MapEnvelope.h"

#include <algorithm>

namespace tsivor::mapdata {
namespace {

template <typename T> void Put(QByteArray& out, T v) {
    out.append(reinterpret_cast<const char*>(&v), sizeof v);
}

void PutText(QByteArray& out, const QString& text, int n) {
    PutShortString(out, cp1251::FromUnicode(text), n);
}

void WriteAddress(QByteArray& out, const TORBMapAddress& a) {
    Put(out, a.TownCode);
    Put(out, a.StreetCode);
    PutShortString(out, a.House, 12);
    Put(out, a.Street1Code);
    PutShortString(out, a.House1, 12);
}

// Bytes of a block, zero-filled where the record has fewer than it announces.
void PutBytes(QByteArray& out, const void* data, int64_t have, int64_t want) {
    const int64_t n = data ? std::min(have, want) : 0;
    if (n > 0) out.append(static_cast<const char*>(data), qsizetype(n));
    if (want > n) out.append(QByteArray(qsizetype(want - n), '\0'));
}

} // namespace

void WriteMapHeader(QByteArray& out, const TMapDocument& doc, int32_t version) {
    const TORBMapHeader& h = doc.Header;
    const int32_t objects = doc.ObjectCount();
    // The tables are stored only together with objects; a header must not announce them
    // otherwise.
    const int32_t streets = objects ? doc.Streets.Count() : 0;
    const int32_t towns = objects ? doc.Towns.Count() : 0;
    PutText(out, h.Caption, 40);
    Put(out, version);
    PutText(out, h.NameMap, 255);
    PutText(out, h.CreatedBy, 255);
    Put(out, h.Reserved3);
    Put(out, h.Reserved4);
    Put(out, h.Mashtab);
    Put(out, h.Date);
    Put(out, objects);
    Put(out, h.NextId);
    Put(out, h.Scale);
    Put(out, h.XWind);
    Put(out, h.YWind);
    Put(out, streets);
    Put(out, h.NextStreetCode);
    Put(out, towns);
    Put(out, h.NextTownCode);
    Put(out, h.Reserved5);
}

void WriteNameTable(QByteArray& out, const TNameTable& table) {
    for (const TNameEntry& e : table.Entries()) {
        Put(out, e.Code);
        PutText(out, e.Name, kNameMaxLength);
    }
}

void WriteObjectRecord(QByteArray& out, const TORBMapObjectMem& o) {
    int32_t count = o.Count;
    if (o.ObjectType == cGroup) count = o.Children ? int32_t(o.Children->size()) : 0;
    if (count < 0) count = 0; // a negative count would be read back as a damaged record
    Put(out, o.ID);
    Put(out, o.Reserved1);
    Put(out, o.Reserved2);
    Put(out, o.CenterX);
    Put(out, o.CenterY);
    Put(out, o.Layer);
    Put(out, o.Category);
    Put(out, o.Locked);
    Put(out, o.ObjectType);
    Put(out, count);
    Put(out, o.Alpha);
    Put(out, o.Pen.Color);
    Put(out, o.Pen.Style);
    Put(out, o.Pen.Width);
    Put(out, o.Pen.Flags);
    Put(out, o.Brush.Color);
    Put(out, o.Brush.Style);
    Put(out, o.HasAddress);
    Put(out, o.HasExtra);
    Put(out, o.Height);
    if (o.HasAddress == 1) WriteAddress(out, o.Address ? *o.Address : TORBMapAddress{});
    if (o.HasExtra == 1) {
        if (o.Extra)
            PutBytes(out, o.Extra->data(), kExtraSize, kExtraSize);
        else
            PutBytes(out, nullptr, 0, kExtraSize);
    }

    if (IsPointType(o.ObjectType)) {
        PutBytes(out, o.Points.get(), int64_t(count) * 8, int64_t(count) * 8);
        return;
    }
    switch (o.ObjectType) {
    case cText:
    case cZametka:
        PutBytes(out, o.Block.get(), count, count);
        break;
    case cBitmap: {
        const TORBMapBitmap empty;
        const TORBMapBitmap& b = o.Bitmap ? *o.Bitmap : empty;
        for (const TORBMapPoint& p : b.Corners) {
            Put(out, p.X);
            Put(out, p.Y);
        }
        Put(out, b.Format);
        Put(out, b.Transparent);
        Put(out, b.TransparentColor);
        Put(out, int32_t(b.Image.size()));
        out.append(b.Image);
        break;
    }
    case cGroup:
        if (o.Children)
            for (const auto& child : *o.Children) WriteObjectRecord(out, *child);
        break;
    default:
        break;
    }
}

bool WriteMapContent(const TMapDocument& doc, const std::function<bool(QByteArray&)>& put) {
    constexpr qsizetype kPiece = 64 * 1024;
    QByteArray out;
    out.reserve(kPiece + kHeaderSize);
    WriteMapHeader(out, doc);
    if (doc.ObjectCount() > 0) {
        WriteNameTable(out, doc.Streets);
        WriteNameTable(out, doc.Towns);
        for (const auto& o : doc.Objects) {
            WriteObjectRecord(out, *o);
            if (out.size() >= kPiece) {
                if (!put(out)) return false;
                out.resize(0); // keeps the room for the next piece
            }
        }
    }
    return out.isEmpty() || put(out);
}

QByteArray WriteMapContent(const TMapDocument& doc) {
    QByteArray whole;
    whole.reserve(kHeaderSize + qsizetype(doc.ObjectCount()) * 128);
    WriteMapContent(doc, [&whole](QByteArray& piece) {
        whole.append(piece);
        return true;
    });
    return whole;
}

bool WriteMapFile(const QString& path, const TMapDocument& doc) {
    TMapFileWriter file(path);
    const bool written =
        WriteMapContent(doc, [&file](QByteArray& piece) { return file.Write(piece); });
    return file.Finish() && written;
}

} // namespace tsivor::mapdata
