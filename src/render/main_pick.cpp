// Picking in the main window by projecting the drawn points.
#include "render/main_pick.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

struct Candidate {
    double distance = 0.0;  // squared, pixels
    double depth = 0.0;     // normalised depth: smaller is nearer the viewer
};

}  // namespace

PickedPoint MainPicker::pick(const Session& s, MainSceneGeometry& scene, int width, int height, int px, int py,
                             double reachPixels) {
    PickedPoint best;
    if (width <= 0 || height <= 0) return best;
    // The scene's sizes while the intensity look is on (made by updateMainSceneGeometry).
    SpotSizes* sizes = s.intensityLook && scene.spotSizes ? scene.spotSizes.get() : nullptr;
    // The lattice points are gathered only while they are shown (a dense crystal starts with
    // them hidden, and its points would fill tens of megabytes).
    if (s.showLatticePoints &&
        (generation_ != s.built.generation || crystal_ != &s.crystal || intensityLook_ != s.intensityLook)) {
        points_ = shownLatticePoints(s);
        if (sizes)
            points_.erase(std::remove_if(points_.begin(), points_.end(),
                                         [&](const IndexedPoint& p) { return sizes->pixels(p.h, p.k, p.l) == 0; }),
                          points_.end());
        generation_ = s.built.generation;
        crystal_ = &s.crystal;
        intensityLook_ = s.intensityLook;
    }
    // Crystal frame to normalised picture coordinates, as the picture's points are carried.
    const Mat4 m = multiply(s.camera, s.orientation);
    const double pointerX = px + 0.5, pointerY = py + 0.5;  // the pixel's centre
    Candidate bestCandidate{reachPixels * reachPixels, 0.0};
    const auto consider = [&](int h, int k, int l, const Vec3& p) {
        if (h == 0 && k == 0 && l == 0) return;
        const double x = m[0] * p.x + m[4] * p.y + m[8] * p.z + m[12];
        const double y = m[1] * p.x + m[5] * p.y + m[9] * p.z + m[13];
        const double z = m[2] * p.x + m[6] * p.y + m[10] * p.z + m[14];
        // Window pixels from the top left, as the viewport maps -1..1.
        const double dx = (x + 1.0) * width / 2 - pointerX;
        const double dy = (1.0 - y) * height / 2 - pointerY;
        const Candidate c{dx * dx + dy * dy, z};
        const bool nearer = c.distance < bestCandidate.distance ||
                            (c.distance == bestCandidate.distance && (!best.found || c.depth < bestCandidate.depth));
        if (!nearer) return;
        bestCandidate = c;
        best = {true, h, k, l, length(p)};
    };
    for (const LatticeHit& hit : s.lastScan.hits)
        if (!sizes || sizes->pixels(hit.h, hit.k, hit.l) > 0) consider(hit.h, hit.k, hit.l, hit.p);
    if (s.showLatticePoints)
        for (const IndexedPoint& point : points_) consider(point.h, point.k, point.l, point.p);
    return best;
}

std::string mainPointLabel(const PickedPoint& point) {
    if (!point.found) return {};
    char text[128];
    std::snprintf(text, sizeof text, "(%d %d %d)  |d*| = %.4f  d = %.3f \u00c5", point.h, point.k, point.l,
                  point.dStar, 1.0 / point.dStar);
    return text;
}
