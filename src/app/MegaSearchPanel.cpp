#include "app/MegaSearchPanel.h"

#include "app/AppGlobals.h"
#include "app/FindToolsDialog.h"
#include "app/RubricPanel.h"
#include "directory/MegaSearchQueries.h"
#include "platform/Platform.h"

#include <QApplication>
#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>

namespace tsivor::app {

namespace {

using directory::TCriterion;

// The hourglass for as long as a count or a search runs.
class TWaitCursor {
public:
    TWaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~TWaitCursor() { QApplication::restoreOverrideCursor(); }
    TWaitCursor(const TWaitCursor&) = delete;
    TWaitCursor& operator=(const TWaitCursor&) = delete;
};

struct TEditSpec {
    TCriterion Criterion;
    const char* Name;
    const char* Label;
    int MaxLength; // 0: the edit's own limit
};

constexpr TEditSpec kEdits[] = {
    {TCriterion::Keyword, "eKEYword", "Ключевое слово:", 0},
    {TCriterion::Name, "eName", "Название:", 0},
    {TCriterion::Rubric, "eRubrica", "Рубрика:", 0},
    {TCriterion::Street, "eStreet", "Улица:", 0},
    {TCriterion::House, "eHouse", "№ дома", 0},
    {TCriterion::Phone, "ePhone", "Телефон:", 7},
    {TCriterion::Mail, "eMail", "E-Mail:", 7},
    {TCriterion::WWW, "eWWW", "WWW:", 7},
};

void SetTextColour(QWidget* w, const QColor& c) {
    QPalette p = w->palette();
    p.setColor(QPalette::WindowText, c);
    w->setPalette(p);
}

} // namespace

TMegaSearchPanel::TMegaSearchPanel(directory::Tdm& dm, const QString& iniPath, QWidget* parent)
    : QWidget(parent), FDm(dm), FQueries(std::make_unique<directory::TMegaSearchQueries>(dm)),
      FKeys(new TSearchKeyFilter(this)) {
    setObjectName(QStringLiteral("MegaSearchPanel"));
    QFont small(QStringLiteral("Arial"), 8);
    setFont(small);
    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(3, 3, 3, 3);
    grid->setHorizontalSpacing(3);
    grid->setVerticalSpacing(2);

    QLabel* labels[directory::CriterionCount] = {};
    for (const TEditSpec& spec : kEdits) {
        auto* e = new QLineEdit(this);
        e->setObjectName(QLatin1String(spec.Name));
        if (spec.MaxLength > 0) e->setMaxLength(spec.MaxLength);
        e->installEventFilter(FKeys);
        auto* l = new QLabel(QString::fromUtf8(spec.Label), this);
        l->setBuddy(e);
        labels[int(spec.Criterion)] = l;
        FEdits[size_t(spec.Criterion)] = e;
        connect(e, &QLineEdit::textChanged, this, [this] { eNameChange(); });
    }
    // The keyword stands out: bold black on a pale green.
    QLineEdit* keyword = Edit(TCriterion::Keyword);
    QFont bold = keyword->font();
    bold.setBold(true);
    keyword->setFont(bold);
    QPalette kp = keyword->palette();
    kp.setColor(QPalette::Base, QColor(0xC0, 0xDC, 0xC0));
    kp.setColor(QPalette::Text, Qt::black);
    keyword->setPalette(kp);

    sFindTools = new QToolButton(this);
    sFindTools->setObjectName(QStringLiteral("sFindTools"));
    sFindTools->setText(QStringLiteral("…"));
    sFindTools->setToolTip(QStringLiteral("Тонкая настройка поисковой системы"));
    sFindTools->setCheckable(true);
    cbPhone = new QCheckBox(QStringLiteral("Поиск по подстроке"), this);
    cbPhone->setObjectName(QStringLiteral("cbPhone"));
    Label14 = new QLabel(directory::NoFilterLabel(), this);
    Label14->setObjectName(QStringLiteral("Label14"));
    lSuggest = new QLabel(this);
    lSuggest->setObjectName(QStringLiteral("lSuggest"));
    lSuggest->setTextFormat(Qt::RichText);
    lSuggest->setWordWrap(true);
    lSuggest->hide();
    connect(lSuggest, &QLabel::linkActivated, this,
            [this](const QString& link) { TakeSuggestion(link); });
    bMegaFind = new QPushButton(directory::NoFilterButton(), this);
    bMegaFind->setObjectName(QStringLiteral("bMegaFind"));
    bMegaFind->setEnabled(false);
    bClear = new QPushButton(QStringLiteral("Очистить"), this);
    bClear->setObjectName(QStringLiteral("bClear"));
    bClear->setEnabled(false);

    auto row = [&](int r, TCriterion c) {
        grid->addWidget(labels[int(c)], r, 0);
        grid->addWidget(Edit(c), r, 1, 1, 3);
    };
    row(0, TCriterion::Keyword);
    grid->addWidget(sFindTools, 0, 4);
    row(1, TCriterion::Name);
    row(2, TCriterion::Rubric);
    grid->addWidget(labels[int(TCriterion::Street)], 3, 0);
    grid->addWidget(Edit(TCriterion::Street), 3, 1);
    grid->addWidget(labels[int(TCriterion::House)], 3, 2);
    grid->addWidget(Edit(TCriterion::House), 3, 3, 1, 2);
    grid->addWidget(labels[int(TCriterion::Phone)], 4, 0);
    grid->addWidget(Edit(TCriterion::Phone), 4, 1);
    grid->addWidget(cbPhone, 4, 2, 1, 3);
    grid->addWidget(labels[int(TCriterion::Mail)], 5, 0);
    grid->addWidget(Edit(TCriterion::Mail), 5, 1);
    grid->addWidget(labels[int(TCriterion::WWW)], 5, 2);
    grid->addWidget(Edit(TCriterion::WWW), 5, 3, 1, 2);
    grid->addWidget(Label14, 6, 0, 1, 5);
    grid->addWidget(lSuggest, 7, 0, 1, 5);
    grid->addWidget(bMegaFind, 8, 0, 1, 3);
    grid->addWidget(bClear, 8, 3, 1, 2);
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(3, 1);
    grid->setRowStretch(9, 1);

    FindTools = new TFindToolsDialog(iniPath, this);
    connect(sFindTools, &QToolButton::toggled, this, [this](bool down) {
        if (down)
            FindTools->show();
        else
            FindTools->close();
    });
    connect(FindTools, &TFindToolsDialog::closed, this, [this] { sFindTools->setChecked(false); });
    connect(FindTools, &TFindToolsDialog::confirmed, this, [this] { eNameChange(); });

    connect(cbPhone, &QCheckBox::clicked, this, [this] { eNameChange(); });
    connect(bMegaFind, &QPushButton::clicked, this, [this] { bMegaFindClick(); });
    connect(bClear, &QPushButton::clicked, this, [this] { bClearClick(); });
    FKeys->OnEnter = [this] {
        if (bMegaFind->isEnabled()) bMegaFind->click();
    };
}

TMegaSearchPanel::~TMegaSearchPanel() = default;

directory::TSearchCriteria TMegaSearchPanel::Criteria() const {
    directory::TSearchCriteria c;
    for (int i = 0; i < directory::CriterionCount; ++i)
        c.Text[size_t(i)] = FEdits[size_t(i)]->text();
    c.PhoneSubstring = cbPhone->isChecked();
    c.KeywordColumns = FindTools->Current();
    return c;
}

void TMegaSearchPanel::ShowVerdict(const directory::TMegaVerdict& v) {
    Label14->setText(v.Label);
    bMegaFind->setText(v.Button);
    bMegaFind->setEnabled(v.Enabled);
}

void TMegaSearchPanel::ShowSuggestions(const directory::TSearchCriteria& criteria, int count) {
    // Only a search that found nothing looks for other words, so typing stays quick.
    FSuggestions.clear();
    if (count == 0 && !criteria.Empty()) FSuggestions = FQueries->Suggest(criteria);
    if (FSuggestions.empty()) {
        lSuggest->hide();
        return;
    }
    QStringList links;
    for (size_t i = 0; i < FSuggestions.size(); ++i)
        links << QStringLiteral("<a href=\"%1\">%2</a> (%3)")
                     .arg(i)
                     .arg(FSuggestions[i].Word.toHtmlEscaped())
                     .arg(FSuggestions[i].Count);
    lSuggest->setText(QStringLiteral("Может быть: ") + links.join(QStringLiteral(", ")));
    lSuggest->show();
}

void TMegaSearchPanel::TakeSuggestion(const QString& link) {
    bool ok = false;
    const size_t i = size_t(link.toInt(&ok));
    if (!ok || i >= FSuggestions.size()) return;
    const directory::TSearchSuggestion s = FSuggestions[i]; // the edit's change replaces them
    Edit(s.Criterion)->setText(s.Criteria);
    Edit(s.Criterion)->setFocus();
}

void TMegaSearchPanel::eNameChange() {
    if (!Globals().StartPageClosed) {
        lSuggest->hide();
        Label14->setText(directory::NoFilterLabel());
        bMegaFind->setText(directory::NoFilterButton());
        bMegaFind->repaint();
        bMegaFind->setEnabled(false);
        return;
    }
    bClear->setEnabled(true);
    const directory::TSearchCriteria criteria = Criteria();
    FSearchCondition = directory::BuildSearchCondition(criteria);
    if (!FindTools->Current().Preview) {
        lSuggest->hide();
        // Without the count the search is offered for any criteria; it counts when pressed.
        ShowVerdict({directory::NoFilterLabel(),
                     criteria.Empty() ? directory::NoFilterButton() : QStringLiteral("Найти"),
                     !criteria.Empty(), true});
        return;
    }
    TWaitCursor wait;
    const int n = FQueries->Count(criteria);
    FLastCount = n;
    const directory::TMegaVerdict v = directory::JudgeMegaCount(criteria, n);
    SetTextColour(Label14, v.Found ? QColor(0x00, 0x80, 0x80) : QColor(Qt::red));
    if (!v.Found) platform::Beep();
    ShowVerdict(v);
    ShowSuggestions(criteria, n);
}

void TMegaSearchPanel::bMegaFindClick() {
    const directory::TSearchCriteria criteria = Criteria();
    TWaitCursor wait;
    if (!FindTools->Current().Preview) {
        // The count was not shown while typing: a result the button would refuse is refused now.
        const int n = FQueries->Count(criteria);
        const directory::TMegaVerdict v = directory::JudgeMegaCount(criteria, n);
        if (!v.Enabled) {
            platform::Beep();
            ShowVerdict(v);
            return;
        }
    }
    const directory::TDirectoryResult r = FQueries->Search(criteria);
    if (OnResult) OnResult(r);
}

void TMegaSearchPanel::bClearClick() {
    for (QLineEdit* e : FEdits) e->clear();
    bClear->setEnabled(false);
}

} // namespace tsivor::app
