#include "CityPlan.h"

#include <QStringList>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>

namespace tsivor::sample {
namespace {

// Our own fixed-seed generator: the standard distributions differ between libraries, and the
// sample must come out byte for byte the same everywhere.
class Random {
public:
    explicit Random(uint64_t seed) : state_(seed) {}
    uint64_t Next() {
        uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    double Uniform() { return double(Next() >> 11) * (1.0 / 9007199254740992.0); }
    float Between(float a, float b) { return a + float(Uniform()) * (b - a); }
    int Int(int lo, int hi) { return lo + int(Next() % uint64_t(hi - lo + 1)); }
    bool Chance(double p) { return Uniform() < p; }

private:
    uint64_t state_;
};

// The town is laid out on a regular grid of (u, v) and then bent along the river: the grid's
// v lines follow a sine, so the long streets run parallel to the water.
constexpr float kOriginX = 600, kOriginY = 600;
constexpr float kBlockW = 300, kBlockH = 220;
constexpr float kRiverGap = 300; // between the embankment and the first street across the river
constexpr float kBendAmplitude = 180, kBendPeriod = 3000;
constexpr float kSetback = 5;
constexpr float kPi = 3.14159265358979f;

PlanPoint ToMap(float u, float v) {
    return {kOriginX + u, kOriginY + v + kBendAmplitude * std::sin(2 * kPi * u / kBendPeriod)};
}

// A straight (u, v) segment as map points every `step` units, so it bends with the grid.
void AppendSegment(std::vector<PlanPoint>& out, float u0, float v0, float u1, float v1,
                   float step = 50) {
    const float len = std::hypot(u1 - u0, v1 - v0);
    const int n = std::max(1, int(std::ceil(len / step)));
    for (int k = out.empty() ? 0 : 1; k <= n; ++k) {
        const float t = float(k) / float(n);
        out.push_back(ToMap(u0 + (u1 - u0) * t, v0 + (v1 - v0) * t));
    }
}

std::vector<PlanPoint> BentRect(float u0, float v0, float u1, float v1) {
    std::vector<PlanPoint> out;
    AppendSegment(out, u0, v0, u1, v0);
    AppendSegment(out, u1, v0, u1, v1);
    AppendSegment(out, u1, v1, u0, v1);
    AppendSegment(out, u0, v1, u0, v0);
    out.pop_back(); // the ring closes by itself
    return out;
}

std::vector<PlanPoint> MapOutline(const std::vector<std::array<float, 2>>& uv) {
    std::vector<PlanPoint> out;
    out.reserve(uv.size());
    for (const auto& p : uv) out.push_back(ToMap(p[0], p[1]));
    return out;
}

// A grid line of constant v with a vertex at every crossing, which it records.
std::vector<PlanPoint> HorizontalLine(float v, float width, std::vector<float>& crossings) {
    std::vector<PlanPoint> line;
    float along = 0;
    auto add = [&](float u) {
        const PlanPoint p = ToMap(u, v);
        if (!line.empty()) along += std::hypot(p.X - line.back().X, p.Y - line.back().Y);
        line.push_back(p);
        if (std::fmod(u, kBlockW) == 0 && u >= 0 && u <= width) crossings.push_back(along);
    };
    add(-40);
    for (float u = 0; u <= width; u += 50) add(u);
    add(width + 40);
    return line;
}

// Distances of the given vertices along a polyline.
std::vector<float> VertexDistances(const std::vector<PlanPoint>& line, size_t first, size_t last) {
    std::vector<float> out;
    float along = 0;
    for (size_t i = 0; i < line.size(); ++i) {
        if (i > 0) along += std::hypot(line[i].X - line[i - 1].X, line[i].Y - line[i - 1].Y);
        if (i >= first && i <= last) out.push_back(along);
    }
    return out;
}

// Names repeat with an ordinal in the large city: "2-я Садовая".
QString NameFrom(const QStringList& list, int index) {
    const int n = int(list.size());
    if (index < n) return list[index];
    return QStringLiteral("%1-я %2").arg(index / n + 1).arg(list[index % n]);
}

struct Layout {
    int Columns = 11;  // blocks per row
    int NorthRows = 4; // block rows north of the river
    int SouthRows = 3;
    float Width() const { return float(Columns) * kBlockW; }
    float NorthV(int k) const { return float(k) * kBlockH; }
    float RiverV() const { return NorthV(NorthRows) + kRiverGap / 2; }
    float SouthV(int k) const { return NorthV(NorthRows) + kRiverGap + float(k) * kBlockH; }
    float RowTop(int row) const { return row < NorthRows ? NorthV(row) : SouthV(row - NorthRows); }
    float RowBottom(int row) const { return RowTop(row) + kBlockH; }
    int Rows() const { return NorthRows + SouthRows; }
    static bool IsBridge(int column) { return column % 4 == 2; }
};

struct Frontage {
    int Street;
    int Side; // 0: odd numbers, 1: even numbers
    float At; // position along the street
    int House;
    bool Second; // the corner house's number on its second street
};

struct SpecialBlock {
    int Column, Row;
    PlanArea::Kind Type;
    const char* Name;
};

// Blocks kept free of ordinary houses (repeated over the large city).
const SpecialBlock kSpecials[] = {
    {3, 2, PlanArea::Park, "Городской парк"},
    {4, 1, PlanArea::Square, "Площадь Победы"},
    {6, 0, PlanArea::Square, "Вокзальная площадь"},
    {9, 2, PlanArea::Factory, "Завод «Заречье»"},
    {2, 5, PlanArea::Stadium, "Стадион «Труд»"},
    {7, 4, PlanArea::Hospital, "Городская больница"},
    {5, 6, PlanArea::Park, "Берёзовая роща"},
};

class PlanBuilder {
public:
    PlanBuilder(bool large, CityPlan& plan) : plan_(plan), random_(large ? 0x5A4EC1 : 0x2003) {
        if (large) {
            layout_.Columns = 206;
            layout_.NorthRows = 103;
            layout_.SouthRows = 103;
        }
        large_ = large;
    }

    void Build() {
        plan_.City = QStringLiteral("Заречинск");
        plan_.CityGenitive = QStringLiteral("Заречинска");
        plan_.Motto = QStringLiteral("город у реки");
        plan_.Web = QStringLiteral("www.zarechinsk.example");
        plan_.PhoneS = QStringLiteral("(38222) 5-12-34");
        plan_.PhoneM = QStringLiteral("8-913-555-12-34");
        plan_.Mashtab = 1000; // one map unit is one metre
        plan_.RiverName = QStringLiteral("Быстрица");
        plan_.RiverWidth = 110;
        MakeStreets();
        MakeRiver();
        MakeDistricts();
        const int rows = layout_.Rows();
        plan_.Houses.reserve(size_t(layout_.Columns) * size_t(rows) * 26);
        for (int row = 0; row < rows; ++row)
            for (int column = 0; column < layout_.Columns; ++column) MakeBlock(column, row);
        NumberHouses();
        ChooseAdvertised();
        MakeExtent();
    }

private:
    int AddStreet(const QString& name, const QString& kind, float width,
                  std::vector<PlanPoint> line, std::vector<float> crossings) {
        PlanStreet s;
        s.Crossings = std::move(crossings);
        s.Name = name;
        s.Kind = kind;
        s.Width = width;
        s.Line = std::move(line);
        plan_.Streets.push_back(std::move(s));
        return int(plan_.Streets.size()) - 1;
    }

    void MakeStreets() {
        // The last line north of the river is always the embankment.
        static const QStringList north = {"Северная", "Ленина", "Советская", "Пушкина"};
        static const QStringList northKind = {"ул.", "пр-т", "ул.", "ул.", "наб."};
        static const QStringList south = {"Заречная", "Луговая", "Садовая", "Полевая"};
        static const QStringList across = {"Гагарина", "Кирова",     "Мира",          "Чехова",
                                           "Горького", "Лермонтова", "Октябрьская",   "Гоголя",
                                           "Фрунзе",   "Заводская",  "Комсомольская", "Восточная"};
        static const QStringList acrossSouth = {"Рябиновая", "Берёзовая", "Сосновая",
                                                "Кленовая",  "Вишнёвая",  "Лесная",
                                                "Ольховая",  "Липовая",   "Тополиная"};
        const float w = layout_.Width();
        const int nLines = layout_.NorthRows + 1, sLines = layout_.SouthRows + 1;
        for (int k = 0; k < nLines; ++k) {
            const bool main = !large_ && k == 1;
            const bool embankment = k == nLines - 1;
            std::vector<float> crossings;
            std::vector<PlanPoint> line = HorizontalLine(layout_.NorthV(k), w, crossings);
            const QString kind = large_ ? (embankment ? "наб." : "ул.") : northKind[k % 5];
            const int id =
                AddStreet(embankment ? QStringLiteral("Набережная") : NameFrom(north, k), kind,
                          main         ? 30
                          : embankment ? 20
                                       : 16,
                          std::move(line), std::move(crossings));
            northRow_.push_back(id);
        }
        for (int k = 0; k < sLines; ++k) {
            std::vector<float> crossings;
            std::vector<PlanPoint> line = HorizontalLine(layout_.SouthV(k), w, crossings);
            southRow_.push_back(
                AddStreet(NameFrom(south, k), "ул.", 12, std::move(line), std::move(crossings)));
        }
        int southIndex = 0;
        const float sEnd = layout_.SouthV(layout_.SouthRows);
        for (int c = 0; c <= layout_.Columns; ++c) {
            const float u = float(c) * kBlockW;
            std::vector<PlanPoint> line;
            for (int k = 0; k < nLines; ++k) line.push_back(ToMap(u, layout_.NorthV(k)));
            line.insert(line.begin(), ToMap(u, -40));
            if (Layout::IsBridge(c)) {
                for (int k = 0; k < sLines; ++k) line.push_back(ToMap(u, layout_.SouthV(k)));
                line.push_back(ToMap(u, sEnd + 40));
                auto crossings = VertexDistances(line, 1, line.size() - 2);
                const int id = AddStreet(NameFrom(across, c), "ул.", 16, std::move(line),
                                         std::move(crossings));
                northColumn_.push_back(id);
                southColumn_.push_back(id);
                plan_.Bridges.push_back({plan_.Streets[size_t(id)].Name,
                                         ToMap(u, layout_.RiverV() - 80),
                                         ToMap(u, layout_.RiverV() + 80), 16});
            } else {
                auto crossings = VertexDistances(line, 1, line.size() - 1);
                northColumn_.push_back(AddStreet(NameFrom(across, c), "ул.", 14, std::move(line),
                                                 std::move(crossings)));
                std::vector<PlanPoint> southLine;
                for (int k = 0; k < sLines; ++k) southLine.push_back(ToMap(u, layout_.SouthV(k)));
                southLine.push_back(ToMap(u, sEnd + 40));
                // Every other one a narrow alley; the names are feminine, as "аллея" is.
                const bool lane = southIndex % 2 == 1;
                auto southCrossings = VertexDistances(southLine, 0, southLine.size() - 2);
                southColumn_.push_back(AddStreet(NameFrom(acrossSouth, southIndex),
                                                 lane ? "ал." : "ул.", lane ? 9 : 11,
                                                 std::move(southLine), std::move(southCrossings)));
                ++southIndex;
            }
        }
    }

    void MakeRiver() {
        AppendSegment(plan_.River, -400, layout_.RiverV(), layout_.Width() + 400, layout_.RiverV());
        AppendSegment(plan_.Railway, -400, -75, layout_.Width() + 400, -75);
    }

    float DistrictSplit() const { return float(layout_.Columns / 2) * kBlockW + kBlockW / 2; }

    QString DistrictOf(float u, bool north) const {
        const bool west = u < DistrictSplit();
        if (north) return west ? QStringLiteral("Центральный") : QStringLiteral("Заводской");
        return west ? QStringLiteral("Заречный") : QStringLiteral("Луговой");
    }

    void MakeDistricts() {
        const float mid = DistrictSplit(), w = layout_.Width();
        const float nTop = -60, nBottom = layout_.NorthV(layout_.NorthRows) + 40;
        const float sTop = layout_.SouthV(0) - 40, sBottom = layout_.SouthV(layout_.SouthRows) + 60;
        plan_.Districts.push_back({DistrictOf(0, true), BentRect(-60, nTop, mid, nBottom)});
        plan_.Districts.push_back({DistrictOf(w, true), BentRect(mid, nTop, w + 60, nBottom)});
        plan_.Districts.push_back({DistrictOf(0, false), BentRect(-60, sTop, mid, sBottom)});
        plan_.Districts.push_back({DistrictOf(w, false), BentRect(mid, sTop, w + 60, sBottom)});
    }

    float HalfWidth(int street) const { return plan_.Streets[size_t(street)].Width / 2; }

    // Storeys and building material by district.
    void Dress(PlanHouse& h, bool corner) {
        int storeys = 5;
        bool wooden = false;
        const double r = random_.Uniform();
        if (h.District == QStringLiteral("Центральный")) {
            static const int pick[] = {2, 3, 4, 5, 5, 5, 5, 9, 9, 12};
            storeys = pick[random_.Int(0, 9)];
            if (corner && storeys < 9 && r < 0.3) storeys = 9;
        } else if (h.District == QStringLiteral("Заводской")) {
            static const int pick[] = {1, 2, 2, 3, 4, 5, 5, 5};
            storeys = pick[random_.Int(0, 7)];
            wooden = storeys <= 2 && r < 0.5;
        } else if (h.District == QStringLiteral("Заречный")) {
            wooden = r < 0.75;
            storeys = wooden ? random_.Int(1, 2) : 5;
        } else {
            static const int pick[] = {5, 9, 9, 9, 10, 12, 14, 16};
            storeys = pick[random_.Int(0, 7)];
        }
        h.Storeys = storeys;
        h.Height = float(storeys) * 3;
        h.Category = wooden ? 14 : 13;
        h.Layer = wooden ? 5 : 6;
    }

    int AddHouse(const std::vector<std::array<float, 2>>& uv, bool north) {
        PlanHouse h;
        h.Outline = MapOutline(uv);
        float cu = 0;
        for (const auto& p : uv) cu += p[0];
        h.District = DistrictOf(cu / float(uv.size()), north);
        plan_.Houses.push_back(std::move(h));
        return int(plan_.Houses.size()) - 1;
    }

    void Front(int street, int side, float at, int house, bool second = false) {
        frontages_.push_back({street, side, at, house, second});
    }

    const SpecialBlock* SpecialAt(int column, int row) const {
        const int rowKey = row < layout_.NorthRows ? row % 4 : 4 + (row - layout_.NorthRows) % 3;
        for (const auto& s : kSpecials)
            if (s.Column == column % 11 && s.Row == rowKey) return &s;
        return nullptr;
    }

    void MakeBlock(int column, int row) {
        const bool north = row < layout_.NorthRows;
        const int k = north ? row : row - layout_.NorthRows;
        const auto& rowStreets = north ? northRow_ : southRow_;
        const auto& colStreets = north ? northColumn_ : southColumn_;
        const int top = rowStreets[size_t(k)], bottom = rowStreets[size_t(k + 1)];
        const int left = colStreets[size_t(column)], right = colStreets[size_t(column + 1)];
        const float u0 = float(column) * kBlockW + HalfWidth(left) + kSetback;
        const float u1 = float(column + 1) * kBlockW - HalfWidth(right) - kSetback;
        const float v0 = layout_.RowTop(row) + HalfWidth(top) + kSetback;
        const float v1 = layout_.RowBottom(row) - HalfWidth(bottom) - kSetback;
        plan_.Blocks.push_back(BentRect(u0 - 2, v0 - 2, u1 + 2, v1 + 2));

        if (const SpecialBlock* special = SpecialAt(column, row)) {
            plan_.Areas.push_back(
                {special->Type, QString::fromUtf8(special->Name), BentRect(u0, v0, u1, v1)});
            MakeSpecialBuildings(*special, top, north, u0, v0, u1, v1);
            return;
        }

        // Corner houses, some of them L-shaped.
        const float cw = random_.Between(20, 28), ch = random_.Between(16, 22);
        struct Corner {
            float U, V;        // the street corner
            float Du, Dv;      // direction into the block
            int Along, Across; // horizontal and vertical street
            int AlongSide, AcrossSide;
        };
        const Corner corners[] = {
            {u0, v0, 1, 1, top, left, 1, 1},
            {u1, v0, -1, 1, top, right, 1, 0},
            {u1, v1, -1, -1, bottom, right, 0, 0},
            {u0, v1, 1, -1, bottom, left, 0, 1},
        };
        for (const Corner& c : corners) {
            const float a = c.U, b = c.V, a1 = c.U + c.Du * cw, b1 = c.V + c.Dv * ch;
            std::vector<std::array<float, 2>> uv;
            if (random_.Chance(0.4)) {
                const float am = c.U + c.Du * cw * 0.5f, bm = c.V + c.Dv * ch * 0.5f;
                uv = {{a, b}, {a1, b}, {a1, bm}, {am, bm}, {am, b1}, {a, b1}};
            } else {
                uv = {{a, b}, {a1, b}, {a1, b1}, {a, b1}};
            }
            const int h = AddHouse(uv, north);
            Dress(plan_.Houses[size_t(h)], true);
            Front(c.Along, c.AlongSide, (a + a1) / 2, h);
            Front(c.Across, c.AcrossSide, (b + b1) / 2, h, true);
        }

        // Houses along the four sides between the corners.
        std::vector<int> topSide;
        RowOfHouses(u0 + cw, u1 - cw, [&](float s0, float s1, float depth) {
            const int h = AddHouse({{s0, v0}, {s1, v0}, {s1, v0 + depth}, {s0, v0 + depth}}, north);
            Front(top, 1, (s0 + s1) / 2, h);
            topSide.push_back(h);
        });
        RowOfHouses(u0 + cw, u1 - cw, [&](float s0, float s1, float depth) {
            const int h = AddHouse({{s0, v1 - depth}, {s1, v1 - depth}, {s1, v1}, {s0, v1}}, north);
            Front(bottom, 0, (s0 + s1) / 2, h);
        });
        RowOfHouses(v0 + ch, v1 - ch, [&](float s0, float s1, float depth) {
            const int h = AddHouse({{u0, s0}, {u0 + depth, s0}, {u0 + depth, s1}, {u0, s1}}, north);
            Front(left, 1, (s0 + s1) / 2, h);
        });
        RowOfHouses(v0 + ch, v1 - ch, [&](float s0, float s1, float depth) {
            const int h = AddHouse({{u1 - depth, s0}, {u1, s0}, {u1, s1}, {u1 - depth, s1}}, north);
            Front(right, 0, (s0 + s1) / 2, h);
        });

        // A yard building behind one of the houses: "12А".
        if (!topSide.empty() && random_.Chance(0.6)) {
            const int front = topSide[size_t(random_.Int(0, int(topSide.size()) - 1))];
            const float s0 = frontUv_[size_t(front)][0] + 2, depth = 24;
            const int h = AddHouse({{s0, v0 + depth},
                                    {s0 + 14, v0 + depth},
                                    {s0 + 14, v0 + depth + 9},
                                    {s0, v0 + depth + 9}},
                                   north);
            PlanHouse& y = plan_.Houses[size_t(h)];
            if (random_.Chance(0.5)) { // a shed: no height
                y.Storeys = 0;
                y.Height = 0;
                y.Category = 0;
                y.Layer = 4;
            } else {
                Dress(y, false);
                y.Storeys = std::min(y.Storeys, 2);
                y.Height = float(y.Storeys) * 3;
            }
            yards_.push_back({h, front});
        }
    }

    // Fills [from, to] along a block side with houses of varied widths and depths.
    template <typename Place> void RowOfHouses(float from, float to, Place place) {
        float s = from + random_.Between(6, 12);
        while (to - s >= 16) {
            float w = random_.Between(18, 36);
            const float gap = random_.Between(6, 12);
            if (to - (s + w) < 16 + gap) w = to - s - random_.Between(4, 8);
            if (w < 14) break;
            const float depth = random_.Between(11, 16);
            const size_t before = plan_.Houses.size();
            place(s, s + w, depth);
            if (plan_.Houses.size() > before) {
                Dress(plan_.Houses.back(), false);
                frontUv_.resize(plan_.Houses.size());
                frontUv_.back() = {s, s + w};
            }
            s += w + gap;
        }
    }

    void MakeSpecialBuildings(const SpecialBlock& special, int top, bool north, float u0, float v0,
                              float u1, float v1) {
        auto building = [&](float a0, float b0, float a1, float b1, int category, int storeys,
                            const QString& title) {
            const int h = AddHouse({{a0, b0}, {a1, b0}, {a1, b1}, {a0, b1}}, north);
            PlanHouse& p = plan_.Houses[size_t(h)];
            p.Category = category;
            p.Storeys = storeys;
            p.Height = float(storeys) * 3;
            p.Layer = 7;
            p.Title = title;
            Front(top, 1, (a0 + a1) / 2, h);
        };
        const float cu = (u0 + u1) / 2;
        switch (special.Type) {
        case PlanArea::Square:
            if (special.Row == 1)
                building(cu - 40, v0 + 10, cu + 40, v0 + 45, 11, 4,
                         QStringLiteral("Администрация города"));
            else
                building(cu - 55, v0 + 8, cu + 55, v0 + 34, 7, 2,
                         QStringLiteral("Железнодорожный вокзал"));
            break;
        case PlanArea::Factory:
            building(u0 + 10, v0 + 10, u0 + 120, v0 + 70, 9, 2, QStringLiteral("Завод «Заречье»"));
            building(u0 + 140, v0 + 10, u1 - 10, v0 + 50, 9, 3, QStringLiteral("Заводоуправление"));
            building(u0 + 10, v0 + 100, u1 - 60, v1 - 20, 9, 1, QStringLiteral("Склад"));
            break;
        case PlanArea::Hospital:
            building(u0 + 20, v0 + 15, u0 + 150, v0 + 45, 12, 5,
                     QStringLiteral("Городская больница"));
            building(u0 + 170, v0 + 15, u1 - 20, v0 + 60, 12, 3, QStringLiteral("Поликлиника"));
            building(u0 + 40, v0 + 110, u0 + 120, v0 + 140, 12, 2, QStringLiteral("Роддом"));
            break;
        case PlanArea::Park:
        case PlanArea::Stadium:
            break;
        }
    }

    void NumberHouses() {
        std::stable_sort(frontages_.begin(), frontages_.end(),
                         [](const Frontage& a, const Frontage& b) {
                             if (a.Street != b.Street) return a.Street < b.Street;
                             if (a.Side != b.Side) return a.Side < b.Side;
                             return a.At < b.At;
                         });
        int street = -1, side = -1, number = 0;
        for (const Frontage& f : frontages_) {
            if (f.Street != street || f.Side != side) {
                street = f.Street;
                side = f.Side;
                number = side == 0 ? 1 : 2;
            }
            PlanHouse& h = plan_.Houses[size_t(f.House)];
            const QString& name = plan_.Streets[size_t(f.Street)].Name;
            if (f.Second) {
                h.Street1 = name;
                h.House1 = QString::number(number);
            } else {
                h.Street = name;
                h.House = QString::number(number);
            }
            number += 2;
        }
        for (const auto& [yard, front] : yards_) {
            PlanHouse& y = plan_.Houses[size_t(yard)];
            y.Street = plan_.Houses[size_t(front)].Street;
            y.House = plan_.Houses[size_t(front)].House + QStringLiteral("А");
        }
    }

    // The notable buildings first, then tall houses spread over the whole town.
    // Shops and offices in tall houses spread over the whole town.
    void ChooseAdvertised() {
        static const char* const names[] = {
            "Аптека «Здоровье»",         "Банк «Заречье»",         "Кафе «Быстрица»",
            "Салон «Мебель-Дом»",        "Автосервис «Мотор»",     "Магазин «Продукты 24»",
            "Компьютерный центр «Байт»", "Парикмахерская «Локон»", "Ресторан «Старый город»",
            "Фитнес-клуб «Олимп»",       "Химчистка «Свежесть»",   "Книжный магазин «Читай»",
            "Стоматология «Улыбка»",     "Турагентство «Глобус»",  "Цветы «Ромашка»",
            "Такси «Заречье»",           "Строймаркет «Мастер»",   "Обувь «Шаг»",
            "Гостиница «Заречинск»",     "Детский центр «Радуга»",
        };
        constexpr size_t kCount = std::size(names);
        const size_t n = plan_.Houses.size();
        const size_t stride = std::max<size_t>(1, n / (kCount + 1));
        for (size_t i = stride / 2; i < n && plan_.Advertised.size() < kCount; i += stride) {
            size_t j = i;
            while (j < n && (plan_.Houses[j].Storeys < 5 || !plan_.Houses[j].Title.isEmpty() ||
                             std::find(plan_.Advertised.begin(), plan_.Advertised.end(), int(j)) !=
                                 plan_.Advertised.end()))
                ++j;
            if (j >= n) break;
            plan_.Advertised.push_back(int(j));
            plan_.AdvertisedNames.push_back(QString::fromUtf8(names[plan_.AdvertisedNames.size()]));
        }
    }

    void MakeExtent() {
        float minX = 1e30f, minY = 1e30f, maxX = -1e30f, maxY = -1e30f;
        auto fold = [&](const std::vector<PlanPoint>& pts) {
            for (const PlanPoint& p : pts) {
                minX = std::min(minX, p.X);
                minY = std::min(minY, p.Y);
                maxX = std::max(maxX, p.X);
                maxY = std::max(maxY, p.Y);
            }
        };
        for (const auto& s : plan_.Streets) fold(s.Line);
        for (const auto& d : plan_.Districts) fold(d.Outline);
        for (const auto& h : plan_.Houses) fold(h.Outline);
        fold(plan_.River);
        fold(plan_.Railway);
        const float bank = plan_.RiverWidth;
        plan_.MinX = minX - bank;
        plan_.MinY = minY - bank;
        plan_.MaxX = maxX + bank;
        plan_.MaxY = maxY + bank;
    }

    CityPlan& plan_;
    Random random_;
    Layout layout_;
    bool large_ = false;
    std::vector<int> northRow_, southRow_, northColumn_, southColumn_;
    std::vector<Frontage> frontages_;
    std::vector<std::pair<int, int>> yards_;    // yard building, the house in front of it
    std::vector<std::array<float, 2>> frontUv_; // along-street span of side houses
};

} // namespace

CityPlan MakeCityPlan(bool large) {
    CityPlan plan;
    PlanBuilder(large, plan).Build();
    return plan;
}

} // namespace tsivor::sample
