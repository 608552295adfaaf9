// The WebGL back end: draws a frame description into the current WebGL context (WebGL 1 or
// 2, through the GLES 2 subset both share) with one small shader pair that does what the
// fixed-function pipeline of the desktop does: unlit and lit points, lines and triangles,
// light 0 with colour material and a specular highlight, blending and the alpha test. One
// renderer per canvas (per context): it keeps a GPU buffer for each kept geometry and, for
// the rotation film, the finished picture in a texture that the next frame draws its traces on.
//
// Smooth lines (the frame's smoothLines): browsers draw WebGL lines one pixel wide and without
// smoothing, so each segment is drawn as a thin quad one pixel wider than the line, whose
// pixels take the share of the line that covers them as their alpha, as OpenGL 1.1's
// antialiased lines do (the desktop's main window: a faint wire sphere, axes two pixels wide).
#pragma once

#include <cstdint>
#include <unordered_map>
#include <vector>

#include "render/frame.h"

class WebGlRenderer {
public:
    WebGlRenderer() = default;
    WebGlRenderer(const WebGlRenderer&) = delete;
    WebGlRenderer& operator=(const WebGlRenderer&) = delete;

    // Draws the frame into the context's canvas (viewport, clear, items in order). The
    // context must be current.
    void draw(const Frame& frame);

    // Forgets the kept picture: the next frame that draws it starts from a blank film.
    void forgetKeptPicture() { keptValid_ = false; }

    // The canvas's picture as RGBA8, bottom row first (the context must keep its drawing
    // buffer between frames).
    std::vector<unsigned char> readPixels(int width, int height) const;

    // GPU buffers held now (one set per kept geometry drawn since the scene was last built).
    size_t keptCount() const { return kept_.size() + keptQuads_.size(); }

private:
    struct Buffers {
        unsigned position = 0, normal = 0, colour = 0;
    };
    struct LineQuads {  // smooth lines: four corners and two triangles per segment
        unsigned position = 0, other = 0, normal = 0, colour = 0, corner = 0, index = 0;
        int indexCount = 0;
    };
    struct Target {  // a texture the film is drawn into, with its framebuffer
        unsigned texture = 0, framebuffer = 0;
        int width = 0, height = 0;  // pixels
    };

    void setUp();
    void beginFrame(const Frame& frame);
    void drawItem(const Frame& frame, const DrawItem& item);
    void drawSmoothLines(const Frame& frame, const DrawItem& item);
    void setItemUniforms(const Frame& frame, const DrawItem& item, bool lines);
    const LineQuads& quadsFor(const Geometry& g);
    void bindGeometry(const Geometry& g);
    const Buffers& buffersFor(const Geometry& g);
    void forgetUnusedBuffers(const Frame& frame);
    void drawTexture(unsigned texture);
    void prepareTarget(Target& target, int width, int height);

    bool ready_ = false;
    unsigned program_ = 0;
    unsigned copyProgram_ = 0;  // draws a texture over the whole viewport
    unsigned quad_ = 0;         // the viewport's corners for copyProgram_
    Buffers stream_;            // geometry drawn once: its arrays are sent every frame
    bool recordedThisFrame_ = false;
    std::unordered_map<std::uint64_t, Buffers> kept_;  // kept geometry id -> its buffers
    std::unordered_map<std::uint64_t, LineQuads> keptQuads_;  // kept lines id -> their quads
    LineQuads streamQuads_;      // smooth lines drawn once
    unsigned lineProgram_ = 0;   // smooth lines
    // Rotation film: this frame is drawn into work_, then shown; kept_ holds the last
    // finished picture (the two swap when a frame keeps its picture).
    Target work_, keptPicture_;
    bool keptValid_ = false;
    struct Locations {
        int position = -1, normal = -1, colour = -1;
        int modelview = -1, projection = -1, normalMatrix = -1, lit = -1, pointSize = -1;
        int copyPosition = -1, copyTexture = -1;
    } loc_, lineLoc_;
    int viewportLoc_ = -1, halfWidthLoc_ = -1;
};
