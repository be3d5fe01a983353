#pragma once
// The map object record and its attribute blocks: the one record type of every map object.

#include "mapdata/Cp1251.h"

#include <QByteArray>
#include <QString>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

namespace tsivor::mapdata {

using TColor = uint32_t; // 0x00BBGGRR

enum TObjectType : uint8_t {
    cPolygon = 0,
    cLine = 1,
    cPixel = 2,
    cText = 3,
    cBitmap = 4,
    cBezier = 5,
    cEllipse = 6,
    cZametka = 7,
    cGroup = 8,
    cBezierFill = 9,
};

// Name of a type code as written into the diagnostic log; empty for codes 10 and above.
const char* ObjectTypeName(int type);
// Codes 0, 1, 2, 5, 6 and 9 carry Count points.
constexpr bool IsPointType(int type) {
    return type == cPolygon || type == cLine || type == cPixel || type == cBezier ||
           type == cEllipse || type == cBezierFill;
}

struct TORBMapPoint {
    float X = 0;
    float Y = 0;
    friend bool operator==(const TORBMapPoint&, const TORBMapPoint&) = default;
};
static_assert(sizeof(TORBMapPoint) == 8);

// Pen flags.
constexpr int32_t kPenSquareEnds = 1; // bit 0: square line ends, clear: round
constexpr int32_t kPenCasing = 2;     // bit 1: drawn with a casing in the brush colour
constexpr int32_t kPenHostDrawn = -1; // all bits: the host draws the line (OnPixelLineEvent)

struct TORBMapPen {
    TColor Color = 0;
    uint8_t Style =
        0;           // 0 solid, 1 dash, 2 dot, 3 dash-dot, 4 dash-dot-dot, 5 clear, 6 inside frame
    float Width = 0; // map units; <= 0 draws one device pixel
    int32_t Flags = 0;
    friend bool operator==(const TORBMapPen&, const TORBMapPen&) = default;
};

struct TORBMapBrush {
    TColor Color = 0;
    uint8_t Style = 0; // 0 solid, 1 clear, 2 horiz, 3 vert, 4 fdiag, 5 bdiag, 6 cross, 7 diagcross
    friend bool operator==(const TORBMapBrush&, const TORBMapBrush&) = default;
};

// A house number: at most 12 cp1251 bytes, held in the address itself rather than apart, as
// a large map has a million of them.
class THouseNumber {
public:
    static constexpr int kCapacity = 12;

    THouseNumber() = default;
    // Bytes beyond the capacity are cut off.
    THouseNumber(const QByteArray& bytes) { *this = bytes; }
    THouseNumber& operator=(const QByteArray& bytes) {
        FSize = uint8_t(std::min<qsizetype>(bytes.size(), kCapacity));
        std::memcpy(FBytes.data(), bytes.constData(), FSize);
        return *this;
    }
    operator QByteArray() const { return QByteArray(FBytes.data(), FSize); }
    // The number as it is shown.
    QString Text() const { return cp1251::ToUnicode(FBytes.data(), FSize); }

    const char* constData() const { return FBytes.data(); }
    int size() const { return FSize; }
    bool isEmpty() const { return FSize == 0; }
    void clear() { FSize = 0; }

    friend bool operator==(const THouseNumber& a, const THouseNumber& b) {
        return a.FSize == b.FSize && std::memcmp(a.FBytes.data(), b.FBytes.data(), a.FSize) == 0;
    }
    friend bool operator==(const THouseNumber& a, const QByteArray& b) {
        return QByteArrayView(a.FBytes.data(), a.FSize) == b;
    }

private:
    std::array<char, kCapacity> FBytes{};
    uint8_t FSize = 0;
};

// Address block; names are codes into the street and town tables.
struct TORBMapAddress {
    int16_t TownCode = -1;
    int16_t StreetCode = -1;
    int16_t Street1Code = -1;
    THouseNumber House;
    THouseNumber House1;
    friend bool operator==(const TORBMapAddress&, const TORBMapAddress&) = default;
};

// Decoded address; an unknown code gives an empty string.
struct TAdres {
    QString Town, Street, House, Street1, House1;
    friend bool operator==(const TAdres&, const TAdres&) = default;
};

using TORBMapExtra = std::array<uint8_t, 51>;

// The unpacked text block of a cText.
struct TORBMapText {
    float X = 0, Y = 0;
    int32_t Angle = 0;     // tenths of a degree
    uint8_t FontIndex = 0; // 1: FontSystem1, else FontSystem
    float Size = 0;        // font height in map units
    QString Text;
};

// The unpacked note block of a cZametka.
struct TORBMapZametka {
    float X = 0, Y = 0;
    QString NameLib; // at most 30 characters
    QString NamePic; // at most 30 characters
    QString Text;
};

// The head of a cBitmap with the picture file it owns.
struct TORBMapBitmap {
    std::array<TORBMapPoint, 4> Corners{}; // same corner order as Box
    uint8_t Format = 0;                    // 0 BMP, 1 JPEG
    uint8_t Transparent = 0;
    TColor TransparentColor = 0;
    QByteArray Image; // the complete BMP or JPEG file
};

struct TORBMapObjectMem;
using TOrbMapObjectPtr = std::unique_ptr<TORBMapObjectMem>;
using TOrbMapList = std::vector<TOrbMapObjectPtr>;

constexpr int kTextBlockHead = 21; // X, Y, Angle, FontIndex, Size, Length
constexpr int kNoteBlockHead = 74; // X, Y, NameLib[31], NamePic[31], Length
constexpr int kBitmapHeadSize = 42;
constexpr int kExtraSize = 51;
constexpr int kAddressSize = 32;

struct TORBMapObjectMem {
    int32_t ID = 0;
    int32_t Reserved1 = 0;
    uint8_t Reserved2 = 0;
    std::array<TORBMapPoint, 4> Box{}; // (MinX,MinY),(MaxX,MinY),(MaxX,MaxY),(MinX,MaxY)
    float CenterX = 0, CenterY = 0;
    int32_t Layer = 0; // -64..64
    int32_t Category = 0;
    uint8_t Locked = 0;
    uint8_t ObjectType = cPolygon;
    int32_t Count = 0;
    TORBMapPen Pen;
    TORBMapBrush Brush;
    uint8_t HasAddress = 0;
    uint8_t HasExtra = 0;
    float Height = 0;
    uint8_t Alpha = 255;

    // Type data; at most one of the four is set, all empty means "no data".
    std::unique_ptr<TORBMapPoint[]> Points;  // point types: Count points
    std::unique_ptr<uint8_t[]> Block;        // cText, cZametka: Count bytes, packed as in the file
    std::unique_ptr<TORBMapBitmap> Bitmap;   // cBitmap
    std::unique_ptr<TOrbMapList> Children;   // cGroup: Count children, owned
    std::unique_ptr<TORBMapAddress> Address; // when HasAddress is 1
    std::unique_ptr<TORBMapExtra> Extra;     // when HasExtra is 1; kept, never read

    bool HasData() const { return Points || Block || Bitmap || Children; }

    // Point access; no effect (false) outside the point types or the range.
    bool GetPoint(int index, TORBMapPoint& p) const;
    // Without points the object gets the one point p whatever index is; an index past the
    // last point appends one point at the end instead.
    bool SetPoint(int index, TORBMapPoint p);
    // Before index (0 <= index <= Count).
    bool InsertPoint(int index, TORBMapPoint p);
    // The points block goes when the last point does.
    bool DeletePoint(int index);

    // Text and note blocks, packed and unpacked. Get* return false without a matching block.
    bool GetText(TORBMapText& t) const;
    void SetText(const TORBMapText& t); // makes the object a cText with a fresh block
    bool GetZametka(TORBMapZametka& z) const;
    void SetZametka(const TORBMapZametka& z); // makes the object a cZametka with a fresh block

    // A deep copy: blocks, picture, children, address and extra.
    TOrbMapObjectPtr Clone() const;
};

// A deep copy that takes the ID nextId (which then grows by one), its children theirs depth
// first. The anchor of a text or note, the corners of a bitmap and every point, and the centre
// of all but a group, are shifted by (dx, dy).
TOrbMapObjectPtr CopyWithNewIds(const TORBMapObjectMem& o, int32_t& nextId, float dx = 0,
                                float dy = 0);

// Everything but the type data, the address and the extra block.
void CopyPlainFields(const TORBMapObjectMem& from, TORBMapObjectMem& to);

// Bytes of type data by the data size rule (children for a group, block head for a bitmap).
int64_t DataSize(const TORBMapObjectMem& o);

// Packed text/note blocks; the length fields tell the text size.
QByteArray PackText(const TORBMapText& t);
bool UnpackText(const uint8_t* block, int size, TORBMapText& t);
QByteArray PackZametka(const TORBMapZametka& z);
bool UnpackZametka(const uint8_t* block, int size, TORBMapZametka& z);

// A ShortString[n] as stored: length byte then n bytes (zero padded).
void PutShortString(QByteArray& out, const QByteArray& text, int n);
QByteArray GetShortString(const uint8_t* at, int n);

} // namespace tsivor::mapdata
