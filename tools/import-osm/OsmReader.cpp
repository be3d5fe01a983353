#include "OsmReader.h"

#include "OsmNames.h"
#include "OsmRubrics.h"

#include "platform/ProcessUsage.h"

#include <QFile>
#include <QFileInfo>
#include <QSet>

#include <osmium/area/assembler.hpp>
#include <osmium/area/multipolygon_manager.hpp>
#include <osmium/handler.hpp>
#include <osmium/handler/node_locations_for_ways.hpp>
#include <osmium/index/map/flex_mem.hpp>
#include <osmium/io/any_input.hpp>
#include <osmium/relations/relations_manager.hpp>
#include <osmium/visitor.hpp>

#include <cmath>
#include <cstdlib>

namespace tsivor::importosm {
namespace {

bool Is(const osmium::TagList& tags, const char* key, std::initializer_list<const char*> values) {
    const char* v = tags[key];
    if (!v) return false;
    for (const char* x : values)
        if (std::strcmp(v, x) == 0) return true;
    return false;
}

TOsmPoint Point(const osmium::Location& l) {
    return {l.x(), l.y()};
}

// "12", "12.5 m", "12,5": the leading number; 0 when there is none.
float Number(const QString& text) {
    QString digits;
    for (const QChar c : text) {
        if (c.isDigit() || c == u'.')
            digits += c;
        else if (c == u',')
            digits += u'.';
        else if (!digits.isEmpty() || !c.isSpace())
            break;
    }
    bool ok = false;
    const float v = digits.toFloat(&ok);
    return ok && std::isfinite(v) && v > 0 && v < 1000 ? v : 0;
}

std::optional<TRoadClass> RoadOf(const osmium::TagList& tags) {
    const char* h = tags["highway"];
    if (!h) return std::nullopt;
    const std::string v = h;
    auto is = [&](std::initializer_list<const char*> l) {
        for (const char* x : l)
            if (v == x) return true;
        return false;
    };
    if (is({"motorway", "motorway_link"})) return TRoadClass::Motorway;
    if (is({"trunk", "trunk_link"})) return TRoadClass::Trunk;
    if (is({"primary", "primary_link"})) return TRoadClass::Primary;
    if (is({"secondary", "secondary_link"})) return TRoadClass::Secondary;
    if (is({"tertiary", "tertiary_link"})) return TRoadClass::Tertiary;
    if (is({"residential", "unclassified", "living_street", "road"}))
        return TRoadClass::Residential;
    if (is({"service", "track"})) return TRoadClass::Service;
    if (is({"pedestrian"})) return TRoadClass::Pedestrian;
    if (is({"footway", "path", "cycleway", "steps", "bridleway"})) return TRoadClass::Path;
    return std::nullopt; // proposed, construction, platforms, ...
}

std::optional<TFeatureKind> AreaKindOf(const osmium::TagList& tags) {
    if (const char* b = tags["building"]; b && std::strcmp(b, "no") != 0)
        return TFeatureKind::Building;
    if (Is(tags, "natural", {"water"}) || Is(tags, "waterway", {"riverbank", "dock"}) ||
        Is(tags, "landuse", {"reservoir", "basin"}))
        return TFeatureKind::Water;
    if (Is(tags, "landuse", {"forest"}) || Is(tags, "natural", {"wood", "scrub"}))
        return TFeatureKind::Forest;
    if (Is(tags, "leisure", {"park", "garden", "playground", "pitch", "stadium"}) ||
        Is(tags, "landuse",
           {"grass", "recreation_ground", "village_green", "meadow", "cemetery", "allotments"}))
        return TFeatureKind::Park;
    if (Is(tags, "highway", {"pedestrian"}) || Is(tags, "place", {"square"}) ||
        Is(tags, "amenity", {"marketplace", "parking"}))
        return TFeatureKind::Square;
    if (Is(tags, "landuse",
           {"residential", "industrial", "commercial", "retail", "railway", "garages"}))
        return TFeatureKind::Landuse;
    if (Is(tags, "place", {"suburb", "quarter", "neighbourhood"}) && tags["name"])
        return TFeatureKind::District;
    return std::nullopt;
}

bool IsRailway(const osmium::TagList& tags) {
    return Is(tags, "railway", {"rail", "light_rail", "tram", "subway", "narrow_gauge"});
}

std::optional<uint8_t> WaterwayOf(const osmium::TagList& tags) {
    if (Is(tags, "waterway", {"river"})) return 0;
    if (Is(tags, "waterway", {"canal"})) return 1;
    if (Is(tags, "waterway", {"stream", "drain", "ditch"})) return 2;
    return std::nullopt;
}

int PlaceRank(const QString& kind) {
    if (kind == u"city") return 4;
    if (kind == u"town") return 3;
    if (kind == u"village") return 2;
    if (kind == u"hamlet") return 1;
    return 0;
}

// Texts that repeat all over a town (street names, house numbers, opening hours) are kept once;
// every feature that has one shares that copy.
class TSharedTexts {
public:
    QString Of(const QString& text) {
        if (text.isEmpty()) return {};
        if (const auto it = texts_.constFind(text); it != texts_.constEnd()) return *it;
        texts_.insert(text);
        return text;
    }

private:
    QSet<QString> texts_;
};

class TCollector : public osmium::handler::Handler {
public:
    explicit TCollector(TOsmExtract& x) : x_(x) {}

    TOsmAddress AddressOf(const osmium::TagList& tags, const char* street = "addr:street",
                          const char* house = "addr:housenumber") {
        TOsmAddress a{Shared(tags, street), Shared(tags, house)};
        if (a.Street.isEmpty()) a.Street = Shared(tags, "addr:place"); // villages number by place
        return a;
    }

    void node(const osmium::Node& n) {
        ++x_.Counts.Nodes;
        const osmium::TagList& tags = n.tags();
        if (tags.empty() || !n.location().valid()) return;
        const TOsmPoint at = Point(n.location());
        if (const char* place = tags["place"]; place && tags["name"]) {
            TOsmPlace p{Tag(tags, "name"), QString::fromUtf8(place), at};
            const int rank = PlaceRank(p.Kind);
            if (rank > townRank_) {
                townRank_ = rank;
                x_.TownName = p.Name;
            }
            x_.Places.push_back(std::move(p));
            return;
        }
        if (AddOrganisation(tags, at, -1, true)) return;
        if (tags["addr:housenumber"]) {
            TOsmAddressPoint a{AddressOf(tags), at};
            if (!a.Address.Empty()) x_.AddressPoints.push_back(std::move(a));
        }
    }

    void way(const osmium::Way& w) {
        ++x_.Counts.Ways;
        const osmium::TagList& tags = w.tags();
        if (tags.empty()) return;
        const auto road = RoadOf(tags);
        const auto water = WaterwayOf(tags);
        const bool rail = IsRailway(tags);
        const bool closed =
            w.nodes().size() > 2 && w.nodes().front().ref() == w.nodes().back().ref();
        const bool area = closed && AreaKindOf(tags).has_value();
        if (!road && !water && !rail && !area) return;

        TOsmRing line;
        line.reserve(w.nodes().size());
        bool missing = false;
        for (const osmium::NodeRef& r : w.nodes()) {
            if (r.location().valid())
                line.push_back(Point(r.location()));
            else
                missing = true;
        }
        if (missing) {
            ++x_.Counts.WaysWithMissingNodes;
            // An area with a gap is not assembled; a line is drawn with what is left.
            if (area && !road && !water && !rail) ++x_.Counts.WaysSkipped;
        }
        if (!road && !water && !rail) return;
        if (line.size() < 2) {
            ++x_.Counts.WaysSkipped;
            return;
        }
        // A pedestrian area is drawn as a square, not as a line around it.
        if (road == TRoadClass::Pedestrian && Is(tags, "area", {"yes"})) return;
        TOsmFeature f;
        f.Kind = road    ? TFeatureKind::Street
                 : water ? TFeatureKind::Waterway
                         : TFeatureKind::Railway;
        if (road) f.Road = *road;
        if (water) f.Road = TRoadClass(*water);
        f.Name = Shared(tags, "name"); // the pieces of one street
        f.OsmId = w.id();
        f.Rings.push_back(std::move(line));
        x_.Features.push_back(std::move(f));
    }

    void relation(const osmium::Relation&) { ++x_.Counts.Relations; }

    void area(const osmium::Area& a) {
        const osmium::TagList& tags = a.tags();
        const auto kind = AreaKindOf(tags);
        if (!kind) return;
        TOsmFeature f;
        f.Kind = *kind;
        f.OsmId = a.orig_id();
        f.Name = Tag(tags, "name");
        for (const osmium::OuterRing& ring : a.outer_rings()) {
            TOsmRing r;
            r.reserve(ring.size());
            for (const osmium::NodeRef& n : ring)
                if (n.location().valid()) r.push_back(Point(n.location()));
            if (r.size() >= 3) f.Rings.push_back(std::move(r));
        }
        if (f.Rings.empty()) return;
        if (f.Kind == TFeatureKind::District) {
            x_.Places.push_back({f.Name, Tag(tags, "place"), Centre(f.Rings.front())});
            return;
        }
        if (f.Kind == TFeatureKind::Landuse) f.Industrial = Is(tags, "landuse", {"industrial"});
        if (f.Kind == TFeatureKind::Building) {
            f.Address = AddressOf(tags);
            f.Address2 = AddressOf(tags, "addr:street2", "addr:housenumber2");
            f.Height = Number(Tag(tags, "height"));
            if (f.Height <= 0) f.Height = Number(Tag(tags, "building:levels")) * 3;
            f.Wooden = Is(tags, "building", {"hut", "cabin", "shed", "barn", "wooden"}) ||
                       Is(tags, "building:material", {"wood"});
            const int index = int(x_.Features.size());
            const TOsmPoint centre = Centre(f.Rings.front());
            x_.Features.push_back(std::move(f));
            AddOrganisation(tags, centre, index, false);
            return;
        }
        x_.Features.push_back(std::move(f));
    }

private:
    static TOsmPoint Centre(const TOsmRing& r) {
        int64_t x = 0, y = 0;
        for (const TOsmPoint& p : r) {
            x += p.X;
            y += p.Y;
        }
        const int64_t n = std::max<int64_t>(1, int64_t(r.size()));
        return {int32_t(x / n), int32_t(y / n)};
    }

    bool AddOrganisation(const osmium::TagList& tags, TOsmPoint at, int building, bool point) {
        const QString name = Tag(tags, "name");
        if (name.isEmpty()) return false;
        TOsmOrganisation o;
        for (const QString& key : TRubricTable::Keys()) {
            const QByteArray k = key.toLatin1();
            const char* v = tags[k.constData()];
            if (!v) continue;
            const TRubricRule* rule = TRubricTable::Standard().Find(key, QString::fromUtf8(v));
            if (!rule) continue;
            if (o.Rubrics.isEmpty()) o.Picture = rule->Picture;
            if (!o.Rubrics.contains(rule->Rubric)) o.Rubrics << rule->Rubric;
        }
        if (o.Rubrics.isEmpty()) return false;
        o.Title = name;
        for (const char* key : {"phone", "contact:phone", "contact:mobile"})
            for (const QString& p : Tag(tags, key).split(u';', Qt::SkipEmptyParts))
                if (!o.Phones.contains(p.trimmed())) o.Phones << p.trimmed();
        o.Website = Shared(tags, "website"); // shops of a chain share theirs
        if (o.Website.isEmpty()) o.Website = Shared(tags, "contact:website");
        o.Email = Shared(tags, "email");
        if (o.Email.isEmpty()) o.Email = Shared(tags, "contact:email");
        QStringList comment;
        if (const QString hours = Tag(tags, "opening_hours"); !hours.isEmpty())
            comment << QStringLiteral("Режим работы: %1").arg(hours);
        if (const QString d = Tag(tags, "description"); !d.isEmpty()) comment << d;
        o.Comment = shared_.Of(comment.join(u'\n'));
        o.Address = AddressOf(tags);
        o.At = at;
        o.Building = building;
        o.IsPoint = point;
        x_.Organisations.push_back(std::move(o));
        return true;
    }

    // A tag's text as the program's fonts can draw it.
    QString Tag(const osmium::TagList& tags, const char* key) {
        const char* v = tags[key];
        return v ? WithoutPictographs(QString::fromUtf8(v), x_.Counts.PictographsDropped).trimmed()
                 : QString();
    }

    QString Shared(const osmium::TagList& tags, const char* key) {
        return shared_.Of(Tag(tags, key));
    }

    TOsmExtract& x_;
    TSharedTexts shared_;
    int townRank_ = 0;
};

using TLocationIndex =
    osmium::index::map::FlexMem<osmium::unsigned_object_id_type, osmium::Location>;

// The two passes over a file that areas need: the relations first, then every object in file
// order. XML is parsed once, because parsing is what costs: the nodes before the first way or
// relation go to the first pass's handler while the parser runs on, and only the objects after
// them are kept for the second pass. PBF decodes quickly and is read twice, holding a few blocks
// at a time. A damaged file ends a pass with what came before and the reason in ReadError; a file
// that cannot be opened throws.
class TOsmInput {
public:
    explicit TOsmInput(const std::string& name)
        : file_(name), keep_(file_.format() == osmium::io::file_format::xml) {}

    // leadingNode gets the nodes an XML file starts with, relation every relation.
    template <typename N, typename R> void FirstPass(N&& leadingNode, R&& relation) {
        if (!keep_) {
            return Read(osmium::osm_entity_bits::relation, [&](osmium::memory::Buffer& b) {
                for (const osmium::Relation& r : b.select<osmium::Relation>()) relation(r);
            });
        }
        bool leading = true;
        Read(osmium::osm_entity_bits::all, [&](osmium::memory::Buffer& b) {
            auto it = b.begin<osmium::OSMEntity>();
            for (; leading && it != b.end<osmium::OSMEntity>(); ++it) {
                if (it->type() != osmium::item_type::node) {
                    leading = false;
                    break;
                }
                leadingNode(static_cast<const osmium::Node&>(*it));
            }
            if (it == b.end<osmium::OSMEntity>()) return;
            for (auto r = it; r != b.end<osmium::OSMEntity>(); ++r)
                if (r->type() == osmium::item_type::relation)
                    relation(static_cast<const osmium::Relation&>(*r));
            if (it == b.begin<osmium::OSMEntity>()) {
                kept_.push_back(std::move(b));
                return;
            }
            // The buffer where the nodes end: only its rest is kept.
            osmium::memory::Buffer rest{b.committed(), osmium::memory::Buffer::auto_grow::yes};
            for (; it != b.end<osmium::OSMEntity>(); ++it) {
                rest.add_item(*it);
                rest.commit();
            }
            kept_.push_back(std::move(rest));
        });
    }

    // Every object the first pass did not hand on; kept buffers are let go as soon as used.
    template <typename F> void SecondPass(F&& each) {
        auto all = [&](osmium::memory::Buffer& b) {
            for (osmium::OSMEntity& item : b) each(item);
        };
        if (!keep_) return Read(osmium::osm_entity_bits::all, all);
        for (osmium::memory::Buffer& b : kept_) {
            all(b);
            b = osmium::memory::Buffer();
        }
        kept_.clear();
    }

    QString ReadError;

private:
    template <typename F> void Read(osmium::osm_entity_bits::type kinds, F&& each) {
        LimitQueues();
        osmium::io::Reader reader{file_, kinds, osmium::io::read_meta::no};
        try {
            while (osmium::memory::Buffer b = reader.read()) each(b);
            reader.close();
        } catch (const std::exception& e) {
            // The next pass meets the same damage and keeps what lies before it.
            ReadError = QString::fromUtf8(e.what());
        }
    }

    // The reader's queues hold twenty blocks of raw text and twenty of objects by default: with
    // the parser or the handler the slower side, that is tens of megabytes waiting in memory for
    // no gain in speed. A few are enough to keep both threads busy; a value set by the user stays.
    static void LimitQueues() {
        setenv("OSMIUM_MAX_INPUT_QUEUE_SIZE", "4", 0);
        setenv("OSMIUM_MAX_OSMDATA_QUEUE_SIZE", "4", 0);
    }

    osmium::io::File file_;
    bool keep_;
    std::vector<osmium::memory::Buffer> kept_;
};

} // namespace

bool ReadOsmFile(const QString& path, TOsmExtract& out, QString* error) {
    auto fail = [&](const QString& text) {
        if (error) *error = text;
        return false;
    };
    if (!QFileInfo(path).isFile() || !QFile(path).open(QIODevice::ReadOnly))
        return fail(QStringLiteral("Не удалось открыть файл «%1»").arg(path));
    osmium::area::Assembler::config_type config;
    osmium::area::MultipolygonManager<osmium::area::Assembler> areas{config};
    TCollector collector(out);
    try {
        TOsmInput input(QFile::encodeName(path).toStdString());
        TLocationIndex index;
        osmium::handler::NodeLocationsForWays<TLocationIndex> locations{index};
        locations.ignore_errors(); // a way whose nodes are missing keeps the ones there are
        input.FirstPass(
            [&](const osmium::Node& n) {
                locations.node(n);
                collector.node(n);
            },
            [&areas](const osmium::Relation& r) { areas.relation(r); });
        areas.prepare_for_lookup();
        // The parser's threads have ended: what they freed goes back before the extract grows.
        platform::ReturnFreeMemory();
        auto& assembled = areas.handler(
            [&collector](osmium::memory::Buffer&& buffer) { osmium::apply(buffer, collector); });
        // One flush at the end, as when the whole file is one stream: the order in which
        // areas reach the collector decides the order of the map's objects.
        input.SecondPass([&](osmium::OSMEntity& item) {
            osmium::apply_item(item, locations, collector, assembled);
        });
        osmium::apply_flush(locations, collector, assembled);
        out.ReadError = input.ReadError;
    } catch (const std::exception& e) {
        return fail(QStringLiteral("Не удалось прочитать файл «%1»: %2")
                        .arg(path, QString::fromUtf8(e.what())));
    }
    if (out.Counts.Objects() == 0)
        return fail(out.ReadError.isEmpty()
                        ? QStringLiteral("В файле «%1» нет данных OpenStreetMap").arg(path)
                        : QStringLiteral("Файл «%1» повреждён: %2").arg(path, out.ReadError));
    return true;
}

} // namespace tsivor::importosm
