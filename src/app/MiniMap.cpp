#include "app/MiniMap.h"

#include "mapdata/Rounding.h"
#include "mapview/DataMap.h"
#include "mapview/SmallPreView.h"

#include <QCloseEvent>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace tsivor::app {

TFMini::TFMini(mapview::TDataMap& map, QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::WindowStaysOnTopHint), FMap(&map) {
    setObjectName(QStringLiteral("FMini"));
    setWindowTitle(QStringLiteral("Миникарта"));
    auto* col = new QVBoxLayout(this);
    col->setContentsMargins(0, 0, 0, 0);
    SmallPreView = new mapview::TSmallPreView(this);
    SmallPreView->setObjectName(QStringLiteral("SmallPreView"));
    col->addWidget(SmallPreView);
    setFixedSize(MiniWidth, MiniHeight);
    FMap->SetSmallView(SmallPreView);
    FitToMap();
}

void TFMini::FitToMap() {
    int h = MiniHeight;
    if (FMap && FMap->ObjectCount() > 0) {
        const mapdata::TMapExtent& e = FMap->MapExtent();
        const double w = double(e.MaxX) - e.MinX, d = double(e.MaxY) - e.MinY;
        constexpr int Lowest = 40;
        if (w > 0 && d > 0)
            h = std::clamp(mapdata::RoundToInt(MiniWidth * d / w), Lowest, int(MiniHeight));
    }
    setFixedSize(MiniWidth, h);
}

void TFMini::showEvent(QShowEvent* e) {
    FitToMap();
    QWidget::showEvent(e);
}

TFMini::~TFMini() {
    if (FMap && FMap->SmallView() == SmallPreView) FMap->SetSmallView(nullptr);
}

void TFMini::PlaceBy(const QRect& mainFrame, int rightGap) {
    move(mainFrame.right() + 1 - rightGap - frameGeometry().width(), mainFrame.top() + 68);
}

void TFMini::closeEvent(QCloseEvent* e) {
    QWidget::closeEvent(e);
    if (OnClosed) OnClosed();
}

} // namespace tsivor::app
