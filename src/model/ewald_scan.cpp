// The Ewald scan: from the orientation matrix, the crystal angle, the turned basis, the
// sphere's centre in both frames, and every lattice point within the tolerance of the
// sphere's surface, in log order. Two versions that give the same hits bit for bit: the
// plain triple loop, and a fast one that tests only the l near where each (h, k) column
// of the lattice pierces the sphere.
#include "model/ewald_scan.h"

#include <cfloat>
#include <algorithm>
#include <cmath>


namespace {

// Everything both scans derive from the matrix before they look at a lattice point.
struct ScanFrame {
    const Crystal* crystal = nullptr;
    Vec3 aStar, bStar, cStar;   // the crystal's basis, crystal frame
    double radius = 0.0;        // R = ewaldDiameter / 2
    int hMax = 0, kMax = 0;     // index bounds of h and k, inclusive
    Vec3 centre;                // sphereCentreCrystal
    int lMin = 0, lMax = 0;     // layer bounds, inclusive
};

ScanFrame prepare(const ScanInput& in, ScanResult& result) {
    const Mat4& m = in.orientation;
    ScanFrame f;
    f.crystal = in.crystal;
    f.aStar = in.crystal->reciprocal.aStar;
    f.bStar = in.crystal->reciprocal.bStar;
    f.cStar = in.crystal->reciprocal.cStar;
    result.hits.clear();
    // Turn of the crystal about the laboratory z axis: atan2(M(1,0), M(0,0)).
    result.crystalAngle = std::atan2(m[1], m[0]);
    result.aStarRot = turnVector(m, f.aStar);
    result.bStarRot = turnVector(m, f.bStar);
    result.cStarRot = turnVector(m, f.cStar);

    f.radius = in.ewaldDiameter / 2;
    const Vec3 s{f.radius, 0.0, 0.0};
    result.sphereCentreLab = s;
    // transpose(M) * centre: the laboratory centre expressed in the crystal frame.
    f.centre = turnVectorBack(m, s);
    result.sphereCentreCrystal = f.centre;
    const IndexRange range = scanIndexRange(*in.crystal, in.ewaldDiameter);
    f.hMax = range.h;
    f.kMax = range.k;
    f.lMin = in.allLayers ? -range.l : in.currentLayer;
    f.lMax = in.allLayers ? range.l : in.currentLayer;
    return f;
}

// The one on-sphere test both scans run: p = h a* + k b* + l c*, d = |p - centre|, and
// the point is on the sphere when |R - d| < tolerance (a non-finite difference is off).
inline bool onSphere(const ScanFrame& f, int h, int k, int l, Vec3& p) {
    p = f.crystal->latticePoint(h, k, l);
    const double dx = p.x - f.centre.x;
    const double dy = p.y - f.centre.y;
    const double dz = p.z - f.centre.z;
    const double d = std::sqrt(dx * dx + dy * dy + dz * dz);
    return std::fabs(f.radius - d) < kOnSphereTolerance;
}

// Tests l from lFrom to lTo (ascending) of one column and appends the hits.
inline void testRange(const ScanFrame& f, int h, int k, int lFrom, int lTo,
                      ScanResult& result) {
    Vec3 p;
    for (int l = lFrom; l <= lTo; ++l) {
        if (onSphere(f, h, k, l, p) && !f.crystal->isAbsent(h, k, l)) {
            result.hits.push_back({h, k, l, p});
        }
    }
}

double absSum(const Vec3& v) { return std::fabs(v.x) + std::fabs(v.y) + std::fabs(v.z); }

// Relative margin, in squared distance, by which the fast scan widens the shell it
// looks in. Rounding moves a computed distance by some 1e-15 of the values involved;
// this margin is a million times that, and still far below the tolerance itself.
constexpr double kShellMargin = 1e-9;

Vec3 cross(const Vec3& u, const Vec3& v) {
    return {u.y * v.z - u.z * v.y, u.z * v.x - u.x * v.z, u.x * v.y - u.y * v.x};
}

}  // namespace

double latticePointsInSphere(const Crystal& crystal, double radius) {
    const ReciprocalCell& r = crystal.reciprocal;
    const double volumeStar = std::fabs(dot(r.aStar, cross(r.bStar, r.cStar)));
    return 4.0 / 3.0 * kPi * radius * radius * radius / volumeStar;
}

IndexRange indexRange(const Crystal& crystal, double radius) {
    const ReciprocalCell& r = crystal.reciprocal;
    // The direct axes are a = (b* x c*) / V*, b = (c* x a*) / V*, c = (a* x b*) / V*.
    const double volumeStar = std::fabs(dot(r.aStar, cross(r.bStar, r.cStar)));
    const double axes[3] = {length(cross(r.bStar, r.cStar)) / volumeStar,
                            length(cross(r.cStar, r.aStar)) / volumeStar,
                            length(cross(r.aStar, r.bStar)) / volumeStar};
    const double points = latticePointsInSphere(crystal, radius);
    const bool cut = !(points <= kMaxSpherePoints);
    // A cut range is the box of the sphere that holds the bound's points, of radius
    // cbrt(3 bound V* / (4 pi)): written so that no huge radius enters it.
    const double boxRadius = cut ? std::cbrt(3.0 * kMaxSpherePoints * volumeStar / (4.0 * kPi)) : radius;
    double bounds[3];
    for (int i = 0; i < 3; ++i) {
        const double b = cut ? std::floor(boxRadius * axes[i]) : std::ceil(boxRadius * axes[i]);
        bounds[i] = std::isfinite(b) ? std::fmax(cut ? 1.0 : 0.0, b) : 1.0;
    }
    // A sphere fills pi/6 of its box, so a box of 2.5 times the bound holds the bound's points;
    // the box of a cell of extreme shape, which would hold far more, is cut along its longest side.
    const double maxBox = 2.5 * kMaxSpherePoints;
    bool boxCut = false;
    while ((2 * bounds[0] + 1) * (2 * bounds[1] + 1) * (2 * bounds[2] + 1) > maxBox) {
        double& largest = *std::max_element(bounds, bounds + 3);
        largest = std::floor(largest / 2);
        boxCut = true;
    }
    IndexRange range;
    range.h = static_cast<int>(bounds[0]);
    range.k = static_cast<int>(bounds[1]);
    range.l = static_cast<int>(bounds[2]);
    range.cut = cut || boxCut;
    return range;
}

IndexRange scanIndexRange(const Crystal& crystal, double ewaldDiameter) {
    return indexRange(crystal, std::fabs(ewaldDiameter) + 2 * kOnSphereTolerance);
}

void scanEwaldSphereFull(const ScanInput& in, ScanResult& result) {
    const ScanFrame f = prepare(in, result);
    Vec3 p;
    for (int h = -f.hMax; h <= f.hMax; ++h) {
        for (int k = -f.kMax; k <= f.kMax; ++k) {
            for (int l = f.lMin; l <= f.lMax; ++l) {
                if (f.crystal->isAbsent(h, k, l)) continue;
                if (onSphere(f, h, k, l, p)) result.hits.push_back({h, k, l, p});
            }
        }
    }
}

// Along one (h, k) column the points are w + l c* (w = h a* + k b* - centre), and
// |w + l c*|^2 = rho^2 + |c*|^2 (l - t0)^2 with t0 the foot of the perpendicular from
// the centre and rho its length. A point can pass the test only if its distance d lies
// in the shell R - tol < d < R + tol, so only the l with |l - t0| between the two
// radii of that shell on the line are tried. The shell is widened by a margin far
// larger than any rounding, and the candidates are put through the very same test as
// in the full loop, so the hits and their order are those of the full loop. Where a
// value is not finite, or the column's direction is (nearly) zero, every l is tested.
void scanEwaldSphere(const ScanInput& in, ScanResult& result) {
    const ScanFrame f = prepare(in, result);
    const Vec3& c = f.cStar;
    const double cc = dot(c, c);  // |c*|^2
    const double lAbs = std::fmax(std::fabs(static_cast<double>(f.lMin)), std::fabs(static_cast<double>(f.lMax)));
    // Largest magnitude any term of the test can have, and the margin derived from it.
    const double scale = f.hMax * absSum(f.aStar) + f.kMax * absSum(f.bStar) + lAbs * absSum(c) +
                         absSum(f.centre) + std::fabs(f.radius) + 1.0;
    const double margin = kShellMargin * scale * scale;
    const bool usable = std::isfinite(f.radius) && isFinite(f.centre) && isFinite(f.aStar) && isFinite(f.bStar) &&
                        isFinite(c) && std::isfinite(margin) && std::isfinite(cc) && cc > DBL_MIN * 1e10;
    if (!usable) {
        scanEwaldSphereFull(in, result);
        return;
    }
    if (f.lMin > f.lMax) return;
    // Squared radii of the widened shell; no inner hole when its inner radius is not positive.
    const double outer = f.radius + kOnSphereTolerance;
    const double inner = f.radius - kOnSphereTolerance;
    const double outerSq = (outer > 0 ? outer * outer : 0.0) + margin;
    const double innerSq = (inner > 0 ? inner * inner : 0.0) - margin;
    const double lFirst = f.lMin, lLast = f.lMax;

    for (int h = -f.hMax; h <= f.hMax; ++h) {
        for (int k = -f.kMax; k <= f.kMax; ++k) {
            const Vec3 w = f.crystal->latticePoint(h, k, 0) - f.centre;
            const double t0 = -dot(c, w) / cc;  // l of the foot of the perpendicular
            const Vec3 foot{w.x + t0 * c.x, w.y + t0 * c.y, w.z + t0 * c.z};
            const double rhoSq = dot(foot, foot);  // squared distance of the line from the centre
            if (!std::isfinite(t0) || !std::isfinite(rhoSq)) {
                testRange(f, h, k, f.lMin, f.lMax, result);
                continue;
            }
            if (rhoSq > outerSq) continue;  // the column passes outside the shell
            const double sOuter = std::sqrt((outerSq - rhoSq) / cc);
            const double sInner = innerSq > rhoSq ? std::sqrt((innerSq - rhoSq) / cc) : -1.0;
            // Two runs of l about t0 (one when the line misses the hole), ascending, clamped.
            const double runs[2][2] = {{t0 - sOuter, sInner < 0 ? t0 + sOuter : t0 - sInner},
                                       {sInner < 0 ? 1.0 : t0 + sInner, sInner < 0 ? 0.0 : t0 + sOuter}};
            if (!std::isfinite(runs[0][0]) || !std::isfinite(runs[0][1]) || !std::isfinite(runs[1][0]) ||
                !std::isfinite(runs[1][1])) {
                testRange(f, h, k, f.lMin, f.lMax, result);
                continue;
            }
            double next = lFirst;  // first l not yet tested in this column
            for (const auto& run : runs) {
                if (run[0] > run[1]) continue;
                const double from = std::fmax(std::ceil(run[0]), next);
                const double to = std::fmin(std::floor(run[1]), lLast);
                if (from > to) continue;
                testRange(f, h, k, static_cast<int>(from), static_cast<int>(to), result);
                next = to + 1;
            }
        }
    }
}
