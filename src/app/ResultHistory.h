#pragma once
// The history of directory results behind the previous / next buttons of the cards list.

#include <QString>

#include <functional>
#include <vector>

namespace tsivor::app {

struct TNavigatorHistoryItem {
    QString ResultIds;     // the card's FOrgId each followed by ";"
    QString ExpandedFlags; // "1" or "0" per card
    QString ResultKey;
    QString ResultTitle;
};

// What the list shows now, as the history needs it.
struct TResultSnapshot {
    QString ResultIds;
    QString ExpandedFlags;
    int CardCount = 0;
    QString ResultKey;
    QString Title; // the text of sbLabel
};

class TResultHistory {
public:
    static constexpr int MaxIndex = 20; // 21 entries

    // Empties the history; the positions go to -1 and recording is on.
    void Clear();
    void ResetPositions(); // both positions to -1, entries kept (the start list)

    // OnBeforeFill and OnAfterFill of every result.
    void BeforeFill(const TResultSnapshot& now);
    void AfterFill(const TResultSnapshot& now);

    // The producer of the result just filled names its key once the query is open; the entry
    // recorded for that fill keeps it (the fill itself still saw the key of the result before).
    void ResultShown(const QString& key);

    // The entry to restore, or nullptr when there is none in that direction.
    const TNavigatorHistoryItem* Previous(const QString& currentTitle);
    const TNavigatorHistoryItem* Next();
    // Brackets the restoring of an entry: its fill is not recorded.
    void SetRecording(bool on) { FRecording = on; }

    bool PrevEnabled() const { return FPos > 0; }
    bool NextEnabled() const { return FPos < FLast; }
    QString PrevHint() const;
    QString NextHint() const;

    int HistoryLast() const { return FLast; }
    int HistoryPos() const { return FPos; }
    bool HistoryRecording() const { return FRecording; }
    int Size() const { return int(FItems.size()); }
    const TNavigatorHistoryItem& Entry(int i) const { return FItems[i]; }

    // Called after every change of the positions, for the buttons.
    std::function<void()> OnChanged;

private:
    void Save(const TResultSnapshot& now);
    void Changed();

    std::vector<TNavigatorHistoryItem> FItems;
    int FLast = -1;
    int FPos = -1;
    bool FRecording = true;
    bool FFillSaved = false; // the last fill recorded entry FLast
};

} // namespace tsivor::app
