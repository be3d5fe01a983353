#pragma once
// Code page 1251, the 8-bit Cyrillic code page of the original deployments: bytes <-> QString.

#include <QByteArray>
#include <QString>

namespace tsivor::platform {

QString Cp1251Decode(const char* bytes, qsizetype length);
inline QString Cp1251Decode(const QByteArray& bytes) {
    return Cp1251Decode(bytes.constData(), bytes.size());
}
// Characters outside code page 1251 become '?'.
QByteArray Cp1251Encode(const QString& text);
// True when every character of text has a code page 1251 byte.
bool Cp1251Representable(const QString& text);

} // namespace tsivor::platform
