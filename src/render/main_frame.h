// The main window's picture "Reziprokes Gitter" as a frame description: the rays and balls
// of the reflections on the sphere, the lattice points, the axes and the wire Ewald sphere.
#pragma once

#include <memory>

#include <vector>

#include "render/frame.h"
#include "render/spot_sizes.h"
#include "session/session.h"

// The geometry that changes only when the scene is built anew (start-up, F5): kept from
// frame to frame, so a back end records it once.
struct MainSceneGeometry {
    int generation = -1;                      // the session's built.generation it was made for
    int intensityLook = 0;                    // and the session's look
    std::shared_ptr<const Geometry> latticePoints;
    std::vector<std::shared_ptr<const Geometry>> latticePointsBySize;  // intensity look: index = pixels
    std::unique_ptr<SpotSizes> spotSizes;     // intensity look: sizes, made at its first use
    std::shared_ptr<const Geometry> axes;
    std::shared_ptr<const Geometry> sphere;   // wire sphere of radius built.ewaldDiameter/2 about the origin
    std::shared_ptr<const Geometry> ball;     // the mesh of one reflection's mark, about the origin
    std::shared_ptr<const Geometry> coarseBall;  // the same with fewer triangles, for balls a few pixels wide
};

// Brings the kept geometry up to date with the session's built values (a no-op while the
// generation is the same).
void updateMainSceneGeometry(const Session& s, MainSceneGeometry& geometry);

// The whole picture of the main window, for a viewport of width x height pixels. The scene
// geometry must be up to date (updateMainSceneGeometry).
Frame mainFrame(const Session& s, MainSceneGeometry& geometry, int width, int height);

// One lattice point with its indices, crystal frame.
struct IndexedPoint {
    int h = 0, k = 0, l = 0;
    Vec3 p;  // h a* + k b* + l c*
};

// Every allowed lattice point inside the limiting sphere (|p| <= built ewaldDiameter) of the
// built layers, in scan order: the points the main window can show (the intensity look
// leaves out those of size 0).
std::vector<IndexedPoint> shownLatticePoints(const Session& s);

// Every allowed lattice point inside the limiting sphere (|p| <= built ewaldDiameter) of the
// built layers, in its index colour (x, y, z and r, g, b, a per point).
Geometry latticePointGeometry(const Session& s);
