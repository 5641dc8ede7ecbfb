// Count mode: calls are counted and the GL state still simulated, but nothing
// is stored and nothing is allocated. Heap allocations are counted by
// replacing the global operator new of this test program.
#include <atomic>
#include <cstdlib>
#include <new>

#include "fixture.h"

namespace {

std::atomic<bool> gCounting{false};
std::atomic<long> gAllocations{0};

void* allocate(std::size_t size) {
    if (gCounting.load(std::memory_order_relaxed)) gAllocations.fetch_add(1, std::memory_order_relaxed);
    if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
    throw std::bad_alloc();
}

void* allocateAligned(std::size_t size, std::align_val_t alignment) {
    if (gCounting.load(std::memory_order_relaxed)) gAllocations.fetch_add(1, std::memory_order_relaxed);
    const std::size_t a = static_cast<std::size_t>(alignment);
    if (void* p = std::aligned_alloc(a, (size + a - 1) / a * a)) return p;
    throw std::bad_alloc();
}

// Allocations made by `body` while counting.
template <typename F>
long allocationsDuring(F body) {
    gAllocations = 0;
    gCounting = true;
    body();
    gCounting = false;
    return gAllocations.load();
}

// A frame's worth of the calls drawing code makes.
void drawFrame() {
    GLfloat m[16];
    const GLfloat v[3] = {1, 2, 3};
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glHint(GL_LINE_SMOOTH_HINT, GL_NICEST);
    glLoadIdentity();
    gluLookAt(0, 0, -7, -0.7, 0, 0, 0, 1, 0);
    glPushMatrix();
    glRotatef(30, 0, 0.2f, 0.9f);
    glPushAttrib(GL_ENABLE_BIT);
    glPushAttrib(GL_CURRENT_BIT);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glBindTexture(GL_TEXTURE_2D, texture);
    glGetFloatv(GL_MODELVIEW_MATRIX, m);
    for (int strip = 0; strip < 10; ++strip) {
        glBegin(GL_QUAD_STRIP);
        for (int i = 0; i < 60; ++i) {
            glColor4f(0.1f, 0.2f, 0.9f, 0.5f);
            glTexCoord2f(0, 1);
            glVertex3fv(v);
        }
        glEnd();
    }
    glPopAttrib();
    glPopAttrib();
    glPopMatrix();
    glDeleteTextures(1, &texture);
}

constexpr std::size_t kFrameCalls = 12 + 10 * (2 + 60 * 3) + 4;

}  // namespace

void* operator new(std::size_t size) { return allocate(size); }
void* operator new[](std::size_t size) { return allocate(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    try { return allocate(size); } catch (...) { return nullptr; }
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
    try { return allocate(size); } catch (...) { return nullptr; }
}
void* operator new(std::size_t size, std::align_val_t a) { return allocateAligned(size, a); }
void* operator new[](std::size_t size, std::align_val_t a) { return allocateAligned(size, a); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
void operator delete(void* p, std::align_val_t) noexcept { std::free(p); }
void operator delete[](void* p, std::align_val_t) noexcept { std::free(p); }
void operator delete(void* p, std::size_t, std::align_val_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t, std::align_val_t) noexcept { std::free(p); }

namespace {

class CountModeTest : public GlRecordTest {};

TEST_F(CountModeTest, CountsWithoutAllocatingOrStoring) {
    glrecord::setMode(glrecord::Mode::Count);
    drawFrame();  // first frame: any lazy set-up happens here
    glrecord::reset();
    glrecord::setMode(glrecord::Mode::Count);
    EXPECT_EQ(allocationsDuring(drawFrame), 0);
    EXPECT_EQ(glrecord::callCount(), kFrameCalls);
    EXPECT_EQ(glrecord::countOf("glVertex3fv"), 600u);
    EXPECT_EQ(glrecord::countOf("glBegin"), 10u);
    EXPECT_TRUE(glrecord::trace().empty());
    EXPECT_TRUE(glrecord::primitives().empty());
}

TEST_F(CountModeTest, StateIsStillSimulated) {
    glrecord::setMode(glrecord::Mode::Count);
    glEnable(GL_BLEND);
    glTranslatef(0, 0, -3);
    glPushMatrix();
    glBegin(GL_LINES);
    glEnd();
    EXPECT_TRUE(glrecord::isEnabled(GL_BLEND));
    EXPECT_FLOAT_EQ(glrecord::modelview()[14], -3);
    EXPECT_EQ(glrecord::modelviewDepth(), 2);
    EXPECT_EQ(glrecord::pendingError(), GLenum(GL_NO_ERROR));
}

TEST_F(CountModeTest, RecordModeStoresTheSameFrame) {
    // The counter itself works: recording the frame does allocate.
    EXPECT_GT(allocationsDuring(drawFrame), 0);
    EXPECT_EQ(glrecord::trace().size(), kFrameCalls);
    EXPECT_EQ(glrecord::callCount(), kFrameCalls);
    EXPECT_EQ(glrecord::primitives().size(), 10u);
    EXPECT_EQ(glrecord::pendingError(), GLenum(GL_NO_ERROR));
}

}  // namespace
