// Commands that open and destroy the film windows, called directly in the real main window:
// which windows exist afterwards (by title, on the X server), the flags and the log, and
// that no sequence of them addresses a window that is already gone.
#include <gtest/gtest.h>
// After gtest: Xlib's macros (None, Bool) would collide with gtest's names.
#include <GL/glx.h>
#include <X11/Xlib.h>

#include <string>
#include <vector>

#include "app/scene_state.h"
#include "gl/gl_harness.h"
#include "input/input.h"

namespace {
// Windows on the X server whose title is exactly `title`.
int windowsTitled(const std::string& title) {
    pumpEvents(40);
    glutSetWindow(scene.mainWindow);
    Display* dpy = glXGetCurrentDisplay();
    XSync(dpy, False);
    ::Window root = 0, parent = 0, *children = nullptr;
    unsigned int n = 0;
    int count = 0;
    if (XQueryTree(dpy, DefaultRootWindow(dpy), &root, &parent, &children, &n) == 0) return 0;
    for (unsigned int i = 0; i < n; ++i) {
        char* name = nullptr;
        if (XFetchName(dpy, children[i], &name) != 0 && name != nullptr) {
            if (title == name) ++count;
            XFree(name);
        }
    }
    if (children != nullptr) XFree(children);
    return count;
}

// Film windows open where the main window is when no window manager places them, and
// the toolkit does not redraw a window that is fully covered: move them aside, as a user would.
void moveFilmWindowsAside() {
    const int ids[] = {scene.rotationWindow, scene.weissenbergWindow};
    const int x[] = {540, 540};
    const int y[] = {0, 500};
    for (int i = 0; i < 2; ++i) {
        if (ids[i] == 0) continue;
        glutSetWindow(ids[i]);
        glutPositionWindow(x[i], y[i]);
    }
    glutSetWindow(scene.mainWindow);
}

// After every command the main window is usable: current again, in modelview mode, and
// it still redraws.
void expectMainWindowAlive() {
    moveFilmWindowsAside();
    pumpEvents(40);
    glutSetWindow(scene.mainWindow);
    EXPECT_EQ(currentMatrixMode(), GL_MODELVIEW);
    const int before = mainRedrawCount();
    glutPostRedisplay();
    pumpEvents(40);
    EXPECT_GT(mainRedrawCount(), before);
}

class InputWindows : public testing::Test {
protected:
    void SetUp() override {
        resetScene();
        pumpEvents(40);
    }
    void TearDown() override { stubShift = false; }
};
}  // namespace

TEST_F(InputWindows, RotationFilmKeysOpenOneFreshRotationWindow) {
    for (bool viaMenu : {false, true}) {
        SCOPED_TRACE(viaMenu ? "menu 7" : "F7");
        resetScene();
        onSpecialKey(GLUT_KEY_F8, 0, 0);
        pumpEvents(60);
        glutSetWindow(scene.mainWindow);
        reflectionLog.logCount = 77;
        if (viaMenu) onMenu(7);
        else onSpecialKey(GLUT_KEY_F7, 0, 0);
        EXPECT_EQ(reflectionLog.logCount, 0);
        EXPECT_EQ(scene.weissenbergWindow, 0);
        EXPECT_EQ(scene.weissenbergOpen, 0);
        EXPECT_NE(scene.rotationWindow, 0);
        EXPECT_EQ(scene.currentLayer, 0);
        EXPECT_EQ(windowsTitled("Drehkristallaufnahme"), 1);
        EXPECT_EQ(windowsTitled("Weissenberg 0. Schicht"), 0);
        EXPECT_EQ(scene.rotationOpen, 1) << "its first redraw sets the flag";
        expectMainWindowAlive();
    }
}

TEST_F(InputWindows, LayerKeysReplaceTheWeissenbergWindow) {
    struct Step {
        bool special;
        int code;
        bool shift;
        const char* title;
        int layer;
    };
    const Step steps[] = {
        {true, GLUT_KEY_F8, false, "Weissenberg 0. Schicht", 0},
        {false, '3', false, "Weissenberg 3. Schicht", 3},
        {true, GLUT_KEY_F9, false, "Weissenberg 1. Schicht", 1},
        {false, '5', true, "Weissenberg -1. Schicht", -1},
        {false, '0', false, "Weissenberg 0. Schicht", 0},
    };
    const char* previous = nullptr;
    for (const Step& s : steps) {
        SCOPED_TRACE(s.title);
        glutSetWindow(scene.mainWindow);
        reflectionLog.logCount = 55;
        stubShift = s.shift;
        if (s.special) onSpecialKey(s.code, 0, 0);
        else onKeyboard(static_cast<unsigned char>(s.code), 0, 0);
        stubShift = false;
        EXPECT_EQ(scene.currentLayer, s.layer);
        EXPECT_EQ(windowsTitled(s.title), 1);
        if (previous != nullptr && std::string(previous) != s.title) {
            EXPECT_EQ(windowsTitled(previous), 0);
        }
        EXPECT_EQ(scene.weissenbergOpen, 1);
        previous = s.title;
    }
    expectMainWindowAlive();
}

TEST_F(InputWindows, MenuValuesForLayersOpenOneWindowEach) {
    onMenu(8);
    EXPECT_EQ(windowsTitled("Weissenberg 0. Schicht"), 1);
    glutSetWindow(scene.mainWindow);
    onMenu(9);
    EXPECT_EQ(windowsTitled("Weissenberg 0. Schicht"), 0);
    EXPECT_EQ(windowsTitled("Weissenberg 1. Schicht"), 1);
    EXPECT_EQ(scene.currentLayer, 1);
    expectMainWindowAlive();
}

TEST_F(InputWindows, WavelengthKeyOpensTheRotationFilmAndChangesNothingElse) {
    const double diameter = scene.ewaldDiameter;
    const auto projection = readMatrix(GL_PROJECTION_MATRIX);
    const auto modelview = readMatrix(GL_MODELVIEW_MATRIX);
    testing::internal::CaptureStdout();
    onKeyboard('L', 0, 0);
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(out.find("Labda"), std::string::npos) << out;
    EXPECT_EQ(scene.ewaldDiameter, diameter);
    EXPECT_EQ(scene.lambdaEdited, 1);
    EXPECT_EQ(windowsTitled("Drehkristallaufnahme"), 1);
    glutSetWindow(scene.mainWindow);
    EXPECT_EQ(readMatrix(GL_PROJECTION_MATRIX), projection);
    EXPECT_EQ(readMatrix(GL_MODELVIEW_MATRIX), modelview);
    // Now the film takes part, and the next press steps the wavelength.
    EXPECT_EQ(scene.rotationOpen, 1);
    testing::internal::CaptureStdout();
    onKeyboard('L', 0, 0);
    EXPECT_NE(testing::internal::GetCapturedStdout().find("Labda 1.530005"), std::string::npos);
    EXPECT_EQ(windowsTitled("Drehkristallaufnahme"), 1);
}

TEST_F(InputWindows, DestroySequencesNeverTouchAWindowThatIsGone) {
    // Each sequence ends with the main window alive and exactly the windows it should have.
    struct Step {
        bool special;
        int code;
    };
    struct Sequence {
        const char* name;
        std::vector<Step> steps;
        int rotationWindows;
        const char* weissenbergTitle;  // nullptr: none
    };
    const Sequence sequences[] = {
        {"F8 F7 F8", {{true, GLUT_KEY_F8}, {true, GLUT_KEY_F7}, {true, GLUT_KEY_F8}}, 1, "Weissenberg 0. Schicht"},
        {"F7 2", {{true, GLUT_KEY_F7}, {false, '2'}}, 1, "Weissenberg 2. Schicht"},
        {"F8 F7 F7 4 F9", {{true, GLUT_KEY_F8}, {true, GLUT_KEY_F7}, {true, GLUT_KEY_F7}, {false, '4'}, {true, GLUT_KEY_F9}},
         1, "Weissenberg 1. Schicht"},
        {"menu 8 7 8", {{true, -8}, {true, -7}, {true, -8}}, 1, "Weissenberg 0. Schicht"},
    };
    for (const Sequence& s : sequences) {
        SCOPED_TRACE(s.name);
        resetScene();
        for (const Step& step : s.steps) {
            glutSetWindow(scene.mainWindow);
            if (step.special && step.code < 0) onMenu(-step.code);
            else if (step.special) onSpecialKey(step.code, 0, 0);
            else onKeyboard(static_cast<unsigned char>(step.code), 0, 0);
            pumpEvents(60);
        }
        EXPECT_EQ(windowsTitled("Drehkristallaufnahme"), s.rotationWindows);
        EXPECT_EQ(windowsTitled(s.weissenbergTitle), 1);
        expectMainWindowAlive();
        // And a few crystal turns and redraws with the films following.
        for (int i = 0; i < 5; ++i) onSpecialKey(GLUT_KEY_UP, 0, 0);
        expectMainWindowAlive();
    }
}

TEST_F(InputWindows, FilmClosedByTheWindowManagerIsNotDestroyedAgain) {
    onSpecialKey(GLUT_KEY_F8, 0, 0);
    pumpEvents(60);
    requestWindowClose(scene.weissenbergWindow);
    pumpEvents(60);
    EXPECT_EQ(windowsTitled("Weissenberg 0. Schicht"), 0);
    EXPECT_EQ(scene.weissenbergWindow, 0);
    glutSetWindow(scene.mainWindow);
    onSpecialKey(GLUT_KEY_F9, 0, 0);
    EXPECT_EQ(windowsTitled("Weissenberg 1. Schicht"), 1);
    glutSetWindow(scene.mainWindow);
    onSpecialKey(GLUT_KEY_F7, 0, 0);
    pumpEvents(60);
    requestWindowClose(scene.rotationWindow);
    pumpEvents(60);
    glutSetWindow(scene.mainWindow);
    onKeyboard('3', 0, 0);
    EXPECT_EQ(windowsTitled("Weissenberg 3. Schicht"), 1);
    EXPECT_EQ(windowsTitled("Drehkristallaufnahme"), 0);
    expectMainWindowAlive();
}
