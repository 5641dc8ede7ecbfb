// State queries of the recording GL layer: glGet*, glGetString and
// gluErrorString answer from the simulated context.
#include <GL/glu.h>

#include <algorithm>
#include <cmath>
#include <type_traits>
#include <cstdint>

#include "glrecord_internal.h"

namespace glrecord::detail {

namespace {

constexpr int kMaxTextureSize = 8192;

enum class Kind { Plain, Colour };

// The value of `pname` as up to 16 doubles; 0 for a name this context does not know.
int queryValues(GLenum pname, double out[16], Kind& kind) {
    const State& s = state();
    const Attributes& a = s.cur;
    kind = Kind::Plain;
    auto put = [out](std::initializer_list<double> values) {
        int n = 0;
        for (double v : values) out[n++] = v;
        return n;
    };
    auto matrix = [out](const Mat4& m) {
        for (int i = 0; i < 16; ++i) out[i] = m.m[i];
        return 16;
    };
    if (capabilityIndex(pname) >= 0) return put({glrecord::isEnabled(pname) ? 1.0 : 0.0});
    const int hint = hintIndex(pname);
    if (hint >= 0) return put({static_cast<double>(a.hints[hint])});
    switch (pname) {
        case GL_MODELVIEW_MATRIX: return matrix(s.modelview.entries[s.modelview.depth - 1]);
        case GL_PROJECTION_MATRIX: return matrix(s.projection.entries[s.projection.depth - 1]);
        case GL_TEXTURE_MATRIX: return matrix(s.texture.entries[s.texture.depth - 1]);
        case GL_MODELVIEW_STACK_DEPTH: return put({double(s.modelview.depth)});
        case GL_PROJECTION_STACK_DEPTH: return put({double(s.projection.depth)});
        case GL_TEXTURE_STACK_DEPTH: return put({double(s.texture.depth)});
        case GL_MAX_MODELVIEW_STACK_DEPTH: return put({double(s.modelview.maxDepth)});
        case GL_MAX_PROJECTION_STACK_DEPTH: return put({double(s.projection.maxDepth)});
        case GL_MAX_TEXTURE_STACK_DEPTH: return put({double(s.texture.maxDepth)});
        case GL_ATTRIB_STACK_DEPTH: return put({double(s.attribDepth)});
        case GL_MAX_ATTRIB_STACK_DEPTH: return put({double(kAttribDepth)});
        case GL_MATRIX_MODE: return put({double(a.matrixMode)});
        case GL_CURRENT_COLOR:
            kind = Kind::Colour;
            return put({a.colour[0], a.colour[1], a.colour[2], a.colour[3]});
        case GL_CURRENT_TEXTURE_COORDS:
            return put({a.texCoord[0], a.texCoord[1], a.texCoord[2], a.texCoord[3]});
        case GL_CURRENT_NORMAL: return put({a.normal[0], a.normal[1], a.normal[2]});
        case GL_COLOR_CLEAR_VALUE:
            kind = Kind::Colour;
            return put({a.clearColour[0], a.clearColour[1], a.clearColour[2], a.clearColour[3]});
        case GL_COLOR_WRITEMASK:
            return put({double(a.colourMask[0]), double(a.colourMask[1]), double(a.colourMask[2]),
                        double(a.colourMask[3])});
        case GL_BLEND_SRC: return put({double(a.blendSrc)});
        case GL_BLEND_DST: return put({double(a.blendDst)});
        case GL_BLEND_EQUATION: return put({double(a.blendEquation)});
        case GL_ALPHA_TEST_FUNC: return put({double(a.alphaFunc)});
        case GL_ALPHA_TEST_REF: kind = Kind::Colour; return put({a.alphaRef});
        case GL_DEPTH_FUNC: return put({double(a.depthFunc)});
        case GL_DEPTH_WRITEMASK: return put({double(a.depthMask)});
        case GL_DEPTH_CLEAR_VALUE: return put({a.clearDepth});
        case GL_LINE_WIDTH: return put({a.lineWidth});
        case GL_POINT_SIZE: return put({a.pointSize});
        case GL_SHADE_MODEL: return put({double(a.shadeModel)});
        case GL_CULL_FACE_MODE: return put({double(a.cullFace)});
        case GL_FRONT_FACE: return put({double(a.frontFace)});
        case GL_POLYGON_MODE: return put({double(a.polygonMode[0]), double(a.polygonMode[1])});
        case GL_VIEWPORT:
            return put({double(a.viewport[0]), double(a.viewport[1]), double(a.viewport[2]),
                        double(a.viewport[3])});
        case GL_SCISSOR_BOX:
            return put({double(a.scissor[0]), double(a.scissor[1]), double(a.scissor[2]),
                        double(a.scissor[3])});
        case GL_TEXTURE_BINDING_2D: return put({double(a.texture2D)});
        case GL_MAX_TEXTURE_SIZE: return put({double(kMaxTextureSize)});
        case GL_MAX_VIEWPORT_DIMS: return put({double(kMaxTextureSize), double(kMaxTextureSize)});
        case GL_PACK_ALIGNMENT: return put({double(s.packAlignment)});
        case GL_UNPACK_ALIGNMENT: return put({double(s.unpackAlignment)});
        case GL_PACK_ROW_LENGTH: return put({double(s.packRowLength)});
        case GL_UNPACK_ROW_LENGTH: return put({double(s.unpackRowLength)});
        case GL_READ_BUFFER: return put({double(s.readBuffer)});
        case GL_DRAW_BUFFER: return put({double(s.drawBuffer)});
        case GL_RED_BITS: case GL_GREEN_BITS: case GL_BLUE_BITS: case GL_ALPHA_BITS:
            return put({8});
        case GL_DEPTH_BITS: return put({24});
        case GL_STENCIL_BITS: return put({8});
        case GL_SAMPLE_BUFFERS: return put({drawFramebufferSamples() > 0 ? 1.0 : 0.0});
        case GL_SAMPLES: return put({double(drawFramebufferSamples())});
        case GL_MAX_RENDERBUFFER_SIZE: return put({double(kMaxRenderbufferSize)});
        case GL_MAX_SAMPLES: return put({double(kMaxSamples)});
        case GL_DRAW_FRAMEBUFFER_BINDING: return put({double(s.drawFramebuffer)});
        case GL_READ_FRAMEBUFFER_BINDING: return put({double(s.readFramebuffer)});
        case GL_RENDERBUFFER_BINDING: return put({double(s.renderbuffer)});
        case GL_DOUBLEBUFFER: return put({1});
        default: return 0;
    }
}

// The query as the caller's type; colours map to integers as OpenGL maps them
// (1.0 to the largest GLint), everything else rounds to nearest.
template <typename T>
void answer(Fn fn, GLenum pname, T* params) {
    if (!record(fn, pname)) return;
    double values[16];
    Kind kind;
    const int n = queryValues(pname, values, kind);
    if (n == 0) return raiseError(GL_INVALID_ENUM);
    for (int i = 0; i < n; ++i) {
        if constexpr (std::is_same_v<T, GLint>) {
            const double scaled = kind == Kind::Colour ? values[i] * 2147483647.0 : values[i];
            const double clamped = std::min(2147483647.0, std::max(-2147483648.0, scaled));
            params[i] = static_cast<GLint>(std::llround(clamped));
        } else if constexpr (std::is_same_v<T, GLboolean>) {
            params[i] = values[i] != 0 ? GL_TRUE : GL_FALSE;
        } else {
            params[i] = static_cast<T>(values[i]);
        }
    }
}

const GLubyte* text(const char* s) { return reinterpret_cast<const GLubyte*>(s); }

}  // namespace
}  // namespace glrecord::detail

using namespace glrecord::detail;

extern "C" {

void glGetIntegerv(GLenum pname, GLint* params) { answer(Fn::glGetIntegerv, pname, params); }
void glGetFloatv(GLenum pname, GLfloat* params) { answer(Fn::glGetFloatv, pname, params); }
void glGetDoublev(GLenum pname, GLdouble* params) { answer(Fn::glGetDoublev, pname, params); }
void glGetBooleanv(GLenum pname, GLboolean* params) { answer(Fn::glGetBooleanv, pname, params); }

const GLubyte* glGetString(GLenum name) {
    if (!record(Fn::glGetString, name)) return nullptr;
    switch (name) {
        case GL_VENDOR: return text("glrecord");
        case GL_RENDERER: return text("glrecord");
        case GL_VERSION: return text("2.1 glrecord");
        case GL_EXTENSIONS: return text("GL_ARB_texture_non_power_of_two GL_ARB_framebuffer_object");
        case GL_SHADING_LANGUAGE_VERSION: return text("1.20");
        default:
            raiseError(GL_INVALID_ENUM);
            return nullptr;
    }
}

const GLubyte* gluErrorString(GLenum error) {
    record(Fn::gluErrorString, error);
    switch (error) {
        case GL_NO_ERROR: return text("no error");
        case GL_INVALID_ENUM: return text("invalid enumerant");
        case GL_INVALID_VALUE: return text("invalid value");
        case GL_INVALID_OPERATION: return text("invalid operation");
        case GL_STACK_OVERFLOW: return text("stack overflow");
        case GL_STACK_UNDERFLOW: return text("stack underflow");
        case GL_OUT_OF_MEMORY: return text("out of memory");
        case GLU_INVALID_ENUM: return text("invalid enumerant");
        case GLU_INVALID_VALUE: return text("invalid value");
        case GLU_OUT_OF_MEMORY: return text("out of memory");
        case GLU_INVALID_OPERATION: return text("invalid operation");
        default: return nullptr;
    }
}

}  // extern "C"
