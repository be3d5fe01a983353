#pragma once
// TMapPrint: the map printing itself on a paged device. The ordinary drawing code draws each
// page: the printer's transform is swapped in through the map's transform indirection for the
// page and the screen's is put back afterwards, also when the job fails.

#include "mapui/PrintTarget.h"
#include "mapui/PrinterSettings.h"
#include "mapview/DataMap.h"

#include <QRectF>
#include <QString>

#include <functional>
#include <optional>
#include <vector>

class QPrinter;
class QWidget;

namespace tsivor::mapui {

// Where on the page things go, in device pixels (UpdatePrinterMetrics).
struct TPrinterMetrics {
    int DpiX = 0, DpiY = 0;
    float PixPerMm = 0; // the horizontal resolution serves both axes
    int LeftPx = 0, RightPx = 0, TopPx = 0, BottomPx = 0;
    int AreaWidth = 0, AreaHeight = 0; // the map area: the page less margins and frame
    int PageWidth = 0, PageHeight = 0;
    int BorderPx = 0; // the frame width: the map area starts this far inside the margins
};
TPrinterMetrics ComputePrinterMetrics(const tOrbMapPrinterSettings& s, QSize page, int dpiX,
                                      int dpiY);

// One page of a job: its 1-based grid position and the map rectangle it shows.
struct TPrintPage {
    int Column = 1, Row = 1;
    QRectF Window; // map units
};

// What a job prints, worked out before anything is drawn.
struct TPrintPlan {
    std::vector<TPrintPage> Pages;
    int Columns = 1, Rows = 1;   // the grid of AllMap
    double PageW = 0, PageH = 0; // map units a page of AllMap covers
    mapdata::TMapExtent Extent;
};

// The modal layout dialog instead of the map's own one; returns 1 to print, 2 to print the
// layout sheet, 0 to cancel.
using TPrintDialogRunner = std::function<int(tOrbMapPrinterSettings& settings, QString& title)>;

class TMapPrint {
public:
    explicit TMapPrint(mapview::TDataMap& map);
    ~TMapPrint();
    TMapPrint(const TMapPrint&) = delete;
    TMapPrint& operator=(const TMapPrint&) = delete;

    tOrbMapPrinterSettings& PrinterSettings() { return FSettings; }
    const tOrbMapPrinterSettings& PrinterSettings() const { return FSettings; }
    mapview::TDataMap& Map() { return FMap; }

    // The title from the map's name, then the dialog when ShowDialogPrint, else the pages.
    // False with a Russian message when nothing was printed for a reason the user must know;
    // a cancelled dialog is true with nothing printed.
    bool PrintMap(TPrintTarget& target, QString* error = nullptr);
    // Runs the layout dialog: the map's own one unless a caller installed another.
    int ShowPrintDialog();
    TPrintDialogRunner DialogRunner;
    // The printer the dialog's printer setup changes; not owned, may be null.
    QPrinter* Printer = nullptr;
    QWidget* DialogParent = nullptr;

    // The whole job; with LayoutSheet the layout sheet of AllMap instead (nothing is printed
    // for the screen region). Checks everything first, so a refused job prints nothing.
    bool PrintPages(TPrintTarget& target, bool LayoutSheet, QString* error = nullptr);
    // The pages the settings give on target, or nullopt with the reason.
    std::optional<TPrintPlan> Plan(const TPrinterMetrics& m, QString& error) const;

    QString FPrintTitle; // printed above the map; the dialog may change it
    bool Printing() const { return FPrinting; }
    const TPrinterMetrics& Metrics() const { return FMetrics; }
    // Millimetres of paper per map unit of the last page printed.
    double LastK() const { return FLastK; }
    int PagesPrinted() const { return FPagesPrinted; } // by the last job

private:
    void UpdatePrinterMetrics(const TPrintTarget& target);
    void PrintWindow(QPainter& canvas, const QRectF& window);
    void PrintDecorations(QPainter& canvas, double K);
    void PrintLayoutSheet(QPainter& canvas, const TPrintPlan& plan);
    QRect AreaRect() const;     // the map area in device pixels
    double ScaleFactor() const; // F of S_Custom: CustomMashtab / Mashtab

    mapview::TDataMap& FMap;
    tOrbMapPrinterSettings FSettings;
    TPrinterMetrics FMetrics;
    bool FPrinting = false;
    bool FLayoutSheet = false;
    int FPageColumn = 1, FPageRow = 1;
    double FLastK = 0;
    int FPagesPrinted = 0;
};

} // namespace tsivor::mapui
