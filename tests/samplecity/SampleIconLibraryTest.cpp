#include "CityPlan.h"
#include "SampleParts.h"

#include "mapdata/OrbIcon.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace tsivor::sample {
namespace {

TEST(SampleIconLibrary, HoldsTheMarksAndLogosTheProgramAsksFor) {
    QTemporaryDir dir;
    QString error;
    ASSERT_TRUE(WriteSampleIconLibrary(MakeCityPlan(false), dir.path(), &error))
        << error.toStdString();

    mapdata::TOrbIcon icons;
    ASSERT_TRUE(icons.LoadIconLibrary(dir.filePath("tsivor.lib"), &error)) << error.toStdString();
    EXPECT_EQ(icons.LibraryName(0), "tsivor");
    QStringList names = {"F-1", "!-1", "I-1", "F-1-B", "!-1-B", "I-1-B"};
    for (int n = 1; n <= 20; ++n) names << QStringLiteral("logo_%1").arg(n);
    EXPECT_EQ(icons.PictureCount("tsivor"), names.size());
    for (const QString& name : names) {
        const QImage* img = icons.GetIcon("tsivor", name);
        ASSERT_NE(img, nullptr) << name.toStdString();
        EXPECT_EQ(img->size(), QSize(32, 32));
        EXPECT_EQ(qAlpha(img->pixel(0, 31)), 0) << name.toStdString(); // background shows through
    }
    // a selected mark differs from the plain one
    EXPECT_NE(*icons.GetIcon("tsivor", "F-1"), *icons.GetIcon("tsivor", "F-1-B"));
}

TEST(SampleIconLibrary, ReportsAFolderItCannotWrite) {
    QString error;
    EXPECT_FALSE(WriteSampleIconLibrary(MakeCityPlan(false), "/nonexistent/folder", &error));
    EXPECT_TRUE(error.contains("tsivor.lib"));
}

} // namespace
} // namespace tsivor::sample
