// The web page's glue: the one value the page's events reach (the session and the three
// canvases that show it) and the page's side of it (console, dialogs, film panels,
// downloads), which the page's script provides as Module.page.
#pragma once

#include <string>
#include <vector>

#include "render/film_frame.h"
#include "render/main_frame.h"
#include "render/webgl/webgl_renderer.h"
#include "session/session.h"

enum class WebView { main = 0, rotation = 1, weissenberg = 2 };

// One canvas and what it keeps between its pictures.
struct CanvasView {
    int context = 0;            // the canvas's WebGL context handle
    int width = 0, height = 0;  // drawing buffer, pixels (as CSS pixels: one to one)
    bool shown = false;         // films: the panel shows this film (the desktop's window exists)
    bool dirty = false;         // draw at the next animation frame
    WebGlRenderer renderer;
    FilmPoints points;          // films: the point arrays, reused
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
void pageQuit();
void pageReady();  // the canvases have their contexts: the page's script takes over
void pageDownload(const std::string& name, const std::string& mimeType, const std::vector<unsigned char>& bytes);

// Saving as downloads: the pictures of the views shown (PNG) and the reflection log (CSV),
// as one numbered set.
void saveDownloads();

// The reflection log as CSV text for the download. Stands in for the desktop's log writer
// until the two share one function.
std::string reflectionLogCsv(const Session& s);
