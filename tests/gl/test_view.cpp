// The main window's view in a real window: matrix mode and lighting left behind by the
// view's handlers, the display-list block, the log written by a redraw, the balls and the
// Ewald sphere on screen, the projection box at reshapes (height 0 included).
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "app/scene_state.h"
#include "gl/gl_harness.h"
#include "view/view.h"

namespace {

class View : public ::testing::Test {
protected:
    void SetUp() override { resetScene(); }
};

// A crystal of the cubic cell with a* = b* = c* = 0.2 along x, y, z and ewaldDiameter 1
// (R = 0.5, centre (0.5, 0, 0) at rest). A point's squared distance from the centre is
// ((2h-5)^2 + 4(k^2 + l^2)) / 100, on the sphere when (2h-5)^2 + 4(k^2+l^2) = 25: the
// origin, (5,0,0), and (1,+-2,0), (1,0,+-2), (4,+-2,0), (4,0,+-2) (squares 9 + 16).
const std::vector<std::array<int, 3>> kCubicHits = {
    {0, 0, 0}, {1, -2, 0}, {1, 0, -2}, {1, 0, 2}, {1, 2, 0}, {4, -2, 0}, {4, 0, -2}, {4, 0, 2}, {4, 2, 0}, {5, 0, 0}};

void useCrystal(double spacing, double diameter) {
    scene.aStar = {spacing, 0, 0};
    scene.bStar = {0, spacing, 0};
    scene.cStar = {0, 0, spacing};
    scene.ewaldDiameter = diameter;
    buildDisplayLists();
    initView();
    onReshape(520, 520);
}
void useCubicCrystal() { useCrystal(0.2, 1.0); }
// Lattice spacing 10: no point but the origin comes near the sphere in any orientation.
void useOriginOnlyCrystal() { useCrystal(10.0, 1.3); }

void showOnlyMarks() {
    scene.showLatticePoints = 0;
    scene.showAxes = 0;
    scene.showEwaldSphere = 0;
}

// Window pixel (x from the left, y from the top) under a laboratory point (x, y) with the
// camera at its start: the box -E*aspect..E*aspect, -E..E, E = 1.05 * ewaldDiameter.
// `dx`, `dy` step from the pixel that holds the point to the left and down, away from the
// balls' highlight, which the light from (1, 1, 1) puts up and to the right.
struct Px {
    int x, y;
};
Px pixelAt(const Picture& pic, double x, double y, int dx = -1, int dy = -1) {
    const double e = 1.05 * scene.ewaldDiameter;
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

bool allFinite(const std::array<double, 16>& m) {
    for (double v : m)
        if (!std::isfinite(v)) return false;
    return true;
}

}  // namespace

TEST_F(View, HandlersLeaveModelviewModeAndTheCrystalMatrix) {
    glRotated(30, 1, 0, 0);
    const auto crystal = readMatrix(GL_MODELVIEW_MATRIX);
    initView();
    EXPECT_EQ(currentMatrixMode(), GL_MODELVIEW) << "initView";
    onReshape(300, 200);
    EXPECT_EQ(currentMatrixMode(), GL_MODELVIEW) << "onReshape";
    buildDisplayLists();
    EXPECT_EQ(currentMatrixMode(), GL_MODELVIEW) << "buildDisplayLists";
    const auto camera = readMatrix(GL_PROJECTION_MATRIX);
    drawReciprocalLattice();
    EXPECT_EQ(currentMatrixMode(), GL_MODELVIEW) << "drawReciprocalLattice";
    EXPECT_EQ(readMatrix(GL_MODELVIEW_MATRIX), crystal) << "initView and the redraw leave the crystal as it was";
    EXPECT_EQ(readMatrix(GL_PROJECTION_MATRIX), camera) << "the redraw leaves the camera as it was";
}

TEST_F(View, RedrawKeepsTheLightingSwitchAndEndsAtLineWidthOne) {
    for (bool lit : {false, true, false}) {
        if (lit) glEnable(GL_LIGHTING); else glDisable(GL_LIGHTING);
        drawReciprocalLattice();
        EXPECT_EQ(glIsEnabled(GL_LIGHTING) == GL_TRUE, lit);
        GLfloat width = 0;
        glGetFloatv(GL_LINE_WIDTH, &width);
        EXPECT_EQ(width, 1.0f);
    }
}

TEST_F(View, RepeatedBuildsLeaveExactlyOneBlockOfTenLists) {
    buildDisplayLists();
    buildDisplayLists();
    const GLuint base = static_cast<GLuint>(scene.listBase);
    ASSERT_NE(base, 0u);
    std::vector<GLuint> lists;
    for (GLuint name = 1; name < base + 1000; ++name)
        if (glIsList(name)) lists.push_back(name);
    ASSERT_EQ(lists.size(), 10u);
    EXPECT_EQ(lists.front(), base);
    EXPECT_EQ(lists.back(), base + 9);
}

namespace {

struct FedPoint {
    double x, y, z;
    GLfloat rgba[4];
};

// Replays one list in feedback mode under the box -s..s (identity modelview, lighting off,
// as the redraw calls it) and gives back its points in scene coordinates, with colours.
std::vector<FedPoint> feedbackPoints(GLuint list, double s, std::vector<FedPoint>* lineEnds = nullptr) {
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glOrtho(-s, s, -s, s, -s, s);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    glViewport(0, 0, 520, 520);
    glDisable(GL_LIGHTING);
    std::vector<GLfloat> buffer(8u << 20);
    glFeedbackBuffer(static_cast<GLsizei>(buffer.size()), GL_3D_COLOR, buffer.data());
    glRenderMode(GL_FEEDBACK);
    glCallList(list);
    const GLint used = glRenderMode(GL_RENDER);
    glEnable(GL_LIGHTING);
    glPopMatrix();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    EXPECT_GE(used, 0) << "feedback buffer overflow";
    auto vertex = [&](GLint i) {
        FedPoint p{(buffer[i] / 260.0 - 1) * s, (buffer[i + 1] / 260.0 - 1) * s, (buffer[i + 2] * 2 - 1) * -s, {}};
        for (int c = 0; c < 4; ++c) p.rgba[c] = buffer[i + 3 + c];
        return p;
    };
    std::vector<FedPoint> points;
    for (GLint i = 0; i < used;) {
        const GLfloat token = buffer[i++];
        if (token == GL_POINT_TOKEN) {
            points.push_back(vertex(i));
            i += 7;
        } else if (token == GL_LINE_TOKEN || token == GL_LINE_RESET_TOKEN) {
            if (lineEnds) {
                lineEnds->push_back(vertex(i));
                lineEnds->push_back(vertex(i + 7));
            }
            i += 14;
        } else {
            ADD_FAILURE() << "unexpected feedback token " << token;
            break;
        }
    }
    return points;
}

}  // namespace

// The lattice-point list holds every allowed point of the scanned layers within the
// limiting sphere, those at exactly its radius included, in the colours of their planes.
// Spacing 0.25 and diameter 1.25 make all lengths exact: a point is in when its
// h^2 + k^2 + l^2 <= 25 (5^2), counted here with integers.
TEST_F(View, LatticePointListHoldsTheLimitingSphereInPlaneColours) {
    struct Case {
        const char* name;
        int layer, allLayers, group;
        bool onLimit;  // some allowed point has h^2 + k^2 + l^2 = 25 (none with l = 2 or in 146)
    };
    const Case cases[] = {{"all layers", 0, 1, 1, true}, {"layer 2 only", 2, 0, 1, false}, {"group 146", 0, 1, 146, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        scene.currentLayer = c.layer;
        scene.allLayers = c.allLayers;
        scene.spaceGroup = c.group;
        useCrystal(0.25, 1.25);
        size_t expected = 0;
        for (int h = -5; h <= 5; ++h) {
            for (int k = -5; k <= 5; ++k) {
                for (int l = -5; l <= 5; ++l) {
                    const bool inLayer = c.allLayers || l == c.layer;
                    const bool allowed = c.group != 146 || (-h + k + l) % 3 == 0;
                    expected += inLayer && allowed && h * h + k * k + l * l <= 25;
                }
            }
        }
        const std::vector<FedPoint> points = feedbackPoints(static_cast<GLuint>(scene.listBase), 2.0);
        EXPECT_EQ(points.size(), expected);
        bool origin = false, onLimit = false;
        for (const FedPoint& p : points) {
            const int h = static_cast<int>(std::lround(p.x / 0.25)), k = static_cast<int>(std::lround(p.y / 0.25));
            const int l = static_cast<int>(std::lround(p.z / 0.25));
            ASSERT_LE(h * h + k * k + l * l, 25);
            ASSERT_TRUE(c.allLayers || l == c.layer) << l;
            ASSERT_TRUE(c.group != 146 || (-h + k + l) % 3 == 0) << h << " " << k << " " << l;
            origin |= h == 0 && k == 0 && l == 0;
            onLimit |= h * h + k * k + l * l == 25;
            // Plane colours, h tested before k: (1, -1, l) is green.
            const GLfloat want[5][4] = {{0, 1, 0, 1}, {1, 0, 1, 1}, {1, 1, 0, 1}, {0, 0, 1, 1}, {1, 0, 0, 0.2f}};
            const int row = h == 1 ? 0 : h == -1 ? 1 : k == 1 ? 2 : k == -1 ? 3 : 4;
            for (int ch = 0; ch < 4; ++ch) ASSERT_NEAR(p.rgba[ch], want[row][ch], 1e-6) << h << " " << k << " " << l;
        }
        EXPECT_EQ(origin, c.allLayers == 1) << "the origin is a faint red point when layer 0 is scanned";
        EXPECT_EQ(onLimit, c.onLimit) << "points at exactly the limiting radius stay in";
    }
}

// The axes run from the origin to 20 a*, 20 b*, 20 c* in red, green, blue.
TEST_F(View, AxesRunToTwentyTimesTheBasis) {
    useCrystal(0.25, 1.25);
    std::vector<FedPoint> ends;
    feedbackPoints(static_cast<GLuint>(scene.listBase) + 1, 6.0, &ends);
    ASSERT_EQ(ends.size(), 6u);
    for (int axis = 0; axis < 3; ++axis) {
        const FedPoint &from = ends[2 * axis], &to = ends[2 * axis + 1];
        const double tip[3] = {axis == 0 ? 5.0 : 0.0, axis == 1 ? 5.0 : 0.0, axis == 2 ? 5.0 : 0.0};
        EXPECT_NEAR(from.x, 0, 1e-4);
        EXPECT_NEAR(from.y, 0, 1e-4);
        EXPECT_NEAR(from.z, 0, 1e-4);
        EXPECT_NEAR(to.x, tip[0], 1e-4);
        EXPECT_NEAR(to.y, tip[1], 1e-4);
        EXPECT_NEAR(to.z, tip[2], 1e-4);
        for (int ch = 0; ch < 3; ++ch) EXPECT_EQ(to.rgba[ch], ch == axis ? 1.0f : 0.0f);
    }
}

TEST_F(View, WireSphereBuildWritesNothingToStderr) {
    testing::internal::CaptureStderr();
    buildDisplayLists();
    glFinish();
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
}

// With only the origin on the sphere the log does not grow, yet the origin's orange ball
// is drawn at the centre of the window.
TEST_F(View, OriginIsDrawnButNeverLogged) {
    useOriginOnlyCrystal();
    showOnlyMarks();
    reflectionLog.logCount = 7;
    for (int i = 0; i < 3; ++i) drawReciprocalLattice();
    EXPECT_EQ(reflectionLog.logCount, 7);
    ASSERT_EQ(lastScan.hits.size(), 1u);
    const Picture pic = readPicture(scene.mainWindow);
    const Px o = pixelAt(pic, 0, 0);
    EXPECT_TRUE(orange(pic.pixel(o.x, o.y))) << str(pic.pixel(o.x, o.y));
}

// Every hit but the origin is appended, in scan order with the redraw's angle, once per redraw.
TEST_F(View, RedrawLogsEveryReflectionButTheOriginOncePerRedraw) {
    useCubicCrystal();
    glRotated(0.0, 0, 0, 1);
    drawReciprocalLattice();
    ASSERT_EQ(lastScan.hits.size(), kCubicHits.size());
    ASSERT_EQ(reflectionLog.logCount, static_cast<int>(kCubicHits.size()) - 1);
    for (size_t i = 1; i < kCubicHits.size(); ++i) {
        const int e = static_cast<int>(i) - 1;
        EXPECT_EQ(reflectionLog.logH[e], kCubicHits[i][0]);
        EXPECT_EQ(reflectionLog.logK[e], kCubicHits[i][1]);
        EXPECT_EQ(reflectionLog.logL[e], kCubicHits[i][2]);
        EXPECT_EQ(reflectionLog.logAngle[e], 0.0);
    }
    const LatticeHit* storage = lastScan.hits.data();
    drawReciprocalLattice();
    EXPECT_EQ(reflectionLog.logCount, 2 * (static_cast<int>(kCubicHits.size()) - 1));
    EXPECT_EQ(lastScan.hits.data(), storage) << "the hit list is reused from redraw to redraw";
}

// Balls at the pixels the projection gives: the origin and (4,0,2) orange, (1,2,0) green,
// nothing between them. The static scene is off here: the wire sphere's dense parallels
// pass through every point on the sphere and would tint the balls' pixels.
TEST_F(View, BallsSitAtTheirProjectedPixels) {
    useCubicCrystal();
    showOnlyMarks();
    for (int fullLog : {0, 1}) {
        SCOPED_TRACE(fullLog ? "full log" : "empty log");
        reflectionLog.logCount = fullLog ? kLogCapacity : 0;
        drawReciprocalLattice();
        EXPECT_EQ(reflectionLog.logCount, fullLog ? kLogCapacity : 9);
        const Picture pic = readPicture(scene.mainWindow);
        const Px origin = pixelAt(pic, 0, 0), far = pixelAt(pic, 0.8, 0), up = pixelAt(pic, 0.2, 0.4);
        const Px empty = pixelAt(pic, 0.35, 0.5);
        EXPECT_TRUE(orange(pic.pixel(origin.x, origin.y))) << str(pic.pixel(origin.x, origin.y));
        EXPECT_TRUE(orange(pic.pixel(far.x, far.y))) << str(pic.pixel(far.x, far.y));
        EXPECT_TRUE(green(pic.pixel(up.x, up.y))) << str(pic.pixel(up.x, up.y));
        EXPECT_TRUE(white(pic.pixel(empty.x, empty.y))) << str(pic.pixel(empty.x, empty.y));
    }
}

// The sphere is drawn in the laboratory frame: turning the crystal about z changes no
// pixel but those of the origin's ball and its ray (lattice points and axes switched off).
TEST_F(View, EwaldSphereStaysPutWhenTheCrystalTurns) {
    useOriginOnlyCrystal();
    scene.showLatticePoints = 0;
    scene.showAxes = 0;
    drawReciprocalLattice();
    const Picture atRest = readPicture(scene.mainWindow);
    glRotated(37, 0, 0, 1);
    drawReciprocalLattice();
    const Picture turned = readPicture(scene.mainWindow);
    ASSERT_EQ(atRest.width, turned.width);

    const Px o = pixelAt(atRest, 0, 0, 0, 0);
    const Px c = pixelAt(atRest, scene.ewaldDiameter / 2, 0, 0, 0);
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
    glutSetWindow(scene.mainWindow);
    const double e = 1.05 * scene.ewaldDiameter;
    const auto p = readMatrix(GL_PROJECTION_MATRIX);
    EXPECT_NEAR(p[0], 1 / (2 * e), 1e-6);   // x from -2E to 2E
    EXPECT_NEAR(p[5], 1 / e, 1e-6);         // y from -E to E
    EXPECT_NEAR(p[10], -1 / e, 1e-6);       // z from -E to E
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[2], 800);
    EXPECT_EQ(viewport[3], 400);
    EXPECT_EQ(currentMatrixMode(), GL_MODELVIEW);
}

// Height 0 (a minimised window) and a non-finite or zero diameter keep the last valid box.
TEST_F(View, DegenerateSizesAndDiametersKeepTheLastValidBox) {
    onReshape(520, 520);
    const auto box = readMatrix(GL_PROJECTION_MATRIX);
    struct Case {
        int width, height;
        const char* line;
    };
    const Case sizes[] = {{520, 0, "New aspect ratio: 520:0 = inf\n"}, {0, 0, "nan\n"}, {0, 300, " = 0.000000\n"}};
    for (const Case& c : sizes) {
        testing::internal::CaptureStdout();
        onReshape(c.width, c.height);
        const std::string out = testing::internal::GetCapturedStdout();
        EXPECT_NE(out.find(c.line), std::string::npos) << out;
        EXPECT_EQ(readMatrix(GL_PROJECTION_MATRIX), box) << c.width << "x" << c.height;
        EXPECT_EQ(currentMatrixMode(), GL_MODELVIEW);
    }
    const double diameters[] = {INFINITY, NAN, 0.0};
    for (double d : diameters) {
        scene.ewaldDiameter = d;
        initView();
        EXPECT_EQ(readMatrix(GL_PROJECTION_MATRIX), box) << "initView, diameter " << d;
        testing::internal::CaptureStdout();
        onReshape(520, 520);
        testing::internal::GetCapturedStdout();
        EXPECT_EQ(readMatrix(GL_PROJECTION_MATRIX), box) << "onReshape, diameter " << d;
        EXPECT_TRUE(allFinite(readMatrix(GL_PROJECTION_MATRIX)));
        buildDisplayLists();
        const int logged = reflectionLog.logCount;
        drawReciprocalLattice();  // nothing found where distances are not finite, no crash
        EXPECT_EQ(reflectionLog.logCount, logged);
    }
}

// A film flag without a window id (never created, or destroyed) gets no redisplay: posting
// to window 0 would end the process in the toolkit.
TEST_F(View, RedrawPostsNothingToAFilmWindowWithoutId) {
    scene.rotationOpen = 1;
    scene.rotationWindow = 0;
    scene.weissenbergOpen = 1;
    scene.weissenbergWindow = 0;
    drawReciprocalLattice();
    pumpEvents(30);
    scene.rotationOpen = 0;
    scene.weissenbergOpen = 0;
    SUCCEED();
}
