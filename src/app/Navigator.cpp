#include "app/Navigator.h"

#include "platform/Platform.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QLabel>
#include <QPointer>
#include <QProgressBar>
#include <QScrollBar>
#include <QStyle>
#include <QTimer>
#include <QVBoxLayout>
#include <QWheelEvent>

namespace tsivor::app {

TWaitPanel::TWaitPanel(QWidget* parent) : QFrame(parent) {
    setFrameShape(QFrame::Panel);
    setFrameShadow(QFrame::Raised);
    setAutoFillBackground(true);
    auto* lay = new QVBoxLayout(this);
    LWait = new QLabel(this);
    LWait->setTextFormat(Qt::PlainText);
    LWait->setWordWrap(true);
    GWait = new QProgressBar(this);
    lay->addWidget(LWait);
    lay->addWidget(GWait);
    hide();
}

void TWaitPanel::Start(const QString& text, int maximum) {
    GWait->setRange(0, std::max(0, maximum));
    GWait->setValue(0);
    LWait->setText(text);
    if (parentWidget()) {
        const QRect r = parentWidget()->rect();
        setGeometry(r.x() + 8, r.y() + 40, std::max(60, r.width() - 16), 80);
    }
    show();
    raise();
}

void TWaitPanel::SetText(const QString& text) {
    LWait->setText(text);
}
void TWaitPanel::SetProgress(int value) {
    GWait->setValue(value);
}
void TWaitPanel::Finish() {
    hide();
}
QString TWaitPanel::Text() const {
    return LWait->text();
}

TNavigator::TNavigator(QWidget* parent) : QScrollArea(parent) {
    // A steady scroll bar keeps the card width fixed whatever the list length.
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setWidgetResizable(false);
    setFrameShape(QFrame::NoFrame);
    FContent = new QWidget;
    FContent->resize(viewport()->width(), 0);
    setWidget(FContent);
    FClockStart.start();
    // Offset so that no press looks recent when the list is new.
    Clock = [this] { return FClockStart.elapsed() + 1000000; };
    CreateCards(InitialCards);
}

int TNavigator::CardAreaWidth() const {
    const int bar = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
    return std::max(100, width() - bar - 2 * frameWidth());
}

void TNavigator::CreateCards(int upTo) {
    FItems.reserve(upTo);
    const int w = CardAreaWidth();
    while (int(FItems.size()) < upTo) {
        auto* card = new TNavigatorItem(this, FContent);
        card->resize(w, card->height());
        card->CardWidth = card->width() - 6;
        FItems.push_back(card);
    }
}

void TNavigator::SetItemsCount(int count) {
    count = std::max(0, count);
    if (count > int(FItems.size())) CreateCards(count);
    for (int i = count; i < FItemsCount && i < int(FItems.size()); ++i) FItems[i]->hide();
    FItemsCount = count;
    ScheduleRelayout();
}

void TNavigator::SetCaptionIcons(const QPixmap& attachment, const QPixmap& comment) {
    FAttachmentIcon = attachment;
    FCommentIcon = comment;
}

void TNavigator::ScheduleRelayout() {
    if (FRelayoutPending) return;
    FRelayoutPending = true;
    QTimer::singleShot(0, this, [this] {
        if (FRelayoutPending) Relayout();
    });
}

void TNavigator::Relayout() {
    FRelayoutPending = false;
    int y = 0;
    const int w = CardAreaWidth();
    for (int i = 0; i < FItemsCount; ++i) {
        TNavigatorItem* c = FItems[i];
        if (c->isHidden()) continue;
        if (c->y() != y || c->width() != w) c->setGeometry(0, y, w, c->height());
        y += c->height();
    }
    FContent->resize(w, y);
}

void TNavigator::resizeEvent(QResizeEvent* e) {
    QScrollArea::resizeEvent(e);
    FitCardsToWidth();
}

void TNavigator::FitCardsToWidth() {
    const int w = CardAreaWidth();
    if (FItems.empty() || FItems.front()->width() == w) return;
    for (TNavigatorItem* c : FItems) {
        c->resize(w, c->height());
        c->CardWidth = w - 6; // later fills wrap at the new width
    }
    Relayout();
}

int TNavigator::LineStep() const {
    return QFontMetrics(QFont(QStringLiteral("Arial"), 9)).lineSpacing();
}

void TNavigator::wheelEvent(QWheelEvent* e) {
    // A notch is 120; finer wheels and touch pads send parts of it.
    const int delta = e->angleDelta().y();
    QScrollBar* bar = verticalScrollBar();
    bar->setValue(bar->value() - delta * WheelLines * LineStep() / 120);
    e->accept();
}

void TNavigator::keyPressEvent(QKeyEvent* e) {
    QScrollBar* bar = verticalScrollBar();
    switch (e->key()) {
    case Qt::Key_PageUp:
        bar->setValue(bar->value() - bar->pageStep());
        break;
    case Qt::Key_PageDown:
        bar->setValue(bar->value() + bar->pageStep());
        break;
    case Qt::Key_Up:
        bar->setValue(bar->value() - LineStep());
        break;
    case Qt::Key_Down:
        bar->setValue(bar->value() + LineStep());
        break;
    case Qt::Key_Home:
        bar->setValue(bar->minimum());
        break;
    case Qt::Key_End:
        bar->setValue(bar->maximum());
        break;
    default:
        QScrollArea::keyPressEvent(e);
        return;
    }
    e->accept();
}

void TNavigator::enterEvent(QEnterEvent* e) {
    QScrollArea::enterEvent(e);
    if (isActiveWindow() && !hasFocus() && !(focusWidget() && isAncestorOf(focusWidget())))
        setFocus(Qt::MouseFocusReason);
}

namespace {

// While a bulk loop runs, ESC anywhere in the program stops it, whichever control has the
// focus (the list itself is hidden meanwhile).
class TEscWatcher : public QObject {
public:
    explicit TEscWatcher(TNavigator* n) : FNavigator(n) { qApp->installEventFilter(this); }
    ~TEscWatcher() override { qApp->removeEventFilter(this); }

protected:
    bool eventFilter(QObject*, QEvent* e) override {
        if ((e->type() == QEvent::KeyPress || e->type() == QEvent::ShortcutOverride) &&
            static_cast<QKeyEvent*>(e)->key() == Qt::Key_Escape) {
            if (FNavigator) FNavigator->RequestStop();
            return true;
        }
        return false;
    }

private:
    QPointer<TNavigator> FNavigator;
};

} // namespace

bool TNavigator::RunBulk(bool expand, TWaitPanel* wait) {
    if (FItemsCount == 0) {
        platform::Beep();
        return false;
    }
    FBulkRunning = true;
    FStopRequested = false;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    OpenAttachmentOnExpand = false;
    hide();
    if (wait)
        wait->Start(expand ? QStringLiteral("Разворачивание карточек... (ESC - прервать)")
                           : QStringLiteral("Сворачивание карточек... (ESC - прервать)"),
                    FItemsCount - 1);
    // The events let through may close the window and delete the list or the wait panel, or
    // fill a new result: nothing is used after a pass without checking it is still there.
    struct Restore { // the list comes back however the loop ends
        QPointer<TNavigator> n;
        QPointer<TWaitPanel> w;
        ~Restore() {
            QApplication::restoreOverrideCursor();
            if (w) w->Finish();
            if (!n) return;
            n->OpenAttachmentOnExpand = true;
            n->Relayout();
            n->show();
            n->FBulkRunning = false;
            n->FStopRequested = false;
        }
    } restore{this, wait};
    TEscWatcher esc(this);
    for (int i = 0; restore.n && i < FItemsCount; ++i) {
        if (restore.w) restore.w->SetProgress(i);
        TNavigatorItem* c = FItems[i];
        if (c->Maximized() != expand) c->SetMaximized(expand);
        QCoreApplication::processEvents();
        if (!restore.n || FStopRequested) break;
    }
    return true;
}

void TNavigator::RequestStop() {
    if (FBulkRunning) FStopRequested = true;
}

QString TNavigator::ResultIds() const {
    QString s;
    for (int i = 0; i < FItemsCount; ++i) s += QString::number(FItems[i]->FOrgId) + u';';
    return s;
}

QString TNavigator::ExpandedFlags() const {
    QString s;
    for (int i = 0; i < FItemsCount; ++i) s += FItems[i]->Maximized() ? u'1' : u'0';
    return s;
}

} // namespace tsivor::app
