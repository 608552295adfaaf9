// Harness of the in-window tests: one process, a real freeglut main window on the virtual X
// server, created the way start-up creates it (with its pop-up menu); tests call the
// callbacks directly and read the session, the pictures and the GL state back.
#pragma once

#include <GL/freeglut.h>

#include <string>
#include <vector>

#include "model/matrix.h"
#include "session/session.h"

struct Rgb {
    int r = 0, g = 0, b = 0;
};

// Lets the toolkit handle what is pending (redraws, reshapes, X events) for about `milliseconds`.
void pumpEvents(int milliseconds = 30);

// Main-window redraws run so far (the harness wraps the display callback to count them).
int mainRedrawCount();
// Gives the main window its counting display callback back (after a test replaced it).
void useCountingMainDisplay();

GLint currentMatrixMode();

// The window's picture as the X server shows it, as RGB rows; pixel(x, y) with x from the left, y from the top.
struct Picture {
    int width = 0, height = 0;
    std::vector<unsigned char> rgb;  // bottom row first, as GL returns it
    Rgb pixel(int x, int y) const;
};
Picture readPicture(int window);

// Pixels that are neither white, black nor grey (two channels differ by more than 40).
bool coloured(const Rgb& c);
// How many of the picture's pixels are coloured.
int colouredPixels(const Picture& p);

// Display list names (1 to 2000) defined in the current context.
int definedLists();

// The start crystal of the lessons: cell 5 5 5 90 90 90, lambda 1.5418, space group 1.
Session startSession();

// Puts the session and the main window back to the start: the start session (switches,
// empty log, spin off), film windows destroyed, main window 520 x 520 with its kept scene
// geometry built afresh.
void resetScene();
// The same with another session (another crystal or wavelength).
void resetScene(const Session& session);

// Sends the window manager's close request (WM_DELETE_WINDOW) to a toolkit window.
void requestWindowClose(int window);

// Element by element within `tol`; `what` names the matrix in the failure message.
void expectMat(const Mat4& got, const Mat4& want, const std::string& what, double tol = 1e-12);

// ---- the recording stand-in for src/platform ----
extern bool stubShift;                      // what shiftOnlyHeld() answers outside the menu path
extern int stubMenuDepth;                   // > 0 while onMenu runs
extern std::vector<std::string> stubMessageBoxes;  // "caption|style|text" per box shown
