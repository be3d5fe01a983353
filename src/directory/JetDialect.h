#pragma once
// The Jet SQL dialect on SQLite: the statements are written for Jet (double-quoted strings,
// case-insensitive like with "%", DISTINCTROW, IIf, & for joining texts); one translation step
// turns them into SQLite's terms and the connection supplies what SQLite lacks.

#include <QByteArray>
#include <QString>
#include <QStringView>

#include <string>

struct sqlite3;

namespace tsivor::directory {

// Rewrites a Jet statement for SQLite with its meaning kept: "text" becomes 'text' (embedded
// quotes re-escaped), DISTINCTROW becomes DISTINCT, & outside strings becomes ||. Everything
// else, single-quoted strings and [bracketed] names included, is passed on unchanged.
QString TranslateJetStatement(QStringView jet);

// Jet's like: case-insensitive in every alphabet (ё and Ё alike), "%" any run, "_" one
// character, "[...]" one character of a set ("[%]" is a literal percent, "[!a-z]" negated).
bool JetLike(QStringView value, QStringView pattern);

// A text folded the way like compares it (case dropped, ё and Ё alike), as UTF-8; a broken
// byte sequence folds byte by byte as like reads it. Folded texts compare as plain bytes.
std::string FoldForLike(const char* utf8, size_t size);
inline std::string FoldForLike(const QString& s) {
    const QByteArray u = s.toUtf8();
    return FoldForLike(u.constData(), size_t(u.size()));
}

// Orders texts the way Jet does for Russian: case-insensitive, ё right after е.
int JetCompareText(QStringView a, QStringView b);

// A pattern that matches text literally inside a Jet like: wildcards and "[" are bracketed.
QString EscapeLikeText(QStringView text);

// Installs like (2 and 3 arguments), UCase, LCase, Len and the NOCASE collation (Unicode-aware)
// on a connection. Returns false when SQLite refused one of them.
bool RegisterJetFunctions(sqlite3* db);

} // namespace tsivor::directory
