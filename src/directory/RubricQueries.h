#pragma once
// Browsing the directory by rubric: the rubric list and its filter, the organisations of one
// or several rubrics, a rubric looked up by name, the start list and the quick rubrics.
// Every producer reopens QMain (whose after-open hook fills the cards) and hands back the key
// and the title of the new result; the caller keeps the key as the current result key and
// shows the title above the cards.

#include "directory/DataModule.h"

#include <QString>

#include <optional>
#include <vector>

namespace tsivor::directory {

struct TDirectoryResult {
    QString Key;   // the new current result key
    QString Title; // text for the title above the cards
    int Rows = 0;  // rows of QMain
};

struct TQuickRubric {
    int Tag;
    QString Image;     // the picture of the quick-rubric panel
    QString Hint;      // also the title of the result
    QString RubricIds; // rubric numbers separated by "/"
};

// The right-hand panel's table, in Tag order 1..11.
const std::vector<TQuickRubric>& QuickRubrics();

class TRubricQueries {
public:
    explicit TRubricQueries(Tdm& dm) : dm_(dm) {}

    // "id_topic" followed by the rubric numbers as given.
    static QString RubricKey(const QString& ids);
    // "Рубрика: " name " (" rows "шт.)".
    static QString RubricTitle(const QString& name, int rows);
    static QString AutoLoadKey() { return QStringLiteral("AutoLoad"); }

    // At start: QJumps and QJumpsAll with every rubric that has organisations, by name.
    bool OpenRubricLists();
    // Reopens QJumps with the rubrics whose names contain the filter's words; true when any
    // was found (the edit then stays black on white, else it beeps and turns red). A filter
    // of more than MaxLikeTerms terms is not searched (FilterTooLong) and QJumps stays.
    bool FilterRubrics(const QString& filter);
    static bool FilterTooLong(const QString& filter);

    // The organisations of rubrics "n/m/..." in QMain, each once. Nothing happens (false) when
    // their key equals currentKey.
    bool LoadRubrics(const QString& ids, const QString& currentKey);
    // The rubric of the current QJumps row; nullopt when it is the result already shown.
    std::optional<TDirectoryResult> ChooseCurrentRubric(const QString& currentKey);
    // A rubric link of a card: looks the name up without regard to case (not found: the first
    // rubric); when it is the result already shown, says so in a message and gives nullopt.
    std::optional<TDirectoryResult> ShowRubricByName(const QString& name,
                                                     const QString& currentKey);
    // The organisations marked for automatic loading, larger marks first. (Logo loading and
    // the result history are the caller's part.)
    TDirectoryResult ShowAutoLoad();
    // A picture of the quick-rubric panel; nullopt for an unknown tag.
    std::optional<TDirectoryResult> ShowQuickRubric(int tag, const QString& currentKey);

    // Opens a query and tells the user when the database refuses it.
    static bool ReopenOrReport(TQuery& q, const QStringList& lines);

private:
    TDirectoryResult Result(const QString& key, const QString& name) const;

    Tdm& dm_;
};

} // namespace tsivor::directory
