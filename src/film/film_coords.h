// Film coordinates of a logged reflection on the rotation and Weissenberg photographs,
// the two films' colour tables, and the turning of the whole log into the vertex and
// colour arrays of one film redraw (with the latching of rotationY / weissenbergY).
// Pure arithmetic: no GL or GLUT header.
#pragma once

#include <cstdint>
#include <vector>

#include "app/scene_state.h"
#include "app/vec3.h"

// ---- single coordinates ------------------------------------------------------------

// Azimuth of the diffracted ray s = (ux - ewaldDiameter/2, uy, uz) about the z axis, as a
// film ordinate in (-1, 1]: the ray towards the reciprocal origin gives 0, along +x gives 1.
double azimuthOrdinate(double ux, double uy, double ewaldDiameter);

// Rotation film abscissa: height at which the ray meets the film cylinder of radius 0.5.
// Not a number when |uz| > filmRadius.
double rotationAbscissa(double uz, double filmRadius);

// Rotation film ordinate after a wavelength change (edited mode). Not a number when |uy| > filmRadius.
double editedOrdinate(double uy, double filmRadius);

// Weissenberg film abscissa of an entry logged at `angle` (radians): pi -> -1, 0 -> 0, -pi -> 1.
double weissenbergAbscissa(double angle);

// ---- colour tables -----------------------------------------------------------------

struct FilmColour {
    float r = 0.0f, g = 0.0f, b = 0.0f;
};

// Colour of an entry on the rotation film (every entry has one).
FilmColour rotationColour(int h, int k);

// Colour of an entry on the Weissenberg film; false for h = k = 0, which has no colour of its
// own and keeps the colour of the point drawn before it (black, the cross's, if first).
bool weissenbergColour(int h, int k, FilmColour* colour);

// ---- one film redraw ---------------------------------------------------------------

// Values of the latest main redraw, the same for every entry of one film redraw.
struct FilmRedraw {
    Vec3 aStarRot;              // a* in the laboratory frame
    Vec3 bStarRot;              // b* in the laboratory frame
    Vec3 cStarRot;              // c* in the laboratory frame
    double crystalAngle = 0.0;  // radians; entries logged at exactly this angle latch their ordinate
    double ewaldDiameter = 0.0; // current sphere diameter (azimuth ordinate)
    double filmRadius = 0.0;    // rotation film: the radius latched at the first redraw
    int edited = 0;             // rotation film: 1 draws every entry at its edited ordinate
    int layer = 0;              // Weissenberg film: only entries with logL == layer are drawn
    int viewportWidth = 0;      // pixels of the film's viewport; with both > 0, points that a later
    int viewportHeight = 0;     //   point of the same colour covers exactly are left out (see below)
};

// Film values of one index triple for one redraw, kept so that a reflection logged many
// times is computed once per redraw.
struct FilmMemoSlot {
    int h = 0, k = 0, l = 0;
    std::uint32_t stamp = 0;    // redraw that filled the slot; 0 = empty
    double ordinate = 0.0;      // azimuth ordinate v
    double abscissa = 0.0;      // rotation abscissa
    double edited = 0.0;        // edited-mode ordinate
};

// One place (pixel or exact coordinate per axis) seen while merging hidden points.
struct FilmMergeSlot {
    std::uint64_t a = 0;         // x place
    std::uint64_t b = 0;         // y place
    std::uint32_t stamp = 0;     // merge that filled the slot
};

// The arrays of one film redraw, reused from redraw to redraw; they grow to at most the log's
// capacity, so their size is bounded however full the log is.
struct FilmPoints {
    std::vector<float> xy;        // 2 per point, film coordinates
    std::vector<float> rgb;       // 3 per point
    int count = 0;                // points of the latest redraw, in log order
    std::vector<FilmMemoSlot> memo;
    std::uint32_t stamp = 0;
    std::vector<FilmMergeSlot> mergeSlots;  // places already drawn later in this redraw
    std::uint32_t mergeStamp = 0;
    std::vector<std::uint8_t> keep;         // per point: still drawn after merging
};

// Hidden points: an aliased point of size 3 covers the 3 x 3 pixels around the pixel that
// holds its centre. A point whose centre lies in the same pixel as that of a later point is
// painted over by it wholly (whatever the colours), so leaving it out changes no pixel. Along
// each axis two points count as in the same pixel when both lie well inside the viewport and
// well away from a pixel's edge (so the renderer's own rounding cannot part them), or when
// their coordinates are equal. The picture stays exactly that of drawing every entry in log
// order, with far fewer points when reflections repeat.

// Rotation film: for every entry in log order, latches rotationY[i] = v when
// logAngle[i] == crystalAngle, and emits the point at (abscissa, edited ? edited ordinate :
// rotationY[i]) in the rotation colour. An entry without a real position (arc sine out of
// range, anything not finite) is not emitted and does not change rotationY. Returns the count.
int buildRotationPoints(ReflectionLog& log, const FilmRedraw& redraw, FilmPoints& out);

// Weissenberg film: the same for the entries of redraw.layer, latching weissenbergY and
// emitting (-logAngle/pi, weissenbergY[i]) with the Weissenberg colour rule. Returns the count.
int buildWeissenbergPoints(ReflectionLog& log, const FilmRedraw& redraw, FilmPoints& out);
