#include "app/FindForm.h"

#include "platform/Platform.h"

#include <QComboBox>
#include <QCompleter>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace tsivor::app {

TFindForm::TFindForm(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("FindForm"));
    setWindowTitle(QStringLiteral("Поиск объекта на карте"));
    auto* form = new QFormLayout;
    sBox = new QComboBox(this);
    sBox->setObjectName(QStringLiteral("sBox"));
    sBox->setEditable(true);
    sBox->setInsertPolicy(QComboBox::NoInsert);
    sBox->setMinimumWidth(260);
    sBox->completer()->setCompletionMode(QCompleter::PopupCompletion);
    sBox->completer()->setFilterMode(Qt::MatchContains);
    sBox->lineEdit()->installEventFilter(this);
    form->addRow(QStringLiteral("Улица:"), sBox);
    Edit2 = new QLineEdit(this);
    Edit2->setObjectName(QStringLiteral("Edit2"));
    // The house number is upper case, as the map keeps it.
    connect(Edit2, &QLineEdit::textEdited, this, [this](const QString& t) {
        const int at = Edit2->cursorPosition();
        Edit2->setText(t.toUpper());
        Edit2->setCursorPosition(at);
    });
    form->addRow(QStringLiteral("№ Дома"), Edit2);
    bFind = new QPushButton(QStringLiteral("Найти"), this);
    bFind->setObjectName(QStringLiteral("bFind"));
    bFind->setDefault(true);
    bCancel = new QPushButton(QStringLiteral("Отмена"), this);
    bCancel->setObjectName(QStringLiteral("bCancel"));
    connect(bFind, &QPushButton::clicked, this, [this] { bFindClick(); });
    connect(bCancel, &QPushButton::clicked, this, [this] { bCancelClick(); });
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(bFind);
    buttons->addWidget(bCancel);
    auto* col = new QVBoxLayout(this);
    col->addLayout(form);
    col->addLayout(buttons);
    setFixedSize(sizeHint());
}

void TFindForm::SetStreets(const QStringList& streets) {
    QStringList upper;
    for (const QString& s : streets) upper << s.toUpper();
    upper.sort();
    upper.removeDuplicates();
    sBox->clear();
    sBox->addItems(upper);
    sBox->setCurrentIndex(-1);
    sBox->setEditText(QString());
    FHasStreets = true;
}

void TFindForm::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    FOk = false;
    sBox->setFocus();
}

bool TFindForm::eventFilter(QObject* watched, QEvent* event) {
    if (watched == sBox->lineEdit() && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            bFindClick();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TFindForm::bFindClick() {
    const int row = sBox->findText(sBox->currentText().trimmed(), Qt::MatchFixedString);
    if (row < 0) {
        platform::ShowMessage(QStringLiteral("Выберите улицу из списка"),
                              platform::MessageKind::Information, this);
        return;
    }
    FOk = true;
    FStreet = sBox->itemText(row);
    FHouse = Edit2->text().trimmed().toUpper();
    accept();
}

void TFindForm::bCancelClick() {
    FOk = false;
    reject();
}

} // namespace tsivor::app
