// The main window tells the user when its map file is damaged or of an unknown version, instead
// of showing what it could read as if it were the whole map.

#include "TestSupport.h"
#include "app/MainForm.h"
#include "directory/DataModule.h"
#include "mapdata/MapEnvelope.h"
#include "mapview/DataMap.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstring>

using namespace tsivor::app;

namespace {

class MapLoadMessage : public ::testing::Test {
protected:
    void SetUp() override {
        const QString deploy = tsivor::test::DeployDir();
        if (!QFileInfo::exists(deploy + "/info.db") || !QFileInfo::exists(deploy + "/info1.db"))
            GTEST_SKIP() << "no sample deployment";
        ASSERT_TRUE(QFile::copy(deploy + "/info.db", dir.filePath("info.db")));
        content = tsivor::mapdata::Unscramble(tsivor::test::ReadFile(deploy + "/info1.db"));
        ASSERT_GT(content.size(), 100000);
    }
    // Starts the main window on content written as its info1.db; the messages it showed.
    QStringList Start(const QByteArray& mapContent) {
        QFile f(dir.filePath("info1.db"));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(tsivor::mapdata::Scramble(mapContent));
        f.close();
        TMainFormSettings s;
        s.ExeDir = dir.path();
        form = std::make_unique<TFMainForm>(s, dm);
        QString error;
        EXPECT_TRUE(form->FormCreate(&error)) << error.toStdString();
        // Only what is said about the map: the folder has nothing but the two files.
        return platform.messages.filter(QStringLiteral("карты"));
    }

    tsivor::test::FakePlatform platform;
    QTemporaryDir dir;
    QByteArray content;
    tsivor::directory::Tdm dm;
    std::unique_ptr<TFMainForm> form;
};

} // namespace

TEST_F(MapLoadMessage, SoundMapShowsNoMessage) {
    EXPECT_TRUE(Start(content).isEmpty());
}

TEST_F(MapLoadMessage, TruncatedMapLoadsWhatItCanAndSaysSo) {
    int32_t announced = 0;
    std::memcpy(&announced, content.constData() + 574, 4);
    const QStringList messages = Start(content.left(content.size() / 2));
    ASSERT_EQ(messages.size(), 1);
    // The marks of the start list come after what was read.
    int read = 0;
    for (int i = 0; i < form->DataMap1->ObjectCount(); ++i)
        if (form->DataMap1->Object(i)->Category != 50) read = i + 1;
    EXPECT_GT(read, 0);
    EXPECT_LT(read, announced);
    EXPECT_EQ(messages[0], QStringLiteral("Файл карты повреждён: прочитано объектов %1 из %2.")
                               .arg(read)
                               .arg(announced));
}

TEST_F(MapLoadMessage, UnknownVersionSaysSo) {
    const int32_t future = 21;
    std::memcpy(content.data() + 41, &future, 4);
    const QStringList messages = Start(content);
    ASSERT_EQ(messages.size(), 1);
    EXPECT_EQ(messages[0],
              QStringLiteral("Неизвестная версия файла карты: 21. Карта не загружена."));
    EXPECT_EQ(form->DataMap1->ObjectCount(), 0);
}
