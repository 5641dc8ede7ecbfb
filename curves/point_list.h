// PointList: the doubly linked list of owned point blocks behind Path, with one
// forward-walking cursor.
#pragma once

namespace QUASAR_FLUXCORE {

struct PointNode {
    PointNode* next;      // towards last; nullptr at the last node
    PointNode* previous;  // towards first; nullptr at the first node
    void* data;           // the node's block, owned by the list
};

// Owns its nodes and their blocks. A block is storage from a single-object
// `new` (the point Vectors made by Path::addpoint); the list frees it as raw
// storage without running a destructor. The destructor frees nothing: the
// owner calls clear() before it frees the list.
class PointList {
public:
    int count;
    PointNode* first;
    PointNode* cursor;  // nullptr or one of the list's nodes
    PointNode* last;

    PointList();
    void add(void* data);  // appends a node taking over data; the cursor stays
    bool removeLast();     // frees the last node and its block; false when empty
    void clear();          // removes every node
    bool rewind();         // cursor to the first node; false (cursor none) when empty
    bool advance();        // cursor one node on; false at the last node or without a cursor
    void seek(int n);      // cursor to node n from 0, clamped to the list's ends
    void* getCurrent();    // the cursor's block; nullptr without a cursor
};

}  // namespace QUASAR_FLUXCORE
