// The map and the directory pointing at each other: finding an address, the street search
// dialog, the texts under the pointer and the address note, the service commands.
#include "app/FindForm.h"
#include "app/MapBlink.h"
#include "app/MapFind.h"
#include "app/MapStatus.h"
#include "app/MeasureResult.h"
#include "app/ServiceCommands.h"

#include "TestSupport.h"
#include "mapview/DataMap.h"

#include <QComboBox>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

using namespace tsivor::app;
namespace mapview = tsivor::mapview;
namespace mapdata = tsivor::mapdata;

namespace {

class SampleMapTest : public ::testing::Test {
protected:
    void SetUp() override {
        const QString deploy = tsivor::test::DeployDir();
        if (!QFileInfo::exists(deploy + "/info1.db")) GTEST_SKIP() << "no sample deployment";
        map.resize(800, 600);
        QString error;
        ASSERT_TRUE(map.MapLoad(deploy + "/info1.db", &error)) << error.toStdString();
        map.SetScaleFind(600);
    }
    // The first house object of a street and number, as the sample directory links it.
    int House(const QString& street, const QString& house) {
        return map.FindHouse(-1, QString(), house, street);
    }
    bool InView(int o) const {
        const auto* obj = map.Object(o);
        return obj->CenterX >= map.XWind() && obj->CenterX <= map.XWind() + map.ViewWidth() &&
               obj->CenterY >= map.YWind() && obj->CenterY <= map.YWind() + map.ViewHeight();
    }
    QPoint PixelOf(int o) const {
        float x = map.Object(o)->CenterX, y = map.Object(o)->CenterY;
        map.MapToScreen(x, y);
        return {int(x), int(y)};
    }

    tsivor::test::FakePlatform platform;
    mapview::TDataMap map;
};

class MapFindTest : public SampleMapTest {
protected:
    void SetUp() override {
        SampleMapTest::SetUp();
        if (IsSkipped()) return;
        find = std::make_unique<TMapFind>(map);
        find->StartBlink = [this](const std::vector<int>& v) { blinked.push_back(v); };
        find->ClearBlink = [this] { ++cleared; };
    }
    std::unique_ptr<TMapFind> find;
    std::vector<std::vector<int>> blinked;
    int cleared = 0;
};

TEST_F(MapFindTest, ACardAddressBringsTheHouseIntoViewAndBlinksIt) {
    const int h = House("Северная", "2");
    ASSERT_GE(h, 0);
    map.SetScale(30);
    find->CardAddressClick("Северная , 2");
    EXPECT_EQ(cleared, 1);
    ASSERT_EQ(blinked.size(), 1u);
    EXPECT_EQ(blinked[0], std::vector<int>{h});
    EXPECT_TRUE(InView(h));
    EXPECT_LE(map.Scale(), 600);
    EXPECT_GT(map.Scale(), 30);
    EXPECT_TRUE(platform.messages.isEmpty());
}

TEST_F(MapFindTest, AHouseNotOnTheMapShowsItsStreetAndSaysSo) {
    find->CardAddressClick("Северная, 999");
    ASSERT_EQ(platform.messages.size(), 1);
    EXPECT_TRUE(platform.messages[0].startsWith(
        "Дом № \"999\" на улице \"Северная\" не найден\n\r\n\rДом с таким адресом"))
        << platform.messages[0].toStdString();
    ASSERT_EQ(blinked.size(), 1u); // the street's house found without a number
    EXPECT_TRUE(InView(blinked[0][0]));
    // An unknown street: only the message.
    blinked.clear();
    find->CardAddressClick("Нет такой, 1");
    EXPECT_EQ(platform.messages.size(), 2);
    EXPECT_TRUE(blinked.empty());
}

TEST_F(MapFindTest, TheStreetSearchFindsHousesAndWholeStreets) {
    const int h = House("Северная", "6А");
    ASSERT_GE(h, 0);
    find->FindStreetHouse("СЕВЕРНАЯ", "6А");
    ASSERT_EQ(blinked.size(), 1u);
    EXPECT_EQ(blinked[0], std::vector<int>{h});
    // The street in the dialog's upper case still finds its objects.
    ASSERT_NE(find->FindStreetObjects("СЕВЕРНАЯ"), -1);
    const std::vector<int> street = find->StreetObjects();
    EXPECT_GT(street.size(), 3u);
    blinked.clear();
    find->FindStreetHouse("СЕВЕРНАЯ", "");
    ASSERT_EQ(blinked.size(), 1u);
    EXPECT_EQ(blinked[0], street);
    EXPECT_TRUE(platform.messages.isEmpty());
    blinked.clear();
    find->FindStreetHouse("СЕВЕРНАЯ", "999");
    EXPECT_EQ(platform.messages, QStringList{"Дом № 999 на улице СЕВЕРНАЯ не найден."});
    ASSERT_EQ(blinked.size(), 1u);
    EXPECT_EQ(blinked[0], street);
    EXPECT_EQ(find->FindStreetObjects(""), -1);
}

TEST_F(SampleMapTest, TheStatusLineNamesTheHouseUnderThePointer) {
    QLabel status0, streetHouse;
    TMapStatus status(map, &status0, &streetHouse);
    const int h = House("Гагарина", "10");
    ASSERT_GE(h, 0);
    map.ZoomToObjects({h}, 400);
    for (int c = 0; c <= 99; ++c) map.SetCategoryVisible(c, true);
    status.PointerMoved(PixelOf(h));
    EXPECT_EQ(streetHouse.text().toUpper(), "ГАГАРИНА 10");
    // The other text names the lowest object there, the ground under the house.
    ASSERT_FALSE(map.FoundObjects.empty());
    EXPECT_EQ(status0.text(), status.StreetAndHouse(*map.Object(map.FoundObjects.front())));
    status.PointerMoved(QPoint(-50, -50)); // off the map
    EXPECT_EQ(streetHouse.text(), "");
    EXPECT_EQ(status0.text(), "");
}

TEST_F(SampleMapTest, TheAddressNoteStaysInsideTheMapAndGoesWhenThePointerLeaves) {
    QLabel status0, streetHouse;
    TMapStatus status(map, &status0, &streetHouse);
    status.ShowAddressNote(QPoint(100, 100), "Гагарина, 10");
    ASSERT_NE(status.AddressNote(), nullptr);
    EXPECT_EQ(status.AddressNote()->geometry(), QRect(120, 110, 220, 50));
    EXPECT_EQ(status.AddressNote()->toPlainText(), "Гагарина, 10");
    // Near the right and bottom edges.
    status.ShowAddressNote(QPoint(790, 590), "x");
    EXPECT_EQ(status.AddressNote()->geometry(), QRect(800 - 220 - 10, 590 - 50, 220, 50));
    EXPECT_EQ(map.findChildren<TAddressNote*>().size(), 1); // one at most
    status.ShowAddressNote(QPoint(100, 100), "y");
    ASSERT_EQ(status.AddressNote()->geometry(), QRect(120, 110, 220, 50));
    EXPECT_FALSE(status.AddressNote()->FarFrom(QPoint(360, 110)));
    status.PointerMoved(QPoint(120 + 220 + 20, 110)); // 20 pixels beyond: stays
    EXPECT_NE(status.AddressNote(), nullptr);
    status.PointerMoved(QPoint(120 + 220 + 21, 110));
    EXPECT_EQ(status.AddressNote(), nullptr);
}

TEST(FindForm, AStreetFromTheListAndAnUpperCaseHouse) {
    tsivor::test::FakePlatform platform;
    TFindForm form;
    form.SetStreets({"Северная", "Гагарина"});
    EXPECT_EQ(form.sBox->itemText(0), "ГАГАРИНА");
    form.show();
    form.bFindClick();
    EXPECT_EQ(platform.messages, QStringList{"Выберите улицу из списка"});
    EXPECT_TRUE(form.isVisible());
    form.sBox->setEditText("северная");
    for (const QString& c : {QString("6"), QString("а")}) { // typed, Cyrillic included
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, c);
        QCoreApplication::sendEvent(form.Edit2, &press);
    }
    EXPECT_EQ(form.Edit2->text(), "6А");
    QTest::keyClick(form.sBox->lineEdit(), Qt::Key_Return); // Enter in the box finds
    EXPECT_TRUE(form.Ok());
    EXPECT_EQ(form.Street(), "СЕВЕРНАЯ");
    EXPECT_EQ(form.House(), "6А");
    EXPECT_FALSE(form.isVisible());
    form.show();
    form.bCancel->click();
    EXPECT_FALSE(form.Ok());
}

TEST_F(SampleMapTest, ServiceCommandsExportThePictureAndSwitchCategories) {
    QTemporaryDir dir;
    const QString file = dir.filePath("view.bmp");
    TMapServiceCommands commands(map, 100);
    platform.inputReplies = {file, "50"};
    EXPECT_TRUE(commands.ExportPicture());
    EXPECT_EQ(platform.messages.last(), "Ok Ready");
    EXPECT_EQ(platform.beeps, 1);
    const QByteArray bmp = tsivor::test::ReadFile(file);
    ASSERT_GT(bmp.size(), 54);
    EXPECT_EQ(bmp.left(2), "BM");
    EXPECT_EQ(bmp[28], 16); // bits per pixel
    platform.inputReplies = {file, "сто"};
    EXPECT_FALSE(commands.ExportPicture());
    platform.inputReplies.clear(); // cancelled
    EXPECT_FALSE(commands.ExportPicture());

    map.SetCategoryVisible(20, true);
    commands.ToggleCategories();
    EXPECT_FALSE(map.IsCategoryVisible(20));
    EXPECT_FALSE(map.IsCategoryVisible(1000));
    EXPECT_FALSE(map.IsCategoryVisible(500));
    commands.ToggleCategories();
    EXPECT_TRUE(map.IsCategoryVisible(20));
    EXPECT_TRUE(map.IsCategoryVisible(1000));
}

} // namespace

namespace {

TEST(MeasureWindow, LengthsAreCutToTenthsWithThousandsApart) {
    EXPECT_EQ(FormatLength(0.5), "0.5 м");
    EXPECT_EQ(FormatLength(1234), "1 234.0 м");
    EXPECT_EQ(FormatLength(1234.56), "1 234.5 м");
    EXPECT_EQ(FormatLength(1005.09), "1 005.0 м");
    EXPECT_EQ(FormatLength(999.99), "999.9 м");
    EXPECT_EQ(FormatLength(0), "0.0 м");
    TfMeasureResult w;
    EXPECT_EQ(w.lSumm->text(), "0 м");
    w.Measured(2500, 12.25);
    EXPECT_EQ(w.lSumm->text(), "2 500.0 м");
    EXPECT_EQ(w.lLast->text(), "12.2 м");
}

TEST_F(SampleMapTest, ABlinkShowsForASecondThenTheTimerIsPushedAway) {
    TMapBlink blink(map);
    qint64 now = 5000;
    blink.Clock = [&] { return now; };
    const int h = House("Гагарина", "10");
    blink.StartBlink({h});
    EXPECT_EQ(map.TimerInterval(), TMapBlink::BlinkInterval);
    EXPECT_EQ(map.BlinkObjects(), std::vector<int>{h});
    mapdata::TORBMapPen pen;
    mapdata::TORBMapBrush brush;
    now += 900;
    map.OnBlinkObject()(*map.Object(h), pen, brush);
    EXPECT_EQ(map.TimerInterval(), TMapBlink::BlinkInterval);
    now += 200;
    map.OnBlinkObject()(*map.Object(h), pen, brush);
    EXPECT_EQ(map.TimerInterval(), TMapBlink::IdleInterval);
    blink.ClearBlink();
    EXPECT_TRUE(map.BlinkObjects().empty());
}

} // namespace
