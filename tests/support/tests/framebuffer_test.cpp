// Framebuffer objects: bindings, storage limits, completeness, and a
// multisampled source resolved but never scaled by a blit.
#define GL_GLEXT_PROTOTYPES 1
#include <GL/gl.h>
#include <GL/glext.h>

#include "fixture.h"

namespace {

class FramebufferTest : public GlRecordTest {
protected:
    // A framebuffer bound to GL_FRAMEBUFFER, with a colour renderbuffer of this size.
    static GLuint make(int width, int height, int samples) {
        GLuint framebuffer = 0, colour = 0;
        glGenFramebuffers(1, &framebuffer);
        glGenRenderbuffers(1, &colour);
        glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
        glBindRenderbuffer(GL_RENDERBUFFER, colour);
        glRenderbufferStorageMultisample(GL_RENDERBUFFER, samples, GL_RGBA8, width, height);
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, colour);
        return framebuffer;
    }
};

TEST_F(FramebufferTest, FollowOpenGL30) {
    GLuint empty = 0;
    glGenFramebuffers(1, &empty);
    glBindFramebuffer(GL_FRAMEBUFFER, empty);
    EXPECT_EQ(glCheckFramebufferStatus(GL_FRAMEBUFFER), GLenum(GL_FRAMEBUFFER_INCOMPLETE_MISSING_ATTACHMENT));
    make(8193, 16, 0);
    EXPECT_EQ(glGetError(), GLenum(GL_INVALID_VALUE));
    EXPECT_EQ(glCheckFramebufferStatus(GL_FRAMEBUFFER), GLenum(GL_FRAMEBUFFER_INCOMPLETE_ATTACHMENT));

    glrecord::setWindowSamples(4);
    const GLuint multisampled = make(320, 240, 4);
    const GLuint single = make(320, 240, 0);
    EXPECT_EQ(glCheckFramebufferStatus(GL_FRAMEBUFFER), GLenum(GL_FRAMEBUFFER_COMPLETE));
    glBindFramebuffer(GL_READ_FRAMEBUFFER, multisampled);
    EXPECT_EQ(glrecord::drawFramebuffer(), single);
    EXPECT_EQ(glrecord::readFramebuffer(), multisampled);
    glBlitFramebuffer(0, 0, 320, 240, 0, 0, 640, 480, GL_COLOR_BUFFER_BIT, GL_LINEAR);
    EXPECT_EQ(glGetError(), GLenum(GL_INVALID_OPERATION)) << "a multisampled source scaled";
    glBlitFramebuffer(0, 0, 320, 240, 0, 0, 320, 240, GL_COLOR_BUFFER_BIT, GL_NEAREST);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));

    glDeleteFramebuffers(1, &single);
    EXPECT_EQ(glrecord::drawFramebuffer(), 0u) << "deleting the bound framebuffer binds the window's";
    GLint samples = 0;
    glGetIntegerv(GL_SAMPLES, &samples);
    EXPECT_EQ(samples, 4) << "the window's";
}

}  // namespace
