// Vertex data of the main window's two spheres, built once and replayed: the wire Ewald
// sphere (meridians and parallels as line segments) and the solid ball that marks a
// reflection (triangles with one normal per vertex). Both have their poles on the z axis,
// ring 0 being the north pole (z = +radius) and ring `stacks` the south pole.
#include "render/sphere_geometry.h"

#include <cmath>

#include "model/vec3.h"

namespace {

// Unit vector of ring i (0..stacks, from the north pole) and meridian j (0..slices-1).
struct Direction {
    double x, y, z;
};
Direction direction(int i, int j, int slices, int stacks) {
    const double theta = kPi * i / stacks;      // polar angle
    const double phi = 2.0 * kPi * j / slices;  // azimuth, counter-clockwise seen from +z
    const double ringRadius = (i == 0 || i == stacks) ? 0.0 : std::sin(theta);
    return {std::cos(phi) * ringRadius, std::sin(phi) * ringRadius, std::cos(theta)};
}

void put(std::vector<float>& out, const Direction& d, double scale) {
    out.push_back(static_cast<float>(d.x * scale));
    out.push_back(static_cast<float>(d.y * scale));
    out.push_back(static_cast<float>(d.z * scale));
}

}  // namespace

// Meridians run from pole to pole through the stacks - 1 inner rings (stacks segments
// each); parallels are the stacks - 1 inner rings, closed circles of `slices` segments.
std::vector<float> wireSphereLines(double radius, int slices, int stacks) {
    std::vector<float> out;
    if (slices < 1 || stacks < 1) return out;
    const size_t segments = static_cast<size_t>(slices) * static_cast<size_t>(2 * stacks - 1);
    out.reserve(segments * 6);
    for (int j = 0; j < slices; ++j) {
        for (int i = 0; i < stacks; ++i) {
            put(out, direction(i, j, slices, stacks), radius);
            put(out, direction(i + 1, j, slices, stacks), radius);
        }
    }
    for (int i = 1; i < stacks; ++i) {
        for (int j = 0; j < slices; ++j) {
            put(out, direction(i, j, slices, stacks), radius);
            put(out, direction(i, (j + 1) % slices, slices, stacks), radius);
        }
    }
    return out;
}

// Each band between ring i and ring i + 1 is split into two triangles per slice along
// the diagonal from the upper left to the lower right corner (as a triangle strip down
// the band would); at the poles the degenerate triangle is left out. Counter-clockwise
// seen from outside; the normal of a vertex is its direction from the centre.
SolidSphereMesh solidSphereTriangles(double radius, int slices, int stacks) {
    SolidSphereMesh mesh;
    if (slices < 1 || stacks < 1) return mesh;
    const size_t triangles = static_cast<size_t>(slices) * static_cast<size_t>(2 * stacks);
    mesh.vertices.reserve(triangles * 9);
    mesh.normals.reserve(triangles * 9);
    auto vertex = [&](int i, int j) {
        const Direction d = direction(i, j % slices, slices, stacks);
        put(mesh.vertices, d, radius);
        put(mesh.normals, d, 1.0);
    };
    for (int i = 0; i < stacks; ++i) {
        for (int j = 0; j < slices; ++j) {
            if (i != 0) {  // upper left, lower right, upper right
                vertex(i, j);
                vertex(i + 1, j + 1);
                vertex(i, j + 1);
            }
            if (i != stacks - 1) {  // upper left, lower left, lower right
                vertex(i, j);
                vertex(i + 1, j);
                vertex(i + 1, j + 1);
            }
        }
    }
    return mesh;
}
