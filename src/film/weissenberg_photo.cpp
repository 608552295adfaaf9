// The Weissenberg photograph "Weissenberg %d. Schicht" of the current layer: its window
// and its redraw.
#include <GL/freeglut.h>

#include <cstdio>

#include "app/scene_state.h"
#include "film/film_coords.h"
#include "film/film_windows.h"

namespace {
FilmPoints weissenbergPoints;  // arrays of the latest redraw, reused
}

void openWeissenbergWindow() {
    char title[32];
    std::snprintf(title, sizeof title, "Weissenberg %d. Schicht", scene.currentLayer);
    glutInitDisplayMode(GLUT_RGB | GLUT_DOUBLE);
    glutInitWindowSize(520, 520);
    scene.weissenbergWindow = glutCreateWindow(title);
    glClearColor(1, 1, 1, 1);
    glutDisplayFunc(drawWeissenbergPhoto);
    glutMouseFunc(onFilmMouse);
    glutSpecialFunc(nullptr);
    glutCloseFunc(onWeissenbergWindowClose);
}

void drawWeissenbergPhoto() {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    // Only the window that weissenbergWindow names sets the flag, so a redraw can never make
    // the main window follow an id of 0 or a window that is gone.
    const int window = glutGetWindow();
    if (window != 0 && window == scene.weissenbergWindow) scene.weissenbergOpen = 1;
    drawFilmCross();

    FilmRedraw redraw = filmRedrawFromScene();
    redraw.layer = scene.currentLayer;
    buildWeissenbergPoints(reflectionLog, redraw, weissenbergPoints);
    drawFilmPoints(weissenbergPoints);

    glFlush();
    glutSwapBuffers();
}
