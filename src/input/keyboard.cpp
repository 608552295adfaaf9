// Keyboard.
#include <cstdlib>
#include "input/input.h"
void onKeyboard(unsigned char, int, int) {}
void quitProgram() { std::exit(0); }
