// The full-screen picture through the recording GL layer: drawn at the mode's
// size into a framebuffer object with the very calls a window of that size
// gets, then scaled onto the drawable with black bars; windowed frames make
// no framebuffer calls; start-up failures are named; the letter-box that
// keeps the mode's aspect on any drawable.
#define GL_GLEXT_PROTOTYPES 1
#include <GL/gl.h>
#include <GL/glext.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "engine_harness.h"
#include "fluxcore.h"
#include "glrecord.h"
#include "graphics/gl_state.h"

using namespace QUASAR_FLUXCORE;

namespace {

// Draws in 3D, then in 2D over the viewport it finds, as the production's effects do.
class Scene : public Base {
public:
    void draw() override {
        myEnable(DMS_DEPTH_TEST);
        glBegin(GL_TRIANGLES);
        glVertex3f(-1, -1, -5);
        glVertex3f(1, -1, -5);
        glVertex3f(0, 1, -5);
        glEnd();
        GLint viewport[4] = {};
        glGetIntegerv(GL_VIEWPORT, viewport);
        dmsPerspective2D(float(viewport[2]), float(viewport[3]));
        glBegin(GL_QUADS);
        glVertex2i(0, 0);
        glVertex2i(viewport[2], 0);
        glVertex2i(viewport[2], viewport[3]);
        glVertex2i(0, viewport[3]);
        glEnd();
    }
};

using Calls = std::vector<glrecord::Call>;

glrecord::Call call(const char* name, std::vector<double> args = {}) { return {name, std::move(args)}; }

bool touchesFramebuffers(const Calls& calls) {
    for (const glrecord::Call& c : calls)
        if (c.name.find("buffer") != std::string::npos && c.name != "glDrawBuffer" && c.name != "glReadBuffer")
            return true;
    return false;
}

class FullscreenPicture : public ::testing::Test {
protected:
    void SetUp() override { restart(); }
    void TearDown() override { testsupport::resetEngine(); }

    static void restart() {
        testsupport::resetEngine();
        glrecord::reset();
    }

    // Starts drawing in the mode with the scene on the timeline; the picture's
    // framebuffer (0 when windowed) is left in `picture`.
    void start(int width, int height, bool fullscreen, int drawableWidth, int drawableHeight) {
        dmsAddEffect(0, 1000, "scene", new Scene);
        dmsInitEffects();
        dmsSetFixedClock(true);
        dmsSetTime(500.0f);
        testsupport::startDrawingHeadless(width, height, fullscreen, drawableWidth, drawableHeight);
        picture = glrecord::drawFramebuffer();
    }

    // One frame as the host draws and presents it; its calls.
    static Calls frame(int drawableWidth, int drawableHeight) {
        const std::size_t first = glrecord::trace().size();
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        dmsRun();
        testsupport::presentHeadless(drawableWidth, drawableHeight);
        const Calls& all = glrecord::trace();
        return Calls(all.begin() + static_cast<std::ptrdiff_t>(first), all.end());
    }

    // The second frame's calls (the first follows the start-up).
    Calls secondFrame(int width, int height, bool fullscreen, int drawableWidth, int drawableHeight) {
        restart();
        start(width, height, fullscreen, drawableWidth, drawableHeight);
        frame(drawableWidth, drawableHeight);
        return frame(drawableWidth, drawableHeight);
    }

    GLuint picture = 0;
};

TEST_F(FullscreenPicture, AFrameIsTheWindowsFrameOfThatSizeThenTheScaledCopyWithBars) {
    const struct {
        int width, height, drawableWidth, drawableHeight;
        int x0, y0, x1, y1;  // where the picture lands in the drawable
    } cases[] = {
        {640, 480, 1920, 1080, 240, 0, 1680, 1080},     // pillar-boxed
        {1280, 1024, 1920, 1080, 285, 0, 1635, 1080},   // pillar-boxed
        {800, 600, 1280, 1024, 0, 32, 1280, 992},       // letter-boxed
        {1920, 1080, 1280, 1024, 0, 152, 1280, 872},    // letter-boxed, scaled down
        {640, 480, 1280, 960, 0, 0, 1280, 960},         // same shape: no bars
    };
    for (const auto& c : cases) {
        const std::string what = std::to_string(c.width) + "x" + std::to_string(c.height) + " on " +
                                 std::to_string(c.drawableWidth) + "x" + std::to_string(c.drawableHeight);
        const Calls windowed = secondFrame(c.width, c.height, false, c.width, c.height);
        EXPECT_FALSE(touchesFramebuffers(windowed)) << what;
        const Calls full = secondFrame(c.width, c.height, true, c.drawableWidth, c.drawableHeight);
        ASSERT_NE(picture, 0u) << what;
        ASSERT_GT(full.size(), windowed.size()) << what;
        EXPECT_TRUE(std::equal(windowed.begin(), windowed.end(), full.begin()))
            << what << ": the effects' calls differ from a window's";

        const double colour = GL_COLOR_BUFFER_BIT;
        Calls present = {call("glBindFramebuffer", {GL_FRAMEBUFFER, 0}),
                         call("glPushAttrib", {double(GL_COLOR_BUFFER_BIT | GL_SCISSOR_BIT)}),
                         call("glDisable", {GL_SCISSOR_TEST}),
                         call("glBindFramebuffer", {GL_READ_FRAMEBUFFER, double(picture)})};
        if (c.x0 != 0 || c.y0 != 0) {
            present.push_back(call("glColorMask", {1, 1, 1, 1}));
            present.push_back(call("glClearColor", {0, 0, 0, 0}));
            present.push_back(call("glClear", {colour}));
        }
        present.push_back(call("glBlitFramebuffer", {0, 0, double(c.width), double(c.height), double(c.x0),
                                                     double(c.y0), double(c.x1), double(c.y1), colour, GL_LINEAR}));
        present.push_back(call("glPopAttrib"));
        present.push_back(call("glBindFramebuffer", {GL_FRAMEBUFFER, double(picture)}));
        EXPECT_EQ(Calls(full.begin() + static_cast<std::ptrdiff_t>(windowed.size()), full.end()), present) << what;
        EXPECT_EQ(glrecord::drawFramebuffer(), picture) << what << ": the next frame draws into the picture";
        EXPECT_EQ(glrecord::attribDepth(), 0) << what;
        EXPECT_EQ(glrecord::pendingError(), GLenum(GL_NO_ERROR)) << what;
    }
}

TEST_F(FullscreenPicture, StartsBoundWithTheModesViewportAndWindowedStartsWithout) {
    start(640, 480, true, 1920, 1080);
    ASSERT_NE(picture, 0u);
    GLint viewport[4] = {};
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(std::vector<GLint>(viewport, viewport + 4), (std::vector<GLint>{0, 0, 640, 480}));
    const std::vector<glrecord::Call> storage = glrecord::callsNamed("glRenderbufferStorage");
    ASSERT_EQ(storage.size(), 2u);
    EXPECT_EQ(storage[0].args, (std::vector<double>{GL_RENDERBUFFER, GL_RGBA8, 640, 480}));
    EXPECT_EQ(storage[1].args, (std::vector<double>{GL_RENDERBUFFER, GL_DEPTH_COMPONENT24, 640, 480}));
    EXPECT_EQ(glrecord::countOf("glCheckFramebufferStatus"), 1u);

    // Shut down: every object deleted, the window's framebuffer bound again.
    dmsShutDown();
    EXPECT_EQ(glrecord::countOf("glDeleteFramebuffers"), 1u);
    EXPECT_EQ(glrecord::countOf("glDeleteRenderbuffers"), 2u);
    EXPECT_EQ(glrecord::drawFramebuffer(), 0u);
    dmsShutDown();
    EXPECT_EQ(glrecord::countOf("glDeleteFramebuffers"), 1u) << "deleted twice";

    restart();
    start(640, 480, false, 640, 480);
    EXPECT_EQ(picture, 0u);
    EXPECT_FALSE(touchesFramebuffers(glrecord::trace()));
    const std::size_t started = glrecord::trace().size();
    testsupport::presentHeadless(640, 480);
    dmsPresentFrame();  // no window
    dmsShutDown();
    EXPECT_EQ(glrecord::trace().size(), started) << "presenting or shutting down a window's frame made GL calls";
}

TEST_F(FullscreenPicture, AMultisampledWindowGetsAMultisampledPictureResolvedBeforeScaling) {
    glrecord::setWindowSamples(4);
    start(640, 480, true, 1920, 1080);
    const std::vector<glrecord::Call> multisampled = glrecord::callsNamed("glRenderbufferStorageMultisample");
    ASSERT_EQ(multisampled.size(), 2u);
    EXPECT_EQ(multisampled[0].args, (std::vector<double>{GL_RENDERBUFFER, 4, GL_RGBA8, 640, 480}));
    EXPECT_EQ(multisampled[1].args, (std::vector<double>{GL_RENDERBUFFER, 4, GL_DEPTH_COMPONENT24, 640, 480}));
    EXPECT_EQ(glrecord::callsNamed("glRenderbufferStorage").size(), 1u) << "the resolved copy: colour only";

    frame(1920, 1080);
    const std::vector<glrecord::Call> blits = glrecord::callsNamed("glBlitFramebuffer");
    ASSERT_EQ(blits.size(), 2u);
    const double colour = GL_COLOR_BUFFER_BIT;
    EXPECT_EQ(blits[0].args, (std::vector<double>{0, 0, 640, 480, 0, 0, 640, 480, colour, GL_NEAREST}));
    EXPECT_EQ(blits[1].args, (std::vector<double>{0, 0, 640, 480, 240, 0, 1680, 1080, colour, GL_LINEAR}));
    EXPECT_EQ(glrecord::pendingError(), GLenum(GL_NO_ERROR));
    EXPECT_EQ(glrecord::drawFramebuffer(), picture);
}

TEST_F(FullscreenPicture, StartUpFailuresNameTheSizeOrTheFramebuffersStatus) {
    const struct {
        int width, height;
        const char* failure;
    } cases[] = {
        {9000, 100, "the picture size 9000x100 is beyond this OpenGL's largest 8192x8192"},
        {100, 8193, "the picture size 100x8193 is beyond this OpenGL's largest 8192x8192"},
        // Within the limits, but colour and depth do not both fit in the context's memory.
        {8192, 8192, "the full-screen picture's framebuffer (8192x8192, 0 samples) is not complete: "
                     "GL_FRAMEBUFFER_INCOMPLETE_ATTACHMENT"},
    };
    for (const auto& c : cases) {
        restart();
        try {
            testsupport::startDrawingHeadless(c.width, c.height, true, 1920, 1080);
            ADD_FAILURE() << c.failure << ": started";
        } catch (const char* failure) {
            EXPECT_STREQ(failure, c.failure);
        }
        EXPECT_EQ(glrecord::countOf("glGenFramebuffers"), glrecord::countOf("glDeleteFramebuffers")) << c.failure;
        EXPECT_EQ(glrecord::countOf("glGenRenderbuffers"), glrecord::countOf("glDeleteRenderbuffers"))
            << c.failure;
        EXPECT_EQ(glrecord::drawFramebuffer(), 0u) << c.failure;
    }
}

TEST(Letterbox, KeepsTheModesAspectOnAnyDisplay) {
    using fluxcore::letterbox;
    using fluxcore::Viewport;
    EXPECT_EQ(letterbox(640, 480, 640, 480), (Viewport{0, 0, 640, 480}));
    EXPECT_EQ(letterbox(1024, 768, 1920, 1080), (Viewport{240, 0, 1440, 1080}));  // pillar-boxed
    EXPECT_EQ(letterbox(1280, 1024, 1920, 1080), (Viewport{285, 0, 1350, 1080}));
    EXPECT_EQ(letterbox(800, 600, 1280, 1024), (Viewport{0, 32, 1280, 960}));  // letter-boxed
    EXPECT_EQ(letterbox(640, 480, 0, 0), (Viewport{0, 0, 0, 0}));
}

}  // namespace
