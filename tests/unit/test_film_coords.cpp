// Film coordinates of the rotation and Weissenberg photographs, their colour rules, and the
// latching of the films' ordinates over a whole log.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>

#include "film/film_coords.h"

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// A film redraw with a simple laboratory basis: a* along x, b* along y, c* along z.
FilmRedraw simpleRedraw(double angle) {
    FilmRedraw r;
    r.aStarRot = {0.2, 0.0, 0.0};
    r.bStarRot = {0.0, 0.3, 0.0};
    r.cStarRot = {0.0, 0.0, 0.15};
    r.crystalAngle = angle;
    r.ewaldDiameter = 1.0;
    r.filmRadius = 0.5;
    return r;
}

void expectColour(const FilmPoints& p, int i, FilmColour c) {
    EXPECT_EQ(p.rgb[3 * i], c.r) << "point " << i;
    EXPECT_EQ(p.rgb[3 * i + 1], c.g) << "point " << i;
    EXPECT_EQ(p.rgb[3 * i + 2], c.b) << "point " << i;
}

}  // namespace

TEST(FilmCoords, AzimuthOrdinate) {
    // s = (ux - D/2, uy); v = (atan2(s_x, s_y) + pi/2) / pi, folded into (-1, 1].
    struct Case {
        double ux, uy, diameter, v;
        const char* what;
    } cases[] = {
        {0.0, 0.0, 2.0, 0.0, "ray towards the reciprocal origin: on the cross"},
        {2.0, 0.0, 2.0, 1.0, "ray exactly along +x: top edge, not -1"},
        {1.0, 1.0, 2.0, 0.5, "ray along +y: atan2(0, 1) = 0"},
        {1.0, -1.0, 2.0, -0.5, "ray along -y: 1.5 folds to -0.5"},
    };
    for (const Case& c : cases) EXPECT_EQ(azimuthOrdinate(c.ux, c.uy, c.diameter), c.v) << c.what;

    const double pastX = azimuthOrdinate(2.0, -1e-9, 2.0);  // just past +x
    EXPECT_GT(pastX, -1.0);
    EXPECT_LT(pastX, -1.0 + 1e-6);
}

TEST(FilmCoords, WeissenbergAbscissa) {
    struct Case {
        double angle, x;
    } cases[] = {{kPi, -1.0}, {-kPi, 1.0}, {0.0, 0.0}, {kPi / 2, -0.5}};
    for (const Case& c : cases) EXPECT_EQ(weissenbergAbscissa(c.angle), c.x) << c.angle;
}

TEST(FilmCoords, RotationAbscissaAndEditedOrdinate) {
    // Layer l = 2 with c*z = 0.15 on a film of radius 0.5: uz/R = 0.6, tan(asin 0.6) = 0.75,
    // so the layer line lies at 0.375; l = 1 gives 0.3 -> 0.3/sqrt(0.91) / 2.
    EXPECT_NEAR(rotationAbscissa(2 * 0.15, 0.5), 0.375, 1e-15);
    EXPECT_NEAR(rotationAbscissa(0.15, 0.5), 0.5 * 0.3 / std::sqrt(0.91), 1e-15);
    EXPECT_EQ(rotationAbscissa(0.0, 0.5), 0.0);  // equator on the cross
    EXPECT_NEAR(editedOrdinate(-0.3, 0.5), -0.375, 1e-15);
    EXPECT_TRUE(std::isnan(rotationAbscissa(0.6, 0.5)));  // beyond the film radius
    EXPECT_TRUE(std::isnan(editedOrdinate(-0.51, 0.5)));
}

TEST(FilmCoords, ColourTables) {
    struct Case {
        int h, k;
        FilmColour rotation;
        bool weissenbergHasColour;
        FilmColour weissenberg;
    } cases[] = {
        {1, -1, {0, 1, 0}, true, {0, 1, 0}},  // h tested before k: green
        {-1, 1, {1, 0, 1}, true, {1, 0, 1}},
        {0, 1, {1, 0.7f, 0}, true, {1, 1, 0}},  // orange on the rotation film, yellow on the other
        {3, -1, {0, 0, 1}, true, {0, 0, 1}},
        {2, 2, {1, 0, 0}, true, {1, 0, 0}},
        {0, 0, {1, 0, 0}, false, {}},
    };
    for (const Case& c : cases) {
        const FilmColour r = rotationColour(c.h, c.k);
        EXPECT_EQ(r.r, c.rotation.r);
        EXPECT_EQ(r.g, c.rotation.g);
        EXPECT_EQ(r.b, c.rotation.b);
        FilmColour w{0.5f, 0.5f, 0.5f};
        EXPECT_EQ(weissenbergColour(c.h, c.k, &w), c.weissenbergHasColour) << c.h << " " << c.k;
        if (c.weissenbergHasColour) {
            EXPECT_EQ(w.r, c.weissenberg.r);
            EXPECT_EQ(w.g, c.weissenberg.g);
            EXPECT_EQ(w.b, c.weissenberg.b);
        }
    }
}

TEST(FilmCoords, RotationLatchesOnlyAtTheCurrentAngleAndSkipsEntriesWithoutPosition) {
    static ReflectionLog log;
    log.logCount = 0;
    const double now = 0.25;
    appendReflection(log, 0, 0, 1, now);    // 0: latched now
    appendReflection(log, 1, 0, 0, 0.125);  // 1: logged at another angle: keeps its ordinate
    appendReflection(log, 0, 0, 4, now);    // 2: uz/R = 1.2: no film position
    appendReflection(log, 0, -1, 0, now);   // 3: drawn, latched
    appendReflection(log, 0, 1, 0, now);    // 4: drawn, latched
    log.rotationY[0] = 0.875;
    log.rotationY[1] = 0.75;
    log.rotationY[2] = 0.5;

    // A non-finite diameter leaves the entries to be latched now without a position: only
    // entry 1, drawn at the ordinate it holds, remains, and no ordinate is overwritten.
    FilmRedraw r = simpleRedraw(now);
    r.ewaldDiameter = kNaN;
    FilmPoints p;
    ASSERT_EQ(buildRotationPoints(log, r, p), 1);
    EXPECT_EQ(p.xy[1], 0.75f);
    EXPECT_EQ(log.rotationY[0], 0.875);
    EXPECT_EQ(log.rotationY[3], 0.0);

    r.ewaldDiameter = 1.0;
    ASSERT_EQ(buildRotationPoints(log, r, p), 4);
    // entry 0: u = (0, 0, 0.15): x = 0.5 tan(asin 0.3); ray (-0.5, 0) -> v = 0
    EXPECT_FLOAT_EQ(p.xy[0], static_cast<float>(rotationAbscissa(0.15, 0.5)));
    EXPECT_EQ(p.xy[1], 0.0f);
    EXPECT_EQ(log.rotationY[0], 0.0);
    expectColour(p, 0, {1, 0, 0});
    // entry 1: drawn at the ordinate it held, which stays
    EXPECT_EQ(p.xy[3], 0.75f);
    EXPECT_EQ(log.rotationY[1], 0.75);
    expectColour(p, 1, {0, 1, 0});
    // entry 2 skipped, its slot untouched; entry 3: ray (-0.5, -0.3)
    EXPECT_EQ(log.rotationY[2], 0.5);
    EXPECT_EQ(log.rotationY[3], azimuthOrdinate(0.0, -0.3, 1.0));
    EXPECT_EQ(p.xy[5], static_cast<float>(log.rotationY[3]));
    expectColour(p, 2, {0, 0, 1});
    expectColour(p, 3, {1, 0.7f, 0});

    // edited mode: drawn at the edited ordinate, the latch still updates rotationY
    r.edited = 1;
    r.crystalAngle = 0.125;
    ASSERT_EQ(buildRotationPoints(log, r, p), 4);
    EXPECT_EQ(p.xy[3], 0.0f);  // entry 1: uy = 0
    EXPECT_EQ(log.rotationY[1], azimuthOrdinate(0.2, 0.0, 1.0));
    EXPECT_FLOAT_EQ(p.xy[5], static_cast<float>(editedOrdinate(-0.3, 0.5)));
}

TEST(FilmCoords, WeissenbergDrawsTheLayerAndInheritsColourForHkZero) {
    static ReflectionLog log;
    log.logCount = 0;
    const double now = -0.5;
    appendReflection(log, 0, 0, 1, now);      // first point, h = k = 0: black
    appendReflection(log, 1, 2, 0, now);      // other layer: never drawn, slot untouched
    appendReflection(log, 0, -1, 1, kPi);     // blue, left edge, logged earlier: keeps ordinate
    appendReflection(log, 0, 0, 1, now);      // h = k = 0 after blue: blue
    appendReflection(log, 0, 0, 1, kNaN);     // no position: skipped (does not count as drawn)
    appendReflection(log, 2, 0, 1, now);      // red
    appendReflection(log, 0, 0, 1, now);      // red
    log.weissenbergY[1] = 0.125;
    log.weissenbergY[2] = 0.625;
    log.weissenbergY[4] = 0.375;

    FilmRedraw r = simpleRedraw(now);
    r.layer = 1;
    FilmPoints p;
    ASSERT_EQ(buildWeissenbergPoints(log, r, p), 5);
    const FilmColour black{0, 0, 0}, blue{0, 0, 1}, red{1, 0, 0};
    expectColour(p, 0, black);
    expectColour(p, 1, blue);
    expectColour(p, 2, blue);
    expectColour(p, 3, red);
    expectColour(p, 4, red);
    EXPECT_EQ(p.xy[0], static_cast<float>(0.5 / kPi));
    EXPECT_EQ(p.xy[2], -1.0f);
    EXPECT_EQ(p.xy[3], 0.625f);
    EXPECT_EQ(log.weissenbergY[1], 0.125);
    EXPECT_EQ(log.weissenbergY[2], 0.625);
    EXPECT_EQ(log.weissenbergY[4], 0.375);
    EXPECT_EQ(log.weissenbergY[0], 0.0);  // u = (0, 0): ray towards the origin
    EXPECT_EQ(log.weissenbergY[5], azimuthOrdinate(0.4, 0.0, 1.0));
    EXPECT_EQ(p.xy[7], static_cast<float>(log.weissenbergY[5]));
}

// Merging: on a 10 x 10 viewport a film coordinate x lies at pixel (x + 1) * 5. A point is
// left out only when a later point lies in the same pixel beyond doubt, or at exactly the
// same coordinate; the rest keep their order and colours.
TEST(FilmCoords, PointsHiddenByALaterPointAreLeftOut) {
    static ReflectionLog log;
    log.logCount = 0;
    struct Entry {
        int h, k;
        double x, y;
        bool drawn;
    } entries[] = {
        {1, 0, -0.5, 0.1, false},   // pixel (2.5, 5.5): hidden by the next
        {0, -1, -0.52, 0.12, true}, // pixel (2.4, 5.6), another colour: paints over it
        {2, 2, 0.0, 0.1, false},    // x on a pixel edge: only an equal x can hide it
        {2, 2, 0.0, 0.12, true},    // equal x, same pixel in y
        {2, 2, 0.001, 0.11, true},  // x within 1/64 pixel of the edge: kept
        {1, 0, 0.3, 0.999, true},   // y within 1/64 pixel of the top border: kept
        {1, 0, 0.3, 0.995, true},
    };
    int i = 0;
    for (const Entry& e : entries) {
        log.weissenbergY[i++] = e.y;
        appendReflection(log, e.h, e.k, 0, -e.x * kPi);
    }
    FilmRedraw r = simpleRedraw(100.0);  // no entry latches
    FilmPoints p;
    EXPECT_EQ(buildWeissenbergPoints(log, r, p), 7);
    r.viewportWidth = 10;
    r.viewportHeight = 10;
    ASSERT_EQ(buildWeissenbergPoints(log, r, p), 5);
    int drawn = 0;
    for (const Entry& e : entries) {
        if (!e.drawn) continue;
        EXPECT_EQ(p.xy[2 * drawn], static_cast<float>(-(-e.x * kPi) / kPi)) << drawn;
        EXPECT_EQ(p.xy[2 * drawn + 1], static_cast<float>(e.y)) << drawn;
        FilmColour c;
        weissenbergColour(e.h, e.k, &c);
        expectColour(p, drawn, c);
        ++drawn;
    }
}

// The per-redraw memo must give exactly what entry-by-entry evaluation gives, however many
// distinct reflections share its slots.
TEST(FilmCoords, WholeLogEqualsEntryByEntryEvaluation) {
    static ReflectionLog log;
    static ReflectionLog reference;
    log.logCount = 0;
    std::mt19937 random(7);
    std::uniform_int_distribution<int> index(-20, 20);
    const double angles[] = {0.1, 0.2, 0.3};
    for (int i = 0; i < 60000; ++i)
        appendReflection(log, index(random), index(random), index(random) / 4, angles[i % 3]);
    FilmRedraw r;
    r.aStarRot = {0.031, -0.012, 0.004};
    r.bStarRot = {0.011, 0.029, -0.006};
    r.cStarRot = {0.002, 0.005, 0.045};
    r.crystalAngle = 0.2;
    r.ewaldDiameter = 1.3;
    r.filmRadius = 0.6;
    reference = log;

    FilmPoints p;  // one set of arrays for both redraws, as in the windows
    for (int edited = 0; edited < 2; ++edited) {
        r.edited = edited;
        const int n = buildRotationPoints(log, r, p);
        int drawn = 0;
        for (int i = 0; i < reference.logCount; ++i) {
            const int h = reference.logH[i], k = reference.logK[i], l = reference.logL[i];
            const double ux = h * r.aStarRot.x + k * r.bStarRot.x + l * r.cStarRot.x;
            const double uy = h * r.aStarRot.y + k * r.bStarRot.y + l * r.cStarRot.y;
            const double uz = h * r.aStarRot.z + k * r.bStarRot.z + l * r.cStarRot.z;
            const double v = azimuthOrdinate(ux, uy, r.ewaldDiameter);
            const bool latch = reference.logAngle[i] == r.crystalAngle;
            const double x = rotationAbscissa(uz, r.filmRadius);
            const double y = edited ? editedOrdinate(uy, r.filmRadius) : (latch ? v : reference.rotationY[i]);
            if (!std::isfinite(x) || !std::isfinite(y)) continue;
            if (latch) reference.rotationY[i] = v;
            ASSERT_LT(drawn, n);
            ASSERT_EQ(p.xy[2 * drawn], static_cast<float>(x)) << i;
            ASSERT_EQ(p.xy[2 * drawn + 1], static_cast<float>(y)) << i;
            ASSERT_EQ(p.rgb[3 * drawn + 1], rotationColour(h, k).g) << i;
            ++drawn;
        }
        EXPECT_EQ(drawn, n);
        for (int i = 0; i < reference.logCount; ++i) ASSERT_EQ(log.rotationY[i], reference.rotationY[i]) << i;
        r.crystalAngle = 0.3;  // the second pass latches other entries
        r.aStarRot.x += 0.001; // with another basis: nothing of the first pass may be reused
    }
}
