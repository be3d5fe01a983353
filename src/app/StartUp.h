#pragma once
// TFStartUp: the start page shown while the main window is being created. It stays on top
// until the user leaves it with bNext, which works only once the main window was shown.

#include <QWidget>

#include <array>
#include <functional>
#include <random>

class QLabel;
class QMovie;
class QPushButton;

namespace tsivor::app {

class TFStartUp : public QWidget {
public:
    static constexpr int TileCount = 4;

    // Tiles come from tileDir/start/st_*.gif (the working directory); help files from
    // exeDir/chm. seed 0 picks a random one.
    TFStartUp(QString exeDir, QString tileDir, unsigned seed = 0, QWidget* parent = nullptr);

    // Texts set by the program start.
    QLabel* LVersion;
    QLabel* LCity;
    QLabel* Label2; // the project's web site, fixed
    QLabel* LabelWWW;
    QLabel* Label5; // contact telephone
    QLabel* Label7; // second contact telephone
    QPushButton* bNext;
    std::array<QLabel*, TileCount> RxGifStart{};
    std::array<int, TileCount> TileNumber{}; // the tiles' Tag

    // Whether the main window was shown; MainFormShown when not set.
    std::function<bool()> IsMainFormShown;
    // What follows leaving the page (the cards list takes the focus).
    std::function<void()> OnStartPageClosed;

    void bNextClick();
    void TileClick(int tile);
    void WebLinkClick(QLabel* link);
    bool Closed() const { return FClosed; }

    // The cell (0..3) each tile was shuffled into.
    const std::array<int, TileCount>& TileCells() const { return FCells; }

protected:
    void closeEvent(QCloseEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void LoadTiles();
    void PlaceTiles();

    QString FExeDir;
    QString FTileDir;
    std::mt19937 FRandom;
    std::array<int, TileCount> FCells{};
    bool FClosed = false;
};

// The number N of a tile file "st_N.gif"; false when there is none.
bool TileNumberOf(const QString& fileName, int& number);

} // namespace tsivor::app
