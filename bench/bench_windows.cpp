// The bench's windows, made the way start-up makes them; the crystals whose redraws are timed
// and the logs they are timed at, each made by the spin that leaves it behind.
#include <GL/freeglut.h>

#include <chrono>
#include <utility>
#include <thread>

#include "bench.h"
#include "platform/startup.h"
#include "platform/windows.h"
#include "render/main_frame.h"
#include "session/commands.h"

namespace {

// Cells: edges a b c (the wavelength's unit), angles alpha beta gamma (degrees), wavelength.
struct CellOfBench {
    double a, b, c, alpha, beta, gamma;
    double lambda;
};
constexpr CellOfBench kStartCell = {5, 5, 5, 90, 90, 90, 1.5418};
constexpr CellOfBench kLargeCell = {25, 25, 25, 90, 90, 90, 0.71};

constexpr int kWindowSize = 520;  // pixels, the main window's start size

// Spin steps after which a fill gives up (a crystal with nothing on the sphere).
constexpr int kMaxSpinSteps = 10000000;

// What a figure restores: the log, and the crystal's orientation and latest scan with it.
struct LogState {
    ReflectionLog log;
    Mat4 orientation = identityMatrix();
    ScanResult lastScan;
    bool made = false;
};

struct CrystalStates {
    Session session;        // the crystal's session apart from the log (switches, camera, film radius)
    bool made = false;
    LogState logs[3];       // by LogSize
    int fillSteps = 0;      // spin steps that filled the full log
};

CrystalStates crystalStates[2];                   // by BenchCrystal
BenchCrystal current = BenchCrystal::start;       // whose session app.session is now

CrystalStates& statesOf(BenchCrystal c) { return crystalStates[static_cast<int>(c)]; }
LogState& stateOf(BenchCrystal c, LogSize size) { return statesOf(c).logs[static_cast<int>(size)]; }

Session sessionOf(const CellOfBench& cell) {
    return newSession(makeCrystal(cell.a, cell.b, cell.c, cell.alpha, cell.beta, cell.gamma, 1), cell.lambda);
}

LogState stateNow() {
    LogState state;
    state.log = app.session.log;
    state.orientation = app.session.orientation;
    state.lastScan = app.session.lastScan;
    state.made = true;
    return state;
}

// One step of a spin with both films open, without drawing: the spin's turn, then the scan
// and the log of the main redraw it asks for.
void spinAndLog() {
    spinStep(app.session);
    scanAndLog(app.session);
}

// Makes `crystal` the session's crystal: its session (switches, camera, films following),
// the main window's scene geometry built anew for it (untimed: a redraw would build it).
void switchTo(BenchCrystal crystal) {
    if (crystal == current) return;
    statesOf(current).session = app.session;
    statesOf(current).session.log = ReflectionLog{};  // the logs live in the states
    CrystalStates& states = statesOf(crystal);
    if (!states.made) {
        states.session = sessionOf(crystal == BenchCrystal::large ? kLargeCell : kStartCell);
        reshapeCommand(states.session, kWindowSize, kWindowSize);
        states.made = true;
    }
    app.session = states.session;
    app.session.rotationOpen = 1;
    app.session.weissenbergOpen = 1;
    current = crystal;
    // A new session starts its builds afresh: the kept geometry belongs to the other one.
    WindowView& view = app.views[app.mainWindow];
    view.scene = MainSceneGeometry{};
    // One redraw of each window, untimed: the back end takes in the new geometry at its first
    // drawing. Whatever it logs goes when a figure puts its log back.
    for (const auto& [window, draw] : {std::pair{app.mainWindow, drawReciprocalLattice},
                                       std::pair{app.rotationWindow, drawRotationPhoto},
                                       std::pair{app.weissenbergWindow, drawWeissenbergPhoto}}) {
        glutSetWindow(window);
        draw();
        glFinish();
    }
    glutSetWindow(app.mainWindow);
}

// The large cell's logs: empty at its start orientation after one scan, and full after a
// spin from there.
void makeLargeCellLogs() {
    CrystalStates& states = statesOf(BenchCrystal::large);
    if (states.logs[static_cast<int>(LogSize::full)].made) return;
    Session& s = app.session;
    s.orientation = identityMatrix();
    clearReflectionLog(s.log);
    scanAndLog(s);
    clearReflectionLog(s.log);
    stateOf(BenchCrystal::large, LogSize::empty) = stateNow();
    int steps = 0;
    while (s.log.count() < kLogCapacity && steps < kMaxSpinSteps) {
        spinAndLog();
        ++steps;
    }
    states.fillSteps = steps;
    stateOf(BenchCrystal::large, LogSize::full) = stateNow();
}

}  // namespace

const char* logSizeName(LogSize size) {
    switch (size) {
        case LogSize::empty: return "empty log";
        case LogSize::target: return "100000 entries";
        case LogSize::full: return "full log";
    }
    return "?";
}

void pumpEvents(int milliseconds) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    do {
        glutMainLoopEvent();
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    } while (std::chrono::steady_clock::now() < end);
    glutMainLoopEvent();
}

void setUpWindows(int* argc, char** argv) {
    glutInit(argc, argv);
    glutSetOption(GLUT_ACTION_ON_WINDOW_CLOSE, GLUT_ACTION_CONTINUE_EXECUTION);
    app.session = sessionOf(kStartCell);
    statesOf(BenchCrystal::start).made = true;
    current = BenchCrystal::start;
    // The three windows side by side from the screen's top left corner, as the program
    // places them (the screen must be some 1600 pixels wide).
    openMainWindow();
    openRotationWindow();
    openWeissenbergWindow();
    pumpEvents(400);  // mapped, reshaped; each film's first redraw sets its flag
    glutSetWindow(app.mainWindow);
}

int fillLogBySpin() {
    switchTo(BenchCrystal::start);
    Session& s = app.session;
    s.orientation = identityMatrix();
    clearReflectionLog(s.log);
    int steps = 0;
    while (s.log.count() < kLogCapacity && steps < kMaxSpinSteps) {
        spinAndLog();
        ++steps;
        if (!stateOf(BenchCrystal::start, LogSize::target).made && s.log.count() >= kTargetLogEntries) {
            // As the spin left the log when it held no more than this: the step that filled
            // it logged only what still fitted.
            LogState& target = stateOf(BenchCrystal::start, LogSize::target);
            target = stateNow();
            ReflectionLog& log = target.log;
            const auto keep = static_cast<size_t>(kTargetLogEntries);
            log.logH.resize(keep);
            log.logK.resize(keep);
            log.logL.resize(keep);
            log.logAngle.resize(keep);
            log.filmOrdinate.resize(keep);
            LogState& empty = stateOf(BenchCrystal::start, LogSize::empty);
            empty = target;
            clearReflectionLog(empty.log);
        }
    }
    statesOf(BenchCrystal::start).fillSteps = steps;
    stateOf(BenchCrystal::start, LogSize::full) = stateNow();
    return steps;
}

void useLog(BenchCrystal crystal, LogSize size) {
    switchTo(crystal);
    if (crystal == BenchCrystal::large) makeLargeCellLogs();
    const LogState& state = stateOf(crystal, size);
    Session& s = app.session;
    if (s.log.count() != state.log.count() || s.log.revision != state.log.revision) s.log = state.log;
    s.orientation = state.orientation;
    s.lastScan = state.lastScan;
}

int logEntries(BenchCrystal crystal, LogSize size) { return stateOf(crystal, size).log.count(); }

int largeCellSpinSteps() { return statesOf(BenchCrystal::large).fillSteps; }
