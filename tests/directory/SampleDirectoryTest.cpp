#include "TestSupport.h"

#include "CityPlan.h"
#include "SampleParts.h"
#include "directory/DataModule.h"
#include "directory/DirectorySchema.h"
#include "directory/LikeCondition.h"
#include "directory/RubricQueries.h"
#include "mapdata/AddressLookup.h"
#include "mapdata/Cp1251.h"
#include "mapdata/MapLoader.h"

#include <QDir>
#include <QHash>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sqlite3.h>

using namespace tsivor;

namespace {

// One sample deployment (directory part only) shared by the tests of this file.
class SampleDirectory : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        dir = new QTemporaryDir;
        plan = new sample::CityPlan(sample::MakeCityPlan());
        QString error;
        // The map goes first: the directory takes the houses' object numbers from it.
        ok = sample::WriteSampleMap(*plan, dir->path(), &error) &&
             sample::WriteSampleDirectory(*plan, dir->path(), &error);
        message = error;
    }
    static void TearDownTestSuite() {
        delete plan;
        delete dir;
    }
    void SetUp() override {
        ASSERT_TRUE(ok) << message.toStdString();
        QString error;
        ASSERT_TRUE(dm.OpenDirectory(dir->path(), &error)) << error.toStdString();
    }

    // Column names and declared types of a table, "Name TYPE" each.
    static QStringList Columns(const QString& file, const char* table) {
        directory::TDatabase db;
        QString error;
        EXPECT_TRUE(db.Open(file, directory::TDatabase::Mode::ReadOnly, &error));
        directory::TQuery q(&db);
        QStringList out;
        if (!q.Reopen({QStringLiteral("PRAGMA table_info(\"%1\")").arg(QLatin1String(table))}))
            return out;
        for (q.First(); !q.Eof(); q.Next())
            out << q.FieldAsString("name") + u' ' + q.FieldAsString("type").section(u' ', 0, 0);
        return out;
    }
    static QStringList Expected(const directory::TSchemaTable& t) {
        QStringList out;
        for (const auto& c : t.Columns) out << QLatin1String(c.Name) + u' ' + QLatin1String(c.Type);
        return out;
    }
    qint64 Count(const QString& sql) {
        directory::TQuery q(&dm.ADOConnection1);
        EXPECT_TRUE(q.Reopen({"SELECT count(*) AS n FROM (" + sql + ")"}))
            << q.LastError().toStdString();
        return q.FieldAsInteger("n");
    }

    static QTemporaryDir* dir;
    static sample::CityPlan* plan;
    static bool ok;
    static QString message;
    directory::Tdm dm;
};

QTemporaryDir* SampleDirectory::dir = nullptr;
sample::CityPlan* SampleDirectory::plan = nullptr;
bool SampleDirectory::ok = false;
QString SampleDirectory::message;

TEST_F(SampleDirectory, TablesHaveTheProgramsColumnsThenTheUnusedOnes) {
    const QHash<QString, QStringList> unused = {
        {"Main", {"Contacts TEXT", "Show INTEGER", "Utochnen INTEGER", "Pol INTEGER"}},
        {"Streets", {"show INTEGER"}},
        {"Phones", {"delete INTEGER"}},
    };
    for (const auto& t : directory::DirectoryTables())
        EXPECT_EQ(
            Columns(QDir(dir->path()).filePath("info.db"), t.Name),
            (Expected(t) + unused.value(t.Name) + QStringList{"TimeStamp TEXT", "TimeCreate TEXT"}))
            << t.Name;
    for (const auto& t : directory::HousesTables())
        EXPECT_EQ(Columns(QDir(dir->path()).filePath("houses/houses.db"), t.Name), Expected(t))
            << t.Name;
}

TEST_F(SampleDirectory, SizeAndAdvertisedOrganisations) {
    const qint64 orgs = Count("SELECT Id FROM Main");
    EXPECT_GE(orgs, 300);
    EXPECT_LE(orgs, 600);
    EXPECT_EQ(Count("SELECT Id FROM Main WHERE Id BETWEEN 1 AND 20 AND Color <> 0"), 20);
    EXPECT_GT(Count("SELECT Id FROM Main WHERE AutoLoad <> 0"), 0);
    EXPECT_GT(Count("SELECT Id FROM Main WHERE length(Memo) > 3"), 100);
    EXPECT_GT(Count("SELECT Id FROM Main WHERE Mail like \"%@%\""), 50);
    // Every organisation has a rubric and an address, so the multi-criteria search finds it.
    EXPECT_EQ(Count("SELECT Id FROM Main WHERE Id NOT IN (SELECT Id_Main FROM Jumps)"), 0);
    EXPECT_EQ(Count("SELECT Id FROM Main WHERE Id NOT IN (SELECT Id_Main FROM Adr)"), 0);
    EXPECT_EQ(Count("SELECT Id FROM Adr WHERE Id_Street NOT IN (SELECT id FROM Streets)"), 0);
    EXPECT_GT(Count("SELECT Id FROM Phones"), 300);
}

TEST_F(SampleDirectory, AddressesAreHousesOfThePlan) {
    directory::TQuery q(&dm.ADOConnection1);
    ASSERT_TRUE(q.Reopen({"SELECT Streets.Name, Adr.Number FROM Streets INNER JOIN Adr ON "
                          "Streets.id = Adr.Id_Street",
                          "WHERE Streets.Name <> \"Приреченск\" AND Adr.id_map >= 0"}));
    QSet<QString> houses;
    for (const auto& h : plan->Houses) houses.insert(h.Street + u'|' + h.House);
    ASSERT_GT(q.RecordCount(), 300);
    for (q.First(); !q.Eof(); q.Next())
        EXPECT_TRUE(houses.contains(q.FieldAsString("Name") + u'|' + q.FieldAsString("Number")));
}

TEST_F(SampleDirectory, MapObjectNumbersPointAtTheHouses) {
    mapdata::TMapDocument doc;
    mapdata::TMapLoadHost host;
    ASSERT_TRUE(mapdata::MapLoad(QDir(dir->path()).filePath("info1.db"), doc, host));
    directory::TQuery q(&dm.ADOConnection1);
    ASSERT_TRUE(
        q.Reopen({"SELECT Streets.Name, Adr.Number, Adr.id_map, Main.ids",
                  "FROM Main INNER JOIN (Streets INNER JOIN Adr ON Streets.id = Adr.Id_Street)",
                  "ON Main.Id = Adr.Id_Main WHERE Adr.id_map >= 0"}));
    ASSERT_GT(q.RecordCount(), 300);
    for (q.First(); !q.Eof(); q.Next()) {
        const auto* o = doc.Object(int(q.FieldAsInteger("id_map")));
        ASSERT_NE(o, nullptr);
        const mapdata::TAdres a = doc.DecodeAddress(*o);
        const QString street = cp1251::Key(q.FieldAsString("Name")),
                      house = cp1251::Key(q.FieldAsString("Number"));
        EXPECT_TRUE((cp1251::Key(a.Street) == street && cp1251::Key(a.House) == house) ||
                    (cp1251::Key(a.Street1) == street && cp1251::Key(a.House1) == house));
        EXPECT_TRUE((";" + q.FieldAsString("ids")).contains(";" + q.FieldAsString("id_map") + ";"));
    }
}

TEST_F(SampleDirectory, QuickRubricsHaveOrganisations) {
    directory::TRubricQueries rubrics(dm);
    test::FakePlatform platform;
    ASSERT_TRUE(rubrics.OpenRubricLists());
    for (const auto& r : directory::QuickRubrics()) {
        const auto result = rubrics.ShowQuickRubric(r.Tag, "");
        ASSERT_TRUE(result);
        EXPECT_GT(result->Rows, 0) << r.Hint.toStdString();
    }
    // The rubric without links is not listed.
    EXPECT_FALSE(dm.QJumpsAll.Locate("Name", QString::fromUtf8("Прокат лодок")));
    EXPECT_TRUE(platform.messages.isEmpty());
}

TEST_F(SampleDirectory, RealEstateListingsCoverSectionsAndDistricts) {
    ASSERT_TRUE(QFile::exists(QDir(dir->path()).filePath("houses/houses.db")));
    directory::TDatabase db;
    QString error;
    ASSERT_TRUE(db.Open(QDir(dir->path()).filePath("houses/houses.db"),
                        directory::TDatabase::Mode::ReadOnly, &error));
    directory::TQuery q(&db);
    ASSERT_TRUE(q.Reopen({"SELECT count(DISTINCT Operation) AS o, count(DISTINCT District) AS d,",
                          "count(DISTINCT Rooms) AS r, count(*) AS n FROM Base"}));
    EXPECT_EQ(q.FieldAsInteger("o"), 4);
    EXPECT_EQ(q.FieldAsInteger("d"), 7);
    EXPECT_EQ(q.FieldAsInteger("r"), 6);
    EXPECT_GE(q.FieldAsInteger("n"), 100);
    ASSERT_TRUE(q.Reopen({"SELECT count(*) AS n FROM Raion"}));
    EXPECT_EQ(q.FieldAsInteger("n"), 7);
}

TEST_F(SampleDirectory, WritingIsDeterministic) {
    QTemporaryDir again;
    QString error;
    ASSERT_TRUE(sample::WriteSampleMap(*plan, again.path(), &error));
    ASSERT_TRUE(sample::WriteSampleDirectory(*plan, again.path(), &error));
    directory::Tdm other;
    ASSERT_TRUE(other.OpenDirectory(again.path(), &error));
    const QStringList dump = {
        "SELECT group_concat(Id || Title || Memo || Mail || ids, '|') AS s FROM Main"};
    directory::TQuery a(&dm.ADOConnection1), b(&other.ADOConnection1);
    ASSERT_TRUE(a.Reopen(dump));
    ASSERT_TRUE(b.Reopen(dump));
    EXPECT_EQ(a.FieldAsString("s"), b.FieldAsString("s"));
}

} // namespace

namespace {

// The statements other parts of the program send, as they write them, on the sample data.
class StatementsOfTheProgram : public SampleDirectory {};

TEST_F(StatementsOfTheProgram, CardDetails) {
    ASSERT_TRUE(dm.qTopics.Reopen({"SELECT Main.Id, Topics.Name",
                                   "FROM Main INNER JOIN (Topics INNER JOIN Jumps ON Topics.id = "
                                   "Jumps.Id_Topic) ON Main.Id = Jumps.Id_Main",
                                   "WHERE (((Main.Id)=1))"}))
        << dm.qTopics.LastError().toStdString();
    EXPECT_EQ(dm.qTopics.RecordCount(), 2);
    ASSERT_TRUE(
        dm.qAdr.Reopen({"SELECT Adr.Id_Main, Adr.Id, Adr.Adr_Pre, Adr.Adr_Post, Streets.Name, "
                        "Adr.Number, adr.id_map",
                        "FROM Streets INNER JOIN Adr ON Streets.id = Adr.Id_Street",
                        "WHERE (((Adr.Id_Main)=1))"}));
    ASSERT_GE(dm.qAdr.RecordCount(), 1);
    EXPECT_GE(dm.qAdr.FieldAsInteger("id_MAP"), 0);
    ASSERT_TRUE(dm.qPhones.Reopen(
        {"SELECT Phones.Id_Adr, Phones.Kind, Phones.Phone, Phones.Comment", "FROM Phones",
         "WHERE (((Phones.Id_Adr)=" + dm.qAdr.FieldAsString("Id") + "))"}));
}

TEST_F(StatementsOfTheProgram, HouseOfTheMapAndShowByIds) {
    const sample::PlanHouse& h = plan->Houses[size_t(plan->Advertised[0])];
    ASSERT_TRUE(dm.QMain.Reopen(
        {"SELECT Main.*, Adr.Number, Streets.Name",
         "FROM Streets INNER JOIN (Main INNER JOIN Adr ON Main.Id = Adr.Id_Main) ON "
         "Streets.id = Adr.Id_Street",
         "WHERE (((Adr.Number)=\"" + h.House + "\") AND ((Streets.Name) Like \"" +
             cp1251::Key(h.Street) + "%\")) ORDER BY title"}))
        << dm.QMain.LastError().toStdString();
    EXPECT_TRUE(dm.QMain.Locate("Id", 1, false));
    ASSERT_TRUE(dm.QMain.Reopen(
        {"SELECT * FROM Main", "WHERE (id=3) or (id=1) or (id=2)", "order by Main.Autoload desc"}));
    ASSERT_EQ(dm.QMain.RecordCount(), 3);
    EXPECT_EQ(dm.QMain.FieldAsInteger("Id"), 1);
}

TEST_F(StatementsOfTheProgram, MultiCriteriaSearch) {
    const QString condition =
        " and ( " +
        directory::BuildLikeCondition("Streets.Name", QString::fromUtf8("лен"), "and", true) + " )";
    const QStringList joins = {"FROM Topics INNER JOIN (Streets INNER JOIN",
                               " ((Main INNER JOIN (Adr LEFT JOIN Phones ON Adr.Id",
                               " = Phones.Id_Adr) ON Main.Id = Adr.Id_Main) INNER JOIN",
                               " Jumps ON Main.Id = Jumps.Id_Main) ON Streets.id = Adr.Id_Street)",
                               " ON Topics.id = Jumps.Id_Topic"};
    ASSERT_TRUE(dm.QStrPhone.Reopen(QStringList{"SELECT DISTINCTrow Main.Id, Main.Title"} + joins +
                                    QStringList{"WHERE 1=1" + condition, "order by Main.Title"}))
        << dm.QStrPhone.LastError().toStdString();
    const int count = dm.QStrPhone.RecordCount();
    EXPECT_GT(count, 0);
    ASSERT_TRUE(dm.QMain.Reopen(QStringList{"SELECT distinctrow Main.*"} + joins +
                                QStringList{"WHERE 1=1" + condition, "order by Main.Title"}));
    EXPECT_EQ(dm.QMain.RecordCount(), count);
}

TEST_F(StatementsOfTheProgram, RealEstateSearch) {
    directory::TDatabase db;
    QString error;
    ASSERT_TRUE(db.Open(QDir(dir->path()).filePath("houses/houses.db"),
                        directory::TDatabase::Mode::ReadOnly, &error));
    directory::TQuery q(&db);
    ASSERT_TRUE(q.Reopen({directory::Tdm::BuildHousesStatement(
        "( (Operation=1) ) and ( (District=1) or  (District=2)) and ( (Rooms=0) or  (Rooms>=4))",
        "Base.Operation, Base.District, Base.Rooms;")}))
        << q.LastError().toStdString();
    ASSERT_GT(q.RecordCount(), 0);
    bool sawSrt = false;
    for (q.First(); !q.Eof(); q.Next()) {
        EXPECT_EQ(q.FieldAsString("Operations.Name"), QString::fromUtf8("Продажа"));
        EXPECT_FALSE(q.FieldAsString("Raion.Name").isEmpty());
        const QString rooms = q.FieldAsString("Rooms1");
        sawSrt |= rooms == QString::fromUtf8("СРТ/КСС");
        EXPECT_TRUE(rooms == QString::fromUtf8("СРТ/КСС") || rooms.toInt() >= 4)
            << rooms.toStdString();
        const QString price = q.FieldAsString("Summa1");
        EXPECT_TRUE(price == QString::fromUtf8("Дог.") || price.toInt() > 0) << price.toStdString();
    }
    EXPECT_TRUE(sawSrt);
    ASSERT_TRUE(
        q.Reopen({directory::Tdm::BuildHousesStatement("( (phone=\"+\") )", "Base.Operation;")}));
    EXPECT_GT(q.RecordCount(), 0);
}

} // namespace

namespace {

// The sample directory checked against the map it describes.
class SampleAgainstTheMap : public SampleDirectory {
protected:
    void SetUp() override {
        SampleDirectory::SetUp();
        mapdata::TMapLoadHost host;
        ASSERT_TRUE(mapdata::MapLoad(QDir(dir->path()).filePath("info1.db"), doc, host));
    }
    // The street and house the real-estate search takes from a listing's address.
    static std::pair<QString, QString> ListingStreetAndHouse(const QString& adr) {
        QString street, rest = adr;
        const qsizetype comma = adr.indexOf(u','), space = adr.indexOf(u' ');
        if (comma >= 0 || space >= 0) {
            const qsizetype cut = comma >= 0 ? comma : space;
            street = adr.left(cut);
            rest = adr.mid(cut + 1);
        }
        const qsizetype last = street.lastIndexOf(u' ');
        if (last > 5 && street.size() - last - 1 < 6) street.truncate(last);
        if (rest.contains(u'-')) rest.truncate(rest.indexOf(u'-'));
        return {street.trimmed(), rest.trimmed()};
    }
    mapdata::TMapDocument doc;
};

TEST_F(SampleAgainstTheMap, OrganisationAddressesFindTheirHouses) {
    mapdata::TAddressLookup lookup(doc);
    directory::TQuery q(&dm.ADOConnection1);
    ASSERT_TRUE(q.Reopen({"SELECT Streets.Name, Adr.Number, Adr.id_map",
                          "FROM Streets INNER JOIN Adr ON Streets.id = Adr.Id_Street",
                          "WHERE Streets.Name <> \"Приреченск\""}));
    int onMap = 0, offMap = 0;
    for (q.First(); !q.Eof(); q.Next()) {
        std::vector<int> found;
        lookup.FindHouse(-1, "", q.FieldAsString("Number"), q.FieldAsString("Name"), found);
        const int object = int(q.FieldAsInteger("id_map"));
        if (object >= 0) {
            ++onMap;
            EXPECT_NE(std::find(found.begin(), found.end(), object), found.end())
                << q.FieldAsString("Name").toStdString() << " " << object;
        } else {
            ++offMap;
            EXPECT_TRUE(found.empty()) << q.FieldAsString("Number").toStdString();
        }
    }
    EXPECT_GT(onMap, 300);
    EXPECT_GT(offMap, 0); // houses built after the map
}

TEST_F(SampleAgainstTheMap, AddressesWithoutAStreetAreFiledUnderTheCitysName) {
    directory::TQuery q(&dm.ADOConnection1);
    ASSERT_TRUE(q.Reopen({"SELECT Adr.Adr_Pre, Adr.Number, Adr.id_map FROM Streets INNER JOIN Adr",
                          "ON Streets.id = Adr.Id_Street WHERE Streets.Name = \"приреченск\""}));
    ASSERT_GT(q.RecordCount(), 0);
    for (q.First(); !q.Eof(); q.Next()) {
        EXPECT_EQ(q.FieldAsInteger("id_map"), -1);
        EXPECT_FALSE(q.FieldAsString("Adr_Pre").isEmpty());
    }
}

TEST_F(SampleAgainstTheMap, ListingAddressesLeadToHousesOfTheMap) {
    directory::TDatabase db;
    QString error;
    ASSERT_TRUE(db.Open(QDir(dir->path()).filePath("houses/houses.db"),
                        directory::TDatabase::Mode::ReadOnly, &error));
    directory::TQuery q(&db);
    ASSERT_TRUE(q.Reopen({"SELECT Adr FROM Base"}));
    mapdata::TAddressLookup lookup(doc);
    int commas = 0, spaces = 0, flats = 0;
    for (q.First(); !q.Eof(); q.Next()) {
        const QString adr = q.FieldAsString("Adr");
        const auto [street, house] = ListingStreetAndHouse(adr);
        std::vector<int> found;
        EXPECT_GE(lookup.FindHouseLike(-1, "", house, street, found), 0) << adr.toStdString();
        (adr.contains(u',') ? commas : spaces)++;
        flats += adr.contains(u'-');
    }
    EXPECT_GT(commas, 0);
    EXPECT_GT(spaces, 0);
    EXPECT_GT(flats, 0);
}

TEST_F(SampleAgainstTheMap, CardMarksAndAttachments) {
    directory::TQuery q(&dm.ADOConnection1);
    ASSERT_TRUE(q.Reopen({"SELECT Header FROM Main WHERE Header <> \"\""}));
    ASSERT_GT(q.RecordCount(), 0);
    // The pictures writer draws header/head_1 .. head_20.
    for (q.First(); !q.Eof(); q.Next()) {
        const QString name = q.FieldAsString("Header");
        const int n = name.mid(5).toInt();
        EXPECT_TRUE(name.startsWith("head_") && n >= 1 && n <= 20) << name.toStdString();
    }
    ASSERT_TRUE(q.Reopen({"SELECT count(*) AS n FROM Main WHERE Color <> 0 AND Id > 20"}));
    EXPECT_GT(q.FieldAsInteger("n"), 0);
    ASSERT_TRUE(q.Reopen({"SELECT count(*) AS n FROM Main WHERE len(File) > 1"}));
    EXPECT_GT(q.FieldAsInteger("n"), 0);
}

// The rubric statements on the sample data answer as Jet would.
TEST_F(SampleAgainstTheMap, RubricStatementsOnTheSample) {
    directory::TRubricQueries rubrics(dm);
    test::FakePlatform platform;
    ASSERT_TRUE(rubrics.OpenRubricLists());
    ASSERT_TRUE(rubrics.FilterRubrics(QString::fromUtf8("ап/ка")));
    QStringList lower;
    for (dm.QJumps.First(); !dm.QJumps.Eof(); dm.QJumps.Next())
        lower << dm.QJumps.FieldAsString("Name");
    EXPECT_TRUE(lower.contains(QString::fromUtf8("Аптеки")));
    EXPECT_TRUE(lower.contains(QString::fromUtf8("Кафе")));
    ASSERT_TRUE(rubrics.FilterRubrics(QString::fromUtf8("АП/КА")));
    QStringList upper;
    for (dm.QJumps.First(); !dm.QJumps.Eof(); dm.QJumps.Next())
        upper << dm.QJumps.FieldAsString("Name");
    EXPECT_EQ(upper, lower);
    // "ё" and "е" are different letters to Jet's like, the case is not.
    ASSERT_TRUE(rubrics.FilterRubrics(QString::fromUtf8("ЁЛОЧ")));
    EXPECT_EQ(dm.QJumps.RecordCount(), 1);
    EXPECT_FALSE(rubrics.FilterRubrics(QString::fromUtf8("елоч")));

    // Organisation 1 is in two of the three medical rubrics: listed once.
    ASSERT_TRUE(rubrics.LoadRubrics("471/468/718", ""));
    int first = 0;
    for (dm.QMain.First(); !dm.QMain.Eof(); dm.QMain.Next())
        first += dm.QMain.FieldAsInteger("Id") == 1;
    EXPECT_EQ(first, 1);
}

} // namespace
