// The bench's windows, made the way start-up makes them, and the full log that a spin of
// the start crystal leaves behind.
#include <GL/freeglut.h>

#include <chrono>
#include <thread>

#include "bench.h"
#include "platform/startup.h"
#include "platform/windows.h"
#include "session/commands.h"

namespace {

// The start crystal of the examples: cell 5 5 5 90 90 90, lambda 1.5418, space group 1.
constexpr double kCell[6] = {5, 5, 5, 90, 90, 90};
constexpr double kLambda = 1.5418;

// Spin steps after which fillLogBySpin gives up (a crystal with nothing on the sphere).
constexpr int kMaxSpinSteps = 10000000;

ReflectionLog savedLog;  // the full log as the spin left it

}  // namespace

void pumpEvents(int milliseconds) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    do {
        glutMainLoopEvent();
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    } while (std::chrono::steady_clock::now() < end);
    glutMainLoopEvent();
}

void setUpWindows(int* argc, char** argv) {
    glutInit(argc, argv);
    glutSetOption(GLUT_ACTION_ON_WINDOW_CLOSE, GLUT_ACTION_CONTINUE_EXECUTION);
    app.session = newSession(makeCrystal(kCell[0], kCell[1], kCell[2], kCell[3], kCell[4], kCell[5], 1), kLambda);
    // The three windows side by side from the screen's top left corner, as the program
    // places them (the screen must be some 1600 pixels wide).
    openMainWindow();
    openRotationWindow();
    openWeissenbergWindow();
    pumpEvents(400);  // mapped, reshaped; each film's first redraw sets its flag
    glutSetWindow(app.mainWindow);
}

int fillLogBySpin() {
    Session& s = app.session;
    s.orientation = identityMatrix();
    clearReflectionLog(s.log);
    int steps = 0;
    while (s.log.count() < kLogCapacity && steps < kMaxSpinSteps) {
        spinStep(s);  // the turn; its redraw request is served later, by the toolkit
        ++steps;
        scanAndLog(s);  // the scan and the log of the main redraw, without its drawing
    }
    savedLog = s.log;
    return steps;
}

void restoreFullLog() { app.session.log = savedLog; }
