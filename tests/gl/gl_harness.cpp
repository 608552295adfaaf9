// The in-window test harness: main(), event pumping, read-backs, scene reset, WM close.
#include "gl/gl_harness.h"

#include <gtest/gtest.h>
// After gtest: Xlib defines macros (None, Bool) that gtest's own names would collide with.
#include <GL/glx.h>
#include <X11/Xlib.h>

#include <chrono>
#include <cstring>
#include <thread>

#include "app/reciprocal_basis.h"
#include "app/scene_state.h"
#include "app/startup.h"
#include "film/film_windows.h"
#include "view/view.h"

namespace {
int redraws = 0;
void countingDisplay() {
    ++redraws;
    drawReciprocalLattice();
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

int mainRedrawCount() { return redraws; }

std::array<double, 16> readMatrix(GLenum which) {
    std::array<double, 16> m{};
    glGetDoublev(which, m.data());
    return m;
}

GLint currentMatrixMode() {
    GLint mode = 0;
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    return mode;
}

Rgb Picture::pixel(int x, int y) const {
    const int row = height - 1 - y;
    const size_t i = (static_cast<size_t>(row) * static_cast<size_t>(width) + static_cast<size_t>(x)) * 3;
    return {rgb[i], rgb[i + 1], rgb[i + 2]};
}

Picture readPicture(int window) {
    const int previous = glutGetWindow();
    glutSetWindow(window);
    glFinish();
    Picture p;
    p.width = glutGet(GLUT_WINDOW_WIDTH);
    p.height = glutGet(GLUT_WINDOW_HEIGHT);
    p.rgb.assign(static_cast<size_t>(p.width) * static_cast<size_t>(p.height) * 3, 0);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadBuffer(GL_FRONT);
    glReadPixels(0, 0, p.width, p.height, GL_RGB, GL_UNSIGNED_BYTE, p.rgb.data());
    glReadBuffer(GL_BACK);
    if (previous != 0) glutSetWindow(previous);
    return p;
}

void resetScene() {
    destroyRotationWindow();
    destroyWeissenbergWindow();
    glutIdleFunc(nullptr);
    pumpEvents(10);
    scene.spaceGroup = 1;
    scene.ewaldDiameter = 2.0 / 1.5418;
    computeReciprocalBasis(5, 5, 5, 90, 90, 90);
    scene.currentLayer = 0;
    scene.allLayers = 1;
    scene.showLatticePoints = 1;
    scene.showEwaldSphere = 1;
    scene.showAxes = 1;
    scene.rotationOpen = 0;
    scene.weissenbergOpen = 0;
    scene.lambdaEdited = 0;
    reflectionLog.logCount = 0;
    stubShift = false;
    glutSetWindow(scene.mainWindow);
    glutReshapeWindow(520, 520);
    pumpEvents(20);
    buildDisplayLists();
    initView();
    onReshape(520, 520);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

void requestWindowClose(int window) {
    const int previous = glutGetWindow();
    glutSetWindow(window);
    Display* dpy = glXGetCurrentDisplay();
    const Window xwin = glXGetCurrentDrawable();
    XEvent ev;
    std::memset(&ev, 0, sizeof ev);
    ev.xclient.type = ClientMessage;
    ev.xclient.window = xwin;
    ev.xclient.message_type = XInternAtom(dpy, "WM_PROTOCOLS", False);
    ev.xclient.format = 32;
    ev.xclient.data.l[0] = static_cast<long>(XInternAtom(dpy, "WM_DELETE_WINDOW", False));
    ev.xclient.data.l[1] = CurrentTime;
    XSendEvent(dpy, xwin, False, NoEventMask, &ev);
    XFlush(dpy);
    if (previous != 0 && previous != window) glutSetWindow(previous);
}

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    int glutArgc = 1;
    char name[] = "gl_tests";
    char* glutArgv[] = {name, nullptr};
    glutInit(&glutArgc, glutArgv);
    glutSetOption(GLUT_ACTION_ON_WINDOW_CLOSE, GLUT_ACTION_CONTINUE_EXECUTION);
    scene.ewaldDiameter = 2.0 / 1.5418;
    computeReciprocalBasis(5, 5, 5, 90, 90, 90);
    createMainWindow();
    glutDisplayFunc(countingDisplay);
    pumpEvents(200);
    const int status = RUN_ALL_TESTS();
    // The toolkit destroys its windows at exit and runs their close callbacks; the main
    // window's one is the quit command, whose exit status 0 would hide failed tests.
    glutSetWindow(scene.mainWindow);
    glutCloseFunc(nullptr);
    return status;
}
