#pragma once
// tOrbMapOptions: every tunable behaviour of the map that is not a property of the control.
// Getters bear the option's name, setters "Set" + the name. Setters marked "redraws" call the
// owner's OptionsChanged after storing while NotifyChange is true; the others only store.

#include <QString>

#include <cstdint>
#include <functional>

namespace tsivor::mapview {

enum orbSmothing {
    orbSmoothingModeDefault,
    orbSmoothingModeHighSpeed,
    orbSmoothingModeHighQuality,
    orbSmoothingModeNone,
    orbSmoothingModeAntiAlias,
};

// HighQuality and AntiAlias draw lines, fills, curves and texts antialiased; Default and
// HighSpeed draw aliased like None, as in the graphics library these modes come from.
bool Antialiased(orbSmothing mode);

// How a drawing tool is cancelled.
enum tOrbCancelAction { orbRightButton, orbDblClick };

class tOrbMapOptions {
public:
    // optionsChanged is the owning map's OptionsChanged; may be empty for a detached object.
    explicit tOrbMapOptions(std::function<void()> optionsChanged = {});

    // While false, redrawing setters only store; the host redraws once afterwards.
    bool NotifyChange = true;

    // --- editing and overlays
    bool mpEdit() const { return FmpEdit; } // redraws
    void SetmpEdit(bool v);
    bool mpGrid() const { return FmpGrid; } // redraws; not read by the view
    void SetmpGrid(bool v);
    bool mpDelete() const { return FmpDelete; }
    void SetmpDelete(bool v);
    bool mpGuideLines() const { return FmpGuideLines; } // redraws
    void SetmpGuideLines(bool v);
    bool mpHint() const { return FmpHint; }
    void SetmpHint(bool v);
    bool mpLocked() const { return FmpLocked; } // locked objects get no handles, no edits
    void SetmpLocked(bool v);
    bool MoveCell() const { return FMoveCell; } // snap to a 3-pixel grid while moving
    void SetMoveCell(bool v);
    bool BorderSelectedObject() const { return FBorderSelectedObject; }
    void SetBorderSelectedObject(bool v);
    int SizeRect() const { return FSizeRect; } // redraws; half-size of edit handles
    void SetSizeRect(int v);
    int UndoLevels() const { return FUndoLevels; }
    void SetUndoLevels(int v);
    bool ShowRegion() const { return FShowRegion; }
    void SetShowRegion(bool v);
    bool SystemPopUpMenu() const { return FSystemPopUpMenu; }
    void SetSystemPopUpMenu(bool v);
    tOrbCancelAction CancelAction() const { return FCancelAction; }
    void SetCancelAction(tOrbCancelAction v);
    int ZoneFindLine() const { return FZoneFindLine; } // extra hit tolerance of lines
    void SetZoneFindLine(int v);                       // negative values are ignored

    // --- house numbers
    bool mpNumberDom() const { return FmpNumberDom; } // redraws
    void SetmpNumberDom(bool v);
    int mpNumberDomSizeFont() const { return FmpNumberDomSizeFont; } // redraws
    void SetmpNumberDomSizeFont(int v);                              // at least 6
    bool mpNumberDomFill() const { return FmpNumberDomFill; }        // redraws
    void SetmpNumberDomFill(bool v);
    bool mpNumberDomBold() const { return FmpNumberDomBold; } // redraws
    void SetmpNumberDomBold(bool v);
    double MinScaleAddress() const { return FMinScaleAddress; } // redraws
    void SetMinScaleAddress(double v);

    // --- drawing
    float mpLineWidthMin() const { return FmpLineWidthMin; } // redraws; pixels
    void SetmpLineWidthMin(float v);
    int ObjectView() const { return FObjectView; } // redraws; smaller objects are skipped
    void SetObjectView(int v);
    double MinScaleIcon() const { return FMinScaleIcon; } // redraws; notes need Scale >= this
    void SetMinScaleIcon(double v);
    bool Texture() const { return FTexture; } // redraws; background brush from Grass
    void SetTexture(bool v);
    const QString& FontSystem() const { return FFontSystem; } // redraws
    void SetFontSystem(const QString& v);
    const QString& FontSystem1() const { return FFontSystem1; } // redraws; texts of font 1
    void SetFontSystem1(const QString& v);
    bool UseGDIPlus() const { return FUseGDIPlus; } // redraws
    void SetUseGDIPlus(bool v);
    uint8_t AlphaBlending() const { return FAlphaBlending; } // redraws
    void SetAlphaBlending(uint8_t v);
    orbSmothing AntiAliasing() const { return FAntiAliasing; } // redraws; see Antialiased
    void SetAntiAliasing(orbSmothing v);

    // --- three-dimensional view
    bool View3D() const { return FView3D; } // redraws
    void SetView3D(bool v);
    int View3DAngle() const { return FView3DAngle; } // redraws
    void SetView3DAngle(int v);                      // outside 0..359: truncating remainder
    float MinScale3D() const { return FMinScale3D; } // redraws
    void SetMinScale3D(float v);

    // --- measuring
    int MeasureFontSize() const { return FMeasureFontSize; } // redraws
    void SetMeasureFontSize(int v);
    bool ShowMeasure() const { return FShowMeasure; } // redraws
    void SetShowMeasure(bool v);

    // --- viewport, lens and scrolling
    bool mpAllMapAfterLoad() const { return FmpAllMapAfterLoad; } // redraws
    void SetmpAllMapAfterLoad(bool v);
    bool LockScrollOutMap() const { return FLockScrollOutMap; } // keep scrolling in the extent
    void SetLockScrollOutMap(bool v);
    bool mpLinzaDouble() const { return FmpLinzaDouble; }
    void SetmpLinzaDouble(bool v);
    double StepLinza() const { return FStepLinza; } // percent
    void SetStepLinza(double v);                    // below 0 or 100 and more: 50
    int WidthRectLinza() const { return FWidthRectLinza; }
    void SetWidthRectLinza(int v);
    bool mpNoScroll() const { return FmpNoScroll; }
    void SetmpNoScroll(bool v);
    int StepScroll() const { return FStepScroll; }
    void SetStepScroll(int v);
    int DelayScroll() const { return FDelayScroll; } // milliseconds
    void SetDelayScroll(int v);
    int ZoneScroll() const { return FZoneScroll; }
    void SetZoneScroll(int v);
    bool RefreshLink() const { return FRefreshLink; }
    void SetRefreshLink(bool v);

private:
    template <typename T> void Store(T& field, const T& value, bool redraws);

    std::function<void()> FOptionsChanged;

    bool FmpEdit = true;
    bool FmpGrid = false;
    bool FmpDelete = false;
    bool FmpGuideLines = true;
    bool FmpHint = false;
    bool FmpNumberDom = false;
    int FmpNumberDomSizeFont = 8;
    bool FmpNumberDomFill = true;
    bool FmpNumberDomBold = false;
    bool FmpLinzaDouble = false;
    bool FmpAllMapAfterLoad = false;
    bool FmpNoScroll = false;
    bool FmpLocked = false;
    float FmpLineWidthMin = 0.0001f;
    bool FView3D = false;
    int FView3DAngle = 0;
    float FMinScale3D = 299;
    double FMinScaleAddress = 299;
    double FMinScaleIcon = 1.0;
    int FMeasureFontSize = 12;
    bool FRefreshLink = false;
    bool FTexture = false;
    QString FFontSystem = QStringLiteral("Arial Cyr");
    QString FFontSystem1 = QStringLiteral("Times New Roman Cyr");
    int FObjectView = 3;
    int FSizeRect = 4;
    double FStepLinza = 50;
    int FWidthRectLinza = 3;
    int FStepScroll = 50;
    int FDelayScroll = 50;
    int FZoneScroll = 30;
    bool FMoveCell = false;
    bool FBorderSelectedObject = true;
    int FUndoLevels = 20;
    bool FShowMeasure = true;
    bool FUseGDIPlus = false;
    uint8_t FAlphaBlending = 255;
    orbSmothing FAntiAliasing = orbSmoothingModeDefault;
    bool FLockScrollOutMap = false;
    bool FSystemPopUpMenu = true;
    tOrbCancelAction FCancelAction = orbRightButton;
    int FZoneFindLine = 3;
    bool FShowRegion = true;
};

} // namespace tsivor::mapview
