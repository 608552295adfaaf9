// The commands: every key, menu entry, mouse action, resize and spin step as a function of
// the session, and the step "the crystal is now here: find and log what is on the sphere".
// A command changes the session and says in its Effects what the windows must do.
#pragma once

#include <string>
#include <vector>

#include "session/session.h"

// Special keys, by the codes the desktop toolkit uses for them.
enum SpecialKey {
    kKeyF1 = 1, kKeyF2, kKeyF3, kKeyF4, kKeyF5, kKeyF6, kKeyF7, kKeyF8, kKeyF9, kKeyF10, kKeyF11, kKeyF12,
    kKeyLeft = 100, kKeyUp, kKeyRight, kKeyDown, kKeyPageUp, kKeyPageDown, kKeyHome, kKeyEnd, kKeyInsert,
};

// What the windows must do after a command, in this order: destroy, open, redraw, quit.
struct Effects {
    bool destroyWeissenberg = false;  // the Weissenberg window goes (if there is one)
    bool destroyRotation = false;     // the rotation window goes (if there is one)
    bool openRotation = false;        // a new "Drehkristallaufnahme"
    bool openWeissenberg = false;     // a new "Weissenberg <currentLayer>. Schicht"
    bool redraw = false;              // the main window redraws
    bool redrawFilm = false;          // the film window the command came from redraws
    bool repaint = false;             // every window shows its last picture again with the present
                                      //   legend; nothing is scanned or logged
    bool save = false;                // every open window's picture and the log go to files
    bool quit = false;                // every window goes and the program ends with status 0
    std::vector<std::string> console; // lines for standard output, without the newline
};

// A console text of one number: printf's `format` with v, however long ("%f" of a huge value
// runs to hundreds of digits).
std::string formatted(const char* format, double v);

// The console line that says the index range is cut (see kMaxSpherePoints), or empty when
// the whole limiting sphere of the present wavelength is taken.
std::string rangeCutLine(const Session& s);

// A limiting sphere with more lattice points than this shows them as a solid red disc (closer
// than about five pixels in a 520-pixel window) that hides the Ewald sphere and the
// reflections, and drawing them costs several times the rest of the picture on a software
// renderer: such a crystal starts with the lattice points hidden, and F1 shows them.
constexpr double kDenseLatticePoints = 500000;

// The console line that says the lattice points start hidden, or empty when they start shown.
std::string hiddenLatticePointsLine(const Session& s);

// Start values: the crystal, lambda (the unit of the cell's lengths), everything else as at
// start; the lattice points hidden when the limiting sphere holds more than kDenseLatticePoints.
Session newSession(const Crystal& crystal, double lambda);

// A character key; `shift` is true when Shift alone is held.
Effects keyCommand(Session& s, unsigned char key, bool shift);
// A special key (SpecialKey codes; any other code only redraws).
Effects specialKeyCommand(Session& s, int key, bool shift);
// A pop-up menu entry's value: its low 8 bits as a character key, then (unless that ended
// the command) the whole value as a special key; Shift never counts.
Effects menuCommand(Session& s, int value);

// Main window mouse: a button press (state 0) or release (state 1) at pixel (x, y).
Effects mouseCommand(Session& s, int button, int state, int x, int y);
// Main window mouse moved with a button held.
Effects motionCommand(Session& s, int x, int y);
// Film window mouse: left (0) freezes both films, right (2) empties the log.
Effects filmMouseCommand(Session& s, int button);

// The main window got a new size: the camera starts afresh with the window's aspect ratio.
Effects reshapeCommand(Session& s, int width, int height);

// The crystal's turn per spin step, degrees.
constexpr double kSpinDegrees = 0.3;

// One step of the spin (kSpinDegrees).
Effects spinStep(Session& s);

// The step before every main picture: scans the sphere at the present orientation into
// s.lastScan and logs every point found but the origin, with its film ordinate.
void scanAndLog(Session& s);

// A rotation film is about to redraw; `named` says whether it is the newest rotation window
// (an older one left on screen draws as a frozen film). Returns whether it draws on top of
// the traces it kept; sets rotationOpen for the named window and latches the film radius.
bool beginRotationFilmRedraw(Session& s, bool named);

// The rotation film's radius: latched at its first redraw, ewaldDiameter/2 until then.
double rotationFilmRadius(const Session& s);
// A Weissenberg film is about to redraw; the named window follows the main window from now on.
void beginWeissenbergFilmRedraw(Session& s, bool named);

// The camera's box for the present wavelength (the box ±1.05·ewaldDiameter), as at start.
void resetCamera(Session& s);
