// The web page's glue: the one value the page's events reach (the session and the three
// canvases that show it) and the page's side of it (console, dialogs, film panels,
// downloads), which the page's script provides as Module.page.
#pragma once

#include <string>
#include <vector>

#include "render/film_frame.h"
#include "render/film_spots.h"
#include "render/main_frame.h"
#include "render/main_pick.h"
#include "render/webgl/webgl_renderer.h"
#include "session/session.h"

enum class WebView { main = 0, rotation = 1, weissenberg = 2 };

// What a canvas's next picture is to be: none, the last picture again with the present
// legend and label, or a new one (the main view's after a new step).
enum class Pending { none, repeat, full };

// One canvas and what it keeps between its pictures.
struct CanvasView {
    int context = 0;            // the canvas's WebGL context handle
    int width = 0, height = 0;  // drawing buffer, pixels (as CSS pixels: one to one)
    bool shown = false;         // films: the panel shows this film (the desktop's window exists)
    Pending pending = Pending::none;  // drawn at the next animation frame
    std::string title;          // the panel's own title, shown while the pointer names nothing
    WebGlRenderer renderer;
    FilmPoints points;          // films: the point arrays, reused
    Frame lastFrame;            // the picture last built (without legend and label)
    bool hasFrame = false;
    // ---- the pointer and what it names ----------------------------------------------
    bool pointerInside = false;
    int pointerX = 0, pointerY = 0;  // pixel, from the top left
    std::string hoverLabel;          // UTF-8; empty when nothing is near the pointer
    FilmSpotFinder finder;           // films: nearest logged spot
    MainPicker picker;               // main view: nearest lattice point or ball
};

struct WebApp {
    bool started = false;       // a crystal was read: the session runs
    bool quit = false;          // q or Escape ended it; the page shows its note
    Session session;
    MainSceneGeometry scene;
    CanvasView views[3];        // by WebView
    int saveNumber = 0;         // the last save set's number on this page
};

extern WebApp web;

CanvasView& view(WebView v);

// The page's side (Module.page in the page's script).
void pageConsole(const std::string& line);
void pageMessage(const std::string& title, const std::string& text);
void pageFilm(WebView film, bool shown, const std::string& title);
void pageTitle(WebView v, const std::string& title);
// The frame's lines of text, drawn by the page over the canvas.
void pageTexts(WebView v, const Frame& frame);
void pageQuit();
void pageReady();  // the canvases have their contexts: the page's script takes over
void pageDownload(const std::string& name, const std::string& mimeType, const std::vector<unsigned char>& bytes);

// The text as a JSON string for the page: quotes and backslashes escaped, a line break as
// \n, other control characters left out.
std::string jsonString(const std::string& text);

// The frame as the canvas shows it: the picture, the films' legend while it is on, and the
// pointer's label when asked.
Frame decorated(WebView v, Frame frame, bool withLabel);

// Saving as downloads: the pictures of the views shown (PNG, without the page's text) and the
// reflection log (CSV), as one numbered set.
void saveDownloads();
