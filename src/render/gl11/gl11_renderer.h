// The OpenGL 1.1 back end: draws a frame description into the current GL context with
// fixed-function lighting, blending, vertex arrays and display lists. One renderer per
// window (per GL context): it keeps the display lists of that context's kept geometry and,
// for a rotation film, the finished picture it draws its traces on.
#pragma once

#include <cstdint>
#include <unordered_map>
#include <vector>

#include "render/frame.h"

// Bitmap text as the desktop toolkit draws it. The renderer takes one only where a toolkit
// is running; without one (the off-screen export) it draws no text.
struct BitmapFont {
    void (*draw)(const char* latin1) = nullptr;  // from the current raster position
    int (*width)(const char* latin1) = nullptr;  // pixels
};

class Gl11Renderer {
public:
    explicit Gl11Renderer(const BitmapFont* font = nullptr) : font_(font) {}
    void setFont(const BitmapFont* font) { font_ = font; }

    // Draws the frame (viewport, clear, items in order); the caller shows it (swap).
    // Leaves the matrix mode at GL_MODELVIEW.
    void draw(const Frame& frame);

    // Display lists held now (one per kept geometry drawn since the scene was last built).
    size_t listCount() const { return lists_.size(); }

private:
    struct KeptPicture {
        int width = 0;   // pixels
        int height = 0;  // pixels
        std::vector<unsigned char> rgba;
    };

    void setUpContext();
    void drawItem(const Frame& frame, const DrawItem& item);
    void drawTexts(const Frame& frame);
    void drawKeptPicture(const Frame& frame);
    void keepPicture(const Frame& frame);
    unsigned listFor(const Geometry& geometry);
    void forgetUnusedLists(const Frame& frame);

    const BitmapFont* font_ = nullptr;
    bool contextReady_ = false;
    bool recordedThisFrame_ = false;
    std::unordered_map<std::uint64_t, unsigned> lists_;  // kept geometry id -> display list
    KeptPicture kept_;
};
