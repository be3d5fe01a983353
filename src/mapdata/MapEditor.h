#pragma once
// TMapEditor: every change of the map document — the edit buffer and its posting, deleting,
// cloning, reordering, grouping — with the undo journal. The view side (events, dirty marks,
// linked maps, selection) is reached through TMapEditHost, which TDataMap implements.

#include "mapdata/EditBuffer.h"
#include "mapdata/MapDocument.h"
#include "mapdata/UndoJournal.h"

#include <QByteArray>
#include <QSize>

#include <functional>
#include <vector>

namespace tsivor::mapdata {

class TMapEditHost {
public:
    virtual ~TMapEditHost() = default;
    virtual TMapDocument& Document() = 0;
    virtual bool LockedOption() const { return false; } // mpLocked
    virtual int UndoLevels() const { return 20; }
    virtual uint8_t NewObjectType() const { return cPolygon; } // from the current tool
    virtual double Scale() const { return 100; }
    virtual void MarkDirty() {}
    virtual void SyncLinkedMaps() {}
    virtual void ClearSelection() {} // SelectedObject False, FSelectedObjects empty
    virtual void AfterAppendObject() {}
    virtual void BeforePostObject() {}
    virtual void AfterPostObject() {}
    virtual void BeforeDelete(const TORBMapObjectMem&) {}
    virtual void AfterDelete(const TORBMapObjectMem&) {} // plain fields only
    virtual void UndoAction(bool /*active*/) {}
};

// "Ошибка ! Нет объекта в буфере редактирования !"
extern const char* const kNoObjectInBuffer;

class TMapEditor {
public:
    explicit TMapEditor(TMapEditHost& host);

    TEditBuffer& Buffer() { return FBuffer; }
    const TEditBuffer& Buffer() const { return FBuffer; }
    TUndoJournal& Journal() { return FJournal; }

    void ClearBuffer();
    // 0 <= index < ObjectCount; anything else leaves the buffer as it is.
    void LoadBuffer(int index);
    // Replaces the object CurrentIndex, or appends when CurrentIndex is ObjectCount.
    void PostBuffer();
    // Loading or clearing the map: nothing in the buffer.
    void ForgetBuffer();

    void DeleteObject(int index, bool recalcExtent);
    // Appends a copy of the buffer object moved by (dx, dy) pixels.
    void CloneBuffer(float dx, float dy);

    bool GetBufferPoint(int index, float& x, float& y) const;
    void SetBufferPoint(int index, float x, float y);
    void InsertBufferPoint(int index, float x, float y);
    void DeleteBufferPoint(int index);
    bool GetBufferText(TORBMapText& t) const;
    void SetBufferText(const TORBMapText& t);
    bool GetBufferNote(TORBMapZametka& z) const;
    void SetBufferNote(const TORBMapZametka& z);
    bool GetBufferBitmap(TORBMapBitmap& b) const;
    void SetBufferBitmap(const TORBMapBitmap& b);
    // Corners 1 to 3 from corner 0 and the picture's size.
    void FitBitmapToImage(TORBMapBitmap& b) const;
    std::function<QSize(const QByteArray&)> JpegSize; // installed by the view
    // The address texts posted with the object; House and House1 are cut to 12 characters.
    void SetBufferAddress(const TAdres& a);
    void CalcBufferBox();

    // The loaded buffer's object index to the end of the list (drawn above the rest of its
    // layer) / to position 0 (drawn below).
    void MoveObjectToEnd(int index);
    void MoveObjectToStart(int index);
    void GroupObjects(std::vector<int> indices);
    void UngroupBuffer();

    // Journal: arm for one user action, record when armed, clear.
    void ArmUndo() { FJournal.Arm(); }
    void DisarmUndo() { FJournal.Disarm(); }
    void RecordUndo(int index, int operation);
    void RecordUndo(const std::vector<int>& indices, int operation);
    void ClearUndo() { FJournal.Clear(); }

private:
    TMapDocument& Doc() { return FHost.Document(); }
    const TMapDocument& Doc() const { return FHost.Document(); }
    bool Refused() const; // the buffer's object is locked while mpLocked is on
    void DecodeIntoBuffer(const TORBMapObjectMem& o);
    void WriteAddress(TORBMapObjectMem& o);
    // Keeps CurrentIndex on the buffer's object when the list is reordered.
    void FollowMove(int from, int to);

    TMapEditHost& FHost;
    TEditBuffer FBuffer;
    TUndoJournal FJournal;
};

} // namespace tsivor::mapdata
