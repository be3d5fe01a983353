#pragma once
// Which OpenStreetMap tags make an organisation, the Russian rubrics they go into and the picture
// of the "Default" library their note on the map shows. The table itself is data (OsmRubricTable).

#include <QString>

#include <vector>

namespace tsivor::importosm {

struct TRubricRule {
    QString Key;   // "amenity"
    QString Value; // "cafe", or "*" for any value of the key
    QString Rubric;
    int Picture = 12; // number in the "Default" library
};

class TRubricTable {
public:
    // The built-in table.
    static const TRubricTable& Standard();
    explicit TRubricTable(const QString& tsv); // key, value, rubric, picture per line

    // The rule for one tag: an exact value first, then the key's "*"; nullptr when none.
    const TRubricRule* Find(const QString& key, const QString& value) const;
    // The keys that make an organisation, in the order they are looked at.
    static const std::vector<QString>& Keys();
    const std::vector<TRubricRule>& Rules() const { return FRules; }

private:
    std::vector<TRubricRule> FRules;
};

} // namespace tsivor::importosm
