#pragma once
// The contents of the "Мегапоиск" tab: eight criteria edits, the live count under them, the
// search button that shows 1 to 400 organisations as cards, "Очистить", and the button of the
// search tuning window.

#include "directory/MegaSearch.h"
#include "directory/SearchSuggestions.h"

#include <QWidget>

#include <array>
#include <functional>
#include <memory>
#include <vector>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QToolButton;

namespace tsivor::directory {
class Tdm;
class TMegaSearchQueries;
struct TDirectoryResult;
} // namespace tsivor::directory

namespace tsivor::app {

class TFindToolsDialog;
class TSearchKeyFilter;

class TMegaSearchPanel : public QWidget {
    Q_OBJECT
public:
    // iniPath: tsivor.ini, which the tuning window reads at creation and writes on "Ок".
    TMegaSearchPanel(directory::Tdm& dm, const QString& iniPath, QWidget* parent = nullptr);
    ~TMegaSearchPanel() override;

    // The evaluation, on every change of a criterion, a click of cbPhone, the tab becoming
    // active and the tuning confirmed.
    void eNameChange();
    void bMegaFindClick();
    void bClearClick();

    // The criteria as the edits and the tuning window hold them now.
    directory::TSearchCriteria Criteria() const;
    // The condition of the last evaluation: empty or beginning with " and ".
    QString SearchCondition() const { return FSearchCondition; }
    // The last count shown (-1 before any).
    int LastCount() const { return FLastCount; }
    directory::TMegaSearchQueries& Queries() { return *FQueries; }

    QLineEdit* Edit(directory::TCriterion c) const { return FEdits[size_t(c)]; }
    QCheckBox* cbPhone;
    QLabel* Label14;
    QLabel* lSuggest; // "Может быть: ..." with clickable words, only after a count of 0
    QPushButton* bMegaFind;
    QPushButton* bClear;
    QToolButton* sFindTools;
    TFindToolsDialog* FindTools; // created with the panel, shown by sFindTools

    // The search opened QMain (the cards are filled): take its key and title.
    std::function<void(const directory::TDirectoryResult&)> OnResult;

private:
    void ShowVerdict(const directory::TMegaVerdict& v);
    void ShowSuggestions(const directory::TSearchCriteria& criteria, int count);
    void TakeSuggestion(const QString& link);

    directory::Tdm& FDm;
    std::unique_ptr<directory::TMegaSearchQueries> FQueries;
    std::array<QLineEdit*, directory::CriterionCount> FEdits{};
    TSearchKeyFilter* FKeys;
    QString FSearchCondition;
    int FLastCount = -1;
    std::vector<directory::TSearchSuggestion> FSuggestions;
};

} // namespace tsivor::app
