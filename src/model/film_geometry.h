// Where a reflection lands on the two films. Both films span -1..1 in x and y. The rotation
// film is a cylinder of radius 0.5 about the laboratory z axis (the rotation axis), unrolled:
// its abscissa is the height at which the diffracted ray meets it, its ordinate the ray's
// azimuth. The Weissenberg film moves with the crystal: its abscissa is the crystal angle.
#pragma once

#include "model/vec3.h"

// Azimuth of the diffracted ray s = (ux - ewaldDiameter/2, uy, uz) about the z axis, as a
// film ordinate in (-1, 1]: the ray towards the reciprocal origin gives 0, along +x gives 1.
// u is the reflection's reciprocal vector in the laboratory frame.
double azimuthOrdinate(double ux, double uy, double ewaldDiameter);

// Rotation film abscissa: height at which the ray meets the film cylinder of radius 0.5.
// Not a number when |uz| > filmRadius.
double rotationAbscissa(double uz, double filmRadius);

// Rotation film ordinate after a wavelength change (edited mode). Not a number when |uy| > filmRadius.
double editedOrdinate(double uy, double filmRadius);

// Weissenberg film abscissa of an entry logged at `angle` (radians): pi -> -1, 0 -> 0, -pi -> 1.
double weissenbergAbscissa(double angle);

// The inverses, for reading a film.

// Crystal angle (radians) at which an entry at Weissenberg abscissa x was logged: -pi x.
double weissenbergAngle(double x);

// Height uz of the reciprocal vector whose ray meets the rotation film at abscissa x:
// filmRadius sin(atan(2x)), the inverse of rotationAbscissa.
double rotationHeight(double x, double filmRadius);
