// Path ownership: the destructor frees every point, node and the list, a
// copied or assigned Path never frees the points of another, and evaluating
// allocates nothing.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "curves/path.h"
#include "free_tracker.h"

using QUASAR_FLUXCORE::Path;
using QUASAR_FLUXCORE::PointList;
using QUASAR_FLUXCORE::PointNode;
using QUASAR_FLUXCORE::Vector;

namespace {

void addPoints(Path& path, int k) {
    for (int i = 0; i < k; ++i) {
        Vector point(static_cast<float>(i), static_cast<float>(i * i), 1.0f);
        path.addpoint(point);
    }
}

// Every block and node of a list, and the list itself.
std::vector<const void*> storageOf(const PointList* list) {
    std::vector<const void*> storage{list};
    for (const PointNode* node = list->first; node != nullptr; node = node->next) {
        storage.push_back(node);
        storage.push_back(node->data);
    }
    return storage;
}

}  // namespace

TEST(PathOwnership, DestructorFreesEveryPointNodeAndTheList) {
    std::vector<const void*> storage;
    {
        Path* path = new Path();
        addPoints(*path, 4);
        storage = storageOf(path->pointList);
        freetracker::Scope scope;
        delete path;
    }
    ASSERT_EQ(storage.size(), 9u);
    for (const void* block : storage) {
        EXPECT_TRUE(freetracker::freed(block));
    }
}

TEST(PathOwnership, AddpointKeepsACopyNotTheCallersVector) {
    Path path;
    Vector point(1.0f, 2.0f, 3.0f);
    path.addpoint(point);
    ASSERT_EQ(path.pointCount, 1);
    ASSERT_EQ(path.pointList->count, 1);
    EXPECT_NE(path.pointList->first->data, static_cast<void*>(&point));
    point.x = 9.0f;
    EXPECT_FLOAT_EQ(static_cast<Vector*>(path.pointList->first->data)->x, 1.0f);
}

TEST(PathOwnership, CopiesFreeOnlyTheirOwnPoints) {
    Path source;
    addPoints(source, 3);
    const std::vector<const void*> sourceStorage = storageOf(source.pointList);
    {
        Path* copy = new Path(source);
        freetracker::Scope scope;
        delete copy;
    }
    EXPECT_EQ(freetracker::count(), 8u);  // three points, three nodes, the list and the Path
    for (const void* block : sourceStorage) {
        EXPECT_FALSE(freetracker::freed(block));
    }

    // Assignment frees the target's former points and list, nothing of the source.
    Path target;
    addPoints(target, 2);
    const std::vector<const void*> targetStorage = storageOf(target.pointList);
    {
        freetracker::Scope scope;
        target = source;
    }
    EXPECT_EQ(freetracker::count(), targetStorage.size());
    for (const void* block : targetStorage) {
        EXPECT_TRUE(freetracker::freed(block));
    }
    EXPECT_NE(target.pointList, source.pointList);

    // Self-assignment frees nothing.
    {
        freetracker::Scope scope;
        Path& same = target;
        target = same;
    }
    EXPECT_EQ(freetracker::count(), 0u);
    EXPECT_EQ(target.pointCount, 3);
}

TEST(PathOwnership, EvaluationAllocatesNothing) {
    Path path;
    addPoints(path, 100);
    float sum = 0.0f;
    {
        freetracker::Scope scope;
        for (int k = -10; k <= 1010; ++k) {
            const float t = static_cast<float>(k) / 1000.0f;
            sum += path.getValue(t).x + path.getDerivative(t).y;
        }
    }
    EXPECT_EQ(freetracker::allocations(), 0u);
    EXPECT_EQ(freetracker::count(), 0u);
    EXPECT_TRUE(std::isfinite(sum));  // keeps the evaluations
}
