// The cached state switches and the projections, through the recording GL layer.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "engine_harness.h"
#include "fluxcore.h"
#include "glrecord.h"

using namespace QUASAR_FLUXCORE;

namespace {

class StateCache : public ::testing::Test {
protected:
    void SetUp() override {
        testsupport::resetEngine();
        glrecord::reset();
    }
    void TearDown() override { testsupport::resetEngine(); }
};

TEST_F(StateCache, CodesMapToTheirCapabilities) {
    const struct {
        int code;
        unsigned int capability;
    } table[] = {{DMS_BLEND, GL_BLEND},
                 {DMS_TEXTURE_2D, GL_TEXTURE_2D},
                 {DMS_DEPTH_TEST, GL_DEPTH_TEST},
                 {DMS_LINE_SMOOTH, GL_LINE_SMOOTH},
                 {DMS_MULTISAMPLE, GL_MULTISAMPLE}};
    for (const auto& row : table) {
        glrecord::reset();
        myEnable(row.code);
        ASSERT_EQ(glrecord::trace().size(), 1u) << "code " << row.code;
        EXPECT_EQ(glrecord::trace()[0].name, "glEnable");
        EXPECT_EQ(glrecord::trace()[0].args[0], double(row.capability)) << "code " << row.code;
        EXPECT_TRUE(glrecord::isEnabled(row.capability));
        myDisable(row.code);
        ASSERT_EQ(glrecord::trace().size(), 2u);
        EXPECT_EQ(glrecord::trace()[1].name, "glDisable");
        EXPECT_EQ(glrecord::trace()[1].args[0], double(row.capability));
        EXPECT_FALSE(glrecord::isEnabled(row.capability));
    }
}

TEST_F(StateCache, RedundantSwitchesMakeNoCall) {
    myEnable(0);
    myEnable(0);
    myEnable(2);
    myDisable(3);
    myDisable(3);
    myEnable(2);
    myDisable(0);
    myDisable(0);
    myEnable(3);
    const auto& calls = glrecord::trace();
    ASSERT_EQ(calls.size(), 5u);
    EXPECT_EQ(calls[0].name, "glEnable");   // blend
    EXPECT_EQ(calls[1].name, "glEnable");   // texture
    EXPECT_EQ(calls[2].name, "glDisable");  // depth: unknown, so it reaches GL
    EXPECT_EQ(calls[3].name, "glDisable");  // blend
    EXPECT_EQ(calls[4].name, "glEnable");   // depth
    // Codes are independent of one another.
    EXPECT_TRUE(glrecord::isEnabled(GL_TEXTURE_2D));
    EXPECT_TRUE(glrecord::isEnabled(GL_DEPTH_TEST));
    EXPECT_FALSE(glrecord::isEnabled(GL_BLEND));
}

TEST_F(StateCache, BlendFactorsAreCachedAsAPair) {
    myBlendFunc(770, 771);
    myBlendFunc(770, 771);
    myBlendFunc(770, 1);
    myBlendFunc(770, 1);
    myBlendFunc(1, 1);  // same destination, other source
    myBlendFunc(770, 771);
    ASSERT_EQ(glrecord::countOf("glBlendFunc"), 4u);
    const auto& last = glrecord::trace().back();
    EXPECT_EQ(last.args, (std::vector<double>{770, 771}));
}

TEST_F(StateCache, ResetForgetsWhatGlHolds) {
    // A new context starts from GL's defaults, whatever the cache remembered.
    myEnable(0);
    myBlendFunc(770, 1);
    testsupport::resetEngine();
    glrecord::reset();
    myEnable(0);
    myBlendFunc(770, 1);
    EXPECT_EQ(glrecord::countOf("glEnable"), 1u);
    EXPECT_EQ(glrecord::countOf("glBlendFunc"), 1u);
}

TEST_F(StateCache, AnUnknownCodeIsAClearFailure) {
    try {
        myEnable(7);
        FAIL() << "code 7 accepted";
    } catch (const char* failure) {
        EXPECT_NE(std::strstr(failure, "state code 7"), nullptr) << failure;
    }
    EXPECT_THROW(myDisable(-1), const char*);
    EXPECT_THROW(myEnable(1000), const char*);
    EXPECT_EQ(glrecord::callCount(), 0u);
}

TEST_F(StateCache, Perspective2DMapsTheUnitSquareToTheScreen) {
    dmsPerspective2D(1, 1);
    const float* p = glrecord::projection();
    // glOrtho(0, 1, 0, 1, -1, 1): x' = 2x - 1, y' = 2y - 1.
    EXPECT_FLOAT_EQ(p[0], 2.0f);
    EXPECT_FLOAT_EQ(p[5], 2.0f);
    EXPECT_FLOAT_EQ(p[12], -1.0f);
    EXPECT_FLOAT_EQ(p[13], -1.0f);
    const float* m = glrecord::modelview();
    for (int i = 0; i < 16; ++i) EXPECT_FLOAT_EQ(m[i], (i % 5 == 0) ? 1.0f : 0.0f);
    // Drawing continues on the model-view matrix.
    EXPECT_EQ(glrecord::trace().back().name, "glLoadIdentity");
    EXPECT_EQ(glrecord::countOf("glMatrixMode"), 2u);
}

// Projects a point by the recorded projection (camera space in, NDC out).
void project(const float* p, double x, double y, double z, double& nx, double& ny, double& nz) {
    const double cx = p[0] * x + p[4] * y + p[8] * z + p[12];
    const double cy = p[1] * x + p[5] * y + p[9] * z + p[13];
    const double cz = p[2] * x + p[6] * y + p[10] * z + p[14];
    const double cw = p[3] * x + p[7] * y + p[11] * z + p[15];
    nx = cx / cw;
    ny = cy / cw;
    nz = cz / cw;
}

TEST_F(StateCache, Perspective3DSeesTheSceneFromItsCamera) {
    dmsPerspective3D();
    const float* p = glrecord::projection();
    // 45 degrees vertically, 4:3 before any mode is set.
    EXPECT_NEAR(p[5], 1.0 / std::tan(22.5 * 3.14159265358979 / 180.0), 1e-5);
    EXPECT_NEAR(p[0], p[5] * 3.0 / 4.0, 1e-5);
    EXPECT_EQ(glrecord::trace().back().name, "glLoadIdentity");

    // From a camera 8.5 units before the centre, a grid 1.5 below it shows
    // its centre in the lower half and its far corner inside the picture, both
    // within the depth range.
    double x, y, z;
    project(p, 0.0, -1.5, -8.5, x, y, z);
    EXPECT_GT(y, -1.0);
    EXPECT_LT(y, 0.0);
    EXPECT_GT(z, -1.0);
    EXPECT_LT(z, 1.0);
    project(p, 9.0, -1.5, -17.5, x, y, z);  // the far corner of the grid
    EXPECT_GT(z, -1.0);
    EXPECT_LT(z, 1.0);
    EXPECT_LT(std::fabs(x), 1.0);
    EXPECT_LT(std::fabs(y), 1.0);
}

}  // namespace
