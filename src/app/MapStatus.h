#pragma once
// The address under the pointer: the two texts of the status line and the address note that a
// click on a house leaves on the map.

#include <QPlainTextEdit>
#include <QPointer>
#include <QString>

class QLabel;

namespace tsivor::mapdata {
struct TORBMapObjectMem;
}
namespace tsivor::mapview {
class TDataMap;
}

namespace tsivor::app {

// A read-only note without border, 220 by 50, on the map control.
class TAddressNote : public QPlainTextEdit {
public:
    static constexpr int NoteWidth = 220;
    static constexpr int NoteHeight = 50;
    static constexpr int KeepDistance = 20; // the pointer may go this far beyond an edge

    TAddressNote(const QString& text, QWidget* map);
    // Placed at click + (20, 10), kept inside the map on the right and at the bottom.
    void PlaceAt(QPoint click);
    // Whether pixel p of the map lies more than KeepDistance beyond any edge.
    bool FarFrom(QPoint p) const;
};

class TMapStatus {
public:
    TMapStatus(mapview::TDataMap& map, QLabel* status0, QLabel* streetHouse);

    // The pointer moved to pixel p of the map: the note goes when far, the texts follow.
    void PointerMoved(QPoint p);
    // A passing message in the status line, until the pointer next moves over the map.
    void ShowNotice(const QString& text);

    // At most one note: a new one replaces the old.
    void ShowAddressNote(QPoint click, const QString& text);
    void RemoveAddressNote();
    TAddressNote* AddressNote() const { return FNote; }

    // Street and house of an object joined by a space; empty without either.
    QString StreetAndHouse(const mapdata::TORBMapObjectMem& o) const;

private:
    mapview::TDataMap& FMap;
    QLabel* FStatus0;
    QLabel* FStreetHouse;
    QPointer<TAddressNote> FNote;
};

} // namespace tsivor::app
