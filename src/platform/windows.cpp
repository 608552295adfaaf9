// The windows on freeglut: creating, placing, drawing and destroying them, and the input
// callbacks that hand each event to the session's commands.
#include "platform/windows.h"

#include <GL/freeglut.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "model/png_image.h"
#include "model/safe_file.h"
#include "platform/app.h"
#include "platform/modifiers.h"
#include "render/film_legend.h"
#include "render/pointer_label.h"
#include "render/log_table.h"

App app;

static_assert(kKeyF1 == GLUT_KEY_F1 && kKeyF12 == GLUT_KEY_F12 && kKeyLeft == GLUT_KEY_LEFT &&
                  kKeyPageDown == GLUT_KEY_PAGE_DOWN && kKeyInsert == GLUT_KEY_INSERT,
              "the session's special-key codes are the toolkit's");

namespace {

constexpr int kWindowSize = 520;  // pixels, every window at its start
constexpr int kWindowGap = 16;    // pixels between windows placed side by side
constexpr int kWindowTop = 0;


void drawBitmapText(const char* latin1) {
    glutBitmapString(GLUT_BITMAP_HELVETICA_12, reinterpret_cast<const unsigned char*>(latin1));
}
int bitmapTextWidth(const char* latin1) {
    return glutBitmapLength(GLUT_BITMAP_HELVETICA_12, reinterpret_cast<const unsigned char*>(latin1));
}
const BitmapFont kBitmapFont{drawBitmapText, bitmapTextWidth};

// The view of a window just created, with the toolkit's font for its texts.
WindowView& newView(int window, WindowKind kind, const std::string& title) {
    WindowView& view = app.views[window];
    view.kind = kind;
    view.title = title;
    view.renderer.setFont(&kBitmapFont);
    return view;
}

Film filmOf(WindowKind kind) { return kind == WindowKind::rotation ? Film::rotation : Film::weissenberg; }

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
    newView(window, slot == kRotationSlot ? WindowKind::rotation : WindowKind::weissenberg, title);
    glutMouseFunc(onFilmMouse);
    glutPassiveMotionFunc(onPassiveMotion);
    glutEntryFunc(onEntry);
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

// Asks the window to redraw. A request to show the picture again never weakens a pending
// request for a new one, so a hover in the same turn as a key cannot swallow its step.
void requestRedraw(int window, PendingRedraw kind) {
    const auto it = app.views.find(window);
    if (window == 0 || it == app.views.end()) return;
    if (kind == PendingRedraw::full || it->second.pending == PendingRedraw::none) it->second.pending = kind;
    glutPostWindowRedisplay(window);
}

// Draws the window's last frame as the window shows it: the picture, the films' legend while
// it is on, and (withLabel) the pointer's label. `keepPicture` false: a repeated showing
// keeps no picture of its own.
void drawDecorated(WindowView& view, bool withLabel, bool keepPicture) {
    const Film film = filmOf(view.kind);
    Frame frame = decoratedFrame(app.session, view.kind == WindowKind::main ? nullptr : &film, view.lastFrame,
                                 withLabel ? view.hoverLabel : std::string(), view.pointerX, view.pointerY);
    frame.keepPicture = frame.keepPicture && keepPicture;
    view.renderer.draw(frame);
}

// Draws the picture of a redraw that built one: kept for later showings, shown with the
// legend and label.
void showNewFrame(WindowView& view, Frame frame) {
    view.lastFrame = std::move(frame);
    view.hasFrame = true;
    drawDecorated(view, true, true);
    glutSwapBuffers();
}

// A redraw that only shows the last picture again (after a hover, a legend switch): true
// when it did. A window whose size changed since builds its picture anew.
bool showLastFrameAgain(WindowView& view) {
    const bool again = view.pending == PendingRedraw::repeat && view.hasFrame &&
                       view.lastFrame.width == windowWidth() && view.lastFrame.height == windowHeight();
    view.pending = PendingRedraw::none;
    if (!again) return false;
    drawDecorated(view, true, false);  // the kept picture is this frame's already
    glutSwapBuffers();
    return true;
}

// Names what lies under the pointer in the current window (its view): the label and the
// window's title. True when the label changed.
bool updateHover(WindowView& view) {
    std::string label;
    if (view.pointerInside) {
        const int w = windowWidth(), h = windowHeight();
        if (view.kind == WindowKind::main) {
            label = mainPointLabel(
                view.picker.pick(app.session, view.scene, w, h, view.pointerX, view.pointerY, kHoverReachPixels));
        } else {
            const Film film = filmOf(view.kind);
            const int entry =
                view.finder.nearestEntry(view.points, w, h, view.pointerX, view.pointerY, kHoverReachPixels);
            label = filmSpotLabel(app.session, film, entry);
        }
    }
    if (label == view.hoverLabel) return false;
    view.hoverLabel = label;
    const std::string title = label.empty() ? view.title : view.title + ":  " + label;
    glutSetWindowTitle(latin1FromUtf8(title).c_str());
    return true;
}

// The window's picture as the window shows it without the pointer's label, drawn again into
// its back buffer (which the next redraw draws over wholly) and read back.
RgbaImage windowPicture(int window, WindowView& view) {
    glutSetWindow(window);
    drawDecorated(view, false, false);
    RgbaImage image;
    image.width = view.lastFrame.width;
    image.height = view.lastFrame.height;
    image.pixels.resize(static_cast<size_t>(image.width) * static_cast<size_t>(image.height) * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadBuffer(GL_BACK);
    glReadPixels(0, 0, image.width, image.height, GL_RGBA, GL_UNSIGNED_BYTE, image.pixels.data());
    return image;
}

// Every open window's picture as PNG and the log as CSV, one numbered set in the working
// directory; a console line per file written, or one saying why not.
void saveWindowsAndLog() {
    const struct {
        int window;
        const char* suffix;
    } windows[] = {{app.mainWindow, "-haupt.png"},
                   {app.rotationWindow, "-drehkristall.png"},
                   {app.weissenbergWindow, "-weissenberg.png"}};
    const int current = glutGetWindow();
    std::vector<FileToSave> files;
    for (const auto& w : windows) {
        const auto it = app.views.find(w.window);
        if (w.window == 0 || it == app.views.end() || !it->second.hasFrame) continue;
        files.push_back({w.suffix, encodePng(windowPicture(w.window, it->second))});
    }
    if (current != 0) glutSetWindow(current);
    const std::string csv = reflectionLogCsv(app.session);
    files.push_back({"-protokoll.csv", std::vector<unsigned char>(csv.begin(), csv.end())});
    const SavedSet saved = saveNumberedSet("", "weissenberg-", files);
    for (const std::string& path : saved.paths) std::printf("Gespeichert: %s\n", path.c_str());
    if (!saved.error.empty()) std::printf("Nicht gespeichert: %s\n", saved.error.c_str());
    std::fflush(stdout);
}

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
    newView(app.mainWindow, WindowKind::main, "Reziprokes Gitter");

    glutDisplayFunc(drawReciprocalLattice);
    glutIdleFunc(nullptr);
    glutSpecialFunc(onSpecialKey);
    glutKeyboardFunc(onKeyboard);
    glutMouseFunc(onMouse);
    glutMotionFunc(onMotion);
    glutPassiveMotionFunc(onPassiveMotion);
    glutEntryFunc(onEntry);
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
namespace {
void forgetClosingFilmWindow(int& namedWindow, int& openFlag) {
    const int window = glutGetWindow();
    forgetWindowToDestroy(window);
    app.views.erase(window);
    if (window != 0 && window == namedWindow) {
        namedWindow = 0;
        openFlag = 0;
    }
}
}  // namespace

void onRotationWindowClose() { forgetClosingFilmWindow(app.rotationWindow, app.session.rotationOpen); }

void onWeissenbergWindowClose() { forgetClosingFilmWindow(app.weissenbergWindow, app.session.weissenbergOpen); }

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
    if (e.redrawFilm) requestRedraw(glutGetWindow(), PendingRedraw::full);
    if (e.redraw) requestRedraw(app.mainWindow, PendingRedraw::full);
    if (e.repaint)
        for (const auto& [window, view] : app.views) requestRedraw(window, PendingRedraw::repeat);
    if (e.save) saveWindowsAndLog();
    return true;
}

void drawReciprocalLattice() {
    Session& s = app.session;
    WindowView& view = app.views[app.mainWindow];
    if (showLastFrameAgain(view)) return;  // nothing new: no step, nothing logged
    scanAndLog(s);
    updateMainSceneGeometry(s, view.scene);
    updateHover(view);
    showNewFrame(view, mainFrame(s, view.scene, windowWidth(), windowHeight()));

    // A film window is addressed only while its flag is set and it has an id: posting to
    // id 0 (never created, or already destroyed) would be fatal in the toolkit.
    if (s.rotationOpen) requestRedraw(app.rotationWindow, PendingRedraw::full);
    if (s.weissenbergOpen) requestRedraw(app.weissenbergWindow, PendingRedraw::full);
}

void drawRotationPhoto() {
    const int window = glutGetWindow();
    WindowView& view = app.views[window];
    if (showLastFrameAgain(view)) return;
    // Only the window that rotationWindow names takes part. An older window left on screen
    // by the wavelength keys still redraws when uncovered, but as a frozen film: it clears,
    // and it never sets rotationOpen, which would make the main window follow a window
    // that is not its own.
    const bool named = window != 0 && window == app.rotationWindow;
    const bool keepTraces = beginRotationFilmRedraw(app.session, named);
    Frame frame = rotationFilmFrame(app.session, windowWidth(), windowHeight(), keepTraces, named, view.points);
    updateHover(view);  // over the points just built
    showNewFrame(view, std::move(frame));
}

void drawWeissenbergPhoto() {
    const int window = glutGetWindow();
    WindowView& view = app.views[window];
    if (showLastFrameAgain(view)) return;
    // Only the window that weissenbergWindow names sets the flag, so a redraw can never make
    // the main window follow an id of 0 or a window that is gone.
    beginWeissenbergFilmRedraw(app.session, window != 0 && window == app.weissenbergWindow);
    Frame frame = weissenbergFilmFrame(app.session, windowWidth(), windowHeight(), view.points);
    updateHover(view);  // over the points just built
    showNewFrame(view, std::move(frame));
}

void onKeyboard(unsigned char key, int, int) { applyEffects(keyCommand(app.session, key, shiftOnlyHeld())); }

void onSpecialKey(int key, int, int) { applyEffects(specialKeyCommand(app.session, key, shiftOnlyHeld())); }

void onMenu(int value) {
    beginMenuPath();
    applyEffects(menuCommand(app.session, value));
    endMenuPath();
}

void onMouse(int button, int state, int x, int y) { applyEffects(mouseCommand(app.session, button, state, x, y)); }

void onMotion(int x, int y) {
    const auto it = app.views.find(glutGetWindow());
    if (it != app.views.end()) {
        it->second.pointerX = x;
        it->second.pointerY = y;
    }
    applyEffects(motionCommand(app.session, x, y));
}

void onPassiveMotion(int x, int y) {
    const int window = glutGetWindow();
    const auto it = app.views.find(window);
    if (it == app.views.end()) return;
    WindowView& view = it->second;
    view.pointerInside = true;
    view.pointerX = x;
    view.pointerY = y;
    // A new picture on its way names what lies under the pointer then (during the spin, every
    // step): looking now would only be done again.
    if (view.pending == PendingRedraw::full) return;
    // A label moves with the pointer, so it is shown again at every motion while there is one.
    if (updateHover(view) || !view.hoverLabel.empty()) requestRedraw(window, PendingRedraw::repeat);
}

void onEntry(int state) {
    const int window = glutGetWindow();
    const auto it = app.views.find(window);
    if (it == app.views.end()) return;
    it->second.pointerInside = state == GLUT_ENTERED;
    if (updateHover(it->second)) requestRedraw(window, PendingRedraw::repeat);
}

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
