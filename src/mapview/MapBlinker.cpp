#include "mapview/MapBlinker.h"

#include "mapview/DataMap.h"

#include <algorithm>

namespace tsivor::mapview {

using mapdata::cZametka;
using mapdata::TORBMapObjectMem;

namespace {
constexpr int kCreationInterval = 750;
} // namespace

TMapBlinker::TMapBlinker(TDataMap& map) : FMap(map) {
    FTimer.setInterval(kCreationInterval);
    QObject::connect(&FTimer, &QTimer::timeout, [this] { Tick(); });
    FTimer.start();
    FMap.Render().BlinkSubstitute = [this](int index) { return Substitute(index); };
}

TMapBlinker::~TMapBlinker() {
    ReleaseBorrowed();
}

void TMapBlinker::Tick() {
    if (FMap.ObjectCount() == 0) {
        FList.clear();
        return;
    }
    if (FList.empty()) return;
    FPhase = !FPhase;
    // Only the blinking objects change: their rectangles are rebuilt, not the frame.
    for (int index : FList) FMap.RedrawObject(index);
}

const TORBMapObjectMem* TMapBlinker::Substitute(int index) {
    if (FList.empty() || std::find(FList.begin(), FList.end(), index) == FList.end())
        return nullptr;
    const TORBMapObjectMem* o = FMap.Object(index);
    if (!o || o->ObjectType == cZametka) return nullptr;
    if (!FPhase) return nullptr; // the off-phase shows the record's own colours
    ReleaseBorrowed();
    // The fixed part of the record is copied; the type data is the record's own.
    FCopy.ID = o->ID;
    FCopy.Reserved1 = o->Reserved1;
    FCopy.Reserved2 = o->Reserved2;
    FCopy.Box = o->Box;
    FCopy.CenterX = o->CenterX;
    FCopy.CenterY = o->CenterY;
    FCopy.Layer = o->Layer;
    FCopy.Category = o->Category;
    FCopy.Locked = o->Locked;
    FCopy.ObjectType = o->ObjectType;
    FCopy.Count = o->Count;
    FCopy.Pen = o->Pen;
    FCopy.Brush = o->Brush;
    FCopy.HasAddress = o->HasAddress;
    FCopy.HasExtra = o->HasExtra;
    FCopy.Height = o->Height;
    FCopy.Alpha = o->Alpha;
    FCopy.Points.reset(o->Points.get());
    FCopy.Block.reset(o->Block.get());
    FCopy.Bitmap.reset(o->Bitmap.get());
    FCopy.Children.reset(o->Children.get());
    FCopy.Address.reset(o->Address.get());
    FCopy.Extra.reset(o->Extra.get());
    FCopy.Pen.Color = InvertedColor(FCopy.Pen.Color);
    FCopy.Brush.Color = InvertedColor(FCopy.Brush.Color);
    if (OnBlinkObject) OnBlinkObject(FCopy, FCopy.Pen, FCopy.Brush);
    return &FCopy;
}

void TMapBlinker::ReleaseBorrowed() {
    (void)FCopy.Points.release();
    (void)FCopy.Block.release();
    (void)FCopy.Bitmap.release();
    (void)FCopy.Children.release();
    (void)FCopy.Address.release();
    (void)FCopy.Extra.release();
}

} // namespace tsivor::mapview
