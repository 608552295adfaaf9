// Figures of the redraws in the real windows, each timed up to glFinish: the main window,
// both films at an empty log, at 100000 entries and at a full log, the films drawn point by
// point in immediate mode beside their own drawing, one step of the spin; and the main
// redraw and the spin step of a 25 A cell at 0.71 A beside those of the start crystal.
#include <GL/freeglut.h>
// After the toolkit's header: Xlib's macros must not meet names declared before them.
#include <GL/glx.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <cstdio>
#include <vector>

#include "bench.h"
#include "gl/film_by_hand.h"
#include "platform/windows.h"
#include "session/commands.h"

namespace {

// ---- the films drawn point by point ---------------------------------------------------

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

// A film entry by entry: every entry's coordinates and colour computed afresh, each point
// drawn on its own.
void drawFilmPointByPoint(bool weissenberg) {
    beginFilmByHand();
    forEachFilmPointByHand(app.session, weissenberg, drawOnePoint);
    glFlush();
    glutSwapBuffers();
}
void drawRotationPointByPoint() { drawFilmPointByPoint(false); }
void drawWeissenbergPointByPoint() { drawFilmPointByPoint(true); }

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

// The logs at which the films are drawn point by point beside their own drawing.
const LogSize kCheckedLogs[2] = {LogSize::target, LogSize::full};
bool samePicture[2][2] = {};  // by checked log and film: its drawing and the point-by-point one look alike
bool pictureRead[2][2] = {};

// A redraw of `window` by `draw`, as the toolkit runs it, up to the end of the GL work.
void redrawIn(int window, void (*draw)()) {
    glutSetWindow(window);
    draw();
    glFinish();
}

std::string redrawName(const char* what, BenchCrystal crystal, LogSize size) {
    return std::string("redraw/") + (crystal == BenchCrystal::large ? "25 A cell/" : "") + what + "/" +
           logSizeName(size);
}

// Redraws by `draw`, `window` current throughout, each from the crystal's log `size` (put
// back before each redraw when the one before changed it: a main redraw logs what it finds).
benchmark::internal::Benchmark* registerRedraw(const std::string& name, BenchCrystal crystal, LogSize size,
                                               int* window, void (*draw)()) {
    const auto run = [crystal, size, window, draw](benchmark::State& state) {
        useLog(crystal, size);
        glutSetWindow(*window);
        glFinish();
        timeIterations(state, [crystal, size] { useLog(crystal, size); }, [draw] {
            draw();
            glFinish();
        });
        glutSetWindow(app.mainWindow);
    };
    return benchmark::RegisterBenchmark(name.c_str(), run);
}

// The main redraw with the Ewald sphere switched off (F4): what the sphere's wire costs.
void drawMainWithoutSphere() {
    const int shown = app.session.showEwaldSphere;
    app.session.showEwaldSphere = 0;
    drawReciprocalLattice();
    app.session.showEwaldSphere = shown;
}

// The 25 A cell's main redraw with its lattice points shown (F1; it starts with them hidden),
// also without the sphere; and with both off: the balls and rays of the step's hits alone.
void drawMainWithLatticePointsShown(int lattice, int sphere) {
    const int latticeWas = app.session.showLatticePoints, sphereWas = app.session.showEwaldSphere;
    app.session.showLatticePoints = lattice;
    app.session.showEwaldSphere = sphere;
    drawReciprocalLattice();
    app.session.showLatticePoints = latticeWas;
    app.session.showEwaldSphere = sphereWas;
}
void drawMainWithLatticePoints() { drawMainWithLatticePointsShown(1, 1); }
void drawMainWithLatticePointsWithoutSphere() { drawMainWithLatticePointsShown(1, 0); }
void drawMainHitsOnly() { drawMainWithLatticePointsShown(0, 0); }

// One step of the spin: the idle callback's turn, the main redraw, and the redraws of both
// films it asks for.
void oneSpinStep() {
    onIdleSpin();
    redrawIn(app.mainWindow, drawReciprocalLattice);
    redrawIn(app.rotationWindow, drawRotationPhoto);
    redrawIn(app.weissenbergWindow, drawWeissenbergPhoto);
}

void registerSpinStep(BenchCrystal crystal, LogSize size) {
    const auto run = [crystal, size](benchmark::State& state) {
        useLog(crystal, size);
        timeIterations(state, [crystal, size] { useLog(crystal, size); }, oneSpinStep);
        glutSetWindow(app.mainWindow);
    };
    asFigure(benchmark::RegisterBenchmark(redrawName("spin step", crystal, size).c_str(), run),
             benchmark::kMillisecond, 0.5);
}

void registerMain(const char* what, BenchCrystal crystal, LogSize size, void (*draw)()) {
    asFigure(registerRedraw(redrawName(what, crystal, size), crystal, size, &app.mainWindow, draw),
             benchmark::kMillisecond, 0.5);
}

}  // namespace

void registerRedrawBenchmarks() {
    // The films' pictures at the checked logs, their own drawing against point by point.
    for (int c = 0; c < 2; ++c) {
        for (int f = 0; f < 2; ++f) {
            useLog(BenchCrystal::start, kCheckedLogs[c]);
            redrawIn(*kFilms[f].window, kFilms[f].draw);
            const std::vector<unsigned long> ours = screenPixels(*kFilms[f].window);
            redrawIn(*kFilms[f].window, kFilms[f].drawPointByPoint);
            const std::vector<unsigned long> reference = screenPixels(*kFilms[f].window);
            pictureRead[c][f] = !ours.empty();
            samePicture[c][f] = pictureRead[c][f] && ours == reference;
        }
    }
    glutSetWindow(app.mainWindow);

    const BenchCrystal start = BenchCrystal::start;
    for (LogSize size : {LogSize::empty, LogSize::target, LogSize::full})
        registerMain("main", start, size, drawReciprocalLattice);
    registerMain("main without sphere", start, LogSize::empty, drawMainWithoutSphere);
    for (const FilmWindow& film : kFilms) {
        for (LogSize size : {LogSize::empty, LogSize::target, LogSize::full})
            asFigure(registerRedraw(redrawName(film.name, start, size), start, size, film.window, film.draw),
                     benchmark::kMillisecond, 0.5);
        const std::string byHand = std::string(film.name) + " point by point";
        asFigure(registerRedraw(redrawName(byHand.c_str(), start, LogSize::target), start, LogSize::target,
                                film.window, film.drawPointByPoint),
                 benchmark::kMillisecond, 0.5);
        // At the full log one such redraw takes seconds: one of them is the figure.
        registerRedraw(redrawName(byHand.c_str(), start, LogSize::full), start, LogSize::full, film.window,
                       film.drawPointByPoint)
            ->UseManualTime()
            ->Unit(benchmark::kMillisecond)
            ->Iterations(1)
            ->Repetitions(1);
    }
    registerSpinStep(start, LogSize::target);
    registerSpinStep(start, LogSize::full);

    // The 25 A cell: its main redraw and its spin step, from an empty log and at a full one.
    const BenchCrystal large = BenchCrystal::large;
    registerMain("main", large, LogSize::empty, drawReciprocalLattice);
    registerMain("main", large, LogSize::full, drawReciprocalLattice);
    registerMain("main with lattice points", large, LogSize::empty, drawMainWithLatticePoints);
    registerMain("main with lattice points without sphere", large, LogSize::empty,
                 drawMainWithLatticePointsWithoutSphere);
    registerMain("main, hits only", large, LogSize::empty, drawMainHitsOnly);
    registerSpinStep(large, LogSize::empty);
    registerSpinStep(large, LogSize::full);
}

void printRedrawSummary() {
    const BenchCrystal start = BenchCrystal::start;
    const BenchCrystal large = BenchCrystal::large;
    const int target = logEntries(start, LogSize::target);
    const int full = logEntries(start, LogSize::full);
    const double mainEmpty = figure(redrawName("main", start, LogSize::empty));
    std::printf("\nRedraws in 520 x 520 windows under Xvfb, timed up to glFinish; start crystal 5 5 5 90 90 90, "
                "lambda 1.5418\n");
    std::printf("  %-26s %11s %14s %11s %16s %9s  %s\n", "window", "empty log", "log", "redraw", "point by point",
                "ratio", "same picture");
    const auto row = [](const char* window, const std::string& empty, int entries, double redraw, double naive,
                        const char* same) {
        char log[32];
        std::snprintf(log, sizeof log, "%d", entries);
        std::printf("  %-26s %11s %14s %11s %16s %9s  %s\n", window, empty.c_str(), log, showTime(redraw).c_str(),
                    showTime(naive).c_str(), showRatio(naive, redraw).c_str(), same);
    };
    for (LogSize size : {LogSize::target, LogSize::full}) {
        const int entries = logEntries(start, size);
        row("main", size == LogSize::target ? showTime(mainEmpty) : "", entries,
            figure(redrawName("main", start, size)), -1, "");
    }
    std::printf("  %-26s %11s\n", "main, Ewald sphere off",
                showTime(figure(redrawName("main without sphere", start, LogSize::empty))).c_str());
    for (int f = 0; f < 2; ++f) {
        const double empty = figure(redrawName(kFilms[f].name, start, LogSize::empty));
        const std::string byHand = std::string(kFilms[f].name) + " point by point";
        for (int c = 0; c < 2; ++c) {
            const LogSize size = kCheckedLogs[c];
            const double redraw = figure(redrawName(kFilms[f].name, start, size));
            const double naive = figure(redrawName(byHand.c_str(), start, size));
            row(kFilms[f].name, c == 0 ? showTime(empty) : "", logEntries(start, size), redraw, naive,
                !pictureRead[c][f] ? "not read" : samePicture[c][f] ? "yes" : "NO");
            if (size != LogSize::target) continue;
            char measured[128];
            std::snprintf(measured, sizeof measured, "%s point by point, %s of a main redraw",
                          showRatio(naive, redraw).c_str(), showRatio(redraw, mainEmpty).c_str());
            noteTarget(std::string(kFilms[f].name) +
                           " film at 100000 entries: >= 10x point by point, below a main redraw",
                       measured, redraw > 0 && naive > 0 && mainEmpty > 0,
                       naive >= 10 * redraw && redraw < mainEmpty && samePicture[c][f]);
        }
    }
    const double spinTarget = figure(redrawName("spin step", start, LogSize::target));
    const double spinFull = figure(redrawName("spin step", start, LogSize::full));
    std::printf("  %-26s %11s %14d %11s %16s %9s\n", "spin step (main + films)", "", target,
                showTime(spinTarget).c_str(), "", showRatio(spinTarget, mainEmpty).c_str());
    std::printf("  %-26s %11s %14d %11s %16s %9s\n", "spin step (main + films)", "", full,
                showTime(spinFull).c_str(), "", showRatio(spinFull, mainEmpty).c_str());
    std::printf("  (spin step ratio: against a main redraw at an empty log; point-by-point figure at %d "
                "entries: one redraw)\n",
                full);
    noteTarget("spin step at 100000 entries <= 1.3x a main redraw at an empty log",
               showRatio(spinTarget, mainEmpty) + " of a main redraw", spinTarget > 0 && mainEmpty > 0,
               spinTarget <= 1.3 * mainEmpty);

    const double largeMainEmpty = figure(redrawName("main", large, LogSize::empty));
    const double largeMainFull = figure(redrawName("main", large, LogSize::full));
    const double largeSpinEmpty = figure(redrawName("spin step", large, LogSize::empty));
    const double largeSpinFull = figure(redrawName("spin step", large, LogSize::full));
    const int largeSteps = largeCellSpinSteps();
    const int largeFull = largeSteps > 0 ? logEntries(large, LogSize::full) : 0;
    std::printf("\n25 A cubic cell at lambda 0.71 (start orientation), against the start crystal's main redraw "
                "at an empty log\n");
    std::printf("  as it starts: its %.0f lattice points hidden (more than %.0f), F1 shows them\n",
                latticePointsInSphere(makeCrystal(25, 25, 25, 90, 90, 90, 1), 2 / 0.71), kDenseLatticePoints);
    if (largeSteps > 0)
        std::printf("  full log: %d entries after %d spin steps, %.0f entries logged per step\n", largeFull,
                    largeSteps, static_cast<double>(largeFull) / largeSteps);
    std::printf("  %-26s %14s %11s %9s\n", "", "log", "redraw", "ratio");
    std::printf("  %-26s %14s %11s %9s\n", "main", "empty", showTime(largeMainEmpty).c_str(),
                showRatio(largeMainEmpty, mainEmpty).c_str());
    std::printf("  %-26s %14d %11s %9s\n", "main", largeFull, showTime(largeMainFull).c_str(),
                showRatio(largeMainFull, mainEmpty).c_str());
    const struct {
        const char* what;
        const char* shown;
    } parts[] = {{"main with lattice points", "main, lattice points on"},
                 {"main with lattice points without sphere", "main, points on, sphere off"},
                 {"main, hits only", "main, both off"}};
    for (const auto& part : parts) {
        const double t = figure(redrawName(part.what, large, LogSize::empty));
        std::printf("  %-26s %14s %11s %9s\n", part.shown, "empty", showTime(t).c_str(),
                    showRatio(t, mainEmpty).c_str());
    }
    std::printf("  %-26s %14s %11s %9s\n", "spin step (main + films)", "empty", showTime(largeSpinEmpty).c_str(),
                showRatio(largeSpinEmpty, mainEmpty).c_str());
    std::printf("  %-26s %14d %11s %9s\n", "spin step (main + films)", largeFull, showTime(largeSpinFull).c_str(),
                showRatio(largeSpinFull, mainEmpty).c_str());
    noteTarget("25 A cell: a main redraw as it starts (lattice points hidden) <= 2x the start crystal's (both at an empty log)",
               showRatio(largeMainEmpty, mainEmpty), largeMainEmpty > 0 && mainEmpty > 0,
               largeMainEmpty <= 2 * mainEmpty);
    noteTarget("25 A cell: one spin step from an empty log <= 2x the start crystal's main redraw",
               showRatio(largeSpinEmpty, mainEmpty), largeSpinEmpty > 0 && mainEmpty > 0,
               largeSpinEmpty <= 2 * mainEmpty);
    std::printf("\nInformation, no target: one spin step of the start crystal at its full log (%d entries) "
                "costs %s, %s a main redraw at an empty log\n",
                full, showTime(spinFull).c_str(), showRatio(spinFull, mainEmpty).c_str());
}
