// Reciprocal basis of a direct cell: lengths a*, b*, c*, angles alpha*, beta*, gamma* and the
// Cartesian vectors in the crystal frame (a* along x, b* in the x-y plane, c* with z > 0),
// and the start-up operation that stores them in the scene and writes the reciprocal cell.
#include "app/reciprocal_basis.h"

#include <cmath>
#include <cstdio>

#include "app/scene_state.h"

namespace {
constexpr double kPi = 3.141592653589793;

// Degrees to radians, divided first and then multiplied, as everywhere in the program.
double radians(double degrees) { return (degrees / 180.0) * kPi; }
}  // namespace

ReciprocalCell reciprocalCell(double a, double b, double c, double alpha, double beta, double gamma) {
    const double cosA = std::cos(radians(alpha)), sinA = std::sin(radians(alpha));
    const double cosB = std::cos(radians(beta)), sinB = std::sin(radians(beta));
    const double cosG = std::cos(radians(gamma)), sinG = std::sin(radians(gamma));

    // Cell volume: V = abc * sqrt(1 - cos²α - cos²β - cos²γ + 2 cosα cosβ cosγ).
    const double volume = a * b * c * std::sqrt(1.0 - cosA * cosA - cosB * cosB - cosG * cosG + 2.0 * cosA * cosB * cosG);

    ReciprocalCell r;
    // Reciprocal lengths: a* = bc sinα / V, b* = ac sinβ / V, c* = ab sinγ / V.
    r.aLen = b * c * sinA / volume;
    r.bLen = a * c * sinB / volume;
    r.cLen = a * b * sinG / volume;
    // Reciprocal angles: cos α* = (cosβ cosγ - cosα) / (sinβ sinγ), and cyclically.
    r.alphaStar = std::acos((cosB * cosG - cosA) / (sinB * sinG));
    r.betaStar = std::acos((cosG * cosA - cosB) / (sinG * sinA));
    r.gammaStar = std::acos((cosA * cosB - cosG) / (sinA * sinB));

    const double cosAs = std::cos(r.alphaStar);
    const double cosBs = std::cos(r.betaStar), cosGs = std::cos(r.gammaStar), sinGs = std::sin(r.gammaStar);
    r.aStar = {r.aLen, 0.0, 0.0};
    r.bStar = {r.bLen * cosGs, r.bLen * sinGs, 0.0};
    r.cStar.x = r.cLen * cosBs;
    r.cStar.y = r.cLen * (cosAs - cosBs * cosGs) / sinGs;
    // The z component completes the length c*; it equals 1/c, since the direct c is along z.
    r.cStar.z = std::sqrt(r.cLen * r.cLen - r.cStar.x * r.cStar.x - r.cStar.y * r.cStar.y);
    return r;
}

void computeReciprocalBasis(double a, double b, double c, double alpha, double beta, double gamma) {
    const ReciprocalCell r = reciprocalCell(a, b, c, alpha, beta, gamma);
    scene.aStar = r.aStar;
    scene.bStar = r.bStar;
    scene.cStar = r.cStar;
    std::printf("%f %f %f   %f %f %f\n", r.aLen, r.bLen, r.cLen, r.alphaStar, r.betaStar, r.gammaStar);
}
