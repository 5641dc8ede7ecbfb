// Internal state of the recording GL layer, shared by its translation units:
// the table of recorded entry points, the trace storage and the simulated
// OpenGL context.
#pragma once

#include <GL/gl.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "glrecord.h"

namespace glrecord::detail {

// Every recorded entry point: X(name, allowed between glBegin and glEnd).
#define GLRECORD_FUNCTIONS(X)                                                        \
    X(glBegin, 0) X(glEnd, 1)                                                        \
    X(glVertex2f, 1) X(glVertex2i, 1) X(glVertex2d, 1) X(glVertex2fv, 1)             \
    X(glVertex3f, 1) X(glVertex3d, 1) X(glVertex3fv, 1) X(glVertex4f, 1)             \
    X(glColor3f, 1) X(glColor4f, 1) X(glColor3fv, 1) X(glColor4fv, 1)                \
    X(glColor3ub, 1) X(glColor4ub, 1) X(glColor4ubv, 1) X(glColor3d, 1)              \
    X(glColor4d, 1)                                                                  \
    X(glTexCoord2f, 1) X(glTexCoord2fv, 1) X(glTexCoord2i, 1) X(glTexCoord2d, 1)     \
    X(glNormal3f, 1) X(glNormal3fv, 1)                                               \
    X(glBindTexture, 0) X(glGenTextures, 0) X(glDeleteTextures, 0)                   \
    X(glIsTexture, 0) X(glTexImage2D, 0) X(glTexSubImage2D, 0)                       \
    X(glCopyTexSubImage2D, 0) X(glTexParameteri, 0) X(glTexParameterf, 0)            \
    X(glTexEnvi, 0) X(glTexEnvf, 0) X(glPixelStorei, 0)                              \
    X(glEnable, 0) X(glDisable, 0) X(glIsEnabled, 0) X(glBlendFunc, 0)               \
    X(glBlendEquation, 0) X(glHint, 0) X(glLineWidth, 0) X(glPointSize, 0)           \
    X(glShadeModel, 0) X(glDepthFunc, 0) X(glDepthMask, 0) X(glClearDepth, 0)        \
    X(glColorMask, 0) X(glAlphaFunc, 0) X(glCullFace, 0) X(glFrontFace, 0)           \
    X(glPolygonMode, 0) X(glScissor, 0) X(glViewport, 0) X(glClear, 0)               \
    X(glClearColor, 0) X(glFlush, 0) X(glFinish, 0) X(glGetError, 1)                 \
    X(glGetString, 0) X(glGetIntegerv, 0) X(glGetFloatv, 0) X(glGetDoublev, 0)       \
    X(glGetBooleanv, 0) X(glReadPixels, 0) X(glReadBuffer, 0) X(glDrawBuffer, 0)     \
    X(glMatrixMode, 0) X(glLoadIdentity, 0) X(glLoadMatrixf, 0) X(glLoadMatrixd, 0)  \
    X(glMultMatrixf, 0) X(glMultMatrixd, 0) X(glPushMatrix, 0) X(glPopMatrix, 0)     \
    X(glTranslatef, 0) X(glTranslated, 0) X(glRotatef, 0) X(glRotated, 0)            \
    X(glScalef, 0) X(glScaled, 0) X(glOrtho, 0) X(glFrustum, 0)                      \
    X(glPushAttrib, 0) X(glPopAttrib, 0)                                             \
    X(gluLookAt, 0) X(gluPerspective, 0) X(gluOrtho2D, 0) X(gluScaleImage, 0)        \
    X(gluBuild2DMipmaps, 0) X(gluErrorString, 1)                                     \
    X(glGenFramebuffers, 0) X(glDeleteFramebuffers, 0) X(glBindFramebuffer, 0)       \
    X(glFramebufferRenderbuffer, 0) X(glCheckFramebufferStatus, 0)                   \
    X(glBlitFramebuffer, 0) X(glGenRenderbuffers, 0) X(glDeleteRenderbuffers, 0)     \
    X(glBindRenderbuffer, 0) X(glRenderbufferStorage, 0)                             \
    X(glRenderbufferStorageMultisample, 0)

enum class Fn : std::uint16_t {
#define GLRECORD_ENUM(name, inBegin) name,
    GLRECORD_FUNCTIONS(GLRECORD_ENUM)
#undef GLRECORD_ENUM
};
#define GLRECORD_COUNT(name, inBegin) +1
constexpr std::size_t kFnCount = 0 GLRECORD_FUNCTIONS(GLRECORD_COUNT);
#undef GLRECORD_COUNT

const char* fnName(Fn fn);
bool fnFromName(const char* name, Fn& fn);

// Column-major 4 x 4 matrix: element (row r, column c) at m[c * 4 + r].
struct Mat4 {
    float m[16];
};
Mat4 identityMatrix();

struct MatrixStack {
    std::array<Mat4, 32> entries;
    int depth = 1;
    int maxDepth = 32;
    Mat4& top() { return entries[static_cast<std::size_t>(depth - 1)]; }
};

// The capabilities glEnable knows; index in this list = bit in Attributes::enables.
int capabilityIndex(GLenum cap);  // -1 for an unknown capability

// Everything glPushAttrib can save, grouped by the attribute bits in glrecord_state.cpp.
struct Attributes {
    std::uint64_t enables = 0;
    float colour[4] = {1, 1, 1, 1};
    float texCoord[4] = {0, 0, 0, 1};
    float normal[3] = {0, 0, 1};
    GLenum blendSrc = GL_ONE, blendDst = GL_ZERO, blendEquation = GL_FUNC_ADD;
    GLenum alphaFunc = GL_ALWAYS;
    float alphaRef = 0;
    float clearColour[4] = {0, 0, 0, 0};
    bool colourMask[4] = {true, true, true, true};
    GLenum depthFunc = GL_LESS;
    bool depthMask = true;
    double clearDepth = 1;
    float lineWidth = 1;
    float pointSize = 1;
    GLuint texture2D = 0;
    GLenum texEnvMode = GL_MODULATE;
    int viewport[4] = {0, 0, 640, 480};
    int scissor[4] = {0, 0, 640, 480};
    GLenum cullFace = GL_BACK, frontFace = GL_CCW;
    GLenum polygonMode[2] = {GL_FILL, GL_FILL};
    GLenum shadeModel = GL_SMOOTH;
    GLenum matrixMode = GL_MODELVIEW;
    GLenum hints[7] = {GL_DONT_CARE, GL_DONT_CARE, GL_DONT_CARE, GL_DONT_CARE,
                       GL_DONT_CARE, GL_DONT_CARE, GL_DONT_CARE};
};
int hintIndex(GLenum target);  // -1 for an unknown hint target

struct TextureObject {
    bool exists = false;
    int width = 0, height = 0, internalFormat = 0;
    int minFilter = GL_NEAREST_MIPMAP_LINEAR, magFilter = GL_LINEAR;
    int wrapS = GL_REPEAT, wrapT = GL_REPEAT;
};
constexpr GLuint kMaxTextures = 4096;

// Framebuffer objects with renderbuffer attachments (OpenGL 3.0).
struct RenderbufferObject {
    bool exists = false;
    int width = 0, height = 0, samples = 0;  // width 0: no storage
    GLenum format = 0;
};
struct FramebufferObject {
    bool exists = false;
    GLuint colour = 0, depth = 0;  // attached renderbuffers
};
constexpr GLuint kMaxFramebufferObjects = 64;  // names below this of each kind are tracked
constexpr int kMaxRenderbufferSize = 8192;
constexpr int kMaxSamples = 4;
constexpr std::size_t kRenderbufferMemory = std::size_t{256} << 20;  // all renderbuffers' storage together
constexpr int kAttribDepth = 16;

struct RawCall {
    Fn fn;
    std::uint32_t firstArg;
    std::uint32_t argCount;
};

struct State {
    Mode mode = Mode::Record;
    std::size_t total = 0;
    std::array<std::size_t, kFnCount> perFn{};
    // Trace storage: compact records, turned into Call objects when asked for.
    std::vector<RawCall> raw;
    std::vector<double> args;
    std::vector<Call> calls;
    std::vector<Primitive> primitives;

    GLenum error = GL_NO_ERROR;
    bool insideBegin = false;
    MatrixStack modelview, projection, texture;
    Attributes cur;
    std::array<Attributes, kAttribDepth> attribStack;
    std::array<GLbitfield, kAttribDepth> attribMasks{};
    int attribDepth = 0;
    std::array<TextureObject, kMaxTextures> textures;
    GLuint nextTexture = 1;
    int packAlignment = 4, unpackAlignment = 4, packRowLength = 0, unpackRowLength = 0;
    GLenum readBuffer = GL_BACK, drawBuffer = GL_BACK;
    std::array<FramebufferObject, kMaxFramebufferObjects> framebuffers;
    std::array<RenderbufferObject, kMaxFramebufferObjects> renderbuffers;
    GLuint nextFramebuffer = 1, nextRenderbuffer = 1;
    GLuint drawFramebuffer = 0, readFramebuffer = 0, renderbuffer = 0;  // bindings; 0 is the window's
    std::size_t renderbufferBytes = 0;
    int windowSamples = 0;  // GL_SAMPLES of the window's framebuffer
};

// GL_SAMPLES of the framebuffer bound for drawing.
int drawFramebufferSamples();

State& state();
void resetContext(int width, int height);  // the GL state of a fresh context
void raiseError(GLenum error);             // keeps the first error until glGetError
MatrixStack& currentStack();

// Counts the call and, in Record mode, stores it. Returns false when OpenGL
// would ignore the command because it came between glBegin and glEnd.
bool recordv(Fn fn, const double* args, std::size_t count);
inline bool record(Fn fn) { return recordv(fn, nullptr, 0); }
template <typename... A>
bool record(Fn fn, A... a) {
    const double values[] = {static_cast<double>(a)...};
    return recordv(fn, values, sizeof...(A));
}
template <typename T>
bool recordArray(Fn fn, const T* values, std::size_t count) {
    double widened[16];
    for (std::size_t i = 0; i < count; ++i) widened[i] = static_cast<double>(values[i]);
    return recordv(fn, widened, count);
}

// Current model-view * (x, y, z, w) into a vertex of the open primitive (Record mode).
void emitVertex(double x, double y, double z, double w);
void multiplyCurrent(const double m[16]);  // current matrix = current * m (column-major)
void loadCurrent(const double m[16]);

}  // namespace glrecord::detail
