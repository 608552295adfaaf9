// Spot sizes of the intensity look.
#include "render/spot_sizes.h"

#include <cmath>

namespace {
constexpr double kNegligible = 1e-6;  // of F(000)², below which a reflection is not drawn

// 21 bits per index (two's complement): distinct for |index| < 2^20, far beyond any index range.
std::uint64_t packed(int h, int k, int l) {
    const auto bits = [](int i) { return static_cast<std::uint64_t>(static_cast<std::uint32_t>(i)) & 0x1FFFFFu; };
    return bits(h) << 42 | bits(k) << 21 | bits(l);
}
}  // namespace

SpotSizes::SpotSizes(const Crystal& crystal) : crystal_(&crystal) {
    const Intensities* intensities = crystal.intensities.get();
    if (intensities && intensities->hasAtoms()) f000_ = intensities->electronsInCell();
}

int SpotSizes::pixels(int h, int k, int l) {
    const std::uint64_t key = packed(h, k, l);
    const auto found = cache_.find(key);
    if (found != cache_.end()) return found->second;
    int size = 3;  // without atoms: the usual spot
    const Intensities* intensities = crystal_->intensities.get();
    if (intensities && intensities->hasAtoms()) {
        const double f000 = f000_;
        const double f2 = intensities->squaredF(h, k, l);
        const double ratio = f000 > 0 ? std::sqrt(f2) / f000 : 0.0;  // |F| / F(000), 0..1
        if (!(f2 > kNegligible * f000 * f000)) {
            size = 0;
        } else {
            size = 2 + static_cast<int>(std::lround((kLargest - 2) * std::sqrt(std::fmin(ratio, 1.0))));
        }
    }
    cache_.emplace(key, size);
    return size;
}
