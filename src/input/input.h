// Interaction: matrix turns, keyboard, special keys and menu, mouse drag and idle spin.
#pragma once

#include <GL/gl.h>

// Reads the named matrix, turns it on the left about a fixed axis, loads it into the current mode.
void rotateMatrix(GLenum matrix, double angle, double x, double y, double z);

void onKeyboard(unsigned char key, int x, int y);
void onSpecialKey(int key, int x, int y);
void onMenu(int value);
void onMouse(int button, int state, int x, int y);
void onMotion(int x, int y);
void onIdleSpin();

// The quit path: destroy the windows that exist and end the process with status 0.
[[noreturn]] void quitProgram();

// Mouse state of the main window's drags.
extern int dragButton;
extern int lastMouseX;
extern int lastMouseY;
