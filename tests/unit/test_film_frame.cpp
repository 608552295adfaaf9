// Film coordinates of the rotation and Weissenberg photographs, their colour rules, and the
// point arrays of a whole log.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>

#include "render/film_frame.h"
#include "model/film_geometry.h"

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// A film redraw with a simple laboratory basis: a* along x, b* along y, c* along z.
FilmRedraw simpleRedraw(double angle) {
    FilmRedraw r;
    r.aStarRot = {0.2, 0.0, 0.0};
    r.bStarRot = {0.0, 0.3, 0.0};
    r.cStarRot = {0.0, 0.0, 0.15};
    (void)angle;
    r.filmRadius = 0.5;
    return r;
}

struct FilmColour {
    float r = 0.0f, g = 0.0f, b = 0.0f;
};

const std::vector<float>& xyOf(const FilmPoints& p) { return p.geometry->positions; }

void expectColour(const FilmPoints& p, int i, FilmColour c) {
    const std::vector<float>& rgb = p.geometry->colours;
    EXPECT_EQ(rgb[3 * i], c.r) << "point " << i;
    EXPECT_EQ(rgb[3 * i + 1], c.g) << "point " << i;
    EXPECT_EQ(rgb[3 * i + 2], c.b) << "point " << i;
}

FilmColour rotationColour(int h, int k) {
    const Rgba& c = indexColour(kRotationColours, h, k);
    return {c.r, c.g, c.b};
}

bool weissenbergColour(int h, int k, FilmColour* colour) {
    if (weissenbergKeepsColour(h, k)) return false;
    const Rgba& c = indexColour(kWeissenbergColours, h, k);
    *colour = {c.r, c.g, c.b};
    return true;
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

TEST(FilmCoords, RotationDrawsLoggedOrdinatesAndSkipsEntriesWithoutPosition) {
    ReflectionLog log;
    appendReflection(log, 0, 0, 1, 0.25, 0.875);   // 0: drawn at its logged ordinate
    appendReflection(log, 1, 0, 0, 0.125, 0.75);   // 1
    appendReflection(log, 0, 0, 4, 0.25, 0.5);     // 2: uz/R = 1.2: no film position
    appendReflection(log, 0, -1, 0, 0.25, kNaN);   // 3: no azimuth when logged: not drawn
    appendReflection(log, 0, 1, 0, 0.25, -0.25);   // 4

    FilmRedraw r = simpleRedraw(0.25);
    FilmPoints p;
    ASSERT_EQ(buildRotationPoints(log, r, p), 3);
    const std::vector<float>& xy = xyOf(p);
    // entry 0: u = (0, 0, 0.15): x = 0.5 tan(asin 0.3)
    EXPECT_FLOAT_EQ(xy[0], static_cast<float>(rotationAbscissa(0.15, 0.5)));
    EXPECT_EQ(xy[1], 0.875f);
    expectColour(p, 0, {1, 0, 0});
    EXPECT_EQ(xy[3], 0.75f);
    expectColour(p, 1, {0, 1, 0});
    EXPECT_EQ(xy[5], -0.25f);
    expectColour(p, 2, {1, 0.7f, 0});

    // edited mode: every entry at the ordinate of its present uy, the logged one unused
    r.edited = 1;
    ASSERT_EQ(buildRotationPoints(log, r, p), 4);
    EXPECT_EQ(xyOf(p)[3], 0.0f);  // entry 1: uy = 0
    EXPECT_FLOAT_EQ(xyOf(p)[5], static_cast<float>(editedOrdinate(-0.3, 0.5)));
    expectColour(p, 2, {0, 0, 1});
}

TEST(FilmCoords, WeissenbergDrawsTheLayerAndInheritsColourForHkZero) {
    ReflectionLog log;
    const double now = -0.5;
    appendReflection(log, 0, 0, 1, now, 0.0);      // first point, h = k = 0: black
    appendReflection(log, 1, 2, 0, now, 0.125);    // other layer: never drawn
    appendReflection(log, 0, -1, 1, kPi, 0.625);   // blue, left edge
    appendReflection(log, 0, 0, 1, now, 0.0);      // h = k = 0 after blue: blue
    appendReflection(log, 0, 0, 1, kNaN, 0.375);   // no position: skipped (does not count as drawn)
    appendReflection(log, 2, 0, 1, now, 0.5);      // red
    appendReflection(log, 0, 0, 1, now, 0.0);      // red

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
    const std::vector<float>& xy = xyOf(p);
    EXPECT_EQ(xy[0], static_cast<float>(0.5 / kPi));
    EXPECT_EQ(xy[2], -1.0f);
    EXPECT_EQ(xy[3], 0.625f);
    EXPECT_EQ(xy[7], 0.5f);
}

// Merging: on a 10 x 10 viewport a film coordinate x lies at pixel (x + 1) * 5. A point is
// left out only when a later point lies in the same pixel beyond doubt, or at exactly the
// same coordinate; the rest keep their order and colours.
TEST(FilmCoords, PointsHiddenByALaterPointAreLeftOut) {
    ReflectionLog log;
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
    for (const Entry& e : entries) appendReflection(log, e.h, e.k, 0, -e.x * kPi, e.y);
    FilmRedraw r = simpleRedraw(100.0);
    FilmPoints p;
    EXPECT_EQ(buildWeissenbergPoints(log, r, p), 7);
    r.viewportWidth = 10;
    r.viewportHeight = 10;
    ASSERT_EQ(buildWeissenbergPoints(log, r, p), 5);
    int drawn = 0;
    for (const Entry& e : entries) {
        if (!e.drawn) continue;
        EXPECT_EQ(xyOf(p)[2 * drawn], static_cast<float>(-(-e.x * kPi) / kPi)) << drawn;
        EXPECT_EQ(xyOf(p)[2 * drawn + 1], static_cast<float>(e.y)) << drawn;
        FilmColour c;
        weissenbergColour(e.h, e.k, &c);
        expectColour(p, drawn, c);
        ++drawn;
    }
}

// The per-redraw memo must give exactly what entry-by-entry evaluation gives, however many
// distinct reflections share its slots.
TEST(FilmCoords, WholeLogEqualsEntryByEntryEvaluation) {
    ReflectionLog log;
    std::mt19937 random(7);
    std::uniform_int_distribution<int> index(-20, 20);
    const double angles[] = {0.1, 0.2, 0.3};
    for (int i = 0; i < 60000; ++i)
        appendReflection(log, index(random), index(random), index(random) / 4, angles[i % 3], (i % 11) / 6.0 - 0.9);
    FilmRedraw r;
    r.aStarRot = {0.031, -0.012, 0.004};
    r.bStarRot = {0.011, 0.029, -0.006};
    r.cStarRot = {0.002, 0.005, 0.045};
    r.filmRadius = 0.6;

    FilmPoints p;  // one set of arrays for both redraws, as in the windows
    for (int edited = 0; edited < 2; ++edited) {
        r.edited = edited;
        const int n = buildRotationPoints(log, r, p);
        int drawn = 0;
        for (int i = 0; i < log.count(); ++i) {
            const int h = log.logH[i], k = log.logK[i], l = log.logL[i];
            const double uy = h * r.aStarRot.y + k * r.bStarRot.y + l * r.cStarRot.y;
            const double uz = h * r.aStarRot.z + k * r.bStarRot.z + l * r.cStarRot.z;
            const double x = rotationAbscissa(uz, r.filmRadius);
            const double y = edited ? editedOrdinate(uy, r.filmRadius) : log.filmOrdinate[i];
            if (!std::isfinite(x) || !std::isfinite(y)) continue;
            ASSERT_LT(drawn, n);
            ASSERT_EQ(xyOf(p)[2 * drawn], static_cast<float>(x)) << i;
            ASSERT_EQ(xyOf(p)[2 * drawn + 1], static_cast<float>(y)) << i;
            ASSERT_EQ(p.geometry->colours[3 * drawn + 1], rotationColour(h, k).g) << i;
            ++drawn;
        }
        EXPECT_EQ(drawn, n);
        r.aStarRot.x += 0.001;  // another basis: nothing of the first pass may be reused
    }
}
