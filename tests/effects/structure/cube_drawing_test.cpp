// drawCube, drawSprite and getCameraAxes through the recording GL layer: the
// outline's edges, the sprites' placement, facing and alpha, and the state a
// cube leaves behind.
#include <gtest/gtest.h>

#include <GL/gl.h>

#include <array>
#include <cmath>
#include <map>
#include <vector>

#include <fluxcore/dms.h>

#include "effects/cube_drawing.h"
#include "glrecord.h"
#include "structure_test_support.h"

using glrecord::Primitive;
using QUASAR_FLUXCORE::Vector;

namespace {

class CubeDrawing : public ::testing::Test {
protected:
    void SetUp() override {
        structuretest::prepareRecordedFrame();
        // The scene's usual state on entry: blending on with (770, 771).
        QUASAR_FLUXCORE::myEnable(QUASAR_FLUXCORE::DMS_BLEND);
        QUASAR_FLUXCORE::myBlendFunc(770, 771);
        QUASAR_FLUXCORE::myDisable(QUASAR_FLUXCORE::DMS_TEXTURE_2D);
        QUASAR_FLUXCORE::myEnable(QUASAR_FLUXCORE::DMS_DEPTH_TEST);
    }

    static std::vector<const Primitive*> primitivesOf(unsigned int mode) {
        std::vector<const Primitive*> found;
        for (const Primitive& p : glrecord::primitives()) {
            if (p.mode == mode) found.push_back(&p);
        }
        return found;
    }
};

TEST_F(CubeDrawing, NothingHappensWithoutAPositiveSize) {
    const std::size_t before = glrecord::callCount();
    glassmeridian::drawCube(0.0f, 1.0f, 0.0f, 0.1f);
    glassmeridian::drawCube(0.0f, 1.0f, -0.2f, 0.1f);
    glassmeridian::drawCube(0.0f, 1.0f, std::nanf(""), 0.1f);
    EXPECT_EQ(glrecord::callCount(), before);
}

TEST_F(CubeDrawing, OutlineDrawsEveryEdgeTwiceFaceByFace) {
    const float h = 0.25f;
    glassmeridian::drawCube(0.0f, 0.6f, h, 0.1f);
    const auto outlines = primitivesOf(GL_LINES);
    ASSERT_EQ(outlines.size(), 1u);
    const auto& v = outlines[0]->vertices;
    ASSERT_EQ(v.size(), 48u);

    // Faces in drawing order: the axis held fixed and its sign.
    const int faceAxis[6] = {1, 1, 0, 0, 2, 2};
    const double faceSign[6] = {-1, 1, 1, -1, 1, -1};
    std::map<std::array<int, 6>, int> edges;
    for (int segment = 0; segment < 24; ++segment) {
        const auto& a = v[2 * segment].position;
        const auto& b = v[2 * segment + 1].position;
        int differing = 0;
        std::array<int, 6> key{};
        for (int axis = 0; axis < 3; ++axis) {
            EXPECT_NEAR(std::fabs(a[axis]), h, 1e-7);
            EXPECT_NEAR(std::fabs(b[axis]), h, 1e-7);
            differing += (a[axis] > 0) != (b[axis] > 0) ? 1 : 0;
            key[axis] = a[axis] > 0;
            key[axis + 3] = b[axis] > 0;
        }
        EXPECT_EQ(differing, 1) << "segment " << segment + 1 << " is not an edge";
        const int face = segment / 4;
        EXPECT_EQ(a[faceAxis[face]], faceSign[face] * h) << "segment " << segment + 1;
        EXPECT_EQ(b[faceAxis[face]], faceSign[face] * h) << "segment " << segment + 1;
        if (key[0] * 4 + key[1] * 2 + key[2] > key[3] * 4 + key[4] * 2 + key[5]) {
            std::swap_ranges(key.begin(), key.begin() + 3, key.begin() + 3);
        }
        ++edges[key];
    }
    EXPECT_EQ(edges.size(), 12u);
    for (const auto& edge : edges) EXPECT_EQ(edge.second, 2);
    // First and last segments as drawn: (-h,-h,+h)-(-h,-h,-h) and (-h,-h,-h)-(-h,+h,-h).
    EXPECT_EQ(v[0].position[2], h);
    EXPECT_EQ(v[1].position[2], -h);
    EXPECT_EQ(v[46].position[1], -h);
    EXPECT_EQ(v[47].position[1], h);
    for (const auto& vertex : v) EXPECT_FLOAT_EQ(vertex.colour[3], 0.6f);
}

TEST_F(CubeDrawing, OutlineUsesTheCallersStateAndSpritesGlowAdditively) {
    glassmeridian::drawCube(0.0f, 1.0f, 0.1f, 0.1f);
    const std::vector<glrecord::Call>& trace = glrecord::trace();
    const std::size_t begin = glrecord::indexOf("glBegin");
    ASSERT_NE(begin, glrecord::kNotFound);
    // Nothing switched before the outline.
    EXPECT_EQ(glrecord::countBetween("glBlendFunc", 0, begin), 1u);  // the fixture's own
    const auto outlines = primitivesOf(GL_LINES);
    ASSERT_EQ(outlines.size(), 1u);
    EXPECT_TRUE(outlines[0]->blend);
    EXPECT_TRUE(outlines[0]->depthTest);
    EXPECT_EQ(outlines[0]->texture, 0u);

    const auto sprites = primitivesOf(GL_QUADS);
    ASSERT_EQ(sprites.size(), 8u);
    for (const Primitive* sprite : sprites) {
        EXPECT_EQ(sprite->texture, structuretest::kParticleId);
        EXPECT_FALSE(sprite->depthTest);
        EXPECT_TRUE(sprite->blend);
    }
    const std::vector<glrecord::Call> blends = glrecord::callsNamed("glBlendFunc");
    ASSERT_FALSE(blends.empty());
    EXPECT_EQ(blends.back().args, (std::vector<double>{770, 1}));
    EXPECT_LT(glrecord::indexOf("glBlendFunc", begin), glrecord::indexOf("glBindTexture"));

    // Left behind: texturing off, depth test on, blending untouched, sprite texture bound.
    EXPECT_FALSE(glrecord::isEnabled(GL_TEXTURE_2D));
    EXPECT_TRUE(glrecord::isEnabled(GL_DEPTH_TEST));
    EXPECT_TRUE(glrecord::isEnabled(GL_BLEND));
    EXPECT_EQ(glrecord::boundTexture(), structuretest::kParticleId);
    EXPECT_EQ(glrecord::countBetween("glEnable", begin, trace.size()) +
                  glrecord::countBetween("glDisable", begin, trace.size()),
              4u);
}

TEST_F(CubeDrawing, DrawCubeNeverSwitchesBlendingItself) {
    QUASAR_FLUXCORE::myDisable(QUASAR_FLUXCORE::DMS_BLEND);
    glassmeridian::drawCube(0.0f, 1.0f, 0.1f, 0.1f);
    EXPECT_FALSE(glrecord::isEnabled(GL_BLEND));
}

TEST_F(CubeDrawing, SpriteAlphaFallsWithTheFadeHeight) {
    struct Case {
        float fadeHeight;
        double factor;  // of alpha
    };
    const Case cases[] = {{0.5f, 0.8}, {-0.69f, 0.8}, {-0.7f, 0.8}, {-0.85f, 0.4},
                          {-1.0f, 0.0}, {-1.5f, 0.0}};
    for (const Case& c : cases) {
        structuretest::prepareRecordedFrame();
        glassmeridian::drawCube(c.fadeHeight, 0.5f, 0.1f, 0.1f);
        const auto sprites = primitivesOf(GL_QUADS);
        ASSERT_EQ(sprites.size(), 8u) << "fade height " << c.fadeHeight;
        for (const Primitive* sprite : sprites) {
            EXPECT_NEAR(sprite->vertices[0].colour[3], 0.5 * c.factor, 1e-6)
                << "fade height " << c.fadeHeight;
        }
        // The outline keeps the plain alpha whatever the height.
        EXPECT_FLOAT_EQ(primitivesOf(GL_LINES).at(0)->vertices[0].colour[3], 0.5f);
    }
}

TEST_F(CubeDrawing, SpritesSitOnTheCornersInOrderWithTextureUpright) {
    const float h = 0.2f;
    const float size = 0.05f;
    glassmeridian::drawCube(0.0f, 1.0f, h, size);
    const auto sprites = primitivesOf(GL_QUADS);
    ASSERT_EQ(sprites.size(), 8u);
    const int order[8][3] = {{1, -1, 1}, {1, -1, -1}, {-1, -1, 1}, {-1, -1, -1},
                             {1, 1, 1},  {1, 1, -1},  {-1, 1, 1},  {-1, 1, -1}};
    // Identity model-view: right = x, up = y.
    const double offsets[4][2] = {{-1, -1}, {1, -1}, {1, 1}, {-1, 1}};
    const float texCoords[4][2] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
    for (int s = 0; s < 8; ++s) {
        ASSERT_EQ(sprites[s]->vertices.size(), 4u);
        for (int v = 0; v < 4; ++v) {
            const auto& vertex = sprites[s]->vertices[v];
            EXPECT_NEAR(vertex.position[0], order[s][0] * h + offsets[v][0] * size, 1e-7);
            EXPECT_NEAR(vertex.position[1], order[s][1] * h + offsets[v][1] * size, 1e-7);
            EXPECT_NEAR(vertex.position[2], order[s][2] * h, 1e-7);
            EXPECT_EQ(vertex.texCoord[0], texCoords[v][0]);
            EXPECT_EQ(vertex.texCoord[1], texCoords[v][1]);
        }
    }
}

TEST_F(CubeDrawing, SpritesFaceTheCameraUnderAnyModelView) {
    glRotatef(37.0f, 0.3f, -0.8f, 0.5f);
    glTranslatef(0.4f, -1.0f, 2.0f);
    glRotatef(-70.0f, 1.0f, 0.2f, 0.0f);
    const float size = 0.1f;
    glassmeridian::drawCube(0.0f, 1.0f, 0.3f, size);
    const auto sprites = primitivesOf(GL_QUADS);
    ASSERT_EQ(sprites.size(), 8u);
    for (const Primitive* sprite : sprites) {
        const auto& v = sprite->vertices;
        // In eye space the square is flat in z and axis-aligned, edge 2 x size.
        for (int i = 1; i < 4; ++i) EXPECT_NEAR(v[i].eye[2], v[0].eye[2], 1e-5);
        EXPECT_NEAR(v[1].eye[0] - v[0].eye[0], 2 * size, 1e-5);
        EXPECT_NEAR(v[1].eye[1] - v[0].eye[1], 0.0, 1e-5);
        EXPECT_NEAR(v[2].eye[1] - v[1].eye[1], 2 * size, 1e-5);
        EXPECT_NEAR(v[3].eye[0] - v[0].eye[0], 0.0, 1e-5);
    }
}

TEST_F(CubeDrawing, CameraAxesAreTheModelViewRows) {
    glRotatef(90.0f, 0.0f, 0.0f, 1.0f);
    glScalef(2.0f, 3.0f, 4.0f);
    Vector right(9.0f, 9.0f, 9.0f);
    Vector up(9.0f, 9.0f, 9.0f);
    glassmeridian::getCameraAxes(right, up);
    const float* m = glrecord::modelview();
    EXPECT_FLOAT_EQ(right.x, m[0]);
    EXPECT_FLOAT_EQ(right.y, m[4]);
    EXPECT_FLOAT_EQ(right.z, m[8]);
    EXPECT_FLOAT_EQ(up.x, m[1]);
    EXPECT_FLOAT_EQ(up.y, m[5]);
    EXPECT_FLOAT_EQ(up.z, m[9]);
    // Rz(90) * S: the first row is (0, -3, 0), the second (2, 0, 0).
    EXPECT_NEAR(right.y, -3.0f, 1e-6);
    EXPECT_NEAR(up.x, 2.0f, 1e-6);
    EXPECT_EQ(glrecord::callsNamed("glGetFloatv").back().args, (std::vector<double>{2982}));
}

TEST_F(CubeDrawing, SpriteSpansRightAndUpFromItsCentre) {
    Vector centre(1.0f, 2.0f, 3.0f);
    Vector right(0.0f, 0.0f, 1.0f);
    Vector up(0.0f, 1.0f, 0.0f);
    glrecord::reset();  // only the sprite's own calls in the trace
    glassmeridian::drawSprite(centre, right, up, 0.5f);
    const auto quads = primitivesOf(GL_QUADS);
    ASSERT_EQ(quads.size(), 1u);
    const auto& v = quads[0]->vertices;
    ASSERT_EQ(v.size(), 4u);
    const double expected[4][3] = {{1, 1.5, 2.5}, {1, 1.5, 3.5}, {1, 2.5, 3.5}, {1, 2.5, 2.5}};
    for (int i = 0; i < 4; ++i) {
        for (int axis = 0; axis < 3; ++axis) EXPECT_NEAR(v[i].position[axis], expected[i][axis], 1e-7);
    }
    EXPECT_EQ(glrecord::summary(), "glBegin glTexCoord2f glVertex3fv glTexCoord2f glVertex3fv "
                                   "glTexCoord2f glVertex3fv glTexCoord2f glVertex3fv glEnd");
}

}  // namespace
