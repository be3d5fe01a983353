#include "CityPlan.h"
#include "SampleArt.h"
#include "SampleParts.h"

#include "mapdata/Cp1251.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QMovie>
#include <QSettings>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <map>

namespace tsivor::sample {
namespace {

const CityPlan& Plan() {
    static const CityPlan plan = MakeCityPlan(false);
    return plan;
}

QByteArray Read(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Every picture file of a deployment folder with its bytes.
std::map<QString, QByteArray> Files(const QString& root) {
    std::map<QString, QByteArray> out;
    QDirIterator it(root, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        out[QDir(root).relativeFilePath(path)] = Read(path);
    }
    return out;
}

int GifFrames(const QString& path) {
    QMovie movie(path);
    return movie.isValid() ? movie.frameCount() : -1;
}

class SamplePictures : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        dir_ = new QTemporaryDir;
        QString error;
        ASSERT_TRUE(WriteSamplePictures(Plan(), dir_->path(), &error)) << error.toStdString();
    }
    static void TearDownTestSuite() { delete dir_; }
    static QString Path(const QString& relative) { return QDir(dir_->path()).filePath(relative); }
    static inline QTemporaryDir* dir_ = nullptr;
};

TEST_F(SamplePictures, BannersAreBitmapsOfTheBannerSize) {
    const QStringList banners = QDir(Path("banner")).entryList({"*.bmp"}, QDir::Files);
    ASSERT_GE(banners.size(), 3);
    EXPECT_TRUE(banners.contains("ban_1.bmp"));
    EXPECT_TRUE(banners.filter("ban_").size() < banners.size()); // one leads nowhere
    for (const QString& b : banners) {
        QImageReader reader(Path("banner/" + b));
        EXPECT_EQ(reader.format(), "bmp");
        EXPECT_EQ(reader.size(), QSize(281, 57)) << b.toStdString();
    }
}

TEST_F(SamplePictures, AnimationsAreGifsWithSeveralFrames) {
    QStringList gifs;
    for (const char* folder : {"panel", "start", "header"})
        for (const QString& f : QDir(Path(folder)).entryList({"*.gif"}, QDir::Files))
            gifs << QString::fromLatin1(folder) + "/" + f;
    EXPECT_EQ(QDir(Path("panel")).entryList({"panel_*.gif"}).size(), 1);
    EXPECT_EQ(QDir(Path("panel")).entryList({"panelr_*.gif"}).size(), 1);
    EXPECT_GE(QDir(Path("start")).entryList({"st_*.gif"}).size(), 4);
    ASSERT_GE(gifs.size(), 8);
    for (const QString& g : gifs) {
        EXPECT_TRUE(Read(Path(g)).startsWith("GIF89a")) << g.toStdString();
        EXPECT_GT(GifFrames(Path(g)), 1) << g.toStdString();
        QImageReader reader(Path(g));
        const QImage first = reader.read();
        EXPECT_FALSE(first.isNull()) << g.toStdString();
    }
    EXPECT_EQ(QImageReader(
                  Path(QDir(Path("panel")).entryList({"panel_*.gif"}).value(0).prepend("panel/")))
                  .size(),
              QSize(142, 30));
}

TEST_F(SamplePictures, CardHeadersAre279WideAndOneOrTwoRowsHigh) {
    const QStringList headers = QDir(Path("header")).entryList(QDir::Files);
    ASSERT_GE(headers.size(), 6);
    for (int n = 1; n <= 6; ++n) // the directory gives organisations 1..6 a header
        EXPECT_TRUE(headers.contains(QString("head_%1.bmp").arg(n)) ||
                    headers.contains(QString("head_%1.gif").arg(n)));
    for (const QString& h : headers) {
        const QSize size = QImageReader(Path("header/" + h)).size();
        EXPECT_EQ(size.width(), 279);
        EXPECT_TRUE(size.height() == 32 || size.height() == 62) << h.toStdString();
    }
}

TEST_F(SamplePictures, LogoFilesPointIntoTheTown) {
    const CityPlan& plan = Plan();
    auto inTown = [&](int x, int y) {
        return x >= plan.MinX && x <= plan.MaxX && y >= plan.MinY && y <= plan.MaxY;
    };
    QSettings logos(Path("logo/logo.ini"), QSettings::IniFormat);
    const int count = logos.value("Main/Count").toInt();
    ASSERT_GT(count, 0);
    for (int i = 0; i < count; ++i) {
        logos.beginGroup(QString("Logo%1").arg(i));
        const int p9 = logos.value("P9").toInt();
        EXPECT_TRUE(p9 >= 1 && p9 <= 20);
        EXPECT_TRUE(QImageReader(Path(QString("logo/logo_%1.bmp").arg(p9))).canRead());
        EXPECT_LT(logos.value("P1").toInt(), logos.value("P3").toInt());
        EXPECT_LT(logos.value("P2").toInt(), logos.value("P4").toInt());
        EXPECT_TRUE(inTown(logos.value("P5").toInt(), logos.value("P6").toInt()));
        logos.endGroup();
    }
    QSettings icons(Path("logo/logo_p.ini"), QSettings::IniFormat);
    ASSERT_GT(icons.value("Main/Count").toInt(), 0);
    for (int i = 0; i < icons.value("Main/Count").toInt(); ++i) {
        icons.beginGroup(QString("Logo%1").arg(i));
        EXPECT_TRUE(inTown(icons.value("P3").toInt(), icons.value("P4").toInt()));
        EXPECT_GT(icons.value("P5").toInt(), 0);
        icons.endGroup();
    }
    QSettings rubric(Path("logo/logo_r.ini"), QSettings::IniFormat);
    ASSERT_GT(rubric.value("Main/Count").toInt(), 0);
    for (int i = 0; i < rubric.value("Main/Count").toInt(); ++i) {
        rubric.beginGroup(QString("Logo%1").arg(i));
        EXPECT_GT(rubric.value("id").toInt(), 0);
        const int points = rubric.value("count").toInt();
        ASSERT_GT(points, 0);
        for (int j = 0; j < points; ++j) {
            const QStringList xy = rubric.value(QString("p%1").arg(j)).toString().split(' ');
            ASSERT_EQ(xy.size(), 2);
            EXPECT_TRUE(inTown(xy[0].toInt(), xy[1].toInt()));
        }
        rubric.endGroup();
    }
}

TEST_F(SamplePictures, AreTheSameOnEveryRun) {
    QTemporaryDir again;
    QString error;
    ASSERT_TRUE(WriteSamplePictures(Plan(), again.path(), &error));
    const auto a = Files(dir_->path()), b = Files(again.path());
    ASSERT_EQ(a.size(), b.size());
    for (const auto& [name, bytes] : a)
        EXPECT_TRUE(b.count(name) && b.at(name) == bytes) << name.toStdString();
}

TEST(GifWriter, KeepsEveryFrameAndItsSize) {
    QTemporaryDir dir;
    std::vector<GifFrame> frames;
    for (int k = 0; k < 3; ++k) {
        QImage img(40, 20, QImage::Format_RGB32);
        img.fill(QColor(80 * k, 40, 200 - 60 * k));
        frames.push_back({img, 25});
    }
    const QString path = dir.filePath("a.gif");
    QString error;
    ASSERT_TRUE(WriteGif(path, frames, &error)) << error.toStdString();
    QMovie movie(path);
    ASSERT_TRUE(movie.isValid());
    EXPECT_EQ(movie.frameCount(), 3);
    QImageReader reader(path);
    const QImage second = (reader.read(), reader.read());
    ASSERT_FALSE(second.isNull());
    EXPECT_EQ(second.size(), QSize(40, 20));
    EXPECT_EQ(QColor(second.pixel(5, 5)), QColor(80, 40, 140));
}

TEST(GifWriter, RefusesNothingToWriteAndBadPaths) {
    QString error;
    EXPECT_FALSE(WriteGif("/tmp/none.gif", {}, &error));
    QImage img(4, 4, QImage::Format_RGB32);
    img.fill(Qt::red);
    error.clear();
    EXPECT_FALSE(WriteGif("/proc/no/such/x.gif", {{img, 10}}, &error));
    EXPECT_FALSE(error.isEmpty());
}

TEST(SampleIni, IsACp1251ProfileWithTheTownAndTheMapScale) {
    QTemporaryDir dir;
    QString error;
    ASSERT_TRUE(WriteSampleIni(Plan(), dir.path(), &error));
    const QByteArray bytes = Read(dir.filePath("tsivor.ini"));
    EXPECT_TRUE(bytes.contains("\r\n"));
    EXPECT_TRUE(bytes.contains(cp1251::FromUnicode(QStringLiteral("Заречинск"))));
    EXPECT_FALSE(bytes.contains(QStringLiteral("Заречинск").toUtf8()));
    const QString text = cp1251::ToUnicode(bytes);
    EXPECT_TRUE(text.contains(QStringLiteral("City=Заречинск\r\n")));
    EXPECT_TRUE(text.contains(QStringLiteral("Citya=Заречинска\r\n")));
    EXPECT_TRUE(text.contains(QString("Mashtab=%1\r\n").arg(Plan().Mashtab)));
    EXPECT_TRUE(text.contains("[Map]\r\nnedv=1\r\nPan=1\r\n"));
    for (const char* key : {"Year=", "Month=", "PhoneS=", "PhoneM=", "WWW=", "Help=", "min_3=",
                            "min_adr=", "logo_p=", "logo_rub=", "font=", "scale_find="})
        EXPECT_TRUE(text.contains(QLatin1String(key))) << key;
}

} // namespace
} // namespace tsivor::sample
