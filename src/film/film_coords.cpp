// Film coordinates.
#include "film/film_coords.h"
