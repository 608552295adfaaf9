// Figures of the redraws in the real windows, each timed up to glFinish: the main window,
// both films at an empty and at a full log, the films drawn point by point in immediate
// mode beside their own drawing, and one step of the spin at a full log.
#include <GL/freeglut.h>
// After the toolkit's header: Xlib's macros must not meet names declared before them.
#include <GL/glx.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <cmath>
#include <cstdio>
#include <vector>

#include "bench.h"
#include "film/film_coords.h"
#include "film/film_windows.h"
#include "input/input.h"
#include "view/view.h"

namespace {

// ---- the films drawn point by point ---------------------------------------------------

// One entry as one point of its own: a matrix load and a translation, its colour, its
// point size, one glBegin/glEnd.
void drawOnePoint(double x, double y) {
    glLoadIdentity();
    glTranslated(x, y, 0);
    glPointSize(3);
    glBegin(GL_POINTS);
    glVertex3d(0, 0, 0);
    glEnd();
}

// The rotation film entry by entry: every entry's coordinates and colour computed afresh,
// its ordinate latched when it was logged at the present angle.
void drawRotationPointByPoint() {
    if (scene.lambdaEdited == 0 || scene.rotationOpen == 0) glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    drawFilmCross();
    ReflectionLog& log = reflectionLog;
    for (int i = 0; i < log.logCount; ++i) {
        const int h = log.logH[i], k = log.logK[i], l = log.logL[i];
        const double ux = h * scene.aStarRot.x + k * scene.bStarRot.x + l * scene.cStarRot.x;
        const double uy = h * scene.aStarRot.y + k * scene.bStarRot.y + l * scene.cStarRot.y;
        const double uz = h * scene.aStarRot.z + k * scene.bStarRot.z + l * scene.cStarRot.z;
        const double x = rotationAbscissa(uz, rotationFilmRadius);
        const double v = azimuthOrdinate(ux, uy, scene.ewaldDiameter);
        if (log.logAngle[i] == scene.crystalAngle) log.rotationY[i] = v;
        const double y = scene.lambdaEdited ? editedOrdinate(uy, rotationFilmRadius) : log.rotationY[i];
        if (!std::isfinite(static_cast<float>(x)) || !std::isfinite(static_cast<float>(y))) continue;
        const FilmColour c = rotationColour(h, k);
        glColor3f(c.r, c.g, c.b);
        drawOnePoint(x, y);
    }
    glFlush();
    glutSwapBuffers();
}

// The Weissenberg film entry by entry, the entries of the current layer only; h = k = 0
// keeps the colour of the point before it.
void drawWeissenbergPointByPoint() {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    drawFilmCross();
    ReflectionLog& log = reflectionLog;
    for (int i = 0; i < log.logCount; ++i) {
        const int h = log.logH[i], k = log.logK[i], l = log.logL[i];
        if (l != scene.currentLayer) continue;
        const double ux = h * scene.aStarRot.x + k * scene.bStarRot.x + l * scene.cStarRot.x;
        const double uy = h * scene.aStarRot.y + k * scene.bStarRot.y + l * scene.cStarRot.y;
        if (log.logAngle[i] == scene.crystalAngle) log.weissenbergY[i] = azimuthOrdinate(ux, uy, scene.ewaldDiameter);
        const double x = weissenbergAbscissa(log.logAngle[i]);
        const double y = log.weissenbergY[i];
        if (!std::isfinite(static_cast<float>(x)) || !std::isfinite(static_cast<float>(y))) continue;
        FilmColour c{};
        if (weissenbergColour(h, k, &c)) glColor3f(c.r, c.g, c.b);
        drawOnePoint(x, y);
    }
    glFlush();
    glutSwapBuffers();
}

// ---- the picture on the screen ----------------------------------------------------------

// What the X server shows in the window, row by row (the GL front buffer reads black on
// this software renderer). Empty when the window cannot be read.
std::vector<unsigned long> screenPixels(int window) {
    glutSetWindow(window);
    glFinish();
    Display* dpy = glXGetCurrentDisplay();
    const Window xwin = glXGetCurrentDrawable();
    XSync(dpy, False);
    XWindowAttributes attributes;
    XGetWindowAttributes(dpy, xwin, &attributes);
    std::vector<unsigned long> pixels;
    XImage* image = XGetImage(dpy, xwin, 0, 0, static_cast<unsigned>(attributes.width),
                              static_cast<unsigned>(attributes.height), AllPlanes, ZPixmap);
    if (image == nullptr) return pixels;
    for (int y = 0; y < attributes.height; ++y)
        for (int x = 0; x < attributes.width; ++x) pixels.push_back(XGetPixel(image, x, y));
    XDestroyImage(image);
    return pixels;
}

// ---- the benchmarks ----------------------------------------------------------------------

struct Film {
    const char* name;
    int* window;
    void (*draw)();              // the film's own redraw
    void (*drawPointByPoint)();  // the same picture entry by entry
};

const Film kFilms[] = {
    {"rotation", &scene.rotationWindow, drawRotationPhoto, drawRotationPointByPoint},
    {"weissenberg", &scene.weissenbergWindow, drawWeissenbergPhoto, drawWeissenbergPointByPoint},
};

bool samePicture[2] = {false, false};  // per film: its drawing and the point-by-point one look alike
bool pictureRead[2] = {false, false};

// A redraw of `window` by `draw`, as the toolkit runs it, up to the end of the GL work.
void redrawIn(int window, void (*draw)()) {
    glutSetWindow(window);
    draw();
    glFinish();
}

// Redraws of one window by `draw`, its window current throughout, at the full log or with
// the log emptied before each redraw (a main redraw logs what it finds).
void registerRedraw(const std::string& name, int* window, void (*draw)(), bool fullLog) {
    const auto run = [window, draw, fullLog](benchmark::State& state) {
        restoreFullLog();
        glutSetWindow(*window);
        glFinish();
        const auto prepare = [fullLog] {
            if (!fullLog) reflectionLog.logCount = 0;
        };
        timeIterations(state, prepare, [draw] {
            draw();
            glFinish();
        });
        restoreFullLog();
    };
    asFigure(benchmark::RegisterBenchmark(name.c_str(), run), benchmark::kMillisecond, 0.5);
}

// The main redraw with the Ewald sphere switched off (F4): what the sphere's wire costs.
void drawMainWithoutSphere() {
    const int shown = scene.showEwaldSphere;
    scene.showEwaldSphere = 0;
    drawReciprocalLattice();
    scene.showEwaldSphere = shown;
}

// One step of the spin at a full log: the idle callback's turn, the main redraw, and the
// redraws of both films it asks for.
void spinStep() {
    onIdleSpin();
    redrawIn(scene.mainWindow, drawReciprocalLattice);
    redrawIn(scene.rotationWindow, drawRotationPhoto);
    redrawIn(scene.weissenbergWindow, drawWeissenbergPhoto);
}

}  // namespace

void registerRedrawBenchmarks() {
    // The films' pictures at the full log, their own drawing against point by point.
    for (int f = 0; f < 2; ++f) {
        restoreFullLog();
        redrawIn(*kFilms[f].window, kFilms[f].draw);
        const std::vector<unsigned long> ours = screenPixels(*kFilms[f].window);
        redrawIn(*kFilms[f].window, kFilms[f].drawPointByPoint);
        const std::vector<unsigned long> reference = screenPixels(*kFilms[f].window);
        pictureRead[f] = !ours.empty();
        samePicture[f] = pictureRead[f] && ours == reference;
    }
    restoreFullLog();
    glutSetWindow(scene.mainWindow);

    registerRedraw("redraw/main/empty log", &scene.mainWindow, drawReciprocalLattice, false);
    registerRedraw("redraw/main/full log", &scene.mainWindow, drawReciprocalLattice, true);
    registerRedraw("redraw/main without sphere/empty log", &scene.mainWindow, drawMainWithoutSphere, false);
    for (const Film& film : kFilms) {
        const std::string base = std::string("redraw/") + film.name + "/";
        registerRedraw(base + "empty log", film.window, film.draw, false);
        registerRedraw(base + "full log", film.window, film.draw, true);
        registerRedraw(base + "full log/point by point", film.window, film.drawPointByPoint, true);
    }
    const auto spin = [](benchmark::State& state) {
        restoreFullLog();
        timeIterations(state, [] {}, spinStep);
        glutSetWindow(scene.mainWindow);
    };
    asFigure(benchmark::RegisterBenchmark("redraw/spin step/full log", spin), benchmark::kMillisecond, 0.5);
}

void printRedrawSummary() {
    const double mainEmpty = figure("redraw/main/empty log");
    const double mainFull = figure("redraw/main/full log");
    std::printf("\nRedraws in 520 x 520 windows under Xvfb, timed up to glFinish (full log: %d entries)\n",
                kLogCapacity);
    std::printf("  %-26s %12s %12s %16s %9s  %s\n", "window", "empty log", "full log", "point by point",
                "ratio", "same picture");
    std::printf("  %-26s %12s %12s\n", "main", showTime(mainEmpty).c_str(), showTime(mainFull).c_str());
    const double mainBare = figure("redraw/main without sphere/empty log");
    std::printf("  %-26s %12s\n", "main, Ewald sphere off", showTime(mainBare).c_str());
    for (int f = 0; f < 2; ++f) {
        const std::string base = std::string("redraw/") + kFilms[f].name + "/";
        const double empty = figure(base + "empty log");
        const double full = figure(base + "full log");
        const double naive = figure(base + "full log/point by point");
        std::printf("  %-26s %12s %12s %16s %9s  %s\n", kFilms[f].name, showTime(empty).c_str(),
                    showTime(full).c_str(), showTime(naive).c_str(), showRatio(naive, full).c_str(),
                    !pictureRead[f] ? "not read" : samePicture[f] ? "yes" : "NO");
        char measured[128];
        std::snprintf(measured, sizeof measured, "%s point by point, %s of a main redraw",
                      showRatio(naive, full).c_str(), showRatio(full, mainEmpty).c_str());
        noteTarget(std::string(kFilms[f].name) + " film at a full log: >= 10x point by point, below a main redraw",
                   measured, full > 0 && naive > 0 && mainEmpty > 0,
                   naive >= 10 * full && full < mainEmpty);
    }
    const double spin = figure("redraw/spin step/full log");
    std::printf("  %-26s %12s %12s %16s %9s\n", "spin step (main + films)", "", showTime(spin).c_str(), "",
                showRatio(spin, mainEmpty).c_str());
    std::printf("  (spin step ratio: against a main redraw at an empty log)\n");
    noteTarget("spin step at a full log <= 1.3x a main redraw at an empty log",
               showRatio(spin, mainEmpty) + " of a main redraw", spin > 0 && mainEmpty > 0,
               spin <= 1.3 * mainEmpty);
}
