#pragma once
// The scrambled envelope of a map file: a 31-byte preamble, then the content XORed with a
// 10-byte key in blocks of 10 bytes.

#include <QByteArray>
#include <QFile>
#include <QString>

#include <array>
#include <cstdint>

namespace tsivor::mapdata {

constexpr int kPreambleSize = 31;
constexpr int kKeySize = 10;
extern const std::array<uint8_t, kKeySize> kScrambleKey;

// XORs content byte i with key byte (i mod 10); the same call scrambles and unscrambles.
QByteArray XorWithKey(const QByteArray& content);
// offset: where data stands in the content, for content scrambled piece by piece.
void XorInPlace(uint8_t* data, qsizetype size, qint64 offset = 0);
// Preamble plus scrambled content, ready to be written as info1.db.
QByteArray Scramble(const QByteArray& content);
// A map file written piece by piece: the preamble, then the content scrambled as it comes, so
// a large map is never held whole.
class TMapFileWriter {
public:
    explicit TMapFileWriter(const QString& path);
    // Appends content bytes (scrambled in place); false once anything failed.
    bool Write(QByteArray& content);
    // False when the file could not be written whole.
    bool Finish();

private:
    QFile file_;
    qint64 offset_ = 0;
    bool ok_ = false;
};
// The plain content of a whole envelope file; a file shorter than the preamble gives empty.
QByteArray Unscramble(const QByteArray& file);

} // namespace tsivor::mapdata
