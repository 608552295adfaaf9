// Reciprocal basis: printed values of known cells, lengths and angles against gemmi for
// cells without right angles, and the basis being dual to the direct cell it came from.
#include <gemmi/unitcell.hpp>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>

#include "model/crystal.h"

namespace {


std::string sixDecimals(double x, double y, double z) {
    char buf[128];
    std::snprintf(buf, sizeof buf, "%f %f %f", x, y, z);
    return buf;
}

Vec3 cross(const Vec3& u, const Vec3& v) {
    return {u.y * v.z - u.z * v.y, u.z * v.x - u.x * v.z, u.x * v.y - u.y * v.x};
}
Vec3 scaled(const Vec3& v, double s) { return {v.x * s, v.y * s, v.z * s}; }
double angleDegrees(const Vec3& u, const Vec3& v) {
    return std::acos(dot(u, v) / (length(u) * length(v))) * 180.0 / kPi;
}

struct Cell {
    double a, b, c, alpha, beta, gamma;
};

// Cells with fewer than two right angles.
const Cell kTriclinicCells[] = {
    {5, 6, 7, 80, 85, 95},
    {7.1, 9.3, 11.8, 101.5, 96.2, 73.4},
    {3.2, 4.5, 14.0, 62.0, 75.0, 118.0},
    {10, 10, 10, 60, 60, 60},   // rhombohedral cell
    {4, 5, 6, 90, 110, 105},    // one right angle
};

}  // namespace

// Printed lines and components for cells with at least two right angles (hand-worked values;
// components to six decimals).
TEST(ReciprocalBasis, KnownCellsGiveTheirPrintedValues) {
    struct Case {
        Cell cell;
        const char *lengths, *angles;
        Vec3 aStar, bStar, cStar;
    };
    const Case cases[] = {
        {{5, 5, 5, 90, 90, 90}, "0.200000 0.200000 0.200000", "1.570796 1.570796 1.570796",
         {0.2, 0, 0}, {0, 0.2, 0}, {0, 0, 0.2}},
        {{3, 3, 5, 90, 90, 120}, "0.384900 0.384900 0.200000", "1.570796 1.570796 1.047198",
         {0.384900, 0, 0}, {0.192450, 0.333333, 0}, {0, 0, 0.2}},
        {{5, 6, 7, 90, 100, 90}, "0.203085 0.166667 0.145061", "1.570796 1.396263 1.570796",
         {0.203085, 0, 0}, {0, 0.166667, 0}, {0.025190, 0, 0.142857}},
    };
    for (const Case& c : cases) {
        const ReciprocalCell r = reciprocalCell(c.cell.a, c.cell.b, c.cell.c, c.cell.alpha, c.cell.beta, c.cell.gamma);
        SCOPED_TRACE(c.lengths);
        EXPECT_EQ(sixDecimals(r.aLen, r.bLen, r.cLen), c.lengths);
        EXPECT_EQ(sixDecimals(r.alphaStar, r.betaStar, r.gammaStar), c.angles);
        const Vec3 got[] = {r.aStar, r.bStar, r.cStar}, want[] = {c.aStar, c.bStar, c.cStar};
        for (int i = 0; i < 3; ++i) {
            EXPECT_NEAR(got[i].x, want[i].x, 5e-7) << "vector " << i;
            EXPECT_NEAR(got[i].y, want[i].y, 5e-7) << "vector " << i;
            EXPECT_NEAR(got[i].z, want[i].z, 5e-7) << "vector " << i;
        }
        // a* along x and b* in the x-y plane exactly; cos(90°) leaves only ~1e-17 elsewhere.
        EXPECT_EQ(r.aStar.y, 0.0);
        EXPECT_EQ(r.aStar.z, 0.0);
        EXPECT_EQ(r.bStar.z, 0.0);
    }
    const ReciprocalCell cubic = reciprocalCell(5, 5, 5, 90, 90, 90);
    EXPECT_LT(std::fabs(cubic.bStar.x), 1e-16);
    EXPECT_LT(std::fabs(cubic.cStar.x), 1e-16);
    EXPECT_LT(std::fabs(cubic.cStar.y), 1e-16);
}

TEST(ReciprocalBasis, LengthsAndAnglesAgreeWithGemmi) {
    for (const Cell& c : kTriclinicCells) {
        const ReciprocalCell r = reciprocalCell(c.a, c.b, c.c, c.alpha, c.beta, c.gamma);
        const gemmi::UnitCell g = gemmi::UnitCell(c.a, c.b, c.c, c.alpha, c.beta, c.gamma).reciprocal();
        SCOPED_TRACE(testing::Message() << c.a << " " << c.b << " " << c.c << " " << c.alpha << " " << c.beta << " "
                                        << c.gamma);
        EXPECT_NEAR(r.aLen, g.a, 1e-12);
        EXPECT_NEAR(r.bLen, g.b, 1e-12);
        EXPECT_NEAR(r.cLen, g.c, 1e-12);
        EXPECT_NEAR(r.alphaStar, g.alpha / 180.0 * kPi, 1e-9);
        EXPECT_NEAR(r.betaStar, g.beta / 180.0 * kPi, 1e-9);
        EXPECT_NEAR(r.gammaStar, g.gamma / 180.0 * kPi, 1e-9);
        // The vectors carry the same lengths and angles as the scalars.
        EXPECT_NEAR(length(r.aStar), g.a, 1e-12);
        EXPECT_NEAR(length(r.bStar), g.b, 1e-12);
        EXPECT_NEAR(length(r.cStar), g.c, 1e-12);
        EXPECT_NEAR(angleDegrees(r.bStar, r.cStar), g.alpha, 1e-7);
        EXPECT_NEAR(angleDegrees(r.aStar, r.cStar), g.beta, 1e-7);
        EXPECT_NEAR(angleDegrees(r.aStar, r.bStar), g.gamma, 1e-7);
    }
    // A cell without right angles: its true reciprocal lengths (a product of sines for V would miss them).
    const ReciprocalCell r = reciprocalCell(5, 6, 7, 80, 85, 95);
    EXPECT_EQ(sixDecimals(r.aLen, r.bLen, r.cLen), "0.201864 0.170165 0.145856");
}

// The direct basis dual to a*, b*, c* (a = b* x c* / V*, ...) must be the cell it came from,
// with c along z: then a.a* = 1, a.b* = 0 and so on, and the z part of c* is 1/c.
TEST(ReciprocalBasis, IsDualToTheDirectCell) {
    for (const Cell& c : kTriclinicCells) {
        const ReciprocalCell r = reciprocalCell(c.a, c.b, c.c, c.alpha, c.beta, c.gamma);
        const double volumeStar = dot(r.aStar, cross(r.bStar, r.cStar));
        const Vec3 a = scaled(cross(r.bStar, r.cStar), 1.0 / volumeStar);
        const Vec3 b = scaled(cross(r.cStar, r.aStar), 1.0 / volumeStar);
        const Vec3 cc = scaled(cross(r.aStar, r.bStar), 1.0 / volumeStar);
        SCOPED_TRACE(testing::Message() << c.alpha << " " << c.beta << " " << c.gamma);
        EXPECT_GT(volumeStar, 0.0);  // right-handed
        EXPECT_NEAR(length(a), c.a, 1e-9);
        EXPECT_NEAR(length(b), c.b, 1e-9);
        EXPECT_NEAR(length(cc), c.c, 1e-9);
        EXPECT_NEAR(angleDegrees(b, cc), c.alpha, 1e-9);
        EXPECT_NEAR(angleDegrees(a, cc), c.beta, 1e-9);
        EXPECT_NEAR(angleDegrees(a, b), c.gamma, 1e-9);
        EXPECT_NEAR(cc.x, 0.0, 1e-12);
        EXPECT_NEAR(cc.y, 0.0, 1e-12);
        EXPECT_NEAR(r.cStar.z, 1.0 / c.c, 1e-15);
        const Vec3 direct[] = {a, b, cc}, recip[] = {r.aStar, r.bStar, r.cStar};
        for (int i = 0; i < 3; ++i)
            for (int j = 0; j < 3; ++j) EXPECT_NEAR(dot(direct[i], recip[j]), i == j ? 1.0 : 0.0, 1e-12);
    }
}

// Cells that are no cells give non-finite numbers, and the call comes back.
TEST(ReciprocalBasis, DegenerateCellsGiveNonFiniteValues) {
    const Cell cases[] = {
        {5, 5, 5, 90, 0, 90},     // an angle of 0: no volume
        {5, 5, 5, 180, 90, 90},   // an angle of 180
        {0, 5, 5, 90, 90, 90},    // an edge of 0
        {5, 5, 5, 10, 10, 100},   // three angles that form no cell
    };
    for (const Cell& c : cases) {
        const ReciprocalCell r = reciprocalCell(c.a, c.b, c.c, c.alpha, c.beta, c.gamma);
        SCOPED_TRACE(testing::Message() << c.a << " " << c.alpha << " " << c.beta << " " << c.gamma);
        EXPECT_FALSE(std::isfinite(r.aLen) && std::isfinite(r.bLen) && std::isfinite(r.cLen) &&
                     std::isfinite(r.alphaStar) && std::isfinite(r.betaStar) && std::isfinite(r.gammaStar));
    }
}
