// Off-screen OpenGL through EGL on Mesa's surfaceless platform (llvmpipe when no GPU is
// present). A pbuffer is the frame buffer, so drawing code that reads and draws the back
// buffer works as it does in a window.
#include "platform/offscreen_gl.h"

#include <EGL/egl.h>
#include <EGL/eglext.h>
#include <GL/gl.h>

#include <cstdio>
#include <cstring>

namespace {

// EGL keeps one display per platform and process, and eglTerminate ends every context on it;
// it is terminated only when the last open context closes.
int openContexts = 0;

std::string eglFailure(const char* what) {
    char code[16];
    std::snprintf(code, sizeof code, "0x%04X", static_cast<unsigned>(eglGetError()));
    return std::string("Off-screen-OpenGL: ") + what + " (EGL-Fehler " + code + ")";
}

bool hasExtension(const char* list, const char* name) {
    if (!list) return false;
    const std::size_t length = std::strlen(name);
    for (const char* p = std::strstr(list, name); p; p = std::strstr(p + length, name))
        if ((p == list || p[-1] == ' ') && (p[length] == ' ' || p[length] == '\0')) return true;
    return false;
}

}  // namespace

OffscreenGl::~OffscreenGl() { close(); }

bool OffscreenGl::open(int width, int height, std::string* error) {
    close();
    if (width <= 0 || height <= 0) {
        *error = "Off-screen-OpenGL: ungültige Bildgröße " + std::to_string(width) + " x " + std::to_string(height);
        return false;
    }
    const char* clientExtensions = eglQueryString(EGL_NO_DISPLAY, EGL_EXTENSIONS);
    if (!hasExtension(clientExtensions, "EGL_MESA_platform_surfaceless")) {
        *error = "Off-screen-OpenGL: EGL kennt die Plattform ohne Bildschirm nicht "
                 "(EGL_MESA_platform_surfaceless; Paket libegl-mesa0)";
        return false;
    }
    auto getPlatformDisplay =
        reinterpret_cast<PFNEGLGETPLATFORMDISPLAYEXTPROC>(eglGetProcAddress("eglGetPlatformDisplayEXT"));
    if (!getPlatformDisplay) {
        *error = eglFailure("eglGetPlatformDisplayEXT fehlt");
        return false;
    }
    EGLDisplay display = getPlatformDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
    EGLint major = 0, minor = 0;
    if (display == EGL_NO_DISPLAY || !eglInitialize(display, &major, &minor)) {
        *error = eglFailure("EGL lässt sich nicht starten");
        return false;
    }
    ++openContexts;
    display_ = display;

    const EGLint configAttributes[] = {EGL_SURFACE_TYPE, EGL_PBUFFER_BIT, EGL_RENDERABLE_TYPE, EGL_OPENGL_BIT,
                                       EGL_RED_SIZE, 8, EGL_GREEN_SIZE, 8, EGL_BLUE_SIZE, 8, EGL_ALPHA_SIZE, 8,
                                       EGL_DEPTH_SIZE, 24, EGL_NONE};
    EGLConfig config = nullptr;
    EGLint count = 0;
    if (!eglChooseConfig(display, configAttributes, &config, 1, &count) || count < 1) {
        *error = eglFailure("keine Pbuffer-Konfiguration mit RGBA8, Tiefenpuffer und OpenGL");
        close();
        return false;
    }
    config_ = config;

    if (!eglBindAPI(EGL_OPENGL_API)) {
        *error = eglFailure("EGL bietet kein Desktop-OpenGL");
        close();
        return false;
    }
    // Compatibility profile: the fixed-function pipeline of OpenGL 1.1 stays available.
    const EGLint contextAttributes[] = {EGL_CONTEXT_OPENGL_PROFILE_MASK,
                                        EGL_CONTEXT_OPENGL_COMPATIBILITY_PROFILE_BIT, EGL_NONE};
    EGLContext context = eglCreateContext(display, config, EGL_NO_CONTEXT, contextAttributes);
    if (context == EGL_NO_CONTEXT) {
        *error = eglFailure("kein OpenGL-Kontext (Kompatibilitätsprofil)");
        close();
        return false;
    }
    context_ = context;
    if (!createSurface(width, height, error)) {
        close();
        return false;
    }
    return true;
}

bool OffscreenGl::createSurface(int width, int height, std::string* error) {
    const EGLint attributes[] = {EGL_WIDTH, width, EGL_HEIGHT, height, EGL_NONE};
    EGLSurface surface = eglCreatePbufferSurface(display_, config_, attributes);
    if (surface == EGL_NO_SURFACE) {
        *error = eglFailure(("kein Pbuffer von " + std::to_string(width) + " x " + std::to_string(height) +
                             " Pixeln").c_str());
        return false;
    }
    if (!eglMakeCurrent(display_, surface, surface, context_)) {
        *error = eglFailure("der Kontext lässt sich nicht aktivieren");
        eglDestroySurface(display_, surface);
        return false;
    }
    surface_ = surface;
    width_ = width;
    height_ = height;
    return true;
}

bool OffscreenGl::resize(int width, int height, std::string* error) {
    if (!isOpen()) {
        *error = "Off-screen-OpenGL: kein Kontext offen";
        return false;
    }
    if (width <= 0 || height <= 0) {
        *error = "Off-screen-OpenGL: ungültige Bildgröße " + std::to_string(width) + " x " + std::to_string(height);
        return false;
    }
    if (width == width_ && height == height_) return makeCurrent();
    // Release the old pbuffer before making the new one current; the context lives on.
    eglMakeCurrent(display_, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
    eglDestroySurface(display_, surface_);
    surface_ = nullptr;
    width_ = height_ = 0;
    return createSurface(width, height, error);
}

bool OffscreenGl::makeCurrent() {
    return isOpen() && surface_ && eglMakeCurrent(display_, surface_, surface_, context_) == EGL_TRUE;
}

void OffscreenGl::close() {
    if (!display_) return;
    if (eglGetCurrentContext() == context_) eglMakeCurrent(display_, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
    if (surface_) eglDestroySurface(display_, surface_);
    if (context_) eglDestroyContext(display_, context_);
    if (--openContexts == 0) {
        eglTerminate(display_);
        eglReleaseThread();
    }
    display_ = config_ = surface_ = context_ = nullptr;
    width_ = height_ = 0;
}

std::vector<unsigned char> OffscreenGl::readRgba() const {
    if (!isOpen() || !surface_) return {};
    std::vector<unsigned char> pixels(static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_) * 4);
    // Tightly packed rows whatever the caller left in the pack state.
    glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glPixelStorei(GL_PACK_ROW_LENGTH, 0);
    glPixelStorei(GL_PACK_SKIP_ROWS, 0);
    glPixelStorei(GL_PACK_SKIP_PIXELS, 0);
    glPixelStorei(GL_PACK_SWAP_BYTES, GL_FALSE);
    glPixelStorei(GL_PACK_LSB_FIRST, GL_FALSE);
    glReadPixels(0, 0, width_, height_, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    glPopClientAttrib();
    return pixels;
}
