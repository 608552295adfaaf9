// The Ewald scan: which lattice points lie on the sphere, in which order, with which
// derived values; and the fast scan against the plain triple loop.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <algorithm>
#include <deque>
#include <limits>
#include <random>
#include <vector>

#include "model/crystal.h"
#include "model/ewald_scan.h"

namespace {

struct Hkl {
    int h, k, l;
    bool operator==(const Hkl& o) const { return h == o.h && k == o.k && l == o.l; }
};
std::ostream& operator<<(std::ostream& os, const Hkl& x) { return os << "(" << x.h << "," << x.k << "," << x.l << ")"; }

std::vector<Hkl> indices(const ScanResult& r) {
    std::vector<Hkl> out;
    for (const LatticeHit& hit : r.hits) out.push_back({hit.h, hit.k, hit.l});
    return out;
}

constexpr double kIdentity[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
// 90 degrees about z, exact: x goes to y, y to -x (column-major).
constexpr double kQuarterZ[16] = {0, 1, 0, 0, -1, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};

// A crystal with the given basis and space group, kept alive for the whole test program
// (a scan input points at its crystal).
const Crystal* crystalWith(Vec3 a, Vec3 b, Vec3 c, int group) {
    static std::deque<Crystal> crystals;
    Crystal crystal;
    crystal.reciprocal.aStar = a;
    crystal.reciprocal.bStar = b;
    crystal.reciprocal.cStar = c;
    crystal.spaceGroup = group;
    crystal.group = spaceGroupFromNumber(group);
    crystal.absences = std::make_shared<const Absences>(crystal.group);
    crystals.push_back(crystal);
    return &crystals.back();
}

ScanInput input(Vec3 a, Vec3 b, Vec3 c, double diameter, int layer, int all, int group, const double* m) {
    ScanInput in;
    in.crystal = crystalWith(a, b, c, group);
    in.ewaldDiameter = diameter;
    in.currentLayer = layer;
    in.allLayers = all;
    std::memcpy(in.orientation.data(), m, sizeof(double) * 16);
    return in;
}

}  // namespace

// Hand-derived cases. Cubic basis a* = b* = c* = 0.25 along x, y, z, ewaldDiameter 2
// (R = 1), identity: the centre is (1, 0, 0) and a point's squared distance from it is
// ((h-4)^2 + k^2 + l^2) / 16, exact in binary. It is within 0.004 of R only when that
// integer sum is 16 (15 and 17 put it 0.03 away), and 16 is a sum of three squares only
// as 16 + 0 + 0: the six points (0,0,0), (8,0,0), (4,+-4,0), (4,0,+-4).
// With c* = g instead of 0.25, (4,0,+-4) lies at d = 4g exactly (sqrt of a square), so
// g = 0.251 -+ 2.5e-10 puts it 1e-9 inside or outside the tolerance; no other l != 0 point
// comes near, as (h-4)^2 + k^2 would have to be 15, 12 or 7 (l = 1, 2, 3), none a sum of
// two squares. Space group 146 removes the points whose -h + k + l is not a multiple of 3.
// Turned 90 degrees about z, the centre in the crystal frame is (0, -1, 0): the points
// (h, k+4, l) of the list above, now in a different scan order.
// Tiny sphere: a* = 0.004 along x (its double has two trailing zero bits, so 2, 3, 4, 5
// and 6 times it are exact), diameter 0.016, R = 2 a*: (1,0,0), (3,0,0), (-1,0,0) and
// (5,0,0) lie at exactly 0.004 from the surface (off), (0,0,0) and (4,0,0) on it.
TEST(EwaldScan, HandDerivedCasesFullAndFast) {
    const Vec3 x{0.25, 0, 0}, y{0, 0.25, 0}, z{0, 0, 0.25};
    const Vec3 zUnder{0, 0, 0.251 - 2.5e-10}, zBeyond{0, 0, 0.251 + 2.5e-10};
    const Vec3 tinyA{0.004, 0, 0}, farB{0, 10, 0}, farC{0, 0, 10};
    struct Case {
        const char* name;
        ScanInput in;
        std::vector<Hkl> expected;
    };
    const Case cases[] = {
        {"six points", input(x, y, z, 2, 0, 1, 1, kIdentity),
         {{0, 0, 0}, {4, -4, 0}, {4, 0, -4}, {4, 0, 4}, {4, 4, 0}, {8, 0, 0}}},
        {"just under 0.004", input(x, y, zUnder, 2, 0, 1, 1, kIdentity),
         {{0, 0, 0}, {4, -4, 0}, {4, 0, -4}, {4, 0, 4}, {4, 4, 0}, {8, 0, 0}}},
        {"just beyond 0.004", input(x, y, zBeyond, 2, 0, 1, 1, kIdentity),
         {{0, 0, 0}, {4, -4, 0}, {4, 4, 0}, {8, 0, 0}}},
        {"exactly 0.004", input(tinyA, farB, farC, 0.016, 0, 1, 1, kIdentity), {{0, 0, 0}, {4, 0, 0}}},
        {"absences of group 146", input(x, y, z, 2, 0, 1, 146, kIdentity), {{0, 0, 0}, {4, 0, 4}, {4, 4, 0}}},
        {"one layer 4", input(x, y, z, 2, 4, 0, 1, kIdentity), {{4, 0, 4}}},
        {"one layer -4", input(x, y, z, 2, -4, 0, 1, kIdentity), {{4, 0, -4}}},
        {"one layer 0", input(x, y, z, 2, 0, 0, 1, kIdentity), {{0, 0, 0}, {4, -4, 0}, {4, 4, 0}, {8, 0, 0}}},
        {"all layers, whatever the current one", input(x, y, z, 2, 30, 1, 1, kIdentity),
         {{0, 0, 0}, {4, -4, 0}, {4, 0, -4}, {4, 0, 4}, {4, 4, 0}, {8, 0, 0}}},
        {"all layers about layer -4", input(x, y, z, 2, -4, 1, 1, kIdentity),
         {{0, 0, 0}, {4, -4, 0}, {4, 0, -4}, {4, 0, 4}, {4, 4, 0}, {8, 0, 0}}},
        {"turned 90 about z", input(x, y, z, 2, 0, 1, 1, kQuarterZ),
         {{-4, -4, 0}, {0, -8, 0}, {0, -4, -4}, {0, -4, 4}, {0, 0, 0}, {4, -4, 0}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScanResult full, fast;
        scanEwaldSphereFull(c.in, full);
        scanEwaldSphere(c.in, fast);
        EXPECT_EQ(indices(full), c.expected);
        EXPECT_EQ(indices(fast), c.expected);
    }
}

TEST(EwaldScan, DerivedValuesAtRestAndTurned) {
    const Vec3 a{0.2, 0, 0}, b{0.01, 0.2, 0}, c{0.02, 0.03, 0.2};
    ScanResult r;
    scanEwaldSphere(input(a, b, c, 1.3, 0, 1, 1, kIdentity), r);
    EXPECT_EQ(r.crystalAngle, 0.0);
    EXPECT_EQ(r.aStarRot.x, a.x);
    EXPECT_EQ(r.bStarRot.x, b.x);
    EXPECT_EQ(r.bStarRot.y, b.y);
    EXPECT_EQ(r.cStarRot.x, c.x);
    EXPECT_EQ(r.cStarRot.y, c.y);
    EXPECT_EQ(r.cStarRot.z, c.z);
    EXPECT_EQ(r.sphereCentreLab.x, 0.65);
    EXPECT_EQ(r.sphereCentreCrystal.x, 0.65);
    EXPECT_EQ(r.sphereCentreCrystal.y, 0.0);
    EXPECT_EQ(r.sphereCentreCrystal.z, 0.0);
    ASSERT_FALSE(r.hits.empty());
    EXPECT_EQ(indices(r)[0], (Hkl{0, 0, 0})) << "the origin is always on the sphere and is the first hit at layer 0";

    scanEwaldSphere(input(a, b, c, 1.3, 0, 1, 1, kQuarterZ), r);
    EXPECT_DOUBLE_EQ(r.crystalAngle, std::acos(-1.0) / 2);
    EXPECT_EQ(r.aStarRot.y, 0.2);  // a* turned onto y
    EXPECT_EQ(r.bStarRot.x, -0.2);
    EXPECT_EQ(r.sphereCentreCrystal.y, -0.65);  // the lab centre seen from the crystal
    EXPECT_EQ(r.sphereCentreLab.x, 0.65);
}

TEST(EwaldScan, NonFiniteOrNonPositiveDiameterFindsNothingFar) {
    const Vec3 x{0.2, 0, 0}, y{0, 0.2, 0}, z{0, 0, 0.2};
    const double inf = std::numeric_limits<double>::infinity();
    const double diameters[] = {inf, -inf, std::nan(""), -1.3};
    for (double d : diameters) {
        ScanResult full, fast;
        scanEwaldSphereFull(input(x, y, z, d, 0, 1, 1, kIdentity), full);
        scanEwaldSphere(input(x, y, z, d, 0, 1, 1, kIdentity), fast);
        EXPECT_TRUE(full.hits.empty()) << d;
        EXPECT_TRUE(fast.hits.empty()) << d;
    }
    // Diameter 0: a point sphere at the origin; only the origin is within 0.004 of it.
    ScanResult r;
    scanEwaldSphere(input(x, y, z, 0.0, 0, 1, 1, kIdentity), r);
    EXPECT_EQ(indices(r), (std::vector<Hkl>{{0, 0, 0}}));
}

namespace {

bool sameBits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }
bool sameBits(const Vec3& a, const Vec3& b) { return sameBits(a.x, b.x) && sameBits(a.y, b.y) && sameBits(a.z, b.z); }

// Fast and full must agree in every hit (indices and point, bit for bit), in order.
::testing::AssertionResult agree(const ScanInput& in, size_t& hitCount) {
    static ScanResult full, fast;
    scanEwaldSphereFull(in, full);
    scanEwaldSphere(in, fast);
    hitCount += full.hits.size();
    if (full.hits.size() != fast.hits.size()) {
        return ::testing::AssertionFailure() << "full " << full.hits.size() << " hits, fast " << fast.hits.size();
    }
    for (size_t i = 0; i < full.hits.size(); ++i) {
        const LatticeHit &u = full.hits[i], &v = fast.hits[i];
        if (u.h != v.h || u.k != v.k || u.l != v.l || !sameBits(u.p, v.p)) {
            return ::testing::AssertionFailure() << "hit " << i << " differs: full (" << u.h << "," << u.k << ","
                                                 << u.l << "), fast (" << v.h << "," << v.k << "," << v.l << ")";
        }
    }
    if (!sameBits(full.crystalAngle, fast.crystalAngle) || !sameBits(full.sphereCentreCrystal, fast.sphereCentreCrystal)) {
        return ::testing::AssertionFailure() << "derived values differ";
    }
    return ::testing::AssertionSuccess();
}

// A rotation matrix (column-major 4x4) from a random unit quaternion.
void randomRotation(std::mt19937_64& rng, double* m) {
    std::normal_distribution<double> n(0.0, 1.0);
    double w = n(rng), x = n(rng), y = n(rng), z = n(rng);
    const double s = std::sqrt(w * w + x * x + y * y + z * z);
    w /= s, x /= s, y /= s, z /= s;
    const double r[3][3] = {{1 - 2 * (y * y + z * z), 2 * (x * y - w * z), 2 * (x * z + w * y)},
                            {2 * (x * y + w * z), 1 - 2 * (x * x + z * z), 2 * (y * z - w * x)},
                            {2 * (x * z - w * y), 2 * (y * z + w * x), 1 - 2 * (x * x + y * y)}};
    std::memcpy(m, kIdentity, sizeof(double) * 16);
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) m[4 * j + i] = r[i][j];
}

struct Cell {
    const char* name;
    Vec3 a, b, c;
    double diameter;
};

Cell fromDirect(const char* name, double a, double b, double c, double al, double be, double ga, double lambda) {
    const ReciprocalCell r = reciprocalCell(a, b, c, al, be, ga);
    return {name, r.aStar, r.bStar, r.cStar, 2.0 / lambda};
}

}  // namespace

// Many random orientations of several cells, triclinic and arbitrary bases included, at
// random layers, both layer modes and several space groups; then diameters tuned so that
// a chosen point sits right at the tolerance; then degenerate inputs.
TEST(EwaldScan, FastScanEqualsFullLoop) {
    const unsigned long long seed = 20261211;
    std::printf("fast-scan equality: seed %llu\n", seed);
    std::mt19937_64 rng(seed);
    std::uniform_real_distribution<double> unit(-1.0, 1.0);
    std::uniform_int_distribution<int> layerDist(-25, 25);
    const int groups[] = {1, 5, 14, 19, 61, 146};
    std::vector<Cell> cells = {
        fromDirect("cubic 5", 5, 5, 5, 90, 90, 90, 1.5418),
        fromDirect("cubic 20", 20, 20, 20, 90, 90, 90, 0.71),
        fromDirect("monoclinic", 5, 6, 7, 90, 100, 90, 1.5418),
        fromDirect("triclinic", 4.1, 5.3, 6.2, 77, 84, 69, 1.5418),
        fromDirect("triclinic, short wave", 7.3, 8.9, 11.4, 101, 95, 117, 0.56),
    };
    for (int i = 0; i < 4; ++i) {  // arbitrary bases, not from any cell
        Cell c{"arbitrary", {}, {}, {}, 0.5 + 3.5 * (unit(rng) + 1) / 2};
        c.a = {0.4 * unit(rng), 0.4 * unit(rng), 0.4 * unit(rng)};
        c.b = {0.4 * unit(rng), 0.4 * unit(rng), 0.4 * unit(rng)};
        c.c = {0.4 * unit(rng), 0.4 * unit(rng), 0.4 * unit(rng)};
        cells.push_back(c);
    }

    // Index triples of the box the full loop walks: a cell whose limiting sphere is large gets
    // fewer random orientations, so the whole test stays quick in the sanitizer build too.
    const auto boxOf = [](const Cell& cell) {
        const IndexRange r = indexRange(*crystalWith(cell.a, cell.b, cell.c, 1), cell.diameter);
        return (2.0 * r.h + 1) * (2.0 * r.k + 1) * (2.0 * r.l + 1);
    };
    size_t hits = 0;
    int runs = 0;
    ScanInput in;
    for (const Cell& cell : cells) {
        const int orientations = boxOf(cell) > 1e5 ? 3 : 60;
        for (int n = 0; n < orientations; ++n) {
            in = input(cell.a, cell.b, cell.c, cell.diameter, layerDist(rng), n % 2, groups[n % 6], kIdentity);
            randomRotation(rng, in.orientation.data());
            if (n % 10 == 9) {  // a matrix that is no rotation (drifted by rounding, or worse)
                for (int j = 0; j < 11; ++j) in.orientation[j] += 0.05 * unit(rng);
            }
            ASSERT_TRUE(agree(in, hits)) << cell.name << ", orientation " << n;
            ++runs;
        }
    }

    // Diameters that put a random point at distance R -+ 0.004 from the centre (up to
    // rounding), solved from |p - R u|^2 = (R -+ 0.004)^2 with u the centre's direction.
    int tuned = 0, atTolerance = 0;
    for (int n = 0; n < 800; ++n) {
        const Cell& cell = cells[static_cast<size_t>(n) % cells.size()];
        if (boxOf(cell) > 1e5) continue;
        in = input(cell.a, cell.b, cell.c, cell.diameter, layerDist(rng) / 5, 1, 1, kIdentity);
        randomRotation(rng, in.orientation.data());
        const int h = layerDist(rng) / 5, k = layerDist(rng) / 5, l = in.currentLayer + layerDist(rng) / 5;
        const Vec3 p{h * cell.a.x + k * cell.b.x + l * cell.c.x, h * cell.a.y + k * cell.b.y + l * cell.c.y,
                     h * cell.a.z + k * cell.b.z + l * cell.c.z};
        const double pu = p.x * in.orientation[0] + p.y * in.orientation[4] + p.z * in.orientation[8];
        const double pp = p.x * p.x + p.y * p.y + p.z * p.z;
        const double sign = n % 2 ? 1.0 : -1.0;
        const double radius = (1.6e-5 - pp) / (sign * 0.008 - 2 * pu);
        if (!(radius > 0.01)) continue;
        in.ewaldDiameter = 2 * radius;
        ASSERT_TRUE(agree(in, hits)) << "tuned case " << n;
        ++tuned;
        const double centre[3] = {radius * in.orientation[0], radius * in.orientation[4], radius * in.orientation[8]};
        const double d = std::sqrt((p.x - centre[0]) * (p.x - centre[0]) + (p.y - centre[1]) * (p.y - centre[1]) +
                                   (p.z - centre[2]) * (p.z - centre[2]));
        atTolerance += std::fabs(std::fabs(radius - d) - kOnSphereTolerance) < 1e-12;
    }

    // Degenerate inputs: the fast scan must give what the full loop gives, without crashing.
    const double inf = std::numeric_limits<double>::infinity(), nan = std::nan("");
    const Cell& cubic = cells[0];
    const double diameters[] = {0.0, -1.3, 1e-300, 1e300, inf, nan};
    for (double d : diameters) {
        in = input(cubic.a, cubic.b, cubic.c, d, 0, 1, 1, kIdentity);
        EXPECT_TRUE(agree(in, hits)) << "diameter " << d;
    }
    const double entries[] = {0.0, nan, inf, 1e200};
    for (double e : entries) {
        in = input(cubic.a, cubic.b, cubic.c, cubic.diameter, 0, 1, 1, kIdentity);
        in.orientation[4] = e;
        EXPECT_TRUE(agree(in, hits)) << "matrix entry " << e;
        in.orientation.fill(0.0);
        EXPECT_TRUE(agree(in, hits)) << "zero matrix";
    }
    const Vec3 cStars[] = {{0, 0, 0}, {0, 0, 1e-200}, {0, 0, nan}, {0, 0, 1e200}, {0.2, 0, 0}};
    for (const Vec3& c : cStars) {
        in = input(cubic.a, cubic.b, c, cubic.diameter, 3, 1, 1, kIdentity);
        EXPECT_TRUE(agree(in, hits)) << "c* z " << c.z;
    }
    in = input(cubic.a, cubic.b, cubic.c, 1e4, 100000, 1, 1, kIdentity);  // far layers, huge sphere
    EXPECT_TRUE(agree(in, hits));

    std::printf("fast-scan equality: %d random scans, %d tuned (%d within 1e-12 of the tolerance), %zu hits compared\n",
                runs, tuned, atTolerance, hits);
    EXPECT_GT(hits, 10000u);
    EXPECT_GT(atTolerance, 200);
}

// Large cells: the index box holds the whole limiting sphere (every point with |p| <= 2/lambda
// has its indices inside it, checked over a box twice as wide), the fast scan finds what the
// plain loop over that box finds, and a cell whose sphere holds too many points is cut.
TEST(EwaldScan, WholeLimitingSphereOfLargeCells) {
    struct Cell {
        const char* name;
        double a, b, c, alpha, beta, gamma, lambda;
    };
    const Cell cells[] = {
        {"cubic 25 at 0.71", 25, 25, 25, 90, 90, 90, 0.71},
        {"triclinic 15", 15, 13, 17, 75, 100, 110, 0.71},
        {"start crystal", 5, 5, 5, 90, 90, 90, 1.5418},
    };
    for (const Cell& cell : cells) {
        const Crystal crystal = makeCrystal(cell.a, cell.b, cell.c, cell.alpha, cell.beta, cell.gamma, 1);
        const double diameter = 2 / cell.lambda;
        const IndexRange range = indexRange(crystal, diameter);
        EXPECT_FALSE(range.cut) << cell.name;
        // Along each axis the farthest index inside the sphere, found by walking the lattice.
        int reach[3] = {0, 0, 0};
        for (int h = -2 * range.h; h <= 2 * range.h; h += 1)
            for (int k = -2 * range.k; k <= 2 * range.k; ++k)
                for (int l = -2 * range.l; l <= 2 * range.l; ++l) {
                    if (length(crystal.latticePoint(h, k, l)) > diameter) continue;
                    reach[0] = std::max(reach[0], std::abs(h));
                    reach[1] = std::max(reach[1], std::abs(k));
                    reach[2] = std::max(reach[2], std::abs(l));
                }
        EXPECT_LE(reach[0], range.h) << cell.name;
        EXPECT_LE(reach[1], range.k) << cell.name;
        EXPECT_LE(reach[2], range.l) << cell.name;
        EXPECT_GE(reach[0], range.h - 1) << cell.name;  // and not much wider

        const double turns[][3] = {{0, 0, 0}, {0, 0, 33}, {25, 0, 40}, {33, -57, 71}};
        for (const auto& t : turns) {
            ScanInput in;
            in.crystal = &crystal;
            in.ewaldDiameter = diameter;
            turnMatrix(in.orientation, t[0], 1, 0, 0);
            turnMatrix(in.orientation, t[1], 0, 1, 0);
            turnMatrix(in.orientation, t[2], 0, 0, 1);
            ScanResult full, fast;
            scanEwaldSphereFull(in, full);
            scanEwaldSphere(in, fast);
            EXPECT_EQ(indices(full), indices(fast)) << cell.name;
            EXPECT_GT(full.hits.size(), 1u) << cell.name;
        }
    }
    // A 400 Å cell at 0.5 Å would hold some 2e9 points: cut to about the bound.
    const Crystal huge = makeCrystal(400, 400, 400, 90, 90, 90, 1);
    const IndexRange cut = indexRange(huge, 4.0);
    EXPECT_TRUE(cut.cut);
    const double box = (2.0 * cut.h + 1) * (2.0 * cut.k + 1) * (2.0 * cut.l + 1);
    EXPECT_LE(box, 2.5 * kMaxSpherePoints);
    EXPECT_GE(box, kMaxSpherePoints);
}
