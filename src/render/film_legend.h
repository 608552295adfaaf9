// The films' legend and scales, switched on by the session's showLegend: the colour code in
// a box at the top left (on the Weissenberg film with its rule for h = k = 0), the layer
// lines' l along the bottom of the rotation film, and the crystal angle in degrees along the
// bottom of the Weissenberg film. They go into the frame's overlay, never into the film's
// own picture.
#pragma once

#include "render/film_spots.h"
#include "render/frame.h"
#include "session/session.h"

// Adds the legend and scales of `film` to the frame (sized by frame.width, frame.height)
// while s.showLegend is on.
void addFilmLegend(const Session& s, Film film, Frame& frame);

// The frame as a window or canvas shows it: with the legend of `film` (none for the main
// view) and the pointer's label (none when empty) beside pixel pointerX, pointerY.
Frame decoratedFrame(const Session& s, const Film* film, Frame frame, const std::string& label, int pointerX,
                     int pointerY);

// Where the rotation film's layer lines lie: the abscissa of layer l is that of any
// reflection h k l, which holds while a* and b* lie in the plane normal to the rotation axis
// (no laboratory z component). False when they do not, for then reflections of one l
// spread over the film and there are no layer lines to name.
bool layerLineAbscissa(const FilmRedraw& redraw, int l, double* x);
