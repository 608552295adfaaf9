// The desktop program's windows on freeglut: the main window "Reziprokes Gitter", the
// rotation photograph "Drehkristallaufnahme" and the Weissenberg photograph "Weissenberg %d.
// Schicht"; their display callbacks, the input callbacks that turn toolkit events into
// session commands, and the carrying out of the commands' effects.
#pragma once

#include "session/commands.h"

// Creates "Reziprokes Gitter" 520 x 520 at the left of the screen, registers its callbacks
// and attaches the pop-up menu.
void createMainWindow();

// Create a film window beside the main window (where the previous one of its kind was, if
// there was one), register its callbacks; the new window is current afterwards.
void openRotationWindow();
void openWeissenbergWindow();

// Destroy the film window if it exists (the toolkit removes it in its next turn, unless the
// window manager closed it first), forget its id and clear its open flag.
void destroyRotationWindow();
void destroyWeissenbergWindow();

// Display callbacks.
void drawReciprocalLattice();
void drawRotationPhoto();
void drawWeissenbergPhoto();

// Input callbacks. Keys act the same in every window; the mouse differs between the main
// window (drags, menu) and the films.
void onKeyboard(unsigned char key, int x, int y);
void onSpecialKey(int key, int x, int y);
void onMenu(int value);
void onMouse(int button, int state, int x, int y);
void onMotion(int x, int y);
// The pointer moved without a button (any window), or entered or left a window: the label
// of what lies under it, beside the pointer and in the window's title. Such a redraw shows
// the window's last picture again; the main window does not scan or log for it.
void onPassiveMotion(int x, int y);
void onEntry(int state);
void onFilmMouse(int button, int state, int x, int y);
void onReshape(int width, int height);
void onIdleSpin();

// Carries out what a command asks of the windows, prints its console lines; false when the
// command opened a window or quit (the calling callback then ends at once).
bool applyEffects(const Effects& effects);

// The quit path: destroy the windows that exist and end the process with status 0. The
// toolkit runs the main window's close callback (which calls this) again while the process
// ends; that call returns at once.
void quitProgram();

// Where a film window opens when none of its kind is open: right of the main window (the
// rotation photograph, slot 1) and right of that (the Weissenberg photograph, slot 2), with a
// small gap, kept on a screen of the given width.
struct WindowPlace {
    int x = 0, y = 0;
};
WindowPlace filmWindowPlace(int slot, int screenWidth);

// Close callbacks: a film window closed (by the window manager or destroyed) forgets its id
// and open flag if it is the window that the id names.
void onRotationWindowClose();
void onWeissenbergWindowClose();
