#pragma once
// The scrambled envelope of a map file: a 31-byte preamble, then the content XORed with a
// 10-byte key in blocks of 10 bytes.

#include <QByteArray>
#include <QString>

#include <array>
#include <cstdint>

namespace tsivor::mapdata {

constexpr int kPreambleSize = 31;
constexpr int kKeySize = 10;
extern const std::array<uint8_t, kKeySize> kScrambleKey;

// XORs content byte i with key byte (i mod 10); the same call scrambles and unscrambles.
QByteArray XorWithKey(const QByteArray& content);
void XorInPlace(uint8_t* data, qsizetype size);
// Preamble plus scrambled content, ready to be written as info1.db.
QByteArray Scramble(const QByteArray& content);
// Writes content as a map file (preamble and scrambled content), scrambling the bytes given in
// place; false when the file could not be written whole.
bool WriteMapFile(const QString& path, QByteArray content);
// The plain content of a whole envelope file; a file shorter than the preamble gives empty.
QByteArray Unscramble(const QByteArray& file);

} // namespace tsivor::mapdata
