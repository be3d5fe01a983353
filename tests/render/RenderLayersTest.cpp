// tsivor-render's drawing choices on the sample city: smoothing.
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
