// The recording back end: instead of drawing a frame it notes what would be drawn, each
// item's vertices already carried through its modelview and the frame's projection into the
// picture's normalised coordinates (-1..1 on x and y; x to the right, y up), so that tests
// can ask what a user would see without a window.
#pragma once

#include <vector>

#include "render/frame.h"

struct RecordedItem {
    Primitive primitive = Primitive::points;
    std::vector<Vec3> picture;   // every vertex in normalised picture coordinates
    std::vector<Rgba> colours;   // one per vertex (the item's colour where the geometry has none)
    bool lit = false;            // shaded: the item is lit and the frame's lighting is on
    bool kept = false;           // from geometry a back end may keep
    float pointSize = 1.0f;
    float lineWidth = 1.0f;
};

std::vector<RecordedItem> recordFrame(const Frame& frame);
