#pragma once
// The fictional city behind the sample deployment: one deterministic plan that the map, the
// directory and the real-estate listings are all made from, so their addresses agree.

#include <QString>

#include <vector>

namespace tsivor::sample {

struct PlanPoint {
    float X = 0, Y = 0;
};

struct PlanStreet {
    QString Name; // as users type it, e.g. "Ленина" (stored upper case on the map)
    QString Kind; // "ул.", "пр-т", "ал.", ...
    std::vector<PlanPoint> Line;  // centre line in map units
    float Width = 0;              // carriageway width in map units
    std::vector<float> Crossings; // distances along Line where other streets cross it
};

struct PlanHouse {
    QString Street;  // a PlanStreet::Name
    QString House;   // house number text, e.g. "12", "12А", "3/1"
    QString Street1; // second street of a corner house, or empty
    QString House1;
    std::vector<PlanPoint> Outline; // polygon in map units
    float Height = 0;               // storeys * 3 map units; 0 for a house without height
    int Storeys = 0;
    int Layer = 0;
    int Category = 0;
    QString District;
    QString Title; // name of a notable building ("Городская больница"), usually empty
};

struct PlanDistrict {
    QString Name; // "Заречный", ...
    std::vector<PlanPoint> Outline;
};

// A block without ordinary houses: a park, a square, a stadium, a factory site, a hospital.
struct PlanArea {
    enum Kind { Park, Square, Stadium, Factory, Hospital };
    Kind Type = Park;
    QString Name;                   // "Городской парк"
    std::vector<PlanPoint> Outline; // the block inside its streets
};

// Where a street crosses the river.
struct PlanBridge {
    QString Street;
    PlanPoint From, To;
    float Width = 0;
};

struct CityPlan {
    QString City;         // "Заречинск"
    QString CityGenitive; // "Заречинска"
    QString Motto;        // "город у реки": after the name on the town's banner, when any
    QString Web;          // the town's web address on the start page, when any
    QString PhoneS, PhoneM; // the publisher's telephones on the start page, when any
    int Mashtab = 0;        // metres per 1000 map units
    std::vector<PlanStreet> Streets;
    std::vector<PlanHouse> Houses;
    std::vector<PlanDistrict> Districts;
    std::vector<PlanPoint> River; // river centre line
    QString RiverName;            // "Быстрица"
    float RiverWidth = 0;         // bank to bank, map units
    std::vector<PlanArea> Areas;
    std::vector<PlanBridge> Bridges;
    std::vector<std::vector<PlanPoint>> Blocks; // every block inside its streets
    std::vector<PlanPoint> Railway;             // along the northern edge of the town
    // The houses of the advertised organisations 1..20 (banners, animations, logos): the
    // organisation numbered n stands at Houses[Advertised[n - 1]].
    std::vector<int> Advertised;
    std::vector<QString> AdvertisedNames;         // their names, as the banners and logos show them
    float MinX = 0, MinY = 0, MaxX = 0, MaxY = 0; // everything of the plan lies inside
};

// The sample city; `large` makes a city of about a million objects for the benchmarks.
CityPlan MakeCityPlan(bool large = false);

} // namespace tsivor::sample
