#pragma once
// TCardPrint: the expanded cards of the current result on paper, two columns a page, each
// card as it looks on screen: every label at its position scaled from screen to printer
// pixels, in its font, in black, under a header naming the program, the result and the date.

#include "mapui/PrintTarget.h"

#include <QDateTime>
#include <QString>

#include <functional>

class QPrinter;
class QWidget;

namespace tsivor::app {

class TNavigator;

// What the page header tells.
struct TCardPrintHeader {
    QString Caption;    // of the main window
    QString WebAddress; // the project's web site
    QString Filter;     // the result's title (sbLabel)
    QDateTime When;
};

class TCardPrint {
public:
    // Fixed positions in printer pixels.
    static constexpr int HeaderX = 300, HeaderY = 90;
    static constexpr int CardsTop = 310, ColumnLeft = 300;
    static constexpr double FallbackScale = 6.0; // kx, ky when the first label cannot tell

    explicit TCardPrint(TNavigator& cards) : FCards(cards) {}

    // The whole job of the card print button: the questions, expanding all cards when none is
    // expanded (expandAll; the list may be gone afterwards), the print dialog and the pages.
    // Messages go through the platform.
    void Run(QPrinter& printer, const TCardPrintHeader& header,
             const std::function<void()>& expandAll, QWidget* parent);
    // The pages of the expanded cards; false with a Russian message.
    bool PrintCards(mapui::TPrintTarget& target, const TCardPrintHeader& header,
                    QString* error = nullptr);

    int PagesPrinted() const { return FPages; }
    int CardsPrinted() const { return FCardsPrinted; }
    double Kx() const { return FKx; }
    double Ky() const { return FKy; }

private:
    void PrintCardsHeader(QPainter& canvas, const TCardPrintHeader& header, int pageWidth);
    void MeasureScale(QPainter& canvas);

    TNavigator& FCards;
    int FPages = 0;
    int FCardsPrinted = 0;
    double FKx = FallbackScale, FKy = FallbackScale;
};

} // namespace tsivor::app
