#include "DirectoryFixture.h"

#include "SampleParts.h"
#include "directory/MegaSearch.h"
#include "directory/MegaSearchQueries.h"
#include "directory/SearchIndex.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <set>

using namespace tsivor;
using directory::TCriterion;
using directory::TSearchCriteria;

namespace {

TSearchCriteria Criteria(std::initializer_list<std::pair<TCriterion, const char*>> texts) {
    TSearchCriteria c;
    for (const auto& [k, t] : texts) c[k] = QString::fromUtf8(t);
    return c;
}

// The organisations of the counting statement itself, as the slow path has them.
std::vector<int64_t> ByStatement(directory::Tdm& dm, const TSearchCriteria& c) {
    directory::TQuery q(&dm.ADOConnection1);
    EXPECT_TRUE(q.Reopen(directory::MegaCountStatement(directory::BuildSearchCondition(c))))
        << q.LastError().toStdString();
    std::set<int64_t> ids;
    for (q.First(); !q.Eof(); q.Next()) ids.insert(q.FieldAsInteger("Id"));
    return {ids.begin(), ids.end()};
}

TEST(MegaSearchCondition, ClausesInOrderWithTheirColumnsAndModes) {
    TSearchCriteria c =
        Criteria({{TCriterion::House, "1"}, {TCriterion::Name, "кафе"}, {TCriterion::Phone, "33"}});
    EXPECT_EQ(directory::BuildSearchCondition(c),
              QString::fromUtf8(R"( and ( (Main.Title like "%кафе%") ) and ( (Adr.Number like )"
                                R"("1%") ) and ( (Phones.Phone like "33%") ))"));
    c.PhoneSubstring = true;
    EXPECT_TRUE(directory::BuildSearchCondition(c).contains(R"((Phones.Phone like "%33%"))"));
    EXPECT_EQ(directory::BuildSearchCondition(TSearchCriteria()), QString());
}

TEST(MegaSearchCondition, KeywordLooksInTheChosenColumnsOnly) {
    TSearchCriteria c = Criteria({{TCriterion::Keyword, "бар"}});
    EXPECT_EQ(c.KeywordColumns.Fields(), "Main.MEMO Main.Title Topics.Name ");
    c.KeywordColumns = {false, false, false, false, false, false};
    EXPECT_EQ(directory::BuildSearchCondition(c), QString());
    c.KeywordColumns.Phone = true;
    EXPECT_EQ(directory::BuildSearchCondition(c),
              QString::fromUtf8(R"( and ( (Phones.Phone like "%бар%") ))"));
}

TEST(MegaSearchCondition, KeyAndTitle) {
    const TSearchCriteria c = Criteria({{TCriterion::Keyword, "k"},
                                        {TCriterion::Name, "n"},
                                        {TCriterion::Rubric, "r"},
                                        {TCriterion::Street, "s"},
                                        {TCriterion::House, "h"},
                                        {TCriterion::Phone, "p"},
                                        {TCriterion::Mail, "m"},
                                        {TCriterion::WWW, "w"}});
    EXPECT_EQ(directory::MegaSearchKey(c), "Мегапоиск1:n2:r3:s4:h5:p6:k7:m8:w");
    EXPECT_EQ(directory::MegaSearchTitle(7), "Мегапоиск (7 шт.)");
}

TEST(MegaSearchVerdict, ThresholdsAndTexts) {
    const TSearchCriteria some = Criteria({{TCriterion::Name, "a"}});
    const auto v400 = directory::JudgeMegaCount(some, 400);
    EXPECT_TRUE(v400.Enabled);
    EXPECT_EQ(v400.Button, "Отобразить результат");
    EXPECT_EQ(v400.Label, "400 карточек удовлетворяют критериям поиска");
    const auto v401 = directory::JudgeMegaCount(some, 401);
    EXPECT_FALSE(v401.Enabled);
    EXPECT_EQ(v401.Button, "Более 400 записей");
    EXPECT_TRUE(v401.Found);
    const auto v1 = directory::JudgeMegaCount(some, 1);
    EXPECT_TRUE(v1.Enabled);
    const auto v0 = directory::JudgeMegaCount(some, 0);
    EXPECT_FALSE(v0.Enabled);
    EXPECT_FALSE(v0.Found);
    EXPECT_EQ(v0.Button, "Нет результатов");
    const auto none = directory::JudgeMegaCount(TSearchCriteria(), 12);
    EXPECT_EQ(none.Label, "Задайте критерии для поиска");
    EXPECT_EQ(none.Button, "Фильтр не задан");
    EXPECT_FALSE(none.Enabled);
    EXPECT_TRUE(none.Found);
}

// Fixture plus organisations that test the joins and the texts.
class MegaSearch : public test::DirectoryFixture {
protected:
    void Fill(directory::TDatabase& db) override {
        DirectoryFixture::Fill(db);
        Exec(db, R"(INSERT INTO Main (Id,Title,Memo,Mail,www) VALUES
                    (10,'Бар "Кружка"','кафе; ужин','bar@mail.ru','www.bar.ru'),
                    (11,'Салон O''Hara',NULL,NULL,NULL),(12,'Скидка 50% всем','--;/*',NULL,NULL),
                    (13,'a_b','[x]',NULL,NULL),(14,'Без адреса','',NULL,NULL),
                    (15,'Без рубрики','',NULL,NULL),(16,'Ёлка','ЕЛКА ёлка',NULL,NULL),
                    (17,'Улица пропала','',NULL,NULL);
                    INSERT INTO Jumps VALUES (10,1,10),(11,2,11),(12,3,12),(13,1,13),(14,1,14),
                    (16,4,16),(17,1,17),(18,99,15);
                    INSERT INTO Adr VALUES (10,10,1,'','1','',-1),(11,11,2,'','12','',-1),
                    (12,12,1,'','2/1','',-1),(13,13,2,'','100','',-1),(15,15,1,'','5','',-1),
                    (16,16,2,'','7','',-1),(17,17,42,'','1','',-1);
                    INSERT INTO Phones VALUES (10,10,'тел','2332211',''),(11,11,'тел','332',''),
                    (12,12,'тел',NULL,''),(13,13,'тел','1233','');)");
    }
    std::vector<int64_t> Fast(const TSearchCriteria& c) { return queries.Find(c); }
    directory::TMegaSearchQueries queries{dm};
};

TEST_F(MegaSearch, HouseNumbersMatchFromTheirBeginning) {
    // 1, 10, 12А and 100 begin with 1; 21 does not.
    EXPECT_EQ(Fast(Criteria({{TCriterion::House, "1"}})),
              (std::vector<int64_t>{1, 2, 4, 10, 11, 13}));
    EXPECT_EQ(Fast(Criteria({{TCriterion::House, "12а"}})), (std::vector<int64_t>{1}));
}

TEST_F(MegaSearch, TelephoneSubstringSwitch) {
    TSearchCriteria c = Criteria({{TCriterion::Phone, "332"}});
    EXPECT_EQ(Fast(c), (std::vector<int64_t>{1, 2, 11}));
    c.PhoneSubstring = true;
    EXPECT_EQ(Fast(c), (std::vector<int64_t>{1, 2, 10, 11}));
}

TEST_F(MegaSearch, TwoWordsMustMeetInOneColumn) {
    TSearchCriteria c = Criteria({{TCriterion::Keyword, "кафе ужин"}});
    EXPECT_EQ(Fast(c), (std::vector<int64_t>{10}));
    // "кафе" in the rubric and "бар" in the name are in different columns: no match for 2.
    c[TCriterion::Keyword] = QString::fromUtf8("кафе альфа");
    EXPECT_EQ(Fast(c), (std::vector<int64_t>{}));
    c[TCriterion::Keyword] = QString::fromUtf8("кафе-бар реки");
    EXPECT_EQ(Fast(c), (std::vector<int64_t>{1}));
}

TEST_F(MegaSearch, SlashGivesAlternatives) {
    EXPECT_EQ(Fast(Criteria({{TCriterion::Name, "альфа/гамма"}})), (std::vector<int64_t>{2, 4}));
    EXPECT_EQ(Fast(Criteria({{TCriterion::Rubric, "бары/рестор"}})),
              (std::vector<int64_t>{1, 3, 11, 12}));
}

TEST_F(MegaSearch, CriteriaMeetInOneJoinedRow) {
    // Organisation 1 has Ленина 12А; 3 has Ленина 21: street and house must be one address.
    EXPECT_EQ(Fast(Criteria({{TCriterion::Street, "ленина"}, {TCriterion::House, "2"}})),
              (std::vector<int64_t>{3, 12}));
}

TEST_F(MegaSearch, OnlyOrganisationsWithAnAddressAndARubric) {
    const auto all = Fast(TSearchCriteria());
    EXPECT_EQ(all, ByStatement(dm, TSearchCriteria()));
    for (int64_t missing : {14, 15, 17}) EXPECT_EQ(std::count(all.begin(), all.end(), missing), 0);
}

TEST_F(MegaSearch, SearchOpensTheCardsByName) {
    const auto r = queries.Search(Criteria({{TCriterion::House, "1"}}));
    EXPECT_EQ(r.Rows, 6);
    EXPECT_EQ(r.Title, "Мегапоиск (6 шт.)");
    EXPECT_EQ(r.Key, "Мегапоиск1:2:3:4:15:6:7:8:");
    QStringList titles;
    for (dm.QMain.First(); !dm.QMain.Eof(); dm.QMain.Next())
        titles << dm.QMain.FieldAsString("Title");
    EXPECT_EQ(titles,
              (QStringList{"«Ёжик»", "a_b", "Альфа", "Бар \"Кружка\"", "Гамма", "Салон O'Hara"}));
}

TEST_F(MegaSearch, IndexPreparedInTheBackgroundAnswersTheSame) {
    directory::TMegaSearchQueries early(dm);
    early.Prepare();
    early.Prepare(); // once is enough
    EXPECT_EQ(early.Find(Criteria({{TCriterion::House, "1"}})),
              (std::vector<int64_t>{1, 2, 4, 10, 11, 13}));
    early.Reset();
    early.Prepare();
    early.Reset(); // waits for the reading it started
    EXPECT_EQ(early.Count(Criteria({{TCriterion::Name, "альфа"}})), 1);
}

// A table of criteria, hostile texts among them, for comparing the fast path with the statement.
std::vector<TSearchCriteria> CriteriaTable() {
    const char* words[] = {"кафе",
                           "КАФЕ",
                           "ёлка",
                           "елка",
                           "альфа/",
                           "/",
                           "а",
                           "12",
                           "1",
                           "332",
                           "2",
                           "ленина",
                           "мира",
                           "бар ресторан",
                           "бар/ресторан",
                           "\"",
                           "'",
                           "%",
                           "_",
                           "[",
                           "[x]",
                           "--",
                           ";",
                           "--;/*",
                           "50%",
                           "a_b",
                           "o'hara",
                           "кафе-бар",
                           "ru",
                           "@",
                           "мастер",
                           "магазины",
                           "автомобилей",
                           "ремонт мебели",
                           "ооо",
                           "12/21",
                           "7"};
    std::vector<TSearchCriteria> table;
    for (int k = 0; k < directory::CriterionCount; ++k)
        for (const char* w : words) {
            TSearchCriteria c;
            c[TCriterion(k)] = QString::fromUtf8(w);
            table.push_back(c);
            if (TCriterion(k) == TCriterion::Phone) {
                c.PhoneSubstring = true;
                table.push_back(c);
            }
            if (TCriterion(k) == TCriterion::Keyword) {
                c.KeywordColumns = {true, true, true, true, true, true};
                table.push_back(c);
            }
        }
    table.push_back(Criteria({{TCriterion::Street, "ленина"}, {TCriterion::House, "1"}}));
    table.push_back(Criteria({{TCriterion::Name, "а"}, {TCriterion::Rubric, "ка"}}));
    table.push_back(Criteria({{TCriterion::Keyword, "кафе"}, {TCriterion::Phone, "2"}}));
    table.push_back(Criteria({{TCriterion::Rubric, "магазины"},
                              {TCriterion::Street, "мира"},
                              {TCriterion::House, "1"}}));
    TSearchCriteria wide = Criteria({{TCriterion::Keyword, "1"}, {TCriterion::Mail, "ru"}});
    wide.KeywordColumns = {true, true, true, true, true, true};
    table.push_back(wide);
    return table;
}

void ExpectSameAsStatement(directory::Tdm& dm) {
    directory::TMegaSearchQueries queries(dm);
    ASSERT_NE(queries.Index(), nullptr);
    for (const TSearchCriteria& c : CriteriaTable())
        EXPECT_EQ(queries.Find(c), ByStatement(dm, c))
            << directory::BuildSearchCondition(c).toStdString();
}

TEST_F(MegaSearch, SameOrganisationsAsTheStatement) {
    ExpectSameAsStatement(dm);
}

TEST(MegaSearchDirectories, SameOrganisationsAsTheStatementOnTheSample) {
    QTemporaryDir dir;
    QString error;
    const sample::CityPlan plan = sample::MakeCityPlan();
    ASSERT_TRUE(sample::WriteSampleMap(plan, dir.path(), &error) &&
                sample::WriteSampleDirectory(plan, dir.path(), &error))
        << error.toStdString();
    directory::Tdm dm;
    ASSERT_TRUE(dm.OpenDirectory(dir.path(), &error)) << error.toStdString();
    ExpectSameAsStatement(dm);
}

TEST(MegaSearchDirectories, SameOrganisationsAsTheStatementOnALargeDirectory) {
    QTemporaryDir dir;
    QString error;
    ASSERT_TRUE(
        sample::WriteLargeDirectory(QDir(dir.path()).filePath("info.db"), {1500, 120}, &error))
        << error.toStdString();
    directory::Tdm dm;
    ASSERT_TRUE(dm.OpenDirectory(dir.path(), &error)) << error.toStdString();
    ExpectSameAsStatement(dm);
}

// Without the index (a table it needs cannot be read) the statements answer.
TEST_F(MegaSearch, FallsBackOnTheStatementWithoutTheIndex) {
    {
        directory::TDatabase rw;
        QString error;
        ASSERT_TRUE(
            rw.Open(dir.filePath("info.db"), directory::TDatabase::Mode::ReadWrite, &error));
        ASSERT_TRUE(rw.Exec("ALTER TABLE Main DROP COLUMN www", &error)) << error.toStdString();
    }
    directory::TMegaSearchQueries fresh(dm);
    EXPECT_EQ(fresh.Index(), nullptr);
    EXPECT_EQ(fresh.Count(Criteria({{TCriterion::House, "1"}})), 6);
}

} // namespace

namespace {

QStringList Offered(directory::TMegaSearchQueries& q, const TSearchCriteria& c) {
    QStringList out;
    for (const auto& s : q.Suggest(c)) out << s.Word;
    return out;
}

TEST_F(MegaSearch, SuggestionsForWordsThatExistNowhere) {
    // One letter swapped, missing, wrong; Latin keys of the Russian layout.
    EXPECT_EQ(Offered(queries, Criteria({{TCriterion::Name, "алфьа"}})).value(0), "альфа");
    EXPECT_EQ(Offered(queries, Criteria({{TCriterion::Name, "алфа"}})).value(0), "альфа");
    EXPECT_EQ(Offered(queries, Criteria({{TCriterion::Name, "альфо"}})).value(0), "альфа");
    EXPECT_EQ(Offered(queries, Criteria({{TCriterion::Rubric, "rfat"}})).value(0), "кафе");
    // The other criteria stay as typed; the offered text finds something with them.
    const auto s =
        queries.Suggest(Criteria({{TCriterion::Street, "ленина"}, {TCriterion::Rubric, "кафк"}}));
    ASSERT_FALSE(s.empty());
    EXPECT_EQ(s[0].Criterion, TCriterion::Rubric);
    EXPECT_EQ(s[0].Criteria, "кафе");
    EXPECT_GT(s[0].Count, 0);
    // Words that exist give nothing to offer, even when together they find nothing.
    EXPECT_TRUE(Offered(queries, Criteria({{TCriterion::Name, "альфа гамма"}})).isEmpty());
    EXPECT_EQ(directory::SwitchKeyboardLayout("rfat"), "кафе");
    EXPECT_EQ(directory::SwitchKeyboardLayout("ьфшд"), "mail");
}

} // namespace
