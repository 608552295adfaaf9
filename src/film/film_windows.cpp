// Film windows shared.
#include "film/film_windows.h"
void onFilmMouse(int, int, int, int) {}
void destroyRotationWindow() {}
void destroyWeissenbergWindow() {}
