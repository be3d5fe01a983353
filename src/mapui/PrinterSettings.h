#pragma once
// tOrbMapPrinterSettings: how the map prints. The map's print job owns one for its lifetime;
// the layout dialog edits it in place, so what the user chose holds for later prints.

#include "mapdata/MapObject.h"

#include <QFont>
#include <QImage>

namespace tsivor::mapui {

using mapdata::TColor;

enum TPrintRegion {
    CurrentEkran = 0, // the screen view on one page
    AllMap = 1,       // the whole map on as many pages as needed
};

enum tScalePrint {
    S_x1 = 0,      // the map's own scale: one map unit to about one millimetre
    S_Current = 1, // the width of the screen view
    S_Custom = 2,  // 1:CustomMashtab
};

class tOrbMapPrinterSettings {
public:
    tOrbMapPrinterSettings();

    int LeftMargin = 20; // millimetres
    int RightMargin = 10;
    int TopMargin = 10;
    int BottomMargin = 20;
    bool Border = true;
    float BorderWidth = 0.5f; // mm; also the scale bar's pen; twice it is taken off the area
    TColor BorderColor = 0x000000;
    bool Title = true;
    QFont TitleFont;
    TColor TitleColor = 0x000000;
    bool ScaleBar = true;
    TColor PaperColor = 0xFFFFFF; // under the map when there is no texture
    bool Grid = false;            // shown only in the layout dialog's preview
    TColor GridColor = 0x000000;
    bool Mashtab = false; // the scale text 1:N below the map
    QFont MashtabFont;
    TColor MashtabColor = 0x000000;
    TPrintRegion PrintRegion = CurrentEkran;
    tScalePrint MashtabPrint = S_x1;
    // With AllMap and both non-zero: only the page in column PageX, row PageY (from 1).
    int PageX = 0;
    int PageY = 0;
    bool NumberDom = false;  // house numbers whatever the scale
    bool ConturOnly = false; // areas as outlines only
    bool ShowDialogPrint = true;
    double PixelSize = 0.2; // mm on paper of one pixel of a note's icon

    // Tiled under the map instead of PaperColor; the setter keeps a copy.
    const QImage& PaperTexture() const { return FPaperTexture; }
    void SetPaperTexture(const QImage& picture) { FPaperTexture = picture.copy(); }

    int CustomMashtab() const { return FCustomMashtab; }
    // A changed value of 0 or more is stored and selects S_Custom; other writes are ignored.
    void SetCustomMashtab(int v);

private:
    QImage FPaperTexture;
    int FCustomMashtab = 0;
};

} // namespace tsivor::mapui
