// Figures of the film coordinates of the start crystal's logs (100000 entries, and full):
// the arrays each film redraw builds (buildRotationPoints, buildWeissenbergPoints), beside
// the same coordinates computed afresh for every entry, as drawing entry by entry computes them.
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "bench.h"
#include "model/film_geometry.h"
#include "render/colours.h"
#include "render/film_frame.h"

namespace {

// The values of the latest main redraw, as the films' own redraws take them.
FilmRedraw redrawValues() { return filmRedrawFromSession(app.session, 520, 520); }

// Every entry's point computed on its own: the reciprocal vector, the arc functions, the
// colour; no value shared between entries, no point left out.
struct EntryArrays {
    std::vector<float> xy = std::vector<float>(2 * static_cast<size_t>(kLogCapacity));
    std::vector<float> rgb = std::vector<float>(3 * static_cast<size_t>(kLogCapacity));
};

void put(EntryArrays& out, int n, double x, double y, const Rgba& c) {
    const size_t i = static_cast<size_t>(n);
    out.xy[2 * i] = static_cast<float>(x);
    out.xy[2 * i + 1] = static_cast<float>(y);
    out.rgb[3 * i] = c.r;
    out.rgb[3 * i + 1] = c.g;
    out.rgb[3 * i + 2] = c.b;
}

int rotationPerEntry(const FilmRedraw& r, EntryArrays& out) {
    const ReflectionLog& log = app.session.log;
    int n = 0;
    for (int i = 0; i < log.count(); ++i) {
        const int h = log.logH[i], k = log.logK[i], l = log.logL[i];
        const Vec3 u = latticeCombination(h, k, l, r.aStarRot, r.bStarRot, r.cStarRot);
        const double x = rotationAbscissa(u.z, r.filmRadius);
        const double y = r.edited ? editedOrdinate(u.y, r.filmRadius) : log.filmOrdinate[i];
        if (!std::isfinite(x) || !std::isfinite(y)) continue;
        put(out, n++, x, y, indexColour(kRotationColours, h, k));
    }
    return n;
}

int weissenbergPerEntry(const FilmRedraw& r, EntryArrays& out) {
    const ReflectionLog& log = app.session.log;
    Rgba current = kBlack;
    int n = 0;
    for (int i = 0; i < log.count(); ++i) {
        const int h = log.logH[i], k = log.logK[i], l = log.logL[i];
        if (l != r.layer) continue;
        const double x = weissenbergAbscissa(log.logAngle[i]);
        const double y = log.filmOrdinate[i];
        if (!std::isfinite(x) || !std::isfinite(y)) continue;
        if (!weissenbergKeepsColour(h, k)) current = indexColour(kWeissenbergColours, h, k);
        put(out, n++, x, y, current);
    }
    return n;
}

const char* const kFilmNames[2] = {"rotation", "weissenberg"};
const LogSize kLogSizes[2] = {LogSize::target, LogSize::full};
int pointsDrawn[2][2] = {};  // points of the latest array build of ours, by log size and film

std::string benchName(int film, bool ours, int size) {
    return std::string("film coords/") + kFilmNames[film] + "/" + logSizeName(kLogSizes[size]) +
           (ours ? "/ours" : "/each afresh");
}

// One build of a film's arrays: by the film's own builder or entry by entry.
int buildOnce(int film, bool ours, const FilmRedraw& r, FilmPoints& points, EntryArrays& arrays) {
    const ReflectionLog& log = app.session.log;
    if (film == 1) return ours ? buildWeissenbergPoints(log, r, points) : weissenbergPerEntry(r, arrays);
    return ours ? buildRotationPoints(log, r, points) : rotationPerEntry(r, arrays);
}

// One film's arrays at one log, rebuilt at every iteration; the film's own arrays are kept
// from build to build, as the film keeps them from redraw to redraw.
void registerFilmCoords(int film, bool ours, int size) {
    const auto run = [film, ours, size](benchmark::State& state) {
        useLog(BenchCrystal::start, kLogSizes[size]);
        FilmPoints points;
        EntryArrays arrays;
        const FilmRedraw r = redrawValues();
        // A film keeps its arrays from redraw to redraw: the first build, which allocates them
        // for the log, is left out of the figure.
        int drawn = buildOnce(film, ours, r, points, arrays);
        timeIterations(state, [] {}, [&] { drawn = buildOnce(film, ours, r, points, arrays); });
        benchmark::DoNotOptimize(drawn);
        if (ours) pointsDrawn[size][film] = drawn;
    };
    asFigure(benchmark::RegisterBenchmark(benchName(film, ours, size).c_str(), run), benchmark::kMicrosecond, 0.3);
}

}  // namespace

void registerFilmCoordsBenchmarks() {
    for (int size = 0; size < 2; ++size) {
        for (int film = 0; film < 2; ++film) {
            registerFilmCoords(film, true, size);
            registerFilmCoords(film, false, size);
        }
    }
}

void printFilmCoordsSummary() {
    for (int size = 0; size < 2; ++size) {
        useLog(BenchCrystal::start, kLogSizes[size]);
        const ReflectionLog& log = app.session.log;
        int layerEntries = 0;
        for (int i = 0; i < log.count(); ++i) layerEntries += log.logL[i] == app.session.currentLayer;
        std::printf("\nFilm coordinates at %d entries (%d of them in layer %d), arrays of one redraw\n", log.count(),
                    layerEntries, app.session.currentLayer);
        std::printf("  %-14s %12s %14s %9s  %s\n", "film", "ours", "each afresh", "ratio", "points left to draw");
        for (int f = 0; f < 2; ++f) {
            const double ours = figure(benchName(f, true, size));
            const double each = figure(benchName(f, false, size));
            std::printf("  %-14s %12s %14s %9s  %d\n", kFilmNames[f], showTime(ours).c_str(), showTime(each).c_str(),
                        showRatio(each, ours).c_str(), pointsDrawn[size][f]);
        }
    }
}
