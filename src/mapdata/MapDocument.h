#pragma once
// The map document in memory: header, name tables, object list and extent.

#include "mapdata/MapIndex.h"
#include "mapdata/MapObject.h"
#include "mapdata/NameTable.h"
#include "mapdata/ObjectColumn.h"
#include "mapdata/StreetIndex.h"

#include <QSizeF>

#include <functional>

namespace tsivor::mapdata {

struct TORBMapHeader {
    QString Caption; // ShortString[40], never interpreted
    int32_t Version = 0;
    QString NameMap;   // ShortString[255]
    QString CreatedBy; // ShortString[255]
    int32_t Reserved3 = 0;
    uint8_t Reserved4 = 0;
    int32_t Mashtab = 0; // L map units = L * Mashtab / 1000 metres
    double Date = 0;     // days since 30 Dec 1899
    int32_t ObjectCount = 0;
    int32_t NextId = 0;
    double Scale = 100;
    float XWind = 0, YWind = 0;
    int32_t StreetCount = 0;
    int32_t NextStreetCode = 0;
    int32_t TownCount = 0;
    int32_t NextTownCode = 0;
    uint8_t Reserved5 = 0;
};

struct TMapExtent {
    float MinX = 0, MinY = 0, MaxX = 0, MaxY = 0;
    friend bool operator==(const TMapExtent&, const TMapExtent&) = default;
};

// Measures text with the font of FontIndex at the given height (in pixels of an off-screen
// canvas); the map view installs one that uses its font options.
using TTextMeasurer = std::function<QSizeF(const QString& text, uint8_t fontIndex, double height)>;

// A rough measurer for headless use before a view exists: 0.6 em per character.
QSizeF EstimateTextSize(const QString& text, uint8_t fontIndex, double height);

// Today as a date-time value (days since 30 Dec 1899).
double TodayAsDateTime();

class TMapDocument {
    TOrbMapList FObjects; // first: the members below refer to it

public:
    TMapDocument();
    TMapDocument(TMapDocument&& other) noexcept;
    // Objects and the index refer to this document's own list.
    TMapDocument& operator=(TMapDocument&&) = delete;

    TORBMapHeader Header;
    // Top-level objects in file order, then appends. Read-only here: every change goes through
    // the operations below, which keep the spatial and street indexes current.
    const TOrbMapList& Objects = FObjects;
    TNameTable Streets;
    TNameTable Towns;
    TMapExtent Extent;
    TTextMeasurer MeasureText = EstimateTextSize;
    // The grid of object boxes; off until switched on.
    TOrbMapIndex Index{FObjects};
    // Street code to the objects addressed to it; always kept.
    const TStreetIndex& StreetIndex() const { return FStreetIndex; }
    // Box corners, layer, type, category and pen width of every object, in list order.
    const TObjectColumn& Column() const { return FColumn; }

    int ObjectCount() const { return int(FObjects.size()); }
    TORBMapObjectMem* Object(int index) const {
        return index >= 0 && index < ObjectCount() ? FObjects[size_t(index)].get() : nullptr;
    }

    // Frees every object and empties the tables; the header goes to zero with Scale 100.
    // The spatial index keeps whether it is on.
    void Clear();
    // Box of one object (children of a group first).
    void CalcObjectBox(TORBMapObjectMem& o) const;
    // MinX..MaxY over corners 0 and 2 of all top-level boxes; zero for an empty map.
    void RecalcExtent();
    // The same from the column, for when no record was changed in place since the list was
    // built (a load): one pass over compact entries instead of over every record.
    void RecalcExtentFromColumn();
    // Widens the extent by an object's box without shrinking it.
    void FoldIntoExtent(const TORBMapObjectMem& o);

    // ---- the changes of the object list; each keeps Header.ObjectCount equal to the list,
    // and the column and the indexes current
    void Reserve(int count);
    // Appends an object with its box already computed.
    TORBMapObjectMem& Append(TOrbMapObjectPtr o);
    // Puts o at index (0 <= index <= ObjectCount); later objects move one place up.
    void Insert(int index, TOrbMapObjectPtr o);
    // Removes object index from the list and hands it over; nullptr outside the list.
    TOrbMapObjectPtr Take(int index);
    // Removes and frees object index; the extent is left as it is.
    void Delete(int index);
    // Overwrites object index with o (its box already computed); the old record is freed.
    void Replace(int index, TOrbMapObjectPtr o);
    // Moves the data, address and extra blocks of object index into a copy of its record and
    // returns it; the list record keeps its plain fields without them.
    TOrbMapObjectPtr TakeContent(int index);
    // Moves object index to the end of the list (drawn above the others of its layer) / to
    // position 0 (drawn below them).
    void MoveToEnd(int index);
    void MoveToStart(int index);

    // The decoded address; five empty strings without an address.
    TAdres DecodeAddress(const TORBMapObjectMem& o) const;

private:
    void Added(int index);
    void Removing(int index);

    TStreetIndex FStreetIndex;
    TObjectColumn FColumn;
};

} // namespace tsivor::mapdata
