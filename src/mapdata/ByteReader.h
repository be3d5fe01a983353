#pragma once
// Bounds-checked reading of little-endian map content. Every read is checked against the bytes
// left before anything is taken or allocated; fields are copied out, never cast in place.

#include <QByteArray>

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

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

// Where a reader takes content it does not hold: the next n bytes, in order, into out; how many
// it gave, fewer only where the content ends or cannot be read.
class TByteSource {
public:
    virtual ~TByteSource() = default;
    virtual size_t Read(uint8_t* out, size_t n) = 0;
};

class TByteReader {
public:
    TByteReader(const uint8_t* data, size_t size) : data_(data), size_(size), end_(size) {}
    explicit TByteReader(const QByteArray& bytes)
        : TByteReader(reinterpret_cast<const uint8_t*>(bytes.constData()), size_t(bytes.size())) {}
    // The size bytes the source gives, held window bytes at a time (more for a longer Take),
    // so that a large content is never held whole. A pointer that Take or Peek gave stays
    // valid until the next Take, Peek or Skip. Should the source give less, the content ends
    // where it stopped.
    TByteReader(TByteSource& source, size_t size, size_t window)
        : size_(size), source_(&source), window_(window) {}

    size_t Pos() const { return pos_; }
    size_t Size() const { return size_; }
    size_t Remaining() const { return size_ - pos_; }
    bool AtEnd() const { return pos_ >= size_; }
    bool Has(int64_t n) const { return n >= 0 && uint64_t(n) <= Remaining(); }

    // The next n bytes, consumed; nullptr (and nothing consumed) when fewer are left.
    const uint8_t* Take(int64_t n) {
        const uint8_t* at = Peek(n);
        if (at) pos_ += size_t(n);
        return at;
    }
    // The next n bytes without consuming them.
    const uint8_t* Peek(int64_t n) {
        if (!Has(n) || (pos_ + size_t(n) > end_ && !Refill(size_t(n)))) return nullptr;
        return data_ + (pos_ - start_);
    }
    bool Skip(int64_t n) { return Take(n) != nullptr; }

private:
    // Moves the window to start at the position, holding at least n bytes; false when the
    // content ends before them.
    bool Refill(size_t n);

    const uint8_t* data_ = nullptr; // content offset start_ is data_[0]
    size_t size_;
    size_t pos_ = 0;
    size_t start_ = 0, end_ = 0; // content offsets the held bytes span
    TByteSource* source_ = nullptr;
    size_t window_ = 0;
    std::vector<uint8_t> held_;
};

} // namespace tsivor::mapdata
