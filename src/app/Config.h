#pragma once
// The configuration file tsivor.ini: every key with its default, and the texts built from it.

#include "directory/MegaSearch.h"
#include "platform/IniFile.h"

#include <QString>

#include <array>

namespace tsivor::app {

using platform::TIniFile;

// Section Main, read at start.
struct TMainSettings {
    int Year = 2003;
    int Month = 0; // 1..12; anything else gives an empty month name
    QString City;
    QString Citya; // the city in the genitive; City + "а" when absent
    QString PhoneS;
    QString PhoneM;
    QString WWW; // the start page link shows only when not empty

    static constexpr int MaxContactLength = 100; // PhoneS, PhoneM and WWW keep this many

    void Load(const TIniFile& ini);
};

// Section Mas, read at start; the names are the keys.
struct TMasSettings {
    int min_3 = 70;       // map option MinScale3D
    int min_adr = 200;    // map option MinScaleAddress
    int logo_p = 200;     // logo category 98 shows while Scale exceeds it
    int logo_rub = 30;    // logo category 97 shows while Scale exceeds it
    int font = 100;       // house-number font size = Scale / font
    int scale_find = 600; // map property ScaleFind
    int Mashtab = 4520;   // map property Mashtab, set after each load

    void Load(const TIniFile& ini);
};

// Section Map: the tabs and panels, read at start, and the view saved at exit.
struct TMapSettings {
    static constexpr double NoSavedView = 333;

    int nedv = 1;            // 0 hides the real-estate tab
    int Pan = 0;             // 1 shows the quick-rubric panel
    double P1 = NoSavedView; // view XWind
    double P2 = NoSavedView; // view YWind
    double M1 = NoSavedView; // view Scale

    bool ShowRealEstate() const { return nedv != 0; }
    bool ShowQuickRubrics() const { return Pan == 1; }
    bool HasSavedView() const { return M1 != NoSavedView; }

    void Load(const TIniFile& ini);
    // Written at exit; false when the file could not be stored (ini.LastError tells why).
    static bool SaveView(TIniFile& ini, double xWind, double yWind, double scale);
};

// Section Buttons, read at the first show of the main window, written at exit.
struct TButtonSettings {
    bool View3D = true; // key "3d"
    bool Mini = true;

    void Load(const TIniFile& ini);
    bool Save(TIniFile& ini) const;
};

// Section FindTools: the columns of the keyword search (their defaults are the search's own)
// and counting while typing.
struct TFindToolsSettings : directory::TKeywordColumns {
    bool Preview = true;

    void Load(const TIniFile& ini);
    bool Save(TIniFile& ini) const;
    friend bool operator==(const TFindToolsSettings&, const TFindToolsSettings&) = default;
};

// Everything read at start, in one value.
struct TTsivorConfig {
    TMainSettings Main;
    TMasSettings Mas;
    TMapSettings Map;
    TButtonSettings Buttons;
    TFindToolsSettings FindTools;

    void Load(const TIniFile& ini);
};

// Keys read on each use.
QString ReadHelpNumber(const TIniFile& ini);     // Main/Help: N of chm\chm_N.chm
QString ReadRealEstateDate(const TIniFile& ini); // zhilinfo/lastdate

// Month names by month number 0..12; 0 has none.
extern const std::array<QString, 13> MonthNames;
// "Сентябрь ' 2003": the name of month mod 13 (empty outside 0..12), " ' ", the year.
QString BuildReleaseTitle(int month, int year);
// "Электронная карта г. " + Citya.
QString BuildStartSubtitle(const TMainSettings& main);
// "Цивор - " + City + " за " + release title.
QString BuildMainCaption(const QString& city, const QString& releaseTitle);

// The project's web site, named in the map title.
inline constexpr auto ProjectWebAddress = "www.tsivor.example";
constexpr int MaxNameMapLength = 255;
// "Цивор-" + City + " телефонный справочник организаций (" + web site + ")", at most 255.
QString BuildNameMap(const QString& city);

} // namespace tsivor::app
