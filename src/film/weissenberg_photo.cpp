// Weissenberg photo.
#include "film/film_windows.h"
void openWeissenbergWindow() {}
void drawWeissenbergPhoto() {}
