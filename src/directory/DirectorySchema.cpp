#include "directory/DirectorySchema.h"

namespace tsivor::directory {

const std::vector<TSchemaTable>& DirectoryTables() {
    static const std::vector<TSchemaTable> tables = {
        {"Main",
         {{"Id", "INTEGER"},
          {"Title", "TEXT"},
          {"Memo", "TEXT"},
          {"www", "TEXT"},
          {"Mail", "TEXT"},
          {"File", "TEXT"},
          {"Header", "TEXT"},
          {"Color", "INTEGER"},
          {"AutoLoad", "INTEGER"},
          {"ids", "TEXT"}},
         true},
        {"Topics", {{"id", "INTEGER"}, {"Name", "TEXT"}}, true},
        {"Jumps", {{"Id", "INTEGER"}, {"Id_Topic", "INTEGER"}, {"Id_Main", "INTEGER"}}, true},
        {"Adr",
         {{"Id", "INTEGER"},
          {"Id_Main", "INTEGER"},
          {"Id_Street", "INTEGER"},
          {"Adr_Pre", "TEXT"},
          {"Number", "TEXT"},
          {"Adr_Post", "TEXT"},
          {"id_map", "INTEGER"}},
         true},
        {"Streets", {{"id", "INTEGER"}, {"Name", "TEXT"}}, true},
        {"Phones",
         {{"Id", "INTEGER"},
          {"Id_Adr", "INTEGER"},
          {"Kind", "TEXT"},
          {"Phone", "TEXT"},
          {"Comment", "TEXT"}},
         true},
    };
    return tables;
}

const std::vector<TSchemaTable>& HousesTables() {
    static const std::vector<TSchemaTable> tables = {
        {"Base",
         {{"Operation", "INTEGER"},
          {"District", "INTEGER"},
          {"Rooms", "INTEGER"},
          {"Adr", "TEXT"},
          {"FF", "TEXT"},
          {"Square", "REAL"},
          {"Plane", "TEXT"},
          {"Sanuzel", "TEXT"},
          {"Balcon", "TEXT"},
          {"Phone", "TEXT"},
          {"Comment", "TEXT"},
          {"Summa", "REAL"},
          {"ContactPhone", "TEXT"},
          {"DateIn", "TEXT"},
          {"Agency", "INTEGER"}},
         false},
        {"Operations", {{"id", "INTEGER"}, {"Name", "TEXT"}}, true},
        {"Raion", {{"id", "INTEGER"}, {"Name", "TEXT"}}, true},
        {"An", {{"id", "INTEGER"}, {"Name", "TEXT"}, {"Adr", "TEXT"}, {"Phones", "TEXT"}}, true},
    };
    return tables;
}

namespace {

struct TSchemaIndexExtra {
    const char* Table;
    const char* Column;
    const char* With; // further columns of the index, separated by spaces
};

// The rubric list counts links per rubric, the multi-criteria search goes from organisation
// to addresses, telephones and rubrics and tests the street, house and telephone.
const std::vector<TSchemaIndexExtra>& CoveringColumns() {
    static const std::vector<TSchemaIndexExtra> extra = {
        {"Jumps", "Id_Topic", "Id_Main"},
        {"Jumps", "Id_Main", "Id_Topic"},
        {"Adr", "Id_Main", "Id_Street Number"},
        {"Phones", "Id_Adr", "Phone"},
    };
    return extra;
}

} // namespace

QString LinkIndexStatements(const QString& table, const QStringList& columns) {
    auto quoted = [](const QString& name) {
        return u'"' + QString(name).replace(u'"', QStringLiteral("\"\"")) + u'"';
    };
    auto actual = [&](const QString& name) {
        for (const QString& c : columns)
            if (c.compare(name, Qt::CaseInsensitive) == 0) return c;
        return QString();
    };
    QString sql;
    for (const QString& col : columns) {
        if (!col.startsWith(QLatin1String("Id_"), Qt::CaseInsensitive)) continue;
        QStringList indexed = {quoted(col)};
        for (const TSchemaIndexExtra& e : CoveringColumns()) {
            if (table.compare(QLatin1String(e.Table), Qt::CaseInsensitive) != 0 ||
                col.compare(QLatin1String(e.Column), Qt::CaseInsensitive) != 0)
                continue;
            for (const QString& with : QString::fromLatin1(e.With).split(u' ')) {
                const QString found = actual(with);
                if (!found.isEmpty()) indexed << quoted(found);
            }
        }
        sql +=
            QStringLiteral("CREATE INDEX %1 ON %2 (%3);\n")
                .arg(quoted(table + u'_' + col), quoted(table), indexed.join(QStringLiteral(", ")));
    }
    return sql;
}

QString SchemaStatements(const std::vector<TSchemaTable>& tables) {
    QString sql;
    for (const TSchemaTable& t : tables) {
        QStringList cols;
        for (size_t i = 0; i < t.Columns.size(); ++i) {
            const TSchemaColumn& c = t.Columns[i];
            QString def =
                QStringLiteral("\"%1\" %2").arg(QLatin1String(c.Name), QLatin1String(c.Type));
            if (i == 0 && t.FirstIsKey) def += QStringLiteral(" PRIMARY KEY");
            if (QLatin1String(c.Type) == QLatin1String("TEXT"))
                def += QStringLiteral(" COLLATE NOCASE");
            cols << def;
        }
        sql += QStringLiteral("CREATE TABLE \"%1\" (%2);\n")
                   .arg(QLatin1String(t.Name), cols.join(QStringLiteral(", ")));
        QStringList names;
        for (const TSchemaColumn& c : t.Columns) names << QLatin1String(c.Name);
        sql += LinkIndexStatements(QLatin1String(t.Name), names);
    }
    return sql;
}

bool CreateSchema(TDatabase& db, const std::vector<TSchemaTable>& tables, QString* error) {
    return db.Exec(SchemaStatements(tables), error);
}

QStringList MissingTables(const TDatabase& db, const std::vector<TSchemaTable>& tables) {
    QStringList missing;
    for (const TSchemaTable& t : tables)
        if (!db.HasTable(QLatin1String(t.Name))) missing << QLatin1String(t.Name);
    return missing;
}

} // namespace tsivor::directory
