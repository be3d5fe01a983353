// The print layout dialog: its bindings, the preview, the write-back of its timer, and its
// buttons pressed as a user presses them.
#include "mapui/OrbMapPrint.h"
#include "mapui/MapPrint.h"

#include "../support/TestSupport.h"
#include "PrintTestSupport.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <gtest/gtest.h>

using namespace tsivor::mapui;

namespace {

// Focuses the box as a click would and types into whatever has the focus then.
void Type(TORBSpinEdit* spin, const QString& text) {
    QApplication::setActiveWindow(spin->window());
    spin->setFocus(Qt::MouseFocusReason);
    spin->selectAll();
    ASSERT_EQ(QApplication::focusWidget(), spin);
    QTest::keyClicks(QApplication::focusWidget(), text);
}

// Runs Execute and, once the dialog shows, does what the user does.
int RunDialog(TOrbMapPrint& d, QString& title, const std::function<void()>& user) {
    QTimer::singleShot(0, &d, user);
    return d.Execute(title);
}

} // namespace

TEST(OrbMapPrint, ControlsFollowTheSettings) {
    tOrbMapPrinterSettings s;
    s.PrintRegion = AllMap;
    s.SetCustomMashtab(25000);
    s.PageX = 2;
    s.NumberDom = true;
    s.BorderColor = 0x0000FF;
    TOrbMapPrint d(s, nullptr);
    d.LoadControls();
    d.UpdatePreview();
    EXPECT_TRUE(d.OblastAll->isChecked());
    EXPECT_TRUE(d.MashtabCustom->isChecked());
    EXPECT_EQ(d.MashtabPrint->text(), QStringLiteral("25000"));
    EXPECT_EQ(d.PageX->Value(), 2);
    EXPECT_TRUE(d.NomerDom->isChecked());
    EXPECT_EQ(TOrbMapPrint::CaptionColor(d.RamkaColor), QColor(255, 0, 0));
    EXPECT_EQ(d.Preview->BorderPen, QColor(255, 0, 0));
    EXPECT_EQ(d.FontTitle->text(), s.TitleFont.family() + QStringLiteral("  [13]"));
    EXPECT_TRUE(d.Button4->isEnabled());
    EXPECT_FALSE(d.PageX->isHidden());
}

TEST(OrbMapPrint, ScreenRegionHidesThePageNumbersAndTheLayoutSheet) {
    tOrbMapPrinterSettings s;
    TOrbMapPrint d(s, nullptr);
    d.LoadControls();
    EXPECT_FALSE(d.Button4->isEnabled());
    EXPECT_TRUE(d.PageX->isHidden());
    EXPECT_TRUE(d.MashtabPrint->isHidden()); // "В масштабе карты"
    d.OblastAll->click();
    EXPECT_TRUE(d.Button4->isEnabled());
    EXPECT_FALSE(d.PageX->isHidden());
    d.MashtabCustom->click();
    EXPECT_FALSE(d.MashtabPrint->isHidden());
}

TEST(OrbMapPrint, TheTimerWritesBackAndCancelKeepsIt) {
    tsivor::test::FakePlatform platform;
    tOrbMapPrinterSettings s;
    TOrbMapPrint d(s, nullptr);
    EXPECT_TRUE(d.Timer1.isActive());
    EXPECT_EQ(d.Timer1.interval(), 500);
    QString title = QStringLiteral("Карта");
    const int result = RunDialog(d, title, [&] {
        Type(d.LeftMargin, QStringLiteral("15"));
        d.TimerTick(); // half a second on
        EXPECT_EQ(s.LeftMargin, 15);
        Type(d.TopMargin, QLocale().toString(12.9));
        Type(d.RamkaWidth, QLocale().toString(0.3));
        d.SetkaCheckBox->click();
        d.TimerTick();
        EXPECT_TRUE(d.Preview->GridVisible);
        d.Edit1->setText(QStringLiteral("Центр"));
        d.Button3->click();
    });
    EXPECT_EQ(result, TOrbMapPrint::mrCancel);
    EXPECT_EQ(s.LeftMargin, 15);
    EXPECT_EQ(s.TopMargin, 12); // cut, not rounded
    EXPECT_FLOAT_EQ(s.BorderWidth, 0.3f);
    EXPECT_TRUE(s.Grid);
    EXPECT_EQ(title, QStringLiteral("Центр"));
}

TEST(OrbMapPrint, ChoosingACustomScaleSelectsIt) {
    tOrbMapPrinterSettings s;
    TOrbMapPrint d(s, nullptr);
    QString title;
    const int result = RunDialog(d, title, [&] {
        d.MashtabCustom->click();
        Type(d.MashtabPrint, QStringLiteral("5000"));
        d.Button2->click();
    });
    EXPECT_EQ(result, TOrbMapPrint::mrOk);
    EXPECT_EQ(s.MashtabPrint, S_Custom);
    EXPECT_EQ(s.CustomMashtab(), 5000);
}

TEST(OrbMapPrint, EnterPressesTheDefaultButton) {
    tOrbMapPrinterSettings s;
    TOrbMapPrint d(s, nullptr);
    QString title;
    const int result = RunDialog(d, title, [&] {
        Type(d.LeftMargin, QStringLiteral("7"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    });
    EXPECT_EQ(result, TOrbMapPrint::mrOk);
    EXPECT_EQ(s.LeftMargin, 7);
}

TEST(OrbMapPrint, ColourFontAndTextureButtons) {
    tsivor::test::FakePlatform platform;
    tOrbMapPrinterSettings s;
    TOrbMapPrint d(s, nullptr);
    d.LoadControls();
    d.ChooseColor = [](QColor& c) {
        c = QColor(1, 2, 3);
        return true;
    };
    d.ChooseFont = [](QFont& f) {
        f.setPointSize(20);
        return true;
    };
    d.PaperColor->click();
    d.ButtonZagolovok->click();
    d.TimerTick();
    EXPECT_EQ(s.PaperColor, 0x030201u);
    EXPECT_EQ(s.TitleFont.pointSize(), 20);
    EXPECT_TRUE(d.FontTitle->text().endsWith(QStringLiteral("[20]")));

    QApplication::clipboard()->setText(QStringLiteral("не картинка"));
    d.SpeedButton2->click();
    EXPECT_EQ(platform.messages.value(0), QStringLiteral("В буфере обмена нет картинки BITMAP !"));
    QImage texture(8, 8, QImage::Format_RGB32);
    texture.fill(Qt::green);
    QApplication::clipboard()->setImage(texture);
    d.SpeedButton2->click();
    d.TimerTick();
    EXPECT_EQ(s.PaperTexture().size(), QSize(8, 8));
    d.SpeedButton3->click();
    d.TimerTick();
    EXPECT_TRUE(s.PaperTexture().isNull());
}

TEST(OrbMapPrint, PreviewRepaintsOnlyOnChanges) {
    tOrbMapPrinterSettings s;
    TOrbMapPrint d(s, nullptr);
    d.LoadControls();
    d.UpdatePreview();
    const int changes = d.Preview->Changes;
    d.TimerTick();
    d.TimerTick();
    EXPECT_EQ(d.Preview->Changes, changes);
    d.MashtabCheckBox->click();
    d.TimerTick();
    EXPECT_EQ(d.Preview->Changes, changes + 1);
    EXPECT_TRUE(d.Preview->MashtabVisible);
}

TEST(OrbMapPrint, PrintMapRunsTheDialogAndPrintsWhatItChose) {
    printtest::TPrintMap m;
    TMapPrint print(m.map);
    TPicturePages pages(printtest::A4Pixels(100), 100);
    print.PrinterSettings().PrintRegion = AllMap;
    QPointer<TOrbMapPrint> shown;
    QTimer::singleShot(0, [&] {
        shown = dynamic_cast<TOrbMapPrint*>(QApplication::activeModalWidget());
        ASSERT_TRUE(shown);
        EXPECT_EQ(shown->Edit1->text(), QStringLiteral("Карта Заречинска"));
        shown->Edit1->setText(QStringLiteral("Макет"));
        shown->Button4->click(); // the layout sheet
    });
    QString error;
    ASSERT_TRUE(print.PrintMap(pages, &error)) << error.toStdString();
    EXPECT_EQ(print.FPrintTitle, QStringLiteral("Макет"));
    EXPECT_EQ(pages.Pages.size(), 1u);
    EXPECT_TRUE(shown.isNull()); // freed after the print

    print.PrinterSettings().ShowDialogPrint = false; // prints at once
    ASSERT_TRUE(print.PrintMap(pages, &error));
    EXPECT_EQ(print.FPrintTitle, QStringLiteral("Карта Заречинска"));
}
