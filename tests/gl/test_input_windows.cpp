// Commands that open and destroy the film windows, called through the real callbacks: which
// windows exist afterwards (by title, on the X server) and where, the flags and the log, keys
// typed in a film window, and that no sequence of them addresses a window that is already gone.
#include <gtest/gtest.h>
// After gtest: Xlib's macros (None, Bool) would collide with gtest's names.
#include <GL/glx.h>
#include <X11/Xlib.h>

#include <string>
#include <vector>

#include "gl/gl_harness.h"
#include "platform/app.h"
#include "platform/windows.h"

namespace {
// Windows on the X server whose title is exactly `title`.
int windowsTitled(const std::string& title) {
    pumpEvents(40);
    glutSetWindow(app.mainWindow);
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

// After every command the main window is usable: in modelview mode, and it still redraws.
void expectMainWindowAlive() {
    pumpEvents(40);
    glutSetWindow(app.mainWindow);
    EXPECT_EQ(currentMatrixMode(), GL_MODELVIEW);
    const int before = mainRedrawCount();
    glutPostRedisplay();
    pumpEvents(40);
    EXPECT_GT(mainRedrawCount(), before);
}

void fillLog(int n) {
    clearReflectionLog(app.session.log);
    for (int i = 0; i < n; ++i) appendReflection(app.session.log, 1, 1, 0, 0.0, 0.0);
}

// Where a window stands on the screen, from the toolkit.
struct Place {
    int x, y;
};
Place placeOf(int window) {
    glutSetWindow(window);
    const Place p{glutGet(GLUT_WINDOW_X), glutGet(GLUT_WINDOW_Y)};
    glutSetWindow(app.mainWindow);
    return p;
}

class InputWindows : public testing::Test {
protected:
    void SetUp() override {
        resetScene();
        pumpEvents(40);
    }
    void TearDown() override {
        stubShift = false;
        glutIdleFunc(nullptr);
        app.session.spinning = 0;
    }
};
}  // namespace

TEST_F(InputWindows, RotationFilmKeysOpenOneFreshRotationWindow) {
    for (bool viaMenu : {false, true}) {
        SCOPED_TRACE(viaMenu ? "menu 7" : "F7");
        resetScene();
        onSpecialKey(GLUT_KEY_F8, 0, 0);
        pumpEvents(60);
        glutSetWindow(app.mainWindow);
        fillLog(77);
        if (viaMenu) onMenu(7);
        else onSpecialKey(GLUT_KEY_F7, 0, 0);
        EXPECT_EQ(app.session.log.count(), 0);
        EXPECT_EQ(app.weissenbergWindow, 0);
        EXPECT_EQ(app.session.weissenbergOpen, 0);
        EXPECT_NE(app.rotationWindow, 0);
        EXPECT_EQ(app.session.currentLayer, 0);
        EXPECT_EQ(windowsTitled("Drehkristallaufnahme"), 1);
        EXPECT_EQ(windowsTitled("Weissenberg 0. Schicht"), 0);
        EXPECT_EQ(app.session.rotationOpen, 1) << "its first redraw sets the flag";
        expectMainWindowAlive();
    }
}

// The three windows side by side from the screen's top left corner: the main window, the
// rotation photograph, the Weissenberg photograph, none over another.
TEST_F(InputWindows, FilmWindowsOpenBesideTheMainWindow) {
    onSpecialKey(GLUT_KEY_F7, 0, 0);
    glutSetWindow(app.mainWindow);
    onKeyboard('0', 0, 0);
    pumpEvents(80);
    ASSERT_NE(app.rotationWindow, 0);
    ASSERT_NE(app.weissenbergWindow, 0);
    const Place main = placeOf(app.mainWindow), rotation = placeOf(app.rotationWindow),
                weissenberg = placeOf(app.weissenbergWindow);
    EXPECT_EQ(main.x, 0);
    EXPECT_EQ(main.y, 0);
    EXPECT_EQ(rotation.x, 536);
    EXPECT_EQ(rotation.y, 0);
    EXPECT_EQ(weissenberg.x, 1072);
    EXPECT_EQ(weissenberg.y, 0);
    // Both films follow the main window: wholly visible, each has redrawn.
    EXPECT_EQ(app.session.rotationOpen, 1);
    EXPECT_EQ(app.session.weissenbergOpen, 1);

    // A film the user moved is replaced where it stood.
    glutSetWindow(app.weissenbergWindow);
    glutPositionWindow(600, 580);
    pumpEvents(60);
    glutSetWindow(app.mainWindow);
    onKeyboard('2', 0, 0);
    pumpEvents(60);
    const Place moved = placeOf(app.weissenbergWindow);
    EXPECT_EQ(moved.x, 600);
    EXPECT_EQ(moved.y, 580);
    expectMainWindowAlive();
}

// Keys typed in a film window act as in the main window: the main window redraws.
TEST_F(InputWindows, KeysInAFilmWindowActOnTheMainWindow) {
    onSpecialKey(GLUT_KEY_F8, 0, 0);
    pumpEvents(60);
    const int film = app.weissenbergWindow;
    ASSERT_NE(film, 0);
    const int axes = app.session.showAxes;
    int before = mainRedrawCount();
    glutSetWindow(film);
    onKeyboard('x', 0, 0);
    pumpEvents(60);
    EXPECT_EQ(app.session.showAxes, axes == 0 ? 1 : 0);
    EXPECT_GT(mainRedrawCount(), before);

    glutSetWindow(film);
    onSpecialKey(GLUT_KEY_F12, 0, 0);
    EXPECT_EQ(app.session.spinning, 1);
    before = mainRedrawCount();
    glutSetWindow(film);
    stubShift = true;
    onSpecialKey(GLUT_KEY_UP, 0, 0);  // a crystal turn, Shift or not
    stubShift = false;
    pumpEvents(60);
    EXPECT_GT(mainRedrawCount(), before);
    glutSetWindow(film);
    onSpecialKey(GLUT_KEY_F11, 0, 0);
    EXPECT_EQ(app.session.spinning, 0);

    // A layer key typed in the Weissenberg window replaces that very window.
    glutSetWindow(film);
    onKeyboard('3', 0, 0);
    EXPECT_EQ(windowsTitled("Weissenberg 3. Schicht"), 1);
    EXPECT_EQ(windowsTitled("Weissenberg 0. Schicht"), 0);
    expectMainWindowAlive();
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
        glutSetWindow(app.mainWindow);
        fillLog(55);
        stubShift = s.shift;
        if (s.special) onSpecialKey(s.code, 0, 0);
        else onKeyboard(static_cast<unsigned char>(s.code), 0, 0);
        stubShift = false;
        EXPECT_EQ(app.session.currentLayer, s.layer);
        EXPECT_EQ(windowsTitled(s.title), 1);
        if (previous != nullptr && std::string(previous) != s.title) {
            EXPECT_EQ(windowsTitled(previous), 0);
        }
        EXPECT_EQ(app.session.weissenbergOpen, 1);
        previous = s.title;
    }
    expectMainWindowAlive();
}

TEST_F(InputWindows, MenuValuesForLayersOpenOneWindowEach) {
    onMenu(8);
    EXPECT_EQ(windowsTitled("Weissenberg 0. Schicht"), 1);
    glutSetWindow(app.mainWindow);
    onMenu(9);
    EXPECT_EQ(windowsTitled("Weissenberg 0. Schicht"), 0);
    EXPECT_EQ(windowsTitled("Weissenberg 1. Schicht"), 1);
    EXPECT_EQ(app.session.currentLayer, 1);
    expectMainWindowAlive();
}

TEST_F(InputWindows, WavelengthKeyOpensTheRotationFilmAndChangesNothingElse) {
    const double diameter = app.session.ewaldDiameter;
    const Mat4 camera = app.session.camera, crystal = app.session.orientation;
    testing::internal::CaptureStdout();
    onKeyboard('L', 0, 0);
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(out.find("Labda"), std::string::npos) << out;
    EXPECT_EQ(app.session.ewaldDiameter, diameter);
    EXPECT_EQ(app.session.lambdaEdited, 1);
    EXPECT_EQ(windowsTitled("Drehkristallaufnahme"), 1);
    EXPECT_EQ(app.session.camera, camera);
    EXPECT_EQ(app.session.orientation, crystal);
    // Now the film takes part, and the next press steps the wavelength.
    EXPECT_EQ(app.session.rotationOpen, 1);
    glutSetWindow(app.mainWindow);
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
        const char* weissenbergTitle;
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
            glutSetWindow(app.mainWindow);
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
    requestWindowClose(app.weissenbergWindow);
    pumpEvents(60);
    EXPECT_EQ(windowsTitled("Weissenberg 0. Schicht"), 0);
    EXPECT_EQ(app.weissenbergWindow, 0);
    glutSetWindow(app.mainWindow);
    onSpecialKey(GLUT_KEY_F9, 0, 0);
    EXPECT_EQ(windowsTitled("Weissenberg 1. Schicht"), 1);
    glutSetWindow(app.mainWindow);
    onSpecialKey(GLUT_KEY_F7, 0, 0);
    pumpEvents(60);
    requestWindowClose(app.rotationWindow);
    pumpEvents(60);
    glutSetWindow(app.mainWindow);
    onKeyboard('3', 0, 0);
    EXPECT_EQ(windowsTitled("Weissenberg 3. Schicht"), 1);
    EXPECT_EQ(windowsTitled("Drehkristallaufnahme"), 0);
    expectMainWindowAlive();
}
