// Frames of the structure scene allocate nothing: the global operator new is
// replaced in this executable by one that counts while a frame is drawn.
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <new>

#include "effects/effect_timing.h"
#include "effects/structure_effect.h"
#include "glrecord.h"
#include "structure_test_support.h"

namespace {

bool gCounting = false;
std::size_t gAllocations = 0;

void* allocate(std::size_t size) {
    if (gCounting) ++gAllocations;
    if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
    throw std::bad_alloc();
}

// Counts the allocations made while it lives.
class AllocationCounter {
public:
    AllocationCounter() {
        gAllocations = 0;
        gCounting = true;
    }
    ~AllocationCounter() { gCounting = false; }
    std::size_t count() const { return gAllocations; }
};

}  // namespace

void* operator new(std::size_t size) { return allocate(size); }
void* operator new[](std::size_t size) { return allocate(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    try {
        return allocate(size);
    } catch (...) {
        return nullptr;
    }
}
void* operator new[](std::size_t size, const std::nothrow_t& tag) noexcept {
    return operator new(size, tag);
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { std::free(p); }

namespace {

TEST(FrameAllocation, CounterSeesAnAllocation) {
    std::size_t seen = 0;
    {
        AllocationCounter counter;
        void* p = ::operator new(32);
        ::operator delete(p);
        seen = counter.count();
    }
    EXPECT_EQ(seen, 1u);
}

TEST(FrameAllocation, FramesAllocateNothing) {
    auto scene = std::make_unique<glassmeridian::StructureEffect>();
    scene->init(2000, 49000);
    structuretest::prepareRecordedFrame();
    glrecord::setMode(glrecord::Mode::Count);

    // Refresh frames and plain frames, with and without the overlay, the line
    // and ribbon empty and at full length.
    for (float t : {0.0f, 0.025f, 0.2f, 0.5f, 0.65f, 0.9f, 1.0f}) {
        scene->time = structuretest::demoTimeAt(t);
        for (int frame = 0; frame < 4; ++frame) {
            std::size_t allocations = 0;
            {
                AllocationCounter counter;
                scene->draw();
                allocations = counter.count();
            }
            EXPECT_EQ(allocations, 0u) << "t = " << t << ", frame " << frame;
        }
    }
    EXPECT_GT(glrecord::callCount(), 28u * 20000u);  // the frames did draw
}

TEST(FrameAllocation, ConstructionAllocatesOnlyTheScene) {
    // Six arrays, three paths with their lists, and one node and one point
    // per path point: 9 + 3 + 2 x (100 + 100 + 12).
    std::size_t allocations = 0;
    {
        AllocationCounter counter;
        glassmeridian::StructureEffect scene;
        allocations = counter.count();
    }
    EXPECT_EQ(allocations, 6u + 3u + 3u + 2u * 212u);
}

}  // namespace
