// Keys, special keys, menu values, mouse drags and the idle spin, called directly in the
// real main window: what they do to the camera (projection) and crystal (modelview)
// matrices, the switches, the matrix mode left behind and the redraw they request.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <functional>
#include <string>

#include "app/scene_state.h"
#include "gl/gl_harness.h"
#include "input/input.h"
#include "input/matrix_turn.h"

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
using Mat = std::array<double, 16>;

// The GL matrices are kept in single precision.
constexpr double kTol = 2e-6;

Mat turned(Mat m, double deg, int axis) {
    turnMatrix(m.data(), deg, axis == 0, axis == 1, axis == 2);
    return m;
}

// m * R_z(deg): what glRotated(deg, 0, 0, 1) does to the current matrix.
Mat timesRz(const Mat& m, double deg) {
    const double t = deg * 3.141592653589793 / 180.0, c = std::cos(t), s = std::sin(t);
    Mat out = m;
    for (int i = 0; i < 4; ++i) {
        out[0 + i] = m[0 + i] * c + m[4 + i] * s;
        out[4 + i] = -m[0 + i] * s + m[4 + i] * c;
    }
    return out;
}

void expectMat(const Mat& got, const Mat& want, const char* what) {
    for (int i = 0; i < 16; ++i) EXPECT_NEAR(got[i], want[i], kTol) << what << " element " << i;
}

Mat projection() {
    glutSetWindow(scene.mainWindow);
    return readMatrix(GL_PROJECTION_MATRIX);
}
Mat modelview() {
    glutSetWindow(scene.mainWindow);
    return readMatrix(GL_MODELVIEW_MATRIX);
}

// Runs `action` and tells whether it requested a redraw of the main window.
bool redrawRequested(const std::function<void()>& action) {
    pumpEvents(20);
    const int before = mainRedrawCount();
    glutSetWindow(scene.mainWindow);
    action();
    pumpEvents(40);
    glutSetWindow(scene.mainWindow);
    return mainRedrawCount() > before;
}

// Camera and crystal turned away from the start, so that turns on the left and on the
// right of the matrices differ.
void tiltBothMatrices() {
    glutSetWindow(scene.mainWindow);
    glMatrixMode(GL_PROJECTION);
    glRotated(25, 1, 0.5, 0);
    glMatrixMode(GL_MODELVIEW);
    glRotated(40, 0.3, 1, 0.2);
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
    }
};
}  // namespace

TEST_F(Input, KeysTurnCameraOrCrystalAboutTheirFixedAxes) {
    struct Turn {
        double deg;
        int axis;  // 0 x, 1 y, 2 z, -1 no turn
    };
    constexpr Turn none{0, -1};
    struct Case {
        Via via;
        int code;
        bool shift;
        Turn camera;   // turn of the projection matrix
        Turn crystal;  // turn of the modelview matrix
    };
    const Case cases[] = {
        {Via::Key, 'a', false, {+1, 1}, none},
        {Via::Key, 'A', false, {+1, 1}, none},  // capital without Shift (Caps Lock): small step
        {Via::Key, 'A', true, {+90, 1}, none},
        {Via::Key, 'd', false, {-1, 1}, none},
        {Via::Key, 'D', true, {-90, 1}, none},
        {Via::Key, 's', false, {-1, 0}, none},
        {Via::Key, 'S', true, {-90, 0}, none},
        {Via::Key, 'w', false, {+1, 0}, none},
        {Via::Key, 'W', true, {+90, 0}, none},
        {Via::Key, 'X', false, none, none},
        {Via::Key, 'Q', false, none, none},
        {Via::Key, '7', false, none, none},
        {Via::Key, 0, false, none, none},
        {Via::Special, GLUT_KEY_UP, false, none, {+1, 2}},
        {Via::Special, GLUT_KEY_UP, true, none, {+1, 2}},
        {Via::Special, GLUT_KEY_DOWN, false, none, {-1, 2}},
        {Via::Special, GLUT_KEY_LEFT, true, none, {+1, 0}},
        {Via::Special, GLUT_KEY_LEFT, false, {+1, 1}, {+1, 1}},
        {Via::Special, GLUT_KEY_RIGHT, true, none, {-1, 0}},
        {Via::Special, GLUT_KEY_RIGHT, false, {-1, 1}, {-1, 1}},
        {Via::Special, GLUT_KEY_F10, false, none, none},
        {Via::Special, GLUT_KEY_HOME, false, none, none},
        {Via::Special, GLUT_KEY_END, false, none, none},
        {Via::Special, GLUT_KEY_INSERT, false, none, none},
        {Via::Special, 0, false, none, none},
        {Via::Menu, 0, false, none, none},  // a divider line
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "via " << static_cast<int>(c.via) << " code " << c.code
                                        << (c.shift ? " with Shift" : ""));
        resetScene();
        tiltBothMatrices();
        const Mat p0 = projection(), m0 = modelview();
        stubShift = c.shift;
        EXPECT_TRUE(redrawRequested([&] { send(c.via, c.code); }));
        stubShift = false;
        EXPECT_EQ(currentMatrixMode(), GL_MODELVIEW);
        expectMat(projection(), turned(p0, c.camera.deg, c.camera.axis), "projection");
        expectMat(modelview(), turned(m0, c.crystal.deg, c.crystal.axis), "modelview");
    }
}

TEST_F(Input, FourShiftTurnsAndOppositeKeysGiveTheCameraBack) {
    tiltBothMatrices();
    const Mat p0 = projection();
    stubShift = true;
    for (int i = 0; i < 4; ++i) onKeyboard('d', 0, 0);
    stubShift = false;
    expectMat(projection(), p0, "after four Shift-d");
    onKeyboard('w', 0, 0);
    onKeyboard('s', 0, 0);
    expectMat(projection(), p0, "after w then s");
}

TEST_F(Input, SwitchesToggleExactlyOnce) {
    struct Case {
        Via via;
        int code;
        std::function<int()> value;
    };
    const auto lighting = [] { return static_cast<int>(glIsEnabled(GL_LIGHTING)); };
    const auto blending = [] { return static_cast<int>(glIsEnabled(GL_BLEND)); };
    const Case cases[] = {
        {Via::Key, 'x', [] { return scene.showAxes; }},
        {Via::Menu, 120, [] { return scene.showAxes; }},
        {Via::Special, GLUT_KEY_F1, [] { return scene.showLatticePoints; }},
        {Via::Menu, 1, [] { return scene.showLatticePoints; }},
        {Via::Special, GLUT_KEY_F3, lighting},
        {Via::Menu, 3, lighting},
        {Via::Special, GLUT_KEY_F4, [] { return scene.showEwaldSphere; }},
        {Via::Menu, 4, [] { return scene.showEwaldSphere; }},
        {Via::Special, GLUT_KEY_F5, [] { return scene.allLayers; }},
        {Via::Menu, 5, [] { return scene.allLayers; }},
        {Via::Special, GLUT_KEY_F6, blending},
        {Via::Menu, 6, blending},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "via " << static_cast<int>(c.via) << " code " << c.code);
        resetScene();
        tiltBothMatrices();
        const Mat p0 = projection(), m0 = modelview();
        const int before = c.value();
        EXPECT_TRUE(redrawRequested([&] { send(c.via, c.code); }));
        EXPECT_EQ(c.value(), before == 0 ? 1 : 0);
        EXPECT_TRUE(redrawRequested([&] { send(c.via, c.code); }));
        EXPECT_EQ(c.value(), before);
        EXPECT_EQ(currentMatrixMode(), GL_MODELVIEW);
        expectMat(projection(), p0, "projection");
        expectMat(modelview(), m0, "modelview");
    }
}

TEST_F(Input, ClearKeysEmptyTheLogAndTheNextRedrawRefillsIt) {
    for (int key : {'z', 'Z'}) {
        resetScene();
        reflectionLog.logCount = 1234;
        EXPECT_TRUE(redrawRequested([&] { onKeyboard(static_cast<unsigned char>(key), 0, 0); }));
        // The redraw logged the reflections of the present orientation afresh: with a* = 0.2
        // and lambda 1.5418, (2, +-3, 0) and (2, 0, +-3) lie 0.0009 off the sphere.
        EXPECT_GT(reflectionLog.logCount, 0);
        EXPECT_LT(reflectionLog.logCount, 1234);
    }
}

TEST_F(Input, FiveTwiceRebuildsOneListBlockAndKeepsTheLayerSwitch) {
    auto definedLists = [] {
        int n = 0;
        for (GLuint name = 1; name < 400; ++name) n += glIsList(name) ? 1 : 0;
        return n;
    };
    const int listsBefore = definedLists();
    const int allBefore = scene.allLayers;
    onSpecialKey(GLUT_KEY_F5, 0, 0);
    onSpecialKey(GLUT_KEY_F5, 0, 0);
    EXPECT_EQ(scene.allLayers, allBefore);
    EXPECT_NE(scene.listBase, 0);
    EXPECT_EQ(definedLists(), listsBefore);
}

TEST_F(Input, ResetWithoutShiftRestoresCrystalWithShiftCamera) {
    // Without Shift: the crystal back to its start, the camera as it was.
    tiltBothMatrices();
    onSpecialKey(GLUT_KEY_UP, 0, 0);
    onKeyboard('a', 0, 0);
    const Mat p0 = projection();
    onSpecialKey(GLUT_KEY_F2, 0, 0);
    expectMat(modelview(), Mat{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}, "modelview");
    expectMat(projection(), p0, "projection");
    EXPECT_EQ(currentMatrixMode(), GL_MODELVIEW);

    // With Shift, after turns, zoom and a new wavelength: the plain box for the present
    // diameter on all three axes, the crystal as it was.
    tiltBothMatrices();
    onSpecialKey(GLUT_KEY_PAGE_UP, 0, 0);
    scene.ewaldDiameter = 1.5;
    const Mat m0 = modelview();
    stubShift = true;
    onSpecialKey(GLUT_KEY_F2, 0, 0);
    stubShift = false;
    const double e = 1.05 * 1.5;
    expectMat(projection(), Mat{1 / e, 0, 0, 0, 0, 1 / e, 0, 0, 0, 0, -1 / e, 0, 0, 0, 0, 1}, "projection");
    expectMat(modelview(), m0, "modelview");
    EXPECT_EQ(currentMatrixMode(), GL_MODELVIEW);

    // From the menu the toolkit reports no Shift: the crystal is reset, not the camera.
    tiltBothMatrices();
    const Mat p1 = projection();
    stubShift = true;
    onMenu(2);
    stubShift = false;
    expectMat(modelview(), Mat{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}, "modelview after menu");
    expectMat(projection(), p1, "projection after menu");
}

TEST_F(Input, PageUpThenPageDownLeavesAScaleOf0_9975) {
    tiltBothMatrices();
    const Mat p0 = projection(), m0 = modelview();
    EXPECT_TRUE(redrawRequested([] { onSpecialKey(GLUT_KEY_PAGE_UP, 0, 0); }));
    EXPECT_EQ(currentMatrixMode(), GL_MODELVIEW);
    onSpecialKey(GLUT_KEY_PAGE_DOWN, 0, 0);
    EXPECT_EQ(currentMatrixMode(), GL_MODELVIEW);
    const Mat p = projection();
    for (int j = 0; j < 3; ++j)
        for (int i = 0; i < 4; ++i) EXPECT_NEAR(p[4 * j + i], 0.9975 * p0[4 * j + i], kTol) << 4 * j + i;
    for (int i = 12; i < 16; ++i) EXPECT_NEAR(p[i], p0[i], kTol);
    expectMat(modelview(), m0, "modelview");
}

TEST_F(Input, WavelengthStepsWhileTheRotationFilmTakesPart) {
    struct Case {
        unsigned char key;
        double diameter;
        const char* line;
    };
    const Case cases[] = {
        {'L', 1.3071851083149566, "Labda 1.530005\n"},  // 2/1.5418 + 0.01
        {'l', 1.2871851083149566, "Labda 1.553778\n"},  // 2/1.5418 - 0.01
    };
    for (const Case& c : cases) {
        resetScene();
        scene.rotationOpen = 1;
        const Mat p0 = projection(), m0 = modelview();
        testing::internal::CaptureStdout();
        const bool redraw = redrawRequested([&] { onKeyboard(c.key, 0, 0); });
        const std::string out = testing::internal::GetCapturedStdout();
        EXPECT_TRUE(redraw);
        EXPECT_DOUBLE_EQ(scene.ewaldDiameter, c.diameter);
        EXPECT_NE(out.find(c.line), std::string::npos) << out;
        EXPECT_EQ(scene.lambdaEdited, 1);
        expectMat(projection(), p0, "projection");
        expectMat(modelview(), m0, "modelview");
        scene.rotationOpen = 0;
    }
}

TEST_F(Input, WavelengthThroughZeroKeepsTheProgramRunning) {
    scene.rotationOpen = 1;
    testing::internal::CaptureStdout();
    for (int i = 0; i < 140; ++i) {
        onKeyboard('l', 0, 0);
        if (i % 10 == 0) pumpEvents(5);
    }
    const std::string out = testing::internal::GetCapturedStdout();
    scene.rotationOpen = 0;
    EXPECT_LT(scene.ewaldDiameter, 0.0);
    EXPECT_NE(out.find("Labda -"), std::string::npos);
    onSpecialKey(GLUT_KEY_F5, 0, 0);  // lists for the negative diameter
    stubShift = true;
    onSpecialKey(GLUT_KEY_F2, 0, 0);  // camera box for the negative diameter
    stubShift = false;
    for (int i = 0; i < 5; ++i) onSpecialKey(GLUT_KEY_UP, 0, 0);
    pumpEvents(60);
    for (double v : projection()) EXPECT_TRUE(std::isfinite(v));

    // Exactly 0 and infinity: the box has no finite size, the camera reset leaves the camera.
    for (double d : {0.0, static_cast<double>(INFINITY)}) {
        scene.ewaldDiameter = d;
        const Mat p0 = projection();
        stubShift = true;
        onSpecialKey(GLUT_KEY_F2, 0, 0);
        stubShift = false;
        pumpEvents(30);
        EXPECT_EQ(projection(), p0) << "diameter " << d;
        EXPECT_EQ(currentMatrixMode(), GL_MODELVIEW);
    }
}

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
        const Mat p0 = projection(), m0 = modelview();
        onMouse(c.button, GLUT_DOWN, c.pressX, c.pressY);
        EXPECT_TRUE(redrawRequested([&] { onMotion(c.stepX, c.stepY); }));
        Mat want = p0;
        if (c.button == GLUT_LEFT_BUTTON) want = turned(turned(p0, c.aboutX, 0), c.aboutY, 1);
        else want = turned(p0, c.aboutZ, 2);
        expectMat(projection(), want, "projection");
        expectMat(modelview(), m0, "modelview");
        EXPECT_EQ(currentMatrixMode(), GL_MODELVIEW);
        EXPECT_EQ(lastMouseX, c.stepX);
        EXPECT_EQ(lastMouseY, c.stepY);
    }
}

TEST_F(Input, DragButtonFollowsTheLatestPressOrRelease) {
    tiltBothMatrices();
    const Mat p0 = projection();
    // A release only notes the button.
    onMouse(GLUT_LEFT_BUTTON, GLUT_DOWN, 100, 100);
    EXPECT_FALSE(redrawRequested([] { onMouse(GLUT_LEFT_BUTTON, GLUT_UP, 130, 140); }));
    EXPECT_EQ(dragButton, GLUT_LEFT_BUTTON);
    EXPECT_EQ(lastMouseX, 100);
    EXPECT_EQ(lastMouseY, 100);
    expectMat(projection(), p0, "after release");

    // The right button (the menu's) turns nothing, asks no redraw, keeps the stored position.
    onMouse(GLUT_RIGHT_BUTTON, GLUT_DOWN, 10, 10);
    EXPECT_EQ(dragButton, GLUT_RIGHT_BUTTON);
    EXPECT_FALSE(redrawRequested([] { onMotion(300, 300); }));
    EXPECT_EQ(lastMouseX, 100);
    EXPECT_EQ(lastMouseY, 100);
    expectMat(projection(), p0, "after right drag");

    // Releasing the middle button in the middle of a left drag: movement is read as middle.
    onMouse(GLUT_LEFT_BUTTON, GLUT_DOWN, 100, 100);
    onMouse(GLUT_MIDDLE_BUTTON, GLUT_UP, 100, 100);
    onMotion(104, 130);
    expectMat(projection(), turned(p0, -2, 2), "middle reading");
    EXPECT_EQ(currentMatrixMode(), GL_MODELVIEW);
}

TEST_F(Input, SpinTurnsAboutLabZOnlyWhileOnlyTheRotationFilmIsFed) {
    struct Case {
        int rotationOpen, weissenbergOpen;
        bool aboutLabZ;
    };
    const Case cases[] = {{1, 0, true}, {0, 0, false}, {0, 1, false}, {1, 1, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "flags " << c.rotationOpen << "," << c.weissenbergOpen);
        resetScene();
        tiltBothMatrices();
        const Mat p0 = projection(), m0 = modelview();
        scene.rotationOpen = c.rotationOpen;
        scene.weissenbergOpen = c.weissenbergOpen;
        EXPECT_TRUE(redrawRequested([] { onIdleSpin(); }));
        scene.rotationOpen = scene.weissenbergOpen = 0;
        expectMat(modelview(), c.aboutLabZ ? turned(m0, 0.3, 2) : timesRz(m0, 0.3), "modelview");
        expectMat(projection(), p0, "projection");
        EXPECT_EQ(currentMatrixMode(), GL_MODELVIEW);
    }
}

TEST_F(Input, SpinTurnsTheMainWindowWhicheverWindowIsCurrent) {
    tiltBothMatrices();
    const Mat m0 = modelview();
    const int other = glutCreateWindow("other");
    glutDisplayFunc([] {
        glClear(GL_COLOR_BUFFER_BIT);
        glutSwapBuffers();
    });
    glutPositionWindow(700, 600);  // beside the main window: a covered window is not redrawn
    glutReshapeWindow(60, 60);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    pumpEvents(30);
    const int before = mainRedrawCount();
    glutSetWindow(other);
    onIdleSpin();
    EXPECT_EQ(glutGetWindow(), scene.mainWindow);
    pumpEvents(40);
    EXPECT_GT(mainRedrawCount(), before);
    expectMat(modelview(), timesRz(m0, 0.3), "main modelview");
    glutSetWindow(other);
    expectMat(readMatrix(GL_MODELVIEW_MATRIX), Mat{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}, "other");
    glutDestroyWindow(other);
    pumpEvents(30);
    glutSetWindow(scene.mainWindow);
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
