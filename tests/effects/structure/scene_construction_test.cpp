// Construction of the structure scene: the seeded sequence of draws, the grid,
// cubes, paths and ribbon it produces, and the release of all of it.
#include <gtest/gtest.h>

#include <cmath>

#include "curves/path.h"
#include "effects/effect_timing.h"
#include "effects/structure_effect.h"
#include "structure_test_support.h"

using glassmeridian::StructureEffect;
using QUASAR_FLUXCORE::Matrix;
using QUASAR_FLUXCORE::Vector;
using structuretest::ReferenceRandom;

namespace {

constexpr double kTol = 1e-5;

// Draw positions (0-based) of each construction stage in the seeded sequence.
constexpr std::size_t kGridDraws = 3 * 3600;
constexpr std::size_t kCubeDraws = 5 * 100;
constexpr std::size_t kTrackDraws = 6 * 100;

void expectVector(const Vector& v, double x, double y, double z, double tol = kTol) {
    EXPECT_NEAR(v.x, x, tol);
    EXPECT_NEAR(v.y, y, tol);
    EXPECT_NEAR(v.z, z, tol);
}

class SceneConstruction : public ::testing::Test {
protected:
    // Built once: construction takes 16400 draws and several thousand path walks.
    static void SetUpTestSuite() {
        scene_ = new StructureEffect();
        // The generator's next values, read right after construction.
        for (double& value : after_) value = glassmeridian::randomUnit();
    }
    static void TearDownTestSuite() {
        delete scene_;
        scene_ = nullptr;
    }
    static StructureEffect* scene_;
    static double after_[8];
};
StructureEffect* SceneConstruction::scene_ = nullptr;
double SceneConstruction::after_[8];

TEST(SceneSeed, FirstDrawsAfterSeedingMatchTheKnownValues) {
    glassmeridian::seedRandom(StructureEffect::kSeed);
    // Steps of the single-precision 0.0001: within 1e-7 of the decimal values.
    EXPECT_NEAR(glassmeridian::randomUnit(), 0.7984, 1e-7);
    EXPECT_NEAR(glassmeridian::randomUnit(), 0.1179, 1e-7);
    EXPECT_NEAR(glassmeridian::randomUnit(), 0.9634, 1e-7);
}

TEST_F(SceneConstruction, TakesExactly16400DrawsAfterSeeding) {
    ReferenceRandom reference(StructureEffect::kSeed);
    reference.skip(StructureEffect::kConstructionDraws);
    for (double value : after_) EXPECT_DOUBLE_EQ(value, reference.next());

    // One draw more or fewer would shift the whole sequence.
    ReferenceRandom shifted(StructureEffect::kSeed);
    shifted.skip(StructureEffect::kConstructionDraws - 1);
    int matches = 0;
    for (double value : after_) matches += value == shifted.next() ? 1 : 0;
    EXPECT_LT(matches, 8);
}

TEST_F(SceneConstruction, GridColoursTakeThreeDrawsPerPointInReverse) {
    expectVector(scene_->gridColours[0], 0.9634, 0.1179, 0.7984);
    ReferenceRandom reference(StructureEffect::kSeed);
    for (int n = 0; n < 3600; ++n) {
        const double a = reference.next();
        const double b = reference.next();
        const double c = reference.next();
        const Vector& colour = scene_->gridColours[n];
        ASSERT_NEAR(colour.x, c, 1e-6) << "point " << n;
        ASSERT_NEAR(colour.y, b, 1e-6) << "point " << n;
        ASSERT_NEAR(colour.z, a, 1e-6) << "point " << n;
    }
}

TEST_F(SceneConstruction, GridPointsAndWeightsAtCornersAndCentre) {
    const int centre = 30 * 60 + 30;
    expectVector(scene_->gridPoints[0], -9.0, 0.0, -9.0);
    expectVector(scene_->gridPoints[59], 8.7, 0.0, -9.0);
    expectVector(scene_->gridPoints[59 * 60], -9.0, 0.0, 8.7);
    expectVector(scene_->gridPoints[centre], 0.0, 0.0, 0.0);
    expectVector(scene_->gridPoints[3599], 8.7, 0.0, 8.7);
    // Row-major: the column moves x, the row moves z.
    expectVector(scene_->gridPoints[1 * 60 + 2], -8.4, 0.0, -8.7);

    // (1 - 0.1 x distance) x 3, unclamped.
    EXPECT_NEAR(scene_->gridWeights[0], (1.0 - 0.1 * std::sqrt(162.0)) * 3.0, 1e-5);
    EXPECT_NEAR(scene_->gridWeights[0], -0.818, 1e-3);
    EXPECT_NEAR(scene_->gridWeights[centre], 3.0, 1e-6);
    EXPECT_NEAR(scene_->gridWeights[3599], -0.691, 1e-3);
    EXPECT_NEAR(scene_->gridWeights[30 * 60 + 40], (1.0 - 0.1 * 3.0) * 3.0, 1e-5);
}

TEST_F(SceneConstruction, LastGridRowStartsAtHeightOneSoItsAlphaIsZero) {
    for (int j = 0; j < 60; ++j) {
        EXPECT_EQ(scene_->gridHeights[59 * 60 + j], 1.0f) << "column " << j;
    }
    for (int n = 0; n < 59 * 60; ++n) {
        ASSERT_EQ(scene_->gridHeights[n], 0.0f) << "point " << n;
    }
}

TEST_F(SceneConstruction, FirstCubeMatchesTheKnownDraws) {
    const glassmeridian::Cube& cube = scene_->cubes[0];
    expectVector(cube.position, -1.0, -0.983, -0.3944);
    EXPECT_EQ(cube.position.x, -1.0f);  // its draw is exactly 0
    EXPECT_NEAR(cube.phase, 5.934467, 1e-5);
    EXPECT_NEAR(cube.frequency, 8.8921, 1e-4);
}

TEST_F(SceneConstruction, EveryCubeFollowsTheDrawOrderAndFixedSizes) {
    ReferenceRandom reference(StructureEffect::kSeed);
    reference.skip(kGridDraws);
    for (int k = 0; k < 100; ++k) {
        const glassmeridian::Cube& cube = scene_->cubes[k];
        const double a = reference.next();
        const double b = reference.next();
        const double c = reference.next();
        const double d = reference.next();
        const double e = reference.next();
        expectVector(cube.position, (c - 0.5) * 2.0, (b - 0.5) * 2.0, (a - 0.5) * 2.0, 1e-6);
        EXPECT_NEAR(cube.phase, d * 6.283184, 1e-5) << "cube " << k;
        EXPECT_NEAR(cube.frequency, e * 37.0 + 1.0, 1e-5) << "cube " << k;
        EXPECT_FLOAT_EQ(cube.maxSize, 0.13f);
        EXPECT_FLOAT_EQ(cube.minSize, 0.05f);
        expectVector(cube.colour, 1.0, 1.0, 1.0, 0.0);
    }
}

TEST_F(SceneConstruction, TrackAndColourPointsPairUp) {
    ASSERT_EQ(scene_->trackPath->pointCount, 100);
    ASSERT_EQ(scene_->colourPath->pointCount, 100);
    ReferenceRandom reference(StructureEffect::kSeed);
    reference.skip(kGridDraws + kCubeDraws);
    for (int m = 0; m < 100; ++m) {
        const double a = reference.next();
        const double b = reference.next();
        const double c = reference.next();
        const double d = reference.next();
        const double e = reference.next();
        const double f = reference.next();
        const float s = static_cast<float>(m / 99.0);
        const Vector point = scene_->trackPath->getValue(s);
        const Vector colour = scene_->colourPath->getValue(s);
        expectVector(point, (c - 0.5) * 2.1, (b - 0.5) * 2.1, (a - 0.5) * 2.1, 1e-4);
        expectVector(colour, 0.23 + f * 0.2, 0.32 + e * 0.3, 0.11 + d * 0.1, 1e-4);
    }
}

TEST_F(SceneConstruction, RevealPathRisesFromThreeEqualPointsToOne) {
    QUASAR_FLUXCORE::Path& reveal = *scene_->revealPath;
    ASSERT_EQ(reveal.pointCount, 12);
    const float xs[12] = {0, 0, 0, 0.17f, 0.22f, 0.4f, 0.5f, 0.6f, 0.7f, 0.8f, 0.9f, 1};
    for (int k = 0; k < 12; ++k) {
        expectVector(reveal.getValue(static_cast<float>(k / 11.0)), xs[k], 0.0, 0.0, 1e-5);
    }
    // The flat start: no x above 0 over the first two segments. The second
    // dips below 0 (its end tangent already points up), which the drawing
    // clamps away.
    for (float t = 0.0f; t <= 2.0f / 11.0f; t += 0.005f) EXPECT_LE(reveal.getValue(t).x, 0.0f);
    EXPECT_LT(reveal.getValue(0.1f).x, 0.0f);
    EXPECT_NEAR(reveal.getValue(0.5f).x, 0.45, 1e-5);
}

TEST_F(SceneConstruction, RibbonSegmentsSitOnTheTrackFromZeroToJustBeforeOne) {
    QUASAR_FLUXCORE::Path& track = *scene_->trackPath;
    const glassmeridian::RibbonSegment& first = scene_->ribbon[0];
    const glassmeridian::RibbonSegment& last = scene_->ribbon[1499];
    const Vector start = track.getValue(0.0f);
    expectVector(first.position, start.x, start.y, start.z, 1e-6);
    const Vector end = track.getValue(1499.0f / 1500.0f);
    expectVector(last.position, end.x, end.y, end.z, 1e-6);
    // s = 1 never occurs: the last segment is not at the track's last point.
    const Vector trackEnd = track.getValue(1.0f);
    EXPECT_GT((last.position - trackEnd).length(), 1e-4f);

    // Colours: base plus (c x 0.1, b x 0.2, a x 0.04) from the last 4500 draws.
    ReferenceRandom reference(StructureEffect::kSeed);
    reference.skip(kGridDraws + kCubeDraws + kTrackDraws);
    for (int k = 0; k < 1500; ++k) {
        const double a = reference.next();
        const double b = reference.next();
        const double c = reference.next();
        const Vector& colour = scene_->ribbon[k].colour;
        ASSERT_NEAR(colour.x, 0.23 + c * 0.1, 1e-6) << "segment " << k;
        ASSERT_NEAR(colour.y, 0.32 + b * 0.2, 1e-6) << "segment " << k;
        ASSERT_NEAR(colour.z, 0.11 + a * 0.04, 1e-6) << "segment " << k;
    }
}

TEST_F(SceneConstruction, RibbonCornersAreScaledOffsetsTurnedByTheTrackDirection) {
    QUASAR_FLUXCORE::Path& track = *scene_->trackPath;
    for (int k : {0, 1, 700, 1499}) {
        const float s = static_cast<float>(k / 1500.0);
        Vector d = track.getDerivative(s);
        Matrix r;
        d *= 6.283184f;
        r.makeRotation(-d.x, -d.y, -d.z);
        const glassmeridian::RibbonSegment& segment = scene_->ribbon[k];
        const Vector c1 = Vector(0.175f, 0.075f, 0.0f) * r;
        const Vector c2 = Vector(-0.075f, -0.1f, 0.0f) * r;
        const Vector c3 = Vector(0.125f, -0.025f, 0.0f) * r;
        expectVector(segment.corner1, c1.x, c1.y, c1.z, 1e-5);
        expectVector(segment.corner2, c2.x, c2.y, c2.z, 1e-5);
        expectVector(segment.corner3, c3.x, c3.y, c3.z, 1e-5);
        // A rotation keeps the offsets' lengths.
        EXPECT_NEAR(segment.corner1.length(), 0.25 * std::hypot(0.7, 0.3), 1e-5);
        EXPECT_NEAR(segment.corner3.length(), 0.25 * std::hypot(0.5, 0.1), 1e-5);
    }
}

TEST(SceneLifetime, DestructorSkipsNullArraysAndPaths) {
    // Released through Base, as the engine's timeline does; the sanitizer
    // build checks that nothing leaks or is freed twice.
    auto* scene = new StructureEffect();
    delete[] scene->ribbon;
    scene->ribbon = nullptr;
    delete scene->colourPath;
    scene->colourPath = nullptr;
    QUASAR_FLUXCORE::Base* base = scene;
    delete base;
    SUCCEED();
}

}  // namespace
