// IntroEffect through the recording GL layer: its calls in order, the quad it
// draws and the state it leaves for the next drawing code.
#include <gtest/gtest.h>

#include <GL/gl.h>

#include <vector>

#include "effects/intro_effect.h"
#include "engine_harness.h"
#include "fluxcore/dms.h"
#include "glrecord.h"

using glassmeridian::IntroEffect;
using glrecord::Call;

namespace {

constexpr unsigned int kPictureName = 7;

// The calls one engine operation makes, recorded on their own.
template <typename Operation>
std::vector<Call> callsOf(Operation operation) {
    const std::size_t first = glrecord::trace().size();
    operation();
    const std::vector<Call>& all = glrecord::trace();
    return std::vector<Call>(all.begin() + static_cast<std::ptrdiff_t>(first), all.end());
}

void append(std::vector<Call>& to, const std::vector<Call>& calls) {
    to.insert(to.end(), calls.begin(), calls.end());
}

class IntroEffectTest : public ::testing::Test {
protected:
    void SetUp() override {
        testsupport::resetEngine();
        testsupport::addTestTexture("loadpic.jpg", kPictureName, 1280, 960);
        glrecord::reset();
        // What the engine's state cache believes from here on: texturing off,
        // depth test on, as a 3D stage would leave them.
        QUASAR_FLUXCORE::myDisable(QUASAR_FLUXCORE::DMS_TEXTURE_2D);
        QUASAR_FLUXCORE::myEnable(QUASAR_FLUXCORE::DMS_DEPTH_TEST);
        intro.init(0, 2000);
    }
    void TearDown() override { testsupport::resetEngine(); }

    // The whole expected frame: the two projections as the engine draws them.
    std::vector<Call> expectedFrame() {
        const std::vector<Call> to2D = callsOf([] { QUASAR_FLUXCORE::dmsPerspective2D(1.0f, 1.0f); });
        const std::vector<Call> to3D = callsOf([] { QUASAR_FLUXCORE::dmsPerspective3D(); });
        std::vector<Call> frame = {{"glEnable", {GL_TEXTURE_2D}}, {"glBindTexture", {GL_TEXTURE_2D, kPictureName}}};
        append(frame, to2D);
        append(frame, {
                          {"glColor4f", {1, 1, 1, 1}},
                          {"glDisable", {GL_DEPTH_TEST}},
                          {"glBegin", {GL_QUADS}},
                          {"glTexCoord2f", {0, 1}},
                          {"glVertex2f", {0, 0}},
                          {"glTexCoord2f", {1, 1}},
                          {"glVertex2f", {1, 0}},
                          {"glTexCoord2f", {1, 0}},
                          {"glVertex2f", {1, 1}},
                          {"glTexCoord2f", {0, 0}},
                          {"glVertex2f", {0, 1}},
                          {"glEnd", {}},
                      });
        append(frame, to3D);
        return frame;
    }

    IntroEffect intro;
};

}  // namespace

TEST_F(IntroEffectTest, InitStoresTheInterval) {
    IntroEffect effect;
    EXPECT_TRUE(effect.init(0, 2000));
    EXPECT_EQ(effect.startTime, 0u);
    EXPECT_EQ(effect.endTime, 2000u);
}

TEST_F(IntroEffectTest, DrawsThePictureFullScreenInOrder) {
    const std::vector<Call> expected = expectedFrame();
    const std::vector<float> projection3D(glrecord::projection(), glrecord::projection() + 16);
    const std::vector<Call> drawn = callsOf([this] {
        intro.time = 0.0f;
        intro.draw();
    });
    ASSERT_EQ(drawn.size(), expected.size()) << glrecord::summary();
    for (std::size_t i = 0; i < drawn.size(); ++i) {
        EXPECT_EQ(drawn[i], expected[i]) << "call " << i;
    }
    EXPECT_EQ(glrecord::pendingError(), static_cast<unsigned int>(GL_NO_ERROR));

    // The 3D projection is back, texturing stays on, depth testing off.
    EXPECT_EQ(std::vector<float>(glrecord::projection(), glrecord::projection() + 16), projection3D);
    EXPECT_TRUE(glrecord::isEnabled(GL_TEXTURE_2D));
    EXPECT_FALSE(glrecord::isEnabled(GL_DEPTH_TEST));
}

TEST_F(IntroEffectTest, QuadIsTexturedWhiteWithThePictureUpright) {
    intro.time = 0.0f;
    intro.draw();
    ASSERT_EQ(glrecord::primitives().size(), 1u);
    const glrecord::Primitive& quad = glrecord::primitives()[0];
    EXPECT_EQ(quad.mode, static_cast<unsigned int>(GL_QUADS));
    EXPECT_EQ(quad.texture, kPictureName);
    EXPECT_FALSE(quad.depthTest);
    ASSERT_EQ(quad.vertices.size(), 4u);
    for (const glrecord::Vertex& vertex : quad.vertices) {
        EXPECT_EQ(vertex.colour[0], 1.0f);
        EXPECT_EQ(vertex.colour[1], 1.0f);
        EXPECT_EQ(vertex.colour[2], 1.0f);
        EXPECT_EQ(vertex.colour[3], 1.0f);
        // t runs from 1 along the bottom edge (y = 0) to 0 along the top (y = 1).
        EXPECT_EQ(vertex.texCoord[1], static_cast<float>(1.0 - vertex.position[1]));
        EXPECT_EQ(vertex.texCoord[0], static_cast<float>(vertex.position[0]));
    }
}

TEST_F(IntroEffectTest, NoFadeFromTheFirstToTheLastFrame) {
    intro.time = 0.0f;
    const std::vector<Call> first = callsOf([this] { intro.draw(); });
    // Hand the state back as the next frame's 3D stage would.
    QUASAR_FLUXCORE::myDisable(QUASAR_FLUXCORE::DMS_TEXTURE_2D);
    QUASAR_FLUXCORE::myEnable(QUASAR_FLUXCORE::DMS_DEPTH_TEST);
    intro.time = 1999.9f;
    const std::vector<Call> last = callsOf([this] { intro.draw(); });
    EXPECT_EQ(first, last);
    ASSERT_EQ(glrecord::callsNamed("glColor4f").size(), 2u);
    for (const Call& colour : glrecord::callsNamed("glColor4f")) {
        EXPECT_EQ(colour.args, (std::vector<double>{1, 1, 1, 1}));
    }
}
