#pragma once
// LoadFromStream: reads plain map content of versions 1 to 14 into a document. The steps that
// belong to the view (scale, dirty marks, linked maps, events) are calls on the host, in the order
// the load runs them; TDataMap is the real host.

#include "mapdata/ByteReader.h"
#include "mapdata/MapDocument.h"

#include <QByteArray>
#include <QString>

namespace tsivor::mapdata {

class TMapLoadHost {
public:
    virtual ~TMapLoadHost() = default;

    virtual void ClearUndo() {}                   // step 1
    virtual bool Locked() const { return false; } // step 2: mpLocked, restored at the end
    virtual void SetLocked(bool) {}
    virtual void BeforeLoad() {}                    // OnBeforeLoad, before anything is cleared
    virtual void ClearView() {}                     // blink list, draw lists, selection, scale
    virtual bool SwitchIndexOff() { return false; } // returns whether the index was in use
    virtual void Progress(int /*position*/) {}      // OnProgress, percent of objects read
    // Draws one object for the diagnostic pass; false means drawing failed.
    virtual bool DrawForDiagnostics(const TORBMapObjectMem&) { return true; }
    virtual void RestoreIndex(bool /*wasOn*/) {}
    virtual void ClearSelection() {}
    virtual void ApplyLoadedView() {} // whole map or the header's Scale
    virtual void MarkDirty() {}
    virtual void AfterLoad() {} // OnAfterLoad
    virtual void SyncLinkedMaps() {}
    virtual void CopyMashtabToPrinter(int32_t /*mashtab*/) {}
    // A stage of the load has ended, for the start-up figures.
    virtual void PhaseDone(const char* /*name*/) {}
};

// What a load met on its way; the document itself is always left consistent.
struct TLoadReport {
    int32_t Version = 0;         // the content's version, as found at offset 41
    int ObjectsAnnounced = 0;    // top-level objects the header announces
    int ObjectsRead = 0;         // top-level objects taken into the list
    int ObjectsDropped = 0;      // top-level records abandoned as damaged (bytes consumed)
    bool Truncated = false;      // the content ended before everything announced was read
    bool UnknownVersion = false; // not a version 1..14 content: the map stays empty
    int DiagnosticRemoved = 0;   // objects the diagnostic pass deleted
    QString LogError;            // Russian message when the diagnostic log could not be written

    // Something announced was not read: the map shows only part of the file.
    bool Damaged() const { return Truncated || ObjectsDropped > 0; }
};

// What the user is told after a load: the unknown version or the damage with the objects read
// against those announced; empty when the file loaded whole.
QString LoadReportMessage(const TLoadReport& report);

// Runs the whole load. content is the unscrambled stream; MaxObjects >= 1 limits a version-14
// read. Damaged content never crashes: a record cut by the end of the content is dropped and
// reading stops; a damaged record (a point object without points, a negative count, a group
// nested deeper than 64 levels) is dropped, alone, and reading goes on after it. Layers are
// clamped to -64..64 and a Scale that is not a positive number becomes 100.
// The diagnostic log is a UTF-8 text file.
TLoadReport LoadFromStream(const QByteArray& content, TMapDocument& doc, TMapLoadHost& host,
                           bool writeErrorLog = false, int maxObjects = 0,
                           const QString& errorLogPath = QStringLiteral("errors.log"));

// As LoadFromStream, the content taken through r.
TLoadReport LoadFromReader(TByteReader& r, TMapDocument& doc, TMapLoadHost& host,
                           bool writeErrorLog = false, int maxObjects = 0,
                           const QString& errorLogPath = QStringLiteral("errors.log"));

// MapLoad: reads an envelope file, unscrambles it and loads it, a current-version content as it
// is read. Returns false with a Russian message in error when the file cannot be opened or read
// before anything is loaded; the document is then untouched. A read failing later ends the
// content there, as in a damaged file.
bool MapLoad(const QString& fileName, TMapDocument& doc, TMapLoadHost& host,
             QString* error = nullptr, TLoadReport* report = nullptr);

} // namespace tsivor::mapdata
