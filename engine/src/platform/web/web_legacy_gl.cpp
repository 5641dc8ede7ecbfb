// The fixed-function layer on WebGL 2 (see web_legacy_gl.h). Every primitive
// is transformed to clip space here and drawn as triangles by one shader that
// multiplies the vertex colour by the texture (GL 1.x's GL_MODULATE) where
// texturing is on. Lines become quads of the line width in pixels; with
// GL_LINE_SMOOTH on they get one more pixel a side whose alpha falls off
// with the distance from the line, as coverage-based smoothing does.
#include "platform/web/web_legacy_gl.h"

#include <GL/gl.h>
#include <GL/glu.h>
#include <webgl/webgl1.h>
#include <webgl/webgl2.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <string>
#include <vector>

#include "core/failure.h"

namespace fluxcore::platform {

namespace {

using Matrix = std::array<float, 16>;  // column-major, as GL keeps it

constexpr Matrix kIdentity = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
constexpr std::size_t kMaxModelviewDepth = 32;   // GL's least stack depths
constexpr std::size_t kMaxProjectionDepth = 2;
constexpr std::size_t kMaxAttribDepth = 16;
constexpr int kFloatsPerVertex = 12;  // clip position 4, colour 4, texture 2, line distance and limit 2
constexpr float kNoEdge = 1.0e6f;      // a line limit no distance reaches: full coverage

Matrix multiply(const Matrix& a, const Matrix& b) {
    Matrix r{};
    for (int col = 0; col < 4; ++col) {
        for (int row = 0; row < 4; ++row) {
            float sum = 0.0f;
            for (int k = 0; k < 4; ++k) sum += a[k * 4 + row] * b[col * 4 + k];
            r[col * 4 + row] = sum;
        }
    }
    return r;
}

struct Vec4 {
    float x, y, z, w;
};

Vec4 transform(const Matrix& m, float x, float y, float z) {
    return {m[0] * x + m[4] * y + m[8] * z + m[12], m[1] * x + m[5] * y + m[9] * z + m[13],
            m[2] * x + m[6] * y + m[10] * z + m[14], m[3] * x + m[7] * y + m[11] * z + m[15]};
}

struct Vertex {
    float x, y, z;
    std::array<float, 4> colour;
    float s, t;
};

struct Attributes {
    GLbitfield mask;
    std::array<float, 4> colour;
    float s, t;
    bool texture, lineSmooth, blend, depthTest, scissorTest;
    std::array<GLint, 4> scissorBox;
};

const char* const kVertexShader = R"(#version 300 es
in vec4 a_position;
in vec4 a_colour;
in vec2 a_texcoord;
in vec2 a_line;
out vec4 v_colour;
out vec2 v_texcoord;
out vec2 v_line;
void main() {
    v_colour = a_colour;
    v_texcoord = a_texcoord;
    v_line = a_line;
    gl_Position = a_position;
}
)";

const char* const kFragmentShader = R"(#version 300 es
precision highp float;
uniform sampler2D u_texture;
uniform bool u_textured;
in vec4 v_colour;
in vec2 v_texcoord;
in vec2 v_line;
out vec4 fragment;
void main() {
    vec4 colour = clamp(v_colour, 0.0, 1.0);
    if (u_textured) colour *= texture(u_texture, v_texcoord);
    colour.a *= clamp(v_line.y - abs(v_line.x), 0.0, 1.0);
    fragment = colour;
}
)";

GLuint compile(GLenum type, const char* source, const char* stage) {
    const GLuint shader = emscripten_glCreateShader(type);
    emscripten_glShaderSource(shader, 1, &source, nullptr);
    emscripten_glCompileShader(shader);
    GLint ok = GL_FALSE;
    emscripten_glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
    if (!ok) {
        char log[512] = {};
        emscripten_glGetShaderInfoLog(shader, sizeof log, nullptr, log);
        emscripten_glDeleteShader(shader);
        fail("WebGL: the %s shader does not compile (%s)", stage, log);
    }
    return shader;
}

}  // namespace

struct LegacyGl::State {
    GLuint program = 0;
    GLuint buffer = 0;
    GLint texturedUniform = -1;
    GLint positionAttribute = -1, colourAttribute = -1, texcoordAttribute = -1, lineAttribute = -1;

    std::vector<Matrix> modelview{kIdentity};
    std::vector<Matrix> projection{kIdentity};
    GLenum matrixMode = GL_MODELVIEW;
    std::vector<Attributes> attribStack;

    std::array<float, 4> colour{1.0f, 1.0f, 1.0f, 1.0f};
    float s = 0.0f, t = 0.0f;
    bool texture = false;
    bool lineSmooth = false;
    float lineWidth = 1.0f;

    bool inside = false;  // between glBegin and glEnd
    GLenum mode = 0;
    std::vector<Vertex> vertices;
    std::vector<float> out;  // the triangles of one primitive, kFloatsPerVertex a vertex

    std::vector<Matrix>& stack() { return matrixMode == GL_PROJECTION ? projection : modelview; }
    Matrix& top() { return stack().back(); }
    void multiplyTop(const Matrix& m) { top() = multiply(top(), m); }

    void emit(const Vec4& p, const Vertex& v, float distance, float limit) {
        out.insert(out.end(), {p.x, p.y, p.z, p.w, v.colour[0], v.colour[1], v.colour[2], v.colour[3], v.s, v.t,
                               distance, limit});
    }
    void emitTriangle(const Matrix& mvp, const Vertex& a, const Vertex& b, const Vertex& c) {
        for (const Vertex* v : {&a, &b, &c}) emit(transform(mvp, v->x, v->y, v->z), *v, 0.0f, kNoEdge);
    }
    void emitLine(const Matrix& mvp, const Vertex& a, const Vertex& b, float viewWidth, float viewHeight);
    void end();
};

namespace {
LegacyGl::State* gCurrent = nullptr;  // the layer GL calls draw through, as GL's current context

LegacyGl::State& current() {
    if (!gCurrent) fail("OpenGL call without a WebGL context");
    return *gCurrent;
}
}  // namespace

LegacyGl::LegacyGl() : state_(std::make_unique<State>()) {
    State& s = *state_;
    const GLuint vertex = compile(GL_VERTEX_SHADER, kVertexShader, "vertex");
    const GLuint fragment = compile(GL_FRAGMENT_SHADER, kFragmentShader, "fragment");
    s.program = emscripten_glCreateProgram();
    emscripten_glAttachShader(s.program, vertex);
    emscripten_glAttachShader(s.program, fragment);
    emscripten_glLinkProgram(s.program);
    emscripten_glDeleteShader(vertex);
    emscripten_glDeleteShader(fragment);
    GLint linked = GL_FALSE;
    emscripten_glGetProgramiv(s.program, GL_LINK_STATUS, &linked);
    if (!linked) {
        emscripten_glDeleteProgram(s.program);
        fail("WebGL: the legacy layer's shaders do not link");
    }
    s.positionAttribute = emscripten_glGetAttribLocation(s.program, "a_position");
    s.colourAttribute = emscripten_glGetAttribLocation(s.program, "a_colour");
    s.texcoordAttribute = emscripten_glGetAttribLocation(s.program, "a_texcoord");
    s.lineAttribute = emscripten_glGetAttribLocation(s.program, "a_line");
    s.texturedUniform = emscripten_glGetUniformLocation(s.program, "u_textured");
    emscripten_glUseProgram(s.program);
    emscripten_glUniform1i(emscripten_glGetUniformLocation(s.program, "u_texture"), 0);
    emscripten_glGenBuffers(1, &s.buffer);
    emscripten_glBindBuffer(GL_ARRAY_BUFFER, s.buffer);
    const GLsizei stride = kFloatsPerVertex * sizeof(float);
    const GLint attributes[] = {s.positionAttribute, s.colourAttribute, s.texcoordAttribute, s.lineAttribute};
    const GLint sizes[] = {4, 4, 2, 2};
    std::size_t offset = 0;
    for (int i = 0; i < 4; ++i) {
        emscripten_glEnableVertexAttribArray(static_cast<GLuint>(attributes[i]));
        emscripten_glVertexAttribPointer(static_cast<GLuint>(attributes[i]), sizes[i], GL_FLOAT, GL_FALSE, stride,
                                         reinterpret_cast<const void*>(offset));
        offset += static_cast<std::size_t>(sizes[i]) * sizeof(float);
    }
    s.vertices.reserve(4096);
    s.out.reserve(4096 * kFloatsPerVertex);
    gCurrent = state_.get();
}

LegacyGl::~LegacyGl() {
    emscripten_glDeleteBuffers(1, &state_->buffer);
    emscripten_glDeleteProgram(state_->program);
    if (gCurrent == state_.get()) gCurrent = nullptr;
}

// Clips the segment to the near plane (z > -w in clip space), then widens it
// across its direction on the screen.
void LegacyGl::State::emitLine(const Matrix& mvp, const Vertex& a, const Vertex& b, float viewWidth,
                               float viewHeight) {
    Vec4 p = transform(mvp, a.x, a.y, a.z);
    Vec4 q = transform(mvp, b.x, b.y, b.z);
    const float dp = p.z + p.w, dq = q.z + q.w;
    if (dp < 0.0f && dq < 0.0f) return;
    auto lerp = [](const Vec4& u, const Vec4& v, float k) {
        return Vec4{u.x + (v.x - u.x) * k, u.y + (v.y - u.y) * k, u.z + (v.z - u.z) * k, u.w + (v.w - u.w) * k};
    };
    if (dp < 0.0f) p = lerp(p, q, dp / (dp - dq));
    if (dq < 0.0f) q = lerp(q, p, dq / (dq - dp));
    if (p.w <= 0.0f || q.w <= 0.0f) return;
    const float dx = (q.x / q.w - p.x / p.w) * viewWidth * 0.5f;
    const float dy = (q.y / q.w - p.y / p.w) * viewHeight * 0.5f;
    const float length = std::sqrt(dx * dx + dy * dy);
    if (length <= 0.0f) return;
    const float half = std::max(lineWidth, 1.0f) * 0.5f;
    const float extent = lineSmooth ? half + 1.0f : half;
    const float limit = lineSmooth ? half + 0.5f : kNoEdge;
    // The offset across the line, in clip units per unit of w.
    const float nx = -dy / length * extent * 2.0f / viewWidth;
    const float ny = dx / length * extent * 2.0f / viewHeight;
    const Vec4 p0{p.x + nx * p.w, p.y + ny * p.w, p.z, p.w}, p1{p.x - nx * p.w, p.y - ny * p.w, p.z, p.w};
    const Vec4 q0{q.x + nx * q.w, q.y + ny * q.w, q.z, q.w}, q1{q.x - nx * q.w, q.y - ny * q.w, q.z, q.w};
    emit(p0, a, extent, limit);
    emit(p1, a, -extent, limit);
    emit(q0, b, extent, limit);
    emit(p1, a, -extent, limit);
    emit(q1, b, -extent, limit);
    emit(q0, b, extent, limit);
}

void LegacyGl::State::end() {
    inside = false;
    out.clear();
    const Matrix mvp = multiply(projection.back(), modelview.back());
    const std::size_t n = vertices.size();
    switch (mode) {
        case GL_TRIANGLES:
            for (std::size_t i = 0; i + 2 < n; i += 3) emitTriangle(mvp, vertices[i], vertices[i + 1], vertices[i + 2]);
            break;
        case GL_QUADS:
            for (std::size_t i = 0; i + 3 < n; i += 4) {
                emitTriangle(mvp, vertices[i], vertices[i + 1], vertices[i + 2]);
                emitTriangle(mvp, vertices[i], vertices[i + 2], vertices[i + 3]);
            }
            break;
        case GL_QUAD_STRIP:
            for (std::size_t i = 0; i + 3 < n; i += 2) {
                emitTriangle(mvp, vertices[i], vertices[i + 1], vertices[i + 3]);
                emitTriangle(mvp, vertices[i], vertices[i + 3], vertices[i + 2]);
            }
            break;
        case GL_LINES:
        case GL_LINE_STRIP: {
            GLint view[4] = {0, 0, 1, 1};
            emscripten_glGetIntegerv(GL_VIEWPORT, view);
            const float w = static_cast<float>(std::max(view[2], 1)), h = static_cast<float>(std::max(view[3], 1));
            const std::size_t step = mode == GL_LINES ? 2 : 1;
            for (std::size_t i = 0; i + 1 < n; i += step) emitLine(mvp, vertices[i], vertices[i + 1], w, h);
            break;
        }
        default:
            break;
    }
    vertices.clear();
    if (out.empty()) return;
    emscripten_glUseProgram(program);
    emscripten_glUniform1i(texturedUniform, texture ? 1 : 0);
    emscripten_glBindBuffer(GL_ARRAY_BUFFER, buffer);
    emscripten_glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(out.size() * sizeof(float)), out.data(),
                            GL_STREAM_DRAW);
    emscripten_glDrawArrays(GL_TRIANGLES, 0, static_cast<GLsizei>(out.size() / kFloatsPerVertex));
}

}  // namespace fluxcore::platform

using fluxcore::platform::current;
using fluxcore::platform::Matrix;

extern "C" {

void glBegin(GLenum mode) {
    auto& s = current();
    s.inside = true;
    s.mode = mode;
    s.vertices.clear();
}

void glEnd(void) { current().end(); }

void glVertex3f(GLfloat x, GLfloat y, GLfloat z) {
    auto& s = current();
    if (s.inside) s.vertices.push_back({x, y, z, s.colour, s.s, s.t});
}
void glVertex2f(GLfloat x, GLfloat y) { glVertex3f(x, y, 0.0f); }
void glVertex3fv(const GLfloat* v) { glVertex3f(v[0], v[1], v[2]); }

void glColor4f(GLfloat r, GLfloat g, GLfloat b, GLfloat a) { current().colour = {r, g, b, a}; }

void glTexCoord2f(GLfloat s, GLfloat t) {
    auto& state = current();
    state.s = s;
    state.t = t;
}

void glMatrixMode(GLenum mode) { current().matrixMode = mode; }
void glLoadIdentity(void) { current().top() = fluxcore::platform::kIdentity; }

void glPushMatrix(void) {
    auto& stack = current().stack();
    const std::size_t limit = current().matrixMode == GL_PROJECTION ? fluxcore::platform::kMaxProjectionDepth
                                                                     : fluxcore::platform::kMaxModelviewDepth;
    if (stack.size() < limit) stack.push_back(stack.back());  // GL_STACK_OVERFLOW otherwise: no change
}

void glPopMatrix(void) {
    auto& stack = current().stack();
    if (stack.size() > 1) stack.pop_back();
}

void glTranslatef(GLfloat x, GLfloat y, GLfloat z) {
    current().multiplyTop({1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, x, y, z, 1});
}

void glScalef(GLfloat x, GLfloat y, GLfloat z) {
    current().multiplyTop({x, 0, 0, 0, 0, y, 0, 0, 0, 0, z, 0, 0, 0, 0, 1});
}

void glRotatef(GLfloat angle, GLfloat x, GLfloat y, GLfloat z) {
    const float length = std::sqrt(x * x + y * y + z * z);
    if (length <= 0.0f) return;
    x /= length;
    y /= length;
    z /= length;
    const float radians = angle * static_cast<float>(M_PI) / 180.0f;
    const float c = std::cos(radians), s = std::sin(radians), k = 1.0f - c;
    current().multiplyTop({x * x * k + c, y * x * k + z * s, x * z * k - y * s, 0,
                           x * y * k - z * s, y * y * k + c, y * z * k + x * s, 0,
                           x * z * k + y * s, y * z * k - x * s, z * z * k + c, 0,
                           0, 0, 0, 1});
}

void glOrtho(GLdouble left, GLdouble right, GLdouble bottom, GLdouble top, GLdouble zNear, GLdouble zFar) {
    const double w = right - left, h = top - bottom, d = zFar - zNear;
    current().multiplyTop({static_cast<float>(2.0 / w), 0, 0, 0, 0, static_cast<float>(2.0 / h), 0, 0, 0, 0,
                           static_cast<float>(-2.0 / d), 0, static_cast<float>(-(right + left) / w),
                           static_cast<float>(-(top + bottom) / h), static_cast<float>(-(zFar + zNear) / d), 1});
}

void glLineWidth(GLfloat width) {
    if (width > 0.0f) current().lineWidth = width;
}

// GL_LINE_SMOOTH_HINT has no WebGL counterpart; the layer always smooths its
// lines the one way.
void glHint(GLenum target, GLenum mode) {
    if (target != GL_LINE_SMOOTH_HINT) emscripten_glHint(target, mode);
}

void glEnable(GLenum capability) {
    auto& s = current();
    switch (capability) {
        case GL_TEXTURE_2D: s.texture = true; break;
        case GL_LINE_SMOOTH: s.lineSmooth = true; break;
        case GL_MULTISAMPLE: break;  // WebGL multisamples where the context was made so
        default: emscripten_glEnable(capability); break;
    }
}

void glDisable(GLenum capability) {
    auto& s = current();
    switch (capability) {
        case GL_TEXTURE_2D: s.texture = false; break;
        case GL_LINE_SMOOTH: s.lineSmooth = false; break;
        case GL_MULTISAMPLE: break;
        default: emscripten_glDisable(capability); break;
    }
}

void glGetFloatv(GLenum name, GLfloat* values) {
    auto& s = current();
    if (name == GL_MODELVIEW_MATRIX || name == GL_PROJECTION_MATRIX) {
        const Matrix& m = name == GL_MODELVIEW_MATRIX ? s.modelview.back() : s.projection.back();
        std::copy(m.begin(), m.end(), values);
        return;
    }
    emscripten_glGetFloatv(name, values);
}

// WebGL 2 takes textures of any size (clamped, unmipmapped, as the engine
// makes them); the list says so in desktop GL's words.
const GLubyte* glGetString(GLenum name) {
    if (name != GL_EXTENSIONS) return emscripten_glGetString(name);
    static const std::string extensions =
        std::string(reinterpret_cast<const char*>(emscripten_glGetString(GL_EXTENSIONS))) +
        " GL_ARB_texture_non_power_of_two";
    return reinterpret_cast<const GLubyte*>(extensions.c_str());
}

void glPushAttrib(GLbitfield mask) {
    auto& s = current();
    if (s.attribStack.size() >= fluxcore::platform::kMaxAttribDepth) return;
    fluxcore::platform::Attributes a{};
    a.mask = mask;
    a.colour = s.colour;
    a.s = s.s;
    a.t = s.t;
    a.texture = s.texture;
    a.lineSmooth = s.lineSmooth;
    a.blend = emscripten_glIsEnabled(GL_BLEND);
    a.depthTest = emscripten_glIsEnabled(GL_DEPTH_TEST);
    a.scissorTest = emscripten_glIsEnabled(GL_SCISSOR_TEST);
    if (mask & GL_SCISSOR_BIT) emscripten_glGetIntegerv(GL_SCISSOR_BOX, a.scissorBox.data());
    s.attribStack.push_back(a);
}

void glPopAttrib(void) {
    auto& s = current();
    if (s.attribStack.empty()) return;
    const fluxcore::platform::Attributes a = s.attribStack.back();
    s.attribStack.pop_back();
    auto set = [](GLenum capability, bool on) { on ? emscripten_glEnable(capability) : emscripten_glDisable(capability); };
    if (a.mask & GL_CURRENT_BIT) {
        s.colour = a.colour;
        s.s = a.s;
        s.t = a.t;
    }
    if (a.mask & GL_ENABLE_BIT) {
        s.texture = a.texture;
        s.lineSmooth = a.lineSmooth;
        set(GL_BLEND, a.blend);
        set(GL_DEPTH_TEST, a.depthTest);
    }
    if (a.mask & (GL_ENABLE_BIT | GL_SCISSOR_BIT)) set(GL_SCISSOR_TEST, a.scissorTest);
    if (a.mask & GL_SCISSOR_BIT) emscripten_glScissor(a.scissorBox[0], a.scissorBox[1], a.scissorBox[2], a.scissorBox[3]);
}

// GLU's look-at: the eye at `eye` looking at `centre`, `up` giving the roll.
void gluLookAt(GLdouble eyeX, GLdouble eyeY, GLdouble eyeZ, GLdouble centreX, GLdouble centreY, GLdouble centreZ,
               GLdouble upX, GLdouble upY, GLdouble upZ) {
    double f[3] = {centreX - eyeX, centreY - eyeY, centreZ - eyeZ};
    const double fl = std::sqrt(f[0] * f[0] + f[1] * f[1] + f[2] * f[2]);
    if (fl > 0.0) for (double& v : f) v /= fl;
    double side[3] = {f[1] * upZ - f[2] * upY, f[2] * upX - f[0] * upZ, f[0] * upY - f[1] * upX};
    const double sl = std::sqrt(side[0] * side[0] + side[1] * side[1] + side[2] * side[2]);
    if (sl > 0.0) for (double& v : side) v /= sl;
    const double up[3] = {side[1] * f[2] - side[2] * f[1], side[2] * f[0] - side[0] * f[2],
                          side[0] * f[1] - side[1] * f[0]};
    const Matrix m = {static_cast<float>(side[0]), static_cast<float>(up[0]), static_cast<float>(-f[0]), 0,
                      static_cast<float>(side[1]), static_cast<float>(up[1]), static_cast<float>(-f[1]), 0,
                      static_cast<float>(side[2]), static_cast<float>(up[2]), static_cast<float>(-f[2]), 0,
                      0, 0, 0, 1};
    current().multiplyTop(m);
    glTranslatef(static_cast<float>(-eyeX), static_cast<float>(-eyeY), static_cast<float>(-eyeZ));
}

void gluPerspective(GLdouble fovy, GLdouble aspect, GLdouble zNear, GLdouble zFar) {
    const double radians = fovy / 2.0 * M_PI / 180.0;
    const double depth = zFar - zNear;
    const double sine = std::sin(radians);
    if (depth == 0.0 || sine == 0.0 || aspect == 0.0) return;
    const double cotangent = std::cos(radians) / sine;
    current().multiplyTop({static_cast<float>(cotangent / aspect), 0, 0, 0, 0, static_cast<float>(cotangent), 0, 0,
                           0, 0, static_cast<float>(-(zFar + zNear) / depth), -1, 0, 0,
                           static_cast<float>(-2.0 * zNear * zFar / depth), 0});
}

GLint gluScaleImage(GLenum format, GLsizei wIn, GLsizei hIn, GLenum typeIn, const void* dataIn, GLsizei wOut,
                    GLsizei hOut, GLenum typeOut, void* dataOut) {
    if (format != GL_RGBA || typeIn != GL_UNSIGNED_BYTE || typeOut != GL_UNSIGNED_BYTE) return GLU_INVALID_ENUM;
    if (wIn <= 0 || hIn <= 0 || wOut <= 0 || hOut <= 0) return GLU_INVALID_ENUM;
    const auto* in = static_cast<const unsigned char*>(dataIn);
    auto* out = static_cast<unsigned char*>(dataOut);
    for (int y = 0; y < hOut; ++y) {
        const float fy = std::max(0.0f, (y + 0.5f) * hIn / hOut - 0.5f);
        const int y0 = std::min(static_cast<int>(fy), hIn - 1), y1 = std::min(y0 + 1, hIn - 1);
        const float ky = fy - static_cast<float>(y0);
        for (int x = 0; x < wOut; ++x) {
            const float fx = std::max(0.0f, (x + 0.5f) * wIn / wOut - 0.5f);
            const int x0 = std::min(static_cast<int>(fx), wIn - 1), x1 = std::min(x0 + 1, wIn - 1);
            const float kx = fx - static_cast<float>(x0);
            for (int c = 0; c < 4; ++c) {
                auto at = [&](int px, int py) { return static_cast<float>(in[(py * wIn + px) * 4 + c]); };
                const float top = at(x0, y0) + (at(x1, y0) - at(x0, y0)) * kx;
                const float bottom = at(x0, y1) + (at(x1, y1) - at(x0, y1)) * kx;
                out[(y * wOut + x) * 4 + c] = static_cast<unsigned char>(std::lround(top + (bottom - top) * ky));
            }
        }
    }
    return 0;
}

const GLubyte* gluErrorString(GLenum error) {
    return reinterpret_cast<const GLubyte*>(error == GLU_INVALID_ENUM ? "invalid enumerant" : "unknown GLU error");
}

}  // extern "C"
