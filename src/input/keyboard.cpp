// Character keys of the main window: quit, Weissenberg layers, camera turns (w a s d),
// wavelength steps (L l), clearing the log (z Z), axes on/off (x); and the quit path.
#include <GL/freeglut.h>

#include <cstdio>
#include <cstdlib>

#include "app/scene_state.h"
#include "film/film_windows.h"
#include "input/input.h"
#include "platform/modifiers.h"

namespace {
constexpr unsigned char kEscape = 27;

// A key command either lets the handler go on to its redraw request, or it opened a film
// window and the handler ends at once.
enum class After { Redraw, OpenedWindow };

struct KeyBinding;
using KeyCommand = After (*)(const KeyBinding&);

// One line of the key map. `step` is the layer of a digit, the direction (+1/-1) of a camera
// turn or of a wavelength step; `axisX`/`axisY` select the camera turn's axis of the picture.
struct KeyBinding {
    unsigned char key;
    KeyCommand command;
    int step;
    double axisX, axisY;
};

constexpr double kCameraStepDegrees = 1.0;
constexpr double kCameraShiftDegrees = 90.0;
constexpr double kDiameterStep = 0.01;  // change of ewaldDiameter (= 2/lambda) per wavelength key

// Digit: rebuild the Weissenberg window for that layer (layer -1 with Shift).
After selectLayer(const KeyBinding& b) {
    openWeissenbergLayer(shiftOnlyHeld() ? -1 : b.step);
    return After::OpenedWindow;
}

// Camera turn about the picture's x or y axis: 1 degree, 90 with Shift.
After turnCamera(const KeyBinding& b) {
    glMatrixMode(GL_PROJECTION);
    const double degrees = shiftOnlyHeld() ? kCameraShiftDegrees : kCameraStepDegrees;
    rotateMatrix(GL_PROJECTION_MATRIX, b.step * degrees, b.axisX, b.axisY, 0);
    glMatrixMode(GL_MODELVIEW);
    return After::Redraw;
}

// Wavelength step: "L" shortens lambda, "l" lengthens it. While the rotation film does not
// take part, the key opens it instead and the wavelength stays.
After stepWavelength(const KeyBinding& b) {
    scene.lambdaEdited = 1;
    if (scene.rotationOpen == 0) {
        openRotationWindow();
        return After::OpenedWindow;
    }
    scene.ewaldDiameter += b.step * kDiameterStep;
    std::printf("Labda %f\n", 2.0 / scene.ewaldDiameter);  // lambda = 2 / ewaldDiameter
    std::fflush(stdout);
    return After::Redraw;
}

After clearLog(const KeyBinding&) {
    clearReflectionLog(reflectionLog);
    return After::Redraw;
}

After toggleAxes(const KeyBinding&) {
    scene.showAxes = scene.showAxes == 0 ? 1 : 0;
    return After::Redraw;
}

// The key map, as the user sees it. Keys not listed have no command ("X", "Q", "6" to "9",
// control characters); they only request a redraw.
constexpr KeyBinding kKeyBindings[] = {
    // key  command          step  axis x, y
    {'0', selectLayer, 0, 0, 0},
    {'1', selectLayer, 1, 0, 0},
    {'2', selectLayer, 2, 0, 0},
    {'3', selectLayer, 3, 0, 0},
    {'4', selectLayer, 4, 0, 0},
    {'5', selectLayer, 5, 0, 0},
    {'a', turnCamera, +1, 0, 1},
    {'A', turnCamera, +1, 0, 1},
    {'d', turnCamera, -1, 0, 1},
    {'D', turnCamera, -1, 0, 1},
    {'s', turnCamera, -1, 1, 0},
    {'S', turnCamera, -1, 1, 0},
    {'w', turnCamera, +1, 1, 0},
    {'W', turnCamera, +1, 1, 0},
    {'L', stepWavelength, +1, 0, 0},
    {'l', stepWavelength, -1, 0, 0},
    {'z', clearLog, 0, 0, 0},
    {'Z', clearLog, 0, 0, 0},
    {'x', toggleAxes, 0, 0, 0},
};
}  // namespace

void openWeissenbergLayer(int layer) {
    destroyWeissenbergWindow();
    clearReflectionLog(reflectionLog);
    scene.currentLayer = layer;
    scene.weissenbergOpen = 0;
    openWeissenbergWindow();
}

bool keyboardCommand(unsigned char key) {
    if (key == kEscape || key == 'q') {
        quitProgram();
        return false;
    }
    for (const KeyBinding& b : kKeyBindings) {
        if (b.key != key) continue;
        if (b.command(b) == After::OpenedWindow) return false;
        break;
    }
    glutPostRedisplay();
    return true;
}

void onKeyboard(unsigned char key, int, int) { keyboardCommand(key); }

void quitProgram() {
    // exit() lets the toolkit destroy what is left, which calls the main window's close
    // callback, and so this function, once more: that call must not quit a second time.
    static bool quitting = false;
    if (quitting) return;
    quitting = true;
    glutSetWindow(scene.mainWindow);
    // The destroy functions skip a film window that is already gone.
    destroyWeissenbergWindow();
    destroyRotationWindow();
    glutDestroyWindow(scene.mainWindow);
    std::exit(0);
}
