// A film drawn by hand in the current window, with the GL alone: the frame (the whole
// viewport, white, the black cross), then each log entry as a point of its own, in log order,
// computed afresh from the log and the latest step. The reference drawings of the in-window
// tests and of the benchmark are made of these two; each draws its points in its own way.
#pragma once

#include <GL/freeglut.h>

#include <cmath>

#include "model/crystal.h"
#include "model/film_geometry.h"
#include "render/colours.h"
#include "session/session.h"

inline void beginFilmByHand() {
    glViewport(0, 0, glutGet(GLUT_WINDOW_WIDTH), glutGet(GLUT_WINDOW_HEIGHT));
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glDisable(GL_LIGHTING);
    glDisable(GL_BLEND);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_LINE_SMOOTH);
    glClearColor(1, 1, 1, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glColor3f(0, 0, 0);
    glLineWidth(1);
    glBegin(GL_LINES);
    glVertex2f(-1, 0);
    glVertex2f(1, 0);
    glVertex2f(0, 1);
    glVertex2f(0, -1);
    glEnd();
}

// The film's entries one by one, in log order: for each entry that the film shows, the GL
// colour is set and emit(x, y) is called with its film coordinates.
// Rotation film: every entry; abscissa from the latest step's rotated basis, ordinate as
// logged, or from that basis in the edited mode; colour by h and k.
// Weissenberg film: the entries of the current layer only; abscissa from the logged angle,
// ordinate as logged; h = k = 0 keeps the colour of the point before it.
// Entries whose single-precision coordinates are not finite are left out.
template <class Emit>
void forEachFilmPointByHand(const Session& s, bool weissenberg, Emit emit) {
    const ReflectionLog& log = s.log;
    const ScanResult& step = s.lastScan;
    for (int i = 0; i < log.count(); ++i) {
        const int h = log.logH[i], k = log.logK[i], l = log.logL[i];
        double x = 0, y = 0;
        if (weissenberg) {
            if (l != s.currentLayer) continue;
            x = weissenbergAbscissa(log.logAngle[i]);
            y = log.filmOrdinate[i];
        } else {
            const Vec3 u = latticeCombination(h, k, l, step.aStarRot, step.bStarRot, step.cStarRot);
            x = rotationAbscissa(u.z, s.rotationFilmRadius);
            y = s.lambdaEdited ? editedOrdinate(u.y, s.rotationFilmRadius) : log.filmOrdinate[i];
        }
        if (!std::isfinite(static_cast<float>(x)) || !std::isfinite(static_cast<float>(y))) continue;
        if (!weissenberg) {
            const Rgba& c = indexColour(kRotationColours, h, k);
            glColor3f(c.r, c.g, c.b);
        } else if (!weissenbergKeepsColour(h, k)) {
            const Rgba& c = indexColour(kWeissenbergColours, h, k);
            glColor3f(c.r, c.g, c.b);
        }
        emit(x, y);
    }
}
