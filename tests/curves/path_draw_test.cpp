// Path::draw through the recording GL layer: the exact call sequence, the 201
// samples and the state it hands back.
#include <gtest/gtest.h>

#include <GL/gl.h>

#include <string>
#include <vector>

#include "curves/path.h"
#include "glrecord.h"

using QUASAR_FLUXCORE::Path;
using QUASAR_FLUXCORE::Vector;

namespace {

void addPoint(Path& path, float x, float y, float z) {
    Vector point(x, y, z);
    path.addpoint(point);
}

std::vector<glrecord::Call> callsFrom(std::size_t first) {
    const std::vector<glrecord::Call>& all = glrecord::trace();
    return std::vector<glrecord::Call>(all.begin() + static_cast<std::ptrdiff_t>(first), all.end());
}

void expectCall(const glrecord::Call& call, const std::string& name, const std::vector<double>& args) {
    EXPECT_EQ(call.name, name);
    EXPECT_EQ(call.args, args) << "arguments of " << name;
}

}  // namespace

TEST(PathDraw, WhiteLineStripOf201SamplesInsideSavedAttributes) {
    Path path;
    addPoint(path, 0, 0, 0);
    addPoint(path, 3, 1, -2);
    addPoint(path, 4, -3, 1);
    addPoint(path, 8, 2, 5);

    glrecord::reset();
    path.draw();
    const std::vector<glrecord::Call> calls = callsFrom(0);
    ASSERT_EQ(calls.size(), 5u + 201u + 3u);
    expectCall(calls[0], "glPushAttrib", {8192});
    expectCall(calls[1], "glPushAttrib", {1});
    expectCall(calls[2], "glDisable", {3553});
    expectCall(calls[3], "glColor4f", {1, 1, 1, 1});
    expectCall(calls[4], "glBegin", {3});
    for (std::size_t k = 0; k < 201; ++k) {
        const glrecord::Call& call = calls[5 + k];
        ASSERT_EQ(call.name, "glVertex3f") << "sample " << k;
        // Samples sit 0.005 apart in t, up to the float rounding of the running sum.
        const Vector expected = path.getValue(static_cast<float>(k) * 0.005f);
        EXPECT_NEAR(call.args[0], expected.x, 1e-4) << "sample " << k;
        EXPECT_NEAR(call.args[1], expected.y, 1e-4) << "sample " << k;
        EXPECT_NEAR(call.args[2], expected.z, 1e-4) << "sample " << k;
    }
    const Vector firstSample = path.getValue(0.0f);
    const Vector lastSample = path.getValue(0.9999992f);  // the float sum of 200 steps
    expectCall(calls[5], "glVertex3f", {firstSample.x, firstSample.y, firstSample.z});
    expectCall(calls[205], "glVertex3f", {lastSample.x, lastSample.y, lastSample.z});
    expectCall(calls[206], "glEnd", {});
    expectCall(calls[207], "glPopAttrib", {});
    expectCall(calls[208], "glPopAttrib", {});
}

TEST(PathDraw, HandsBackTheEnableBitsAndColourItFound) {
    Path path;
    addPoint(path, 0, 0, 0);
    addPoint(path, 1, 1, 1);

    glrecord::reset();
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_BLEND);
    glColor4f(0.25f, 0.5f, 0.75f, 0.5f);
    const std::size_t before = glrecord::trace().size();
    path.draw();
    EXPECT_EQ(glrecord::countOf("glVertex3f"), 201u);
    EXPECT_EQ(callsFrom(before).size(), 209u);
    // Drawn white, untextured, as one strip.
    ASSERT_EQ(glrecord::primitives().size(), 1u);
    const glrecord::Primitive& strip = glrecord::primitives()[0];
    EXPECT_EQ(strip.mode, static_cast<unsigned int>(GL_LINE_STRIP));
    EXPECT_EQ(strip.texture, 0u);
    EXPECT_EQ(strip.vertices.size(), 201u);
    EXPECT_EQ(strip.vertices[100].colour[0], 1.0f);
    EXPECT_EQ(strip.vertices[100].colour[3], 1.0f);
    EXPECT_TRUE(glrecord::isEnabled(GL_TEXTURE_2D));
    EXPECT_TRUE(glrecord::isEnabled(GL_BLEND));
    EXPECT_EQ(glrecord::attribDepth(), 0);
    EXPECT_EQ(glrecord::pendingError(), static_cast<unsigned int>(GL_NO_ERROR));
    const float* colour = glrecord::currentColour();
    EXPECT_FLOAT_EQ(colour[0], 0.25f);
    EXPECT_FLOAT_EQ(colour[1], 0.5f);
    EXPECT_FLOAT_EQ(colour[2], 0.75f);
    EXPECT_FLOAT_EQ(colour[3], 0.5f);
}

TEST(PathDraw, EmptyPathDrawsNothing) {
    Path path;
    glrecord::reset();
    path.draw();
    EXPECT_EQ(glrecord::callCount(), 0u);
}
