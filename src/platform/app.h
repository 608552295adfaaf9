// The one value the toolkit's callbacks reach: the session, the windows that show it, and
// each window's renderer.
#pragma once

#include <map>
#include <string>

#include "render/film_frame.h"
#include "render/gl11/gl11_renderer.h"
#include "render/film_spots.h"
#include "render/main_frame.h"
#include "render/main_pick.h"
#include "session/session.h"

enum class WindowKind { main, rotation, weissenberg };

// What a window's next redraw is to do: build a new picture (the main window's after a new
// step), or only show the last one again with the present legend and label.
enum class PendingRedraw { none, repeat, full };

// What one window keeps between its redraws.
struct WindowView {
    WindowKind kind = WindowKind::main;
    std::string title;           // the window's own title, shown while the pointer names nothing
    Gl11Renderer renderer;       // this window's GL context's lists and kept picture
    MainSceneGeometry scene;     // main window: the built scene's geometry
    FilmPoints points;           // film windows: the point arrays, reused
    Frame lastFrame;             // the picture last built (without legend and label)
    bool hasFrame = false;       //   once one was built
    PendingRedraw pending = PendingRedraw::none;

    // ---- the pointer and what it names ----------------------------------------------
    bool pointerInside = false;  // since the last motion or entry into the window
    int pointerX = 0;            // pixel, from the top left
    int pointerY = 0;
    std::string hoverLabel;      // UTF-8; empty when nothing is near the pointer
    FilmSpotFinder finder;       // film windows: nearest logged spot
    MainPicker picker;           // main window: nearest lattice point or ball
};

struct App {
    Session session;
    int mainWindow = 0;          // toolkit id of "Reziprokes Gitter"
    int rotationWindow = 0;      // id of the newest rotation-photograph window; 0 = none (or it is gone)
    int weissenbergWindow = 0;   // id of the newest Weissenberg window; 0 = none (or it is gone)
    std::map<int, WindowView> views;  // by window id, for every window that exists
};

extern App app;
