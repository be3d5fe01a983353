#include "mapdata/Cp1251.h"

#include "platform/Cp1251Codec.h"

namespace tsivor::cp1251 {

// The code page table itself lives in the platform layer, shared with the INI files.
QString ToUnicode(const char* bytes, int length) {
    return platform::Cp1251Decode(bytes, length);
}

QString ToUnicode(const QByteArray& bytes) {
    return platform::Cp1251Decode(bytes);
}

QByteArray FromUnicode(const QString& text) {
    return platform::Cp1251Encode(text);
}

bool Representable(const QString& text) {
    return platform::Cp1251Representable(text);
}

QString Upper(const QString& text) {
    QString out = text;
    for (QChar& c : out) {
        const char16_t u = c.unicode();
        if (u >= 'a' && u <= 'z')
            c = QChar(char16_t(u - 32));
        else if (u >= 0x0430 && u <= 0x044F)
            c = QChar(char16_t(u - 32));
        else if (u >= 0x0450 && u <= 0x045F)
            c = QChar(char16_t(u - 80)); // ё, ђ, ѓ ... Џ
        else if (u == 0x0491)
            c = QChar(char16_t(0x0490));
    }
    return out;
}

QString Trim(const QString& text) {
    qsizetype b = 0, e = text.size();
    while (b < e && text[b].unicode() <= 0x20) ++b;
    while (e > b && text[e - 1].unicode() <= 0x20) --e;
    return text.mid(b, e - b);
}

} // namespace tsivor::cp1251
