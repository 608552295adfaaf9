// The windows on freeglut: creating, placing, drawing and destroying them, and the input
// callbacks that hand each event to the session's commands.
#include "platform/windows.h"

#include <GL/freeglut.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "platform/app.h"
#include "platform/modifiers.h"

App app;

static_assert(kKeyF1 == GLUT_KEY_F1 && kKeyF12 == GLUT_KEY_F12 && kKeyLeft == GLUT_KEY_LEFT &&
                  kKeyPageDown == GLUT_KEY_PAGE_DOWN && kKeyInsert == GLUT_KEY_INSERT,
              "the session's special-key codes are the toolkit's");

namespace {

constexpr int kWindowSize = 520;  // pixels, every window at its start
constexpr int kWindowGap = 16;    // pixels between windows placed side by side
constexpr int kWindowTop = 0;

void makeMainWindowCurrent() {
    if (app.mainWindow != 0) glutSetWindow(app.mainWindow);
}

int windowWidth() { return glutGet(GLUT_WINDOW_WIDTH); }
int windowHeight() { return glutGet(GLUT_WINDOW_HEIGHT); }

// Film windows handed over for destruction and not yet destroyed.
std::vector<int> windowsToDestroy;

bool forgetWindowToDestroy(int window) {
    const auto it = std::find(windowsToDestroy.begin(), windowsToDestroy.end(), window);
    if (it == windowsToDestroy.end()) return false;
    windowsToDestroy.erase(it);
    return true;
}

void destroyHandedOverWindow(int window) {
    // A window the window manager closed in the meantime is gone already.
    if (forgetWindowToDestroy(window)) glutDestroyWindow(window);
}

// The toolkit destroys a window at the end of its current turn, after the turn's input. A
// window manager's close request for the same window in that input destroys it at once,
// and the end of the turn would then destroy it a second time (freed memory). A timer of
// 0 ms runs after the input and before the end of the turn, so the window is destroyed
// there, or not at all if the window manager closed it first.
void destroyFilmWindow(int window) {
    windowsToDestroy.push_back(window);
    glutTimerFunc(0, destroyHandedOverWindow, window);
}

constexpr int kRotationSlot = 1;
constexpr int kWeissenbergSlot = 2;

// Where the film window of each slot stood when a command destroyed it, so that the window
// that replaces it opens there (the user may have moved it).
struct ReplacedPlace {
    bool set = false;
    WindowPlace place;
};
ReplacedPlace replacedPlaces[3];

// Notes where `window` stands before it is destroyed; the current window stays current.
void rememberPlace(int window, int slot) {
    replacedPlaces[slot].set = false;
    if (window == 0) return;
    const int current = glutGetWindow();
    glutSetWindow(window);
    replacedPlaces[slot] = {true, {glutGet(GLUT_WINDOW_X), glutGet(GLUT_WINDOW_Y)}};
    if (current != 0) glutSetWindow(current);
}

// Creates a film window where the one it replaces stood, else at its slot beside the main window.
int createFilmWindow(const char* title, unsigned displayMode, int slot) {
    WindowPlace place = filmWindowPlace(slot, glutGet(GLUT_SCREEN_WIDTH));
    if (replacedPlaces[slot].set) place = replacedPlaces[slot].place;
    replacedPlaces[slot].set = false;
    glutInitDisplayMode(displayMode);
    glutInitWindowSize(kWindowSize, kWindowSize);
    glutInitWindowPosition(place.x, place.y);
    const int window = glutCreateWindow(title);
    app.views[window];
    glutMouseFunc(onFilmMouse);
    glutKeyboardFunc(onKeyboard);
    glutSpecialFunc(onSpecialKey);
    return window;
}

// The user closed the main window through the window manager: end as the quit command does.
void onMainWindowClose() { quitProgram(); }

void printConsole(const Effects& effects) {
    for (const std::string& line : effects.console) std::printf("%s\n", line.c_str());
    if (!effects.console.empty()) std::fflush(stdout);
}

// The spin runs from the toolkit's idle moments while the session says so.
void followSpinSwitch() { glutIdleFunc(app.session.spinning ? onIdleSpin : nullptr); }

}  // namespace

WindowPlace filmWindowPlace(int slot, int screenWidth) {
    WindowPlace place;
    place.x = slot * (kWindowSize + kWindowGap);
    if (screenWidth > 0) place.x = std::max(0, std::min(place.x, screenWidth - kWindowSize));
    place.y = kWindowTop;
    return place;
}

void createMainWindow() {
    glutInitDisplayMode(GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH);
    glutInitWindowSize(kWindowSize, kWindowSize);
    glutInitWindowPosition(0, kWindowTop);
    app.mainWindow = glutCreateWindow("Reziprokes Gitter");
    app.views[app.mainWindow];

    glutDisplayFunc(drawReciprocalLattice);
    glutIdleFunc(nullptr);
    glutSpecialFunc(onSpecialKey);
    glutKeyboardFunc(onKeyboard);
    glutMouseFunc(onMouse);
    glutMotionFunc(onMotion);
    glutReshapeFunc(onReshape);
    glutSetOption(GLUT_ACTION_ON_WINDOW_CLOSE, GLUT_ACTION_CONTINUE_EXECUTION);
    glutCloseFunc(onMainWindowClose);
}

void openRotationWindow() {
    app.rotationWindow = createFilmWindow("Drehkristallaufnahme", GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH, kRotationSlot);
    glutDisplayFunc(drawRotationPhoto);
    glutCloseFunc(onRotationWindowClose);
}

void openWeissenbergWindow() {
    char title[32];
    std::snprintf(title, sizeof title, "Weissenberg %d. Schicht", app.session.currentLayer);
    app.weissenbergWindow = createFilmWindow(title, GLUT_RGB | GLUT_DOUBLE, kWeissenbergSlot);
    glutDisplayFunc(drawWeissenbergPhoto);
    glutCloseFunc(onWeissenbergWindowClose);
}

void destroyRotationWindow() {
    const int window = app.rotationWindow;
    rememberPlace(window, kRotationSlot);
    if (window != 0) destroyFilmWindow(window);  // runs onRotationWindowClose as well
    app.views.erase(window);
    app.rotationWindow = 0;
    app.session.rotationOpen = 0;
    makeMainWindowCurrent();
}

void destroyWeissenbergWindow() {
    const int window = app.weissenbergWindow;
    rememberPlace(window, kWeissenbergSlot);
    if (window != 0) destroyFilmWindow(window);
    app.views.erase(window);
    app.weissenbergWindow = 0;
    app.session.weissenbergOpen = 0;
    makeMainWindowCurrent();
}

// The toolkit calls these with the closing window current, whether the window manager
// closed it or glutDestroyWindow did. An older rotation window that the id no longer names
// closes without touching the newer window's id and flag.
void onRotationWindowClose() {
    const int window = glutGetWindow();
    forgetWindowToDestroy(window);
    app.views.erase(window);
    if (window != 0 && window == app.rotationWindow) {
        app.rotationWindow = 0;
        app.session.rotationOpen = 0;
    }
}

void onWeissenbergWindowClose() {
    const int window = glutGetWindow();
    forgetWindowToDestroy(window);
    app.views.erase(window);
    if (window != 0 && window == app.weissenbergWindow) {
        app.weissenbergWindow = 0;
        app.session.weissenbergOpen = 0;
    }
}

bool applyEffects(const Effects& e) {
    printConsole(e);
    if (e.quit) {
        quitProgram();
        return false;
    }
    if (e.destroyWeissenberg) destroyWeissenbergWindow();
    if (e.destroyRotation) destroyRotationWindow();
    followSpinSwitch();
    if (e.openRotation) {
        openRotationWindow();
        return false;
    }
    if (e.openWeissenberg) {
        openWeissenbergWindow();
        return false;
    }
    if (e.redrawFilm) glutPostRedisplay();
    if (e.redraw && app.mainWindow != 0) glutPostWindowRedisplay(app.mainWindow);
    return true;
}

void drawReciprocalLattice() {
    Session& s = app.session;
    scanAndLog(s);
    WindowView& view = app.views[app.mainWindow];
    updateMainSceneGeometry(s, view.scene);
    view.renderer.draw(mainFrame(s, view.scene, windowWidth(), windowHeight()));
    glutSwapBuffers();

    // A film window is addressed only while its flag is set and it has an id: posting to
    // id 0 (never created, or already destroyed) would be fatal in the toolkit.
    if (s.rotationOpen && app.rotationWindow != 0) glutPostWindowRedisplay(app.rotationWindow);
    if (s.weissenbergOpen && app.weissenbergWindow != 0) glutPostWindowRedisplay(app.weissenbergWindow);
}

void drawRotationPhoto() {
    const int window = glutGetWindow();
    // Only the window that rotationWindow names takes part. An older window left on screen
    // by the wavelength keys still redraws when uncovered, but as a frozen film: it clears,
    // and it never sets rotationOpen, which would make the main window follow a window
    // that is not its own.
    const bool named = window != 0 && window == app.rotationWindow;
    const bool keepTraces = beginRotationFilmRedraw(app.session, named);
    WindowView& view = app.views[window];
    view.renderer.draw(
        rotationFilmFrame(app.session, windowWidth(), windowHeight(), keepTraces, named, view.points));
    glutSwapBuffers();
}

void drawWeissenbergPhoto() {
    const int window = glutGetWindow();
    // Only the window that weissenbergWindow names sets the flag, so a redraw can never make
    // the main window follow an id of 0 or a window that is gone.
    beginWeissenbergFilmRedraw(app.session, window != 0 && window == app.weissenbergWindow);
    WindowView& view = app.views[window];
    view.renderer.draw(weissenbergFilmFrame(app.session, windowWidth(), windowHeight(), view.points));
    glutSwapBuffers();
}

void onKeyboard(unsigned char key, int, int) { applyEffects(keyCommand(app.session, key, shiftOnlyHeld())); }

void onSpecialKey(int key, int, int) { applyEffects(specialKeyCommand(app.session, key, shiftOnlyHeld())); }

void onMenu(int value) {
    beginMenuPath();
    applyEffects(menuCommand(app.session, value));
    endMenuPath();
}

void onMouse(int button, int state, int x, int y) { applyEffects(mouseCommand(app.session, button, state, x, y)); }

void onMotion(int x, int y) { applyEffects(motionCommand(app.session, x, y)); }

void onFilmMouse(int button, int, int, int) { applyEffects(filmMouseCommand(app.session, button)); }

void onReshape(int width, int height) { applyEffects(reshapeCommand(app.session, width, height)); }

void onIdleSpin() { applyEffects(spinStep(app.session)); }

void quitProgram() {
    // exit() lets the toolkit destroy what is left, which calls the main window's close
    // callback, and so this function, once more: that call must not quit a second time.
    static bool quitting = false;
    if (quitting) return;
    quitting = true;
    glutSetWindow(app.mainWindow);
    // The destroy functions skip a film window that is already gone.
    destroyWeissenbergWindow();
    destroyRotationWindow();
    glutDestroyWindow(app.mainWindow);
    std::exit(0);
}
