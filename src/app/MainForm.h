#pragma once
// TFMainForm: the main window. The directory on the left (banner, tabs, the cards list with
// its bar), the map on the right (tool bar, map, quick rubrics, status line).

#include "app/CardFiller.h"
#include "app/CardFillerQueries.h"
#include "app/FindForm.h"
#include "app/MeasureResult.h"
#include "app/MiniMap.h"
#include "app/ResultHistory.h"
#include "mapdata/Categories.h"
#include "mapdata/OrbIcon.h"
#include "mapview/MapMouse.h"
#include "platform/PhaseTimes.h"

#include <QKeySequence>
#include <QMainWindow>
#include <QPointer>

#include <array>
#include <functional>
#include <memory>

class QAction;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QSplitter;
class QTabWidget;
class QToolButton;

namespace tsivor::directory {
class Tdm;
class TRubricQueries;
struct TDirectoryResult;
} // namespace tsivor::directory

class QPrinter;

namespace tsivor::mapview {
class TDataMap;
}
namespace tsivor::mapui {
class TMapPrint;
}

namespace tsivor::app {

struct TTsivorConfig;
class TMegaSearchPanel;
class TAdAnimation;
class TBannerRotator;
class TFavourites;
class TFavouritesMenu;
class TNavigator;
class TMapBlink;
class TMapPick;
class TMapFind;
class TMapServiceCommands;
class TMapStatus;
class TMapZoom;
class TMapLogos;
class TRealEstatePanel;
class TResultMarks;
class TRubricPanel;
class TWaitPanel;

// The values of tsivor.ini the main window uses at creation.
struct TMainFormSettings {
    QString ExeDir;
    int nedv = 1;
    int Pan = 0;
    double P1 = 333;
    double P2 = 333;
    double M1 = 333;
    int min_3 = 70;
    int min_adr = 200;
    int logo_p = 200;
    int logo_rub = 30;
    int font = 100;
    int scale_find = 600;
    int Mashtab = 4520;
    bool Buttons3d = true;
    bool ButtonsMini = true;
    QString WorkDir; // banners and animations are looked up here; empty for the current one
    platform::TPhaseTimes* Phases = nullptr; // where the creation steps are timed, if anywhere
    int IndexedMapObjects = 100000;          // from this many objects the map uses its index

    static TMainFormSettings From(const TTsivorConfig& config, const QString& exeDir);
};

// What closing the window writes back: Map/P1, P2, M1 and Buttons/3d, Mini.
struct TMainFormViewState {
    double P1 = 0;
    double P2 = 0;
    double M1 = 0;
    bool Buttons3d = false;
    bool ButtonsMini = false;
};

// What a card's web link opens: the address as a web address, never a local path.
QString WebLinkTarget(const QString& text);

class TFMainForm : public QMainWindow {
public:
    TFMainForm(TMainFormSettings settings, directory::Tdm& dm, QWidget* parent = nullptr);
    ~TFMainForm() override;

    // The creation steps; false when the directory cannot be opened (error says why).
    bool FormCreate(QString* error);

    // Where the view keys go at close; also the source of Main/Help for the help button.
    std::function<void(const TMainFormViewState&)> OnSaveView;
    std::function<QString()> ReadHelpNumber;
    std::function<void()> OnClosed; // the program ends with this window

    // ---- results
    void ShowAutoLoad();
    void ShowByIds(const QString& list);
    void ShowRubricByName(const QString& name);
    void ShowQuickRubric(int tag);
    void ChooseRubric(); // dbBOXFind1Click on the current QJumps row
    QString CurrentResultKey() const;
    QString ResultTitle() const;

    // ---- cards bar
    void sbNavShowAllClick();
    void sbNavShowAllOFFClick();
    void sbNavPrintClick();
    void EscExecute();
    void sbNavigatorPrevClick();
    void sbNavigatorNextClick();
    void sbFavoritClick(); // the favourites as cards, or the message that there are none
    // One organisation, expanded; key: the result key's prefix ("ban_", "LOG_", "logo_").
    void ShowAdvertised(int orgId, const QString& key);

    // ---- map
    void ZoomAtMouse(double delta);
    void ZoomAtCentre(double delta);
    void sbZoomInClick();
    void sbZoomOutClick();
    void sbZoomAllClick();
    void sb3DClick();
    void sbFindClick();                     // the street search dialog, also Ctrl+F
    void sbInstrumentClick(QToolButton* b); // the three tool buttons
    void sbMiniClick();
    TfMeasureResult* MeasureWindow() const { return FMeasure; }
    TFMini* MiniWindow() const { return FMini; }
    void sbPrintMapClick();
    mapui::TMapPrint& MapPrint(); // the map's print job with its settings
    QPrinter& Printer();          // the program's printer, made when first used

    void PageControl1Change();
    void FormShow();
    // After the first show (MainFormShown).
    std::function<void()> OnShown;
    // Whether the map has been drawn and the start list shown.
    bool Ready() const;

    // Components, by their names.
    QWidget* Panel1;
    QWidget* Panel16;
    QLabel* BannerImage;
    QTabWidget* PageControl1;
    QWidget* TabSheet1;
    QWidget* TabSheet2;
    QWidget* TabSheet3;
    QWidget* TabSheet4;
    QPushButton* bAplay;
    QSplitter* Splitter1;
    QWidget* Panel12;
    QPlainTextEdit* sbLabel;
    QToolButton* sbFavorit;
    QToolButton* sbNavShowAll;
    QToolButton* sbNavShowAllOFF;
    QToolButton* sbNavPrint;
    QToolButton* sbNavigatorPrev;
    QToolButton* sbNavigatorNext;
    QWidget* pNavigator;
    TNavigator* Navigator = nullptr;
    TWaitPanel* pWait;
    QWidget* Panel2;
    QWidget* Panl;
    QWidget* Panel14;
    QWidget* Panel4;
    QToolButton* sbFind;
    QToolButton* sbPrintMap;
    QToolButton* sbZoomIn;
    QToolButton* sbZoomOut;
    QToolButton* sbZoomAll;
    QToolButton* sbDefault;
    QToolButton* sbZoom;
    QToolButton* sbMeasure;
    QToolButton* sbMini;
    QToolButton* sb3D;
    QToolButton* sbHelp;
    QToolButton* sbFavoritMap;
    mapview::TDataMap* DataMap1;
    QWidget* Panel15;
    std::array<QLabel*, 11> QuickImages{};
    QWidget* Panel8;
    QLabel* Status0;
    QLabel* LStreetHouseName;
    QLabel* LScale; // the ground scale of the view, 1:N
    QWidget* Panel17;
    QLabel* Label13;
    QAction* Esc;
    QAction* Search;
    QAction* Action1;
    QAction* Action2;
    TRubricPanel* RubricPanel = nullptr;       // the rubric tab's contents
    TMegaSearchPanel* MegaSearch = nullptr;    // the multi-criteria search tab's contents
    TRealEstatePanel* RealEstate = nullptr;    // the real-estate tab's contents
    TFavouritesMenu* PopupNavigator = nullptr; // the card menu
    TBannerRotator* Banners = nullptr;         // the banners shown in BannerImage
    TAdAnimation* RxGIFAnimator1 = nullptr;    // tool bar animation
    TAdAnimation* RxGIFAnimator2 = nullptr;    // at the foot of the quick rubrics

    TResultHistory History;

protected:
    void closeEvent(QCloseEvent* e) override;
    void showEvent(QShowEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QAction* AddCommand(const char* name, QKeySequence shortcut, std::function<void()> run);
    void BuildLeftColumn(QWidget* parent);
    void BuildRightPart(QWidget* parent);
    void BuildToolBar();
    void BuildQuickRubrics();
    void BuildStatusLine();
    void CreateNavigator();
    void ConnectCardHooks();
    void LoadMap();
    void ApplyMapOptions();
    void FitFirstView();
    void UpdateHistoryButtons();
    void Restore(const TNavigatorHistoryItem& entry);
    void TakeResult(const directory::TDirectoryResult& r);
    void SetTitle(const QString& title);
    TResultSnapshot Snapshot() const;
    bool DataMap1KeyDown(QKeyEvent* e);
    void DataMap1MouseDown(mapview::TMouseButton button, QPoint pos);
    void OpenHelp();

    TMainFormSettings FSettings;
    directory::Tdm& FDm;
    std::unique_ptr<directory::TRubricQueries> FRubrics;
    std::unique_ptr<TCardFiller> FFiller;
    std::unique_ptr<TQueryCardDetails> FDetails;
    std::unique_ptr<TMapZoom> FZoom;
    std::unique_ptr<TFavourites> FFavourites;
    std::unique_ptr<TMapStatus> FStatus;
    std::unique_ptr<TMapFind> FFind;
    std::unique_ptr<TMapServiceCommands> FService;
    std::unique_ptr<TMapBlink> FBlink;
    std::unique_ptr<TMapPick> FPick;
    std::unique_ptr<TResultMarks> FMarks;
    std::unique_ptr<TMapLogos> FLogos;
    QPointer<TFindForm> FFindForm;
    QPointer<TfMeasureResult> FMeasure;
    QPointer<TFMini> FMini;
    mapdata::TOrbIcon FIcons; // the window's icon library; the map draws its notes from it
    std::unique_ptr<QPrinter> FPrinter;
    std::unique_ptr<mapui::TMapPrint> FMapPrint;
    bool FShownOnce = false;
    bool FActivatedOnce = false;
    bool FCreated = false;
    bool FStartListShown = false;
    bool FViewRestored = false;
    bool FViewFitted = false;
    bool FIndexAsked = false; // the map was weighed for its spatial index after its first frame
    bool FViewChosen = false; // the user zoomed or moved the map: window changes keep that view
};

} // namespace tsivor::app
