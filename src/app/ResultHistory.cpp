#include "app/ResultHistory.h"

namespace tsivor::app {

void TResultHistory::Clear() {
    FItems.clear();
    FLast = -1;
    FPos = -1;
    FRecording = true;
    FFillSaved = false;
    Changed();
}

void TResultHistory::ResetPositions() {
    FLast = -1;
    FPos = -1;
    Changed();
}

void TResultHistory::Save(const TResultSnapshot& now) {
    if (FLast < 0) return;
    if (int(FItems.size()) <= FLast) FItems.resize(FLast + 1);
    TNavigatorHistoryItem& e = FItems[FLast];
    e.ResultIds = now.ResultIds;
    e.ExpandedFlags = now.ExpandedFlags;
    e.ResultKey = now.ResultKey;
    if (FLast > MaxIndex) {
        FItems.erase(FItems.begin()); // the oldest is dropped
        --FLast;
    }
    FPos = FLast;
    Changed();
}

void TResultHistory::BeforeFill(const TResultSnapshot& now) {
    FFillSaved = false;
    if (!FRecording) return;
    if (FPos != FLast) ++FLast;
    if (FLast >= 0 && now.CardCount > 0) {
        Save(now);
        FItems[FLast].ResultTitle = now.Title;
    }
}

void TResultHistory::AfterFill(const TResultSnapshot& now) {
    if (!FRecording || now.CardCount == 0) return;
    ++FLast;
    Save(now);
    FFillSaved = true;
}

void TResultHistory::ResultShown(const QString& key) {
    if (FFillSaved && FLast >= 0 && FLast < int(FItems.size())) FItems[FLast].ResultKey = key;
    FFillSaved = false;
}

const TNavigatorHistoryItem* TResultHistory::Previous(const QString& currentTitle) {
    if (FLast >= 0 && FLast < int(FItems.size())) FItems[FLast].ResultTitle = currentTitle;
    const TNavigatorHistoryItem* target = nullptr;
    if (FPos > 0 && FPos - 1 < int(FItems.size())) {
        --FPos;
        target = &FItems[FPos];
    }
    Changed();
    return target;
}

const TNavigatorHistoryItem* TResultHistory::Next() {
    const TNavigatorHistoryItem* target = nullptr;
    if (FPos < FLast && FPos + 1 < int(FItems.size())) {
        ++FPos;
        target = &FItems[FPos];
    }
    Changed();
    return target;
}

QString TResultHistory::PrevHint() const {
    return PrevEnabled() && FPos - 1 < int(FItems.size()) ? FItems[FPos - 1].ResultTitle
                                                          : QString();
}

QString TResultHistory::NextHint() const {
    return NextEnabled() && FPos + 1 < int(FItems.size()) ? FItems[FPos + 1].ResultTitle
                                                          : QString();
}

void TResultHistory::Changed() {
    if (OnChanged) OnChanged();
}

} // namespace tsivor::app
