#include "app/CardFiller.h"
#include "app/Navigator.h"
#include "app/NavigatorItem.h"
#include "app/ResultHistory.h"

#include "TestSupport.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMovie>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWheelEvent>

#include <gtest/gtest.h>

#include <map>

using namespace tsivor::app;

namespace {

TEST(FormatPhone, InsertsDashesByLength) {
    EXPECT_EQ(FormatPhone("12"), "12");
    EXPECT_EQ(FormatPhone("123"), "123");
    EXPECT_EQ(FormatPhone("1234"), "1234");
    EXPECT_EQ(FormatPhone("12345"), "1-23-45");
    EXPECT_EQ(FormatPhone("123456"), "12-34-56");
    EXPECT_EQ(FormatPhone("1234567"), "123-45-67");
    EXPECT_EQ(FormatPhone("12345678"), "12345678");
    EXPECT_EQ(FormatPhone("89031234567"), "8-903-123-45-67");
    EXPECT_EQ(FormatPhone(""), "");
}

TEST(IdList, MalformedEntriesAreSkippedAndLastNumberCounts) {
    EXPECT_EQ(ParseIdList("1;22;333;"), (std::vector<int>{1, 22, 333}));
    EXPECT_EQ(ParseIdList("5;x;;7"), (std::vector<int>{5, 7}));
    EXPECT_TRUE(ParseIdList("").empty());
}

TEST(IdList, ShowByIdsStatementKeepsOnlyNumbers) {
    const QStringList s = ShowByIdsStatement("3;1;", 2);
    EXPECT_EQ(s.join('\n'), "SELECT * FROM Main\nWHERE Main.Id IN (SELECT value FROM "
                            "json_each(\"[3,1]\"))\norder by Main.Title");
    EXPECT_EQ(ShowByIdsStatement("", 0).join('\n'),
              "SELECT * FROM Main\nWHERE 1=4\norder by Main.Autoload desc");
    EXPECT_EQ(ShowByIdsStatement("1) or (1=1;", 1)[1], "WHERE 1=4");
}

class CardFixture : public ::testing::Test {
protected:
    CardFixture() : nav(nullptr) {
        nav.resize(280, 400);
        nav.Clock = [this] { return now; };
        nav.show();
    }
    TNavigatorItem& card() { return *nav.Item(0); }

    tsivor::test::FakePlatform platform;
    qint64 now = 100000;
    TNavigator nav;
};

TEST_F(CardFixture, MakesTwoHundredCardsAndGrowsOnDemand) {
    EXPECT_EQ(nav.CreatedCount(), 200);
    EXPECT_EQ(nav.ItemsCount(), 0);
    nav.SetItemsCount(250);
    EXPECT_EQ(nav.CreatedCount(), 250);
    for (int i = 0; i < 250; ++i) {
        nav.Item(i)->ResetCard();
        nav.Item(i)->FinishCard();
    }
    nav.SetItemsCount(10);
    EXPECT_FALSE(nav.Item(9)->isHidden());
    EXPECT_TRUE(nav.Item(10)->isHidden());
    EXPECT_TRUE(nav.Item(249)->isHidden());
}

TEST_F(CardFixture, PiecesWrapAtCardWidth) {
    TNavigatorItem& c = card();
    c.CardWidth = 200;
    c.SetLeftX(3);
    c.ResetCard();
    c.AddPiece(AddressPlainStyle, "first");
    const int y0 = c.Line(0)->y();
    const QString wide(40, u'W');
    c.AddPiece(AddressPlainStyle, wide);
    // Too wide for the rest of the line: a new line at LeftX.
    EXPECT_EQ(c.Line(1)->x(), 3);
    EXPECT_EQ(c.Line(1)->y(), y0 + qRound(1.7 * 9));
    // The first piece of a card never wraps, however wide.
    c.ResetCard();
    c.AddPiece(AddressPlainStyle, wide);
    EXPECT_EQ(c.Line(0)->y(), 1);
}

TEST_F(CardFixture, PhonesAreRightAligned) {
    TNavigatorItem& c = card();
    c.CardWidth = 240;
    c.ResetCard();
    c.AddPiece(AddressPlainStyle, "Лесная, 5");
    c.AddPiece(PhoneStyle, "тел. 12-34-56");
    QLabel* phone = c.Line(1);
    EXPECT_EQ(phone->x() + phone->width(), 240);
    EXPECT_EQ(c.PenX(), 240);
    EXPECT_EQ(phone->y(), c.Line(0)->y());
}

TEST_F(CardFixture, WrappedTextBreaksAtWordsAndLineBreaks) {
    TNavigatorItem& c = card();
    c.CardWidth = 120;
    c.SetLeftX(3);
    c.ResetCard();
    c.AddWrappedText(MemoStyle, "один два три четыре пять шесть семь восемь девять десять");
    ASSERT_GT(c.LineCount(), 1);
    QString joined;
    for (int i = 0; i < c.LineCount(); ++i) {
        EXPECT_LE(c.Line(i)->width(), 120);
        joined += c.Line(i)->text();
        if (i > 0) {
            EXPECT_GT(c.Line(i)->y(), c.Line(i - 1)->y());
        }
    }
    EXPECT_EQ(joined, "один два три четыре пять шесть семь восемь девять десять");

    c.ResetCard();
    c.AddWrappedText(MemoStyle, "а\r\n\r\nб");
    ASSERT_EQ(c.LineCount(), 2);
    EXPECT_EQ(c.Line(1)->y() - c.Line(0)->y(), 2 * qRound(1.5 * 8));
}

TEST_F(CardFixture, CaptionSetsCollapsedHeightAndFinishHidesUnusedLabels) {
    TNavigatorItem& c = card();
    c.SetLeftX(3);
    c.ResetCard();
    c.AddPiece(MemoStyle, "a");
    c.AddPiece(MemoStyle, "b");
    c.AddPiece(MemoStyle, "c");
    c.FinishCard();
    c.ResetCard();
    c.SetCaption("Аптека", false, false);
    c.FinishCard();
    EXPECT_EQ(c.CollapsedHeight(), 18 + 1);
    EXPECT_EQ(c.ExpandedHeight(), qRound(1.8 * 10 * 1.2) + 1);
    EXPECT_EQ(c.height(), c.CollapsedHeight());
    EXPECT_TRUE(c.Line(1)->isHidden());
    EXPECT_TRUE(c.Icon()->isHidden());
    c.ResetCard();
    c.SetCaption("Аптека", false, true);
    EXPECT_FALSE(c.Icon()->isHidden());
    EXPECT_EQ(c.Line(0)->x(), 3 + c.Icon()->width() + 5);
}

TEST_F(CardFixture, FileSetIsCutTo20Characters) {
    card().SetFileSet(QString(30, u'x'));
    EXPECT_EQ(card().FileSet().size(), 20);
}

TEST_F(CardFixture, ClickTogglesAndSecondPressWithinGuardIsIgnored) {
    nav.SetItemsCount(1);
    TNavigatorItem& c = card();
    c.ResetCard();
    c.SetCaption("Кафе", false, false);
    c.FinishCard();
    int detailCalls = 0;
    nav.Hooks.FillCardDetails = [&](TNavigatorItem& item, int) {
        ++detailCalls;
        item.AddPiece(MemoStyle, "подробно");
        item.FinishCard();
    };
    QTest::mouseClick(&c, Qt::LeftButton, {}, QPoint(200, 5));
    EXPECT_TRUE(c.Maximized());
    EXPECT_EQ(detailCalls, 1);
    now += 1000; // within 1.3 s: ignored
    QTest::mouseClick(&c, Qt::LeftButton, {}, QPoint(200, 5));
    EXPECT_TRUE(c.Maximized());
    now += 1400;
    QTest::mouseClick(&c, Qt::LeftButton, {}, QPoint(200, 5));
    EXPECT_FALSE(c.Maximized());
    now += 1400;
    QTest::mouseClick(&c, Qt::LeftButton, {}, QPoint(200, 5));
    EXPECT_TRUE(c.Maximized());
    EXPECT_EQ(detailCalls, 1); // details are read once
}

TEST_F(CardFixture, RightClickOpensMenuAndLinksCallTheirHooks) {
    nav.SetItemsCount(1);
    TNavigatorItem& c = card();
    c.FOrgId = 42;
    c.ResetCard();
    c.AddPiece(RubricStyle, "Аптеки");
    c.AddPiece(WebStyle, "www.apteka.example");
    c.FinishCard();
    int menuFor = 0;
    QStringList rubrics, webs;
    nav.Hooks.OnCardMenu = [&](int id) { menuFor = id; };
    nav.Hooks.OnCardRubricClick = [&](const QString& t) { rubrics << t; };
    nav.Hooks.OnCardWebClick = [&](const QString& t) { webs << t; };
    QTest::mouseClick(&c, Qt::RightButton, {}, QPoint(200, 5));
    EXPECT_EQ(menuFor, 42);
    QTest::mouseClick(c.Line(0), Qt::LeftButton);
    QTest::mouseClick(c.Line(1), Qt::LeftButton);
    EXPECT_EQ(rubrics, QStringList{"Аптеки"});
    EXPECT_EQ(webs, QStringList{"www.apteka.example"});
    EXPECT_FALSE(c.Maximized()); // a link does not toggle the card
    menuFor = 0;
    QTest::mouseClick(c.Line(0), Qt::RightButton);
    EXPECT_EQ(menuFor, 42);
}

TEST_F(CardFixture, WheelScrollsThreeLinesAndTheListTakesTheKeysUnderThePointer) {
    nav.SetItemsCount(100);
    for (int i = 0; i < 100; ++i) {
        nav.Item(i)->ResetCard();
        nav.Item(i)->SetCaption("x", false, false);
        nav.Item(i)->FinishCard();
    }
    nav.Relayout();
    QScrollBar* bar = nav.verticalScrollBar();
    const int notch = TNavigator::WheelLines * nav.LineStep();
    ASSERT_GT(nav.LineStep(), 10);
    bar->setValue(100);
    const QPointF p(20, 20);
    QWheelEvent down(p, nav.mapToGlobal(p), {}, QPoint(0, -120), Qt::NoButton, {},
                     Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(nav.viewport(), &down);
    EXPECT_EQ(bar->value(), 100 + notch);
    QWheelEvent up(p, nav.mapToGlobal(p), {}, QPoint(0, 240), Qt::NoButton, {}, Qt::NoScrollPhase,
                   false);
    QCoreApplication::sendEvent(nav.viewport(), &up);
    EXPECT_EQ(bar->value(), 100 - notch);

    // The pointer comes over the list: Page Down and Home go to it without a click.
    nav.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&nav));
    QEnterEvent enter(p, p, nav.mapToGlobal(p));
    QCoreApplication::sendEvent(&nav, &enter);
    ASSERT_TRUE(nav.hasFocus());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_PageDown);
    EXPECT_EQ(bar->value(), 100 - notch + bar->pageStep());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Home);
    EXPECT_EQ(bar->value(), 0);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_End);
    EXPECT_EQ(bar->value(), bar->maximum());
}

// Details from memory instead of the database.
class FakeDetails : public TCardDetailsSource {
public:
    QStringList Rubrics(int) override { return rubrics; }
    std::vector<TCardAddress> Addresses(int) override { return addresses; }
    std::vector<TCardPhone> Phones(int adrId) override { return phones[adrId]; }
    QStringList rubrics;
    std::vector<TCardAddress> addresses;
    std::map<int, std::vector<TCardPhone>> phones;
};

class FillFixture : public CardFixture {
protected:
    FillFixture() : filler(nav, nullptr, QString()) {
        nav.Hooks.FillCardDetails = [this](TNavigatorItem& c, int id) {
            filler.FillDetails(c, id, details);
        };
        nav.Hooks.OnCardAttachment = [this](const QString& p) { attachments << p; };
    }
    static TCardRow Row(int id, const QString& title) {
        TCardRow r;
        r.Id = id;
        r.Title = title;
        return r;
    }
    QStringList Texts(const TNavigatorItem& c) const {
        QStringList out;
        for (int i = 0; i < c.LineCount(); ++i) out << c.Line(i)->text();
        return out;
    }
    TCardFiller filler;
    FakeDetails details;
    QStringList attachments;
};

TEST_F(FillFixture, OneRowIsShownExpandedWithDetails) {
    TCardRow r = Row(7, "Гостиница Заря");
    r.Memo = "Уютные номера";
    r.www = "www.zarya.example";
    r.Mail = "info@zarya.example";
    details.rubrics = {"Гостиницы"};
    details.addresses = {{1, "", "оф. 2", "Лесная", "5", 10}, {2, "", "", "Приреченск", "", -1}};
    details.phones[1] = {{"тел", "123456", ""}, {"факс", "1234567", "приёмная"}};
    int before = 0, after = 0;
    std::vector<int> markers;
    filler.Hooks.OnBeforeFill = [&] { ++before; };
    filler.Hooks.OnAfterFill = [&] { ++after; };
    filler.Hooks.OnHouseMarker = [&](int obj, int org, bool, bool comment) {
        markers.push_back(obj);
        EXPECT_EQ(org, 7);
        EXPECT_TRUE(comment);
    };
    r.ids = "11;12;";
    filler.Fill({r});
    EXPECT_EQ(before, 1);
    EXPECT_EQ(after, 1);
    EXPECT_EQ(markers, (std::vector<int>{11, 12}));
    ASSERT_EQ(nav.ItemsCount(), 1);
    TNavigatorItem& c = card();
    EXPECT_TRUE(c.Maximized());
    EXPECT_TRUE(c.FDetailsLoaded);
    const QStringList t = Texts(c);
    EXPECT_TRUE(t.contains("Уютные номера"));
    EXPECT_TRUE(t.contains("Гостиницы"));
    EXPECT_TRUE(t.contains("Лесная, 5"));
    EXPECT_TRUE(t.contains(" - оф. 2"));
    EXPECT_TRUE(t.contains("тел. 12-34-56"));
    EXPECT_TRUE(t.contains("приёмная, факс. 123-45-67"));
    EXPECT_TRUE(t.contains("Приреченск")); // the city itself stands before, not as a street
    for (int i = 0; i < c.LineCount(); ++i) {
        if (t[i] == "Лесная, 5") {
            EXPECT_EQ(c.LineStyle(i), &AddressLinkStyle);
        } else if (t[i] == "Приреченск") {
            EXPECT_EQ(c.LineStyle(i), &AddressPlainStyle);
        } else if (t[i].startsWith("тел")) {
            EXPECT_EQ(c.Line(i)->x() + c.Line(i)->width(), c.CardWidth);
        } else if (t[i] == "info@zarya.example") {
            EXPECT_EQ(c.LineStyle(i), &MailStyle);
        }
    }
    EXPECT_EQ(c.height(), c.ExpandedHeight());
}

TEST_F(FillFixture, APostOfficeBoxInTheCityKeepsItsPrefix) {
    details.addresses = {{3, "а/я 17", "", "Приреченск", "", -1},
                         {4, "ТЦ «Центральный»,", "", "Лесная", "5", 10}};
    filler.Fill({Row(8, "Почта")});
    const QStringList t = Texts(card());
    EXPECT_TRUE(t.contains("Приреченск, а/я 17")) << t.join('|').toStdString();
    EXPECT_TRUE(t.contains("ТЦ «Центральный»,"));
    EXPECT_TRUE(t.contains("Лесная, 5"));
}

TEST_F(FillFixture, ThresholdsOfAttachmentAndComment) {
    TCardRow a = Row(1, "А");
    a.File = "x";
    a.Memo = "abc";
    TCardRow b = Row(2, "Б");
    b.File = "xy";
    filler.Fill({a, b});
    EXPECT_TRUE(nav.Item(0)->Icon()->isHidden());
    EXPECT_FALSE(nav.Item(1)->Icon()->isHidden());
    EXPECT_FALSE(nav.Item(0)->Maximized());
}

TEST_F(FillFixture, MissingHeaderIsReported) {
    TCardRow r = Row(1, "А");
    r.Header = "nothere";
    filler.Fill({r, Row(2, "Б")});
    EXPECT_EQ(platform.messages, QStringList{"Не могу найти файл nothere.bmp/gif"});
    EXPECT_FALSE(nav.Item(0)->HeaderShown());
}

TEST_F(CardFixture, HeaderPicturesSetTheCardHeight) {
    const QString header = tsivor::test::DeployDir() + "/header";
    const QStringList bmps = QDir(header).entryList({"*.bmp"}, QDir::Files);
    const QStringList gifs = QDir(header).entryList({"*.gif"}, QDir::Files);
    if (bmps.isEmpty() || gifs.isEmpty()) GTEST_SKIP() << "no sample headers";
    TNavigatorItem& c = card();
    for (const QString& path : {header + "/" + bmps[0], header + "/" + gifs[0]}) {
        c.ResetCard();
        ASSERT_TRUE(c.LoadHeaderPicture(path)) << path.toStdString();
        EXPECT_TRUE(c.HeaderShown());
        const int h = c.PenY() - 1;
        EXPECT_TRUE(h == 62 || h == 31) << h;
        EXPECT_EQ(c.CollapsedHeight(), h + 1);
        c.SetCaption("Банк", false, false);
        EXPECT_EQ(c.CollapsedHeight(), h + 1); // collapsed, only the picture shows
        EXPECT_EQ(c.Line(0)->y(), h + 1);      // the name follows below it
        c.FinishCard();
    }
    c.ResetCard();
    EXPECT_FALSE(c.HeaderShown());
    EXPECT_TRUE(platform.messages.isEmpty());
}

TEST_F(CardFixture, HeaderPicturesFitTheCardBesideTheScrollBar) {
    const QString header = tsivor::test::DeployDir() + "/header";
    const QStringList bmps = QDir(header).entryList({"*.bmp"}, QDir::Files);
    const QStringList gifs = QDir(header).entryList({"*.gif"}, QDir::Files);
    if (bmps.isEmpty() || gifs.isEmpty()) GTEST_SKIP() << "no sample headers";
    TNavigatorItem& c = card();
    ASSERT_LT(c.width(), TNavigatorItem::HeaderWidth + 2); // the list is narrower than a picture
    for (const QString& path : {header + "/" + bmps[0], header + "/" + gifs[0]}) {
        c.ResetCard();
        ASSERT_TRUE(c.LoadHeaderPicture(path)) << path.toStdString();
        const QLabel* shown = c.HeaderControl();
        ASSERT_NE(shown, nullptr);
        EXPECT_LE(shown->geometry().right(), c.width() - 2) << path.toStdString();
        const QSize picture =
            shown->movie() ? shown->movie()->currentImage().size() : shown->pixmap().size();
        EXPECT_LE(picture.width(), shown->width()) << path.toStdString(); // narrowed, not cut
        EXPECT_EQ(c.PenY(), shown->height() + 1);
    }
}

TEST_F(CardFixture, UnreadableHeaderIsReported) {
    QTemporaryDir dir;
    for (const char* name : {"/bad.bmp", "/bad.gif"}) {
        QFile f(dir.path() + name);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("not a picture");
        f.close();
        card().ResetCard();
        EXPECT_FALSE(card().LoadHeaderPicture(dir.path() + name));
        EXPECT_FALSE(card().HeaderShown());
    }
    EXPECT_EQ(platform.messages,
              QStringList(2, "Куда-то вся реклама делась... Я могу и разозлиться!"));
}

TEST_F(FillFixture, EmptyResultHidesEveryCard) {
    filler.Fill({Row(1, "А"), Row(2, "Б")});
    filler.Fill({});
    EXPECT_EQ(nav.ItemsCount(), 0);
    EXPECT_TRUE(nav.Item(0)->isHidden());
}

TEST_F(FillFixture, ExpandAllOpensNoFileButAHandExpansionDoesEveryTime) {
    TCardRow r = Row(1, "А");
    r.File = "guide";
    filler.Fill({r, Row(2, "Б"), Row(3, "В")});
    ASSERT_TRUE(nav.RunBulk(true, nullptr));
    for (int i = 0; i < 3; ++i) EXPECT_TRUE(nav.Item(i)->Maximized());
    EXPECT_TRUE(attachments.isEmpty());
    EXPECT_TRUE(nav.OpenAttachmentOnExpand);
    ASSERT_TRUE(nav.RunBulk(false, nullptr));
    EXPECT_FALSE(nav.Item(0)->Maximized());
    nav.Item(0)->SetMaximized(true);
    nav.Item(0)->SetMaximized(false);
    nav.Item(0)->SetMaximized(true);
    EXPECT_EQ(attachments, (QStringList{"chm/guide.chm", "chm/guide.chm"}));
}

TEST_F(FillFixture, EscStopsExpandAll) {
    std::vector<TCardRow> rows;
    for (int i = 1; i <= 50; ++i) rows.push_back(Row(i, QString::number(i)));
    filler.Fill(rows);
    int expanded = 0;
    nav.Hooks.FillCardDetails = [&](TNavigatorItem& c, int) {
        if (++expanded == 5) // ESC arrives while the loop lets input through
            QTimer::singleShot(0, &nav, [this] { nav.RequestStop(); });
        c.FinishCard();
    };
    ASSERT_TRUE(nav.RunBulk(true, nullptr));
    EXPECT_EQ(expanded, 5);
    EXPECT_FALSE(nav.Item(10)->Maximized());
    EXPECT_FALSE(nav.BulkRunning());
    nav.RequestStop(); // outside a loop ESC does nothing
    ASSERT_TRUE(nav.RunBulk(true, nullptr));
    EXPECT_TRUE(nav.Item(49)->Maximized());
}

TEST_F(FillFixture, BulkWithoutCardsBeeps) {
    EXPECT_FALSE(nav.RunBulk(true, nullptr));
    EXPECT_FALSE(nav.RunBulk(false, nullptr));
    EXPECT_EQ(platform.beeps, 2);
}

TResultSnapshot Result(int n, const QString& title) {
    TResultSnapshot s;
    s.ResultIds = QString::number(n) + ";";
    s.ExpandedFlags = "0";
    s.CardCount = 1;
    s.ResultKey = "key" + QString::number(n);
    s.Title = title;
    return s;
}

TEST(ResultHistory, KeepsTheLast21Results) {
    TResultHistory h;
    h.Clear();
    TResultSnapshot shown;
    for (int i = 0; i < 22; ++i) {
        h.BeforeFill(shown);
        shown = Result(i, "R" + QString::number(i));
        h.AfterFill(shown);
    }
    EXPECT_EQ(h.HistoryLast(), 20);
    EXPECT_EQ(h.Size(), 21);
    EXPECT_EQ(h.Entry(0).ResultIds, "1;");
    EXPECT_EQ(h.Entry(20).ResultIds, "21;");
    EXPECT_EQ(h.PrevHint(), "R20");
    EXPECT_FALSE(h.NextEnabled());
    EXPECT_EQ(h.NextHint(), "");
}

TEST(ResultHistory, BackAndForward) {
    TResultHistory h;
    h.Clear();
    TResultSnapshot shown;
    for (int i = 0; i < 3; ++i) {
        h.BeforeFill(shown);
        shown = Result(i, "R" + QString::number(i));
        h.AfterFill(shown);
    }
    EXPECT_FALSE(h.NextEnabled());
    EXPECT_TRUE(h.PrevEnabled());
    const TNavigatorHistoryItem* e = h.Previous("R2");
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(e->ResultIds, "1;");
    EXPECT_EQ(e->ResultKey, "key1");
    EXPECT_EQ(h.HistoryPos(), 1);
    EXPECT_EQ(h.NextHint(), "R2");
    EXPECT_EQ(h.PrevHint(), "R0");
    // Restoring is not recorded.
    h.SetRecording(false);
    h.BeforeFill(Result(1, "R1"));
    h.AfterFill(Result(1, "R1"));
    h.SetRecording(true);
    EXPECT_EQ(h.HistoryLast(), 2);
    e = h.Next();
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(e->ResultIds, "2;");
    EXPECT_EQ(e->ExpandedFlags, "0");
    EXPECT_EQ(h.Next(), nullptr);
    h.ResetPositions();
    EXPECT_FALSE(h.PrevEnabled());
}

} // namespace
