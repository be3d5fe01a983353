#include "app/Config.h"
#include "app/AppGlobals.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace tsivor::app;

namespace {

class ConfigTest : public testing::Test {
protected:
    TIniFile Ini(const QByteArray& text) {
        QFile f(dir.filePath("tsivor.ini"));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(text);
        f.close();
        return TIniFile(f.fileName());
    }
    QTemporaryDir dir;
};

} // namespace

TEST_F(ConfigTest, MissingFileGivesEveryDefault) {
    TTsivorConfig c;
    c.Load(TIniFile(dir.filePath("absent.ini")));
    EXPECT_EQ(c.Main.Year, 2003);
    EXPECT_EQ(c.Main.Month, 0);
    EXPECT_TRUE(c.Main.City.isEmpty());
    EXPECT_EQ(c.Main.Citya, QStringLiteral("а"));
    EXPECT_TRUE(c.Main.WWW.isEmpty());
    EXPECT_EQ(c.Mas.min_3, 70);
    EXPECT_EQ(c.Mas.min_adr, 200);
    EXPECT_EQ(c.Mas.logo_p, 200);
    EXPECT_EQ(c.Mas.logo_rub, 30);
    EXPECT_EQ(c.Mas.font, 100);
    EXPECT_EQ(c.Mas.scale_find, 600);
    EXPECT_EQ(c.Mas.Mashtab, 4520);
    EXPECT_TRUE(c.Map.ShowRealEstate());
    EXPECT_FALSE(c.Map.ShowQuickRubrics());
    EXPECT_FALSE(c.Map.HasSavedView());
    EXPECT_TRUE(c.Buttons.View3D);
    EXPECT_TRUE(c.Buttons.Mini);
    EXPECT_EQ(c.FindTools, TFindToolsSettings{});
    EXPECT_TRUE(c.FindTools.Comment && c.FindTools.Title && c.FindTools.Rubrica &&
                c.FindTools.Preview);
    EXPECT_FALSE(c.FindTools.Street || c.FindTools.House || c.FindTools.Phone);
}

TEST_F(ConfigTest, ValuesAreReadFromTheFile) {
    TTsivorConfig c;
    c.Load(Ini(QStringLiteral("[Main]\nYear=2009\nMonth=9\nCity=Заречинск\nCitya=Заречинска\n"
                              "PhoneS=22-33-44\n[Mas]\nmin_3=50\nMashtab=3000\n"
                              "[Map]\nnedv=0\nPan=1\nM1=800\n[Buttons]\n3d=0\nMini=5\n"
                              "[FindTools]\nStreet=1\nPreview=0\n")
                   .toUtf8()));
    EXPECT_EQ(c.Main.Year, 2009);
    EXPECT_EQ(c.Main.Month, 9);
    EXPECT_EQ(c.Main.City, QStringLiteral("Заречинск"));
    EXPECT_EQ(c.Main.Citya, QStringLiteral("Заречинска"));
    EXPECT_EQ(c.Main.PhoneS, "22-33-44");
    EXPECT_EQ(c.Mas.min_3, 50);
    EXPECT_EQ(c.Mas.Mashtab, 3000);
    EXPECT_FALSE(c.Map.ShowRealEstate());
    EXPECT_TRUE(c.Map.ShowQuickRubrics());
    EXPECT_TRUE(c.Map.HasSavedView());
    EXPECT_FALSE(c.Buttons.View3D);
    EXPECT_TRUE(c.Buttons.Mini);
    EXPECT_TRUE(c.FindTools.Street);
    EXPECT_FALSE(c.FindTools.Preview);
}

TEST_F(ConfigTest, CityaAbsentIsCityWithA) {
    TMainSettings m;
    m.Load(Ini(QStringLiteral("[Main]\nCity=Заречинск\n").toUtf8()));
    EXPECT_EQ(BuildStartSubtitle(m), QStringLiteral("Электронная карта г. Заречинска"));
}

TEST_F(ConfigTest, ContactsKeepTheirFirstHundredCharacters) {
    const QString longPhone = QString(99, u'1') + QStringLiteral("ЖЖЖ");
    TMainSettings m;
    m.Load(Ini((QStringLiteral("[Main]\nPhoneS=") + longPhone + QStringLiteral("\nPhoneM=") +
                longPhone + QStringLiteral("\nWWW=") + longPhone + QStringLiteral("\nCity=") +
                longPhone + u'\n')
                   .toUtf8()));
    const QString cut = QString(99, u'1') + QStringLiteral("Ж");
    EXPECT_EQ(m.PhoneS, cut);
    EXPECT_EQ(m.PhoneM, cut);
    EXPECT_EQ(m.WWW, cut);
    EXPECT_EQ(m.City, longPhone); // only the contacts are limited
}

TEST_F(ConfigTest, NonNumbersFallBackToTheDefault) {
    TTsivorConfig c;
    c.Load(Ini("[Main]\nYear=two thousand\nMonth=9.5\n[Mas]\nmin_adr=\nscale_find=abc\n"
               "[Map]\nnedv=x\nP1=far\n[Buttons]\n3d=yes\n"));
    EXPECT_EQ(c.Main.Year, 2003);
    EXPECT_EQ(c.Main.Month, 0);
    EXPECT_EQ(c.Mas.min_adr, 200);
    EXPECT_EQ(c.Mas.scale_find, 600);
    EXPECT_EQ(c.Map.nedv, 1);
    EXPECT_EQ(c.Map.P1, 333);
    EXPECT_TRUE(c.Buttons.View3D);
}

TEST_F(ConfigTest, ZeroFontDivisorFallsBackToTheDefault) {
    TMasSettings m;
    m.Load(Ini("[Mas]\nfont=0\n"));
    EXPECT_EQ(m.font, 100);
    m.Load(Ini("[Mas]\nfont=-4\n"));
    EXPECT_EQ(m.font, 100);
    m.Load(Ini("[Mas]\nfont=80\n"));
    EXPECT_EQ(m.font, 80);
}

TEST_F(ConfigTest, SavedKeysReadBack) {
    TIniFile ini = Ini("[Main]\nCity=A\n");
    ASSERT_TRUE(TMapSettings::SaveView(ini, 1200.5, -30.25, 950));
    TButtonSettings b;
    b.View3D = false;
    ASSERT_TRUE(b.Save(ini));
    TFindToolsSettings f;
    f.Comment = false;
    f.Phone = true;
    ASSERT_TRUE(f.Save(ini));

    TTsivorConfig c;
    c.Load(ini);
    EXPECT_EQ(c.Main.City, "A");
    EXPECT_DOUBLE_EQ(c.Map.P1, 1200.5);
    EXPECT_DOUBLE_EQ(c.Map.P2, -30.25);
    EXPECT_DOUBLE_EQ(c.Map.M1, 950);
    EXPECT_FALSE(c.Buttons.View3D);
    EXPECT_TRUE(c.Buttons.Mini);
    EXPECT_EQ(c.FindTools, f);
    EXPECT_EQ(ini.ReadString("FindTools", "Comment", ""), "0");
    EXPECT_EQ(ini.ReadString("FindTools", "Phone", ""), "1");
}

TEST_F(ConfigTest, SavingIntoAMissingFolderFails) {
    TIniFile ini(dir.filePath("gone/tsivor.ini"));
    EXPECT_FALSE(TMapSettings::SaveView(ini, 1, 2, 3));
    EXPECT_FALSE(ini.LastError().isEmpty());
}

TEST_F(ConfigTest, KeysReadOnEachUse) {
    TIniFile ini = Ini("[Main]\nHelp=3\n[zhilinfo]\nlastdate=01.02.2009\n");
    EXPECT_EQ(ReadHelpNumber(ini), "3");
    EXPECT_EQ(ReadRealEstateDate(ini), "01.02.2009");
    EXPECT_TRUE(ReadHelpNumber(TIniFile(dir.filePath("none.ini"))).isEmpty());
}

TEST(ReleaseTitle, NamesTheMonthAndYear) {
    EXPECT_EQ(BuildReleaseTitle(9, 2003), QStringLiteral("Сентябрь ' 2003"));
    EXPECT_EQ(BuildReleaseTitle(1, 2010), QStringLiteral("Январь ' 2010"));
    EXPECT_EQ(BuildReleaseTitle(12, 2010), QStringLiteral("Декабрь ' 2010"));
    EXPECT_EQ(BuildReleaseTitle(14, 2004), QStringLiteral("Январь ' 2004")); // 14 mod 13
}

TEST(ReleaseTitle, MonthsWithoutANameBeginWithTheSpace) {
    for (int month : {0, 13, 26, 1300, -1, -13, -27})
        EXPECT_EQ(BuildReleaseTitle(month, 2003), QStringLiteral(" ' 2003")) << month;
}

TEST(Captions, MainWindowAndMapTitle) {
    EXPECT_EQ(BuildMainCaption(QStringLiteral("Заречинск"), BuildReleaseTitle(3, 2005)),
              QStringLiteral("Цивор - Заречинск за Март ' 2005"));
    EXPECT_EQ(BuildNameMap(QStringLiteral("Заречинск")),
              QStringLiteral("Цивор-Заречинск телефонный справочник организаций "
                             "(www.tsivor.example)"));
}

TEST(Captions, NameMapIsCutTo255Characters) {
    const QString city(300, u'Я');
    const QString name = BuildNameMap(city);
    EXPECT_EQ(name.size(), MaxNameMapLength);
    EXPECT_EQ(name, (QStringLiteral("Цивор-") + city).left(255));
    // Exactly at the limit nothing is lost.
    const QString tail = QStringLiteral(" телефонный справочник организаций (www.tsivor.example)");
    const QString fits(255 - 6 - int(tail.size()), u'Б');
    EXPECT_EQ(BuildNameMap(fits).size(), 255);
    EXPECT_TRUE(BuildNameMap(fits).endsWith(u')'));
}

TEST(AppGlobals, StartValues) {
    const TAppGlobals g;
    EXPECT_EQ(g.MinScale, 5.0);
    EXPECT_EQ(g.MaxScale, 4000.0);
    EXPECT_FALSE(g.MainFormShown);
    EXPECT_FALSE(g.StartPageClosed);
    EXPECT_TRUE(g.CurrentResultKey.isEmpty());
    EXPECT_EQ(&Globals(), &Globals());
}
