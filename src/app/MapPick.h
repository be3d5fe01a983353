#pragma once
// TMapPick: a right click on the map in the main tool. A mark selects its organisations; a
// house shows its address note, blinks and lists the organisations there as cards; a street
// without a house number blinks the whole street.

#include "directory/RubricQueries.h"

#include <QPoint>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>
#include <vector>

namespace tsivor::mapview {
class TDataMap;
}

namespace tsivor::app {

class TMapFind;
class TMapStatus;

// QMain's statement for the organisations at house number house of street street.
QStringList HouseOrganisationsStatement(const QString& street, const QString& house);
// "house_" street house: the key of that result.
QString HouseResultKey(const QString& street, const QString& house);

class TMapPick {
public:
    TMapPick(mapview::TDataMap& map, TMapStatus& status, TMapFind& find, directory::Tdm& dm);

    // The marks of the current result (TResultMarks), when they are wired.
    std::function<bool(int object)> IsMark;
    std::function<void(int object)> SelectMark;
    // A logo on the map (categories above 96).
    std::function<void(int object)> OnLogo;
    // The result now shown (key and title), and the key of the result on show.
    std::function<void(const directory::TDirectoryResult&)> OnResult;
    std::function<QString()> CurrentKey;

    // The right button went down at pixel pos (the mouse position is already recorded).
    void RightClick(QPoint pos);
    // The left button in the main tool: a click that did not move the map selects the mark
    // under it as the right button does.
    void LeftPress(QPoint pos);
    void LeftRelease(QPoint pos);

    // Step 4 of a click on a house: the organisations at object o (its address decoded).
    void ShowOrganisationsAt(int o);

private:
    mapview::TDataMap& FMap;
    TMapStatus& FStatus;
    TMapFind& FFind;
    directory::Tdm& FDm;
    std::optional<QPoint> FLeftPress;
    double FPressX = 0, FPressY = 0; // the view then
};

} // namespace tsivor::app
