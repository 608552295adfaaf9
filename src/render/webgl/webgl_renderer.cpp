// Drawing a frame description with WebGL: one shader pair in the fixed-function style,
// GPU buffers for kept geometry, a texture for the rotation film's traces.
#include "render/webgl/webgl_renderer.h"

#include <GLES2/gl2.h>

#include <cstdio>
#include <unordered_set>
#include <utility>

namespace {

// Attribute slots, bound before linking.
constexpr GLuint kPosition = 0;
constexpr GLuint kNormal = 1;
constexpr GLuint kColour = 2;

// Per-vertex (Gouraud) lighting as OpenGL 1.1 computes it for the desktop's set-up (its
// equation 2.x of "Lighting"): light 0 directional from (1, 1, 1) in the eye frame, colour
// material for ambient and diffuse, material specular white with shininess 125, light ambient
// (0.1, 0.3, 0.1), diffuse 0.8, specular 1, the light model's default ambient 0.2, an infinite
// viewer (half vector between the light and +z). Diffuse and specular only where n.L > 0.
const char* const kVertexShader = R"(
attribute vec4 position;
attribute vec3 normal;
attribute vec4 colour;
uniform mat4 modelview;
uniform mat4 projection;
uniform mat3 normalMatrix;
uniform float lit;
uniform float pointSize;
varying vec4 shade;
void main() {
    gl_Position = projection * (modelview * position);
    gl_PointSize = pointSize;
    vec4 c = colour;
    if (lit > 0.5) {
        vec3 n = normalMatrix * normal;
        vec3 toLight = normalize(vec3(1.0, 1.0, 1.0));
        float diffuse = dot(n, toLight);
        vec3 rgb = c.rgb * (vec3(0.2) + vec3(0.1, 0.3, 0.1));
        if (diffuse > 0.0) {
            rgb += 0.8 * diffuse * c.rgb;
            float h = max(dot(n, normalize(toLight + vec3(0.0, 0.0, 1.0))), 0.0);
            rgb += vec3(pow(h, 125.0));
        }
        c = vec4(rgb, c.a);
    }
    shade = clamp(c, 0.0, 1.0);
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

GLenum glPrimitive(Primitive p) {
    switch (p) {
        case Primitive::points: return GL_POINTS;
        case Primitive::lines: return GL_LINES;
        case Primitive::triangles: return GL_TRIANGLES;
    }
    return GL_POINTS;
}

void setCapability(GLenum capability, bool on) {
    if (on) glEnable(capability);
    else glDisable(capability);
}

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

GLuint link(const char* vertex, const char* fragment, const std::vector<std::pair<GLuint, const char*>>& slots) {
    const GLuint program = glCreateProgram();
    const GLuint vs = compile(GL_VERTEX_SHADER, vertex);
    const GLuint fs = compile(GL_FRAGMENT_SHADER, fragment);
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

}  // namespace

void WebGlRenderer::setUp() {
    program_ = link(kVertexShader, kFragmentShader,
                    {{kPosition, "position"}, {kNormal, "normal"}, {kColour, "colour"}});
    loc_.modelview = glGetUniformLocation(program_, "modelview");
    loc_.projection = glGetUniformLocation(program_, "projection");
    loc_.normalMatrix = glGetUniformLocation(program_, "normalMatrix");
    loc_.lit = glGetUniformLocation(program_, "lit");
    loc_.pointSize = glGetUniformLocation(program_, "pointSize");

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
    glUseProgram(program_);
    float projection[16];
    toFloats(frame.projection, projection);
    glUniformMatrix4fv(loc_.projection, 1, GL_FALSE, projection);
    for (const DrawItem& item : frame.items) drawItem(frame, item);

    if (offscreen) {
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        glDisable(GL_DEPTH_TEST);
        glDisable(GL_BLEND);
        drawTexture(work_.texture);
        if (frame.keepPicture) {
            std::swap(work_, keptPicture_);
            keptValid_ = true;
        }
    }
    forgetUnusedBuffers(frame);
}

void WebGlRenderer::drawItem(const Frame& frame, const DrawItem& item) {
    if (!item.geometry || item.geometry->count <= 0) return;
    const Geometry& g = *item.geometry;
    float modelview[16];
    toFloats(item.modelview, modelview);
    glUniformMatrix4fv(loc_.modelview, 1, GL_FALSE, modelview);
    const bool lit = frame.lighting && item.lit;
    glUniform1f(loc_.lit, lit ? 1.0f : 0.0f);
    if (lit) {
        float normals[9];
        normalMatrix(item.modelview, normals);
        glUniformMatrix3fv(loc_.normalMatrix, 1, GL_FALSE, normals);
    }
    glUniform1f(loc_.pointSize, item.pointSize);
    // Browsers draw lines one pixel wide whatever is asked; the call is kept for those that can.
    glLineWidth(item.lineWidth);
    bindGeometry(g);
    if (g.colours.empty()) {
        glDisableVertexAttribArray(kColour);
        glVertexAttrib4f(kColour, item.colour.r, item.colour.g, item.colour.b, item.colour.a);
    }
    if (g.normals.empty()) {
        glDisableVertexAttribArray(kNormal);
        glVertexAttrib3f(kNormal, static_cast<float>(item.normal.x), static_cast<float>(item.normal.y),
                         static_cast<float>(item.normal.z));
    }
    glDrawArrays(glPrimitive(g.primitive), 0, g.count);
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
    if (!g.normals.empty()) {
        glGenBuffers(1, &b.normal);
        upload(b.normal, g.normals, GL_STATIC_DRAW);
    }
    if (!g.colours.empty()) {
        glGenBuffers(1, &b.colour);
        upload(b.colour, g.colours, GL_STATIC_DRAW);
    }
    recordedThisFrame_ = true;
    return kept_.emplace(g.id, b).first->second;
}

// A scene built anew brings new kept geometry: once a frame uploads some, every buffer whose
// geometry that frame does not draw is freed, so the GPU never holds more than one scene.
void WebGlRenderer::forgetUnusedBuffers(const Frame& frame) {
    if (!recordedThisFrame_) return;
    recordedThisFrame_ = false;
    std::unordered_set<std::uint64_t> drawn;
    for (const DrawItem& item : frame.items)
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
}

std::vector<unsigned char> WebGlRenderer::readPixels(int width, int height) const {
    std::vector<unsigned char> rgba;
    if (width <= 0 || height <= 0) return rgba;
    rgba.resize(static_cast<size_t>(width) * static_cast<size_t>(height) * 4);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
    return rgba;
}
