#include "app/MapFind.h"

#include "mapview/DataMap.h"
#include "platform/Platform.h"

namespace tsivor::app {

namespace {

constexpr int NoCategory = -1;

} // namespace

TMapFind::TMapFind(mapview::TDataMap& map) : FMap(map) {}

void TMapFind::Blink(const std::vector<int>& objects) {
    if (StartBlink && !objects.empty()) StartBlink(objects);
}

void TMapFind::ShowObject(int o) {
    if (o < 0 || o >= FMap.ObjectCount()) return;
    FMap.ZoomToObjects({o}, -1);
    Blink({o});
}

void TMapFind::ShowStreet() {
    if (FStreetObjects.empty()) return;
    FMap.ZoomToObjects(FStreetObjects, -1);
    Blink(FStreetObjects);
}

QString TMapFind::CardNotFoundMessage(const QString& street, const QString& house) const {
    const QString br = QStringLiteral("\n\r");
    return QStringLiteral("Дом № \"") + house + QStringLiteral("\" на улице \"") + street +
           QStringLiteral("\" не найден") + br + br +
           QStringLiteral("Дом с таким адресом появится на карте") + br +
           QStringLiteral("в одном из ближайших выпусков,Цивор.") + br +
           QStringLiteral("Следите за обновлениями программы на сайте ") + WebSite;
}

QString TMapFind::SearchNotFoundMessage(const QString& street, const QString& house) {
    return QStringLiteral("Дом № ") + house + QStringLiteral(" на улице ") + street +
           QStringLiteral(" не найден.");
}

void TMapFind::CardAddressClick(const QString& text) {
    const qsizetype comma = text.indexOf(u',');
    QString street = comma < 0 ? text : text.left(comma);
    while (street.endsWith(u' ')) street.chop(1);
    QString house = comma < 0 ? QString() : text.mid(comma + 1).left(200);
    while (house.startsWith(u' ')) house.remove(0, 1);
    if (ClearBlink) ClearBlink();
    const int f = FMap.FindHouseLike(NoCategory, QString(), house, street);
    if (f != -1) {
        ShowObject(f);
        return;
    }
    // Not on the map yet: at least the street, when it is.
    const int g = FMap.FindHouseLike(NoCategory, QString(), QString(), street);
    if (g != -1) ShowObject(g);
    platform::ShowMessage(CardNotFoundMessage(street, house));
}

void TMapFind::FindStreetHouse(const QString& street, const QString& house) {
    if (house.isEmpty()) {
        if (FindStreetObjects(street) != -1) ShowStreet();
        return;
    }
    const int f = FMap.FindHouse(NoCategory, QString(), house, street);
    if (f != -1) {
        ShowObject(f);
        return;
    }
    if (FindStreetObjects(street) != -1) ShowStreet();
    platform::ShowMessage(SearchNotFoundMessage(street, house));
}

int TMapFind::FindStreetObjects(const QString& name) {
    // Names compare as the map compares them, trimmed and without regard to case: the search
    // dialog lists the streets in upper case.
    FStreetObjects.clear();
    const QString wanted = name.trimmed();
    if (wanted.isEmpty()) return -1;
    for (int i = 0; i < FMap.ObjectCount(); ++i)
        if (FMap.DecodeAddress(*FMap.Object(i))
                .Street.trimmed()
                .compare(wanted, Qt::CaseInsensitive) == 0)
            FStreetObjects.push_back(i);
    return FStreetObjects.empty() ? -1 : FStreetObjects.front();
}

} // namespace tsivor::app
