// Shift query.
#include "platform/modifiers.h"
bool shiftOnlyHeld() { return false; }
void beginMenuPath() {}
void endMenuPath() {}
