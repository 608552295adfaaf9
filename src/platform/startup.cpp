// Start-up before the event loop: greeting, toolkit, command line (or the usage error),
// echo of the values, wavelength, space group, reciprocal basis, help box; then the main
// window "Reziprokes Gitter" with its handlers, session and pop-up menu.
#include "platform/startup.h"

#include <GL/freeglut.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "platform/app.h"
#include "platform/message_box.h"
#include "platform/windows.h"
#include "session/command_line.h"
#include "session/commands.h"

namespace {

const char* const kHelpText =
    "Demonstrationsprogramm zur Weissenberg-Geometrie\n"
    "-w-a-s-d-Tasten (oder linke Maustaste): Kammerarotation\n"
    "Pfeiltasten: Kristallrotation\n"
    "Menue: rechte Maustaste";

const char* const kDivider = "________________________________";

struct MenuEntry {
    const char* caption;
    int value;  // handed to onMenu: function-key code, 'x' (120), Escape (27) or 0 for a divider
};

const MenuEntry kMenuEntries[] = {
    {"Reziproke Gitterpunkte ein/aus(F1)", 1},
    {"Lade Ausgangsposition [+shift fuer Kammera] (F2)", 2},
    {"Lichteffekte kurzzeitig aus(F3)", 3},
    {"Ewaldkugel ein/aus(F4)", 4},
    {"Nur Reflexe aus aktueller Schicht(F5)", 5},
    {"Transparenz ein/aus(F6)", 6},
    {kDivider, 0},
    {"Rotationsaufnahme (Drehkristall)(F7)", 7},
    {"Weissenberg 0. Schicht(F8,0)", 8},
    {"Weissenberg 1. Schicht(F9,1)", 9},
    {"Rotation aus(F11)", 11},
    {"Rotation an(F12)", 12},
    {kDivider, 0},
    {"Achsen ein/aus(x)", 120},
    {kDivider, 0},
    {"Beenden (q,ESC)", 27},
};

// Too few values: tell the user how to start the program, then end with status 0.
[[noreturn]] void failUsage(const char* programName) {
    const char* const boxFormat = "Bitte von der Eingabe-Aufforderung mit '%s a b c alpha beta gamma lambda' starten.";
    std::vector<char> text(static_cast<size_t>(std::snprintf(nullptr, 0, boxFormat, programName)) + 1);
    std::snprintf(text.data(), text.size(), boxFormat, programName);
    showMessageBox(text.data(), "SHUTDOWN ERROR", kMbOk | kMbIconError);
    std::printf("Bitte mit '%s a b c alpha beta gamma lambda' starten\n", programName);
    std::exit(0);
}

}  // namespace

namespace {

// A value or file the program cannot use: the box and the same line on the console, then
// the end with status 1, before any main window exists.
[[noreturn]] void failInput(const std::string& message, bool box) {
    if (box) showMessageBox(message.c_str(), "Eingabefehler", kMbOk | kMbIconError);
    std::printf("%s\n", message.c_str());
    std::exit(1);
}

}  // namespace

Session sessionFromRequest(const StartRequest& request) {
    for (double v : request.echo) std::printf("%f ", v);
    std::printf("\n Lambda: %f\n", request.lambda);
    std::printf("SPGN %d\n", request.spaceGroup.number);
    if (request.nameGroup) std::printf("Raumgruppe %s\n", request.spaceGroup.hm.c_str());

    const double* cell = request.cell;
    Crystal crystal = makeCrystal(cell[0], cell[1], cell[2], cell[3], cell[4], cell[5], request.spaceGroup);
    if (request.cif) crystal.intensities = std::make_shared<const Intensities>(*request.cif);
    const ReciprocalCell& r = crystal.reciprocal;
    std::printf("%f %f %f   %f %f %f\n", r.aLen, r.bLen, r.cLen, r.alphaStar, r.betaStar, r.gammaStar);
    if (request.cif)
        std::printf("CIF-Datei %s, Datenblock %s\n", request.cifPath.c_str(), request.cif->blockName.c_str());
    Session session = newSession(crystal, request.lambda);
    const std::string cut = rangeCutLine(session);
    if (!cut.empty()) std::printf("%s\n", cut.c_str());
    return session;
}

StartRequest readArguments(int argc, char** argv) {
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i) args.emplace_back(argv[i]);
    return readStartRequest(args);
}

void startProgram(int* argc, char** argv) {
    // Each console line reaches a pipe as soon as it is written.
    std::setvbuf(stdout, nullptr, _IOLBF, BUFSIZ);

    std::printf("Hallo!\n");

    glutInit(argc, argv);
    // Closing a window through the window manager is decided by its close callback.
    glutSetOption(GLUT_ACTION_ON_WINDOW_CLOSE, GLUT_ACTION_CONTINUE_EXECUTION);

    const StartRequest request = readArguments(*argc, argv);
    if (request.kind == StartRequest::Kind::usage) failUsage(argv[0]);
    if (request.kind == StartRequest::Kind::error) failInput(request.error, true);

    app.session = sessionFromRequest(request);

    showMessageBox(kHelpText, "Hinweis", kMbOk | kMbIconInformation);

    openMainWindow();
}

void openMainWindow() {
    createMainWindow();
    glutCreateMenu(onMenu);
    for (const MenuEntry& entry : kMenuEntries) glutAddMenuEntry(entry.caption, entry.value);
    glutAttachMenu(GLUT_RIGHT_BUTTON);
}
