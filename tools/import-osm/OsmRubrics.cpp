#include "OsmRubrics.h"

#include <QStringList>

namespace tsivor::importosm {

extern const char* const kRubricTable;

TRubricTable::TRubricTable(const QString& tsv) {
    for (const QString& line : tsv.split(u'\n', Qt::SkipEmptyParts)) {
        const QStringList f = line.split(u'\t');
        if (f.size() < 3 || line.startsWith(u'#')) continue;
        TRubricRule r{f[0].trimmed(), f[1].trimmed(), f[2].trimmed()};
        if (f.size() > 3) r.Picture = f[3].trimmed().toInt();
        FRules.push_back(std::move(r));
    }
}

const TRubricTable& TRubricTable::Standard() {
    static const TRubricTable table(QString::fromUtf8(kRubricTable));
    return table;
}

const std::vector<QString>& TRubricTable::Keys() {
    static const std::vector<QString> keys = {"amenity", "shop",       "office", "tourism",
                                              "leisure", "healthcare", "craft"};
    return keys;
}

const TRubricRule* TRubricTable::Find(const QString& key, const QString& value) const {
    const TRubricRule* any = nullptr;
    for (const TRubricRule& r : FRules) {
        if (r.Key != key) continue;
        if (r.Value == value) return &r;
        if (r.Value == u'*' && !any) any = &r;
    }
    return any;
}

} // namespace tsivor::importosm
