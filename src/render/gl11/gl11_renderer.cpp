// Drawing a frame description with OpenGL 1.1.
#include "render/gl11/gl11_renderer.h"

#include <GL/gl.h>

// After the GL header: the shared helpers use its names.
#include "render/gl_common.h"

#include <string>
#include <unordered_set>

namespace {

using gl_common::glPrimitive;
using gl_common::setCapability;

// Points the vertex arrays at the geometry, draws it and switches the arrays off again.
void drawArrays(const Geometry& g) {
    if (g.count <= 0) return;
    glEnableClientState(GL_VERTEX_ARRAY);
    glVertexPointer(g.positionSize, GL_FLOAT, 0, g.positions.data());
    if (!g.normals.empty()) {
        glEnableClientState(GL_NORMAL_ARRAY);
        glNormalPointer(GL_FLOAT, 0, g.normals.data());
    }
    if (!g.colours.empty()) {
        glEnableClientState(GL_COLOR_ARRAY);
        glColorPointer(g.colourSize, GL_FLOAT, 0, g.colours.data());
    }
    glDrawArrays(glPrimitive(g.primitive), 0, g.count);
    glDisableClientState(GL_COLOR_ARRAY);
    glDisableClientState(GL_NORMAL_ARRAY);
    glDisableClientState(GL_VERTEX_ARRAY);
}

// Identity matrices for drawing in the viewport's own -1..1 square, unlit; the projection is
// saved, and endViewportSquare brings it back.
void beginViewportSquare() {
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    setCapability(GL_LIGHTING, false);
}

void endViewportSquare() {
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
}

}  // namespace

// Light 0 shines from (1, 1, 1) in the eye frame, which is the laboratory frame: its position
// is taken under the identity, so it turns neither with the crystal nor with the camera.
void Gl11Renderer::setUpContext() {
    const GLfloat position[] = {1.0f, 1.0f, 1.0f, 0.0f};
    const GLfloat diffuse[] = {0.8f, 0.8f, 0.8f, 1.0f};
    const GLfloat specular[] = {1.0f, 1.0f, 1.0f, 1.0f};
    const GLfloat ambient[] = {0.1f, 0.3f, 0.1f, 1.0f};
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glLightfv(GL_LIGHT0, GL_POSITION, position);
    glLightfv(GL_LIGHT0, GL_DIFFUSE, diffuse);
    glLightfv(GL_LIGHT0, GL_SPECULAR, specular);
    glLightfv(GL_LIGHT0, GL_AMBIENT, ambient);
    glEnable(GL_LIGHT0);

    glAlphaFunc(GL_GREATER, 0.01f);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glEnable(GL_ALPHA_TEST);

    const GLfloat materialSpecular[] = {1.0f, 1.0f, 1.0f, 1.0f};
    glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, materialSpecular);
    glEnable(GL_COLOR_MATERIAL);
    glColorMaterial(GL_FRONT_AND_BACK, GL_AMBIENT_AND_DIFFUSE);
    glMaterialf(GL_FRONT_AND_BACK, GL_SHININESS, 125.0f);
    glShadeModel(GL_SMOOTH);
    contextReady_ = true;
}

void Gl11Renderer::draw(const Frame& frame) {
    if (!contextReady_) setUpContext();
    glViewport(0, 0, frame.width, frame.height);
    glMatrixMode(GL_PROJECTION);
    glLoadMatrixd(frame.projection.data());
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();

    setCapability(GL_DEPTH_TEST, frame.depthTest);
    setCapability(GL_BLEND, frame.blending);
    setCapability(GL_LINE_SMOOTH, frame.smoothLines);
    glClearColor(frame.clearColour.r, frame.clearColour.g, frame.clearColour.b, frame.clearColour.a);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);

    if (frame.drawKeptPicture) drawKeptPicture(frame);
    for (const DrawItem& item : frame.items) drawItem(frame, item);
    if (frame.keepPicture) keepPicture(frame);
    for (const DrawItem& item : frame.overlay) drawItem(frame, item);
    drawTexts(frame);
    forgetUnusedLists(frame);
    glFlush();
}

void Gl11Renderer::drawItem(const Frame& frame, const DrawItem& item) {
    if (!item.geometry) return;
    const Geometry& g = *item.geometry;
    glMatrixMode(GL_MODELVIEW);
    glLoadMatrixd(item.modelview.data());
    setCapability(GL_LIGHTING, frame.lighting && item.lit);
    glPointSize(item.pointSize);
    glLineWidth(item.lineWidth);
    if (g.colours.empty()) glColor4f(item.colour.r, item.colour.g, item.colour.b, item.colour.a);
    if (g.normals.empty()) glNormal3d(item.normal.x, item.normal.y, item.normal.z);
    if (g.kept) {
        const unsigned list = listFor(g);
        if (list != 0) glCallList(list);
        return;
    }
    drawArrays(g);
}

// Each text at its raster position, unlit and over everything; the raster colour is taken
// from the current colour when the position is set. A zero-sized bitmap moves the raster
// position to the start of a centred or right-aligned text.
void Gl11Renderer::drawTexts(const Frame& frame) {
    if (font_ == nullptr || font_->draw == nullptr || frame.texts.empty()) return;
    beginViewportSquare();
    setCapability(GL_DEPTH_TEST, false);
    for (const TextItem& t : frame.texts) {
        const std::string text = latin1FromUtf8(t.text);
        glColor4f(t.colour.r, t.colour.g, t.colour.b, t.colour.a);
        glRasterPos2d(t.x, t.y);
        if (t.align != TextAlign::left && font_->width != nullptr) {
            const float w = static_cast<float>(font_->width(text.c_str()));
            glBitmap(0, 0, 0, 0, t.align == TextAlign::right ? -w : -w / 2, 0, nullptr);
        }
        font_->draw(text.c_str());
    }
    setCapability(GL_DEPTH_TEST, frame.depthTest);
    endViewportSquare();
}

// When the driver has no list name left, glGenLists answers 0: the geometry is then drawn
// from its arrays every frame instead.
unsigned Gl11Renderer::listFor(const Geometry& g) {
    const auto found = lists_.find(g.id);
    if (found != lists_.end()) return found->second;
    const GLuint list = glGenLists(1);
    if (list == 0) {
        drawArrays(g);
        return 0;
    }
    glNewList(list, GL_COMPILE);
    drawArrays(g);  // the arrays are copied into the list
    glEndList();
    lists_.emplace(g.id, list);
    recordedThisFrame_ = true;
    return list;
}

// A scene built anew brings new kept geometry: once a frame records a list, every list whose
// geometry that frame does not draw is freed, so the lists never outgrow one scene. (Geometry
// merely switched off then is recorded again when it returns.)
void Gl11Renderer::forgetUnusedLists(const Frame& frame) {
    if (!recordedThisFrame_) return;
    recordedThisFrame_ = false;
    std::unordered_set<std::uint64_t> drawn;
    for (const DrawItem& item : frame.items)
        if (item.geometry && item.geometry->kept) drawn.insert(item.geometry->id);
    for (auto it = lists_.begin(); it != lists_.end();) {
        if (drawn.count(it->first) == 0) {
            glDeleteLists(it->second, 1);
            it = lists_.erase(it);
        } else {
            ++it;
        }
    }
}

// Paints the kept picture over the whole viewport (stretched if the window was resized since,
// as the film's own coordinates are).
void Gl11Renderer::drawKeptPicture(const Frame& frame) {
    if (kept_.rgba.empty() || frame.width <= 0 || frame.height <= 0) return;
    beginViewportSquare();
    glRasterPos2d(-1, -1);
    glPixelZoom(static_cast<float>(frame.width) / static_cast<float>(kept_.width),
                static_cast<float>(frame.height) / static_cast<float>(kept_.height));
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glDrawPixels(kept_.width, kept_.height, GL_RGBA, GL_UNSIGNED_BYTE, kept_.rgba.data());
    glPixelZoom(1, 1);
    endViewportSquare();
}

// One window's picture, so memory stays at one window's pixels however long the spin runs.
void Gl11Renderer::keepPicture(const Frame& frame) {
    if (frame.width <= 0 || frame.height <= 0) return;
    kept_.width = frame.width;
    kept_.height = frame.height;
    kept_.rgba.resize(static_cast<size_t>(frame.width) * static_cast<size_t>(frame.height) * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadBuffer(GL_BACK);
    glReadPixels(0, 0, frame.width, frame.height, GL_RGBA, GL_UNSIGNED_BYTE, kept_.rgba.data());
}
