// Start-up: command line, crystal, help box, the main window with its handlers and menu.
#pragma once

// Steps before the event loop: greeting, toolkit init, command line (usage error exits 0),
// echo, wavelength, space group, reciprocal cell, the session, help box, then openMainWindow().
void startProgram(int* argc, char** argv);

// Creates "Reziprokes Gitter" with its callbacks and attaches the pop-up menu.
void openMainWindow();
