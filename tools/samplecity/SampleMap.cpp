#include "SampleMap.h"

#include "MapStyle.h"
#include "SampleArt.h"
#include "SampleParts.h"

#include "mapdata/Cp1251.h"
#include "mapdata/MapEnvelope.h"
#include "mapdata/MapLabel.h"
#include "mapdata/MapWriter.h"
#include "mapview/HouseNumbers.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QHash>

#include <algorithm>
#include <cmath>
#include <optional>

namespace tsivor::sample {
namespace {

using namespace tsivor::mapdata;

TColor Shade(TColor c, double f) {
    auto part = [&](int shift) {
        return std::clamp(int(std::lround(((c >> shift) & 0xFF) * f)), 0, 255);
    };
    return Rgb(part(0), part(8), part(16));
}

// Colours of the map, 0x00BBGGRR.
constexpr TColor kLand = Rgb(242, 238, 228);
constexpr TColor kBlock = Rgb(234, 228, 216);
constexpr TColor kPark = Rgb(176, 216, 160);
constexpr TColor kTree = Rgb(96, 156, 84);
constexpr TColor kWater = Rgb(156, 200, 236);
constexpr TColor kBank = Rgb(80, 130, 190);
constexpr TColor kStreet = Rgb(255, 255, 255);
constexpr TColor kCasing = Rgb(150, 150, 150);
constexpr TColor kLabel = Rgb(40, 40, 40);
constexpr float kCloseLabelSize = 5; // street names shown from about scale 100
constexpr float kBlockEdge = 12;     // open ground of a block starts this far from its edge

struct Vec {
    float X, Y;
};

class SampleMapBuilder {
public:
    explicit SampleMapBuilder(const CityPlan& plan)
        : plan_(plan), houseBoxes_(HouseBoxes(plan)), plainBlocks_(PlainBlocks(plan)) {}

    void Build(TMapDocument& doc) {
        doc_ = &doc;
        doc.Clear();
        MakeHeaderAndTables();
        Background();
        Districts();
        Blocks();
        River();
        Areas();
        Streets();
        Railway();
        Houses();
        Labels();
        Notes();
        Pictures();
        doc.RecalcExtent();
        FinishHeader();
    }

private:
    // ---- object construction ----
    TOrbMapObjectPtr New(TObjectType type, int layer, int category) {
        auto o = std::make_unique<TORBMapObjectMem>();
        o->ID = nextId_++;
        o->ObjectType = type;
        o->Layer = layer;
        o->Category = category;
        o->Alpha = 255;
        return o;
    }

    static void SetPoints(TORBMapObjectMem& o, const std::vector<PlanPoint>& pts) {
        o.Count = int(pts.size());
        o.Points = std::make_unique<TORBMapPoint[]>(pts.size());
        for (size_t i = 0; i < pts.size(); ++i) o.Points[i] = {pts[i].X, pts[i].Y};
    }

    TOrbMapObjectPtr Shape(TObjectType type, const std::vector<PlanPoint>& pts, int layer,
                           int category, TORBMapPen pen, TORBMapBrush brush) {
        auto o = New(type, layer, category);
        SetPoints(*o, pts);
        o->Pen = pen;
        o->Brush = brush;
        return o;
    }

    TOrbMapObjectPtr Ellipse(float cx, float cy, float rx, float ry, int layer, int category,
                             TORBMapPen pen, TORBMapBrush brush) {
        return Shape(
            cEllipse,
            {{cx - rx, cy - ry}, {cx + rx, cy - ry}, {cx + rx, cy + ry}, {cx - rx, cy + ry}}, layer,
            category, pen, brush);
    }

    TOrbMapObjectPtr Text(const QString& text, Vec anchor, float size, int angle, TColor color,
                          int layer, int category, uint8_t font = 0) {
        auto o = New(cText, layer, category);
        TORBMapText t;
        t.X = anchor.X;
        t.Y = anchor.Y;
        t.Angle = angle;
        t.FontIndex = font;
        t.Size = size;
        t.Text = text;
        o->SetText(t);
        o->ObjectType = cText;
        o->Layer = layer;
        o->Category = category;
        o->Pen.Color = color;
        o->Brush.Style = 1; // no box behind the letters
        return o;
    }

    TOrbMapObjectPtr Group(std::vector<TOrbMapObjectPtr> children, int layer, int category) {
        auto g = New(cGroup, layer, category);
        g->Children = std::make_unique<TOrbMapList>();
        for (auto& c : children) g->Children->push_back(std::move(c));
        g->Count = int(g->Children->size());
        return g;
    }

    void Add(TOrbMapObjectPtr o) { AppendObject(*doc_, std::move(o)); }

    void SetAddress(TORBMapObjectMem& o, const QString& street, const QString& house,
                    const QString& street1 = {}, const QString& house1 = {}) {
        auto a = std::make_unique<TORBMapAddress>();
        a->TownCode = 0;
        a->StreetCode = int16_t(streetCodes_.value(street, -1));
        a->House = cp1251::FromUnicode(house).left(12);
        if (!street1.isEmpty()) {
            a->Street1Code = int16_t(streetCodes_.value(street1, -1));
            a->House1 = cp1251::FromUnicode(house1).left(12);
        }
        o.Address = std::move(a);
        o.HasAddress = 1;
    }

    // ---- geometry helpers ----
    static std::vector<PlanPoint> Offset(const std::vector<PlanPoint>& line, float d) {
        std::vector<PlanPoint> out;
        out.reserve(line.size());
        for (size_t i = 0; i < line.size(); ++i) {
            const PlanPoint& a = line[i == 0 ? 0 : i - 1];
            const PlanPoint& b = line[i + 1 < line.size() ? i + 1 : i];
            const float dx = b.X - a.X, dy = b.Y - a.Y, len = std::max(1e-6f, std::hypot(dx, dy));
            out.push_back({line[i].X - dy / len * d, line[i].Y + dx / len * d});
        }
        return out;
    }

    // A smooth cubic chain through the points (3 n + 1 control points).
    static std::vector<PlanPoint> Smooth(const std::vector<PlanPoint>& p) {
        std::vector<PlanPoint> out;
        if (p.size() < 2) return p;
        out.push_back(p[0]);
        for (size_t i = 0; i + 1 < p.size(); ++i) {
            const PlanPoint& a = p[i == 0 ? 0 : i - 1];
            const PlanPoint& b = p[i];
            const PlanPoint& c = p[i + 1];
            const PlanPoint& d = p[i + 2 < p.size() ? i + 2 : i + 1];
            out.push_back({b.X + (c.X - a.X) / 6, b.Y + (c.Y - a.Y) / 6});
            out.push_back({c.X - (d.X - b.X) / 6, c.Y - (d.Y - b.Y) / 6});
            out.push_back(c);
        }
        return out;
    }

    // A straight piece of a cubic chain from the chain's last point to p.
    static void StraightTo(std::vector<PlanPoint>& chain, PlanPoint p) {
        const PlanPoint a = chain.back();
        chain.push_back({a.X + (p.X - a.X) / 3, a.Y + (p.Y - a.Y) / 3});
        chain.push_back({a.X + (p.X - a.X) * 2 / 3, a.Y + (p.Y - a.Y) * 2 / 3});
        chain.push_back(p);
    }

    // Even-odd test of the point and of the four points margin away from it.
    static bool Inside(const std::vector<PlanPoint>& poly, float x, float y, float margin = 0) {
        auto one = [&](float px, float py) {
            bool in = false;
            for (size_t i = 0, j = poly.size() - 1; i < poly.size(); j = i++) {
                const PlanPoint& a = poly[i];
                const PlanPoint& b = poly[j];
                if ((a.Y > py) != (b.Y > py) && px < (b.X - a.X) * (py - a.Y) / (b.Y - a.Y) + a.X)
                    in = !in;
            }
            return in;
        };
        return one(x, y) && one(x - margin, y) && one(x + margin, y) && one(x, y - margin) &&
               one(x, y + margin);
    }

    static PlanPoint Centroid(const std::vector<PlanPoint>& pts) {
        double x = 0, y = 0;
        for (const auto& p : pts) {
            x += p.X;
            y += p.Y;
        }
        const double n = std::max<size_t>(1, pts.size());
        return {float(x / n), float(y / n)};
    }

    // The point at distance s along a polyline and the direction there.
    static bool PointAlong(const std::vector<PlanPoint>& line, float s, Vec& at, Vec& dir) {
        float walked = 0;
        for (size_t i = 1; i < line.size(); ++i) {
            const float dx = line[i].X - line[i - 1].X, dy = line[i].Y - line[i - 1].Y;
            const float len = std::hypot(dx, dy);
            if (len > 0 && walked + len >= s) {
                const float t = (s - walked) / len;
                at = {line[i - 1].X + dx * t, line[i - 1].Y + dy * t};
                dir = {dx / len, dy / len};
                return true;
            }
            walked += len;
        }
        return false;
    }

    // A label centred on a point and turned along dir, kept readable (never upside down).
    TOrbMapObjectPtr LabelAlong(const QString& text, Vec centre, Vec dir, float size, TColor color,
                                int layer, int category, uint8_t font = 0) {
        const TORBMapText t =
            mapdata::LabelAlong(*doc_, text, {centre.X, centre.Y}, {dir.X, dir.Y}, size, font);
        return Text(text, {t.X, t.Y}, size, t.Angle, color, layer, category, font);
    }

    // ---- the map ----
    void MakeHeaderAndTables() {
        TORBMapHeader& h = doc_->Header;
        h.Caption = QStringLiteral("Цивор");
        h.Version = 14;
        h.NameMap = QStringLiteral("Заречинск");
        h.CreatedBy = QStringLiteral("Цивор: учебная карта г. %1").arg(plan_.CityGenitive);
        h.Mashtab = plan_.Mashtab;
        h.Date = double(QDate(1899, 12, 30).daysTo(QDate(2024, 9, 1))); // the release date
        doc_->Towns.Add(cp1251::Upper(plan_.City), 0);
        h.NextTownCode = 1;
        int16_t code = 0;
        doc_->Streets.Reserve(int(plan_.Streets.size()));
        for (const PlanStreet& s : plan_.Streets) {
            doc_->Streets.Add(cp1251::Upper(s.Name), code);
            streetCodes_.insert(s.Name, code);
            ++code;
        }
        h.NextStreetCode = code;
    }

    void FinishHeader() {
        TORBMapHeader& h = doc_->Header;
        const TMapExtent& e = doc_->Extent;
        h.NextId = nextId_;
        // About a thousand pixels across for the whole town.
        h.Scale = std::max(1.0, std::floor(100000.0 / std::max(1.0f, e.MaxX - e.MinX)));
        h.XWind = e.MinX;
        h.YWind = e.MinY;
    }

    void Background() {
        const float m = 40;
        Add(Shape(cPolygon,
                  {{plan_.MinX + m, plan_.MinY + m},
                   {plan_.MaxX - m, plan_.MinY + m},
                   {plan_.MaxX - m, plan_.MaxY - m},
                   {plan_.MinX + m, plan_.MaxY - m}},
                  -64, kCatNone, {Rgb(180, 170, 150), 0, 0, 0}, {kLand, 0}));
    }

    void Districts() {
        static const TColor fills[] = {Rgb(248, 236, 222), Rgb(196, 176, 190), Rgb(234, 244, 224),
                                       Rgb(238, 238, 222)};
        for (size_t i = 0; i < plan_.Districts.size(); ++i) {
            const PlanDistrict& d = plan_.Districts[i];
            // The factory district is hatched, the others have a pale fill.
            const uint8_t brush = i % 4 == 1 ? 5 : 0;
            // No outline: the blocks and streets would leave only stray pieces of it.
            Add(Shape(cPolygon, d.Outline, -60, kCatDistrict, {Rgb(128, 96, 128), 5, 0, 0},
                      {fills[i % 4], brush}));
        }
    }

    void Blocks() {
        for (const auto& b : plan_.Blocks)
            Add(Shape(cPolygon, b, -40, kCatBlock, {kBlock, 5, 0, 0}, {kBlock, 0}));
    }

    void River() {
        const float half = plan_.RiverWidth / 2;
        const auto north = Offset(plan_.River, -half), south = Offset(plan_.River, half);
        // Green embankments along both banks.
        for (float side : {-1.f, 1.f}) {
            auto strip = Offset(plan_.River, side * half);
            auto outer = Offset(plan_.River, side * (half + 60));
            strip.insert(strip.end(), outer.rbegin(), outer.rend());
            Add(Shape(cPolygon, strip, -35, kCatPark, {kPark, 5, 0, 0}, {Rgb(196, 226, 176), 0}));
        }
        // The water body: along one bank, across, back along the other.
        std::vector<PlanPoint> body = Smooth(north);
        const auto back = Smooth(std::vector<PlanPoint>(south.rbegin(), south.rend()));
        StraightTo(body, back.front());
        body.insert(body.end(), back.begin() + 1, back.end());
        StraightTo(body, body.front());
        Add(Shape(cBezierFill, body, -30, kCatWater, {kWater, 5, 0, 0}, {kWater, 0}));
        for (const auto* bank : {&north, &south})
            Add(Shape(cBezier, Smooth(*bank), -29, kCatWater, {kBank, 0, 3, 0}, {kWater, 1}));
        for (const PlanBridge& b : plan_.Bridges) {
            auto o = Shape(cLine, {b.From, b.To}, -28, kCatTransport,
                           {Rgb(210, 210, 210), 0, b.Width + 8, kPenSquareEnds | kPenCasing},
                           {Rgb(90, 90, 90), 0});
            Add(std::move(o));
        }
    }

    static float Size(const std::vector<PlanPoint>& pts, bool width) {
        float lo = 1e30f, hi = -1e30f;
        for (const auto& p : pts) {
            lo = std::min(lo, width ? p.X : p.Y);
            hi = std::max(hi, width ? p.X : p.Y);
        }
        return hi - lo;
    }

    void Areas() {
        int parks = 0;
        for (const PlanArea& a : plan_.Areas) {
            switch (a.Type) {
            case PlanArea::Park:
                Park(a, parks++);
                break;
            case PlanArea::Stadium:
                Stadium(a);
                break;
            case PlanArea::Square:
                Square(a);
                break;
            case PlanArea::Factory:
                Add(Shape(cPolygon, a.Outline, -20, kCatIndustry, {Rgb(120, 100, 110), 1, 2, 0},
                          {Rgb(150, 130, 140), 6}));
                break;
            case PlanArea::Hospital:
                Add(Shape(cPolygon, a.Outline, -20, kCatMedicine, {Rgb(200, 120, 120), 0, 0, 0},
                          {Rgb(236, 244, 236), 0}));
                break;
            }
        }
    }

    // A park: lawn, a lake, a winding path and its trees, with an alley of trees as a group
    // inside the trees' group.
    void Park(const PlanArea& a, int index) {
        const PlanPoint c = Centroid(a.Outline);
        const float w = Size(a.Outline, true), h = Size(a.Outline, false);
        std::vector<TOrbMapObjectPtr> parts;
        parts.push_back(
            Shape(cPolygon, a.Outline, -20, kCatPark, {Rgb(120, 170, 110), 0, 0, 0}, {kPark, 0}));
        const float lx = c.X + w * 0.15f, ly = c.Y + h * 0.05f;
        parts.push_back(Shape(cBezierFill,
                              {{lx - 40, ly},
                               {lx - 40, ly - 30},
                               {lx + 10, ly - 35},
                               {lx + 35, ly - 10},
                               {lx + 60, ly + 15},
                               {lx + 20, ly + 35},
                               {lx - 5, ly + 25},
                               {lx - 25, ly + 18},
                               {lx - 40, ly + 30},
                               {lx - 40, ly}},
                              -19, kCatWater, {kBank, 0, 1, 0}, {kWater, 0}));
        parts.push_back(Shape(cBezier,
                              {{c.X - w * 0.45f, c.Y + h * 0.4f},
                               {c.X - w * 0.2f, c.Y - h * 0.1f},
                               {c.X + w * 0.1f, c.Y + h * 0.5f},
                               {c.X + w * 0.45f, c.Y - h * 0.35f}},
                              -19, kCatPark, {Rgb(200, 170, 120), 2, 3, 0}, {kPark, 1}));
        std::vector<TOrbMapObjectPtr> trees;
        uint32_t seed = 977u + uint32_t(index) * 7919u;
        auto next = [&seed] {
            seed = seed * 1664525u + 1013904223u;
            return float((seed >> 8) % 1000) / 1000.f;
        };
        for (int tries = 0; tries < 400 && trees.size() < 40; ++tries) {
            const float tx = c.X - w * 0.45f + next() * w * 0.5f;
            const float ty = c.Y - h * 0.5f + next() * h;
            const float r = 3.5f + next() * 4;
            if (Inside(a.Outline, tx, ty, r + 6))
                trees.push_back(
                    Ellipse(tx, ty, r, r, -18, kCatPark, {Shade(kTree, 0.7), 0, 0, 0}, {kTree, 0}));
        }
        std::vector<TOrbMapObjectPtr> alley;
        for (int i = 0; i < 24 && alley.size() < 12; ++i) {
            const float tx = c.X - w * 0.48f + float(i) * w * 0.04f;
            const float ty = c.Y + h * 0.1f;
            if (Inside(a.Outline, tx, ty, 10))
                alley.push_back(Ellipse(tx, ty, 4, 4, -18, kCatPark, {Shade(kTree, 0.6), 0, 0, 0},
                                        {Shade(kTree, 0.85), 0}));
        }
        trees.push_back(Group(std::move(alley), -18, kCatPark));
        parts.push_back(Group(std::move(trees), -18, kCatPark));
        Add(Group(std::move(parts), -20, kCatPark));
    }

    // A stadium: ground, running track, the pitch with its markings as a group, two stands.
    void Stadium(const PlanArea& a) {
        const PlanPoint c = Centroid(a.Outline);
        const float w = std::min(Size(a.Outline, true) * 0.42f, 95.f);
        const float h = std::min(Size(a.Outline, false) * 0.3f, 55.f);
        std::vector<TOrbMapObjectPtr> parts;
        parts.push_back(Shape(cPolygon, a.Outline, -20, kCatPark, {Rgb(150, 150, 150), 0, 0, 0},
                              {Rgb(214, 214, 200), 0}));
        parts.push_back(Ellipse(c.X, c.Y, w, h, -19, kCatPark, {Rgb(190, 90, 60), 0, 6, 0},
                                {Rgb(120, 190, 100), 0}));
        std::vector<TOrbMapObjectPtr> pitch;
        const float pw = w * 0.62f, ph = h * 0.62f;
        pitch.push_back(Shape(cPolygon,
                              {{c.X - pw, c.Y - ph},
                               {c.X + pw, c.Y - ph},
                               {c.X + pw, c.Y + ph},
                               {c.X - pw, c.Y + ph}},
                              -18, kCatPark, {Rgb(255, 255, 255), 0, 0.8f, 0},
                              {Rgb(96, 176, 88), 0}));
        pitch.push_back(Shape(cLine, {{c.X, c.Y - ph}, {c.X, c.Y + ph}}, -18, kCatPark,
                              {Rgb(255, 255, 255), 0, 0.8f, 0}, {0, 1}));
        pitch.push_back(Ellipse(c.X, c.Y, ph * 0.3f, ph * 0.3f, -18, kCatPark,
                                {Rgb(255, 255, 255), 0, 0.8f, 0}, {0, 1}));
        parts.push_back(Group(std::move(pitch), -18, kCatPark));
        for (float side : {-1.f, 1.f}) {
            const float y0 = c.Y + side * (h + 6), y1 = c.Y + side * (h + 20);
            auto stand = Shape(cPolygon,
                               {{c.X - w * 0.7f, std::min(y0, y1)},
                                {c.X + w * 0.7f, std::min(y0, y1)},
                                {c.X + w * 0.7f, std::max(y0, y1)},
                                {c.X - w * 0.7f, std::max(y0, y1)}},
                               -17, kCatNone, {Rgb(90, 90, 110), 0, 0, 0}, {Rgb(160, 160, 190), 0});
            stand->Height = 8;
            parts.push_back(std::move(stand));
        }
        Add(Group(std::move(parts), -20, kCatPark));
    }

    // A paved square with a fountain and lamp posts (one multi-point pixel object).
    void Square(const PlanArea& a) {
        const PlanPoint c = Centroid(a.Outline);
        const float w = Size(a.Outline, true), h = Size(a.Outline, false);
        std::vector<TOrbMapObjectPtr> parts;
        parts.push_back(Shape(cPolygon, a.Outline, -20, kCatBlock, {Rgb(160, 160, 160), 0, 0, 0},
                              {Rgb(214, 210, 204), 0}));
        parts.push_back(Ellipse(c.X, c.Y + h * 0.18f, 14, 14, -19, kCatWater, {kBank, 0, 1.5f, 0},
                                {kWater, 0}));
        std::vector<PlanPoint> lamps;
        for (int i = 0; i < 6; ++i) {
            lamps.push_back({c.X - w * 0.4f + float(i) * w * 0.16f, c.Y + h * 0.36f});
            lamps.push_back({c.X - w * 0.4f + float(i) * w * 0.16f, c.Y - h * 0.05f});
        }
        parts.push_back(Shape(cPixel, lamps, -19, kCatNone, {Rgb(60, 60, 60), 0, 2, 0},
                              {Rgb(250, 220, 80), 0}));
        Add(Group(std::move(parts), -20, kCatBlock));
    }

    void Streets() {
        for (const PlanStreet& s : plan_.Streets) {
            const bool main = s.Width >= 20, lane = s.Width < 10;
            TORBMapPen pen{lane ? Rgb(252, 250, 240) : kStreet, 0, s.Width, main ? kPenCasing : 0};
            auto o = Shape(cLine, s.Line, main ? 2 : lane ? 0 : 1, kCatStreet, pen, {kCasing, 0});
            // A street without a house number: "find street" lands on these.
            SetAddress(*o, s.Name, {});
            if (s.Kind == QStringLiteral("пр-т")) tramStreet_ = &s;
            Add(std::move(o));
        }
        if (tramStreet_) // tram tracks down the middle of the avenue
            Add(Shape(cLine, tramStreet_->Line, 3, kCatTransport, {Rgb(150, 60, 60), 3, 0, 0},
                      {0, 1}));
    }

    void Railway() {
        Add(Shape(cLine, plan_.Railway, 3, kCatTransport, {Rgb(70, 70, 70), 0, 5, kPenSquareEnds},
                  {0, 1}));
        Add(Shape(cLine, plan_.Railway, 3, kCatTransport,
                  {Rgb(255, 255, 255), 1, 2.5f, kPenSquareEnds}, {0, 1}));
    }

    static TColor HouseColor(const PlanHouse& h) {
        switch (h.Category) {
        case 14:
            return Rgb(214, 178, 132);
        case 9:
            return Rgb(176, 160, 184);
        case 11: // dark enough for light house numbers and names
            return Rgb(136, 44, 44);
        case 12:
            return Rgb(230, 236, 250);
        case 7:
            return Rgb(232, 204, 110);
        case 13:
            if (h.Storeys >= 9) return Rgb(178, 170, 196);
            if (h.Storeys >= 5) return Rgb(208, 188, 172);
            return Rgb(224, 204, 172);
        default:
            return Rgb(172, 172, 172);
        }
    }

    void Houses() {
        for (const PlanHouse& h : plan_.Houses) {
            const TColor fill = HouseColor(h);
            auto o = Shape(cPolygon, h.Outline, h.Layer, h.Category, {Shade(fill, 0.55), 0, 0, 0},
                           {fill, 0});
            o->Height = h.Height;
            if (h.Category == 0) o->Alpha = 200; // sheds shown lighter
            SetAddress(*o, h.Street, h.House, h.Street1, h.House1);
            Add(std::move(o));
        }
    }

    // "наб. Набережная" says the kind twice: such a name goes without it.
    static QString StreetLabel(const PlanStreet& s) {
        const QString stem = QString(s.Kind).remove(u'.');
        if (s.Name.startsWith(stem, Qt::CaseInsensitive)) return s.Name;
        return s.Kind + QLatin1Char(' ') + s.Name;
    }

    void Labels() {
        // Every street has one name large enough for the middle scales, on its middle block,
        // and small names on every third block that only show close up (the map leaves out
        // letters of 4 pixels and less).
        for (const PlanStreet& s : plan_.Streets) {
            const QString text = StreetLabel(s);
            const float size = StreetLabelSize(s.Width);
            const float width = float(doc_->MeasureText(text, 0, size).width());
            const float smallWidth = float(doc_->MeasureText(text, 0, kCloseLabelSize).width());
            const int spans = int(s.Crossings.size()) - 1;
            int middle = -1;
            for (int i = 0; i < spans; ++i) {
                const float span = s.Crossings[size_t(i) + 1] - s.Crossings[size_t(i)];
                if (span >= width + 30 &&
                    (middle < 0 || std::abs(i - spans / 2) < std::abs(middle - spans / 2)))
                    middle = i;
            }
            for (int i = 0; i < spans; ++i) {
                const float span = s.Crossings[size_t(i) + 1] - s.Crossings[size_t(i)];
                const bool large = i == middle;
                if (!large && ((i - middle) % 3 != 0 || span < smallWidth + 20)) continue;
                Vec at{}, dir{};
                if (PointAlong(s.Line, (s.Crossings[size_t(i)] + s.Crossings[size_t(i) + 1]) / 2,
                               at, dir))
                    Add(LabelAlong(text, at, dir, large ? size : kCloseLabelSize, kLabel, 20,
                                   kCatStreet));
            }
        }
        DistrictNames();
        // The river's name along its bends, clear of the bridges.
        const float riverLength = RiverLength();
        float lastLabel = -1e30f;
        for (float s = 300; s < riverLength - 300; s += 100) {
            Vec at{}, dir{};
            if (s - lastLabel < 900 || !PointAlong(plan_.River, s, at, dir)) continue;
            const bool nearBridge =
                std::any_of(plan_.Bridges.begin(), plan_.Bridges.end(), [&](const PlanBridge& b) {
                    return std::hypot(at.X - (b.From.X + b.To.X) / 2,
                                      at.Y - (b.From.Y + b.To.Y) / 2) < 260;
                });
            if (nearBridge) continue;
            Add(LabelAlong(QStringLiteral("р. ") + plan_.RiverName, at, dir, 28, Rgb(30, 70, 150),
                           -25, kCatWater, 1));
            lastLabel = s;
        }
        for (const PlanArea& a : plan_.Areas) {
            if (a.Type == PlanArea::Factory || a.Type == PlanArea::Hospital) continue;
            const PlanPoint c = AreaLabelCentre(a, kAreaLabelSize);
            Add(LabelAlong(a.Name, {c.X, c.Y}, {1, 0}, kAreaLabelSize, Rgb(30, 90, 30), 21,
                           kCatPark));
        }
        // Names of notable buildings in small print (measured at a hundredfold height).
        for (const PlanHouse& h : plan_.Houses) {
            if (h.Title.isEmpty()) continue;
            const PlanPoint c = Centroid(h.Outline);
            Add(LabelAlong(h.Title, {c.X, c.Y + 4}, {1, 0}, 6,
                           mapview::HouseNumberFontColor(HouseColor(h)), 22, h.Category));
        }
    }

    // The middle of an area's name: a park's high in the park, above its lake and trees, but
    // pulled in until the whole name stands clear of the area's edge and so of the street names
    // along it, however slanted the block.
    PlanPoint AreaLabelCentre(const PlanArea& a, float size) const {
        const PlanPoint c = Centroid(a.Outline);
        const float hw = float(doc_->MeasureText(a.Name, 0, size).width()) / 2, hh = size / 2;
        const float top = a.Type == PlanArea::Park ? -Size(a.Outline, false) * 0.3f : 0;
        for (float dy = top; dy < 0; dy += 2) {
            const float y = c.Y + dy;
            if (Inside(a.Outline, c.X - hw, y - hh, kBlockEdge) &&
                Inside(a.Outline, c.X + hw, y - hh, kBlockEdge) &&
                Inside(a.Outline, c.X - hw, y + hh, kBlockEdge) &&
                Inside(a.Outline, c.X + hw, y + hh, kBlockEdge))
                return {c.X, y};
        }
        return c;
    }

    // Whether a rectangle (centre, half sizes) lies in the open ground of block b: inside it
    // clear of its edge, with no house in it or under it.
    bool OpenGround(const std::vector<PlanPoint>& b, PlanPoint c, float hw, float hh) const {
        std::vector<PlanPoint> probes;
        for (int i = 0; i <= 4; ++i)
            for (int j = 0; j <= 2; ++j) {
                probes.push_back({c.X - hw + hw * float(i) / 2, c.Y - hh + hh * float(j)});
                if (!Inside(b, probes.back().X, probes.back().Y, kBlockEdge)) return false;
            }
        // Only houses whose boxes meet the rectangle can hold a probe or a corner in it: the
        // large city has a million of them.
        const HouseBox r{c.X - hw - 1, c.Y - hh - 1, c.X + hw + 1, c.Y + hh + 1};
        for (size_t k = 0; k < houseBoxes_.size(); ++k) {
            const HouseBox& box = houseBoxes_[k];
            if (box.X1 < r.X0 || box.X0 > r.X1 || box.Y1 < r.Y0 || box.Y0 > r.Y1) continue;
            const PlanHouse& h = plan_.Houses[k];
            for (const PlanPoint& p : probes)
                if (Inside(h.Outline, p.X, p.Y)) return false;
            for (const PlanPoint& p : h.Outline)
                if (std::abs(p.X - c.X) < hw && std::abs(p.Y - c.Y) < hh) return false;
        }
        return true;
    }

    struct HouseBox {
        float X0, Y0, X1, Y1;
    };

    // The houses' bounding boxes, a unit wider on each side than their outlines.
    static std::vector<HouseBox> HouseBoxes(const CityPlan& plan) {
        std::vector<HouseBox> boxes;
        boxes.reserve(plan.Houses.size());
        for (const PlanHouse& h : plan.Houses) {
            HouseBox box{1e30f, 1e30f, -1e30f, -1e30f};
            for (const PlanPoint& p : h.Outline) {
                box.X0 = std::min(box.X0, p.X - 1), box.Y0 = std::min(box.Y0, p.Y - 1);
                box.X1 = std::max(box.X1, p.X + 1), box.Y1 = std::max(box.Y1, p.Y + 1);
            }
            boxes.push_back(box);
        }
        return boxes;
    }

    // Per block whether it is plain ground with houses: no park, square, stadium or works.
    // Worked out once: the district names and the notes ask of every block many times.
    static std::vector<bool> PlainBlocks(const CityPlan& plan) {
        std::vector<bool> plain;
        plain.reserve(plan.Blocks.size());
        for (const auto& b : plan.Blocks) {
            const PlanPoint c = Centroid(b);
            plain.push_back(
                std::none_of(plan.Areas.begin(), plan.Areas.end(),
                             [&](const PlanArea& a) { return Inside(a.Outline, c.X, c.Y); }));
        }
        return plain;
    }

    bool PlainBlock(size_t block) const { return plainBlocks_[block]; }

    bool Used(size_t block) const {
        return std::find(usedBlocks_.begin(), usedBlocks_.end(), block) != usedBlocks_.end();
    }

    // District names in two lines in the open ground of the block nearest to the district's
    // middle, as large as fits there, so they cover no street name, house number or stadium.
    void DistrictNames() {
        for (const PlanDistrict& d : plan_.Districts) {
            const PlanPoint mid = Centroid(d.Outline);
            const QString lines[] = {d.Name, QStringLiteral("район")};
            std::vector<std::pair<float, size_t>> order;
            for (size_t b = 0; b < plan_.Blocks.size(); ++b) {
                const PlanPoint c = Centroid(plan_.Blocks[b]);
                if (Inside(d.Outline, c.X, c.Y) && PlainBlock(b) && !Used(b))
                    order.push_back({std::hypot(c.X - mid.X, c.Y - mid.Y), b});
            }
            std::sort(order.begin(), order.end());
            bool placed = false;
            for (float size = 44; size >= 20 && !placed; size -= 2) {
                const float step = size * 1.05f; // from one line's middle to the next
                const float width = float(doc_->MeasureText(lines[0], 1, size).width());
                for (const auto& [distance, b] : order) {
                    const PlanPoint c = Centroid(plan_.Blocks[b]);
                    if (!OpenGround(plan_.Blocks[b], c, width / 2 + 8, step / 2 + size / 2 + 6))
                        continue;
                    for (int k = 0; k < 2; ++k) {
                        auto o = LabelAlong(lines[k], {c.X, c.Y + (float(k) - 0.5f) * step}, {1, 0},
                                            size, Rgb(120, 70, 120), 45, kCatDistrict, 1);
                        o->Alpha = 170;
                        Add(std::move(o));
                    }
                    usedBlocks_.push_back(b);
                    placed = true;
                    break;
                }
            }
        }
    }

    // The middle of the plain block nearest to p that carries no name or note yet: a note
    // there stands clear of labels, bridges and the river at the whole-town view.
    std::optional<PlanPoint> FreeBlockNear(PlanPoint p) {
        std::optional<size_t> best;
        float bestDistance = 0;
        for (size_t b = 0; b < plan_.Blocks.size(); ++b) {
            if (Used(b) || !PlainBlock(b)) continue;
            const PlanPoint c = Centroid(plan_.Blocks[b]);
            const float d = std::hypot(c.X - p.X, c.Y - p.Y);
            if (!best || d < bestDistance) {
                best = b;
                bestDistance = d;
            }
        }
        if (!best) return std::nullopt;
        usedBlocks_.push_back(*best);
        return Centroid(plan_.Blocks[*best]);
    }

    float RiverLength() const {
        float length = 0;
        for (size_t i = 1; i < plan_.River.size(); ++i)
            length += std::hypot(plan_.River[i].X - plan_.River[i - 1].X,
                                 plan_.River[i].Y - plan_.River[i - 1].Y);
        return length;
    }

    // Notes of the built-in icon library at street crossings: bus stops, information points,
    // parking and the like; a handful, so they mark places without covering the town.
    void Notes() {
        std::vector<std::pair<PlanPoint, const PlanStreet*>> crossings;
        for (const PlanStreet& s : plan_.Streets) {
            const bool vertical = s.Line.front().X == s.Line.back().X;
            if (!vertical) continue;
            for (float d : s.Crossings) {
                Vec at{}, dir{};
                if (PointAlong(s.Line, std::max(0.f, d - 0.01f), at, dir))
                    crossings.push_back({{at.X, at.Y}, &s});
            }
        }
        if (crossings.empty()) return;
        struct NoteKind {
            int picture;
            const char* text; // %1 is the street
        };
        static const NoteKind kinds[] = {
            {18, "Остановка «%1»"},
            {12, "Справочное бюро"},
            {13, "Стоянка"},
            {18, "Остановка «%1»"},
            {17, "АЗС, ул. %1"},
            {47, "Туалет"},
            {48, "Банкомат"},
            {18, "Остановка «%1»"},
            {14, "Травмпункт"},
            {21, "Таксофон"},
            {41, "Ремонт дороги, ул. %1"},
            {18, "Остановка «%1»"},
            {50, "Метро (строится)"},
            {39, "Кафе на углу"},
            {13, "Стоянка"},
            {49, "Справки по телефону"},
        };
        constexpr int kNotes = int(std::size(kinds));
        for (int i = 0; i < kNotes; ++i) {
            // Spread over the town, off the first and last crossing.
            const size_t k = (size_t(i) * 2 + 1) * crossings.size() / (2 * kNotes);
            const auto& [p, street] = crossings[k];
            const std::optional<PlanPoint> at = FreeBlockNear(p);
            if (!at) continue;
            auto o = New(cZametka, 30, kCatEvent);
            TORBMapZametka z;
            z.X = at->X;
            z.Y = at->Y;
            z.NameLib = QStringLiteral("Default");
            z.NamePic = QString::number(kinds[i].picture);
            const QString text = QString::fromUtf8(kinds[i].text);
            z.Text = text.contains(QLatin1String("%1")) ? text.arg(street->Name) : text;
            o->SetZametka(z);
            o->ObjectType = cZametka;
            o->Layer = 30;
            o->Category = kCatEvent;
            Add(std::move(o));
        }
    }

    // Three pictures: the coat of arms (BMP, white shown transparent), a notice board (BMP)
    // and a photograph (JPEG).
    void Pictures() {
        const PlanArea* square = nullptr;
        const PlanArea* secondSquare = nullptr;
        const PlanArea* park = nullptr;
        for (const PlanArea& a : plan_.Areas) {
            if (a.Type == PlanArea::Square && !square)
                square = &a;
            else if (a.Type == PlanArea::Square && !secondSquare)
                secondSquare = &a;
            if (a.Type == PlanArea::Park && !park) park = &a;
        }
        // The second square is the one before the town hall.
        std::swap(square, secondSquare);
        if (!square) std::swap(square, secondSquare);
        if (square) {
            const PlanPoint c = Centroid(square->Outline);
            const float h = Size(square->Outline, false);
            AddBitmap(EncodeImage(CoatOfArms(96, 112), "BMP"), 0, true, c.X - 110, c.Y - h * 0.05f,
                      40, 46);
        }
        if (secondSquare) {
            const PlanPoint c = Centroid(secondSquare->Outline);
            QImage board = RiverPhoto(120, 60).scaled(60, 30);
            AddBitmap(EncodeImage(board, "BMP"), 0, false, c.X + 50, c.Y + 20, 40, 20);
        }
        if (park) {
            const PlanPoint c = Centroid(park->Outline);
            AddBitmap(EncodeImage(RiverPhoto(320, 200), "JPG", 85), 1, false, c.X - 120, c.Y - 20,
                      64, 40);
        }
    }

    void AddBitmap(const QByteArray& bytes, uint8_t format, bool transparent, float x, float y,
                   float w, float h) {
        if (bytes.isEmpty()) return;
        auto o = New(cBitmap, 25, kCatNone);
        auto b = std::make_unique<TORBMapBitmap>();
        b->Corners = {TORBMapPoint{x, y}, {x + w, y}, {x + w, y + h}, {x, y + h}};
        b->Format = format;
        b->Transparent = transparent ? 1 : 0;
        b->TransparentColor = Rgb(255, 255, 255);
        b->Image = bytes;
        o->Bitmap = std::move(b);
        o->Count = kBitmapHeadSize;
        Add(std::move(o));
    }

    const CityPlan& plan_;
    const std::vector<HouseBox> houseBoxes_;
    const std::vector<bool> plainBlocks_;
    TMapDocument* doc_ = nullptr;
    int32_t nextId_ = 1;
    QHash<QString, int> streetCodes_;
    const PlanStreet* tramStreet_ = nullptr;
    std::vector<size_t> usedBlocks_; // blocks that carry a district name or a note
};

} // namespace

void BuildSampleMap(const CityPlan& plan, TMapDocument& doc) {
    SampleMapBuilder(plan).Build(doc);
}

bool WriteSampleMap(const CityPlan& plan, const QString& dir, QString* error) {
    TMapDocument doc;
    BuildSampleMap(plan, doc);
    const QString path = QDir(dir).filePath(QStringLiteral("info1.db"));
    if (!WriteMapFile(path, doc)) {
        if (error) *error = QStringLiteral("Не удалось записать карту %1").arg(path);
        return false;
    }
    return true;
}

} // namespace tsivor::sample
