// Turning a 4x4 matrix (16 doubles, column-major: m[4*j + i] is row i, column j) about a
// fixed coordinate axis, with the turn applied on the left of the matrix.
#include "input/matrix_turn.h"

#include <cmath>

namespace {
constexpr double kPi = 3.141592653589793;

// The two rows a turn mixes: about x rows 1 and 2, about y rows 2 and 0, about z rows 0 and 1.
struct RowPair {
    int first, second;
};
constexpr RowPair kRowsX{1, 2};
constexpr RowPair kRowsY{2, 0};
constexpr RowPair kRowsZ{0, 1};
}  // namespace

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
