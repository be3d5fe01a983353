#pragma once
// TORBSpinEdit: the numeric edit box of the map's dialogs, with a pair of step buttons at its
// right edge. The value lives in the text and is converted on every read and write; it is
// clamped to a range, stepped by the buttons or the arrow keys, and only characters that can
// make a number are typed.

#include <QLineEdit>
#include <QTimer>
#include <QWidget>

#include <functional>

namespace tsivor::mapui {

enum TValueType { vtInteger, vtFloat, vtHex };
enum TSpinButtonKind { bkDiagonal, bkStandard };

// The two step buttons: the upper half steps up, the lower half down. Held down, a button
// steps at the press, after 400 ms and then every 100 ms.
class TORBSpinButton : public QWidget {
public:
    explicit TORBSpinButton(QWidget* parent = nullptr);
    std::function<void()> OnTopClick;
    std::function<void()> OnBottomClick;
    QWidget* FocusControl = nullptr; // the edit served
    QSize sizeHint() const override { return QSize(15, 20); }

protected:
    void paintEvent(QPaintEvent*) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;

private:
    void Fire();
    QTimer FRepeat;
    int FPressed = 0; // 1 top, -1 bottom
};

class TORBSpinEdit : public QLineEdit {
public:
    explicit TORBSpinEdit(QWidget* parent = nullptr);

    double Value() const;
    void SetValue(double v);
    double MinValue = 0, MaxValue = 0; // equal: no limit
    double Increment() const { return FIncrement; }
    void SetIncrement(double v) { FIncrement = v; }
    TValueType ValueType() const { return FValueType; }
    void SetValueType(TValueType t);
    int Decimal = 2; // digits after the separator of vtFloat
    TSpinButtonKind ButtonKind = bkDiagonal;
    bool ArrowKeys = true;
    bool EditorEnabled = true;
    std::function<void()> OnTopClick;
    std::function<void()> OnBottomClick;

    void StepUp();
    void StepDown();
    // The value clamped to the range (unlimited when MinValue = MaxValue).
    double Clamped(double v) const;
    TORBSpinButton* Button() const { return FButton; }

protected:
    void keyPressEvent(QKeyEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;

private:
    void Step(double delta);
    bool Accepts(QChar c) const;

    TORBSpinButton* FButton;
    double FIncrement = 1;
    TValueType FValueType = vtInteger;
};

} // namespace tsivor::mapui
