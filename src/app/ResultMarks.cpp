#include "app/ResultMarks.h"

#include <algorithm>

namespace tsivor::app {

using mapdata::cZametka;
using mapdata::TORBMapObjectMem;
using mapdata::TORBMapZametka;

namespace {

constexpr int PlainLayer = 50;
constexpr int LastHouseCategory = 96; // above: logos

int Rank(TMarkKind k) {
    switch (k) {
    case TMarkKind::File:
        return 2;
    case TMarkKind::Comment:
        return 1;
    default:
        return 0;
    }
}

TMarkKind KindOf(bool hasAttachment, bool hasComment) {
    if (hasAttachment) return TMarkKind::File;
    if (hasComment) return TMarkKind::Comment;
    return TMarkKind::Plain;
}

bool Lists(const QString& text, int orgId) {
    const QString id = QString::number(orgId) + u';';
    return text.startsWith(id) || text.contains(u';' + id);
}

} // namespace

int MarkLayer(TMarkKind kind, bool selected) {
    const int offset = kind == TMarkKind::File ? 1 : kind == TMarkKind::Comment ? 2 : 0;
    return PlainLayer + offset + (selected ? SelectedLayerShift : 0);
}

QString MarkPicture(TMarkKind kind, bool selected) {
    const QString base = kind == TMarkKind::File      ? QStringLiteral("!-1")
                         : kind == TMarkKind::Comment ? QStringLiteral("I-1")
                                                      : QStringLiteral("F-1");
    return selected ? base + QStringLiteral("-B") : base;
}

std::optional<TMarkKind> MarkKindOfLayer(int layer, bool* selected) {
    for (const TMarkKind k : {TMarkKind::Plain, TMarkKind::File, TMarkKind::Comment})
        for (const bool s : {false, true})
            if (MarkLayer(k, s) == layer) {
                if (selected) *selected = s;
                return k;
            }
    return std::nullopt;
}

void FollowRemoval(std::vector<int>& indices, int removed) {
    indices.erase(std::remove(indices.begin(), indices.end(), removed), indices.end());
    for (int& i : indices)
        if (i > removed) --i;
}

TResultMarks::TResultMarks(mapview::TDataMap& map) : FMap(map) {}

TResultMarks::~TResultMarks() = default;

bool TResultMarks::IsMark(int object) const {
    return std::find(FMarks.begin(), FMarks.end(), object) != FMarks.end();
}

bool TResultMarks::LooksLikeMark(int i) const {
    const TORBMapObjectMem* o = FMap.Object(i);
    TORBMapZametka z;
    return o && o->Category == MarkCategory && o->GetZametka(z) && z.NameLib == MarkLibrary;
}

void TResultMarks::OnBeforeFill() {
    if (!FHandling) return;
    FBatch.reset(); // a fill that never finished
    FBatch.emplace(FMap);
    DeleteMarks();
}

void TResultMarks::DeleteMarks() {
    // Highest index first: every note still to go keeps its index while the others leave.
    std::vector<int> order = FMarks;
    std::sort(order.begin(), order.end(), std::greater<int>());
    std::vector<int> blink = FMap.BlinkObjects();
    for (const int m : order) {
        if (!LooksLikeMark(m)) continue; // not ours any more: never delete what we did not post
        FMap.DeleteObject(m, false);
        FollowRemoval(blink, m);
        if (OnObjectDeleted) OnObjectDeleted(m);
    }
    if (blink != FMap.BlinkObjects()) FMap.SetBlinkObjects(blink);
    FHouses.clear();
    FMarks.clear();
    FPositionOfHouse.clear();
}

void TResultMarks::OnHouseMarker(int house, int orgId, bool hasAttachment, bool hasComment) {
    if (!FHandling) return;
    const TORBMapObjectMem* o = FMap.Object(house);
    // An id_map of another map, of no object, or of something that is not a house: no mark.
    if (!o || o->Category > LastHouseCategory || o->ObjectType == cZametka ||
        o->ObjectType == mapdata::cText || IsMark(house))
        return;
    const TMarkKind kind = KindOf(hasAttachment, hasComment);
    if (const auto it = FPositionOfHouse.constFind(house); it != FPositionOfHouse.constEnd())
        AddToMark(*it, orgId, kind);
    else
        NewMark(house, orgId, kind);
}

bool TResultMarks::ChangeNote(
    int i, const std::function<void(TORBMapObjectMem&, TORBMapZametka&)>& change) {
    FMap.LoadBuffer(i);
    TORBMapZametka z;
    if (!FMap.BufferLoaded() || FMap.CurrentIndex() != i || !FMap.GetBufferNote(z)) return false;
    change(FMap.BufferObject(), z);
    FMap.SetBufferNote(z);
    FMap.PostBuffer();
    return true;
}

void TResultMarks::AddToMark(int position, int orgId, TMarkKind kind) {
    ChangeNote(FMarks[size_t(position)], [&](TORBMapObjectMem& o, TORBMapZametka& z) {
        if (!Lists(z.Text, orgId)) z.Text += QString::number(orgId) + u';';
        // The picture and the layer tell the same: the strongest kind of the house.
        const TMarkKind now = MarkKindOfLayer(o.Layer).value_or(TMarkKind::Plain);
        const TMarkKind k = Rank(kind) > Rank(now) ? kind : now;
        z.NamePic = MarkPicture(k, false);
        o.Layer = MarkLayer(k, false);
    });
}

void TResultMarks::NewMark(int house, int orgId, TMarkKind kind) {
    FMap.LoadBuffer(house);
    const float x = FMap.BufferObject().CenterX, y = FMap.BufferObject().CenterY;
    FMap.ClearBuffer();
    TORBMapObjectMem& o = FMap.BufferObject();
    o.ObjectType = cZametka;
    o.Category = MarkCategory;
    TORBMapZametka z;
    z.X = x;
    z.Y = y;
    z.NameLib = MarkLibrary;
    z.NamePic = MarkPicture(kind, false);
    z.Text = QString::number(orgId) + u';';
    FMap.SetBufferNote(z);
    o.Layer = MarkLayer(kind, false);
    const int index = FMap.ObjectCount();
    FMap.PostBuffer();
    if (FMap.ObjectCount() != index + 1) return; // nothing was posted
    FPositionOfHouse.insert(house, int(FHouses.size()));
    FHouses.push_back(house);
    FMarks.push_back(index);
}

void TResultMarks::OnAfterFill() {
    if (!FHandling) return;
    FMap.MarkDirty();
    FBatch.reset(); // one redraw and repaint for the whole result
}

void TResultMarks::SelectMark(int m) {
    QString ids;
    {
        mapview::TDrawingLock lock(FMap);
        for (const int k : FMarks) {
            const TORBMapObjectMem* o = FMap.Object(k);
            bool selected = false;
            const auto kind = o ? MarkKindOfLayer(o->Layer, &selected) : std::nullopt;
            if (!kind || !selected) continue;
            ChangeNote(k, [&](TORBMapObjectMem& mark, TORBMapZametka& z) {
                mark.Layer = MarkLayer(*kind, false);
                z.NamePic = MarkPicture(*kind, false);
            });
        }
        const bool isNote = ChangeNote(m, [&](TORBMapObjectMem& mark, TORBMapZametka& z) {
            ids = z.Text;
            bool selected = false;
            if (const auto kind = MarkKindOfLayer(mark.Layer, &selected); kind && !selected) {
                mark.Layer = MarkLayer(*kind, true);
                z.NamePic = MarkPicture(*kind, true);
            }
        });
        FMap.MarkDirty();
        if (!isNote) return;
    }
    const QString key = QStringLiteral("По адресу") + ids;
    if (CurrentKey && CurrentKey() == key) return;
    if (!ShowByIds) return;
    TPause pause(*this);
    ShowByIds(ids);
}

} // namespace tsivor::app
