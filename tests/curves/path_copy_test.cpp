// Path copies: a copy or an assigned Path evaluates like its source and owns
// its own points from then on.
#include <gtest/gtest.h>

#include <memory>

#include "curves/path.h"
#include "vector_expect.h"

using curvetest::same;
using QUASAR_FLUXCORE::Path;
using QUASAR_FLUXCORE::Vector;

namespace {

void addPoint(Path& path, float x, float y, float z) {
    Vector point(x, y, z);
    path.addpoint(point);
}

void fillBent(Path& path) {
    addPoint(path, 0.0f, 1.0f, 2.0f);
    addPoint(path, 4.0f, -1.0f, 0.0f);
    addPoint(path, 5.0f, 3.0f, -2.0f);
    addPoint(path, 1.0f, 2.0f, 7.0f);
}

// Compares two paths over t from -0.5 to 1.5 in steps of 1/64.
::testing::AssertionResult evaluatesAlike(Path& a, Path& b) {
    for (int k = -32; k <= 96; ++k) {
        const float t = static_cast<float>(k) / 64.0f;
        if (!same(a.getValue(t), b.getValue(t)) || !same(a.getDerivative(t), b.getDerivative(t))) {
            return ::testing::AssertionFailure() << "paths differ at t = " << t;
        }
    }
    return ::testing::AssertionSuccess();
}

}  // namespace

TEST(PathCopy, CopyConstructionOwnsItsOwnPoints) {
    auto source = std::make_unique<Path>();
    fillBent(*source);
    Path copy(*source);
    EXPECT_EQ(copy.pointCount, 4);
    EXPECT_NE(copy.pointList, source->pointList);
    EXPECT_TRUE(evaluatesAlike(copy, *source));

    // A point added to one does not reach the other.
    addPoint(*source, 9.0f, 9.0f, 9.0f);
    EXPECT_EQ(copy.pointList->count, 4);
    EXPECT_TRUE(same(copy.getValue(1.0f), Vector(1.0f, 2.0f, 7.0f)));

    // The copy outlives its source.
    source.reset();
    EXPECT_TRUE(same(copy.getValue(0.0f), Vector(0.0f, 1.0f, 2.0f)));
    EXPECT_TRUE(same(copy.getValue(1.0f), Vector(1.0f, 2.0f, 7.0f)));
}

TEST(PathCopy, AssignmentReplacesThePointsAndKeepsThemApart) {
    Path source;
    fillBent(source);
    Path target;
    addPoint(target, -5.0f, -5.0f, -5.0f);
    addPoint(target, 5.0f, 5.0f, 5.0f);

    Path& result = (target = source);
    EXPECT_EQ(&result, &target);
    EXPECT_EQ(target.pointCount, 4);
    EXPECT_EQ(target.pointList->count, 4);
    EXPECT_TRUE(evaluatesAlike(target, source));

    addPoint(target, 8.0f, 8.0f, 8.0f);
    EXPECT_EQ(source.pointCount, 4);
    EXPECT_EQ(source.pointList->count, 4);
    EXPECT_TRUE(same(source.getValue(1.0f), Vector(1.0f, 2.0f, 7.0f)));
    EXPECT_TRUE(same(target.getValue(1.0f), Vector(8.0f, 8.0f, 8.0f)));
}

TEST(PathCopy, SelfAssignmentAndEmptySources) {
    Path path;
    fillBent(path);
    Path reference(path);
    Path& alias = path;
    path = alias;
    EXPECT_EQ(path.pointCount, 4);
    EXPECT_TRUE(evaluatesAlike(path, reference));

    Path empty;
    path = empty;
    EXPECT_EQ(path.pointCount, 0);
    EXPECT_EQ(path.pointList->first, nullptr);
    EXPECT_TRUE(same(path.getValue(0.5f), Vector()));

    Path emptyCopy(empty);
    EXPECT_EQ(emptyCopy.pointCount, 0);
    EXPECT_NE(emptyCopy.pointList, nullptr);
    EXPECT_NE(emptyCopy.pointList, empty.pointList);

    // Refilled after being emptied by assignment.
    path = reference;
    EXPECT_TRUE(evaluatesAlike(path, reference));
}
