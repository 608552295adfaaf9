// Reciprocal basis of a direct cell: lengths a*, b*, c*, angles alpha*, beta*, gamma* and the
// Cartesian vectors in the crystal frame (a* along x, b* in the x-y plane, c* with z > 0);
// and the crystal value built from a cell and a space group.
#include "model/crystal.h"

#include <cmath>

namespace {
// Cosine and sine of an angle in degrees, exactly 0 and 1 for a right angle, so that a cell
// with right angles gets a basis with exact zeros (and symmetric points stay symmetric).
double cosDegrees(double degrees) { return degrees == 90.0 ? 0.0 : std::cos(radians(degrees)); }
double sinDegrees(double degrees) { return degrees == 90.0 ? 1.0 : std::sin(radians(degrees)); }
}  // namespace

double cellVolumeFactor(double alpha, double beta, double gamma) {
    const double cosA = cosDegrees(alpha), cosB = cosDegrees(beta), cosG = cosDegrees(gamma);
    return 1.0 - cosA * cosA - cosB * cosB - cosG * cosG + 2.0 * cosA * cosB * cosG;
}

ReciprocalCell reciprocalCell(double a, double b, double c, double alpha, double beta, double gamma) {
    const double cosA = cosDegrees(alpha), sinA = sinDegrees(alpha);
    const double cosB = cosDegrees(beta), sinB = sinDegrees(beta);
    const double cosG = cosDegrees(gamma), sinG = sinDegrees(gamma);

    // Cell volume: V = abc * sqrt(1 - cos²α - cos²β - cos²γ + 2 cosα cosβ cosγ).
    const double volume = a * b * c * std::sqrt(cellVolumeFactor(alpha, beta, gamma));

    ReciprocalCell r;
    // Reciprocal lengths: a* = bc sinα / V, b* = ac sinβ / V, c* = ab sinγ / V.
    r.aLen = b * c * sinA / volume;
    r.bLen = a * c * sinB / volume;
    r.cLen = a * b * sinG / volume;
    // Reciprocal angles: cos α* = (cosβ cosγ - cosα) / (sinβ sinγ), and cyclically. The basis
    // is built from these cosines themselves (not from the cosines of their arc cosines).
    const double cosAs = (cosB * cosG - cosA) / (sinB * sinG);
    const double cosBs = (cosG * cosA - cosB) / (sinG * sinA);
    const double cosGs = (cosA * cosB - cosG) / (sinA * sinB);
    r.alphaStar = std::acos(cosAs);
    r.betaStar = std::acos(cosBs);
    r.gammaStar = std::acos(cosGs);
    const double sinGs = std::sqrt(1.0 - cosGs * cosGs);
    r.aStar = {r.aLen, 0.0, 0.0};
    r.bStar = {r.bLen * cosGs, r.bLen * sinGs, 0.0};
    r.cStar.x = r.cLen * cosBs;
    r.cStar.y = r.cLen * (cosAs - cosBs * cosGs) / sinGs;
    // The z component completes the length c*; it equals 1/c, since the direct c is along z.
    r.cStar.z = std::sqrt(r.cLen * r.cLen - r.cStar.x * r.cStar.x - r.cStar.y * r.cStar.y);
    return r;
}

Crystal makeCrystal(double a, double b, double c, double alpha, double beta, double gamma,
                    const SpaceGroupChoice& group) {
    Crystal crystal;
    crystal.a = a;
    crystal.b = b;
    crystal.c = c;
    crystal.alpha = alpha;
    crystal.beta = beta;
    crystal.gamma = gamma;
    crystal.reciprocal = reciprocalCell(a, b, c, alpha, beta, gamma);
    crystal.spaceGroup = group.number;
    crystal.group = group;
    crystal.absences = std::make_shared<const Absences>(group);
    return crystal;
}

Crystal makeCrystal(double a, double b, double c, double alpha, double beta, double gamma, int spaceGroup) {
    return makeCrystal(a, b, c, alpha, beta, gamma, spaceGroupFromNumber(spaceGroup));
}
