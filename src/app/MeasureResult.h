#pragma once
// TfMeasureResult: "Результат измерения", the lengths the measuring tool reports.

#include <QWidget>

#include <functional>

class QLabel;

namespace tsivor::app {

// A length in metres as the window shows it: "1 234.5 м", "0.5 м" (tenths cut, not rounded).
QString FormatLength(double metres);

class TfMeasureResult : public QWidget {
public:
    explicit TfMeasureResult(QWidget* parent = nullptr);

    // The map's OnMeasure: the whole polyline and its last segment.
    void Measured(double total, double lastSegment);

    // FormClose: the main window puts its default tool back.
    std::function<void()> OnClosed;

    QLabel* lSumm;
    QLabel* lLast;

protected:
    void closeEvent(QCloseEvent* e) override;
};

} // namespace tsivor::app
