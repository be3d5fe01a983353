#pragma once
// Access (Jet) database files: telling them apart and carrying their tables over into SQLite
// through mdbtools, so the rest of the program only ever talks to SQLite.

#include <QString>

namespace tsivor::directory {

enum class TDatabaseFormat { Missing, SQLite, Jet, Unknown };

// By the header bytes of the file.
TDatabaseFormat DetectDatabaseFormat(const QString& path);

// The Windows code page in which Jet 3 keeps the texts of a file of this sort order (a
// language id: 1049 Russian gives 1251, 1033 General gives 1252, ...); 1252 when unknown.
int JetCodePageOfLanguage(int languageId);

// Copies every user table of a Jet 3 or Jet 4 file, with all its columns, into a new SQLite
// file at sqlitePath (an existing one is replaced only when the import succeeded). Texts end
// up as UTF-8; Jet 3 texts are read in the code page of the file's sort order, or in codePage
// when it is not 0. False with a Russian message naming the file when it cannot be read.
bool ImportJetDatabase(const QString& jetPath, const QString& sqlitePath, QString* error,
                       int codePage = 0);

// The SQLite file that serves a database path: the file itself when it is SQLite, for a Jet
// file its import (name + ".sqlite") beside it, or in the user's folder when the Jet file's
// folder takes no new files (TFileLocation), made anew when the Jet file is newer. Empty,
// with a Russian message, when the file is missing, damaged or cannot be imported.
QString ResolveDatabaseFile(const QString& path, QString* error);

} // namespace tsivor::directory
