// Film coordinates, colour tables and the per-redraw point arrays of the two films.
#include "film/film_coords.h"

#include <cmath>
#include <cstring>

namespace {

constexpr double kPi = 3.14159265358979323846;

constexpr FilmColour kBlack{0.0f, 0.0f, 0.0f};
constexpr FilmColour kGreen{0.0f, 1.0f, 0.0f};
constexpr FilmColour kMagenta{1.0f, 0.0f, 1.0f};
constexpr FilmColour kOrange{1.0f, 0.7f, 0.0f};
constexpr FilmColour kYellow{1.0f, 1.0f, 0.0f};
constexpr FilmColour kBlue{0.0f, 0.0f, 1.0f};
constexpr FilmColour kRed{1.0f, 0.0f, 0.0f};

// One row of a colour table: the entry matches when its index h (which = 0) or k (which = 1)
// equals `value`. Rows are tested in order; the first match wins.
struct ColourRow {
    int which;
    int value;
    FilmColour colour;
};

constexpr ColourRow kRotationColours[] = {
    {0, 1, kGreen}, {0, -1, kMagenta}, {1, 1, kOrange}, {1, -1, kBlue},
};
constexpr FilmColour kRotationOther = kRed;  // every other entry, (0, 0, l) included

constexpr ColourRow kWeissenbergColours[] = {
    {0, 1, kGreen}, {0, -1, kMagenta}, {1, 1, kYellow}, {1, -1, kBlue},
};
constexpr FilmColour kWeissenbergOther = kRed;  // every other entry but h = k = 0

template <size_t N>
FilmColour tableColour(const ColourRow (&rows)[N], FilmColour other, int h, int k) {
    for (const ColourRow& row : rows) {
        if ((row.which == 0 ? h : k) == row.value) return row.colour;
    }
    return other;
}

// Merging of hidden points: margin, in pixels, from a pixel's edge and from the viewport's
// border, wider than the renderer's sub-pixel grid of 1/256.
constexpr double kMergeMargin = 1.0 / 64;

constexpr std::uint32_t kMemoSlots = 1u << 13;  // power of two; a few thousand distinct reflections is typical

std::uint32_t memoIndex(int h, int k, int l) {
    const auto uh = static_cast<std::uint32_t>(h);
    const auto uk = static_cast<std::uint32_t>(k);
    const auto ul = static_cast<std::uint32_t>(l);
    const std::uint32_t mixed = uh * 73856093u ^ uk * 19349663u ^ ul * 83492791u;
    return (mixed ^ (mixed >> 13)) & (kMemoSlots - 1u);
}

// Starts a redraw: a new stamp makes every memo slot stale; the arrays grow to hold n points.
void beginRedraw(FilmPoints& out, int n) {
    if (out.memo.size() != kMemoSlots) out.memo.assign(kMemoSlots, FilmMemoSlot{});
    if (++out.stamp == 0) {
        for (FilmMemoSlot& slot : out.memo) slot.stamp = 0;
        out.stamp = 1;
    }
    const size_t points = n > 0 ? static_cast<size_t>(n) : 0;
    if (out.xy.size() < 2 * points) out.xy.resize(2 * points);
    if (out.rgb.size() < 3 * points) out.rgb.resize(3 * points);
    out.count = 0;
}

// Where a point lies along one axis, as far as its pixels go: the pixel that holds its centre
// when that is beyond doubt (well inside the viewport, away from the pixel's edges), else the
// exact coordinate, which the renderer always turns into the same pixels.
std::uint64_t axisPlace(float film, int size) {
    const double w = (static_cast<double>(film) + 1.0) * size / 2;  // viewport transform
    if (w > kMergeMargin && w < size - kMergeMargin) {
        const double cell = std::floor(w);
        if (w - cell > kMergeMargin && w - cell < 1.0 - kMergeMargin)
            return std::uint64_t{1} << 32 | static_cast<std::uint64_t>(cell);
    }
    std::uint32_t bits = 0;
    std::memcpy(&bits, &film, sizeof bits);
    return bits;
}

// Marks (x place, y place) as seen; false if it was seen before in this merge.
bool markSeen(FilmPoints& out, std::uint64_t a, std::uint64_t b) {
    const std::uint64_t mask = out.mergeSlots.size() - 1;
    std::uint64_t i = ((a * 0x9E3779B97F4A7C15ull ^ b * 0xC2B2AE3D27D4EB4Full) >> 20) & mask;
    for (;; i = (i + 1) & mask) {
        FilmMergeSlot& slot = out.mergeSlots[i];
        if (slot.stamp != out.mergeStamp) {
            slot = {a, b, out.mergeStamp};
            return true;
        }
        if (slot.a == a && slot.b == b) return false;
    }
}

// Leaves out every point hidden by a later point in the same place, keeping the order of
// the rest.
void mergeHiddenPoints(FilmPoints& out, int width, int height) {
    if (width <= 0 || height <= 0 || out.count < 2) return;
    const size_t n = static_cast<size_t>(out.count);
    size_t slots = 1024;
    while (slots < 2 * n) slots *= 2;  // at most half full
    if (out.mergeSlots.size() < slots) {
        out.mergeSlots.assign(slots, FilmMergeSlot{});
        out.mergeStamp = 0;
    }
    if (++out.mergeStamp == 0) {
        for (FilmMergeSlot& slot : out.mergeSlots) slot.stamp = 0;
        out.mergeStamp = 1;
    }
    if (out.keep.size() < n) out.keep.resize(n);
    for (size_t i = n; i-- > 0;) {
        const std::uint64_t a = axisPlace(out.xy[2 * i], width);
        const std::uint64_t b = axisPlace(out.xy[2 * i + 1], height);
        out.keep[i] = markSeen(out, a, b) ? 1 : 0;
    }
    size_t kept = 0;
    for (size_t i = 0; i < n; ++i) {
        if (!out.keep[i]) continue;
        if (kept != i) {
            out.xy[2 * kept] = out.xy[2 * i];
            out.xy[2 * kept + 1] = out.xy[2 * i + 1];
            out.rgb[3 * kept] = out.rgb[3 * i];
            out.rgb[3 * kept + 1] = out.rgb[3 * i + 1];
            out.rgb[3 * kept + 2] = out.rgb[3 * i + 2];
        }
        ++kept;
    }
    out.count = static_cast<int>(kept);
}

// The film values of (h, k, l) for this redraw, computed on first use within the redraw.
const FilmMemoSlot& filmValues(FilmPoints& out, const FilmRedraw& r, int h, int k, int l,
                               bool rotation) {
    FilmMemoSlot& slot = out.memo[memoIndex(h, k, l)];
    if (slot.stamp == out.stamp && slot.h == h && slot.k == k && slot.l == l) return slot;
    // u = h a*rot + k b*rot + l c*rot: the reflection's reciprocal vector in the laboratory frame.
    const double ux = h * r.aStarRot.x + k * r.bStarRot.x + l * r.cStarRot.x;
    const double uy = h * r.aStarRot.y + k * r.bStarRot.y + l * r.cStarRot.y;
    slot.h = h;
    slot.k = k;
    slot.l = l;
    slot.stamp = out.stamp;
    slot.ordinate = azimuthOrdinate(ux, uy, r.ewaldDiameter);
    if (rotation) {
        const double uz = h * r.aStarRot.z + k * r.bStarRot.z + l * r.cStarRot.z;
        slot.abscissa = rotationAbscissa(uz, r.filmRadius);
        slot.edited = editedOrdinate(uy, r.filmRadius);
    }
    return slot;
}

void emit(FilmPoints& out, float x, float y, FilmColour c) {
    const size_t i = static_cast<size_t>(out.count);
    out.xy[2 * i] = x;
    out.xy[2 * i + 1] = y;
    out.rgb[3 * i] = c.r;
    out.rgb[3 * i + 1] = c.g;
    out.rgb[3 * i + 2] = c.b;
    ++out.count;
}

}  // namespace

double azimuthOrdinate(double ux, double uy, double ewaldDiameter) {
    // v = (atan2(s_x, s_y) + pi/2) / pi with s the ray from the sphere centre (D/2, 0, 0).
    double v = (std::atan2(ux - ewaldDiameter / 2, uy) + kPi / 2) / kPi;
    if (v > 1) v -= 2;  // exactly 1 (ray along +x) stays 1
    return v;
}

double rotationAbscissa(double uz, double filmRadius) {
    // 0.5 tan(elevation): height on the cylinder of radius 0.5, sin(elevation) = uz / radius.
    return 0.5 * std::tan(std::asin(uz / filmRadius));
}

double editedOrdinate(double uy, double filmRadius) {
    // The same construction with uy in place of uz.
    return 0.5 * std::tan(std::asin(uy / filmRadius));
}

double weissenbergAbscissa(double angle) {
    // A full turn spans the film's width of 2; angle 0 on the cross.
    return -angle / kPi;
}

FilmColour rotationColour(int h, int k) { return tableColour(kRotationColours, kRotationOther, h, k); }

bool weissenbergColour(int h, int k, FilmColour* colour) {
    if (h == 0 && k == 0) return false;
    *colour = tableColour(kWeissenbergColours, kWeissenbergOther, h, k);
    return true;
}

int buildRotationPoints(ReflectionLog& log, const FilmRedraw& redraw, FilmPoints& out) {
    const int n = log.logCount < kLogCapacity ? log.logCount : kLogCapacity;
    beginRedraw(out, n);
    for (int i = 0; i < n; ++i) {
        const FilmMemoSlot& f = filmValues(out, redraw, log.logH[i], log.logK[i], log.logL[i], true);
        const bool latch = log.logAngle[i] == redraw.crystalAngle;
        const double y = redraw.edited ? f.edited : (latch ? f.ordinate : log.rotationY[i]);
        const auto fx = static_cast<float>(f.abscissa);
        const auto fy = static_cast<float>(y);
        if (!std::isfinite(fx) || !std::isfinite(fy)) continue;  // no real film position
        if (latch && std::isfinite(f.ordinate)) log.rotationY[i] = f.ordinate;
        emit(out, fx, fy, rotationColour(log.logH[i], log.logK[i]));
    }
    mergeHiddenPoints(out, redraw.viewportWidth, redraw.viewportHeight);
    return out.count;
}

int buildWeissenbergPoints(ReflectionLog& log, const FilmRedraw& redraw, FilmPoints& out) {
    const int n = log.logCount < kLogCapacity ? log.logCount : kLogCapacity;
    beginRedraw(out, n);
    // The cross's colour until the first point with a colour of its own; h = k = 0 keeps it.
    FilmColour current = kBlack;
    for (int i = 0; i < n; ++i) {
        if (log.logL[i] != redraw.layer) continue;
        const FilmMemoSlot& f = filmValues(out, redraw, log.logH[i], log.logK[i], log.logL[i], false);
        const bool latch = log.logAngle[i] == redraw.crystalAngle;
        const auto fx = static_cast<float>(weissenbergAbscissa(log.logAngle[i]));
        const auto fy = static_cast<float>(latch ? f.ordinate : log.weissenbergY[i]);
        if (!std::isfinite(fx) || !std::isfinite(fy)) continue;  // no real film position
        if (latch) log.weissenbergY[i] = f.ordinate;
        weissenbergColour(log.logH[i], log.logK[i], &current);
        emit(out, fx, fy, current);
    }
    mergeHiddenPoints(out, redraw.viewportWidth, redraw.viewportHeight);
    return out.count;
}
