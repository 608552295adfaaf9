// The frame description of the main window, built from the session and the latest step.
#include "render/main_frame.h"

#include <atomic>
#include <cmath>

#include "render/sphere_geometry.h"

namespace {

constexpr int kSphereSlices = 120;  // meridians of the wire Ewald sphere
constexpr int kSphereStacks = 600;  // bands between its poles
constexpr double kAxisLength = 20;  // axes run to 20 times the basis vectors
constexpr double kBallRadius = 0.02;
constexpr int kBallSlices = 24;
constexpr int kBallStacks = 12;
constexpr Rgba kRayColour = kRed;
constexpr Rgba kSphereColour = {0.0f, 0.3f, 0.0f, 0.4f};
constexpr float kLatticePointSize = 3.0f;
constexpr float kAxisWidth = 2.0f;

void putVertex(std::vector<float>& out, const Vec3& p) {
    out.push_back(static_cast<float>(p.x));
    out.push_back(static_cast<float>(p.y));
    out.push_back(static_cast<float>(p.z));
}

void putColour(std::vector<float>& out, const Rgba& c) {
    out.insert(out.end(), {c.r, c.g, c.b, c.a});
}

std::shared_ptr<const Geometry> kept(Geometry g) {
    g.kept = true;
    g.id = newGeometryId();
    return std::make_shared<const Geometry>(std::move(g));
}

Geometry axesGeometry(const Crystal& crystal) {
    const ReciprocalCell& r = crystal.reciprocal;
    const struct {
        Vec3 basis;
        Rgba colour;
    } axes[] = {{r.aStar, kRed}, {r.bStar, kGreen}, {r.cStar, kBlue}};
    Geometry g;
    g.primitive = Primitive::lines;
    for (const auto& axis : axes) {
        putVertex(g.positions, {0.0, 0.0, 0.0});
        putVertex(g.positions, kAxisLength * axis.basis);
        putColour(g.colours, axis.colour);
        putColour(g.colours, axis.colour);
    }
    g.count = 6;
    return g;
}

// A wire sphere whose radius is not finite has no lines.
Geometry sphereGeometry(double radius) {
    Geometry g;
    g.primitive = Primitive::lines;
    if (std::isfinite(radius)) {
        g.positions = wireSphereLines(radius, kSphereSlices, kSphereStacks);
        g.normals = wireSphereLines(1.0, kSphereSlices, kSphereStacks);
    }
    g.count = static_cast<int>(g.positions.size() / 3);
    return g;
}

// A ball a few pixels across shows no facets: below kFineBallPixels of radius on the screen
// the coarse ball is drawn, a twelfth of the triangles (a large crystal has thousands of
// reflections on the sphere at once).
constexpr double kFineBallPixels = 2.5;
constexpr int kCoarseBallSlices = 8;
constexpr int kCoarseBallStacks = 4;

Geometry ballGeometry(int slices, int stacks) {
    SolidSphereMesh mesh = solidSphereTriangles(kBallRadius, slices, stacks);
    Geometry g;
    g.primitive = Primitive::triangles;
    g.positions = std::move(mesh.vertices);
    g.normals = std::move(mesh.normals);
    g.count = static_cast<int>(g.positions.size() / 3);
    return g;
}

}  // namespace

std::uint64_t newGeometryId() {
    static std::atomic<std::uint64_t> next{1};
    return next++;
}

std::string latin1FromUtf8(const std::string& utf8) {
    std::string out;
    for (size_t i = 0; i < utf8.size(); ++i) {
        const auto c = static_cast<unsigned char>(utf8[i]);
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if ((c == 0xC2 || c == 0xC3) && i + 1 < utf8.size()) {
            // Two-byte sequences of U+0080..U+00FF.
            const auto next = static_cast<unsigned char>(utf8[++i]);
            out += static_cast<char>(((c & 0x03u) << 6) | (next & 0x3Fu));
        } else {
            // Any other sequence: one '?' for its lead byte, its continuation bytes skipped.
            out += '?';
            while (i + 1 < utf8.size() && (static_cast<unsigned char>(utf8[i + 1]) & 0xC0u) == 0x80u) ++i;
        }
    }
    return out;
}

namespace {

// Calls f(h, k, l, p) for every allowed lattice point inside the limiting sphere
// (|p| <= built ewaldDiameter) of the built layers, in scan order.
template <typename F>
void forEachShownLatticePoint(const Session& s, F f) {
    const BuiltScene& b = s.built;
    const IndexRange range = indexRange(s.crystal, std::fabs(b.ewaldDiameter));
    const int lMin = b.allLayers ? -range.l : b.currentLayer;
    const int lMax = b.allLayers ? range.l : b.currentLayer;
    for (int h = -range.h; h <= range.h; ++h) {
        for (int k = -range.k; k <= range.k; ++k) {
            for (int l = lMin; l <= lMax; ++l) {
                const Vec3 p = s.crystal.latticePoint(h, k, l);
                const double size = length(p);
                if (!std::isfinite(size) || size > b.ewaldDiameter) continue;
                if (s.crystal.isAbsent(h, k, l)) continue;
                f(h, k, l, p);
            }
        }
    }
}

// One lattice point, in its index colour.
void addLatticePoint(Geometry& g, int h, int k, const Vec3& p) {
    putVertex(g.positions, p);
    putColour(g.colours, indexColour(kLatticePointColours, h, k));
    ++g.count;
}

}  // namespace

Geometry latticePointGeometry(const Session& s) {
    Geometry g;
    g.primitive = Primitive::points;
    forEachShownLatticePoint(s, [&](int h, int k, int, const Vec3& p) { addLatticePoint(g, h, k, p); });
    return g;
}

std::vector<IndexedPoint> shownLatticePoints(const Session& s) {
    std::vector<IndexedPoint> out;
    forEachShownLatticePoint(s, [&](int h, int k, int l, const Vec3& p) { out.push_back({h, k, l, p}); });
    return out;
}

void updateMainSceneGeometry(const Session& s, MainSceneGeometry& geometry) {
    // The balls' meshes are copied to each reflection's place, never drawn as they are.
    if (!geometry.ball) geometry.ball = std::make_shared<const Geometry>(ballGeometry(kBallSlices, kBallStacks));
    if (!geometry.coarseBall)
        geometry.coarseBall = std::make_shared<const Geometry>(ballGeometry(kCoarseBallSlices, kCoarseBallStacks));
    if (!geometry.axes) geometry.axes = kept(axesGeometry(s.crystal));
    if (geometry.generation == s.built.generation && geometry.intensityLook == s.intensityLook) return;
    if (geometry.generation != s.built.generation || !geometry.sphere)
        geometry.sphere = kept(sphereGeometry(s.built.ewaldDiameter / 2));
    geometry.generation = s.built.generation;
    geometry.intensityLook = s.intensityLook;
    geometry.latticePointsBySize.clear();
    geometry.latticePoints.reset();
    if (s.intensityLook) {
        if (!geometry.spotSizes || geometry.spotSizes->crystal() != &s.crystal) geometry.spotSizes = std::make_unique<SpotSizes>(s.crystal);
        // One walk over the lattice sorts the points into their sizes.
        std::vector<Geometry> bySize(SpotSizes::kLargest + 1);
        forEachShownLatticePoint(s, [&](int h, int k, int l, const Vec3& p) {
            addLatticePoint(bySize[static_cast<size_t>(geometry.spotSizes->pixels(h, k, l))], h, k, p);
        });
        geometry.latticePointsBySize.push_back(nullptr);  // size 0: not drawn
        for (size_t pixels = 1; pixels < bySize.size(); ++pixels) {
            bySize[pixels].primitive = Primitive::points;
            geometry.latticePointsBySize.push_back(kept(std::move(bySize[pixels])));
        }
    } else {
        geometry.latticePoints = kept(latticePointGeometry(s));
    }
}

Frame mainFrame(const Session& s, MainSceneGeometry& geometry, int width, int height) {
    Frame f;
    f.width = width;
    f.height = height;
    f.clearColour = kWhite;
    f.depthTest = true;
    f.lighting = s.lighting != 0;
    f.blending = s.blending != 0;
    f.smoothLines = true;
    f.projection = s.camera;

    // Rays and balls of the step's hits, in the crystal frame, lit while the lighting is on
    // (a ray with the item's normal, facing the viewer). All rays are one geometry and all balls
    // another, each ball's mesh moved to its point: a large crystal has thousands of reflections
    // on the sphere at once, and one draw of each kind costs far less than two per reflection.
    const Vec3& centre = s.lastScan.sphereCentreCrystal;
    // The ball's radius in pixels: the camera's scale (its first column's length) times half
    // the viewport's width.
    const double cameraScale = std::sqrt(s.camera[0] * s.camera[0] + s.camera[1] * s.camera[1] + s.camera[2] * s.camera[2]);
    const bool fine = kBallRadius * cameraScale * width / 2 >= kFineBallPixels;
    SpotSizes* sizes = s.intensityLook ? geometry.spotSizes.get() : nullptr;
    auto rays = std::make_shared<Geometry>();
    rays->primitive = Primitive::lines;
    auto balls = std::make_shared<Geometry>();
    balls->primitive = Primitive::triangles;
    const size_t ballVertices = s.lastScan.hits.size() * static_cast<size_t>((fine ? geometry.ball : geometry.coarseBall)->count);
    rays->positions.reserve(6 * s.lastScan.hits.size());
    balls->positions.reserve(3 * ballVertices);
    balls->normals.reserve(3 * ballVertices);
    balls->colours.reserve(4 * ballVertices);
    for (const LatticeHit& hit : s.lastScan.hits) {
        // The intensity look leaves out a reflection of negligible |F|² and sizes the others'
        // balls (the origin's ball keeps its size).
        const bool origin = hit.h == 0 && hit.k == 0 && hit.l == 0;
        const int pixels = sizes && !origin ? sizes->pixels(hit.h, hit.k, hit.l) : 3;
        if (pixels == 0) continue;
        putVertex(rays->positions, hit.p);
        putVertex(rays->positions, centre);
        rays->count += 2;

        const Geometry& mesh = fine || pixels > 3 ? *geometry.ball : *geometry.coarseBall;
        const double scale = pixels / 3.0;
        const Rgba& colour = indexColour(kBallColours, hit.h, hit.k);
        for (int v = 0; v < mesh.count; ++v) {
            const float* m = &mesh.positions[3 * static_cast<size_t>(v)];
            putVertex(balls->positions, hit.p + scale * Vec3{m[0], m[1], m[2]});
            putColour(balls->colours, colour);
        }
        balls->normals.insert(balls->normals.end(), mesh.normals.begin(), mesh.normals.begin() + 3 * mesh.count);
        balls->count += mesh.count;
    }
    const auto addLit = [&](std::shared_ptr<Geometry> g, const Rgba& colour) {
        if (g->count == 0) return;
        DrawItem item;
        item.geometry = std::move(g);
        item.colour = colour;
        item.modelview = s.orientation;
        item.lit = true;
        f.items.push_back(std::move(item));
    };
    addLit(std::move(rays), kRayColour);
    addLit(std::move(balls), kWhite);

    // Lattice points and axes unlit, then the sphere about the laboratory's (R, 0, 0): the
    // crystal's turn never moves it.
    const auto addLatticePoints = [&](const std::shared_ptr<const Geometry>& points, float pixels) {
        if (!s.showLatticePoints || !points || points->count == 0) return;
        DrawItem item;
        item.geometry = points;
        item.modelview = s.orientation;
        item.pointSize = pixels;
        f.items.push_back(std::move(item));
    };
    addLatticePoints(geometry.latticePoints, kLatticePointSize);
    for (size_t pixels = 1; pixels < geometry.latticePointsBySize.size(); ++pixels)
        addLatticePoints(geometry.latticePointsBySize[pixels], static_cast<float>(pixels));
    if (s.showAxes) {
        DrawItem axes;
        axes.geometry = geometry.axes;
        axes.modelview = s.orientation;
        axes.lineWidth = kAxisWidth;
        f.items.push_back(std::move(axes));
    }
    if (s.showEwaldSphere) {
        DrawItem sphere;
        sphere.geometry = geometry.sphere;
        sphere.colour = kSphereColour;
        sphere.modelview = translationMatrix({s.built.ewaldDiameter / 2, 0.0, 0.0});
        sphere.lit = true;
        f.items.push_back(std::move(sphere));
    }
    return f;
}
