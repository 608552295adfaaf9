// 4x4 matrices of doubles, column-major (element 4*j + i is row i, column j), as the
// crystal's orientation and the camera are kept: turns about fixed axes on the left,
// turns about the matrix's own axes and scales on the right, and the orthographic box.
#pragma once

#include <array>

#include "model/vec3.h"

using Mat4 = std::array<double, 16>;

Mat4 identityMatrix();

// Applies the turn R on the left of the upper 3x3 block (rows 0..2 of columns 0..2 become
// R*M); row 3 and the translation column keep their values. angleDeg in degrees, right-handed.
// Axis by precedence: x if x != 0, else y, else z, else none.
void turnMatrix(double m[16], double angleDeg, double x, double y, double z);
inline void turnMatrix(Mat4& m, double angleDeg, double x, double y, double z) {
    turnMatrix(m.data(), angleDeg, x, y, z);
}

// m = m * R_z(angleDeg): a turn about the matrix's own z axis (the frame it maps from).
void turnMatrixOwnZ(Mat4& m, double angleDeg);

// m = m * diag(f, f, f, 1): a uniform scale of the three axes.
void scaleMatrix(Mat4& m, double f);

// The orthographic box -x..x, -y..y, depth -z..z, mapped onto -1..1 on each axis.
Mat4 orthoBox(double x, double y, double z);

// M * v with M the rotation part (upper 3x3) of m.
Vec3 turnVector(const Mat4& m, const Vec3& v);
// transpose(M) * v: v turned back by the rotation part.
Vec3 turnVectorBack(const Mat4& m, const Vec3& v);

// A translation by t.
Mat4 translationMatrix(const Vec3& t);
// a * b.
Mat4 multiply(const Mat4& a, const Mat4& b);
