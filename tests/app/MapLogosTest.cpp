// Advertising logos on the map: the map logos after loading, the rubric logos of a result, the
// click that shows the advertised organisation, and the indices kept right when other objects
// are deleted.
#include "app/MapLogos.h"
#include "app/MainForm.h"
#include "app/Navigator.h"
#include "app/NavigatorItem.h"

#include "TestSupport.h"
#include "directory/DataModule.h"
#include "mapview/DataMap.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

using namespace tsivor::app;
namespace mapview = tsivor::mapview;
namespace mapdata = tsivor::mapdata;

namespace {

void WriteFile(const QString& path, const QByteArray& text) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(text);
}

void WritePicture(const QString& path) {
    QImage img(32, 16, QImage::Format_RGB32);
    img.fill(Qt::red);
    ASSERT_TRUE(img.save(path, "BMP"));
}

class MapLogosTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        ASSERT_TRUE(QDir(dir.path()).mkpath("logo"));
        map.resize(400, 300);
    }
    QString Logo(const QString& name) const { return dir.path() + "/logo/" + name; }
    // An object standing for somebody else's: a house or a result mark.
    int Post(int category, float x = 10, float y = 10) {
        map.ClearBuffer();
        map.BufferObject().ObjectType = mapdata::cPolygon;
        map.BufferObject().Category = category;
        map.SetBufferPoint(0, x, y);
        map.SetBufferPoint(1, x + 5, y);
        map.SetBufferPoint(2, x + 5, y + 5);
        map.PostBuffer();
        return map.ObjectCount() - 1;
    }
    int CountOf(int category) const {
        int n = 0;
        for (int i = 0; i < map.ObjectCount(); ++i) n += map.Object(i)->Category == category;
        return n;
    }
    int FirstOf(int category) const {
        for (int i = 0; i < map.ObjectCount(); ++i)
            if (map.Object(i)->Category == category) return i;
        return -1;
    }

    tsivor::test::FakePlatform platform;
    QTemporaryDir dir;
    mapview::TDataMap map;
    TMapLogos logos{map, dir.path()};
};

TEST_F(MapLogosTest, APictureLogoGetsItsLineAndDotAndAMissingPictureIsNamed) {
    WritePicture(Logo("logo_7.bmp"));
    WriteFile(Logo("logo.ini"), "[Main]\nCount=2\n"
                                "[Logo0]\nP1=100\nP2=200\nP3=148\nP4=224\nP5=80\nP6=250\nP7=100\n"
                                "P8=224\nP9=7\n"
                                "[Logo1]\nP1=300\nP2=300\nP3=348\nP4=324\nP9=8\n");
    const int house = Post(5);
    logos.PlaceMapLogos();
    ASSERT_EQ(map.ObjectCount(), house + 4); // picture, line, dot; nothing for the second
    EXPECT_EQ(platform.messages,
              QStringList{"Не найден " + QDir(dir.path()).filePath("logo/logo_8.bmp")});
    EXPECT_EQ(platform.beeps, 1);

    const mapdata::TORBMapObjectMem& pic = *map.Object(house + 1);
    EXPECT_EQ(pic.ObjectType, mapdata::cBitmap);
    EXPECT_EQ(pic.Category, 99);
    EXPECT_EQ(pic.Layer, 49);
    ASSERT_TRUE(pic.Bitmap);
    EXPECT_EQ(pic.Bitmap->Format, 0);
    EXPECT_EQ(pic.Bitmap->Corners[1].X, 148);
    EXPECT_EQ(pic.Bitmap->Corners[1].Y, 200);
    EXPECT_EQ(pic.Bitmap->Corners[3].X, 100);
    EXPECT_EQ(pic.Bitmap->Corners[3].Y, 224);
    QFile bmp(Logo("logo_7.bmp"));
    ASSERT_TRUE(bmp.open(QIODevice::ReadOnly));
    EXPECT_EQ(pic.Bitmap->Image, bmp.readAll());

    const mapdata::TORBMapObjectMem& line = *map.Object(house + 2);
    EXPECT_EQ(line.ObjectType, mapdata::cLine);
    EXPECT_EQ(line.Category, 0);
    EXPECT_EQ(line.Layer, 48);
    ASSERT_EQ(line.Count, 2);
    EXPECT_EQ(line.Points[0].X, 80);
    EXPECT_EQ(line.Points[1].Y, 224);
    const mapdata::TORBMapObjectMem& dot = *map.Object(house + 3);
    EXPECT_EQ(dot.ObjectType, mapdata::cEllipse);
    EXPECT_EQ(dot.Layer, 48);
    EXPECT_EQ(dot.Brush.Style, 0);
    EXPECT_FLOAT_EQ(dot.CenterX, 80);
    EXPECT_FLOAT_EQ(dot.CenterY, 250);
    EXPECT_FLOAT_EQ(dot.Box[2].X - dot.Box[0].X, 1);

    EXPECT_EQ(logos.MapLogoCount(), 1);
    EXPECT_EQ(logos.OrganisationOf(house + 1), 7);
    EXPECT_EQ(logos.OrganisationOf(house + 2), 0); // the line leads nowhere
    EXPECT_EQ(logos.OrganisationOf(house), 0);
    EXPECT_EQ(logos.OrganisationOf(-1), 0);
}

TEST_F(MapLogosTest, AnIconLogoIsANoteOfTheLibrary) {
    WriteFile(Logo("logo_p.ini"),
              "[Main]\nCount=1\n[Logo0]\nP1=500\nP2=400\nP3=535\nP4=435\nP5=12\n");
    logos.PlaceMapLogos();
    ASSERT_EQ(map.ObjectCount(), 3);
    const mapdata::TORBMapObjectMem& icon = *map.Object(0);
    EXPECT_EQ(icon.Category, 98);
    EXPECT_EQ(icon.Layer, 48);
    mapdata::TORBMapZametka z;
    ASSERT_TRUE(icon.GetZametka(z));
    EXPECT_EQ(z.NameLib, "tsivor");
    EXPECT_EQ(z.NamePic, "logo_12");
    EXPECT_EQ(z.Text, "12;");
    EXPECT_EQ(z.X, 500);
    EXPECT_EQ(map.Object(1)->Layer, 47);
    EXPECT_EQ(map.Object(1)->Points[1].X, 535);
    EXPECT_FLOAT_EQ(map.Object(2)->CenterX, 535); // the dot at the far end
    EXPECT_EQ(map.Object(2)->Layer, 47);
    EXPECT_EQ(logos.OrganisationOf(0), 12);
    EXPECT_TRUE(platform.messages.isEmpty());
}

TEST_F(MapLogosTest, RubricLogosComeWithTheirOrganisationAndGoBeforeTheNextResult) {
    WriteFile(Logo("logo_r.ini"), "[Main]\nCount=3\n"
                                  "[Logo0]\nid=16\ncount=3\np0=100 200\np1=\np2=130.5 210\n"
                                  "[Logo1]\nid=18\ncount=1\np0=300 300\n"
                                  "[Logo2]\nid=16\ncount=1\np0=400 abc\n");
    logos.PlaceMapLogos();
    EXPECT_EQ(logos.RubricLogoOrgIds(), "16;18;16;");
    // A malformed point is named once and left out; an empty one is skipped silently.
    ASSERT_EQ(platform.messages.size(), 1);
    EXPECT_TRUE(platform.messages[0].contains("Logo2/p0 = 400 abc"));
    EXPECT_EQ(map.ObjectCount(), 0);

    Post(5);
    logos.PlaceRubricLogos("3;16;");
    ASSERT_EQ(CountOf(97), 2);
    const int first = FirstOf(97);
    mapdata::TORBMapZametka z;
    ASSERT_TRUE(map.Object(first)->GetZametka(z));
    EXPECT_EQ(z.NamePic, "logo_16");
    EXPECT_EQ(map.Object(first)->Layer, 56);
    EXPECT_FLOAT_EQ(map.Object(first + 1)->CenterX, 130.5f);
    EXPECT_EQ(logos.OrganisationOf(first + 1), 16);

    logos.RemoveRubricLogos();
    EXPECT_EQ(map.ObjectCount(), 1);
    logos.PlaceRubricLogos("18;");
    EXPECT_EQ(CountOf(97), 1);
    logos.RemoveRubricLogos();
    logos.PlaceRubricLogos("5;6;"); // none of them advertises
    EXPECT_EQ(map.ObjectCount(), 1);
}

TEST_F(MapLogosTest, LogosAreFoundAgainWhenObjectsBeforeThemAreDeleted) {
    WriteFile(Logo("logo_p.ini"), "[Main]\nCount=1\n[Logo0]\nP1=50\nP2=50\nP3=60\nP4=60\nP5=11\n");
    WriteFile(Logo("logo_r.ini"), "[Main]\nCount=1\n[Logo0]\nid=16\ncount=2\np0=1 1\np1=2 2\n");
    logos.PlaceMapLogos();
    // The result marks of a result come before its rubric logos.
    const int mark1 = Post(50), mark2 = Post(50);
    logos.PlaceRubricLogos("16;");
    const int32_t markId = map.Object(mark2)->ID;
    // The marks go first: the rubric logos move up two places.
    map.DeleteObject(mark2, false);
    map.DeleteObject(mark1, false);
    const int rubric = FirstOf(97);
    EXPECT_EQ(rubric, mark1);
    EXPECT_EQ(logos.OrganisationOf(rubric), 16);
    EXPECT_EQ(logos.OrganisationOf(rubric + 1), 16);
    EXPECT_EQ(logos.OrganisationOf(0), 11);
    logos.RemoveRubricLogos();
    EXPECT_EQ(CountOf(97), 0);
    EXPECT_EQ(map.ObjectCount(), 3); // the icon logo with its line and dot

    // The other way round: a mark posted after the rubric logos outlives their removal.
    logos.PlaceRubricLogos("16;");
    const int later = Post(50);
    const int32_t laterId = map.Object(later)->ID;
    logos.RemoveRubricLogos();
    ASSERT_EQ(map.ObjectCount(), 4);
    EXPECT_EQ(map.Object(3)->ID, laterId);
    EXPECT_NE(laterId, markId);

    // A new map: the old rubric logos went with it and nothing else is deleted.
    logos.PlaceRubricLogos("16;");
    logos.PlaceMapLogos(); // as OnAfterLoad would after a reload
    EXPECT_EQ(logos.RubricLogoCount(), 0);
    const int before = map.ObjectCount();
    logos.RemoveRubricLogos();
    EXPECT_EQ(map.ObjectCount(), before);
}

TEST_F(MapLogosTest, NoLogoFilesPlaceNothing) {
    logos.PlaceMapLogos();
    logos.PlaceRubricLogos("1;2;");
    EXPECT_EQ(map.ObjectCount(), 0);
    EXPECT_TRUE(platform.messages.isEmpty());
    EXPECT_EQ(logos.RubricLogoOrgIds(), "");
}

// ---- through the main window with the sample city

class LogoWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        deploy = tsivor::test::DeployDir();
        if (!QFileInfo::exists(deploy + "/info.db") || !QFileInfo::exists(deploy + "/logo"))
            GTEST_SKIP() << "no sample deployment";
        TMainFormSettings s;
        s.ExeDir = deploy;
        form = std::make_unique<TFMainForm>(s, dm);
        QString error;
        ASSERT_TRUE(form->FormCreate(&error)) << error.toStdString();
        form->setWindowState(Qt::WindowNoState);
        form->resize(1400, 900);
        form->show();
        for (int i = 0; i < 50 && !form->Ready(); ++i) QCoreApplication::processEvents();
        ASSERT_TRUE(form->Ready());
    }
    mapview::TDataMap& Map() { return *form->DataMap1; }
    std::vector<int> ObjectsOf(int category) {
        std::vector<int> v;
        for (int i = 0; i < Map().ObjectCount(); ++i)
            if (Map().Object(i)->Category == category) v.push_back(i);
        return v;
    }
    QPoint Pixel(float x, float y) {
        Map().MapToScreen(x, y);
        return {int(x), int(y)};
    }
    QImage Shot() {
        Map().Redraw();
        return Map().grab().toImage();
    }
    void RightClick(QPoint at) {
        QTest::mouseMove(&Map(), at);
        QTest::mousePress(&Map(), Qt::RightButton, {}, at);
        QTest::mouseRelease(&Map(), Qt::RightButton, {}, at);
    }
    QString Title(int org) {
        QString t;
        for (const auto& [id, title] : std::vector<std::pair<int, QString>>{
                 {7, "Компьютерный центр «Байт»"}, {16, "Такси «Заречье»"}})
            if (id == org) t = title;
        return t;
    }

    tsivor::test::FakePlatform platform;
    tsivor::directory::Tdm dm;
    QString deploy;
    std::unique_ptr<TFMainForm> form;
};

TEST_F(LogoWindowTest, PictureLogosAreDrawnAfterStartAndLeadToTheirCard) {
    EXPECT_TRUE(platform.messages.isEmpty()) << platform.messages.join('|').toStdString();
    const std::vector<int> pictures = ObjectsOf(99);
    ASSERT_GE(pictures.size(), 4u);
    EXPECT_EQ(ObjectsOf(98).size(), 5u); // the icon logos
    const int logo = pictures[0];
    Map().ZoomToObjects({logo}, 600);
    const mapdata::TORBMapBitmap& b = *Map().Object(logo)->Bitmap;
    // A point a quarter across the picture shows the picture's own pixel there.
    const QImage picture = QImage::fromData(b.Image, "BMP");
    ASSERT_FALSE(picture.isNull());
    const float fx = 0.25f, fy = 0.5f;
    const QPoint at = Pixel(b.Corners[0].X + fx * (b.Corners[1].X - b.Corners[0].X),
                            b.Corners[0].Y + fy * (b.Corners[3].Y - b.Corners[0].Y));
    const QColor want = picture.pixelColor(int(fx * picture.width()), int(fy * picture.height()));
    const QColor got = Shot().pixelColor(at);
    EXPECT_LE(std::abs(got.red() - want.red()) + std::abs(got.green() - want.green()) +
                  std::abs(got.blue() - want.blue()),
              40)
        << got.name().toStdString() << " " << want.name().toStdString();

    RightClick(at);
    ASSERT_EQ(form->Navigator->ItemsCount(), 1);
    EXPECT_TRUE(form->Navigator->Item(0)->Maximized());
    EXPECT_EQ(form->CurrentResultKey(), "logo_7");
    EXPECT_EQ(form->ResultTitle(), "Выбрано: " + Title(7));
}

TEST_F(LogoWindowTest, ARubricShowsItsRubricLogosUntilTheNextResult) {
    EXPECT_TRUE(ObjectsOf(97).empty()); // the start list places none
    form->ShowRubricByName("Такси");
    const std::vector<int> rubric = ObjectsOf(97);
    ASSERT_EQ(rubric.size(), 2u); // the taxi firm's two places
    const int logo = rubric[0];
    Map().ZoomToObjects({logo}, 400);
    const mapdata::TORBMapObjectMem& o = *Map().Object(logo);
    const QPoint at = Pixel(o.CenterX, o.CenterY);
    const QImage with = Shot();

    // A click on the logo shows the taxi firm alone, and its logos again.
    RightClick(at);
    ASSERT_EQ(form->Navigator->ItemsCount(), 1);
    EXPECT_TRUE(form->Navigator->Item(0)->Maximized());
    EXPECT_EQ(form->CurrentResultKey(), "logo_16");
    EXPECT_EQ(form->ResultTitle(), "Выбрано: " + Title(16));
    EXPECT_EQ(ObjectsOf(97).size(), 2u);

    form->ShowRubricByName("Обувь");
    const std::vector<int> shoes = ObjectsOf(97);
    ASSERT_FALSE(shoes.empty());
    for (int i : shoes) {
        mapdata::TORBMapZametka z;
        ASSERT_TRUE(Map().Object(i)->GetZametka(z));
        EXPECT_EQ(z.NamePic, "logo_18"); // the shoe shop's, none of the taxi firm's
    }
    form->ShowRubricByName("Аптеки");
    EXPECT_TRUE(ObjectsOf(97).empty());
    const QImage without = Shot();
    int changed = 0;
    for (int dy = -12; dy <= 12; ++dy)
        for (int dx = -12; dx <= 12; ++dx)
            changed += with.pixel(at + QPoint(dx, dy)) != without.pixel(at + QPoint(dx, dy));
    EXPECT_GT(changed, 40); // the icon was drawn there and is gone
    EXPECT_TRUE(platform.messages.isEmpty()) << platform.messages.join('|').toStdString();
}

TEST_F(LogoWindowTest, ALogoOfAnOrganisationNoLongerListedShowsNoCard) {
    form->ShowAdvertised(987654, "logo_");
    EXPECT_EQ(form->Navigator->ItemsCount(), 0);
    EXPECT_EQ(form->CurrentResultKey(), "logo_987654");
    EXPECT_EQ(form->ResultTitle(), "Выбрано: "); // not the title of the result before
}

} // namespace
