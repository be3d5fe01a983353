// tsivor-render's command line and pictures of the sample city.
#include "MapPictureJob.h"

#include "app/MapZoom.h"

#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace tsivor;
using render::ParseJob;

namespace {

const QString kCity = QStringLiteral(TSIVOR_DEPLOY_DIR "/info1.db");

QStringList Args(const char* line) {
    return QString::fromUtf8(line).split(QLatin1Char(' '), Qt::SkipEmptyParts);
}

} // namespace

TEST(RenderJobArguments, DefaultsAndOptions) {
    QString error;
    auto job = ParseJob(Args("map.db out.png"), error);
    ASSERT_TRUE(job);
    EXPECT_TRUE(job->Fit);
    EXPECT_EQ(job->Size, QSize(1024, 768));
    job = ParseJob(Args("--plain --scale 250 --origin 10 -20.5 --size 300x200 --16bit m o.bmp"),
                   error);
    ASSERT_TRUE(job) << error.toStdString();
    EXPECT_TRUE(job->Plain);
    EXPECT_FALSE(job->Fit);
    EXPECT_DOUBLE_EQ(*job->Scale, 250);
    EXPECT_EQ(*job->Origin, QPointF(10, -20.5));
    EXPECT_EQ(job->Size, QSize(300, 200));
    EXPECT_TRUE(job->Bits16);
}

TEST(RenderJobArguments, BadInputGetsAMessage) {
    for (const char* line : {"m.db", "m.db o.jpg", "--scale 0 m o.png", "--scale x m o.png",
                             "--size 10 m o.png", "--size 0x5 m o.png", "--origin 1 m o.png",
                             "--fit --scale 200 m o.png", "--wat m o.png"}) {
        QString error;
        EXPECT_FALSE(ParseJob(Args(line), error)) << line;
        EXPECT_FALSE(error.isEmpty()) << line;
    }
}

TEST(RenderJobRun, SampleCityFitsThePicture) {
    if (!QFileInfo::exists(kCity)) GTEST_SKIP() << "sample deployment not built";
    QTemporaryDir dir;
    QString error;
    auto job = ParseJob({kCity, dir.filePath(QStringLiteral("city.png")), QStringLiteral("--size"),
                         QStringLiteral("320x240")},
                        error);
    ASSERT_TRUE(job);
    mapview::TDataMap map;
    ASSERT_TRUE(render::RunJob(*job, map, error)) << error.toStdString();
    const QImage img(dir.filePath(QStringLiteral("city.png")));
    ASSERT_EQ(img.size(), QSize(320, 240));
    // The application's background shows at a corner, the town in the middle.
    EXPECT_EQ(img.pixel(0, 0), qRgb(237, 211, 174));
    int other = 0;
    for (int x = 100; x < 220; ++x) other += img.pixel(x, 120) != qRgb(237, 211, 174);
    EXPECT_GT(other, 100);
}

TEST(RenderJobRun, SixteenBitBmpAndUnreadableMaps) {
    if (!QFileInfo::exists(kCity)) GTEST_SKIP() << "sample deployment not built";
    QTemporaryDir dir;
    QString error;
    const QString out = dir.filePath(QStringLiteral("city.bmp"));
    auto job = ParseJob(
        {kCity, out, QStringLiteral("--16bit"), QStringLiteral("--size"), QStringLiteral("64x48")},
        error);
    ASSERT_TRUE(job);
    {
        mapview::TDataMap map;
        ASSERT_TRUE(render::RunJob(*job, map, error)) << error.toStdString();
    }
    QFile bmp(out);
    ASSERT_TRUE(bmp.open(QIODevice::ReadOnly));
    const QByteArray bytes = bmp.readAll();
    ASSERT_GT(bytes.size(), 54);
    EXPECT_EQ(uchar(bytes[28]), 16);
    EXPECT_EQ(bytes.size(), 54 + 64 * 2 * 48);

    const QString junk = dir.filePath(QStringLiteral("junk.db"));
    QFile f(junk);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("not a map at all");
    f.close();
    for (bool plain : {false, true}) {
        auto bad = ParseJob({junk, dir.filePath(QStringLiteral("x.png"))}, error);
        ASSERT_TRUE(bad);
        bad->Plain = plain;
        mapview::TDataMap map;
        error.clear();
        EXPECT_FALSE(render::RunJob(*bad, map, error));
        EXPECT_FALSE(error.isEmpty());
    }
}

TEST(RenderJobRun, ThreeDimensionalViewRaisesTheHouses) {
    if (!QFileInfo::exists(kCity)) GTEST_SKIP() << "sample deployment not built";
    QTemporaryDir dir;
    QString error;
    QImage pictures[2];
    for (int k = 0; k < 2; ++k) {
        QStringList args = {kCity,
                            dir.filePath(QStringLiteral("v%1.png").arg(k)),
                            QStringLiteral("--size"),
                            QStringLiteral("400x300"),
                            QStringLiteral("--scale"),
                            QStringLiteral("400"),
                            QStringLiteral("--origin"),
                            QStringLiteral("900"),
                            QStringLiteral("1150")}; // a street of houses
        if (k == 1) args << QStringLiteral("--3d");
        auto job = ParseJob(args, error);
        ASSERT_TRUE(job) << error.toStdString();
        EXPECT_EQ(job->View3D, k == 1);
        mapview::TDataMap map;
        ASSERT_TRUE(render::RunJob(*job, map, error)) << error.toStdString();
        pictures[k] = QImage(dir.filePath(QStringLiteral("v%1.png").arg(k)));
        ASSERT_EQ(pictures[k].size(), QSize(400, 300));
    }
    int changed = 0;
    for (int y = 0; y < 300; ++y)
        for (int x = 0; x < 400; ++x) changed += pictures[0].pixel(x, y) != pictures[1].pixel(x, y);
    EXPECT_GT(changed, 2000); // walls and shifted roofs
}

TEST(RenderJobRun, HouseNumbersAreSizedByTheProgramsRule) {
    if (!QFileInfo::exists(kCity)) GTEST_SKIP() << "sample deployment not built";
    QTemporaryDir dir;
    // The sample's tsivor.ini beside the map divides by 25; a copy of the map alone by 100.
    const QString alone = dir.filePath(QStringLiteral("info1.db"));
    ASSERT_TRUE(QFile::copy(kCity, alone));
    for (const auto& [map, expected] : {std::pair{kCity, 8}, std::pair{alone, 2}}) {
        QString error;
        auto job =
            ParseJob({map, dir.filePath(QStringLiteral("n.png")), QStringLiteral("--scale"),
                      QStringLiteral("200"), QStringLiteral("--size"), QStringLiteral("100x100")},
                     error);
        ASSERT_TRUE(job);
        mapview::TDataMap view;
        ASSERT_TRUE(render::RunJob(*job, view, error)) << error.toStdString();
        // trunc(200 / 25) = 8; trunc(200 / 100) = 2, stored as the least size, 6.
        EXPECT_EQ(view.Options().mpNumberDomSizeFont(), std::max(expected, 6));
        EXPECT_EQ(app::HouseNumberFontSize(200, expected == 8 ? 25 : 100), expected);
    }
    EXPECT_EQ(app::HouseNumberFontSize(249, 25), 9); // truncated, not rounded
    EXPECT_EQ(app::HouseNumberFontSize(249, 0), 2);  // a divisor that is not a size
}
