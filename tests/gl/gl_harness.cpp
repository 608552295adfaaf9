// The in-window test harness: main(), event pumping, read-backs, session reset, WM close.
#include "gl/gl_harness.h"

#include <gtest/gtest.h>
// After gtest: Xlib defines macros (None, Bool) that gtest's own names would collide with.
#include <GL/glx.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <thread>

#include "model/crystal.h"
#include "platform/app.h"
#include "platform/startup.h"
#include "platform/windows.h"
#include "session/commands.h"

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

void useCountingMainDisplay() {
    const int previous = glutGetWindow();
    glutSetWindow(app.mainWindow);
    glutDisplayFunc(countingDisplay);
    if (previous != 0) glutSetWindow(previous);
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

bool coloured(const Rgb& c) {
    const int hi = std::max(c.r, std::max(c.g, c.b)), lo = std::min(c.r, std::min(c.g, c.b));
    return hi - lo > 40;
}

int colouredPixels(const Picture& p) {
    int n = 0;
    for (int y = 0; y < p.height; ++y)
        for (int x = 0; x < p.width; ++x) n += coloured(p.pixel(x, y));
    return n;
}

int definedLists() {
    int n = 0;
    for (GLuint name = 1; name <= 2000; ++name) n += glIsList(name) ? 1 : 0;
    return n;
}

// Reads what the X server shows in the window (XGetImage): on this Mesa under Xvfb a read
// of GL_FRONT answers black, and the back buffer is not what the user sees. Only the part
// of the window on the screen can be read; the rest stays black.
Picture readPicture(int window) {
    const int previous = glutGetWindow();
    glutSetWindow(window);
    glFinish();
    Display* dpy = glXGetCurrentDisplay();
    const Window xwin = glXGetCurrentDrawable();
    XSync(dpy, False);
    Picture p;
    p.width = glutGet(GLUT_WINDOW_WIDTH);
    p.height = glutGet(GLUT_WINDOW_HEIGHT);
    p.rgb.assign(static_cast<size_t>(p.width) * static_cast<size_t>(p.height) * 3, 0);
    XWindowAttributes attributes;
    XGetWindowAttributes(dpy, xwin, &attributes);
    int rootX = 0, rootY = 0;
    Window child;
    XTranslateCoordinates(dpy, xwin, attributes.root, 0, 0, &rootX, &rootY, &child);
    const int screenW = WidthOfScreen(attributes.screen), screenH = HeightOfScreen(attributes.screen);
    const int x0 = std::max(0, -rootX), y0 = std::max(0, -rootY);
    const int x1 = std::min(p.width, screenW - rootX), y1 = std::min(p.height, screenH - rootY);
    XImage* image = (attributes.map_state == IsViewable && x1 > x0 && y1 > y0)
                        ? XGetImage(dpy, xwin, x0, y0, static_cast<unsigned>(x1 - x0), static_cast<unsigned>(y1 - y0),
                                    AllPlanes, ZPixmap)
                        : nullptr;
    if (image != nullptr) {
        auto channel = [](unsigned long pixel, unsigned long mask) {
            int shift = 0;
            while (mask != 0 && (mask & 1) == 0) mask >>= 1, ++shift;
            return static_cast<unsigned char>(((pixel >> shift) & mask) * 255 / (mask ? mask : 1));
        };
        for (int y = y0; y < y1; ++y) {
            for (int x = x0; x < x1; ++x) {
                const unsigned long pixel = XGetPixel(image, x - x0, y - y0);
                const size_t i = (static_cast<size_t>(p.height - 1 - y) * static_cast<size_t>(p.width) + static_cast<size_t>(x)) * 3;
                p.rgb[i] = channel(pixel, image->red_mask);
                p.rgb[i + 1] = channel(pixel, image->green_mask);
                p.rgb[i + 2] = channel(pixel, image->blue_mask);
            }
        }
        XDestroyImage(image);
    }
    if (previous != 0) glutSetWindow(previous);
    return p;
}

Session startSession() { return newSession(makeCrystal(5, 5, 5, 90, 90, 90, 1), 1.5418); }

void resetScene() { resetScene(startSession()); }

void resetScene(const Session& session) {
    destroyRotationWindow();
    destroyWeissenbergWindow();
    glutIdleFunc(nullptr);
    pumpEvents(10);
    app.session = session;
    stubShift = false;
    // A new session starts its builds from the first again: the kept geometry goes with the old one.
    app.views[app.mainWindow].scene = MainSceneGeometry{};
    glutSetWindow(app.mainWindow);
    glutReshapeWindow(520, 520);
    pumpEvents(20);
    reshapeCommand(app.session, 520, 520);
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

void expectMat(const Mat4& got, const Mat4& want, const std::string& what, double tol) {
    for (int i = 0; i < 16; ++i) EXPECT_NEAR(got[i], want[i], tol) << what << " element " << i;
}

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    int glutArgc = 1;
    char name[] = "gl_tests";
    char* glutArgv[] = {name, nullptr};
    glutInit(&glutArgc, glutArgv);
    glutSetOption(GLUT_ACTION_ON_WINDOW_CLOSE, GLUT_ACTION_CONTINUE_EXECUTION);
    app.session = startSession();
    openMainWindow();
    useCountingMainDisplay();
    pumpEvents(200);
    const int status = RUN_ALL_TESTS();
    // The toolkit destroys its windows at exit and runs their close callbacks; the main
    // window's one is the quit command, whose exit status 0 would hide failed tests.
    glutSetWindow(app.mainWindow);
    glutCloseFunc(nullptr);
    return status;
}
