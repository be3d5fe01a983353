#include "app/Config.h"

namespace tsivor::app {
namespace {

const QString kMain = QStringLiteral("Main");
const QString kMas = QStringLiteral("Mas");
const QString kMap = QStringLiteral("Map");
const QString kButtons = QStringLiteral("Buttons");
const QString kFindTools = QStringLiteral("FindTools");

QString ReadContact(const TIniFile& ini, const QString& key) {
    return ini.ReadString(kMain, key, QString()).left(TMainSettings::MaxContactLength);
}

} // namespace

void TMainSettings::Load(const TIniFile& ini) {
    const TMainSettings d;
    Year = ini.ReadInteger(kMain, QStringLiteral("Year"), d.Year);
    Month = ini.ReadInteger(kMain, QStringLiteral("Month"), d.Month);
    City = ini.ReadString(kMain, QStringLiteral("City"), QString());
    Citya = ini.ReadString(kMain, QStringLiteral("Citya"), City + QStringLiteral("а"));
    PhoneS = ReadContact(ini, QStringLiteral("PhoneS"));
    PhoneM = ReadContact(ini, QStringLiteral("PhoneM"));
    WWW = ReadContact(ini, QStringLiteral("WWW"));
}

void TMasSettings::Load(const TIniFile& ini) {
    const TMasSettings d;
    min_3 = ini.ReadInteger(kMas, QStringLiteral("min_3"), d.min_3);
    min_adr = ini.ReadInteger(kMas, QStringLiteral("min_adr"), d.min_adr);
    logo_p = ini.ReadInteger(kMas, QStringLiteral("logo_p"), d.logo_p);
    logo_rub = ini.ReadInteger(kMas, QStringLiteral("logo_rub"), d.logo_rub);
    font = ini.ReadInteger(kMas, QStringLiteral("font"), d.font);
    // font divides the scale; zero or a negative divisor would give no usable font size.
    if (font <= 0) font = d.font;
    scale_find = ini.ReadInteger(kMas, QStringLiteral("scale_find"), d.scale_find);
    Mashtab = ini.ReadInteger(kMas, QStringLiteral("Mashtab"), d.Mashtab);
}

void TMapSettings::Load(const TIniFile& ini) {
    const TMapSettings d;
    nedv = ini.ReadInteger(kMap, QStringLiteral("nedv"), d.nedv);
    Pan = ini.ReadInteger(kMap, QStringLiteral("Pan"), d.Pan);
    P1 = ini.ReadFloat(kMap, QStringLiteral("P1"), d.P1);
    P2 = ini.ReadFloat(kMap, QStringLiteral("P2"), d.P2);
    M1 = ini.ReadFloat(kMap, QStringLiteral("M1"), d.M1);
}

bool TMapSettings::SaveView(TIniFile& ini, double xWind, double yWind, double scale) {
    return ini.WriteFloat(kMap, QStringLiteral("P1"), xWind) &&
           ini.WriteFloat(kMap, QStringLiteral("P2"), yWind) &&
           ini.WriteFloat(kMap, QStringLiteral("M1"), scale);
}

void TButtonSettings::Load(const TIniFile& ini) {
    const TButtonSettings d;
    View3D = ini.ReadBool(kButtons, QStringLiteral("3d"), d.View3D);
    Mini = ini.ReadBool(kButtons, QStringLiteral("Mini"), d.Mini);
}

bool TButtonSettings::Save(TIniFile& ini) const {
    return ini.WriteBool(kButtons, QStringLiteral("3d"), View3D) &&
           ini.WriteBool(kButtons, QStringLiteral("Mini"), Mini);
}

void TFindToolsSettings::Load(const TIniFile& ini) {
    const TFindToolsSettings d;
    Comment = ini.ReadBool(kFindTools, QStringLiteral("Comment"), d.Comment);
    Title = ini.ReadBool(kFindTools, QStringLiteral("Title"), d.Title);
    Rubrica = ini.ReadBool(kFindTools, QStringLiteral("Rubrica"), d.Rubrica);
    Street = ini.ReadBool(kFindTools, QStringLiteral("Street"), d.Street);
    House = ini.ReadBool(kFindTools, QStringLiteral("House"), d.House);
    Phone = ini.ReadBool(kFindTools, QStringLiteral("Phone"), d.Phone);
    Preview = ini.ReadBool(kFindTools, QStringLiteral("Preview"), d.Preview);
}

bool TFindToolsSettings::Save(TIniFile& ini) const {
    return ini.WriteBool(kFindTools, QStringLiteral("Comment"), Comment) &&
           ini.WriteBool(kFindTools, QStringLiteral("Title"), Title) &&
           ini.WriteBool(kFindTools, QStringLiteral("Rubrica"), Rubrica) &&
           ini.WriteBool(kFindTools, QStringLiteral("Street"), Street) &&
           ini.WriteBool(kFindTools, QStringLiteral("House"), House) &&
           ini.WriteBool(kFindTools, QStringLiteral("Phone"), Phone) &&
           ini.WriteBool(kFindTools, QStringLiteral("Preview"), Preview);
}

void TTsivorConfig::Load(const TIniFile& ini) {
    Main.Load(ini);
    Mas.Load(ini);
    Map.Load(ini);
    Buttons.Load(ini);
    FindTools.Load(ini);
}

QString ReadHelpNumber(const TIniFile& ini) {
    return ini.ReadString(kMain, QStringLiteral("Help"), QString());
}

QString ReadRealEstateDate(const TIniFile& ini) {
    return ini.ReadString(QStringLiteral("zhilinfo"), QStringLiteral("lastdate"), QString());
}

const std::array<QString, 13> MonthNames = {
    QString(),
    QStringLiteral("Январь"),
    QStringLiteral("Февраль"),
    QStringLiteral("Март"),
    QStringLiteral("Апрель"),
    QStringLiteral("Май"),
    QStringLiteral("Июнь"),
    QStringLiteral("Июль"),
    QStringLiteral("Август"),
    QStringLiteral("Сентябрь"),
    QStringLiteral("Октябрь"),
    QStringLiteral("Ноябрь"),
    QStringLiteral("Декабрь"),
};

QString BuildReleaseTitle(int month, int year) {
    // The remainder keeps the sign of month, so negative months name no month either.
    const int m = month % 13;
    const QString name = m >= 0 ? MonthNames[size_t(m)] : QString();
    return name + QStringLiteral(" ' ") + QString::number(year);
}

QString BuildStartSubtitle(const TMainSettings& main) {
    return QStringLiteral("Электронная карта г. ") + main.Citya;
}

QString BuildMainCaption(const QString& city, const QString& releaseTitle) {
    return QStringLiteral("Цивор - ") + city + QStringLiteral(" за ") + releaseTitle;
}

QString BuildNameMap(const QString& city) {
    return (QStringLiteral("Цивор-") + city +
            QStringLiteral(" телефонный справочник организаций (") +
            QLatin1String(ProjectWebAddress) + QStringLiteral(")"))
        .left(MaxNameMapLength);
}

} // namespace tsivor::app
