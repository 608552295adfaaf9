// Special keys of the main window (F1..F12, arrows, page keys) and the pop-up menu, whose
// entries hand their value to the keyboard and then to the special keys.
#include <GL/freeglut.h>

#include <cfloat>
#include <cmath>

#include "app/scene_state.h"
#include "film/film_windows.h"
#include "input/input.h"
#include "platform/modifiers.h"
#include "view/view.h"

namespace {
// Crystal turns of one key press in degrees, about the laboratory y, x and z axes;
// applied by the closing step.
struct Turns {
    float y = 0.0f;
    float x = 0.0f;
    float z = 0.0f;
};

// false: the command opened a film window and the handler ends at once.
using SpecialCommand = bool (*)(Turns&);

int toggled(int flag) { return flag == 0 ? 1 : 0; }

void toggleCapability(GLenum capability) {
    if (glIsEnabled(capability)) glDisable(capability);
    else glEnable(capability);
}

bool toggleLatticePoints(Turns&) {
    scene.showLatticePoints = toggled(scene.showLatticePoints);
    return true;
}

// Without Shift the crystal returns to its start orientation; with Shift the camera returns
// to the start box +-1.05*ewaldDiameter on all three axes.
bool resetView(Turns&) {
    const double e = 1.05 * scene.ewaldDiameter;  // half-extent of the start box
    if (shiftOnlyHeld()) {
        // With a wavelength stepped to exactly 0, or a diameter that is not finite, or near
        // the largest or smallest double, the box has no size the GL can hold in single
        // precision; the camera then stays as it is rather than turn non-finite.
        if (!(std::fabs(e) >= FLT_MIN && std::fabs(e) <= FLT_MAX)) return true;
        glMatrixMode(GL_PROJECTION);
    }
    glLoadIdentity();
    if (shiftOnlyHeld()) {
        glOrtho(-e, e, -e, e, -e, e);
        glMatrixMode(GL_MODELVIEW);
    }
    return true;
}

bool toggleLighting(Turns&) {
    toggleCapability(GL_LIGHTING);
    return true;
}

bool toggleEwaldSphere(Turns&) {
    scene.showEwaldSphere = toggled(scene.showEwaldSphere);
    return true;
}

bool toggleAllLayers(Turns&) {
    scene.allLayers = toggled(scene.allLayers);
    buildDisplayLists();
    return true;
}

bool toggleBlending(Turns&) {
    toggleCapability(GL_BLEND);
    return true;
}

// Both films start afresh: the log is emptied and one new rotation window opens.
bool openRotationFilm(Turns&) {
    destroyRotationWindow();
    destroyWeissenbergWindow();
    clearReflectionLog(reflectionLog);
    scene.rotationOpen = 0;
    scene.weissenbergOpen = 0;
    openRotationWindow();
    return false;
}

bool openLayer0(Turns&) {
    openWeissenbergLayer(0);
    return false;
}

bool openLayer1(Turns&) {
    openWeissenbergLayer(1);
    return false;
}

bool spinOff(Turns&) {
    glutIdleFunc(nullptr);
    return true;
}

bool spinOn(Turns&) {
    glutIdleFunc(onIdleSpin);
    return true;
}

// LEFT/RIGHT: with Shift the crystal turns about x; without, about y together with the
// same camera turn ("a"/"d").
bool arrowLeft(Turns& t) {
    if (shiftOnlyHeld()) {
        t.x = 1.0f;
    } else {
        t.y = 1.0f;
        onKeyboard('a', 0, 0);
    }
    return true;
}

bool arrowRight(Turns& t) {
    if (shiftOnlyHeld()) {
        t.x = -1.0f;
    } else {
        t.y = -1.0f;
        onKeyboard('d', 0, 0);
    }
    return true;
}

bool arrowUp(Turns& t) {
    t.z = 1.0f;
    return true;
}

bool arrowDown(Turns& t) {
    t.z = -1.0f;
    return true;
}

// The GL holds the camera in single precision. A zoom step that would take the box out of
// its range (some 1800 steps of a page key held down) is left out: the camera stays finite,
// and the opposite page key brings it back.
void zoomCamera(double factor) {
    glMatrixMode(GL_PROJECTION);
    double m[16];
    glGetDoublev(GL_PROJECTION_MATRIX, m);
    double largest = 0.0;  // of the three columns the scale multiplies
    for (int i = 0; i < 12; ++i) largest = std::fmax(largest, std::fabs(m[i]));
    const double zoomed = largest * factor;
    if (zoomed >= FLT_MIN && zoomed <= FLT_MAX) glScaled(factor, factor, factor);
    glMatrixMode(GL_MODELVIEW);
}

bool zoomIn(Turns&) {
    zoomCamera(1.05);
    return true;
}

bool zoomOut(Turns&) {
    zoomCamera(0.95);
    return true;
}

struct SpecialBinding {
    int key;
    SpecialCommand command;
};

// The special-key map. F10, HOME, END, INSERT and every other code have no command; they
// only run the closing step with no turn.
constexpr SpecialBinding kSpecialBindings[] = {
    {GLUT_KEY_F1, toggleLatticePoints},
    {GLUT_KEY_F2, resetView},
    {GLUT_KEY_F3, toggleLighting},
    {GLUT_KEY_F4, toggleEwaldSphere},
    {GLUT_KEY_F5, toggleAllLayers},
    {GLUT_KEY_F6, toggleBlending},
    {GLUT_KEY_F7, openRotationFilm},
    {GLUT_KEY_F8, openLayer0},
    {GLUT_KEY_F9, openLayer1},
    {GLUT_KEY_F11, spinOff},
    {GLUT_KEY_F12, spinOn},
    {GLUT_KEY_LEFT, arrowLeft},
    {GLUT_KEY_UP, arrowUp},
    {GLUT_KEY_RIGHT, arrowRight},
    {GLUT_KEY_DOWN, arrowDown},
    {GLUT_KEY_PAGE_UP, zoomIn},
    {GLUT_KEY_PAGE_DOWN, zoomOut},
};
}  // namespace

void onSpecialKey(int key, int, int) {
    Turns turns;
    for (const SpecialBinding& b : kSpecialBindings) {
        if (b.key != key) continue;
        if (!b.command(turns)) return;
        break;
    }
    // Closing step: turn the crystal about the fixed laboratory axes, y, then x, then z.
    rotateMatrix(GL_MODELVIEW_MATRIX, turns.y, 0, 1, 0);
    rotateMatrix(GL_MODELVIEW_MATRIX, turns.x, 1, 0, 0);
    rotateMatrix(GL_MODELVIEW_MATRIX, turns.z, 0, 0, 1);
    glutPostRedisplay();
}

// A menu entry's value is a key: its low 8 bits go to the keyboard, then the whole value to
// the special keys. Values 1..12 are F1..F12, 120 is "x", 27 is ESC, 0 (dividers) nothing.
void onMenu(int value) {
    beginMenuPath();
    if (keyboardCommand(static_cast<unsigned char>(value & 0xFF))) onSpecialKey(value, 0, 0);
    endMenuPath();
}
