#include "platform/AtomicFile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

using tsivor::platform::TAtomicFile;

namespace {

QByteArray Read(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QStringList Entries(const QString& dir) {
    return QDir(dir).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot);
}

class AtomicFile : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        ASSERT_TRUE(TAtomicFile::Write(path, "old contents"));
    }
    QTemporaryDir dir;
    QString path = dir.filePath("list.ini");
};

TEST_F(AtomicFile, ReplacesTheWholeFileAndLeavesNothingBehind) {
    QString error;
    ASSERT_TRUE(TAtomicFile::Write(path, "new", &error)) << error.toStdString();
    EXPECT_EQ(Read(path), "new");
    EXPECT_EQ(Entries(dir.path()), QStringList{"list.ini"});
}

TEST_F(AtomicFile, AnAbandonedWriteKeepsTheOldFile) {
    {
        TAtomicFile f(path);
        ASSERT_TRUE(f.Open());
        f.Device().write("half of the new");
    } // no Commit: an exception or an early return on the way
    EXPECT_EQ(Read(path), "old contents");
    EXPECT_EQ(Entries(dir.path()), QStringList{"list.ini"});
}

TEST_F(AtomicFile, AProcessKilledWhileWritingLeavesTheOldFile) {
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        TAtomicFile f(path);
        if (f.Open()) {
            f.Device().write(QByteArray(100000, 'x'));
            static_cast<QFileDevice&>(f.Device()).flush();
        }
        _exit(0); // killed: no destructor, no rename
    }
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_EQ(Read(path), "old contents");
}

TEST_F(AtomicFile, FailureNamesTheFileAndKeepsTheOldOne) {
    QString error;
    EXPECT_FALSE(TAtomicFile::Write(dir.filePath("no/such/folder/x.ini"), "x", &error));
    EXPECT_TRUE(error.contains("x.ini")) << error.toStdString();
    // A folder in the file's place cannot be replaced by a file.
    ASSERT_TRUE(QDir(dir.path()).mkdir("taken"));
    EXPECT_FALSE(TAtomicFile::Write(dir.filePath("taken"), "x", &error));
    EXPECT_TRUE(QFileInfo(dir.filePath("taken")).isDir());
    EXPECT_EQ(Read(path), "old contents");
}

TEST_F(AtomicFile, ReplaceMovesAFinishedFileOverTheOldOne) {
    const QString part = dir.filePath("list.ini.part");
    ASSERT_TRUE(TAtomicFile::Write(part, "made elsewhere"));
    ASSERT_TRUE(TAtomicFile::Replace(part, path));
    EXPECT_EQ(Read(path), "made elsewhere");
    EXPECT_FALSE(QFile::exists(part));
    QString error;
    EXPECT_FALSE(TAtomicFile::Replace(dir.filePath("gone"), path, &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(Read(path), "made elsewhere");
}

} // namespace
