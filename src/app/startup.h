// Start-up: command line, crystal, help box, the main window with its handlers and menu.
#pragma once

// Steps before the event loop: greeting, toolkit init, command line (usage error exits 0),
// echo, ewaldDiameter, spaceGroup, reciprocal basis, help box, then createMainWindow().
void startProgram(int* argc, char** argv);

// Creates "Reziprokes Gitter" 520 x 520, registers its handlers, builds the display
// lists, sets up projection and lighting and attaches the pop-up menu.
void createMainWindow();
