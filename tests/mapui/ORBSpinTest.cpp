// The spin edit: conversions through its text, the range, stepping and typing as a user types.
#include "mapui/ORBSpin.h"

#include "../support/TestSupport.h"

#include <QApplication>
#include <QLocale>
#include <QTest>

#include <gtest/gtest.h>

using namespace tsivor::mapui;

namespace {

struct TSpinWindow {
    QWidget window;
    TORBSpinEdit* spin = new TORBSpinEdit(&window);
    QLineEdit* other = new QLineEdit(&window);
    TSpinWindow() {
        other->move(0, 40);
        window.show();
        spin->setFocus();
        QApplication::processEvents();
    }
};

} // namespace

TEST(ORBSpin, ValuesGoThroughTheText) {
    TORBSpinEdit s;
    EXPECT_EQ(s.text(), QStringLiteral("0"));
    s.SetValue(41.6);
    EXPECT_EQ(s.text(), QStringLiteral("42"));
    s.SetValueType(vtFloat);
    s.Decimal = 1;
    s.SetValue(3);
    EXPECT_EQ(s.text(), QLocale().toString(3.0, 'f', 1));
    s.SetValueType(vtHex);
    s.SetValue(255);
    EXPECT_EQ(s.text(), QStringLiteral("FF"));
    EXPECT_DOUBLE_EQ(s.Value(), 255);
    s.SetValueType(vtInteger);
    s.MinValue = 3;
    s.MaxValue = 9;
    s.setText(QStringLiteral("abc"));
    EXPECT_DOUBLE_EQ(s.Value(), 3); // what cannot be read is MinValue
}

TEST(ORBSpin, TheRangeHoldsUnlessItIsEmpty) {
    TORBSpinEdit s;
    s.SetValue(-1234567);
    EXPECT_DOUBLE_EQ(s.Value(), -1234567); // 0..0: no limit
    s.MinValue = 1;
    s.MaxValue = 10;
    s.SetValue(25);
    EXPECT_EQ(s.text(), QStringLiteral("10"));
}

TEST(ORBSpin, LeavingTheBoxClampsTheTypedValue) {
    tsivor::test::FakePlatform platform;
    TSpinWindow w;
    w.spin->MinValue = 1;
    w.spin->MaxValue = 10;
    w.spin->clear();
    QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("25"));
    EXPECT_EQ(w.spin->text(), QStringLiteral("25"));
    w.other->setFocus();
    QApplication::processEvents();
    EXPECT_EQ(w.spin->text(), QStringLiteral("10"));
}

TEST(ORBSpin, ArrowKeysAndButtonsStep) {
    tsivor::test::FakePlatform platform;
    TSpinWindow w;
    int tops = 0, bottoms = 0;
    w.spin->OnTopClick = [&] { ++tops; };
    w.spin->OnBottomClick = [&] { ++bottoms; };
    w.spin->SetIncrement(5);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Up);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Up);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
    EXPECT_EQ(w.spin->text(), QStringLiteral("5"));
    EXPECT_EQ(tops, 2);
    EXPECT_EQ(bottoms, 1);
    EXPECT_TRUE(w.spin->isModified());
    // The upper half of the button pair steps up, the lower half down.
    TORBSpinButton* b = w.spin->Button();
    QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(b->width() / 2, 2));
    QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(b->width() / 2, b->height() - 2));
    QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(b->width() / 2, b->height() - 2));
    EXPECT_EQ(w.spin->text(), QStringLiteral("0"));
    w.spin->setReadOnly(true);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Up);
    EXPECT_EQ(w.spin->text(), QStringLiteral("0"));
    EXPECT_EQ(platform.beeps, 1);
}

TEST(ORBSpin, OnlyCharactersOfANumberAreTyped) {
    tsivor::test::FakePlatform platform;
    TSpinWindow w;
    w.spin->clear();
    QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("1x2"));
    EXPECT_EQ(w.spin->text(), QStringLiteral("12"));
    EXPECT_EQ(platform.beeps, 1);

    w.spin->SetValueType(vtFloat);
    w.spin->clear();
    const QString sep = QLocale().decimalPoint();
    QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("1") + sep + "5" + sep + "e2E");
    EXPECT_EQ(w.spin->text(), QStringLiteral("1") + sep + "5e2"); // one separator, one E
    EXPECT_EQ(platform.beeps, 3);

    w.spin->SetValueType(vtHex);
    w.spin->clear();
    QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("aFg"));
    EXPECT_EQ(w.spin->text(), QStringLiteral("aF"));

    w.spin->EditorEnabled = false;
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backspace);
    QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("1"));
    EXPECT_EQ(w.spin->text(), QStringLiteral("aF"));
}

TEST(ORBSpin, ChangingTheTypeRoundsTheIncrement) {
    TORBSpinEdit s;
    s.SetValueType(vtFloat);
    s.SetIncrement(0.3);
    s.SetValue(2.5);
    s.SetValueType(vtInteger);
    EXPECT_DOUBLE_EQ(s.Increment(), 1);       // 0.3 rounds to 0, which would not step
    EXPECT_EQ(s.text(), QStringLiteral("2")); // 2.5 to the even neighbour
}
