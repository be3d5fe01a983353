#pragma once
// TFirstFrameWatch: calls OnReady once, after the first paint of the map that finds the main
// window ready (map fitted and drawn, start list shown): the end of the start-up.

#include <QObject>

#include <functional>

namespace tsivor::app {

class TFMainForm;

class TFirstFrameWatch : public QObject {
public:
    // A child of form: it goes with the window.
    TFirstFrameWatch(TFMainForm& form, std::function<void()> onReady);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    TFMainForm& FForm;
    std::function<void()> FOnReady;
    bool FDone = false;
};

} // namespace tsivor::app
