#include "mapui/GestureLoop.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QKeyEvent>
#include <QTimer>

namespace tsivor::mapui {

bool PassEvents(int ms) {
    // A nested loop that sleeps until the next event or the end of the wait, so a held
    // button costs no processor time.
    QEventLoop loop;
    QTimer::singleShot(std::max(ms, 0), &loop, &QEventLoop::quit);
    return loop.exec() == 0;
}

TGestureWatch::TGestureWatch(mapview::TDataMap& map) : FMap(&map) {
    QCoreApplication::instance()->installEventFilter(this);
}

TGestureWatch::~TGestureWatch() {
    QCoreApplication::instance()->removeEventFilter(this);
}

bool TGestureWatch::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
        FEscape = true;
        return true;
    }
    return QObject::eventFilter(watched, event);
}

} // namespace tsivor::mapui
