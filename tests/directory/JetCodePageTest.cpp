// Jet 3 files keep their texts in the code page of their sort order.
#include "TestSupport.h"

#include "directory/Database.h"
#include "directory/JetImport.h"
#include "directory/Query.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace tsivor::directory;

namespace {

QString WesternFile() {
    return QDir(tsivor::test::SharedTestData()).filePath("jet/western-jet3.mdb");
}

class JetCodePage : public ::testing::Test {
protected:
    void SetUp() override {
        if (!QFileInfo::exists(WesternFile())) GTEST_SKIP() << "no " << WesternFile().toStdString();
        western = tsivor::test::ReadFile(WesternFile());
        ASSERT_GT(western.size(), 4096);
    }
    // The same file in the Cyrillic sort order (1049) with code page 1251 in its header. The
    // header is kept encrypted, but as a stream cipher: flipping a plain bit flips that bit.
    QString CyrillicCopy() {
        QByteArray bytes = western;
        auto patch = [&](int at, uint16_t from, uint16_t to) {
            bytes[at] = char(uint8_t(bytes[at]) ^ uint8_t(from ^ to));
            bytes[at + 1] = char(uint8_t(bytes[at + 1]) ^ uint8_t((from ^ to) >> 8));
        };
        patch(0x3A, 1033, 1049);
        patch(0x3C, 1252, 1251);
        const QString path = dir.filePath("cyrillic.mdb");
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size());
        return path;
    }
    // The text of a row of Table1 after importing with the given code page (0: the file's own).
    QString Row(const QString& mdb, const char* name, int codePage = 0) {
        const QString out = dir.filePath(QStringLiteral("out%1.sqlite").arg(++imports));
        QString error;
        EXPECT_TRUE(ImportJetDatabase(mdb, out, &error, codePage)) << error.toStdString();
        TDatabase db;
        EXPECT_TRUE(db.Open(out, TDatabase::Mode::ReadOnly, &error));
        TQuery q(&db);
        EXPECT_TRUE(q.Reopen({QStringLiteral("SELECT data FROM Table1 WHERE name = \"%1\"")
                                  .arg(QLatin1String(name))}))
            << q.LastError().toStdString();
        return q.RecordCount() == 1 ? q.FieldAsString("data") : QStringLiteral("<no row>");
    }
    QTemporaryDir dir;
    QByteArray western;
    int imports = 0;
};

TEST_F(JetCodePage, WesternFileKeepsItsAccentedLetters) {
    EXPECT_EQ(Row(WesternFile(), "row196"), QString::fromUtf8("AAÄAA"));
    EXPECT_EQ(Row(WesternFile(), "row233"), QString::fromUtf8("AAéAA"));
    EXPECT_EQ(Row(WesternFile(), "row163"), QString::fromUtf8("AA£AA"));
}

TEST_F(JetCodePage, CyrillicSortOrderReadsCp1251) {
    const QString cyrillic = CyrillicCopy();
    EXPECT_EQ(Row(cyrillic, "row196"), QString::fromUtf8("AAДAA"));
    EXPECT_EQ(Row(cyrillic, "row255"), QString::fromUtf8("AAяAA"));
    EXPECT_EQ(Row(cyrillic, "row168"), QString::fromUtf8("AAЁAA"));
}

TEST_F(JetCodePage, AGivenCodePageOverridesTheFile) {
    EXPECT_EQ(Row(WesternFile(), "row196", 1251), QString::fromUtf8("AAДAA"));
    EXPECT_EQ(Row(CyrillicCopy(), "row196", 1252), QString::fromUtf8("AAÄAA"));
    QString error;
    EXPECT_FALSE(ImportJetDatabase(WesternFile(), dir.filePath("x.sqlite"), &error, 4242));
    EXPECT_TRUE(error.contains("4242")) << error.toStdString();
}

TEST(JetCodePageOfLanguage, SortOrdersToCodePages) {
    EXPECT_EQ(JetCodePageOfLanguage(1049), 1251); // Russian
    EXPECT_EQ(JetCodePageOfLanguage(1058), 1251); // Ukrainian
    EXPECT_EQ(JetCodePageOfLanguage(1033), 1252); // General
    EXPECT_EQ(JetCodePageOfLanguage(1031), 1252); // German
    EXPECT_EQ(JetCodePageOfLanguage(1045), 1250); // Polish
    EXPECT_EQ(JetCodePageOfLanguage(1050), 1250); // Croatian
    EXPECT_EQ(JetCodePageOfLanguage(3098), 1251); // Serbian Cyrillic
    EXPECT_EQ(JetCodePageOfLanguage(1032), 1253); // Greek
    EXPECT_EQ(JetCodePageOfLanguage(1055), 1254); // Turkish
    EXPECT_EQ(JetCodePageOfLanguage(1041), 932);  // Japanese
    EXPECT_EQ(JetCodePageOfLanguage(2052), 936);  // Chinese, simplified
    EXPECT_EQ(JetCodePageOfLanguage(1028), 950);  // Chinese, traditional
    EXPECT_EQ(JetCodePageOfLanguage(0), 1252);
}

} // namespace
