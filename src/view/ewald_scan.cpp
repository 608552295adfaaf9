// The Ewald scan: from the orientation matrix, the crystal angle, the turned basis, the
// sphere's centre in both frames, and every lattice point within the tolerance of the
// sphere's surface, in log order. Two versions that give the same hits bit for bit: the
// plain triple loop, and a fast one that tests only the l near where each (h, k) column
// of the lattice pierces the sphere.
#include "view/ewald_scan.h"

#include <cfloat>
#include <cmath>

#include "app/reflection_conditions.h"

namespace {

// Everything both scans derive from the matrix before they look at a lattice point.
struct ScanFrame {
    double radius = 0.0;        // R = ewaldDiameter / 2
    Vec3 centre;                // sphereCentreCrystal
    int lMin = 0, lMax = 0;     // layer bounds, inclusive
};

// M * v with M the rotation part of the column-major matrix m.
Vec3 turned(const double* m, const Vec3& v) {
    return {m[0] * v.x + m[4] * v.y + m[8] * v.z,
            m[1] * v.x + m[5] * v.y + m[9] * v.z,
            m[2] * v.x + m[6] * v.y + m[10] * v.z};
}

ScanFrame prepare(const ScanInput& in, ScanResult& result) {
    const double* m = in.modelview;
    result.hits.clear();
    // Turn of the crystal about the laboratory z axis: atan2(M(1,0), M(0,0)).
    result.crystalAngle = std::atan2(m[1], m[0]);
    result.aStarRot = turned(m, in.aStar);
    result.bStarRot = turned(m, in.bStar);
    result.cStarRot = turned(m, in.cStar);

    ScanFrame f;
    f.radius = in.ewaldDiameter / 2;
    const Vec3 s{f.radius, 0.0, 0.0};
    result.sphereCentreLab = s;
    // transpose(M) * centre: the laboratory centre expressed in the crystal frame.
    f.centre = {m[0] * s.x + m[1] * s.y + m[2] * s.z,
                m[4] * s.x + m[5] * s.y + m[6] * s.z,
                m[8] * s.x + m[9] * s.y + m[10] * s.z};
    result.sphereCentreCrystal = f.centre;
    f.lMin = in.currentLayer - kScanHalfWidth * in.allLayers;
    f.lMax = in.currentLayer + kScanHalfWidth * in.allLayers;
    return f;
}

// The one on-sphere test both scans run: p = h a* + k b* + l c*, d = |p - centre|, and
// the point is on the sphere when |R - d| < tolerance (a non-finite difference is off).
inline bool onSphere(const ScanInput& in, const ScanFrame& f, int h, int k, int l, Vec3& p) {
    p.x = h * in.aStar.x + k * in.bStar.x + l * in.cStar.x;
    p.y = h * in.aStar.y + k * in.bStar.y + l * in.cStar.y;
    p.z = h * in.aStar.z + k * in.bStar.z + l * in.cStar.z;
    const double dx = p.x - f.centre.x;
    const double dy = p.y - f.centre.y;
    const double dz = p.z - f.centre.z;
    const double d = std::sqrt(dx * dx + dy * dy + dz * dz);
    return std::fabs(f.radius - d) < kOnSphereTolerance;
}

// Tests l from lFrom to lTo (ascending) of one column and appends the hits.
inline void testRange(const ScanInput& in, const ScanFrame& f, int h, int k, int lFrom, int lTo,
                      ScanResult& result) {
    Vec3 p;
    for (int l = lFrom; l <= lTo; ++l) {
        if (onSphere(in, f, h, k, l, p) && !isAbsent(h, k, l, in.spaceGroup)) {
            result.hits.push_back({h, k, l, p});
        }
    }
}

bool finite(const Vec3& v) { return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z); }
double absSum(const Vec3& v) { return std::fabs(v.x) + std::fabs(v.y) + std::fabs(v.z); }
double dot(const Vec3& a, const Vec3& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

// Relative margin, in squared distance, by which the fast scan widens the shell it
// looks in. Rounding moves a computed distance by some 1e-15 of the values involved;
// this margin is a million times that, and still far below the tolerance itself.
constexpr double kShellMargin = 1e-9;

}  // namespace

void scanEwaldSphereFull(const ScanInput& in, ScanResult& result) {
    const ScanFrame f = prepare(in, result);
    Vec3 p;
    for (int h = -kScanHalfWidth; h <= kScanHalfWidth; ++h) {
        for (int k = -kScanHalfWidth; k <= kScanHalfWidth; ++k) {
            for (int l = f.lMin; l <= f.lMax; ++l) {
                if (isAbsent(h, k, l, in.spaceGroup)) continue;
                if (onSphere(in, f, h, k, l, p)) result.hits.push_back({h, k, l, p});
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
    const Vec3& c = in.cStar;
    const double cc = dot(c, c);  // |c*|^2
    const double lAbs = std::fmax(std::fabs(static_cast<double>(f.lMin)), std::fabs(static_cast<double>(f.lMax)));
    // Largest magnitude any term of the test can have, and the margin derived from it.
    const double scale = kScanHalfWidth * (absSum(in.aStar) + absSum(in.bStar)) + lAbs * absSum(c) +
                         absSum(f.centre) + std::fabs(f.radius) + 1.0;
    const double margin = kShellMargin * scale * scale;
    const bool usable = std::isfinite(f.radius) && finite(f.centre) && finite(in.aStar) && finite(in.bStar) &&
                        finite(c) && std::isfinite(margin) && std::isfinite(cc) && cc > DBL_MIN * 1e10;
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

    for (int h = -kScanHalfWidth; h <= kScanHalfWidth; ++h) {
        for (int k = -kScanHalfWidth; k <= kScanHalfWidth; ++k) {
            const Vec3 w{h * in.aStar.x + k * in.bStar.x - f.centre.x, h * in.aStar.y + k * in.bStar.y - f.centre.y,
                         h * in.aStar.z + k * in.bStar.z - f.centre.z};
            const double t0 = -dot(c, w) / cc;  // l of the foot of the perpendicular
            const Vec3 foot{w.x + t0 * c.x, w.y + t0 * c.y, w.z + t0 * c.z};
            const double rhoSq = dot(foot, foot);  // squared distance of the line from the centre
            if (!std::isfinite(t0) || !std::isfinite(rhoSq)) {
                testRange(in, f, h, k, f.lMin, f.lMax, result);
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
                testRange(in, f, h, k, f.lMin, f.lMax, result);
                continue;
            }
            double next = lFirst;  // first l not yet tested in this column
            for (const auto& run : runs) {
                if (run[0] > run[1]) continue;
                const double from = std::fmax(std::ceil(run[0]), next);
                const double to = std::fmin(std::floor(run[1]), lLast);
                if (from > to) continue;
                testRange(in, f, h, k, static_cast<int>(from), static_cast<int>(to), result);
                next = to + 1;
            }
        }
    }
}
