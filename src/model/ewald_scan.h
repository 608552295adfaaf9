// The Ewald construction as arithmetic: which reciprocal-lattice points lie on the Ewald
// sphere for a given orientation matrix, in log order (h, then k, then l, ascending).
#pragma once

#include <vector>

#include "model/crystal.h"
#include "model/matrix.h"

// Distance from the sphere's surface below which a lattice point counts as on it (strict).
constexpr double kOnSphereTolerance = 0.004;
// Index range of the scan: h and k from -kScanHalfWidth to +kScanHalfWidth, l the same about the layer.
constexpr int kScanHalfWidth = 20;

struct ScanInput {
    const Crystal* crystal = nullptr;  // basis and absences; must be set
    double ewaldDiameter = 0.0;        // sphere diameter 2/lambda
    int currentLayer = 0;              // centre layer of the scan
    int allLayers = 1;                 // 1: 41 layers about currentLayer; 0: only currentLayer
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
