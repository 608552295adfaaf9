// Drawing a frame description with WebGL: one shader pair in the fixed-function style,
// GPU buffers for kept geometry, a texture for the rotation film's traces.
#include "render/webgl/webgl_renderer.h"

#include <GLES2/gl2.h>

// After the GL header: the shared helpers use its names.
#include "render/gl_common.h"

#include <cstdio>
#include <string>
#include <unordered_set>
#include <utility>

namespace {

// Attribute slots, bound before linking.
constexpr GLuint kPosition = 0;
constexpr GLuint kNormal = 1;
constexpr GLuint kColour = 2;

constexpr GLuint kOther = 3;   // smooth lines: the segment's other end
constexpr GLuint kCorner = 4;  // smooth lines: (side across the line -1 or +1, end 0 or 1)

// Per-vertex (Gouraud) lighting as OpenGL 1.1 computes it for the desktop's set-up: light 0
// directional from (1, 1, 1) in the eye frame, colour material for ambient and diffuse,
// material specular white with shininess 125, light ambient (0.1, 0.3, 0.1), diffuse 0.8,
// specular 1, the light model's default ambient 0.2, an infinite viewer (half vector between
// the light and +z). Diffuse and specular only where n.L > 0.
const std::string kLighting = R"(
attribute vec4 position;
attribute vec3 normal;
attribute vec4 colour;
uniform mat4 modelview;
uniform mat4 projection;
uniform mat3 normalMatrix;
uniform float lit;
varying vec4 shade;
vec4 lighted(vec4 c) {
    if (lit < 0.5) return c;
    vec3 n = normalMatrix * normal;
    vec3 toLight = normalize(vec3(1.0, 1.0, 1.0));
    float diffuse = dot(n, toLight);
    vec3 rgb = c.rgb * (vec3(0.2) + vec3(0.1, 0.3, 0.1));
    if (diffuse > 0.0) {
        rgb += 0.8 * diffuse * c.rgb;
        float h = max(dot(n, normalize(toLight + vec3(0.0, 0.0, 1.0))), 0.0);
        rgb += vec3(pow(h, 125.0));
    }
    return clamp(vec4(rgb, c.a), 0.0, 1.0);
}
)";

const std::string kVertexShader = kLighting + R"(
uniform float pointSize;
void main() {
    gl_Position = projection * (modelview * position);
    gl_PointSize = pointSize;
    shade = lighted(colour);
}
)";

// A smooth line's corner: the segment's ends in pixels, this end moved across the line by
// half its width and one half pixel (the fringe) and along it by half a pixel outwards.
// `across` reaches the fringe's outer edge in pixels from the line's middle.
const std::string kLineVertexShader = kLighting + R"(
attribute vec4 other;
attribute vec2 corner;
uniform vec2 viewport;
uniform mediump float halfWidth;  // the fragment shader's precision
varying float across;
void main() {
    vec4 here = projection * (modelview * position);
    vec4 there = projection * (modelview * other);
    vec2 halfViewport = 0.5 * viewport;
    vec2 fromFirst = (there.xy / there.w - here.xy / here.w) * halfViewport;
    if (corner.y > 0.5) fromFirst = -fromFirst;   // from the first end to the second
    float len = length(fromFirst);
    vec2 along = len > 0.0 ? fromFirst / len : vec2(1.0, 0.0);
    vec2 side = vec2(-along.y, along.x);
    float reach = halfWidth + 0.5;
    vec2 shift = side * corner.x * reach + along * (corner.y > 0.5 ? 0.5 : -0.5);
    here.xy += shift / halfViewport * here.w;
    gl_Position = here;
    across = corner.x * reach;
    shade = lighted(colour);
}
)";

// The share of a pixel that the line of width 2 halfWidth covers, across the line.
const char* const kLineFragmentShader = R"(
precision mediump float;
uniform float halfWidth;
varying vec4 shade;
varying float across;
void main() {
    float coverage = clamp(halfWidth + 0.5 - abs(across), 0.0, 1.0) * min(2.0 * halfWidth, 1.0);
    float alpha = shade.a * coverage;
    if (alpha <= 0.01) discard;
    gl_FragColor = vec4(shade.rgb, alpha);
}
)";

// The desktop's alpha test (alpha > 0.01) is always on.
const char* const kFragmentShader = R"(
precision mediump float;
varying vec4 shade;
void main() {
    if (shade.a <= 0.01) discard;
    gl_FragColor = shade;
}
)";

// A texture over the whole viewport, pixel for pixel (or stretched, nearest pixel).
const char* const kCopyVertexShader = R"(
attribute vec2 corner;
varying vec2 place;
void main() {
    place = corner * 0.5 + 0.5;
    gl_Position = vec4(corner, 0.0, 1.0);
}
)";

const char* const kCopyFragmentShader = R"(
precision mediump float;
uniform sampler2D picture;
varying vec2 place;
void main() { gl_FragColor = texture2D(picture, place); }
)";

using gl_common::glPrimitive;
using gl_common::setCapability;

GLuint compile(GLenum kind, const char* source) {
    const GLuint shader = glCreateShader(kind);
    glShaderSource(shader, 1, &source, nullptr);
    glCompileShader(shader);
    GLint ok = 0;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
    if (!ok) {
        char log[1024];
        glGetShaderInfoLog(shader, sizeof log, nullptr, log);
        std::fprintf(stderr, "WebGL shader: %s\n", log);
    }
    return shader;
}

GLuint link(const std::string& vertex, const std::string& fragment, const std::vector<std::pair<GLuint, const char*>>& slots) {
    const GLuint program = glCreateProgram();
    const GLuint vs = compile(GL_VERTEX_SHADER, vertex.c_str());
    const GLuint fs = compile(GL_FRAGMENT_SHADER, fragment.c_str());
    glAttachShader(program, vs);
    glAttachShader(program, fs);
    for (const auto& slot : slots) glBindAttribLocation(program, slot.first, slot.second);
    glLinkProgram(program);
    GLint ok = 0;
    glGetProgramiv(program, GL_LINK_STATUS, &ok);
    if (!ok) {
        char log[1024];
        glGetProgramInfoLog(program, sizeof log, nullptr, log);
        std::fprintf(stderr, "WebGL program: %s\n", log);
    }
    glDeleteShader(vs);
    glDeleteShader(fs);
    return program;
}

void upload(GLuint buffer, const std::vector<float>& data, GLenum usage) {
    glBindBuffer(GL_ARRAY_BUFFER, buffer);
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(data.size() * sizeof(float)), data.data(), usage);
}

// A buffer of its own for kept data, made and filled once; none for an empty array.
void uploadNew(GLuint& buffer, const std::vector<float>& data) {
    if (data.empty()) return;
    glGenBuffers(1, &buffer);
    upload(buffer, data, GL_STATIC_DRAW);
}

// The matrix in single precision, column-major as GL takes it.
void toFloats(const Mat4& m, float out[16]) {
    for (int i = 0; i < 16; ++i) out[i] = static_cast<float>(m[i]);
}

// Normals go to the eye frame by the inverse transpose of the modelview's upper 3x3 (as in
// OpenGL 1.1, without renormalising): its cofactor matrix divided by its determinant.
void normalMatrix(const Mat4& m, float out[9]) {
    auto a = [&](int row, int col) { return m[4 * col + row]; };
    double c[3][3];
    for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < 3; ++j) {
            const int i1 = (i + 1) % 3, i2 = (i + 2) % 3, j1 = (j + 1) % 3, j2 = (j + 2) % 3;
            c[i][j] = a(i1, j1) * a(i2, j2) - a(i1, j2) * a(i2, j1);
        }
    }
    const double det = a(0, 0) * c[0][0] + a(0, 1) * c[0][1] + a(0, 2) * c[0][2];
    const double scale = det != 0.0 ? 1.0 / det : 0.0;
    for (int col = 0; col < 3; ++col)
        for (int row = 0; row < 3; ++row) out[3 * col + row] = static_cast<float>(c[row][col] * scale);
}

void uploadIndices(GLuint buffer, const std::vector<GLuint>& data, GLenum usage) {
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, buffer);
    glBufferData(GL_ELEMENT_ARRAY_BUFFER, static_cast<GLsizeiptr>(data.size() * sizeof(GLuint)), data.data(), usage);
}

// Smooth lines' corners: per segment (first end F, second end S) the corners F-, F+, S-, S+
// (side across the line, the same for both ends), two triangles F- F+ S+ and F- S+ S-.
struct LineCorners {
    std::vector<float> position, other, normal, colour, corner;  // x y z, x y z, x y z, rgba, side end
    std::vector<GLuint> index;
};

LineCorners lineCorners(const Geometry& g) {
    LineCorners out;
    const int segments = g.count / 2;
    const int n = g.positionSize;
    auto point = [&](std::vector<float>& to, int v) {
        for (int i = 0; i < 3; ++i) to.push_back(i < n ? g.positions[static_cast<size_t>(n * v + i)] : 0.0f);
    };
    for (int segment = 0; segment < segments; ++segment) {
        const GLuint base = static_cast<GLuint>(out.corner.size() / 2);
        for (int end = 0; end < 2; ++end) {
            const int here = 2 * segment + end, there = 2 * segment + 1 - end;
            for (const float side : {-1.0f, 1.0f}) {
                point(out.position, here);
                point(out.other, there);
                out.corner.insert(out.corner.end(), {side, static_cast<float>(end)});
                if (!g.normals.empty())
                    out.normal.insert(out.normal.end(), g.normals.begin() + 3 * here, g.normals.begin() + 3 * here + 3);
                if (!g.colours.empty())
                    out.colour.insert(out.colour.end(), g.colours.begin() + g.colourSize * here,
                                      g.colours.begin() + g.colourSize * (here + 1));
            }
        }
        out.index.insert(out.index.end(), {base, base + 1, base + 3, base, base + 3, base + 2});
    }
    return out;
}

}  // namespace

void WebGlRenderer::setUp() {
    program_ = link(kVertexShader, kFragmentShader,
                    {{kPosition, "position"}, {kNormal, "normal"}, {kColour, "colour"}});
    loc_.modelview = glGetUniformLocation(program_, "modelview");
    loc_.projection = glGetUniformLocation(program_, "projection");
    loc_.normalMatrix = glGetUniformLocation(program_, "normalMatrix");
    loc_.lit = glGetUniformLocation(program_, "lit");
    loc_.pointSize = glGetUniformLocation(program_, "pointSize");

    lineProgram_ = link(kLineVertexShader, kLineFragmentShader,
                        {{kPosition, "position"}, {kNormal, "normal"}, {kColour, "colour"}, {kOther, "other"},
                         {kCorner, "corner"}});
    lineLoc_.modelview = glGetUniformLocation(lineProgram_, "modelview");
    lineLoc_.projection = glGetUniformLocation(lineProgram_, "projection");
    lineLoc_.normalMatrix = glGetUniformLocation(lineProgram_, "normalMatrix");
    lineLoc_.lit = glGetUniformLocation(lineProgram_, "lit");
    viewportLoc_ = glGetUniformLocation(lineProgram_, "viewport");
    halfWidthLoc_ = glGetUniformLocation(lineProgram_, "halfWidth");
    for (GLuint* b : {&streamQuads_.position, &streamQuads_.other, &streamQuads_.normal, &streamQuads_.colour,
                      &streamQuads_.corner, &streamQuads_.index})
        glGenBuffers(1, b);

    copyProgram_ = link(kCopyVertexShader, kCopyFragmentShader, {{kPosition, "corner"}});
    loc_.copyTexture = glGetUniformLocation(copyProgram_, "picture");
    const std::vector<float> corners = {-1, -1, 1, -1, -1, 1, 1, 1};
    glGenBuffers(1, &quad_);
    upload(quad_, corners, GL_STATIC_DRAW);

    glGenBuffers(1, &stream_.position);
    glGenBuffers(1, &stream_.normal);
    glGenBuffers(1, &stream_.colour);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    ready_ = true;
}

void WebGlRenderer::prepareTarget(Target& target, int width, int height) {
    if (target.texture == 0) {
        glGenTextures(1, &target.texture);
        glGenFramebuffers(1, &target.framebuffer);
    }
    if (target.width == width && target.height == height) return;
    glBindTexture(GL_TEXTURE_2D, target.texture);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glBindFramebuffer(GL_FRAMEBUFFER, target.framebuffer);
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, target.texture, 0);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    target.width = width;
    target.height = height;
}

void WebGlRenderer::drawTexture(unsigned texture) {
    glUseProgram(copyProgram_);
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, texture);
    glUniform1i(loc_.copyTexture, 0);
    glDisableVertexAttribArray(kNormal);
    glDisableVertexAttribArray(kColour);
    glDisableVertexAttribArray(kOther);
    glDisableVertexAttribArray(kCorner);
    glEnableVertexAttribArray(kPosition);
    glBindBuffer(GL_ARRAY_BUFFER, quad_);
    glVertexAttribPointer(kPosition, 2, GL_FLOAT, GL_FALSE, 0, nullptr);
    glDrawArrays(GL_TRIANGLE_STRIP, 0, 4);
}

void WebGlRenderer::draw(const Frame& frame) {
    if (frame.width <= 0 || frame.height <= 0) return;
    if (!ready_) setUp();
    // The rotation film is drawn into a texture: what it keeps is then a texture already,
    // and the next frame starts by drawing it (stretched if the canvas changed its size).
    const bool offscreen = frame.keepPicture || frame.drawKeptPicture;
    if (offscreen) {
        prepareTarget(work_, frame.width, frame.height);
        glBindFramebuffer(GL_FRAMEBUFFER, work_.framebuffer);
    }
    glViewport(0, 0, frame.width, frame.height);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_BLEND);
    glClearColor(frame.clearColour.r, frame.clearColour.g, frame.clearColour.b, frame.clearColour.a);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    if (frame.drawKeptPicture && keptValid_) drawTexture(keptPicture_.texture);

    setCapability(GL_DEPTH_TEST, frame.depthTest);
    setCapability(GL_BLEND, frame.blending);
    float projection[16];
    toFloats(frame.projection, projection);
    glUseProgram(lineProgram_);
    glUniformMatrix4fv(lineLoc_.projection, 1, GL_FALSE, projection);
    glUniform2f(viewportLoc_, static_cast<float>(frame.width), static_cast<float>(frame.height));
    glUseProgram(program_);
    glUniformMatrix4fv(loc_.projection, 1, GL_FALSE, projection);
    for (const DrawItem& item : frame.items) {
        if (!item.geometry || item.geometry->count <= 0) continue;
        if (frame.smoothLines && item.geometry->primitive == Primitive::lines) drawSmoothLines(frame, item);
        else drawItem(frame, item);
    }

    if (offscreen) {
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        glDisable(GL_DEPTH_TEST);
        glDisable(GL_BLEND);
        drawTexture(work_.texture);
        if (frame.keepPicture) {
            std::swap(work_, keptPicture_);
            keptValid_ = true;
        }
        setCapability(GL_DEPTH_TEST, frame.depthTest);
        setCapability(GL_BLEND, frame.blending);
    }
    // The overlay (legends, scales) goes onto the canvas only, never into the kept picture.
    // Text is the page's: a back end without fonts leaves frame.texts to its platform.
    for (const DrawItem& item : frame.overlay) {
        if (!item.geometry || item.geometry->count <= 0) continue;
        if (frame.smoothLines && item.geometry->primitive == Primitive::lines) drawSmoothLines(frame, item);
        else drawItem(frame, item);
    }
    forgetUnusedBuffers(frame);
}

// The uniforms and constant attributes both programs share: modelview, lighting, and the
// item's colour and normal where the geometry has none of its own.
void WebGlRenderer::setItemUniforms(const Frame& frame, const DrawItem& item, bool lines) {
    const Locations& at = lines ? lineLoc_ : loc_;
    float modelview[16];
    toFloats(item.modelview, modelview);
    glUniformMatrix4fv(at.modelview, 1, GL_FALSE, modelview);
    const bool lit = frame.lighting && item.lit;
    glUniform1f(at.lit, lit ? 1.0f : 0.0f);
    if (lit) {
        float normals[9];
        normalMatrix(item.modelview, normals);
        glUniformMatrix3fv(at.normalMatrix, 1, GL_FALSE, normals);
    }
    const Geometry& g = *item.geometry;
    if (g.colours.empty()) {
        glDisableVertexAttribArray(kColour);
        glVertexAttrib4f(kColour, item.colour.r, item.colour.g, item.colour.b, item.colour.a);
    }
    if (g.normals.empty()) {
        glDisableVertexAttribArray(kNormal);
        glVertexAttrib3f(kNormal, static_cast<float>(item.normal.x), static_cast<float>(item.normal.y),
                         static_cast<float>(item.normal.z));
    }
}

void WebGlRenderer::drawItem(const Frame& frame, const DrawItem& item) {
    const Geometry& g = *item.geometry;
    glUseProgram(program_);
    glDisableVertexAttribArray(kOther);
    glDisableVertexAttribArray(kCorner);
    glUniform1f(loc_.pointSize, item.pointSize);
    // Browsers draw aliased lines one pixel wide whatever is asked; the call is kept for those that can.
    glLineWidth(item.lineWidth);
    bindGeometry(g);
    setItemUniforms(frame, item, false);
    glDrawArrays(glPrimitive(g.primitive), 0, g.count);
}

void WebGlRenderer::drawSmoothLines(const Frame& frame, const DrawItem& item) {
    const Geometry& g = *item.geometry;
    glUseProgram(lineProgram_);
    glUniform1f(halfWidthLoc_, 0.5f * item.lineWidth);
    LineQuads quads = streamQuads_;
    if (g.kept) {
        quads = quadsFor(g);
    } else {
        const LineCorners c = lineCorners(g);
        upload(quads.position, c.position, GL_STREAM_DRAW);
        upload(quads.other, c.other, GL_STREAM_DRAW);
        upload(quads.corner, c.corner, GL_STREAM_DRAW);
        if (!c.normal.empty()) upload(quads.normal, c.normal, GL_STREAM_DRAW);
        if (!c.colour.empty()) upload(quads.colour, c.colour, GL_STREAM_DRAW);
        uploadIndices(quads.index, c.index, GL_STREAM_DRAW);
        quads.indexCount = static_cast<int>(c.index.size());
    }
    const struct {
        GLuint slot;
        GLuint buffer;
        int size;
        bool used;
    } arrays[] = {{kPosition, quads.position, 3, true},
                  {kOther, quads.other, 3, true},
                  {kCorner, quads.corner, 2, true},
                  {kNormal, quads.normal, 3, !g.normals.empty()},
                  {kColour, quads.colour, g.colourSize, !g.colours.empty()}};
    for (const auto& a : arrays) {
        if (!a.used) continue;
        glEnableVertexAttribArray(a.slot);
        glBindBuffer(GL_ARRAY_BUFFER, a.buffer);
        glVertexAttribPointer(a.slot, a.size, GL_FLOAT, GL_FALSE, 0, nullptr);
    }
    setItemUniforms(frame, item, true);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, quads.index);
    glDrawElements(GL_TRIANGLES, quads.indexCount, GL_UNSIGNED_INT, nullptr);
}

// Kept smooth lines go to the GPU as their quads once, when first drawn.
const WebGlRenderer::LineQuads& WebGlRenderer::quadsFor(const Geometry& g) {
    const auto found = keptQuads_.find(g.id);
    if (found != keptQuads_.end()) return found->second;
    const LineCorners c = lineCorners(g);
    LineQuads q;
    for (GLuint* b : {&q.position, &q.other, &q.corner, &q.index}) glGenBuffers(1, b);
    upload(q.position, c.position, GL_STATIC_DRAW);
    upload(q.other, c.other, GL_STATIC_DRAW);
    upload(q.corner, c.corner, GL_STATIC_DRAW);
    uploadNew(q.normal, c.normal);
    uploadNew(q.colour, c.colour);
    uploadIndices(q.index, c.index, GL_STATIC_DRAW);
    q.indexCount = static_cast<int>(c.index.size());
    recordedThisFrame_ = true;
    return keptQuads_.emplace(g.id, q).first->second;
}

// Points the attributes at the geometry's buffers: its own for kept geometry, else the
// stream buffers filled with its arrays now.
void WebGlRenderer::bindGeometry(const Geometry& g) {
    Buffers buffers = stream_;
    if (g.kept) {
        buffers = buffersFor(g);
    } else {
        upload(stream_.position, g.positions, GL_STREAM_DRAW);
        if (!g.normals.empty()) upload(stream_.normal, g.normals, GL_STREAM_DRAW);
        if (!g.colours.empty()) upload(stream_.colour, g.colours, GL_STREAM_DRAW);
    }
    glEnableVertexAttribArray(kPosition);
    glBindBuffer(GL_ARRAY_BUFFER, buffers.position);
    glVertexAttribPointer(kPosition, g.positionSize, GL_FLOAT, GL_FALSE, 0, nullptr);
    if (!g.normals.empty()) {
        glEnableVertexAttribArray(kNormal);
        glBindBuffer(GL_ARRAY_BUFFER, buffers.normal);
        glVertexAttribPointer(kNormal, 3, GL_FLOAT, GL_FALSE, 0, nullptr);
    }
    if (!g.colours.empty()) {
        glEnableVertexAttribArray(kColour);
        glBindBuffer(GL_ARRAY_BUFFER, buffers.colour);
        glVertexAttribPointer(kColour, g.colourSize, GL_FLOAT, GL_FALSE, 0, nullptr);
    }
}

// Kept geometry goes to the GPU once, when first drawn.
const WebGlRenderer::Buffers& WebGlRenderer::buffersFor(const Geometry& g) {
    const auto found = kept_.find(g.id);
    if (found != kept_.end()) return found->second;
    Buffers b;
    glGenBuffers(1, &b.position);
    upload(b.position, g.positions, GL_STATIC_DRAW);
    uploadNew(b.normal, g.normals);
    uploadNew(b.colour, g.colours);
    recordedThisFrame_ = true;
    return kept_.emplace(g.id, b).first->second;
}

// A scene built anew brings new kept geometry: once a frame uploads some, every buffer whose
// geometry that frame does not draw is freed, so the GPU never holds more than one scene.
void WebGlRenderer::forgetUnusedBuffers(const Frame& frame) {
    if (!recordedThisFrame_) return;
    recordedThisFrame_ = false;
    std::unordered_set<std::uint64_t> drawn;
    for (const auto* list : {&frame.items, &frame.overlay})
        for (const DrawItem& item : *list)
            if (item.geometry && item.geometry->kept) drawn.insert(item.geometry->id);
    for (auto it = kept_.begin(); it != kept_.end();) {
        if (drawn.count(it->first) == 0) {
            const Buffers& b = it->second;
            for (GLuint buffer : {b.position, b.normal, b.colour})
                if (buffer != 0) glDeleteBuffers(1, &buffer);
            it = kept_.erase(it);
        } else {
            ++it;
        }
    }
    for (auto it = keptQuads_.begin(); it != keptQuads_.end();) {
        if (drawn.count(it->first) == 0) {
            const LineQuads& q = it->second;
            for (GLuint buffer : {q.position, q.other, q.normal, q.colour, q.corner, q.index})
                if (buffer != 0) glDeleteBuffers(1, &buffer);
            it = keptQuads_.erase(it);
        } else {
            ++it;
        }
    }
}

std::vector<unsigned char> WebGlRenderer::readPixels(int width, int height) const {
    std::vector<unsigned char> rgba;
    if (width <= 0 || height <= 0) return rgba;
    rgba.resize(static_cast<size_t>(width) * static_cast<size_t>(height) * 4);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
    return rgba;
}
