// The one value the toolkit's callbacks reach: the session, the windows that show it, and
// each window's renderer.
#pragma once

#include <map>

#include "render/film_frame.h"
#include "render/gl11/gl11_renderer.h"
#include "render/main_frame.h"
#include "session/session.h"

// What one window keeps between its redraws.
struct WindowView {
    Gl11Renderer renderer;       // this window's GL context's lists and kept picture
    MainSceneGeometry scene;     // main window: the built scene's geometry
    FilmPoints points;           // film windows: the point arrays, reused
};

struct App {
    Session session;
    int mainWindow = 0;          // toolkit id of "Reziprokes Gitter"
    int rotationWindow = 0;      // id of the newest rotation-photograph window; 0 = none (or it is gone)
    int weissenbergWindow = 0;   // id of the newest Weissenberg window; 0 = none (or it is gone)
    std::map<int, WindowView> views;  // by window id, for every window that exists
};

extern App app;
