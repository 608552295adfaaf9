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

void showFilm(WebView film, const std::string& title) {
    CanvasView& v = view(film);
    v.shown = true;
    v.dirty = true;
    makeCurrent(v);
    v.renderer.forgetKeptPicture();  // a new window starts with a blank film
    pageFilm(film, true, title);
}

void hideFilm(WebView film) {
    CanvasView& v = view(film);
    v.shown = false;
    v.dirty = false;
    pageFilm(film, false, "");
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
    if (e.redrawFilm && view(filmInHand).shown) view(filmInHand).dirty = true;
    if (e.redraw) view(WebView::main).dirty = true;
}

bool accepting() { return web.started && !web.quit; }

void drawMain() {
    Session& s = web.session;
    CanvasView& v = view(WebView::main);
    v.dirty = false;
    scanAndLog(s);
    makeCurrent(v);
    updateMainSceneGeometry(s, web.scene);
    v.renderer.draw(mainFrame(s, web.scene, v.width, v.height));
    // The films follow the main view while their flags say so.
    if (s.rotationOpen && view(WebView::rotation).shown) view(WebView::rotation).dirty = true;
    if (s.weissenbergOpen && view(WebView::weissenberg).shown) view(WebView::weissenberg).dirty = true;
}

void drawRotation() {
    Session& s = web.session;
    CanvasView& v = view(WebView::rotation);
    v.dirty = false;
    const bool keepTraces = beginRotationFilmRedraw(s, true);
    makeCurrent(v);
    v.renderer.draw(rotationFilmFrame(s, v.width, v.height, keepTraces, true, v.points));
}

void drawWeissenberg() {
    Session& s = web.session;
    CanvasView& v = view(WebView::weissenberg);
    v.dirty = false;
    beginWeissenbergFilmRedraw(s, true);
    makeCurrent(v);
    v.renderer.draw(weissenbergFilmFrame(s, v.width, v.height, v.points));
}

std::vector<std::string> splitLines(const char* text) {
    std::vector<std::string> parts;
    std::istringstream in(text ? text : "");
    for (std::string line; std::getline(in, line);) parts.push_back(line);
    return parts;
}

std::string jsonString(const std::string& text) {
    std::string out = "\"";
    for (const char c : text) {
        if (c == '"' || c == '\\') out += '\\';
        if (c == '\n') {
            out += "\\n";
            continue;
        }
        out += c;
    }
    return out + "\"";
}

std::string returned;  // the text a function below hands to the page, valid until the next call

}  // namespace

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
    web.session = std::move(started.session);
    web.scene = MainSceneGeometry{};
    web.started = true;
    web.quit = false;
    hideFilm(WebView::rotation);
    hideFilm(WebView::weissenberg);
    CanvasView& main = view(WebView::main);
    // The new main window's first size, as the toolkit reports it.
    applyEffects(reshapeCommand(web.session, main.width, main.height));
    main.dirty = true;
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
    if (accepting()) applyEffects(motionCommand(web.session, x, y));
}

// Film mouse: film 1 rotation, 2 Weissenberg; button 0 left, 2 right.
EMSCRIPTEN_KEEPALIVE void wbFilmMouse(int film, int button) {
    if (!accepting() || (film != 1 && film != 2)) return;
    filmInHand = static_cast<WebView>(film);
    applyEffects(filmMouseCommand(web.session, button));
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
        v.dirty = v.shown;
    }
    if (mainChanged && accepting()) {
        applyEffects(reshapeCommand(web.session, mainWidth, mainHeight));
        main.dirty = true;
    }
}

// One animation frame: a spin step while the spin is on, then every canvas that asks for it.
// 0 once the program has quit (or before it started).
EMSCRIPTEN_KEEPALIVE int wbFrame() {
    if (!accepting()) return 0;
    if (web.session.spinning) applyEffects(spinStep(web.session));
    if (web.quit) return 0;
    if (view(WebView::main).dirty) drawMain();
    if (view(WebView::rotation).dirty) drawRotation();
    if (view(WebView::weissenberg).dirty) drawWeissenberg();
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

EMSCRIPTEN_KEEPALIVE void wbSave() {
    if (web.started) saveDownloads();
}

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
    drawMain();  // the kept geometry goes to the GPU before the clock starts
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < steps; ++i) {
        spinStep(s);
        drawMain();
        if (view(WebView::rotation).dirty) drawRotation();
        if (view(WebView::weissenberg).dirty) drawWeissenberg();
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
    view(WebView::main).dirty = true;
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
