// Turning a column-major 4x4 matrix about a fixed axis: the turn goes on the left of the
// upper 3x3 block, row 3 and the translation column stay, one axis per call.
#include <gtest/gtest.h>

#include <array>
#include <cmath>

#include "model/matrix.h"

namespace {
using Mat = std::array<double, 16>;

constexpr Mat kIdentity = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};

// A general matrix: no symmetry, a translation (1, 2, 3) and a non-trivial row 3.
constexpr Mat kGeneral = {0.3, -0.7, 0.2, 0.05,  0.9, 0.1, -0.4, 0.06,
                          -0.2, 0.5, 0.8, 0.07,  1.0, 2.0, 3.0, 1.1};

Mat turned(Mat m, double deg, double x, double y, double z) {
    turnMatrix(m.data(), deg, x, y, z);
    return m;
}

// Independent reference: the axis-angle rotation matrix for a unit axis (the one glRotated
// builds), multiplied onto the upper 3x3 block from the left.
Mat leftProduct(const Mat& m, double deg, const std::array<double, 3>& axis) {
    const double t = deg * 3.141592653589793 / 180.0, c = std::cos(t), s = std::sin(t);
    const double x = axis[0], y = axis[1], z = axis[2];
    const double r[3][3] = {{x * x * (1 - c) + c, x * y * (1 - c) - z * s, x * z * (1 - c) + y * s},
                            {y * x * (1 - c) + z * s, y * y * (1 - c) + c, y * z * (1 - c) - x * s},
                            {x * z * (1 - c) - y * s, y * z * (1 - c) + x * s, z * z * (1 - c) + c}};
    Mat out = m;
    for (int j = 0; j < 3; ++j)
        for (int i = 0; i < 3; ++i) {
            double sum = 0;
            for (int k = 0; k < 3; ++k) sum += r[i][k] * m[4 * j + k];
            out[4 * j + i] = sum;
        }
    return out;
}

void expectNear(const Mat& got, const Mat& want, double tol = 1e-12) {
    for (int i = 0; i < 16; ++i) EXPECT_NEAR(got[i], want[i], tol) << "element " << i;
}
}  // namespace

TEST(TurnMatrix, QuarterTurnAboutZOfIdentity) {
    const Mat m = turned(kIdentity, 90, 0, 0, 1);
    EXPECT_NEAR(m[0], 0.0, 1e-15);
    EXPECT_EQ(m[1], 1.0);
    EXPECT_EQ(m[4], -1.0);
    EXPECT_NEAR(m[5], 0.0, 1e-15);
    for (int i : {2, 3, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15}) EXPECT_EQ(m[i], kIdentity[i]) << i;
}

TEST(TurnMatrix, AgreesWithLeftProductOfAxisAngleRotation) {
    // Every selector pattern: the first non-zero selector in x, y, z order picks the axis;
    // its size and sign do not matter.
    struct Case {
        double x, y, z;
        std::array<double, 3> axis;
    };
    const Case cases[] = {
        {1, 0, 0, {1, 0, 0}}, {0, 1, 0, {0, 1, 0}}, {0, 0, 1, {0, 0, 1}},
        {1, 1, 0, {1, 0, 0}}, {0, 1, 1, {0, 1, 0}}, {1, 1, 1, {1, 0, 0}},
        {-1, 0, 0, {1, 0, 0}}, {0, -3, 0, {0, 1, 0}}, {0, 0, -0.5, {0, 0, 1}},
    };
    for (const Case& c : cases) {
        for (double deg : {37.5, -90.0, 181.0}) {
            SCOPED_TRACE(testing::Message() << "selectors " << c.x << "," << c.y << "," << c.z << " angle " << deg);
            const Mat m = turned(kGeneral, deg, c.x, c.y, c.z);
            expectNear(m, leftProduct(kGeneral, deg, c.axis));
            // Row 3 and the translation column are untouched, exactly.
            for (int i : {3, 7, 11, 12, 13, 14, 15}) EXPECT_EQ(m[i], kGeneral[i]) << i;
        }
    }
}

TEST(TurnMatrix, NoAxisOrNoAngleLeavesMatrixExactly) {
    EXPECT_EQ(turned(kGeneral, 45, 0, 0, 0), kGeneral);
    for (double x : {1.0, 0.0}) EXPECT_EQ(turned(kGeneral, 0, x, 1 - x, 0), kGeneral);
    EXPECT_EQ(turned(kGeneral, 0, 0, 0, 1), kGeneral);
}

TEST(TurnMatrix, TurnsAboutFixedAxisNotAboutObjectAxis) {
    // Start R_x(90); a quarter turn about z gives R_z(90)*R_x(90), whose columns are
    // (0,1,0), (0,0,1), (1,0,0); R_x(90)*R_z(90) would be (0,0,1), (-1,0,0), (0,-1,0).
    const Mat rx = turned(kIdentity, 90, 1, 0, 0);
    const Mat got = turned(rx, 90, 0, 0, 1);
    const Mat rzRx = {0, 1, 0, 0, 0, 0, 1, 0, 1, 0, 0, 0, 0, 0, 0, 1};
    const Mat rxRz = {0, 0, 1, 0, -1, 0, 0, 0, 0, -1, 0, 0, 0, 0, 0, 1};
    expectNear(got, rzRx, 1e-15);
    double diff = 0;
    for (int i = 0; i < 16; ++i) diff += std::fabs(got[i] - rxRz[i]);
    EXPECT_GT(diff, 1.0);
}

TEST(TurnMatrix, FourQuarterTurnsGiveTheStartBack) {
    for (int axis = 0; axis < 3; ++axis) {
        Mat m = kGeneral;
        for (int k = 0; k < 4; ++k) turnMatrix(m.data(), 90, axis == 0, axis == 1, axis == 2);
        SCOPED_TRACE(axis);
        expectNear(m, kGeneral, 1e-14);
    }
}
