// Figures of the film coordinates of the full log: the arrays each film redraw builds
// (buildRotationPoints, buildWeissenbergPoints), beside the same coordinates computed
// afresh for every entry, as drawing entry by entry computes them.
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "bench.h"
#include "film/film_coords.h"
#include "film/film_windows.h"

namespace {

// The values of the latest main redraw, as the films' own redraws hand them over.
FilmRedraw redrawValues(bool weissenberg) {
    FilmRedraw r;
    r.aStarRot = scene.aStarRot;
    r.bStarRot = scene.bStarRot;
    r.cStarRot = scene.cStarRot;
    r.crystalAngle = scene.crystalAngle;
    r.ewaldDiameter = scene.ewaldDiameter;
    r.filmRadius = rotationFilmRadius;
    r.edited = scene.lambdaEdited != 0 ? 1 : 0;
    r.layer = weissenberg ? scene.currentLayer : 0;
    r.viewportWidth = 520;  // the film windows' size
    r.viewportHeight = 520;
    return r;
}

// Every entry's point computed on its own: the reciprocal vector, the arc functions, the
// latch, the colour; no value shared between entries, no point left out.
struct EntryArrays {
    std::vector<float> xy = std::vector<float>(2 * kLogCapacity);
    std::vector<float> rgb = std::vector<float>(3 * kLogCapacity);
};

int rotationPerEntry(const FilmRedraw& r, EntryArrays& out) {
    ReflectionLog& log = reflectionLog;
    int n = 0;
    for (int i = 0; i < log.logCount; ++i) {
        const int h = log.logH[i], k = log.logK[i], l = log.logL[i];
        const double ux = h * r.aStarRot.x + k * r.bStarRot.x + l * r.cStarRot.x;
        const double uy = h * r.aStarRot.y + k * r.bStarRot.y + l * r.cStarRot.y;
        const double uz = h * r.aStarRot.z + k * r.bStarRot.z + l * r.cStarRot.z;
        const double x = rotationAbscissa(uz, r.filmRadius);
        const double v = azimuthOrdinate(ux, uy, r.ewaldDiameter);
        if (log.logAngle[i] == r.crystalAngle) log.rotationY[i] = v;
        const double y = r.edited ? editedOrdinate(uy, r.filmRadius) : log.rotationY[i];
        if (!std::isfinite(x) || !std::isfinite(y)) continue;
        const FilmColour c = rotationColour(h, k);
        out.xy[2 * n] = static_cast<float>(x);
        out.xy[2 * n + 1] = static_cast<float>(y);
        out.rgb[3 * n] = c.r;
        out.rgb[3 * n + 1] = c.g;
        out.rgb[3 * n + 2] = c.b;
        ++n;
    }
    return n;
}

int weissenbergPerEntry(const FilmRedraw& r, EntryArrays& out) {
    ReflectionLog& log = reflectionLog;
    FilmColour current{};
    int n = 0;
    for (int i = 0; i < log.logCount; ++i) {
        const int h = log.logH[i], k = log.logK[i], l = log.logL[i];
        if (l != r.layer) continue;
        const double ux = h * r.aStarRot.x + k * r.bStarRot.x + l * r.cStarRot.x;
        const double uy = h * r.aStarRot.y + k * r.bStarRot.y + l * r.cStarRot.y;
        if (log.logAngle[i] == r.crystalAngle) log.weissenbergY[i] = azimuthOrdinate(ux, uy, r.ewaldDiameter);
        const double x = weissenbergAbscissa(log.logAngle[i]);
        const double y = log.weissenbergY[i];
        if (!std::isfinite(x) || !std::isfinite(y)) continue;
        weissenbergColour(h, k, &current);
        out.xy[2 * n] = static_cast<float>(x);
        out.xy[2 * n + 1] = static_cast<float>(y);
        out.rgb[3 * n] = current.r;
        out.rgb[3 * n + 1] = current.g;
        out.rgb[3 * n + 2] = current.b;
        ++n;
    }
    return n;
}

const char* const kFilmNames[2] = {"rotation", "weissenberg"};
int pointsDrawn[2] = {0, 0};  // points of the latest array build of ours: rotation, Weissenberg

std::string benchName(int film, bool ours) {
    return std::string("film coords/") + kFilmNames[film] + (ours ? "/ours" : "/each afresh");
}

// One build of a film's arrays: by the film's own builder or entry by entry.
int buildOnce(int film, bool ours, const FilmRedraw& r, FilmPoints& points, EntryArrays& arrays) {
    if (film == 1) return ours ? buildWeissenbergPoints(reflectionLog, r, points) : weissenbergPerEntry(r, arrays);
    return ours ? buildRotationPoints(reflectionLog, r, points) : rotationPerEntry(r, arrays);
}

// One film's arrays at the full log, rebuilt at every iteration; the film's own arrays are
// kept from build to build, as the film keeps them from redraw to redraw.
void registerFilmCoords(int film, bool ours) {
    const auto run = [film, ours](benchmark::State& state) {
        restoreFullLog();
        FilmPoints points;
        EntryArrays arrays;
        const FilmRedraw r = redrawValues(film == 1);
        int drawn = 0;
        timeIterations(state, [] {}, [&] { drawn = buildOnce(film, ours, r, points, arrays); });
        benchmark::DoNotOptimize(drawn);
        if (ours) pointsDrawn[film] = drawn;
    };
    asFigure(benchmark::RegisterBenchmark(benchName(film, ours).c_str(), run), benchmark::kMicrosecond, 0.3);
}

}  // namespace

void registerFilmCoordsBenchmarks() {
    for (int film = 0; film < 2; ++film) {
        registerFilmCoords(film, true);
        registerFilmCoords(film, false);
    }
}

void printFilmCoordsSummary() {
    int layerEntries = 0;
    restoreFullLog();
    for (int i = 0; i < reflectionLog.logCount; ++i) layerEntries += reflectionLog.logL[i] == scene.currentLayer;
    std::printf("\nFilm coordinates of a full log (%d entries, %d of them in layer %d), arrays of one redraw\n",
                reflectionLog.logCount, layerEntries, scene.currentLayer);
    std::printf("  %-14s %12s %14s %9s  %s\n", "film", "ours", "each afresh", "ratio", "points left to draw");
    for (int f = 0; f < 2; ++f) {
        const double ours = figure(benchName(f, true));
        const double each = figure(benchName(f, false));
        std::printf("  %-14s %12s %14s %9s  %d\n", kFilmNames[f], showTime(ours).c_str(), showTime(each).c_str(),
                    showRatio(each, ours).c_str(), pointsDrawn[f]);
    }
}
