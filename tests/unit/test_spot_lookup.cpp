// Reading the films and the main window: the inverse film geometry, the nearest-spot grid,
// the lookup over the points a film drew, picking in the main window, the labels, the
// legend's layer lines and the log as CSV.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

#include "model/film_geometry.h"
#include "model/spot_index.h"
#include "render/film_legend.h"
#include "render/film_spots.h"
#include "render/log_table.h"
#include "render/main_pick.h"
#include "session/commands.h"

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr int kSize = 520;  // window pixels

// a* along x, b* along y, c* along z (laboratory frame), film radius 0.5.
FilmRedraw simpleRedraw() {
    FilmRedraw r;
    r.aStarRot = {0.2, 0.0, 0.0};
    r.bStarRot = {0.0, 0.3, 0.0};
    r.cStarRot = {0.0, 0.0, 0.15};
    r.filmRadius = 0.5;
    r.viewportWidth = kSize;
    r.viewportHeight = kSize;
    return r;
}

// The window pixel (from the top left) that holds film point (x, y).
void pixelOf(float x, float y, int* px, int* py) {
    *px = static_cast<int>(std::floor((x + 1.0) * kSize / 2));
    *py = static_cast<int>(std::floor((1.0 - y) * kSize / 2));
}

}  // namespace

TEST(SpotLookup, InverseFilmGeometryGivesTheValuesBack) {
    // weissenbergAngle undoes weissenbergAbscissa; rotationHeight undoes rotationAbscissa
    // wherever the ray meets the film (|uz| < radius).
    for (double angle : {-kPi, -2.0, -0.3, 0.0, 0.7, 3.0, kPi})
        EXPECT_NEAR(weissenbergAngle(weissenbergAbscissa(angle)), angle, 1e-15) << angle;
    for (double uz : {-0.45, -0.1, 0.0, 0.05, 0.3, 0.49})
        EXPECT_NEAR(rotationHeight(rotationAbscissa(uz, 0.5), 0.5), uz, 1e-14) << uz;
}

TEST(SpotLookup, EveryDrawnEntryIsFoundAtItsOwnPlaceOnBothFilms) {
    // A table of entries far apart on both films; one of layer 1, which the Weissenberg film
    // of layer 0 does not show, and one without a real rotation position (uz beyond the radius).
    struct Entry {
        int h, k, l;
        double angle, ordinate;
    } entries[] = {
        {1, 0, 0, 0.0, 0.1},   {2, -1, 0, 0.8, -0.4},  {0, 1, 0, -1.9, 0.6},  {-1, -1, 0, 2.5, -0.8},
        {1, 1, 1, -0.4, 0.3},  {-2, 0, 0, -2.9, 0.9},  {0, 0, 4, 1.5, -0.2},
    };
    ReflectionLog log;
    for (const Entry& e : entries) appendReflection(log, e.h, e.k, e.l, e.angle, e.ordinate);
    const FilmRedraw redraw = simpleRedraw();

    for (Film film : {Film::rotation, Film::weissenberg}) {
        FilmPoints points;
        if (film == Film::rotation) buildRotationPoints(log, redraw, points);
        else buildWeissenbergPoints(log, redraw, points);
        FilmSpotFinder finder;
        int found = 0;
        for (int i = 0; i < log.count(); ++i) {
            float x = 0, y = 0;
            const bool drawn = film == Film::rotation ? rotationSpotPosition(log, i, redraw, &x, &y)
                                                      : weissenbergSpotPosition(log, i, redraw, &x, &y);
            if (!drawn) continue;
            int px = 0, py = 0;
            pixelOf(x, y, &px, &py);
            EXPECT_EQ(finder.nearestEntry(points, kSize, kSize, px, py, 5), i)
                << (film == Film::rotation ? "rotation" : "Weissenberg") << " entry " << i;
            ++found;
        }
        // Rotation: all but (0 0 4), whose uz = 0.6 exceeds the radius. Weissenberg: layer 0 only.
        EXPECT_EQ(found, film == Film::rotation ? 6 : 5);
        EXPECT_EQ(finder.rebuilds(), 1) << "one grid for all queries of one redraw";
    }
}

TEST(SpotLookup, NearestSpotWithTiesReachAndEmptyGrid) {
    SpotIndex index;
    EXPECT_EQ(index.nearest(0, 0, 0.1, 0.1), -1) << "never built";
    index.build({});
    EXPECT_EQ(index.nearest(0, 0, 0.1, 0.1), -1) << "empty log";

    // Entries 3 and 7 at the same place: 7 is drawn over 3. Entries 5 and 1 at equal
    // distances on either side of x = 0.5: 5, the later. Entry 9 just outside the film.
    // (Coordinates that floats hold exactly, so equal distances are equal.)
    index.build({{0.0f, 0.0f, 3}, {0.0f, 0.0f, 7}, {0.375f, 0.5f, 5}, {0.625f, 0.5f, 1}, {1.5f, 0.0f, 9},
                 {-0.5f, -0.5f, 2}, {-0.5f, -0.375f, 4}});
    EXPECT_EQ(index.size(), 6);
    struct Case {
        double x, y, reachX, reachY;
        int entry;
        const char* what;
    } cases[] = {
        {0.01, 0.0, 0.05, 0.05, 7, "same place: the later entry, drawn on top"},
        {0.5, 0.5, 0.25, 0.25, 5, "equal distance: the later entry"},
        {0.59375, 0.5, 0.25, 0.25, 1, "the nearer wins over the later"},
        {0.3, 0.3, 0.1, 0.1, -1, "nothing within reach"},
        {0.99, 0.0, 0.2, 0.2, -1, "a spot off the film is not drawn, so never found"},
        // A window twice as high as wide: r pixels are 0.0625 film units in x, 0.125 in y.
        {-0.5, -0.4375, 0.0625, 0.125, 4, "equal distance up and down: the later"},
        {-0.4375, -0.5, 0.0625, 0.125, 2, "reach in pixels per axis: at the rim in x"},
        {-0.4375, -0.4375, 0.0625, 0.125, -1, "outside the ellipse of reach"},
    };
    for (const Case& c : cases) EXPECT_EQ(index.nearest(c.x, c.y, c.reachX, c.reachY), c.entry) << c.what;
}

TEST(SpotLookup, FilmLookupFollowsWhatTheFilmDrewAndRebuildsOnlyForNewPoints) {
    // The same reflection logged again at the same place: the later entry is the one drawn
    // (the earlier is merged away) and the one found.
    ReflectionLog log;
    appendReflection(log, 1, 0, 0, 0.5, 0.25);
    appendReflection(log, 2, 0, 0, -0.5, -0.25);
    appendReflection(log, 1, 0, 0, 0.5, 0.25);
    FilmRedraw redraw = simpleRedraw();
    FilmPoints points;
    buildWeissenbergPoints(log, redraw, points);
    FilmSpotFinder finder;
    int px = 0, py = 0;
    pixelOf(static_cast<float>(weissenbergAbscissa(0.5)), 0.25f, &px, &py);
    EXPECT_EQ(finder.nearestEntry(points, kSize, kSize, px, py, 4), 2);
    EXPECT_EQ(finder.nearestEntry(points, kSize, kSize, kSize / 2, kSize / 2, 4), -1) << "empty film area";
    EXPECT_EQ(finder.rebuilds(), 1);

    clearReflectionLog(log);
    buildWeissenbergPoints(log, redraw, points);
    EXPECT_EQ(finder.nearestEntry(points, kSize, kSize, px, py, 4), -1) << "emptied log, film drawn again";
    EXPECT_EQ(finder.rebuilds(), 2);
}

TEST(SpotLookup, MainWindowPicksTheFrontPointUnderThePointer) {
    // P1 cube a = 5, lambda = 2: ewaldDiameter 1, a* = 0.2 along x, camera box ±1.05 looking
    // down -z. The points (1 0 l) share one place in the picture; the front one has the
    // largest l inside the limiting sphere: 0.04 + 0.04 l² <= 1 gives l = 4.
    Session s = newSession(makeCrystal(5, 5, 5, 90, 90, 90, 1), 2.0);
    MainSceneGeometry scene;
    MainPicker picker;
    const double x = 0.2 / 1.05;  // normalised picture x of (1 0 l)
    const int px = static_cast<int>(std::floor((x + 1) * kSize / 2));
    const PickedPoint p = picker.pick(s, scene, kSize, kSize, px, kSize / 2, 5);
    ASSERT_TRUE(p.found);
    EXPECT_EQ(p.h, 1);
    EXPECT_EQ(p.k, 0);
    EXPECT_EQ(p.l, 4);
    EXPECT_NEAR(p.dStar, std::sqrt(0.04 + 0.64), 1e-12);

    // At the centre: (0 0 l) in front of the origin, which has no spacing and is never named;
    // 0.2 l <= 1 gives l = 5.
    const PickedPoint centre = picker.pick(s, scene, kSize, kSize, kSize / 2, kSize / 2, 5);
    EXPECT_TRUE(centre.found && centre.h == 0 && centre.k == 0 && centre.l == 5);
    EXPECT_FALSE(picker.pick(s, scene, kSize, kSize, 3, 3, 5).found) << "empty corner";
    s.showLatticePoints = 0;
    EXPECT_FALSE(picker.pick(s, scene, kSize, kSize, px, kSize / 2, 5).found) << "lattice points hidden, no balls";
}

TEST(SpotLookup, Labels) {
    PickedPoint p;
    p.found = true;
    p.h = 2;
    p.k = -1;
    p.dStar = std::sqrt(0.2);  // d = 2.2360...
    EXPECT_EQ(mainPointLabel(p), "(2 -1 0)  |d*| = 0.4472  d = 2.236 \u00c5");
    EXPECT_EQ(mainPointLabel(PickedPoint{}), "");

    Session s = newSession(makeCrystal(5, 5, 5, 90, 90, 90, 1), 1.5418);
    appendReflection(s.log, 2, -1, 1, radians(37.5), 0.2);
    EXPECT_EQ(filmSpotLabel(s, Film::rotation, 0), "(2 -1 1)  Winkel 37.5\u00b0  Schicht 1");
    EXPECT_EQ(filmSpotLabel(s, Film::weissenberg, 0), "(2 -1 1)  Winkel 37.5\u00b0");
    EXPECT_EQ(filmSpotLabel(s, Film::weissenberg, 1), "") << "no such entry";

    // The toolkit's fonts and titles are Latin-1.
    EXPECT_EQ(latin1FromUtf8("d = 2 \u00c5, 37.5\u00b0"), "d = 2 \xc5, 37.5\xb0");
    EXPECT_EQ(latin1FromUtf8("\u03c9 = 1"), "? = 1");
}

TEST(SpotLookup, LegendKeyAndLayerLines) {
    Session s = newSession(makeCrystal(5, 5, 5, 90, 90, 90, 1), 1.5418);
    // 'b' shows the films again with the legend switched; the main window takes no step.
    const Effects on = keyCommand(s, 'b', false);
    EXPECT_TRUE(on.repaint);
    EXPECT_FALSE(on.redraw);
    EXPECT_EQ(s.showLegend, 1);
    const Mat4 before = s.orientation;
    const Effects menu = menuCommand(s, 'b');
    EXPECT_EQ(s.showLegend, 0);
    EXPECT_TRUE(menu.repaint);
    EXPECT_EQ(s.orientation, before) << "the menu value is no special key";
    EXPECT_TRUE(menuCommand(s, 'p').save);

    // Off: the film's frame has no overlay, so its picture is as without the legend.
    scanAndLog(s);
    FilmPoints points;
    Frame plain = weissenbergFilmFrame(s, kSize, kSize, points);
    addFilmLegend(s, Film::weissenberg, plain);
    EXPECT_TRUE(plain.overlay.empty() && plain.texts.empty());
    s.showLegend = 1;
    addFilmLegend(s, Film::weissenberg, plain);
    EXPECT_FALSE(plain.texts.empty());

    // Layer lines at the start orientation: layer l at the abscissa of u_z = l c*_z.
    FilmRedraw redraw = filmRedrawForReading(s);
    double x = 0;
    ASSERT_TRUE(layerLineAbscissa(redraw, 2, &x));
    EXPECT_DOUBLE_EQ(x, rotationAbscissa(2 * 0.2, s.ewaldDiameter / 2));
    // Tilted off the rotation axis, a* has a z component: no layer lines.
    turnMatrix(s.orientation, 10, 0, 1, 0);
    scanAndLog(s);
    EXPECT_FALSE(layerLineAbscissa(filmRedrawForReading(s), 2, &x));
}

TEST(SpotLookup, LogAsCsv) {
    Session s = newSession(makeCrystal(5, 5, 5, 90, 90, 90, 1), 1.5418);
    scanAndLog(s);  // the basis of the start orientation: a*, b*, c* = 0.2 along x, y, z
    appendReflection(s.log, 1, 0, 0, radians(90), 0.5);
    appendReflection(s.log, 0, 1, 1, radians(-45), -0.25);  // layer 1: not on the Weissenberg film of layer 0
    appendReflection(s.log, 0, 0, 1, 0.0, kNaN);            // no ordinate: on no film
    std::istringstream csv(reflectionLogCsv(s));
    std::vector<std::string> lines;
    for (std::string line; std::getline(csv, line);) lines.push_back(line);
    const int scanned = s.log.count() - 3;
    ASSERT_EQ(static_cast<int>(lines.size()), 1 + s.log.count());
    EXPECT_EQ(lines[0], "h,k,l,kristallwinkel_grad,drehkristall_x,drehkristall_y,weissenberg_x,weissenberg_y");
    // Rotation abscissa of (0 1 1): 0.5 tan(asin(0.2 / R)), R = ewaldDiameter / 2.
    char expected[160];
    const double x011 = 0.5 * std::tan(std::asin(0.2 / (s.ewaldDiameter / 2)));
    std::snprintf(expected, sizeof expected, "0,1,1,-45.000000,%.6f,-0.250000,,", static_cast<double>(static_cast<float>(x011)));
    EXPECT_EQ(lines[1 + scanned], "1,0,0,90.000000,0.000000,0.500000,-0.500000,0.500000");
    EXPECT_EQ(lines[2 + scanned], expected);
    EXPECT_EQ(lines[3 + scanned], "0,0,1,0.000000,,,,");
}
