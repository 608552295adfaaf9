// What the two film windows share: the mouse handler, destroying and closing a film
// window, the latched film radius, and the drawing of the cross and of the points.
#include "film/film_windows.h"

#include <GL/freeglut.h>

#include <algorithm>
#include <vector>

#include "app/scene_state.h"
#include "film/film_coords.h"

double rotationFilmRadius = 0.0;   // reciprocal length unit; valid once rotationFilmRadiusSet
bool rotationFilmRadiusSet = false;

// Left: both films stop following the main window (nothing is redrawn). Right: empty the log
// and redraw the window clicked. Middle: nothing. Press and release each act.
void onFilmMouse(int button, int, int, int) {
    if (button == GLUT_LEFT_BUTTON) {
        scene.rotationOpen = 0;
        scene.weissenbergOpen = 0;
    } else if (button == GLUT_RIGHT_BUTTON) {
        clearReflectionLog(reflectionLog);
        glutPostRedisplay();
    }
}

namespace {
void makeMainWindowCurrent() {
    if (scene.mainWindow != 0) glutSetWindow(scene.mainWindow);
}

// Film windows handed over for destruction and not yet destroyed.
std::vector<int> windowsToDestroy;

bool forgetWindowToDestroy(int window) {
    const auto it = std::find(windowsToDestroy.begin(), windowsToDestroy.end(), window);
    if (it == windowsToDestroy.end()) return false;
    windowsToDestroy.erase(it);
    return true;
}

void destroyHandedOverWindow(int window) {
    // A window the window manager closed in the meantime is gone already.
    if (forgetWindowToDestroy(window)) glutDestroyWindow(window);
}

// The toolkit destroys a window at the end of its current turn, after the turn's input. A
// window manager's close request for the same window in that input destroys it at once,
// and the end of the turn would then destroy it a second time (freed memory). A timer of
// 0 ms runs after the input and before the end of the turn, so the window is destroyed
// there, or not at all if the window manager closed it first.
void destroyFilmWindow(int window) {
    windowsToDestroy.push_back(window);
    glutTimerFunc(0, destroyHandedOverWindow, window);
}
}  // namespace

void destroyRotationWindow() {
    const int window = scene.rotationWindow;
    if (window != 0) destroyFilmWindow(window);  // runs onRotationWindowClose as well
    forgetRotationPicture(window);
    scene.rotationWindow = 0;
    scene.rotationOpen = 0;
    makeMainWindowCurrent();
}

void destroyWeissenbergWindow() {
    if (scene.weissenbergWindow != 0) destroyFilmWindow(scene.weissenbergWindow);
    scene.weissenbergWindow = 0;
    scene.weissenbergOpen = 0;
    makeMainWindowCurrent();
}

// The toolkit calls these with the closing window current, whether the window manager
// closed it or glutDestroyWindow did. An older rotation window that the id no longer names
// closes without touching the newer window's id and flag.
void onRotationWindowClose() {
    const int window = glutGetWindow();
    forgetWindowToDestroy(window);
    forgetRotationPicture(window);
    if (window != 0 && window == scene.rotationWindow) {
        scene.rotationWindow = 0;
        scene.rotationOpen = 0;
    }
}

void onWeissenbergWindowClose() {
    const int window = glutGetWindow();
    forgetWindowToDestroy(window);
    if (window != 0 && window == scene.weissenbergWindow) {
        scene.weissenbergWindow = 0;
        scene.weissenbergOpen = 0;
    }
}

FilmRedraw filmRedrawFromScene() {
    FilmRedraw redraw;
    redraw.aStarRot = scene.aStarRot;
    redraw.bStarRot = scene.bStarRot;
    redraw.cStarRot = scene.cStarRot;
    redraw.crystalAngle = scene.crystalAngle;
    redraw.ewaldDiameter = scene.ewaldDiameter;
    GLint viewport[4] = {0, 0, 0, 0};
    glGetIntegerv(GL_VIEWPORT, viewport);
    redraw.viewportWidth = viewport[2];
    redraw.viewportHeight = viewport[3];
    return redraw;
}

void drawFilmCross() {
    glPushMatrix();
    glColor3d(0, 0, 0);
    glLoadIdentity();
    glBegin(GL_LINES);
    glVertex2d(-1, 0);
    glVertex2d(1, 0);
    glVertex2d(0, 1);
    glVertex2d(0, -1);
    glEnd();
    glPopMatrix();
}

// All points in one pass, in log order, each a 3-pixel point at its film position.
void drawFilmPoints(const FilmPoints& points) {
    glLoadIdentity();
    glPointSize(3);
    if (points.count <= 0) return;
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_COLOR_ARRAY);
    glVertexPointer(2, GL_FLOAT, 0, points.xy.data());
    glColorPointer(3, GL_FLOAT, 0, points.rgb.data());
    glDrawArrays(GL_POINTS, 0, points.count);
    glDisableClientState(GL_COLOR_ARRAY);
    glDisableClientState(GL_VERTEX_ARRAY);
}
