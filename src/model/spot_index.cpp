// The grid of film spots and the nearest-spot query.
#include "model/spot_index.h"

#include <algorithm>
#include <cmath>

namespace {

// The cell column (or row) of a film coordinate in -1..1; 1 itself falls in the last cell.
int cellOf(double v) {
    const int c = static_cast<int>((v + 1.0) * 0.5 * SpotIndex::kCells);
    return std::clamp(c, 0, SpotIndex::kCells - 1);
}

bool onFilm(const FilmSpot& s) {
    return std::isfinite(s.x) && std::isfinite(s.y) && std::fabs(s.x) <= 1.0f && std::fabs(s.y) <= 1.0f;
}

}  // namespace

void SpotIndex::build(const std::vector<FilmSpot>& spots) {
    constexpr int kAllCells = kCells * kCells;
    cellStart_.assign(kAllCells + 1, 0);
    // Counting sort: count per cell, turn counts into offsets, place each spot.
    for (const FilmSpot& s : spots)
        if (onFilm(s)) ++cellStart_[cellOf(s.y) * kCells + cellOf(s.x) + 1];
    for (int c = 0; c < kAllCells; ++c) cellStart_[c + 1] += cellStart_[c];
    spots_.resize(static_cast<size_t>(cellStart_[kAllCells]));
    std::vector<int> next(cellStart_.begin(), cellStart_.end() - 1);
    for (const FilmSpot& s : spots)
        if (onFilm(s)) spots_[static_cast<size_t>(next[cellOf(s.y) * kCells + cellOf(s.x)]++)] = s;
}

int SpotIndex::nearest(double x, double y, double reachX, double reachY) const {
    if (spots_.empty() || !(reachX > 0) || !(reachY > 0)) return -1;
    const int c0 = cellOf(x - reachX), c1 = cellOf(x + reachX);
    const int r0 = cellOf(y - reachY), r1 = cellOf(y + reachY);
    int best = -1;
    double bestDistance = 1.0;  // squared, in units of the reach: within reach is <= 1
    for (int r = r0; r <= r1; ++r) {
        for (int c = c0; c <= c1; ++c) {
            const int cell = r * kCells + c;
            for (int i = cellStart_[cell]; i < cellStart_[cell + 1]; ++i) {
                const FilmSpot& s = spots_[static_cast<size_t>(i)];
                const double dx = (s.x - x) / reachX, dy = (s.y - y) / reachY;
                const double d = dx * dx + dy * dy;
                if (d < bestDistance || (d == bestDistance && s.entry > best)) {
                    bestDistance = d;
                    best = s.entry;
                }
            }
        }
    }
    return best;
}
