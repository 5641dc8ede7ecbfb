// The multisampled framebuffer and its resolve (OpenGL 3.0 framebuffer objects).
#define GL_GLEXT_PROTOTYPES 1
#include "capture/multisample.h"

#include <GL/gl.h>
#include <GL/glext.h>

#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <string>

#include "capture/options.h"

namespace capture {

namespace {

bool hasFramebufferObjects() {
    const char* version = reinterpret_cast<const char*>(glGetString(GL_VERSION));
    if (version && std::atoi(version) >= 3) return true;
    const char* extensions = reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS));
    return extensions && std::strstr(extensions, "GL_ARB_framebuffer_object");
}

std::string rendererName() {
    const char* name = reinterpret_cast<const char*>(glGetString(GL_RENDERER));
    return name ? name : "unknown";
}

}  // namespace

MultisampleTarget::MultisampleTarget(int width, int height, int samples) : width_(width), height_(height) {
    if (!hasFramebufferObjects())
        throw std::runtime_error("--antialias needs framebuffer objects (OpenGL 3.0), which " + rendererName() +
                                 " does not offer");
    GLint most = 0;
    glGetIntegerv(GL_MAX_SAMPLES, &most);
    if (samples > most)
        throw UsageError("--antialias " + std::to_string(samples) + ": this OpenGL (" + rendererName() +
                         ") offers at most " + std::to_string(most) + " samples a pixel");
    while (glGetError() != GL_NO_ERROR) {
    }
    glGenRenderbuffers(3, renderbuffers_);
    // RGBA8 as the window's picture has; depth and stencil as the engine's
    // window asks for (24 and 8 bits).
    glBindRenderbuffer(GL_RENDERBUFFER, renderbuffers_[0]);
    glRenderbufferStorageMultisample(GL_RENDERBUFFER, samples, GL_RGBA8, width, height);
    glGetRenderbufferParameteriv(GL_RENDERBUFFER, GL_RENDERBUFFER_SAMPLES, &samples_);
    glBindRenderbuffer(GL_RENDERBUFFER, renderbuffers_[1]);
    glRenderbufferStorageMultisample(GL_RENDERBUFFER, samples, GL_DEPTH24_STENCIL8, width, height);
    glBindRenderbuffer(GL_RENDERBUFFER, renderbuffers_[2]);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, width, height);
    glBindRenderbuffer(GL_RENDERBUFFER, 0);

    glGenFramebuffers(1, &multisampled_);
    glBindFramebuffer(GL_FRAMEBUFFER, multisampled_);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, renderbuffers_[0]);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_STENCIL_ATTACHMENT, GL_RENDERBUFFER, renderbuffers_[1]);
    const GLenum drawn = glCheckFramebufferStatus(GL_FRAMEBUFFER);
    glGenFramebuffers(1, &resolved_);
    glBindFramebuffer(GL_FRAMEBUFFER, resolved_);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, renderbuffers_[2]);
    const GLenum plain = glCheckFramebufferStatus(GL_FRAMEBUFFER);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    const GLenum error = glGetError();
    if (drawn != GL_FRAMEBUFFER_COMPLETE || plain != GL_FRAMEBUFFER_COMPLETE || error != GL_NO_ERROR || samples_ < samples) {
        release();
        throw std::runtime_error("the " + std::to_string(samples) + "-sample framebuffer of " +
                                 std::to_string(width) + "x" + std::to_string(height) + " cannot be made on " +
                                 rendererName() + " (status " + std::to_string(drawn) + ", OpenGL error " +
                                 std::to_string(error) + ")");
    }
}

MultisampleTarget::~MultisampleTarget() { release(); }

void MultisampleTarget::release() noexcept {
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    if (multisampled_) glDeleteFramebuffers(1, &multisampled_);
    if (resolved_) glDeleteFramebuffers(1, &resolved_);
    glDeleteRenderbuffers(3, renderbuffers_);
    multisampled_ = resolved_ = 0;
    renderbuffers_[0] = renderbuffers_[1] = renderbuffers_[2] = 0;
}

void MultisampleTarget::bindForDrawing() { glBindFramebuffer(GL_FRAMEBUFFER, multisampled_); }

void MultisampleTarget::resolve() {
    // The blit obeys the scissor test; the frame may leave it on.
    const GLboolean scissor = glIsEnabled(GL_SCISSOR_TEST);
    glDisable(GL_SCISSOR_TEST);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, multisampled_);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, resolved_);
    glBlitFramebuffer(0, 0, width_, height_, 0, 0, width_, height_, GL_COLOR_BUFFER_BIT, GL_NEAREST);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, resolved_);
    if (scissor) glEnable(GL_SCISSOR_TEST);
}

void MultisampleTarget::copyToWindow() {
    const GLboolean scissor = glIsEnabled(GL_SCISSOR_TEST);
    glDisable(GL_SCISSOR_TEST);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, resolved_);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
    glBlitFramebuffer(0, 0, width_, height_, 0, 0, width_, height_, GL_COLOR_BUFFER_BIT, GL_NEAREST);
    if (scissor) glEnable(GL_SCISSOR_TEST);
}

}  // namespace capture
