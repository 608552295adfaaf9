// Interaction: matrix turns, keyboard, special keys and menu, mouse drag and idle spin.
#pragma once

#include <GL/gl.h>

// Reads the named matrix, turns it on the left about a fixed axis, loads it into the current mode.
void rotateMatrix(GLenum matrix, double angle, double x, double y, double z);

void onKeyboard(unsigned char key, int x, int y);
// The keyboard command of `key` with its redraw request; false when the command opened a
// film window or quit, after which the caller must end at once (no further step, no redraw).
bool keyboardCommand(unsigned char key);
// Rebuilds the Weissenberg window for `layer`: destroys the old one, empties the log,
// sets currentLayer, clears weissenbergOpen and opens the new window (callers then return).
void openWeissenbergLayer(int layer);
void onSpecialKey(int key, int x, int y);
void onMenu(int value);
void onMouse(int button, int state, int x, int y);
void onMotion(int x, int y);
void onIdleSpin();

// The quit path: destroy the windows that exist and end the process with status 0. The
// toolkit runs the main window's close callback (which calls this) again while the process
// ends; that call returns at once.
void quitProgram();

// Mouse state of the main window's drags.
extern int dragButton;
extern int lastMouseX;
extern int lastMouseY;
