// Vertex data of the spheres the main window draws: the wire Ewald sphere and the solid ball.
#pragma once

#include <vector>

// Line-segment vertices (x, y, z per vertex, two vertices per segment) of a wire sphere of
// the given radius about the origin, with `slices` meridians and `stacks` bands.
std::vector<float> wireSphereLines(double radius, int slices, int stacks);

// Triangle vertices and normals (x, y, z each, three vertices per triangle) of a solid
// sphere of the given radius about the origin.
struct SolidSphereMesh {
    std::vector<float> vertices;
    std::vector<float> normals;
};
SolidSphereMesh solidSphereTriangles(double radius, int slices, int stacks);
