// An OpenGL context without any window or display, for headless export: Mesa's EGL on its
// surfaceless platform, a compatibility-profile context (OpenGL 1.1 fixed-function drawing,
// display lists, lighting, blending) and a pbuffer frame buffer with RGBA8 colour and depth.
// Works with no X server; DISPLAY is never read.
#pragma once

#include <string>
#include <vector>

class OffscreenGl {
public:
    OffscreenGl() = default;
    OffscreenGl(const OffscreenGl&) = delete;
    OffscreenGl& operator=(const OffscreenGl&) = delete;
    ~OffscreenGl();

    // Creates the context with a width x height frame buffer (pixels) and makes it current on
    // the calling thread. False, with a German *error, when EGL or the driver cannot.
    bool open(int width, int height, std::string* error);

    // Gives the frame buffer a new size; the context and its display lists stay, and it is
    // current afterwards. The content is undefined until drawn again.
    bool resize(int width, int height, std::string* error);

    // Makes this context current on the calling thread again (after another was made current).
    bool makeCurrent();

    // Releases the context and its frame buffer; open may be called again.
    void close();

    bool isOpen() const { return context_ != nullptr; }
    int width() const { return width_; }
    int height() const { return height_; }

    // Waits for drawing to finish and reads the frame buffer of the current context (this one,
    // unless another was made current since): width * height * 4 bytes, R, G, B, A per pixel,
    // bottom row first (as glReadPixels gives them). Empty when not open.
    std::vector<unsigned char> readRgba() const;

private:
    bool createSurface(int width, int height, std::string* error);

    void* display_ = nullptr;  // EGLDisplay
    void* config_ = nullptr;   // EGLConfig
    void* surface_ = nullptr;  // EGLSurface, the pbuffer
    void* context_ = nullptr;  // EGLContext
    int width_ = 0;            // pixels
    int height_ = 0;           // pixels
};
