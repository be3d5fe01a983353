#include "mapui/ORBSpin.h"

#include "platform/Platform.h"

#include <QKeyEvent>
#include <QLocale>
#include <QMouseEvent>
#include <QPainter>

#include <cmath>

namespace tsivor::mapui {

// ---------------------------------------------------------------------- buttons

TORBSpinButton::TORBSpinButton(QWidget* parent) : QWidget(parent) {
    setCursor(Qt::ArrowCursor);
    FRepeat.setSingleShot(false);
    QObject::connect(&FRepeat, &QTimer::timeout, this, [this] {
        FRepeat.setInterval(100);
        Fire();
    });
}

void TORBSpinButton::Fire() {
    if (FPressed > 0 && OnTopClick) OnTopClick();
    if (FPressed < 0 && OnBottomClick) OnBottomClick();
}

void TORBSpinButton::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const int w = width(), h = height(), mid = h / 2;
    p.fillRect(rect(), palette().button());
    p.setPen(palette().mid().color());
    p.drawRect(0, 0, w - 1, h - 1);
    p.drawLine(0, mid, w - 1, mid);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(isEnabled() ? palette().buttonText() : palette().mid());
    const double cx = w / 2.0, s = std::min(w - 6, mid - 2) / 2.0;
    const QPointF up[3] = {
        {cx - s, mid / 2.0 + s / 2}, {cx + s, mid / 2.0 + s / 2}, {cx, mid / 2.0 - s / 2}};
    const QPointF down[3] = {{cx - s, mid + (h - mid) / 2.0 - s / 2},
                             {cx + s, mid + (h - mid) / 2.0 - s / 2},
                             {cx, mid + (h - mid) / 2.0 + s / 2}};
    p.drawPolygon(up, 3);
    p.drawPolygon(down, 3);
}

void TORBSpinButton::mousePressEvent(QMouseEvent* e) {
    if (e->button() != Qt::LeftButton) return;
    if (FocusControl) FocusControl->setFocus(Qt::MouseFocusReason);
    FPressed = e->position().y() < height() / 2.0 ? 1 : -1;
    Fire();
    FRepeat.start(400);
}

void TORBSpinButton::mouseReleaseEvent(QMouseEvent*) {
    FRepeat.stop();
    FPressed = 0;
}

// ---------------------------------------------------------------------- edit

TORBSpinEdit::TORBSpinEdit(QWidget* parent) : QLineEdit(parent), FButton(new TORBSpinButton(this)) {
    setText(QStringLiteral("0"));
    FButton->FocusControl = this;
    FButton->OnTopClick = [this] { StepUp(); };
    FButton->OnBottomClick = [this] { StepDown(); };
    setTextMargins(0, 0, FButton->sizeHint().width(), 0);
}

void TORBSpinEdit::resizeEvent(QResizeEvent* e) {
    QLineEdit::resizeEvent(e);
    const int w = FButton->sizeHint().width();
    FButton->setGeometry(width() - w - 1, 1, w, height() - 2);
}

double TORBSpinEdit::Clamped(double v) const {
    if (MinValue == MaxValue) return v;
    return std::clamp(v, MinValue, MaxValue);
}

double TORBSpinEdit::Value() const {
    bool ok = false;
    const QString t = text().trimmed();
    switch (FValueType) {
    case vtFloat: {
        const double v = QLocale().toDouble(t, &ok);
        return ok && std::isfinite(v) ? v : MinValue;
    }
    case vtHex: {
        const qlonglong v = t.toLongLong(&ok, 16);
        return ok ? double(v) : std::trunc(MinValue);
    }
    case vtInteger:
    default: {
        const qlonglong v =
            t.startsWith(QLatin1Char('+')) ? t.mid(1).toLongLong(&ok) : t.toLongLong(&ok);
        return ok ? double(v) : std::trunc(MinValue);
    }
    }
}

void TORBSpinEdit::SetValue(double v) {
    v = Clamped(v);
    switch (FValueType) {
    case vtFloat:
        setText(QLocale().toString(v, 'f', Decimal));
        break;
    case vtHex:
        setText(QString::number(qlonglong(std::nearbyint(v)), 16).toUpper());
        break;
    case vtInteger:
    default:
        setText(QString::number(qlonglong(std::nearbyint(v))));
        break;
    }
}

void TORBSpinEdit::SetValueType(TValueType t) {
    const double v = Value();
    FValueType = t;
    if (t != vtFloat) {
        FIncrement = std::nearbyint(FIncrement);
        if (FIncrement == 0) FIncrement = 1;
    }
    SetValue(v);
}

void TORBSpinEdit::Step(double delta) {
    if (isReadOnly()) {
        platform::Beep();
        return;
    }
    const QString before = text();
    SetValue(Value() + delta);
    if (text() != before) setModified(true); // the text change itself is signalled
}

void TORBSpinEdit::StepUp() {
    Step(FIncrement);
    if (OnTopClick) OnTopClick();
}

void TORBSpinEdit::StepDown() {
    Step(-FIncrement);
    if (OnBottomClick) OnBottomClick();
}

bool TORBSpinEdit::Accepts(QChar c) const {
    if (c == QLatin1Char('+') || c == QLatin1Char('-') || (c >= u'0' && c <= u'9')) return true;
    const QString t = text();
    if (FValueType == vtFloat) {
        const QString separator = QLocale().decimalPoint();
        if (QString(c) == separator) return !t.contains(separator);
        if (c == QLatin1Char('e') || c == QLatin1Char('E'))
            return !t.contains(QLatin1Char('e'), Qt::CaseInsensitive);
    }
    if (FValueType == vtHex) return (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
    return false;
}

void TORBSpinEdit::keyPressEvent(QKeyEvent* e) {
    if (ArrowKeys && (e->key() == Qt::Key_Up || e->key() == Qt::Key_Down)) {
        e->key() == Qt::Key_Up ? StepUp() : StepDown();
        e->accept();
        return;
    }
    if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter || e->key() == Qt::Key_Escape) {
        // Dialog keys: the form's default and cancel buttons answer them.
        e->ignore();
        return;
    }
    const QString typed = e->text();
    const bool printable = !typed.isEmpty() && typed[0].unicode() >= 32;
    if (!EditorEnabled && (printable || e->key() == Qt::Key_Backspace)) {
        platform::Beep();
        return;
    }
    if (printable) {
        for (QChar c : typed)
            if (!Accepts(c)) {
                platform::Beep();
                return;
            }
    }
    QLineEdit::keyPressEvent(e);
}

void TORBSpinEdit::focusOutEvent(QFocusEvent* e) {
    const double v = Value();
    if (Clamped(v) != v) SetValue(v);
    QLineEdit::focusOutEvent(e);
}

} // namespace tsivor::mapui
