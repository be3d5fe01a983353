#include "app/FirstFrameWatch.h"

#include "app/MainForm.h"
#include "mapview/DataMap.h"

#include <QCoreApplication>
#include <QEvent>

namespace tsivor::app {

TFirstFrameWatch::TFirstFrameWatch(TFMainForm& form, std::function<void()> onReady)
    : QObject(&form), FForm(form), FOnReady(std::move(onReady)) {
    FForm.DataMap1->installEventFilter(this);
}

bool TFirstFrameWatch::eventFilter(QObject* watched, QEvent* event) {
    if (FDone || watched != FForm.DataMap1 || event->type() != QEvent::Paint || !FForm.Ready())
        return false;
    // The frame counts once painted: the paint is handed on here and the end told after it.
    FDone = true;
    FForm.DataMap1->removeEventFilter(this);
    QCoreApplication::sendEvent(watched, event);
    if (FOnReady) FOnReady();
    return true;
}

} // namespace tsivor::app
