// Rotation photo.
#include "film/film_windows.h"
void openRotationWindow() {}
void drawRotationPhoto() {}
