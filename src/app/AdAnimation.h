#pragma once
// TAdAnimation: an advertising animation of the main window (RxGIFAnimator1 in the tool bar,
// RxGIFAnimator2 at the foot of the quick-rubric panel): the first GIF matching a pattern,
// looping, leading to the organisation whose number its file name carries.

#include <QLabel>

#include <functional>

namespace tsivor::app {

class TAdAnimation : public QLabel {
public:
    TAdAnimation(const QString& name, QSize size, QWidget* parent);

    // The first file of dir matching pattern ("panel_*.gif"); false, and nothing shown, when
    // there is none or it cannot be read.
    bool Load(const QString& dir, const QString& pattern);

    int Tag = 0; // the organisation, 0 for none
    std::function<void(int orgId)> OnClick;

protected:
    void mouseReleaseEvent(QMouseEvent* e) override;
};

} // namespace tsivor::app
