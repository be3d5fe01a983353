#include "OsmMapBuilder.h"

#include "MapStyle.h"

#include "mapdata/Cp1251.h"
#include "mapdata/MapContentReader.h"
#include "mapdata/MapLabel.h"

#include <QHash>

#include <algorithm>
#include <cmath>
#include <limits>
#include <span>

namespace tsivor::importosm {

using namespace mapdata;

namespace {

using namespace sample; // colours, categories and label sizes of the generated maps

constexpr uint8_t kBrushClear = 1, kPenClear = 5, kPenDash = 1;

struct TRoadStyle {
    float Width; // metres
    int Layer;
    TColor Color;
    bool Casing;
    uint8_t PenStyle;
};

TRoadStyle RoadStyle(TRoadClass c) {
    switch (c) {
    case TRoadClass::Motorway:
        return {22, 6, Rgb(240, 170, 120), true, 0};
    case TRoadClass::Trunk:
        return {18, 5, Rgb(250, 200, 140), true, 0};
    case TRoadClass::Primary:
        return {15, 4, Rgb(252, 224, 150), true, 0};
    case TRoadClass::Secondary:
        return {13, 3, Rgb(255, 240, 180), true, 0};
    case TRoadClass::Tertiary:
        return {11, 2, Rgb(255, 255, 255), true, 0};
    case TRoadClass::Residential:
        return {8, 1, Rgb(255, 255, 255), true, 0};
    case TRoadClass::Service:
        return {4.5f, 0, Rgb(252, 250, 240), false, 0};
    case TRoadClass::Pedestrian:
        return {6, 0, Rgb(236, 232, 244), true, 0};
    case TRoadClass::Path:
        return {1.5f, -1, Rgb(170, 120, 90), false, kPenDash};
    case TRoadClass::Other:
        break;
    }
    return {4, 0, Rgb(255, 255, 255), false, 0};
}

// Rivers, canals and streams (the waterway's class) in metres.
float WaterwayWidth(TRoadClass c) {
    static const float kWidths[] = {18, 10, 3};
    return kWidths[std::min<int>(int(c), 2)];
}

// A name is written along or inside its object only where the object is this much longer.
bool RoomFor(float room, float textWidth) {
    return room >= textWidth * 1.2f;
}

// Points of interest are icons of organisations: as the map's icon logos they show only while
// the view is closer than logo_p, so that a dense town stays readable at the whole-town view.
constexpr int kCatScaledIcon = 98;

float Distance(TORBMapPoint a, TORBMapPoint b) {
    return std::hypot(b.X - a.X, b.Y - a.Y);
}

// Ray casting; the ring need not repeat its first point.
bool Inside(std::span<const TORBMapPoint> ring, TORBMapPoint p) {
    bool in = false;
    for (size_t i = 0, j = ring.size() - 1; i < ring.size(); j = i++) {
        const TORBMapPoint a = ring[i], b = ring[j];
        if ((a.Y > p.Y) != (b.Y > p.Y) && p.X < (b.X - a.X) * (p.Y - a.Y) / (b.Y - a.Y) + a.X)
            in = !in;
    }
    return in;
}

// Area centroid of a ring; the mean of its points when it has no area.
TORBMapPoint Centroid(const std::vector<TORBMapPoint>& r) {
    double a = 0, cx = 0, cy = 0;
    for (size_t i = 0, j = r.size() - 1; i < r.size(); j = i++) {
        const double f = double(r[j].X) * r[i].Y - double(r[i].X) * r[j].Y;
        a += f;
        cx += (r[j].X + r[i].X) * f;
        cy += (r[j].Y + r[i].Y) * f;
    }
    if (std::abs(a) < 1e-6) {
        double x = 0, y = 0;
        for (const TORBMapPoint& p : r) {
            x += p.X;
            y += p.Y;
        }
        return {float(x / double(r.size())), float(y / double(r.size()))};
    }
    return {float(cx / (3 * a)), float(cy / (3 * a))};
}

// The map objects of one building feature: its outer rings, one after the other.
struct THouses {
    int Feature, First, Count;
};

// Buildings by 50-metre cell, for the house of a point. The outlines are those of the houses on
// the map (each building's first), so a grid lives no longer than the map it was made from. One
// sorted list of cell and building, without a container per cell: a town has many cells.
class TBuildingGrid {
public:
    static constexpr float kCell = 50;

    TBuildingGrid(const TMapDocument& doc, std::vector<THouses> houses)
        : doc_(doc), houses_(std::move(houses)) {
        for (size_t i = 0; i < houses_.size(); ++i) {
            // Houses have no pen width: the box is that of the outline.
            const auto& box = doc_.Objects[size_t(houses_[i].First)]->Box;
            const float minX = box[0].X, minY = box[0].Y, maxX = box[2].X, maxY = box[2].Y;
            // A huge outline (a factory site) is looked at from every cell it covers; bounded
            // so that a damaged one cannot blow the grid up.
            const int x0 = Cell(minX), x1 = std::min(Cell(maxX), x0 + 200);
            const int y0 = Cell(minY), y1 = std::min(Cell(maxY), y0 + 200);
            for (int x = x0; x <= x1; ++x)
                for (int y = y0; y <= y1; ++y) cells_.push_back({Key(x, y), uint32_t(i)});
        }
        // Within a cell the buildings keep the order they were added in.
        std::sort(cells_.begin(), cells_.end());
        cells_.shrink_to_fit();
    }

    const std::vector<THouses>& Houses() const { return houses_; }

    // The houses of the building that holds the point, or null.
    const THouses* Find(TORBMapPoint p) const {
        const TCell from{Key(Cell(p.X), Cell(p.Y)), 0};
        for (auto it = std::lower_bound(cells_.begin(), cells_.end(), from);
             it != cells_.end() && it->Key == from.Key; ++it)
            if (Inside(Ring(it->House), p)) return &houses_[it->House];
        return nullptr;
    }

    // The houses of a building feature, or null.
    const THouses* OfFeature(int feature) const {
        const auto it = std::lower_bound(houses_.begin(), houses_.end(), feature,
                                         [](const THouses& h, int f) { return h.Feature < f; });
        return it != houses_.end() && it->Feature == feature ? &*it : nullptr;
    }

private:
    struct TCell {
        quint64 Key;
        uint32_t House;
        auto operator<=>(const TCell&) const = default;
    };
    std::span<const TORBMapPoint> Ring(size_t house) const {
        const TORBMapObjectMem& o = *doc_.Objects[size_t(houses_[house].First)];
        return {o.Points.get(), size_t(o.Count)};
    }
    static int Cell(float v) { return int(std::floor(v / kCell)); }
    static quint64 Key(int x, int y) { return quint64(uint32_t(x)) << 32 | uint32_t(y); }

    const TMapDocument& doc_;
    std::vector<THouses> houses_; // by feature
    std::vector<TCell> cells_;
};

// Builds the objects in drawing order; every object is appended to the document as made.
class TObjectMaker {
public:
    explicit TObjectMaker(TMapDocument& doc) : doc_(doc) {}

    TORBMapObjectMem& Shape(TObjectType type, const std::vector<TORBMapPoint>& pts, int layer,
                            int category, TORBMapPen pen, TORBMapBrush brush) {
        auto o = New(type, layer, category);
        o->Count = int32_t(pts.size());
        o->Points = std::make_unique<TORBMapPoint[]>(pts.size());
        std::copy(pts.begin(), pts.end(), o->Points.get());
        o->Pen = pen;
        o->Brush = brush;
        return Add(std::move(o));
    }

    // A label centred on a point and turned along dir, never upside down.
    void Label(const QString& text, TORBMapPoint centre, TORBMapPoint dir, float size, TColor color,
               int layer, int category, uint8_t font = 0) {
        auto o = New(cText, layer, category);
        o->SetText(LabelAlong(doc_, text, centre, dir, size, font));
        o->Pen.Color = color;
        o->Brush.Style = kBrushClear;
        Add(std::move(o));
    }

    void Note(const QString& text, TORBMapPoint at, int picture) {
        auto o = New(cZametka, 30, kCatScaledIcon);
        o->SetZametka({at.X, at.Y, QStringLiteral("Default"), QString::number(picture), text});
        Add(std::move(o));
    }

    TORBMapObjectMem& Add(TOrbMapObjectPtr o) { return AppendObject(doc_, std::move(o)); }

    int NextId() const { return nextId_; }

private:
    TOrbMapObjectPtr New(TObjectType type, int layer, int category) {
        auto o = std::make_unique<TORBMapObjectMem>();
        o->ID = nextId_++;
        o->ObjectType = type;
        o->Layer = layer;
        o->Category = category;
        return o;
    }

    TMapDocument& doc_;
    int nextId_ = 1;
};

} // namespace

TOsmMapBuilder::TOsmMapBuilder(TOsmExtract& extract, QString townName)
    : FExtract(extract), FTownName(std::move(townName)) {}

TORBMapPoint TOsmMapBuilder::Map(TOsmPoint p) const {
    const TORBMapPoint m = FProjection.ToMap(p.Lon(), p.Lat());
    return {m.X + FOffsetX, m.Y + FOffsetY};
}

// The plane touches the earth at the middle of the data; the map starts 100 m inside its
// corner so that every coordinate is positive.
void TOsmMapBuilder::Project() {
    int32_t minX = std::numeric_limits<int32_t>::max(), maxX = std::numeric_limits<int32_t>::min();
    int32_t minY = minX, maxY = maxX;
    auto fold = [&](TOsmPoint p) {
        minX = std::min(minX, p.X);
        maxX = std::max(maxX, p.X);
        minY = std::min(minY, p.Y);
        maxY = std::max(maxY, p.Y);
    };
    for (const TOsmFeature& f : FExtract.Features)
        for (const TOsmRing& r : f.Rings)
            for (const TOsmPoint& p : r) fold(p);
    for (const TOsmOrganisation& o : FExtract.Organisations) fold(o.At);
    for (const TOsmPlace& p : FExtract.Places) fold(p.At);
    if (minX > maxX) minX = maxX = minY = maxY = 0;
    const TOsmPoint centre{int32_t((int64_t(minX) + maxX) / 2),
                           int32_t((int64_t(minY) + maxY) / 2)};
    FProjection = TLocalProjection(centre.Lon(), centre.Lat());
    const TORBMapPoint corner = FProjection.ToMap(minX * 1e-7, maxY * 1e-7);
    FOffsetX = 100 - corner.X;
    FOffsetY = 100 - corner.Y;
}

void TOsmMapBuilder::Build(TMapDocument& doc) {
    doc.Clear();
    Project();
    TObjectMaker make(doc);

    // ---- header and name tables ----
    TORBMapHeader& h = doc.Header;
    h.Caption = QStringLiteral("Цивор");
    h.Version = 14;
    h.NameMap = MapName(FTownName);
    h.CreatedBy = QStringLiteral("Данные © участники OpenStreetMap, лицензия ODbL");
    h.Mashtab = TLocalProjection::kMashtab;
    h.Date = TodayAsDateTime();
    doc.Towns.Add(cp1251::Upper(h.NameMap), 0);
    h.NextTownCode = 1;
    QHash<QString, int16_t> codes; // upper-case name -> street code
    int16_t nextCode = 0;
    auto code = [&](const QString& name) -> int16_t {
        if (name.isEmpty()) return -1;
        const QString key = cp1251::Key(MapName(name)).left(kNameMaxLength);
        if (key.isEmpty()) return -1;
        if (const auto it = codes.constFind(key); it != codes.constEnd()) return *it;
        if (nextCode == std::numeric_limits<int16_t>::max()) return -1; // the table is full
        codes.insert(key, nextCode);
        doc.Streets.Add(key, nextCode);
        return nextCode++;
    };
    auto address = [&](TORBMapObjectMem& o, const TOsmAddress& a, const TOsmAddress& a2) {
        const int16_t street = code(a.Street);
        if (street < 0) return;
        o.HasAddress = 1;
        o.Address = std::make_unique<TORBMapAddress>();
        o.Address->TownCode = 0;
        o.Address->StreetCode = street;
        o.Address->House = cp1251::FromUnicode(MapName(a.House)).left(12);
        if (const int16_t s1 = code(a2.Street); s1 >= 0 && !a2.House.isEmpty()) {
            o.Address->Street1Code = s1;
            o.Address->House1 = cp1251::FromUnicode(MapName(a2.House)).left(12);
        }
    };

    // ---- the ground ----
    {
        TORBMapPoint lo{FOffsetX, FOffsetY}, hi = lo;
        for (const TOsmFeature& f : FExtract.Features)
            for (const TOsmRing& r : f.Rings)
                for (const TOsmPoint& p : r) {
                    const TORBMapPoint m = Map(p);
                    lo = {std::min(lo.X, m.X), std::min(lo.Y, m.Y)};
                    hi = {std::max(hi.X, m.X), std::max(hi.Y, m.Y)};
                }
        make.Shape(cPolygon,
                   {{lo.X - 50, lo.Y - 50},
                    {hi.X + 50, lo.Y - 50},
                    {hi.X + 50, hi.Y + 50},
                    {lo.X - 50, hi.Y + 50}},
                   -64, kCatNone, {Rgb(200, 190, 170), kPenClear, 0, 0}, {Rgb(242, 239, 233), 0});
    }

    std::vector<TORBMapPoint> pts;
    auto ring = [&](const TOsmRing& r) -> const std::vector<TORBMapPoint>& {
        pts.clear();
        pts.reserve(r.size());
        for (const TOsmPoint& p : r) pts.push_back(Map(p));
        return pts;
    };

    // ---- areas, lowest first ----
    struct TAreaStyle {
        TFeatureKind Kind;
        int Layer, Category;
        TColor Fill, Outline;
    };
    static const TAreaStyle kAreas[] = {
        {TFeatureKind::Landuse, -60, kCatBlock, Rgb(232, 226, 222), Rgb(214, 208, 204)},
        {TFeatureKind::Forest, -52, kCatPark, Rgb(172, 208, 158), Rgb(140, 180, 128)},
        {TFeatureKind::Park, -50, kCatPark, Rgb(200, 234, 180), Rgb(160, 200, 140)},
        {TFeatureKind::Square, -46, kCatBlock, Rgb(226, 222, 236), Rgb(190, 186, 200)},
        {TFeatureKind::Water, -40, kCatWater, Rgb(166, 206, 240), Rgb(110, 160, 210)},
    };
    for (const TAreaStyle& s : kAreas)
        for (const TOsmFeature& f : FExtract.Features) {
            if (f.Kind != s.Kind) continue;
            const bool industrial = f.Kind == TFeatureKind::Landuse && f.Industrial;
            for (const TOsmRing& r : f.Rings)
                make.Shape(cPolygon, ring(r), s.Layer, industrial ? kCatIndustry : s.Category,
                           {s.Outline, 0, 0, 0}, {industrial ? Rgb(222, 214, 226) : s.Fill, 0});
        }

    // ---- lines: water, rails, streets ----
    for (const TOsmFeature& f : FExtract.Features) {
        if (f.Kind != TFeatureKind::Waterway) continue;
        make.Shape(cLine, ring(f.Rings.front()), -38, kCatWater,
                   {Rgb(140, 190, 236), 0, WaterwayWidth(f.Road), 0}, {0, kBrushClear});
    }
    for (const TOsmFeature& f : FExtract.Features) {
        if (f.Kind != TFeatureKind::Railway) continue;
        const auto& line = ring(f.Rings.front());
        make.Shape(cLine, line, 7, kCatTransport, {Rgb(90, 90, 90), 0, 4, kPenSquareEnds},
                   {0, kBrushClear});
        make.Shape(cLine, line, 7, kCatTransport, {Rgb(255, 255, 255), kPenDash, 2, kPenSquareEnds},
                   {0, kBrushClear});
    }
    for (const TOsmFeature& f : FExtract.Features) {
        if (f.Kind != TFeatureKind::Street) continue;
        const TRoadStyle s = RoadStyle(f.Road);
        auto& o = make.Shape(cLine, ring(f.Rings.front()), s.Layer, kCatStreet,
                             {s.Color, s.PenStyle, s.Width, s.Casing ? kPenCasing : 0},
                             {Rgb(160, 150, 140), 0});
        // "Find street" lands on a street addressed without a house number.
        if (!f.Name.isEmpty()) address(o, {f.Name, {}}, {});
    }

    // ---- buildings ----
    // Their outlines move into the map, where the grid finds them.
    std::vector<THouses> houses;
    for (size_t i = 0; i < FExtract.Features.size(); ++i) {
        TOsmFeature& f = FExtract.Features[i];
        if (f.Kind != TFeatureKind::Building) continue;
        const TColor fill = f.Wooden ? Rgb(214, 186, 150) : Rgb(218, 208, 200);
        const int first = doc.ObjectCount();
        for (const TOsmRing& r : f.Rings)
            make.Shape(cPolygon, ring(r), 10, f.Wooden ? kCatWoodenBuilding : kCatBuilding,
                       {Rgb(170, 150, 140), 0, 0, 0}, {fill, 0})
                .Height = f.Height;
        houses.push_back({int(i), first, doc.ObjectCount() - first});
        f.Rings = {};
    }
    const TBuildingGrid grid(doc, std::move(houses));
    // Address points inside a building: its address when it has none, else a second one on
    // another street (a corner house).
    for (const TOsmAddressPoint& a : FExtract.AddressPoints) {
        const THouses* b = grid.Find(Map(a.At));
        if (!b) continue;
        TOsmFeature& f = FExtract.Features[size_t(b->Feature)];
        if (f.Address.Empty())
            f.Address = a.Address;
        else if (f.Address2.Empty() &&
                 cp1251::Key(a.Address.Street) != cp1251::Key(f.Address.Street))
            f.Address2 = a.Address;
    }
    for (const THouses& b : grid.Houses()) {
        const TOsmFeature& f = FExtract.Features[size_t(b.Feature)];
        for (int k = 0; k < b.Count; ++k)
            address(*doc.Objects[size_t(b.First + k)], f.Address, f.Address2);
    }
    // Each organisation in a building, or standing in one, belongs to that house.
    for (TOsmOrganisation& o : FExtract.Organisations) {
        const THouses* b = o.Building >= 0 ? grid.OfFeature(o.Building) : grid.Find(Map(o.At));
        if (!b) continue;
        if (o.Address.Empty()) o.Address = FExtract.Features[size_t(b->Feature)].Address;
        o.MapObject = b->First;
    }

    // ---- labels ----
    // Streets: one label per way long enough to carry it, at the middle of its length.
    QHash<QString, std::vector<TORBMapPoint>> labelled; // where each street is labelled
    for (const TOsmFeature& f : FExtract.Features) {
        if (f.Name.isEmpty() ||
            (f.Kind != TFeatureKind::Street && f.Kind != TFeatureKind::Waterway))
            continue;
        const auto& line = ring(f.Rings.front());
        float length = 0;
        for (size_t k = 1; k < line.size(); ++k) length += Distance(line[k - 1], line[k]);
        const bool water = f.Kind == TFeatureKind::Waterway;
        const float size = StreetLabelSize(water ? WaterwayWidth(f.Road) : RoadStyle(f.Road).Width);
        const QString text = MapName(f.Name);
        const float textWidth = float(doc.MeasureText(text, 0, size).width());
        if (!RoomFor(length, textWidth)) continue;
        float walked = 0;
        for (size_t k = 1; k < line.size(); ++k) {
            const float seg = Distance(line[k - 1], line[k]);
            if (walked + seg >= length / 2 && seg > 0) {
                const float t = (length / 2 - walked) / seg;
                const TORBMapPoint at{line[k - 1].X + (line[k].X - line[k - 1].X) * t,
                                      line[k - 1].Y + (line[k].Y - line[k - 1].Y) * t};
                // Neighbouring pieces of one street share a label.
                auto& near = labelled[text];
                if (std::none_of(near.begin(), near.end(),
                                 [&](TORBMapPoint p) { return Distance(p, at) < 400; })) {
                    near.push_back(at);
                    make.Label(text, at, {line[k].X - line[k - 1].X, line[k].Y - line[k - 1].Y},
                               size, water ? Rgb(40, 90, 160) : Rgb(40, 40, 40), 20,
                               water ? kCatWater : kCatStreet);
                }
                break;
            }
            walked += seg;
        }
    }
    // Named parks and water areas in their middle, where they are wide enough for the name.
    for (const TOsmFeature& f : FExtract.Features) {
        if (f.Name.isEmpty() || (f.Kind != TFeatureKind::Park && f.Kind != TFeatureKind::Water &&
                                 f.Kind != TFeatureKind::Forest && f.Kind != TFeatureKind::Square))
            continue;
        const auto& outline = ring(f.Rings.front());
        const auto [left, right] =
            std::minmax_element(outline.begin(), outline.end(),
                                [](TORBMapPoint a, TORBMapPoint b) { return a.X < b.X; });
        const QString text = MapName(f.Name);
        if (!RoomFor(right->X - left->X, float(doc.MeasureText(text, 0, kAreaLabelSize).width())))
            continue;
        const bool water = f.Kind == TFeatureKind::Water;
        make.Label(text, Centroid(outline), {1, 0}, kAreaLabelSize,
                   water ? Rgb(40, 90, 160) : Rgb(40, 90, 40), 21, water ? kCatWater : kCatPark);
    }
    // Districts, and the town itself.
    for (const TOsmPlace& p : FExtract.Places) {
        const bool town = p.Kind == u"city" || p.Kind == u"town" || p.Kind == u"village";
        const bool district =
            p.Kind == u"suburb" || p.Kind == u"quarter" || p.Kind == u"neighbourhood";
        if (!town && !district) continue;
        make.Label(MapName(p.Name), Map(p.At), {1, 0},
                   town                  ? 40
                   : p.Kind == u"suburb" ? 28
                                         : 18,
                   Rgb(110, 80, 120), 22, kCatDistrict, 1);
    }

    // ---- notes: points of interest by kind ----
    for (const TOsmOrganisation& o : FExtract.Organisations)
        if (o.IsPoint) make.Note(MapName(o.Title), Map(o.At), o.Picture);

    doc.RecalcExtent();
    const TMapExtent& e = doc.Extent;
    h.NextId = make.NextId();
    // About a thousand pixels across for the whole town.
    h.Scale = std::max(1.0, std::floor(100000.0 / std::max(1.0f, e.MaxX - e.MinX)));
    h.XWind = e.MinX;
    h.YWind = e.MinY;
    h.NextStreetCode = nextCode;
}

} // namespace tsivor::importosm
