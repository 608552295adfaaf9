// rotateMatrix: turns the crystal (modelview) or the camera (projection) of the current
// window about a fixed axis of the laboratory or of the picture.
#include <GL/gl.h>

#include "input/input.h"
#include "input/matrix_turn.h"

// Reads the named matrix and loads the turned one into the current matrix mode; the caller
// has selected the mode that matches `matrix`.
void rotateMatrix(GLenum matrix, double angle, double x, double y, double z) {
    double m[16];
    glGetDoublev(matrix, m);
    turnMatrix(m, angle, x, y, z);
    glLoadMatrixd(m);
}
