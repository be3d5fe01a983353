#include "DirectoryFixture.h"

#include "directory/LikeCondition.h"

#include <gtest/gtest.h>

using tsivor::directory::BuildLikeCondition;
using tsivor::directory::IsRefusedSearchChar;
using tsivor::directory::TQuery;

namespace {

QString B(const char* fields, const char* words, bool substring = true) {
    return BuildLikeCondition(QString::fromUtf8(fields), QString::fromUtf8(words), "and",
                              substring);
}

TEST(LikeCondition, WordsAndAlternatives) {
    EXPECT_EQ(B("Main.Title", "кафе бар/ресторан"),
              QString::fromUtf8(R"((Main.Title like "%кафе%") and ((Main.Title like "%бар%") OR )"
                                R"((Main.Title like "%ресторан%")))"));
    EXPECT_EQ(B("Adr.Number", "1", false), QString::fromUtf8(R"((Adr.Number like "1%"))"));
}

TEST(LikeCondition, ColumnsAreAlternativesAndBlanksCollapse) {
    EXPECT_EQ(B(" Main.MEMO Main.Title ", "  a   b "),
              QString::fromUtf8(R"((Main.MEMO like "%a%") and (Main.MEMO like "%b%") or )"
                                R"((Main.Title like "%a%") and (Main.Title like "%b%"))"));
}

TEST(LikeCondition, EmptyWordsGiveNothing) {
    EXPECT_EQ(B("name", ""), QString());
    EXPECT_EQ(B("name", "    "), QString());
    EXPECT_EQ(B("", "кафе"), QString());
}

TEST(LikeCondition, EmptyPiecesOfAlternatives) {
    EXPECT_EQ(B("n", "a/"), QString::fromUtf8(R"(((n like "%a%") OR (n like "%%")))"));
}

TEST(LikeCondition, QuotesAndWildcardsAreEscaped) {
    EXPECT_EQ(B("n", R"(a"b)"), QString::fromUtf8(R"((n like "%a""b%"))"));
    EXPECT_EQ(B("n", "100%"), QString::fromUtf8(R"((n like "%100[%]%"))"));
    EXPECT_EQ(B("n", "a_b"), QString::fromUtf8(R"((n like "%a[_]b%"))"));
}

TEST(SearchKeys, RefusedAndAllowedCharacters) {
    for (QChar c : QStringLiteral("~!#$%^&*()_+|`=\\\";:?{}[]'"))
        EXPECT_TRUE(IsRefusedSearchChar(c)) << int(c.unicode());
    for (QChar c : QStringLiteral("/-.,@ aZяЁ019"))
        EXPECT_FALSE(IsRefusedSearchChar(c)) << int(c.unicode());
}

class HostileWords : public tsivor::test::DirectoryFixture {
protected:
    void Fill(tsivor::directory::TDatabase& db) override {
        DirectoryFixture::Fill(db);
        Exec(db, R"(INSERT INTO Main (Id,Title) VALUES (10,'Бар "Кружка"'),(11,'Салон O''Hara'),
                    (12,'Скидка 50% всем'),(13,'a_b'),(14,'--;/*'))");
    }
    // Titles found by the condition built from the word, or an error text.
    QStringList Found(const QString& word) {
        TQuery q(&dm.ADOConnection1);
        const QString c = BuildLikeCondition("Main.Title", word, "and", true);
        if (!q.Reopen({"SELECT Title FROM Main", "WHERE " + c, "order by Id"}))
            return {"ERROR " + q.LastError()};
        QStringList out;
        for (q.First(); !q.Eof(); q.Next()) out << q.FieldAsString("Title");
        return out;
    }
};

TEST_F(HostileWords, QuoteMarksMatchLiterally) {
    EXPECT_EQ(Found(R"("Кружка")"), QStringList{QString::fromUtf8(R"(Бар "Кружка")")});
    EXPECT_EQ(Found("O'Hara"), QStringList{"Салон O'Hara"});
}

TEST_F(HostileWords, InjectionAttemptsStayInsideTheString) {
    const char* attacks[] = {R"(x") or (1=1) or ("x)",     R"(x"") or 1=1 --)", "x' or '1'='1",
                             R"("; DELETE FROM Main; --)", "*/ or 1=1 /*",      R"(\" or 1=1)"};
    for (const char* a : attacks) {
        EXPECT_EQ(Found(QString::fromUtf8(a)), QStringList()) << a;
    }
    TQuery count(&dm.ADOConnection1);
    ASSERT_TRUE(count.Reopen({"SELECT count(*) AS n FROM Main"}));
    EXPECT_EQ(count.FieldAsInteger("n"), 9);
}

TEST_F(HostileWords, WildcardsAndCommentMarkersMatchLiterally) {
    EXPECT_EQ(Found("50%"), QStringList{"Скидка 50% всем"});
    EXPECT_EQ(Found("%"), QStringList{"Скидка 50% всем"});
    EXPECT_EQ(Found("_"), QStringList{"a_b"});
    EXPECT_EQ(Found("--;/*"), QStringList{"--;/*"});
    EXPECT_EQ(Found("[!a]"), QStringList());
}

} // namespace
