// The film windows in real windows: what they show at the logged positions, the film mouse
// buttons, the kept traces after a wavelength change, several rotation windows, a film frozen
// while the spin goes on, and closing a film window.
#include <gtest/gtest.h>
// After gtest: Xlib defines macros (None, Bool) that gtest's own names would collide with.
#include <GL/glx.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "gl/film_by_hand.h"
#include "gl/gl_harness.h"
#include "model/film_geometry.h"
#include "platform/app.h"
#include "platform/windows.h"
#include "render/colours.h"
#include "session/commands.h"

namespace {

const Rgb kWhiteRgb{255, 255, 255};
const Rgb kBlackRgb{0, 0, 0};
const Rgb kGreenRgb{0, 255, 0};
const Rgb kMagentaRgb{255, 0, 255};
const Rgb kOrangeRgb{255, 179, 0};  // green 0.7 of 255, rounded
const Rgb kYellowRgb{255, 255, 0};
const Rgb kBlueRgb{0, 0, 255};
const Rgb kRedRgb{255, 0, 0};

bool operator==(Rgb a, Rgb b) { return a.r == b.r && a.g == b.g && a.b == b.b; }

// The main redraw is kept out of most of these tests (it would scan and log at the main
// window's orientation); the tests set the latest step and the log themselves.
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
        EXPECT_TRUE(p.pixel(t, cy) == kBlackRgb || p.pixel(t, cy - 1) == kBlackRgb) << "horizontal line at " << t;
        EXPECT_TRUE(p.pixel(cx, t) == kBlackRgb || p.pixel(cx - 1, t) == kBlackRgb) << "vertical line at " << t;
        EXPECT_EQ(show(p.pixel(t, cy + 6)), show(kWhiteRgb));
        EXPECT_EQ(show(p.pixel(cx + 6, t)), show(kWhiteRgb));
    }
    for (Pixel c : {Pixel{5, 5}, Pixel{p.width - 6, 5}, Pixel{5, p.height - 6}, Pixel{p.width - 6, p.height - 6}})
        EXPECT_EQ(show(p.pixel(c.x, c.y)), show(kWhiteRgb));
}

int whitePixels(const Picture& p) {
    int n = 0;
    for (int y = 0; y < p.height; ++y)
        for (int x = 0; x < p.width; ++x) n += p.pixel(x, y) == kWhiteRgb ? 1 : 0;
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

// What the window shows on the screen; the film checks need the whole window on the screen.
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

// Asks a film window to redraw, as the main window's redraw does, and lets it happen.
void redrawFilm(int window) {
    glutPostWindowRedisplay(window);
    pumpEvents(40);
}

// Lets the films opened by a command map and draw for the first time.
void showFilms() { pumpEvents(80); }

Session& session() { return app.session; }

void logEntry(int h, int k, int l, double angle, double ordinate) {
    appendReflection(session().log, h, k, l, angle, ordinate);
}

class FilmWindows : public testing::Test {
protected:
    void SetUp() override {
        resetScene();
        glutSetWindow(app.mainWindow);
        glutDisplayFunc(quietMainRedraw);
        // A simple laboratory basis as the latest step left it: a* along x, b* along y, c*
        // along z (cell 5 5 5 90 90 90, crystal not turned), lambda 1.5418.
        ScanResult& step = session().lastScan;
        step.aStarRot = {0.2, 0.0, 0.0};
        step.bStarRot = {0.0, 0.2, 0.0};
        step.cStarRot = {0.0, 0.0, 0.2};
        step.crystalAngle = 0.5;
        session().rotationFilmRadius = 0.5;
        session().rotationFilmRadiusSet = true;
    }
    void TearDown() override {
        useCountingMainDisplay();
        glutIdleFunc(nullptr);
    }
};

}  // namespace

TEST_F(FilmWindows, OpenersReturnWithTheirWindowsAndEmptyLogShowsTheCross) {
    session().currentLayer = -1;
    openRotationWindow();
    const int rotation = app.rotationWindow;
    ASSERT_NE(rotation, 0);
    EXPECT_EQ(glutGetWindow(), rotation);
    EXPECT_EQ(glutGet(GLUT_WINDOW_WIDTH), 520);
    EXPECT_EQ(glutGet(GLUT_WINDOW_HEIGHT), 520);
    EXPECT_GT(glutGet(GLUT_WINDOW_DEPTH_SIZE), 0);
    EXPECT_EQ(glutGet(GLUT_WINDOW_DOUBLEBUFFER), 1);
    openWeissenbergWindow();
    ASSERT_NE(app.weissenbergWindow, 0);
    EXPECT_EQ(glutGetWindow(), app.weissenbergWindow);
    EXPECT_EQ(glutGet(GLUT_WINDOW_DEPTH_SIZE), 0);
    EXPECT_EQ(glutGet(GLUT_WINDOW_DOUBLEBUFFER), 1);
    EXPECT_EQ(session().rotationOpen, 0);  // opening changes no flag; the first redraw does
    EXPECT_EQ(session().weissenbergOpen, 0);
    EXPECT_EQ(windowTitle(rotation), "Drehkristallaufnahme");
    EXPECT_EQ(windowTitle(app.weissenbergWindow), "Weissenberg -1. Schicht");

    showFilms();
    EXPECT_EQ(session().rotationOpen, 1);
    EXPECT_EQ(session().weissenbergOpen, 1);
    expectCrossOnWhite(screenPicture(app.rotationWindow));
    expectCrossOnWhite(screenPicture(app.weissenbergWindow));
}

TEST_F(FilmWindows, RotationFilmPutsEachColourAtItsLoggedPosition) {
    struct Entry {
        int h, k, l;
        double ordinate;  // as logged
        Rgb colour;
        const char* what;
    } entries[] = {
        {1, -1, 1, 0.31, kGreenRgb, "h = 1 before k = -1"},
        {-1, 0, 2, -0.52, kMagentaRgb, "h = -1, second layer line"},
        {0, 1, -1, 0.77, kOrangeRgb, "k = 1"},
        {2, -1, 0, -0.13, kBlueRgb, "k = -1 on the equator"},
        {2, 2, 1, 0.6, kRedRgb, "other reflection"},
        {0, 0, -2, -0.85, kRedRgb, "(0, 0, l)"},
    };
    for (const Entry& e : entries) logEntry(e.h, e.k, e.l, 0.5, e.ordinate);
    openRotationWindow();
    showFilms();
    ASSERT_EQ(session().rotationOpen, 1);
    const Picture p = screenPicture(app.rotationWindow);
    for (const Entry& e : entries) expectFilmColour(p, rotationAbscissa(0.2 * e.l, 0.5), e.ordinate, e.colour, e.what);
}

TEST_F(FilmWindows, WeissenbergFilmDrawsTheCurrentLayerWithItsColourRule) {
    session().currentLayer = 1;
    struct Entry {
        int h, k, l;
        double angle;
        double ordinate;
        Rgb colour;  // white: must not be drawn
        const char* what;
    } entries[] = {
        {0, 0, 1, 0.5, 0.1, kBlackRgb, "h = k = 0 first: black"},
        {1, 0, 1, 0.5, 0.45, kGreenRgb, "h = 1"},
        {0, 0, 1, -1.0, 0.6, kGreenRgb, "h = k = 0 after green"},
        {0, 1, 0, 1.5, 0.3, kWhiteRgb, "other layer: not drawn"},
        {0, 1, 1, 2.0, -0.2, kYellowRgb, "k = 1"},
        {0, -1, 1, 2.5, -0.4, kBlueRgb, "k = -1"},
        {0, 0, 1, kPi, -0.7, kBlueRgb, "h = k = 0 after blue, left edge"},
    };
    for (const Entry& e : entries) logEntry(e.h, e.k, e.l, e.angle, e.ordinate);
    openWeissenbergWindow();
    EXPECT_EQ(windowTitle(app.weissenbergWindow), "Weissenberg 1. Schicht");
    showFilms();
    ASSERT_EQ(session().weissenbergOpen, 1);
    const Picture p = screenPicture(app.weissenbergWindow);
    for (const Entry& e : entries) {
        // the left edge: the point's centre lies on the border, its right half is drawn
        const double x = e.angle == kPi ? -1.0 + 1.0 / p.width : -e.angle / kPi;
        expectFilmColour(p, x, e.ordinate, e.colour, e.what);
    }
}

TEST_F(FilmWindows, LeftClickFreezesBothFilmsAndRedrawsNothing) {
    openRotationWindow();
    openWeissenbergWindow();
    showFilms();
    ASSERT_EQ(session().rotationOpen, 1);
    ASSERT_EQ(session().weissenbergOpen, 1);

    glutSetWindow(app.weissenbergWindow);
    onFilmMouse(GLUT_LEFT_BUTTON, GLUT_DOWN, 10, 10);
    pumpEvents(60);
    EXPECT_EQ(session().rotationOpen, 0);
    EXPECT_EQ(session().weissenbergOpen, 0);  // a redraw of either window would have set its flag

    // The middle button does nothing.
    onFilmMouse(GLUT_MIDDLE_BUTTON, GLUT_DOWN, 10, 10);
    pumpEvents(40);
    EXPECT_EQ(session().rotationOpen, 0);

    // A real left click, through the X server, in the rotation window.
    redrawFilm(app.rotationWindow);
    redrawFilm(app.weissenbergWindow);
    ASSERT_EQ(session().rotationOpen, 1);
    ASSERT_EQ(session().weissenbergOpen, 1);
    char command[160];
    std::snprintf(command, sizeof command, "xdotool mousemove --window %lu 100 100 click 1",
                  xWindowOf(app.rotationWindow));
    ASSERT_EQ(std::system(command), 0);
    pumpEvents(150);
    EXPECT_EQ(session().rotationOpen, 0);
    EXPECT_EQ(session().weissenbergOpen, 0);
}

TEST_F(FilmWindows, RightClickEmptiesTheLogAndRedrawsTheClickedWindow) {
    const double y = azimuthOrdinate(0.0, 0.2, session().ewaldDiameter);
    logEntry(0, 1, 1, 0.5, y);  // orange
    openRotationWindow();
    openWeissenbergWindow();
    showFilms();
    const double x = rotationAbscissa(0.2, 0.5);
    expectFilmColour(screenPicture(app.rotationWindow), x, y, kOrangeRgb, "before the click");

    session().rotationOpen = 0;
    session().weissenbergOpen = 0;
    glutSetWindow(app.rotationWindow);
    onFilmMouse(GLUT_RIGHT_BUTTON, GLUT_DOWN, 10, 10);
    EXPECT_EQ(session().log.count(), 0);
    pumpEvents(60);
    EXPECT_EQ(session().rotationOpen, 1);     // the clicked window was redrawn
    EXPECT_EQ(session().weissenbergOpen, 0);  // the other one was not
    const Picture p = screenPicture(app.rotationWindow);
    expectCrossOnWhite(p);
    EXPECT_GE(whitePixels(p), 520 * 520 - 1040);  // nothing but the cross
}

TEST_F(FilmWindows, EditedModeKeepsTracesThoughTheBackBufferIsPaintedOver) {
    session().lambdaEdited = 1;
    logEntry(1, 1, 1, 0.5, 0.0);  // green
    openRotationWindow();
    showFilms();
    ASSERT_EQ(session().rotationOpen, 1);
    const double x = rotationAbscissa(0.2, 0.5);
    const double firstY = editedOrdinate(0.2, 0.5);
    expectFilmColour(screenPicture(app.rotationWindow), x, firstY, kGreenRgb, "first position");

    // The crystal turns: the spot moves. Meanwhile the back buffer is painted over.
    glutSetWindow(app.rotationWindow);
    glClearColor(0, 1, 1, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    session().lastScan.bStarRot = {-0.1, 0.4, 0.0};  // u = (0.1, 0.4, 0.2)
    const double secondY = editedOrdinate(0.4, 0.5);
    redrawFilm(app.rotationWindow);
    Picture p = screenPicture(app.rotationWindow);
    expectFilmColour(p, x, firstY, kGreenRgb, "trace of the first position");
    expectFilmColour(p, x, secondY, kGreenRgb, "second position");
    EXPECT_EQ(show(p.pixel(30, 30)), show(kWhiteRgb));  // not the paint of the back buffer
    expectCrossOnWhite(p);

    // Frozen, then redrawn: the film starts blank.
    glutSetWindow(app.rotationWindow);
    onFilmMouse(GLUT_LEFT_BUTTON, GLUT_DOWN, 0, 0);
    redrawFilm(app.rotationWindow);
    EXPECT_EQ(session().rotationOpen, 1);
    p = screenPicture(app.rotationWindow);
    expectFilmColour(p, x, firstY, kWhiteRgb, "trace gone after the freeze");
    expectFilmColour(p, x, secondY, kGreenRgb, "current position");

    // Without the edited mode every redraw starts blank, at the logged ordinate.
    session().lambdaEdited = 0;
    redrawFilm(app.rotationWindow);
    p = screenPicture(app.rotationWindow);
    expectFilmColour(p, x, secondY, kWhiteRgb, "edited position gone");
    expectFilmColour(p, x, 0.0, kGreenRgb, "logged ordinate");
}

TEST_F(FilmWindows, AnOlderRotationWindowNeitherFollowsNorLendsItsTraces) {
    session().lambdaEdited = 1;
    logEntry(1, 1, 1, 0.5, 0.0);  // green
    openRotationWindow();
    const int older = app.rotationWindow;
    showFilms();
    ASSERT_EQ(session().rotationOpen, 1);
    const double x = rotationAbscissa(0.2, 0.5);
    const double firstY = editedOrdinate(0.2, 0.5);
    expectFilmColour(screenPicture(older), x, firstY, kGreenRgb, "older window");

    // Frozen; the crystal turns; a wavelength key opens another window while the older one
    // stays on screen (moved below, out of the newer one's place).
    session().rotationOpen = 0;
    session().lastScan.bStarRot = {-0.1, 0.4, 0.0};
    const double secondY = editedOrdinate(0.4, 0.5);
    glutSetWindow(older);
    glutPositionWindow(536, 560);
    openRotationWindow();
    const int newer = app.rotationWindow;
    ASSERT_NE(newer, older);
    pumpEvents(80);
    EXPECT_EQ(session().rotationOpen, 1);  // the newer window's first redraw

    session().lastScan.bStarRot = {-0.1, -0.4, 0.0};
    const double thirdY = editedOrdinate(-0.4, 0.5);
    redrawFilm(newer);
    Picture p = screenPicture(newer);
    expectFilmColour(p, x, thirdY, kGreenRgb, "newer window, current position");
    expectFilmColour(p, x, secondY, kGreenRgb, "newer window, its own trace");
    expectFilmColour(p, x, firstY, kWhiteRgb, "newer window, nothing of the older one");

    // A redraw of the older window does not make the films follow again, and starts blank.
    session().rotationOpen = 0;
    redrawFilm(older);
    EXPECT_EQ(session().rotationOpen, 0);
    p = screenPicture(older);
    expectFilmColour(p, x, thirdY, kGreenRgb, "older window redrawn");
    expectFilmColour(p, x, firstY, kWhiteRgb, "older window starts blank");

    // Closing the older window leaves the newer one named and following, with its traces.
    session().rotationOpen = 1;
    requestWindowClose(older);
    pumpEvents(80);
    EXPECT_EQ(app.rotationWindow, newer);
    EXPECT_EQ(session().rotationOpen, 1);
    redrawFilm(newer);
    p = screenPicture(newer);
    expectFilmColour(p, x, secondY, kGreenRgb, "newer window after the close, trace");
    expectFilmColour(p, x, thirdY, kGreenRgb, "newer window after the close");
}

namespace {

// The films drawn entry by entry, one point per glBegin/glEnd, in log order, straight from
// the log and the latest step: the picture that the films' one-pass drawing (merged hidden
// points, arrays) must reproduce pixel for pixel.
bool referenceWeissenberg = false;
void drawPointByPoint() {
    beginFilmByHand();
    glPointSize(3);
    forEachFilmPointByHand(app.session, referenceWeissenberg, [](double x, double y) {
        glBegin(GL_POINTS);
        glVertex2f(static_cast<float>(x), static_cast<float>(y));
        glEnd();
    });
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
    clearReflectionLog(app.session.log);
    for (int i = 0; i < 30000; ++i) {
        // ordinate: a pixel edge (j / 260 of the half height), nudged a little or half a pixel
        const double ordinate = (edge(random) + nudges[pick(random)]) / 260.0;
        const int choice = pick(random);
        const double angle = choice == 0 ? 0.3 : (edge(random) + nudges[choice]) / 260.0 * kPi;
        const int h = index(random), k = index(random), l = index(random) % 3;
        logEntry(h, k, l, angle, ordinate);
    }
}

}  // namespace

TEST_F(FilmWindows, OnePassPictureEqualsPointByPointDrawing) {
    ScanResult& step = session().lastScan;
    step.aStarRot = {0.17, 0.05, 0.0};  // a* and b* in the equator plane: layer 0 on the cross
    step.bStarRot = {-0.04, 0.19, 0.0};
    step.cStarRot = {0.01, 0.02, 0.21};
    step.crystalAngle = 0.3;
    session().currentLayer = 1;
    fillCrowdedLog();
    openRotationWindow();
    openWeissenbergWindow();
    showFilms();

    struct Case {
        int* window;
        int weissenberg;
        int edited;
    } cases[] = {{&app.rotationWindow, 0, 0}, {&app.rotationWindow, 0, 1}, {&app.weissenbergWindow, 1, 0}};
    for (const Case& c : cases) {
        const int window = *c.window;
        session().lambdaEdited = c.edited;
        session().rotationOpen = 0;  // the next redraw clears in the edited mode too
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

// A film frozen by a left click while the spin goes on: the main window keeps logging, and
// when the film is drawn again (uncovered, resized) every spot lies at its logged position:
// abscissa from the latest step, ordinate as logged. None sits on the centre line for want
// of an ordinate.
TEST_F(FilmWindows, FrozenFilmRedrawnLaterShowsEverySpotAtItsLoggedPlace) {
    resetScene();
    useCountingMainDisplay();  // the real main redraw: scan and log at every step
    glutSetWindow(app.mainWindow);
    onSpecialKey(GLUT_KEY_F7, 0, 0);
    showFilms();
    const int film = app.rotationWindow;
    ASSERT_NE(film, 0);
    ASSERT_EQ(session().rotationOpen, 1);
    session().showEwaldSphere = 0;  // the slowest part of a main redraw, of no matter here
    // Some degrees of the spin with the film following, as the toolkit runs them.
    const auto spinSteps = [](int n) {
        for (int i = 0; i < n; ++i) {
            const int before = mainRedrawCount();
            onIdleSpin();
            const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
            while (mainRedrawCount() == before && std::chrono::steady_clock::now() < deadline) glutMainLoopEvent();
        }
        pumpEvents(40);
    };
    spinSteps(40);
    const int loggedWhileFollowing = session().log.count();
    ASSERT_GT(loggedWhileFollowing, 0);

    glutSetWindow(film);
    onFilmMouse(GLUT_LEFT_BUTTON, GLUT_DOWN, 50, 50);
    ASSERT_EQ(session().rotationOpen, 0);
    spinSteps(60);
    EXPECT_GT(session().log.count(), loggedWhileFollowing) << "the main window logs on while the film is frozen";
    EXPECT_EQ(session().rotationOpen, 0) << "the frozen film was redrawn by the spin";

    // Drawn again now, by a resize and back as a user would.
    glutSetWindow(film);
    glutReshapeWindow(500, 500);
    pumpEvents(60);
    glutSetWindow(film);
    glutReshapeWindow(520, 520);
    pumpEvents(80);
    const Picture p = screenPicture(film);
    ASSERT_EQ(p.width, 520);

    // Where the spots must be: a 3 x 3 point about each entry's place. The crystal turned
    // about the z axis only, so at an entry's logging it stood at R_z(logged angle): its ray's
    // azimuth then gives the ordinate, which the log must hold.
    const Session& s = session();
    std::vector<unsigned char> expected(static_cast<size_t>(p.width) * static_cast<size_t>(p.height), 0);
    int places = 0;
    for (int i = 0; i < s.log.count(); ++i) {
        const Vec3 q = s.crystal.latticePoint(s.log.logH[i], s.log.logK[i], s.log.logL[i]);
        const double c = std::cos(s.log.logAngle[i]), sn = std::sin(s.log.logAngle[i]);
        const double y = azimuthOrdinate(c * q.x - sn * q.y, sn * q.x + c * q.y, s.ewaldDiameter);
        ASSERT_NEAR(s.log.filmOrdinate[i], y, 1e-9) << "entry " << i;
        const double x = rotationAbscissa(q.z, s.rotationFilmRadius);
        if (!std::isfinite(x) || !std::isfinite(y)) continue;
        ++places;
        const Pixel at = filmPixel(p, x, y);
        for (int dy = -2; dy <= 2; ++dy)
            for (int dx = -2; dx <= 2; ++dx) {
                const int px = at.x + dx, py = at.y + dy;
                if (px >= 0 && px < p.width && py >= 0 && py < p.height)
                    expected[static_cast<size_t>(py) * static_cast<size_t>(p.width) + static_cast<size_t>(px)] = 1;
            }
    }
    ASSERT_GT(places, 0);
    int spots = 0, stray = 0, strayOnCentreLine = 0;
    for (int y = 0; y < p.height; ++y)
        for (int x = 0; x < p.width; ++x) {
            if (!coloured(p.pixel(x, y))) continue;
            ++spots;
            if (expected[static_cast<size_t>(y) * static_cast<size_t>(p.width) + static_cast<size_t>(x)] == 0) {
                ++stray;
                strayOnCentreLine += std::abs(y - p.height / 2) <= 2;
            }
        }
    EXPECT_GT(spots, 9) << "the film shows the log";
    EXPECT_EQ(stray, 0) << "coloured pixels away from every logged place, " << strayOnCentreLine
                        << " of them on the centre line";
}

TEST_F(FilmWindows, ClosingAFilmWindowLeavesTheProgramRunning) {
    logEntry(1, 0, 1, 0.5, 0.2);
    openRotationWindow();
    openWeissenbergWindow();
    showFilms();
    ASSERT_EQ(session().rotationOpen, 1);
    ASSERT_EQ(session().weissenbergOpen, 1);

    requestWindowClose(app.rotationWindow);
    pumpEvents(80);
    EXPECT_EQ(app.rotationWindow, 0);
    EXPECT_EQ(session().rotationOpen, 0);
    EXPECT_EQ(session().weissenbergOpen, 1);
    EXPECT_EQ(session().log.count(), 1);  // the log survives

    requestWindowClose(app.weissenbergWindow);
    pumpEvents(80);
    EXPECT_EQ(app.weissenbergWindow, 0);
    EXPECT_EQ(session().weissenbergOpen, 0);

    // The main window's next redraw asks nothing of the closed windows.
    useCountingMainDisplay();
    glutSetWindow(app.mainWindow);
    glutPostRedisplay();
    pumpEvents(200);
    EXPECT_EQ(app.rotationWindow, 0);
    destroyRotationWindow();  // with id 0: nothing to destroy
    destroyWeissenbergWindow();
    pumpEvents(20);
}
