// Reading the films: where each log entry lies on each film (exactly where the film draws
// it), which entry lies under a point of a film window, and the words that name it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "model/spot_index.h"
#include "render/film_frame.h"
#include "session/session.h"

enum class Film { rotation, weissenberg };

// Film position of log entry i as the film draws it (the same single-precision values);
// false when the entry is not drawn on that film: no real position, or (Weissenberg)
// another layer than redraw.layer.
bool rotationSpotPosition(const ReflectionLog& log, int i, const FilmRedraw& redraw, float* x, float* y);
bool weissenbergSpotPosition(const ReflectionLog& log, int i, const FilmRedraw& redraw, float* x, float* y);

// Every entry the film draws, in log order.
void filmSpots(Film film, const ReflectionLog& log, const FilmRedraw& redraw, std::vector<FilmSpot>& out);

// The film values a rotation film of the session draws with now; the radius it would latch
// stands in while no rotation film has drawn yet.
FilmRedraw filmRedrawForReading(const Session& s);

// The nearest-spot lookup of one film window. Its grid is built again only when what the
// spots' positions depend on has changed: the log (its revision) and, for the rotation film,
// the step's turned basis, the film radius and the edited mode; for the Weissenberg film the
// layer. Between such changes every query reads the grid as it is.
class FilmSpotFinder {
public:
    // The log entry drawn nearest the window pixel (px, py) (from the top left, as the
    // toolkit reports the mouse) within reachPixels, in a width x height window; -1 if none.
    int nearestEntry(const Session& s, Film film, int width, int height, int px, int py, double reachPixels);

    int rebuilds() const { return rebuilds_; }

private:
    struct Key {
        std::uint64_t revision = ~std::uint64_t{0};
        Film film = Film::rotation;
        Vec3 aStarRot, bStarRot, cStarRot;
        double filmRadius = 0.0;
        int edited = 0;
        int layer = 0;
        const ReflectionLog* log = nullptr;
    };
    static bool sameKey(const Key& a, const Key& b);

    Key key_;
    std::vector<FilmSpot> spots_;
    SpotIndex index_;
    int rebuilds_ = 0;
};

// The label of log entry `entry` on the film, in UTF-8: the indices and the crystal angle at
// which it was logged (read back from the Weissenberg abscissa on that film), and on the
// rotation film its layer: "(2 -1 0)  Winkel 37.5°  Schicht 0".
std::string filmSpotLabel(const Session& s, Film film, int entry);
