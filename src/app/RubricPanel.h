#pragma once
// The contents of the "Рубрикатор" tab: the rubric filter edit and the list of rubrics that
// have organisations; and the key handling shared by every search edit.

#include <QObject>
#include <QWidget>

#include <functional>

class QLabel;
class QLineEdit;
class QListWidget;

namespace tsivor::directory {
class Tdm;
class TRubricQueries;
} // namespace tsivor::directory

namespace tsivor::app {

// Installed on a search edit: refuses quote marks, wildcards and the like with a beep when
// typed (pasted text is not a key press and passes), turns Enter into OnEnter and the Down
// arrow into OnDown when those are set.
class TSearchKeyFilter : public QObject {
    Q_OBJECT
public:
    explicit TSearchKeyFilter(QObject* parent = nullptr) : QObject(parent) {}

    std::function<void()> OnEnter; // the main window clicks bMegaFind when it is enabled
    std::function<void()> OnDown;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};

class TRubricPanel : public QWidget {
    Q_OBJECT
public:
    TRubricPanel(directory::Tdm& dm, directory::TRubricQueries& rubrics, QWidget* parent = nullptr);

    // Fills the list from QJumps as it is now (after the rubric lists were opened at start).
    void Reload();

    QLineEdit* eFind1() const { return FEdit; }
    QListWidget* dbBOXFind1() const { return FList; }
    // When the filter leaves a single rubric, chooses it; returns whether it did.
    bool ChooseOnlyRubric();
    TSearchKeyFilter* KeyFilter() const { return FKeys; }

signals:
    // A rubric was chosen in the list; QJumps stands on its row (dbBOXFind1Click follows).
    void rubricChosen();
    // Enter in the filter edit.
    void enterPressed();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FilterChanged(const QString& text);
    void Choose(int row);
    void SetFound(bool found);

    directory::Tdm& FDm;
    directory::TRubricQueries& FRubrics;
    QLabel* FLabel;
    QLineEdit* FEdit;
    QListWidget* FList;
    TSearchKeyFilter* FKeys;
    bool FListKeyDown = false;  // a moving key was pressed while the list had the focus
    bool FTooLongShown = false; // the message about a too long filter was given
};

} // namespace tsivor::app
