// Whole frames of the structure scene through the recording GL layer: call
// order, the state each stage draws with, the camera, the scene transform,
// vertex counts of grid, cubes, line and ribbon, and the loading-picture fade.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

#include "curves/path.h"
#include "effects/effect_timing.h"
#include "effects/structure_effect.h"
#include "glrecord.h"
#include "structure_test_support.h"

using glassmeridian::StructureEffect;
using glrecord::Call;
using QUASAR_FLUXCORE::Vector;
using structuretest::TraceWalker;

namespace {

constexpr unsigned int kBlend = 0x0BE2;
constexpr unsigned int kTexture2D = 0x0DE1;
constexpr unsigned int kDepthTest = 0x0B71;
constexpr unsigned int kLineSmooth = 0x0B20;
constexpr unsigned int kMultisample = 0x809D;
constexpr double GL_TEXTURE_2D_TARGET = 0x0DE1;
constexpr unsigned int GL_LINES_MODE = 1;
constexpr unsigned int GL_LINE_STRIP_MODE = 3;
constexpr unsigned int GL_TRIANGLES_MODE = 4;
constexpr unsigned int GL_QUADS_MODE = 7;
constexpr unsigned int GL_QUAD_STRIP_MODE = 8;

struct FrameCase {
    float t;
    double firstAngle;   // about (-1, -0.77, 0)
    double secondAngle;  // about (0, 0.2, 0.9)
    double offsetY;      // V.y
    double eyeZ;
    double centreY;
    int lineVertices;
    int ribbonSegments;
    bool overlay;
    double overlayAlpha;
};

void PrintTo(const FrameCase& c, std::ostream* out) { *out << "t=" << c.t; }

void expectArgs(const Call& call, const std::vector<double>& expected, double tol) {
    ASSERT_EQ(call.args.size(), expected.size()) << call;
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_NEAR(call.args[i], expected[i], tol) << call << " argument " << i;
    }
}

void expectBlend(const TraceWalker& w, int source, int destination, const char* where) {
    EXPECT_TRUE(w.state().on(kBlend)) << where;
    EXPECT_EQ(w.state().blendSource, source) << where;
    EXPECT_EQ(w.state().blendDestination, destination) << where;
}

bool passedEnable(const TraceWalker& w, unsigned int capability) {
    for (const Call& call : w.passed()) {
        if (call.name == "glEnable" && call.args.at(0) == capability) return true;
    }
    return false;
}

// Reveal amount as the scene defines it, from the effect's own reveal path.
double revealAmount(StructureEffect& scene, float t) {
    double x = scene.revealPath->getValue(t).x;
    x = x > 1.0 ? 1.0 : (x >= 0.0 ? x : 0.0);
    return static_cast<float>(std::pow(static_cast<float>(x), 1.5));
}

class StructureFrame : public ::testing::TestWithParam<FrameCase> {
protected:
    void SetUp() override {
        scene_ = std::make_unique<StructureEffect>();
        scene_->init(2000, 49000);
        structuretest::prepareRecordedFrame();
    }
    std::unique_ptr<StructureEffect> scene_;
};

void checkFrameSetupAndCamera(TraceWalker& w, const FrameCase& c) {
    expectArgs(w.expect("glHint"), {3154, 4354}, 0);
    w.advanceTo("glLoadIdentity");
    expectBlend(w, 770, 771, "frame set-up");
    EXPECT_FALSE(w.state().on(kTexture2D));
    EXPECT_TRUE(w.state().on(kLineSmooth));
    expectArgs(w.expect("gluLookAt"), {0, 0, c.eyeZ, -0.7, c.centreY, 0, 0, 1, 0}, 1e-5);
}

void checkWaveGrid(TraceWalker& w, const StructureEffect& scene, float fade) {
    for (int i = 0; i < 59; ++i) {
        expectArgs(w.advanceTo("glBegin"), {GL_QUAD_STRIP_MODE}, 0);
        if (i == 0) {
            expectBlend(w, 770, 771, "grid");
            EXPECT_FALSE(w.state().on(kTexture2D));
            EXPECT_TRUE(w.state().on(kDepthTest));
        }
        for (int j = 0; j < 60; ++j) {
            for (int row = i; row <= i + 1; ++row) {
                const int k = row * 60 + j;
                const double alpha = (1.0 - scene.gridHeights[k]) * scene.gridWeights[k] * fade;
                const Call& colour = w.expect("glColor4f");
                expectArgs(colour, {0, 24.0 / 255, 57.0 / 255, alpha}, 1e-5);
                const Call& vertex = w.expect("glVertex3fv");
                expectArgs(vertex, {scene.gridPoints[k].x, -1.5, scene.gridPoints[k].z}, 1e-6);
                if (::testing::Test::HasFailure()) return;
            }
        }
        w.expect("glEnd");
    }
}

void checkCubes(TraceWalker& w, const StructureEffect& scene, const FrameCase& c, float fade) {
    for (int k = 0; k < scene.cubeCount; ++k) {
        const glassmeridian::Cube& cube = scene.cubes[k];
        w.expect("glPushMatrix");
        expectArgs(w.expect("glTranslatef"), {cube.position.x, cube.position.y, cube.position.z},
                   0);
        expectArgs(w.expect("glColor4f"), {1, 1, 1, fade}, 1e-6);
        expectArgs(w.expect("glBegin"), {GL_LINES_MODE}, 0);
        // The first outline keeps the grid's blend function; the others get
        // the additive one the previous cube's sprites left.
        if (k == 0) {
            expectBlend(w, 770, 771, "first cube outline");
        } else {
            expectBlend(w, 770, 1, "later cube outline");
        }
        EXPECT_TRUE(w.state().on(kDepthTest));
        EXPECT_FALSE(w.state().on(kTexture2D));
        const double size =
            0.05 + (std::sin(c.t * static_cast<double>(cube.frequency) + cube.phase) + 1) * 0.5 * 0.08;
        for (int v = 0; v < 48; ++v) {
            const Call& vertex = w.expect("glVertex3fv");
            for (double coordinate : vertex.args) EXPECT_NEAR(std::fabs(coordinate), size, 1e-6);
        }
        w.expect("glEnd");

        expectArgs(w.advanceTo("glBindTexture"), {GL_TEXTURE_2D_TARGET, structuretest::kParticleId},
                   0);
        EXPECT_TRUE(w.state().on(kTexture2D));
        EXPECT_FALSE(w.state().on(kDepthTest));
        expectBlend(w, 770, 1, "sprites");
        expectArgs(w.expect("glGetFloatv"), {2982}, 0);
        const double h = 2.0 * cube.position.y + 2.4 * c.offsetY;
        const double spriteK = h > -0.7 ? 1.0 : (h < -1.0 ? 0.0 : (h + 1.0) / 0.3);
        expectArgs(w.expect("glColor4f"), {1, 1, 1, spriteK * fade * 0.8}, 2e-4);
        for (int sprite = 0; sprite < 8; ++sprite) {
            expectArgs(w.expect("glBegin"), {GL_QUADS_MODE}, 0);
            for (int v = 0; v < 4; ++v) {
                w.expect("glTexCoord2f");
                w.expect("glVertex3fv");
            }
            w.expect("glEnd");
        }
        w.advanceTo("glPopMatrix");
        EXPECT_FALSE(w.state().on(kTexture2D));
        EXPECT_TRUE(w.state().on(kDepthTest));
        if (::testing::Test::HasFailure()) return;
    }
}

void checkTrackLine(TraceWalker& w, StructureEffect& scene, const FrameCase& c, float fade) {
    expectArgs(w.advanceTo("glLineWidth"), {4}, 0);
    expectBlend(w, 770, 771, "track line");
    EXPECT_TRUE(w.state().on(kDepthTest));
    EXPECT_FALSE(w.state().on(kTexture2D));
    expectArgs(w.expect("glScalef"), {1.1, 1.1, 1.1}, 1e-6);
    expectArgs(w.expect("glBegin"), {GL_LINE_STRIP_MODE}, 0);
    int count = 0;
    float s = 0.0f;  // the parameter steps in single precision
    while (w.peek() != nullptr && w.peek()->name == "glColor4f") {
        const Vector colour = scene.colourPath->getValue(s);
        const Vector position = scene.trackPath->getValue(s);
        expectArgs(w.expect("glColor4f"), {colour.x, colour.y, colour.z, fade}, 1e-6);
        expectArgs(w.expect("glVertex3fv"), {position.x, position.y, position.z}, 1e-6);
        s += 0.0005f;
        ++count;
        if (::testing::Test::HasFailure()) return;
    }
    w.expect("glEnd");
    EXPECT_EQ(count, c.lineVertices);
}

void checkRibbon(TraceWalker& w, StructureEffect& scene, const FrameCase& c, float fade) {
    expectArgs(w.expect("glBegin"), {GL_TRIANGLES_MODE}, 0);
    const double length = 1500.0 * revealAmount(scene, c.t);
    const int n = static_cast<int>(length);
    ASSERT_EQ(n, c.ribbonSegments);
    for (int k = 0; k < n; ++k) {
        const glassmeridian::RibbonSegment& segment = scene.ribbon[k];
        const double q = k == n - 1 ? length - n : 1.0;
        expectArgs(w.expect("glColor4f"),
                   {segment.colour.x, segment.colour.y, segment.colour.z, fade}, 1e-6);
        for (const Vector* corner : {&segment.corner1, &segment.corner2, &segment.corner3}) {
            expectArgs(w.expect("glVertex3fv"),
                       {segment.position.x + corner->x * q, segment.position.y + corner->y * q,
                        segment.position.z + corner->z * q},
                       1e-5);
        }
        if (::testing::Test::HasFailure()) return;
    }
    w.expect("glEnd");
    w.expect("glPopMatrix");
}

void checkOverlay(TraceWalker& w, const FrameCase& c) {
    const std::set<std::string> projection{"glMatrixMode", "glLoadIdentity"};
    expectArgs(w.advanceTo("glBindTexture"), {GL_TEXTURE_2D_TARGET, structuretest::kLoadPictureId},
               0);
    EXPECT_TRUE(w.state().on(kTexture2D));
    expectArgs(w.advanceTo("glOrtho", projection), {0, 1, 0, 1, -1, 1}, 0);
    if (c.overlay) {
        expectArgs(w.advanceTo("glColor4f", projection), {1, 1, 1, c.overlayAlpha}, 1e-5);
        expectBlend(w, 770, 771, "overlay");
        EXPECT_FALSE(w.state().on(kDepthTest));
        EXPECT_TRUE(w.state().on(kTexture2D));
        expectArgs(w.expect("glBegin"), {GL_QUADS_MODE}, 0);
        const double corners[4][4] = {{0, 1, 0, 0}, {1, 1, 1, 0}, {1, 0, 1, 1}, {0, 0, 0, 1}};
        for (const auto& corner : corners) {
            expectArgs(w.expect("glTexCoord2f"), {corner[0], corner[1]}, 0);
            expectArgs(w.expect("glVertex2f"), {corner[2], corner[3]}, 0);
        }
        w.expect("glEnd");
    }
    // Without the quad the state switches and the 3D projection still come.
    w.advanceTo("gluPerspective", projection);
    expectBlend(w, 770, 771, "end of frame");
    EXPECT_FALSE(w.state().on(kDepthTest));
    EXPECT_TRUE(w.state().on(kTexture2D));
    while (!w.done()) {
        const Call& rest = *w.peek();
        EXPECT_TRUE(projection.count(rest.name)) << "after the 3D projection: " << rest;
        w.advanceTo(rest.name, projection);
    }
}

TEST_P(StructureFrame, DrawsEveryStageInOrderWithTheStateItExpects) {
    const FrameCase& c = GetParam();
    scene_->time = structuretest::demoTimeAt(c.t);
    scene_->draw();
    const float fade = glassmeridian::fadeEnvelope(c.t);

    TraceWalker w(glrecord::trace());
    checkFrameSetupAndCamera(w, c);
    checkWaveGrid(w, *scene_, fade);
    ASSERT_FALSE(HasFailure());

    w.expect("glPushMatrix");
    expectArgs(w.expect("glTranslatef"), {0, c.offsetY, 0}, 1e-4);
    expectArgs(w.expect("glRotatef"), {c.firstAngle, -1, -0.77, 0}, 1e-4);
    expectArgs(w.expect("glRotatef"), {c.secondAngle, 0, 0.2, 0.9}, 1e-4);
    expectArgs(w.advanceTo("glLineWidth"), {1}, 0);
    EXPECT_TRUE(passedEnable(w, kMultisample));

    checkCubes(w, *scene_, c, fade);
    ASSERT_FALSE(HasFailure());
    checkTrackLine(w, *scene_, c, fade);
    ASSERT_FALSE(HasFailure());
    checkRibbon(w, *scene_, c, fade);
    ASSERT_FALSE(HasFailure());
    checkOverlay(w, c);

    EXPECT_EQ(glrecord::modelviewDepth(), 1);
    EXPECT_EQ(glrecord::pendingError(), 0u);
}

TEST_P(StructureFrame, VertexCountsPerPrimitive) {
    const FrameCase& c = GetParam();
    scene_->time = structuretest::demoTimeAt(c.t);
    scene_->draw();

    std::size_t strips = 0, outlines = 0, sprites = 0, lines = 0, ribbons = 0, quads = 0;
    for (const glrecord::Primitive& primitive : glrecord::primitives()) {
        const std::size_t vertices = primitive.vertices.size();
        switch (primitive.mode) {
            case GL_QUAD_STRIP_MODE: ++strips; EXPECT_EQ(vertices, 120u); break;
            case GL_LINES_MODE: ++outlines; EXPECT_EQ(vertices, 48u); break;
            case GL_LINE_STRIP_MODE: ++lines; EXPECT_EQ(vertices, std::size_t(c.lineVertices)); break;
            case GL_TRIANGLES_MODE: ++ribbons; EXPECT_EQ(vertices, 3u * c.ribbonSegments); break;
            case GL_QUADS_MODE:
                EXPECT_EQ(vertices, 4u);
                (primitive.texture == structuretest::kParticleId ? sprites : quads)++;
                break;
            default: ADD_FAILURE() << "unexpected primitive mode " << primitive.mode;
        }
    }
    EXPECT_EQ(strips, 59u);
    EXPECT_EQ(outlines, 100u);
    EXPECT_EQ(sprites, 800u);
    EXPECT_EQ(lines, 1u);
    EXPECT_EQ(ribbons, 1u);
    EXPECT_EQ(quads, c.overlay ? 1u : 0u);
}

// Angles, V.y and the camera worked out by hand for these times; line and
// ribbon lengths from the reveal curve (x <= 0 up to t = 2/11, 0.45 at 0.5,
// 0.615 at 0.65, 1 at the end) raised to the power 1.5.
INSTANTIATE_TEST_SUITE_P(
    Times, StructureFrame,
    ::testing::Values(FrameCase{0.0f, 7, 0, 0, -7, 0, 1, 0, true, 1.0},
                      FrameCase{0.025f, 9.5, 0, 0, -7.0375, -0.005, 1, 0, true, 0.5},
                      FrameCase{0.1f, 17, 0, 0, -7.15, -0.02, 1, 0, false, 0},
                      FrameCase{0.2f, 27, 0, 0, -7.3, -0.04, 15, 11, false, 0},
                      FrameCase{0.5f, 57, 18.75, -0.2405, -7.75, -0.1, 604, 452, false, 0},
                      FrameCase{0.65f, 72, 28.125, -0.8615, -7.975, -0.13, 965, 723, false, 0},
                      FrameCase{1.0f, 107, 50, -4, -8.5, -0.2, 2000, 1500, false, 0}));

TEST(StructureFrameEdges, FullRevealShrinksTheLastRibbonSegmentToItsAnchor) {
    auto scene = std::make_unique<StructureEffect>();
    structuretest::prepareRecordedFrame();
    scene->drawFrame(1.0f, 1.0f);
    const glrecord::Primitive* ribbon = nullptr;
    for (const glrecord::Primitive& primitive : glrecord::primitives()) {
        if (primitive.mode == GL_TRIANGLES_MODE) ribbon = &primitive;
    }
    ASSERT_NE(ribbon, nullptr);
    ASSERT_EQ(ribbon->vertices.size(), 4500u);
    const Vector& anchor = scene->ribbon[1499].position;
    for (std::size_t v = 4497; v < 4500; ++v) {
        EXPECT_NEAR(ribbon->vertices[v].position[0], anchor.x, 1e-6);
        EXPECT_NEAR(ribbon->vertices[v].position[1], anchor.y, 1e-6);
        EXPECT_NEAR(ribbon->vertices[v].position[2], anchor.z, 1e-6);
    }
    // The one before is whole.
    EXPECT_NEAR(ribbon->vertices[4494].position[0],
                scene->ribbon[1498].position.x + scene->ribbon[1498].corner1.x, 1e-6);
}

TEST(StructureFrameEdges, WaveGridRefreshesOnEveryFourthFrameOnly) {
    auto scene = std::make_unique<StructureEffect>();
    structuretest::prepareRecordedFrame();
    glrecord::setMode(glrecord::Mode::Count);
    structuretest::ReferenceRandom reference(StructureEffect::kSeed);
    reference.skip(StructureEffect::kConstructionDraws);

    const float t = 0.65f;  // the wave's crest: s = 1
    const double s = std::sin((t - 0.3f) / static_cast<double>(1.0f - 0.3f) * 3.141592f);
    const std::size_t refreshed = 59 * 60;
    std::vector<float> previous;
    for (int frame = 0; frame < 5; ++frame) {
        scene->drawFrame(t, 1.0f);
        EXPECT_EQ(scene->frameCounter, frame + 1);
        const std::vector<float> heights(scene->gridHeights, scene->gridHeights + 3600);
        if (frame % 4 == 0) {
            for (std::size_t n = 0; n < refreshed; ++n) {
                const double expected = (reference.next() * 0.3 + 0.7) * s * 0.8;
                ASSERT_NEAR(heights[n], expected, 1e-6) << "frame " << frame << " point " << n;
                ASSERT_GE(heights[n], 0.56f - 1e-6f);
                ASSERT_LT(heights[n], 0.8f);
            }
        } else {
            EXPECT_EQ(heights, previous) << "frame " << frame << " changed the heights";
        }
        for (std::size_t n = refreshed; n < 3600; ++n) ASSERT_EQ(heights[n], 1.0f);
        previous = heights;
    }
    // Two refreshes, and no other draw in five frames.
    EXPECT_DOUBLE_EQ(glassmeridian::randomUnit(), reference.next());
}

TEST(StructureFrameEdges, CalmGridStillTakesItsDrawsAndLeavesHeightsZero) {
    auto scene = std::make_unique<StructureEffect>();
    structuretest::prepareRecordedFrame();
    glrecord::setMode(glrecord::Mode::Count);
    scene->drawFrame(0.3f, 1.0f);
    for (int n = 0; n < 59 * 60; ++n) ASSERT_EQ(scene->gridHeights[n], 0.0f);
    structuretest::ReferenceRandom reference(StructureEffect::kSeed);
    reference.skip(StructureEffect::kConstructionDraws + 59 * 60);
    EXPECT_DOUBLE_EQ(glassmeridian::randomUnit(), reference.next());
}

TEST(StructureFrameEdges, DrawTurnsTheEffectTimeIntoNormalisedTime) {
    auto scene = std::make_unique<StructureEffect>();
    scene->init(2000, 49000);
    structuretest::prepareRecordedFrame();
    scene->time = 4350.0f;  // t = 2350 / 47000 = 0.05
    scene->draw();
    const std::vector<Call> lookAt = glrecord::callsNamed("gluLookAt");
    ASSERT_EQ(lookAt.size(), 1u);
    EXPECT_NEAR(lookAt[0].args[2], -7.075, 1e-5);
    // fade = 10 t = 0.5 in the first tenth: the grid's centre vertex has alpha 3 x fade.
    const std::vector<Call> colours = glrecord::callsNamed("glColor4f");
    // Strip 29 pairs rows 29 and 30; column 30 of row 30 is its 62nd vertex.
    const std::size_t centre = 29 * 120 + 30 * 2 + 1;
    EXPECT_NEAR(colours[centre].args[3], 1.5, 1e-5);
}

}  // namespace
