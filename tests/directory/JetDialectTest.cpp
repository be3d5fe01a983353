#include "DirectoryFixture.h"

#include "directory/JetDialect.h"

#include <gtest/gtest.h>

using tsivor::directory::JetCompareText;
using tsivor::directory::JetLike;
using tsivor::directory::TQuery;
using tsivor::directory::TranslateJetStatement;

namespace {

QString T(const char* s) {
    return TranslateJetStatement(QString::fromUtf8(s));
}

TEST(JetTranslation, DoubleQuotedStringsBecomeSingleQuoted) {
    EXPECT_EQ(T(R"(where a like "кафе%")"), QString::fromUtf8("where a like 'кафе%'"));
    // Jet's doubled quote is one quote; an apostrophe inside is re-escaped for SQLite.
    EXPECT_EQ(T(R"(x = "say ""hi""")"), QString::fromUtf8("x = 'say \"hi\"'"));
    EXPECT_EQ(T(R"(x = "O'Brien")"), QString::fromUtf8("x = 'O''Brien'"));
    EXPECT_EQ(T(R"(x = "")"), QString::fromUtf8("x = ''"));
}

TEST(JetTranslation, SingleQuotedStringsAndBracketNamesStayAsTheyAre) {
    EXPECT_EQ(T("where name like '%' "), QString::fromUtf8("where name like '%' "));
    EXPECT_EQ(T(R"(x = 'a "b" '' c')"), QString::fromUtf8(R"(x = 'a "b" '' c')"));
    EXPECT_EQ(T(R"(SELECT [my "col"] FROM t)"), QString::fromUtf8(R"(SELECT [my "col"] FROM t)"));
}

TEST(JetTranslation, DistinctRowAndAmpersand) {
    EXPECT_EQ(T("SELECT DISTINCTrow Main.Id"), QString::fromUtf8("SELECT DISTINCT Main.Id"));
    EXPECT_EQ(T("select distinctrow Main.*"), QString::fromUtf8("select DISTINCT Main.*"));
    // A column merely starting with the word is left alone, as is the word inside a string.
    EXPECT_EQ(T(R"(SELECT DistinctRows, "DISTINCTROW")"),
              QString::fromUtf8("SELECT DistinctRows, 'DISTINCTROW'"));
    EXPECT_EQ(T(R"(a & "&" & b)"), QString::fromUtf8("a  ||  '&'  ||  b"));
}

TEST(JetTranslation, UnterminatedStringIsLeftBroken) {
    EXPECT_EQ(T(R"(x = "abc)"), QString::fromUtf8(R"(x = "abc)"));
}

TEST(JetLikeMatch, WildcardsAndCase) {
    EXPECT_TRUE(JetLike(u"Кафе Ромашка", u"%ромаш%"));
    EXPECT_TRUE(JetLike(u"КАФЕ", u"кафе%"));
    EXPECT_TRUE(JetLike(u"Ёлка", u"ёл%"));
    EXPECT_TRUE(JetLike(u"ёлка", u"%ЁЛКА"));
    EXPECT_FALSE(JetLike(u"елка", u"ёлка")); // е and ё are different letters
    EXPECT_TRUE(JetLike(u"Hotel", u"h_tel"));
    EXPECT_FALSE(JetLike(u"Hotel", u"h_el"));
    EXPECT_TRUE(JetLike(u"", u"%"));
    EXPECT_FALSE(JetLike(u"12", u"1"));
    EXPECT_TRUE(JetLike(u"12А", u"1%"));
    EXPECT_FALSE(JetLike(u"21", u"1%"));
    EXPECT_TRUE(JetLike(u"aXbXc", u"%x%x%"));
}

TEST(JetLikeMatch, BracketSets) {
    EXPECT_TRUE(JetLike(u"100%", u"100[%]"));
    EXPECT_FALSE(JetLike(u"1000", u"100[%]"));
    EXPECT_TRUE(JetLike(u"a_b", u"a[_]b"));
    EXPECT_FALSE(JetLike(u"axb", u"a[_]b"));
    EXPECT_TRUE(JetLike(u"b", u"[a-c]"));
    EXPECT_FALSE(JetLike(u"b", u"[!a-c]"));
    EXPECT_TRUE(JetLike(u"[x", u"[[]x"));
    EXPECT_TRUE(JetLike(u"[x", u"[x")); // an unclosed bracket is itself
}

TEST(JetTextOrder, CaseInsensitiveWithYoAfterYe) {
    EXPECT_EQ(JetCompareText(u"Ёж", u"ёЖ"), 0);
    EXPECT_LT(JetCompareText(u"ель", u"ёж"), 0);
    EXPECT_LT(JetCompareText(u"ёж", u"жук"), 0);
    EXPECT_LT(JetCompareText(u"альфа", u"Бета"), 0);
    EXPECT_LT(JetCompareText(u"Alpha", u"альфа"), 0);
    // Signs before digits before letters; a shorter text before its continuation.
    EXPECT_LT(JetCompareText(u"Аптека №1", u"Аптека Здоровье"), 0);
    EXPECT_LT(JetCompareText(u"«Ёжик»", u"Альфа"), 0);
    EXPECT_LT(JetCompareText(u"Школа 9", u"Школа А"), 0);
    EXPECT_LT(JetCompareText(u"Аптека", u"Аптека 2"), 0);
}

class JetStatements : public tsivor::test::DirectoryFixture {
protected:
    QStringList Column(TQuery& q, const char* field) {
        QStringList out;
        for (q.First(); !q.Eof(); q.Next()) out << q.FieldAsString(QString::fromUtf8(field));
        return out;
    }
    TQuery q{&dm.ADOConnection1};
};

TEST_F(JetStatements, LikeIsCaseInsensitiveForCyrillic) {
    ASSERT_TRUE(q.Reopen({R"(SELECT Title FROM Main WHERE (Title like "%ЁЖ%") order by title)"}))
        << q.LastError().toStdString();
    EXPECT_EQ(Column(q, "Title"), QStringList{QString::fromUtf8("«Ёжик»")});
    ASSERT_TRUE(q.Reopen({R"(SELECT Title FROM Main WHERE Title like "БЕТ%")"}));
    EXPECT_EQ(q.RecordCount(), 1);
}

TEST_F(JetStatements, TextOrderAndEqualityIgnoreCase) {
    ASSERT_TRUE(q.Reopen({"SELECT Title FROM Main order by title"}));
    EXPECT_EQ(Column(q, "Title"), (QStringList{"«Ёжик»", "Альфа", "бета", "Гамма"}));
    ASSERT_TRUE(q.Reopen({R"(SELECT Id FROM Adr WHERE Number = "12а")"}));
    EXPECT_EQ(q.RecordCount(), 1);
}

// Texts that share their first bytes and differ inside a Cyrillic letter (б and Б share the
// lead byte in UTF-8) still compare as letters.
TEST_F(JetStatements, CollationAfterASharedPrefix) {
    ASSERT_TRUE(q.Reopen({R"(SELECT ("Аб" = "АБ" COLLATE NOCASE) AS same,)",
                          R"( ("Абв" < "АбГ" COLLATE NOCASE) AS before,)",
                          R"( ("АбВ" < "Аб" COLLATE NOCASE) AS longer,)",
                          R"( ("Аё" > "Ае" COLLATE NOCASE) AS yo FROM Main LIMIT 1)"}))
        << q.LastError().toStdString();
    EXPECT_EQ(q.FieldAsInteger("same"), 1);
    EXPECT_EQ(q.FieldAsInteger("before"), 1);
    EXPECT_EQ(q.FieldAsInteger("longer"), 0);
    EXPECT_EQ(q.FieldAsInteger("yo"), 1);
}

TEST_F(JetStatements, IIfAndDistinctRow) {
    ASSERT_TRUE(q.Reopen({R"(SELECT IIf(AutoLoad=0,"нет",AutoLoad) as A FROM Main order by Id)"}))
        << q.LastError().toStdString();
    EXPECT_EQ(Column(q, "A"), (QStringList{"нет", "нет", "2", "5"}));
    ASSERT_TRUE(q.Reopen({"SELECT DISTINCTROW Main.Id, Main.Title",
                          "FROM Main INNER JOIN Jumps ON Main.Id = Jumps.Id_Main"}));
    EXPECT_EQ(q.RecordCount(), 4);
}

TEST_F(JetStatements, NestedAndRightJoins) {
    // The counting statement of the multi-criteria search, as written.
    ASSERT_TRUE(q.Reopen(
        {"SELECT DISTINCTrow Main.Id, Main.Title", "FROM Topics INNER JOIN (Streets INNER JOIN",
         " ((Main INNER JOIN (Adr LEFT JOIN Phones ON Adr.Id",
         " = Phones.Id_Adr) ON Main.Id = Adr.Id_Main) INNER JOIN",
         " Jumps ON Main.Id = Jumps.Id_Main) ON Streets.id = Adr.Id_Street)",
         " ON Topics.id = Jumps.Id_Topic", R"(WHERE 1=1 and ( (Streets.Name like "%лен%") ))",
         "order by Main.Title"}))
        << q.LastError().toStdString();
    EXPECT_EQ(Column(q, "Title"), (QStringList{"«Ёжик»", "бета"}));
    ASSERT_TRUE(
        q.Reopen({"SELECT Topics.Name, Main.Title FROM Main RIGHT JOIN (Jumps RIGHT JOIN Topics",
                  "ON Topics.id = Jumps.Id_Topic) ON Main.Id = Jumps.Id_Main",
                  R"(WHERE Topics.Name = "пустая")"}))
        << q.LastError().toStdString();
    ASSERT_EQ(q.RecordCount(), 1);
    EXPECT_TRUE(q.FieldIsNull("Title"));
}

TEST_F(JetStatements, SameColumnNameOfTwoTablesIsReachedByTableName) {
    ASSERT_TRUE(q.Reopen({"SELECT Topics.Name, Streets.Name FROM Topics, Streets",
                          "WHERE Topics.id = 1 AND Streets.id = 2"}));
    EXPECT_EQ(q.FieldAsString("Topics.Name"), QString::fromUtf8("Кафе"));
    EXPECT_EQ(q.FieldAsString("Streets.Name"), QString::fromUtf8("Мира"));
}

TEST_F(JetStatements, BrokenOrStackedStatementsAreRefused) {
    EXPECT_FALSE(q.Reopen({"SELECT * FROM Nowhere"}));
    EXPECT_FALSE(q.LastError().isEmpty());
    EXPECT_EQ(q.RecordCount(), 0);
    EXPECT_FALSE(q.Reopen({"SELECT 1; DELETE FROM Main"}));
    ASSERT_TRUE(q.Reopen({"SELECT count(*) AS n FROM Main;"}));
    EXPECT_EQ(q.FieldAsInteger("n"), 4);
}

TEST_F(JetStatements, LocateAndAfterOpen) {
    int calls = 0;
    q.AfterOpen = [&](TQuery& opened) { calls += opened.RecordCount(); };
    ASSERT_TRUE(q.Reopen({"SELECT id, Name FROM Topics ORDER BY id"}));
    EXPECT_EQ(calls, 5);
    EXPECT_TRUE(q.Locate("name", QString::fromUtf8("ёЛОЧНЫЕ ИГРУШКИ")));
    EXPECT_EQ(q.FieldAsInteger("id"), 4);
    EXPECT_FALSE(q.Locate("name", QString::fromUtf8("нет такой")));
    EXPECT_EQ(q.FieldAsInteger("id"), 4);
}

} // namespace
