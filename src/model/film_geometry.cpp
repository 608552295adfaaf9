// Film coordinates of a reflection.
#include "model/film_geometry.h"

#include <cmath>

double azimuthOrdinate(double ux, double uy, double ewaldDiameter) {
    // v = (atan2(s_x, s_y) + pi/2) / pi with s the ray from the sphere centre (D/2, 0, 0).
    double v = (std::atan2(ux - ewaldDiameter / 2, uy) + kPi / 2) / kPi;
    if (v > 1) v -= 2;  // exactly 1 (ray along +x) stays 1
    return v;
}

double rotationAbscissa(double uz, double filmRadius) {
    // 0.5 tan(elevation): height on the cylinder of radius 0.5, sin(elevation) = uz / radius.
    return 0.5 * std::tan(std::asin(uz / filmRadius));
}

double editedOrdinate(double uy, double filmRadius) {
    // The same construction with uy in place of uz.
    return rotationAbscissa(uy, filmRadius);
}

double weissenbergAbscissa(double angle) {
    // A full turn spans the film's width of 2; angle 0 on the cross.
    return -angle / kPi;
}

double weissenbergAngle(double x) { return -x * kPi; }

double rotationHeight(double x, double filmRadius) {
    // x = 0.5 tan(e) and sin(e) = uz / radius.
    return filmRadius * std::sin(std::atan(2 * x));
}
