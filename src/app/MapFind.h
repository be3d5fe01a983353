#pragma once
// TMapFind: finding an address of the directory on the map — a card's address link and the
// street search — bringing it into view within ScaleFind and making it blink.

#include <QString>

#include <functional>
#include <vector>

namespace tsivor::mapview {
class TDataMap;
}

namespace tsivor::app {

class TMapFind {
public:
    explicit TMapFind(mapview::TDataMap& map);

    // Blinking is the map's; the window sets how a blink starts and ends.
    std::function<void(const std::vector<int>&)> StartBlink;
    std::function<void()> ClearBlink;
    // The site named in the message about a house not yet on the map.
    QString WebSite = QStringLiteral("www.tsivor.example");

    // OnCardAddressClick: "street, house" of a card's address link.
    void CardAddressClick(const QString& text);
    // The street search dialog's answer; an empty house shows the whole street.
    void FindStreetHouse(const QString& street, const QString& house);

    // Every object whose decoded street is name (trimmed, any case), in list order; the first
    // or -1.
    int FindStreetObjects(const QString& name);
    const std::vector<int>& StreetObjects() const { return FStreetObjects; }

    // Fits the view to object o within ScaleFind and blinks it.
    void ShowObject(int o);

    // The messages for a house that is not on the map.
    QString CardNotFoundMessage(const QString& street, const QString& house) const;
    static QString SearchNotFoundMessage(const QString& street, const QString& house);

private:
    void Blink(const std::vector<int>& objects);
    void ShowStreet();

    mapview::TDataMap& FMap;
    std::vector<int> FStreetObjects;
};

} // namespace tsivor::app
