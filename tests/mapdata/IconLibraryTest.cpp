#include "mapdata/OrbIcon.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace tsivor::mapdata {
namespace {

// A 4 × 4 picture of one colour with an aqua corner pixel.
QByteArray Bmp(QRgb colour) {
    QImage img(4, 4, QImage::Format_ARGB32);
    img.fill(colour);
    img.setPixel(0, 0, qRgb(0, 255, 255));
    return EncodeIconBmp(img);
}

TOrbIconPicture Pic(const QString& name, QRgb colour = qRgb(200, 0, 0), uint8_t transparent = 1) {
    TOrbIconPicture p;
    p.Head.Name = name;
    p.Head.Transparent = transparent;
    p.Data = Bmp(colour);
    return p;
}

std::vector<TOrbIconPicture> Numbered(int n) {
    std::vector<TOrbIconPicture> pics;
    for (int i = 0; i < n; ++i) pics.push_back(Pic(QString::number(i), qRgb(i * 5, 10, 10)));
    return pics;
}

TEST(IconLibraryFile, WrittenLibraryReadsBack) {
    std::vector<TOrbIconPicture> pics = {Pic("  f-1 "), Pic("Знак", qRgb(0, 0, 200), 0)};
    const QByteArray bytes = WriteIconLibrary("tsivor", pics);
    EXPECT_EQ(bytes.size(),
              kIconHeaderSize + 2 * kIconEntryHeadSize + pics[0].Data.size() + pics[1].Data.size());

    TOrbIconList lib;
    ASSERT_TRUE(lib.LoadFromBytes(bytes));
    EXPECT_EQ(lib.Name(), "tsivor");
    ASSERT_EQ(lib.Count(), 2);
    EXPECT_EQ(lib.PictureName(0), "F-1");
    EXPECT_EQ(lib.PictureName(1), "ЗНАК");
    EXPECT_EQ(lib.Picture(1)->Head.Transparent, 0);
    EXPECT_EQ(lib.Picture(1)->Head.TransparentColor, kIconAqua);
    EXPECT_EQ(lib.Picture(1)->Data, pics[1].Data);
    EXPECT_EQ(lib.IndexOf("знак"), 1);
    EXPECT_EQ(lib.PictureName(2), "");
}

TEST(IconLibraryFile, HeaderWithoutPicturesGivesANamedEmptyLibrary) {
    TOrbIconList lib;
    ASSERT_TRUE(lib.LoadFromBytes(WriteIconLibrary("Пустая", Numbered(3), false)));
    EXPECT_EQ(lib.Name(), "Пустая");
    EXPECT_EQ(lib.Count(), 0);
}

TEST(IconLibraryFile, DamagedFilesKeepTheIntactPart) {
    const QByteArray good = WriteIconLibrary("lib", Numbered(3));
    QString error;
    TOrbIconList lib;

    EXPECT_FALSE(lib.LoadFromBytes(good.left(100), &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(lib.Count(), 0);

    error.clear();
    EXPECT_FALSE(lib.LoadFromBytes(good.left(good.size() - 5), &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(lib.Count(), 2);
    EXPECT_EQ(lib.Name(), "lib");

    QByteArray hugeCount = good;
    hugeCount[177] = char(0xFF), hugeCount[178] = char(0xFF), hugeCount[179] = char(0xFF),
    hugeCount[180] = char(0x7F);
    EXPECT_FALSE(lib.LoadFromBytes(hugeCount));
    EXPECT_EQ(lib.Count(), 3);

    QByteArray negativeSize = good;
    negativeSize[kIconHeaderSize + 39] = char(0x80); // DataSize of the first picture < 0
    EXPECT_FALSE(lib.LoadFromBytes(negativeSize));
    EXPECT_EQ(lib.Count(), 0);

    QByteArray longName = good;
    longName[75] = char(250); // name length beyond its field is clamped
    EXPECT_TRUE(lib.LoadFromBytes(longName));
    EXPECT_LE(lib.Name().size(), kIconNameLength);
}

TEST(IconLibraryFile, PictureThatIsNoBmpIsMissing) {
    TOrbIconList lib("x");
    TOrbIconHead head;
    head.Name = "broken";
    lib.AddPicture(head, QByteArray("not a picture at all"));
    EXPECT_EQ(lib.GetIcon("broken"), nullptr);
    EXPECT_EQ(lib.GetIconByIndex(0), nullptr);
    EXPECT_TRUE(lib.Cache().empty());
}

TEST(IconLibraryCache, TransparencyFollowsTheEntry) {
    TOrbIconList lib("x");
    TOrbIconPicture opaque = Pic("opaque", qRgb(1, 2, 3), 0), clear = Pic("clear");
    lib.AddPicture(clear.Head, clear.Data);
    lib.AddPicture(opaque.Head, opaque.Data);
    const QImage* a = lib.GetIcon("clear");
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a->size(), QSize(4, 4));
    EXPECT_EQ(qAlpha(a->pixel(0, 0)), 0);
    EXPECT_EQ(a->pixel(1, 1), qRgb(200, 0, 0));
    const QImage* b = lib.GetIcon("opaque");
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(b->pixel(0, 0), qRgb(0, 255, 255));
}

TEST(IconLibraryCache, ThirtySecondPictureReplacesTheLeastUsed) {
    TOrbIconList lib;
    ASSERT_TRUE(lib.LoadFromBytes(WriteIconLibrary("x", Numbered(40))));
    for (int i = 0; i < kIconCacheSize; ++i) ASSERT_NE(lib.GetIconByIndex(i), nullptr);
    ASSERT_EQ(int(lib.Cache().size()), kIconCacheSize);
    // hits by index and by name both count as uses
    for (int i = 0; i < kIconCacheSize; ++i)
        if (i != 3 && i != 7 && i != 9) lib.GetIconByIndex(i);
    lib.GetIcon("9");
    EXPECT_EQ(lib.Cache()[9].Uses, 1);
    EXPECT_EQ(lib.Cache()[3].Uses, 0);

    ASSERT_NE(lib.GetIconByIndex(35), nullptr);
    EXPECT_EQ(int(lib.Cache().size()), kIconCacheSize);
    EXPECT_EQ(lib.Cache()[3].Index, 35);
    EXPECT_EQ(lib.Cache()[3].Name, "35");
    // the fresh record has no uses yet, so it is the first candidate again
    ASSERT_NE(lib.GetIcon("36"), nullptr);
    EXPECT_EQ(lib.Cache()[3].Index, 36);
    EXPECT_EQ(lib.Cache()[7].Index, 7);
    EXPECT_EQ(lib.GetIcon("36")->pixel(2, 2), qRgb(180, 10, 10));

    lib.DeletePicture(0);
    EXPECT_TRUE(lib.Cache().empty());
}

TEST(OrbIcon, LookupsAcrossLibraries) {
    TOrbIcon icons;
    icons.AddLibrary("Первая");
    ASSERT_TRUE(
        icons.LoadIconLibraryFromBytes(WriteIconLibrary("tsivor", {Pic("F-1"), Pic("I-1")})));
    EXPECT_EQ(icons.LibraryCount(), 2);
    EXPECT_EQ(icons.LibraryIndex("TSIVOR"), 1);
    EXPECT_EQ(icons.LibraryIndex(" первая "), 0);
    EXPECT_EQ(icons.LibraryName(5), "");
    EXPECT_EQ(icons.LibraryName(-1), "");
    EXPECT_NE(icons.GetIcon("tsivor", "  f-1 "), nullptr);
    EXPECT_EQ(icons.GetIcon("tsivor", "x"), nullptr);
    EXPECT_EQ(icons.GetIcon("nope", "F-1"), nullptr);
    EXPECT_NE(icons.GetIconByIndex("Tsivor", 1), nullptr);
    EXPECT_EQ(icons.GetIconByIndex("Tsivor", 2), nullptr);
    EXPECT_EQ(icons.PictureCount("tsivor"), 2);
    EXPECT_EQ(icons.PictureCount("nope"), 0);
    EXPECT_EQ(icons.PictureIndex("tsivor", "i-1"), 1);
    EXPECT_EQ(icons.PictureIndex("nope", "i-1"), -1);
    EXPECT_EQ(icons.PictureName("tsivor", 0), "F-1");
    EXPECT_EQ(icons.PictureName("tsivor", 9), "");
}

TEST(OrbIcon, FilesThatCannotBeReadAddNothing) {
    TOrbIcon icons;
    QString error;
    EXPECT_FALSE(icons.LoadIconLibrary("/nonexistent/tsivor.lib", &error));
    EXPECT_TRUE(error.contains("tsivor.lib"));
    EXPECT_EQ(icons.LibraryCount(), 0);

    QTemporaryDir dir;
    const QString path = dir.filePath("t.lib");
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(WriteIconLibrary("file", Numbered(2)));
    f.close();
    EXPECT_TRUE(icons.LoadIconLibrary(path));
    EXPECT_EQ(icons.PictureCount("FILE"), 2);
}

class RecordingClient : public TOrbIconClient {
public:
    void IconsChanged() override { ++changes; }
    void IconsDetached() override { ++detached; }
    int changes = 0, detached = 0;
};

TEST(OrbIcon, ClientsHearOfChangesAndDestruction) {
    RecordingClient a, b;
    {
        TOrbIcon icons;
        icons.RegisterClient(&a);
        icons.RegisterClient(&a);
        icons.RegisterClient(&b);
        EXPECT_EQ(icons.ClientCount(), 2);
        icons.AddLibrary("x");
        icons.UnregisterClient(&b);
        icons.ClearLibraries();
        EXPECT_EQ(icons.LibraryCount(), 0);
    }
    EXPECT_EQ(a.changes, 2);
    EXPECT_EQ(b.changes, 1);
    EXPECT_EQ(a.detached, 1);
    EXPECT_EQ(b.detached, 0);
}

TEST(IconBmp, TwoHundredFiftySixColoursWithAquaForTheBackground) {
    QImage img(32, 32, QImage::Format_ARGB32);
    img.fill(Qt::transparent);
    for (int x = 0; x < 32; ++x) img.setPixel(x, 5, qRgb(x * 8, 255 - x * 8, 100)); // 32 colours
    const QByteArray bmp = EncodeIconBmp(img);
    ASSERT_GE(bmp.size(), 54);
    EXPECT_EQ(bmp.left(2), "BM");
    EXPECT_EQ(uint8_t(bmp[28]), 8); // bits per pixel
    QImage back;
    ASSERT_TRUE(back.loadFromData(bmp, "BMP"));
    EXPECT_EQ(back.colorCount(), 256);
    EXPECT_EQ(back.pixel(0, 0) & 0xFFFFFF, 0x00FFFFu);
    EXPECT_EQ(back.pixel(31, 5), qRgb(248, 7, 100));
}

} // namespace
} // namespace tsivor::mapdata
