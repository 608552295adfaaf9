// Keys, special keys, menu values, mouse drags and the idle spin, through the real callbacks
// of the main window: the redraw each asks for, what reaches the session's camera and crystal
// (Shift through the toolkit, never on the menu path), what the switches change on screen,
// the matrix mode the redraw leaves, and the spin's idle callback.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>

#include "gl/gl_harness.h"
#include "platform/app.h"
#include "platform/windows.h"
#include "session/commands.h"

// The toolkit runs the idle callback only from its own main loop, which the tests do not
// enter; this stand-in notes what is registered and passes it on.
namespace {
void (*idleCallback)() = nullptr;
}
extern "C" void glutIdleFunc(void (*callback)()) {
    idleCallback = callback;
    using Real = void (*)(void (*)());
    static const Real real = reinterpret_cast<Real>(dlsym(RTLD_NEXT, "glutIdleFunc"));
    real(callback);
}

namespace {

// An independent turn: R about coordinate axis `axis` (0 x, 1 y, 2 z) by `deg`, times m on
// the left; no turn for axis -1.
Mat4 turned(const Mat4& m, double deg, int axis) {
    if (axis < 0) return m;
    const double t = deg * 3.141592653589793 / 180.0, c = std::cos(t), s = std::sin(t);
    const int i = (axis + 1) % 3, j = (axis + 2) % 3;  // the plane the turn acts in
    Mat4 out = m;
    for (int col = 0; col < 4; ++col) {
        out[4 * col + i] = c * m[4 * col + i] - s * m[4 * col + j];
        out[4 * col + j] = s * m[4 * col + i] + c * m[4 * col + j];
    }
    return out;
}

// m * R_z(deg): a turn about the matrix's own z axis.
Mat4 timesRz(const Mat4& m, double deg) {
    const double t = deg * 3.141592653589793 / 180.0, c = std::cos(t), s = std::sin(t);
    Mat4 out = m;
    for (int i = 0; i < 4; ++i) {
        out[0 + i] = m[0 + i] * c + m[4 + i] * s;
        out[4 + i] = -m[0 + i] * s + m[4 + i] * c;
    }
    return out;
}

// Runs `action` and tells whether it asked for a redraw of the main window.
bool redrawRequested(const std::function<void()>& action) {
    pumpEvents(20);
    const int before = mainRedrawCount();
    glutSetWindow(app.mainWindow);
    action();
    pumpEvents(40);
    glutSetWindow(app.mainWindow);
    return mainRedrawCount() > before;
}

// Camera and crystal turned away from the start, so that turns on the left and on the
// right of the matrices differ.
void tiltBothMatrices() {
    turnMatrix(app.session.camera, 25, 1, 0, 0);
    turnMatrix(app.session.camera, 14, 0, 1, 0);
    turnMatrix(app.session.orientation, 40, 0, 1, 0);
    turnMatrix(app.session.orientation, 12, 0, 0, 1);
}

enum class Via { Key, Special, Menu };

void send(Via via, int code) {
    switch (via) {
        case Via::Key: onKeyboard(static_cast<unsigned char>(code), 0, 0); break;
        case Via::Special: onSpecialKey(code, 0, 0); break;
        case Via::Menu: onMenu(code); break;
    }
}

class Input : public testing::Test {
protected:
    void SetUp() override { resetScene(); }
    void TearDown() override {
        stubShift = false;
        glutIdleFunc(nullptr);
        app.session.spinning = 0;
    }
};
}  // namespace

// Each binding through its callback: Shift as the toolkit reports it, the menu path without
// it; every one asks for a redraw, which leaves the matrix mode at GL_MODELVIEW. (The
// sequences' arithmetic is the session's own and is tested without a window.)
TEST_F(Input, KeysTurnCameraOrCrystalThroughTheCallbacks) {
    struct Turn {
        double deg;
        int axis;  // 0 x, 1 y, 2 z, -1 no turn
    };
    constexpr Turn none{0, -1};
    struct Case {
        Via via;
        int code;
        bool shift;
        Turn camera;
        Turn crystal;
    };
    const Case cases[] = {
        {Via::Key, 'a', false, {+1, 1}, none},
        {Via::Key, 'A', true, {+90, 1}, none},
        {Via::Key, 'D', true, {-90, 1}, none},
        {Via::Key, 's', false, {-1, 0}, none},
        {Via::Key, 'W', true, {+90, 0}, none},
        {Via::Key, 'X', false, none, none},
        {Via::Key, 0, false, none, none},
        {Via::Special, GLUT_KEY_UP, true, none, {+1, 2}},
        {Via::Special, GLUT_KEY_DOWN, false, none, {-1, 2}},
        {Via::Special, GLUT_KEY_LEFT, true, none, {+1, 0}},
        {Via::Special, GLUT_KEY_LEFT, false, {+1, 1}, {+1, 1}},
        {Via::Special, GLUT_KEY_RIGHT, true, none, {-1, 0}},
        {Via::Special, GLUT_KEY_F10, false, none, none},
        {Via::Special, 0, false, none, none},
        {Via::Menu, 0, false, none, none},  // a divider line
        {Via::Menu, 2, true, none, none},   // F2 from the menu: the crystal back, Shift unseen
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "via " << static_cast<int>(c.via) << " code " << c.code
                                        << (c.shift ? " with Shift" : ""));
        resetScene();
        tiltBothMatrices();
        const Mat4 camera = app.session.camera, crystal = app.session.orientation;
        stubShift = c.shift;
        EXPECT_TRUE(redrawRequested([&] { send(c.via, c.code); }));
        stubShift = false;
        EXPECT_EQ(currentMatrixMode(), GL_MODELVIEW);
        expectMat(app.session.camera, turned(camera, c.camera.deg, c.camera.axis), "camera");
        const Mat4 wantCrystal = c.via == Via::Menu && c.code == 2 ? identityMatrix()
                                                                    : turned(crystal, c.crystal.deg, c.crystal.axis);
        expectMat(app.session.orientation, wantCrystal, "crystal");
    }
}

// Every switch shows on screen: the picture changes, and the second press brings it back
// exactly; the camera and the crystal stay.
TEST_F(Input, SwitchesChangeThePictureAndToggleBack) {
    struct Case {
        Via via;
        int code;
        int Session::*flag;
    };
    const Case cases[] = {
        {Via::Key, 'x', &Session::showAxes},
        {Via::Menu, 120, &Session::showAxes},
        {Via::Special, GLUT_KEY_F1, &Session::showLatticePoints},
        {Via::Special, GLUT_KEY_F3, &Session::lighting},
        {Via::Menu, 3, &Session::lighting},
        {Via::Special, GLUT_KEY_F4, &Session::showEwaldSphere},
        {Via::Special, GLUT_KEY_F5, &Session::allLayers},
        {Via::Special, GLUT_KEY_F6, &Session::blending},
        {Via::Menu, 6, &Session::blending},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "via " << static_cast<int>(c.via) << " code " << c.code);
        resetScene();
        tiltBothMatrices();
        const Mat4 camera = app.session.camera, crystal = app.session.orientation;
        ASSERT_TRUE(redrawRequested([] { glutPostRedisplay(); }));
        const Picture before = readPicture(app.mainWindow);
        const int value = app.session.*c.flag;
        EXPECT_TRUE(redrawRequested([&] { send(c.via, c.code); }));
        EXPECT_EQ(app.session.*c.flag, value == 0 ? 1 : 0);
        EXPECT_NE(readPicture(app.mainWindow).rgb, before.rgb) << "the switch does not show";
        if (c.flag == &Session::blending) {
            EXPECT_EQ(glIsEnabled(GL_BLEND), GL_FALSE);
        }
        EXPECT_TRUE(redrawRequested([&] { send(c.via, c.code); }));
        EXPECT_EQ(app.session.*c.flag, value);
        EXPECT_EQ(readPicture(app.mainWindow).rgb, before.rgb) << "the picture did not come back";
        EXPECT_EQ(currentMatrixMode(), GL_MODELVIEW);
        EXPECT_EQ(app.session.camera, camera);
        EXPECT_EQ(app.session.orientation, crystal);
    }
}

TEST_F(Input, ClearKeysEmptyTheLogAndTheNextRedrawRefillsIt) {
    for (int key : {'z', 'Z'}) {
        resetScene();
        for (int i = 0; i < 1234; ++i) appendReflection(app.session.log, 1, 2, 3, 0.0, 0.0);
        EXPECT_TRUE(redrawRequested([&] { onKeyboard(static_cast<unsigned char>(key), 0, 0); }));
        // The redraw logged the reflections of the present orientation afresh: with a* = 0.2
        // and lambda 1.5418, twelve points lie within 0.004 of the sphere.
        EXPECT_EQ(app.session.log.count(), 12);
        EXPECT_NE(app.session.log.logH[0], 1);
    }
}

TEST_F(Input, WavelengthStepsWhileTheRotationFilmTakesPart) {
    struct Case {
        unsigned char key;
        double diameter;
        const char* line;
    };
    const Case cases[] = {
        {'L', 2 / 1.5418 + 0.01, "Labda 1.530005\n"},
        {'l', 2 / 1.5418 - 0.01, "Labda 1.553778\n"},
    };
    for (const Case& c : cases) {
        resetScene();
        app.session.rotationOpen = 1;
        const Mat4 camera = app.session.camera, crystal = app.session.orientation;
        testing::internal::CaptureStdout();
        const bool redraw = redrawRequested([&] { onKeyboard(c.key, 0, 0); });
        const std::string out = testing::internal::GetCapturedStdout();
        EXPECT_TRUE(redraw);
        EXPECT_EQ(app.session.ewaldDiameter, c.diameter);
        EXPECT_NE(out.find(c.line), std::string::npos) << out;
        EXPECT_EQ(app.session.lambdaEdited, 1);
        EXPECT_EQ(app.session.camera, camera);
        EXPECT_EQ(app.session.orientation, crystal);
        app.session.rotationOpen = 0;
    }
}

// The wavelength stepped through 0 to negative values: the scene is built and drawn for
// them, the camera stays finite, and the program runs on.
TEST_F(Input, WavelengthThroughZeroKeepsTheProgramRunning) {
    app.session.rotationOpen = 1;
    testing::internal::CaptureStdout();
    for (int i = 0; i < 140; ++i) {
        onKeyboard('l', 0, 0);
        if (i % 10 == 0) pumpEvents(5);
    }
    const std::string out = testing::internal::GetCapturedStdout();
    app.session.rotationOpen = 0;
    EXPECT_LT(app.session.ewaldDiameter, 0.0);
    EXPECT_NE(out.find("Labda -"), std::string::npos);
    onSpecialKey(GLUT_KEY_F5, 0, 0);  // lattice points and sphere for the negative diameter
    stubShift = true;
    onSpecialKey(GLUT_KEY_F2, 0, 0);  // camera box for the negative diameter
    stubShift = false;
    for (int i = 0; i < 5; ++i) onSpecialKey(GLUT_KEY_UP, 0, 0);
    pumpEvents(60);
    for (double v : app.session.camera) EXPECT_TRUE(std::isfinite(v));
    EXPECT_EQ(currentMatrixMode(), GL_MODELVIEW);
}

// Drags through the toolkit's callbacks: half a degree of camera turn per pixel, a redraw at
// every motion, the crystal untouched.
TEST_F(Input, DragStepsTurnTheCameraByHalfADegreePerPixel) {
    struct Case {
        int button, pressX, pressY, stepX, stepY;
        double aboutX, aboutY, aboutZ;  // expected turns, applied x, y (left) or z (middle)
    };
    const Case cases[] = {
        {GLUT_LEFT_BUTTON, 100, 100, 110, 100, 0, -5, 0},
        {GLUT_LEFT_BUTTON, 100, 100, 100, 91, 4.5, 0, 0},
        {GLUT_LEFT_BUTTON, 100, 100, 100, 100, 0, 0, 0},  // no movement: still a redraw
        {GLUT_MIDDLE_BUTTON, 50, 50, 54, 70, 0, 0, -2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "button " << c.button << " to " << c.stepX << "," << c.stepY);
        resetScene();
        tiltBothMatrices();
        const Mat4 camera = app.session.camera, crystal = app.session.orientation;
        onMouse(c.button, GLUT_DOWN, c.pressX, c.pressY);
        EXPECT_TRUE(redrawRequested([&] { onMotion(c.stepX, c.stepY); }));
        const Mat4 want = c.button == GLUT_LEFT_BUTTON ? turned(turned(camera, c.aboutX, 0), c.aboutY, 1)
                                                       : turned(camera, c.aboutZ, 2);
        expectMat(app.session.camera, want, "camera");
        EXPECT_EQ(app.session.orientation, crystal);
        EXPECT_EQ(currentMatrixMode(), GL_MODELVIEW);
        EXPECT_EQ(app.session.lastMouseX, c.stepX);
        EXPECT_EQ(app.session.lastMouseY, c.stepY);
    }
}

TEST_F(Input, ReleaseAndTheMenuButtonAskForNoRedraw) {
    tiltBothMatrices();
    const Mat4 camera = app.session.camera;
    onMouse(GLUT_LEFT_BUTTON, GLUT_DOWN, 100, 100);
    EXPECT_FALSE(redrawRequested([] { onMouse(GLUT_LEFT_BUTTON, GLUT_UP, 130, 140); }));
    onMouse(GLUT_RIGHT_BUTTON, GLUT_DOWN, 10, 10);
    EXPECT_FALSE(redrawRequested([] { onMotion(300, 300); }));
    EXPECT_EQ(app.session.camera, camera);
    EXPECT_EQ(app.session.lastMouseX, 100);
}

TEST_F(Input, SpinTurnsTheMainWindowWhicheverWindowIsCurrent) {
    tiltBothMatrices();
    const Mat4 crystal = app.session.orientation;
    const int other = glutCreateWindow("other");
    glutDisplayFunc([] {
        glClear(GL_COLOR_BUFFER_BIT);
        glutSwapBuffers();
    });
    glutPositionWindow(700, 600);  // beside the main window: a covered window is not redrawn
    glutReshapeWindow(60, 60);
    pumpEvents(30);
    const int before = mainRedrawCount();
    glutSetWindow(other);
    onIdleSpin();
    pumpEvents(40);
    EXPECT_GT(mainRedrawCount(), before);
    expectMat(app.session.orientation, timesRz(crystal, 0.3), "crystal");
    glutDestroyWindow(other);
    pumpEvents(30);
    glutSetWindow(app.mainWindow);
}

TEST_F(Input, F12StartsAndF11StopsTheSpin) {
    for (Via via : {Via::Special, Via::Menu}) {
        SCOPED_TRACE(static_cast<int>(via));
        resetScene();
        EXPECT_TRUE(redrawRequested([&] { send(via, GLUT_KEY_F12); }));
        EXPECT_EQ(idleCallback, &onIdleSpin);
        send(via, GLUT_KEY_F12);  // twice on is still one spin
        EXPECT_EQ(idleCallback, &onIdleSpin);
        EXPECT_TRUE(redrawRequested([&] { send(via, GLUT_KEY_F11); }));
        EXPECT_EQ(idleCallback, nullptr);
    }
}
