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
#include "model/film_geometry.h"
#include "platform/windows.h"
#include "render/colours.h"

namespace {

// ---- the films drawn point by point ---------------------------------------------------

// The film's frame by hand: the whole viewport, white, the black cross.
void beginFilmByHand() {
    glViewport(0, 0, glutGet(GLUT_WINDOW_WIDTH), glutGet(GLUT_WINDOW_HEIGHT));
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glDisable(GL_LIGHTING);
    glDisable(GL_BLEND);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_LINE_SMOOTH);
    glClearColor(1, 1, 1, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glColor3f(0, 0, 0);
    glLineWidth(1);
    glBegin(GL_LINES);
    glVertex2f(-1, 0);
    glVertex2f(1, 0);
    glVertex2f(0, 1);
    glVertex2f(0, -1);
    glEnd();
}

// One entry as one point of its own: a matrix load and a translation, its point size, one
// glBegin/glEnd. The position is the film's single-precision coordinate.
void drawOnePoint(double x, double y) {
    glLoadIdentity();
    glTranslatef(static_cast<float>(x), static_cast<float>(y), 0);
    glPointSize(3);
    glBegin(GL_POINTS);
    glVertex2f(0, 0);
    glEnd();
}

// The rotation film entry by entry: every entry's coordinates and colour computed afresh.
void drawRotationPointByPoint() {
    beginFilmByHand();
    const Session& s = app.session;
    const ReflectionLog& log = s.log;
    for (int i = 0; i < log.count(); ++i) {
        const int h = log.logH[i], k = log.logK[i], l = log.logL[i];
        const Vec3 u = latticeCombination(h, k, l, s.lastScan.aStarRot, s.lastScan.bStarRot, s.lastScan.cStarRot);
        const double x = rotationAbscissa(u.z, s.rotationFilmRadius);
        const double y = s.lambdaEdited ? editedOrdinate(u.y, s.rotationFilmRadius) : log.filmOrdinate[i];
        if (!std::isfinite(static_cast<float>(x)) || !std::isfinite(static_cast<float>(y))) continue;
        const Rgba& c = indexColour(kRotationColours, h, k);
        glColor3f(c.r, c.g, c.b);
        drawOnePoint(x, y);
    }
    glFlush();
    glutSwapBuffers();
}

// The Weissenberg film entry by entry, the entries of the current layer only; h = k = 0
// keeps the colour of the point before it.
void drawWeissenbergPointByPoint() {
    beginFilmByHand();
    const Session& s = app.session;
    const ReflectionLog& log = s.log;
    for (int i = 0; i < log.count(); ++i) {
        const int h = log.logH[i], k = log.logK[i], l = log.logL[i];
        if (l != s.currentLayer) continue;
        const double x = weissenbergAbscissa(log.logAngle[i]);
        const double y = log.filmOrdinate[i];
        if (!std::isfinite(static_cast<float>(x)) || !std::isfinite(static_cast<float>(y))) continue;
        if (!weissenbergKeepsColour(h, k)) {
            const Rgba& c = indexColour(kWeissenbergColours, h, k);
            glColor3f(c.r, c.g, c.b);
        }
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

struct FilmWindow {
    const char* name;
    int* window;
    void (*draw)();              // the film's own redraw
    void (*drawPointByPoint)();  // the same picture entry by entry
};

const FilmWindow kFilms[] = {
    {"rotation", &app.rotationWindow, drawRotationPhoto, drawRotationPointByPoint},
    {"weissenberg", &app.weissenbergWindow, drawWeissenbergPhoto, drawWeissenbergPointByPoint},
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
            if (!fullLog) clearReflectionLog(app.session.log);
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
    const int shown = app.session.showEwaldSphere;
    app.session.showEwaldSphere = 0;
    drawReciprocalLattice();
    app.session.showEwaldSphere = shown;
}

// One step of the spin at a full log: the idle callback's turn, the main redraw, and the
// redraws of both films it asks for.
void oneSpinStep() {
    onIdleSpin();
    redrawIn(app.mainWindow, drawReciprocalLattice);
    redrawIn(app.rotationWindow, drawRotationPhoto);
    redrawIn(app.weissenbergWindow, drawWeissenbergPhoto);
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
    glutSetWindow(app.mainWindow);

    registerRedraw("redraw/main/empty log", &app.mainWindow, drawReciprocalLattice, false);
    registerRedraw("redraw/main/full log", &app.mainWindow, drawReciprocalLattice, true);
    registerRedraw("redraw/main without sphere/empty log", &app.mainWindow, drawMainWithoutSphere, false);
    for (const FilmWindow& film : kFilms) {
        const std::string base = std::string("redraw/") + film.name + "/";
        registerRedraw(base + "empty log", film.window, film.draw, false);
        registerRedraw(base + "full log", film.window, film.draw, true);
        registerRedraw(base + "full log/point by point", film.window, film.drawPointByPoint, true);
    }
    const auto spin = [](benchmark::State& state) {
        restoreFullLog();
        timeIterations(state, [] {}, oneSpinStep);
        glutSetWindow(app.mainWindow);
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
