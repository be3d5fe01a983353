#include "mapdata/MapEnvelope.h"

#include <cstring>

namespace tsivor::mapdata {

const std::array<uint8_t, kKeySize> kScrambleKey = {0x5A, 0xC3, 0x17, 0x8E, 0x66,
                                                    0xB1, 0x2D, 0xF4, 0x09, 0x9B};

namespace {

// Any 31 bytes will do; a readable name helps whoever looks at the file.
constexpr char kPreamble[kPreambleSize + 1] = "TSIVOR MAP\x1a                    ";
static_assert(sizeof(kPreamble) == kPreambleSize + 1);

} // namespace

void XorInPlace(uint8_t* d, qsizetype n, qint64 offset) {
    // Blocks of 10 bytes; the last one may be shorter and then uses key bytes 0..k-1.
    // Working 40 bytes at a time (the least common multiple of 10 and 8) keeps the key in step.
    const int phase = int(offset % kKeySize);
    uint64_t key40[5];
    uint8_t rep[40];
    for (int i = 0; i < 40; ++i) rep[i] = kScrambleKey[size_t((i + phase) % kKeySize)];
    std::memcpy(key40, rep, sizeof rep);
    qsizetype i = 0;
    for (; i + 40 <= n; i += 40) {
        for (int w = 0; w < 5; ++w) {
            uint64_t v;
            std::memcpy(&v, d + i + w * 8, 8);
            v ^= key40[w];
            std::memcpy(d + i + w * 8, &v, 8);
        }
    }
    for (; i < n; ++i) d[i] ^= kScrambleKey[size_t((i + phase) % kKeySize)];
}

QByteArray XorWithKey(const QByteArray& content) {
    QByteArray out(content);
    XorInPlace(reinterpret_cast<uint8_t*>(out.data()), out.size());
    return out;
}

QByteArray Scramble(const QByteArray& content) {
    // One allocation of the final size: a large map is not held three times over.
    QByteArray out;
    out.reserve(kPreambleSize + content.size());
    out.append(kPreamble, kPreambleSize).append(content);
    XorInPlace(reinterpret_cast<uint8_t*>(out.data()) + kPreambleSize, content.size());
    return out;
}

TMapFileWriter::TMapFileWriter(const QString& path) : file_(path) {
    ok_ =
        file_.open(QIODevice::WriteOnly) && file_.write(kPreamble, kPreambleSize) == kPreambleSize;
}

bool TMapFileWriter::Write(QByteArray& content) {
    if (!ok_) return false;
    XorInPlace(reinterpret_cast<uint8_t*>(content.data()), content.size(), offset_);
    offset_ += content.size();
    ok_ = file_.write(content) == content.size();
    return ok_;
}

bool TMapFileWriter::Finish() {
    if (ok_) ok_ = file_.flush();
    file_.close();
    return ok_;
}

QByteArray Unscramble(const QByteArray& file) {
    if (file.size() <= kPreambleSize) return {};
    QByteArray out = file.mid(kPreambleSize);
    XorInPlace(reinterpret_cast<uint8_t*>(out.data()), out.size());
    return out;
}

} // namespace tsivor::mapdata
