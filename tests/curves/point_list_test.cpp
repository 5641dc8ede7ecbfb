// PointList: chain links, cursor walking and clamping, removal from the end,
// and exactly what each removal frees.
#include <gtest/gtest.h>

#include <climits>
#include <vector>

#include "curves/point_list.h"
#include "free_tracker.h"

using QUASAR_FLUXCORE::PointList;
using QUASAR_FLUXCORE::PointNode;

namespace {

// Appends k blocks holding 0 .. k-1 and returns them in order.
std::vector<int*> fill(PointList& list, int k) {
    std::vector<int*> blocks;
    for (int i = 0; i < k; ++i) {
        blocks.push_back(new int(i));
        list.add(blocks.back());
    }
    return blocks;
}

int current(PointList& list) {
    return *static_cast<int*>(list.getCurrent());
}

// Owns a list for one test and empties it at the end, as the list's owner must.
struct OwnedList {
    PointList list;
    ~OwnedList() { list.clear(); }
};

}  // namespace

TEST(PointList, AppendingLinksOneChainAndLeavesTheCursor) {
    OwnedList owned;
    PointList& list = owned.list;
    EXPECT_EQ(list.count, 0);
    EXPECT_EQ(list.first, nullptr);
    EXPECT_EQ(list.cursor, nullptr);
    EXPECT_EQ(list.last, nullptr);

    std::vector<int*> blocks = fill(list, 1);
    ASSERT_NE(list.first, nullptr);
    EXPECT_EQ(list.first, list.last);
    EXPECT_EQ(list.first->next, nullptr);
    EXPECT_EQ(list.first->previous, nullptr);
    EXPECT_EQ(list.cursor, nullptr);

    for (int i = 1; i < 4; ++i) {
        blocks.push_back(new int(i));
        list.add(blocks.back());
    }
    EXPECT_EQ(list.count, 4);
    EXPECT_EQ(list.cursor, nullptr);

    // Forward through next, back through previous, every block in order.
    const PointNode* node = list.first;
    for (int i = 0; i < 4; ++i) {
        ASSERT_NE(node, nullptr);
        EXPECT_EQ(node->data, blocks[i]);
        node = node->next;
    }
    EXPECT_EQ(node, nullptr);
    node = list.last;
    for (int i = 3; i >= 0; --i) {
        ASSERT_NE(node, nullptr);
        EXPECT_EQ(node->data, blocks[i]);
        node = node->previous;
    }
    EXPECT_EQ(node, nullptr);
}

TEST(PointList, CursorWalksForwardAndStaysOnTheLastNode) {
    OwnedList owned;
    PointList& list = owned.list;
    EXPECT_FALSE(list.rewind());
    EXPECT_EQ(list.cursor, nullptr);
    EXPECT_FALSE(list.advance());
    EXPECT_EQ(list.getCurrent(), nullptr);

    std::vector<int*> blocks = fill(list, 3);
    // Without rewind there is no cursor: nothing moves and nothing is read.
    EXPECT_FALSE(list.advance());
    EXPECT_EQ(list.cursor, nullptr);
    EXPECT_EQ(list.getCurrent(), nullptr);

    EXPECT_TRUE(list.rewind());
    EXPECT_EQ(list.getCurrent(), blocks[0]);
    EXPECT_TRUE(list.advance());
    EXPECT_EQ(current(list), 1);
    EXPECT_TRUE(list.advance());
    EXPECT_EQ(current(list), 2);
    for (int i = 0; i < 3; ++i) {
        EXPECT_FALSE(list.advance());
        EXPECT_EQ(list.getCurrent(), blocks[2]);
    }
    EXPECT_TRUE(list.rewind());
    EXPECT_EQ(list.cursor, list.first);
}

TEST(PointList, SeekClampsToTheEnds) {
    OwnedList owned;
    PointList& list = owned.list;
    list.seek(2);
    EXPECT_EQ(list.cursor, nullptr);

    fill(list, 4);
    list.seek(0);
    EXPECT_EQ(current(list), 0);
    list.seek(2);
    EXPECT_EQ(current(list), 2);
    list.seek(3);
    EXPECT_EQ(current(list), 3);
    list.seek(4);
    EXPECT_EQ(current(list), 3);
    list.seek(-1);
    EXPECT_EQ(current(list), 0);
    list.seek(INT_MIN);
    EXPECT_EQ(current(list), 0);
    list.seek(INT_MAX);  // ends on the last node, without walking two billion steps
    EXPECT_EQ(list.cursor, list.last);
    // Every seek starts again from the first node.
    list.seek(1);
    EXPECT_EQ(current(list), 1);
}

TEST(PointList, RemovingTheLastNodeMovesOnlyACursorThatWasOnIt) {
    OwnedList owned;
    PointList& list = owned.list;
    EXPECT_FALSE(list.removeLast());
    EXPECT_EQ(list.count, 0);

    fill(list, 4);
    list.seek(3);
    EXPECT_TRUE(list.removeLast());
    EXPECT_EQ(list.count, 3);
    EXPECT_EQ(current(list), 2);
    EXPECT_EQ(list.cursor, list.last);
    EXPECT_EQ(list.last->next, nullptr);

    list.seek(0);
    EXPECT_TRUE(list.removeLast());
    EXPECT_EQ(list.count, 2);
    EXPECT_EQ(current(list), 0);
    EXPECT_EQ(list.first->next, list.last);
    EXPECT_EQ(list.last->previous, list.first);

    EXPECT_TRUE(list.removeLast());
    EXPECT_TRUE(list.removeLast());  // the only node: the list is as new
    EXPECT_EQ(list.count, 0);
    EXPECT_EQ(list.first, nullptr);
    EXPECT_EQ(list.last, nullptr);
    EXPECT_EQ(list.cursor, nullptr);
    EXPECT_FALSE(list.removeLast());
    EXPECT_EQ(list.count, 0);

    // An emptied list works like a new one.
    fill(list, 2);
    EXPECT_EQ(list.count, 2);
    EXPECT_EQ(list.cursor, nullptr);
    EXPECT_TRUE(list.rewind());
    EXPECT_EQ(current(list), 0);
}

TEST(PointList, RemoveLastFreesTheBlockThenTheNode) {
    OwnedList owned;
    PointList& list = owned.list;
    fill(list, 2);
    PointNode* node = list.last;
    void* block = node->data;
    {
        freetracker::Scope scope;
        ASSERT_TRUE(list.removeLast());
    }
    EXPECT_EQ(freetracker::count(), 2u);
    EXPECT_EQ(freetracker::indexOf(block), 0);
    EXPECT_EQ(freetracker::indexOf(node), 1);

    // A node without a block frees only the node.
    list.add(nullptr);
    node = list.last;
    {
        freetracker::Scope scope;
        ASSERT_TRUE(list.removeLast());
    }
    EXPECT_EQ(freetracker::count(), 1u);
    EXPECT_TRUE(freetracker::freed(node));
}

TEST(PointList, ClearFreesEveryBlockAndNodeOnce) {
    PointList list;
    {
        freetracker::Scope scope;
        list.clear();
    }
    EXPECT_EQ(freetracker::count(), 0u);

    const int k = 5;
    std::vector<int*> blocks = fill(list, k);
    std::vector<PointNode*> nodes;
    for (PointNode* node = list.first; node != nullptr; node = node->next) {
        nodes.push_back(node);
    }
    list.seek(2);
    {
        freetracker::Scope scope;
        list.clear();
    }
    EXPECT_EQ(freetracker::count(), static_cast<std::size_t>(2 * k));
    for (int i = 0; i < k; ++i) {
        EXPECT_TRUE(freetracker::freed(blocks[i])) << "block " << i;
        EXPECT_TRUE(freetracker::freed(nodes[i])) << "node " << i;
    }
    EXPECT_EQ(list.count, 0);
    EXPECT_EQ(list.first, nullptr);
    EXPECT_EQ(list.cursor, nullptr);
    EXPECT_EQ(list.last, nullptr);
}
