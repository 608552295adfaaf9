// The crystal as one value: its direct cell, the reciprocal basis a*, b*, c* in the crystal
// frame (a* along x, b* in the x-y plane) and the space group whose absences it obeys.
#pragma once

#include <memory>

#include "model/space_group.h"
#include "model/structure_factors.h"
#include "model/vec3.h"

struct ReciprocalCell {
    double aLen = 0.0, bLen = 0.0, cLen = 0.0;              // |a*|, |b*|, |c*|, reciprocal length unit
    double alphaStar = 0.0, betaStar = 0.0, gammaStar = 0.0; // reciprocal angles, radians
    Vec3 aStar, bStar, cStar;                               // Cartesian basis, crystal frame
};

// (V / abc)² = 1 - cos²α - cos²β - cos²γ + 2 cosα cosβ cosγ for angles in degrees: a cell
// of these angles exists only where it is positive. Right angles count with exact zeros.
double cellVolumeFactor(double alpha, double beta, double gamma);

// Pure: edges in any length unit, angles in degrees.
ReciprocalCell reciprocalCell(double a, double b, double c, double alpha, double beta, double gamma);

// h a + k b + l c for any basis: the one place the lattice-point sum is formed, whether of
// the basis in the crystal frame or of the basis turned into the laboratory frame.
inline Vec3 latticeCombination(int h, int k, int l, const Vec3& a, const Vec3& b, const Vec3& c) {
    return {h * a.x + k * b.x + l * c.x, h * a.y + k * b.y + l * c.y, h * a.z + k * b.z + l * c.z};
}

struct Crystal {
    double a = 0.0, b = 0.0, c = 0.0;           // direct cell edges, the user's length unit
    double alpha = 0.0, beta = 0.0, gamma = 0.0; // direct cell angles, degrees
    ReciprocalCell reciprocal;                   // derived from the six values above
    int spaceGroup = 1;                          // the group's number as the console shows it
    SpaceGroupChoice group;                      // the setting whose absences apply
    std::shared_ptr<const Absences> absences;    // built once from `group`; none: nothing is absent
    std::shared_ptr<const Intensities> intensities;  // |F|² from the atoms, when they are known

    // The reciprocal-lattice point h a* + k b* + l c*, crystal frame: see latticeCombination.
    Vec3 latticePoint(int h, int k, int l) const {
        return latticeCombination(h, k, l, reciprocal.aStar, reciprocal.bStar, reciprocal.cStar);
    }
    // True when reflection h k l is systematically absent in the crystal's space group.
    bool isAbsent(int h, int k, int l) const { return absences && absences->isAbsent(h, k, l); }
};

// The crystal of the given cell (lengths in one unit, angles in degrees) and space-group setting.
Crystal makeCrystal(double a, double b, double c, double alpha, double beta, double gamma,
                    const SpaceGroupChoice& group);
// The same with the setting a space-group number selects.
Crystal makeCrystal(double a, double b, double c, double alpha, double beta, double gamma, int spaceGroup);
