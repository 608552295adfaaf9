// The Ewald construction as arithmetic: which reciprocal-lattice points lie on the Ewald
// sphere for a given orientation matrix, in log order (h, then k, then l, ascending).
#pragma once

#include <vector>

#include "model/crystal.h"
#include "model/matrix.h"

// Distance from the sphere's surface below which a lattice point counts as on it (strict).
constexpr double kOnSphereTolerance = 0.004;
// The most lattice points of the limiting sphere the program takes: a cell so large (or a
// wavelength so short) that the sphere holds more has its index range cut to a box that holds
// about this many, and the console says so.
constexpr double kMaxSpherePoints = 2.0e6;

// Indices -h..h, -k..k, -l..l of a box that holds every lattice point with |p| <= radius.
struct IndexRange {
    int h = 0, k = 0, l = 0;
    bool cut = false;  // cut to hold about kMaxSpherePoints points of the sphere
};

// About how many lattice points a sphere of the given radius about the origin holds: its
// volume (4/3) pi radius^3 over the reciprocal cell's volume V*.
double latticePointsInSphere(const Crystal& crystal, double radius);

// The box for the limiting sphere of the given radius (2/lambda, with the on-sphere tolerance
// added): |h| <= radius |a| since h = p . a for the direct basis vector a, and likewise k, l.
IndexRange indexRange(const Crystal& crystal, double radius);

// The box the scan takes for a sphere of the given diameter: every point the sphere can reach
// lies in the limiting sphere |p| <= diameter, widened by the tolerance of the on-sphere test.
IndexRange scanIndexRange(const Crystal& crystal, double ewaldDiameter);

struct ScanInput {
    const Crystal* crystal = nullptr;  // basis and absences; must be set
    double ewaldDiameter = 0.0;        // sphere diameter 2/lambda
    int currentLayer = 0;              // centre layer of the scan
    int allLayers = 1;                 // 1: every layer that meets the limiting sphere; 0: only currentLayer
    Mat4 orientation = identityMatrix();  // crystal frame to laboratory frame
};

struct LatticeHit {
    int h = 0, k = 0, l = 0;
    Vec3 p;                     // h a* + k b* + l c*, crystal frame
};

struct ScanResult {
    double crystalAngle = 0.0;          // atan2(M(1,0), M(0,0)), radians
    Vec3 aStarRot, bStarRot, cStarRot;  // M times the basis: laboratory frame
    Vec3 sphereCentreLab;               // (R, 0, 0)
    Vec3 sphereCentreCrystal;           // transpose(M) * sphereCentreLab
    std::vector<LatticeHit> hits;       // every point on the sphere, origin included, scan order
};

// Fills result (its vector is reused, so a caller that keeps one result allocates only once).
void scanEwaldSphere(const ScanInput& in, ScanResult& result);

// The plain triple loop that tests every index triple; the reference for scanEwaldSphere.
void scanEwaldSphereFull(const ScanInput& in, ScanResult& result);
