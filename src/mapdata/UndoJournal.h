#pragma once
// TUndoJournal: the states of objects before a user's change, newest last. It is only
// recorded; the host learns through OnUndoAction whether anything is held.

#include "mapdata/MapDocument.h"

#include <deque>
#include <functional>
#include <vector>

namespace tsivor::mapdata {

// Operation codes of the entries.
enum TUndoOperation : int {
    uoChange = 0,      // an existing object before a change
    uoDelete = 1,      // the object before deletion
    uoAppend = 2,      // a new object after posting
    uoGroup = 4,       // the objects to be grouped
    uoUngroup = 5,     // the group and the objects that replace it
    uoMoveToEnd = 6,   // the object before moving to the end of the list
    uoMoveToStart = 7, // the object before moving to position 0
};

struct TOperationUndo {
    int Operation = 0;
    std::vector<int> Indices;
    TOrbMapList Objects; // deep copies made when the entry was recorded, parallel to Indices
};

class TUndoJournal {
public:
    // Arms recording for one user action: the next Record makes one entry and disarms.
    void Arm() { FArmed = true; }
    // A click on empty ground: the next change is no longer journaled.
    void Disarm() { FArmed = false; }
    bool Armed() const { return FArmed; }

    // Only when armed. levels 0 keeps no journal; at the limit the oldest entries go. The
    // copies take new IDs from the document's NextId. Indices outside the list are left out.
    void Record(TMapDocument& doc, const std::vector<int>& indices, int operation, int levels);
    // The single-index form; nothing for an index outside the list.
    void Record(TMapDocument& doc, int index, int operation, int levels);
    // Releases every entry and tells OnUndoAction(false).
    void Clear();

    const std::deque<TOperationUndo>& Entries() const { return FEntries; }
    bool Empty() const { return FEntries.empty(); }

    std::function<void(bool Active)> OnUndoAction;

private:
    std::deque<TOperationUndo> FEntries;
    bool FArmed = false;
};

} // namespace tsivor::mapdata
