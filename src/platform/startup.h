// Start-up: command line, crystal, help box, the main window with its handlers and menu.
#pragma once

#include "session/command_line.h"
#include "session/session.h"

// Steps before the event loop: greeting, toolkit init, command line (usage error exits 0),
// echo, wavelength, space group, reciprocal cell, the session, help box, then openMainWindow().
void startProgram(int* argc, char** argv);

// Creates "Reziprokes Gitter" with its callbacks and attaches the pop-up menu.
void openMainWindow();

// The arguments after the program's name as a start request.
StartRequest readArguments(int argc, char** argv);

// Writes the console lines of the values read (the values, lambda, the space group, the
// reciprocal cell, the file's block) and returns the session of the request's crystal.
Session sessionFromRequest(const StartRequest& request);
