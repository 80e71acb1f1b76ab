#pragma once
// The maker's random source. std::mt19937's output is fixed by the standard, but the
// standard distributions are not, so the maker draws its numbers through these
// hand-written ones: the same seed gives the same folder with every standard library.
#include <cstdint>
#include <random>
#include <vector>

namespace sample {

class DemoRandom {
public:
    explicit DemoRandom(uint32_t seed) : engine_(seed) {}

    uint32_t next() { return uint32_t(engine_()); }

    // Uniform in [lo, hi] (lo <= hi), by rejection so that no value is favoured.
    int between(int lo, int hi)
    {
        const uint64_t span = uint64_t(int64_t(hi) - int64_t(lo)) + 1;
        const uint64_t limit = (uint64_t(1) << 32) / span * span;
        uint64_t v;
        do v = next();
        while (v >= limit);
        return int(int64_t(lo) + int64_t(v % span));
    }

    // True with the given chance in percent.
    bool chance(int percent) { return between(0, 99) < percent; }

    template <class T>
    const T& pick(const std::vector<T>& items)
    {
        return items[size_t(between(0, int(items.size()) - 1))];
    }

private:
    std::mt19937 engine_;
};

} // namespace sample
