#include "app/MapLogos.h"

#include "app/CardFiller.h"
#include "mapview/DataMap.h"
#include "platform/IniFile.h"
#include "platform/Platform.h"

#include <QFile>

#include <algorithm>

namespace tsivor::app {

namespace {

constexpr int PictureLayer = 49, PictureLeaderLayer = 48;
constexpr int IconLayer = 48, IconLeaderLayer = 47;
constexpr int RubricLayer = 56;

const QString LogoLibrary = QStringLiteral("tsivor");

QString Section(int i) {
    return QStringLiteral("Logo") + QString::number(i);
}

int Integer(const platform::TIniDocument& ini, const QString& section, const QString& key) {
    return platform::TIniFile::ParseInteger(ini.Value(section, key).value_or(QString()))
        .value_or(0);
}

int Count(const platform::TIniDocument& ini) {
    return std::max(0, Integer(ini, QStringLiteral("Main"), QStringLiteral("Count")));
}

QString IconName(int orgId) {
    return (QStringLiteral("logo_") + QString::number(orgId)).left(30);
}

} // namespace

TMapLogos::TMapLogos(mapview::TDataMap& map, QString exeDir)
    : FMap(map), FLogoDir(std::move(exeDir) + QStringLiteral("/logo/")) {}

void TMapLogos::PlaceMapLogos() {
    FMapLogos.clear();
    FRubricLogos.clear();
    PlacePictureLogos();
    PlaceIconLogos();
    ReadRubricLogos();
}

void TMapLogos::PlacePictureLogos() {
    const platform::TIniDocument ini = platform::TIniFile::Load(FLogoDir + "logo.ini");
    const int count = Count(ini);
    for (int i = 0; i < count; ++i) {
        const QString s = Section(i);
        int p[10];
        for (int k = 1; k <= 9; ++k) p[k] = Integer(ini, s, QStringLiteral("P%1").arg(k));
        const QString path = FLogoDir + QStringLiteral("logo_%1.bmp").arg(p[9]);
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly)) {
            platform::ShowMessage(QStringLiteral("Не найден ") + path,
                                  platform::MessageKind::Error);
            platform::Beep();
            continue;
        }
        FMap.ClearBuffer();
        mapdata::TORBMapObjectMem& o = FMap.BufferObject();
        o.ObjectType = mapdata::cBitmap;
        mapdata::TORBMapBitmap b;
        b.Corners = {{{float(p[1]), float(p[2])},
                      {float(p[3]), float(p[2])},
                      {float(p[3]), float(p[4])},
                      {float(p[1]), float(p[4])}}};
        b.Format = 0; // BMP
        b.Image = file.readAll();
        FMap.SetBufferBitmap(b);
        o.Layer = PictureLayer;
        o.Category = PictureLogoCategory;
        PostLogo(FMapLogos, p[9]);
        PlaceLeader(QPointF(p[5], p[6]), QPointF(p[7], p[8]), QPointF(p[5], p[6]),
                    PictureLeaderLayer);
    }
}

void TMapLogos::PlaceIconLogos() {
    const platform::TIniDocument ini = platform::TIniFile::Load(FLogoDir + "logo_p.ini");
    const int count = Count(ini);
    for (int i = 0; i < count; ++i) {
        const QString s = Section(i);
        int p[6];
        for (int k = 1; k <= 5; ++k) p[k] = Integer(ini, s, QStringLiteral("P%1").arg(k));
        PlaceNote(QPointF(p[1], p[2]), p[5], IconLogoCategory);
        FMap.BufferObject().Layer = IconLayer;
        PostLogo(FMapLogos, p[5]);
        PlaceLeader(QPointF(p[1], p[2]), QPointF(p[3], p[4]), QPointF(p[3], p[4]), IconLeaderLayer);
    }
}

void TMapLogos::ReadRubricLogos() {
    FRubricPlaces.clear();
    FRubricLogoOrgIds.clear();
    const QString path = FLogoDir + "logo_r.ini";
    const platform::TIniDocument ini = platform::TIniFile::Load(path);
    const int count = Count(ini);
    QString bad;
    for (int i = 0; i < count; ++i) {
        const QString s = Section(i);
        const QString id = ini.Value(s, QStringLiteral("id")).value_or(QStringLiteral("0"));
        FRubricLogoOrgIds += id + u';';
        TRubricPlaces places;
        places.OrgId = platform::TIniFile::ParseInteger(id).value_or(0);
        const int points = Integer(ini, s, QStringLiteral("count"));
        for (int j = 0; j < points; ++j) {
            const QString key = QStringLiteral("p") + QString::number(j);
            const QString text = ini.Value(s, key).value_or(QString());
            if (text.isEmpty()) continue;
            const qsizetype space = text.indexOf(u' ');
            const auto x = platform::TIniFile::ParseFloat(text.left(space));
            const auto y =
                platform::TIniFile::ParseFloat(space < 0 ? QString() : text.mid(space + 1));
            if (!x || !y) {
                // Told once; the other points still show.
                if (bad.isEmpty()) bad = s + u'/' + key + QStringLiteral(" = ") + text;
                continue;
            }
            places.Points.emplace_back(*x, *y);
        }
        if (places.OrgId != 0) FRubricPlaces.push_back(std::move(places));
    }
    if (!bad.isEmpty())
        platform::ShowMessage(QStringLiteral("Неверные координаты логотипа в файле ") + path +
                                  QStringLiteral(": ") + bad,
                              platform::MessageKind::Error);
}

void TMapLogos::RemoveRubricLogos() {
    for (auto it = FRubricLogos.rbegin(); it != FRubricLogos.rend(); ++it)
        if (const int i = IndexOf(*it); i >= 0) FMap.DeleteObject(i, false);
    FRubricLogos.clear();
}

void TMapLogos::PlaceRubricLogos(const QString& resultIds) {
    const QString known = u';' + FRubricLogoOrgIds;
    bool placed = false;
    for (const int n : ParseIdList(resultIds)) {
        if (!known.contains(u';' + QString::number(n) + u';')) continue;
        for (const TRubricPlaces& r : FRubricPlaces) {
            if (r.OrgId != n) continue;
            for (const QPointF& at : r.Points) {
                PlaceNote(at, n, RubricLogoCategory);
                FMap.BufferObject().Layer = RubricLayer;
                PostLogo(FRubricLogos, n);
                placed = true;
            }
        }
    }
    if (!placed) return;
    FMap.MarkDirty();
    FMap.Redraw();
    FMap.update();
}

int TMapLogos::OrganisationOf(int object) {
    const mapdata::TORBMapObjectMem* o = FMap.Object(object);
    if (!o) return 0;
    if (o->Category > RubricLogoCategory) return OrganisationIn(FMapLogos, object);
    if (o->Category == RubricLogoCategory) return OrganisationIn(FRubricLogos, object);
    return 0;
}

int TMapLogos::OrganisationIn(std::vector<TLogoObject>& list, int object) const {
    for (TLogoObject& logo : list)
        if (IndexOf(logo) == object) return logo.OrgId;
    return 0;
}

void TMapLogos::PostLogo(std::vector<TLogoObject>& list, int orgId) {
    const int before = FMap.ObjectCount();
    const int32_t id = FMap.BufferObject().ID;
    FMap.PostBuffer();
    if (FMap.ObjectCount() > before) list.push_back({before, id, orgId});
}

void TMapLogos::PlaceLeader(QPointF a, QPointF b, QPointF dot, int layer) {
    auto black = [&](uint8_t kind) -> mapdata::TORBMapObjectMem& {
        FMap.ClearBuffer();
        mapdata::TORBMapObjectMem& o = FMap.BufferObject();
        o.ObjectType = kind;
        o.Category = 0;
        o.Layer = layer;
        o.Pen.Color = 0;
        o.Pen.Width = 0;
        o.Alpha = 255;
        return o;
    };
    black(mapdata::cLine);
    FMap.SetBufferPoint(0, float(a.x()), float(a.y()));
    FMap.SetBufferPoint(1, float(b.x()), float(b.y()));
    FMap.PostBuffer();
    mapdata::TORBMapObjectMem& o = black(mapdata::cEllipse);
    o.Brush.Color = 0;
    o.Brush.Style = 0; // solid
    const float x = float(dot.x()), y = float(dot.y());
    FMap.SetBufferPoint(0, x - 0.5f, y - 0.5f);
    FMap.SetBufferPoint(1, x + 0.5f, y - 0.5f);
    FMap.SetBufferPoint(2, x + 0.5f, y + 0.5f);
    FMap.SetBufferPoint(3, x - 0.5f, y + 0.5f);
    FMap.PostBuffer();
}

void TMapLogos::PlaceNote(QPointF at, int orgId, int category) {
    FMap.ClearBuffer();
    mapdata::TORBMapObjectMem& o = FMap.BufferObject();
    o.ObjectType = mapdata::cZametka;
    o.Category = category;
    mapdata::TORBMapZametka z;
    z.X = float(at.x());
    z.Y = float(at.y());
    z.NameLib = LogoLibrary;
    z.NamePic = IconName(orgId);
    z.Text = QString::number(orgId) + u';';
    FMap.SetBufferNote(z);
}

int TMapLogos::IndexOf(TLogoObject& logo) const {
    // Deletions only move an object towards the start of the list.
    for (int i = std::min(logo.Index, FMap.ObjectCount() - 1); i >= 0; --i) {
        if (FMap.Object(i)->ID == logo.ID) {
            logo.Index = i;
            return i;
        }
    }
    return -1;
}

} // namespace tsivor::app
