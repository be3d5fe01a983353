#include "app/RealEstatePanel.h"
#include "app/ShellOpen.h"

#include "app/Config.h"
#include "app/HouseResultWindow.h"
#include "directory/DataModule.h"
#include "platform/Platform.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>
#include <QVBoxLayout>

namespace tsivor::app {

TRealEstatePanel::TRealEstatePanel(directory::Tdm& dm, QString exeDir, QWidget* parent)
    : QWidget(parent), FDm(dm), FExeDir(std::move(exeDir)) {
    setObjectName(QStringLiteral("RealEstatePanel"));
    setFont(QFont(QStringLiteral("Arial"), 8));
    auto* col = new QVBoxLayout(this);
    col->setContentsMargins(2, 2, 2, 2);
    col->setSpacing(2);

    auto* section = new QGroupBox(QStringLiteral("Раздел:"), this);
    auto* sectionGrid = new QGridLayout(section);
    const char* sections[] = {"Продажа", "Покупка", "Сдадим в аренду", "Арендуем"};
    for (int i = 0; i < 4; ++i) {
        RadioButtons[size_t(i)] = new QRadioButton(QString::fromUtf8(sections[i]), section);
        RadioButtons[size_t(i)]->setObjectName(QStringLiteral("RadioButton%1").arg(i + 1));
        sectionGrid->addWidget(RadioButtons[size_t(i)], i / 2, i % 2);
    }
    RadioButtons[0]->setChecked(true);
    col->addWidget(section);

    auto* districts = new QGroupBox(QStringLiteral("Район:"), this);
    auto* districtGrid = new QGridLayout(districts);
    for (int i = 0; i < 7; ++i) {
        auto* b = new QCheckBox(districts);
        b->setObjectName(QStringLiteral("CheckBox%1").arg(5 + i));
        b->setChecked(true);
        Districts[size_t(i)] = b;
        districtGrid->addWidget(b, i / 2, i % 2);
    }
    col->addWidget(districts);

    auto* rooms = new QGroupBox(QStringLiteral("Кол-во комнат:"), this);
    auto* roomGrid = new QGridLayout(rooms);
    const char* roomCaptions[] = {"С.Р.Т. или  К.С.С.", "1-комн.", "2-комн.", "3-комн.",
                                  "4-комн. и более"};
    const int roomNames[] = {18, 13, 14, 15, 16};
    for (int i = 0; i < 5; ++i) {
        auto* b = new QCheckBox(QString::fromUtf8(roomCaptions[i]), rooms);
        b->setObjectName(QStringLiteral("CheckBox%1").arg(roomNames[i]));
        b->setChecked(true);
        Rooms[size_t(i)] = b;
        roomGrid->addWidget(b, i / 2, i % 2);
    }
    col->addWidget(rooms);

    CheckBox17 = new QCheckBox(QStringLiteral("Наличие телефона"), this);
    CheckBox17->setObjectName(QStringLiteral("CheckBox17"));
    col->addWidget(CheckBox17);
    auto* price = new QHBoxLayout;
    ePriceFrom = new QLineEdit(this);
    ePriceFrom->setObjectName(QStringLiteral("ePriceFrom"));
    ePriceTo = new QLineEdit(this);
    ePriceTo->setObjectName(QStringLiteral("ePriceTo"));
    for (QLineEdit* e : {ePriceFrom, ePriceTo}) e->installEventFilter(this);
    price->addWidget(new QLabel(QStringLiteral("Стоимость от"), this));
    price->addWidget(ePriceFrom);
    price->addWidget(new QLabel(QStringLiteral("до"), this));
    price->addWidget(ePriceTo);
    price->addWidget(new QLabel(QStringLiteral("тыс. руб."), this));
    col->addLayout(price);

    bAplay = new QPushButton(QStringLiteral("Найти"), this);
    bAplay->setObjectName(QStringLiteral("bAplay"));
    bAplay->setEnabled(false);
    col->addWidget(bAplay);
    Notice = new QLabel(this);
    Notice->setObjectName(QStringLiteral("RealEstateNotice"));
    Notice->setWordWrap(true);
    QPalette np = Notice->palette();
    np.setColor(QPalette::WindowText, Qt::red);
    Notice->setPalette(np);
    Notice->hide();
    col->addWidget(Notice);

    auto* toggles = new QHBoxLayout;
    sbResult = new QToolButton(this);
    sbResult->setObjectName(QStringLiteral("sbResult"));
    sbResult->setText(QStringLiteral("Результаты поиска"));
    sbMap = new QToolButton(this);
    sbMap->setObjectName(QStringLiteral("sbMap"));
    sbMap->setText(QStringLiteral("Карта"));
    auto* pair = new QButtonGroup(this);
    pair->setExclusive(true);
    for (QToolButton* b : {sbResult, sbMap}) {
        b->setCheckable(true);
        b->setToolButtonStyle(Qt::ToolButtonTextOnly);
        pair->addButton(b);
        toggles->addWidget(b, 1);
    }
    sbMap->setChecked(true);
    col->addLayout(toggles);
    Button1 = new QPushButton(QStringLiteral("Добавить своё объявление"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    col->addWidget(Button1);
    bUpdateZhilinfo = new QPushButton(QStringLiteral("Обновить базу с сайта недвижимости"), this);
    bUpdateZhilinfo->setObjectName(QStringLiteral("bUpdateZhilinfo"));
    col->addWidget(bUpdateZhilinfo);
    col->addStretch();

    Results = new THouseResultWindow(this);
    Results->ReadBaseDate = [this] {
        return ReadRealEstateDate(TIniFile(FExeDir + QStringLiteral("/tsivor.ini")));
    };
    connect(Results, &THouseResultWindow::closed, this, [this] {
        if (!sbMap->isChecked()) sbMapClick();
    });
    connect(bAplay, &QPushButton::clicked, this, [this] { bAplayClick(); });
    connect(sbResult, &QToolButton::clicked, this, [this] { sbResultClick(); });
    connect(sbMap, &QToolButton::clicked, this, [this] { sbMapClick(); });
    connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
    connect(bUpdateZhilinfo, &QPushButton::clicked, this, [this] { bUpdateZhilinfoClick(); });
    ConnectionChanged();
}

void TRealEstatePanel::ConnectionChanged() {
    const bool open = FDm.HousesAvailable();
    bAplay->setEnabled(open);
    // The districts are named as the base names them; the first and the last are fixed.
    for (int i = 0; i < 7; ++i) {
        QString name = i == 0   ? QStringLiteral("Центр")
                       : i == 6 ? QStringLiteral("Другой")
                                : QStringLiteral("Район %1").arg(i + 1);
        if (open && i > 0 && i < 6) {
            directory::TQuery q(&FDm.ADOConnection2);
            if (q.Reopen({QStringLiteral("SELECT Name FROM Raion WHERE id = %1").arg(i + 1)}) &&
                q.RecordCount() > 0 && !q.FieldAsString(QStringLiteral("Name")).isEmpty())
                name = q.FieldAsString(QStringLiteral("Name"));
        }
        Districts[size_t(i)]->setText(name);
    }
    if (open) {
        Notice->hide();
    } else {
        const QString why = FDm.HousesError();
        Notice->setText(
            QStringLiteral("Поиск недвижимости недоступен: ") +
            (why.isEmpty() ? QStringLiteral("нет базы объявлений houses/houses.db.") : why));
        Notice->show();
    }
}

directory::TRealEstateFilter TRealEstatePanel::Filter() const {
    directory::TRealEstateFilter f;
    for (int i = 0; i < 4; ++i)
        if (RadioButtons[size_t(i)]->isChecked()) f.Operation = i + 1;
    for (size_t i = 0; i < Districts.size(); ++i) f.Districts[i] = Districts[i]->isChecked();
    for (size_t i = 0; i < Rooms.size(); ++i) f.Rooms[i] = Rooms[i]->isChecked();
    f.Phone = CheckBox17->isChecked();
    f.PriceFrom = ePriceFrom->text();
    f.PriceTo = ePriceTo->text();
    return f;
}

void TRealEstatePanel::bAplayClick() {
    const directory::TRealEstateFilter f = Filter();
    if (const auto problem = directory::RealEstateFilterProblem(f)) {
        platform::ShowMessage(*problem, platform::MessageKind::Warning, this);
        return;
    }
    directory::TQuery& q = FDm.QHouses;
    if (!q.Reopen({directory::Tdm::BuildHousesStatement(directory::BuildRealEstateCondition(f),
                                                        directory::RealEstateOrder())})) {
        platform::ShowMessage(QStringLiteral("Не удалось выполнить поиск недвижимости: ") +
                                  q.LastError(),
                              platform::MessageKind::Error, this);
        return;
    }
    Results->Fill(q);
    sbResultClick();
}

void TRealEstatePanel::sbResultClick() {
    sbResult->setChecked(true);
    if (QWidget* main = window(); main && main != Results) {
        const QRect g = main->geometry();
        const int h = g.height() / 3;
        Results->setGeometry(g.left() + 13, g.top() + g.height() - h - 90, g.width() - 26, h);
    }
    Results->show();
    Results->raise();
}

void TRealEstatePanel::sbMapClick() {
    sbMap->setChecked(true);
    Results->hide();
}

void TRealEstatePanel::Button1Click() {
    OpenFileOrSay(FExeDir + QStringLiteral("/chm/zhilinfo.chm"));
}

void TRealEstatePanel::bUpdateZhilinfoClick() {
    if (platform::Current().AskYesNo(
            QStringLiteral("Запустиь внешний модуль обновления базы недвижимости?"), this) !=
        platform::Answer::Yes) {
        platform::ShowMessage(QStringLiteral("Обновление отменено пользователем"),
                              platform::MessageKind::Information, this);
        return;
    }
    const QString module = FExeDir + QStringLiteral("/update/zhilinfo.exe");
    if (!QFileInfo::exists(module)) {
        platform::ShowMessage(
            QStringLiteral("Модуль обновления отсутствует! Загрузите его с сайта ") +
                QLatin1String(ProjectWebAddress),
            platform::MessageKind::Warning, this);
        return;
    }
    FDm.CloseHouses();
    platform::OpenUrl(module);
    // Not waiting for the module: what it writes is seen at the next start or update.
    FDm.ReconnectHouses(FExeDir);
    ConnectionChanged();
}

bool TRealEstatePanel::eventFilter(QObject* watched, QEvent* event) {
    if ((watched == ePriceFrom || watched == ePriceTo) && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        const QString text = key->text();
        // Digits and control characters (backspace, arrows, shortcuts) pass.
        const bool control = text.isEmpty() || text[0].unicode() < 0x20 ||
                             (key->modifiers() & (Qt::ControlModifier | Qt::AltModifier));
        if (!control && !(text.size() == 1 && text[0] >= u'0' && text[0] <= u'9')) {
            platform::Beep();
            platform::Beep();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace tsivor::app
