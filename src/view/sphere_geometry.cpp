// Sphere geometry.
#include "view/sphere_geometry.h"
std::vector<float> wireSphereLines(double, int, int) { return {}; }
SolidSphereMesh solidSphereTriangles(double, int, int) { return {}; }
