#include "app/RubricPanel.h"

#include "directory/DataModule.h"
#include "directory/LikeCondition.h"
#include "directory/RubricQueries.h"
#include "platform/Platform.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QVBoxLayout>

namespace tsivor::app {

bool TSearchKeyFilter::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress) return QObject::eventFilter(watched, event);
    auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
        if (OnEnter) OnEnter();
        return true;
    }
    if (key->key() == Qt::Key_Down && OnDown) {
        OnDown();
        return true;
    }
    // Shortcuts (Ctrl+V and the like) are not typed characters.
    if (key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
        return QObject::eventFilter(watched, event);
    const QString text = key->text();
    for (QChar c : text) {
        if (directory::IsRefusedSearchChar(c)) {
            platform::Beep();
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}

TRubricPanel::TRubricPanel(directory::Tdm& dm, directory::TRubricQueries& rubrics, QWidget* parent)
    : QWidget(parent), FDm(dm), FRubrics(rubrics),
      FLabel(new QLabel(QStringLiteral("Фильтр рубрики:"), this)), FEdit(new QLineEdit(this)),
      FList(new QListWidget(this)), FKeys(new TSearchKeyFilter(this)) {
    FEdit->setObjectName(QStringLiteral("eFind1"));
    FList->setObjectName(QStringLiteral("dbBOXFind1"));
    FLabel->setBuddy(FEdit);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->setSpacing(2);
    layout->addWidget(FLabel);
    layout->addWidget(FEdit);
    layout->addWidget(FList, 1);

    FEdit->installEventFilter(FKeys);
    FKeys->OnEnter = [this] { emit enterPressed(); };
    FKeys->OnDown = [this] {
        FList->setFocus();
        // Moving the focus is not a choice yet.
        if (FList->count() > 0 && FList->currentRow() < 0) FList->setCurrentRow(0);
    };
    SetFound(true);

    connect(FEdit, &QLineEdit::textChanged, this, &TRubricPanel::FilterChanged);
    connect(FList, &QListWidget::itemClicked, this,
            [this](QListWidgetItem* item) { Choose(FList->row(item)); });
    // Moving through the list with the keys chooses as a click does.
    FList->installEventFilter(this);
}

bool TRubricPanel::eventFilter(QObject* watched, QEvent* event) {
    if (watched != FList) return QWidget::eventFilter(watched, event);
    const auto type = event->type();
    if (type != QEvent::KeyPress && type != QEvent::KeyRelease)
        return QWidget::eventFilter(watched, event);
    switch (static_cast<QKeyEvent*>(event)->key()) {
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
    case Qt::Key_Home:
    case Qt::Key_End:
        // Only a key pressed in the list chooses: the release of the Down arrow that brought
        // the focus here from the filter is not a choice.
        if (type == QEvent::KeyPress)
            FListKeyDown = true;
        else if (FListKeyDown) {
            FListKeyDown = false;
            Choose(FList->currentRow());
        }
        break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        // The rubric the keys came to, even when there was no other to move to.
        if (type == QEvent::KeyPress) Choose(FList->currentRow());
        break;
    default:
        break;
    }
    return QWidget::eventFilter(watched, event);
}

void TRubricPanel::Reload() {
    FList->clear();
    directory::TQuery& q = FDm.QJumps;
    for (q.First(); !q.Eof(); q.Next()) {
        auto* item = new QListWidgetItem(q.FieldAsString(QStringLiteral("Name")), FList);
        item->setData(Qt::UserRole, q.FieldAsInteger(QStringLiteral("id")));
    }
    q.First();
}

void TRubricPanel::FilterChanged(const QString& text) {
    // Said once while the filter stays too long, not on every key.
    if (directory::TRubricQueries::FilterTooLong(text)) {
        if (!FTooLongShown) platform::ShowMessage(directory::LikeTooLongMessage());
        FTooLongShown = true;
        return;
    }
    FTooLongShown = false;
    const bool found = FRubrics.FilterRubrics(text);
    SetFound(found);
    if (!found) platform::Beep();
    Reload();
}

void TRubricPanel::SetFound(bool found) {
    QPalette p = FEdit->palette();
    p.setColor(QPalette::Base, found ? Qt::white : Qt::red);
    p.setColor(QPalette::Text, found ? Qt::black : Qt::white);
    FEdit->setPalette(p);
}

bool TRubricPanel::ChooseOnlyRubric() {
    if (FList->count() != 1) return false;
    Choose(0);
    return true;
}

void TRubricPanel::Choose(int row) {
    if (row < 0 || !FDm.QJumps.MoveTo(row) || FDm.QJumps.Eof()) return;
    emit rubricChosen();
}

} // namespace tsivor::app
