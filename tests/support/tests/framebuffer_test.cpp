// Framebuffer objects: bindings, storage limits, completeness and the blit's
// rules for multisampled sources.
#define GL_GLEXT_PROTOTYPES 1
#include <GL/gl.h>
#include <GL/glext.h>

#include "fixture.h"

namespace {

class FramebufferTest : public GlRecordTest {
protected:
    // A framebuffer with a colour renderbuffer (and a depth one when asked),
    // bound to GL_FRAMEBUFFER.
    static GLuint make(int width, int height, int samples, bool depth) {
        GLuint framebuffer = 0, buffers[2] = {};
        glGenFramebuffers(1, &framebuffer);
        glGenRenderbuffers(depth ? 2 : 1, buffers);
        glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
        for (int i = 0; i < (depth ? 2 : 1); ++i) {
            glBindRenderbuffer(GL_RENDERBUFFER, buffers[i]);
            glRenderbufferStorageMultisample(GL_RENDERBUFFER, samples, i ? GL_DEPTH_COMPONENT24 : GL_RGBA8, width,
                                             height);
            glFramebufferRenderbuffer(GL_FRAMEBUFFER, i ? GL_DEPTH_ATTACHMENT : GL_COLOR_ATTACHMENT0,
                                      GL_RENDERBUFFER, buffers[i]);
        }
        return framebuffer;
    }
};

TEST_F(FramebufferTest, CompletenessBindingsAndDeletion) {
    GLuint empty = 0;
    glGenFramebuffers(1, &empty);
    glBindFramebuffer(GL_FRAMEBUFFER, empty);
    EXPECT_EQ(glCheckFramebufferStatus(GL_FRAMEBUFFER), GLenum(GL_FRAMEBUFFER_INCOMPLETE_MISSING_ATTACHMENT));
    const GLuint complete = make(640, 480, 0, true);
    EXPECT_EQ(glCheckFramebufferStatus(GL_FRAMEBUFFER), GLenum(GL_FRAMEBUFFER_COMPLETE));
    glBindFramebuffer(GL_READ_FRAMEBUFFER, empty);
    EXPECT_EQ(glrecord::drawFramebuffer(), complete);
    EXPECT_EQ(glrecord::readFramebuffer(), empty);
    glBindFramebuffer(GL_FRAMEBUFFER, 99);
    EXPECT_EQ(glGetError(), GLenum(GL_INVALID_OPERATION)) << "a name never generated";
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));

    // Beyond the largest size, or the memory: no storage, an incomplete attachment.
    make(8193, 16, 0, false);
    EXPECT_EQ(glGetError(), GLenum(GL_INVALID_VALUE));
    EXPECT_EQ(glCheckFramebufferStatus(GL_FRAMEBUFFER), GLenum(GL_FRAMEBUFFER_INCOMPLETE_ATTACHMENT));
    make(8192, 8192, 0, true);
    EXPECT_EQ(glGetError(), GLenum(GL_OUT_OF_MEMORY));
    EXPECT_EQ(glCheckFramebufferStatus(GL_FRAMEBUFFER), GLenum(GL_FRAMEBUFFER_INCOMPLETE_ATTACHMENT));

    glBindFramebuffer(GL_FRAMEBUFFER, complete);
    glDeleteFramebuffers(1, &complete);
    EXPECT_EQ(glrecord::drawFramebuffer(), 0u) << "deleting the bound framebuffer binds the window's";
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST_F(FramebufferTest, AMultisampledSourceIsResolvedNeverScaled) {
    glrecord::setWindowSamples(4);
    GLint samples = 0;
    glGetIntegerv(GL_SAMPLES, &samples);
    EXPECT_EQ(samples, 4) << "the window's";
    const GLuint multisampled = make(320, 240, 4, false);
    const GLuint single = make(320, 240, 0, false);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, multisampled);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
    glBlitFramebuffer(0, 0, 320, 240, 0, 0, 640, 480, GL_COLOR_BUFFER_BIT, GL_LINEAR);
    EXPECT_EQ(glGetError(), GLenum(GL_INVALID_OPERATION));
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, single);
    glBlitFramebuffer(0, 0, 320, 240, 0, 0, 320, 240, GL_COLOR_BUFFER_BIT, GL_NEAREST);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    glBindFramebuffer(GL_READ_FRAMEBUFFER, single);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
    glBlitFramebuffer(0, 0, 320, 240, 0, 0, 640, 480, GL_COLOR_BUFFER_BIT, GL_LINEAR);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    glBlitFramebuffer(0, 0, 320, 240, 0, 0, 640, 480, GL_DEPTH_BUFFER_BIT, GL_LINEAR);
    EXPECT_EQ(glGetError(), GLenum(GL_INVALID_OPERATION)) << "depth is never filtered";
}

}  // namespace
