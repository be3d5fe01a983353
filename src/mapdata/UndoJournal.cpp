#include "mapdata/UndoJournal.h"

namespace tsivor::mapdata {

void TUndoJournal::Record(TMapDocument& doc, const std::vector<int>& indices, int operation,
                          int levels) {
    if (!FArmed) return;
    if (levels <= 0) {
        Clear();
        return;
    }
    while (!FEntries.empty() && int(FEntries.size()) > levels - 1) FEntries.pop_front();
    TOperationUndo entry;
    entry.Operation = operation;
    for (int index : indices) {
        const TORBMapObjectMem* o = doc.Object(index);
        if (!o) continue;
        entry.Indices.push_back(index);
        entry.Objects.push_back(CopyWithNewIds(*o, doc.Header.NextId));
    }
    FEntries.push_back(std::move(entry));
    if (OnUndoAction) OnUndoAction(!FEntries.empty());
    FArmed = false;
}

void TUndoJournal::Record(TMapDocument& doc, int index, int operation, int levels) {
    if (index < 0 || index >= doc.ObjectCount()) return;
    Record(doc, std::vector<int>{index}, operation, levels);
}

void TUndoJournal::Clear() {
    FEntries.clear();
    if (OnUndoAction) OnUndoAction(false);
}

} // namespace tsivor::mapdata
