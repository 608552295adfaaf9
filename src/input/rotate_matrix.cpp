// rotateMatrix.
#include "input/input.h"
void rotateMatrix(GLenum, double, double, double, double) {}
