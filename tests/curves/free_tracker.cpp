// Replacement global operator new and delete on malloc/free (so the sanitizer
// still sees every block), with a fixed-size record of frees while armed.
#include "free_tracker.h"

#include <cstdlib>
#include <new>

namespace freetracker {

namespace {

constexpr std::size_t kCapacity = 4096;
const void* records[kCapacity];
std::size_t recorded = 0;
std::size_t allocated = 0;
bool armed = false;

void* allocate(std::size_t size) {
    if (armed) {
        ++allocated;
    }
    void* block = std::malloc(size == 0 ? 1 : size);
    if (block == nullptr) {
        throw std::bad_alloc();
    }
    return block;
}

void release(void* block) {
    if (block == nullptr) {
        return;
    }
    if (armed && recorded < kCapacity) {
        records[recorded++] = block;
    }
    std::free(block);
}

}  // namespace

void arm() {
    recorded = 0;
    allocated = 0;
    armed = true;
}

void disarm() {
    armed = false;
}

std::size_t count() {
    return recorded;
}

std::size_t allocations() {
    return allocated;
}

int indexOf(const void* block) {
    for (std::size_t i = 0; i < recorded; ++i) {
        if (records[i] == block) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

bool freed(const void* block) {
    return indexOf(block) >= 0;
}

}  // namespace freetracker

void* operator new(std::size_t size) { return freetracker::allocate(size); }
void* operator new[](std::size_t size) { return freetracker::allocate(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    try {
        return freetracker::allocate(size);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
    try {
        return freetracker::allocate(size);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}
void operator delete(void* block) noexcept { freetracker::release(block); }
void operator delete[](void* block) noexcept { freetracker::release(block); }
void operator delete(void* block, std::size_t) noexcept { freetracker::release(block); }
void operator delete[](void* block, std::size_t) noexcept { freetracker::release(block); }
void operator delete(void* block, const std::nothrow_t&) noexcept { freetracker::release(block); }
void operator delete[](void* block, const std::nothrow_t&) noexcept { freetracker::release(block); }
