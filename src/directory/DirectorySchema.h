#pragma once
// The tables of the directory (info.db) and of the real-estate listings (houses/houses.db) as
// the application reads them. Texts compare and sort without regard to case, as in Jet.

#include "directory/Database.h"

#include <QString>
#include <QStringList>

namespace tsivor::directory {

struct TSchemaColumn {
    const char* Name;
    const char* Type; // "INTEGER", "TEXT" or "REAL"
};

struct TSchemaTable {
    const char* Name;
    std::vector<TSchemaColumn> Columns; // the first is the key where the table has one
    bool FirstIsKey;
};

const std::vector<TSchemaTable>& DirectoryTables();
const std::vector<TSchemaTable>& HousesTables();

// CREATE INDEX statements for the link columns ("Id_...") of a table with these columns. An
// index also carries the columns the searches read along with the link, where the table has
// them, so that a join step never visits the table itself.
QString LinkIndexStatements(const QString& table, const QStringList& columns);
// CREATE TABLE / CREATE INDEX statements of a set of tables.
QString SchemaStatements(const std::vector<TSchemaTable>& tables);
// Creates the tables in an empty database; false with the message.
bool CreateSchema(TDatabase& db, const std::vector<TSchemaTable>& tables, QString* error);
// The names of the tables a database lacks.
QStringList MissingTables(const TDatabase& db, const std::vector<TSchemaTable>& tables);

} // namespace tsivor::directory
