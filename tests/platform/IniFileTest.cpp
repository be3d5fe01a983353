#include "platform/IniFile.h"
#include "platform/Cp1251Codec.h"

#include <QDir>
#include <QFile>
#include <QLocale>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using tsivor::platform::Cp1251Decode;
using tsivor::platform::Cp1251Encode;
using tsivor::platform::TIniDocument;
using tsivor::platform::TIniEncoding;
using tsivor::platform::TIniFile;

namespace {

class IniFileTest : public testing::Test {
protected:
    QString Path(const QString& name = QStringLiteral("tsivor.ini")) const {
        return dir.filePath(name);
    }
    void Put(const QByteArray& bytes, const QString& name = QStringLiteral("tsivor.ini")) {
        QFile f(Path(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    QByteArray Get(const QString& name = QStringLiteral("tsivor.ini")) const {
        QFile f(Path(name));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    QTemporaryDir dir;
};

// A deployment file as the original system left it: cp1251, CRLF, comments, an odd line.
QByteArray Cp1251Sample() {
    return Cp1251Encode(QStringLiteral("; Настройки Цивора\r\n"
                                       "[Main]\r\n"
                                       "City=Заречинск\r\n"
                                       "Year = 2004\r\n"
                                       "эта строка без знака равенства\r\n"
                                       "\r\n"
                                       "; масштабы\r\n"
                                       "[Mas]\r\n"
                                       "min_3=70\r\n")) +
           QByteArray("; byte without a character: \x98\r\n");
}

} // namespace

TEST_F(IniFileTest, Cp1251FileIsReadAndWrittenBackUntouchedElsewhere) {
    Put(Cp1251Sample());
    TIniFile ini(Path());
    EXPECT_EQ(ini.ReadString("Main", "City", ""), QStringLiteral("Заречинск"));
    EXPECT_EQ(ini.ReadInteger("Main", "Year", 0), 2004);

    ASSERT_TRUE(ini.WriteString("Main", "City", QStringLiteral("Лесогорск")));
    QByteArray expected = Cp1251Sample();
    expected.replace(Cp1251Encode(QStringLiteral("City=Заречинск")),
                     Cp1251Encode(QStringLiteral("City=Лесогорск")));
    EXPECT_EQ(Get(), expected); // still cp1251, CRLF, comments and the 0x98 byte kept

    ASSERT_TRUE(ini.WriteInteger("Mas", "font", 90));
    expected.replace("min_3=70\r\n", "min_3=70\r\nfont=90\r\n");
    EXPECT_EQ(Get(), expected);
    EXPECT_EQ(TIniDocument::Parse(Get()).Encoding(), TIniEncoding::Cp1251);
}

TEST_F(IniFileTest, Utf8WithAndWithoutBom) {
    const QByteArray bom("\xEF\xBB\xBF");
    Put(bom + QStringLiteral("[Main]\nCity=Заречинск\n").toUtf8());
    TIniFile ini(Path());
    EXPECT_EQ(ini.ReadString("Main", "City", ""), QStringLiteral("Заречинск"));
    ASSERT_TRUE(ini.WriteString("Main", "Citya", QStringLiteral("Заречинска")));
    EXPECT_EQ(Get(), bom + QStringLiteral("[Main]\nCity=Заречинск\nCitya=Заречинска\n").toUtf8());

    Put(QStringLiteral("[Main]\nCity=Ёлкино").toUtf8(), QStringLiteral("plain.ini"));
    TIniFile plain(Path(QStringLiteral("plain.ini")));
    EXPECT_EQ(plain.ReadString("Main", "City", ""), QStringLiteral("Ёлкино"));
    ASSERT_TRUE(plain.WriteString("Main", "Year", "2005"));
    // The last line had no line end; it gets one before the new key.
    EXPECT_EQ(Get(QStringLiteral("plain.ini")),
              QStringLiteral("[Main]\nCity=Ёлкино\nYear=2005\n").toUtf8());
}

TEST_F(IniFileTest, WritingAKeyKeepsCommentsSectionsAndOrder) {
    const QByteArray text = "; top\n"
                            "[Main]\n"
                            "City=A\n"
                            "  Year = 2003   \n"
                            "\n"
                            "; about the map\n"
                            "[Map]\n"
                            "P1=1\n";
    Put(text);
    TIniFile ini(Path());
    ASSERT_TRUE(ini.WriteInteger("Main", "Year", 2006));
    ASSERT_TRUE(ini.WriteString("Main", "Month", "9"));
    ASSERT_TRUE(ini.WriteString("Buttons", "3d", "1"));
    EXPECT_EQ(Get(), QByteArray("; top\n"
                                "[Main]\n"
                                "City=A\n"
                                "  Year = 2006\n"
                                "Month=9\n"
                                "\n"
                                "; about the map\n"
                                "[Map]\n"
                                "P1=1\n"
                                "[Buttons]\n"
                                "3d=1\n"));
}

TEST_F(IniFileTest, NamesIgnoreCaseAndTheFirstOccurrenceWins) {
    Put(QStringLiteral("[main]\nCITY=A\ncity=B\n[Раздел]\nКлюч=1\n[MAIN]\nYear=7\n").toUtf8());
    TIniFile ini(Path());
    EXPECT_EQ(ini.ReadString("Main", "City", ""), "A");
    EXPECT_EQ(ini.ReadInteger("Main", "Year", 0), 7); // a repeated section is searched too
    EXPECT_EQ(ini.ReadInteger(QStringLiteral("РАЗДЕЛ"), QStringLiteral("ключ"), 0), 1);
    EXPECT_TRUE(ini.SectionExists("MaIn"));
    EXPECT_EQ(ini.ReadSection("Main"), QStringList({"CITY", "Year"}));
    EXPECT_EQ(ini.ReadSections(), QStringList({"main", QStringLiteral("Раздел")}));

    ASSERT_TRUE(ini.WriteString("MAIN", "City", "C"));
    EXPECT_EQ(ini.ReadString("main", "city", ""), "C");
    EXPECT_TRUE(Get().startsWith("[main]\nCITY=C\n"));
}

TEST_F(IniFileTest, MalformedLinesAreKeptAndIgnored) {
    Put(QByteArray("orphan=1\n"
                   "[\n"
                   "[]\n"
                   "=novalue\n"
                   "garbage \x01\xFF\n"
                   "[Main\n" // an unclosed bracket still names the section
                   "City=X\n"
                   "Empty=\n"
                   "Quoted=\"  padded  \"\n"));
    TIniFile ini(Path());
    EXPECT_EQ(ini.ReadString("", "orphan", "none"), "none");
    EXPECT_EQ(ini.ReadString("Main", "City", ""), "X");
    EXPECT_EQ(ini.ReadString("Main", "Empty", "def"), "");
    EXPECT_EQ(ini.ReadString("Main", "Quoted", ""), "  padded  ");
    const QByteArray before = Get();
    ASSERT_TRUE(ini.WriteString("Main", "City", "Y"));
    QByteArray expected = before;
    expected.replace("City=X", "City=Y");
    EXPECT_EQ(Get(), expected);
}

TEST_F(IniFileTest, ValuesReadBackAsWritten) {
    TIniFile ini(Path());
    ASSERT_TRUE(ini.WriteString("Main", "A", "  spaced "));
    ASSERT_TRUE(ini.WriteString("Main", "B", "'quoted'"));
    ASSERT_TRUE(ini.WriteString("Main", "C", "two\r\nlines"));
    EXPECT_EQ(ini.ReadString("Main", "A", ""), "  spaced ");
    EXPECT_EQ(ini.ReadString("Main", "B", ""), "'quoted'");
    EXPECT_EQ(ini.ReadString("Main", "C", ""), "two  lines"); // one line per key
    EXPECT_EQ(ini.ReadSection("Main").size(), 3);
}

TEST_F(IniFileTest, MissingFileGivesDefaultsAndIsCreatedOnWrite) {
    TIniFile ini(Path());
    EXPECT_EQ(ini.ReadString("Main", "City", "dflt"), "dflt");
    EXPECT_EQ(ini.ReadInteger("Main", "Year", 2003), 2003);
    EXPECT_FALSE(ini.SectionExists("Main"));
    EXPECT_TRUE(ini.DeleteKey("Main", "City")); // nothing to do is no failure
    EXPECT_FALSE(QFile::exists(Path()));
    ASSERT_TRUE(ini.WriteInteger("Main", "Year", 2004));
    EXPECT_EQ(Get(), "[Main]\nYear=2004\n");
}

TEST_F(IniFileTest, MissingFolderFailsWithARussianMessage) {
    TIniFile ini(dir.filePath("no/such/folder/tsivor-f.ini"));
    EXPECT_FALSE(ini.WriteString("Main", "Favorit", "1;"));
    EXPECT_TRUE(ini.LastError().contains(QStringLiteral("папка")));
    EXPECT_EQ(ini.ReadString("Main", "Favorit", "none"), "none");
}

TEST_F(IniFileTest, UnreadableFileReadsAsEmptyAndIsNotOverwritten) {
    ASSERT_TRUE(QDir(dir.path()).mkdir("tsivor.ini")); // a folder where the file should be
    TIniFile ini(Path());
    EXPECT_EQ(ini.ReadInteger("Main", "Year", 5), 5);
    EXPECT_FALSE(ini.WriteInteger("Main", "Year", 6));
    EXPECT_FALSE(ini.LastError().isEmpty());
    EXPECT_TRUE(QFileInfo(Path()).isDir());
}

TEST_F(IniFileTest, InvalidNamesAreRefused) {
    TIniFile ini(Path());
    EXPECT_FALSE(ini.WriteString("Main", "a=b", "1"));
    EXPECT_FALSE(ini.WriteString("Ma]in", "a", "1"));
    EXPECT_FALSE(ini.WriteString("Main", "", "1"));
    EXPECT_FALSE(QFile::exists(Path()));
}

TEST_F(IniFileTest, IntegerAndBooleanRules) {
    Put("[K]\nzero=0\ntwo=2\nminus=-1\nspaced= 12 \nword=yes\ntail=12abc\nhex=$1F\n"
        "hex2=0x10\nhuge=99999999999\nfloat=2.5\nempty=\n");
    TIniFile ini(Path());
    EXPECT_FALSE(ini.ReadBool("K", "zero", true));
    EXPECT_TRUE(ini.ReadBool("K", "two", false));
    EXPECT_TRUE(ini.ReadBool("K", "minus", false));
    EXPECT_FALSE(ini.ReadBool("K", "word", false)); // not a number: the default
    EXPECT_TRUE(ini.ReadBool("K", "word", true));
    EXPECT_EQ(ini.ReadInteger("K", "spaced", 0), 12);
    EXPECT_EQ(ini.ReadInteger("K", "tail", 7), 7);
    EXPECT_EQ(ini.ReadInteger("K", "hex", 0), 31);
    EXPECT_EQ(ini.ReadInteger("K", "hex2", 0), 16);
    EXPECT_EQ(ini.ReadInteger("K", "huge", 7), 7);
    EXPECT_EQ(ini.ReadInteger("K", "float", 7), 7);
    EXPECT_EQ(ini.ReadInteger("K", "empty", 7), 7);
    EXPECT_EQ(ini.ReadInteger("K", "minus", 0), -1);

    ASSERT_TRUE(ini.WriteBool("K", "zero", true));
    ASSERT_TRUE(ini.WriteBool("K", "two", false));
    EXPECT_TRUE(Get().startsWith("[K]\nzero=1\ntwo=0\n"));
}

TEST_F(IniFileTest, FloatsFollowTheLocaleAndAcceptAPoint) {
    const QLocale saved;
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    {
        TIniFile ini(Path());
        ASSERT_TRUE(ini.WriteFloat("Map", "P1", 1234.5));
        ASSERT_TRUE(ini.WriteFloat("Map", "M1", 333));
        EXPECT_EQ(Get(), "[Map]\nP1=1234,5\nM1=333\n"); // no group separator
        EXPECT_DOUBLE_EQ(ini.ReadFloat("Map", "P1", 0), 1234.5);
        ASSERT_TRUE(ini.WriteString("Map", "P2", "2.25"));
        EXPECT_DOUBLE_EQ(ini.ReadFloat("Map", "P2", 0), 2.25);
    }
    QLocale::setDefault(QLocale::c());
    {
        TIniFile ini(Path());
        EXPECT_DOUBLE_EQ(ini.ReadFloat("Map", "P1", 0), 1234.5); // a comma file elsewhere
        ASSERT_TRUE(ini.WriteFloat("Map", "P1", 0.125));
        EXPECT_TRUE(Get().contains("P1=0.125\n"));
        for (const char* bad : {"nan", "inf", "1e999", "abc", "1,2,3", ""}) {
            ASSERT_TRUE(ini.WriteString("Map", "bad", bad));
            EXPECT_DOUBLE_EQ(ini.ReadFloat("Map", "bad", 333), 333) << bad;
        }
    }
    QLocale::setDefault(saved);
}

TEST_F(IniFileTest, FloatsRoundTripExactly) {
    for (double v : {0.0, -0.5, 1.0 / 3.0, 123456789.125, 1e-9, 4.5e20}) {
        const auto back = TIniFile::ParseFloat(TIniFile::FormatFloat(v));
        ASSERT_TRUE(back.has_value()) << v;
        EXPECT_EQ(*back, v);
    }
}

TEST_F(IniFileTest, EraseSectionAndDeleteKey) {
    Put("[A]\nx=1\ny=2\n; note of B\n[B]\nz=3\n[a]\nx=4\n");
    TIniFile ini(Path());
    ASSERT_TRUE(ini.DeleteKey("A", "x"));
    EXPECT_EQ(ini.ReadInteger("A", "x", 0), 0); // both occurrences gone
    EXPECT_EQ(ini.ReadInteger("A", "y", 0), 2);
    ASSERT_TRUE(ini.EraseSection("a"));
    EXPECT_FALSE(ini.SectionExists("A"));
    EXPECT_EQ(Get(), "[B]\nz=3\n");
}

TEST_F(IniFileTest, TwoObjectsOnOneFileSeeEachOthersWrites) {
    TIniFile a(Path()), b(Path());
    ASSERT_TRUE(a.WriteString("Main", "Favorit", "12;"));
    EXPECT_EQ(b.ReadString("Main", "Favorit", ""), "12;");
    ASSERT_TRUE(b.WriteString("Main", "Favorit", "12;7;"));
    EXPECT_EQ(a.ReadString("Main", "Favorit", ""), "12;7;");
}

TEST(Cp1251Codec, EveryDefinedByteRoundTrips) {
    for (int b = 0; b < 256; ++b) {
        if (b == 0x98) continue; // no character in the code page
        const QByteArray one(1, char(b));
        EXPECT_EQ(Cp1251Encode(Cp1251Decode(one)), one) << b;
    }
    EXPECT_EQ(Cp1251Decode(QByteArray("\xC0\xFF\xA8\xB8")), QStringLiteral("АяЁё"));
    EXPECT_EQ(Cp1251Encode(QStringLiteral("日")), "?");
}
