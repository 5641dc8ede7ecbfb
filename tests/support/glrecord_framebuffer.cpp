// Framebuffer and renderbuffer objects in the recording GL layer: names,
// bindings, attachments, storage and its limits, completeness, and the errors
// glBlitFramebuffer raises. No pixels are kept.
#define GL_GLEXT_PROTOTYPES 1
#include <GL/gl.h>
#include <GL/glext.h>

#include <vector>

#include "glrecord_internal.h"

namespace glrecord::detail {

namespace {

FramebufferObject* framebufferObject(GLuint name) {
    State& s = state();
    return name != 0 && name < kMaxFramebufferObjects && s.framebuffers[name].exists ? &s.framebuffers[name]
                                                                                    : nullptr;
}

RenderbufferObject* renderbufferObject(GLuint name) {
    State& s = state();
    return name != 0 && name < kMaxFramebufferObjects && s.renderbuffers[name].exists ? &s.renderbuffers[name]
                                                                                     : nullptr;
}

// The binding a framebuffer target names (GL_FRAMEBUFFER: the draw binding); null for another target.
GLuint* binding(GLenum target) {
    State& s = state();
    switch (target) {
        case GL_FRAMEBUFFER: case GL_DRAW_FRAMEBUFFER: return &s.drawFramebuffer;
        case GL_READ_FRAMEBUFFER: return &s.readFramebuffer;
        default: return nullptr;
    }
}

bool isColourFormat(GLenum format) {
    return format == GL_RGBA8 || format == GL_RGB8 || format == GL_RGB565 || format == GL_RGBA || format == GL_RGB;
}

bool isDepthFormat(GLenum format) {
    return format == GL_DEPTH_COMPONENT24 || format == GL_DEPTH_COMPONENT16 || format == GL_DEPTH_COMPONENT32 ||
           format == GL_DEPTH_COMPONENT || format == GL_DEPTH24_STENCIL8;
}

std::size_t bytesOf(const RenderbufferObject& r) {
    const std::size_t pixel = r.format == GL_RGB565 || r.format == GL_DEPTH_COMPONENT16 ? 2 : 4;
    return static_cast<std::size_t>(r.width) * static_cast<std::size_t>(r.height) * pixel *
           static_cast<std::size_t>(r.samples > 0 ? r.samples : 1);
}

GLenum completeness(GLuint name) {
    if (name == 0) return GL_FRAMEBUFFER_COMPLETE;  // the window's
    const FramebufferObject* f = framebufferObject(name);
    if (!f) return GL_FRAMEBUFFER_UNDEFINED;
    const RenderbufferObject* colour = renderbufferObject(f->colour);
    const RenderbufferObject* depth = renderbufferObject(f->depth);
    if (!colour && !depth) return GL_FRAMEBUFFER_INCOMPLETE_MISSING_ATTACHMENT;
    if ((colour && (colour->width == 0 || !isColourFormat(colour->format))) ||
        (depth && (depth->width == 0 || !isDepthFormat(depth->format))))
        return GL_FRAMEBUFFER_INCOMPLETE_ATTACHMENT;
    if (!colour) return GL_FRAMEBUFFER_INCOMPLETE_DRAW_BUFFER;  // the draw buffer is GL_COLOR_ATTACHMENT0
    if (depth && depth->samples != colour->samples) return GL_FRAMEBUFFER_INCOMPLETE_MULTISAMPLE;
    return GL_FRAMEBUFFER_COMPLETE;
}

int samplesOf(GLuint framebuffer) {
    if (framebuffer == 0) return state().windowSamples;
    const FramebufferObject* f = framebufferObject(framebuffer);
    const RenderbufferObject* colour = f ? renderbufferObject(f->colour) : nullptr;
    return colour ? colour->samples : 0;
}

// glGen* and glDelete* record n followed by the names.
bool recordNames(Fn fn, GLsizei n, const GLuint* names, GLuint next) {
    if (state().mode != glrecord::Mode::Record || n <= 0) return record(fn, n);
    std::vector<double> args{static_cast<double>(n)};
    for (GLsizei i = 0; i < n; ++i) args.push_back(static_cast<double>(names ? names[i] : next + GLuint(i)));
    return recordv(fn, args.data(), args.size());
}

void storage(Fn fn, GLenum target, GLsizei samples, GLenum format, GLsizei width, GLsizei height) {
    const bool accepted = fn == Fn::glRenderbufferStorage ? record(fn, target, format, width, height)
                                                           : record(fn, target, samples, format, width, height);
    if (!accepted) return;
    if (target != GL_RENDERBUFFER || !(isColourFormat(format) || isDepthFormat(format)))
        return raiseError(GL_INVALID_ENUM);
    State& s = state();
    RenderbufferObject* r = renderbufferObject(s.renderbuffer);
    if (!r) return raiseError(GL_INVALID_OPERATION);
    if (width < 0 || height < 0 || width > kMaxRenderbufferSize || height > kMaxRenderbufferSize || samples < 0 ||
        samples > kMaxSamples)
        return raiseError(GL_INVALID_VALUE);
    s.renderbufferBytes -= bytesOf(*r);
    *r = RenderbufferObject{true, 0, 0, 0, 0};
    const RenderbufferObject wanted{true, width, height, samples, format};
    if (s.renderbufferBytes + bytesOf(wanted) > kRenderbufferMemory) return raiseError(GL_OUT_OF_MEMORY);
    *r = wanted;
    s.renderbufferBytes += bytesOf(wanted);
}

}  // namespace

int drawFramebufferSamples() { return samplesOf(state().drawFramebuffer); }

}  // namespace glrecord::detail

namespace glrecord {

void setWindowSamples(int samples) { detail::state().windowSamples = samples; }
unsigned int drawFramebuffer() { return detail::state().drawFramebuffer; }
unsigned int readFramebuffer() { return detail::state().readFramebuffer; }

}  // namespace glrecord

using namespace glrecord::detail;

extern "C" {

void glGenFramebuffers(GLsizei n, GLuint* framebuffers) {
    State& s = state();
    if (!recordNames(Fn::glGenFramebuffers, n, nullptr, s.nextFramebuffer)) return;
    if (n < 0) return raiseError(GL_INVALID_VALUE);
    for (GLsizei i = 0; i < n; ++i) {
        const GLuint name = s.nextFramebuffer++;
        if (name < kMaxFramebufferObjects) s.framebuffers[name].exists = true;
        framebuffers[i] = name;
    }
}

void glGenRenderbuffers(GLsizei n, GLuint* renderbuffers) {
    State& s = state();
    if (!recordNames(Fn::glGenRenderbuffers, n, nullptr, s.nextRenderbuffer)) return;
    if (n < 0) return raiseError(GL_INVALID_VALUE);
    for (GLsizei i = 0; i < n; ++i) {
        const GLuint name = s.nextRenderbuffer++;
        if (name < kMaxFramebufferObjects) s.renderbuffers[name].exists = true;
        renderbuffers[i] = name;
    }
}

void glDeleteFramebuffers(GLsizei n, const GLuint* framebuffers) {
    if (!recordNames(Fn::glDeleteFramebuffers, n, framebuffers, 0)) return;
    if (n < 0) return raiseError(GL_INVALID_VALUE);
    State& s = state();
    for (GLsizei i = 0; i < n; ++i) {
        FramebufferObject* f = framebufferObject(framebuffers[i]);
        if (!f) continue;
        *f = FramebufferObject{};
        // Deleting a bound framebuffer binds the window's.
        if (s.drawFramebuffer == framebuffers[i]) s.drawFramebuffer = 0;
        if (s.readFramebuffer == framebuffers[i]) s.readFramebuffer = 0;
    }
}

void glDeleteRenderbuffers(GLsizei n, const GLuint* renderbuffers) {
    if (!recordNames(Fn::glDeleteRenderbuffers, n, renderbuffers, 0)) return;
    if (n < 0) return raiseError(GL_INVALID_VALUE);
    State& s = state();
    for (GLsizei i = 0; i < n; ++i) {
        const GLuint name = renderbuffers[i];
        RenderbufferObject* r = renderbufferObject(name);
        if (!r) continue;
        s.renderbufferBytes -= bytesOf(*r);
        *r = RenderbufferObject{};
        if (s.renderbuffer == name) s.renderbuffer = 0;
    }
}

void glBindFramebuffer(GLenum target, GLuint framebuffer) {
    if (!record(Fn::glBindFramebuffer, target, framebuffer)) return;
    if (!binding(target)) return raiseError(GL_INVALID_ENUM);
    if (framebuffer != 0 && !framebufferObject(framebuffer)) return raiseError(GL_INVALID_OPERATION);
    State& s = state();
    if (target == GL_FRAMEBUFFER) {
        s.drawFramebuffer = s.readFramebuffer = framebuffer;
    } else {
        *binding(target) = framebuffer;
    }
}

void glBindRenderbuffer(GLenum target, GLuint renderbuffer) {
    if (!record(Fn::glBindRenderbuffer, target, renderbuffer)) return;
    if (target != GL_RENDERBUFFER) return raiseError(GL_INVALID_ENUM);
    if (renderbuffer != 0 && !renderbufferObject(renderbuffer)) return raiseError(GL_INVALID_OPERATION);
    state().renderbuffer = renderbuffer;
}

void glRenderbufferStorage(GLenum target, GLenum format, GLsizei width, GLsizei height) {
    storage(Fn::glRenderbufferStorage, target, 0, format, width, height);
}

void glRenderbufferStorageMultisample(GLenum target, GLsizei samples, GLenum format, GLsizei width,
                                      GLsizei height) {
    storage(Fn::glRenderbufferStorageMultisample, target, samples, format, width, height);
}

void glFramebufferRenderbuffer(GLenum target, GLenum attachment, GLenum renderbufferTarget, GLuint renderbuffer) {
    if (!record(Fn::glFramebufferRenderbuffer, target, attachment, renderbufferTarget, renderbuffer)) return;
    const GLuint* bound = binding(target);
    if (!bound || renderbufferTarget != GL_RENDERBUFFER ||
        (attachment != GL_COLOR_ATTACHMENT0 && attachment != GL_DEPTH_ATTACHMENT))
        return raiseError(GL_INVALID_ENUM);
    FramebufferObject* f = framebufferObject(*bound);
    if (!f || (renderbuffer != 0 && !renderbufferObject(renderbuffer))) return raiseError(GL_INVALID_OPERATION);
    (attachment == GL_COLOR_ATTACHMENT0 ? f->colour : f->depth) = renderbuffer;
}

GLenum glCheckFramebufferStatus(GLenum target) {
    if (!record(Fn::glCheckFramebufferStatus, target)) return 0;
    const GLuint* bound = binding(target);
    if (!bound) {
        raiseError(GL_INVALID_ENUM);
        return 0;
    }
    return completeness(*bound);
}

void glBlitFramebuffer(GLint srcX0, GLint srcY0, GLint srcX1, GLint srcY1, GLint dstX0, GLint dstY0, GLint dstX1,
                       GLint dstY1, GLbitfield mask, GLenum filter) {
    if (!record(Fn::glBlitFramebuffer, srcX0, srcY0, srcX1, srcY1, dstX0, dstY0, dstX1, dstY1, mask, filter))
        return;
    const GLbitfield known = GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT;
    if (mask & ~known) return raiseError(GL_INVALID_VALUE);
    if (filter != GL_NEAREST && filter != GL_LINEAR) return raiseError(GL_INVALID_ENUM);
    if (filter == GL_LINEAR && (mask & ~GLbitfield(GL_COLOR_BUFFER_BIT))) return raiseError(GL_INVALID_OPERATION);
    const State& s = state();
    if (completeness(s.readFramebuffer) != GL_FRAMEBUFFER_COMPLETE ||
        completeness(s.drawFramebuffer) != GL_FRAMEBUFFER_COMPLETE)
        return raiseError(GL_INVALID_FRAMEBUFFER_OPERATION);
    const int readSamples = samplesOf(s.readFramebuffer), drawSamples = samplesOf(s.drawFramebuffer);
    const bool sameRectangle = srcX0 == dstX0 && srcY0 == dstY0 && srcX1 == dstX1 && srcY1 == dstY1;
    // A multisampled source is resolved, never scaled; sample counts must match between two multisampled ones.
    if (readSamples > 0 && (!sameRectangle || (drawSamples > 0 && drawSamples != readSamples)))
        return raiseError(GL_INVALID_OPERATION);
}

}  // extern "C"
