// Seeded random interaction with the real windows: thousands of keys, special keys, menu
// values, mouse presses, drags and releases in every window, resizes, spin steps and window
// closes, called the way the toolkit calls them, with the events pumped between. After every
// event the program's standing promises are checked: the log's count in range, a film flag
// set only while its window exists, the main window in modelview mode with no more display
// lists than one scene needs, and only finite numbers in the camera and the crystal's matrix.
//
// The seed is printed; WEISSENBERG_SEED=<number> replays a run.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "gl/gl_harness.h"
#include "model/crystal.h"
#include "platform/app.h"
#include "platform/windows.h"
#include "session/commands.h"

// ---- what the toolkit is asked to do with its windows ---------------------------------
// The program's calls reach these stand-ins first; they note which windows exist and pass
// the call on. A call that names a window already destroyed or closed would corrupt the
// toolkit or end the process, so it is noted as a fault and not passed on.
namespace {
std::set<int> createdWindows;
std::set<int> goneWindows;                  // destroyed by the program or closed by the window manager
std::vector<std::string> toolkitFaults;
std::map<int, void (*)()> closeCallbacks;   // the program's close callback of each window
std::set<int> placedWindows;                // film windows the test has put beside the main window

template <class F>
F realToolkit(const char* name) {
    void* symbol = dlsym(RTLD_NEXT, name);
    F f;
    std::memcpy(&f, &symbol, sizeof f);
    return f;
}

bool alive(int window) { return createdWindows.count(window) != 0 && goneWindows.count(window) == 0; }

void noteFault(const char* call, int window) {
    toolkitFaults.push_back(std::string(call) + "(" + std::to_string(window) + ") on a window that is gone");
}

// Runs for every window the toolkit closes, by the window manager or after glutDestroyWindow.
void closeSeen() {
    const int window = glutGetWindow();
    goneWindows.insert(window);
    const auto it = closeCallbacks.find(window);
    if (it != closeCallbacks.end() && it->second != nullptr) it->second();
}
}  // namespace

int glutCreateWindow(const char* title) {
    static const auto real = realToolkit<int (*)(const char*)>("glutCreateWindow");
    const int window = real(title);
    // The toolkit gives the newest window's id out again once that window is gone.
    createdWindows.insert(window);
    goneWindows.erase(window);
    placedWindows.erase(window);
    closeCallbacks[window] = nullptr;
    realToolkit<void (*)(void (*)())>("glutCloseFunc")(closeSeen);
    return window;
}

void glutCloseFunc(void (*callback)()) {
    static const auto real = realToolkit<void (*)(void (*)())>("glutCloseFunc");
    closeCallbacks[glutGetWindow()] = callback;
    real(closeSeen);
}

void glutDestroyWindow(int window) {
    static const auto real = realToolkit<void (*)(int)>("glutDestroyWindow");
    if (goneWindows.count(window) != 0) return noteFault("glutDestroyWindow", window);
    goneWindows.insert(window);
    real(window);
}

void glutSetWindow(int window) {
    static const auto real = realToolkit<void (*)(int)>("glutSetWindow");
    if (goneWindows.count(window) != 0) return noteFault("glutSetWindow", window);
    real(window);
}

void glutPostWindowRedisplay(int window) {
    static const auto real = realToolkit<void (*)(int)>("glutPostWindowRedisplay");
    if (goneWindows.count(window) != 0) return noteFault("glutPostWindowRedisplay", window);
    real(window);
}

namespace {

unsigned seedFromEnvironment(unsigned fallback) {
    const char* text = std::getenv("WEISSENBERG_SEED");
    if (text == nullptr || *text == '\0') return fallback;
    return static_cast<unsigned>(std::strtoul(text, nullptr, 10));
}

// Film windows that exist: the current ones and older rotation windows left on screen.
std::vector<int> liveFilmWindows() {
    std::vector<int> films;
    for (int window : createdWindows)
        if (window != app.mainWindow && alive(window)) films.push_back(window);
    return films;
}

// A film opens at its slot beside the main window, over any older rotation window left at the
// same slot, and the toolkit skips the redraws of a window that is wholly covered: put each
// film apart from the others, small, so that thousands of redraws fit in the time.
void placeNewFilmWindows() {
    for (int window : liveFilmWindows()) {
        if (placedWindows.count(window) != 0) continue;
        const int slot = static_cast<int>(placedWindows.size() % 4);
        placedWindows.insert(window);
        glutSetWindow(window);
        glutPositionWindow(720 + 40 * (slot % 2), 20 + 250 * (slot / 2));
        glutReshapeWindow(260, 260);
    }
}

// The standing promises; an empty answer when they all hold.
std::string brokenPromise() {
    std::ostringstream out;
    for (const std::string& fault : toolkitFaults) out << fault << "; ";
    toolkitFaults.clear();
    const int count = app.session.log.count();
    if (count < 0 || count > kLogCapacity) out << "log count " << count << "; ";

    struct Film {
        const char* name;
        int open, window;
    };
    const Film films[] = {{"rotation", app.session.rotationOpen, app.rotationWindow},
                          {"Weissenberg", app.session.weissenbergOpen, app.weissenbergWindow}};
    for (const Film& f : films) {
        if (f.open != 0 && f.open != 1) out << f.name << " flag " << f.open << "; ";
        if (f.open != 0 && f.window == 0) out << f.name << " flag set without a window; ";
        if (f.window != 0 && !alive(f.window)) out << f.name << " id " << f.window << " names no window; ";
    }

    glutSetWindow(app.mainWindow);
    if (currentMatrixMode() != GL_MODELVIEW) out << "matrix mode " << currentMatrixMode() << "; ";
    // One scene's kept geometry: lattice points, axes, sphere, ball.
    const int lists = definedLists();
    const auto held = static_cast<int>(app.views[app.mainWindow].renderer.listCount());
    if (lists > 4 || lists != held) out << lists << " display lists defined, " << held << " held; ";
    for (const auto& [name, m] : {std::pair<const char*, const Mat4&>{"crystal", app.session.orientation},
                                  std::pair<const char*, const Mat4&>{"camera", app.session.camera}}) {
        for (double v : m) {
            if (!std::isfinite(v)) {
                out << name << " holds " << v << "; ";
                break;
            }
        }
    }
    return out.str();
}

// ---- the events ------------------------------------------------------------------------

// Keys and menu values that open a film window (destroying one first): the costly commands.
const unsigned char kFilmKeys[] = {'0', '1', '2', '3', '4', '5', 'L', 'l'};
const int kFilmSpecialKeys[] = {GLUT_KEY_F7, GLUT_KEY_F8, GLUT_KEY_F9};
const int kFilmMenuValues[] = {7, 8, 9};
// Every other bound key, special key and menu value, without the quit paths (27, 'q').
const unsigned char kOtherKeys[] = {'a', 'A', 'd', 'D', 's', 'S', 'w', 'W', 'z', 'Z', 'x', 'i'};
const int kOtherSpecialKeys[] = {GLUT_KEY_F1,   GLUT_KEY_F2,     GLUT_KEY_F3,        GLUT_KEY_F4,    GLUT_KEY_F5,
                                 GLUT_KEY_F6,   GLUT_KEY_F10,    GLUT_KEY_F11,       GLUT_KEY_F12,   GLUT_KEY_LEFT,
                                 GLUT_KEY_UP,   GLUT_KEY_RIGHT,  GLUT_KEY_DOWN,      GLUT_KEY_HOME,  GLUT_KEY_END,
                                 GLUT_KEY_INSERT, GLUT_KEY_PAGE_UP, GLUT_KEY_PAGE_DOWN};
const int kOtherMenuValues[] = {1, 2, 3, 4, 5, 6, 0, 11, 12, 0, 120, 0};

struct Interaction {
    std::mt19937 random;
    std::map<std::string, int> counts;  // events of each kind, for the closing line

    explicit Interaction(unsigned seed) : random(seed) {}

    int between(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(random); }
    bool chance(double p) { return std::bernoulli_distribution(p)(random); }
    template <class T, size_t N>
    T pick(const T (&values)[N]) {
        return values[between(0, static_cast<int>(N) - 1)];
    }
    int pick(const std::vector<int>& values) { return values[static_cast<size_t>(between(0, static_cast<int>(values.size()) - 1))]; }
};

// Keys act in every window: most go to the main window, some to a film window that exists.
std::string keyWindow(Interaction& r) {
    const std::vector<int> films = liveFilmWindows();
    const int window = !films.empty() && r.chance(0.2) ? r.pick(films) : app.mainWindow;
    glutSetWindow(window);
    return window == app.mainWindow ? "" : " in film " + std::to_string(window);
}

// One event of each kind; each answers what it did ("" when it could not act now).
std::string key(Interaction& r, unsigned char k) {
    const std::string where = keyWindow(r);
    onKeyboard(k, r.between(0, 519), r.between(0, 519));
    return std::string("key ") + std::to_string(k) + (stubShift ? " with Shift" : "") + where;
}
std::string special(Interaction& r, int k) {
    const std::string where = keyWindow(r);
    onSpecialKey(k, r.between(0, 519), r.between(0, 519));
    return "special key " + std::to_string(k) + (stubShift ? " with Shift" : "") + where;
}
std::string menu(int value) {
    glutSetWindow(app.mainWindow);
    onMenu(value);
    return "menu " + std::to_string(value);
}

std::string filmCommand(Interaction& r) {
    switch (r.between(0, 2)) {
        case 0: return key(r, r.pick(kFilmKeys));
        case 1: return special(r, r.pick(kFilmSpecialKeys));
        default: return menu(r.pick(kFilmMenuValues));
    }
}
std::string otherKey(Interaction& r) { return key(r, r.pick(kOtherKeys)); }
std::string anyKey(Interaction& r) {
    unsigned char k = 27;
    while (k == 27 || k == 'q') k = static_cast<unsigned char>(r.between(0, 255));
    return key(r, k);
}
std::string otherSpecialKey(Interaction& r) {
    return special(r, r.chance(0.05) ? r.between(-3, 300) : r.pick(kOtherSpecialKeys));
}
std::string otherMenuValue(Interaction& r) { return menu(r.pick(kOtherMenuValues)); }

std::string mainMouse(Interaction& r) {
    glutSetWindow(app.mainWindow);
    const int button = r.chance(0.05) ? r.between(3, 4) : r.between(0, 2);  // 3, 4: the wheel
    const int state = r.between(0, 1), x = r.between(-50, 600), y = r.between(-50, 600);
    onMouse(button, state, x, y);
    return "mouse " + std::to_string(button) + "/" + std::to_string(state) + " at " + std::to_string(x) + "," +
           std::to_string(y);
}
std::string mainDrag(Interaction& r) {
    glutSetWindow(app.mainWindow);
    const int x = r.between(-50, 600), y = r.between(-50, 600);
    onMotion(x, y);
    return "drag to " + std::to_string(x) + "," + std::to_string(y);
}
std::string filmMouse(Interaction& r) {
    const std::vector<int> films = liveFilmWindows();
    if (films.empty()) return "";
    const int window = r.pick(films);
    glutSetWindow(window);
    const int button = r.between(0, 2), state = r.between(0, 1);
    onFilmMouse(button, state, r.between(0, 259), r.between(0, 259));
    return "film " + std::to_string(window) + " mouse " + std::to_string(button) + "/" + std::to_string(state);
}
std::string resize(Interaction& r) {
    const std::vector<int> films = liveFilmWindows();
    const int choice = r.between(0, 3);
    if (choice == 0) {
        // The reshape callback as the toolkit calls it, a height or width of 0 included.
        const int w = r.chance(0.3) ? 0 : r.between(1, 1400), h = r.chance(0.3) ? 0 : r.between(1, 1000);
        glutSetWindow(app.mainWindow);
        onReshape(w, h);
        return "onReshape " + std::to_string(w) + "x" + std::to_string(h);
    }
    const bool main = choice == 1 || films.empty();
    const int window = main ? app.mainWindow : r.pick(films);
    const int w = r.between(1, main ? 700 : 400), h = r.between(1, main ? 700 : 400);
    glutSetWindow(window);
    glutReshapeWindow(w, h);
    return "window " + std::to_string(window) + " to " + std::to_string(w) + "x" + std::to_string(h);
}
std::string spinStep(Interaction&) {
    onIdleSpin();
    return "spin step";
}
std::string closeFilm(Interaction& r) {
    const std::vector<int> films = liveFilmWindows();
    if (films.empty()) return "";
    const int window = r.pick(films);
    requestWindowClose(window);
    return "close film " + std::to_string(window);
}
std::string pause(Interaction&) {
    pumpEvents(15);
    return "pause";
}

struct EventKind {
    const char* name;
    int weight;  // share in 100
    std::string (*run)(Interaction&);
};
const EventKind kEventKinds[] = {
    {"film command", 3, filmCommand},   {"key", 9, otherKey},       {"any key", 5, anyKey},
    {"special key", 14, otherSpecialKey}, {"menu", 6, otherMenuValue}, {"mouse", 12, mainMouse},
    {"drag", 12, mainDrag},             {"film mouse", 10, filmMouse}, {"resize", 6, resize},
    {"spin", 18, spinStep},             {"close film", 3, closeFilm}, {"pause", 2, pause},
};

// One random event, with Shift held now and then; answers what it was.
std::string step(Interaction& r) {
    // Film windows pile up when left clicks freeze the films and the wavelength keys open
    // new ones; a user closes some now and then.
    if (liveFilmWindows().size() >= 4) {
        ++r.counts["close film"];
        return closeFilm(r);
    }
    // The wire Ewald sphere is by far the slowest part of a redraw here (some 50 ms): it is
    // switched off again soon after it comes on, so that thousands of events fit in the time.
    if (app.session.showEwaldSphere != 0 && r.chance(0.5)) {
        ++r.counts["special key"];
        return special(r, GLUT_KEY_F4);
    }
    for (;;) {
        int roll = r.between(0, 99);
        for (const EventKind& kind : kEventKinds) {
            if (roll >= kind.weight) {
                roll -= kind.weight;
                continue;
            }
            stubShift = r.chance(0.3);
            const std::string what = kind.run(r);
            stubShift = false;
            if (what.empty()) break;  // nothing to act on: roll again
            ++r.counts[kind.name];
            return what;
        }
    }
}

// Runs `n` random events from `seed`, checking after each; stops at the first broken promise
// and answers what broke (empty when nothing did).
std::string runInteraction(unsigned seed, int n, const std::string& setting) {
    Interaction run(seed);
    std::vector<std::string> recent;  // the last events, to tell what led to a failure
    for (int i = 0; i < n; ++i) {
        const std::string what = step(run);
        // A turn of the toolkit (input, timers, redraws, closes) after some of the events,
        // so that redraws and queued input also meet several events at once.
        if (run.chance(0.4)) glutMainLoopEvent();
        placeNewFilmWindows();
        recent.push_back(what);
        if (recent.size() > 8) recent.erase(recent.begin());
        const std::string broken = brokenPromise();
        if (!broken.empty()) {
            std::string last;
            for (const std::string& r : recent) last += "\n    " + r;
            std::ostringstream failure;
            failure << setting << ", seed " << seed << ", event " << i << " (" << what << "): " << broken
                    << "\n  last events:" << last;
            return failure.str();
        }
    }
    std::string summary;
    for (const auto& [kind, count] : run.counts) summary += " " + kind + " " + std::to_string(count);
    std::fprintf(stderr, "%s: %d events:%s; log %d, film windows %zu\n", setting.c_str(), n, summary.c_str(),
                 app.session.log.count(), liveFilmWindows().size());
    return "";
}

// A session of the crystal as start-up makes it, in the main window at its start size.
void startCrystal(const double cell[6], double lambda, int spaceGroup) {
    testing::internal::CaptureStdout();
    resetScene(newSession(makeCrystal(cell[0], cell[1], cell[2], cell[3], cell[4], cell[5], spaceGroup), lambda));
    testing::internal::GetCapturedStdout();
}

class RandomInteraction : public testing::Test {
protected:
    void SetUp() override {
        resetScene();
        pumpEvents(20);
    }
    void TearDown() override {
        resetScene();
        for (int window : liveFilmWindows()) requestWindowClose(window);
        pumpEvents(40);
    }
};

constexpr unsigned kDefaultSeed = 20261211;

}  // namespace

TEST_F(RandomInteraction, ThousandsOfEventsKeepEveryPromise) {
    const unsigned seed = seedFromEnvironment(kDefaultSeed);
    std::printf("random interaction seed %u (WEISSENBERG_SEED=%u replays it)\n", seed, seed);
    std::fflush(stdout);
    ASSERT_EQ(brokenPromise(), "");
    testing::internal::CaptureStdout();  // aspect and wavelength lines by the thousand
    const std::string broken = runInteraction(seed, 1500, "cell 5 5 5 90 90 90, lambda 1.5418 (WEISSENBERG_SEED=" +
                                                              std::to_string(seed) + ")");
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(broken, "");
}

// The same with crystals no cell should give: lengths and angles of 0, a wavelength of 0,
// infinite, not a number or near the largest double, and so on. Start-up refuses them on the
// command line, but the wavelength keys reach 0 and beyond, and the session holds whatever
// values it is given: nothing may crash and no matrix may turn non-finite.
TEST_F(RandomInteraction, DegenerateCrystalsKeepEveryPromise) {
    struct TypedCrystal {
        const char* name;
        double cell[6];
        double lambda;
        int spaceGroup;
    };
    const TypedCrystal crystals[] = {
        {"lambda 0", {5, 5, 5, 90, 90, 90}, 0.0, 1},
        {"lambda inf", {5, 5, 5, 90, 90, 90}, INFINITY, 1},
        {"lambda nan", {5, 5, 5, 90, 90, 90}, NAN, 1},
        {"lambda 1e308", {5, 5, 5, 90, 90, 90}, 1e308, 1},
        {"lambda 1e-300", {5, 5, 5, 90, 90, 90}, 1e-300, 1},
        {"lambda -1.5418", {5, 5, 5, 90, 90, 90}, -1.5418, 14},
        {"edges 0", {0, 0, 0, 90, 90, 90}, 1.5418, 1},
        {"negative edge", {-5, 5, 5, 90, 90, 90}, 1.5418, 146},
        {"angles 0", {5, 5, 5, 0, 0, 0}, 1.5418, 1},
        {"angle 180", {5, 5, 5, 90, 180, 90}, 1.5418, 1},
        {"angles that form no cell", {5, 5, 5, 10, 10, 170}, 1.5418, 1},
        {"edge 1e308", {1e308, 5, 5, 90, 90, 90}, 1.5418, 1},
        {"angle nan", {5, 5, 5, NAN, 90, 90}, 1.5418, 1},
    };
    const unsigned base = seedFromEnvironment(kDefaultSeed);
    std::printf("degenerate crystals seed %u (WEISSENBERG_SEED=%u replays it)\n", base, base);
    std::fflush(stdout);
    for (const TypedCrystal& c : crystals) {
        SCOPED_TRACE(c.name);
        startCrystal(c.cell, c.lambda, c.spaceGroup);
        pumpEvents(10);
        const std::string atStart = brokenPromise();
        EXPECT_EQ(atStart, "") << "at start-up";
        if (!atStart.empty()) continue;
        testing::internal::CaptureStdout();
        const unsigned seed = base + 1 + static_cast<unsigned>(&c - crystals);  // one stream a crystal
        const std::string broken =
            runInteraction(seed, 50, std::string(c.name) + " (WEISSENBERG_SEED=" + std::to_string(base) + ")");
        testing::internal::GetCapturedStdout();
        EXPECT_EQ(broken, "");
        for (int window : liveFilmWindows()) requestWindowClose(window);
        pumpEvents(20);
    }
}

// A window manager's close request for a film window that is still in the toolkit's queue
// when a command replaces or destroys that window: the window must go exactly once.
TEST_F(RandomInteraction, CloseRequestCrossingACommandThatDestroysTheFilm) {
    struct Crossing {
        const char* name;
        int openKey;        // special key that opens the film
        bool weissenberg;   // which film the close request is for
        int crossingKey;    // special key (> 0) or character (< 0) pressed before the request is read
    };
    const Crossing crossings[] = {
        {"F8, close, F8", GLUT_KEY_F8, true, GLUT_KEY_F8},
        {"F8, close, 3", GLUT_KEY_F8, true, -'3'},
        {"F8, close, F7", GLUT_KEY_F8, true, GLUT_KEY_F7},
        {"F7, close, F7", GLUT_KEY_F7, false, GLUT_KEY_F7},
    };
    for (const Crossing& c : crossings) {
        SCOPED_TRACE(c.name);
        resetScene();
        onSpecialKey(c.openKey, 0, 0);
        pumpEvents(30);
        placeNewFilmWindows();
        pumpEvents(30);
        const int film = c.weissenberg ? app.weissenbergWindow : app.rotationWindow;
        ASSERT_NE(film, 0);
        requestWindowClose(film);
        glutSetWindow(app.mainWindow);
        if (c.crossingKey > 0) onSpecialKey(c.crossingKey, 0, 0);
        else onKeyboard(static_cast<unsigned char>(-c.crossingKey), 0, 0);
        pumpEvents(60);
        placeNewFilmWindows();
        EXPECT_EQ(brokenPromise(), "");
        EXPECT_FALSE(alive(film));
    }
}

// A page key held down for minutes (key repeat sends some 25 a second): the camera stays
// finite, and the opposite page key still zooms back.
TEST_F(RandomInteraction, PageKeysHeldDownKeepTheCameraFiniteAndReversible) {
    struct Held {
        int key, back;
    };
    for (const Held& h : {Held{GLUT_KEY_PAGE_UP, GLUT_KEY_PAGE_DOWN}, Held{GLUT_KEY_PAGE_DOWN, GLUT_KEY_PAGE_UP}}) {
        SCOPED_TRACE(h.key == GLUT_KEY_PAGE_UP ? "PAGE UP" : "PAGE DOWN");
        resetScene();
        glutSetWindow(app.mainWindow);
        for (int i = 0; i < 4000; ++i) onSpecialKey(h.key, 0, 0);
        ASSERT_EQ(brokenPromise(), "");
        const double held = app.session.camera[0];
        EXPECT_GT(std::fabs(held), 0.0) << "the picture shrank to nothing";
        onSpecialKey(h.back, 0, 0);
        EXPECT_NE(app.session.camera[0], held) << "the opposite key no longer zooms";
    }
}
