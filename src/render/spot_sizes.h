// The intensity look: how large a reflection's spot or lattice point is drawn, from the
// structure factor of the crystal's atoms. A reflection whose |F|² is negligible, though the
// space group allows it (diamond's 222), is not drawn at all.
#pragma once

#include <cstdint>
#include <unordered_map>

#include "model/crystal.h"

class SpotSizes {
public:
    explicit SpotSizes(const Crystal& crystal);

    // Point size in pixels for reflection h k l: 0 when its |F|² is negligible (below a
    // millionth of F(000)²), else 2 for the weakest up to 8 for |F| = F(000); sizes grow with
    // the square root of |F| / F(000) so that weak reflections stay visible.
    int pixels(int h, int k, int l);

    // The crystal the sizes are of.
    const Crystal* crystal() const { return crystal_; }

    // The largest size pixels() gives.
    static constexpr int kLargest = 8;

private:
    const Crystal* crystal_;
    double f000_ = 0.0;  // electrons in the cell, when the crystal has atoms
    std::unordered_map<std::uint64_t, int> cache_;  // by packed h, k, l: |F|² costs microseconds
};
