// Path evaluation: values and derivatives through the Hermite segments, the
// ends of the parameter range, and paths of zero, one and two points.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "curves/path.h"
#include "vector_expect.h"

using curvetest::near;
using curvetest::same;
using QUASAR_FLUXCORE::Path;
using QUASAR_FLUXCORE::Vector;

namespace {

void addPoint(Path& path, float x, float y, float z) {
    Vector point(x, y, z);
    path.addpoint(point);
}

// A bent path through five points, so every segment has its own tangents.
const std::vector<Vector> kBent = {
    Vector(0.0f, 0.0f, 0.0f), Vector(2.0f, 1.0f, -1.0f), Vector(3.0f, -2.0f, 0.5f),
    Vector(-1.0f, 4.0f, 2.0f), Vector(0.5f, 0.5f, 3.0f),
};

void addAll(Path& path, const std::vector<Vector>& points) {
    for (const Vector& p : points) {
        addPoint(path, p.x, p.y, p.z);
    }
}

// The cubic Hermite segment from p0 (tangent d0) to p1 (tangent d1), written out.
Vector hermite(const Vector& p0, const Vector& d0, const Vector& d1, const Vector& p1, double u) {
    const double h00 = 2 * u * u * u - 3 * u * u + 1;
    const double h10 = u * u * u - 2 * u * u + u;
    const double h01 = -2 * u * u * u + 3 * u * u;
    const double h11 = u * u * u - u * u;
    auto mix = [&](float a, float b, float c, float d) {
        return static_cast<float>(h00 * a + h10 * b + h01 * c + h11 * d);
    };
    return Vector(mix(p0.x, d0.x, p1.x, d1.x), mix(p0.y, d0.y, p1.y, d1.y), mix(p0.z, d0.z, p1.z, d1.z));
}

Vector hermiteDerivative(const Vector& p0, const Vector& d0, const Vector& d1, const Vector& p1, double u) {
    const double h00 = 6 * u * u - 6 * u;
    const double h10 = 3 * u * u - 4 * u + 1;
    const double h01 = -6 * u * u + 6 * u;
    const double h11 = 3 * u * u - 2 * u;
    auto mix = [&](float a, float b, float c, float d) {
        return static_cast<float>(h00 * a + h10 * b + h01 * c + h11 * d);
    };
    return Vector(mix(p0.x, d0.x, p1.x, d1.x), mix(p0.y, d0.y, p1.y, d1.y), mix(p0.z, d0.z, p1.z, d1.z));
}

Vector minus(const Vector& a, const Vector& b) {
    return Vector(a.x - b.x, a.y - b.y, a.z - b.z);
}

}  // namespace

TEST(PathValues, ThreePointsOnALine) {
    Path path;
    addPoint(path, 0, 0, 0);
    addPoint(path, 1, 0, 0);
    addPoint(path, 2, 0, 0);
    EXPECT_TRUE(near(path.getValue(0.0f), 0, 0, 0));
    EXPECT_TRUE(near(path.getValue(0.25f), 0.5f, 0, 0));
    EXPECT_TRUE(near(path.getValue(0.5f), 1, 0, 0));
    EXPECT_TRUE(near(path.getValue(0.75f), 1.625f, 0, 0));
    EXPECT_TRUE(near(path.getValue(1.0f), 2, 0, 0));
    EXPECT_TRUE(near(path.getValue(1.5f), 2, 0, 0));
    EXPECT_TRUE(near(path.getDerivative(0.25f), 1, 0, 0));
    EXPECT_TRUE(near(path.getDerivative(0.75f), 1.25f, 0, 0));
    EXPECT_TRUE(near(path.getDerivative(1.0f), 0, 0, 0));
}

TEST(PathValues, EverySegmentIsTheHermiteCurveOfTheForwardDifferences) {
    Path path;
    addAll(path, kBent);
    const int n = static_cast<int>(kBent.size()) - 1;
    for (int i = 0; i < n; ++i) {
        const Vector& p0 = kBent[i];
        const Vector& p1 = kBent[i + 1];
        const Vector d0 = minus(p1, p0);
        const Vector d1 = i + 2 <= n ? minus(kBent[i + 2], p1) : Vector();  // zero on the last segment
        for (double u : {0.0, 0.125, 0.3, 0.5, 0.8, 0.96875}) {
            const float t = static_cast<float>((i + u) / n);
            const double uAtT = static_cast<double>(n) * t - i;
            SCOPED_TRACE(testing::Message() << "segment " << i << ", u " << u);
            EXPECT_TRUE(near(path.getValue(t), hermite(p0, d0, d1, p1, uAtT), 1e-4f));
            EXPECT_TRUE(near(path.getDerivative(t), hermiteDerivative(p0, d0, d1, p1, uAtT), 1e-4f));
        }
    }
}

TEST(PathValues, PassesThroughEveryPointWithTheForwardDifferenceAsTangent) {
    Path path;
    addAll(path, kBent);
    const int n = static_cast<int>(kBent.size()) - 1;
    for (int k = 0; k <= n; ++k) {
        const float t = static_cast<float>(k) / n;
        SCOPED_TRACE(testing::Message() << "point " << k);
        EXPECT_TRUE(near(path.getValue(t), kBent[k], 1e-5f));
        if (k > 0) {
            // Both neighbouring segments meet with the same tangent.
            const Vector tangent = k < n ? minus(kBent[k + 1], kBent[k]) : Vector();
            const float before = std::nextafter(t, 0.0f);
            EXPECT_TRUE(near(path.getDerivative(before), tangent, 1e-3f));
            if (k < n) {
                EXPECT_TRUE(near(path.getDerivative(t), tangent, 1e-5f));
            }
        }
    }
}

TEST(PathValues, PastTheEndIsTheLastPointStandingStill) {
    Path path;
    addAll(path, kBent);
    for (float t : {1.0f, 1.0000001f, 1.3f, 7.0f, 1e9f, 1e30f}) {
        SCOPED_TRACE(testing::Message() << "t " << t);
        EXPECT_TRUE(near(path.getValue(t), kBent.back(), 1e-5f));
        EXPECT_TRUE(near(path.getDerivative(t), Vector(), 1e-5f));
    }
}

TEST(PathValues, BeforeTheStartEvaluatesTheFirstSegmentAtTheFraction) {
    Path path;
    addAll(path, kBent);
    // n = 4: t = -0.0625 gives s = -0.25, so u = 0.75 on the first segment,
    // the same point as t = 0.1875.
    EXPECT_TRUE(near(path.getValue(-0.0625f), path.getValue(0.1875f), 1e-5f));
    EXPECT_TRUE(near(path.getDerivative(-0.0625f), path.getDerivative(0.1875f), 1e-5f));
    // s = -1.5: u = 0.5, still the first segment.
    EXPECT_TRUE(near(path.getValue(-0.375f), path.getValue(0.125f), 1e-5f));
    // Whole negative s: u = 0, the first point.
    EXPECT_TRUE(near(path.getValue(-0.5f), kBent[0], 1e-5f));
    EXPECT_TRUE(near(path.getValue(-1e30f), kBent[0], 1e-5f));
}

TEST(PathValues, OneAndTwoPoints) {
    Path single;
    addPoint(single, 3, -4, 5);
    for (float t : {-2.0f, 0.0f, 0.4f, 1.0f, 9.0f}) {
        EXPECT_TRUE(same(single.getValue(t), Vector(3, -4, 5)));
        EXPECT_TRUE(same(single.getDerivative(t), Vector()));
    }

    Path pair;
    addPoint(pair, 1, 1, 1);
    addPoint(pair, 3, 5, -1);
    const Vector p0(1, 1, 1);
    const Vector p1(3, 5, -1);
    const Vector d0 = minus(p1, p0);
    EXPECT_TRUE(near(pair.getValue(0.0f), p0));
    EXPECT_TRUE(near(pair.getDerivative(0.0f), d0));
    EXPECT_TRUE(near(pair.getValue(0.5f), hermite(p0, d0, Vector(), p1, 0.5)));
    EXPECT_TRUE(near(pair.getDerivative(0.5f), hermiteDerivative(p0, d0, Vector(), p1, 0.5)));
    EXPECT_TRUE(near(pair.getValue(1.0f), p1));
    EXPECT_TRUE(near(pair.getDerivative(std::nextafter(1.0f, 0.0f)), Vector(), 1e-5f));
}

TEST(PathValues, EmptyPathIsTheZeroVector) {
    Path path;
    for (float t : {-1.0f, 0.0f, 0.5f, 1.0f, 2.0f}) {
        EXPECT_TRUE(same(path.getValue(t), Vector()));
        EXPECT_TRUE(same(path.getDerivative(t), Vector()));
    }
}

TEST(PathValues, NotANumberStaysOnTheFirstSegment) {
    Path path;
    addAll(path, kBent);
    EXPECT_TRUE(std::isnan(path.getValue(std::nanf("")).x));
    EXPECT_TRUE(near(path.getValue(0.5f), kBent[2], 1e-5f));
}
