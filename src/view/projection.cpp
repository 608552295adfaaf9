// Projection, viewport and lighting of the main window: the start-up box, light 0,
// blending, alpha test and colour material; and the reshape handler, which fits the
// viewport and rebuilds the box with the window's aspect ratio. Both end in GL_MODELVIEW.
#include <GL/freeglut.h>

#include <cfloat>
#include <cmath>
#include <cstdio>

#include "app/scene_state.h"
#include "view/view.h"

namespace {

// Half-extents of the orthographic box last loaded: x, and y = z.
struct Box {
    double x, y;
};
Box lastBox = {1.0, 1.0};

// The GL keeps its matrices in single precision: a half-extent that is not finite or zero
// there (or too small for its reciprocal to be finite) gives a box of infinities or NaN.
bool loadableExtent(double v) {
    const double a = std::fabs(v);
    return a >= FLT_MIN && a <= FLT_MAX;
}

// Multiplies the current matrix by the box -x..x, -y..y, -y..y. A box without a loadable
// extent (window height 0, width 0, a wavelength of 0 or near the largest or smallest
// double) cannot be loaded; the last valid box is kept instead, so the picture comes back
// as it was once the size is sound.
void multiplyBox(double x, double y) {
    if (loadableExtent(x) && loadableExtent(y)) lastBox = {x, y};
    glOrtho(-lastBox.x, lastBox.x, -lastBox.y, lastBox.y, -lastBox.y, lastBox.y);
}

// Half-extent of the box: the Ewald sphere's diameter and a 5 % rim.
double boxHalfExtent() { return 1.05 * scene.ewaldDiameter; }

}  // namespace

void initView() {
    const double e = boxHalfExtent();
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    multiplyBox(e, e);
    glMatrixMode(GL_MODELVIEW);

    // Light 0 shines from (1, 1, 1) in the laboratory frame: its position is taken under
    // the identity, so it turns neither with the crystal nor with the camera.
    const GLfloat position[] = {1.0f, 1.0f, 1.0f, 0.0f};
    const GLfloat diffuse[] = {0.8f, 0.8f, 0.8f, 1.0f};
    const GLfloat specular[] = {1.0f, 1.0f, 1.0f, 1.0f};
    const GLfloat ambient[] = {0.1f, 0.3f, 0.1f, 1.0f};
    glPushMatrix();
    glLoadIdentity();
    glLightfv(GL_LIGHT0, GL_POSITION, position);
    glPopMatrix();
    glLightfv(GL_LIGHT0, GL_DIFFUSE, diffuse);
    glLightfv(GL_LIGHT0, GL_SPECULAR, specular);
    glLightfv(GL_LIGHT0, GL_AMBIENT, ambient);

    glAlphaFunc(GL_GREATER, 0.01f);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glEnable(GL_BLEND);
    glEnable(GL_ALPHA_TEST);

    const GLfloat materialSpecular[] = {1.0f, 1.0f, 1.0f, 1.0f};
    glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, materialSpecular);
    glEnable(GL_COLOR_MATERIAL);
    glColorMaterial(GL_FRONT_AND_BACK, GL_AMBIENT_AND_DIFFUSE);
    glMaterialf(GL_FRONT_AND_BACK, GL_SHININESS, 125.0f);
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT0);
    glShadeModel(GL_SMOOTH);
}

// Every reshape reloads the plain box: the camera's turns and zoom start afresh, the
// crystal (modelview) is left as it is. Only x follows the aspect ratio.
void onReshape(int width, int height) {
    glViewport(0, 0, width, height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    const double aspect = static_cast<double>(width) / height;
    std::printf("New aspect ratio: %d:%d = %f\n", width, height, aspect);
    std::fflush(stdout);
    const double e = boxHalfExtent();
    multiplyBox(e * aspect, e);
    glMatrixMode(GL_MODELVIEW);
}
