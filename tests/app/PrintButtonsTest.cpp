// The main window's print buttons on the sample deployment: the map printed to a PDF file the
// user picked, with the application's settings, and the view left as it was.
#include "app/PrintButtons.h"
#include "app/MainForm.h"
#include "app/Navigator.h"
#include "directory/DataModule.h"
#include "mapview/DataMap.h"

#include "TestSupport.h"

#include <QFileInfo>
#include <QPdfDocument>
#include <QPdfSelection>
#include <QPrinter>
#include <QTemporaryDir>
#include <QToolButton>

#include <gtest/gtest.h>

using namespace tsivor::app;

namespace {

class PrintButtonsTest : public ::testing::Test {
protected:
    void SetUp() override {
        const QString deploy = tsivor::test::DeployDir();
        if (!QFileInfo::exists(deploy + "/info.db") || !QFileInfo::exists(deploy + "/info1.db"))
            GTEST_SKIP() << "no sample deployment";
        TMainFormSettings s;
        s.ExeDir = deploy;
        form = std::make_unique<TFMainForm>(s, dm);
        form->resize(1200, 800);
        QString error;
        ASSERT_TRUE(form->FormCreate(&error)) << error.toStdString();
        platform.onChoosePrinter = [this](QPrinter& p) {
            p.setOutputFormat(QPrinter::PdfFormat);
            p.setOutputFileName(out);
        };
    }
    tsivor::test::FakePlatform platform;
    tsivor::directory::Tdm dm;
    std::unique_ptr<TFMainForm> form;
    QTemporaryDir dir;
    QString out = dir.filePath(QStringLiteral("карта.pdf"));
};

} // namespace

TEST_F(PrintButtonsTest, TheMapButtonPrintsTheScreenAtTheScreensScale) {
    tsivor::mapview::TDataMap& map = *form->DataMap1;
    map.SetScale(map.Options().MinScaleAddress() + 50);
    const double scale = map.Scale();
    const float x = map.XWind(), y = map.YWind();
    form->sbPrintMap->click();
    EXPECT_TRUE(platform.messages.isEmpty()) << platform.messages.join('|').toStdString();
    const tsivor::mapui::tOrbMapPrinterSettings& s = form->MapPrint().PrinterSettings();
    EXPECT_FALSE(s.ShowDialogPrint);
    EXPECT_FLOAT_EQ(s.BorderWidth, 0.3f);
    EXPECT_FALSE(s.ScaleBar);
    EXPECT_EQ(s.MashtabPrint, tsivor::mapui::S_Current);
    EXPECT_TRUE(s.NumberDom); // the screen shows house numbers
    EXPECT_EQ(s.PaperColor, 0xAED3EDu);
    QPdfDocument pdf;
    ASSERT_EQ(pdf.load(out), QPdfDocument::Error::None);
    EXPECT_EQ(pdf.pageCount(), 1);
    EXPECT_TRUE(pdf.getAllText(0).text().contains(map.NameMap()));
    EXPECT_EQ(map.Scale(), scale);
    EXPECT_EQ(map.XWind(), x);
    EXPECT_EQ(map.YWind(), y);
    EXPECT_EQ(&map.Transform(), &map.Viewport());
}

TEST_F(PrintButtonsTest, ACancelledPrintDialogPrintsNothing) {
    platform.printerAccepted = false;
    form->sbPrintMap->click();
    EXPECT_EQ(platform.printerChoices, 1);
    EXPECT_FALSE(QFileInfo::exists(out));
}

TEST_F(PrintButtonsTest, AnUnwritableFileIsToldAndTheScreenStays) {
    out = dir.filePath(QStringLiteral("нет/папки/карта.pdf"));
    const double scale = form->DataMap1->Scale();
    form->sbPrintMap->click();
    ASSERT_EQ(platform.messages.size(), 1);
    EXPECT_TRUE(platform.messages[0].contains(out)) << platform.messages[0].toStdString();
    EXPECT_EQ(form->DataMap1->Scale(), scale);
}

TEST_F(PrintButtonsTest, TheCardButtonPrintsTheExpandedStartList) {
    ASSERT_GT(form->Navigator->ItemsCount(), 0);
    form->Navigator->OpenAttachmentOnExpand = false; // the sample has no help files
    form->Navigator->Item(0)->SetMaximized(true);
    form->Navigator->OpenAttachmentOnExpand = true;
    form->sbNavPrint->click();
    ASSERT_EQ(platform.messages.size(), 1) << platform.messages.join('|').toStdString();
    EXPECT_EQ(platform.messages[0],
              QStringLiteral("Выбрано для печати 1 карточек организаций. Напечатать их?"));
    QPdfDocument pdf;
    ASSERT_EQ(pdf.load(out), QPdfDocument::Error::None);
    EXPECT_EQ(pdf.pageCount(), 1);
    EXPECT_TRUE(pdf.getAllText(0).text().contains(form->ResultTitle()));
}
