// Cost of the recording GL layer itself, so drawing benchmarks that run on it
// can tell the layer's share: one strip of 1000 vertices per iteration.
#include <GL/gl.h>
#include <benchmark/benchmark.h>

#include "glrecord.h"

namespace {

void drawStrip() {
    const GLfloat v[3] = {1, 2, 3};
    glPushMatrix();
    glRotatef(10, 0, 0, 1);
    glBegin(GL_QUAD_STRIP);
    for (int i = 0; i < 1000; ++i) {
        glColor4f(0.1f, 0.2f, 0.9f, 0.5f);
        glVertex3fv(v);
    }
    glEnd();
    glPopMatrix();
}

void BM_CountMode(benchmark::State& s) {
    glrecord::reset();
    glrecord::setMode(glrecord::Mode::Count);
    for (auto _ : s) drawStrip();
    s.SetItemsProcessed(static_cast<std::int64_t>(glrecord::callCount()));
    glrecord::setMode(glrecord::Mode::Record);
}
BENCHMARK(BM_CountMode);

void BM_RecordMode(benchmark::State& s) {
    glrecord::setMode(glrecord::Mode::Record);
    std::int64_t calls = 0;
    for (auto _ : s) {
        glrecord::reset();  // keeps the storage, as a test recording frame after frame does
        drawStrip();
        calls += static_cast<std::int64_t>(glrecord::callCount());
    }
    s.SetItemsProcessed(calls);
}
BENCHMARK(BM_RecordMode);

void BM_RecordAndReadTrace(benchmark::State& s) {
    glrecord::setMode(glrecord::Mode::Record);
    for (auto _ : s) {
        glrecord::reset();
        drawStrip();
        benchmark::DoNotOptimize(glrecord::trace().data());
    }
}
BENCHMARK(BM_RecordAndReadTrace);

}  // namespace

BENCHMARK_MAIN();
