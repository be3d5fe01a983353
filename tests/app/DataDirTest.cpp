// tsivor --data DIR: the program runs on another deployment folder.

#include "app/Snapshot.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace tsivor::app;

TEST(DataDir, NamesAnExistingFolderMadeAbsolute) {
    QTemporaryDir dir;
    const QString relative = QDir::current().relativeFilePath(dir.path());
    const TCommandLine line = ParseCommandLine({"tsivor", "--data", relative});
    EXPECT_TRUE(line.Error.isEmpty()) << line.Error.toStdString();
    EXPECT_EQ(line.DataDir, QDir(dir.path()).absolutePath());
    EXPECT_FALSE(line.Snapshot);
    const TCommandLine both =
        ParseCommandLine({"tsivor", "--data", dir.path(), "--snapshot", "a.png"});
    EXPECT_EQ(both.DataDir, dir.path());
    EXPECT_TRUE(both.Snapshot);
}

TEST(DataDir, MissingFolderOrValueIsAnError) {
    EXPECT_FALSE(ParseCommandLine({"tsivor", "--data"}).Error.isEmpty());
    const TCommandLine line = ParseCommandLine({"tsivor", "--data", "/nonexistent/tsivor/city"});
    EXPECT_TRUE(line.Error.contains("/nonexistent/tsivor/city"));
    EXPECT_TRUE(line.DataDir.isEmpty());
}
