// The frame description: everything one window's picture consists of, as plain values built
// by pure functions from the session. A back end draws it item by item, in order; it may keep
// a copy of any geometry marked `kept` (a display list, a GPU buffer), keyed by its id, since
// such geometry never changes once built.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "model/matrix.h"
#include "render/colours.h"

enum class Primitive { points, lines, triangles };

struct Geometry {
    Primitive primitive = Primitive::points;
    int positionSize = 3;          // floats per vertex position: 2 (x, y) or 3 (x, y, z)
    std::vector<float> positions;  // positionSize per vertex
    std::vector<float> normals;    // empty, or x, y, z per vertex (for lit drawing)
    int colourSize = 4;            // floats per vertex colour: 3 (r, g, b) or 4 (r, g, b, a)
    std::vector<float> colours;    // empty (the item's colour), or colourSize per vertex
    int count = 0;                 // vertices to draw, from the first
    bool kept = false;             // never changes once built: a back end may keep a copy
    std::uint64_t id = 0;          // unique among kept geometry (see newGeometryId)
};

// A fresh id for geometry that a back end may keep.
std::uint64_t newGeometryId();

struct DrawItem {
    std::shared_ptr<const Geometry> geometry;
    Rgba colour;               // for geometry without per-vertex colours
    Vec3 normal{0.0, 0.0, 1.0};// for lit geometry without per-vertex normals
    Mat4 modelview = identityMatrix();  // object to eye (laboratory) frame
    bool lit = false;          // shaded by the frame's light while the frame's lighting is on
    float pointSize = 1.0f;    // pixels
    float lineWidth = 1.0f;    // pixels
};

enum class TextAlign { left, centre, right };

// A line of bitmap text: its reference point in normalised picture coordinates (-1..1, x to
// the right, y up) on the text's baseline, at its left end, middle or right end.
struct TextItem {
    std::string text;           // UTF-8; a back end shows what its font has
    double x = 0.0, y = 0.0;
    Rgba colour = kBlack;
    TextAlign align = TextAlign::left;
};

// The text in Latin-1, the character set of the desktop toolkit's bitmap fonts and window
// titles; characters outside it become '?'.
std::string latin1FromUtf8(const std::string& utf8);

struct Frame {
    int width = 0, height = 0;        // viewport, pixels
    Rgba clearColour = kWhite;
    bool depthTest = false;
    bool lighting = false;            // light 0 from (1, 1, 1) in the eye frame, colour material
    bool blending = false;            // source alpha over, with alpha test > 0.01
    bool smoothLines = false;         // antialiased lines
    Mat4 projection = identityMatrix();
    // Rotation film traces: draw the picture kept from this window's previous frame first,
    // and keep this frame's finished picture for the next one.
    bool drawKeptPicture = false;
    bool keepPicture = false;
    std::vector<DrawItem> items;      // in drawing order
    // Drawn after the items and after the picture is kept, so never part of a film's traces:
    // legends, scales, labels. Text comes last, over everything; its places are picture
    // coordinates, whatever the projection.
    std::vector<DrawItem> overlay;
    std::vector<TextItem> texts;
};
