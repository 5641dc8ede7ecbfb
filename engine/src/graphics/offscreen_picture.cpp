// The full-screen picture in a framebuffer object (see offscreen_picture.h).
#define GL_GLEXT_PROTOTYPES 1
#include "graphics/offscreen_picture.h"

#include <GL/gl.h>
#include <GL/glext.h>

#include <algorithm>
#include <cstdlib>
#include <optional>

#include "core/failure.h"
#include "graphics/gl_state.h"

namespace fluxcore {

namespace {

const char* statusName(GLenum status) {
    switch (status) {
        case GL_FRAMEBUFFER_UNDEFINED: return "GL_FRAMEBUFFER_UNDEFINED";
        case GL_FRAMEBUFFER_INCOMPLETE_ATTACHMENT: return "GL_FRAMEBUFFER_INCOMPLETE_ATTACHMENT";
        case GL_FRAMEBUFFER_INCOMPLETE_MISSING_ATTACHMENT: return "GL_FRAMEBUFFER_INCOMPLETE_MISSING_ATTACHMENT";
        case GL_FRAMEBUFFER_INCOMPLETE_DRAW_BUFFER: return "GL_FRAMEBUFFER_INCOMPLETE_DRAW_BUFFER";
        case GL_FRAMEBUFFER_INCOMPLETE_READ_BUFFER: return "GL_FRAMEBUFFER_INCOMPLETE_READ_BUFFER";
        case GL_FRAMEBUFFER_UNSUPPORTED: return "GL_FRAMEBUFFER_UNSUPPORTED";
        case GL_FRAMEBUFFER_INCOMPLETE_MULTISAMPLE: return "GL_FRAMEBUFFER_INCOMPLETE_MULTISAMPLE";
        case 0: return "no status (OpenGL error)";
        default: return "an unknown status";
    }
}

void checkFramebufferObjects() {
    const char* version = reinterpret_cast<const char*>(glGetString(GL_VERSION));
    if (version && std::atoi(version) >= 3) return;
    if (listsExtension(reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS)), "GL_ARB_framebuffer_object")) {
        return;
    }
    fail("full screen needs framebuffer objects (OpenGL 3.0 or GL_ARB_framebuffer_object); this OpenGL is %s",
         version ? version : "(unknown)");
}

void checkSize(int width, int height) {
    GLint renderbuffer = 0;
    GLint viewport[2] = {0, 0};
    glGetIntegerv(GL_MAX_RENDERBUFFER_SIZE, &renderbuffer);
    glGetIntegerv(GL_MAX_VIEWPORT_DIMS, viewport);
    const int largestWidth = std::min(renderbuffer, viewport[0]);
    const int largestHeight = std::min(renderbuffer, viewport[1]);
    if (width > largestWidth || height > largestHeight) {
        fail("the picture size %dx%d is beyond this OpenGL's largest %dx%d", width, height, largestWidth,
             largestHeight);
    }
}

void allocate(const GlObject& renderbuffer, GLenum format, int samples, int width, int height) {
    glBindRenderbuffer(GL_RENDERBUFFER, renderbuffer.name());
    if (samples > 0) {
        glRenderbufferStorageMultisample(GL_RENDERBUFFER, samples, format, width, height);
    } else {
        glRenderbufferStorage(GL_RENDERBUFFER, format, width, height);
    }
}

}  // namespace

GlObject::GlObject(Kind kind) : kind_(kind) {
    if (kind_ == Kind::Framebuffer) {
        glGenFramebuffers(1, &name_);
    } else {
        glGenRenderbuffers(1, &name_);
    }
}

GlObject::~GlObject() {
    if (name_ == 0) return;
    if (kind_ == Kind::Framebuffer) {
        glDeleteFramebuffers(1, &name_);
    } else {
        glDeleteRenderbuffers(1, &name_);
    }
}

struct OffscreenPicture::Target {
    GlObject framebuffer{GlObject::Kind::Framebuffer};
    GlObject colour{GlObject::Kind::Renderbuffer};
    std::optional<GlObject> depth;

    // Storage for each attachment, attached; leaves the framebuffer bound.
    Target(int width, int height, GLenum colourFormat, int samples, bool withDepth) {
        allocate(colour, colourFormat, samples, width, height);
        if (withDepth) {
            depth.emplace(GlObject::Kind::Renderbuffer);
            allocate(*depth, GL_DEPTH_COMPONENT24, samples, width, height);
        }
        glBindRenderbuffer(GL_RENDERBUFFER, 0);
        glBindFramebuffer(GL_FRAMEBUFFER, framebuffer.name());
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, colour.name());
        if (depth) glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, depth->name());
        const GLenum status = glCheckFramebufferStatus(GL_FRAMEBUFFER);
        if (status != GL_FRAMEBUFFER_COMPLETE) {
            glBindFramebuffer(GL_FRAMEBUFFER, 0);
            fail("the full-screen picture's framebuffer (%dx%d, %d samples) is not complete: %s", width, height,
                 samples, statusName(status));
        }
    }
};

PictureFormat boundFramebufferFormat() {
    GLint red = 0, alpha = 0, samples = 0;
    glGetIntegerv(GL_RED_BITS, &red);
    glGetIntegerv(GL_ALPHA_BITS, &alpha);
    glGetIntegerv(GL_SAMPLES, &samples);
    PictureFormat format;
    format.colour = alpha > 0 ? GL_RGBA8 : red > 5 ? GL_RGB8 : GL_RGB565;
    format.samples = std::max(0, samples);
    return format;
}

OffscreenPicture::OffscreenPicture(int width, int height, const PictureFormat& format)
    : width_(width), height_(height) {
    checkFramebufferObjects();
    checkSize(width, height);
    if (format.samples > 0) {
        resolved_ = std::make_unique<Target>(width, height, format.colour, 0, false);
    }
    drawn_ = std::make_unique<Target>(width, height, format.colour, format.samples, true);
}

OffscreenPicture::~OffscreenPicture() = default;

void OffscreenPicture::present(int drawableWidth, int drawableHeight) {
    const GLuint drawn = drawn_->framebuffer.name();
    if (drawableWidth > 0 && drawableHeight > 0) {
        const Viewport shown = letterbox(width_, height_, drawableWidth, drawableHeight);
        // Saved and restored with the window's framebuffer bound: the colour
        // group holds the draw buffer, which belongs to the framebuffer.
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        glPushAttrib(GL_COLOR_BUFFER_BIT | GL_SCISSOR_BIT);
        glDisable(GL_SCISSOR_TEST);  // it clips blits and clears alike
        GLuint source = drawn;
        if (resolved_) {
            // A multisampled picture cannot be scaled in one blit.
            source = resolved_->framebuffer.name();
            glBindFramebuffer(GL_READ_FRAMEBUFFER, drawn);
            glBindFramebuffer(GL_DRAW_FRAMEBUFFER, source);
            glBlitFramebuffer(0, 0, width_, height_, 0, 0, width_, height_, GL_COLOR_BUFFER_BIT, GL_NEAREST);
            glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
        }
        glBindFramebuffer(GL_READ_FRAMEBUFFER, source);
        if (!(shown == Viewport{0, 0, drawableWidth, drawableHeight})) {
            glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
            glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
            glClear(GL_COLOR_BUFFER_BIT);
        }
        glBlitFramebuffer(0, 0, width_, height_, shown.x, shown.y, shown.x + shown.width, shown.y + shown.height,
                          GL_COLOR_BUFFER_BIT, GL_LINEAR);
        glPopAttrib();
    }
    glBindFramebuffer(GL_FRAMEBUFFER, drawn);
}

}  // namespace fluxcore
