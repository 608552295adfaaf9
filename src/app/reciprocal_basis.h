// The reciprocal basis a*, b*, c* of a direct cell, in the crystal frame (a* along x,
// b* in the x-y plane), and the start-up operation that stores and prints it.
#pragma once

#include "app/vec3.h"

struct ReciprocalCell {
    double aLen = 0.0, bLen = 0.0, cLen = 0.0;              // |a*|, |b*|, |c*|
    double alphaStar = 0.0, betaStar = 0.0, gammaStar = 0.0; // reciprocal angles, radians
    Vec3 aStar, bStar, cStar;                               // Cartesian basis, crystal frame
};

// Pure: edges in any length unit, angles in degrees.
ReciprocalCell reciprocalCell(double a, double b, double c, double alpha, double beta, double gamma);

// Stores the basis in scene.aStar/bStar/cStar and writes the line of the reciprocal cell.
void computeReciprocalBasis(double a, double b, double c, double alpha, double beta, double gamma);
