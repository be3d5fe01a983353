#include "app/MapPick.h"

#include "app/MapFind.h"
#include "app/MapStatus.h"
#include "directory/LikeCondition.h"
#include "mapview/DataMap.h"

#include <utility>

namespace tsivor::app {

namespace {

constexpr int FirstMarkCategory = 100; // categories above 99 are selected as marks
constexpr int LastHouseCategory = 96;  // up to here an object is a house
constexpr int FirstLogoCategory = 97;

// A house number as the inside of a Jet double-quoted string.
QString Quoted(const QString& s) {
    QString q = s;
    q.replace(u'"', QStringLiteral("\"\""));
    return u'"' + q + u'"';
}

} // namespace

QStringList HouseOrganisationsStatement(const QString& street, const QString& house) {
    // DISTINCT: an organisation with two addresses in one house is one card.
    return {QStringLiteral("SELECT DISTINCT Main.*, Adr.Number, Streets.Name"),
            QStringLiteral("FROM Streets INNER JOIN (Main INNER JOIN Adr ON Main.Id = "
                           "Adr.Id_Main) ON Streets.id = Adr.Id_Street"),
            QStringLiteral("WHERE (((Adr.Number)=") + Quoted(house) +
                QStringLiteral(") AND ((Streets.Name) Like \"") + directory::LikeLiteral(street) +
                QStringLiteral("%\")) ORDER BY title")};
}

QString HouseResultKey(const QString& street, const QString& house) {
    return QStringLiteral("house_") + street + house;
}

TMapPick::TMapPick(mapview::TDataMap& map, TMapStatus& status, TMapFind& find, directory::Tdm& dm)
    : FMap(map), FStatus(status), FFind(find), FDm(dm) {}

void TMapPick::RightClick(QPoint pos) {
    const int c = FMap.ObjectAtPoint(FMap.MouseMapX(), FMap.MouseMapY());
    if (c < 0) return;
    if (IsMark && IsMark(c)) {
        if (SelectMark) SelectMark(c);
        return;
    }
    const mapdata::TORBMapObjectMem& o = *FMap.Object(c);
    if (o.Category >= FirstMarkCategory) {
        if (SelectMark) SelectMark(c);
        return;
    }
    if (FFind.ClearBlink) FFind.ClearBlink();
    const mapdata::TAdres a = FMap.DecodeAddress(o);
    QString text;
    if (o.Category < FirstLogoCategory && !a.Street.isEmpty())
        text = a.Street + QStringLiteral(", ") + a.House;
    if (!text.isEmpty()) {
        FStatus.ShowAddressNote(pos, text);
        if (FFind.StartBlink) FFind.StartBlink({c});
    }
    ShowOrganisationsAt(c);
}

void TMapPick::LeftPress(QPoint pos) {
    FLeftPress = pos;
    FPressX = FMap.XWind();
    FPressY = FMap.YWind();
}

void TMapPick::LeftRelease(QPoint pos) {
    const std::optional<QPoint> press = std::exchange(FLeftPress, std::nullopt);
    if (!press || (pos - *press).manhattanLength() > 3 || FMap.XWind() != FPressX ||
        FMap.YWind() != FPressY)
        return; // the map was dragged
    float x = pos.x(), y = pos.y();
    FMap.ScreenToMap(x, y);
    const int c = FMap.ObjectAtPoint(x, y);
    if (c >= 0 && IsMark && IsMark(c) && SelectMark) SelectMark(c);
}

void TMapPick::ShowOrganisationsAt(int c) {
    const mapdata::TORBMapObjectMem& o = *FMap.Object(c);
    const mapdata::TAdres a = FMap.DecodeAddress(o);
    if (!a.Street.isEmpty() && a.House.isEmpty()) {
        // A street without a house number: the whole street blinks.
        if (FFind.FindStreetObjects(a.Street) != -1 && FFind.StartBlink)
            FFind.StartBlink(FFind.StreetObjects());
        return;
    }
    if (o.Category > LastHouseCategory) {
        if (OnLogo) OnLogo(c);
        return;
    }
    // Ground without an address lists nothing (an empty street would match every street).
    if (a.Street.isEmpty()) return;
    const QString key = HouseResultKey(a.Street, a.House);
    if (CurrentKey && CurrentKey() == key) return;
    QString street = a.Street;
    if (street.endsWith(u'.')) street.chop(1);
    street = street.trimmed();
    const QString house = a.House.trimmed();
    directory::TRubricQueries::ReopenOrReport(FDm.QMain,
                                              HouseOrganisationsStatement(street, house));
    if (OnResult)
        OnResult({key, QStringLiteral("Выбрано: ") + street + QStringLiteral(", ") + house,
                  FDm.QMain.RecordCount()});
}

} // namespace tsivor::app
