#pragma once
// TFMini: "Миникарта", a small window on top with the map's overview control.

#include <QPointer>
#include <QWidget>

#include <functional>

namespace tsivor::mapview {
class TDataMap;
class TSmallPreView;
} // namespace tsivor::mapview

namespace tsivor::app {

class TFMini : public QWidget {
public:
    static constexpr int MiniWidth = 143;
    static constexpr int MiniHeight = 161;

    // Linked to map as its overview.
    TFMini(mapview::TDataMap& map, QWidget* parent);
    ~TFMini() override;

    // 68 pixels below the main window's top, its right edge rightGap pixels left of the main
    // window's right edge.
    void PlaceBy(const QRect& mainFrame, int rightGap);
    // MiniWidth wide and as high as the map's shape asks, at most MiniHeight: a wide town
    // leaves no empty band above and below its thumbnail. Done at every show.
    void FitToMap();

    // FormClose: the main window puts sbMini up.
    std::function<void()> OnClosed;

    mapview::TSmallPreView* SmallPreView;

protected:
    void closeEvent(QCloseEvent* e) override;
    void showEvent(QShowEvent* e) override;

private:
    QPointer<mapview::TDataMap> FMap; // may go first when the main window closes
};

} // namespace tsivor::app
