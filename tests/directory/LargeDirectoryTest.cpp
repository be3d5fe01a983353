#include "SampleParts.h"
#include "directory/DataModule.h"
#include "directory/DirectorySchema.h"
#include "directory/Query.h"
#include "directory/RubricQueries.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace tsivor;

namespace {

class LargeDirectory : public ::testing::Test {
protected:
    void SetUp() override {
        QString error;
        ASSERT_TRUE(
            sample::WriteLargeDirectory(QDir(dir.path()).filePath("info.db"), {600, 80}, &error))
            << error.toStdString();
        ASSERT_TRUE(dm.OpenDirectory(dir.path(), &error)) << error.toStdString();
    }
    qint64 Count(const QString& sql) {
        directory::TQuery q(&dm.ADOConnection1);
        EXPECT_TRUE(q.Reopen({"SELECT count(*) AS n FROM (" + sql + ")"}));
        return q.FieldAsInteger("n");
    }
    QString Plan(const QString& sql) {
        directory::TQuery q(&dm.ADOConnection1);
        EXPECT_TRUE(q.Reopen({"EXPLAIN QUERY PLAN " + sql})) << q.LastError().toStdString();
        QStringList steps;
        for (q.First(); !q.Eof(); q.Next()) steps << q.FieldAsString("detail");
        return steps.join(u'\n');
    }
    QTemporaryDir dir;
    directory::Tdm dm;
};

TEST_F(LargeDirectory, SizesAndLinks) {
    EXPECT_EQ(Count("SELECT Id FROM Main"), 600);
    EXPECT_EQ(Count("SELECT id FROM Topics"), 80);
    EXPECT_EQ(Count("SELECT DISTINCT Name FROM Topics"), 80);
    EXPECT_EQ(Count("SELECT Id FROM Main WHERE Id NOT IN (SELECT Id_Main FROM Jumps)"), 0);
    EXPECT_EQ(Count("SELECT Id FROM Main WHERE Id NOT IN (SELECT Id_Main FROM Adr)"), 0);
    EXPECT_EQ(Count("SELECT Id FROM Adr WHERE Id_Street NOT IN (SELECT id FROM Streets)"), 0);
    EXPECT_GT(Count("SELECT Id FROM Phones"), 600);
}

TEST_F(LargeDirectory, RubricListWorks) {
    directory::TRubricQueries rubrics(dm);
    ASSERT_TRUE(rubrics.OpenRubricLists());
    EXPECT_GT(dm.QJumpsAll.RecordCount(), 40);
    EXPECT_TRUE(rubrics.FilterRubrics(QString::fromUtf8("МАГАЗИНЫ")));
}

// The joins of the rubric list and of the counting query read only indexes for the links.
TEST_F(LargeDirectory, LinkJoinsAreCoveredByIndexes) {
    EXPECT_TRUE(Plan("SELECT Topics.id, count(Jumps.Id) FROM Topics INNER JOIN Jumps ON "
                     "Topics.id = Jumps.Id_Topic GROUP BY Topics.id")
                    .contains("COVERING INDEX Jumps_Id_Topic"));
    EXPECT_TRUE(Plan("SELECT Main.Id, Adr.Number, Phones.Phone FROM Main INNER JOIN (Adr LEFT "
                     "JOIN Phones ON Adr.Id = Phones.Id_Adr) ON Main.Id = Adr.Id_Main "
                     "WHERE Main.Id = 5")
                    .contains("COVERING INDEX Phones_Id_Adr"));
}

} // namespace

namespace {

// Imported tables name their columns as the Access file does; the indexes follow them.
TEST(LinkIndexes, FollowTheTablesOwnSpellingAndSkipMissingColumns) {
    const QString adr =
        directory::LinkIndexStatements("ADR", {"ID", "ID_MAIN", "id_street", "NUMBER", "Adr_Post"});
    EXPECT_TRUE(
        adr.contains(R"(CREATE INDEX "ADR_ID_MAIN" ON "ADR" ("ID_MAIN", "id_street", "NUMBER");)"))
        << adr.toStdString();
    EXPECT_TRUE(adr.contains(R"(CREATE INDEX "ADR_id_street" ON "ADR" ("id_street");)"));
    EXPECT_FALSE(adr.contains(R"(("ID"))"));
    // A table without the carried column still gets its link index.
    const QString phones = directory::LinkIndexStatements("Phones", {"Id", "Id_Adr", "Kind"});
    EXPECT_EQ(phones, QString(R"(CREATE INDEX "Phones_Id_Adr" ON "Phones" ("Id_Adr");)") + "\n");
    EXPECT_TRUE(directory::LinkIndexStatements("Main", {"Id", "Title"}).isEmpty());
}

} // namespace
