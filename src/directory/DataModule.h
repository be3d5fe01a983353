#pragma once
// The data module: the two database connections and the query objects every search uses.

#include "directory/Database.h"
#include "directory/Query.h"

#include <QString>

namespace tsivor::directory {

class Tdm {
public:
    Tdm();
    Tdm(const Tdm&) = delete;
    Tdm& operator=(const Tdm&) = delete;

    TDatabase ADOConnection1; // directory, info.db
    TDatabase ADOConnection2; // real estate, houses/houses.db

    TQuery QJumps;    // rubric list of the list box
    TQuery QJumpsAll; // all rubrics, for looking one up by name
    TQuery QMain;     // organisations of the current result; AfterOpen fills the cards
    TQuery qTopics;   // rubrics of one organisation
    TQuery qAdr;      // addresses of one organisation
    TQuery qPhones;   // telephones of one address
    TQuery QStrPhone; // counting query of the multi-criteria search
    TQuery QHouses;   // real-estate listings

    // Opening at start: both connections closed, the directory opened from exeDir, the real
    // estate tried. False when the directory cannot be opened; error then holds the message
    // to show before the program ends.
    bool OpenAtStart(const QString& exeDir, QString* error);

    // exeDir/info.db (or its import when it is an Access file).
    bool OpenDirectory(const QString& exeDir, QString* error);
    // Tried only when houses/houses.db exists relative to the working directory; the file
    // opened is the one under exeDir. Failures are kept in HousesError(), never raised.
    bool OpenHouses(const QString& exeDir);
    void CloseHouses();
    // Close and the same steps as at start, after the update module was started.
    bool ReconnectHouses(const QString& exeDir) {
        CloseHouses();
        return OpenHouses(exeDir);
    }

    // The real-estate search is offered exactly while this is true.
    bool HousesAvailable() const { return ADOConnection2.IsOpen(); }
    // Why the last attempt to open the real-estate database failed; empty when it did not.
    QString HousesError() const { return housesError_; }

    // The one-line statement of QHouses: listings with section, district, agency; rooms 0
    // shown as "СРТ/КСС", price 0 as "Дог.".
    static QString BuildHousesStatement(const QString& condition, const QString& order);

    static QString DirectoryPath(const QString& exeDir);
    static QString HousesPath(const QString& exeDir);

private:
    QString housesError_;
};

} // namespace tsivor::directory
