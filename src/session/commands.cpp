// Every command of the program as a function of the session: keys, special keys, menu,
// mouse drags, resizes, the spin step, the step that scans and logs, and the films' redraw
// bookkeeping.
#include "session/commands.h"

#include <cfloat>
#include <cmath>
#include <cstdio>

#include "model/film_geometry.h"

namespace {

constexpr double kCameraStepDegrees = 1.0;
constexpr double kCameraShiftDegrees = 90.0;
constexpr double kDiameterStep = 0.01;   // change of ewaldDiameter (= 2/lambda) per wavelength key
constexpr double kCrystalStepDegrees = 1.0;
constexpr unsigned char kEscape = 27;
constexpr int kLeftButton = 0;
constexpr int kMiddleButton = 1;
constexpr int kRightButton = 2;
constexpr int kPressed = 0;

int toggled(int flag) { return flag == 0 ? 1 : 0; }


// The GL that shows the camera keeps it in single precision: a half-extent that is not
// finite or zero there (or too small for its reciprocal to be finite) gives a box of
// infinities or NaN.
bool loadableExtent(double v) {
    const double a = std::fabs(v);
    return a >= FLT_MIN && a <= FLT_MAX;
}

// Half-extent of the camera's box: the Ewald sphere's diameter and a 5 % rim.
double boxHalfExtent(const Session& s) { return 1.05 * s.ewaldDiameter; }

// The box -x..x, -y..y, depth -y..y. A box without a loadable extent (window height 0,
// width 0, a wavelength of 0 or near the largest or smallest double) is not taken: the last
// one that was is used again, so the picture comes back as it was once the size is sound.
void loadBox(Session& s, double x, double y) {
    if (loadableExtent(x) && loadableExtent(y)) {
        s.boxX = x;
        s.boxY = y;
    }
    s.camera = orthoBox(s.boxX, s.boxY, s.boxY);
}

// The lattice points and sphere are built anew from the present values.
void rebuildScene(Session& s) {
    s.built.ewaldDiameter = s.ewaldDiameter;
    s.built.currentLayer = s.currentLayer;
    s.built.allLayers = s.allLayers;
    ++s.built.generation;
}

Effects redraw() {
    Effects e;
    e.redraw = true;
    return e;
}

Effects quitEffects() {
    Effects e;
    e.quit = true;
    return e;
}

// Digit: a new Weissenberg window for the layer, with an empty log.
Effects openWeissenbergLayer(Session& s, int layer) {
    Effects e;
    e.destroyWeissenberg = true;
    clearReflectionLog(s.log);
    s.currentLayer = layer;
    s.weissenbergOpen = 0;
    e.openWeissenberg = true;
    return e;
}

// F7: both films start afresh with an empty log, in one new rotation window.
Effects openRotationFilm(Session& s) {
    Effects e;
    e.destroyRotation = true;
    e.destroyWeissenberg = true;
    clearReflectionLog(s.log);
    s.rotationOpen = 0;
    s.weissenbergOpen = 0;
    e.openRotation = true;
    return e;
}

// Camera turn about the picture's x or y axis: 1 degree, 90 with Shift.
void turnCamera(Session& s, int direction, double axisX, double axisY, bool shift) {
    const double degrees = shift ? kCameraShiftDegrees : kCameraStepDegrees;
    turnMatrix(s.camera, direction * degrees, axisX, axisY, 0);
}

// Wavelength step: "L" shortens lambda, "l" lengthens it. While the rotation film does not
// take part, the key opens it instead and the wavelength stays.
Effects stepWavelength(Session& s, int direction) {
    s.lambdaEdited = 1;
    if (s.rotationOpen == 0) {
        Effects e;
        e.openRotation = true;
        return e;
    }
    const bool wasCut = scanIndexRange(s.crystal, s.ewaldDiameter).cut;
    s.ewaldDiameter += direction * kDiameterStep;
    Effects e = redraw();
    e.console.push_back(formatted("Labda %f", 2.0 / s.ewaldDiameter));  // lambda = 2 / ewaldDiameter
    if (!wasCut && scanIndexRange(s.crystal, s.ewaldDiameter).cut) e.console.push_back(rangeCutLine(s));
    return e;
}

// The intensity look needs the atoms: without them the key only says so.
Effects toggleIntensityLook(Session& s) {
    const Intensities* intensities = s.crystal.intensities.get();
    if (!intensities || !intensities->hasAtoms()) {
        Effects e;
        e.console.push_back("Keine Atomlagen bekannt: die Intensitaeten brauchen eine CIF-Datei mit Atomen "
                            "(weissenberg --cif DATEI lambda).");
        return e;
    }
    s.intensityLook = toggled(s.intensityLook);
    Effects e = redraw();
    e.console.push_back(s.intensityLook ? "Intensitaeten: Punktgroesse nach |F|^2, ausgeloeschte Reflexe ausgelassen"
                                        : "Intensitaeten aus");
    return e;
}

// A zoom step that would take the box out of the range the GL holds (some 1800 steps of a
// page key held down) is left out: the camera stays finite, and the opposite key brings it back.
void zoomCamera(Session& s, double factor) {
    double largest = 0.0;  // of the three columns the scale multiplies
    for (int i = 0; i < 12; ++i) largest = std::fmax(largest, std::fabs(s.camera[i]));
    const double zoomed = largest * factor;
    if (zoomed >= FLT_MIN && zoomed <= FLT_MAX) scaleMatrix(s.camera, factor);
}

// Without Shift the crystal returns to its start orientation; with Shift the camera returns
// to the start box ±1.05·ewaldDiameter on all three axes. A box the GL cannot hold leaves
// the camera as it is.
void resetView(Session& s, bool shift) {
    if (!shift) {
        s.orientation = identityMatrix();
        return;
    }
    const double e = boxHalfExtent(s);
    if (loadableExtent(e)) loadBox(s, e, e);
}

}  // namespace

std::string formatted(const char* format, double v) {
    std::string text(static_cast<size_t>(std::snprintf(nullptr, 0, format, v)) + 1, '\0');
    std::snprintf(text.data(), text.size(), format, v);
    text.pop_back();
    return text;
}

std::string rangeCutLine(const Session& s) {
    const IndexRange range = scanIndexRange(s.crystal, s.ewaldDiameter);
    if (!range.cut) return "";
    char line[256];
    std::snprintf(line, sizeof line,
                  "Die Zelle ist fuer diese Wellenlaenge sehr gross: gezeigt und abgesucht werden nur die "
                  "Indizes |h| <= %d, |k| <= %d, |l| <= %d (hoechstens etwa %.0f Gitterpunkte).",
                  range.h, range.k, range.l, kMaxSpherePoints);
    return line;
}

namespace {

// The lattice points the limiting sphere holds, as far as the index range takes them.
double shownSpherePoints(const Session& s) {
    return std::fmin(latticePointsInSphere(s.crystal, std::fabs(s.ewaldDiameter)), kMaxSpherePoints);
}

bool denseLatticePoints(const Session& s) { return shownSpherePoints(s) > kDenseLatticePoints; }

}  // namespace

std::string hiddenLatticePointsLine(const Session& s) {
    if (!denseLatticePoints(s)) return "";
    return formatted("Etwa %.0f Gitterpunkte in der Grenzkugel: so dicht verdecken sie Ewaldkugel und Reflexe, "
                     "darum sind sie zu Beginn ausgeblendet. F1 zeigt sie.",
                     shownSpherePoints(s));
}

Session newSession(const Crystal& crystal, double lambda) {
    Session s;
    s.crystal = crystal;
    s.ewaldDiameter = 2.0 / lambda;
    if (denseLatticePoints(s)) s.showLatticePoints = 0;
    resetCamera(s);
    rebuildScene(s);
    return s;
}

void resetCamera(Session& s) {
    const double e = boxHalfExtent(s);
    loadBox(s, e, e);
}

Effects keyCommand(Session& s, unsigned char key, bool shift) {
    switch (key) {
        case kEscape:
        case 'q': return quitEffects();
        case '0': case '1': case '2': case '3': case '4': case '5':
            return openWeissenbergLayer(s, shift ? -1 : key - '0');
        case 'a': case 'A': turnCamera(s, +1, 0, 1, shift); break;
        case 'd': case 'D': turnCamera(s, -1, 0, 1, shift); break;
        case 's': case 'S': turnCamera(s, -1, 1, 0, shift); break;
        case 'w': case 'W': turnCamera(s, +1, 1, 0, shift); break;
        case 'L': return stepWavelength(s, +1);
        case 'l': return stepWavelength(s, -1);
        case 'z': case 'Z': clearReflectionLog(s.log); break;
        case 'x': s.showAxes = toggled(s.showAxes); break;
        case 'b': {
            // The legend changes no picture of the films themselves: they are shown again.
            s.showLegend = toggled(s.showLegend);
            Effects e;
            e.repaint = true;
            return e;
        }
        case 'p': {
            Effects e;
            e.save = true;
            return e;
        }
        case 'i': case 'I': return toggleIntensityLook(s);
        default: break;  // "X", "Q", "6" to "9", control characters: only a redraw
    }
    return redraw();
}

Effects specialKeyCommand(Session& s, int key, bool shift) {
    // Crystal turns of the key in degrees about the laboratory y, x and z axes.
    double turnY = 0.0, turnX = 0.0, turnZ = 0.0;
    switch (key) {
        case kKeyF1: s.showLatticePoints = toggled(s.showLatticePoints); break;
        case kKeyF2: resetView(s, shift); break;
        case kKeyF3: s.lighting = toggled(s.lighting); break;
        case kKeyF4: s.showEwaldSphere = toggled(s.showEwaldSphere); break;
        case kKeyF5:
            s.allLayers = toggled(s.allLayers);
            rebuildScene(s);
            break;
        case kKeyF6: s.blending = toggled(s.blending); break;
        case kKeyF7: return openRotationFilm(s);
        case kKeyF8: return openWeissenbergLayer(s, 0);
        case kKeyF9: return openWeissenbergLayer(s, 1);
        case kKeyF11: s.spinning = 0; break;
        case kKeyF12: s.spinning = 1; break;
        // Left and right: with Shift the crystal turns about x; without, about y together
        // with the same camera turn as "a" and "d".
        case kKeyLeft:
            if (shift) {
                turnX = kCrystalStepDegrees;
            } else {
                turnY = kCrystalStepDegrees;
                keyCommand(s, 'a', false);
            }
            break;
        case kKeyRight:
            if (shift) {
                turnX = -kCrystalStepDegrees;
            } else {
                turnY = -kCrystalStepDegrees;
                keyCommand(s, 'd', false);
            }
            break;
        case kKeyUp: turnZ = kCrystalStepDegrees; break;
        case kKeyDown: turnZ = -kCrystalStepDegrees; break;
        case kKeyPageUp: zoomCamera(s, 1.05); break;
        case kKeyPageDown: zoomCamera(s, 0.95); break;
        default: break;  // F10, Home, End, Insert and every other code: only a redraw
    }
    // Turns about the fixed laboratory axes, y, then x, then z.
    turnMatrix(s.orientation, turnY, 0, 1, 0);
    turnMatrix(s.orientation, turnX, 1, 0, 0);
    turnMatrix(s.orientation, turnZ, 0, 0, 1);
    return redraw();
}

Effects menuCommand(Session& s, int value) {
    Effects e = keyCommand(s, static_cast<unsigned char>(value & 0xFF), false);
    if (e.quit || e.openRotation || e.openWeissenberg || e.repaint || e.save) return e;
    Effects special = specialKeyCommand(s, value, false);
    special.console.insert(special.console.begin(), e.console.begin(), e.console.end());
    return special;
}

Effects mouseCommand(Session& s, int button, int state, int x, int y) {
    s.dragButton = button;
    if (button != kLeftButton && button != kMiddleButton) return {};
    if (state == kPressed) {
        s.lastMouseX = x;
        s.lastMouseY = y;
    }
    return {};  // a release changes nothing more
}

Effects motionCommand(Session& s, int x, int y) {
    if (s.dragButton != kLeftButton && s.dragButton != kMiddleButton) return {};
    // Half a degree of camera turn per pixel, sign reversed: the scene follows the mouse.
    const auto degrees = [](int pixels) { return static_cast<double>(pixels) / -2.0; };
    if (s.dragButton == kLeftButton) {
        turnMatrix(s.camera, degrees(y - s.lastMouseY), 1, 0, 0);
        turnMatrix(s.camera, degrees(x - s.lastMouseX), 0, 1, 0);
    } else {
        // The middle button uses the horizontal movement only.
        turnMatrix(s.camera, degrees(x - s.lastMouseX), 0, 0, 1);
    }
    s.lastMouseX = x;
    s.lastMouseY = y;
    return redraw();
}

Effects filmMouseCommand(Session& s, int button) {
    Effects e;
    if (button == kLeftButton) {
        s.rotationOpen = 0;
        s.weissenbergOpen = 0;
    } else if (button == kRightButton) {
        clearReflectionLog(s.log);
        e.redrawFilm = true;
    }
    return e;
}

Effects reshapeCommand(Session& s, int width, int height) {
    // Only x follows the aspect ratio; the camera's turns and zoom start afresh.
    const double aspect = static_cast<double>(width) / height;
    Effects e;
    char line[160];
    std::snprintf(line, sizeof line, "New aspect ratio: %d:%d = %f", width, height, aspect);
    e.console.push_back(line);
    const double box = boxHalfExtent(s);
    loadBox(s, box * aspect, box);
    return e;
}

Effects spinStep(Session& s) {
    if (s.rotationOpen != 0 && s.weissenbergOpen == 0) {
        // Only the rotation film is fed: turn about the fixed laboratory z axis.
        turnMatrix(s.orientation, kSpinDegrees, 0, 0, 1);
    } else {
        // Otherwise turn about the crystal's own z axis as it lies now.
        turnMatrixOwnZ(s.orientation, kSpinDegrees);
    }
    return redraw();
}

void scanAndLog(Session& s) {
    ScanInput in;
    in.crystal = &s.crystal;
    in.ewaldDiameter = s.ewaldDiameter;
    in.currentLayer = s.currentLayer;
    in.allLayers = s.allLayers;
    in.orientation = s.orientation;
    scanEwaldSphere(in, s.lastScan);
    const ScanResult& r = s.lastScan;
    // Every point on the sphere is logged, in scan order, but the origin, which lies on the
    // sphere at every orientation. Its film ordinate is the azimuth of its diffracted ray now.
    for (const LatticeHit& hit : r.hits) {
        if (hit.h == 0 && hit.k == 0 && hit.l == 0) continue;
        const Vec3 u = latticeCombination(hit.h, hit.k, hit.l, r.aStarRot, r.bStarRot, r.cStarRot);
        appendReflection(s.log, hit.h, hit.k, hit.l, r.crystalAngle, azimuthOrdinate(u.x, u.y, s.ewaldDiameter));
    }
}

bool beginRotationFilmRedraw(Session& s, bool named) {
    // After a wavelength change the film keeps its traces while it follows the main window;
    // otherwise (and at the first redraw after a freeze or a new opening) it starts blank.
    const bool keepTraces = named && s.lambdaEdited != 0 && s.rotationOpen != 0;
    if (named) s.rotationOpen = 1;
    s.rotationFilmRadius = rotationFilmRadius(s);
    s.rotationFilmRadiusSet = true;
    return keepTraces;
}

double rotationFilmRadius(const Session& s) {
    return s.rotationFilmRadiusSet ? s.rotationFilmRadius : s.ewaldDiameter / 2;
}

void beginWeissenbergFilmRedraw(Session& s, bool named) {
    if (named) s.weissenbergOpen = 1;
}
