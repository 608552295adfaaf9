// The Shift query on the toolkit's modifier state, and the menu-path marker under which
// the toolkit cannot be asked (it knows the modifiers only inside input callbacks).
#include "platform/modifiers.h"

#include <GL/freeglut.h>

namespace {
int menuPathDepth = 0;  // > 0 while a menu command runs; calls nest
}

bool shiftOnlyHeld() {
    if (menuPathDepth > 0) return false;
    return glutGetModifiers() == GLUT_ACTIVE_SHIFT;
}

void beginMenuPath() { ++menuPathDepth; }

void endMenuPath() {
    if (menuPathDepth > 0) --menuPathDepth;
}
