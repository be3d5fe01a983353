#include "DirectoryFixture.h"
#include "TestSupport.h"

#include "directory/JetImport.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

using namespace tsivor::directory;

namespace {

QString Jet4File() {
    return QDir(tsivor::test::SharedTestData()).filePath("jet/unicode-jet4.mdb");
}

bool WriteBytes(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

class JetImport : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        // The shared test data lies beside the checkout, not in it.
        if (!QFileInfo::exists(tsivor::test::SharedTestData()))
            GTEST_SKIP() << "no " << tsivor::test::SharedTestData().toStdString();
        jet = tsivor::test::ReadFile(Jet4File());
        ASSERT_FALSE(jet.isEmpty()) << "missing " << Jet4File().toStdString();
    }
    QString Path(const char* name) const { return dir.filePath(QString::fromUtf8(name)); }
    QTemporaryDir dir;
    QByteArray jet;
};

TEST_F(JetImport, TellsFormatsByTheirHeaders) {
    EXPECT_EQ(DetectDatabaseFormat(Jet4File()), TDatabaseFormat::Jet);
    EXPECT_EQ(DetectDatabaseFormat(Path("none.db")), TDatabaseFormat::Missing);
    ASSERT_TRUE(WriteBytes(Path("text.db"), "just some text"));
    EXPECT_EQ(DetectDatabaseFormat(Path("text.db")), TDatabaseFormat::Unknown);
    TDatabase db;
    ASSERT_TRUE(db.Open(Path("s.db"), TDatabase::Mode::Create, nullptr));
    ASSERT_TRUE(db.Exec("CREATE TABLE t (a)"));
    db.Close();
    EXPECT_EQ(DetectDatabaseFormat(Path("s.db")), TDatabaseFormat::SQLite);
}

TEST_F(JetImport, Jet4CyrillicArrivesAsUtf8) {
    QString error;
    ASSERT_TRUE(ImportJetDatabase(Jet4File(), Path("u.sqlite"), &error)) << error.toStdString();
    TDatabase db;
    ASSERT_TRUE(db.Open(Path("u.sqlite"), TDatabase::Mode::ReadOnly, &error));
    TQuery q(&db);
    ASSERT_TRUE(q.Reopen({"SELECT ID, [Unicode] FROM [Table] ORDER BY ID"}))
        << q.LastError().toStdString();
    EXPECT_EQ(q.RecordCount(), 8);
    EXPECT_EQ(q.FieldNames(), (QStringList{"ID", "Unicode"}));
    ASSERT_TRUE(q.Locate("ID", 3, false));
    EXPECT_EQ(q.FieldAsString("Unicode"), QString::fromUtf8("Мир"));
    EXPECT_EQ(q.Field("ID").typeId(), QMetaType::LongLong);
    // The imported text takes part in Jet's like as any other.
    ASSERT_TRUE(q.Reopen({R"(SELECT ID FROM [Table] WHERE [Unicode] like "%МИР%")"}));
    ASSERT_EQ(q.RecordCount(), 1);
    EXPECT_EQ(q.FieldAsInteger("ID"), 3);
}

TEST_F(JetImport, DamagedFilesGiveAMessageNamingThem) {
    struct Case {
        const char* Name;
        QByteArray Bytes;
    };
    const Case cases[] = {
        {"cut.mdb", jet.left(4096)},
        {"half.mdb", jet.left(40000)},
        {"noise.mdb", jet.left(32) + QByteArray(60000, '\x5a')},
        {"plain.mdb", QByteArray("not a database at all")},
        {"empty.mdb", QByteArray()},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(WriteBytes(Path(c.Name), c.Bytes));
        QString error;
        EXPECT_FALSE(ImportJetDatabase(Path(c.Name), Path("out.sqlite"), &error)) << c.Name;
        EXPECT_TRUE(error.contains(QString::fromUtf8(c.Name))) << error.toStdString();
        EXPECT_TRUE(error.contains(QString::fromUtf8("Не удалось"))) << error.toStdString();
        EXPECT_FALSE(QFile::exists(Path("out.sqlite")));
        EXPECT_FALSE(QFile::exists(Path("out.sqlite.part")));
    }
}

TEST_F(JetImport, ResolvedCopyIsRebuiltOnlyWhenTheJetFileIsNewer) {
    const QString mdb = Path("info.db");
    ASSERT_TRUE(WriteBytes(mdb, jet));
    QString error;
    const QString copy = ResolveDatabaseFile(mdb, &error);
    ASSERT_EQ(copy, mdb + ".sqlite") << error.toStdString();
    EXPECT_EQ(DetectDatabaseFormat(copy), TDatabaseFormat::SQLite);

    // An up-to-date copy is used as it is: a marker table put into it survives.
    {
        TDatabase db;
        ASSERT_TRUE(db.Open(copy, TDatabase::Mode::ReadWrite, &error));
        ASSERT_TRUE(db.Exec("CREATE TABLE marker (a)"));
    }
    QFile f(mdb);
    ASSERT_TRUE(f.open(QIODevice::ReadWrite));
    ASSERT_TRUE(f.setFileTime(QDateTime::currentDateTime().addSecs(-3600),
                              QFileDevice::FileModificationTime));
    f.close();
    ASSERT_EQ(ResolveDatabaseFile(mdb, &error), copy);
    {
        TDatabase db;
        ASSERT_TRUE(db.Open(copy, TDatabase::Mode::ReadOnly, &error));
        EXPECT_TRUE(db.HasTable("marker"));
    }
    // A newer Access file replaces the copy.
    ASSERT_TRUE(f.open(QIODevice::ReadWrite));
    ASSERT_TRUE(f.setFileTime(QDateTime::currentDateTime().addSecs(3600),
                              QFileDevice::FileModificationTime));
    f.close();
    ASSERT_EQ(ResolveDatabaseFile(mdb, &error), copy);
    TDatabase db;
    ASSERT_TRUE(db.Open(copy, TDatabase::Mode::ReadOnly, &error));
    EXPECT_FALSE(db.HasTable("marker"));
    EXPECT_TRUE(db.HasTable("Table"));
}

TEST_F(JetImport, AReadOnlyFolderGetsItsImportInTheUserFolder) {
    const QString mdb = Path("info.db");
    ASSERT_TRUE(WriteBytes(mdb, jet));
    tsivor::test::FakePlatform platform;
    platform.readOnlyFolders << dir.path();
    qputenv("XDG_CONFIG_HOME", Path("config").toUtf8());
    QString error;
    const QString copy = ResolveDatabaseFile(mdb, &error);
    qunsetenv("XDG_CONFIG_HOME");
    ASSERT_FALSE(copy.isEmpty()) << error.toStdString();
    EXPECT_TRUE(copy.startsWith(Path("config/tsivor/"))) << copy.toStdString();
    EXPECT_FALSE(QFileInfo::exists(mdb + ".sqlite"));
    EXPECT_EQ(DetectDatabaseFormat(copy), TDatabaseFormat::SQLite);
    // The next start finds it there and uses it as it is.
    qputenv("XDG_CONFIG_HOME", Path("config").toUtf8());
    EXPECT_EQ(ResolveDatabaseFile(mdb, &error), copy);
    qunsetenv("XDG_CONFIG_HOME");
}

// Runs a test inside a folder as the working directory.
class WorkingDirectory {
public:
    explicit WorkingDirectory(const QString& path) : old_(QDir::currentPath()) {
        QDir::setCurrent(path);
    }
    ~WorkingDirectory() { QDir::setCurrent(old_); }

private:
    QString old_;
};

class Connections : public tsivor::test::DirectoryFixture {};

TEST_F(Connections, DirectoryWithoutItsTablesIsRefusedWithThePath) {
    if (!QFileInfo::exists(Jet4File())) GTEST_SKIP() << "no " << Jet4File().toStdString();
    QTemporaryDir other;
    ASSERT_TRUE(
        WriteBytes(QDir(other.path()).filePath("info.db"), tsivor::test::ReadFile(Jet4File())));
    Tdm d;
    QString error;
    EXPECT_FALSE(d.OpenAtStart(other.path(), &error));
    EXPECT_TRUE(error.contains(QDir::toNativeSeparators(QDir(other.path()).filePath("info.db"))))
        << error.toStdString();
    EXPECT_TRUE(error.contains("Main"));
    EXPECT_FALSE(d.ADOConnection1.IsOpen());
}

TEST_F(Connections, MissingDirectoryIsReported) {
    QTemporaryDir empty;
    Tdm d;
    QString error;
    EXPECT_FALSE(d.OpenAtStart(empty.path(), &error));
    EXPECT_TRUE(error.contains("info.db")) << error.toStdString();
}

TEST_F(Connections, RealEstateNeedsTheFileInTheWorkingDirectory) {
    ASSERT_TRUE(QDir(dir.path()).mkpath("houses"));
    {
        TDatabase db;
        ASSERT_TRUE(db.Open(dir.filePath("houses/houses.db"), TDatabase::Mode::Create, nullptr));
        ASSERT_TRUE(CreateSchema(db, HousesTables(), nullptr));
    }
    QTemporaryDir elsewhere;
    {
        WorkingDirectory cwd(elsewhere.path());
        EXPECT_FALSE(dm.OpenHouses(dir.path()));
        EXPECT_FALSE(dm.HousesAvailable());
    }
    WorkingDirectory cwd(dir.path());
    EXPECT_TRUE(dm.OpenHouses(dir.path())) << dm.HousesError().toStdString();
    EXPECT_TRUE(dm.HousesAvailable());
    dm.CloseHouses();
    EXPECT_FALSE(dm.HousesAvailable());
    EXPECT_TRUE(dm.ReconnectHouses(dir.path()));
}

TEST_F(Connections, DamagedRealEstateLeavesTheDirectoryWorking) {
    ASSERT_TRUE(QDir(dir.path()).mkpath("houses"));
    ASSERT_TRUE(WriteBytes(dir.filePath("houses/houses.db"),
                           QByteArray("SQLite format 3") + QByteArray(5000, '\x01')));
    WorkingDirectory cwd(dir.path());
    QString error;
    ASSERT_TRUE(dm.OpenAtStart(dir.path(), &error)) << error.toStdString();
    EXPECT_FALSE(dm.HousesAvailable());
    EXPECT_TRUE(dm.HousesError().contains("houses.db")) << dm.HousesError().toStdString();
    EXPECT_TRUE(dm.QMain.Reopen({"SELECT * FROM Main"}));
    EXPECT_EQ(dm.QMain.RecordCount(), 4);
    EXPECT_FALSE(dm.QHouses.Reopen({"SELECT * FROM Base"}));
}

} // namespace
