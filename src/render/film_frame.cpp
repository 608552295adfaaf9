// Film positions of the logged reflections as the point arrays of one film redraw, and the
// films' frame descriptions.
#include "render/film_frame.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "model/film_geometry.h"

namespace {

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
    if (!out.geometry) {
        out.geometry = std::make_shared<Geometry>();
        out.geometry->primitive = Primitive::points;
        out.geometry->positionSize = 2;
        out.geometry->colourSize = 3;
    }
    Geometry& g = *out.geometry;
    const size_t points = n > 0 ? static_cast<size_t>(n) : 0;
    if (g.positions.size() < 2 * points) g.positions.resize(2 * points);
    if (g.colours.size() < 3 * points) g.colours.resize(3 * points);
    if (out.entries.size() < points) out.entries.resize(points);
    g.count = 0;
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

// The slot of (x place, y place) in the table: the one that holds it, or the empty one where
// it goes.
FilmMergeSlot& mergeSlot(FilmPoints& out, std::uint64_t a, std::uint64_t b) {
    const std::size_t mask = out.mergeSlots.size() - 1;
    std::size_t i = static_cast<std::size_t>((a * 0x9E3779B97F4A7C15ull ^ b * 0xC2B2AE3D27D4EB4Full) >> 20) & mask;
    for (;; i = (i + 1) & mask) {
        FilmMergeSlot& slot = out.mergeSlots[i];
        if (slot.stamp != out.mergeStamp || (slot.a == a && slot.b == b)) return slot;
    }
}

// Marks (x place, y place) as seen; false if it was seen before in this merge. The table
// doubles when it would be more than half full, so it is as large as the places that occur
// (a few thousand on a full film), not as the points.
bool markSeen(FilmPoints& out, std::uint64_t a, std::uint64_t b) {
    if (2 * (out.mergeUsed + 1) > out.mergeSlots.size()) {
        std::vector<FilmMergeSlot> old = std::move(out.mergeSlots);
        out.mergeSlots.assign(std::max<std::size_t>(1024, 2 * old.size()), FilmMergeSlot{});
        for (const FilmMergeSlot& slot : old)
            if (slot.stamp == out.mergeStamp) mergeSlot(out, slot.a, slot.b) = slot;
    }
    FilmMergeSlot& slot = mergeSlot(out, a, b);
    if (slot.stamp == out.mergeStamp) return false;
    slot = {a, b, out.mergeStamp};
    ++out.mergeUsed;
    return true;
}

// Leaves out every point hidden by a later point in the same place, keeping the order of
// the rest.
void mergeHiddenPoints(FilmPoints& out, int width, int height) {
    Geometry& g = *out.geometry;
    if (width <= 0 || height <= 0 || g.count < 2) return;
    const size_t n = static_cast<size_t>(g.count);
    if (++out.mergeStamp == 0) {
        for (FilmMergeSlot& slot : out.mergeSlots) slot.stamp = 0;
        out.mergeStamp = 1;
    }
    out.mergeUsed = 0;
    if (out.keep.size() < n) out.keep.resize(n);
    for (size_t i = n; i-- > 0;) {
        const std::uint64_t a = axisPlace(g.positions[2 * i], width);
        const std::uint64_t b = axisPlace(g.positions[2 * i + 1], height);
        out.keep[i] = markSeen(out, a, b) ? 1 : 0;
    }
    size_t kept = 0;
    for (size_t i = 0; i < n; ++i) {
        if (!out.keep[i]) continue;
        if (kept != i) {
            g.positions[2 * kept] = g.positions[2 * i];
            g.positions[2 * kept + 1] = g.positions[2 * i + 1];
            g.colours[3 * kept] = g.colours[3 * i];
            g.colours[3 * kept + 1] = g.colours[3 * i + 1];
            g.colours[3 * kept + 2] = g.colours[3 * i + 2];
            out.entries[kept] = out.entries[i];
        }
        ++kept;
    }
    g.count = static_cast<int>(kept);
}

// The rotation film's values of (h, k, l) for this redraw, computed on first use within it.
const FilmMemoSlot& filmValues(FilmPoints& out, const FilmRedraw& r, int h, int k, int l) {
    FilmMemoSlot& slot = out.memo[memoIndex(h, k, l)];
    if (slot.stamp == out.stamp && slot.h == h && slot.k == k && slot.l == l) return slot;
    // u: the reflection's reciprocal vector in the laboratory frame.
    const Vec3 u = latticeCombination(h, k, l, r.aStarRot, r.bStarRot, r.cStarRot);
    slot.h = h;
    slot.k = k;
    slot.l = l;
    slot.stamp = out.stamp;
    slot.abscissa = rotationAbscissa(u.z, r.filmRadius);
    // The edited ordinate only once a wavelength key has edited the film (then for the whole redraw).
    slot.edited = r.edited ? editedOrdinate(u.y, r.filmRadius) : 0.0;
    return slot;
}

void emit(FilmPoints& out, int entry, float x, float y, const Rgba& c, int pixels = 0) {
    Geometry& g = *out.geometry;
    const size_t i = static_cast<size_t>(g.count);
    out.entries[i] = entry;
    if (pixels > 0) {
        if (out.pointPixels.size() <= i) out.pointPixels.resize(i + 1);
        out.pointPixels[i] = static_cast<std::uint8_t>(pixels);
    }
    g.positions[2 * i] = x;
    g.positions[2 * i + 1] = y;
    g.colours[3 * i] = c.r;
    g.colours[3 * i + 1] = c.g;
    g.colours[3 * i + 2] = c.b;
    ++g.count;
}

// The black cross through the film's centre.
std::shared_ptr<const Geometry> crossGeometry() {
    static const std::shared_ptr<const Geometry> cross = [] {
        Geometry g;
        g.primitive = Primitive::lines;
        g.positionSize = 2;
        g.positions = {-1, 0, 1, 0, 0, 1, 0, -1};
        g.count = 4;
        g.kept = true;
        g.id = newGeometryId();
        return std::make_shared<const Geometry>(std::move(g));
    }();
    return cross;
}

// The intensity look's points as one item per size, the largest first, so that a weak spot
// beside a strong one stays visible; log order within each size.
void addSizedPoints(Frame& f, FilmPoints& points) {
    const Geometry& all = *points.geometry;
    points.bySize.resize(SpotSizes::kLargest + 1);
    for (auto& g : points.bySize) {
        if (!g) {
            g = std::make_shared<Geometry>();
            g->primitive = Primitive::points;
            g->positionSize = 2;
            g->colourSize = 3;
        }
        g->positions.clear();
        g->colours.clear();
    }
    // One pass sorts the points into their sizes, in log order.
    for (size_t i = 0; i < static_cast<size_t>(all.count); ++i) {
        Geometry& g = *points.bySize[points.pointPixels[i]];
        g.positions.insert(g.positions.end(), &all.positions[2 * i], &all.positions[2 * i + 2]);
        g.colours.insert(g.colours.end(), &all.colours[3 * i], &all.colours[3 * i + 3]);
    }
    for (int size = SpotSizes::kLargest; size > 0; --size) {
        const auto& g = points.bySize[static_cast<size_t>(size)];
        g->count = static_cast<int>(g->positions.size() / 2);
        if (g->count == 0) continue;
        DrawItem spots;
        spots.geometry = g;
        spots.pointSize = static_cast<float>(size);
        f.items.push_back(std::move(spots));
    }
}

Frame filmFrame(int width, int height, FilmPoints& points, bool sized) {
    Frame f;
    f.width = width;
    f.height = height;
    f.clearColour = kWhite;
    DrawItem cross;
    cross.geometry = crossGeometry();
    cross.colour = kBlack;
    f.items.push_back(std::move(cross));
    if (sized) {
        addSizedPoints(f, points);
        return f;
    }
    DrawItem spots;
    spots.geometry = points.geometry;
    spots.pointSize = 3.0f;
    f.items.push_back(std::move(spots));
    return f;
}

// The intensity look's sizes for this session, or none in the usual look.
SpotSizes* sizesFor(const Session& s, FilmPoints& points) {
    if (!s.intensityLook) return nullptr;
    if (!points.spotSizes || points.spotSizes->crystal() != &s.crystal) points.spotSizes = std::make_unique<SpotSizes>(s.crystal);
    return points.spotSizes.get();
}

}  // namespace

int buildRotationPoints(const ReflectionLog& log, const FilmRedraw& redraw, FilmPoints& out, SpotSizes* sizes) {
    const int n = log.count();
    beginRedraw(out, n);
    for (int i = 0; i < n; ++i) {
        const int h = log.logH[i], k = log.logK[i];
        const FilmMemoSlot& f = filmValues(out, redraw, h, k, log.logL[i]);
        const auto fx = static_cast<float>(f.abscissa);
        const auto fy = static_cast<float>(redraw.edited ? f.edited : log.filmOrdinate[i]);
        if (!std::isfinite(fx) || !std::isfinite(fy)) continue;  // no real film position
        const int pixels = sizes ? sizes->pixels(h, k, log.logL[i]) : 0;
        if (sizes && pixels == 0) continue;  // negligible |F|²
        emit(out, i, fx, fy, indexColour(kRotationColours, h, k), pixels);
    }
    if (!sizes) mergeHiddenPoints(out, redraw.viewportWidth, redraw.viewportHeight);
    return out.count();
}

int buildWeissenbergPoints(const ReflectionLog& log, const FilmRedraw& redraw, FilmPoints& out,
                           SpotSizes* sizes) {
    const int n = log.count();
    beginRedraw(out, n);
    // The cross's colour until the first point with a colour of its own; h = k = 0 keeps it.
    Rgba current = kBlack;
    for (int i = 0; i < n; ++i) {
        float fx = 0, fy = 0;
        if (!weissenbergSpotPosition(log, i, redraw, &fx, &fy)) continue;  // another layer, or no real position
        const int h = log.logH[i], k = log.logK[i];
        const int pixels = sizes ? sizes->pixels(h, k, log.logL[i]) : 0;
        if (sizes && pixels == 0) continue;  // negligible |F|²
        if (!weissenbergKeepsColour(h, k)) current = indexColour(kWeissenbergColours, h, k);
        emit(out, i, fx, fy, current, pixels);
    }
    if (!sizes) mergeHiddenPoints(out, redraw.viewportWidth, redraw.viewportHeight);
    return out.count();
}

FilmRedraw filmRedrawFromSession(const Session& s, int width, int height) {
    FilmRedraw redraw;
    redraw.aStarRot = s.lastScan.aStarRot;
    redraw.bStarRot = s.lastScan.bStarRot;
    redraw.cStarRot = s.lastScan.cStarRot;
    redraw.filmRadius = s.rotationFilmRadius;
    redraw.edited = s.lambdaEdited != 0 ? 1 : 0;
    redraw.layer = s.currentLayer;
    redraw.viewportWidth = width;
    redraw.viewportHeight = height;
    return redraw;
}

Frame rotationFilmFrame(const Session& s, int width, int height, bool keepTraces, bool keepPicture,
                        FilmPoints& points) {
    SpotSizes* sizes = sizesFor(s, points);
    buildRotationPoints(s.log, filmRedrawFromSession(s, width, height), points, sizes);
    Frame f = filmFrame(width, height, points, sizes != nullptr);
    f.drawKeptPicture = keepTraces;
    f.keepPicture = keepPicture;
    return f;
}

Frame weissenbergFilmFrame(const Session& s, int width, int height, FilmPoints& points) {
    SpotSizes* sizes = sizesFor(s, points);
    buildWeissenbergPoints(s.log, filmRedrawFromSession(s, width, height), points, sizes);
    return filmFrame(width, height, points, sizes != nullptr);
}
