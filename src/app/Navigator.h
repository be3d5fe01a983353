#pragma once
// TNavigator: the scrolling list of organisation cards, with its wait panel and the
// expand-all / collapse-all loops that ESC can stop.

#include "app/NavigatorItem.h"

#include <QElapsedTimer>
#include <QFrame>
#include <QPixmap>
#include <QScrollArea>

#include <functional>
#include <vector>

class QLabel;
class QProgressBar;

namespace tsivor::app {

// The actions a card's links and menu lead to; a hook left empty is skipped.
struct TCardHooks {
    std::function<void(const QString&)> OnCardRubricClick;
    std::function<void(const QString&)> OnCardAddressClick;
    std::function<void(const QString&)> OnCardWebClick;
    std::function<void(const QString&)> OnCardMailClick;
    std::function<void(const QString&)> OnCardAttachment; // a path relative to ExeDir
    std::function<void(int orgId)> OnCardMenu;
    // Reads the details of CurrentOrgId into CurrentCard.
    std::function<void(TNavigatorItem& card, int orgId)> FillCardDetails;
};

// pWait: the gauge GWait and the text LWait shown over the cards during long work.
class TWaitPanel : public QFrame {
public:
    explicit TWaitPanel(QWidget* parent);
    void Start(const QString& text, int maximum);
    void SetText(const QString& text);
    void SetProgress(int value);
    void Finish();
    QString Text() const;
    QProgressBar* GWait;
    QLabel* LWait;
};

class TNavigator : public QScrollArea {
public:
    static constexpr int InitialCards = 200;
    static constexpr int WheelLines = 3; // text lines per wheel notch

    explicit TNavigator(QWidget* parent);

    int ItemsCount() const { return FItemsCount; }
    void SetItemsCount(int count);
    TNavigatorItem* Item(int i) const { return FItems[i]; }
    int CreatedCount() const { return int(FItems.size()); }

    TCardHooks Hooks;
    bool OpenAttachmentOnExpand = true;
    TNavigatorItem* CurrentCard = nullptr;
    int CurrentOrgId = 0;
    // Milliseconds of a monotonic clock; tests substitute it for the double-press guard.
    std::function<qint64()> Clock;

    // Icons before a name: an attached file, a comment (GifNavCHM, gifNavMEM).
    void SetCaptionIcons(const QPixmap& attachment, const QPixmap& comment);
    const QPixmap& AttachmentIcon() const { return FAttachmentIcon; }
    const QPixmap& CommentIcon() const { return FCommentIcon; }

    // Stacks the visible cards top to bottom; runs deferred after height changes.
    void Relayout();
    void ScheduleRelayout();
    // The cards follow the list's width at once (also while the list is not shown yet).
    void FitCardsToWidth();

    // Expand or collapse every card in use, letting input through after each card.
    // Returns false (after a beep) when there are no cards.
    bool RunBulk(bool expand, TWaitPanel* wait);
    void RequestStop(); // ESC: stops a running bulk loop, otherwise nothing
    bool BulkRunning() const { return FBulkRunning; }

    // Pixels of one text line of the cards: the unit of wheel and arrow scrolling.
    int LineStep() const;

    // "1"/"0" per card and the ids with ";" after each, in card order.
    QString ResultIds() const;
    QString ExpandedFlags() const;

protected:
    void wheelEvent(QWheelEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    // The list takes the keys while the pointer is over it.
    void enterEvent(QEnterEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;

private:
    void CreateCards(int upTo);
    // The width the cards get: the list less its scroll bar, valid before the first show.
    int CardAreaWidth() const;

    QWidget* FContent;
    QElapsedTimer FClockStart;
    std::vector<TNavigatorItem*> FItems;
    int FItemsCount = 0;
    bool FRelayoutPending = false;
    bool FBulkRunning = false;
    bool FStopRequested = false;
    QPixmap FAttachmentIcon;
    QPixmap FCommentIcon;
};

} // namespace tsivor::app
