// The two films' pictures as frame descriptions: the black cross, then every logged
// reflection as a point of 3 pixels at its film position, in log order. The rotation
// photograph draws the whole log; the Weissenberg photograph the entries of one layer.
#pragma once

#include <cmath>
#include <cstdint>
#include <memory>
#include <vector>

#include "model/film_geometry.h"
#include "render/frame.h"
#include "render/spot_sizes.h"
#include "session/session.h"

// Values of the latest step, the same for every entry of one film redraw.
struct FilmRedraw {
    Vec3 aStarRot;              // a* in the laboratory frame
    Vec3 bStarRot;              // b* in the laboratory frame
    Vec3 cStarRot;              // c* in the laboratory frame
    double filmRadius = 0.0;    // rotation film: the radius latched at its first redraw
    int edited = 0;             // rotation film: 1 draws every entry at its edited ordinate
    int layer = 0;              // Weissenberg film: only entries with l == layer are drawn
    int viewportWidth = 0;      // pixels of the film's viewport; with both > 0, points that a later
    int viewportHeight = 0;     //   point covers exactly are left out (see below)
};

// The Weissenberg film position of log entry i as the film draws it (single precision); false
// when the entry is not drawn: another layer than redraw.layer, or no real position.
inline bool weissenbergSpotPosition(const ReflectionLog& log, int i, const FilmRedraw& redraw, float* x, float* y) {
    if (log.logL[i] != redraw.layer) return false;
    *x = static_cast<float>(weissenbergAbscissa(log.logAngle[i]));
    *y = static_cast<float>(log.filmOrdinate[i]);
    return std::isfinite(*x) && std::isfinite(*y);
}

// Film values of one index triple for one redraw, kept so that a reflection logged many
// times is computed once per redraw.
struct FilmMemoSlot {
    int h = 0, k = 0, l = 0;
    std::uint32_t stamp = 0;    // redraw that filled the slot; 0 = empty
    double abscissa = 0.0;      // rotation abscissa
    double edited = 0.0;        // edited-mode ordinate
};

// One place (pixel or exact coordinate per axis) seen while merging hidden points.
struct FilmMergeSlot {
    std::uint64_t a = 0;         // x place
    std::uint64_t b = 0;         // y place
    std::uint32_t stamp = 0;     // merge that filled the slot
};

// The points of one film redraw and the working memory behind them, reused from redraw to
// redraw; they grow to at most the log's capacity.
struct FilmPoints {
    std::shared_ptr<Geometry> geometry;  // points: x, y and r, g, b each; count = points drawn
    std::vector<int> entries;            // per point drawn: the log entry it shows
    std::vector<FilmMemoSlot> memo;
    std::uint32_t stamp = 0;
    std::vector<FilmMergeSlot> mergeSlots;  // places already drawn later in this redraw: a hash
    std::uint32_t mergeStamp = 0;           //   table at most half full, grown as places occur
    std::size_t mergeUsed = 0;              // places in it in this merge
    std::vector<std::uint8_t> keep;         // per point: still drawn after merging
    std::unique_ptr<SpotSizes> spotSizes;   // the intensity look's sizes, made at its first use
    std::vector<std::uint8_t> pointPixels;  // intensity look: each point's size in pixels
    std::vector<std::shared_ptr<Geometry>> bySize;  // intensity look: the points of each size
    int count() const { return geometry ? geometry->count : 0; }
};

// Hidden points: an aliased point of size 3 covers the 3 x 3 pixels around the pixel that
// holds its centre. A point whose centre lies in the same pixel as that of a later point is
// painted over by it wholly (whatever the colours), so leaving it out changes no pixel. Along
// each axis two points count as in the same pixel when both lie well inside the viewport and
// well away from a pixel's edge (so the renderer's own rounding cannot part them), or when
// their coordinates are equal. The picture stays exactly that of drawing every entry in log
// order, with far fewer points when reflections repeat.

// Rotation film: every entry in log order at (abscissa, edited ? edited ordinate : its logged
// ordinate) in the rotation colour. An entry without a real position (arc sine out of range,
// anything not finite) is left out. Returns the count.
// With `sizes` (the intensity look) a reflection of negligible |F|² is left out, every point
// keeps its size in out.pointPixels, and no point is merged away.
int buildRotationPoints(const ReflectionLog& log, const FilmRedraw& redraw, FilmPoints& out,
                        SpotSizes* sizes = nullptr);

// Weissenberg film: the entries of redraw.layer at (-logAngle/pi, logged ordinate) with the
// Weissenberg colour rule. Returns the count.
int buildWeissenbergPoints(const ReflectionLog& log, const FilmRedraw& redraw, FilmPoints& out,
                           SpotSizes* sizes = nullptr);

// The film redraw values of the session's latest step, for a viewport of width x height.
FilmRedraw filmRedrawFromSession(const Session& s, int width, int height);

// The whole picture of a rotation film: `keepTraces` draws it over the picture the window
// kept from its last frame; `keepPicture` keeps this frame's picture for the next.
Frame rotationFilmFrame(const Session& s, int width, int height, bool keepTraces, bool keepPicture,
                        FilmPoints& points);
// The whole picture of the Weissenberg film of the session's current layer.
Frame weissenbergFilmFrame(const Session& s, int width, int height, FilmPoints& points);
