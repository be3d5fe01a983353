// tsivor-render's drawing choices on the sample city: smoothing, images under the map.
#include "MapPictureJob.h"

#include <QFileInfo>
#include <QImage>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <set>

using namespace tsivor;
using render::ParseJob;

namespace {

const QString kCity = QStringLiteral(TSIVOR_DEPLOY_DIR "/info1.db");

// A street of houses at 1:400 into dir/name, with the extra arguments.
QImage RenderStreet(const QTemporaryDir& dir, const QString& name, const QStringList& extra) {
    QString error;
    QStringList args = {kCity,
                        dir.filePath(name),
                        QStringLiteral("--size"),
                        QStringLiteral("300x200"),
                        QStringLiteral("--scale"),
                        QStringLiteral("400"),
                        QStringLiteral("--origin"),
                        QStringLiteral("900"),
                        QStringLiteral("1150")};
    args << extra;
    auto job = ParseJob(args, error);
    if (!job) {
        ADD_FAILURE() << error.toStdString();
        return {};
    }
    mapview::TDataMap map;
    if (!render::RunJob(*job, map, error)) ADD_FAILURE() << error.toStdString();
    return QImage(dir.filePath(name));
}

size_t ColourCount(const QImage& img) {
    std::set<QRgb> colours;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) colours.insert(img.pixel(x, y));
    return colours.size();
}

} // namespace

TEST(RenderJobSmoothing, AntialiasBlendsTheEdgesOfTheSampleCity) {
    if (!QFileInfo::exists(kCity)) GTEST_SKIP() << "sample deployment not built";
    QString error;
    EXPECT_FALSE(ParseJob({kCity, QStringLiteral("o.png")}, error)->Antialias);
    EXPECT_TRUE(ParseJob({QStringLiteral("--antialias"), kCity, QStringLiteral("o.png")}, error)
                    ->Antialias);
    QTemporaryDir dir;
    const QImage plain = RenderStreet(dir, QStringLiteral("plain.png"), {});
    const QImage smooth = RenderStreet(dir, QStringLiteral("smooth.png"), {"--antialias"});
    ASSERT_EQ(plain.size(), QSize(300, 200));
    ASSERT_EQ(smooth.size(), plain.size());
    EXPECT_EQ(smooth.pixel(0, 0), plain.pixel(0, 0));
    // The house outlines and street edges add shades between their colours.
    EXPECT_GT(ColourCount(smooth), ColourCount(plain) + 50);
}

TEST(RenderJobRaster, ImagesLieOnTheirMapRectanglesAndUnreadableOnesAreLeftOut) {
    if (!QFileInfo::exists(kCity)) GTEST_SKIP() << "sample deployment not built";
    QString error;
    for (const char* line : {"--raster", "--raster p.png 1 2 3", "--raster p.png 1 2 x 4",
                             "--raster p.png 1 2 1 4", "--raster-alpha 256", "--raster-alpha -1"}) {
        QStringList args = QString::fromUtf8(line).split(QLatin1Char(' '));
        args << kCity << QStringLiteral("o.png");
        EXPECT_FALSE(ParseJob(args, error)) << line;
        EXPECT_FALSE(error.isEmpty()) << line;
    }
    QTemporaryDir dir;
    const QString plan = dir.filePath(QStringLiteral("plan.png"));
    QImage magenta(20, 10, QImage::Format_RGB32);
    magenta.fill(qRgb(255, 0, 255));
    ASSERT_TRUE(magenta.save(plan));
    // North-west of the town, where no object lies: map (50, 40)-(150, 90) at Scale 100.
    auto job = ParseJob({kCity,
                         dir.filePath(QStringLiteral("r.png")),
                         QStringLiteral("--size"),
                         QStringLiteral("300x200"),
                         QStringLiteral("--scale"),
                         QStringLiteral("100"),
                         QStringLiteral("--origin"),
                         QStringLiteral("0"),
                         QStringLiteral("0"),
                         QStringLiteral("--raster"),
                         dir.filePath(QStringLiteral("gone.png")),
                         QStringLiteral("0"),
                         QStringLiteral("0"),
                         QStringLiteral("10"),
                         QStringLiteral("10"),
                         QStringLiteral("--raster"),
                         plan,
                         QStringLiteral("50"),
                         QStringLiteral("40"),
                         QStringLiteral("150"),
                         QStringLiteral("90")},
                        error);
    ASSERT_TRUE(job) << error.toStdString();
    ASSERT_EQ(job->Raster.size(), 2u);
    mapview::TDataMap map;
    QStringList warnings;
    ASSERT_TRUE(render::RunJob(*job, map, error, &warnings)) << error.toStdString();
    ASSERT_EQ(warnings.size(), 1);
    EXPECT_TRUE(warnings[0].contains(QStringLiteral("gone.png")));
    EXPECT_EQ(map.ScanMap(), nullptr); // the layer went with the job
    const QImage img(dir.filePath(QStringLiteral("r.png")));
    ASSERT_EQ(img.size(), QSize(300, 200));
    EXPECT_EQ(img.pixel(50, 40), qRgb(255, 0, 255));
    EXPECT_EQ(img.pixel(149, 89), qRgb(255, 0, 255));
    EXPECT_NE(img.pixel(49, 40), qRgb(255, 0, 255));
    EXPECT_NE(img.pixel(150, 89), qRgb(255, 0, 255));
    EXPECT_NE(img.pixel(100, 90), qRgb(255, 0, 255));
}
