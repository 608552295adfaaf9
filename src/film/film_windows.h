// The two film windows: rotation photograph "Drehkristallaufnahme" and Weissenberg
// photograph "Weissenberg %d. Schicht", and their shared mouse handler.
#pragma once

// Create the window, register its callbacks and return; callers do nothing after the call.
void openRotationWindow();
void openWeissenbergWindow();

void drawRotationPhoto();
void drawWeissenbergPhoto();
void onFilmMouse(int button, int state, int x, int y);

// Destroy the film window if it exists, forget its id and clear its open flag.
void destroyRotationWindow();
void destroyWeissenbergWindow();
