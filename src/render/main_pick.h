// Reading the main window: which lattice point or reflection ball is drawn nearest a pixel,
// found by carrying the points through the same camera and orientation as the picture
// (never by reading pixels), and the words that name it.
#pragma once

#include <string>
#include <vector>

#include "render/main_frame.h"
#include "session/session.h"

struct PickedPoint {
    bool found = false;
    int h = 0, k = 0, l = 0;
    double dStar = 0.0;  // |h a* + k b* + l c*|, reciprocal length unit
};

class MainPicker {
public:
    // The point nearest the window pixel (px, py) (from the top left) within reachPixels, in
    // a width x height window: a reflection ball of the latest step, or a lattice point
    // while they are shown; in the intensity look only those drawn (of a size above 0, from
    // the scene's sizes). Points at the same distance: the one in front. The origin has no
    // spacing and is never picked.
    PickedPoint pick(const Session& s, MainSceneGeometry& scene, int width, int height, int px, int py,
                     double reachPixels);

private:
    // The shown lattice points, made again when the scene is built anew or the look changes.
    int generation_ = -1;
    int intensityLook_ = -1;
    const Crystal* crystal_ = nullptr;
    std::vector<IndexedPoint> points_;
};

// "(2 -1 0)  |d*| = 0.4472  d = 2.236 Å", in UTF-8: d = 1/|d*| in the cell's length unit
// (written as Å, the unit cells are given in).
std::string mainPointLabel(const PickedPoint& point);
