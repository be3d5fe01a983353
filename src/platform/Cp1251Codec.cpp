#include "platform/Cp1251Codec.h"

#include <array>

namespace tsivor::platform {
namespace {

// Bytes 0x80..0xBF; 0xC0..0xFF are U+0410..U+044F. 0x98 has no character.
constexpr std::array<char16_t, 64> kHigh = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021, 0x20AC, 0x2030, 0x0409,
    0x2039, 0x040A, 0x040C, 0x040B, 0x040F, 0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0xFFFD, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F, 0x00A0,
    0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7, 0x0401, 0x00A9, 0x0404, 0x00AB,
    0x00AC, 0x00AD, 0x00AE, 0x0407, 0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6,
    0x00B7, 0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457};

char16_t DecodeByte(unsigned char b) {
    if (b < 0x80) return b;
    if (b >= 0xC0) return char16_t(0x0410 + (b - 0xC0));
    return kHigh[b - 0x80];
}

int EncodeChar(char16_t c) {
    if (c < 0x80) return c;
    if (c >= 0x0410 && c <= 0x044F) return 0xC0 + (c - 0x0410);
    for (int i = 0; i < 64; ++i)
        if (kHigh[i] == c && c != 0xFFFD) return 0x80 + i;
    return -1;
}

} // namespace

QString Cp1251Decode(const char* bytes, qsizetype length) {
    QString out;
    if (length <= 0) return out;
    out.resize(length);
    QChar* d = out.data();
    for (qsizetype i = 0; i < length; ++i)
        d[i] = QChar(DecodeByte(static_cast<unsigned char>(bytes[i])));
    return out;
}

QByteArray Cp1251Encode(const QString& text) {
    QByteArray out;
    out.resize(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const int b = EncodeChar(text[i].unicode());
        out[i] = b < 0 ? '?' : char(b);
    }
    return out;
}

bool Cp1251Representable(const QString& text) {
    for (QChar c : text)
        if (EncodeChar(c.unicode()) < 0) return false;
    return true;
}

} // namespace tsivor::platform
