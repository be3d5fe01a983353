#include "mapdata/MapEditor.h"

#include "mapdata/AddressLookup.h"
#include "mapdata/Cp1251.h"
#include "mapdata/Rounding.h"
#include "platform/Platform.h"

#include <QtEndian>

#include <algorithm>
#include <cmath>

namespace tsivor::mapdata {

const char* const kNoObjectInBuffer = "Ошибка ! Нет объекта в буфере редактирования !";

namespace {

constexpr int kHouseLength = 12;
constexpr int kNoteNameLength = 30;

bool Blank(const QString& s) {
    return cp1251::Trim(s).isEmpty();
}

void ShowNoObject() {
    platform::ShowMessage(QString::fromUtf8(kNoObjectInBuffer), platform::MessageKind::Error);
}

} // namespace

TMapEditor::TMapEditor(TMapEditHost& host) : FHost(host) {
    FJournal.OnUndoAction = [this](bool active) { FHost.UndoAction(active); };
}

bool TMapEditor::Refused() const {
    return FBuffer.Object.Locked == 1 && FHost.LockedOption();
}

// ---------------------------------------------------------------------- the buffer

void TMapEditor::ClearBuffer() {
    TMapDocument& doc = Doc();
    FBuffer.Reset();
    TORBMapObjectMem& o = FBuffer.Object;
    o.ID = doc.Header.NextId;
    o.Count = 0;
    FBuffer.CurrentIndex = doc.ObjectCount();
    o.HasAddress = 0;
    o.Locked = 0;
    ApplyNewObjectStyle(o);
    o.ObjectType = FHost.NewObjectType();
    FBuffer.Loaded = true;
    FHost.MarkDirty();
    FHost.AfterAppendObject();
}

void TMapEditor::DecodeIntoBuffer(const TORBMapObjectMem& o) {
    FBuffer.Text = TORBMapText{};
    if (o.ObjectType == cText) o.GetText(FBuffer.Text);
    SetBufferAddress(TAddressLookup(Doc()).DecodeAddress(o));
}

void TMapEditor::LoadBuffer(int index) {
    const TORBMapObjectMem* o = Doc().Object(index);
    if (!o) return;
    FBuffer.CurrentIndex = index;
    FBuffer.Object = std::move(*o->Clone());
    DecodeIntoBuffer(FBuffer.Object);
    FBuffer.Loaded = true;
}

void TMapEditor::ForgetBuffer() {
    FBuffer.Reset();
    FBuffer.Loaded = false;
    FBuffer.CurrentIndex = -1;
}

void TMapEditor::SetBufferAddress(const TAdres& a) {
    FBuffer.Address = a;
    FBuffer.Address.House.truncate(kHouseLength);
    FBuffer.Address.House1.truncate(kHouseLength);
}

void TMapEditor::WriteAddress(TORBMapObjectMem& o) {
    TAdres& a = FBuffer.Address;
    if (Blank(a.Town) && Blank(a.Street) && Blank(a.Street1)) {
        o.Address.reset();
        o.HasAddress = 0;
        return;
    }
    if (!o.Address) o.Address = std::make_unique<TORBMapAddress>();
    if (Blank(a.Street) && !Blank(a.Street1)) {
        a.Street = a.Street1;
        a.House = a.House1;
        a.Street1.clear();
        a.House1.clear();
    }
    TMapDocument& doc = Doc();
    const int names = doc.Streets.Count() + doc.Towns.Count();
    TAddressLookup lookup(doc);
    TORBMapAddress& ad = *o.Address;
    o.HasAddress = 1;
    ad.TownCode = int16_t(lookup.TownCodeOf(a.Town));
    ad.StreetCode = int16_t(lookup.StreetCodeOf(a.Street));
    ad.House = cp1251::FromUnicode(cp1251::Trim(a.House)).left(kHouseLength);
    if (!Blank(a.Street1)) {
        ad.Street1Code = int16_t(lookup.StreetCodeOf(a.Street1));
        ad.House1 = cp1251::FromUnicode(cp1251::Trim(a.House1)).left(kHouseLength);
    } else {
        ad.Street1Code = -1;
        ad.House1.clear();
    }
    // New names are shown by the linked maps too.
    if (doc.Streets.Count() + doc.Towns.Count() != names) FHost.SyncLinkedMaps();
}

void TMapEditor::PostBuffer() {
    if (!FBuffer.Loaded) {
        ShowNoObject();
        return;
    }
    FHost.BeforePostObject();
    TMapDocument& doc = Doc();
    TORBMapObjectMem& b = FBuffer.Object;
    // An object without points or data, or a text without characters, is not written.
    bool write = b.Count != 0;
    if (write && b.ObjectType == cText) {
        TORBMapText t;
        write = b.GetText(t) && !t.Text.isEmpty();
    }
    if (write) {
        doc.CalcObjectBox(b);
        WriteAddress(b);
        if (FBuffer.CurrentIndex >= 0 && FBuffer.CurrentIndex < doc.ObjectCount()) {
            doc.Replace(FBuffer.CurrentIndex, b.Clone());
            FHost.SyncLinkedMaps();
        } else {
            FBuffer.CurrentIndex = doc.ObjectCount();
            if (b.ObjectType == cText || b.ObjectType == cZametka) {
                b.CenterX = b.Box[0].X;
                b.CenterY = b.Box[0].Y;
            } else {
                b.CenterX = (b.Box[0].X + b.Box[2].X) / 2;
                b.CenterY = (b.Box[0].Y + b.Box[2].Y) / 2;
            }
            doc.Append(b.Clone());
            ++doc.Header.NextId;
        }
        // The extent of an empty map is all zero: folding the first object into it would
        // stretch it to the origin.
        if (doc.ObjectCount() == 1)
            doc.RecalcExtent();
        else
            doc.FoldIntoExtent(b);
    }
    FHost.MarkDirty();
    FHost.AfterPostObject();
}

void TMapEditor::CalcBufferBox() {
    Doc().CalcObjectBox(FBuffer.Object);
}

// ---------------------------------------------------------------------- whole objects

void TMapEditor::DeleteObject(int index, bool recalcExtent) {
    TMapDocument& doc = Doc();
    const TORBMapObjectMem* o = doc.Object(index);
    if (!o || (o->Locked == 1 && FHost.LockedOption())) return;
    TORBMapObjectMem plain;
    CopyPlainFields(*o, plain);
    FHost.BeforeDelete(*o);
    doc.Delete(index);
    FHost.ClearSelection();
    if (recalcExtent) doc.RecalcExtent();
    if (FBuffer.CurrentIndex >= doc.ObjectCount()) FBuffer.CurrentIndex = doc.ObjectCount() - 1;
    FHost.MarkDirty();
    FBuffer.Loaded = false;
    FHost.AfterDelete(plain);
    FHost.SyncLinkedMaps();
}

void TMapEditor::CloneBuffer(float dx, float dy) {
    if (!FBuffer.Loaded) {
        ShowNoObject();
        return;
    }
    TMapDocument& doc = Doc();
    const double scale = FHost.Scale();
    const float ox = float(dx * 100 / scale), oy = float(dy * 100 / scale);
    TOrbMapObjectPtr copy = CopyWithNewIds(FBuffer.Object, doc.Header.NextId, ox, oy);
    ClearBuffer();
    FBuffer.Object = std::move(*copy);
    DecodeIntoBuffer(FBuffer.Object);
    PostBuffer();
    FHost.MarkDirty();
}

void TMapEditor::FollowMove(int from, int to) {
    int& cur = FBuffer.CurrentIndex;
    if (cur < 0 || cur >= Doc().ObjectCount()) return;
    if (cur == from)
        cur = to;
    else if (from < to && cur > from && cur <= to)
        --cur;
    else if (to < from && cur >= to && cur < from)
        ++cur;
}

void TMapEditor::MoveObjectToEnd(int index) {
    TMapDocument& doc = Doc();
    const TORBMapObjectMem* o = doc.Object(index);
    if (!FBuffer.Loaded || !o || (o->Locked == 1 && FHost.LockedOption())) return;
    doc.MoveToEnd(index);
    FollowMove(index, doc.ObjectCount() - 1);
    FHost.MarkDirty();
}

void TMapEditor::MoveObjectToStart(int index) {
    TMapDocument& doc = Doc();
    const TORBMapObjectMem* o = doc.Object(index);
    if (!FBuffer.Loaded || !o || (o->Locked == 1 && FHost.LockedOption())) return;
    doc.MoveToStart(index);
    FollowMove(index, 0);
    FHost.MarkDirty();
}

void TMapEditor::GroupObjects(std::vector<int> indices) {
    TMapDocument& doc = Doc();
    std::sort(indices.begin(), indices.end());
    indices.erase(std::unique(indices.begin(), indices.end()), indices.end());
    std::erase_if(indices, [&](int i) { return !doc.Object(i); });
    std::vector<int> grouped;
    for (int i : indices)
        if (doc.Object(i)->Locked == 0) grouped.push_back(i);
    if (grouped.size() < 2) return;
    ArmUndo();
    RecordUndo(indices, uoGroup);

    ClearBuffer();
    TORBMapObjectMem& g = FBuffer.Object;
    g.ObjectType = cGroup;
    g.Count = int32_t(grouped.size());
    g.Children = std::make_unique<TOrbMapList>();
    for (int i : grouped) g.Children->push_back(doc.TakeContent(i));
    PostBuffer();

    const bool indexWasOn = doc.Index.Active();
    doc.Index.SetActive(false);
    for (auto it = grouped.rbegin(); it != grouped.rend(); ++it) DeleteObject(*it, false);
    FHost.ClearSelection();
    doc.Index.SetActive(indexWasOn);
    FHost.MarkDirty();
}

void TMapEditor::UngroupBuffer() {
    TORBMapObjectMem& g = FBuffer.Object;
    if (!FBuffer.Loaded || g.ObjectType != cGroup || g.Locked != 0) return;
    TMapDocument& doc = Doc();
    const bool indexWasOn = doc.Index.Active();
    doc.Index.SetActive(false);
    std::vector<int> collected{FBuffer.CurrentIndex};
    if (g.Children) {
        for (auto& child : *g.Children) {
            doc.Append(std::move(child));
            collected.push_back(doc.ObjectCount() - 1);
        }
    }
    ArmUndo();
    RecordUndo(collected, uoUngroup);
    g.Children.reset();
    g.Count = 0;
    DeleteObject(FBuffer.CurrentIndex, false);
    doc.Index.SetActive(indexWasOn);
    FHost.ClearSelection();
    FHost.MarkDirty();
}

// ---------------------------------------------------------------------- points, text, pictures

bool TMapEditor::GetBufferPoint(int index, float& x, float& y) const {
    TORBMapPoint p;
    if (!FBuffer.Object.GetPoint(index, p)) return false;
    x = p.X;
    y = p.Y;
    return true;
}

void TMapEditor::SetBufferPoint(int index, float x, float y) {
    if (!Refused()) FBuffer.Object.SetPoint(index, {x, y});
}

void TMapEditor::InsertBufferPoint(int index, float x, float y) {
    if (!Refused()) FBuffer.Object.InsertPoint(index, {x, y});
}

void TMapEditor::DeleteBufferPoint(int index) {
    if (!Refused()) FBuffer.Object.DeletePoint(index);
}

bool TMapEditor::GetBufferText(TORBMapText& t) const {
    return FBuffer.Object.GetText(t);
}

void TMapEditor::SetBufferText(const TORBMapText& t) {
    if (FBuffer.Object.ObjectType != cText || Refused()) return;
    FBuffer.Object.SetText(t);
    FBuffer.Text = t;
}

bool TMapEditor::GetBufferNote(TORBMapZametka& z) const {
    return FBuffer.Object.GetZametka(z);
}

void TMapEditor::SetBufferNote(const TORBMapZametka& z) {
    if (FBuffer.Object.ObjectType != cZametka || Refused()) return;
    TORBMapZametka cut = z;
    cut.NameLib.truncate(kNoteNameLength);
    cut.NamePic.truncate(kNoteNameLength);
    FBuffer.Object.SetZametka(cut);
}

bool TMapEditor::GetBufferBitmap(TORBMapBitmap& b) const {
    if (FBuffer.Object.ObjectType != cBitmap || !FBuffer.Object.Bitmap) return false;
    b = *FBuffer.Object.Bitmap;
    return true;
}

void TMapEditor::SetBufferBitmap(const TORBMapBitmap& b) {
    TORBMapObjectMem& o = FBuffer.Object;
    if (o.ObjectType != cBitmap || Refused()) return;
    if (!o.Bitmap) o.Bitmap = std::make_unique<TORBMapBitmap>();
    o.Count = kBitmapHeadSize;
    *o.Bitmap = b;
}

void TMapEditor::FitBitmapToImage(TORBMapBitmap& b) const {
    const float x0 = b.Corners[0].X, y0 = b.Corners[0].Y;
    double w = 0, h = 0;
    if (b.Format == 0) {
        // The information header follows the 14-byte file header.
        if (b.Image.size() < 14 + 40) return;
        const auto* d = reinterpret_cast<const uchar*>(b.Image.constData()) + 14;
        const int32_t width = qFromLittleEndian<int32_t>(d + 4);
        const int32_t height = qFromLittleEndian<int32_t>(d + 8);
        const int32_t xppm = qFromLittleEndian<int32_t>(d + 24);
        const int32_t yppm = qFromLittleEndian<int32_t>(d + 28);
        const double kx = xppm == 0 ? 1.0 : xppm / 1000.0;
        const double ky = yppm == 0 ? 1.0 : yppm / 1000.0;
        w = std::abs(double(width)) / kx;
        h = std::abs(double(height)) / ky;
    } else {
        const QSize size = JpegSize ? JpegSize(b.Image) : QSize();
        if (!size.isValid()) return;
        w = size.width();
        h = size.height();
    }
    const float x2 = float(NearestEven(x0 + w)), y2 = float(NearestEven(y0 + h));
    b.Corners[1] = {x2, y0};
    b.Corners[2] = {x2, y2};
    b.Corners[3] = {x0, y2};
}

// ---------------------------------------------------------------------- journal

void TMapEditor::RecordUndo(int index, int operation) {
    FJournal.Record(Doc(), index, operation, FHost.UndoLevels());
}

void TMapEditor::RecordUndo(const std::vector<int>& indices, int operation) {
    FJournal.Record(Doc(), indices, operation, FHost.UndoLevels());
}

} // namespace tsivor::mapdata
