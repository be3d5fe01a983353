#include "app/HouseResultWindow.h"

#include "directory/Query.h"
#include "directory/RealEstateSearch.h"
#include "platform/Platform.h"

#include <QCloseEvent>
#include <QHeaderView>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace tsivor::app {

namespace {

struct TGridColumn {
    const char* Field;
    const char* Title;
    int Width;
};
constexpr TGridColumn kColumns[] = {
    {"Operations.Name", "Раздел", 55},
    {"Raion.Name", "Район", 50},
    {"Adr", "Адрес", 129},
    {"Rooms1", "Комнат", 56},
    {"FF", "Этаж", 38},
    {"Square", "Площадь", 70},
    {"Plane", "План.", 32},
    {"Sanuzel", "С/У", 24},
    {"Balcon", "Б", 17},
    {"Phone", "Тел.", 27},
    {"Summa1", "Цена, т.р.", 54},
    {"Comment", "Комментарии", 169},
    {"ContactPhone", "Контактный тел.", 109},
    {"DateIn", "Дата подачи", 73},
    {"An.Name", "Агенство", 193},
    {"an1", "Адрес АН", 154},
    {"an2", "Телефоны", 265},
};

} // namespace

THouseResultWindow::THouseResultWindow(QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::WindowStaysOnTopHint) {
    setObjectName(QStringLiteral("fHouseResult"));
    setFont(QFont(QStringLiteral("Arial"), 8));
    auto* col = new QVBoxLayout(this);
    col->setContentsMargins(2, 2, 2, 2);
    Memo1 = new QPlainTextEdit(this);
    Memo1->setObjectName(QStringLiteral("Memo1"));
    Memo1->setReadOnly(true);
    Memo1->setFixedHeight(38);
    Memo1->setPlainText(
        QStringLiteral("Объявления взяты с сайта недвижимости города. По вопросам их достоверности "
                       "обращайтесь к подавшим объявления агентствам и частным лицам."));
    QPalette p = Memo1->palette();
    p.setColor(QPalette::Text, Qt::blue);
    Memo1->setPalette(p);
    col->addWidget(Memo1);
    DBGrid1 = new QTableWidget(this);
    DBGrid1->setObjectName(QStringLiteral("DBGrid1"));
    DBGrid1->setColumnCount(int(std::size(kColumns)));
    for (int i = 0; i < int(std::size(kColumns)); ++i) {
        DBGrid1->setHorizontalHeaderItem(
            i, new QTableWidgetItem(QString::fromUtf8(kColumns[i].Title)));
        DBGrid1->setColumnWidth(i, kColumns[i].Width);
    }
    DBGrid1->setSelectionBehavior(QAbstractItemView::SelectRows);
    DBGrid1->setSelectionMode(QAbstractItemView::SingleSelection);
    DBGrid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    DBGrid1->verticalHeader()->setDefaultSectionSize(18);
    col->addWidget(DBGrid1, 1);
    auto* bottom = new QWidget(this);
    bottom->setFixedHeight(28);
    Label1 = new QLabel(bottom);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->move(4, 6);
    bSelectAll = new QPushButton(QStringLiteral("Отметить ВСЕХ на карте"), bottom);
    bSelectAll->setObjectName(QStringLiteral("bSelectAll"));
    bHouseSearch = new QPushButton(QStringLiteral("Найти адрес на карте"), bottom);
    bHouseSearch->setObjectName(QStringLiteral("bHouseSearch"));
    bHouseResultClose = new QPushButton(QStringLiteral("Закрыть"), bottom);
    bHouseResultClose->setObjectName(QStringLiteral("bHouseResultClose"));
    col->addWidget(bottom);
    connect(bSelectAll, &QPushButton::clicked, this, [this] { bSelectAllClick(); });
    connect(bHouseSearch, &QPushButton::clicked, this, [this] { bHouseSearchClick(); });
    connect(bHouseResultClose, &QPushButton::clicked, this, [this] { close(); });
    connect(DBGrid1, &QTableWidget::cellDoubleClicked, this, [this] { bHouseSearchClick(); });
}

void THouseResultWindow::Fill(const directory::TQuery& houses) {
    DBGrid1->clearContents();
    DBGrid1->setRowCount(houses.RecordCount());
    FAddresses.assign(size_t(houses.RecordCount()), QString());
    std::vector<int> fields;
    for (const TGridColumn& c : kColumns)
        fields.push_back(houses.FieldIndex(QLatin1String(c.Field)));
    const int address = houses.FieldIndex(QStringLiteral("Adr"));
    for (int r = 0; r < houses.RecordCount(); ++r) {
        for (size_t c = 0; c < fields.size(); ++c)
            DBGrid1->setItem(r, int(c),
                             new QTableWidgetItem(houses.Value(r, fields[c]).toString()));
        FAddresses[size_t(r)] = houses.Value(r, address).toString();
    }
    if (houses.RecordCount() > 0) DBGrid1->selectRow(0);
    Label1->setText(directory::RealEstateCountText(houses.RecordCount()));
    Label1->adjustSize();
}

void THouseResultWindow::bHouseSearchClick() {
    if (MarkObjects) MarkObjects({});
    const int row = DBGrid1->currentRow();
    const int object = row >= 0 && size_t(row) < FAddresses.size() && FindAddress
                           ? FindAddress(FAddresses[size_t(row)])
                           : -1;
    if (object < 0) {
        platform::Beep();
        return;
    }
    if (ShowObject) ShowObject(object);
}

void THouseResultWindow::bSelectAllClick() {
    std::vector<int> objects;
    if (FindAddress)
        for (const QString& a : FAddresses)
            if (const int o = FindAddress(a); o >= 0) objects.push_back(o);
    if (MarkObjects) MarkObjects(objects);
}

void THouseResultWindow::showEvent(QShowEvent* e) {
    setWindowTitle(QStringLiteral("Недвижимость -> Результаты поиска (база за ") +
                   (ReadBaseDate ? ReadBaseDate() : QString()) + u')');
    QWidget::showEvent(e);
}

void THouseResultWindow::closeEvent(QCloseEvent* e) {
    QWidget::closeEvent(e);
    emit closed();
}

void THouseResultWindow::resizeEvent(QResizeEvent* e) {
    QWidget::resizeEvent(e);
    PlaceButtons();
}

void THouseResultWindow::PlaceButtons() {
    // Kept at their distances from the right edge whatever the width.
    const int w = width() - 4;
    bSelectAll->setGeometry(w - 365, 2, 140, 24);
    bHouseSearch->setGeometry(w - 221, 2, 135, 24);
    bHouseResultClose->setGeometry(w - 82, 2, 75, 24);
}

} // namespace tsivor::app
