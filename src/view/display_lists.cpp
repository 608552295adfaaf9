// The main window's display lists: one block of ten names from scene.listBase, holding
// the lattice points (listBase), the axes (listBase + 1) and the Ewald sphere
// (listBase + 8); the other seven names are reserved with the block and stay empty.
// A build freezes the basis, diameter, layers and space group of its moment.
#include <GL/freeglut.h>

#include <cmath>
#include <vector>

#include "app/reflection_conditions.h"
#include "app/scene_state.h"
#include "view/colour_tables.h"
#include "view/sphere_geometry.h"
#include "view/view.h"

namespace {

constexpr GLsizei kListCount = 10;
constexpr int kLatticeList = 0;  // offsets from listBase
constexpr int kAxesList = 1;
constexpr int kSphereList = 8;
constexpr int kSphereSlices = 120;  // meridians of the wire Ewald sphere
constexpr int kSphereStacks = 600;  // bands between its poles
constexpr double kAxisLength = 20;  // axes run to 20 times the basis vectors

Vec3 latticePoint(int h, int k, int l) {
    return {h * scene.aStar.x + k * scene.bStar.x + l * scene.cStar.x,
            h * scene.aStar.y + k * scene.bStar.y + l * scene.cStar.y,
            h * scene.aStar.z + k * scene.bStar.z + l * scene.cStar.z};
}

// Every allowed point of the scanned block inside the limiting sphere (|p| <= ewaldDiameter,
// the only points any orientation can bring onto the Ewald sphere), in its index colour.
void recordLatticePoints(GLuint list) {
    glNewList(list, GL_COMPILE);
    glPointSize(3.0f);
    glBegin(GL_POINTS);
    const int lMin = scene.currentLayer - kScanHalfWidth * scene.allLayers;
    const int lMax = scene.currentLayer + kScanHalfWidth * scene.allLayers;
    for (int h = -kScanHalfWidth; h <= kScanHalfWidth; ++h) {
        for (int k = -kScanHalfWidth; k <= kScanHalfWidth; ++k) {
            for (int l = lMin; l <= lMax; ++l) {
                const Vec3 p = latticePoint(h, k, l);
                const double length = std::sqrt(p.x * p.x + p.y * p.y + p.z * p.z);
                if (!std::isfinite(length) || length > scene.ewaldDiameter) continue;
                if (isAbsent(h, k, l, scene.spaceGroup)) continue;
                const Rgba& c = indexColour(h, k, kLatticePointColour);
                glColor4f(c.r, c.g, c.b, c.a);
                glVertex3d(p.x, p.y, p.z);
            }
        }
    }
    glEnd();
    glEndList();
}

struct Axis {
    const Vec3* basis;
    Rgba colour;
};

void recordAxes(GLuint list) {
    const Axis axes[] = {{&scene.aStar, {1, 0, 0, 1}}, {&scene.bStar, {0, 1, 0, 1}}, {&scene.cStar, {0, 0, 1, 1}}};
    glNewList(list, GL_COMPILE);
    glBegin(GL_LINES);
    for (const Axis& axis : axes) {
        glColor4f(axis.colour.r, axis.colour.g, axis.colour.b, axis.colour.a);
        glVertex3d(0.0, 0.0, 0.0);
        glVertex3d(kAxisLength * axis.basis->x, kAxisLength * axis.basis->y, kAxisLength * axis.basis->z);
    }
    glEnd();
    glEndList();
}

// The wire sphere of radius R about (R, 0, 0) in the laboratory frame: the list loads the
// identity, so the crystal's turn (the modelview) never moves it; the camera still does.
// Each vertex carries its outward normal, so the wire is shaded while lighting is on.
void recordEwaldSphere(GLuint list) {
    const double radius = scene.ewaldDiameter / 2;
    glNewList(list, GL_COMPILE);
    glPushMatrix();
    glLoadIdentity();
    glColor4d(0.0, 0.3, 0.0, 0.4);
    glTranslated(radius, 0.0, 0.0);
    if (std::isfinite(radius)) {  // a non-finite radius leaves the list without a sphere
        const std::vector<float> vertices = wireSphereLines(radius, kSphereSlices, kSphereStacks);
        const std::vector<float> normals = wireSphereLines(1.0, kSphereSlices, kSphereStacks);
        pushVertexNormalArrays(vertices.data(), normals.data());
        glDrawArrays(GL_LINES, 0, static_cast<GLsizei>(vertices.size() / 3));  // copied into the list
        glPopClientAttrib();
    }
    glPopMatrix();
    glEndList();
}

}  // namespace

void pushVertexNormalArrays(const float* vertices, const float* normals) {
    glPushClientAttrib(GL_CLIENT_VERTEX_ARRAY_BIT);
    glDisableClientState(GL_COLOR_ARRAY);
    glDisableClientState(GL_TEXTURE_COORD_ARRAY);
    glDisableClientState(GL_INDEX_ARRAY);
    glDisableClientState(GL_EDGE_FLAG_ARRAY);
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_NORMAL_ARRAY);
    glVertexPointer(3, GL_FLOAT, 0, vertices);
    glNormalPointer(GL_FLOAT, 0, normals);
}

// When the driver has no block of ten names left, glGenLists answers 0: listBase stays 0,
// nothing is recorded, and the redraw calls no list until a later build succeeds.
void buildDisplayLists() {
    if (scene.listBase != 0) glDeleteLists(static_cast<GLuint>(scene.listBase), kListCount);
    const GLuint base = glGenLists(kListCount);
    scene.listBase = static_cast<int>(base);
    if (base == 0) return;
    recordLatticePoints(base + kLatticeList);
    recordAxes(base + kAxesList);
    recordEwaldSphere(base + kSphereList);
}
