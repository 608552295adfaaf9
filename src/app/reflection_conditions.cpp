// Systematic absences.
#include "app/reflection_conditions.h"
int isAbsent(int, int, int, int) { return 0; }
