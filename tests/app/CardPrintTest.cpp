// Printing of cards: the expanded cards in two columns under the page header, on pictures of
// the page and through the whole job onto a PDF file.
#include "app/CardPrint.h"
#include "app/Navigator.h"
#include "app/NavigatorItem.h"

#include "TestSupport.h"

#include <QLabel>
#include <QPdfDocument>
#include <QPdfSelection>
#include <QPrinter>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace tsivor::app;

namespace {

constexpr int kDpi = 300;
const QSize kA4(2480, 3508);

int DarkPixels(const QImage& img, const QRect& rect) {
    int n = 0;
    const QRect r = rect.intersected(img.rect());
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            if (qGray(img.pixel(x, y)) < 100) ++n;
    return n;
}

class CardPrintTest : public ::testing::Test {
protected:
    CardPrintTest() : nav(nullptr) {
        nav.resize(280, 400);
        nav.show();
    }
    // count cards of lines lines each; every expanded one when expanded.
    void Fill(int count, int lines, bool expanded) {
        nav.SetItemsCount(count);
        for (int i = 0; i < count; ++i) {
            TNavigatorItem* c = nav.Item(i);
            c->ResetCard();
            c->SetCaption(QStringLiteral("Организация %1").arg(i + 1), false, false);
            for (int k = 0; k < lines; ++k) {
                c->NewLine(1.2);
                c->AddPiece(PhoneStyle, QStringLiteral("тел. 12-34-%1").arg(k));
            }
            c->FinishCard();
            c->SetMaximized(expanded);
        }
    }
    TCardPrintHeader Header() const {
        return {QStringLiteral("Цивор"), QStringLiteral("www.tsivor.example"),
                QStringLiteral("Рубрика: Аптеки (3шт.)"), QDateTime(QDate(2026, 12, 9), {})};
    }

    tsivor::test::FakePlatform platform;
    TNavigator nav;
    TCardPrint job{nav};
    tsivor::mapui::TPicturePages pages{kA4, kDpi};
};

} // namespace

TEST_F(CardPrintTest, ExpandedCardsGoIntoTwoColumnsUnderTheHeader) {
    Fill(6, 3, true);
    nav.Item(1)->SetMaximized(false); // collapsed cards are skipped
    ASSERT_TRUE(job.PrintCards(pages, Header()));
    EXPECT_EQ(job.CardsPrinted(), 5);
    ASSERT_EQ(pages.Pages.size(), 1u);
    const QImage& page = pages.Pages[0];
    // Header text at (300, 90) and its rule; cards below from y 310 in the left column only.
    EXPECT_GT(DarkPixels(page, QRect(300, 90, 1500, 80)), 500);
    EXPECT_GT(DarkPixels(page, QRect(300, 310, 1000, 1500)), 1000);
    EXPECT_EQ(DarkPixels(page, QRect(kA4.width() / 2 + 300, 310, 900, 3000)), 0);
    // Screen pixels scale to printer pixels by the fonts' ratio: about 300 / 96.
    EXPECT_NEAR(job.Kx(), 300.0 / 96, 0.5);
    EXPECT_NEAR(job.Ky(), 300.0 / 96, 0.6);
}

TEST_F(CardPrintTest, FullColumnsContinueRightThenOnANewPageWithItsHeader) {
    Fill(60, 4, true);
    ASSERT_TRUE(job.PrintCards(pages, Header()));
    EXPECT_EQ(job.CardsPrinted(), 60);
    ASSERT_GE(pages.Pages.size(), 2u);
    EXPECT_EQ(job.PagesPrinted(), int(pages.Pages.size()));
    const QImage& first = pages.Pages[0];
    EXPECT_GT(DarkPixels(first, QRect(kA4.width() / 2 + 300, 310, 900, 3000)), 1000);
    // Each page has its header.
    EXPECT_GT(DarkPixels(pages.Pages[1], QRect(300, 90, 1500, 80)), 500);
}

TEST_F(CardPrintTest, NoCardsBeepAndNothingIsAsked) {
    QPrinter printer;
    job.Run(printer, Header(), {}, nullptr);
    EXPECT_EQ(platform.beeps, 1);
    EXPECT_TRUE(platform.messages.isEmpty());
    EXPECT_EQ(platform.printerChoices, 0);
}

TEST_F(CardPrintTest, DeclinedQuestionOrPrintDialogPrintsNothing) {
    Fill(3, 1, true);
    QPrinter printer;
    platform.answer = tsivor::platform::Answer::No;
    job.Run(printer, Header(), {}, nullptr);
    EXPECT_EQ(platform.messages.value(0),
              QStringLiteral("Выбрано для печати 3 карточек организаций. Напечатать их?"));
    EXPECT_EQ(platform.printerChoices, 0);
    platform.answer = tsivor::platform::Answer::Yes;
    platform.printerAccepted = false;
    job.Run(printer, Header(), {}, nullptr);
    EXPECT_EQ(platform.printerChoices, 1);
    EXPECT_EQ(job.CardsPrinted(), 0);
}

TEST_F(CardPrintTest, CollapsedCardsAreExpandedOnRequestAndPrintedToPdf) {
    Fill(3, 2, false);
    QTemporaryDir dir;
    const QString out = dir.filePath(QStringLiteral("карточки.pdf"));
    platform.onChoosePrinter = [&](QPrinter& p) {
        p.setOutputFormat(QPrinter::PdfFormat);
        p.setOutputFileName(out);
    };
    int expansions = 0;
    QPrinter printer(QPrinter::HighResolution);
    job.Run(
        printer, Header(),
        [&] {
            ++expansions;
            nav.RunBulk(true, nullptr);
        },
        nullptr);
    EXPECT_EQ(expansions, 1);
    ASSERT_EQ(platform.messages.size(), 1); // asked once, not again after expanding
    EXPECT_EQ(platform.messages[0],
              QStringLiteral("Нет развернутых карточек организаций! Развернуть все карточки "
                             "(3шт.) и распечатать?"));
    QPdfDocument pdf;
    ASSERT_EQ(pdf.load(out), QPdfDocument::Error::None);
    ASSERT_EQ(pdf.pageCount(), 1);
    const QString text = pdf.getAllText(0).text();
    EXPECT_TRUE(text.contains(QStringLiteral("Данные распечатаны из программы Цивор")))
        << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("Фильтр выборки: Рубрика: Аптеки (3шт.)")));
    EXPECT_TRUE(text.contains(QStringLiteral("Организация 3")));
    EXPECT_TRUE(text.contains(QStringLiteral("тел. 12-34-1")));
}

TEST_F(CardPrintTest, AListGoneWhileExpandingEndsTheJob) {
    auto* gone = new TNavigator(nullptr);
    gone->SetItemsCount(1);
    gone->Item(0)->ResetCard();
    gone->Item(0)->AddPiece(PhoneStyle, QStringLiteral("1"));
    gone->Item(0)->FinishCard();
    TCardPrint doomed(*gone);
    QPrinter printer;
    doomed.Run(
        printer, Header(), [&] { delete gone; }, nullptr);
    EXPECT_EQ(platform.printerChoices, 0);
}
