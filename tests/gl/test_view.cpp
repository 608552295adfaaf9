// The main window's view in a real window: the matrix mode the redraw leaves, the display
// lists it keeps, the log written by a redraw, the balls and the Ewald sphere on screen, the
// lattice points it draws, and the box at reshapes (height 0 and degenerate diameters included).
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <string>
#include <vector>

#include "gl/gl_harness.h"
#include "model/crystal.h"
#include "platform/app.h"
#include "platform/windows.h"
#include "render/main_frame.h"
#include "session/commands.h"

namespace {

class View : public ::testing::Test {
protected:
    void SetUp() override { resetScene(); }
};

// A crystal with a* = b* = c* = `spacing` along x, y, z and 2/lambda = `diameter`. The basis
// is set exactly: the cell's cos(90 degrees) leaves c* some 1e-17 off the z axis, enough to
// move a point at exactly the limiting radius out of it.
Session crystalSession(double spacing, double diameter, int spaceGroup = 1) {
    const double edge = 1.0 / spacing;
    Crystal crystal = makeCrystal(edge, edge, edge, 90, 90, 90, spaceGroup);
    crystal.reciprocal.aStar = {spacing, 0, 0};
    crystal.reciprocal.bStar = {0, spacing, 0};
    crystal.reciprocal.cStar = {0, 0, spacing};
    return newSession(crystal, 2.0 / diameter);
}
// a* = 0.2, ewaldDiameter 1 (R = 0.5, centre (0.5, 0, 0) at rest). A point's squared
// distance from the centre is ((2h-5)^2 + 4(k^2 + l^2)) / 100, on the sphere when
// (2h-5)^2 + 4(k^2+l^2) = 25: the origin, (5,0,0), and (1,+-2,0), (1,0,+-2), (4,+-2,0),
// (4,0,+-2) (squares 9 + 16): nine reflections besides the origin.
Session cubicSession() { return crystalSession(0.2, 1.0); }
// Lattice spacing 10: no point but the origin comes near the sphere in any orientation.
Session originOnlySession() { return crystalSession(10.0, 1.3); }

void showOnlyMarks() {
    app.session.showLatticePoints = 0;
    app.session.showAxes = 0;
    app.session.showEwaldSphere = 0;
}

// One main redraw, as the toolkit runs it.
void redrawMain() {
    glutSetWindow(app.mainWindow);
    drawReciprocalLattice();
}

// Window pixel (x from the left, y from the top) under a laboratory point (x, y) with the
// camera at its start: the box -E*aspect..E*aspect, -E..E, E = 1.05 * ewaldDiameter.
// `dx`, `dy` step from the pixel that holds the point to the left and down, away from the
// balls' highlight, which the light from (1, 1, 1) puts up and to the right.
struct Px {
    int x, y;
};
Px pixelAt(const Picture& pic, double x, double y, int dx = -1, int dy = -1) {
    const double e = 1.05 * app.session.ewaldDiameter;
    const double aspect = static_cast<double>(pic.width) / pic.height;
    const double wx = (x / (e * aspect) + 1) * pic.width / 2;
    const double wy = (y / e + 1) * pic.height / 2;
    return {static_cast<int>(std::floor(wx)) + dx, pic.height - 1 - (static_cast<int>(std::floor(wy)) + dy)};
}

bool orange(const Rgb& c) { return c.r > 140 && c.g > 60 && c.g < 170 && c.b < 60; }
bool green(const Rgb& c) { return c.g > 140 && c.r < 60 && c.b < 60; }
bool white(const Rgb& c) { return c.r > 250 && c.g > 250 && c.b > 250; }
std::string str(const Rgb& c) {
    return "(" + std::to_string(c.r) + "," + std::to_string(c.g) + "," + std::to_string(c.b) + ")";
}

bool allFinite(const Mat4& m) {
    for (double v : m)
        if (!std::isfinite(v)) return false;
    return true;
}

}  // namespace

TEST_F(View, RedrawLeavesModelviewModeAndTheSessionMatrices) {
    turnMatrix(app.session.orientation, 30, 1, 0, 0);
    const Mat4 crystal = app.session.orientation, camera = app.session.camera;
    redrawMain();
    EXPECT_EQ(currentMatrixMode(), GL_MODELVIEW);
    EXPECT_EQ(app.session.orientation, crystal);
    EXPECT_EQ(app.session.camera, camera);
}

// The kept geometry (lattice points, axes, sphere, ball) is recorded once per build: F5
// builds anew, and the lists of the old build go, so the context never holds more.
TEST_F(View, RebuildsKeepTheNumberOfDisplayLists) {
    redrawMain();
    const size_t lists = app.views[app.mainWindow].renderer.listCount();
    EXPECT_GE(lists, 3u);
    for (int i = 0; i < 4; ++i) {
        onSpecialKey(GLUT_KEY_F5, 0, 0);
        redrawMain();
        EXPECT_EQ(app.views[app.mainWindow].renderer.listCount(), lists) << "build " << i;
        EXPECT_EQ(definedLists(), static_cast<int>(lists)) << "build " << i;
    }
}

// Every allowed lattice point of the scanned layers within the limiting sphere, those at
// exactly its radius included, in the colours of their planes. Spacing 0.25 and diameter
// 1.25 make all lengths exact: a point is in when h^2 + k^2 + l^2 <= 25, counted here with
// integers. I 2 3 (197) leaves out h + k + l odd.
TEST_F(View, LatticePointsFillTheLimitingSphereInPlaneColours) {
    struct Case {
        const char* name;
        int layer, allLayers, group;
        bool onLimit;  // some allowed point has h^2 + k^2 + l^2 = 25 (none with l = 2 or in 197)
    };
    const Case cases[] = {{"all layers", 0, 1, 1, true}, {"layer 2 only", 2, 0, 1, false}, {"group 197", 0, 1, 197, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Session s = crystalSession(0.25, 1.25, c.group);
        s.currentLayer = c.layer;
        if (c.allLayers == 0) specialKeyCommand(s, kKeyF5, false);  // one layer, built anew
        resetScene(s);
        size_t expected = 0;
        for (int h = -5; h <= 5; ++h)
            for (int k = -5; k <= 5; ++k)
                for (int l = -5; l <= 5; ++l) {
                    const bool inLayer = c.allLayers || l == c.layer;
                    const bool allowed = c.group != 197 || (h + k + l) % 2 == 0;
                    expected += inLayer && allowed && h * h + k * k + l * l <= 25;
                }
        const Geometry g = latticePointGeometry(app.session);
        ASSERT_EQ(g.count, static_cast<int>(expected));
        bool origin = false, onLimit = false;
        for (int i = 0; i < g.count; ++i) {
            const float* p = &g.positions[3 * static_cast<size_t>(i)];
            const int h = static_cast<int>(std::lround(p[0] / 0.25)), k = static_cast<int>(std::lround(p[1] / 0.25));
            const int l = static_cast<int>(std::lround(p[2] / 0.25));
            ASSERT_TRUE(c.allLayers || l == c.layer) << l;
            origin |= h == 0 && k == 0 && l == 0;
            onLimit |= h * h + k * k + l * l == 25;
            // Plane colours, h tested before k: (1, -1, l) is green.
            const float want[5][4] = {{0, 1, 0, 1}, {1, 0, 1, 1}, {1, 1, 0, 1}, {0, 0, 1, 1}, {1, 0, 0, 0.2f}};
            const int row = h == 1 ? 0 : h == -1 ? 1 : k == 1 ? 2 : k == -1 ? 3 : 4;
            for (int ch = 0; ch < 4; ++ch)
                ASSERT_EQ(g.colours[4 * static_cast<size_t>(i) + ch], want[row][ch]) << h << " " << k << " " << l;
        }
        EXPECT_EQ(origin, c.allLayers == 1) << "the origin is a faint red point when layer 0 is scanned";
        EXPECT_EQ(onLimit, c.onLimit) << "points at exactly the limiting radius stay in";
        // And the window draws them: lattice points only, unlit, show in their colours.
        app.session.showAxes = 0;
        app.session.showEwaldSphere = 0;
        redrawMain();
        EXPECT_GT(colouredPixels(readPicture(app.mainWindow)), 9 * static_cast<int>(expected) / 4)
            << "points of 3 x 3 pixels, many overlapping";
    }
}

// The 120-slice, 600-stack wire sphere is built from geometry of our own, without the
// toolkit's warning about wrapping indices.
TEST_F(View, WireSphereBuildWritesNothingToStderr) {
    testing::internal::CaptureStderr();
    onSpecialKey(GLUT_KEY_F5, 0, 0);
    redrawMain();
    glFinish();
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
}

// With only the origin on the sphere the log does not grow, yet the origin's orange ball
// is drawn at the centre of the window.
TEST_F(View, OriginIsDrawnButNeverLogged) {
    resetScene(originOnlySession());
    showOnlyMarks();
    for (int i = 0; i < 3; ++i) redrawMain();
    EXPECT_EQ(app.session.log.count(), 0);
    ASSERT_EQ(app.session.lastScan.hits.size(), 1u);
    const Picture pic = readPicture(app.mainWindow);
    const Px o = pixelAt(pic, 0, 0);
    EXPECT_TRUE(orange(pic.pixel(o.x, o.y))) << str(pic.pixel(o.x, o.y));
}

// Each redraw logs what is on the sphere once: nine reflections a redraw, with the film
// ordinate of their rays at that redraw.
TEST_F(View, EachRedrawLogsTheReflectionsOnce) {
    resetScene(cubicSession());
    redrawMain();
    ASSERT_EQ(app.session.log.count(), 9);
    redrawMain();
    ASSERT_EQ(app.session.log.count(), 18);
    for (int i = 0; i < 18; ++i) EXPECT_TRUE(std::isfinite(app.session.log.filmOrdinate[i])) << i;
}

// Balls at the pixels the camera gives: the origin and (4,0,2) orange, (1,2,0) green,
// nothing between them, with an empty and with a full log (which takes no more entries).
// The static scene is off here: the wire sphere's dense parallels pass through every point
// on the sphere and would tint the balls' pixels.
TEST_F(View, BallsSitAtTheirProjectedPixels) {
    resetScene(cubicSession());
    showOnlyMarks();
    for (int fullLog : {0, 1}) {
        SCOPED_TRACE(fullLog ? "full log" : "empty log");
        clearReflectionLog(app.session.log);
        if (fullLog)
            for (int i = 0; i < kLogCapacity; ++i) appendReflection(app.session.log, 1, 0, 0, 0.0, 0.0);
        redrawMain();
        EXPECT_EQ(app.session.log.count(), fullLog ? kLogCapacity : 9);
        const Picture pic = readPicture(app.mainWindow);
        const Px origin = pixelAt(pic, 0, 0), far = pixelAt(pic, 0.8, 0), up = pixelAt(pic, 0.2, 0.4);
        const Px empty = pixelAt(pic, 0.35, 0.5);
        EXPECT_TRUE(orange(pic.pixel(origin.x, origin.y))) << str(pic.pixel(origin.x, origin.y));
        EXPECT_TRUE(orange(pic.pixel(far.x, far.y))) << str(pic.pixel(far.x, far.y));
        EXPECT_TRUE(green(pic.pixel(up.x, up.y))) << str(pic.pixel(up.x, up.y));
        EXPECT_TRUE(white(pic.pixel(empty.x, empty.y))) << str(pic.pixel(empty.x, empty.y));
    }
    clearReflectionLog(app.session.log);
}

// The sphere is drawn in the laboratory frame: turning the crystal about z changes no
// pixel but those of the origin's ball and its ray (lattice points and axes switched off).
TEST_F(View, EwaldSphereStaysPutWhenTheCrystalTurns) {
    resetScene(originOnlySession());
    app.session.showLatticePoints = 0;
    app.session.showAxes = 0;
    redrawMain();
    const Picture atRest = readPicture(app.mainWindow);
    turnMatrix(app.session.orientation, 37, 0, 0, 1);
    redrawMain();
    const Picture turned = readPicture(app.mainWindow);
    ASSERT_EQ(atRest.width, turned.width);

    const Px o = pixelAt(atRest, 0, 0, 0, 0);
    const Px c = pixelAt(atRest, app.session.ewaldDiameter / 2, 0, 0, 0);
    int sphere = 0, background = 0, differing = 0;
    for (int y = 0; y < atRest.height; ++y) {
        for (int x = 0; x < atRest.width; ++x) {
            const bool ball = (x - o.x) * (x - o.x) + (y - o.y) * (y - o.y) <= 64;
            const bool ray = std::abs(y - o.y) <= 3 && x >= o.x - 8 && x <= c.x + 3;
            if (ball || ray) continue;
            const Rgb a = atRest.pixel(x, y), b = turned.pixel(x, y);
            sphere += !white(a);
            background += white(a);
            differing += a.r != b.r || a.g != b.g || a.b != b.b;
        }
    }
    EXPECT_GT(sphere, 5000) << "the wire sphere is on screen";
    EXPECT_GT(background, 100000) << "on a white background";
    EXPECT_EQ(differing, 0);
}

TEST_F(View, ReshapeTo800x400PrintsTheAspectAndWidensTheBox) {
    testing::internal::CaptureStdout();
    glutReshapeWindow(800, 400);
    pumpEvents(300);
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_NE(out.find("New aspect ratio: 800:400 = 2.000000\n"), std::string::npos) << out;
    const double e = 1.05 * app.session.ewaldDiameter;
    expectMat(app.session.camera, orthoBox(2 * e, e, e), "camera");
    glutSetWindow(app.mainWindow);
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[2], 800);
    EXPECT_EQ(viewport[3], 400);
    EXPECT_EQ(currentMatrixMode(), GL_MODELVIEW);
}

// Height 0 (a minimised window) and a non-finite or zero diameter keep the camera finite;
// the redraws that follow find nothing where distances are not finite, and do not crash.
TEST_F(View, DegenerateSizesAndDiametersKeepTheCameraFinite) {
    const Mat4 box = app.session.camera;
    for (const auto& size : {std::array<int, 2>{520, 0}, {0, 0}, {0, 300}}) {
        testing::internal::CaptureStdout();
        onReshape(size[0], size[1]);
        testing::internal::GetCapturedStdout();
        EXPECT_EQ(app.session.camera, box) << size[0] << "x" << size[1];
        redrawMain();
        EXPECT_EQ(currentMatrixMode(), GL_MODELVIEW);
    }
    for (double d : {static_cast<double>(INFINITY), static_cast<double>(NAN), 0.0}) {
        SCOPED_TRACE(d);
        app.session.ewaldDiameter = d;
        onSpecialKey(GLUT_KEY_F5, 0, 0);  // lattice points and sphere for the diameter
        stubShift = true;
        onSpecialKey(GLUT_KEY_F2, 0, 0);  // camera box for the diameter
        stubShift = false;
        testing::internal::CaptureStdout();
        onReshape(520, 520);
        testing::internal::GetCapturedStdout();
        EXPECT_TRUE(allFinite(app.session.camera));
        const int logged = app.session.log.count();
        redrawMain();
        pumpEvents(20);
        EXPECT_EQ(app.session.log.count(), logged);
    }
}

// A film flag without a window id (never created, or destroyed) gets no redisplay: posting
// to window 0 would end the process in the toolkit.
TEST_F(View, RedrawPostsNothingToAFilmWindowWithoutId) {
    app.session.rotationOpen = 1;
    app.rotationWindow = 0;
    app.session.weissenbergOpen = 1;
    app.weissenbergWindow = 0;
    redrawMain();
    pumpEvents(30);
    app.session.rotationOpen = 0;
    app.session.weissenbergOpen = 0;
    SUCCEED();
}
