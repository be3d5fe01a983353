// An imported town in the program's window: the notes of its shops and cafés stay out of the
// whole-town view, where a dense town's would cover the map, and come back closer in; the start
// page tells no telephones that are not the town's.
#include "OsmImport.h"
#include "TownExtract.h"

#include "app/AppGlobals.h"
#include "app/MainForm.h"
#include "app/ProgramStart.h"
#include "app/StartUp.h"
#include "mapview/DataMap.h"
#include "platform/IniFile.h"

#include "TestSupport.h"

#include <QCoreApplication>
#include <QLabel>
#include <QPointer>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

#include <algorithm>

#include <gtest/gtest.h>

using namespace tsivor;
using namespace tsivor::importosm;

namespace {

class ImportedTownWindow : public testing::Test {
protected:
    void SetUp() override { app::Globals() = app::TAppGlobals{}; }
    void TearDown() override { app::Globals() = app::TAppGlobals{}; }
    test::FakePlatform fake;
};

// The first note of a café on the map, or -1.
int FirstCafeNote(const mapview::TDataMap& map, mapdata::TORBMapZametka& note) {
    for (int i = 0; i < map.ObjectCount(); ++i)
        if (map.Object(i)->GetZametka(note) && note.NamePic == "19") return i;
    return -1;
}

TEST_F(ImportedTownWindow, CafeNotesShowOnlyCloserThanTheWholeTown) {
    QTemporaryDir dir;
    const QString in = dir.filePath("town.osm.pbf"), town = dir.filePath("town");
    testtown::WriteTown(in, {14, 14, 3});
    TImportReport report;
    QString error;
    ASSERT_TRUE(ImportOsm({in, town, {}}, report, &error)) << error.toStdString();
    const int closer = platform::TIniFile(town + "/tsivor.ini").ReadInteger("Mas", "logo_p", 0);
    ASSERT_GT(closer, 0);

    app::TProgramStart start(town, town, 7);
    ASSERT_TRUE(start.Run());
    QPointer<app::TFMainForm> window = start.MainWindow();
    for (int i = 0; i < 100 && window && !window->Ready(); ++i) QCoreApplication::processEvents();
    ASSERT_TRUE(window && window->Ready());
    ASSERT_NE(start.StartPage(), nullptr);
    EXPECT_TRUE(start.StartPage()->Label5->text().isEmpty());
    EXPECT_TRUE(start.StartPage()->Label7->text().isEmpty());

    mapview::TDataMap& map = *window->DataMap1;
    mapdata::TORBMapZametka cafe;
    const int note = FirstCafeNote(map, cafe);
    ASSERT_GE(note, 0);
    // Whether the note is among what the pointer finds at the café (the start list's mark on the
    // same house may lie over it).
    auto found = [&] {
        map.FindObjectsAt(cafe.X, cafe.Y);
        return std::count(map.FoundObjects.begin(), map.FoundObjects.end(), note) == 1;
    };
    // The whole town: the note is neither drawn nor found.
    ASSERT_LE(map.Scale(), closer);
    EXPECT_FALSE(found());

    // Closer in with the zoom button, the note is there again.
    for (int i = 0; i < 20 && window && map.Scale() <= closer; ++i) {
        QTest::mouseClick(window->sbZoomIn, Qt::LeftButton);
        QCoreApplication::processEvents();
    }
    ASSERT_TRUE(window);
    ASSERT_GT(map.Scale(), closer);
    EXPECT_TRUE(found());
}

} // namespace
