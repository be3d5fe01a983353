#include "TownExtract.h"

#include <QFile>

#include <osmium/builder/attr.hpp>
#include <osmium/io/any_output.hpp>
#include <osmium/memory/buffer.hpp>

#include <cmath>
#include <string>
#include <vector>

namespace tsivor::importosm::testtown {
namespace {

using namespace osmium::builder::attr;
using TTags = std::vector<std::pair<std::string, std::string>>;

constexpr double kBlock = 150; // metres between streets

// Metres east and south of the town's corner to degrees, on the WGS 84 ellipsoid.
struct TPlace {
    double Lon, Lat;
};
TPlace Degrees(double east, double south) {
    constexpr double a = 6378137.0, e2 = 6.69437999014e-3, rad = M_PI / 180;
    const double s = std::sin(kLat0 * rad), w = std::sqrt(1 - e2 * s * s);
    const double perDegLat = a * (1 - e2) / (w * w * w) * rad;
    const double perDegLon = a / w * std::cos(kLat0 * rad) * rad;
    return {kLon0 + east / perDegLon, kLat0 - south / perDegLat};
}

class TWriter {
public:
    int64_t Node(double east, double south, const TTags& tags = {}) {
        const TPlace p = Degrees(east, south);
        const int64_t id = ++nodes_;
        osmium::builder::add_node(nodeBuf_, _id(id), _version(1), _location(p.Lon, p.Lat),
                                  _tags(tags));
        return id;
    }
    int64_t Way(const std::vector<int64_t>& refs, const TTags& tags) {
        const int64_t id = ++ways_;
        std::vector<osmium::NodeRef> nodes;
        for (int64_t r : refs) nodes.emplace_back(r);
        osmium::builder::add_way(wayBuf_, _id(id), _version(1), _nodes(nodes), _tags(tags));
        return id;
    }
    // A closed square or rectangle of w by h metres at (east, south).
    int64_t Box(double east, double south, double w, double h, const TTags& tags) {
        const int64_t a = Node(east, south), b = Node(east + w, south),
                      c = Node(east + w, south + h), d = Node(east, south + h);
        return Way({a, b, c, d, a}, tags);
    }
    void Multipolygon(const std::vector<std::pair<int64_t, const char*>>& members,
                      const TTags& tags) {
        std::vector<osmium::builder::attr::member_type> m;
        for (const auto& [way, role] : members) m.emplace_back(osmium::item_type::way, way, role);
        osmium::builder::add_relation(relBuf_, _id(++relations_), _version(1), _members(m),
                                      _tags(tags));
    }

    TTownFacts Write(const QString& path) {
        osmium::io::Header header;
        header.set("generator", "tsivor tests");
        osmium::io::Writer writer{QFile::encodeName(path).toStdString(), header,
                                  osmium::io::overwrite::allow};
        writer(std::move(nodeBuf_));
        writer(std::move(wayBuf_));
        writer(std::move(relBuf_));
        writer.close();
        facts.Nodes = nodes_;
        facts.Ways = ways_;
        facts.Relations = relations_;
        return facts;
    }

    TTownFacts facts;

private:
    static constexpr size_t kInitial = 1 << 16;
    osmium::memory::Buffer nodeBuf_{kInitial, osmium::memory::Buffer::auto_grow::yes};
    osmium::memory::Buffer wayBuf_{kInitial, osmium::memory::Buffer::auto_grow::yes};
    osmium::memory::Buffer relBuf_{kInitial, osmium::memory::Buffer::auto_grow::yes};
    int64_t nodes_ = 0, ways_ = 0, relations_ = 0;
};

const char* const kNorthSouth[] = {"улица Ленина",   "улица Мира",     "Садовая улица",
                                   "улица Гагарина", "Школьная улица", "улица Победы",
                                   "Лесная улица",   "Речная улица"};
const char* const kEastWest[] = {"Центральная улица", "Советская улица", "Заводская улица",
                                 "Молодёжная улица",  "Полевая улица",   "Набережная улица"};

std::string Street(bool northSouth, int i) {
    const char* const* names = northSouth ? kNorthSouth : kEastWest;
    const int n = northSouth ? int(std::size(kNorthSouth)) : int(std::size(kEastWest));
    return std::string(names[i % n]) + (i >= n ? " " + std::to_string(i / n + 1) : "");
}

} // namespace

TTownFacts WriteTown(const QString& path, const TTownSize& size) {
    TWriter w;
    const int nx = size.StreetsX, ny = size.StreetsY;
    // Crossings, shared by the streets that meet there.
    std::vector<std::vector<int64_t>> cross(size_t(nx), std::vector<int64_t>(size_t(ny), 0));
    for (int i = 0; i < nx; ++i)
        for (int j = 0; j < ny; ++j) cross[size_t(i)][size_t(j)] = w.Node(i * kBlock, j * kBlock);
    // The middle street is the main road, in two pieces; the second street east-west a
    // secondary one; the rest residential.
    for (int i = 0; i < nx; ++i) {
        const std::string cls = i == nx / 2 ? "primary" : "residential";
        const auto& c = cross[size_t(i)];
        if (i == nx / 2 && ny > 2) {
            w.Way(std::vector<int64_t>(c.begin(), c.begin() + ny / 2 + 1),
                  {{"highway", cls}, {"name", Street(true, i)}});
            w.Way(std::vector<int64_t>(c.begin() + ny / 2, c.end()),
                  {{"highway", cls}, {"name", Street(true, i)}});
        } else {
            w.Way(c, {{"highway", cls}, {"name", Street(true, i)}});
        }
    }
    for (int j = 0; j < ny; ++j) {
        std::vector<int64_t> refs;
        for (int i = 0; i < nx; ++i) refs.push_back(cross[size_t(i)][size_t(j)]);
        w.Way(refs,
              {{"highway", j == 1 ? "secondary" : "residential"}, {"name", Street(false, j)}});
    }

    // Houses along the north side of each block, addressed to the east-west street there.
    std::vector<int> numbers(size_t(ny), 0);
    int k = 0;
    for (int j = 0; j + 1 < ny; ++j)
        for (int i = 0; i + 1 < nx; ++i)
            for (int h = 0; h < size.HousesPerSide; ++h, ++k) {
                const double e = i * kBlock + 15 + h * 40, s = j * kBlock + 15;
                TTags tags{{"building", k % 11 == 5 ? "house" : "apartments"}};
                const std::string number = std::to_string(++numbers[size_t(j)] * 2 - 1);
                const bool viaPoint = k % 7 == 3; // addressed by a point inside instead
                if (!viaPoint) {
                    tags.emplace_back("addr:street", Street(false, j));
                    tags.emplace_back("addr:housenumber", number);
                }
                if (k % 5 == 4)
                    tags.emplace_back("height", "14.5 m");
                else
                    tags.emplace_back("building:levels", std::to_string(1 + k % 9));
                if (k % 11 == 5) tags.emplace_back("building:material", "wood");
                // The first house of a block is on the corner with the street west of it.
                if (h == 0) {
                    tags.emplace_back("addr:street2", Street(true, i));
                    tags.emplace_back("addr:housenumber2", std::to_string(2 * j + 2));
                }
                if (k % 6 == 2) {
                    tags.emplace_back("name", "Магазин «" + std::to_string(k) + "»");
                    tags.emplace_back("shop", "convenience");
                    tags.emplace_back("phone", "+7 495 100-" + std::to_string(1000 + k));
                    tags.emplace_back("opening_hours", "Mo-Su 08:00-22:00");
                    ++w.facts.Organisations;
                }
                w.Box(e, s, 20, 20, tags);
                ++w.facts.Buildings;
                if (viaPoint)
                    w.Node(e + 10, s + 5,
                           {{"addr:street", Street(false, j)}, {"addr:housenumber", number}});
                // A café inside every fourth house, found through its position.
                if (k % 4 == 1) {
                    const bool foreign = k == 1;
                    w.Node(e + 10, s + 10,
                           {{"amenity", "cafe"},
                            {"name",
                             foreign ? "Café Łódź 🍺" : "Кафе «Ромашка " + std::to_string(k) + "»"},
                            {"phone", "+7 495 200-00-01; +7 916 000-00-02"},
                            {"website", "https://cafe.example"},
                            {"email", "cafe@example.org"},
                            {"description", "Домашняя кухня"}});
                    ++w.facts.Organisations;
                }
            }
    // A pharmacy point with its own address.
    w.Node(kBlock * 0.5, kBlock * 0.5,
           {{"amenity", "pharmacy"},
            {"name", "Аптека «Здоровье»"},
            {"addr:street", Street(false, 0)},
            {"addr:housenumber", "1"}});
    ++w.facts.Organisations;

    const double width = (nx - 1) * kBlock, height = (ny - 1) * kBlock;
    // A river south of the town, a lake with an island east of it, a park, the railway north.
    {
        std::vector<int64_t> river;
        for (int p = 0; p <= 8; ++p)
            river.push_back(w.Node(-100 + p * (width + 200) / 8, height + 60 + (p % 2) * 25));
        w.Way(river, {{"waterway", "river"}, {"name", "Озёрка"}});
    }
    {
        const double e0 = width + 80, s0 = 20;
        const int64_t a = w.Node(e0, s0), b = w.Node(e0 + 200, s0), c = w.Node(e0 + 220, s0 + 150),
                      d = w.Node(e0 + 10, s0 + 170);
        const int64_t half1 = w.Way({a, b, c}, {});
        const int64_t half2 = w.Way({c, d, a}, {});
        const int64_t island = w.Box(e0 + 80, s0 + 60, 40, 40, {});
        w.Multipolygon({{half1, "outer"}, {half2, "outer"}, {island, "inner"}},
                       {{"type", "multipolygon"}, {"natural", "water"}, {"name", "Озеро Круглое"}});
    }
    w.Box(-260, 20, 200, height - 40, {{"leisure", "park"}, {"name", "Городской парк"}});
    // A playground too small to carry its name.
    w.Box(-250, height - 60, 25, 15,
          {{"leisure", "playground"}, {"name", "Детская площадка «Солнышко»"}});
    {
        const int64_t a = w.Node(-300, -80), b = w.Node(width / 2, -90),
                      c = w.Node(width + 300, -80);
        w.Way({a, b, c}, {{"railway", "rail"}});
    }
    // The ruler: a path exactly 1000 m long east-west.
    {
        const int64_t a = w.Node(0, height + 140), b = w.Node(1000, height + 140);
        w.Way({a, b}, {{"highway", "footway"}, {"name", "Мерная линия"}});
    }
    // A lane whose middle nodes are missing from the extract.
    {
        const int64_t a = w.Node(-40, 0), b = w.Node(-40, kBlock);
        w.Way({a, 900000001, 900000002, b}, {{"highway", "service"}, {"name", "Тупиковый проезд"}});
    }
    const double cx = width / 2, cy = height / 2;
    w.Node(cx, cy, {{"place", "town"}, {"name", kTown}});
    w.Node(kBlock * 0.5, kBlock * 1.5, {{"place", "suburb"}, {"name", "Заречье"}});
    w.Node(width - kBlock, kBlock * 1.5, {{"place", "quarter"}, {"name", "Центр"}});
    return w.Write(path);
}

} // namespace tsivor::importosm::testtown
