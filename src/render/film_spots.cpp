// Film positions of log entries, the nearest-spot lookup of a film window and its label.
#include "render/film_spots.h"

#include <cmath>
#include <cstdio>

#include "model/film_geometry.h"
#include "session/commands.h"

bool rotationSpotPosition(const ReflectionLog& log, int i, const FilmRedraw& redraw, float* x, float* y) {
    // u: the reflection's reciprocal vector in the laboratory frame, with the step's basis.
    const Vec3 u = latticeCombination(log.logH[i], log.logK[i], log.logL[i], redraw.aStarRot, redraw.bStarRot,
                                      redraw.cStarRot);
    *x = static_cast<float>(rotationAbscissa(u.z, redraw.filmRadius));
    *y = static_cast<float>(redraw.edited ? editedOrdinate(u.y, redraw.filmRadius) : log.filmOrdinate[i]);
    return std::isfinite(*x) && std::isfinite(*y);
}

FilmRedraw filmRedrawForReading(const Session& s) {
    FilmRedraw r = filmRedrawFromSession(s, 0, 0);
    r.filmRadius = rotationFilmRadius(s);
    return r;
}

int FilmSpotFinder::nearestEntry(const FilmPoints& points, int width, int height, int px, int py,
                                 double reachPixels) {
    if (width <= 0 || height <= 0) return -1;
    if (points_ != &points || stamp_ != points.stamp) {
        spots_.clear();
        const int n = points.count();
        for (int i = 0; i < n; ++i) {
            const size_t j = static_cast<size_t>(i);
            spots_.push_back({points.geometry->positions[2 * j], points.geometry->positions[2 * j + 1],
                              points.entries[j]});
        }
        index_.build(spots_);
        points_ = &points;
        stamp_ = points.stamp;
        ++rebuilds_;
    }
    // The pixel's centre in film coordinates (y grows upwards on the film).
    const double x = (px + 0.5) * 2.0 / width - 1.0;
    const double y = 1.0 - (py + 0.5) * 2.0 / height;
    return index_.nearest(x, y, reachPixels * 2.0 / width, reachPixels * 2.0 / height);
}

std::string filmSpotLabel(const Session& s, Film film, int entry) {
    const ReflectionLog& log = s.log;
    if (entry < 0 || entry >= log.count()) return {};
    double angle = log.logAngle[entry];  // radians
    if (film == Film::weissenberg) angle = weissenbergAngle(weissenbergAbscissa(angle));
    char text[128];
    int n = std::snprintf(text, sizeof text, "(%d %d %d)  Winkel %.1f\u00b0", log.logH[entry], log.logK[entry],
                          log.logL[entry], angle * 180.0 / kPi);
    if (film == Film::rotation && n > 0 && static_cast<size_t>(n) < sizeof text)
        std::snprintf(text + n, sizeof text - static_cast<size_t>(n), "  Schicht %d", log.logL[entry]);
    return text;
}
