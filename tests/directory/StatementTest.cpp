// A statement prepared once runs with new values each time, and says why when it cannot.

#include "directory/Statement.h"
#include "directory/Database.h"
#include "directory/Query.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace tsivor::directory;

namespace {

class Statement : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        QString error;
        ASSERT_TRUE(db.Open(dir.filePath("t.db"), TDatabase::Mode::Create, &error))
            << error.toStdString();
        ASSERT_TRUE(db.Exec("CREATE TABLE T (Id INTEGER PRIMARY KEY, Name TEXT NOT NULL)"));
    }
    QStringList Names() {
        TQuery q(&db);
        EXPECT_TRUE(q.Reopen({"SELECT Name FROM T ORDER BY Id"})) << q.LastError().toStdString();
        QStringList names;
        for (q.First(); !q.Eof(); q.Next()) names << q.FieldAsString("Name");
        return names;
    }

    QTemporaryDir dir;
    TDatabase db;
};

} // namespace

TEST_F(Statement, RunsAgainWithNewValues) {
    TStatement insert(db, "INSERT INTO T (Id, Name) VALUES (?1, ?2)");
    QString error;
    EXPECT_TRUE(insert.Run({1, QStringLiteral("Ленина")}, &error)) << error.toStdString();
    EXPECT_TRUE(insert.Run({2, QStringLiteral("Мира")}, &error)) << error.toStdString();
    EXPECT_TRUE(insert.Run({3, QStringLiteral("Садовая")}, &error)) << error.toStdString();
    EXPECT_EQ(Names(), QStringList({"Ленина", "Мира", "Садовая"}));
}

TEST_F(Statement, AFailedRowIsReportedAndTheNextOneStillGoesIn) {
    TStatement insert(db, "INSERT INTO T (Id, Name) VALUES (?1, ?2)");
    QString error;
    ASSERT_TRUE(insert.Run({1, QStringLiteral("Ленина")}, &error));
    EXPECT_FALSE(insert.Run({1, QStringLiteral("Мира")}, &error)); // the same key
    EXPECT_FALSE(error.isEmpty());
    EXPECT_FALSE(insert.Run({2, QVariant()}, &error)); // NOT NULL
    EXPECT_TRUE(insert.Run({2, QStringLiteral("Мира")}, &error)) << error.toStdString();
    EXPECT_EQ(Names(), QStringList({"Ленина", "Мира"}));
}

TEST_F(Statement, OneThatCannotBePreparedSaysSoOnEveryRun) {
    TStatement bad(db, "INSERT INTO Nowhere (Id) VALUES (?1)");
    for (int i = 0; i < 2; ++i) {
        QString error;
        EXPECT_FALSE(bad.Run({i}, &error));
        EXPECT_TRUE(error.contains("Nowhere")) << error.toStdString();
    }
    TDatabase closed;
    QString error;
    EXPECT_FALSE(TStatement(closed, "SELECT 1").Run({}, &error));
    EXPECT_FALSE(error.isEmpty());
}
