#pragma once
// TResultMarks: the organisations of the current result marked on the map. Each marked house
// gets one note of category 50 whose text lists the ids of its organisations ("12;40;"); its
// picture and layer tell whether one of them has an attached file or a comment. The marks of a
// result are placed in one batch with one redraw, and deleted when the next result begins.

#include "mapview/DataMap.h"

#include <QHash>
#include <QString>

#include <functional>
#include <optional>
#include <vector>

namespace tsivor::app {

// What a mark says of the organisations at its house; a file outranks a comment.
enum class TMarkKind { Plain, File, Comment };

constexpr int MarkCategory = 50;
constexpr int SelectedLayerShift = 3;
inline const QString MarkLibrary = QStringLiteral("tsivor");

// Layer 50 plain, 51 with a file, 52 with a comment; a selected mark 3 higher.
int MarkLayer(TMarkKind kind, bool selected);
// "F-1", "!-1", "I-1"; a selected mark with "-B".
QString MarkPicture(TMarkKind kind, bool selected);
// The kind and selection of a mark's layer; nothing for a layer that no mark has.
std::optional<TMarkKind> MarkKindOfLayer(int layer, bool* selected = nullptr);

// After object removed left the map's list: later indices move down by one, the index of
// the object itself is dropped.
void FollowRemoval(std::vector<int>& indices, int removed);

class TResultMarks {
public:
    explicit TResultMarks(mapview::TDataMap& map);
    ~TResultMarks();
    TResultMarks(const TResultMarks&) = delete;
    TResultMarks& operator=(const TResultMarks&) = delete;

    // The fill hooks of the cards list: delete the marks of the previous result and hold the
    // drawing; mark one organisation at one map object; draw the batch once.
    void OnBeforeFill();
    void OnHouseMarker(int house, int orgId, bool hasAttachment, bool hasComment);
    void OnAfterFill();

    bool IsMark(int object) const;
    // A click on mark m: the selected mark goes back, m shows selected, and the cards show
    // the organisations of m unless they are the result on show.
    void SelectMark(int m);

    std::function<QString()> CurrentKey;               // CurrentResultKey
    std::function<void(const QString& ids)> ShowByIds; // the organisations of one mark
    std::function<void(int index)> OnObjectDeleted;    // after each mark note deleted

    // The houses marked for the current result, and the notes that mark them (same order).
    const std::vector<int>& Houses() const { return FHouses; }
    const std::vector<int>& Marks() const { return FMarks; }
    bool Handling() const { return FHandling; }

    // Mark handling off for the guard's lifetime: the cards then show the organisations of
    // one mark while the marks of the result stay.
    class TPause {
    public:
        explicit TPause(TResultMarks& marks) : FMarks(marks), FWas(marks.FHandling) {
            FMarks.FHandling = false;
        }
        ~TPause() { FMarks.FHandling = FWas; }
        TPause(const TPause&) = delete;
        TPause& operator=(const TPause&) = delete;

    private:
        TResultMarks& FMarks;
        bool FWas;
    };

private:
    // Object i is a mark note this class posted (a new map may hold anything there).
    bool LooksLikeMark(int i) const;
    void DeleteMarks();
    void AddToMark(int position, int orgId, TMarkKind kind);
    void NewMark(int house, int orgId, TMarkKind kind);
    // Loads mark i, gives its note to change and posts it; false when i is not a note.
    bool ChangeNote(
        int i,
        const std::function<void(mapdata::TORBMapObjectMem&, mapdata::TORBMapZametka&)>& change);

    mapview::TDataMap& FMap;
    std::vector<int> FHouses;
    std::vector<int> FMarks;
    QHash<int, int> FPositionOfHouse; // house -> position in the two lists
    bool FHandling = true;
    std::optional<mapview::TDrawingLock> FBatch;
};

} // namespace tsivor::app
