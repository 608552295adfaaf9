// Geometry of the wire Ewald sphere and of the reflection ball.
#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <set>
#include <utility>

#include "render/sphere_geometry.h"
#include "model/vec3.h"

namespace {

// Ring (0 = north pole .. stacks = south pole) and meridian of a vertex on a sphere about
// the origin; the meridian of a pole is -1.
std::pair<int, int> gridOf(const float* v, double radius, int slices, int stacks) {
    const double ring = std::acos(std::fmax(-1.0, std::fmin(1.0, v[2] / radius))) / (kPi / stacks);
    const int i = static_cast<int>(std::lround(ring));
    if (i == 0 || i == stacks) return {i, -1};
    const double phi = std::atan2(static_cast<double>(v[1]), static_cast<double>(v[0]));
    const int j = static_cast<int>(std::lround(phi / (2 * kPi / slices)));
    return {i, (j % slices + slices) % slices};
}
}  // namespace

// The wire sphere the main window records: 120 meridians from pole to pole through the
// 599 inner rings, and the 599 rings as closed circles; every grid edge exactly once.
TEST(SphereGeometry, WireSphereIsTheFullMeridianAndParallelGrid) {
    const int slices = 120, stacks = 600;
    const double radius = 0.648;
    const std::vector<float> lines = wireSphereLines(radius, slices, stacks);
    ASSERT_EQ(lines.size(), static_cast<size_t>(slices * stacks + slices * (stacks - 1)) * 6);

    std::set<std::pair<std::pair<int, int>, std::pair<int, int>>> edges;
    int meridianEdges = 0, parallelEdges = 0;
    for (size_t s = 0; s < lines.size(); s += 6) {
        const float* a = &lines[s];
        const float* b = &lines[s + 3];
        for (const float* v : {a, b}) {
            ASSERT_NEAR(std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]), radius, 1e-6);
        }
        auto ga = gridOf(a, radius, slices, stacks), gb = gridOf(b, radius, slices, stacks);
        if (gb < ga) std::swap(ga, gb);
        const bool meridian = gb.first == ga.first + 1 && (ga.second == gb.second || ga.second == -1 || gb.second == -1);
        const bool parallel = ga.first == gb.first && ga.second >= 0 &&
                              ((gb.second - ga.second + slices) % slices == 1 || (ga.second - gb.second + slices) % slices == 1);
        ASSERT_TRUE(meridian || parallel) << "segment " << s / 6 << " is no grid edge";
        meridianEdges += meridian;
        parallelEdges += parallel;
        // A pole edge is told apart by its meridian, taken from the non-pole end.
        const int poleMeridian = ga.second == -1 ? gb.second : ga.second;
        const auto key = meridian ? std::make_pair(std::make_pair(ga.first, poleMeridian), std::make_pair(gb.first, poleMeridian))
                                  : std::make_pair(ga, gb);
        EXPECT_TRUE(edges.insert(key).second) << "edge drawn twice";
    }
    EXPECT_EQ(meridianEdges, slices * stacks);
    EXPECT_EQ(parallelEdges, slices * (stacks - 1));
}

// The ball: 24 slices, 12 stacks, radius 0.02; a closed surface of outward-facing
// triangles whose vertex normals are the unit directions from the centre.
TEST(SphereGeometry, BallIsClosedOutwardAndSmoothlyNormalled) {
    const double radius = 0.02;
    const SolidSphereMesh mesh = solidSphereTriangles(radius, 24, 12);
    ASSERT_EQ(mesh.vertices.size(), mesh.normals.size());
    ASSERT_EQ(mesh.vertices.size(), static_cast<size_t>(24 * (2 * 12 - 2)) * 9);

    std::map<std::pair<std::pair<int, int>, std::pair<int, int>>, int> edgeUses;
    for (size_t t = 0; t < mesh.vertices.size(); t += 9) {
        const float* v = &mesh.vertices[t];
        const float* n = &mesh.normals[t];
        double centroid[3] = {0, 0, 0};
        std::pair<int, int> grid[3];
        for (int c = 0; c < 3; ++c) {
            const float* p = v + 3 * c;
            const float* q = n + 3 * c;
            ASSERT_NEAR(std::sqrt(p[0] * p[0] + p[1] * p[1] + p[2] * p[2]), radius, 1e-7);
            for (int d = 0; d < 3; ++d) {
                EXPECT_NEAR(q[d], p[d] / radius, 1e-6);
                centroid[d] += p[d];
            }
            grid[c] = gridOf(p, radius, 24, 12);
        }
        // Outward: the face normal (counter-clockwise order) points away from the centre.
        const double e1[3] = {v[3] - v[0], v[4] - v[1], v[5] - v[2]};
        const double e2[3] = {v[6] - v[0], v[7] - v[1], v[8] - v[2]};
        const double face[3] = {e1[1] * e2[2] - e1[2] * e2[1], e1[2] * e2[0] - e1[0] * e2[2], e1[0] * e2[1] - e1[1] * e2[0]};
        EXPECT_GT(face[0] * centroid[0] + face[1] * centroid[1] + face[2] * centroid[2], 0.0) << "triangle " << t / 9;
        for (int c = 0; c < 3; ++c) {
            auto a = grid[c], b = grid[(c + 1) % 3];
            if (b < a) std::swap(a, b);
            ++edgeUses[{a, b}];
        }
    }
    for (const auto& [edge, uses] : edgeUses) EXPECT_EQ(uses, 2) << "an edge not shared by exactly two triangles";
}
