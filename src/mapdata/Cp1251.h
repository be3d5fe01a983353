#pragma once
// Code page 1251 at the boundary of the map file and the icon library; QString inside.

#include <QByteArray>
#include <QString>

#include <cstdint>

namespace tsivor::cp1251 {

QString ToUnicode(const QByteArray& bytes);
QString ToUnicode(const char* bytes, int length);
// Characters outside code page 1251 become '?'.
QByteArray FromUnicode(const QString& text);
// True when every character of text has a code page 1251 byte.
bool Representable(const QString& text);

// Upper case in the sense of code page 1251: Latin and Cyrillic letters, ё/Ё included;
// every other character stays as it is.
QString Upper(const QString& text);
// Trims spaces and control characters (<= U+0020) at both ends, as the old runtime did.
QString Trim(const QString& text);
// Trim, then Upper: the form in which names are compared.
inline QString Key(const QString& text) {
    return Upper(Trim(text));
}

} // namespace tsivor::cp1251
