// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>

namespace helixplot::samples {

// splitmix64. Ours, so that generated genomes come out the same with every
// standard library (the std:: distributions do not promise that).
class Rng {
public:
    explicit Rng(std::uint64_t seed) : state_(seed) {}

    std::uint32_t next()
    {
        std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return static_cast<std::uint32_t>((z ^ (z >> 31)) >> 32);
    }
    // lo to hi, both included.
    int range(int lo, int hi) { return lo + static_cast<int>(next() % static_cast<std::uint32_t>(hi - lo + 1)); }
    std::uint8_t byteIn(int lo, int hi) { return static_cast<std::uint8_t>(range(lo, hi)); }
    bool chance(int percent) { return range(0, 99) < percent; }

private:
    std::uint64_t state_;
};

} // namespace helixplot::samples
