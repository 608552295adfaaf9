// The two film windows: rotation photograph "Drehkristallaufnahme" and Weissenberg
// photograph "Weissenberg %d. Schicht", their shared mouse handler, and their closing.
#pragma once

struct FilmPoints;
struct FilmRedraw;

// Create the window, register its callbacks and return; callers do nothing after the call.
void openRotationWindow();
void openWeissenbergWindow();

void drawRotationPhoto();
void drawWeissenbergPhoto();
void onFilmMouse(int button, int state, int x, int y);

// Destroy the film window if it exists (the toolkit removes it in its next turn, unless the
// window manager closed it first), forget its id and clear its open flag.
void destroyRotationWindow();
void destroyWeissenbergWindow();

// ---- film room only (and its tests) ------------------------------------------------

// Radius of the rotation film, set once per process at the first redraw of any rotation
// window to ewaldDiameter/2; unset (and not read) before that.
extern double rotationFilmRadius;
extern bool rotationFilmRadiusSet;

// Close callbacks: a film window closed (by the window manager or destroyed) forgets its id
// and open flag if it is the window that the id names.
void onRotationWindowClose();
void onWeissenbergWindowClose();

// Drops the kept rotation-film picture if it belongs to `window`.
void forgetRotationPicture(int window);

// Drawing shared by both films, in the current window: the black cross, then the points.
void drawFilmCross();
// Values of the latest main redraw and the current window's viewport, as a film redraw uses them.
FilmRedraw filmRedrawFromScene();
void drawFilmPoints(const FilmPoints& points);
