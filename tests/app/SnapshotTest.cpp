#include "app/Snapshot.h"

#include "TestSupport.h"

#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace tsivor::app;

namespace {

TEST(CommandLine, SnapshotAndTiming) {
    EXPECT_FALSE(ParseCommandLine({"tsivor"}).Snapshot);
    EXPECT_TRUE(ParseCommandLine({"tsivor"}).Error.isEmpty());
    const TCommandLine ok = ParseCommandLine({"tsivor", "--snapshot", "a.png"});
    EXPECT_TRUE(ok.Snapshot);
    EXPECT_EQ(ok.SnapshotFile, "a.png");
    EXPECT_FALSE(ParseCommandLine({"tsivor", "--snapshot"}).Error.isEmpty());
    EXPECT_FALSE(ParseCommandLine({"tsivor", "--other"}).Error.isEmpty());
    const TCommandLine timed = ParseCommandLine({"tsivor", "--timing", "--snapshot", "a.png"});
    EXPECT_TRUE(timed.Error.isEmpty());
    EXPECT_TRUE(timed.Timing);
    EXPECT_TRUE(timed.Snapshot);
    EXPECT_FALSE(ParseCommandLine({"tsivor"}).Timing);
}

class SnapshotRun : public ::testing::Test {
protected:
    void SetUp() override {
        deploy = tsivor::test::DeployDir();
        program = deploy + "/tsivor";
        if (!QFileInfo::exists(program) || !QFileInfo::exists(deploy + "/info.db"))
            GTEST_SKIP() << "no built program with its sample deployment";
    }
    int Run(const QStringList& args, QString* err = nullptr) {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "offscreen");
        p.setProcessEnvironment(env);
        p.setWorkingDirectory(deploy);
        p.start(program, args);
        if (!p.waitForFinished(60000)) {
            p.kill();
            return -1;
        }
        if (err) *err = QString::fromLocal8Bit(p.readAllStandardError());
        return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    }
    QString deploy;
    QString program;
    QTemporaryDir out;
};

TEST_F(SnapshotRun, WritesAPictureOfTheMainWindow) {
    const QString file = out.filePath("shot.png");
    QString err;
    ASSERT_EQ(Run({"--snapshot", file}, &err), 0) << err.toStdString();
    const QImage shot(file);
    ASSERT_FALSE(shot.isNull());
    EXPECT_EQ(shot.size(), QSize(TSnapshot::SnapshotWidth, TSnapshot::SnapshotHeight));
    // The map's background colour shows somewhere right of the cards column.
    bool mapColour = false;
    for (int x = 300; x < shot.width() && !mapColour; x += 7)
        for (int y = 40; y < shot.height() - 40 && !mapColour; y += 7)
            mapColour = shot.pixelColor(x, y) == QColor(237, 211, 174);
    EXPECT_TRUE(mapColour);
}

TEST_F(SnapshotRun, TimingPrintsTheStagesUpToTheFirstFrame) {
    QString err;
    ASSERT_EQ(Run({"--timing", "--snapshot", out.filePath("shot.png")}, &err), 0)
        << err.toStdString();
    for (const char* stage : {"before main", "map: objects decoded", "map: spatial index",
                              "first frame, ready", "total from process start"})
        EXPECT_TRUE(err.contains(QLatin1String(stage))) << stage;
    EXPECT_TRUE(err.contains("full frames of the map: 1")) << err.toStdString();
}

TEST_F(SnapshotRun, FailuresEndWithAMessageAndNonZero) {
    QString err;
    EXPECT_NE(Run({"--snapshot", out.filePath("no/such/folder/shot.png")}, &err), 0);
    EXPECT_FALSE(err.isEmpty());
    EXPECT_EQ(Run({"--bogus"}, &err), 2);
    EXPECT_TRUE(err.contains("--snapshot"));
}

} // namespace
