#include "OsmDirectory.h"

#include "OsmMapBuilder.h"

#include "directory/Database.h"
#include "directory/DirectorySchema.h"
#include "directory/Statement.h"

#include <QFile>
#include <QMap>

namespace tsivor::importosm {

using directory::TDatabase;
using directory::TStatement;

namespace {

// The start list shows this many organisations that have a house on the map.
constexpr int kAutoLoad = 25;

class TDirectoryWriter {
public:
    TDirectoryWriter(const TOsmExtract& x, TOsmMapBuilder& map, const QString& town, TDatabase& db,
                     QString* error)
        : x_(x), map_(map), town_(map.MapName(town)), db_(db), error_(error) {}

    bool Write(TDirectoryCounts& counts) {
        if (!db_.Exec(QStringLiteral("BEGIN"), error_)) return false;
        QMap<QString, int> rubrics; // sorted by name
        for (const TOsmOrganisation& o : x_.Organisations)
            for (const QString& r : o.Rubrics) rubrics.insert(r, 0);
        int id = 1;
        for (auto it = rubrics.begin(); it != rubrics.end(); ++it) {
            it.value() = id;
            Run(topic_, {id++, it.key()});
        }
        counts.Rubrics = int(rubrics.size());

        int autoLoad = 0, adr = 1, phone = 1, jump = 1;
        for (size_t i = 0; i < x_.Organisations.size(); ++i) {
            const TOsmOrganisation& o = x_.Organisations[i];
            const int orgId = int(i) + 1;
            const TOsmAddress& a = o.Address;
            const int object = o.MapObject;
            const QString ids = object >= 0 ? QStringLiteral("%1;").arg(object) : QString();
            const int load = object >= 0 && autoLoad < kAutoLoad ? 1 : 0;
            autoLoad += load;
            Run(main_, {orgId, o.Title, o.Comment, o.Website, o.Email, load, ids});
            for (const QString& r : o.Rubrics) Run(jump_, {jump++, rubrics.value(r), orgId});
            // Streets as the map names them, so that a card's address finds its house.
            const QString street = a.Street.isEmpty() ? town_ : map_.MapName(a.Street);
            Run(adr_, {adr, orgId, StreetId(street), map_.MapName(a.House), object});
            for (const QString& p : o.Phones) {
                Run(phone_, {phone++, adr, p});
                ++counts.Phones;
            }
            ++adr;
            ++counts.Addresses;
            if (object >= 0) ++counts.OnMap;
        }
        counts.Organisations = int(x_.Organisations.size());
        return ok_ && db_.Exec(QStringLiteral("COMMIT"), error_);
    }

private:
    void Run(TStatement& statement, const std::vector<QVariant>& values) {
        if (ok_) ok_ = statement.Run(values, error_);
    }

    int StreetId(const QString& name) {
        if (const auto it = streets_.constFind(name); it != streets_.constEnd()) return *it;
        const int id = int(streets_.size()) + 1;
        streets_.insert(name, id);
        Run(street_, {id, name});
        return id;
    }

    const TOsmExtract& x_;
    TOsmMapBuilder& map_;
    QString town_;
    TDatabase& db_;
    QString* error_;
    bool ok_ = true;
    QHash<QString, int> streets_;
    TStatement topic_{db_, QStringLiteral("INSERT INTO Topics (id, Name) VALUES (?1, ?2)")};
    TStatement main_{db_, QStringLiteral("INSERT INTO Main (Id, Title, Memo, www, Mail, File, "
                                         "Header, Color, AutoLoad, ids) "
                                         "VALUES (?1, ?2, ?3, ?4, ?5, '', '', 0, ?6, ?7)")};
    TStatement jump_{
        db_, QStringLiteral("INSERT INTO Jumps (Id, Id_Topic, Id_Main) VALUES (?1, ?2, ?3)")};
    TStatement adr_{db_, QStringLiteral("INSERT INTO Adr (Id, Id_Main, Id_Street, Adr_Pre, Number, "
                                        "Adr_Post, id_map) VALUES (?1, ?2, ?3, '', ?4, '', ?5)")};
    TStatement phone_{db_, QStringLiteral("INSERT INTO Phones (Id, Id_Adr, Kind, Phone, Comment) "
                                          "VALUES (?1, ?2, 'тел', ?3, '')")};
    TStatement street_{db_, QStringLiteral("INSERT INTO Streets (id, Name) VALUES (?1, ?2)")};
};

} // namespace

bool WriteOsmDirectory(const TOsmExtract& extract, TOsmMapBuilder& map, const QString& town,
                       const QString& path, TDirectoryCounts& counts, QString* error) {
    QFile::remove(path);
    TDatabase db;
    if (!db.Open(path, TDatabase::Mode::Create, error)) return false;
    if (!directory::CreateSchema(db, directory::DirectoryTables(), error) ||
        !TDirectoryWriter(extract, map, town, db, error).Write(counts)) {
        db.Close();
        QFile::remove(path);
        return false;
    }
    return true;
}

} // namespace tsivor::importosm
