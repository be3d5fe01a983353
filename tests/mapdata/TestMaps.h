#pragma once
// Small map documents built in memory, shared by the map file tests and the fuzz seed corpus.

#include "mapdata/MapLoader.h"

#include <QStringList>

#include <set>
#include <utility>
#include <vector>

namespace tsivor::mapdata::testmaps {

TOrbMapObjectPtr PointObject(int type, int id, std::vector<TORBMapPoint> points);
inline TOrbMapObjectPtr Polygon(int id, std::vector<TORBMapPoint> points) {
    return PointObject(cPolygon, id, std::move(points));
}
TOrbMapObjectPtr Text(int id, float x, float y, const QString& text, float size = 12,
                      int angle = 0);
TOrbMapObjectPtr Note(int id, float x, float y, const QString& lib, const QString& pic,
                      const QString& text);
TOrbMapObjectPtr Bitmap(int id, const QByteArray& image, std::array<TORBMapPoint, 4> corners = {});
TOrbMapObjectPtr Group(int id, std::vector<TOrbMapObjectPtr> children);
void SetAddress(TORBMapObjectMem& o, int16_t town, int16_t street, const QString& house,
                int16_t street1 = -1, const QString& house1 = {});

// A document with a header filled in, two streets and one town.
TMapDocument Document(std::vector<TOrbMapObjectPtr> objects = {});
// n simple addressed squares.
TMapDocument ManySquares(int n);
// A document with every object type, an address and an extra block.
TMapDocument EveryType();

// Plain content pieces for hand-made damaged files.
QByteArray HeaderBytes(int32_t version, int32_t objectCount, int32_t streetCount = 0,
                       int32_t townCount = 0);
QByteArray NameEntry(int16_t code, const QByteArray& name);

// The seed files of the load fuzzer: (file name, plain content).
std::vector<std::pair<QString, QByteArray>> SeedCorpus();

// Records the load's calls on its host in order.
class RecordingHost : public TMapLoadHost {
public:
    void ClearUndo() override { calls << "ClearUndo"; }
    bool Locked() const override { return locked; }
    void SetLocked(bool on) override {
        calls << (on ? "SetLocked(1)" : "SetLocked(0)");
        locked = on;
    }
    void BeforeLoad() override { calls << "BeforeLoad"; }
    void ClearView() override { calls << "ClearView"; }
    bool SwitchIndexOff() override {
        calls << "SwitchIndexOff";
        return indexOn;
    }
    void Progress(int position) override {
        calls << "Progress";
        progress.push_back(position);
    }
    bool DrawForDiagnostics(const TORBMapObjectMem& o) override {
        return failingIds.count(o.ID) == 0;
    }
    void RestoreIndex(bool wasOn) override {
        calls << (wasOn ? "RestoreIndex(1)" : "RestoreIndex(0)");
    }
    void ClearSelection() override { calls << "ClearSelection"; }
    void ApplyLoadedView() override { calls << "ApplyLoadedView"; }
    void MarkDirty() override { calls << "MarkDirty"; }
    void AfterLoad() override { calls << "AfterLoad"; }
    void SyncLinkedMaps() override { calls << "SyncLinkedMaps"; }
    void CopyMashtabToPrinter(int32_t m) override {
        calls << "CopyMashtabToPrinter";
        mashtab = m;
    }

    QStringList calls;
    std::vector<int> progress;
    std::set<int> failingIds;
    bool locked = true;
    bool indexOn = true;
    int32_t mashtab = -1;
};

} // namespace tsivor::mapdata::testmaps
