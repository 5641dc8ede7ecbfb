// PointList: appending, removing from the end, emptying and the forward cursor.
#include "curves/point_list.h"

#include <new>

namespace QUASAR_FLUXCORE {

namespace {

// Blocks come from a single-object `new`; they are released as raw storage,
// without a destructor, because the list does not know their type.
void freeBlock(void* data) {
    if (data != nullptr) {
        ::operator delete(data);
    }
}

}  // namespace

PointList::PointList() : count(0), first(nullptr), cursor(nullptr), last(nullptr) {}

void PointList::add(void* data) {
    ++count;
    PointNode* node = new PointNode{nullptr, nullptr, data};
    if (first == nullptr) {
        first = node;
        last = node;
        return;
    }
    node->previous = last;
    last->next = node;
    last = node;
}

bool PointList::removeLast() {
    if (first == nullptr) {
        return false;
    }
    --count;
    PointNode* removed = last;
    PointNode* before = removed->previous;
    freeBlock(removed->data);
    if (before == nullptr) {
        delete removed;
        first = nullptr;
        last = nullptr;
        cursor = nullptr;
        return true;
    }
    if (cursor == removed) {
        cursor = before;
    }
    delete removed;
    last = before;
    before->next = nullptr;
    return true;
}

void PointList::clear() {
    const int n = count;
    for (int k = 0; k < n; ++k) {
        removeLast();
    }
}

bool PointList::rewind() {
    cursor = first;
    return first != nullptr;
}

bool PointList::advance() {
    // Without a cursor there is nothing to move; at the last node the cursor
    // stays, however often this is called.
    if (cursor == nullptr || cursor == last || cursor->next == nullptr) {
        return false;
    }
    cursor = cursor->next;
    return true;
}

void PointList::seek(int n) {
    rewind();
    // Once advance fails it fails for good, so stopping there leaves the
    // cursor where n further calls would have left it.
    for (int k = 0; k < n && advance(); ++k) {
    }
}

void* PointList::getCurrent() {
    return cursor != nullptr ? cursor->data : nullptr;
}

}  // namespace QUASAR_FLUXCORE
