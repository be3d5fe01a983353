// What the build generates next to the program: the program starts from these files.
#include "mapdata/Cp1251.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>

#include <gtest/gtest.h>

namespace {

QString Deployed(const QString& relative) {
    return QDir(QStringLiteral(TSIVOR_DEPLOY_DIR)).filePath(relative);
}

TEST(Deployment, HoldsEveryFileTheProgramLooksFor) {
    if (!QFileInfo::exists(Deployed("info1.db")))
        GTEST_SKIP() << "the sample deployment has not been generated";
    for (const char* f : {"info1.db", "tsivor.ini", "logo/logo.ini", "logo/logo_p.ini",
                          "logo/logo_r.ini", "start/st_1.gif", "start/st_4.gif"})
        EXPECT_TRUE(QFileInfo(Deployed(f)).size() > 0) << f;
    EXPECT_FALSE(QDir(Deployed("banner")).entryList({"*.bmp"}).isEmpty());
    EXPECT_FALSE(QDir(Deployed("panel")).entryList({"panel_*.gif"}).isEmpty());
    EXPECT_FALSE(QDir(Deployed("panel")).entryList({"panelr_*.gif"}).isEmpty());
    EXPECT_FALSE(QDir(Deployed("header")).entryList(QDir::Files).isEmpty());
    QSettings logos(Deployed("logo/logo.ini"), QSettings::IniFormat);
    for (int i = 0; i < logos.value("Main/Count").toInt(); ++i)
        EXPECT_TRUE(QFileInfo::exists(Deployed(
            QString("logo/logo_%1.bmp").arg(logos.value(QString("Logo%1/P9").arg(i)).toInt()))));
}

} // namespace
