// Reciprocal basis of a direct cell: lengths a*, b*, c*, angles alpha*, beta*, gamma* and the
// Cartesian vectors in the crystal frame (a* along x, b* in the x-y plane, c* with z > 0);
// and the crystal value built from a cell and a space group.
#include "model/crystal.h"

#include <cmath>


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
