#pragma once
// One picture of a map file: what to load, which rectangle at which scale, where to write.

#include "mapdata/OrbIcon.h"
#include "mapview/DataMap.h"

#include <QSize>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace tsivor::render {

// An image laid on a map rectangle under the map: --raster IMAGE X1 Y1 X2 Y2.
struct TRasterTileArg {
    QString File;
    int X1 = 0, Y1 = 0, X2 = 0, Y2 = 0;
};

struct TMapPictureJob {
    QString MapFile;
    QString OutFile;
    bool Plain = false;            // the file holds the plain content, no envelope
    std::optional<double> Scale;   // --scale
    std::optional<QPointF> Origin; // --origin: map position of the top-left pixel
    bool Fit = false;              // --fit: the whole map into Size
    QSize Size{1024, 768};
    bool Bits16 = false;    // BMP in 16 bits per pixel
    bool AppLook = true;    // the application's colours and house numbers
    QString IconFile;       // --icons; by default tsivor.lib next to the map, when present
    bool View3D = false;    // --3d: houses extruded as in the application's 3-D view
    bool Antialias = false; // --antialias: lines, fills, curves and texts smoothed
    std::vector<TRasterTileArg> Raster; // the raster layer's tiles, in order
    int RasterAlpha = 255;              // --raster-alpha: the layer's opacity
};

// The application's direction of the 3-D view.
constexpr int ApplicationView3DAngle = 80;

// Parses the command line; nullopt with a Russian message in error.
std::optional<TMapPictureJob> ParseJob(const QStringList& args, QString& error);
QString UsageText();

// The look the application gives its map: background, house numbers, culling.
void ApplyApplicationLook(mapview::TDataMap& map);

// Loads a map file (plain content, or with its envelope) and the notes' icon library: iconFile,
// else tsivor.lib next to the map when present. The map draws icons from icons until
// DetachIcons; false with a Russian message in error.
bool LoadMapWithIcons(const QString& mapFile, bool plain, const QString& iconFile,
                      mapview::TDataMap& map, mapdata::TOrbIcon& icons, QString& error);
void DetachIcons(mapview::TDataMap& map);

// Loads the map and writes the picture; false with a Russian message in error. A raster image
// that cannot be read is left out with a Russian message in warnings (else on stderr).
bool RunJob(const TMapPictureJob& job, mapview::TDataMap& map, QString& error,
            QStringList* warnings = nullptr);

} // namespace tsivor::render
