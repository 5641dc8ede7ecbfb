// Records which blocks the global operator delete releases while armed, and
// counts allocations, so tests can check what a container frees, in which
// order, and that evaluation allocates nothing. Linked into one test
// executable only: it replaces the global operator new and delete.
#pragma once

#include <cstddef>

namespace freetracker {

void arm();     // forget earlier records and start recording
void disarm();  // stop recording; the records stay readable
std::size_t count();                 // frees recorded
std::size_t allocations();           // operator new calls while armed
int indexOf(const void* block);      // position among the recorded frees, -1 if not freed
bool freed(const void* block);

// Arms on construction and disarms on destruction.
class Scope {
public:
    Scope() { arm(); }
    ~Scope() { disarm(); }
    Scope(const Scope&) = delete;
    Scope& operator=(const Scope&) = delete;
};

}  // namespace freetracker
