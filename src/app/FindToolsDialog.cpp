#include "app/FindToolsDialog.h"

#include "platform/Platform.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace tsivor::app {

TFindToolsDialog::TFindToolsDialog(QString iniPath, QWidget* parent)
    : QDialog(parent, Qt::Tool | Qt::WindowStaysOnTopHint | Qt::MSWindowsFixedSizeDialogHint),
      FIniPath(std::move(iniPath)) {
    setObjectName(QStringLiteral("fFindTools"));
    setWindowTitle(QStringLiteral("Тонкая настройка поисковой системы"));
    auto* col = new QVBoxLayout(this);
    auto* group = new QGroupBox(QStringLiteral("Ключевой поиск по полям:"), this);
    auto* boxes = new QVBoxLayout(group);
    auto box = [&](QCheckBox*& b, const char* name, const char* caption) {
        b = new QCheckBox(QString::fromUtf8(caption), group);
        b->setObjectName(QLatin1String(name));
        boxes->addWidget(b);
    };
    box(ftComment, "ftComment", "Комментарий");
    box(ftTitle, "ftTitle", "Название");
    box(ftRubrica, "ftRubrica", "Рубрика");
    box(ftStreet, "ftStreet", "Улица");
    box(ftHouse, "ftHouse", "№ дома");
    box(ftPhone, "ftPhone", "Телефон");
    col->addWidget(group);
    auto* preview = new QHBoxLayout;
    ftPreview = new QCheckBox(this);
    ftPreview->setObjectName(QStringLiteral("ftPreview"));
    auto* text = new QLabel(
        QStringLiteral("Предварительный просмотр количества \r\nнайденных записей "), this);
    text->setBuddy(ftPreview);
    preview->addWidget(ftPreview);
    preview->addWidget(text, 1);
    col->addLayout(preview);
    Button2 = new QPushButton(QStringLiteral("Вернуть настройки по умолчанию"), this);
    Button2->setObjectName(QStringLiteral("Button2"));
    Button1 = new QPushButton(QStringLiteral("Ок"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setDefault(true);
    col->addWidget(Button2);
    col->addWidget(Button1);
    connect(Button2, &QPushButton::clicked, this, [this] { Button2Click(); });
    connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
    layout()->setSizeConstraint(QLayout::SetFixedSize);

    TFindToolsSettings s;
    s.Load(TIniFile(FIniPath));
    SetCurrent(s);
}

TFindToolsSettings TFindToolsDialog::Current() const {
    TFindToolsSettings s;
    s.Comment = ftComment->isChecked();
    s.Title = ftTitle->isChecked();
    s.Rubrica = ftRubrica->isChecked();
    s.Street = ftStreet->isChecked();
    s.House = ftHouse->isChecked();
    s.Phone = ftPhone->isChecked();
    s.Preview = ftPreview->isChecked();
    return s;
}

void TFindToolsDialog::SetCurrent(const TFindToolsSettings& s) {
    ftComment->setChecked(s.Comment);
    ftTitle->setChecked(s.Title);
    ftRubrica->setChecked(s.Rubrica);
    ftStreet->setChecked(s.Street);
    ftHouse->setChecked(s.House);
    ftPhone->setChecked(s.Phone);
    ftPreview->setChecked(s.Preview);
}

void TFindToolsDialog::Button2Click() {
    SetCurrent(TFindToolsSettings());
}

void TFindToolsDialog::Button1Click() {
    TIniFile ini(FIniPath);
    if (!Current().Save(ini))
        platform::ShowMessage(ini.LastError(), platform::MessageKind::Error, this);
    emit confirmed();
    close();
}

void TFindToolsDialog::showEvent(QShowEvent* e) {
    if (Place) move(Place());
    QDialog::showEvent(e);
}

void TFindToolsDialog::done(int r) {
    // The title bar, Escape and "Ок" all end here.
    QDialog::done(r);
    emit closed();
}

} // namespace tsivor::app
