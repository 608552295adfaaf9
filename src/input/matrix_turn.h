// Turning a 4x4 matrix (16 doubles, column-major) about a fixed coordinate axis.
#pragma once

// Applies the turn R on the left of the upper 3x3 block (rows 0..2 of columns 0..2 become
// R*M); row 3 and the translation column keep their values. angleDeg in degrees, right-handed.
// Axis by precedence: x if x != 0, else y, else z, else none.
void turnMatrix(double m[16], double angleDeg, double x, double y, double z);
