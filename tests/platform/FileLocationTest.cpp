#include "platform/FileLocation.h"

#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using tsivor::platform::TFileLocation;
using tsivor::platform::TIniFile;

namespace {

QByteArray Read(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

class FileLocation : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        ASSERT_TRUE(QDir(dir.path()).mkpath("install/tsivor"));
        ASSERT_TRUE(QDir(dir.path()).mkpath("user"));
    }
    QString Deployment() const { return dir.filePath("install/tsivor"); }
    TFileLocation Location() const { return TFileLocation(Deployment(), dir.filePath("user")); }
    void MakeReadOnly() { platform.readOnlyFolders << Deployment(); }

    QTemporaryDir dir;
    tsivor::test::FakePlatform platform;
};

TEST_F(FileLocation, AWritableDeploymentKeepsItsFiles) {
    const TFileLocation loc = Location();
    EXPECT_EQ(loc.WritePath("tsivor-f.ini"), Deployment() + "/tsivor-f.ini");
    EXPECT_EQ(loc.ReadPath("tsivor-f.ini"), Deployment() + "/tsivor-f.ini");
    EXPECT_FALSE(QFileInfo::exists(loc.UserDir()));
}

TEST_F(FileLocation, AReadOnlyDeploymentWritesToTheUserFolderAndReadsFromThereFirst) {
    MakeReadOnly();
    const TFileLocation loc = Location();
    const QString target = loc.WritePath("tsivor-f.ini");
    EXPECT_TRUE(target.startsWith(dir.filePath("user/tsivor-"))) << target.toStdString();
    EXPECT_TRUE(QFileInfo(loc.UserDir()).isDir());
    EXPECT_EQ(loc.ReadPath("tsivor-f.ini"), Deployment() + "/tsivor-f.ini"); // nothing there yet
    ASSERT_TRUE(TIniFile(target).WriteString("Main", "Favorit", "3;"));
    EXPECT_EQ(loc.ReadPath("tsivor-f.ini"), target);
    // Once the user has a copy it stays the one written, even if the folder becomes writable.
    platform.readOnlyFolders.clear();
    EXPECT_EQ(loc.WritePath("tsivor-f.ini"), target);
}

TEST_F(FileLocation, EveryDeploymentHasAUserFolderOfItsOwn) {
    ASSERT_TRUE(QDir(dir.path()).mkpath("other/tsivor"));
    const TFileLocation a = Location();
    const TFileLocation b(dir.filePath("other/tsivor"), dir.filePath("user"));
    EXPECT_NE(a.UserDir(), b.UserDir());
    // The same folder, however it is spelt, is one deployment.
    const TFileLocation c(Deployment() + "/../tsivor/", dir.filePath("user"));
    EXPECT_EQ(a.UserDir(), c.UserDir());
}

TEST_F(FileLocation, SettingsWrittenForAReadOnlyInstallLieOverItsConfiguration) {
    const QString shipped = Deployment() + "/tsivor.ini";
    ASSERT_TRUE(TIniFile(shipped).WriteString("Main", "City", "Заречинск"));
    ASSERT_TRUE(TIniFile(shipped).WriteString("Map", "M1", "333"));
    const QByteArray before = Read(shipped);
    MakeReadOnly();
    TIniFile out = Location().WriteIni("tsivor.ini");
    ASSERT_TRUE(out.WriteString("Map", "M1", "1200")) << out.LastError().toStdString();
    EXPECT_EQ(Read(shipped), before);

    const TIniFile in = Location().ReadIni("tsivor.ini");
    EXPECT_EQ(in.ReadString("Map", "M1", ""), "1200");
    EXPECT_EQ(in.ReadString("Main", "City", ""), "Заречинск");
    EXPECT_TRUE(in.SectionExists("Main"));
    EXPECT_EQ(in.ReadSections(), (QStringList{"Map", "Main"}));
}

} // namespace
