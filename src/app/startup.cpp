// Start-up.
#include "app/startup.h"
void startProgram(int*, char**) {}
void createMainWindow() {}
