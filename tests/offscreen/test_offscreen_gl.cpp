// Off-screen OpenGL: fixed-function drawing read back from the pbuffer, resizing with the
// context kept, and opening with no usable X display.
#include <gtest/gtest.h>

#include <GL/gl.h>

#include <array>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/offscreen_gl.h"

namespace {

using Rgba = std::array<int, 4>;

Rgba pixelAt(const std::vector<unsigned char>& rgba, int width, int x, int y) {
    const std::size_t i = (static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x)) * 4;
    return {rgba[i], rgba[i + 1], rgba[i + 2], rgba[i + 3]};
}

// Pixel coordinates: (0, 0) is the bottom left corner of the frame buffer.
void pixelProjection(int width, int height) {
    glViewport(0, 0, width, height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0, width, 0, height, -10, 10);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

void quad(double x0, double y0, double x1, double y1, double z) {
    glBegin(GL_QUADS);
    glVertex3d(x0, y0, z);
    glVertex3d(x1, y0, z);
    glVertex3d(x1, y1, z);
    glVertex3d(x0, y1, z);
    glEnd();
}

void expectNear(Rgba actual, Rgba expected, int tolerance, const char* what) {
    for (int c = 0; c < 4; ++c)
        EXPECT_NEAR(actual[c], expected[c], tolerance) << what << ", channel " << c;
}

}  // namespace

TEST(OffscreenGl, DrawsFixedFunctionPicturesAndReadsThemBack) {
    const int w = 64, h = 48;
    OffscreenGl gl;
    std::string error;
    ASSERT_TRUE(gl.open(w, h, &error)) << error;
    EXPECT_EQ(gl.width(), w);
    EXPECT_EQ(gl.height(), h);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));

    pixelProjection(w, h);
    glClearColor(0.2f, 0.4f, 0.6f, 1.0f);
    glClearDepth(1.0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);

    // A point on the bottom row: row 0 of the read-back is the bottom of the picture.
    glColor3d(1, 1, 0);
    glBegin(GL_POINTS);
    glVertex2d(5.5, 0.5);
    glEnd();

    // Two triangles lit by a light along +z: the one facing it bright red, the one facing
    // away only the grey ambient part (global 0.2 x material 0.2 = 0.04, about 10 of 255).
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT0);
    const GLfloat towardsViewer[] = {0, 0, 1, 0};
    glLightfv(GL_LIGHT0, GL_POSITION, towardsViewer);
    const GLfloat red[] = {1, 0, 0, 1};
    glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, red);
    for (int facing : {1, -1}) {
        const double x0 = facing > 0 ? 2 : 22;
        glNormal3d(0, 0, facing);
        glBegin(GL_TRIANGLES);
        glVertex2d(x0, 2);
        glVertex2d(x0 + 18, 2);
        glVertex2d(x0, 20);
        glEnd();
    }
    glDisable(GL_LIGHTING);

    // A display list, and the depth test: the nearer green quad (drawn first) hides the
    // farther blue one drawn from the list over it.
    const GLuint list = glGenLists(1);
    glNewList(list, GL_COMPILE);
    glColor3d(0, 0, 1);
    quad(44, 2, 60, 20, -5);
    glEndList();
    glEnable(GL_DEPTH_TEST);
    glColor3d(0, 1, 0);
    quad(44, 2, 52, 20, 5);
    glCallList(list);
    glDisable(GL_DEPTH_TEST);

    // Blending: half-transparent white over the clear colour.
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glColor4d(1, 1, 1, 0.5);
    quad(2, 30, 20, 46, 0);
    glDisable(GL_BLEND);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));

    const std::vector<unsigned char> rgba = gl.readRgba();
    ASSERT_EQ(rgba.size(), static_cast<std::size_t>(w * h * 4));
    struct Case {
        int x, y;
        Rgba expected;
        const char* what;
    };
    const Case cases[] = {
        {5, 0, {255, 255, 0, 255}, "point on the bottom row"},
        {5, 47, {51, 102, 153, 255}, "clear colour at the top, above the point"},
        {6, 0, {51, 102, 153, 255}, "clear colour beside the point"},
        {6, 6, {255, 10, 10, 255}, "triangle facing the light"},
        {26, 6, {10, 10, 10, 255}, "triangle facing away"},
        {48, 10, {0, 255, 0, 255}, "near quad in front of the display list's quad"},
        {56, 10, {0, 0, 255, 255}, "display list's quad"},
        // Alpha blends too: 0.5 x 0.5 + 0.5 x 1 = 0.75.
        {10, 38, {153, 178, 204, 191}, "half-transparent white over the clear colour"},
    };
    for (const Case& c : cases) expectNear(pixelAt(rgba, w, c.x, c.y), c.expected, 3, c.what);
    glDeleteLists(list, 1);
}

TEST(OffscreenGl, ResizeKeepsTheContextAndItsDisplayLists) {
    OffscreenGl gl;
    std::string error;
    ASSERT_TRUE(gl.open(64, 48, &error)) << error;
    const GLuint list = glGenLists(1);
    glNewList(list, GL_COMPILE);
    glColor3d(1, 0, 1);
    quad(0, 0, 1000, 1000, 0);
    glEndList();

    struct Size {
        int w, h;
    };
    for (const Size s : {Size{32, 20}, Size{300, 7}, Size{64, 48}}) {
        ASSERT_TRUE(gl.resize(s.w, s.h, &error)) << error;
        EXPECT_EQ(glIsList(list), GL_TRUE) << s.w << " x " << s.h;
        pixelProjection(s.w, s.h);
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT);
        glCallList(list);
        const std::vector<unsigned char> rgba = gl.readRgba();
        ASSERT_EQ(rgba.size(), static_cast<std::size_t>(s.w * s.h * 4));
        expectNear(pixelAt(rgba, s.w, s.w - 1, s.h - 1), {255, 0, 255, 255}, 0, "top right corner");
    }
    EXPECT_FALSE(gl.resize(0, 10, &error));
    EXPECT_FALSE(error.empty());
    EXPECT_TRUE(gl.isOpen());
}

TEST(OffscreenGl, ClosingOneContextLeavesAnotherWorking) {
    OffscreenGl first, second;
    std::string error;
    ASSERT_TRUE(first.open(16, 16, &error)) << error;
    ASSERT_TRUE(second.open(8, 8, &error)) << error;
    first.close();
    ASSERT_TRUE(second.makeCurrent());
    glClearColor(0, 1, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    expectNear(pixelAt(second.readRgba(), 8, 7, 7), {0, 255, 0, 255}, 0, "second context after the first closed");
}

TEST(OffscreenGl, OpensWithoutAnyUsableXDisplay) {
    // Once with no DISPLAY at all, once with one naming a server that does not exist; each
    // open follows the close of the one before, so the EGL display is set up again.
    for (const char* display : {static_cast<const char*>(nullptr), ":4711"}) {
        if (display)
            setenv("DISPLAY", display, 1);
        else
            unsetenv("DISPLAY");
        OffscreenGl gl;
        std::string error;
        ASSERT_TRUE(gl.open(64, 48, &error)) << "DISPLAY=" << (display ? display : "(unset)") << ": " << error;
        glClearColor(1, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT);
        expectNear(pixelAt(gl.readRgba(), 64, 63, 47), {255, 0, 0, 255}, 0, "cleared red");
        gl.close();
        EXPECT_FALSE(gl.isOpen());
    }
    unsetenv("DISPLAY");
}

TEST(OffscreenGl, RefusesAnEmptyFrameBuffer) {
    OffscreenGl gl;
    std::string error;
    EXPECT_FALSE(gl.open(0, 48, &error));
    EXPECT_NE(error.find("0 x 48"), std::string::npos) << error;
    EXPECT_FALSE(gl.isOpen());
    EXPECT_TRUE(gl.readRgba().empty());
}
