#include "DirectoryFixture.h"
#include "TestSupport.h"

#include "directory/RubricQueries.h"

#include <gtest/gtest.h>

using tsivor::directory::QuickRubrics;
using tsivor::directory::TRubricQueries;

namespace {

class Rubrics : public tsivor::test::DirectoryFixture {
protected:
    void SetUp() override {
        DirectoryFixture::SetUp();
        ASSERT_TRUE(rubrics.OpenRubricLists());
    }
    QStringList Names(tsivor::directory::TQuery& q, const char* field) {
        QStringList out;
        for (q.First(); !q.Eof(); q.Next()) out << q.FieldAsString(field);
        return out;
    }
    tsivor::test::FakePlatform platform;
    TRubricQueries rubrics{dm};
};

TEST_F(Rubrics, ListHasLinkedRubricsInNameOrder) {
    EXPECT_EQ(Names(dm.QJumps, "Name"),
              (QStringList{"Бары", "Ёлочные игрушки", "Кафе", "Рестораны"}));
    EXPECT_EQ(dm.QJumpsAll.RecordCount(), 4);
}

TEST_F(Rubrics, FilterWithAlternativesAndWords) {
    EXPECT_TRUE(rubrics.FilterRubrics("ё/ф"));
    EXPECT_EQ(Names(dm.QJumps, "Name"), (QStringList{"Ёлочные игрушки", "Кафе"}));
    EXPECT_TRUE(rubrics.FilterRubrics("ка фе"));
    EXPECT_EQ(Names(dm.QJumps, "Name"), QStringList{"Кафе"});
    EXPECT_FALSE(rubrics.FilterRubrics("пуст"));
    EXPECT_EQ(dm.QJumps.RecordCount(), 0);
    EXPECT_TRUE(rubrics.FilterRubrics("   "));
    EXPECT_EQ(dm.QJumps.RecordCount(), 4);
}

TEST_F(Rubrics, OrganisationListedOnceHoweverManyRubricsMatch) {
    EXPECT_TRUE(rubrics.LoadRubrics("1/2", ""));
    EXPECT_EQ(Names(dm.QMain, "Title"), (QStringList{"«Ёжик»", "Альфа"}));
    EXPECT_FALSE(rubrics.LoadRubrics("1/2", "id_topic1/2"));
}

TEST_F(Rubrics, ChoosingTheRubricShownDoesNothing) {
    ASSERT_TRUE(dm.QJumps.Locate("id", 1));
    const auto r = rubrics.ChooseCurrentRubric("");
    ASSERT_TRUE(r);
    EXPECT_EQ(r->Key, "id_topic1");
    EXPECT_EQ(r->Title, QString::fromUtf8("Рубрика: Кафе (2шт.)"));
    EXPECT_FALSE(rubrics.ChooseCurrentRubric(r->Key));
}

TEST_F(Rubrics, ShowRubricByNameIgnoresCaseAndReportsRepeat) {
    const auto r = rubrics.ShowRubricByName("рестораны", "");
    ASSERT_TRUE(r);
    EXPECT_EQ(r->Key, "id_topic3");
    EXPECT_EQ(r->Title, QString::fromUtf8("Рубрика: Рестораны (1шт.)"));
    EXPECT_FALSE(rubrics.ShowRubricByName("РЕСТОРАНЫ", r->Key));
    EXPECT_EQ(platform.messages,
              QStringList{QString::fromUtf8("Рубрика \"РЕСТОРАНЫ\" уже загружена!")});
}

TEST_F(Rubrics, UnknownNameFallsBackToTheFirstRubric) {
    const auto r = rubrics.ShowRubricByName("нет такой", "");
    ASSERT_TRUE(r);
    EXPECT_EQ(r->Key, "id_topic2"); // Бары comes first by name
}

TEST_F(Rubrics, AutoLoadLargerFirst) {
    const auto r = rubrics.ShowAutoLoad();
    EXPECT_EQ(r.Key, "AutoLoad");
    EXPECT_EQ(r.Title, QString::fromUtf8("Рубрика: Автозагрузка (2шт.)"));
    EXPECT_EQ(Names(dm.QMain, "Title"), (QStringList{"Гамма", "бета"}));
}

TEST_F(Rubrics, QuickRubricsTable) {
    ASSERT_EQ(QuickRubrics().size(), 11u);
    EXPECT_EQ(QuickRubrics()[4].RubricIds, "471/468/718");
    const auto r = rubrics.ShowQuickRubric(2, "");
    ASSERT_TRUE(r);
    EXPECT_EQ(r->Key, "id_topic855/724");
    EXPECT_EQ(r->Title, QString::fromUtf8("Рубрика: Театры/Кино (0шт.)"));
    EXPECT_FALSE(rubrics.ShowQuickRubric(12, ""));
}

TEST_F(Rubrics, MalformedRubricNumbersDoNotBreakTheQuery) {
    EXPECT_TRUE(rubrics.LoadRubrics("1/; DROP TABLE Main/", ""));
    EXPECT_EQ(dm.QMain.RecordCount(), 2);
    EXPECT_TRUE(platform.messages.isEmpty());
}

} // namespace
