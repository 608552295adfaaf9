// The session's commands without a window: key, special-key, menu and mouse sequences and
// the session values they leave; the step that scans and logs; and the main window's frame
// description read through the recording back end.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "model/film_geometry.h"
#include "render/film_frame.h"
#include "render/main_frame.h"
#include "render/recording_renderer.h"
#include "session/command_line.h"
#include "session/commands.h"

namespace {

// The start crystal of the lessons: a 5 Å cube at Cu K-alpha.
Session startSession(int spaceGroup = 1) {
    return newSession(makeCrystal(5, 5, 5, 90, 90, 90, spaceGroup), 1.5418);
}

// Independent of the product's turn: the rotation matrix about a coordinate axis (0 x, 1 y,
// 2 z) by `deg`, right-handed, column-major, times m on the left.
Mat4 rotatedLeft(const Mat4& m, double deg, int axis) {
    const double t = deg * 3.14159265358979323846 / 180.0, c = std::cos(t), s = std::sin(t);
    Mat4 r = identityMatrix();
    const int a = (axis + 1) % 3, b = (axis + 2) % 3;  // the plane the turn mixes
    r[4 * a + a] = c;
    r[4 * b + b] = c;
    r[4 * a + b] = s;   // column a, row b
    r[4 * b + a] = -s;  // column b, row a
    return multiply(r, m);
}

void expectMat(const Mat4& got, const Mat4& want, const std::string& what, double tol = 1e-12) {
    for (int i = 0; i < 16; ++i) EXPECT_NEAR(got[i], want[i], tol) << what << ", element " << i;
}

// One step of a sequence: a key, a special key, a menu value; Shift held or not.
enum class Via { key, special, menu };
struct Step {
    Via via;
    int code;
    bool shift = false;
};

Effects run(Session& s, const std::vector<Step>& steps) {
    Effects last;
    for (const Step& st : steps) {
        switch (st.via) {
            case Via::key: last = keyCommand(s, static_cast<unsigned char>(st.code), st.shift); break;
            case Via::special: last = specialKeyCommand(s, st.code, st.shift); break;
            case Via::menu: last = menuCommand(s, st.code); break;
        }
    }
    return last;
}

}  // namespace

TEST(Session, KeySequencesLeaveTheirCameraAndCrystal) {
    const Session start = startSession();
    const double e = 1.05 * 2 / 1.5418;
    const Mat4 box = orthoBox(e, e, e);
    expectMat(start.camera, box, "start camera");
    expectMat(start.orientation, identityMatrix(), "start crystal");
    std::vector<Step> up90(90, {Via::special, kKeyUp});
    std::vector<Step> upFull(360, {Via::special, kKeyUp});
    struct Case {
        const char* name;
        std::vector<Step> steps;
        Mat4 camera;
        Mat4 crystal;
        double tol;
    };
    const Mat4 I = identityMatrix();
    const Case cases[] = {
        {"a: camera +1 about the picture's y", {{Via::key, 'a'}}, rotatedLeft(box, 1, 1), I, 1e-12},
        {"A with Caps Lock: the small step", {{Via::key, 'A'}}, rotatedLeft(box, 1, 1), I, 1e-12},
        {"Shift+D: -90 about y", {{Via::key, 'D', true}}, rotatedLeft(box, -90, 1), I, 1e-12},
        {"w then s cancel", {{Via::key, 'w'}, {Via::key, 's'}}, box, I, 1e-12},
        {"Shift+W: +90 about x", {{Via::key, 'W', true}}, rotatedLeft(box, 90, 0), I, 1e-12},
        {"up x90: crystal a quarter turn about z", up90, box, rotatedLeft(I, 90, 2), 1e-12},
        {"up x360: the start again", upFull, box, I, 1e-11},
        {"left: crystal and camera +1 about y", {{Via::special, kKeyLeft}}, rotatedLeft(box, 1, 1),
         rotatedLeft(I, 1, 1), 1e-12},
        {"Shift+right: crystal -1 about x only", {{Via::special, kKeyRight, true}}, box, rotatedLeft(I, -1, 0),
         1e-12},
        {"left, right: both back", {{Via::special, kKeyLeft}, {Via::special, kKeyRight}}, box, I, 1e-12},
        {"F2 after turns: crystal back, camera stays",
         {{Via::special, kKeyUp}, {Via::key, 'a'}, {Via::special, kKeyF2}}, rotatedLeft(box, 1, 1), I, 1e-12},
        {"Shift+F2: camera back, crystal stays",
         {{Via::special, kKeyUp}, {Via::key, 'a'}, {Via::special, kKeyF2, true}}, box, rotatedLeft(I, 1, 2),
         1e-12},
        {"menu F2 never counts Shift", {{Via::special, kKeyUp}, {Via::menu, 2}}, box, I, 1e-12},
        {"page up, page down: 0.9975", {{Via::special, kKeyPageUp}, {Via::special, kKeyPageDown}},
         [&] {
             Mat4 m = box;
             for (int i = 0; i < 12; ++i) m[i] *= 1.05 * 0.95;
             return m;
         }(),
         I, 1e-12},
        {"F10, Home, X, Q, 7: nothing",
         {{Via::special, kKeyF10}, {Via::special, kKeyHome}, {Via::key, 'X'}, {Via::key, 'Q'}, {Via::key, '7'}},
         box, I, 0.0},
    };
    for (const Case& c : cases) {
        Session s = start;
        run(s, c.steps);
        expectMat(s.camera, c.camera, std::string(c.name) + ": camera", c.tol);
        expectMat(s.orientation, c.crystal, std::string(c.name) + ": crystal", c.tol);
    }
}

TEST(Session, SwitchesLayersFilmsAndWavelength) {
    struct Case {
        const char* name;
        std::vector<Step> steps;
        int lattice, sphere, axes, lighting, blending, allLayers, spinning, layer;
        bool opensRotation, opensWeissenberg, quits;
    };
    const Case cases[] = {
        {"start", {}, 1, 1, 1, 1, 1, 1, 0, 0, false, false, false},
        {"F1 F3 F4 F6 x", {{Via::special, kKeyF1}, {Via::special, kKeyF3}, {Via::special, kKeyF4},
                           {Via::special, kKeyF6}, {Via::key, 'x'}},
         0, 0, 0, 0, 0, 1, 0, 0, false, false, false},
        {"menu entries act as their keys", {{Via::menu, 1}, {Via::menu, 4}, {Via::menu, 120}, {Via::menu, 5}},
         0, 0, 0, 1, 1, 0, 0, 0, false, false, false},
        {"F12 spins, F11 stops", {{Via::special, kKeyF12}}, 1, 1, 1, 1, 1, 1, 1, 0, false, false, false},
        {"F12 F11", {{Via::special, kKeyF12}, {Via::special, kKeyF11}}, 1, 1, 1, 1, 1, 1, 0, 0, false, false,
         false},
        {"3: layer 3", {{Via::key, '3'}}, 1, 1, 1, 1, 1, 1, 0, 3, false, true, false},
        {"Shift+2: layer -1", {{Via::key, '2', true}}, 1, 1, 1, 1, 1, 1, 0, -1, false, true, false},
        {"F9: layer 1", {{Via::special, kKeyF9}}, 1, 1, 1, 1, 1, 1, 0, 1, false, true, false},
        {"F7", {{Via::special, kKeyF7}}, 1, 1, 1, 1, 1, 1, 0, 0, true, false, false},
        {"menu Beenden", {{Via::menu, 27}}, 1, 1, 1, 1, 1, 1, 0, 0, false, false, true},
        {"q", {{Via::key, 'q'}}, 1, 1, 1, 1, 1, 1, 0, 0, false, false, true},
    };
    for (const Case& c : cases) {
        Session s = startSession();
        scanAndLog(s);
        const Effects e = run(s, c.steps);
        EXPECT_EQ(s.showLatticePoints, c.lattice) << c.name;
        EXPECT_EQ(s.showEwaldSphere, c.sphere) << c.name;
        EXPECT_EQ(s.showAxes, c.axes) << c.name;
        EXPECT_EQ(s.lighting, c.lighting) << c.name;
        EXPECT_EQ(s.blending, c.blending) << c.name;
        EXPECT_EQ(s.allLayers, c.allLayers) << c.name;
        EXPECT_EQ(s.spinning, c.spinning) << c.name;
        EXPECT_EQ(s.currentLayer, c.layer) << c.name;
        EXPECT_EQ(e.openRotation, c.opensRotation) << c.name;
        EXPECT_EQ(e.openWeissenberg, c.opensWeissenberg) << c.name;
        EXPECT_EQ(e.quit, c.quits) << c.name;
        // A command that opens a window or quits ends there: no redraw; opening empties the log.
        if (!c.steps.empty()) {
            EXPECT_EQ(e.redraw, !(c.opensRotation || c.opensWeissenberg || c.quits)) << c.name;
        }
        if (c.opensRotation || c.opensWeissenberg) {
            EXPECT_EQ(s.log.count(), 0) << c.name;
        }
    }

    // The wavelength keys open the rotation film first; once it follows, they step 2/lambda.
    Session s = startSession();
    Effects e = keyCommand(s, 'L', false);
    EXPECT_TRUE(e.openRotation);
    EXPECT_EQ(s.lambdaEdited, 1);
    EXPECT_EQ(s.ewaldDiameter, 2 / 1.5418);
    EXPECT_FALSE(beginRotationFilmRedraw(s, true));  // first redraw: blank, now following
    EXPECT_EQ(s.rotationFilmRadius, 1 / 1.5418);
    e = keyCommand(s, 'l', false);
    EXPECT_EQ(s.ewaldDiameter, 2 / 1.5418 - 0.01);
    ASSERT_EQ(e.console.size(), 1u);
    char expected[64];
    std::snprintf(expected, sizeof expected, "Labda %f", 2 / (2 / 1.5418 - 0.01));
    EXPECT_EQ(e.console[0], expected);
    EXPECT_TRUE(beginRotationFilmRedraw(s, true));   // following after a wavelength change: traces
    EXPECT_FALSE(beginRotationFilmRedraw(s, false)); // an older window: never
    EXPECT_EQ(s.rotationFilmRadius, 1 / 1.5418);     // the radius stays that of the first redraw
    // F5 builds the lattice and sphere anew with the present wavelength.
    const int generation = s.built.generation;
    specialKeyCommand(s, kKeyF5, false);
    EXPECT_EQ(s.built.generation, generation + 1);
    EXPECT_EQ(s.built.ewaldDiameter, s.ewaldDiameter);
}

TEST(Session, MouseResizeAndSpin) {
    Session s = startSession();
    const Mat4 box = s.camera;
    // Left drag 4 pixels right, 2 down: -1 degree about x, then -2 about y.
    mouseCommand(s, 0, 0, 10, 10);
    EXPECT_TRUE(motionCommand(s, 14, 12).redraw);
    expectMat(s.camera, rotatedLeft(rotatedLeft(box, -1, 0), -2, 1), "left drag");
    // Middle drag: z only, by the horizontal movement.
    s.camera = box;
    mouseCommand(s, 1, 0, 0, 0);
    motionCommand(s, -6, 40);
    expectMat(s.camera, rotatedLeft(box, 3, 2), "middle drag");
    // The right button's motion turns nothing.
    s.camera = box;
    mouseCommand(s, 2, 0, 0, 0);
    EXPECT_FALSE(motionCommand(s, 50, 50).redraw);
    expectMat(s.camera, box, "right button");

    // Resize: x follows the aspect ratio; a height of 0 keeps the last box.
    const double e = 1.05 * 2 / 1.5418;
    Effects r = reshapeCommand(s, 1040, 520);
    EXPECT_EQ(r.console.at(0), "New aspect ratio: 1040:520 = 2.000000");
    expectMat(s.camera, orthoBox(2 * e, e, e), "wide window");
    r = reshapeCommand(s, 300, 0);
    EXPECT_EQ(r.console.at(0), "New aspect ratio: 300:0 = inf");
    expectMat(s.camera, orthoBox(2 * e, e, e), "height 0");

    // Spin: about the laboratory z while only the rotation film follows, else about the
    // crystal's own z; they differ once the crystal is tilted.
    Session t = startSession();
    specialKeyCommand(t, kKeyRight, true);  // tilt about x
    const Mat4 tilted = t.orientation;
    t.rotationOpen = 1;
    spinStep(t);
    expectMat(t.orientation, rotatedLeft(tilted, 0.3, 2), "spin, rotation film only");
    t.orientation = tilted;
    t.weissenbergOpen = 1;
    spinStep(t);
    Mat4 own = identityMatrix();
    own = rotatedLeft(own, 0.3, 2);
    expectMat(t.orientation, multiply(tilted, own), "spin, Weissenberg film fed");

    // Film mouse: left freezes both films, right empties the log and redraws that film.
    t.rotationOpen = t.weissenbergOpen = 1;
    scanAndLog(t);
    filmMouseCommand(t, 0);
    EXPECT_EQ(t.rotationOpen + t.weissenbergOpen, 0);
    EXPECT_GT(t.log.count(), 0);
    EXPECT_TRUE(filmMouseCommand(t, 2).redrawFilm);
    EXPECT_EQ(t.log.count(), 0);
}

// The start crystal at rest: twelve reflections and the origin lie within 0.004 of the sphere
// (hand search over |p - (R,0,0)| with p = 0.2 (h, k, l), R = 1/1.5418): h = 2 with
// (k, l) = (±3, 0), (0, ±3), and h = 4 with {|k|, |l|} = {1, 3}. P 1 21/c 1 leaves out the two
// h0l with l odd.
TEST(Session, StepLogsTheReflectionsOnTheSphereWithTheirFilmOrdinates) {
    Session s = startSession();
    scanAndLog(s);
    ASSERT_EQ(s.lastScan.hits.size(), 13u);
    ASSERT_EQ(s.log.count(), 12);  // never the origin
    for (int i = 0; i < s.log.count(); ++i) {
        const int h = s.log.logH[i], k = s.log.logK[i], l = s.log.logL[i];
        EXPECT_TRUE((h == 2 && k * k + l * l == 9 && k * l == 0) || (h == 4 && k * k + l * l == 10)) << h << k << l;
        EXPECT_EQ(s.log.logAngle[i], 0.0);
        EXPECT_NEAR(s.log.filmOrdinate[i], azimuthOrdinate(0.2 * h, 0.2 * k, s.ewaldDiameter), 1e-12);
    }
    scanAndLog(s);
    EXPECT_EQ(s.log.count(), 24);  // a step at the same place logs the same reflections again

    Session p21c = startSession(14);
    scanAndLog(p21c);
    EXPECT_EQ(p21c.log.count(), 10);
}

TEST(Session, MainFrameShowsBallsWhereTheReflectionsAreInTheirColours) {
    Session s = startSession();
    scanAndLog(s);
    MainSceneGeometry geometry;
    updateMainSceneGeometry(s, geometry);
    const std::vector<RecordedItem> items = recordFrame(mainFrame(s, geometry, 520, 520));
    // The lit red rays of all hits, their lit balls, then lattice points, axes and the sphere.
    ASSERT_EQ(items.size(), 5u);
    const RecordedItem& rays = items[0];
    const RecordedItem& balls = items[1];
    EXPECT_EQ(rays.primitive, Primitive::lines);
    EXPECT_EQ(balls.primitive, Primitive::triangles);
    EXPECT_TRUE(rays.lit && balls.lit);
    ASSERT_EQ(rays.picture.size(), 2 * 13u);
    ASSERT_EQ(balls.picture.size() % 13, 0u);
    const size_t ballVertices = balls.picture.size() / 13;
    const double e = 1.05 * 2 / 1.5418;  // camera box half-extent
    for (size_t i = 0; i < 13; ++i) {
        const LatticeHit& hit = s.lastScan.hits[i];
        // The ray runs from the reflection to the sphere's centre (R, 0, 0).
        EXPECT_NEAR(rays.picture[2 * i].x, 0.2 * hit.h / e, 1e-6);
        EXPECT_NEAR(rays.picture[2 * i + 1].x, 1 / 1.5418 / e, 1e-6);
        EXPECT_EQ(rays.colours[2 * i].r, 1.0f);
        EXPECT_EQ(rays.colours[2 * i].g, 0.0f);
        // The ball's vertices lie 0.02 about the reflection's place in the picture.
        Vec3 mean;
        for (size_t v = i * ballVertices; v < (i + 1) * ballVertices; ++v)
            mean = mean + (1.0 / static_cast<double>(ballVertices)) * balls.picture[v];
        EXPECT_NEAR(mean.x, 0.2 * hit.h / e, 1e-6);
        EXPECT_NEAR(mean.y, 0.2 * hit.k / e, 1e-6);
        const Rgba c = balls.colours[i * ballVertices];
        const Rgba want = hit.k == 1 ? kYellow : hit.k == -1 ? kBlue : Rgba{1.0f, 0.5f, 0.0f, 1.0f};
        EXPECT_EQ(c.r, want.r) << hit.h << hit.k << hit.l;
        EXPECT_EQ(c.g, want.g) << hit.h << hit.k << hit.l;
        EXPECT_EQ(c.b, want.b) << hit.h << hit.k << hit.l;
    }
    const RecordedItem& points = items[2];
    EXPECT_EQ(points.primitive, Primitive::points);
    EXPECT_FALSE(points.lit);
    EXPECT_TRUE(points.kept);
    EXPECT_EQ(points.pointSize, 3.0f);
    EXPECT_EQ(items[3].lineWidth, 2.0f);  // axes
    EXPECT_TRUE(items[4].lit);            // sphere
    // The sphere stays where the laboratory has it: its rightmost point at x = 2R.
    double right = -1;
    for (const Vec3& v : items[4].picture) right = std::fmax(right, v.x);
    EXPECT_NEAR(right, 2 / 1.5418 / e, 1e-6);

    // Lattice points off, lighting off: no points item, nothing shaded.
    specialKeyCommand(s, kKeyF1, false);
    specialKeyCommand(s, kKeyF3, false);
    const std::vector<RecordedItem> fewer = recordFrame(mainFrame(s, geometry, 520, 520));
    EXPECT_EQ(fewer.size(), 4u);
    for (const RecordedItem& item : fewer) EXPECT_FALSE(item.lit);
}

namespace {
Session cifSession(const char* file) {
    const StartRequest r = readStartRequest({std::string(WEISSENBERG_DATA_DIR) + "/cif/" + file, "1.5418"});
    EXPECT_EQ(r.kind, StartRequest::Kind::run) << r.error;
    Crystal crystal = makeCrystal(r.cell[0], r.cell[1], r.cell[2], r.cell[3], r.cell[4], r.cell[5], r.spaceGroup);
    crystal.intensities = std::make_shared<const Intensities>(*r.cif);
    return newSession(crystal, r.lambda);
}

// The points of a film frame, by size, with their film positions.
std::vector<std::pair<float, Vec3>> spots(const Frame& frame) {
    std::vector<std::pair<float, Vec3>> out;
    const std::vector<RecordedItem> items = recordFrame(frame);
    for (const RecordedItem& item : items) {
        if (item.primitive != Primitive::points) continue;
        for (const Vec3& v : item.picture) out.push_back({item.pointSize, v});
    }
    return out;
}
}  // namespace

// The intensity look: NaCl's strong 200 is drawn larger than its weak 111 (4(f_Cl - f_Na)
// against 4(f_Na + f_Cl)); diamond's 222, allowed by F d -3 m but of zero |F|, is left out;
// without atoms the key only says so.
TEST(Session, IntensityLookSizesSpotsByTheStructureFactor) {
    Session nacl = cifSession("nacl.cif");
    appendReflection(nacl.log, 1, 1, 1, 0.5, 0.1);
    appendReflection(nacl.log, 2, 0, 0, -0.5, 0.3);
    FilmPoints points;
    Effects e = keyCommand(nacl, 'i', false);
    EXPECT_EQ(nacl.intensityLook, 1);
    EXPECT_TRUE(e.redraw);
    nacl.currentLayer = 1;
    std::vector<std::pair<float, Vec3>> s111 = spots(weissenbergFilmFrame(nacl, 520, 520, points));
    nacl.currentLayer = 0;
    std::vector<std::pair<float, Vec3>> s200 = spots(weissenbergFilmFrame(nacl, 520, 520, points));
    ASSERT_EQ(s111.size(), 1u);
    ASSERT_EQ(s200.size(), 1u);
    EXPECT_LT(s111[0].first, s200[0].first);
    EXPECT_NEAR(s200[0].second.y, 0.3, 1e-6);
    keyCommand(nacl, 'i', false);
    EXPECT_EQ(spots(weissenbergFilmFrame(nacl, 520, 520, points))[0].first, 3.0f);

    Session diamond = cifSession("diamond.cif");
    appendReflection(diamond.log, 2, 2, 2, 0.5, 0.1);
    appendReflection(diamond.log, 2, 2, 0, 0.5, 0.2);
    beginRotationFilmRedraw(diamond, true);  // the film radius
    keyCommand(diamond, 'i', false);
    EXPECT_EQ(spots(rotationFilmFrame(diamond, 520, 520, false, false, points)).size(), 1u);
    keyCommand(diamond, 'i', false);
    EXPECT_EQ(spots(rotationFilmFrame(diamond, 520, 520, false, false, points)).size(), 2u);

    // Lattice points of the main view: 222 left out in the intensity look only.
    MainSceneGeometry geometry;
    const auto hasPointAt = [&](const Session& s, const Vec3& p) {
        updateMainSceneGeometry(s, geometry);
        for (const RecordedItem& item : recordFrame(mainFrame(s, geometry, 520, 520))) {
            if (item.primitive != Primitive::points) continue;
            for (const Vec3& v : item.picture)
                if (length(v - p) < 1e-6) return true;
        }
        return false;
    };
    const double e222 = 1.05 * 2 / 1.5418;
    const Vec3 at222{2 * diamond.crystal.reciprocal.aLen / e222, 2 * diamond.crystal.reciprocal.bLen / e222,
                     -2 * diamond.crystal.reciprocal.cLen / e222};  // the box's depth axis is reversed
    EXPECT_TRUE(hasPointAt(diamond, at222));
    keyCommand(diamond, 'i', false);
    EXPECT_FALSE(hasPointAt(diamond, at222));

    Session plain = startSession();
    e = keyCommand(plain, 'i', false);
    EXPECT_EQ(plain.intensityLook, 0);
    EXPECT_FALSE(e.redraw);
    ASSERT_EQ(e.console.size(), 1u);
    EXPECT_EQ(e.console[0].find("Keine Atomlagen bekannt"), 0u);
}
