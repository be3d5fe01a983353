#include "app/CardPrint.h"

#include "app/Navigator.h"
#include "mapdata/Rounding.h"
#include "platform/Platform.h"

#include <QFontMetrics>
#include <QLabel>
#include <QLocale>
#include <QPointer>
#include <QPrinter>

namespace tsivor::app {

using mapdata::RoundToInt;

namespace {

int ExpandedCount(const TNavigator& cards) {
    int n = 0;
    for (int i = 0; i < cards.ItemsCount(); ++i)
        if (cards.Item(i)->Maximized()) ++n;
    return n;
}

} // namespace

void TCardPrint::Run(QPrinter& printer, const TCardPrintHeader& header,
                     const std::function<void()>& expandAll, QWidget* parent) {
    if (FCards.ItemsCount() == 0) {
        platform::Beep();
        return;
    }
    const int expanded = ExpandedCount(FCards);
    if (expanded == 0) {
        const QString question =
            QStringLiteral("Нет развернутых карточек организаций! Развернуть все карточки (%1шт.) "
                           "и распечатать?")
                .arg(FCards.ItemsCount());
        if (platform::Current().AskYesNo(question, parent) != platform::Answer::Yes) return;
        // Expanding lets events through: the list (and this job's owner) may go meanwhile.
        QPointer<TNavigator> cards(&FCards);
        if (expandAll) expandAll();
        if (!cards || ExpandedCount(*cards) == 0) return;
    } else {
        const QString question =
            QStringLiteral("Выбрано для печати %1 карточек организаций. Напечатать их?")
                .arg(expanded);
        if (platform::Current().AskYesNo(question, parent) != platform::Answer::Yes) return;
    }
    if (!platform::Current().ChoosePrinter(printer, parent)) return;
    mapui::TPrinterTarget target(printer);
    QString error;
    if (!PrintCards(target, header, &error))
        platform::ShowMessage(error, platform::MessageKind::Error, parent);
}

void TCardPrint::MeasureScale(QPainter& canvas) {
    FKx = FKy = FallbackScale;
    if (FCards.ItemsCount() == 0) return;
    const TNavigatorItem* first = FCards.Item(0);
    if (first->LineCount() == 0) return;
    const QLabel* label = first->Line(0);
    const QFontMetrics fm(label->font(), canvas.device());
    const int w = fm.horizontalAdvance(label->text()), h = fm.height();
    if (label->text().isEmpty() || label->width() <= 0 || label->height() <= 0 || w <= 0) return;
    FKx = double(w) / label->width();
    FKy = double(h) / label->height();
}

void TCardPrint::PrintCardsHeader(QPainter& canvas, const TCardPrintHeader& header, int pageWidth) {
    QFont font(QStringLiteral("Arial"));
    if (FCards.ItemsCount() > 0 && FCards.Item(0)->LineCount() > 0)
        font = FCards.Item(0)->Line(0)->font();
    font.setPointSize(9);
    font.setUnderline(false);
    font.setItalic(false);
    canvas.setPen(Qt::black);
    QFont bold = font;
    bold.setBold(true);
    font.setBold(false);
    const QString line1 = QStringLiteral("Данные распечатаны из программы %1 ( %2 )")
                              .arg(header.Caption, header.WebAddress);
    const QString line2 =
        QStringLiteral("Фильтр выборки: %1. Дата распечатки: %2")
            .arg(header.Filter, QLocale().toString(header.When, QLocale::ShortFormat));
    canvas.setFont(bold);
    const QFontMetrics fm(font, canvas.device());
    const int th = fm.height();
    canvas.drawText(HeaderX, HeaderY + QFontMetrics(bold, canvas.device()).ascent(), line1);
    canvas.setFont(font);
    canvas.drawText(HeaderX, HeaderY + th + fm.ascent(), line2);
    const int y = 2 * th + HeaderY + 5;
    canvas.setPen(QPen(Qt::black, 6));
    canvas.drawLine(HeaderX, y, pageWidth - HeaderX, y);
}

bool TCardPrint::PrintCards(mapui::TPrintTarget& target, const TCardPrintHeader& header,
                            QString* error) {
    FPages = FCardsPrinted = 0;
    QString message;
    if (!target.Begin(message)) {
        if (error) *error = message;
        return false;
    }
    QPainter& canvas = target.Canvas();
    const QSize page = target.PageSize();
    const int pageHeight = page.height(), pageWidth = page.width();
    PrintCardsHeader(canvas, header, pageWidth);
    FPages = 1;
    int y = CardsTop, x = ColumnLeft;
    MeasureScale(canvas);
    for (int i = 0; i < FCards.ItemsCount(); ++i) {
        const TNavigatorItem* card = FCards.Item(i);
        if (!card->Maximized() || card->LineCount() == 0) continue;
        const QLabel* last = card->Line(card->LineCount() - 1);
        const int h = QFontMetrics(last->font(), canvas.device()).height();
        const int need = RoundToInt(h + last->y() * FKy);
        // A card taller than an empty column still goes there and runs past its bottom.
        if (y + need > pageHeight && y > CardsTop) {
            if (x < pageWidth / 2) {
                y = CardsTop;
                x = pageWidth / 2 + ColumnLeft;
            } else {
                if (!target.NewPage()) {
                    target.Abort();
                    if (error) *error = QStringLiteral("Не удалось начать новый лист");
                    return false;
                }
                ++FPages;
                y = CardsTop;
                x = ColumnLeft;
                PrintCardsHeader(canvas, header, pageWidth);
            }
        }
        for (int k = 0; k < card->LineCount(); ++k) {
            const QLabel* label = card->Line(k);
            canvas.setFont(label->font());
            canvas.setPen(Qt::black);
            const QFontMetrics fm(canvas.font(), canvas.device());
            canvas.drawText(RoundToInt(label->x() * FKx) + x,
                            RoundToInt(label->y() * FKy) + y + fm.ascent(), label->text());
        }
        y += need;
        canvas.setPen(QPen(Qt::black, 2));
        canvas.drawLine(x, y + 8, RoundToInt(FKx * 281) + x, y + 8);
        y += 16;
        ++FCardsPrinted;
    }
    if (!target.End(message)) {
        target.Abort();
        if (error) *error = message;
        return false;
    }
    return true;
}

} // namespace tsivor::app
