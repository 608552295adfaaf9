// Special keys and menu.
#include "input/input.h"
void onSpecialKey(int, int, int) {}
void onMenu(int) {}
