// Turning, scaling and building 4x4 matrices (16 doubles, column-major: m[4*j + i] is row i,
// column j).
#include "model/matrix.h"

#include <cmath>

namespace {
// The two rows a turn mixes: about x rows 1 and 2, about y rows 2 and 0, about z rows 0 and 1.
struct RowPair {
    int first, second;
};
constexpr RowPair kRowsX{1, 2};
constexpr RowPair kRowsY{2, 0};
constexpr RowPair kRowsZ{0, 1};
}  // namespace

Mat4 identityMatrix() { return {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}; }

void turnMatrix(double m[16], double angleDeg, double x, double y, double z) {
    // Only one axis is turned about, the first non-zero selector in the order x, y, z.
    RowPair rows;
    if (x != 0.0) rows = kRowsX;
    else if (y != 0.0) rows = kRowsY;
    else if (z != 0.0) rows = kRowsZ;
    else return;

    const double theta = angleDeg * kPi / 180.0;  // degrees to radians
    const double c = std::cos(theta);
    const double s = std::sin(theta);
    // Columns 0..2 only: row 3 and the translation column keep their values.
    for (int j = 0; j < 3; ++j) {
        double& p = m[4 * j + rows.first];
        double& q = m[4 * j + rows.second];
        const double oldP = p;
        const double oldQ = q;
        // Right-handed plane rotation of the column's (first, second) pair: R * M.
        p = c * oldP - s * oldQ;
        q = s * oldP + c * oldQ;
    }
}

void turnMatrixOwnZ(Mat4& m, double angleDeg) {
    const double theta = radians(angleDeg);
    const double c = std::cos(theta);
    const double s = std::sin(theta);
    // Columns 0 and 1 mix: new col0 = c col0 + s col1, new col1 = -s col0 + c col1.
    for (int i = 0; i < 4; ++i) {
        const double a = m[i];
        const double b = m[4 + i];
        m[i] = a * c + b * s;
        m[4 + i] = -a * s + b * c;
    }
}

void scaleMatrix(Mat4& m, double f) {
    for (int i = 0; i < 12; ++i) m[i] *= f;
}

Mat4 orthoBox(double x, double y, double z) {
    Mat4 m = identityMatrix();
    m[0] = 1.0 / x;
    m[5] = 1.0 / y;
    m[10] = -1.0 / z;  // depth axis reversed, as an orthographic projection has it
    return m;
}

Vec3 turnVector(const Mat4& m, const Vec3& v) {
    return {m[0] * v.x + m[4] * v.y + m[8] * v.z, m[1] * v.x + m[5] * v.y + m[9] * v.z,
            m[2] * v.x + m[6] * v.y + m[10] * v.z};
}

Vec3 turnVectorBack(const Mat4& m, const Vec3& v) {
    return {m[0] * v.x + m[1] * v.y + m[2] * v.z, m[4] * v.x + m[5] * v.y + m[6] * v.z,
            m[8] * v.x + m[9] * v.y + m[10] * v.z};
}

Mat4 translationMatrix(const Vec3& t) {
    Mat4 m = identityMatrix();
    m[12] = t.x;
    m[13] = t.y;
    m[14] = t.z;
    return m;
}

Mat4 multiply(const Mat4& a, const Mat4& b) {
    Mat4 r{};
    for (int j = 0; j < 4; ++j)
        for (int i = 0; i < 4; ++i) {
            double sum = 0.0;
            for (int k = 0; k < 4; ++k) sum += a[4 * k + i] * b[4 * j + k];
            r[4 * j + i] = sum;
        }
    return r;
}
