// The film windows in real windows: what they show, the film mouse buttons, the kept
// traces after a wavelength change, several rotation windows, and closing a film window.
#include <gtest/gtest.h>
// After gtest: Xlib defines macros (None, Bool) that gtest's own names would collide with.
#include <GL/glx.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "app/scene_state.h"
#include "film/film_coords.h"
#include "film/film_windows.h"
#include "gl/gl_harness.h"
#include "view/view.h"

namespace {

constexpr double kPi = 3.14159265358979323846;

const Rgb kWhite{255, 255, 255};
const Rgb kBlack{0, 0, 0};
const Rgb kGreen{0, 255, 0};
const Rgb kMagenta{255, 0, 255};
const Rgb kOrange{255, 179, 0};  // green 0.7 of 255, rounded
const Rgb kYellow{255, 255, 0};
const Rgb kBlue{0, 0, 255};
const Rgb kRed{255, 0, 0};

bool operator==(Rgb a, Rgb b) { return a.r == b.r && a.g == b.g && a.b == b.b; }

// The main redraw is kept out of these tests (it would turn the scene's values and the log
// into those of the main window's orientation) except where a test asks for it.
void quietMainRedraw() {}

bool near(Rgb a, Rgb b) {
    return std::abs(a.r - b.r) <= 1 && std::abs(a.g - b.g) <= 1 && std::abs(a.b - b.b) <= 1;
}

std::string show(Rgb c) {
    return "(" + std::to_string(c.r) + "," + std::to_string(c.g) + "," + std::to_string(c.b) + ")";
}

// The pixel (x from the left, y from the top) that holds the film point (fx, fy).
struct Pixel {
    int x, y;
};
Pixel filmPixel(const Picture& p, double fx, double fy) {
    const int column = static_cast<int>(std::floor((static_cast<float>(fx) + 1.0) * p.width / 2));
    const int row = static_cast<int>(std::floor((static_cast<float>(fy) + 1.0) * p.height / 2));
    return {column, p.height - 1 - row};
}

void expectFilmColour(const Picture& p, double fx, double fy, Rgb want, const char* what) {
    if (p.width == 0) return;
    const Pixel at = filmPixel(p, fx, fy);
    const Rgb got = p.pixel(at.x, at.y);
    EXPECT_TRUE(near(got, want)) << what << " at film (" << fx << ", " << fy << ") pixel (" << at.x << ", "
                                 << at.y << "): " << show(got) << ", want " << show(want);
}

// The black cross through the centre: along each line one of the two pixels beside the
// centre line is black; a few pixels away from the lines, and in the corners, it is white.
void expectCrossOnWhite(const Picture& p) {
    if (p.width == 0) return;
    const int cx = p.width / 2, cy = p.height / 2;
    for (int t : {20, p.width / 4, 3 * p.width / 4, p.width - 20}) {
        EXPECT_TRUE(p.pixel(t, cy) == kBlack || p.pixel(t, cy - 1) == kBlack) << "horizontal line at " << t;
        EXPECT_TRUE(p.pixel(cx, t) == kBlack || p.pixel(cx - 1, t) == kBlack) << "vertical line at " << t;
        EXPECT_EQ(show(p.pixel(t, cy + 6)), show(kWhite));
        EXPECT_EQ(show(p.pixel(cx + 6, t)), show(kWhite));
    }
    for (Pixel c : {Pixel{5, 5}, Pixel{p.width - 6, 5}, Pixel{5, p.height - 6}, Pixel{p.width - 6, p.height - 6}})
        EXPECT_EQ(show(p.pixel(c.x, c.y)), show(kWhite));
}

int whitePixels(const Picture& p) {
    int n = 0;
    for (int y = 0; y < p.height; ++y)
        for (int x = 0; x < p.width; ++x) n += p.pixel(x, y) == kWhite ? 1 : 0;
    return n;
}

std::string windowTitle(int window) {
    const int previous = glutGetWindow();
    glutSetWindow(window);
    char* name = nullptr;
    XFetchName(glXGetCurrentDisplay(), glXGetCurrentDrawable(), &name);
    std::string title = name != nullptr ? name : "";
    if (name != nullptr) XFree(name);
    if (previous != 0) glutSetWindow(previous);
    return title;
}

// What the window shows on the screen (the harness reads it from the X server); the film
// checks need the whole window on the screen, uncovered.
Picture screenPicture(int window) {
    const int previous = glutGetWindow();
    glutSetWindow(window);
    Display* dpy = glXGetCurrentDisplay();
    const Window xwin = glXGetCurrentDrawable();
    XWindowAttributes attributes;
    XGetWindowAttributes(dpy, xwin, &attributes);
    int rootX = 0, rootY = 0;
    Window child;
    XTranslateCoordinates(dpy, xwin, attributes.root, 0, 0, &rootX, &rootY, &child);
    const bool onScreen = rootX >= 0 && rootY >= 0 && rootX + attributes.width <= WidthOfScreen(attributes.screen) &&
                          rootY + attributes.height <= HeightOfScreen(attributes.screen);
    if (previous != 0) glutSetWindow(previous);
    EXPECT_TRUE(onScreen) << "window " << window << " is not wholly on the screen";
    if (!onScreen) return {};
    return readPicture(window);
}

unsigned long xWindowOf(int window) {
    const int previous = glutGetWindow();
    glutSetWindow(window);
    const auto id = static_cast<unsigned long>(glXGetCurrentDrawable());
    if (previous != 0) glutSetWindow(previous);
    return id;
}

// Film windows apart from each other and from the main window, so that each one's picture
// is its own.
void placeFilmWindows() {
    if (scene.mainWindow != 0) {
        glutSetWindow(scene.mainWindow);
        glutPositionWindow(0, 560);
    }
    if (scene.rotationWindow != 0) {
        glutSetWindow(scene.rotationWindow);
        glutPositionWindow(0, 0);
    }
    if (scene.weissenbergWindow != 0) {
        glutSetWindow(scene.weissenbergWindow);
        glutPositionWindow(600, 0);
    }
    pumpEvents(60);
}

// Asks a film window to redraw, as the main window's redraw does, and lets it happen.
void redrawFilm(int window) {
    glutPostWindowRedisplay(window);
    pumpEvents(40);
}

class FilmWindows : public testing::Test {
protected:
    void SetUp() override {
        resetScene();
        if (scene.mainWindow != 0) {
            glutSetWindow(scene.mainWindow);
            glutDisplayFunc(quietMainRedraw);
        }
        // A simple laboratory basis: a* along x, b* along y, c* along z (cell 5 5 5 90 90 90,
        // crystal not turned), lambda 1.5418.
        scene.aStarRot = {0.2, 0.0, 0.0};
        scene.bStarRot = {0.0, 0.2, 0.0};
        scene.cStarRot = {0.0, 0.0, 0.2};
        scene.crystalAngle = 0.5;
        scene.ewaldDiameter = 2.0 / 1.5418;
        rotationFilmRadius = 0.5;
        rotationFilmRadiusSet = true;
    }
    void TearDown() override {
        if (scene.mainWindow != 0) {
            glutSetWindow(scene.mainWindow);
            glutDisplayFunc(drawReciprocalLattice);
        }
    }
};

}  // namespace

TEST_F(FilmWindows, OpenersReturnWithTheirWindowsAndEmptyLogShowsTheCross) {
    scene.currentLayer = -1;
    openRotationWindow();
    const int rotation = scene.rotationWindow;
    ASSERT_NE(rotation, 0);
    EXPECT_EQ(glutGetWindow(), rotation);
    EXPECT_EQ(glutGet(GLUT_WINDOW_WIDTH), 520);
    EXPECT_EQ(glutGet(GLUT_WINDOW_HEIGHT), 520);
    EXPECT_GT(glutGet(GLUT_WINDOW_DEPTH_SIZE), 0);
    EXPECT_EQ(glutGet(GLUT_WINDOW_DOUBLEBUFFER), 1);
    openWeissenbergWindow();
    ASSERT_NE(scene.weissenbergWindow, 0);
    EXPECT_EQ(glutGetWindow(), scene.weissenbergWindow);
    EXPECT_EQ(glutGet(GLUT_WINDOW_DEPTH_SIZE), 0);
    EXPECT_EQ(glutGet(GLUT_WINDOW_DOUBLEBUFFER), 1);
    EXPECT_EQ(scene.rotationOpen, 0);  // opening changes no flag; the first redraw does
    EXPECT_EQ(scene.weissenbergOpen, 0);
    EXPECT_EQ(windowTitle(rotation), "Drehkristallaufnahme");
    EXPECT_EQ(windowTitle(scene.weissenbergWindow), "Weissenberg -1. Schicht");

    placeFilmWindows();
    EXPECT_EQ(scene.rotationOpen, 1);
    EXPECT_EQ(scene.weissenbergOpen, 1);
    expectCrossOnWhite(screenPicture(scene.rotationWindow));
    expectCrossOnWhite(screenPicture(scene.weissenbergWindow));
}

TEST_F(FilmWindows, FilmRadiusIsLatchedAtTheFirstRotationRedrawOnly) {
    rotationFilmRadiusSet = false;
    scene.ewaldDiameter = 1.25;
    openRotationWindow();
    pumpEvents(60);
    EXPECT_TRUE(rotationFilmRadiusSet);
    EXPECT_EQ(rotationFilmRadius, 0.625);
    destroyRotationWindow();
    scene.ewaldDiameter = 1.5;
    openRotationWindow();
    pumpEvents(60);
    EXPECT_EQ(scene.rotationOpen, 1);
    EXPECT_EQ(rotationFilmRadius, 0.625);  // neither a new window nor a new diameter changes it
}

TEST_F(FilmWindows, RotationFilmPutsEachColourAtItsPosition) {
    struct Entry {
        int h, k, l;
        double angle;
        double presetY;  // rotationY held before the redraw
        Rgb colour;
        const char* what;
    } entries[] = {
        {1, -1, 1, 0.5, 0, kGreen, "h = 1 before k = -1"},
        {-1, 0, 2, 0.5, 0, kMagenta, "h = -1, second layer line"},
        {0, 1, -1, 0.5, 0, kOrange, "k = 1"},
        {2, -1, 0, 0.5, 0, kBlue, "k = -1 on the equator"},
        {2, 2, 1, 0.25, 0.6, kRed, "logged earlier: drawn at the ordinate it holds"},
        {0, 0, -2, 0.5, 0, kRed, "(0, 0, l)"},
    };
    reflectionLog.logCount = 0;
    for (const Entry& e : entries) {
        reflectionLog.rotationY[reflectionLog.logCount] = e.presetY;
        appendReflection(reflectionLog, e.h, e.k, e.l, e.angle);
    }
    openRotationWindow();
    placeFilmWindows();
    ASSERT_EQ(scene.rotationOpen, 1);
    const Picture p = screenPicture(scene.rotationWindow);
    for (const Entry& e : entries) {
        const double ux = 0.2 * e.h, uy = 0.2 * e.k, uz = 0.2 * e.l;
        const double x = rotationAbscissa(uz, 0.5);
        const double y = e.angle == scene.crystalAngle ? azimuthOrdinate(ux, uy, scene.ewaldDiameter) : e.presetY;
        expectFilmColour(p, x, y, e.colour, e.what);
    }
    EXPECT_EQ(reflectionLog.rotationY[4], 0.6);
    EXPECT_EQ(reflectionLog.rotationY[0], azimuthOrdinate(0.2, -0.2, scene.ewaldDiameter));
}

TEST_F(FilmWindows, WeissenbergFilmDrawsTheCurrentLayerWithItsColourRule) {
    scene.currentLayer = 1;
    scene.cStarRot = {0.05, 0.1, 0.2};  // (0, 0, 1) off the cross lines
    struct Entry {
        int h, k, l;
        double angle;
        double presetY;
        Rgb colour;  // white: must not be drawn
        const char* what;
    } entries[] = {
        {0, 0, 1, 0.5, 0, kBlack, "h = k = 0 first: black"},
        {1, 0, 1, 0.5, 0, kGreen, "h = 1"},
        {0, 0, 1, -1.0, 0.6, kGreen, "h = k = 0 after green"},
        {0, 1, 0, 1.5, 0.3, kWhite, "other layer: not drawn"},
        {0, 1, 1, 2.0, -0.2, kYellow, "k = 1"},
        {0, -1, 1, 2.5, -0.4, kBlue, "k = -1"},
        {0, 0, 1, kPi, -0.7, kBlue, "h = k = 0 after blue, left edge"},
    };
    reflectionLog.logCount = 0;
    for (const Entry& e : entries) {
        reflectionLog.weissenbergY[reflectionLog.logCount] = e.presetY;
        appendReflection(reflectionLog, e.h, e.k, e.l, e.angle);
    }
    openWeissenbergWindow();
    EXPECT_EQ(windowTitle(scene.weissenbergWindow), "Weissenberg 1. Schicht");
    placeFilmWindows();
    ASSERT_EQ(scene.weissenbergOpen, 1);
    const Picture p = screenPicture(scene.weissenbergWindow);
    for (const Entry& e : entries) {
        const double ux = 0.2 * e.h + 0.05 * e.l, uy = 0.2 * e.k + 0.1 * e.l;
        const double y = e.angle == scene.crystalAngle ? azimuthOrdinate(ux, uy, scene.ewaldDiameter) : e.presetY;
        // the left edge: the point's centre lies on the border, its right half is drawn
        const double x = e.angle == kPi ? -1.0 + 1.0 / p.width : -e.angle / kPi;
        expectFilmColour(p, x, y, e.colour, e.what);
    }
    EXPECT_EQ(reflectionLog.weissenbergY[3], 0.3);  // other layer's slot is not written
}

TEST_F(FilmWindows, LeftClickFreezesBothFilmsAndRedrawsNothing) {
    openRotationWindow();
    openWeissenbergWindow();
    placeFilmWindows();
    ASSERT_EQ(scene.rotationOpen, 1);
    ASSERT_EQ(scene.weissenbergOpen, 1);

    glutSetWindow(scene.weissenbergWindow);
    onFilmMouse(GLUT_LEFT_BUTTON, GLUT_DOWN, 10, 10);
    pumpEvents(60);
    EXPECT_EQ(scene.rotationOpen, 0);
    EXPECT_EQ(scene.weissenbergOpen, 0);  // a redraw of either window would have set its flag

    // The middle button does nothing.
    onFilmMouse(GLUT_MIDDLE_BUTTON, GLUT_DOWN, 10, 10);
    pumpEvents(40);
    EXPECT_EQ(scene.rotationOpen, 0);

    // A real left click, through the X server, in the rotation window.
    redrawFilm(scene.rotationWindow);
    redrawFilm(scene.weissenbergWindow);
    ASSERT_EQ(scene.rotationOpen, 1);
    ASSERT_EQ(scene.weissenbergOpen, 1);
    char command[160];
    std::snprintf(command, sizeof command, "xdotool mousemove --window %lu 100 100 click 1",
                  xWindowOf(scene.rotationWindow));
    ASSERT_EQ(std::system(command), 0);
    pumpEvents(150);
    EXPECT_EQ(scene.rotationOpen, 0);
    EXPECT_EQ(scene.weissenbergOpen, 0);
}

TEST_F(FilmWindows, RightClickEmptiesTheLogAndRedrawsTheClickedWindow) {
    appendReflection(reflectionLog, 0, 1, 1, scene.crystalAngle);  // orange
    openRotationWindow();
    openWeissenbergWindow();
    placeFilmWindows();
    const double x = rotationAbscissa(0.2, 0.5);
    const double y = azimuthOrdinate(0.0, 0.2, scene.ewaldDiameter);
    expectFilmColour(screenPicture(scene.rotationWindow), x, y, kOrange, "before the click");

    scene.rotationOpen = 0;
    scene.weissenbergOpen = 0;
    glutSetWindow(scene.rotationWindow);
    onFilmMouse(GLUT_RIGHT_BUTTON, GLUT_DOWN, 10, 10);
    EXPECT_EQ(reflectionLog.logCount, 0);
    pumpEvents(60);
    EXPECT_EQ(scene.rotationOpen, 1);     // the clicked window was redrawn
    EXPECT_EQ(scene.weissenbergOpen, 0);  // the other one was not
    const Picture p = screenPicture(scene.rotationWindow);
    expectCrossOnWhite(p);
    EXPECT_GE(whitePixels(p), 520 * 520 - 1040);  // nothing but the cross
}

TEST_F(FilmWindows, EditedModeKeepsTracesThoughTheBackBufferIsPaintedOver) {
    scene.lambdaEdited = 1;
    appendReflection(reflectionLog, 1, 1, 1, scene.crystalAngle);  // green
    openRotationWindow();
    placeFilmWindows();
    ASSERT_EQ(scene.rotationOpen, 1);
    const double x = rotationAbscissa(0.2, 0.5);
    const double firstY = editedOrdinate(0.2, 0.5);
    expectFilmColour(screenPicture(scene.rotationWindow), x, firstY, kGreen, "first position");

    // The crystal turns: the spot moves. Meanwhile the back buffer is painted over.
    glutSetWindow(scene.rotationWindow);
    glClearColor(0, 1, 1, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    glClearColor(1, 1, 1, 1);
    scene.bStarRot = {-0.1, 0.4, 0.0};  // u = (0.1, 0.4, 0.2)
    const double secondY = editedOrdinate(0.4, 0.5);
    redrawFilm(scene.rotationWindow);
    Picture p = screenPicture(scene.rotationWindow);
    expectFilmColour(p, x, firstY, kGreen, "trace of the first position");
    expectFilmColour(p, x, secondY, kGreen, "second position");
    EXPECT_EQ(show(p.pixel(30, 30)), show(kWhite));  // not the paint of the back buffer
    expectCrossOnWhite(p);

    // Frozen, then redrawn: the film starts blank.
    glutSetWindow(scene.rotationWindow);
    onFilmMouse(GLUT_LEFT_BUTTON, GLUT_DOWN, 0, 0);
    redrawFilm(scene.rotationWindow);
    EXPECT_EQ(scene.rotationOpen, 1);
    p = screenPicture(scene.rotationWindow);
    expectFilmColour(p, x, firstY, kWhite, "trace gone after the freeze");
    expectFilmColour(p, x, secondY, kGreen, "current position");

    // Without the edited mode every redraw starts blank, and the ordinate is the latched one.
    scene.lambdaEdited = 0;
    redrawFilm(scene.rotationWindow);
    p = screenPicture(scene.rotationWindow);
    expectFilmColour(p, x, secondY, kWhite, "edited position gone");
    expectFilmColour(p, x, azimuthOrdinate(0.1, 0.4, scene.ewaldDiameter), kGreen, "latched ordinate");
}

TEST_F(FilmWindows, AnOlderRotationWindowNeitherFollowsNorLendsItsTraces) {
    scene.lambdaEdited = 1;
    appendReflection(reflectionLog, 1, 1, 1, scene.crystalAngle);  // green
    openRotationWindow();
    const int older = scene.rotationWindow;
    placeFilmWindows();
    ASSERT_EQ(scene.rotationOpen, 1);
    const double x = rotationAbscissa(0.2, 0.5);
    const double firstY = editedOrdinate(0.2, 0.5);
    expectFilmColour(screenPicture(older), x, firstY, kGreen, "older window");

    // Frozen; the crystal turns; a wavelength key opens another window while the older one
    // stays on screen.
    scene.rotationOpen = 0;
    scene.bStarRot = {-0.1, 0.4, 0.0};
    const double secondY = editedOrdinate(0.4, 0.5);
    openRotationWindow();
    const int newer = scene.rotationWindow;
    ASSERT_NE(newer, older);
    glutSetWindow(older);
    glutPositionWindow(600, 0);
    glutSetWindow(newer);
    glutPositionWindow(0, 0);
    pumpEvents(80);
    EXPECT_EQ(scene.rotationOpen, 1);  // the newer window's first redraw

    scene.bStarRot = {-0.1, -0.4, 0.0};
    const double thirdY = editedOrdinate(-0.4, 0.5);
    redrawFilm(newer);
    Picture p = screenPicture(newer);
    expectFilmColour(p, x, thirdY, kGreen, "newer window, current position");
    expectFilmColour(p, x, secondY, kGreen, "newer window, its own trace");
    expectFilmColour(p, x, firstY, kWhite, "newer window, nothing of the older one");

    // A redraw of the older window does not make the films follow again, and starts blank.
    scene.rotationOpen = 0;
    redrawFilm(older);
    EXPECT_EQ(scene.rotationOpen, 0);
    p = screenPicture(older);
    expectFilmColour(p, x, thirdY, kGreen, "older window redrawn");
    expectFilmColour(p, x, firstY, kWhite, "older window starts blank");

    // Closing the older window leaves the newer one named and following, with its traces.
    scene.rotationOpen = 1;
    requestWindowClose(older);
    pumpEvents(80);
    EXPECT_EQ(scene.rotationWindow, newer);
    EXPECT_EQ(scene.rotationOpen, 1);
    redrawFilm(newer);
    p = screenPicture(newer);
    expectFilmColour(p, x, secondY, kGreen, "newer window after the close, trace");
    expectFilmColour(p, x, thirdY, kGreen, "newer window after the close");
}

namespace {

// The films drawn entry by entry, one point per glBegin/glEnd with its own translation, in
// log order: the picture that the films' one-pass drawing must reproduce pixel for pixel.
// Reads the ordinates the film's own redraw has just latched.
bool referenceWeissenberg = false;
void drawPointByPoint() {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    drawFilmCross();
    const ReflectionLog& log = reflectionLog;
    for (int i = 0; i < log.logCount; ++i) {
        const int h = log.logH[i], k = log.logK[i], l = log.logL[i];
        if (referenceWeissenberg && l != scene.currentLayer) continue;
        const double uy = h * scene.aStarRot.y + k * scene.bStarRot.y + l * scene.cStarRot.y;
        const double uz = h * scene.aStarRot.z + k * scene.bStarRot.z + l * scene.cStarRot.z;
        double x = 0, y = 0;
        if (referenceWeissenberg) {
            x = weissenbergAbscissa(log.logAngle[i]);
            y = log.weissenbergY[i];
        } else {
            x = rotationAbscissa(uz, rotationFilmRadius);
            y = scene.lambdaEdited ? editedOrdinate(uy, rotationFilmRadius) : log.rotationY[i];
        }
        if (!std::isfinite(static_cast<float>(x)) || !std::isfinite(static_cast<float>(y))) continue;
        glLoadIdentity();
        glTranslated(x, y, 0);
        FilmColour c{};
        if (!referenceWeissenberg) c = rotationColour(h, k);
        if (!referenceWeissenberg || weissenbergColour(h, k, &c)) glColor3f(c.r, c.g, c.b);
        glPointSize(3);
        glBegin(GL_POINTS);
        glVertex3d(0, 0, 0);
        glEnd();
    }
    glFlush();
    glutSwapBuffers();
}

int differingPixels(const Picture& a, const Picture& b) {
    if (a.width != b.width || a.height != b.height) return -1;
    int n = 0;
    for (size_t i = 0; i < a.rgb.size(); i += 3)
        n += (a.rgb[i] != b.rgb[i] || a.rgb[i + 1] != b.rgb[i + 1] || a.rgb[i + 2] != b.rgb[i + 2]) ? 1 : 0;
    return n;
}

// A crowded log: few reflections logged many times, ordinates on and beside pixel edges,
// on the cross and at the film's border, colours overlapping one another.
void fillCrowdedLog() {
    std::mt19937 random(11);
    std::uniform_int_distribution<int> index(-3, 3);
    std::uniform_int_distribution<int> edge(-260, 260);
    std::uniform_int_distribution<int> pick(0, 5);
    const double nudges[] = {0.0, 1e-7, -1e-7, 1.0 / 512, -1.0 / 512, 0.5};
    reflectionLog.logCount = 0;
    for (int i = 0; i < 30000; ++i) {
        const int slot = reflectionLog.logCount;
        const int choice = pick(random);
        // held ordinate: a pixel edge (j / 260 of the half height), nudged a little or half a pixel
        reflectionLog.rotationY[slot] = (edge(random) + nudges[pick(random)]) / 260.0;
        reflectionLog.weissenbergY[slot] = (edge(random) + nudges[pick(random)]) / 260.0;
        const double angle = choice == 0 ? scene.crystalAngle : (edge(random) + nudges[choice]) / 260.0 * kPi;
        appendReflection(reflectionLog, index(random), index(random), index(random) % 3, angle);
    }
}

}  // namespace

TEST_F(FilmWindows, OnePassPictureEqualsPointByPointDrawing) {
    scene.aStarRot = {0.17, 0.05, 0.0};  // a* and b* in the equator plane: layer 0 on the cross
    scene.bStarRot = {-0.04, 0.19, 0.0};
    scene.cStarRot = {0.01, 0.02, 0.21};
    scene.crystalAngle = 0.3;
    scene.currentLayer = 1;
    fillCrowdedLog();
    openRotationWindow();
    openWeissenbergWindow();
    placeFilmWindows();

    struct Case {
        int* window;
        int weissenberg;
        int edited;
    } cases[] = {{&scene.rotationWindow, 0, 0}, {&scene.rotationWindow, 0, 1}, {&scene.weissenbergWindow, 1, 0}};
    for (const Case& c : cases) {
        const int window = *c.window;
        scene.lambdaEdited = c.edited;
        scene.rotationOpen = 0;  // the next redraw clears in the edited mode too
        glutSetWindow(window);
        glutDisplayFunc(c.weissenberg ? drawWeissenbergPhoto : drawRotationPhoto);
        redrawFilm(window);
        const Picture film = screenPicture(window);
        referenceWeissenberg = c.weissenberg != 0;
        glutSetWindow(window);
        glutDisplayFunc(drawPointByPoint);
        redrawFilm(window);
        const Picture reference = screenPicture(window);
        glutSetWindow(window);
        glutDisplayFunc(c.weissenberg ? drawWeissenbergPhoto : drawRotationPhoto);
        EXPECT_LT(whitePixels(reference), 520 * 520 - 2000) << "the log covers much of the film";
        EXPECT_EQ(differingPixels(film, reference), 0) << "weissenberg " << c.weissenberg << " edited " << c.edited;
    }
}

TEST_F(FilmWindows, ClosingAFilmWindowLeavesTheProgramRunning) {
    appendReflection(reflectionLog, 1, 0, 1, scene.crystalAngle);
    openRotationWindow();
    openWeissenbergWindow();
    placeFilmWindows();
    ASSERT_EQ(scene.rotationOpen, 1);
    ASSERT_EQ(scene.weissenbergOpen, 1);

    requestWindowClose(scene.rotationWindow);
    pumpEvents(80);
    EXPECT_EQ(scene.rotationWindow, 0);
    EXPECT_EQ(scene.rotationOpen, 0);
    EXPECT_EQ(scene.weissenbergOpen, 1);
    EXPECT_EQ(reflectionLog.logCount, 1);  // the log survives

    requestWindowClose(scene.weissenbergWindow);
    pumpEvents(80);
    EXPECT_EQ(scene.weissenbergWindow, 0);
    EXPECT_EQ(scene.weissenbergOpen, 0);

    // The main window's next redraw asks nothing of the closed windows.
    if (scene.mainWindow != 0) {
        glutSetWindow(scene.mainWindow);
        glutDisplayFunc(drawReciprocalLattice);
        glutPostRedisplay();
        pumpEvents(200);
        EXPECT_EQ(scene.rotationWindow, 0);
    }
    destroyRotationWindow();  // with id 0: nothing to destroy
    destroyWeissenbergWindow();
    pumpEvents(20);
}
