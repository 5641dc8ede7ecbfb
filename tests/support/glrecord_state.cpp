// The simulated server state of the recording GL layer: capabilities, the
// attribute stack, blending, depth, rasterisation and framebuffer settings,
// and the entry points that set them.
#include <GL/glu.h>

#include <algorithm>

#include "glrecord_internal.h"

namespace glrecord::detail {

namespace {

// Capabilities glEnable accepts in an OpenGL 1.x / 2.1 compatibility context.
constexpr GLenum kCapabilities[] = {
    GL_ALPHA_TEST, GL_AUTO_NORMAL, GL_BLEND, GL_CLIP_PLANE0, GL_CLIP_PLANE1, GL_CLIP_PLANE2,
    GL_CLIP_PLANE3, GL_CLIP_PLANE4, GL_CLIP_PLANE5, GL_COLOR_LOGIC_OP, GL_COLOR_MATERIAL,
    GL_COLOR_SUM, GL_CULL_FACE, GL_DEPTH_TEST, GL_DITHER, GL_FOG, GL_INDEX_LOGIC_OP, GL_LIGHT0,
    GL_LIGHT1, GL_LIGHT2, GL_LIGHT3, GL_LIGHT4, GL_LIGHT5, GL_LIGHT6, GL_LIGHT7, GL_LIGHTING,
    GL_LINE_SMOOTH, GL_LINE_STIPPLE, GL_MULTISAMPLE, GL_NORMALIZE, GL_POINT_SMOOTH,
    GL_POINT_SPRITE, GL_POLYGON_OFFSET_FILL, GL_POLYGON_OFFSET_LINE, GL_POLYGON_OFFSET_POINT,
    GL_POLYGON_SMOOTH, GL_POLYGON_STIPPLE, GL_RESCALE_NORMAL, GL_SAMPLE_ALPHA_TO_COVERAGE,
    GL_SAMPLE_ALPHA_TO_ONE, GL_SAMPLE_COVERAGE, GL_SCISSOR_TEST, GL_STENCIL_TEST, GL_TEXTURE_1D,
    GL_TEXTURE_2D, GL_TEXTURE_3D, GL_TEXTURE_CUBE_MAP, GL_TEXTURE_GEN_Q, GL_TEXTURE_GEN_R,
    GL_TEXTURE_GEN_S, GL_TEXTURE_GEN_T, GL_VERTEX_PROGRAM_POINT_SIZE,
};
static_assert(sizeof(kCapabilities) / sizeof(kCapabilities[0]) <= 64);

constexpr GLenum kHintTargets[] = {
    GL_PERSPECTIVE_CORRECTION_HINT, GL_POINT_SMOOTH_HINT, GL_LINE_SMOOTH_HINT,
    GL_POLYGON_SMOOTH_HINT, GL_FOG_HINT, GL_GENERATE_MIPMAP_HINT, GL_TEXTURE_COMPRESSION_HINT,
};

std::uint64_t bit(GLenum cap) { return std::uint64_t{1} << capabilityIndex(cap); }

float clamp01(float v) { return std::min(1.0f, std::max(0.0f, v)); }

bool isBlendFactor(GLenum f) {
    switch (f) {
        case GL_ZERO: case GL_ONE: case GL_SRC_COLOR: case GL_ONE_MINUS_SRC_COLOR:
        case GL_DST_COLOR: case GL_ONE_MINUS_DST_COLOR: case GL_SRC_ALPHA:
        case GL_ONE_MINUS_SRC_ALPHA: case GL_DST_ALPHA: case GL_ONE_MINUS_DST_ALPHA:
        case GL_SRC_ALPHA_SATURATE: case GL_CONSTANT_COLOR: case GL_ONE_MINUS_CONSTANT_COLOR:
        case GL_CONSTANT_ALPHA: case GL_ONE_MINUS_CONSTANT_ALPHA:
            return true;
        default:
            return false;
    }
}

bool isCompareFunc(GLenum f) { return f >= GL_NEVER && f <= GL_ALWAYS; }
bool isFace(GLenum f) { return f == GL_FRONT || f == GL_BACK || f == GL_FRONT_AND_BACK; }

void setCapability(GLenum cap, bool on) {
    if (capabilityIndex(cap) < 0) return raiseError(GL_INVALID_ENUM);
    Attributes& a = state().cur;
    a.enables = on ? (a.enables | bit(cap)) : (a.enables & ~bit(cap));
}

// Copies the enable flags in `caps` from saved into the current state.
template <std::size_t N>
void restoreEnables(Attributes& into, const Attributes& saved, const GLenum (&caps)[N]) {
    for (GLenum cap : caps) into.enables = (into.enables & ~bit(cap)) | (saved.enables & bit(cap));
}

void restoreGroups(GLbitfield mask, const Attributes& saved) {
    Attributes& a = state().cur;
    if (mask & GL_ENABLE_BIT) a.enables = saved.enables;
    if (mask & GL_CURRENT_BIT) {
        std::copy(saved.colour, saved.colour + 4, a.colour);
        std::copy(saved.texCoord, saved.texCoord + 4, a.texCoord);
        std::copy(saved.normal, saved.normal + 3, a.normal);
    }
    if (mask & GL_COLOR_BUFFER_BIT) {
        a.blendSrc = saved.blendSrc;
        a.blendDst = saved.blendDst;
        a.blendEquation = saved.blendEquation;
        a.alphaFunc = saved.alphaFunc;
        a.alphaRef = saved.alphaRef;
        std::copy(saved.clearColour, saved.clearColour + 4, a.clearColour);
        std::copy(saved.colourMask, saved.colourMask + 4, a.colourMask);
        restoreEnables(a, saved, {GL_BLEND, GL_ALPHA_TEST, GL_DITHER, GL_COLOR_LOGIC_OP});
    }
    if (mask & GL_DEPTH_BUFFER_BIT) {
        a.depthFunc = saved.depthFunc;
        a.depthMask = saved.depthMask;
        a.clearDepth = saved.clearDepth;
        restoreEnables(a, saved, {GL_DEPTH_TEST});
    }
    if (mask & GL_LINE_BIT) {
        a.lineWidth = saved.lineWidth;
        restoreEnables(a, saved, {GL_LINE_SMOOTH, GL_LINE_STIPPLE});
    }
    if (mask & GL_POINT_BIT) {
        a.pointSize = saved.pointSize;
        restoreEnables(a, saved, {GL_POINT_SMOOTH, GL_POINT_SPRITE});
    }
    if (mask & GL_POLYGON_BIT) {
        a.cullFace = saved.cullFace;
        a.frontFace = saved.frontFace;
        std::copy(saved.polygonMode, saved.polygonMode + 2, a.polygonMode);
        restoreEnables(a, saved, {GL_CULL_FACE, GL_POLYGON_SMOOTH, GL_POLYGON_STIPPLE,
                                  GL_POLYGON_OFFSET_FILL, GL_POLYGON_OFFSET_LINE,
                                  GL_POLYGON_OFFSET_POINT});
    }
    if (mask & GL_TEXTURE_BIT) {
        a.texture2D = saved.texture2D;
        a.texEnvMode = saved.texEnvMode;
        restoreEnables(a, saved, {GL_TEXTURE_1D, GL_TEXTURE_2D, GL_TEXTURE_3D, GL_TEXTURE_CUBE_MAP,
                                  GL_TEXTURE_GEN_S, GL_TEXTURE_GEN_T, GL_TEXTURE_GEN_R,
                                  GL_TEXTURE_GEN_Q});
    }
    if (mask & GL_VIEWPORT_BIT) std::copy(saved.viewport, saved.viewport + 4, a.viewport);
    if (mask & GL_SCISSOR_BIT) {
        std::copy(saved.scissor, saved.scissor + 4, a.scissor);
        restoreEnables(a, saved, {GL_SCISSOR_TEST});
    }
    if (mask & GL_LIGHTING_BIT) {
        a.shadeModel = saved.shadeModel;
        restoreEnables(a, saved, {GL_LIGHTING, GL_COLOR_MATERIAL, GL_LIGHT0, GL_LIGHT1, GL_LIGHT2,
                                  GL_LIGHT3, GL_LIGHT4, GL_LIGHT5, GL_LIGHT6, GL_LIGHT7});
    }
    if (mask & GL_HINT_BIT) std::copy(saved.hints, saved.hints + 7, a.hints);
    if (mask & GL_TRANSFORM_BIT) {
        a.matrixMode = saved.matrixMode;
        restoreEnables(a, saved, {GL_NORMALIZE, GL_RESCALE_NORMAL, GL_CLIP_PLANE0, GL_CLIP_PLANE1,
                                  GL_CLIP_PLANE2, GL_CLIP_PLANE3, GL_CLIP_PLANE4, GL_CLIP_PLANE5});
    }
    if (mask & GL_FOG_BIT) restoreEnables(a, saved, {GL_FOG});
    if (mask & GL_MULTISAMPLE_BIT)
        restoreEnables(a, saved, {GL_MULTISAMPLE, GL_SAMPLE_ALPHA_TO_COVERAGE,
                                  GL_SAMPLE_ALPHA_TO_ONE, GL_SAMPLE_COVERAGE});
}

}  // namespace

int capabilityIndex(GLenum cap) {
    for (std::size_t i = 0; i < sizeof(kCapabilities) / sizeof(kCapabilities[0]); ++i)
        if (kCapabilities[i] == cap) return static_cast<int>(i);
    return -1;
}

int hintIndex(GLenum target) {
    for (std::size_t i = 0; i < sizeof(kHintTargets) / sizeof(kHintTargets[0]); ++i)
        if (kHintTargets[i] == target) return static_cast<int>(i);
    return -1;
}

void resetContext(int width, int height) {
    State& s = state();
    s.error = GL_NO_ERROR;
    s.insideBegin = false;
    s.modelview = MatrixStack{};
    s.projection = MatrixStack{};
    s.texture = MatrixStack{};
    s.texture.maxDepth = 10;
    s.modelview.top() = s.projection.top() = s.texture.top() = identityMatrix();
    s.cur = Attributes{};
    s.cur.enables = bit(GL_DITHER) | bit(GL_MULTISAMPLE);
    s.cur.viewport[2] = s.cur.scissor[2] = width;
    s.cur.viewport[3] = s.cur.scissor[3] = height;
    s.attribDepth = 0;
    s.textures.fill(TextureObject{});
    s.nextTexture = 1;
    s.packAlignment = s.unpackAlignment = 4;
    s.packRowLength = s.unpackRowLength = 0;
    s.readBuffer = s.drawBuffer = GL_BACK;
    s.framebuffers.fill(FramebufferObject{});
    s.renderbuffers.fill(RenderbufferObject{});
    s.nextFramebuffer = s.nextRenderbuffer = 1;
    s.drawFramebuffer = s.readFramebuffer = s.renderbuffer = 0;
    s.renderbufferBytes = 0;
    s.windowSamples = 0;
}

}  // namespace glrecord::detail

namespace glrecord {

using detail::state;

const float* modelview() { return state().modelview.top().m; }
const float* projection() { return state().projection.top().m; }

bool isEnabled(unsigned int capability) {
    const int index = detail::capabilityIndex(capability);
    return index >= 0 && (state().cur.enables >> index & 1u);
}

const float* currentColour() { return state().cur.colour; }
unsigned int boundTexture() { return state().cur.texture2D; }
unsigned int pendingError() { return state().error; }
int modelviewDepth() { return state().modelview.depth; }
int attribDepth() { return state().attribDepth; }

void setWindowSize(int width, int height) {
    detail::Attributes& a = state().cur;
    a.viewport[0] = a.viewport[1] = a.scissor[0] = a.scissor[1] = 0;
    a.viewport[2] = a.scissor[2] = width;
    a.viewport[3] = a.scissor[3] = height;
}

}  // namespace glrecord

using namespace glrecord::detail;

extern "C" {

void glEnable(GLenum cap) {
    if (record(Fn::glEnable, cap)) setCapability(cap, true);
}

void glDisable(GLenum cap) {
    if (record(Fn::glDisable, cap)) setCapability(cap, false);
}

GLboolean glIsEnabled(GLenum cap) {
    if (!record(Fn::glIsEnabled, cap)) return GL_FALSE;
    if (capabilityIndex(cap) < 0) {
        raiseError(GL_INVALID_ENUM);
        return GL_FALSE;
    }
    return glrecord::isEnabled(cap) ? GL_TRUE : GL_FALSE;
}

void glPushAttrib(GLbitfield mask) {
    if (!record(Fn::glPushAttrib, mask)) return;
    State& s = state();
    if (s.attribDepth == kAttribDepth) return raiseError(GL_STACK_OVERFLOW);
    s.attribStack[static_cast<std::size_t>(s.attribDepth)] = s.cur;
    s.attribMasks[static_cast<std::size_t>(s.attribDepth)] = mask;
    ++s.attribDepth;
}

void glPopAttrib(void) {
    if (!record(Fn::glPopAttrib)) return;
    State& s = state();
    if (s.attribDepth == 0) return raiseError(GL_STACK_UNDERFLOW);
    --s.attribDepth;
    const std::size_t top = static_cast<std::size_t>(s.attribDepth);
    restoreGroups(s.attribMasks[top], s.attribStack[top]);
}

void glBlendFunc(GLenum sfactor, GLenum dfactor) {
    if (!record(Fn::glBlendFunc, sfactor, dfactor)) return;
    if (!isBlendFactor(sfactor) || !isBlendFactor(dfactor)) return raiseError(GL_INVALID_ENUM);
    state().cur.blendSrc = sfactor;
    state().cur.blendDst = dfactor;
}

void glBlendEquation(GLenum mode) {
    if (!record(Fn::glBlendEquation, mode)) return;
    if (mode != GL_FUNC_ADD && mode != GL_FUNC_SUBTRACT && mode != GL_FUNC_REVERSE_SUBTRACT &&
        mode != GL_MIN && mode != GL_MAX)
        return raiseError(GL_INVALID_ENUM);
    state().cur.blendEquation = mode;
}

void glHint(GLenum target, GLenum mode) {
    if (!record(Fn::glHint, target, mode)) return;
    const int index = hintIndex(target);
    if (index < 0 || (mode != GL_FASTEST && mode != GL_NICEST && mode != GL_DONT_CARE))
        return raiseError(GL_INVALID_ENUM);
    state().cur.hints[index] = mode;
}

void glLineWidth(GLfloat width) {
    if (!record(Fn::glLineWidth, width)) return;
    if (!(width > 0)) return raiseError(GL_INVALID_VALUE);
    state().cur.lineWidth = width;
}

void glPointSize(GLfloat size) {
    if (!record(Fn::glPointSize, size)) return;
    if (!(size > 0)) return raiseError(GL_INVALID_VALUE);
    state().cur.pointSize = size;
}

void glShadeModel(GLenum mode) {
    if (!record(Fn::glShadeModel, mode)) return;
    if (mode != GL_FLAT && mode != GL_SMOOTH) return raiseError(GL_INVALID_ENUM);
    state().cur.shadeModel = mode;
}

void glDepthFunc(GLenum func) {
    if (!record(Fn::glDepthFunc, func)) return;
    if (!isCompareFunc(func)) return raiseError(GL_INVALID_ENUM);
    state().cur.depthFunc = func;
}

void glDepthMask(GLboolean flag) {
    if (record(Fn::glDepthMask, flag)) state().cur.depthMask = flag != GL_FALSE;
}

void glClearDepth(GLclampd depth) {
    if (record(Fn::glClearDepth, depth)) state().cur.clearDepth = std::min(1.0, std::max(0.0, depth));
}

void glColorMask(GLboolean r, GLboolean g, GLboolean b, GLboolean a) {
    if (!record(Fn::glColorMask, r, g, b, a)) return;
    bool* mask = state().cur.colourMask;
    mask[0] = r != GL_FALSE;
    mask[1] = g != GL_FALSE;
    mask[2] = b != GL_FALSE;
    mask[3] = a != GL_FALSE;
}

void glAlphaFunc(GLenum func, GLclampf ref) {
    if (!record(Fn::glAlphaFunc, func, ref)) return;
    if (!isCompareFunc(func)) return raiseError(GL_INVALID_ENUM);
    state().cur.alphaFunc = func;
    state().cur.alphaRef = clamp01(ref);
}

void glCullFace(GLenum mode) {
    if (!record(Fn::glCullFace, mode)) return;
    if (!isFace(mode)) return raiseError(GL_INVALID_ENUM);
    state().cur.cullFace = mode;
}

void glFrontFace(GLenum mode) {
    if (!record(Fn::glFrontFace, mode)) return;
    if (mode != GL_CW && mode != GL_CCW) return raiseError(GL_INVALID_ENUM);
    state().cur.frontFace = mode;
}

void glPolygonMode(GLenum face, GLenum mode) {
    if (!record(Fn::glPolygonMode, face, mode)) return;
    if (!isFace(face) || (mode != GL_POINT && mode != GL_LINE && mode != GL_FILL))
        return raiseError(GL_INVALID_ENUM);
    if (face != GL_BACK) state().cur.polygonMode[0] = mode;
    if (face != GL_FRONT) state().cur.polygonMode[1] = mode;
}

void glScissor(GLint x, GLint y, GLsizei width, GLsizei height) {
    if (!record(Fn::glScissor, x, y, width, height)) return;
    if (width < 0 || height < 0) return raiseError(GL_INVALID_VALUE);
    int* box = state().cur.scissor;
    box[0] = x;
    box[1] = y;
    box[2] = width;
    box[3] = height;
}

void glViewport(GLint x, GLint y, GLsizei width, GLsizei height) {
    if (!record(Fn::glViewport, x, y, width, height)) return;
    if (width < 0 || height < 0) return raiseError(GL_INVALID_VALUE);
    int* box = state().cur.viewport;
    box[0] = x;
    box[1] = y;
    box[2] = std::min(width, 8192);
    box[3] = std::min(height, 8192);
}

void glClear(GLbitfield mask) {
    if (!record(Fn::glClear, mask)) return;
    const GLbitfield known =
        GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT | GL_ACCUM_BUFFER_BIT;
    if (mask & ~known) raiseError(GL_INVALID_VALUE);
}

void glClearColor(GLclampf r, GLclampf g, GLclampf b, GLclampf a) {
    if (!record(Fn::glClearColor, r, g, b, a)) return;
    float* c = state().cur.clearColour;
    c[0] = clamp01(r);
    c[1] = clamp01(g);
    c[2] = clamp01(b);
    c[3] = clamp01(a);
}

void glFlush(void) { record(Fn::glFlush); }
void glFinish(void) { record(Fn::glFinish); }

GLenum glGetError(void) {
    record(Fn::glGetError);
    State& s = state();
    const GLenum error = s.error;
    s.error = GL_NO_ERROR;
    return error;
}

void glReadBuffer(GLenum mode) {
    if (record(Fn::glReadBuffer, mode)) state().readBuffer = mode;
}

void glDrawBuffer(GLenum mode) {
    if (record(Fn::glDrawBuffer, mode)) state().drawBuffer = mode;
}

}  // extern "C"
