// Reading the films: where each log entry lies on each film (exactly where the film draws
// it), which entry is drawn under a point of a film window, and the words that name it.
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
// (weissenbergSpotPosition is in film_frame.h, which draws with it.)
bool rotationSpotPosition(const ReflectionLog& log, int i, const FilmRedraw& redraw, float* x, float* y);

// The film values a rotation film of the session draws with now; the radius it would latch
// stands in while no rotation film has drawn yet.
FilmRedraw filmRedrawForReading(const Session& s);

// The nearest-spot lookup of one film window, over the points that window drew last (so a
// frozen film is read as it shows, and a spot another one covers is not there to find). Its
// grid is built again only when the window has built new points (a new stamp); between such
// redraws every query reads the grid as it is.
class FilmSpotFinder {
public:
    // The log entry drawn nearest the window pixel (px, py) (from the top left, as the
    // toolkit reports the mouse) within reachPixels, in a width x height window; -1 if none.
    int nearestEntry(const FilmPoints& points, int width, int height, int px, int py, double reachPixels);

    int rebuilds() const { return rebuilds_; }

private:
    const FilmPoints* points_ = nullptr;
    std::uint32_t stamp_ = 0;
    std::vector<FilmSpot> spots_;
    SpotIndex index_;
    int rebuilds_ = 0;
};

// The label of log entry `entry` on the film, in UTF-8: the indices and the crystal angle at
// which it was logged (read back from the Weissenberg abscissa on that film), and on the
// rotation film its layer: "(2 -1 0)  Winkel 37.5°  Schicht 0".
std::string filmSpotLabel(const Session& s, Film film, int entry);
