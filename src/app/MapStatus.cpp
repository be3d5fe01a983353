#include "app/MapStatus.h"

#include "mapview/DataMap.h"

#include <QLabel>

namespace tsivor::app {

TAddressNote::TAddressNote(const QString& text, QWidget* map) : QPlainTextEdit(map) {
    setObjectName(QStringLiteral("AddressNote"));
    setReadOnly(true);
    setFrameStyle(QFrame::NoFrame);
    setFocusPolicy(Qt::NoFocus);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    QFont f = font();
    f.setPointSize(10);
    setFont(f);
    QPalette p = palette();
    p.setColor(QPalette::Base, QColor(245, 240, 137));
    p.setColor(QPalette::Text, Qt::black);
    setPalette(p);
    resize(NoteWidth, NoteHeight);
    setPlainText(text);
}

void TAddressNote::PlaceAt(QPoint click) {
    const QWidget* map = parentWidget();
    int x = click.x() + 20, y = click.y() + 10;
    if (map && x + width() > map->width()) x = map->width() - width() - 10;
    if (map && y + height() > map->height()) y = click.y() - height();
    move(x, y);
}

bool TAddressNote::FarFrom(QPoint p) const {
    return p.x() < x() - KeepDistance || p.x() > x() + width() + KeepDistance ||
           p.y() < y() - KeepDistance || p.y() > y() + height() + KeepDistance;
}

TMapStatus::TMapStatus(mapview::TDataMap& map, QLabel* status0, QLabel* streetHouse)
    : FMap(map), FStatus0(status0), FStreetHouse(streetHouse) {}

QString TMapStatus::StreetAndHouse(const mapdata::TORBMapObjectMem& o) const {
    const mapdata::TAdres a = FMap.DecodeAddress(o);
    return (a.Street + u' ' + a.House).trimmed();
}

void TMapStatus::PointerMoved(QPoint p) {
    FMap.SetMousePos(p);
    if (FNote && FNote->FarFrom(p)) RemoveAddressNote();
    const float x = FMap.MouseMapX(), y = FMap.MouseMapY();
    // ObjectAtPoint lists every object at the point (FindObjectsAt) before it picks the
    // topmost; the lowest of that list names the ground under the pointer.
    const int top = FMap.ObjectAtPoint(x, y);
    const mapdata::TORBMapObjectMem* o = top >= 0 ? FMap.Object(top) : nullptr;
    FStreetHouse->setText(o ? StreetAndHouse(*o) : QString());
    const mapdata::TORBMapObjectMem* lowest =
        FMap.FoundObjects.empty() ? nullptr : FMap.Object(FMap.FoundObjects.front());
    FStatus0->setText(lowest ? StreetAndHouse(*lowest) : QString());
}

void TMapStatus::ShowNotice(const QString& text) {
    FStatus0->setText(text);
}

void TMapStatus::ShowAddressNote(QPoint click, const QString& text) {
    RemoveAddressNote();
    FNote = new TAddressNote(text, &FMap);
    FNote->PlaceAt(click);
    FNote->show();
}

void TMapStatus::RemoveAddressNote() {
    delete FNote.data();
}

} // namespace tsivor::app
