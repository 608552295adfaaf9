// Matrix turn.
#include "input/matrix_turn.h"
void turnMatrix(double*, double, double, double, double) {}
