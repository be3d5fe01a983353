#pragma once
// A small deterministic generator, so that every build writes the same sample files.

#include <cstdint>
#include <vector>

namespace tsivor::sample {

class Dice {
public:
    explicit Dice(uint64_t seed) : state_(seed) {}
    uint32_t Next() {
        state_ = state_ * 6364136223846793005ull + 1442695040888963407ull;
        return uint32_t(state_ >> 33);
    }
    int Int(int lo, int hi) { return lo + int(Next() % uint32_t(hi - lo + 1)); }
    bool Chance(int percent) { return Int(1, 100) <= percent; }
    template <class T> const T& Pick(const std::vector<T>& v) {
        return v[size_t(Int(0, int(v.size()) - 1))];
    }

private:
    uint64_t state_;
};

} // namespace tsivor::sample
