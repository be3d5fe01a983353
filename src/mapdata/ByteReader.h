#pragma once
// Bounds-checked reading of little-endian map content. Every read is checked against the bytes
// left before anything is taken or allocated; fields are copied out, never cast in place.

#include <QByteArray>

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace tsivor::mapdata {

static_assert(std::endian::native == std::endian::little,
              "the map file is little-endian and is decoded by plain copies");

// Field decoders for a span that has already been bounds-checked.
template <typename T> inline T LoadLE(const uint8_t* at) {
    T v;
    std::memcpy(&v, at, sizeof v);
    return v;
}
inline int16_t I16(const uint8_t* at) {
    return LoadLE<int16_t>(at);
}
inline int32_t I32(const uint8_t* at) {
    return LoadLE<int32_t>(at);
}
inline uint32_t U32(const uint8_t* at) {
    return LoadLE<uint32_t>(at);
}
inline float F32(const uint8_t* at) {
    return LoadLE<float>(at);
}
inline double F64(const uint8_t* at) {
    return LoadLE<double>(at);
}

class TByteReader {
public:
    TByteReader(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    explicit TByteReader(const QByteArray& bytes)
        : TByteReader(reinterpret_cast<const uint8_t*>(bytes.constData()), size_t(bytes.size())) {}

    size_t Pos() const { return pos_; }
    size_t Size() const { return size_; }
    size_t Remaining() const { return size_ - pos_; }
    bool AtEnd() const { return pos_ >= size_; }
    bool Has(int64_t n) const { return n >= 0 && uint64_t(n) <= Remaining(); }

    // The next n bytes, consumed; nullptr (and nothing consumed) when fewer are left.
    const uint8_t* Take(int64_t n) {
        if (!Has(n)) return nullptr;
        const uint8_t* at = data_ + pos_;
        pos_ += size_t(n);
        return at;
    }
    // The next n bytes without consuming them.
    const uint8_t* Peek(int64_t n) const { return Has(n) ? data_ + pos_ : nullptr; }
    bool Skip(int64_t n) { return Take(n) != nullptr; }

private:
    const uint8_t* data_;
    size_t size_;
    size_t pos_ = 0;
};

} // namespace tsivor::mapdata
