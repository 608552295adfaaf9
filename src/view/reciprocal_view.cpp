// The main window's redraw: reads the crystal's orientation from the modelview matrix,
// finds the lattice points on the Ewald sphere, logs them (never the origin), marks each
// with a red ray to the sphere's centre and a ball, replays the static scene from the
// display lists, shows the frame and asks the open film windows to follow.
#include <GL/freeglut.h>

#include <cstring>

#include "app/scene_state.h"
#include "view/colour_tables.h"
#include "view/sphere_geometry.h"
#include "view/view.h"

double modelview[16];
ScanResult lastScan;

namespace {

constexpr double kBallRadius = 0.02;
constexpr int kBallSlices = 24;
constexpr int kBallStacks = 12;

// The ball's triangles, tessellated once for the whole run and drawn at every reflection.
const SolidSphereMesh& ballMesh() {
    static const SolidSphereMesh mesh = solidSphereTriangles(kBallRadius, kBallSlices, kBallStacks);
    return mesh;
}

// Ray and ball of every hit of lastScan, in the crystal frame, in the lighting state the
// redraw began with.
void drawReflectionMarks() {
    const SolidSphereMesh& ball = ballMesh();
    const GLsizei ballVertices = static_cast<GLsizei>(ball.vertices.size() / 3);
    const Vec3& centre = lastScan.sphereCentreCrystal;
    pushVertexNormalArrays(ball.vertices.data(), ball.normals.data());
    for (const LatticeHit& hit : lastScan.hits) {
        glPushMatrix();
        glColor3d(1.0, 0.0, 0.0);
        glBegin(GL_LINES);
        glVertex3d(hit.p.x, hit.p.y, hit.p.z);
        glVertex3d(centre.x, centre.y, centre.z);
        glEnd();
        glTranslated(hit.p.x, hit.p.y, hit.p.z);
        const Rgba& c = indexColour(hit.h, hit.k, kBallColour);
        glColor4f(c.r, c.g, c.b, c.a);
        glDrawArrays(GL_TRIANGLES, 0, ballVertices);
        glPopMatrix();
    }
    glPopClientAttrib();
}

// Lattice points and axes unlit (axes at line width 2), then the Ewald sphere in the
// lighting state the redraw began with. No list is called while no block exists.
void drawStaticScene() {
    const GLuint base = static_cast<GLuint>(scene.listBase);
    const GLboolean lit = glIsEnabled(GL_LIGHTING);
    glDisable(GL_LIGHTING);
    if (base != 0 && scene.showLatticePoints) glCallList(base);
    glLineWidth(2.0f);
    if (base != 0 && scene.showAxes) glCallList(base + 1);
    glLineWidth(1.0f);
    if (lit) glEnable(GL_LIGHTING);
    if (base != 0 && scene.showEwaldSphere) glCallList(base + 8);
}

}  // namespace

void scanAndLogReflections() {
    glGetDoublev(GL_MODELVIEW_MATRIX, modelview);
    ScanInput in;
    in.aStar = scene.aStar;
    in.bStar = scene.bStar;
    in.cStar = scene.cStar;
    in.ewaldDiameter = scene.ewaldDiameter;
    in.currentLayer = scene.currentLayer;
    in.allLayers = scene.allLayers;
    in.spaceGroup = scene.spaceGroup;
    std::memcpy(in.modelview, modelview, sizeof modelview);
    scanEwaldSphere(in, lastScan);
    scene.crystalAngle = lastScan.crystalAngle;
    scene.aStarRot = lastScan.aStarRot;
    scene.bStarRot = lastScan.bStarRot;
    scene.cStarRot = lastScan.cStarRot;
    // Every point on the sphere is logged, in scan order, but the origin, which lies on the
    // sphere at every orientation.
    for (const LatticeHit& hit : lastScan.hits) {
        if (hit.h != 0 || hit.k != 0 || hit.l != 0)
            appendReflection(reflectionLog, hit.h, hit.k, hit.l, scene.crystalAngle);
    }
}

void drawReciprocalLattice() {
    scanAndLogReflections();

    glEnable(GL_DEPTH_TEST);
    glClearColor(1.0f, 1.0f, 1.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    drawReflectionMarks();
    drawStaticScene();
    glFlush();
    glutSwapBuffers();

    // A film window is addressed only while its flag is set and it has an id: posting to
    // id 0 (never created, or already destroyed) would be fatal in the toolkit.
    if (scene.rotationOpen && scene.rotationWindow != 0) glutPostWindowRedisplay(scene.rotationWindow);
    if (scene.weissenbergOpen && scene.weissenbergWindow != 0) glutPostWindowRedisplay(scene.weissenbergWindow);
}
