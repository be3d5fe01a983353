#include "app/AdAnimation.h"
#include "app/BannerRotator.h"
#include "app/MainForm.h"
#include "app/Navigator.h"

#include "TestSupport.h"
#include "directory/DataModule.h"
#include "directory/DirectorySchema.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

using namespace tsivor::app;

namespace {

void WriteBanner(const QString& dir, const QString& name, QSize size, QColor colour) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    image.setPixelColor(0, 0, Qt::black); // the top left corner tells the part shown
    ASSERT_TRUE(QDir(dir).mkpath("banner"));
    ASSERT_TRUE(image.save(dir + "/banner/" + name, "BMP"));
}

QImage Shown(const QLabel& image) {
    return image.pixmap().toImage();
}

TEST(BannerNumbers, FromTheFileName) {
    EXPECT_EQ(TBannerRotator::BannerNumberOf("ban_12.bmp"), 12);
    EXPECT_EQ(TBannerRotator::BannerNumberOf("ban_7.old.bmp"), 7);
    EXPECT_EQ(TBannerRotator::BannerNumberOf("zarechinsk.bmp"), 0);
    EXPECT_EQ(TBannerRotator::BannerNumberOf("ban_abc.bmp"), 0);
}

class Banners : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        image.resize(281, 57);
        none.show();
    }
    QTemporaryDir dir;
    QLabel image, none;
    TBannerRotator rotator{&image, &none, nullptr};
};

TEST_F(Banners, WithoutBannersTheTextStaysAndTheTimerDoesNothing) {
    rotator.LoadBanners(dir.path());
    EXPECT_EQ(rotator.Count(), 0);
    rotator.BannerTimerTimer();
    EXPECT_EQ(rotator.Index(), -1);
    EXPECT_FALSE(none.isHidden());
    EXPECT_TRUE(image.pixmap().isNull());
    EXPECT_EQ(rotator.BannerTimer->interval(), 4000);
}

TEST_F(Banners, RotateInTurnAndOnlyNumberedOnesLeadSomewhere) {
    WriteBanner(dir.path(), "ban_3.bmp", {281, 57}, Qt::red);
    WriteBanner(dir.path(), "ban_5.bmp", {400, 90}, Qt::green); // larger: its top left part
    WriteBanner(dir.path(), "city.bmp", {100, 30}, Qt::blue);   // smaller: the rest white
    ASSERT_TRUE(QFile(dir.filePath("banner/broken.bmp")).open(QIODevice::WriteOnly));
    std::vector<int> clicked;
    rotator.OnClick = [&](int n) { clicked.push_back(n); };
    rotator.LoadBanners(dir.path());
    ASSERT_EQ(rotator.Count(), 3); // the broken file is left out
    EXPECT_EQ(rotator.Index(), 0);
    EXPECT_TRUE(none.isHidden());
    EXPECT_EQ(Shown(image).pixelColor(10, 10), QColor(Qt::red));
    EXPECT_EQ(image.cursor().shape(), Qt::PointingHandCursor);
    QTest::mouseClick(&image, Qt::LeftButton);

    rotator.BannerTimerTimer();
    EXPECT_EQ(Shown(image).size(), QSize(281, 57));
    EXPECT_EQ(Shown(image).pixelColor(0, 0), QColor(Qt::black));
    EXPECT_EQ(Shown(image).pixelColor(280, 56), QColor(Qt::green));
    QTest::mouseClick(&image, Qt::LeftButton);

    rotator.BannerTimerTimer();
    EXPECT_EQ(Shown(image).pixelColor(50, 10), QColor(Qt::blue));
    EXPECT_EQ(Shown(image).pixelColor(200, 50), QColor(Qt::white));
    EXPECT_EQ(image.cursor().shape(), Qt::ArrowCursor);
    QTest::mouseClick(&image, Qt::LeftButton);

    rotator.BannerTimerTimer();
    EXPECT_EQ(rotator.Index(), 0);
    EXPECT_EQ(clicked, (std::vector<int>{3, 5}));
}

TEST(AdAnimations, TheFirstMatchingGifCarriesItsOrganisation) {
    TAdAnimation a("RxGIFAnimator1", {142, 30}, nullptr);
    int clicked = 0;
    a.OnClick = [&](int n) { clicked = n; };
    ASSERT_TRUE(a.Load(tsivor::test::DeployDir() + "/panel", "panel_*.gif"));
    EXPECT_GT(a.Tag, 0);
    QTest::mouseClick(&a, Qt::LeftButton);
    EXPECT_EQ(clicked, a.Tag);
    TAdAnimation none("RxGIFAnimator2", {23, 63}, nullptr);
    EXPECT_FALSE(none.Load(tsivor::test::DeployDir() + "/panel", "nothing_*.gif"));
    EXPECT_EQ(none.Tag, 0);
}

// ---- through the main window

class BannerWindow : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        tsivor::directory::TDatabase db;
        QString error;
        ASSERT_TRUE(
            db.Open(dir.filePath("info.db"), tsivor::directory::TDatabase::Mode::Create, &error));
        ASSERT_TRUE(CreateSchema(db, tsivor::directory::DirectoryTables(), &error));
        ASSERT_TRUE(
            db.Exec(QStringLiteral("INSERT INTO Main (Id, Title, AutoLoad, File) VALUES "
                                   "(1, 'Пекарня Колос', 1, 'kolos'), (2, 'Аптека', 1, '')"),
                    &error));
        db.Close();
        WriteBanner(dir.path(), "ban_1.bmp", {281, 57}, Qt::yellow);
        TMainFormSettings s;
        s.ExeDir = dir.path();
        s.WorkDir = dir.path();
        form = std::make_unique<TFMainForm>(s, dm);
        form->resize(1000, 700);
        ASSERT_TRUE(form->FormCreate(&error)) << error.toStdString();
        form->show();
    }
    tsivor::test::FakePlatform platform;
    QTemporaryDir dir;
    tsivor::directory::Tdm dm;
    std::unique_ptr<TFMainForm> form;
};

TEST_F(BannerWindow, ABannerLeadsToItsOrganisationAsAnExpandedCard) {
    ASSERT_EQ(form->Banners->Count(), 1);
    EXPECT_TRUE(form->Banners->BannerTimer->isActive());
    form->PageControl1->setCurrentIndex(3); // the real-estate tab gives way to the rubrics
    QTest::mouseClick(form->BannerImage, Qt::LeftButton, {}, QPoint(100, 20));
    ASSERT_EQ(form->Navigator->ItemsCount(), 1);
    EXPECT_TRUE(form->Navigator->Item(0)->Maximized());
    EXPECT_EQ(form->CurrentResultKey(), "ban_1");
    EXPECT_EQ(form->ResultTitle(), "Выбрано: Пекарня Колос");
    EXPECT_EQ(form->PageControl1->currentIndex(), 0);
}

TEST_F(BannerWindow, AMissingAttachedFileIsToldInTheStatusLineAndTheCardStays) {
    platform.messages.clear();
    QTest::mouseClick(form->BannerImage, Qt::LeftButton, {}, QPoint(100, 20));
    ASSERT_EQ(form->Navigator->ItemsCount(), 1);
    TNavigatorItem* card = form->Navigator->Item(0);
    EXPECT_TRUE(card->Maximized());
    EXPECT_TRUE(platform.messages.isEmpty()) << platform.messages.join('|').toStdString();
    EXPECT_TRUE(form->Status0->text().contains("kolos.chm")) << form->Status0->text().toStdString();
    EXPECT_TRUE(form->Status0->text().contains("не найден"));

    // Once the file is there, expanding the card by hand opens it, every time.
    ASSERT_TRUE(QDir(dir.path()).mkpath("chm"));
    QFile file(dir.filePath("chm/kolos.chm"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    platform.opened.clear();
    qint64 now = 0; // presses further apart than a double press
    form->Navigator->Clock = [&now] { return now += 2000; };
    for (int i = 0; i < 2; ++i) {
        QTest::mouseClick(card, Qt::LeftButton, {}, QPoint(200, 5)); // collapse
        ASSERT_FALSE(card->Maximized());
        QTest::mouseClick(card, Qt::LeftButton, {}, QPoint(200, 5)); // expand
        ASSERT_TRUE(card->Maximized());
    }
    EXPECT_EQ(platform.opened, QStringList(2, dir.filePath("chm/kolos.chm")));
    EXPECT_TRUE(platform.messages.isEmpty()) << platform.messages.join('|').toStdString();
}

} // namespace
