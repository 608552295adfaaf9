// The bench's windows, made the way start-up makes them, and the full log that a spin of
// the start crystal leaves behind.
#include <GL/freeglut.h>

#include <chrono>
#include <cmath>
#include <thread>

#include "app/reciprocal_basis.h"
#include "app/startup.h"
#include "bench.h"
#include "film/film_coords.h"
#include "film/film_windows.h"
#include "input/input.h"
#include "view/view.h"

namespace {

// The start crystal of the examples: cell 5 5 5 90 90 90, lambda 1.5418, space group 1.
constexpr double kCell[6] = {5, 5, 5, 90, 90, 90};
constexpr double kLambda = 1.5418;

// Without a window manager every window opens at the screen's corner, the film windows
// exactly over the main window, and the toolkit skips the redraws of a covered window. The
// films go side by side on top; the main window below them, under their lowest rows.
struct Place {
    int* window;
    int x, y;  // pixels from the screen's top left corner
};
const Place kPlaces[] = {
    {&scene.mainWindow, 380, 504},
    {&scene.rotationWindow, 0, 0},
    {&scene.weissenbergWindow, 540, 0},
};

// Spin steps after which fillLogBySpin gives up (a crystal with nothing on the sphere).
constexpr int kMaxSpinSteps = 1000000;

ReflectionLog savedLog;  // the full log as the spin left it

// What each film redraw stores for the entries logged at the present crystal angle: the
// azimuth ordinate of the ray, on the rotation film for every entry, on the Weissenberg film
// for those of its layer.
void latchOrdinates(int first) {
    ReflectionLog& log = reflectionLog;
    for (int i = first; i < log.logCount; ++i) {
        const int h = log.logH[i], k = log.logK[i], l = log.logL[i];
        const double ux = h * scene.aStarRot.x + k * scene.bStarRot.x + l * scene.cStarRot.x;
        const double uy = h * scene.aStarRot.y + k * scene.bStarRot.y + l * scene.cStarRot.y;
        const double v = azimuthOrdinate(ux, uy, scene.ewaldDiameter);
        if (!std::isfinite(v)) continue;
        log.rotationY[i] = v;
        if (l == scene.currentLayer) log.weissenbergY[i] = v;
    }
}

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
    scene.ewaldDiameter = 2.0 / kLambda;
    const ReciprocalCell cell = reciprocalCell(kCell[0], kCell[1], kCell[2], kCell[3], kCell[4], kCell[5]);
    scene.aStar = cell.aStar;
    scene.bStar = cell.bStar;
    scene.cStar = cell.cStar;
    createMainWindow();
    openRotationWindow();
    openWeissenbergWindow();
    for (const Place& place : kPlaces) {
        glutSetWindow(*place.window);
        glutPositionWindow(place.x, place.y);
    }
    glutSetWindow(scene.mainWindow);
    glutPushWindow();
    pumpEvents(400);  // mapped, placed, reshaped; each film's first redraw sets its flag
    glutSetWindow(scene.mainWindow);
}

int fillLogBySpin() {
    glutSetWindow(scene.mainWindow);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    clearReflectionLog(reflectionLog);
    int steps = 0;
    while (reflectionLog.logCount < kLogCapacity && steps < kMaxSpinSteps) {
        onIdleSpin();  // the turn; its redraw request is served later, by the toolkit
        ++steps;
        // The scan and the log of the main redraw, without its drawing.
        const int first = reflectionLog.logCount;
        scanAndLogReflections();
        latchOrdinates(first);
    }
    savedLog = reflectionLog;
    return steps;
}

void restoreFullLog() { reflectionLog = savedLog; }
