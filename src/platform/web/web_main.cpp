// The program in a web page: three canvases (the main view, the rotation photograph, the
// Weissenberg photograph), each with its WebGL context; the page's events handed to the
// session's commands; the commands' effects carried out on the page; drawing at the
// browser's animation frames. The page's script calls the functions marked for export.
//
// Film windows on the page: the desktop opens and destroys film windows; here each film has
// one panel that is shown when its window would open (with a blank film) and hidden when it
// would be destroyed. A second rotation window (the wavelength keys open one while the first
// is frozen) replaces the first in its panel.
#include <emscripten/emscripten.h>
#include <emscripten/html5.h>
#include <GLES2/gl2.h>

#include <chrono>
#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include "platform/web/web_app.h"
#include "render/film_legend.h"
#include "render/log_table.h"
#include "render/pointer_label.h"
#include "session/command_line.h"
#include "session/commands.h"
#include "session/start.h"
#include "session/user_texts.h"

WebApp web;

CanvasView& view(WebView v) { return web.views[static_cast<int>(v)]; }

namespace {

const char* const kCanvasSelectors[] = {"#main-view", "#rotation-view", "#weissenberg-view"};

// The button or the film a film mouse command came from, for the redraw it may ask.
WebView filmInHand = WebView::rotation;

std::string weissenbergTitle(int layer) {
    char title[48];
    std::snprintf(title, sizeof title, "Weissenberg %d. Schicht", layer);
    return title;
}

// Each canvas keeps its picture between frames, so that a film not redrawn still shows its
// picture and saving can read any canvas at any time. No alpha: the main view's blending
// leaves alpha below 1 in the picture, which the page must not see through.
int createContext(const char* selector, bool depth, bool antialias) {
    EmscriptenWebGLContextAttributes a;
    emscripten_webgl_init_context_attributes(&a);
    a.alpha = EM_FALSE;
    a.depth = depth ? EM_TRUE : EM_FALSE;
    a.stencil = EM_FALSE;
    a.antialias = antialias ? EM_TRUE : EM_FALSE;
    a.preserveDrawingBuffer = EM_TRUE;
    a.majorVersion = 2;
    EMSCRIPTEN_WEBGL_CONTEXT_HANDLE context = emscripten_webgl_create_context(selector, &a);
    if (context <= 0) {
        a.majorVersion = 1;
        context = emscripten_webgl_create_context(selector, &a);
    }
    return static_cast<int>(context);
}

void makeCurrent(const CanvasView& v) { emscripten_webgl_make_context_current(v.context); }

// Asks the canvas for a picture. A request to show the last picture again never weakens a
// pending request for a new one.
void ask(WebView which, Pending kind) {
    CanvasView& v = view(which);
    if (which != WebView::main && !v.shown) return;
    if (kind == Pending::full || v.pending == Pending::none) v.pending = kind;
}

void showFilm(WebView film, const std::string& title) {
    CanvasView& v = view(film);
    v.shown = true;
    v.pending = Pending::full;
    v.hasFrame = false;
    v.hoverLabel.clear();
    v.title = title;
    makeCurrent(v);
    v.renderer.forgetKeptPicture();  // a new window starts with a blank film
    pageFilm(film, true, title);
}

void hideFilm(WebView film) {
    CanvasView& v = view(film);
    v.shown = false;
    v.pending = Pending::none;
    v.hasFrame = false;
    v.hoverLabel.clear();
    pageFilm(film, false, "");
    pageTexts(film, Frame{});
}

void quitProgram() {
    web.quit = true;
    web.session.spinning = 0;
    hideFilm(WebView::weissenberg);
    hideFilm(WebView::rotation);
    web.session.rotationOpen = 0;
    web.session.weissenbergOpen = 0;
    pageQuit();
}

// What a command asks of the windows, in the desktop's order: console, quit, destroy, open,
// redraw.
void applyEffects(const Effects& e) {
    for (const std::string& line : e.console) pageConsole(line);
    if (e.quit) {
        quitProgram();
        return;
    }
    Session& s = web.session;
    if (e.destroyWeissenberg) {
        hideFilm(WebView::weissenberg);
        s.weissenbergOpen = 0;
    }
    if (e.destroyRotation) {
        hideFilm(WebView::rotation);
        s.rotationOpen = 0;
    }
    if (e.openRotation) {
        showFilm(WebView::rotation, "Drehkristallaufnahme");
        return;
    }
    if (e.openWeissenberg) {
        showFilm(WebView::weissenberg, weissenbergTitle(s.currentLayer));
        return;
    }
    if (e.redrawFilm) ask(filmInHand, Pending::full);
    if (e.redraw) ask(WebView::main, Pending::full);
    if (e.repaint)
        for (WebView v : {WebView::main, WebView::rotation, WebView::weissenberg}) ask(v, Pending::repeat);
    if (e.save) saveDownloads();
}

bool accepting() { return web.started && !web.quit; }

Film filmOf(WebView v) { return v == WebView::rotation ? Film::rotation : Film::weissenberg; }

// Names what lies under the pointer on the canvas: its label and the panel's title. True
// when the label changed.
bool updateHover(WebView which) {
    CanvasView& v = view(which);
    std::string label;
    if (v.pointerInside && v.hasFrame) {
        if (which == WebView::main) {
            label = mainPointLabel(v.picker.pick(web.session, web.scene, v.width, v.height, v.pointerX, v.pointerY,
                                                 kHoverReachPixels));
        } else {
            const int entry = v.finder.nearestEntry(v.points, v.width, v.height, v.pointerX, v.pointerY, kHoverReachPixels);
            label = filmSpotLabel(web.session, filmOf(which), entry);
        }
    }
    if (label == v.hoverLabel) return false;
    v.hoverLabel = label;
    pageTitle(which, label.empty() ? v.title : v.title + ":  " + label);
    return true;
}

void show(WebView which, const Frame& frame) {
    CanvasView& v = view(which);
    makeCurrent(v);
    const Frame shown = decorated(which, frame, true);
    v.renderer.draw(shown);
    pageTexts(which, shown);
}

// A new picture: kept for later showings, shown with the legend and label.
void showNewFrame(WebView which, Frame frame) {
    CanvasView& v = view(which);
    v.lastFrame = std::move(frame);
    v.hasFrame = true;
    updateHover(which);  // over the points just built
    show(which, v.lastFrame);
}

// The last picture again (after a hover, a legend switch); false when there is none of the
// canvas's present size, so that a new one must be built.
bool showLastFrameAgain(WebView which) {
    CanvasView& v = view(which);
    const bool again = v.pending == Pending::repeat && v.hasFrame && v.lastFrame.width == v.width &&
                       v.lastFrame.height == v.height;
    v.pending = Pending::none;
    if (!again) return false;
    Frame frame = v.lastFrame;
    frame.keepPicture = false;  // the kept picture is this frame's already
    show(which, frame);
    return true;
}

void drawMain() {
    Session& s = web.session;
    CanvasView& v = view(WebView::main);
    if (showLastFrameAgain(WebView::main)) return;  // nothing new: no step, nothing logged
    scanAndLog(s);
    updateMainSceneGeometry(s, web.scene);
    showNewFrame(WebView::main, mainFrame(s, web.scene, v.width, v.height));
    // The films follow the main view while their flags say so.
    if (s.rotationOpen) ask(WebView::rotation, Pending::full);
    if (s.weissenbergOpen) ask(WebView::weissenberg, Pending::full);
}

void drawRotation() {
    Session& s = web.session;
    CanvasView& v = view(WebView::rotation);
    if (showLastFrameAgain(WebView::rotation)) return;
    const bool keepTraces = beginRotationFilmRedraw(s, true);
    showNewFrame(WebView::rotation, rotationFilmFrame(s, v.width, v.height, keepTraces, true, v.points));
}

void drawWeissenberg() {
    Session& s = web.session;
    CanvasView& v = view(WebView::weissenberg);
    if (showLastFrameAgain(WebView::weissenberg)) return;
    beginWeissenbergFilmRedraw(s, true);
    showNewFrame(WebView::weissenberg, weissenbergFilmFrame(s, v.width, v.height, v.points));
}

bool pending(WebView which) { return view(which).pending != Pending::none; }

std::vector<std::string> splitLines(const char* text) {
    std::vector<std::string> parts;
    std::istringstream in(text ? text : "");
    for (std::string line; std::getline(in, line);) parts.push_back(line);
    return parts;
}

std::string returned;  // the text a function below hands to the page, valid until the next call

}  // namespace

Frame decorated(WebView which, Frame frame, bool withLabel) {
    const Film film = filmOf(which);
    const CanvasView& v = view(which);
    return decoratedFrame(web.session, which == WebView::main ? nullptr : &film, std::move(frame),
                          withLabel ? v.hoverLabel : std::string(), v.pointerX, v.pointerY);
}

extern "C" {

// Reads the start values (one argument a line, as the desktop's command line takes them)
// and starts the program with them. 0: started; 1: a value the program cannot use (its
// German message on the console and in a dialog); the running crystal, if any, stays.
EMSCRIPTEN_KEEPALIVE int wbStart(const char* argumentLines) {
    const StartRequest request = readStartRequest(splitLines(argumentLines));
    if (request.kind != StartRequest::Kind::run) {
        const std::string message = request.kind == StartRequest::Kind::error
                                        ? request.error
                                        : "Bitte die Werte a b c alpha beta gamma lambda angeben.";
        pageConsole(message);
        pageMessage("Eingabefehler", message);
        return 1;
    }
    StartedSession started = startSession(request);
    for (const std::string& line : started.console) pageConsole(line);
    // The new session takes the old one's place (and address): everything made from the old
    // crystal goes with it, the scene, the main view's lattice points for the pointer and the
    // films' spot sizes.
    web.session = std::move(started.session);
    web.scene = MainSceneGeometry{};
    for (CanvasView& v : web.views) {
        v.picker = MainPicker{};
        v.points.spotSizes.reset();
    }
    view(WebView::main).hasFrame = false;
    view(WebView::main).title = "Reziprokes Gitter";
    web.started = true;
    web.quit = false;
    view(WebView::main).hoverLabel.clear();
    hideFilm(WebView::rotation);
    hideFilm(WebView::weissenberg);
    CanvasView& main = view(WebView::main);
    // The new main window's first size, as the toolkit reports it.
    applyEffects(reshapeCommand(web.session, main.width, main.height));
    ask(WebView::main, Pending::full);
    return 0;
}

// A character key (Shift alone held: shift = 1).
EMSCRIPTEN_KEEPALIVE void wbKey(int key, int shift) {
    if (accepting()) applyEffects(keyCommand(web.session, static_cast<unsigned char>(key), shift != 0));
}

// A special key by the toolkit's code (F1..F12 = 1..12, arrows 100..103, pages 104, 105).
EMSCRIPTEN_KEEPALIVE void wbSpecialKey(int key, int shift) {
    if (accepting()) applyEffects(specialKeyCommand(web.session, key, shift != 0));
}

// A menu entry's value, from the pop-up menu or the button row.
EMSCRIPTEN_KEEPALIVE void wbMenu(int value) {
    if (accepting()) applyEffects(menuCommand(web.session, value));
}

// Main view mouse: button 0 left, 1 middle; state 0 pressed, 1 released; canvas pixels.
EMSCRIPTEN_KEEPALIVE void wbMouse(int button, int state, int x, int y) {
    if (accepting()) applyEffects(mouseCommand(web.session, button, state, x, y));
}

EMSCRIPTEN_KEEPALIVE void wbMotion(int x, int y) {
    if (!accepting()) return;
    view(WebView::main).pointerX = x;
    view(WebView::main).pointerY = y;
    applyEffects(motionCommand(web.session, x, y));
}

// Film mouse: film 1 rotation, 2 Weissenberg; button 0 left, 2 right.
EMSCRIPTEN_KEEPALIVE void wbFilmMouse(int film, int button) {
    if (!accepting() || (film != 1 && film != 2)) return;
    filmInHand = static_cast<WebView>(film);
    applyEffects(filmMouseCommand(web.session, button));
}

// The pointer over a canvas (0 main, 1 rotation, 2 Weissenberg) without a button held, at
// pixel (x, y); inside = 0 when it left the canvas. A label moves with the pointer, so the
// canvas shows its picture again at every motion while there is one.
EMSCRIPTEN_KEEPALIVE void wbHover(int canvas, int inside, int x, int y) {
    if (!accepting() || canvas < 0 || canvas > 2) return;
    const WebView which = static_cast<WebView>(canvas);
    CanvasView& v = view(which);
    v.pointerInside = inside != 0;
    v.pointerX = x;
    v.pointerY = y;
    if (updateHover(which) || !v.hoverLabel.empty()) ask(which, Pending::repeat);
}

// The canvases' sizes in pixels: the main view reshapes (a new camera box), every canvas
// of a new size redraws.
EMSCRIPTEN_KEEPALIVE void wbResize(int mainWidth, int mainHeight, int filmWidth, int filmHeight) {
    CanvasView& main = view(WebView::main);
    const bool mainChanged = main.width != mainWidth || main.height != mainHeight;
    main.width = mainWidth;
    main.height = mainHeight;
    for (WebView film : {WebView::rotation, WebView::weissenberg}) {
        CanvasView& v = view(film);
        if (v.width == filmWidth && v.height == filmHeight) continue;
        v.width = filmWidth;
        v.height = filmHeight;
        ask(film, Pending::full);
    }
    if (mainChanged && accepting()) {
        applyEffects(reshapeCommand(web.session, mainWidth, mainHeight));
        ask(WebView::main, Pending::full);
    }
}

// One animation frame: a spin step while the spin is on, then every canvas that asks for it.
// 0 once the program has quit (or before it started).
EMSCRIPTEN_KEEPALIVE int wbFrame() {
    if (!accepting()) return 0;
    if (web.session.spinning) applyEffects(spinStep(web.session));
    if (web.quit) return 0;
    if (pending(WebView::main)) drawMain();
    if (pending(WebView::rotation)) drawRotation();
    if (pending(WebView::weissenberg)) drawWeissenberg();
    return 1;
}

// The menu entries as JSON: [{"caption": ..., "value": ...}, ...], dividers with value 0.
EMSCRIPTEN_KEEPALIVE const char* wbMenuEntries() {
    returned = "[";
    for (const MenuEntry& entry : kMenuEntries) {
        if (returned.size() > 1) returned += ",";
        returned += "{\"caption\":" + jsonString(entry.caption) + ",\"value\":" + std::to_string(entry.value) + "}";
    }
    returned += "]";
    return returned.c_str();
}

EMSCRIPTEN_KEEPALIVE const char* wbHelpText() { return kHelpText; }

EMSCRIPTEN_KEEPALIVE const char* wbLogCsv() {
    returned = reflectionLogCsv(web.session);
    return returned.c_str();
}

// A few session values as JSON, for the page's status line and its tests.
EMSCRIPTEN_KEEPALIVE const char* wbState() {
    const Session& s = web.session;
    std::ostringstream out;
    out << "{\"started\":" << web.started << ",\"quit\":" << web.quit << ",\"spinning\":" << s.spinning
        << ",\"rotationOpen\":" << s.rotationOpen << ",\"weissenbergOpen\":" << s.weissenbergOpen
        << ",\"rotationShown\":" << view(WebView::rotation).shown
        << ",\"weissenbergShown\":" << view(WebView::weissenberg).shown << ",\"layer\":" << s.currentLayer
        << ",\"logCount\":" << s.log.count() << ",\"showEwaldSphere\":" << s.showEwaldSphere
        << ",\"showLatticePoints\":" << s.showLatticePoints << ",\"showAxes\":" << s.showAxes
        << ",\"lighting\":" << s.lighting << ",\"ewaldDiameter\":" << s.ewaldDiameter
        << ",\"keptBuffers\":" << view(WebView::main).renderer.keptCount() << "}";
    returned = out.str();
    return returned.c_str();
}

// Time per spin step in milliseconds: `steps` steps of the spin, each with its main picture
// (scan, log, draw) and the films that follow, finished on the GPU. The sphere is
// shown or hidden for the run; every other value of the session stays as it was.
EMSCRIPTEN_KEEPALIVE double wbBenchmark(int steps, int sphere) {
    if (!accepting() || steps <= 0) return 0.0;
    Session& s = web.session;
    const int sphereBefore = s.showEwaldSphere;
    s.showEwaldSphere = sphere;
    ask(WebView::main, Pending::full);
    drawMain();  // the kept geometry goes to the GPU before the clock starts
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < steps; ++i) {
        spinStep(s);
        ask(WebView::main, Pending::full);
        drawMain();
        if (pending(WebView::rotation)) drawRotation();
        if (pending(WebView::weissenberg)) drawWeissenberg();
        // Reading a pixel back waits until the GPU has drawn the step.
        for (const CanvasView& v : web.views) {
            if (&v != &view(WebView::main) && !v.shown) continue;
            makeCurrent(v);
            unsigned char pixel[4];
            glReadPixels(0, 0, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, pixel);
        }
    }
    const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    s.showEwaldSphere = sphereBefore;
    ask(WebView::main, Pending::full);
    return ms / steps;
}

}  // extern "C"

int main() {
    const struct {
        WebView which;
        bool depth, antialias;
    } canvases[] = {{WebView::main, true, false}, {WebView::rotation, false, false}, {WebView::weissenberg, false, false}};
    for (const auto& c : canvases) {
        CanvasView& v = view(c.which);
        v.context = createContext(kCanvasSelectors[static_cast<int>(c.which)], c.depth, c.antialias);
        if (v.context <= 0) {
            pageMessage("Fehler", "Dieser Browser kann kein WebGL: die Bilder koennen nicht gezeigt werden.");
            return 1;
        }
    }
    pageConsole("Hallo!");
    // The page's script takes over: it reads the start values and runs the animation frames.
    pageReady();
    return 0;
}
