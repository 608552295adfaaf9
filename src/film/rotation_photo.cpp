// The rotation photograph "Drehkristallaufnahme": its window, its redraw, and the picture
// it keeps between redraws while it draws traces (after a wavelength change).
#include <GL/freeglut.h>

#include <vector>

#include "app/scene_state.h"
#include "film/film_coords.h"
#include "film/film_windows.h"

namespace {

FilmPoints rotationPoints;  // arrays of the latest redraw, reused

// The finished picture of the latest redraw of the window that rotationWindow names: after
// a wavelength change the film keeps its earlier points as traces, and the content of the
// back buffer after a swap cannot be trusted to hold them. One window's picture, so memory
// stays at one window's pixels however long the spin runs.
struct KeptPicture {
    int window = 0;  // toolkit id of the window it was read from; 0 = none
    int width = 0;   // pixels
    int height = 0;  // pixels
    std::vector<unsigned char> rgba;
};
KeptPicture keptPicture;

void keepPicture(int window) {
    const int width = glutGet(GLUT_WINDOW_WIDTH);
    const int height = glutGet(GLUT_WINDOW_HEIGHT);
    if (width <= 0 || height <= 0) return;
    keptPicture.window = window;
    keptPicture.width = width;
    keptPicture.height = height;
    keptPicture.rgba.resize(static_cast<size_t>(width) * static_cast<size_t>(height) * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadBuffer(GL_BACK);
    glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, keptPicture.rgba.data());
}

// Paints the kept picture of `window` over the whole window (stretched if the window was
// resized since, as the film's own coordinates are).
void drawKeptPicture(int window) {
    if (keptPicture.window != window || keptPicture.rgba.empty()) return;
    const int width = glutGet(GLUT_WINDOW_WIDTH);
    const int height = glutGet(GLUT_WINDOW_HEIGHT);
    if (width <= 0 || height <= 0) return;
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glRasterPos2d(-1, -1);
    glPixelZoom(static_cast<float>(width) / static_cast<float>(keptPicture.width),
                static_cast<float>(height) / static_cast<float>(keptPicture.height));
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glDrawPixels(keptPicture.width, keptPicture.height, GL_RGBA, GL_UNSIGNED_BYTE,
                 keptPicture.rgba.data());
    glPixelZoom(1, 1);
}

}  // namespace

void forgetRotationPicture(int window) {
    if (window == 0 || keptPicture.window != window) return;
    keptPicture.window = 0;
    keptPicture.rgba.clear();
    keptPicture.rgba.shrink_to_fit();
}

void openRotationWindow() {
    glutInitDisplayMode(GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH);
    glutInitWindowSize(520, 520);
    scene.rotationWindow = glutCreateWindow("Drehkristallaufnahme");
    glClearColor(1, 1, 1, 1);
    glutDisplayFunc(drawRotationPhoto);
    glutMouseFunc(onFilmMouse);
    glutSpecialFunc(nullptr);
    glutCloseFunc(onRotationWindowClose);
}

void drawRotationPhoto() {
    const int window = glutGetWindow();
    // Only the window that rotationWindow names takes part. An older window left on screen
    // by the wavelength keys still redraws when uncovered, but as a frozen film: it clears,
    // and it never sets rotationOpen, which would make the main window follow a window
    // that is not its own (or ask a window id of 0 or a gone window to redraw).
    const bool named = window != 0 && window == scene.rotationWindow;
    // After a wavelength change the film keeps its traces while it follows the main window;
    // otherwise (and at the first redraw after a freeze or a new opening) it starts blank.
    const bool keepTraces = named && scene.lambdaEdited != 0 && scene.rotationOpen != 0;

    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    if (keepTraces) drawKeptPicture(window);
    if (named) scene.rotationOpen = 1;
    drawFilmCross();
    if (!rotationFilmRadiusSet) {
        rotationFilmRadius = scene.ewaldDiameter / 2;
        rotationFilmRadiusSet = true;
    }

    FilmRedraw redraw = filmRedrawFromScene();
    redraw.filmRadius = rotationFilmRadius;
    redraw.edited = scene.lambdaEdited != 0 ? 1 : 0;
    buildRotationPoints(reflectionLog, redraw, rotationPoints);
    drawFilmPoints(rotationPoints);

    if (named) keepPicture(window);
    glFlush();
    glutSwapBuffers();
}
