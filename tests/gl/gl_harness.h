// Harness of the in-window tests: one process, a real freeglut main window on the
// virtual X server, created the way start-up creates it; tests call the handlers directly.
#pragma once

#include <GL/freeglut.h>

#include <array>
#include <string>
#include <vector>

struct Rgb {
    int r = 0, g = 0, b = 0;
};

// Lets the toolkit handle what is pending (redraws, reshapes, X events) for about `milliseconds`.
void pumpEvents(int milliseconds = 30);

// Main-window redraws run so far (the harness wraps the display callback to count them).
int mainRedrawCount();

// Matrix of the current window: GL_MODELVIEW_MATRIX or GL_PROJECTION_MATRIX.
std::array<double, 16> readMatrix(GLenum which);
GLint currentMatrixMode();

// The window's picture as the X server shows it, as RGB rows; pixel(x, y) with x from the left, y from the top.
struct Picture {
    int width = 0, height = 0;
    std::vector<unsigned char> rgb;  // bottom row first, as GL returns it
    Rgb pixel(int x, int y) const;
};
Picture readPicture(int window);

// Puts scene and main window back to the start: cell 5 5 5 90 90 90, lambda 1.5418,
// space group 1, start switches, empty log, film windows destroyed, identity modelview,
// start projection, lighting and blending on, spin off.
void resetScene();

// Sends the window manager's close request (WM_DELETE_WINDOW) to a toolkit window.
void requestWindowClose(int window);

// ---- the recording stand-in for src/platform ----
extern bool stubShift;                      // what shiftOnlyHeld() answers outside the menu path
extern int stubMenuDepth;                   // > 0 while onMenu runs
extern std::vector<std::string> stubMessageBoxes;  // "caption|style|text" per box shown
