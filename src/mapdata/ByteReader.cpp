#include "mapdata/ByteReader.h"

#include <algorithm>

namespace tsivor::mapdata {

bool TByteReader::Refill(size_t n) {
    if (!source_) return false;
    const size_t kept = end_ - pos_;
    const size_t want = std::min(std::max(n, window_), size_ - pos_);
    const uint8_t* from = data_ + (pos_ - start_);
    if (held_.size() < want) {
        std::vector<uint8_t> larger(want);
        if (kept > 0) std::memcpy(larger.data(), from, kept);
        held_.swap(larger);
    } else if (kept > 0) {
        std::memmove(held_.data(), from, kept);
    }
    const size_t got = source_->Read(held_.data() + kept, want - kept);
    data_ = held_.data();
    start_ = pos_;
    end_ = pos_ + kept + got;
    if (got < want - kept) size_ = end_;
    return pos_ + n <= end_;
}

} // namespace tsivor::mapdata
