// Mouse drags in the main window (left button: camera about the picture's x and y axes;
// middle button: about its z axis) and the idle spin that turns the crystal.
#include <GL/freeglut.h>

#include "app/scene_state.h"
#include "input/input.h"

// ---- mouse state of the main window -------------------------------------------------
int dragButton = 0;  // button of the most recent onMouse call, whatever its state (0 left, 1 middle, 2 right)
int lastMouseX = 0;  // window pixel x where the last press happened or the last drag step ended
int lastMouseY = 0;  // window pixel y, likewise (grows downwards)

namespace {
constexpr int kLeftButton = 0;
constexpr int kMiddleButton = 1;
constexpr int kPressed = 0;
constexpr int kDragStep = 2;  // the state onMotion passes: movement with the button held

// Degrees of camera turn per pixel of drag: half a degree, sign reversed.
double dragDegrees(int pixels) { return static_cast<double>(pixels) / -2.0; }

constexpr double kSpinDegrees = 0.3;  // crystal turn per idle call
}  // namespace

void onMouse(int button, int state, int x, int y) {
    dragButton = button;
    if (button != kLeftButton && button != kMiddleButton) return;
    if (state == kPressed) {
        lastMouseX = x;
        lastMouseY = y;
        return;
    }
    if (state != kDragStep) return;  // a release changes nothing more

    glMatrixMode(GL_PROJECTION);
    if (button == kLeftButton) {
        rotateMatrix(GL_PROJECTION_MATRIX, dragDegrees(y - lastMouseY), 1, 0, 0);
        rotateMatrix(GL_PROJECTION_MATRIX, dragDegrees(x - lastMouseX), 0, 1, 0);
    } else {
        // The middle button uses the horizontal movement only.
        rotateMatrix(GL_PROJECTION_MATRIX, dragDegrees(x - lastMouseX), 0, 0, 1);
    }
    glMatrixMode(GL_MODELVIEW);
    glutPostRedisplay();
    lastMouseX = x;
    lastMouseY = y;
}

void onMotion(int x, int y) { onMouse(dragButton, kDragStep, x, y); }

void onIdleSpin() {
    // The toolkit does not say which window is current in the idle callback; the spin
    // always turns and redraws the main window.
    glutSetWindow(scene.mainWindow);
    if (scene.rotationOpen != 0 && scene.weissenbergOpen == 0) {
        // Only the rotation film is fed: turn about the fixed laboratory z axis.
        rotateMatrix(GL_MODELVIEW_MATRIX, kSpinDegrees, 0, 0, 1);
    } else {
        // Otherwise turn about the crystal's own z axis as it lies now.
        glRotated(kSpinDegrees, 0, 0, 1);
    }
    glutPostRedisplay();
}
