#pragma once
// A shown map control with the mouse tools, driven by real mouse events through the widget.

#include "mapui/MouseController.h"
#include "mapview/DataMap.h"

#include <QMouseEvent>
#include <QPointer>
#include <QTest>

#include <functional>
#include <memory>

namespace mousetest {

using namespace tsivor::mapview;
using namespace tsivor::mapui;

struct TToolMap {
    // A ground square covers the map unless asked otherwise.
    explicit TToolMap(int w = 600, int h = 400, bool ground = true) : map(new TDataMap) {
        map->resize(w, h);
        map->Options().NotifyChange = false;
        map->Options().SetmpGuideLines(false);
        map->Options().NotifyChange = true;
        // A map of 0..1000 × 0..1000 units.
        if (ground) AddBox(0, 0, 1000, 1000);
        map->Document().Extent = {0, 0, 1000, 1000};
        controller = &AttachMouseTools(*map);
        // Modal gestures step through the script instead of waiting.
        controller->SetGestureWait([this](int ms) {
            waits.push_back(ms);
            QPointer<TDataMap> alive(map);
            if (onPass) onPass(int(waits.size()));
            QCoreApplication::processEvents();
            return true;
        });
        map->show();
        map->SetScale(100);
        map->SetXWind(0);
        map->SetYWind(0);
    }
    ~TToolMap() { delete map.data(); }

    void Press(QPoint p, Qt::MouseButton b = Qt::LeftButton, Qt::KeyboardModifiers s = {}) {
        held |= b;
        QTest::mousePress(map, b, s, p);
    }
    void Release(QPoint p, Qt::MouseButton b = Qt::LeftButton, Qt::KeyboardModifiers s = {}) {
        held &= ~b;
        QTest::mouseRelease(map, b, s, p);
    }
    // A pointer move as the window system delivers it, with the buttons held.
    void Move(QPoint p) {
        QMouseEvent e(QEvent::MouseMove, p, map->mapToGlobal(p), Qt::NoButton, held, {},
                      QPointingDevice::primaryPointingDevice());
        QCoreApplication::instance()->notify(map, &e);
    }
    void Click(QPoint p, Qt::MouseButton b = Qt::LeftButton) {
        Press(p, b);
        Release(p, b);
    }
    // What a double click sends: press, release, double click, release.
    void DoubleClick(QPoint p, Qt::MouseButton b = Qt::LeftButton) {
        Click(p, b);
        held |= b;
        QTest::mouseDClick(map, b, {}, p);
        Release(p, b);
    }
    // A filled rectangle; returns its index.
    int AddBox(float x0, float y0, float x1, float y1) {
        auto o = std::make_unique<tsivor::mapdata::TORBMapObjectMem>();
        o->Count = 4;
        o->Points = std::make_unique<tsivor::mapdata::TORBMapPoint[]>(4);
        o->Points[0] = {x0, y0}, o->Points[1] = {x1, y0}, o->Points[2] = {x1, y1};
        o->Points[3] = {x0, y1};
        map->Document().CalcObjectBox(*o);
        o->CenterX = (x0 + x1) / 2, o->CenterY = (y0 + y1) / 2;
        map->Document().Append(std::move(o));
        return map->ObjectCount() - 1;
    }
    QPointF MapPoint(QPoint p) const {
        float x = float(p.x()), y = float(p.y());
        map->ScreenToMap(x, y);
        return {x, y};
    }

    QPointer<TDataMap> map;
    Qt::MouseButtons held;
    TMapMouseController* controller = nullptr;
    std::vector<int> waits;               // the wait of every pass of a modal gesture
    std::function<void(int pass)> onPass; // runs inside each pass
};

} // namespace mousetest
