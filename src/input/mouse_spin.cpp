// Mouse and spin.
#include "input/input.h"
int dragButton = 0;
int lastMouseX = 0;
int lastMouseY = 0;
void onMouse(int, int, int, int) {}
void onMotion(int, int) {}
void onIdleSpin() {}
