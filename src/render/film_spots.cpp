// Film positions of log entries, the nearest-spot lookup of a film window and its label.
#include "render/film_spots.h"

#include <cmath>
#include <cstdio>

#include "model/film_geometry.h"

bool rotationSpotPosition(const ReflectionLog& log, int i, const FilmRedraw& redraw, float* x, float* y) {
    // u: the reflection's reciprocal vector in the laboratory frame, with the step's basis.
    const Vec3 u = latticeCombination(log.logH[i], log.logK[i], log.logL[i], redraw.aStarRot, redraw.bStarRot,
                                      redraw.cStarRot);
    *x = static_cast<float>(rotationAbscissa(u.z, redraw.filmRadius));
    *y = static_cast<float>(redraw.edited ? editedOrdinate(u.y, redraw.filmRadius) : log.filmOrdinate[i]);
    return std::isfinite(*x) && std::isfinite(*y);
}

bool weissenbergSpotPosition(const ReflectionLog& log, int i, const FilmRedraw& redraw, float* x, float* y) {
    if (log.logL[i] != redraw.layer) return false;
    *x = static_cast<float>(weissenbergAbscissa(log.logAngle[i]));
    *y = static_cast<float>(log.filmOrdinate[i]);
    return std::isfinite(*x) && std::isfinite(*y);
}

void filmSpots(Film film, const ReflectionLog& log, const FilmRedraw& redraw, std::vector<FilmSpot>& out) {
    out.clear();
    const auto position = film == Film::rotation ? rotationSpotPosition : weissenbergSpotPosition;
    for (int i = 0; i < log.count(); ++i) {
        FilmSpot spot;
        spot.entry = i;
        if (position(log, i, redraw, &spot.x, &spot.y)) out.push_back(spot);
    }
}

FilmRedraw filmRedrawForReading(const Session& s) {
    FilmRedraw r = filmRedrawFromSession(s, 0, 0);
    if (!s.rotationFilmRadiusSet) r.filmRadius = s.ewaldDiameter / 2;
    return r;
}

bool FilmSpotFinder::sameKey(const Key& a, const Key& b) {
    const auto same = [](const Vec3& p, const Vec3& q) { return p.x == q.x && p.y == q.y && p.z == q.z; };
    if (a.revision != b.revision || a.film != b.film || a.log != b.log) return false;
    if (a.film == Film::weissenberg) return a.layer == b.layer;
    return same(a.aStarRot, b.aStarRot) && same(a.bStarRot, b.bStarRot) && same(a.cStarRot, b.cStarRot) &&
           a.filmRadius == b.filmRadius && a.edited == b.edited;
}

int FilmSpotFinder::nearestEntry(const Session& s, Film film, int width, int height, int px, int py,
                                 double reachPixels) {
    if (width <= 0 || height <= 0) return -1;
    const FilmRedraw redraw = filmRedrawForReading(s);
    Key key;
    key.revision = s.log.revision;
    key.film = film;
    key.aStarRot = redraw.aStarRot;
    key.bStarRot = redraw.bStarRot;
    key.cStarRot = redraw.cStarRot;
    key.filmRadius = redraw.filmRadius;
    key.edited = redraw.edited;
    key.layer = redraw.layer;
    key.log = &s.log;
    if (!sameKey(key, key_)) {
        filmSpots(film, s.log, redraw, spots_);
        index_.build(spots_);
        key_ = key;
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
