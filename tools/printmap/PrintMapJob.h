#pragma once
// One print of a map file to PDF: the file, the settings given as options, the paper.

#include "mapui/MapPrint.h"

#include <QPageSize>
#include <QPointF>
#include <QSize>
#include <QString>
#include <QStringList>

#include <optional>

namespace tsivor::printmap {

struct TPrintMapJob {
    QString MapFile;
    QString OutFile;
    bool Plain = false; // the file holds the plain content, no envelope
    mapui::TPrintRegion Region = mapui::CurrentEkran;
    mapui::tScalePrint ScaleMode = mapui::S_x1;
    int CustomMashtab = 0;         // --mashtab N
    std::optional<QPointF> Origin; // --view X Y SCALE: the screen's top-left map point
    double ViewScale = 0;          //   and its Scale; by default the whole map
    QSize WindowSize{1024, 768};   // the screen window the view is seen in
    int PageX = 0, PageY = 0;
    QPageSize::PageSizeId Paper = QPageSize::A4;
    bool Landscape = false;
    bool Title = true, Border = true, ScaleBar = true, ScaleText = false;
    bool Numbers = false, Outlines = false, LayoutSheet = false;
    int Dpi = 600;
    QString IconFile; // --icons; by default tsivor.lib next to the map
};

// Parses the command line; nullopt with a Russian message in error.
std::optional<TPrintMapJob> ParseJob(const QStringList& args, QString& error);
QString UsageText();

// The settings of the job on a map's print job (the rest keep their defaults).
void ApplySettings(const TPrintMapJob& job, mapui::tOrbMapPrinterSettings& s);

// Loads the map and prints it; false with a Russian message in error. pages: how many.
bool RunJob(const TPrintMapJob& job, mapview::TDataMap& map, QString& error, int* pages = nullptr);

} // namespace tsivor::printmap
